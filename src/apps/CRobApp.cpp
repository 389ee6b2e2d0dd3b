// The robot builder: construction, the frame, the pointer, the command
// dispatcher, the assembly show and screenshots.

#include "apps/CRobApp.h"

#include "apps/AppsLog.h"
#include "apps/CCam.h"
#include "apps/MotionModel.h"
#include "elements/CDrawTri.h"
#include "elements/CModelBox.h"
#include "elements/Geometry.h"
#include "elements/Nets.h"
#include "foundation/CConfig.h"
#include "platform/WholeFile.h"
#include "simulation/RobotBuilderFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <osg/Camera>
#include <osg/Image>
#include <osg/RenderInfo>
#include <osgDB/FileNameUtils>
#include <osgDB/ReaderWriter>
#include <osgDB/Registry>

#include <algorithm>
#include <cerrno>
#include <sstream>

// Reads the frame buffer after the camera has drawn, while a screenshot is
// armed.
class CRobApp::SImgCallback : public osg::Camera::DrawCallback {
public:
    enum State { Idle = 0, Armed = 1, Drawn = 2 };

    void operator()(osg::RenderInfo&) const override {
        if (!m_pImage || m_nWidth <= 0 || m_nHeight <= 0)
            return;
        m_pImage->allocateImage(m_nWidth, m_nHeight, 1, GL_RGB, GL_UNSIGNED_BYTE);
        m_pImage->readPixels(0, 0, m_nWidth, m_nHeight, GL_RGB, GL_UNSIGNED_BYTE);
        m_bRead = true;
    }

    bool m_bFastCapture = false;
    osg::ref_ptr<osg::Image> m_pImage;
    int m_nState = Idle;
    int m_nWidth = 0;
    int m_nHeight = 0;
    std::string m_strPath;
    // The picture was read from a drawn frame since it was armed.
    mutable bool m_bRead = false;
    // The fast capture's size.
    int m_nFastWidth = 0;
    int m_nFastHeight = 0;
};

namespace {

PartContextPtr ContextOf(const CConfig& config, PartContextPtr context) {
    return context ? std::move(context) : PartContext::FromConfig(config);
}

} // namespace

CRobApp::CRobApp(const std::string& configName, scene::SceneView* window)
    : CRobApp(configName, window, CConfig::Instance()) { }

CRobApp::CRobApp(
    const std::string& configName, scene::SceneView* window, const CConfig& config, PartContextPtr context)
    : CApp(configName, window)
    , m_config(config)
    , m_pPartContext(ContextOf(config, std::move(context))) {
    m_pImgCallback = new SImgCallback;
    m_edit.m_pPartContext = m_pPartContext;
    m_edit.m_pConfig = &m_config;

    m_pMotionModel->SetDistance(160.0f);
    ResetCamera();

    m_pGrid = new Nets(50.0f, 50.0f, 2.0f);
    m_pArrow = new CDrawTri;
    AddDrawable(m_pGrid.get());
    AddDrawable(m_pArrow.get());

    s_SetUpEditor(m_edit, *this);
    connect(&m_worker, &QThread::finished, this, &CRobApp::slot_ThreadEnd);

    if (!m_config.m_strRcu.empty())
        AddPart(MakePart(ModelTypeRcu, 0, m_config.m_strRcu).get());
}

CRobApp::~CRobApp() {
    // The picture reader goes with the builder, not later with the camera.
    if (osg::Camera* camera = GetCamera()->GetOSGCamera();
        camera->getPostDrawCallback() == m_pImgCallback.get())
        camera->setPostDrawCallback(nullptr);
}

bool CRobApp::IsBusy() const {
    const int busy = m_edit.m_nBusy;
    return busy == SEditState::BusyLoading || busy == SEditState::BusySaving;
}

void CRobApp::PreFrame(double deltaTime) {
    TakeScreenshotStep();
    const int busy = m_edit.m_nBusy;
    if (busy <= SEditState::BusyIdle) {
        s_UpdateOverlays(m_edit);
        m_pArrow->Animate();
        CApp::PreFrame(deltaTime);
    } else if (busy == SEditState::BusyLoading || busy == SEditState::BusySaving) {
        emit signal_Ui_SetProgress(m_edit.m_nProgress);
    }
}

