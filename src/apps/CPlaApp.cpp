// The playground builder: construction, the ground, files, the pointer, the
// rectangle selection, selection and the command dispatcher.

#include "apps/CPlaApp.h"

#include "apps/AppsLog.h"
#include "apps/CCam.h"
#include "apps/MotionModel.h"
#include "elements/CModel.h"
#include "elements/CModelBox.h"
#include "elements/Geometry.h"
#include "elements/Plane.h"
#include "foundation/CConfig.h"
#include "simulation/PlaygroundFile.h"

#include <osg/Geode>
#include <osg/Geometry>

#include <algorithm>
#include <set>

namespace {

constexpr const char* kDefaultGround = "map/default.png";

PartContextPtr ContextOf(const CConfig& config, PartContextPtr context) {
    return context ? std::move(context) : PartContext::FromConfig(config);
}

// The grid over the ground: black lines 20 apart out to 260 each way. It is
// built once and kept switched off.
osg::ref_ptr<scene::SceneObject> MakeGrid() {
    const float half = 260.0f;
    const float spacing = 20.0f;
    const float height = 0.2f;
    const float last = spacing * std::floor(half / spacing);
    osg::ref_ptr<osg::Vec4Array> black = new osg::Vec4Array;
    black->push_back(osg::Vec4(0.0f, 0.0f, 0.0f, 1.0f));
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    for (int direction = 0; direction < 2; ++direction) {
        osg::ref_ptr<osg::Vec3Array> vertices = new osg::Vec3Array;
        for (float v = -half; v <= last; v += spacing) {
            if (direction == 0) {
                vertices->push_back(osg::Vec3(v, -half, height));
                vertices->push_back(osg::Vec3(v, half, height));
            } else {
                vertices->push_back(osg::Vec3(-half, v, height));
                vertices->push_back(osg::Vec3(half, v, height));
            }
        }
        osg::ref_ptr<osg::Geometry> lines = new osg::Geometry;
        lines->setVertexArray(vertices.get());
        lines->setColorArray(black.get(), osg::Array::BIND_OVERALL);
        lines->addPrimitiveSet(new osg::DrawArrays(GL_LINES, 0, GLsizei(vertices->size())));
        geode->addDrawable(lines.get());
    }
    osg::ref_ptr<scene::SceneObject> grid = new scene::SceneObject("Object");
    grid->GetOSGNode()->addChild(geode.get());
    return grid;
}

// A grey quad just under the picture, so that a picture with transparent
// parts never shows the background through the ground.
void AddBackingQuad(Plane& ground, float x, float y) {
    osg::ref_ptr<osg::Geometry> quad = new osg::Geometry;
    osg::ref_ptr<osg::Vec3Array> vertices = new osg::Vec3Array;
    vertices->push_back(osg::Vec3(x, y, -0.05f));
    vertices->push_back(osg::Vec3(-x, y, -0.05f));
    vertices->push_back(osg::Vec3(-x, -y, -0.05f));
    vertices->push_back(osg::Vec3(x, -y, -0.05f));
    quad->setVertexArray(vertices.get());
    osg::ref_ptr<osg::Vec3Array> normals = new osg::Vec3Array;
    normals->push_back(osg::Vec3(0.0f, 0.0f, 1.0f));
    quad->setNormalArray(normals.get(), osg::Array::BIND_OVERALL);
    osg::ref_ptr<osg::Vec4Array> colours = new osg::Vec4Array;
    colours->push_back(osg::Vec4(0.8f, 0.8f, 0.8f, 1.0f));
    quad->setColorArray(colours.get(), osg::Array::BIND_OVERALL);
    quad->addPrimitiveSet(new osg::DrawArrays(GL_QUADS, 0, 4));
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(quad.get());
    ground.GetOSGNode()->addChild(geode.get());
}

} // namespace

CPlaApp::CPlaApp(const std::string& configName, scene::SceneView* window)
    : CPlaApp(configName, window, CConfig::Instance()) { }

