#include "simulation/CRob.h"

#include "elements/CBrick.h"
#include "elements/CColoredLight.h"
#include "elements/CWheel.h"
#include "elements/Geometry.h"
#include "foundation/CConfig.h"
#include "platform/Warnings.h"
#include "scene/Label.h"
#include "scene/MathBridge.h"
#include "scene/Scene.h"
#include "scene/SceneObject.h"
#include "simulation/CMotor.h"
#include "simulation/CRcu.h"
#include "simulation/CSensor.h"
#include "simulation/RobotFile.h"
#include "simulation/RobotPartFactory.h"
#include "simulation/StepText.h"

#include <osg/Geode>
#include <osg/Geometry>
#include <osg/LineWidth>

#include <algorithm>
#include <array>

namespace {

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

// The address of a wheel's mirror image: the same without its last four
// characters (".ive"), then "_r.ive".
std::string MirroredWheel(const std::string& address) {
    if (address.size() < 4)
        return address + "_r.ive";
    return address.substr(0, address.size() - 4) + "_r.ive";
}

scene::Transform Pose(const osg::Vec3d& position, const osg::Quat& rotation) {
    scene::Transform t;
    t.SetTranslation(osg::Vec3(position));
    t.SetRotation(rotation);
    return t;
}

void SetProgress(std::atomic<int>* progress, int value) {
    if (progress)
        progress->store(value, std::memory_order_relaxed);
}

} // namespace

CRob::CRob(const std::string& file, scene::Scene* scene, physics::PhysicsWorld* world, int contactGroup,
    const CConfig& config, PartContextPtr parts)
    : m_pScene(scene)
    , m_pSimulator(world)
    , m_nContactGroup(contactGroup)
    , m_pConfig(&config)
    , m_pParts(parts ? std::move(parts) : PartContext::FromConfig(config))
    , m_strFile(file) { }

CRob::~CRob() {
    Clear();
}

// ---- loading ------------------------------------------------------------------------------------

int CRob::Load(std::atomic<int>* progress, int index, int count, const std::vector<int>& rules,
    const std::vector<std::string>& sensorModels, const osg::Vec3f& startPosition,
    const osg::Quat& startRotation, bool addToScene) {
    const int result = ReadRobotFile(progress, index, count, rules, sensorModels);
    if (result == kLoaded)
        PlaceInWorld(startPosition, startRotation, index, addToScene);
    return result;
}

int CRob::ReadRobotFile(std::atomic<int>* progress, int index, int count, const std::vector<int>& rules,
    const std::vector<std::string>& sensorModels) {
    if (count > 0)
        SetProgress(progress, index * 100 / count);
    if (!m_pScene.valid() || !m_pSimulator)
        return kUnreadable;
    if (m_pRcu)
        return kLoaded;
    m_loadFault = RobotLoadFault::Unreadable;
    std::string text;
    if (!simulation::ReadRobotFileText(m_strFile, text))
        return kUnreadable;
    RobotFileData file;
    std::string refusal;
    const simulation::RobotFileStatus status = simulation::ParseRobotXml(text, file, &refusal);
    if (!refusal.empty())
        platform::Warn("simulation", "robot file " + m_strFile + " is refused: " + refusal);
    switch (status) {
    case simulation::RobotFileStatus::Read:
    case simulation::RobotFileStatus::NoRcuPart:
        m_loadFault = RobotLoadFault::None;
        break;
    case simulation::RobotFileStatus::NotXml:
    case simulation::RobotFileStatus::NoData:
        m_loadFault = RobotLoadFault::NotARobotFile;
        return kUnreadable;
    case simulation::RobotFileStatus::NoRcu:
    case simulation::RobotFileStatus::NoPartCount:
        m_loadFault = RobotLoadFault::NoControlUnit;
        return kUnreadable;
    case simulation::RobotFileStatus::UnsafeAddress:
        m_loadFault = RobotLoadFault::ModelOutside;
        return kUnreadable;
    }
    m_ruleBreak = RobotRuleBreak();
    if (!rules.empty() && rules[0] < file.m_nPartCount) {
        m_loadFault = RobotLoadFault::BreaksRules;
        m_ruleBreak.limit = RobotRuleBreak::Limit::Parts;
        m_ruleBreak.count = file.m_nPartCount;
        m_ruleBreak.allowed = rules[0];
        return kBreaksRules;
    }
    if (status == simulation::RobotFileStatus::NoRcuPart) {
        m_loadFault = RobotLoadFault::NoControlUnit;
        return kUnreadable;
    }

    osg::ref_ptr<CRcu> rcu = new CRcu(m_pParts, file.m_rcu.m_strAddress);
    if (!rcu->LoadModel()) {
        m_loadFault = RobotLoadFault::ControlUnitModel;
        return kUnreadable;
    }
    m_qFileRotation = file.m_rcu.m_qRot;
    rcu->SetTransform(Pose(file.m_rcu.m_vPos, file.m_rcu.m_qRot), scene::CoordSys::Absolute);
    rcu->SetId(file.m_rcu.m_nId);
    m_pRcu = rcu;
    const int result = ReadParts(file, progress, index, count, rules, sensorModels);
    if (result != kLoaded) {
        m_loadFault = RobotLoadFault::BreaksRules;
        Clear();
    }
    return result;
}