// ---- robot --------------------------------------------------------------------------------

double CRobApp::LowestBottom(bool includeSelected) {
    double lowest = 0.0;
    for (const osg::ref_ptr<CModel>& part : m_edit.m_vecAllParts) {
        if (!includeSelected && s_IsSelected(m_edit, part.get(), false))
            continue;
        lowest = std::min(lowest, part->GetBottomZ());
    }
    m_edit.m_dLowestBottom = lowest;
    return lowest;
}

void CRobApp::PlaceGrid(bool includeSelected) {
    const double z = LowestBottom(includeSelected);
    scene::Transform t;
    t.SetTranslation(0.0, 0.0, z);
    m_pGrid->SetTransform(t);
    m_pArrow->SetTransform(t);
}

void CRobApp::ResetCamera() {
    GetCamera()->SetTransform(scene::Transform(0.0, -80.0, 50.0, 0.0, -30.0, 0.0));
    m_pMotionModel->SetFocalPoint(osg::Vec3(0.0f, 0.0f, 0.0f));
}

void CRobApp::ClearRobot() {
    ResetCamera();
    for (const osg::ref_ptr<CModel>& part : m_edit.m_vecAllParts)
        RemoveDrawable(part.get());
    m_edit.m_vecAllParts.clear();
    s_ResetEditor(m_edit);
}

void CRobApp::ShowRobot(bool newControlUnit) {
    if (newControlUnit) {
        if (!m_config.m_strRcu.empty())
            AddPart(MakePart(ModelTypeRcu, 0, m_config.m_strRcu).get());
    } else {
        for (const osg::ref_ptr<CModel>& part : m_edit.m_vecAllParts)
            AddDrawable(part.get());
    }
    PlaceGrid(true);
    ShowObjCount();
    emit signal_Ui_SaveFlag(m_edit.m_bClean);
    emit signal_Ui_UpdatePort();
    emit signal_Ui_NoSel();
}

void CRobApp::NewRobot() {
    if (IsBusy())
        return;
    ClearRobot();
    ShowRobot(true);
}

void CRobApp::StartFileThread(
    const std::string& path, bool load, bool toSimulation, bool openAfter, bool newAfter) {
    if (IsBusy())
        return;
    m_edit.m_bActions[SEditState::ActionOpenFile] = openAfter;
    m_edit.m_bActions[SEditState::ActionNewRobot] = newAfter;
    m_edit.m_nProgress = 0;
    emit signal_Ui_SetProgress(0);
    if (load) {
        // The robot in the editor stays, shown and with its undo history,
        // until the file has proved sound: the worker reads into a list of
        // its own, and a failed load puts this robot back whole.
        m_keptRobot.parts.swap(m_edit.m_vecAllParts);
        m_edit.m_vecAllParts.clear();
        m_keptRobot.buildCounter = m_edit.m_nBuildCounter;
        m_edit.m_nBuildCounter = 0;
        m_keptRobot.file = m_edit.m_strRobotFile;
        m_edit.m_nBusy = SEditState::BusyLoading;
    } else {
        m_edit.m_nBusy = SEditState::BusySaving;
    }
    m_edit.m_bActions[SEditState::ActionToSimulation] = toSimulation;
    m_edit.m_strRobotFile = path;
    m_worker.StartJob(&m_edit);
}

