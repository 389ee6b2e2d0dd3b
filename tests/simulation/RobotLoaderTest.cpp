#include "RobotFixture.h"

#include "elements/Geometry.h"
#include "foundation/CConfig.h"
#include "platform/Warnings.h"
#include "scene/Label.h"
#include "simulation/CMotor.h"
#include "simulation/CRcu.h"
#include "simulation/CRob.h"
#include "simulation/CRobThread.h"
#include "simulation/CSensor.h"
#include "simulation/CThread.h"
#include "simulation/RobotBuilderFile.h"
#include "simulation/SensorModelTable.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

using namespace robotstest;

namespace {

// Runs the GUI thread's event loop until the condition holds (or 20 s).
bool ProcessEventsUntil(const std::function<bool()>& condition) {
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return condition();
}

// The simulation page's sensor model bar as the loader sees it, noting the
// thread that read it.
class SensorBarTable : public SensorModelTable {
public:
    std::vector<std::string> SensorModelAddresses() const override {
        readIn = QThread::currentThread();
        return SensorBar();
    }
    mutable QThread* readIn = nullptr;
};

// A simulation's loader, over the simulation's world and robot list.
struct Loader {
    Loader() {
        SRobThreadData& data = thread.GetData();
        data.m_pRobots = &robots;
        data.m_pScene = sim.scene.get();
        data.m_pSimulator = sim.world.get();
        data.m_pConfig = &Config();
        data.m_pPartContext = Parts();
        data.m_pSensorModelTable = &bar;
    }

    int Load(const std::vector<std::string>& files) {
        thread.GetData().m_vecRobotFiles = files;
        thread.StartLoading();
        EXPECT_TRUE(ProcessEventsUntil([&] { return thread.GetData().m_nStatus != 1; }));
        return thread.GetData().m_nStatus;
    }

    SimulationWorld sim;
    SensorBarTable bar;
    std::vector<osg::ref_ptr<CRob>> robots;
    CRobThread thread;
};

std::string SavedBase(const testsupport::TempDir& dir, const char* name) {
    BuilderRobot builder;
    builder.AddBase();
    builder.Add(ModelTypeSensor, "models/sensor/ray.ive", 0.0, 6.0, 5.2, 0.0, 3, SensorKindRay);
    return builder.Save(dir.path() / name);
}

} // namespace

TEST(CRobThread, BuildsTheRobotsAwayFromTheSceneAndPlacesThemInTheGuiThread) {
    testsupport::TempDir dir;
    const std::string file = SavedBase(dir, "robot.rob");
    Loader loader;
    SRobThreadData& data = loader.thread.GetData();
    // One start pose per robot; the robots after the first come unturned.
    data.m_vecStartPositions
        = { osg::Vec3f(50.0f, 60.0f, 0.0f), osg::Vec3f(-40.0f, 0.0f, 0.0f), osg::Vec3f(0.0f, -70.0f, 0.0f) };
    data.m_vecStartRotations = { osg::Quat(osg::PI_2, osg::Vec3d(0.0, 0.0, 1.0)) };
    data.m_vecRobotFiles = { file, file, file };
    const std::size_t solids = loader.sim.world->solidCount();

    platform::WarningCapture warnings;
    loader.thread.StartLoading();
    ASSERT_TRUE(loader.thread.wait(20000));
    // The thread has done its part; the robots get their solids and their
    // places only when the GUI thread takes them over.
    EXPECT_EQ(data.m_nStatus, 1);
    EXPECT_TRUE(loader.robots.empty());
    EXPECT_EQ(loader.sim.world->solidCount(), solids);
    ASSERT_TRUE(ProcessEventsUntil([&] { return data.m_nStatus != 1; }));
    EXPECT_EQ(data.m_nStatus, 3);
    EXPECT_EQ(loader.bar.readIn, QThread::currentThread());
    EXPECT_EQ(warnings.Count("physics"), 0u);
    EXPECT_EQ(warnings.Count("scene"), 0u);

    ASSERT_EQ(loader.robots.size(), 3u);
    EXPECT_EQ(loader.sim.world->solidCount(), solids + 3 * 8);
    const osg::BoundingBox first = loader.robots[0]->GetCurrentBox();
    EXPECT_NEAR(first.center().x(), 50.0, 1e-3);
    EXPECT_NEAR(first.center().y(), 60.0, 1e-3);
    EXPECT_NEAR(loader.robots[0]->GetRcu()->GetTransform().GetHpr().x(), 90.0, 1e-3);
    for (int i : { 1, 2 }) {
        const osg::BoundingBox box = loader.robots[std::size_t(i)]->GetCurrentBox();
        EXPECT_NEAR(box.center().x(), data.m_vecStartPositions[std::size_t(i)].x(), 1e-3) << i;
        EXPECT_NEAR(box.center().y(), data.m_vecStartPositions[std::size_t(i)].y(), 1e-3) << i;
        EXPECT_NEAR(box.zMin(), 0.0, 1e-3) << i;
        EXPECT_NEAR(loader.robots[std::size_t(i)]->GetRcu()->GetTransform().GetHpr().x(), 0.0, 1e-3) << i;
    }
    // The simulation adds the robots to its scene itself. The loader puts
    // every robot's parts in contact group 1.
    EXPECT_FALSE(loader.sim.scene->HasDrawable(loader.robots[0]->GetRcu()));
    EXPECT_EQ(loader.robots[2]->GetRcu()->GetSolid()->firstShapeContactGroup(), 1);
    EXPECT_EQ(loader.robots[2]->GetMotors()[0]->GetSolid()->firstShapeContactGroup(), 1);
    // At the last of robot 2's eight parts (the seventh after the control
    // unit) of three robots.
    EXPECT_EQ(data.m_nProgress, (7 * 100 / 8 + 2 * 100) / 3);
}

