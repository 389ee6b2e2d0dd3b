// A robot built in the robot builder, saved by it, runs in the simulation:
// the builder's file is the very file the simulation's tests drive with, and
// a whole headless run with it scores and ends as theirs does. So does a
// playground laid out in the playground builder.

#include "EmuFixture.h"
#include "HeadlessRunResult.h"
#include "RunScenes.h"

#include "apps/CPlaApp.h"
#include "apps/CRobApp.h"
#include "apps/PlaygroundObjects.h"
#include "simulation/CTrigger.h"
#include "simulation/RobotFixture.h"
#include "simulation/RobotPartFactory.h"

#include <QCoreApplication>
#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

using namespace emutest;

namespace {

QByteArray Read(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(BuilderToSimulation, ARobotBuiltAndSavedInTheBuilderRunsInTheSimulation) {
    testsupport::TempDir folder;
    osg::ref_ptr<CRobApp> builder
        = new CRobApp("config.xml", nullptr, robotstest::Config(), robotstest::Parts());
    ASSERT_EQ(builder->GetPartList().size(), 1u);
    CModel* rcu = builder->GetPartList().front().get();

    // The simulation tests' two-wheeled robot, part by part as the page adds
    // them, each put down and then set from the pose boxes and wired.
    auto place = [&](CModel* part, double x, double y, double z, float heading) {
        builder->SetSelected(nullptr, false);
        builder->SetSelected(part, false);
        builder->SetSelTransform(0, x, {});
        builder->SetSelTransform(1, y, {});
        builder->SetSelTransform(2, z, {});
        builder->SetSelTransform(3, 0.0, { 0.0f, 0.0f, heading });
    };
    auto add = [&](int type, const std::string& address, double x, double y, double z, float heading = 0.0f) {
        osg::ref_ptr<CModel> part = MakeRobotPart(type, 0, robotstest::Parts(), address, false);
        EXPECT_TRUE(builder->AddPart(part.get())) << address;
        place(part.get(), x, y, z, heading);
        return part.get();
    };
    place(rcu, 0.0, 0.0, 2.0, 0.0f);
    add(ModelTypeMotor, "models/motor/motor.ive", -6.0, 0.0, 1.6);
    builder->SetPort(1, 0, 255);
    add(ModelTypeWheel, "models/wheel/wheel_std.ive", -9.3, 0.0, 3.2);
    add(ModelTypeMotor, "models/motor/motor.ive", 6.0, 0.0, 1.6, 180.0f);
    builder->SetPort(2, 1, 255);
    add(ModelTypeWheel, "models/wheel/wheel_std.ive", 9.3, 0.0, 3.2);
    add(ModelTypeWheel, "models/wheel/wheel_uni.ive", 0.0, -5.0, 1.2);
    add(ModelTypeWheel, "models/wheel/wheel_uni.ive", 0.0, 5.0, 1.2);
    builder->SetSelected(nullptr, false);

    const std::string built = (folder.path() / "built.rob").string();
    builder->StartFileThread(built, false, false, false, false);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return builder->GetEditState().m_nBusy == SEditState::BusyIdle; }, 30000));
    ASSERT_TRUE(builder->GetEditState().m_bClean);
    const std::string written = WriteBaseRobot(folder.path(), "base.rob");
    ASSERT_FALSE(Read(built).isEmpty());
    EXPECT_EQ(Read(built), Read(written)) << "the builder's file is the writer's file of the same robot";

    // Driving straight ahead from the origin it scores 10 and then 5 at the
    // end zone, which stops the run.
    QStringList arguments = ScoreAndEndRun(folder.path());
    arguments.last() = Arg(built + "=" + Program("drive"));
    const RunOutcome run = RunHeadless(arguments);
    ASSERT_TRUE(run.finished) << run.errors;
    EXPECT_EQ(run.load, 1);
    EXPECT_EQ(run.stop, "zone");
    ASSERT_EQ(run.robots.size(), 1u);
    EXPECT_EQ(run.robots[0].score, 15);
}

// The simulation tests' score-and-end playground laid out in the playground
// builder as the page does it (zones from the bar, put down, then set from
// the pose boxes and the zone panel) and saved by it: the robot starts in its
// start zone, scores 10 and then 5 at the end zone, which stops the run.
TEST(BuilderToSimulation, APlaygroundLaidOutAndSavedInTheBuilderRunsInTheSimulation) {
    testsupport::TempDir folder;
    osg::ref_ptr<CPlaApp> builder
        = new CPlaApp("config.xml", nullptr, robotstest::Config(), robotstest::Parts());
    auto zone = [&](int kind, const char* address, float y, float width, float depth, int mode, int score) {
        osg::ref_ptr<CModel> object = MakePlaygroundObject(
            ModelTypeTrigger, kind, robotstest::Parts(), address, { width, depth, 1.0f });
        ASSERT_TRUE(builder->AddObject(object.get())) << address;
        builder->SetSelected(nullptr, false);
        builder->SetSelected(object.get(), false);
        builder->SetSelTransform(0, 0.0, {});
        builder->SetSelTransform(1, y, {});
        object->SetTriggerMode(mode);
        object->GetState().m_nScore = score;
        builder->KeepSelOnGround(false);
    };
    zone(TriggerStart, "models/trigger/start.ive", 0.0f, 40.0f, 40.0f, 0, 0);
    zone(TriggerScore, "models/trigger/score.ive", 50.0f, 60.0f, 10.0f, 1, 10);
    zone(TriggerEnd, "models/trigger/end.ive", 110.0f, 60.0f, 10.0f, 1, 5);
    builder->SetSelected(nullptr, false);
    const std::string playground = (folder.path() / "laid_out.pla").string();
    ASSERT_TRUE(builder->LoadOrSaveFile(playground, false)) << builder->GetFileError();

    QStringList arguments = ScoreAndEndRun(folder.path());
    const int at = arguments.indexOf("--playground");
    ASSERT_GE(at, 0);
    arguments[at + 1] = Arg(playground);
    const RunOutcome run = RunHeadless(arguments);
    ASSERT_TRUE(run.finished) << run.errors;
    EXPECT_EQ(run.load, 1);
    EXPECT_EQ(run.stop, "zone");
    ASSERT_EQ(run.robots.size(), 1u);
    EXPECT_EQ(run.robots[0].score, 15);
}
