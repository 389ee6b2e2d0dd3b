#include "samples/SampleFiles.h"

#include "elements/CModel.h"
#include "elements/PartContext.h"
#include "elements/SPartOwner.h"
#include "foundation/CConfig.h"
#include "scene/Transform.h"
#include "simulation/CSensor.h"
#include "simulation/CTrigger.h"
#include "simulation/PlaygroundFile.h"
#include "simulation/RobotBuilderFile.h"
#include "simulation/SRobotFileState.h"

namespace samples {

namespace {

PlaygroundFile::Item Zone(int kind, float x, float y, float width, float depth, int mode, int score) {
    static const char* const kModels[]
        = { "models/trigger/end.ive", "models/trigger/start.ive", "models/trigger/score.ive" };
    PlaygroundFile::Item item;
    item.info.m_desc.m_nType = ModelTypeTrigger;
    item.info.m_desc.m_nSubType = kind;
    item.info.m_desc.m_strAddress = kModels[kind];
    item.info.m_state.m_vPos.set(x, y, 0.0f);
    item.info.m_state.m_vScale.set(width, depth, 1.0f);
    item.info.m_state.m_nTriggerMode = mode;
    item.info.m_state.m_nScore = score;
    return item;
}

} // namespace

bool WriteRover(const CConfig& config, const std::filesystem::path& file, std::string& error) {
    const PartContextPtr parts = PartContext::FromConfig(config);
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
    // The motors' shafts sit in the wheels' hubs, the compass on the unit.
    const Part rover[] = {
        { ModelTypeRcu, "models/rcu/rcu.ive", 0.0, 0.0, 2.0, 0.0, 0, 0, 0 },
        { ModelTypeMotor, "models/motor/motor.ive", -6.0, 0.0, 1.6, 0.0, 1, 0, 0 },
        { ModelTypeWheel, "models/wheel/wheel_std.ive", -9.3, 0.0, 3.2, 0.0, 0, 0, 0 },
        { ModelTypeMotor, "models/motor/motor.ive", 6.0, 0.0, 1.6, 180.0, 2, 0, 1 },
        { ModelTypeWheel, "models/wheel/wheel_std.ive", 9.3, 0.0, 3.2, 0.0, 0, 0, 0 },
        { ModelTypeWheel, "models/wheel/wheel_uni.ive", 0.0, -5.0, 1.2, 0.0, 0, 0, 0 },
        { ModelTypeWheel, "models/wheel/wheel_uni.ive", 0.0, 5.0, 1.2, 0.0, 0, 0, 0 },
        { ModelTypeSensor, "models/sensor/compass.ive", 0.0, 4.0, 5.2, 0.0, 3, SensorKindCompass, 0 },
    };
    for (const Part& p : rover) {
        if (!MakeBuilderPart(state, p.kind, p.address, scene::Transform(p.x, p.y, p.z, p.heading),
                parts->Constants().partColor, state.m_nBuildCounter, p.port, p.sensorKind, p.opposite, 255)) {
            error = std::string("cannot make the part ") + p.address;
            return false;
        }
        ++state.m_nBuildCounter;
    }
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
    state.m_strRobotFile = file.string();
    if (SaveRobotFile(state) != kRobotSaved) {
        error = "cannot write " + file.string();
        return false;
    }
    return true;
}

bool WriteFirstRun(
    const std::filesystem::path& file, int zoneScore, bool endZone, int robots, std::string& error) {
    PlaygroundFile playground;
    int id = 0;
    for (int i = 0; i < robots; ++i)
        playground.Add(Zone(TriggerStart, 60.0f * float(i), 0.0f, 40.0f, 40.0f, 0, 0).info, id++);
    playground.Add(Zone(TriggerScore, 0.0f, 30.0f, 60.0f, 10.0f, 1, zoneScore).info, id++);
    if (endZone)
        playground.Add(Zone(TriggerEnd, 0.0f, 55.0f, 60.0f, 10.0f, 1, 5).info, id++);
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
    return playground.Save(file.string(), error);
}

} // namespace samples
