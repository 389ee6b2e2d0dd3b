#pragma once

#include "elements/ModelDatabase.h"
#include "elements/PartConstants.h"

#include <memory>

class CConfig;

// What every part needs of the system around it: the model database of the
// set-up file and the shared geometry constants. Built once from the
// configuration, shared by all parts (which keep it alive), and never
// changed, so parts may use it from any thread.
class PartContext {
public:
    PartContext(PartConstants constants, ModelDatabase database);

    static std::shared_ptr<const PartContext> FromConfig(
        const CConfig& config, const ModelDatabase::Report& report = {});

    const PartConstants& Constants() const { return m_constants; }
    const ModelDatabase& Database() const { return m_database; }

private:
    PartConstants m_constants;
    ModelDatabase m_database;
};

using PartContextPtr = std::shared_ptr<const PartContext>;
