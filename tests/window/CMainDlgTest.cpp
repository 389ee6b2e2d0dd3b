#include "window/CMainDlg.h"
#include "foundation/CConfig.h"
#include "platform/ProgramDir.h"
#include "support/QtPrint.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using testsupport::TempDir;

namespace {

// The one configuration of this process lives over a program folder made here.
TempDir* g_programDir = nullptr;
TempDir* g_outside = nullptr;

} // namespace

TEST(CMainDlg, StartsWithAnEmptyWorkFolderAndSavesSettingsWhenClosed) {
    const fs::path temp = g_programDir->path() / "Temp";
    ASSERT_TRUE(fs::exists(temp / "old.dll"));
    fs::remove(g_programDir->path() / "XML/Settings.dat");
    {
        Ui::CMainDlg window;
        EXPECT_TRUE(fs::is_directory(temp));
        EXPECT_TRUE(fs::is_empty(temp));
        // What the link pointed at lies outside the work folder and stays.
        EXPECT_TRUE(fs::exists(g_outside->path() / "precious.txt"));
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Morvane 机器人仿真教育版-基础套件"));
        EXPECT_FALSE(window.FrameTimer()->isActive());
        EXPECT_FALSE(fs::exists(g_programDir->path() / "XML/Settings.dat"));
        CConfig::Instance().m_nLevel = 4;
    }
    ASSERT_TRUE(fs::exists(g_programDir->path() / "XML/Settings.dat"));
    CConfig reread(g_programDir->qpath());
    EXPECT_EQ(reread.m_nLevel, 4);
}

TEST(CMainDlg, WorkFolderInPlaceOfAFileIsRecreated) {
    const fs::path temp = g_programDir->path() / "Temp";
    fs::remove_all(temp);
    g_programDir->write("Temp", "not a folder");
    Ui::CMainDlg window;
    EXPECT_TRUE(fs::is_directory(temp));
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    TempDir programDir;
    TempDir outside;
    g_programDir = &programDir;
    g_outside = &outside;
    fs::create_directories(programDir.path() / "XML");
    fs::copy_file(
        fs::path(MORVANE_SOURCE_DIR) / "assets/XML/SetUp_View.xml", programDir.path() / "XML/SetUp_View.xml");
    programDir.write("Temp/old.dll", "stale copy");
    outside.write("precious.txt", "keep me");
    fs::create_directory_symlink(outside.path(), programDir.path() / "Temp/link");
    platform::OverrideProgramDir(programDir.path());
    CConfig::Instance();

    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
