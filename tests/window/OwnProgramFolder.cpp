#include "OwnProgramFolder.h"

#include "foundation/CConfig.h"
#include "platform/ProgramDir.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace windowtest {

void MakeOwnProgramFolder(const testsupport::TempDir& folder, std::initializer_list<const char*> xmlFiles,
    std::initializer_list<std::string_view> own) {
    folder.linkEntriesOf(MORVANE_PROGRAM_DIR, own);
    fs::create_directories(folder.path() / "XML");
    for (const char* file : xmlFiles)
        fs::copy_file(fs::path(MORVANE_PROGRAM_DIR) / "XML" / file, folder.path() / "XML" / file);
}

int RunTestsIn(const testsupport::TempDir& folder, int argc, char** argv) {
    platform::OverrideProgramDir(folder.path());
    CConfig::Instance();
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}

} // namespace windowtest