bool CRob::AddPart(CModel* part, const osg::Vec3d& position, const osg::Quat& rotation, int id) {
    m_pRcu->AddChild(part);
    part->SetTransform(Pose(position, rotation), scene::CoordSys::Absolute);
    part->SetId(id);
    return true;
}

int CRob::ReadParts(const RobotFileData& file, std::atomic<int>* progress, int index, int count,
    const std::vector<int>& rules, const std::vector<std::string>& sensorModels) {
    // k counts the parts read, the one being read included.
    int k = 0;
    auto step = [&] {
        ++k;
        if (count > 0)
            SetProgress(progress, (k * 100 / file.m_nPartCount + index * 100) / count);
    };
    const bool isE = m_pConfig->m_bIsE;

    for (const SRobotFilePart& p : file.m_vecBricks) {
        step();
        osg::ref_ptr<CBrick> brick = new CBrick(m_pParts, p.m_strAddress);
        if (!brick->LoadModel())
            continue;
        if (m_pConfig->IsColorObj(p.m_strAddress)) {
            brick->GetDesc().m_vColor = p.m_vColor.w() == 1.0
                ? osg::Vec4f(float(p.m_vColor.x()), float(p.m_vColor.y()), float(p.m_vColor.z()), 1.0f)
                : m_pParts->Constants().partColor;
            brick->ApplyColor();
        }
        AddPart(brick.get(), p.m_vPos, p.m_qRot, p.m_nId);
        m_vecBricks.push_back(brick);
    }

    for (const SRobotFilePart& p : file.m_vecMotors) {
        step();
        osg::ref_ptr<CMotor> motor = new CMotor(m_pParts, p.m_strAddress, isE);
        if (!motor->LoadModel())
            continue;
        motor->SetPort(p.m_nPort);
        motor->SetOpposite(p.m_nOpposite == 1 ? 1 : 0);
        for (const SRobotFileJoin& join : file.m_vecJoinMotors) {
            if (join.m_nId == p.m_nId) {
                motor->SetJoinedWheelId(join.m_nId2);
                break;
            }
        }
        AddPart(motor.get(), p.m_vPos, p.m_qRot, p.m_nId);
        m_vecMotors.push_back(motor);
    }

    for (const SRobotFilePart& p : file.m_vecWheels) {
        step();
        std::string address = p.m_strAddress;
        osg::Quat rotation = p.m_qRot;
        // A wheel put on the far side of the robot points its x axis along
        // -x; turned over, it turns the way the motors drive.
        const osg::Vec3f axis = RotateVec3(osg::Vec3f(1.0f, 0.0f, 0.0f), osg::Matrixd(rotation));
        if (!(CosAngle3D(axis, osg::Vec3f(1.0f, 0.0f, 0.0f)) > m_pParts->Constants().portLimit)) {
            osg::Quat halfTurn;
            halfTurn.makeRotate(osg::Vec3d(1.0, 0.0, 0.0), osg::Vec3d(-1.0, 0.0, 0.0));
            rotation = halfTurn * rotation;
            if (Contains(address, "wheel7"))
                address = MirroredWheel(address);
        }
        osg::ref_ptr<CWheel> wheel = new CWheel(m_pParts, address);
        if (!wheel->LoadModel())
            continue;
        AddPart(wheel.get(), p.m_vPos, rotation, p.m_nId);
        m_vecWheels.push_back(wheel);
    }

    for (const SRobotFilePart& p : file.m_vecSensors) {
        step();
        osg::ref_ptr<CSensor> sensor = MakeSensor(p.m_nSensor, m_pParts, p.m_strAddress, isE);
        if (!sensor || !sensor->LoadModel())
            continue;
        if (CheckPartLimit(p.m_strAddress, rules, sensorModels) != 0) {
            m_ruleBreak.count = int(std::count_if(file.m_vecSensors.begin(), file.m_vecSensors.end(),
                [&](const SRobotFilePart& other) { return other.m_strAddress == p.m_strAddress; }));
            return kBreaksRules;
        }
        sensor->SetPort(p.m_nPort);
        sensor->SetRayDis(p.m_nRayDis);
        AddPart(sensor.get(), p.m_vPos, p.m_qRot, p.m_nId);
        m_vecSensors.push_back(sensor);
    }

    for (const SRobotFilePart& p : file.m_vecLights) {
        step();
        osg::ref_ptr<CColoredLight> light = new CColoredLight(m_pParts, p.m_strAddress);
        if (!light->LoadModel())
            continue;
        light->SetPort(p.m_nPort);
        AddPart(light.get(), p.m_vPos, p.m_qRot, p.m_nId);
        m_vecLights.push_back(light);
    }
    return kLoaded;
}

