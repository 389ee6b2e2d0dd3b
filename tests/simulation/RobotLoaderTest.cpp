#include "RobotFixture.h"

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
    data.m_vecStartPositions = { osg::Vec3f(50.0f, 60.0f, 0.0f) };
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
        EXPECT_NEAR(box.center().x(), 0.0, 1e-3) << i;
        EXPECT_NEAR(box.center().y(), 0.0, 1e-3) << i;
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
    {
        Loader loader;
        EXPECT_EQ(loader.Load({}), 3);
        EXPECT_TRUE(loader.robots.empty());
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
