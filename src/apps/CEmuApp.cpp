#include "apps/CEmuApp.h"

#include "apps/MotionModel.h"
#include "foundation/CConfig.h"
#include "physics/PhysicsWorld.h"
#include "scene/Camera.h"
#include "scene/Label.h"
#include "scene/Scene.h"
#include "simulation/CPlayground.h"
#include "simulation/CRcu.h"
#include "simulation/CRob.h"
#include "simulation/CTrigger.h"
#include "simulation/ContactGroups.h"

#include <algorithm>

namespace {

constexpr int kStartZone = 1;

// The loader's outcome as the window's reload handler takes it.
constexpr int kReloadFailed = 0;
constexpr int kReloadLoaded = 1;
constexpr int kReloadBreaksRules = 2;

// A click in turn mode turns the robot by this much about the vertical.
constexpr float kClickTurnDegrees = 30.0f;
// The follow camera looks down on the robot by this much.
constexpr double kFollowTilt = -0.7;

// Drive key codes of the page's 3-D host.
enum DriveKey {
    KeyForwardDown = 15,
    KeyBackDown = 16,
    KeyLeftDown = 17,
    KeyRightDown = 18,
    KeyForwardUp = 19,
    KeyBackUp = 20,
    KeyLeftUp = 21,
    KeyRightUp = 22,
};

// The manual-drive direction of the held keys: opposite keys cancel the
// whole drive; 1 forward, 2 back, 3 left, 4 right, 5-8 the four curves.
int DriveDirection(bool forward, bool back, bool left, bool right) {
    if ((forward && back) || (left && right))
        return 0;
    if (forward)
        return left ? 5 : (right ? 6 : 1);
    if (back)
        return left ? 7 : (right ? 8 : 2);
    if (left)
        return 3;
    if (right)
        return 4;
    return 0;
}

} // namespace

CEmuApp::CEmuApp(const std::string& configName, scene::SceneView* window)
    : CEmuApp(configName, window, CConfig::Instance()) { }

CEmuApp::CEmuApp(
    const std::string& configName, scene::SceneView* window, CConfig& config, PartContextPtr parts)
    : CApp(configName, window)
    , m_config(config)
    , m_pParts(parts ? std::move(parts) : PartContext::FromConfig(config)) {
    SRobThreadData& block = *GetLoadBlock();
    m_GameState.m_pLoadBlock = &block;
    block.m_pRobots = &m_vRobots;
    m_GameState.m_pCamera = GetCamera();
    // Queued: the thread's finished signal comes from the thread itself. The
    // loader's own hand-over of the robots is connected first and runs first.
    connect(&m_RobThread, &QThread::finished, this, &CEmuApp::slot_ThreadEnd);
    // The overview from behind the ground, 800 away.
    CApp::SetViewPreset(3);

    CreateWorld();
    block.m_pScene = GetScene();
    block.m_pSimulator = m_pSimulator.get();
    block.m_pConfig = &m_config;
    block.m_pPartContext = m_pParts;
    block.m_nCounter1 = 1;
    block.m_nCounter2 = 1;
    m_pPlayground
        = new CPlayground(&m_GameState, m_pSimulator.get(), 0, 256.0f, 256.0f, CPlayground::kDefaultGround);
}

CEmuApp::~CEmuApp() {
    // The loader reads the load block and the configuration: it ends first.
    m_RobThread.wait();
    m_pSelRob = nullptr;
    m_pCarried = nullptr;
    ClearRobots();
    if (m_pPlayground)
        m_pPlayground->Clear();
    // The playground looks at the game state when it goes, which goes
    // before it otherwise.
    m_pPlayground = nullptr;
    DestroyWorld();
}

void CEmuApp::CreateWorld() {
    if (IsLoading())
        return;
    m_pSimulator = std::make_unique<physics::PhysicsWorld>();
    m_pSimulator->setGravity({ 0.0, 0.0, -9.8 });
    m_pSimulator->setStepSize(0.02);
    SetUpSimulationContactGroups(*m_pSimulator);
}

void CEmuApp::DestroyWorld() {
    if (!m_pSimulator)
        return;
    m_pSimulator->destroyAllJoints();
    m_pSimulator->destroyAllRayProbes();
    m_pSimulator->destroyAllSolids();
    m_pSimulator.reset();
}

bool CEmuApp::IsLoading() const {
    return m_RobThread.GetData().m_nStatus.load(std::memory_order_acquire) == 1;
}