int CRob::CheckPartLimit(
    const std::string& address, const std::vector<int>& rules, const std::vector<std::string>& sensorModels) {
    if (m_vecPartCounters.size() != sensorModels.size())
        m_vecPartCounters.assign(sensorModels.size(), 0);
    m_ruleBreak.address = address;
    for (std::size_t j = 0; j < sensorModels.size(); ++j) {
        if (sensorModels[j] != address)
            continue;
        const int limit = rules.size() > j + 2 ? rules[j + 2] : 8;
        if (limit == 0 || m_vecPartCounters[j] >= limit) {
            m_ruleBreak.limit = RobotRuleBreak::Limit::Sensors;
            m_ruleBreak.allowed = limit;
            m_ruleBreak.sensorModel = int(j);
            return 1;
        }
        ++m_vecPartCounters[j];
        return 0;
    }
    m_ruleBreak.limit = RobotRuleBreak::Limit::SensorModel;
    return 1;
}

void CRob::FixToRcu(CModel* part) {
    physics::PhysicsWorld* world = m_pSimulator.get();
    if (!world || !m_pRcu->GetSolid() || !part->GetSolid())
        return;
    m_vecJoints.emplace_back(world->createFixedJoint({ m_pRcu->GetSolid(), part->GetSolid() }));
}

void CRob::JoinWheels() {
    physics::PhysicsWorld* world = m_pSimulator.get();
    for (const osg::ref_ptr<CWheel>& wheel : m_vecWheels) {
        CMotor* claimed = nullptr;
        for (const osg::ref_ptr<CMotor>& motor : m_vecMotors) {
            if (!motor->IsJoined() && motor->GetJoinedWheelId() == wheel->GetId()) {
                claimed = motor.get();
                break;
            }
        }
        if (claimed) {
            claimed->AttachWheel(wheel.get());
            claimed->SetJoined(true);
            wheel->SetJoined(true);
            continue;
        }
        if (!world || !m_pRcu->GetSolid() || !wheel->GetSolid())
            continue;
        if (Contains(wheel->GetAddress(), "wheel_uni")) {
            FixToRcu(wheel.get());
            continue;
        }
        // A wheel that no motor drives turns freely on the body; only a
        // motor's wheel has a bearing that holds it (CWheel::kBearingFriction).
        const scene::Transform t = wheel->GetTransform(scene::CoordSys::Absolute);
        physics::HingeJointDesc desc;
        desc.first = m_pRcu->GetSolid();
        desc.second = wheel->GetSolid();
        desc.anchor = scene::ToPhysics(osg::Vec3d(t.GetTranslation()));
        desc.axis
            = scene::ToPhysics(osg::Vec3d(RotateVec3(osg::Vec3f(1.0f, 0.0f, 0.0f), t.GetRotationMatrix())))
                  .normalized();
        desc.limitsEnabled = false;
        desc.lowLimitDegrees = -180.0;
        desc.highLimitDegrees = 180.0;
        desc.hardness = 1.0;
        desc.bounciness = 0.0;
        desc.friction = 0.0;
        m_vecJoints.emplace_back(world->createHingeJoint(desc));
    }
    for (const osg::ref_ptr<CMotor>& motor : m_vecMotors)
        motor->SetJoinedWheelId(-1);
}

