// The whole runs of the headless tests made once more in a window (under
// Xvfb in the tests), drawn live at 1280 x 800: each comes to the same end.

#include "EmuFixture.h"
#include "HeadlessRunResult.h"
#include "RunScenes.h"

#include <gtest/gtest.h>

#include <functional>

using namespace emutest;

TEST(WindowRun, EveryRunComesToTheSameEndInAWindowAsWithout) {
    const std::function<QStringList(const std::filesystem::path&)> runs[]
        = { HeadOnRun, ScoreAndEndRun, OffTheFloorRun };
    for (const auto& makeRun : runs) {
        testsupport::TempDir folder;
        const QStringList arguments = makeRun(folder.path());
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        const RunOutcome headless = RunHeadless(arguments);
        const RunOutcome windowed = RunHeadless(QStringList(arguments) << "--window");
        ASSERT_TRUE(headless.finished) << headless.errors;
        ASSERT_TRUE(windowed.finished) << windowed.errors;
        EXPECT_NE(windowed.stop, "none");
        EXPECT_EQ(windowed.stop, headless.stop);
        EXPECT_EQ(windowed.frames, headless.frames);
        ASSERT_EQ(windowed.robots.size(), headless.robots.size());
        for (std::size_t i = 0; i < windowed.robots.size(); ++i) {
            EXPECT_EQ(windowed.robots[i].score, headless.robots[i].score) << "robot " << i;
            EXPECT_EQ(windowed.robots[i].steps, headless.robots[i].steps) << "robot " << i;
            EXPECT_EQ(windowed.robots[i].output, headless.robots[i].output) << "robot " << i;
            // Drawing changes nothing of the run: the robots end exactly
            // where they end without a window.
            EXPECT_EQ(windowed.robots[i].x, headless.robots[i].x) << "robot " << i;
            EXPECT_EQ(windowed.robots[i].y, headless.robots[i].y) << "robot " << i;
            EXPECT_EQ(windowed.robots[i].z, headless.robots[i].z) << "robot " << i;
        }
        // Every frame of the run was drawn.
        EXPECT_GE(windowed.drawn, windowed.frames);
    }
}
