// A robot built in the robot builder, saved by it, runs in the simulation:
// the builder's file is the very file the simulation's tests drive with, and
// a whole headless run with it scores and ends as theirs does.

#include "EmuFixture.h"
#include "HeadlessRunResult.h"
#include "RunScenes.h"

#include "apps/CRobApp.h"
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
