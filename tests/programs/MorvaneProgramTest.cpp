// Starts the real Morvane program from a program folder of its own and
// closes it the way a desktop session does.

#include "support/QtPrint.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

namespace fs = std::filesystem;
using testsupport::TempDir;
using testsupport::WaitFor;

namespace {

// A copy of the program folder with its executable, so the program's own
// files are written there and not into the build.
void InstallProgram(const TempDir& dir) {
    const fs::path bin = MORVANE_PROGRAM_DIR;
    fs::copy_file(bin / "Morvane", dir.path() / "Morvane");
    fs::create_directories(dir.path() / "XML");
    fs::copy_file(bin / "XML/SetUp_View.xml", dir.path() / "XML/SetUp_View.xml");
    fs::copy(bin / "images", dir.path() / "images", fs::copy_options::recursive);
}

// Runs the program until its window is up (the work folder has been
// emptied), removes the settings file, ends the program with SIGTERM and
// returns its exit code; the settings file is written again on the way out.
int RunAndClose(const TempDir& dir, const fs::path& workingDir) {
    dir.write("Temp/marker", "old");
    QProcess process;
    process.setWorkingDirectory(QString::fromStdString(workingDir.string()));
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(QString::fromStdString((dir.path() / "Morvane").string()), {});
    EXPECT_TRUE(process.waitForStarted(10000));
    // The window has emptied the work folder; the quit signal's handler was
    // in place before it, so the signal is taken whenever it comes.
    EXPECT_TRUE(WaitFor([&] { return !dir.exists("Temp/marker") && dir.exists("Temp"); }, 20000));
    fs::remove(dir.path() / "XML/Settings.dat");
    kill(static_cast<pid_t>(process.processId()), SIGTERM);
    EXPECT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    return process.exitCode();
}

} // namespace

TEST(MorvaneProgram, StartsAndClosesLeavingItsSettings) {
    TempDir dir;
    TempDir elsewhere;
    InstallProgram(dir);
    elsewhere.write("Temp/user-file.txt", "not the program's");

    EXPECT_EQ(RunAndClose(dir, elsewhere.path()), 0);
    EXPECT_EQ(dir.read("XML/Settings.dat").size(), 32);
    // The work folder is the program's own, never the current directory's.
    EXPECT_TRUE(elsewhere.exists("Temp/user-file.txt"));
}

TEST(MorvaneProgram, DamagedFilesStartWithDefaults) {
    const std::pair<const char*, QByteArray> setUps[] = {
        { "malformed set-up", "<data><program><studio0" },
        { "missing set-up", QByteArray() },
    };
    for (const auto& [name, setUp] : setUps) {
        SCOPED_TRACE(name);
        TempDir dir;
        InstallProgram(dir);
        if (setUp.isEmpty())
            fs::remove(dir.path() / "XML/SetUp_View.xml");
        else
            dir.write("XML/SetUp_View.xml", setUp);
        dir.write("XML/Settings.dat", QByteArray("\x00\x00\x00\x01\x7f\xff", 6));
        EXPECT_EQ(RunAndClose(dir, dir.path()), 0);
        EXPECT_TRUE(dir.exists("XML/Settings.dat"));
    }
}