int CEmuApp::GetFrameCount() const {
    return m_config.DecodeTicks(m_RobThread.GetData().m_vecFrameCount);
}

void CEmuApp::SetFrameCount(int frames) {
    m_config.EncodeTicks(GetLoadBlock()->m_vecFrameCount, frames);
}

void CEmuApp::Quit() {
    m_bRunning = false;
    CApp::Quit();
}

// ---- the simulation step -------------------------------------------------------------------

void CEmuApp::PreFrame(double deltaTime) {
    if (IsLoading()) {
        emit signal_Ui_SetProgress(GetLoadBlock()->m_nProgress.load());
        return;
    }
    const std::size_t robots = m_vRobots.size();
    const bool running = m_bRunning && m_pSimulator;
    if (running && !StepRun(robots))
        return;
    RefreshRobots(!running);
    if (m_pPlayground)
        m_pPlayground->UpdateScoreLabels();
    FollowSelectedRobot();
    CApp::PreFrame(deltaTime);
}

bool CEmuApp::StepRun(std::size_t robots) {
    m_pSimulator->simulate(kFrameSeconds);
    if (m_pPlayground)
        m_pPlayground->Step();
    // A zone stopped the run: the robots do not move in this frame, and the
    // frame is not counted.
    if (m_GameState.m_bStop) {
        emit signal_Ui_StopEmu();
        return false;
    }
    CRob::StepAll(m_vRobots);
    for (std::size_t i = 0; i < m_vRobots.size(); ++i) {
        CRcu* unit = m_vRobots[i]->GetRcu();
        const CRobotProgram::Drop drop = unit ? unit->Program().TakeDrop() : CRobotProgram::Drop::None;
        if (drop != CRobotProgram::Drop::None)
            emit signal_Ui_ProgramDropped(
                int(i), int(drop), QString::fromLocal8Bit(unit->Program().GetChosenPath().c_str()));
    }
    if (m_config.m_bShowSensorEffect) {
        for (const osg::ref_ptr<CRob>& robot : m_vRobots)
            robot->UpdateTrail();
    }
    const int frames = GetFrameCount() + 1;
    SetFrameCount(frames);
    if (m_nMaxTime > 0 && frames >= m_nMaxTime) {
        SetFrameCount(m_nMaxTime);
        emit signal_Ui_StopEmu();
        return false;
    }
    // A fallen robot is eliminated again in every frame, so that nothing
    // scores it back.
    std::size_t fallen = 0;
    for (const osg::ref_ptr<CRob>& robot : m_vRobots) {
        const CRcu* unit = robot->GetRcu();
        if (unit && float(unit->GetAbsoluteMatrix().getTrans().z()) < kFallenBelow) {
            ++fallen;
            robot->Eliminate();
        }
    }
    if (robots > 0 && fallen == robots) {
        emit signal_Ui_StopEmu();
        return false;
    }
    return true;
}

void CEmuApp::RefreshRobots(bool idle) {
    const osg::Quat cameraTurn = GetCamera()->GetTransform(scene::CoordSys::Absolute).GetQuat();
    for (const osg::ref_ptr<CRob>& robot : m_vRobots) {
        if (idle)
            robot->BuildInputText();
        if (m_config.m_bShowSensorEffect)
            robot->UpdateSensorEffects();
        robot->UpdateNameLabel(cameraTurn);
    }
}

void CEmuApp::FollowSelectedRobot() {
    if (!m_bFollow || !m_pSelRob || !m_pSelRob->GetRcu())
        return;
    const scene::Transform unit = m_pSelRob->GetRcu()->GetTransform(scene::CoordSys::Absolute);
    const osg::Quat q = unit.GetQuat();
    const float h = float(m_nFollowHeight);
    // Behind and above the robot, turned with it, looking down on it.
    const osg::Vec3 eye = unit.GetTranslation() + osg::Vec3(0.0f, -h, h) * osg::Matrixd::rotate(q);
    const osg::Quat rotation = osg::Quat(kFollowTilt, osg::Vec3(1.0f, 0.0f, 0.0f)) * q;
    scene::Transform camera = GetCamera()->GetTransform();
    camera.SetTranslation(eye);
    camera.SetRotation(rotation);
    GetCamera()->SetTransform(camera);
}

// ---- loading -------------------------------------------------------------------------------

