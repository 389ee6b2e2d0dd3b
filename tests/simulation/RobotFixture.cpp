#include "RobotFixture.h"

#include "foundation/CConfig.h"
#include "platform/ProgramDir.h"
#include "simulation/ContactGroups.h"
#include "simulation/RobotBuilderFile.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

namespace robotstest {

namespace {

// Every test reads from the build's program folder (models, the set-up
// file, RobotHost), however it is run.
class ProgramFolder : public ::testing::Environment {
public:
    void SetUp() override { platform::OverrideProgramDir(MORVANE_PROGRAM_DIR); }
};

[[maybe_unused]] ::testing::Environment* const g_programFolder
    = ::testing::AddGlobalTestEnvironment(new ProgramFolder);

} // namespace

const CConfig& Config() {
    static const CConfig* const config = [] {
        platform::OverrideProgramDir(MORVANE_PROGRAM_DIR);
        return new CConfig(MORVANE_PROGRAM_DIR);
    }();
    return *config;
}

const PartContextPtr& Parts() {
    static const PartContextPtr parts = PartContext::FromConfig(Config());
    return parts;
}

std::string TestProgram(const char* name) {
    return std::string(MORVANE_TEST_PROGRAM_DIR) + "/" + name + ".so";
}

SimulationWorld::SimulationWorld(const std::string& picture, bool withFloor)
    : world(std::make_unique<physics::PhysicsWorld>())
    , scene(new scene::Scene) {
    SetUpSimulationContactGroups(*world);
    if (withFloor) {
        floor = new Floor(256.0f, 256.0f, picture, world.get(), 0);
        scene->AddDrawable(floor.get());
    }
}

SimulationWorld::~SimulationWorld() = default;

void SimulationWorld::Frames(int n) {
    for (int i = 0; i < n; ++i)
        world->simulate(0.6);
}

BuilderRobot::BuilderRobot() {
    owner.m_nAppKind = 1;
    state.m_pPartOwner = &owner;
    state.m_pConfig = &Config();
    state.m_pPartContext = Parts();
}

CModel* BuilderRobot::Add(int kind, const std::string& address, double x, double y, double z, double heading,
    int port, int sensorKind, int opposite) {
    const scene::Transform t(x, y, z, heading);
    CModel* part = MakeBuilderPart(state, kind, address, t, Parts()->Constants().partColor,
        state.m_nBuildCounter, port, sensorKind, opposite, 255);
    EXPECT_NE(part, nullptr) << address;
    if (part)
        ++state.m_nBuildCounter;
    return part;
}

void BuilderRobot::AddBase() {
    Add(ModelTypeRcu, "models/rcu/rcu.ive", 0.0, 0.0, 2.0);
    // The motor's shaft (2.6 out along its -x) sits in the wheel's hub.
    Add(ModelTypeMotor, "models/motor/motor.ive", -6.0, 0.0, 1.6, 0.0, 1);
    Add(ModelTypeWheel, "models/wheel/wheel_std.ive", -9.3, 0.0, 3.2);
    Add(ModelTypeMotor, "models/motor/motor.ive", 6.0, 0.0, 1.6, 180.0, 2, 0, 1);
    Add(ModelTypeWheel, "models/wheel/wheel_std.ive", 9.3, 0.0, 3.2);
    Add(ModelTypeWheel, "models/wheel/wheel_uni.ive", 0.0, -5.0, 1.2);
    Add(ModelTypeWheel, "models/wheel/wheel_uni.ive", 0.0, 5.0, 1.2);
}

std::string BuilderRobot::Save(const std::filesystem::path& path) {
    state.m_strRobotFile = path.string();
    return SaveRobotFile(state) == kRobotSaved ? path.string() : std::string();
}

std::vector<std::string> SensorBar() {
    std::vector<std::string> out;
    const TiXmlElement* bar = Config().m_pViewGroup[2];
    for (const TiXmlElement* obj = bar ? bar->FirstChildElement("obj") : nullptr; obj;
         obj = obj->NextSiblingElement("obj")) {
        if (const char* address = obj->Attribute("address"))
            out.push_back(address);
    }
    return out;
}

} // namespace robotstest