std::vector<int> CRob::IdleMotors() const {
    std::vector<int> idle;
    for (std::size_t i = 0; i < m_vecMotors.size(); ++i) {
        if (!m_vecMotors[i]->GetJoint())
            idle.push_back(int(i));
    }
    return idle;
}

void CRob::PlaceInWorld(
    const osg::Vec3f& startPosition, const osg::Quat& startRotation, int index, bool addToScene) {
    physics::PhysicsWorld* world = m_pSimulator.get();
    scene::Scene* scene = m_pScene.get();
    if (!world || !m_pRcu)
        return;
    // A robot placed before keeps its solids and joints and is only moved.
    if (!m_bInWorld) {
        BuildPhysics(*world, scene, addToScene);
        m_bInWorld = true;
    }

    m_robotBox = GetCurrentBox();
    scene::Transform t = m_pRcu->GetTransform(scene::CoordSys::Absolute);
    osg::Vec3f position = startPosition;
    if (m_robotBox.valid()) {
        position.z() += (m_robotBox.zMax() - m_robotBox.zMin()) / 2.0f;
        position += startRotation * (t.GetTranslation() - m_robotBox.center());
    }
    t.SetTranslation(position);
    t.SetRotation(m_qFileRotation * startRotation);
    m_pRcu->SetTransform(t, scene::CoordSys::Absolute);

    SyncPhysicsToScene();
    for (const osg::ref_ptr<CMotor>& motor : m_vecMotors)
        motor->SetValue(0);
    m_pTrailPoints = new osg::Vec3Array;
    if (scene && m_pLabel && m_pLabel->GetTopNode()->getNumParents() > 0)
        scene->RemoveDrawable(m_pLabel.get());
    CreateNameLabel(index);
    if (addToScene && scene)
        scene->AddDrawable(m_pLabel.get());
}

void CRob::BuildPhysics(physics::PhysicsWorld& world, scene::Scene* scene, bool addToScene) {
    // Every part gets its solid where the file puts it, so that joints join
    // the parts as the file has them; the whole robot moves to its start
    // pose afterwards.
    m_pRcu->CreateSolid(&world, m_nContactGroup);
    if (addToScene && scene)
        scene->AddDrawable(m_pRcu.get());
    m_pRcu->PushPoseToSolid();
    auto solidOf = [&](CModel* part) {
        part->CreateSolid(&world, m_nContactGroup);
        part->PushPoseToSolid();
    };
    for (const osg::ref_ptr<CBrick>& brick : m_vecBricks) {
        solidOf(brick.get());
        FixToRcu(brick.get());
    }
    for (const osg::ref_ptr<CMotor>& motor : m_vecMotors) {
        solidOf(motor.get());
        FixToRcu(motor.get());
    }
    for (const osg::ref_ptr<CWheel>& wheel : m_vecWheels)
        solidOf(wheel.get());
    JoinWheels();
    for (const osg::ref_ptr<CSensor>& sensor : m_vecSensors) {
        solidOf(sensor.get());
        sensor->CreateProbe();
        sensor->SetScene(scene, m_pConfig->m_bShowSensorEffect);
        FixToRcu(sensor.get());
    }
    m_bShowSensorEffects = m_pConfig->m_bShowSensorEffect;
    for (const osg::ref_ptr<CColoredLight>& light : m_vecLights) {
        solidOf(light.get());
        FixToRcu(light.get());
    }
}

// ---- poses ------------------------------------------------------------------------------------

void CRob::SyncPhysicsToScene() {
    if (!m_pRcu)
        return;
    m_pRcu->PushPoseToSolid();
    for (const auto& part : m_vecBricks)
        part->PushPoseToSolid();
    for (const auto& part : m_vecMotors)
        part->PushPoseToSolid();
    for (const auto& part : m_vecWheels)
        part->PushPoseToSolid();
    for (const auto& part : m_vecSensors)
        part->PushPoseToSolid();
    for (const auto& part : m_vecLights)
        part->PushPoseToSolid();
}