void CEmuApp::ClearRobots() {
    // The thread's robots reach the list only when it has finished.
    if (IsLoading())
        return;
    std::vector<osg::ref_ptr<CRob>> robots;
    robots.swap(m_vRobots);
    for (const osg::ref_ptr<CRob>& robot : robots)
        robot->Clear();
}

void CEmuApp::ReloadMap(int keepPaused) {
    if (IsLoading())
        return;
    m_bKeepPaused = keepPaused != 0;
    SetFrameCount(0);
    LoadMapFile(GetLoadBlock()->m_strPlaygroundFile);
    ResetAndLoad();
}

bool CEmuApp::LoadMapFile(const std::string& fileName) {
    if (IsLoading() || !m_pPlayground)
        return false;
    // The playground takes the file's objects and scoring rules in place of
    // its own only once the file has proved sound; until then what was
    // loaded stays. No file chosen yet is no fault to report.
    if (!fileName.empty())
        m_pPlayground->LoadFromFile(fileName);
    m_sMapFile = fileName;
    return true;
}

bool CEmuApp::UnloadMap() {
    if (IsLoading() || !m_pPlayground)
        return false;
    m_pPlayground->Unload();
    m_sMapFile.clear();
    return true;
}

void CEmuApp::ResetAndLoad() {
    if (IsLoading())
        return;
    m_pSelRob = nullptr;
    m_pCarried = nullptr;
    ClearRobots();
    Pause();
    SRobThreadData& block = *GetLoadBlock();
    if (block.m_vecRobotFiles.empty()) {
        if (!m_bKeepPaused)
            Resume();
        else
            m_bKeepPaused = false;
        return;
    }
    block.m_vecStartPositions.clear();
    block.m_vecStartRotations.clear();
    if (m_pPlayground) {
        for (const osg::ref_ptr<CTrigger>& zone : m_pPlayground->GetTriggers()) {
            if (zone->GetSubType() != kStartZone)
                continue;
            const scene::Transform t = zone->GetTransform(scene::CoordSys::Absolute);
            block.m_vecStartPositions.push_back(t.GetTranslation());
            block.m_vecStartRotations.push_back(t.GetQuat());
        }
    }
    m_RobThread.StartLoading();
}

void CEmuApp::slot_ThreadEnd() {
    SRobThreadData& block = *GetLoadBlock();
    for (const osg::ref_ptr<CRob>& robot : m_vRobots) {
        m_pSelRob = robot;
        AddDrawable(robot->GetRcu());
        AddDrawable(robot->GetNameLabel());
    }
    if (!m_vRobots.empty())
        m_pSelRob = m_vRobots.front();
    int result = kReloadFailed;
    switch (block.m_nStatus.load(std::memory_order_acquire)) {
    case 3:
        result = kReloadLoaded;
        break;
    case 4:
        result = kReloadBreaksRules;
        break;
    default:
        break;
    }
    block.m_nStatus = 0;
    emit signal_Ui_SetProgress(100);
    emit signal_Ui_ReloadToEmuApp(result);
    if (m_bKeepPaused)
        m_bKeepPaused = false;
    else
        Resume();
}

bool CEmuApp::LoadRobotProgram(const std::string& dllPath, int robotIndex) {
    if (IsLoading() || robotIndex < 0 || std::size_t(robotIndex) >= m_vRobots.size())
        return false;
    CRob* robot = m_vRobots[std::size_t(robotIndex)].get();
    if (!robot || !robot->GetRcu())
        return false;
    return robot->GetRcu()->LoadProgram(dllPath, robotIndex);
}

void CEmuApp::StartRun() {
    SetFrameCount(0);
    for (std::size_t i = 0; i < m_vRobots.size(); ++i) {
        CRob* robot = m_vRobots[i].get();
        CRcu* unit = robot ? robot->GetRcu() : nullptr;
        if (!unit)
            continue;
        if (m_config.m_bKeyDrive) {
            unit->UnloadProgram();
            robot->Start();
            continue;
        }
        const std::vector<std::string>& copies = unit->GetTempDllNames();
        if (copies.empty())
            continue;
        // Every run starts the program afresh, from the copy its robot last
        // loaded: a robot that moved down the list when another was removed
        // keeps its own program. A program that does not load has said why
        // on standard error; its robot starts all the same and keeps still.
        std::string copy = unit->Program().GetLastCopy();
        if (copy.empty())
            copy = copies[std::min(i, copies.size() - 1)];
        LoadRobotProgram(copy, int(i));
        robot->Start();
    }
    m_bRunning = true;
}