void CRobApp::slot_ThreadEnd() {
    const int result = m_edit.m_nBusy;
    const bool loaded = result == kRobotLoadFailed || result == kRobotLoaded;
    const bool success = result == kRobotLoaded || result == kRobotSaved;
    m_edit.m_nBusy = SEditState::BusyIdle;
    emit signal_Ui_SetProgress(100);
    bool actions[SEditState::ActionCount];
    std::copy(std::begin(m_edit.m_bActions), std::end(m_edit.m_bActions), std::begin(actions));
    if (loaded) {
        // Said of the file that was read, before the robot and its file are
        // put back.
        const QString refusal = success ? QString() : FileFaultText(true);
        TakeLoadedRobot(success);
        emit signal_Ui_RobotLoaded(success);
        if (actions[SEditState::ActionToSimulation])
            emit signal_Ui_RobAppToEmuApp();
        else if (!success)
            m_config.f_TipsDlg(refusal);
    } else if (success) {
        // The file on disk is now the robot in the editor.
        s_MarkUndoClean(m_edit);
        emit signal_Ui_SaveFlag(m_edit.m_bClean);
        emit signal_Ui_RobotSaved();
        if (actions[SEditState::ActionToSimulation])
            emit signal_Ui_RobAppToEmuApp();
        else if (actions[SEditState::ActionOpenFile])
            emit signal_Ui_RobAppOpenFile();
        else if (actions[SEditState::ActionNewRobot])
            emit signal_Ui_RobAppNew();
    } else {
        // The editor stays unsaved: the close question still asks.
        m_config.f_TipsDlg(FileFaultText(false));
    }
}

QString CRobApp::FileFaultText(bool load) const {
    const auto text = [this](const char* key) { return m_config.GetText("CRobApp", "slot_ThreadEnd", key); };
    const QString place = QString::fromStdString(m_edit.m_strFaultPlace);
    const QString reason = QString::fromLocal8Bit(platform::SystemReason(m_edit.m_nFileError).c_str());
    QString why;
    switch (m_edit.m_fault) {
    case RobotFileFault::None:
        break;
    case RobotFileFault::Unreadable:
        why = m_edit.m_nFileError == EFBIG ? text("sTooLarge").arg(simulation::kMaxRobotFileSize >> 20)
                                           : text("sUnreadable").arg(reason);
        break;
    case RobotFileFault::NotARobot:
        why = text("sNotRobot");
        break;
    case RobotFileFault::NoControlUnit:
        why = text("sNoRcu");
        break;
    case RobotFileFault::UnsafeAddress:
        why = text("sUnsafe").arg(place);
        break;
    case RobotFileFault::NoModel:
        why = text("sNoModel").arg(place);
        break;
    case RobotFileFault::Nothing:
        why = text("sNothing");
        break;
    case RobotFileFault::Unwritable:
        why = text("sSystem").arg(reason);
        break;
    }
    // The file by the name the student knows it by.
    QString message = text(load ? "sLoad" : "sSave") + QLatin1Char('\n')
        + QDir::toNativeSeparators(QFile::decodeName(QByteArray::fromStdString(m_edit.m_strRobotFile)));
    if (!why.isEmpty())
        message += QLatin1Char('\n') + why;
    return message;
}

void CRobApp::TakeLoadedRobot(bool loaded) {
    std::vector<osg::ref_ptr<CModel>> kept;
    kept.swap(m_keptRobot.parts);
    if (!loaded) {
        // Nothing of the file stays; the robot, its file, its saved state and
        // its history are as they were before the open.
        m_edit.m_vecAllParts = std::move(kept);
        m_edit.m_nBuildCounter = m_keptRobot.buildCounter;
        m_edit.m_strRobotFile = m_keptRobot.file;
        PlaceGrid(true);
        ShowObjCount();
        emit signal_Ui_SaveFlag(m_edit.m_bClean);
        emit signal_Ui_UpdatePort();
        emit signal_Ui_StepChange();
        emit signal_Ui_NoSel();
        return;
    }
    std::vector<osg::ref_ptr<CModel>> read;
    read.swap(m_edit.m_vecAllParts);
    const int counter = m_edit.m_nBuildCounter;
    m_edit.m_vecAllParts = std::move(kept);
    ClearRobot();
    m_edit.m_vecAllParts = std::move(read);
    m_edit.m_nBuildCounter = counter;
    ShowRobot(false);
}