CPlaApp::CPlaApp(
    const std::string& configName, scene::SceneView* window, const CConfig& config, PartContextPtr context)
    : CApp(configName, window)
    , m_config(config)
    , m_pPartContext(ContextOf(config, std::move(context))) {
    m_edit.m_pPartContext = m_pPartContext;
    m_edit.m_pConfig = &m_config;

    m_pMotionModel->SetDistance(800.0f);
    m_pGround = new Plane(256.0f, 256.0f, 8.0f, kDefaultGround);
    m_strGroundImage = kDefaultGround;
    AddDrawable(m_pGround.get());

    m_pGrid = MakeGrid();
    AddDrawable(m_pGrid.get());
    m_pGrid->SetActive(false);

    HomeCamera();
    NewPlayground();
    s_SetUpEditor(m_edit, *this);

    const osg::BoundingBox box = m_pGround->GetBoundingBox();
    m_vGroundBox.set(box.xMin(), box.yMin(), box.xMax(), box.yMax());
    AddBackingQuad(*m_pGround, m_vGroundBox.z(), m_vGroundBox.w());
}

CPlaApp::~CPlaApp() = default;

bool CPlaApp::IsBusy() const {
    return m_edit.m_nBusy == SEditState::BusyLoading || m_edit.m_nBusy == SEditState::BusySaving;
}

void CPlaApp::PreFrame(double deltaTime) {
    s_UpdateOverlays(m_edit);
    CApp::PreFrame(deltaTime);
}

// ---- playground ---------------------------------------------------------------------------

void CPlaApp::HomeCamera() {
    GetCamera()->SetTransform(scene::Transform(0.0, -800.0, 500.0, 0.0, -30.0, 0.0));
    m_pMotionModel->SetFocalPoint(osg::Vec3(0.0f, 0.0f, 0.0f));
}

void CPlaApp::NewPlayground() {
    ShowGroundPicture(kDefaultGround, std::nullopt);
    m_strGroundImage = kDefaultGround;
    emit signal_Ui_SaveFlag(m_edit.m_bClean);
}

bool CPlaApp::IsDefaultGround() const {
    return m_edit.m_vecAllParts.empty() && m_pGround->GetImageFile() == kDefaultGround;
}

void CPlaApp::Reset() {
    BeginLoad();
    FinishFileOp(true);
}

void CPlaApp::BeginLoad() {
    HomeCamera();
    ClearPlayground();
    s_ResetEditor(m_edit);
}

void CPlaApp::ClearPlayground() {
    NewPlayground();
    m_vecRules.clear();
    for (const osg::ref_ptr<CModel>& object : m_edit.m_vecAllParts)
        RemoveDrawable(object.get());
    m_edit.m_vecAllParts.clear();
}

void CPlaApp::FinishFileOp(bool saved) {
    if (!saved) {
        for (const osg::ref_ptr<CModel>& object : m_edit.m_vecAllParts) {
            if (!GetScene()->HasDrawable(object.get()))
                AddDrawable(object.get());
        }
    }
    ShowObjCount();
    emit signal_Ui_SaveFlag(m_edit.m_bClean);
    // A load or a new playground starts a history of its own: nothing of
    // the playground before is there to undo.
    emit signal_Ui_StepChange();
    emit signal_Ui_NoSel();
}

bool CPlaApp::ShowGroundPicture(const std::string& file, std::optional<std::string> bytes) {
    osg::Texture2D* texture = m_pGround->GetTexture();
    const osg::Image* before = texture ? texture->getImage() : nullptr;
    m_pGround->SetImage(file);
    if (!texture || texture->getImage() == before)
        return false;
    // The playground keeps the picture's bytes: a save writes them even
    // when the file they came from has gone. The default ground's are read
    // from its file when a save needs them.
    m_strGroundBytes = std::move(bytes);
    return true;
}

GroundPicture::Check CPlaApp::ChangeGroundImage(const std::string& file) {
    GroundPicture::Check check;
    PlaygroundFile reader;
    std::string error;
    if (!m_pGround) {
        check.fault = GroundPicture::Fault::NoPicture;
        return check;
    }
    if (!reader.TakeImage(file, error, &check.systemError)) {
        check.fault = GroundPicture::Fault::Unreadable;
        qCWarning(lcApps).noquote() << QString::fromStdString("ground picture not changed: " + error);
        return check;
    }
    // Whatever its format, the ground shows the picture from this builder's
    // own PNG copy, and a save stores the PNG: the playground opens again.
    std::string bytes = std::move(*reader.image);
    check = GroundPicture::Store(bytes, m_groundPictureCopy.Path());
    if (check.fault == GroundPicture::Fault::None && !ShowGroundPicture(m_groundPictureCopy.Path(), bytes))
        check.fault = GroundPicture::Fault::NoPicture;
    if (check.fault != GroundPicture::Fault::None) {
        PlaygroundFile::PictureRefusal(check, error);
        qCWarning(lcApps).noquote() << QString::fromStdString(
            "ground picture " + file + " not taken: " + error);
        return check;
    }
    // The picture is part of the playground: a new one must be saved.
    m_edit.m_bClean = false;
    m_edit.m_bChangedOffStack = true;
    m_strGroundImage = file;
    emit signal_Ui_SaveFlag(m_edit.m_bClean);
    return check;
}

