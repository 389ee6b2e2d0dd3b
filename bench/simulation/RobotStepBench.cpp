// What one robot's step costs the simulation, against the physics of the
// frame it belongs to: a robot with eight sensors, its program answering at
// once, on a floor with a few candles, alarms and walls.
#include "elements/Floor.h"
#include "elements/PartContext.h"
#include "foundation/CConfig.h"
#include "platform/ProgramDir.h"
#include "scene/Scene.h"
#include "simulation/CRcu.h"
#include "simulation/CRob.h"
#include "simulation/CSensor.h"
#include "simulation/ContactGroups.h"
#include "simulation/RobotBuilderFile.h"

#include <benchmark/benchmark.h>
#include <tinyxml.h>

#include <filesystem>
#include <memory>

namespace {

namespace fs = std::filesystem;

const std::string kImmediate = std::string(MORVANE_BENCH_PROGRAM_DIR) + "/immediate.so";

struct Bench {
    Bench()
        : config((platform::OverrideProgramDir(MORVANE_PROGRAM_DIR), MORVANE_PROGRAM_DIR))
        , parts(PartContext::FromConfig(config))
        , world(std::make_unique<physics::PhysicsWorld>())
        , scene(new scene::Scene) {
        SetUpSimulationContactGroups(*world);
        floor = new Floor(256.0f, 256.0f, "map/default.png", world.get(), 0);
        // A playground's worth of solids for the flame and sound sensors to
        // look through: candle bodies and flames, alarms, walls.
        for (int i = 0; i < 6; ++i) {
            Block(-150.0 + 60.0 * i, 120.0, 3.0, 0, { 3.0, 3.0, 6.0 });
            Block(-150.0 + 60.0 * i, 120.0, 8.0, 2, { 2.0, 2.0, 4.0 });
            Block(-150.0 + 60.0 * i, -120.0, 1.0, 7, { 4.0, 4.0, 2.0 });
        }
        Block(0.0, 200.0, 6.0, 0, { 400.0, 4.0, 12.0 });

        SPartOwner owner;
        owner.m_nAppKind = 1;
        SRobotFileState state;
        state.m_pPartOwner = &owner;
        state.m_pConfig = &config;
        state.m_pPartContext = parts;
        int id = 0;
        auto add = [&](int kind, const char* address, double x, double y, double z, double heading = 0.0,
                       int port = 0, int sensor = 0, int opposite = 0) {
            MakeBuilderPart(state, kind, address, scene::Transform(x, y, z, heading),
                parts->Constants().partColor, id++, port, sensor, opposite, 255);
        };
        add(ModelTypeRcu, "models/rcu/rcu.ive", 0.0, 0.0, 2.0);
        add(ModelTypeMotor, "models/motor/motor.ive", -6.0, 0.0, 1.6, 0.0, 1);
        add(ModelTypeWheel, "models/wheel/wheel_std.ive", -9.3, 0.0, 3.2);
        add(ModelTypeMotor, "models/motor/motor.ive", 6.0, 0.0, 1.6, 180.0, 2, 0, 1);
        add(ModelTypeWheel, "models/wheel/wheel_std.ive", 9.3, 0.0, 3.2);
        add(ModelTypeWheel, "models/wheel/wheel_uni.ive", 0.0, -5.0, 1.2);
        add(ModelTypeWheel, "models/wheel/wheel_uni.ive", 0.0, 5.0, 1.2);
        add(ModelTypeColoredLight, "models/light/coloredlight.ive", 0.0, -4.0, 5.2, 0.0, 3);
        const std::pair<int, const char*> sensors[]
            = { { SensorKindRay, "ray" }, { SensorKindRanging, "ranging" }, { SensorKindGrey, "grey" },
                  { SensorKindGrey, "grey" }, { SensorKindTrace, "trace" }, { SensorKindCompass, "compass" },
                  { SensorKindFire, "fire" }, { SensorKindCompound, "compound" } };
        int port = 4;
        for (const auto& [kind, model] : sensors) {
            add(ModelTypeSensor, (std::string("models/sensor/") + model + ".ive").c_str(),
                -7.0 + 2.0 * (port - 4), 6.0, 5.2, 0.0, port, kind);
            ++port;
        }
        file = (fs::temp_directory_path() / "morvane-bench-robot.rob").string();
        state.m_strRobotFile = file;
        ready = SaveRobotFile(state) == kRobotSaved;
        // Every sensor model must be in the simulation page's sensor bar.
        std::vector<std::string> bar;
        for (const TiXmlElement* obj
             = config.m_pViewGroup[2] ? config.m_pViewGroup[2]->FirstChildElement("obj") : nullptr;
             obj; obj = obj->NextSiblingElement("obj")) {
            if (const char* address = obj->Attribute("address"))
                bar.push_back(address);
        }
        robot = new CRob(file, scene.get(), world.get(), 1, config, parts);
        ready = ready && robot->Load(nullptr, 0, 1, {}, bar, osg::Vec3f(), osg::Quat(), true) == CRob::kLoaded
            && robot->GetSensors().size() == 8 && robot->GetRcu()->LoadProgram(kImmediate, 0);
        robot->Start();
    }

    ~Bench() {
        if (CRcu* rcu = robot->GetRcu()) {
            rcu->UnloadProgram();
            for (const std::string& name : rcu->GetTempDllNames())
                fs::remove(platform::InProgramDir(name));
        }
        robot = nullptr;
        fs::remove(file);
    }

    void Block(double x, double y, double z, int group, const physics::Vec3& size) {
        physics::Solid* solid = world->createSolid();
        physics::ShapeDesc box = physics::ShapeDesc::box(size);
        box.contactGroup = group;
        solid->addShape(box);
        solid->setPosition({ x, y, z });
        solid->setStatic(true);
    }

    CConfig config;
    PartContextPtr parts;
    std::unique_ptr<physics::PhysicsWorld> world;
    osg::ref_ptr<scene::Scene> scene;
    osg::ref_ptr<Floor> floor;
    std::string file;
    osg::ref_ptr<CRob> robot;
    bool ready = false;
};

// One robot step: the eight readings, the input text, the exchange with the
// program, the output applied to motors and the light, the parts following
// their solids.
void BM_RobotStep(benchmark::State& state) {
    Bench bench;
    if (!bench.ready) {
        state.SkipWithError("cannot build the robot or load its program");
        return;
    }
    for (auto _ : state)
        bench.robot->Step();
    if (!bench.robot->GetRcu()->Program().IsLoaded())
        state.SkipWithError("the program was dropped");
}
BENCHMARK(BM_RobotStep)->Unit(benchmark::kMicrosecond);

// The readings and the input text alone.
void BM_RobotInputText(benchmark::State& state) {
    Bench bench;
    if (!bench.ready) {
        state.SkipWithError("cannot build the robot or load its program");
        return;
    }
    for (auto _ : state)
        bench.robot->BuildInputText();
}
BENCHMARK(BM_RobotInputText)->Unit(benchmark::kMicrosecond);

// The physics of the same frame: 30 steps of 0.02 s with the robot driving.
void BM_PhysicsFrame(benchmark::State& state) {
    Bench bench;
    if (!bench.ready) {
        state.SkipWithError("cannot build the robot or load its program");
        return;
    }
    for (auto _ : state) {
        bench.world->simulate(0.6);
        state.PauseTiming();
        bench.robot->Step();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PhysicsFrame)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