osg::BoundingBox CRob::GetCurrentBox() const {
    return m_pRcu ? m_pRcu->scene::SceneObject::GetBoundingBox() : osg::BoundingBox();
}

void CRob::UpdateCarried() {
    if (!m_pRcu)
        return;
    m_pRcu->UpdateFromSolid();
    for (const auto& part : m_vecWheels)
        part->UpdateFromSolid();
    for (const auto& part : m_vecBricks)
        part->UpdateFromSolid();
    for (const auto& part : m_vecMotors)
        part->UpdateFromSolid();
    for (const auto& part : m_vecSensors)
        part->UpdateFromSolid();
    for (const auto& part : m_vecLights)
        part->PushPoseToSolid();

    if (!m_pCarriedGeo && m_vecCarried.empty())
        return;
    const osg::BoundingBox box = GetCurrentBox();
    const scene::Transform body = m_pRcu->GetTransform(scene::CoordSys::Absolute);
    const osg::Quat r = body.GetQuat();
    // On top of the robot: the object's bottom on the robot's top.
    auto putOnTop = [&](CModel& object, const scene::Transform& carried) {
        const osg::BoundingBox own = object.scene::SceneObject::GetBoundingBox();
        scene::Transform t;
        t.SetTranslation(body.GetTranslation().x(), body.GetTranslation().y(),
            box.zMax() + (own.center().z() - own.zMin()));
        t.SetRotation(carried.GetQuat() * r);
        object.SetTransform(t, scene::CoordSys::Absolute);
        return t;
    };
    if (m_pCarriedGeo) {
        putOnTop(*m_pCarriedGeo, m_carriedGeoTransform);
        return;
    }
    const scene::Transform first = putOnTop(
        *m_vecCarried[0], m_vecCarriedTransforms.empty() ? scene::Transform() : m_vecCarriedTransforms[0]);
    for (std::size_t i = 1; i < m_vecCarried.size(); ++i) {
        const osg::BoundingBox previous = m_vecCarried[i - 1]->scene::SceneObject::GetBoundingBox();
        const osg::BoundingBox own = m_vecCarried[i]->scene::SceneObject::GetBoundingBox();
        scene::Transform t = first;
        t.SetTranslation(previous.xMax() + (own.center().x() - own.xMin()), first.GetTranslation().y(),
            first.GetTranslation().z());
        m_vecCarried[i]->SetTransform(t, scene::CoordSys::Absolute);
    }
}

// ---- texts, steps and score --------------------------------------------------------------------

void CRob::StepAll(const std::vector<osg::ref_ptr<CRob>>& robots) {
    // No robot's input depends on another robot's step in the same frame, so
    // every program gets its input before any output is taken. Sensors read
    // the physics world (rays, and where the solids of the groups they look
    // for are), their own touches, and their own part's pose in the scene. A
    // robot's step changes its motors' torques for the next physics step, its
    // lights' colours, the scene poses of its parts and of what it carries,
    // and the physics poses of its own solids only (lights pushing theirs, an
    // eliminated robot held where its scene shows it). A robot's solids are in
    // the robots' group 1, which no sensor's ray meets and no sensor looks for
    // (SetUpSimulationContactGroups, the sensors' groups), and what it carries
    // is hidden in group 31.
    std::vector<CRobotProgram*> programs;
    programs.reserve(robots.size());
    for (const osg::ref_ptr<CRob>& robot : robots) {
        robot->BeginStep();
        if (robot->m_bStepExchanges)
            programs.push_back(&robot->m_pRcu->Program());
    }
    CRobotProgram::AwaitExchanges(programs);
    for (const osg::ref_ptr<CRob>& robot : robots)
        robot->FinishStep();
}

void CRob::BeginStep() {
    if (m_bEliminated)
        SyncPhysicsToScene();
    m_bStepRunning = m_bRunning;
    m_bStepExchanges = m_bRunning && !m_pConfig->m_bKeyDrive && m_pRcu;
    if (!m_bStepRunning)
        return;
    BuildInputText();
    if (m_bStepExchanges)
        m_pRcu->Program().BeginExchange(m_strInputText);
}

void CRob::FinishStep() {
    if (m_bStepRunning) {
        if (m_bStepExchanges)
            m_pRcu->Program().FinishExchange(m_strOutputText);
        ++m_nStepCount;
        ApplyOutputText();
    }
    m_bStepRunning = false;
    m_bStepExchanges = false;
    UpdateCarried();
}