void CPlaApp::ShowObjCount() {
    emit signal_Ui_StatusBar_ShowObjL(s_AppearObjL(m_edit, m_config, true));
}

// ---- files --------------------------------------------------------------------------------

bool CPlaApp::LoadOrSaveFile(const std::string& path, bool load) {
    if (IsBusy())
        return false;
    m_strFileError.clear();
    m_fileRefusal = PlaygroundFile::Refusal();
    m_nFileSystemError = 0;
    const bool done = load ? LoadFile(path) : SaveFile(path, false);
    if (!done)
        qCWarning(lcApps).noquote() << QString::fromStdString(m_strFileError);
    return done;
}

bool CPlaApp::SaveCopy(const std::string& path) {
    if (IsBusy())
        return false;
    m_strFileError.clear();
    m_nFileSystemError = 0;
    const bool done = SaveFile(path, true);
    if (!done)
        qCWarning(lcApps).noquote() << QString::fromStdString(m_strFileError);
    return done;
}

void CPlaApp::SetRuleList(const std::vector<int>& rules) {
    if (rules == m_vecRules)
        return;
    m_vecRules = rules;
    m_edit.m_bClean = false;
    m_edit.m_bChangedOffStack = true;
    emit signal_Ui_SaveFlag(false);
}

bool CPlaApp::LoadFile(const std::string& path) {
    PlaygroundFile file;
    std::string error;
    if (!file.Load(path, error, &m_fileRefusal)) {
        m_strFileError = "playground not loaded: " + error;
        return false;
    }
    // The picture must be one the ground can show before anything of the
    // playground in the editor goes; a picture of another format than PNG,
    // as earlier builders saved them, is converted.
    if (file.image) {
        const GroundPicture::Check picture = GroundPicture::Store(*file.image, m_groundPictureCopy.Path());
        if (picture.fault != GroundPicture::Fault::None) {
            m_fileRefusal = PlaygroundFile::PictureRefusal(picture, error);
            m_strFileError = "playground " + path + " not loaded: " + error;
            return false;
        }
    }

    BeginLoad();
    if (file.image) {
        ShowGroundPicture(m_groundPictureCopy.Path(), *file.image);
        m_strGroundImage = m_groundPictureCopy.Path();
    }
    m_vecRules = file.rules;

    // Ids the file gives are kept, each once; objects without one, or with
    // one an earlier object took, are numbered above all of them.
    int highest = -1;
    for (const std::vector<PlaygroundFile::Item>& items : file.arrays) {
        for (const PlaygroundFile::Item& item : items) {
            if (item.hasId)
                highest = std::max(highest, item.id);
        }
    }
    m_edit.m_nBuildCounter = std::max(m_edit.m_nBuildCounter, highest + 1);
    for (const std::vector<PlaygroundFile::Item>& items : file.arrays) {
        for (const PlaygroundFile::Item& item : items) {
            if (!CreateObject(item.info, item.hasId ? item.id : -1, true))
                qCWarning(lcApps).noquote() << QString::fromStdString(
                    "playground " + path + ": the object " + item.info.m_desc.m_strAddress + " is left out");
        }
    }
    FinishFileOp(false);
    return true;
}

bool CPlaApp::SaveFile(const std::string& path, bool copy) {
    PlaygroundFile file;
    const osg::Texture2D* texture = m_pGround->GetTexture();
    if (m_strGroundBytes) {
        file.image = m_strGroundBytes;
    } else if (texture && texture->getImage()) {
        // A picture shows whose bytes could not be kept: it is read again,
        // and a playground is never saved without it.
        std::string error;
        if (!file.TakeImage(m_pGround->GetImageFile(), error, &m_nFileSystemError)) {
            m_strFileError = "playground not saved: the ground picture cannot be read: " + error;
            if (!copy)
                FinishFileOp(true);
            return false;
        }
    }
    file.rules = m_vecRules;

    // Delivery zones keep only the loaded models of this playground.
    std::set<int> models;
    for (const osg::ref_ptr<CModel>& object : m_edit.m_vecAllParts) {
        if (object->GetType() == ModelTypeGeo)
            models.insert(object->GetId());
    }
    for (const osg::ref_ptr<CModel>& object : m_edit.m_vecAllParts) {
        if (object->GetType() == ModelTypeTrigger && object->GetSubType() == 5)
            std::erase_if(object->GetObjList(), [&](int id) { return !models.contains(id); });
        file.Add(object->GetInfo(), object->GetId());
    }

    std::string error;
    if (!file.Save(path, error, &m_nFileSystemError)) {
        m_strFileError = "playground not saved: " + error;
        if (!copy)
            FinishFileOp(true);
        return false;
    }
    if (copy)
        return true;
    s_MarkUndoClean(m_edit);
    FinishFileOp(true);
    return true;
}