TEST(CRobThread, AFailingRobotEndsTheLoadAndKeepsTheRobotsBeforeIt) {
    testsupport::TempDir dir;
    const std::string file = SavedBase(dir, "robot.rob");
    {
        Loader loader;
        EXPECT_EQ(loader.Load({ file, (dir.path() / "missing.rob").string(), file }), 2);
        EXPECT_EQ(loader.robots.size(), 1u);
    }
    {
        // The ray sensor is the first of the sensor bar: rule 2 allows none.
        Loader loader;
        loader.thread.GetData().m_vecRules = { 20, 10, 0 };
        EXPECT_EQ(loader.Load({ file }), 4);
        EXPECT_TRUE(loader.robots.empty());
        EXPECT_EQ(loader.sim.world->solidCount(), 1u);
    }
    // The limit a robot broke is told: its count, what the rules allow and
    // of which sensor model.
    struct Broken {
        std::vector<int> rules;
        RobotRuleBreak::Limit limit;
        int count;
        int allowed;
        int sensorModel;
    };
    for (const Broken& c : { Broken { { 20, 10, 0 }, RobotRuleBreak::Limit::Sensors, 1, 0, 0 },
             Broken { { 7 }, RobotRuleBreak::Limit::Parts, 8, 7, -1 } }) {
        Loader loader;
        loader.thread.GetData().m_vecRules = c.rules;
        EXPECT_EQ(loader.Load({ file }), 4);
        const RobotRuleBreak& broken = loader.thread.GetData().m_ruleBreak;
        EXPECT_EQ(broken.limit, c.limit);
        EXPECT_EQ(broken.count, c.count);
        EXPECT_EQ(broken.allowed, c.allowed);
        EXPECT_EQ(broken.sensorModel, c.sensorModel);
    }
    {
        Loader loader;
        EXPECT_EQ(loader.Load({}), 3);
        EXPECT_TRUE(loader.robots.empty());
    }
    // Every robot starts in a start zone of its own, one robot alone in the
    // middle of a playground without any: a robot beyond them would stand
    // where another stands, and is refused, told by its index and why.
    struct Places {
        std::size_t zones;
        std::size_t robots;
        std::size_t loaded;
    };
    for (const Places& c : { Places { 0, 1, 1 }, Places { 0, 2, 1 }, Places { 1, 3, 1 }, Places { 2, 2, 2 },
             Places { 2, 3, 2 } }) {
        Loader loader;
        SRobThreadData& data = loader.thread.GetData();
        for (std::size_t i = 0; i < c.zones; ++i)
            data.m_vecStartPositions.push_back(osg::Vec3f(60.0f * float(i), 0.0f, 0.0f));
        const int status = loader.Load(std::vector<std::string>(c.robots, file));
        const std::string what = std::to_string(c.robots) + " robots, " + std::to_string(c.zones) + " zones";
        EXPECT_EQ(loader.robots.size(), c.loaded) << what;
        if (c.loaded == c.robots) {
            EXPECT_EQ(status, 3) << what;
            EXPECT_EQ(data.m_failure, RobotLoadFault::None) << what;
        } else {
            EXPECT_EQ(status, 2) << what;
            EXPECT_EQ(data.m_nFailedRobot, int(c.loaded)) << what;
            EXPECT_EQ(data.m_failure, RobotLoadFault::NoStartZone) << what;
        }
    }
}

