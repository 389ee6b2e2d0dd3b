#pragma once

// A program folder of the fuzz target's own, with its XML folder, and the
// configuration that reads from it; made once per process.

#include "ScratchFolder.h"
#include "foundation/CConfig.h"

#include <QDir>
#include <QFile>

#include <memory>

namespace fuzzsupport {

struct ConfigFixture {
    ScratchFolder folder;
    std::unique_ptr<CConfig> config;

    // `withSetUp`: the installed set-up file goes in first.
    explicit ConfigFixture(bool withSetUp) {
        QDir().mkpath(folder.In(QStringLiteral("XML")));
        if (withSetUp)
            QFile::copy(QStringLiteral(MORVANE_SOURCE_DIR "/assets/XML/SetUp_View.xml"),
                folder.In(QStringLiteral("XML/SetUp_View.xml")));
        config = std::make_unique<CConfig>(folder.Path());
    }
};

} // namespace fuzzsupport