// ---- pointer ------------------------------------------------------------------------------

bool CPlaApp::MouseButtonPressed(scene::Mouse* mouse, int button) {
    if (!m_bRun || IsBusy())
        return false;
    // What lies under the pointer now, whether or not it moved since the
    // last move event.
    if (mouse)
        s_PickAtMouse(m_edit, mouse->GetPosition().x(), mouse->GetPosition().y());
    if (m_edit.m_nDragMode == SEditState::DragDragging) {
        m_edit.m_nDragMode = SEditState::DragIdle;
        PickAndDrag(false);
    }
    const bool moving = m_edit.m_bCarrying || m_edit.m_bRotating;
    CModel* hovered = m_edit.m_pHovered.get();
    if (button == scene::Mouse::RightButton) {
        m_edit.m_bRightDown = true;
        if (hovered && (m_edit.m_vecSel.empty() || !moving)) {
            if (!s_IsSelected(m_edit, hovered, false))
                SetSelected(hovered, false);
            emit signal_Ui_Set();
            if (CModel* single = s_GetSingleSel(m_edit))
                single->ShowBox(true, CModelBox::Cyan);
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
        } else if (!m_edit.m_bAddToSel && hovered && !s_IsSelected(m_edit, hovered, false)) {
            SetSelected(hovered, false);
        }
    }
    emit signal_Ui_SaveFlag(m_edit.m_bClean);
    emit signal_Ui_NoSel();
    return false;
}

bool CPlaApp::MouseButtonReleased(scene::Mouse*, int button) {
    if (!m_bRun || IsBusy())
        return false;
    if (m_edit.m_nDragMode == SEditState::DragDragging) {
        m_edit.m_nDragMode = SEditState::DragIdle;
        PickAndDrag(false);
        return false;
    }
    if (button == scene::Mouse::RightButton) {
        m_edit.m_bRightDown = false;
    } else if (button == scene::Mouse::MiddleButton) {
        m_edit.m_bMiddleDown = false;
    } else if (button == scene::Mouse::LeftButton) {
        CModel* pressed = m_edit.m_pPressed.get();
        if (m_edit.m_bAddToSel && pressed) {
            SetSelected(nullptr, false);
            s_ToggleInSnapshot(m_edit, pressed);
            for (const osg::ref_ptr<CModel>& object : m_edit.m_vecSel)
                object->SetUnselected(0);
            ShowObjCount();
        } else if (!m_edit.m_bAddToSel && m_edit.m_nDragMode == SEditState::DragPressed && pressed
            && !s_IsSelected(m_edit, pressed, false)) {
            SetSelected(pressed, false);
        }
    }
    m_edit.m_nDragMode = SEditState::DragIdle;
    return false;
}

bool CPlaApp::MouseMoved(scene::Mouse*, float x, float y) {
    if (!m_bRun || IsBusy())
        return false;
    s_PickAtMouse(m_edit, x, y);
    if (!m_edit.m_vecSel.empty()) {
        if (m_edit.m_bRotating)
            DragTurnSel(0);
        else if (m_edit.m_bCarrying && m_edit.m_bPlaneHit)
            DragMoveSel();
    }
    return false;
}