// ---- commands of the page ---------------------------------------------------------------------

void CEmuApp::SetFollowTarget(CRob* robot) {
    if (IsLoading())
        return;
    m_pSelRob = robot;
}

void CEmuApp::DriveByKey(int code) {
    if (IsLoading() || m_vRobots.empty() || !m_bRunning)
        return;
    switch (code) {
    case KeyForwardDown:
        m_bKeyFwd = true;
        break;
    case KeyBackDown:
        m_bKeyBack = true;
        break;
    case KeyLeftDown:
        m_bKeyLeft = true;
        break;
    case KeyRightDown:
        m_bKeyRight = true;
        break;
    case KeyForwardUp:
        m_bKeyFwd = false;
        break;
    case KeyBackUp:
        m_bKeyBack = false;
        break;
    case KeyLeftUp:
        m_bKeyLeft = false;
        break;
    case KeyRightUp:
        m_bKeyRight = false;
        break;
    default:
        break;
    }
    m_vRobots.front()->SetManualDriveOutput(DriveDirection(m_bKeyFwd, m_bKeyBack, m_bKeyLeft, m_bKeyRight));
}

void CEmuApp::ToggleDriveMode() {
    m_config.m_bKeyDrive = !m_config.m_bKeyDrive;
}

void CEmuApp::ToggleSensorEffect() {
    if (IsLoading())
        return;
    const bool show = !m_config.m_bShowSensorEffect;
    m_config.m_bShowSensorEffect = show;
    for (const osg::ref_ptr<CRob>& robot : m_vRobots) {
        robot->ShowSensorEffects(show);
        if (!show)
            robot->ClearTrail();
    }
}

void CEmuApp::TurnRobot(CRob& robot, const osg::Matrixd& turn) {
    CRcu* unit = robot.GetRcu();
    if (!unit)
        return;
    scene::Transform t = unit->GetTransform(scene::CoordSys::Absolute);
    t.SetRotation(t.GetRotationMatrix() * turn);
    unit->SetTransform(t, scene::CoordSys::Absolute);
}

void CEmuApp::SyncAllRobotsToScene() {
    for (const osg::ref_ptr<CRob>& robot : m_vRobots)
        robot->SyncPhysicsToScene();
}

void CEmuApp::RotateSelectedRobot(const osg::Matrixd& turn) {
    if (IsLoading() || m_bRunning || !m_pSelRob || m_config.m_bKeyDrive)
        return;
    TurnRobot(*m_pSelRob, turn);
    m_pSelRob->SyncPhysicsToScene();
}

void CEmuApp::SetViewPreset(int preset) {
    if (IsLoading())
        return;
    CRcu* unit = m_pSelRob ? m_pSelRob->GetRcu() : nullptr;
    if (preset != 4 || !unit) {
        m_pMotionModel->SetTarget(GetCamera());
        m_bFollow = false;
        CApp::SetViewPreset(preset);
        return;
    }
    // The orbit camera would fight the follow camera for the view.
    m_pMotionModel->SetTarget(nullptr);
    scene::Transform camera;
    camera.SetTranslation(unit->GetTransform(scene::CoordSys::Absolute).GetTranslation()
        + osg::Vec3(0.0f, 0.0f, float(m_nFollowHeight)));
    camera.SetRotation(0.0, -89.0, 0.0);
    GetCamera()->SetTransform(camera);
    m_bFollow = true;
}

// ---- the mouse -----------------------------------------------------------------------------------

CRob* CEmuApp::RobotOfUnit(const CElement* element) const {
    if (!element)
        return nullptr;
    for (const osg::ref_ptr<CRob>& robot : m_vRobots) {
        if (robot->GetRcu() == element)
            return robot.get();
    }
    return nullptr;
}

CRob* CEmuApp::PickRobot(const osg::Vec2& point, bool& hitSomething) {
    // A robot's parts hang below its control unit: a click on any of them
    // picks the unit.
    const CElement* picked = PickElement(ElementKindModel, point);
    hitSomething = picked != nullptr;
    return RobotOfUnit(picked);
}