void CRob::BuildInputText() {
    std::vector<std::string> readings(m_vecSensors.size());
    std::vector<StepText::SensorReading> devices;
    devices.reserve(m_vecSensors.size());
    for (std::size_t i = 0; i < m_vecSensors.size(); ++i) {
        CSensor& sensor = *m_vecSensors[i];
        sensor.GetValue(readings[i]);
        devices.push_back({ sensor.GetPort(), sensor.GetSubType(), readings[i] });
    }
    m_strInputText = StepText::BuildInputText(m_nStepCount, devices);
}

void CRob::ApplyOutputText() {
    std::vector<int> motorPorts;
    for (const auto& motor : m_vecMotors)
        motorPorts.push_back(motor->GetPort());
    std::vector<int> lightPorts;
    for (const auto& light : m_vecLights)
        lightPorts.push_back(light->GetPort());
    const std::optional<StepText::DeviceValues> values
        = StepText::ResolveOutputText(m_strOutputText, motorPorts, lightPorts);
    if (!values) {
        for (const auto& motor : m_vecMotors)
            motor->LetGo();
        return;
    }
    for (std::size_t i = 0; i < m_vecMotors.size(); ++i) {
        if (values->motors[i])
            m_vecMotors[i]->SetValue(*values->motors[i]);
        m_vecMotors[i]->Apply();
    }
    for (std::size_t i = 0; i < m_vecLights.size(); ++i) {
        if (values->lights[i])
            m_vecLights[i]->SetColorIndex(*values->lights[i]);
        m_vecLights[i]->ApplyColor();
    }
}

void CRob::SetManualDriveOutput(int direction) {
    const std::array<int, 4> speeds { m_pConfig->m_nDriveSpeed[0], m_pConfig->m_nDriveSpeed[1],
        m_pConfig->m_nDriveSpeed[2], m_pConfig->m_nDriveSpeed[3] };
    m_strOutputText = StepText::ManualDriveOutputText(direction, speeds);
}

void CRob::Start() {
    if (!m_pRcu)
        return;
    ClearTrail();
    m_bRunning = true;
}

void CRob::Stop() {
    if (!m_pRcu)
        return;
    ClearTrail();
    m_bRunning = false;
}

void CRob::Eliminate() {
    m_bEliminated = true;
    Stop();
    m_pConfig->EncodeScore(m_vecScore, 0);
    FreezeSolids();
}

void CRob::FreezeSolids() {
    // Nothing below the playground catches a fallen robot: its solids would
    // fall faster and faster for as long as the run goes on, until the
    // physics engine could no longer place them.
    auto freeze = [](CModel* part) {
        if (physics::Solid* solid = part->GetSolid())
            solid->setEnabled(false);
    };
    if (!m_pRcu)
        return;
    freeze(m_pRcu.get());
    for (const auto& part : m_vecBricks)
        freeze(part.get());
    for (const auto& part : m_vecMotors)
        freeze(part.get());
    for (const auto& part : m_vecWheels)
        freeze(part.get());
    for (const auto& part : m_vecSensors)
        freeze(part.get());
    for (const auto& part : m_vecLights)
        freeze(part.get());
}

void CRob::SetScore(int score) {
    m_pConfig->EncodeScore(m_vecScore, score);
}

int CRob::GetScore() const {
    return m_vecScore.empty() ? 0 : m_pConfig->DecodeScore(m_vecScore);
}

// ---- label, trail and sensor effects ---------------------------------------------------------------

void CRob::CreateNameLabel(int index) {
    m_pLabel = new scene::Label("LabelActor");
    const scene::Transform base(0.0, 0.0, 0.0, 0.0, 90.0, 0.0);
    m_qLabelRotation = base.GetQuat();
    m_pLabel->SetTextColor(osg::Vec4(0.0f, 1.0f, 1.0f, 0.8f));
    m_pLabel->SetFontSize(6.0f);
    m_pLabel->SetAlignment(osgText::TextBase::CENTER_CENTER);
    m_pLabel->SetEnableDepthTesting(false);
    m_pLabel->SetEnableLighting(false);
    m_pLabel->SetBackSize(osg::Vec2(0.0f, 0.0f));
    m_pLabel->SetText("Rob." + std::to_string(index + 1));
    scene::Transform t(0.0, 0.0, 1000.0);
    t.SetRotation(m_qLabelRotation);
    m_pLabel->SetTransform(t, scene::CoordSys::Absolute);
}

