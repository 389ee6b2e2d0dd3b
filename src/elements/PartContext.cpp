#include "elements/PartContext.h"

PartContext::PartContext(PartConstants constants, ModelDatabase database)
    : m_constants(constants)
    , m_database(std::move(database)) { }

std::shared_ptr<const PartContext> PartContext::FromConfig(
    const CConfig& config, const ModelDatabase::Report& report) {
    return std::make_shared<const PartContext>(
        PartConstants::FromConfig(config), ModelDatabase::FromConfig(config, report));
}
