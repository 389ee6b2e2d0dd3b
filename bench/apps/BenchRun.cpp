#include "BenchRun.h"

#include "elements/CModel.h"
#include "elements/SPartOwner.h"
#include "platform/ProgramDir.h"
#include "scene/Transform.h"
#include "simulation/CSensor.h"
#include "simulation/CTrigger.h"
#include "simulation/PlaygroundFile.h"
#include "simulation/RobotBuilderFile.h"
#include "simulation/SRobotFileState.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <benchmark/benchmark.h>
#include <tinyxml.h>

#include <unistd.h>

namespace emubench {

namespace {

std::string WriteRobot(
    const CConfig& config, const PartContextPtr& parts, const std::filesystem::path& path) {
    SPartOwner owner;
    owner.m_nAppKind = 1;
    SRobotFileState state;
    state.m_pPartOwner = &owner;
    state.m_pConfig = &config;
    state.m_pPartContext = parts;
    struct Part {
        int kind;
        const char* address;
        double x, y, z, heading;
        int port, sensorKind, opposite;
    };
    const Part robot[] = {
        { ModelTypeRcu, "models/rcu/rcu.ive", 0.0, 0.0, 2.0, 0.0, 0, 0, 0 },
        { ModelTypeMotor, "models/motor/motor.ive", -6.0, 0.0, 1.6, 0.0, 1, 0, 0 },
        { ModelTypeWheel, "models/wheel/wheel_std.ive", -9.3, 0.0, 3.2, 0.0, 0, 0, 0 },
        { ModelTypeMotor, "models/motor/motor.ive", 6.0, 0.0, 1.6, 180.0, 2, 0, 1 },
        { ModelTypeWheel, "models/wheel/wheel_std.ive", 9.3, 0.0, 3.2, 0.0, 0, 0, 0 },
        { ModelTypeWheel, "models/wheel/wheel_uni.ive", 0.0, -5.0, 1.2, 0.0, 0, 0, 0 },
        { ModelTypeWheel, "models/wheel/wheel_uni.ive", 0.0, 5.0, 1.2, 0.0, 0, 0, 0 },
        { ModelTypeSensor, "models/sensor/ray.ive", -3.0, 4.0, 5.2, 0.0, 3, SensorKindRay, 0 },
        { ModelTypeSensor, "models/sensor/ranging.ive", 0.0, 4.0, 5.2, 0.0, 4, SensorKindRanging, 0 },
        { ModelTypeSensor, "models/sensor/grey.ive", 3.0, 4.0, 5.2, 0.0, 5, SensorKindGrey, 0 },
    };
    for (const Part& part : robot) {
        MakeBuilderPart(state, part.kind, part.address,
            scene::Transform(part.x, part.y, part.z, part.heading), parts->Constants().partColor,
            state.m_nBuildCounter++, part.port, part.sensorKind, part.opposite, 255);
    }
    state.m_strRobotFile = path.string();
    return SaveRobotFile(state) == kRobotSaved ? path.string() : std::string();
}

PlaygroundFile::Item Item(
    int type, const char* address, const osg::Vec3f& position, const osg::Vec3f& scale) {
    PlaygroundFile::Item item;
    item.info.m_desc.m_nType = type;
    item.info.m_desc.m_strAddress = address;
    item.info.m_state.m_vPos = position;
    item.info.m_state.m_vScale = scale;
    return item;
}

std::string WritePlayground(int robots, int objects, const std::filesystem::path& path) {
    PlaygroundFile file;
    int id = 0;
    for (int i = 0; i < robots; ++i) {
        PlaygroundFile::Item zone = Item(ModelTypeTrigger, "models/trigger/start.ive",
            osg::Vec3f(-150.0f + 60.0f * float(i), -150.0f, 0.0f), osg::Vec3f(40.0f, 40.0f, 1.0f));
        zone.info.m_desc.m_nSubType = TriggerStart;
        file.Add(zone.info, id++);
    }
    // Every kind of object the playground builder offers, in turn, on a grid
    // in front of the robots.
    struct Kind {
        int type;
        const char* address;
        osg::Vec3f scale;
        float z;
        int subType = 0;
    };
    const Kind kinds[] = {
        { ModelTypeSlope, "models/playground/slope.ive", { 30.0f, 30.0f, 8.0f }, 4.0f },
        { ModelTypeGeo, "models/playground/cube.ive", { 8.0f, 8.0f, 8.0f }, 4.0f },
        { ModelTypeCandle, "models/playground/candle.ive", { 1.0f, 1.0f, 1.0f }, 0.0f },
        { ModelTypeGeo, "models/playground/ball.ive", { 8.0f, 8.0f, 8.0f }, 4.0f },
        { ModelTypeAlarm, "models/playground/alarm.ive", { 1.0f, 1.0f, 1.0f }, 0.0f },
        { ModelTypeSlope, "models/playground/hill.ive", { 30.0f, 30.0f, 8.0f }, 4.0f },
        { ModelTypeWounded, "models/playground/astronaut.ive", { 1.0f, 1.0f, 1.0f }, 0.0f },
        { ModelTypeGeo, "models/playground/can.ive", { 6.0f, 6.0f, 10.0f }, 5.0f },
        { ModelTypeTakenObj, "models/playground/astronaut_red.ive", { 1.0f, 1.0f, 1.0f }, 0.0f },
        { ModelTypeTrigger, "models/trigger/score.ive", { 30.0f, 30.0f, 1.0f }, 0.0f, TriggerScore },
    };
    for (int i = 0; i < objects; ++i) {
        const Kind& kind = kinds[i % std::size(kinds)];
        const osg::Vec3f at(-200.0f + 45.0f * float(i % 10), -60.0f + 50.0f * float(i / 10), kind.z);
        PlaygroundFile::Item item = Item(kind.type, kind.address, at, kind.scale);
        item.info.m_desc.m_nSubType = kind.subType;
        file.Add(item.info, id++);
    }
    std::string error;
    return file.Save(path.string(), error) ? path.string() : std::string();
}

} // namespace

SetUpSensorBar::SetUpSensorBar(const CConfig& config) {
    const TiXmlElement* bar = config.m_pViewGroup[2];
    for (const TiXmlElement* obj = bar ? bar->FirstChildElement("obj") : nullptr; obj;
         obj = obj->NextSiblingElement("obj")) {
        if (const char* address = obj->Attribute("address"))
            m_addresses.push_back(address);
    }
}

BenchRun::BenchRun(int robots, int objects, scene::SceneView* view)
    : m_folder(std::filesystem::temp_directory_path() / ("morvane_emubench_" + std::to_string(::getpid())))
    , m_config(QString::fromUtf8(MORVANE_PROGRAM_DIR))
    , m_sensorBar(m_config) {
    std::filesystem::create_directories(m_folder);
    const PartContextPtr parts = PartContext::FromConfig(m_config);
    m_emu = new CEmuApp("config.xml", view, m_config, parts);
    m_loop.AddApp(m_emu.get());
    m_loop.Start();

    const std::string robot = WriteRobot(m_config, parts, m_folder / "robot.rob");
    SRobThreadData& block = *m_emu->GetLoadBlock();
    block.m_pSensorModelTable = &m_sensorBar;
    block.m_strPlaygroundFile = WritePlayground(robots, objects, m_folder / "playground.pla");
    block.m_vecRobotFiles.assign(std::size_t(robots), robot);
    int result = -1;
    const QMetaObject::Connection reloaded
        = QObject::connect(m_emu.get(), &CEmuApp::signal_Ui_ReloadToEmuApp, [&](int r) { result = r; });
    m_emu->ReloadMap(0);
    QDeadlineTimer deadline(60000);
    while (result < 0 && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        m_loop.Step();
    }
    QObject::disconnect(reloaded);
    m_ready = result == 1 && m_emu->GetRobotCount() == robots;
    for (int i = 0; m_ready && i < robots; ++i)
        m_ready = m_emu->LoadRobotProgram(MORVANE_BENCH_PROGRAM_DIR "/immediate.so", i);
}

BenchRun::~BenchRun() {
    m_emu = nullptr;
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
}

void BenchRun::StartRun() {
    m_emu->StartRun();
}

int RunBenchmarks(int argc, char** argv) {
    platform::OverrideProgramDir(MORVANE_PROGRAM_DIR);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace emubench