bool CEmuApp::MouseButtonPressed(scene::Mouse* mouse, int button) {
    if (!m_bRun || IsLoading() || button != scene::Mouse::LeftButton || m_bRunning || m_bFollow)
        return false;
    const osg::Vec2 point = mouse->GetPosition();
    bool hit = false;
    switch (m_nMouseMode) {
    case MouseModeMove: {
        if (m_pCarried) {
            // Put down wherever the pointer is.
            m_pCarried = nullptr;
            m_pSelRob = nullptr;
            SyncAllRobotsToScene();
            return true;
        }
        CRob* robot = PickRobot(point, hit);
        if (!robot)
            return false;
        m_pCarried = robot->GetRcu();
        m_pSelRob = robot;
        return true;
    }
    case MouseModeRotate: {
        CRob* robot = PickRobot(point, hit);
        if (!robot)
            return hit;
        TurnRobot(*robot, osg::Matrixd::rotate(DegToRadF(kClickTurnDegrees), osg::Vec3(0.0f, 0.0f, 1.0f)));
        SyncAllRobotsToScene();
        return true;
    }
    case MouseModeDelete: {
        CRob* robot = PickRobot(point, hit);
        if (!robot)
            return false;
        m_pCarried = robot->GetRcu();
        m_pSelRob = robot;
        RemoveSelectedRobot();
        return true;
    }
    default:
        return false;
    }
}

bool CEmuApp::CarryTo(const osg::Vec2& point) {
    osg::Vec3f hit;
    if (!Pick3D(hit, point))
        return false;
    m_pCarried->PutBottomAt(hit);
    if (CRob* robot = RobotOfUnit(m_pCarried.get()))
        robot->SyncPhysicsToScene();
    return true;
}

bool CEmuApp::MouseMoved(scene::Mouse*, float x, float y) {
    if (!m_bRun || IsLoading() || m_bRunning || m_nMouseMode != MouseModeMove || !m_pCarried || m_bFollow)
        return false;
    return CarryTo(osg::Vec2(x, y));
}

bool CEmuApp::MouseDragged(scene::Mouse* mouse, float x, float y) {
    if (mouse->GetButtonState(scene::Mouse::LeftButton) && m_pCarried)
        MouseMoved(mouse, x, y);
    return false;
}

bool CEmuApp::MouseScrolled(scene::Mouse*, int delta) {
    if (!m_bRun)
        return false;
    m_nFollowHeight += delta > 0 ? -5 : 5;
    return true;
}

bool CEmuApp::Pick3D(osg::Vec3f& point, const osg::Vec2& windowPoint) {
    std::vector<scene::SceneObject*> elements;
    elements.reserve(m_GameState.m_vElements.size());
    for (const osg::ref_ptr<CElement>& element : m_GameState.m_vElements)
        elements.push_back(element.get());
    const scene::PickResult picked
        = scene::FindPickedObject(Pick(windowPoint.x(), windowPoint.y()), elements);
    if (!picked)
        return false;
    point = picked.worldPoint;
    return true;
}

bool CEmuApp::RemoveSelectedRobot() {
    if (IsLoading() || !m_pSelRob)
        return false;
    SRobThreadData& block = *GetLoadBlock();
    for (std::size_t i = 0; i < m_vRobots.size(); ++i) {
        if (m_vRobots[i] != m_pSelRob)
            continue;
        m_vRobots[i]->Clear();
        m_vRobots.erase(m_vRobots.begin() + std::ptrdiff_t(i));
        if (i < block.m_vecRobotFiles.size())
            block.m_vecRobotFiles.erase(block.m_vecRobotFiles.begin() + std::ptrdiff_t(i));
        // The program list runs beside the robot list; left alone, the next
        // reload would hand every later robot the program of the one before.
        if (i < block.m_vecProgramFiles.size())
            block.m_vecProgramFiles.erase(block.m_vecProgramFiles.begin() + std::ptrdiff_t(i));
        break;
    }
    m_pSelRob = nullptr;
    m_pCarried = nullptr;
    return true;
}

// ---- what the window reads -----------------------------------------------------------------------

int CEmuApp::GetRobotCount() const {
    return IsLoading() ? 0 : int(m_vRobots.size());
}

CRob* CEmuApp::GetRobot(int index) const {
    if (index < 0 || index >= GetRobotCount())
        return nullptr;
    return m_vRobots[std::size_t(index)].get();
}

bool CEmuApp::GetRobotTexts(int index, std::string& output, std::string& input) const {
    const CRob* robot = GetRobot(index);
    if (!robot)
        return false;
    output = robot->GetOutputText();
    input = robot->GetInputText();
    return true;
}

std::string CEmuApp::GetRobotFileName(int index) const {
    const CRob* robot = GetRobot(index);
    return robot ? robot->GetFileName() : std::string();
}
