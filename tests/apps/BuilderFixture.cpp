#include "BuilderFixture.h"

#include "platform/ProgramDir.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace appstest {

namespace {

testsupport::TempDir& Folder() {
    static testsupport::TempDir folder;
    static const bool linked = [] {
        for (const char* entry : { "XML", "models", "images", "map" })
            std::filesystem::create_directory_symlink(
                std::filesystem::path(MORVANE_PROGRAM_DIR) / entry, folder.path() / entry);
        return true;
    }();
    (void)linked;
    return folder;
}

class ProgramFolder : public ::testing::Environment {
public:
    void SetUp() override { platform::OverrideProgramDir(Folder().path()); }
};

[[maybe_unused]] ::testing::Environment* const g_programFolder
    = ::testing::AddGlobalTestEnvironment(new ProgramFolder);

} // namespace

const QString& ProgramDir() {
    static const QString dir = Folder().qpath();
    return dir;
}

CConfig& Config() {
    static CConfig config(ProgramDir());
    return config;
}

const PartContextPtr& Context() {
    static const PartContextPtr context = PartContext::FromConfig(Config());
    return context;
}

} // namespace appstest