std::vector<const CModel*> CRobApp::IdleMotors() {
    if (!IsBusy()) {
        m_lastIdleMotors.clear();
        for (const CModel* motor : IdleMotorParts(m_edit.m_vecAllParts))
            m_lastIdleMotors.emplace_back(const_cast<CModel*>(motor));
    }
    std::vector<const CModel*> idle;
    const std::vector<osg::ref_ptr<CModel>>& parts = m_edit.m_vecAllParts;
    for (const osg::observer_ptr<CModel>& motor : m_lastIdleMotors) {
        if (motor.valid() && std::find(parts.begin(), parts.end(), motor.get()) != parts.end())
            idle.push_back(motor.get());
    }
    return idle;
}

void CRobApp::ShowObjCount() {
    if (IsBusy())
        return;
    emit signal_Ui_StatusBar_ShowObjL(s_AppearObjL(m_edit, m_config));
}

// ---- pointer ------------------------------------------------------------------------------

bool CRobApp::MouseButtonPressed(scene::Mouse* mouse, int button) {
    if (m_edit.m_bShowMode || !m_bRun || IsBusy())
        return false;
    // What lies under the pointer now, whether or not it moved since the
    // last move event.
    if (mouse)
        s_PickAtMouse(m_edit, mouse->GetPosition().x(), mouse->GetPosition().y());
    emit signal_Ui_NoSel();
    if (m_edit.m_nDragMode == SEditState::DragDragging) {
        m_edit.m_nDragMode = SEditState::DragIdle;
        RubberBandSelect(false);
    }
    const bool moving = m_edit.m_bCarrying || m_edit.m_bRotating;
    CModel* hovered = m_edit.m_pHovered.get();
    if (button == scene::Mouse::RightButton) {
        m_edit.m_bRightDown = true;
        if (hovered && (m_edit.m_vecSel.empty() || !moving)) {
            if (!s_IsSelected(m_edit, hovered, true))
                SetSelected(hovered, false);
            emit signal_Ui_Set();
            return false;
        }
    } else if (button == scene::Mouse::MiddleButton) {
        m_edit.m_bMiddleDown = true;
    } else if (button == scene::Mouse::LeftButton && !m_edit.m_bMiddleDown && !m_edit.m_bRightDown) {
        m_edit.m_nDragMode = SEditState::DragPressed;
        m_edit.m_vPressPoint = m_edit.m_vPointer;
        m_edit.m_pPressed = hovered;
        if (!m_edit.m_vecSel.empty() && moving) {
            SetSelected(nullptr, false);
            if (m_edit.m_bAddToSel)
                m_edit.m_vecSelSnapshot.clear();
        } else if (!m_edit.m_bAddToSel && !s_IsSelected(m_edit, hovered, false)) {
            SetSelected(hovered, false);
        }
        m_edit.m_vLastPointer = m_edit.m_vPointer;
    }
    if (!m_edit.m_bClean) {
        emit signal_Ui_SaveFlag(false);
        PlaceGrid(true);
    }
    emit signal_Ui_NoSel();
    return false;
}

bool CRobApp::MouseButtonReleased(scene::Mouse*, int button) {
    if (m_edit.m_bShowMode || !m_bRun || IsBusy())
        return false;
    if (m_edit.m_nDragMode == SEditState::DragDragging) {
        m_edit.m_nDragMode = SEditState::DragIdle;
        RubberBandSelect(false);
        return false;
    }
    if (button == scene::Mouse::RightButton) {
        m_edit.m_bRightDown = false;
    } else if (button == scene::Mouse::MiddleButton) {
        m_edit.m_bMiddleDown = false;
    } else if (button == scene::Mouse::LeftButton) {
        CModel* pressed = m_edit.m_pPressed.get();
        if (m_edit.m_bAddToSel && pressed) {
            m_edit.m_vecSel.clear();
            m_edit.m_bCarrying = false;
            m_edit.m_bRotating = false;
            s_ToggleInSnapshot(m_edit, pressed);
        } else if (!m_edit.m_bAddToSel && m_edit.m_nDragMode == SEditState::DragPressed) {
            if (!s_IsSelected(m_edit, pressed, true))
                SetSelected(pressed, false);
        }
    }
    m_edit.m_nDragMode = SEditState::DragIdle;
    return false;
}