bool CPlaApp::MouseDragged(scene::Mouse*, float x, float y) {
    if (!m_bRun || IsBusy())
        return false;
    if (m_edit.m_bMiddleDown || m_edit.m_bRightDown)
        return false;
    if (m_edit.m_nDragMode != SEditState::DragPressed && m_edit.m_nDragMode != SEditState::DragDragging)
        return false;
    s_PickAtMouse(m_edit, x, y);
    const double d
        = Length2D(osg::Vec3f(m_edit.m_vPointer - m_edit.m_vPressPoint, 0.0f)) - m_config.m_dDragFactor;
    CModel* pressed = m_edit.m_pPressed.get();
    if (!m_edit.m_vecSel.empty()) {
        if (m_edit.m_bCarrying) {
            m_edit.m_nDragMode = SEditState::DragDragging;
            if (m_edit.m_bPlaneHit)
                DragMoveSel();
            return false;
        }
        if (s_IsSelected(m_edit, pressed, false)) {
            if (m_edit.m_nDragMode == SEditState::DragDragging || d >= 0.0) {
                m_edit.m_nDragMode = SEditState::DragDragging;
                StartCarrying(true, true);
            }
            return false;
        }
    }
    if (pressed) {
        if (d < 0.0)
            return false;
        m_edit.m_nDragMode = SEditState::DragDragging;
        SetSelected(pressed, false);
        StartCarrying(true, true);
    } else {
        m_edit.m_nDragMode = SEditState::DragDragging;
        PickAndDrag(true);
    }
    return false;
}

void CPlaApp::PickAndDrag(bool dragging) {
    if (!s_ShowSelRect(m_edit, dragging))
        return;
    SetSelected(nullptr, false);
    // An object is inside the rectangle when its position is.
    s_SelectInRect(m_edit, [](const CModel& object) { return object.GetState().m_vPos; });
    for (const osg::ref_ptr<CModel>& object : m_edit.m_vecSel)
        object->SetUnselected(0);
    if (CModel* single = s_GetSingleSel(m_edit)) {
        m_strSelName = single->GetAddress();
        emit signal_Ui_StatusBar_ShowObjName(&m_strSelName);
    }
    s_Highlight(m_edit, 1);
    ShowObjCount();
}

// ---- selection and commands ---------------------------------------------------------------

void CPlaApp::SetSelected(CModel* object, bool all) {
    if (IsBusy())
        return;
    s_Highlight(m_edit, 0);
    if (!m_edit.m_vecSel.empty()) {
        for (const osg::ref_ptr<CModel>& selected : m_edit.m_vecSel)
            selected->SetUnselected(1);
        if (m_edit.m_bCarrying || m_edit.m_bRotating) {
            for (const osg::ref_ptr<CModel>& selected : m_edit.m_vecSel)
                selected->SetLocked();
            KeepSelOnGround(false);
            ShowObjCount();
            emit signal_Ui_SaveFlag(m_edit.m_bClean);
        }
        m_edit.m_vecSel.clear();
    }
    // Nothing selected is nothing carried or turned.
    m_edit.m_bCarrying = false;
    m_edit.m_bRotating = false;
    if (CModel* support = m_edit.m_pSupport.get()) {
        support->ShowBox(false, CModelBox::Red);
        m_edit.m_pSupport = nullptr;
    }
    if (!object && (!all || m_edit.m_vecAllParts.empty())) {
        emit signal_Ui_StatusBar_ShowObjName(nullptr);
        ShowObjCount();
        return;
    }
    if (all) {
        s_SetAddToSel(m_edit, false);
        m_edit.m_vecSel = m_edit.m_vecAllParts;
    } else {
        m_edit.m_vecSel.push_back(object);
        m_strSelName = object->GetAddress();
        emit signal_Ui_StatusBar_ShowObjName(&m_strSelName);
    }
    for (const osg::ref_ptr<CModel>& selected : m_edit.m_vecSel)
        selected->SetUnselected(0);
    s_Highlight(m_edit, 1);
    ShowObjCount();
    emit signal_Ui_NoSel();
}

void CPlaApp::DoCommand(int code, bool useView, int, int) {
    if (!m_bRun || IsBusy())
        return;
    m_edit.m_nLastCommand = code;
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
            DragTurnSel(code);
        break;
    case 0:
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
    case 9:
        if (any)
            TurnSel(code, useView);
        break;
    case 17:
    case 18:
    case 19:
    case 20:
        if (any)
            StepTurnSel(code - 17);
        break;
    case 14:
        if (!any)
            break;
        if (m_edit.m_bCarrying && DeleteSel(false))
            break;
        SetSelected(nullptr, false);
        if (!m_edit.m_bClean)
            emit signal_Ui_StepChange();
        break;
    default:
        break;
    }
    emit signal_Ui_SaveFlag(m_edit.m_bClean);
    ShowObjCount();
}