void CRob::UpdateNameLabel(const scene::Transformable& camera) {
    UpdateNameLabel(camera.GetTransform(scene::CoordSys::Absolute).GetQuat());
}

void CRob::UpdateNameLabel(const osg::Quat& cameraTurn) {
    if (!m_pLabel || !m_pRcu)
        return;
    osg::Vec3 position(m_pRcu->GetAbsoluteMatrix().getTrans());
    const osg::BoundingBox box = GetCurrentBox();
    if (box.valid())
        position.z() = box.zMax() + 10.0f;
    scene::Transform t;
    t.SetTranslation(position);
    t.SetRotation(m_qLabelRotation * cameraTurn);
    m_pLabel->SetTransform(t, scene::CoordSys::Absolute);
}

void CRob::RemoveTrailObject() {
    if (!m_pTrail)
        return;
    if (scene::Scene* scene = m_pScene.get())
        scene->RemoveDrawable(m_pTrail.get());
    m_pTrail = nullptr;
}

void CRob::UpdateTrail() {
    scene::Scene* scene = m_pScene.get();
    if (!m_pRcu || !scene)
        return;
    if (!m_pTrailPoints)
        m_pTrailPoints = new osg::Vec3Array;
    m_pTrailPoints->push_back(m_pRcu->GetTransform(scene::CoordSys::Absolute).GetTranslation());
    if (m_pTrailPoints->size() < 2)
        return;
    RemoveTrailObject();
    osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
    geometry->setVertexArray(m_pTrailPoints.get());
    osg::ref_ptr<osg::Vec4Array> colours = new osg::Vec4Array(osg::Array::BIND_OVERALL);
    colours->push_back(osg::Vec4(1.0f, 0.0f, 0.0f, 1.0f));
    geometry->setColorArray(colours.get());
    geometry->getOrCreateStateSet()->setAttribute(new osg::LineWidth(3.0f));
    geometry->addPrimitiveSet(
        new osg::DrawArrays(osg::PrimitiveSet::LINE_STRIP, 0, GLsizei(m_pTrailPoints->size())));
    m_pTrailPoints->dirty();
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(geometry.get());
    m_pTrail = new scene::SceneObject("Object");
    m_pTrail->GetOSGNode()->addChild(geode.get());
    scene->AddDrawable(m_pTrail.get());
}

void CRob::ClearTrail() {
    RemoveTrailObject();
    if (m_pTrailPoints)
        m_pTrailPoints->clear();
}

void CRob::ShowSensorEffects(bool on) {
    m_bShowSensorEffects = on;
    for (const auto& sensor : m_vecSensors)
        sensor->ShowEffect(on);
}

void CRob::UpdateSensorEffects() {
    for (const auto& sensor : m_vecSensors) {
        sensor->PushPoseToSolid();
        std::string reading;
        sensor->GetValue(reading);
        sensor->UpdateEffect();
    }
}

// ---- teardown ----------------------------------------------------------------------------------

std::size_t CRob::GetJointCount() const {
    std::size_t n = 0;
    for (const auto& joint : m_vecJoints)
        n += joint ? 1 : 0;
    return n;
}

void CRob::Clear() {
    for (auto& joint : m_vecJoints)
        joint.destroy();
    m_vecJoints.clear();
    // Each motor owns its hinge.
    for (const auto& motor : m_vecMotors)
        motor->DetachWheel();
    // Only what is in a scene is taken out of it: a robot that failed to
    // load goes in the loader's thread, having never been in one.
    if (scene::Scene* scene = m_pScene.get()) {
        for (scene::SceneObject* object : { static_cast<scene::SceneObject*>(m_pRcu.get()),
                 static_cast<scene::SceneObject*>(m_pLabel.get()) }) {
            if (object && object->GetTopNode()->getNumParents() > 0)
                scene->RemoveDrawable(object);
        }
    }
    ClearTrail();
    m_pRcu = nullptr;
    m_bInWorld = false;
    m_vecBricks.clear();
    m_vecWheels.clear();
    m_vecMotors.clear();
    m_vecSensors.clear();
    m_vecLights.clear();
    m_pTrailPoints = nullptr;
    m_pTrail = nullptr;
}
