// A whole run of the simulation in a window (under Xvfb in the tests): the
// same run as the headless one, drawn live at 1280 x 800.

#include "EmuFixture.h"
#include "HeadlessRunResult.h"
#include "RunScenes.h"

#include <gtest/gtest.h>

using namespace emutest;

TEST(WindowRun, AZoneScoresAndAnEndZoneStopsTheRunAsWithoutAWindow) {
    testsupport::TempDir folder;
    const std::string robot = WriteBaseRobot(folder.path(), "base.rob");
    const std::string playground = WriteScoreAndEndPlayground(folder.path());
    const QStringList arguments { "--frames", "400", "--playground", QString::fromStdString(playground),
        QString::fromStdString(robot + "=" + Program("drive")) };
    const RunOutcome headless = RunHeadless(arguments);
    const RunOutcome windowed = RunHeadless(QStringList(arguments) << "--window");
    ASSERT_TRUE(headless.finished) << headless.errors;
    ASSERT_TRUE(windowed.finished) << windowed.errors;
    EXPECT_EQ(windowed.stop, "zone");
    EXPECT_EQ(windowed.frames, headless.frames);
    ASSERT_EQ(windowed.robots.size(), 1u);
    EXPECT_EQ(windowed.robots[0].score, 15);
    EXPECT_EQ(windowed.robots[0].steps, headless.robots.at(0).steps);
    // Every frame of the run was drawn.
    EXPECT_GE(windowed.drawn, windowed.frames);
}