// Which motors drive a wheel is one answer in the builder (its part list),
// in the saved file and in the run: a wheel on the shaft, or put against it
// off the shaft's line as the builder draws it on the shaft, is driven; a
// motor without a wheel, with its wheel beyond the hub's reach, or with an
// axle the run cannot turn (along y) drives nothing.
TEST(CRob, AMotorDrivesTheWheelOnItsShaftInTheBuilderTheFileAndTheRun) {
    struct Case {
        const char* what;
        bool wheel;
        // The wheel's centre less where it is on the shaft (its hub on the
        // shaft's tip), and the heading of motor and wheel.
        osg::Vec3f offset;
        double heading;
        bool drives;
    };
    // The motor stands on the ground beside the control unit; the hub's
    // reach is the wheel's radius, 3.2.
    const std::vector<Case> cases = {
        { "a wheel on the shaft", true, { 0.0f, 0.0f, 0.0f }, 0.0, true },
        { "a wheel standing against the shaft", true, { 0.0f, 0.0f, 1.6f }, 0.0, true },
        { "against it, off to one side", true, { -0.3f, 1.5f, 1.0f }, 0.0, true },
        { "no wheel", false, {}, 0.0, false },
        { "a wheel beyond the hub's reach", true, { 0.0f, 0.0f, 3.4f }, 0.0, false },
        { "a wheel a step off the tip", true, { -1.0f, 0.0f, 0.0f }, 0.0, false },
        { "a shaft along y", true, {}, 90.0, false },
    };
    testsupport::TempDir dir;
    for (const Case& c : cases) {
        BuilderRobot builder;
        builder.Add(ModelTypeRcu, "models/rcu/rcu.ive", 0.0, 0.0, 0.0);
        CModel* motor = builder.Add(ModelTypeMotor, "models/motor/motor.ive", -8.0, 0.0, 0.0, c.heading, 1);
        ASSERT_NE(motor, nullptr);
        if (c.wheel) {
            int shaft = 0;
            while (motor->GetPoint(shaft) && motor->GetPoint(shaft)->m_nKind != 1)
                ++shaft;
            ASSERT_NE(motor->GetPoint(shaft), nullptr);
            osg::Vec3f tip;
            motor->GetPortPoint(tip, shaft, -1);
            const osg::Vec3f dir = RotateVec3(motor->GetPoint(shaft)->m_vDir, motor->GetState().m_mRot);
            // The hub lies 1 from the wheel's centre, against the shaft's way.
            const osg::Vec3f at = tip + dir + c.offset;
            builder.Add(ModelTypeWheel, "models/wheel/wheel_std.ive", at.x(), at.y(), at.z(), c.heading);
        }
        const std::vector<int> expected = c.drives ? std::vector<int> {} : std::vector<int> { 0 };

        EXPECT_EQ(IdleMotorParts(builder.state.m_vecAllParts).size(), expected.size())
            << c.what << ", in the builder";
        const std::string file = builder.Save(dir.path() / "robot.rob");
        ASSERT_FALSE(file.empty()) << c.what;
        EXPECT_EQ(builder.state.m_vecIdleMotors, expected) << c.what << ", as saved";

        Loader loader;
        ASSERT_EQ(loader.Load({ file }), 3) << c.what;
        ASSERT_EQ(loader.robots.size(), 1u);
        EXPECT_EQ(loader.robots[0]->IdleMotors(), expected) << c.what << ", in the run";
    }
}