bool CRobApp::MouseMoved(scene::Mouse*, float x, float y) {
    if (m_edit.m_bShowMode || !m_bRun || IsBusy())
        return false;
    s_PickAtMouse(m_edit, x, y);
    if (!m_edit.m_vecSel.empty()) {
        if (m_edit.m_bRotating)
            MouseRotateSel(0);
        else if (m_edit.m_bCarrying && m_edit.m_bPlaneHit)
            CarryToPointer();
    }
    return false;
}

bool CRobApp::MouseDragged(scene::Mouse*, float x, float y) {
    if (m_edit.m_bShowMode || !m_bRun || IsBusy())
        return false;
    if (m_edit.m_nDragMode != SEditState::DragPressed && m_edit.m_nDragMode != SEditState::DragDragging)
        return false;
    if (m_edit.m_bMiddleDown || m_edit.m_bRightDown)
        return false;
    s_PickAtMouse(m_edit, x, y);
    const double distance = Length2D(osg::Vec3f(m_edit.m_vLastPointer - m_edit.m_vPointer, 0.0f));
    const bool shortOfDrag
        = m_edit.m_nDragMode == SEditState::DragPressed && distance < m_config.m_dDragFactor;
    CModel* pressed = m_edit.m_pPressed.get();
    if (!m_edit.m_vecSel.empty()) {
        if (m_edit.m_bCarrying) {
            m_edit.m_nDragMode = SEditState::DragDragging;
            if (m_edit.m_bPlaneHit)
                CarryToPointer();
            PlaceGrid(false);
            return false;
        }
        if (s_IsSelected(m_edit, pressed, false)) {
            if (shortOfDrag)
                return false;
            m_edit.m_nDragMode = SEditState::DragDragging;
            s_MoveSelToTarget(m_edit, true, true);
            PlaceGrid(false);
            return false;
        }
    }
    if (pressed) {
        if (shortOfDrag)
            return false;
        m_edit.m_nDragMode = SEditState::DragDragging;
        SetSelected(pressed, false);
        s_MoveSelToTarget(m_edit, true, true);
        PlaceGrid(false);
    } else {
        m_edit.m_nDragMode = SEditState::DragDragging;
        RubberBandSelect(true);
    }
    return false;
}

void CRobApp::RubberBandSelect(bool dragging) {
    if (!s_ShowSelRect(m_edit, dragging))
        return;
    SetSelected(nullptr, false);
    // A part is inside the rectangle when its reference point (box point -1) is.
    s_SelectInRect(m_edit, [](const CModel& part) {
        osg::Vec3f at;
        part.GetBoxPoint(at, -1);
        return at;
    });
    if (CModel* single = s_GetSingleSel(m_edit)) {
        m_strSelName = single->GetAddress();
        emit signal_Ui_StatusBar_ShowObjName(&m_strSelName);
    }
    s_Highlight(m_edit, 1);
    ShowObjCount();
}

// ---- commands -----------------------------------------------------------------------------

void CRobApp::DoCommand(int code, bool viewRelative) {
    if (!m_bRun || IsBusy())
        return;
    m_edit.m_nLastCommand = code;
    if (m_edit.m_bShowMode) {
        ShowCommand(code);
        return;
    }
    emit signal_Ui_NoSel();
    const bool any = !m_edit.m_vecSel.empty();
    switch (code) {
    case 10:
    case 11:
        s_SetAddToSel(m_edit, false);
        s_Highlight(m_edit, 2);
        m_edit.m_pHovered = nullptr;
        SetSelected(nullptr, false);
        s_UndoRedo(m_edit, code == 10);
        PlaceGrid(true);
        emit signal_Ui_UpdatePort();
        emit signal_Ui_StepChange();
        break;
    case 12:
    case 13:
        s_SetAddToSel(m_edit, code == 12);
        break;
    case 1:
    case 2:
    case 3:
        if (any)
            MouseRotateSel(code);
        break;
    case 0:
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
    case 9:
        if (any)
            TurnSel(code, viewRelative);
        break;
    case 17:
    case 18:
    case 19:
    case 20:
        if (any)
            RotateSelStep(code - 17);
        break;
    case 14:
        if (!any)
            break;
        // New parts that were never put down go; carried parts that would
        // stick into others stay carried.
        if (m_edit.m_bCarrying && (DeleteSel(false) || SelCollides()))
            break;
        SetSelected(nullptr, false);
        if (!m_edit.m_bClean) {
            PlaceGrid(true);
            emit signal_Ui_StepChange();
        }
        break;
    default:
        break;
    }
    emit signal_Ui_SaveFlag(m_edit.m_bClean);
    ShowObjCount();
}

