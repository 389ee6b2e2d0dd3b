#include "ExampleRobot.h"

#include "elements/CModel.h"
#include "foundation/CConfig.h"
#include "scene/Transform.h"
#include "simulation/RobotBuilderFile.h"

#include <algorithm>
#include <iterator>

ExampleRobot::ExampleRobot(const CConfig& config, PartContextPtr parts) {
    m_owner.m_nAppKind = 1;
    m_state.m_pPartOwner = &m_owner;
    m_state.m_pConfig = &config;
    m_state.m_pPartContext = std::move(parts);
}

bool ExampleRobot::Add(int kind, const std::string& address, const osg::Vec3d& at, double heading, int port,
    int sensorKind, int opposite) {
    const scene::Transform transform(at.x(), at.y(), at.z(), heading);
    const CModel* part
        = MakeBuilderPart(m_state, kind, address, transform, m_state.m_pPartContext->Constants().partColor,
            m_state.m_nBuildCounter, port, sensorKind, opposite, 255);
    if (!part)
        return false;
    ++m_state.m_nBuildCounter;
    return true;
}

bool ExampleRobot::AddSensor(
    int sensorKind, const std::string& stem, const osg::Vec3d& at, int port, double heading) {
    return Add(ModelTypeSensor, "models/sensor/" + stem + ".ive", at, heading, port, sensorKind);
}

bool ExampleRobot::AddLight(const osg::Vec3d& at, int port) {
    return Add(ModelTypeColoredLight, "models/light/coloredlight.ive", at, 0.0, port);
}

bool ExampleRobot::AddBase() {
    // The motor's shaft (2.6 out along its -x, 1.6 up) sits in the wheel's
    // hub, and the wheel (radius 3.2) stands on the ground.
    return Add(ModelTypeRcu, "models/rcu/rcu.ive", { 0.0, 0.0, 2.0 })
        && Add(ModelTypeMotor, "models/motor/motor.ive", { -6.0, 0.0, 1.6 }, 0.0, 1)
        && Add(ModelTypeWheel, "models/wheel/wheel_std.ive", { -9.3, 0.0, 3.2 })
        && Add(ModelTypeMotor, "models/motor/motor.ive", { 6.0, 0.0, 1.6 }, 180.0, 2, 0, 1)
        && Add(ModelTypeWheel, "models/wheel/wheel_std.ive", { 9.3, 0.0, 3.2 })
        && Add(ModelTypeWheel, "models/wheel/wheel_uni.ive", { 0.0, -5.0, 1.2 })
        && Add(ModelTypeWheel, "models/wheel/wheel_uni.ive", { 0.0, 5.0, 1.2 });
}

bool ExampleRobot::AddDeck() {
    return Add(ModelTypeBrick, "models/brick/plate_4x8.ive", { 0.0, 6.0, kUnitTop });
}

bool ExampleRobot::Save(const std::string& path) {
    // The parts in the order the builder holds them once it has loaded a
    // robot (the file's sections), so that an example opened and saved
    // again in the builder is the same file.
    static constexpr int kSectionOrder[] = { ModelTypeRcu, ModelTypeBrick, ModelTypeWheel, ModelTypeMotor,
        ModelTypeSensor, ModelTypeColoredLight };
    auto section = [](const osg::ref_ptr<CModel>& part) {
        return std::find(std::begin(kSectionOrder), std::end(kSectionOrder), part->GetType())
            - std::begin(kSectionOrder);
    };
    std::stable_sort(m_state.m_vecAllParts.begin(), m_state.m_vecAllParts.end(),
        [&](const auto& a, const auto& b) { return section(a) < section(b); });
    m_state.m_strRobotFile = path;
    return SaveRobotFile(m_state) == kRobotSaved;
}