TEST(CRob, ClearingARobotDestroysEveryJointOnce) {
    testsupport::TempDir dir;
    const std::string file = SavedBase(dir, "robot.rob");
    SimulationWorld sim;
    osg::ref_ptr<CRob> robot = new CRob(file, sim.scene.get(), sim.world.get(), 1, Config(), Parts());
    ASSERT_EQ(robot->Load(nullptr, 0, 1, {}, SensorBar(), osg::Vec3f(), osg::Quat(), true), CRob::kLoaded);
    // Five fixed joints and the two motors' hinges.
    EXPECT_EQ(sim.world->jointCount(), 7u);
    osg::ref_ptr<CMotor> motor = robot->GetMotors()[0];
    ASSERT_NE(motor->GetJoint(), nullptr);
    robot->Clear();
    EXPECT_EQ(sim.world->jointCount(), 0u);
    EXPECT_EQ(motor->GetJoint(), nullptr);
    EXPECT_EQ(robot->GetRcu(), nullptr);
    EXPECT_FALSE(sim.scene->HasDrawable(robot->GetNameLabel()));
    motor = nullptr;
    robot = nullptr;
    EXPECT_EQ(sim.world->solidCount(), 1u);
}

TEST(CThread, SavesAndLoadsTheBuildersRobotInTheBackground) {
    testsupport::TempDir dir;
    BuilderRobot builder;
    builder.AddBase();
    builder.Add(ModelTypeSensor, "models/sensor/grey.ive", 0.0, 6.0, 0.5, 0.0, 3, SensorKindGrey);
    // A brick whose colour is not opaque reads back with the default colour.
    ASSERT_NE(MakeBuilderPart(builder.state, ModelTypeBrick, "models/brick/brick_2x2.ive",
                  scene::Transform(0.0, 0.0, 5.2), osg::Vec4f(1.0f, 0.5f, 0.25f, 0.5f), 9, 0, 0, 0, 255),
        nullptr);
    builder.state.m_strRobotFile = (dir.path() / "robot.rob").string();
    builder.state.m_nBusy = 2;
    CThread worker;
    worker.StartJob(&builder.state);
    ASSERT_TRUE(worker.wait(20000));
    EXPECT_EQ(builder.state.m_nBusy, kRobotSaved);

    BuilderRobot loaded;
    loaded.state.m_strRobotFile = builder.state.m_strRobotFile;
    loaded.state.m_nBusy = 1;
    worker.StartJob(&loaded.state);
    ASSERT_TRUE(worker.wait(20000));
    EXPECT_EQ(loaded.state.m_nBusy, kRobotLoaded);
    EXPECT_EQ(loaded.state.m_nProgress, 8 * 99 / 9 + 1);
    ASSERT_EQ(loaded.state.m_vecAllParts.size(), builder.state.m_vecAllParts.size());
    // The sections come back in file order: control unit, bricks, wheels,
    // motors, sensors; each part with its id, pose and wiring.
    const int order[] = { 0, 8, 2, 4, 5, 6, 1, 3, 7 };
    for (std::size_t i = 0; i < loaded.state.m_vecAllParts.size(); ++i) {
        const CModel& part = *loaded.state.m_vecAllParts[i];
        const CModel& original = *builder.state.m_vecAllParts[std::size_t(order[i])];
        EXPECT_EQ(part.GetId(), original.GetId()) << i;
        EXPECT_EQ(part.GetType(), original.GetType()) << i;
        EXPECT_EQ(part.GetSubType(), original.GetSubType()) << i;
        EXPECT_EQ(part.GetPort(), original.GetPort()) << i;
        EXPECT_EQ(part.GetOpposite(), original.GetOpposite()) << i;
        EXPECT_EQ(part.GetState().m_vPos, original.GetState().m_vPos) << i;
    }
    EXPECT_EQ(loaded.state.m_vecAllParts[1]->GetDesc().m_vColor, Parts()->Constants().partColor);
    EXPECT_EQ(loaded.state.m_nBuildCounter, 10);

    // A damaged file of the older layout: the worker reports a failed load.
    std::ofstream(dir.path() / "old.rob")
        << "<value><struct><member><name>Rcu</name><value><int>1</int></value></member></struct></value>\n";
    BuilderRobot damaged;
    damaged.state.m_strRobotFile = (dir.path() / "old.rob").string();
    damaged.state.m_nBusy = 1;
    worker.StartJob(&damaged.state);
    ASSERT_TRUE(worker.wait(20000));
    EXPECT_EQ(damaged.state.m_nBusy, kRobotLoadFailed);
    EXPECT_TRUE(damaged.state.m_vecAllParts.empty());
}