// ---- assembly show and screenshots --------------------------------------------------------

void CRobApp::ToggleSetUpShow() {
    if (IsBusy())
        return;
    std::vector<osg::ref_ptr<CModel>>& all = m_edit.m_vecAllParts;
    const bool starting = !m_edit.m_bShowMode;
    // A show of nothing would point at no part.
    if (starting && all.empty())
        return;
    if (starting) {
        s_SetAddToSel(m_edit, false);
        s_Highlight(m_edit, 2);
        m_edit.m_pHovered = nullptr;
    }
    SetSelected(nullptr, false);
    for (std::size_t i = 1; i < all.size(); ++i)
        all[i]->SetActive(!starting);
    m_edit.m_bShowMode = starting;
    if (!starting)
        return;
    m_edit.m_nShowStep = 0;
    std::vector<int>& order = m_edit.m_vecShowOrder;
    order.resize(all.size());
    std::vector<int> ids(all.size());
    for (std::size_t i = 0; i < all.size(); ++i) {
        order[i] = int(i);
        ids[i] = all[i]->GetId();
    }
    for (std::size_t k = 0; k < order.size(); ++k) {
        for (std::size_t l = k + 1; l < order.size(); ++l) {
            if (ids[l] < ids[k]) {
                std::swap(ids[l], ids[k]);
                std::swap(order[l], order[k]);
            }
        }
    }
    SetSelected(all[order.front()].get(), false);
}

void CRobApp::ShowCommand(int code) {
    std::vector<osg::ref_ptr<CModel>>& all = m_edit.m_vecAllParts;
    std::vector<int>& order = m_edit.m_vecShowOrder;
    int& step = m_edit.m_nShowStep;
    if (order.size() != all.size() || step < 0 || step >= int(order.size()))
        return;
    CModel* current = all[order[step]].get();
    switch (code) {
    case 10:
    case 11: {
        // The show stops at both ends.
        if (code == 10 ? step <= 0 : step + 1 >= int(order.size()))
            return;
        current->ShowBox(false, CModelBox::Red);
        if (code == 10) {
            current->SetActive(false);
            --step;
        } else {
            ++step;
            all[order[step]]->SetActive(true);
        }
        SetSelected(all[order[step]].get(), false);
        emit signal_Ui_StepChange();
        break;
    }
    case 15:
    case 16:
    case 17:
    case 18: {
        const double degrees = (code == 15 || code == 17) ? -5.0 : 5.0;
        const osg::Vec3d axis = code <= 16 ? osg::Vec3d(1.0, 0.0, 0.0) : osg::Vec3d(0.0, 0.0, 1.0);
        const osg::Quat turn(osg::DegreesToRadians(degrees), axis);
        scene::Transform pose = GetCamera()->GetTransform();
        pose.SetTranslation(turn * osg::Vec3d(pose.GetTranslation()));
        pose.SetRotation(pose.GetQuat() * turn);
        GetCamera()->SetTransform(pose);
        break;
    }
    default:
        return;
    }
    if (m_pImgCallback->m_bFastCapture)
        CaptureImage(ScreenshotPath(), m_pImgCallback->m_nFastWidth, m_pImgCallback->m_nFastHeight);
}

std::string CRobApp::ScreenshotPath() const {
    const QDateTime now = QDateTime::currentDateTime();
    const QDate date = now.date();
    const QTime time = now.time();
    const QString name = QString("%1-%2-%3-%4-%5-%6-%7.png")
                             .arg(date.year())
                             .arg(date.month())
                             .arg(date.day())
                             .arg(time.hour())
                             .arg(time.minute())
                             .arg(time.second())
                             .arg(time.msec());
    return QFile::encodeName(m_config.InProgramDir("bmp/" + name)).toStdString();
}

