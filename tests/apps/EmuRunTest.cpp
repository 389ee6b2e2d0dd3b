// Whole runs of the simulation without a window, through the test tree's
// headless program: real robot files and playgrounds written by the
// project's writers, real robot programs in their hosts.

#include "EmuFixture.h"
#include "HeadlessRunResult.h"
#include "RunScenes.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace emutest;

TEST(HeadlessRun, RobotsPassThroughEachOtherAndACrashedProgramsRobotKeepsItsLastOutput) {
    testsupport::TempDir folder;
    const RunOutcome run = RunHeadless(HeadOnRun(folder.path()));
    ASSERT_TRUE(run.finished) << run.errors;
    EXPECT_EQ(run.load, 1);
    // The limit: the run stops in its 200th frame, each robot having had
    // exactly 200 steps (0 to 199).
    EXPECT_EQ(run.stop, "time-limit");
    EXPECT_EQ(run.frames, 200);
    ASSERT_EQ(run.robots.size(), 2u);
    EXPECT_EQ(run.robots[0].steps, 200);
    EXPECT_EQ(run.robots[1].steps, 200);
    // The crashed program answered steps 0 to 19; its robot kept driving on
    // that last answer, as far as the other robot drove on its program's.
    EXPECT_EQ(run.robots[0].output, "1*50* 2*50* p19");
    EXPECT_EQ(run.robots[1].output, "1*50* 2*50* p199");
    EXPECT_NEAR(run.robots[0].y - -40.0f, 40.0f - run.robots[1].y, 5.0f);
    // Robots of one run pass through each other: each reached the zone
    // behind the other one's start.
    EXPECT_GT(run.robots[0].y, 100.0f);
    EXPECT_LT(run.robots[1].y, -100.0f);
    EXPECT_EQ(run.robots[0].score, 10);
    EXPECT_EQ(run.robots[1].score, 20);
}

TEST(HeadlessRun, AZoneScoresAndAnEndZoneStopsTheRunBeforeTheRobotsStep) {
    testsupport::TempDir folder;
    const RunOutcome run = RunHeadless(ScoreAndEndRun(folder.path()));
    ASSERT_TRUE(run.finished) << run.errors;
    EXPECT_EQ(run.stop, "zone");
    ASSERT_EQ(run.robots.size(), 1u);
    EXPECT_EQ(run.robots[0].score, 15);
    // The frame in which the end zone stops the run is not counted, and the
    // robot does not step in it.
    EXPECT_EQ(run.robots[0].steps, run.frames);
    EXPECT_EQ(run.robots[0].output, "1*50* 2*50* p" + std::to_string(run.frames - 1));
    EXPECT_GT(run.frames, 60);
}

// As a command-line user means them: relative paths from the current
// folder, the robot's and the playground's alike; a file that is not there
// ends the program before any run, naming the file, with exit code 2.
TEST(HeadlessRun, RelativePathsAreTheCurrentFoldersAndAMissingFileIsRefused) {
    testsupport::TempDir folder;
    ScoreAndEndRun(folder.path());
    const QString drive = QStringLiteral("=") + Arg(Program("drive"));
    struct Case {
        QStringList arguments;
        int exitCode;
        std::string told;
    };
    const std::string gone = (folder.path() / "gone.rob").string();
    const Case cases[] = {
        { { "--frames", "400", "--playground", "score_and_end.pla", "base.rob" + drive }, 0, "" },
        { { "--frames", "400", "--playground", "./score_and_end.pla", "gone.rob" + drive }, 2,
            "robot file " + gone + ": No such file or directory" },
        { { "--frames", "400", "--playground", "gone.pla", "base.rob" + drive }, 2,
            "playground file " + (folder.path() / "gone.pla").string() + ": No such file or directory" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(QLatin1Char(' ')).toStdString());
        const RunOutcome run = RunHeadless(c.arguments, folder.qpath());
        EXPECT_EQ(run.exitCode, c.exitCode) << run.errors;
        if (c.exitCode != 0) {
            EXPECT_NE(run.errors.find(c.told), std::string::npos) << run.errors;
            continue;
        }
        // The run of the same files named whole.
        EXPECT_EQ(run.load, 1);
        EXPECT_EQ(run.stop, "zone");
        ASSERT_EQ(run.robots.size(), 1u);
        EXPECT_EQ(run.robots[0].score, 15);
    }
}

TEST(HeadlessRun, ARobotOffTheFloorEndsTheRunInTheFrameItFallsBelowMinus1000) {
    testsupport::TempDir folder;
    const RunOutcome run = RunHeadless(OffTheFloorRun(folder.path()));
    ASSERT_TRUE(run.finished) << run.errors;
    EXPECT_EQ(run.stop, "all-fallen");
    // Falling from rest for k frames of 30 steps of 0.02 s drops
    // 9.8 x 0.02^2 x 30k (30k + 1) / 2: 934.5 after 23 frames, 1017.5 after
    // 24. The control unit starts a few units above 0, so frame 24 is the
    // first that finds it below -1000; that frame is counted.
    const auto drop = [](int frames) {
        const double steps = 30.0 * frames;
        return 9.8 * 0.02 * 0.02 * steps * (steps + 1.0) / 2.0;
    };
    ASSERT_LT(drop(23), 1000.0);
    ASSERT_GT(drop(24), 1017.0);
    EXPECT_EQ(run.frames, 24);
    ASSERT_EQ(run.robots.size(), 1u);
    EXPECT_LT(run.robots[0].z, -1000.0f);
    EXPECT_EQ(run.robots[0].score, 0);
}

TEST(HeadlessRun, AFallenRobotIsEliminatedAndTheRunGoesOnWhileAnotherStands) {
    testsupport::TempDir folder;
    const RunOutcome run = RunHeadless(ScoreThenFallRun(folder.path()));
    ASSERT_TRUE(run.finished) << run.errors;
    ASSERT_EQ(run.robots.size(), 2u);
    const RobotOutcome& fallen = run.robots[0];
    const RobotOutcome& standing = run.robots[1];
    // Robot 0 scored on its way, then went off the edge: eliminated, it
    // ends with 0 and stopped taking steps in the frame it fell.
    EXPECT_EQ(fallen.peak, 10);
    EXPECT_EQ(fallen.score, 0);
    EXPECT_LT(fallen.z, -1000.0f);
    EXPECT_LT(fallen.steps, 150);
    EXPECT_EQ(fallen.output, "1*50* 2*50* p" + std::to_string(fallen.steps - 1));
    // Robot 1 is still on the ground, so the run goes on to its limit, and
    // robot 1 steps in every frame of it.
    EXPECT_EQ(run.stop, "time-limit");
    EXPECT_EQ(run.frames, 200);
    EXPECT_GT(standing.z, -10.0f);
    EXPECT_EQ(standing.steps, 200);
}