void CRobApp::CaptureImage(const std::string& path, int width, int height) {
    SImgCallback& callback = *m_pImgCallback;
    if (callback.m_nState != SImgCallback::Idle)
        return;
    // The frame buffer holds the view and no more.
    const int viewWidth = GetCamera()->GetViewportWidth();
    const int viewHeight = GetCamera()->GetViewportHeight();
    callback.m_nWidth = width > 0 ? std::min(width, viewWidth) : viewWidth;
    callback.m_nHeight = height > 0 ? std::min(height, viewHeight) : viewHeight;
    callback.m_pImage = new osg::Image;
    callback.m_bRead = false;
    callback.m_nState = SImgCallback::Armed;
    callback.m_strPath = path;
    GetCamera()->GetOSGCamera()->setPostDrawCallback(m_pImgCallback.get());
}

void CRobApp::TakeScreenshotStep() {
    SImgCallback& callback = *m_pImgCallback;
    if (callback.m_nState == SImgCallback::Armed) {
        callback.m_nState = SImgCallback::Drawn;
        return;
    }
    if (callback.m_nState != SImgCallback::Drawn)
        return;
    GetCamera()->GetOSGCamera()->setPostDrawCallback(nullptr);
    callback.m_nState = SImgCallback::Idle;
    const QString path = QFile::decodeName(callback.m_strPath.c_str());
    if (!callback.m_bRead) {
        qCWarning(lcApps) << "screenshot not taken, the view drew no frame:" << path;
        return;
    }
    const osg::ref_ptr<osg::Image> image = std::move(callback.m_pImage);
    // The picture is made in memory in the type its name's ending asks for,
    // then written whole: a full disk leaves no cut picture, and is told.
    QString reason;
    const QFileInfo file(path);
    osgDB::ReaderWriter* writer = osgDB::Registry::instance()->getReaderWriterForExtension(
        osgDB::getLowerCaseFileExtension(callback.m_strPath));
    std::ostringstream bytes(std::ios::binary);
    if (!writer || !writer->writeImage(*image, bytes, osgDB::Registry::instance()->getOptions()).success()) {
        reason = m_config.GetText("CRobApp", "TakeScreenshotStep", "sType");
    } else {
        QDir().mkpath(file.absolutePath());
        if (const int error = platform::WriteWholeFile(callback.m_strPath, bytes.str()))
            reason = m_config.GetText("CRobApp", "slot_ThreadEnd", "sSystem")
                         .arg(QString::fromLocal8Bit(platform::SystemReason(error).c_str()));
    }
    if (reason.isEmpty())
        return;
    qCWarning(lcApps).noquote() << "screenshot not written:" << path << reason;
    // Told once the frame is over: a box must not run inside the frame.
    const QString message = m_config.GetText("CRobApp", "TakeScreenshotStep", "s") + QLatin1Char('\n')
        + QDir::toNativeSeparators(path) + QLatin1Char('\n') + reason;
    QTimer::singleShot(0, this, [this, message] { m_config.f_TipsDlg(message); });
}

void CRobApp::ToggleFastCapture(int width, int height) {
    SImgCallback& callback = *m_pImgCallback;
    callback.m_bFastCapture = !callback.m_bFastCapture;
    if (callback.m_bFastCapture) {
        callback.m_nFastWidth = width;
        callback.m_nFastHeight = height;
    }
}

bool CRobApp::IsFastCapture() const {
    return m_pImgCallback->m_bFastCapture;
}

void CRobApp::ToggleGridBackground() {
    if (IsBusy())
        return;
    if (m_pArrow->GetActive()) {
        m_pGrid->SetActive(false);
        m_pArrow->SetActive(false);
        GetCamera()->SetClearColor(osg::Vec4(1.0f, 1.0f, 1.0f, 1.0f));
    } else {
        m_pGrid->SetActive(true);
        m_pArrow->SetActive(true);
        GetCamera()->SetClearColor(osg::Vec4(0.8f, 0.8f, 0.8f, 1.0f));
    }
}
