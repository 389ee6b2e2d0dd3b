#include "apps/SEditState.h"

#include "apps/CApp.h"
#include "apps/CCam.h"
#include "elements/CModelBox.h"
#include "elements/CSU_Flat.h"
#include "elements/Geometry.h"
#include "foundation/LanguageTexts.h"

#include <algorithm>
#include <cmath>
#include <limits>

SEditState::SEditState() {
    m_pPartOwner = this;
}

SEditState::~SEditState() = default;

void s_SetUpEditor(SEditState& s, CApp& owner) {
    s.m_pApp = &owner;
    s.m_nAppKind = owner.GetAppKind();
    const osg::Vec4f area
        = s.m_pPartContext ? s.m_pPartContext->Constants().gridArea : PartConstants().gridArea;
    s.m_pCam = new CCam(owner);
    s.m_pFlat = new CSU_Flat(owner.GetCamera(), area);
    owner.AddDrawable(s.m_pCam.get());
    owner.AddDrawable(s.m_pFlat.get());
    s.m_nBusy = SEditState::BusyIdle;
    s.m_bClean = true;
    s.m_bUndoReentry = false;
    s.m_bShowMode = false;
    s_ResetEditor(s);
}

void s_ResetEditor(SEditState& s) {
    s.m_dLowestBottom = 0.0;
    std::fill(std::begin(s.m_bActions), std::end(s.m_bActions), false);
    s.m_nLastCommand = 0;
    s.m_nDragMode = SEditState::DragIdle;
    s.m_bMiddleDown = false;
    s.m_bRightDown = false;
    s.m_vPointer.set(0.0f, 0.0f);
    s.m_bPlaneHit = false;
    s.m_nBuildCounter = 0;
    s.m_vecSel.clear();
    s_SetAddToSel(s, false);
    s.m_pHovered = nullptr;
    // The pressed part may be one that the new document no longer has.
    s.m_pPressed = nullptr;
    s.m_pSupport = nullptr;
    s.m_snap.m_pOtherPart = nullptr;
    s.m_snap.m_pDraggedPart = nullptr;
    s.m_bCarrying = false;
    s.m_bRotating = false;
    s.m_bClean = true;
    s.m_bChangedOffStack = false;
    s.m_bUndoReentry = false;
    s.m_undoStack.clear();
    s.m_undoStack.setClean();
}

void s_UpdateOverlays(SEditState& s) {
    if (s.m_pFlat)
        s.m_pFlat->Follow();
    if (s.m_pCam)
        s.m_pCam->SyncToCamera();
}

QString s_AppearObjL(const SEditState& s, const LanguageTexts& texts, bool objects) {
    int selected = int(s.m_vecSel.size());
    int all = int(s.m_vecAllParts.size());
    if (s.m_bShowMode) {
        all = s.m_nShowStep + 1;
        selected = 0;
    }
    auto text = [&](const char* key) { return texts.GetText("CModel", "s_AppearObjL", key); };
    return text("sSel") + QString::number(selected) + text("sAll") + QString::number(all)
        + text(objects ? "sObjects" : "sAll2");
}

void s_PickAtMouse(SEditState& s, float x, float y) {
    if (!s.m_pApp || !s.m_pCam)
        return;
    s.m_vPointer = s.m_pCam->CalcPixelCoords(x, y);
    s.m_bPlaneHit = false;
    s.m_vecPickResults = s.m_pApp->Pick(x, y);
    if (s.m_vecPickResults.empty()) {
        if (s.m_pHovered.valid()) {
            s_Highlight(s, 2);
            s.m_pHovered = nullptr;
        }
        return;
    }

    const osg::Node* flat = s.m_pFlat ? s.m_pFlat->GetNode() : nullptr;
    for (const scene::PickHit& hit : s.m_vecPickResults) {
        if (flat && scene::IsOnPath(hit, flat)) {
            s.m_bPlaneHit = true;
            s.m_vPlanePoint = hit.worldPoint;
            break;
        }
    }

    const bool moving = !s.m_vecSel.empty() && (s.m_bCarrying || s.m_bRotating);
    if (moving || s.m_nDragMode == SEditState::DragDragging)
        return;
    if (s.m_pHovered.valid())
        s_Highlight(s, 2);
    s.m_pHovered = nullptr;
    for (const scene::PickHit& hit : s.m_vecPickResults) {
        for (const osg::Node* node : hit.nodePath) {
            for (const osg::ref_ptr<CModel>& part : s.m_vecAllParts) {
                if (part->GetOSGNode() == node) {
                    s.m_vHoverPoint = hit.worldPoint;
                    s.m_pHovered = part.get();
                    s_Highlight(s, 3);
                    return;
                }
            }
        }
    }
}

void s_SetAddToSel(SEditState& s, bool on) {
    s.m_bAddToSel = on;
    if (on)
        s.m_vecSelSnapshot = s.m_vecSel;
    else
        s.m_vecSelSnapshot.clear();
}

bool s_SetTransformComponent(SEditState& s, int index, double value, const osg::Vec3f& rotation) {
    CModel* part = s_GetSingleSel(s);
    if (!part)
        return false;
    const double tolerance = 0.01;
    scene::Transform t;
    part->GetTransform(t, scene::CoordSys::Absolute);
    osg::Vec3 xyz, hpr;
    t.Get(xyz, hpr);
    if (index >= 0 && index <= 2) {
        if (std::fabs(value - xyz[index]) < tolerance)
            return false;
        xyz[index] = float(value);
    } else {
        // The vector holds the angles about x, y and z: pitch, roll, heading.
        const osg::Vec3 wanted(rotation.z(), rotation.x(), rotation.y());
        const double change = std::fabs(double(wanted.x()) - hpr.x())
            + std::fabs(double(wanted.y()) - hpr.y()) + std::fabs(double(wanted.z()) - hpr.z());
        if (change < tolerance)
            return false;
        hpr = wanted;
    }
    t.Set(xyz, hpr);
    part->SetTransform(t, scene::CoordSys::Absolute);
    CModelState& state = part->GetState();
    state.m_vPos = t.GetTranslation();
    state.m_qRot = t.GetQuat();
    state.m_mRot = osg::Matrixd(state.m_qRot);
    return true;
}

void s_MoveSelToTarget(SEditState& s, bool force, bool atHover) {
    if (s.m_nBusy == SEditState::BusyLoading || s.m_nBusy == SEditState::BusySaving || s.m_vecSel.empty())
        return;
    if (!force && (s.m_bCarrying || s.m_bRotating))
        return;
    s.m_bCarrying = true;
    s.m_bRotating = false;
    s.m_pPressed = nullptr;
    s_Highlight(s, 2);
    s.m_pHovered = nullptr;

    osg::Vec3f reference;
    if (atHover) {
        reference = s.m_vHoverPoint;
    } else {
        for (const osg::ref_ptr<CModel>& part : s.m_vecSel)
            reference += part->GetState().m_vPos;
        reference /= float(s.m_vecSel.size());
    }
    double lowest = s.m_vecSel.front()->GetBottomZ();
    for (const osg::ref_ptr<CModel>& part : s.m_vecSel) {
        part->SetOffsetFrom(reference);
        lowest = std::min(lowest, part->GetBottomZ());
    }
    s.m_dLowestBottom = lowest;
    s.m_dCarryHeight = reference.z() - lowest;
}

CModel* s_GetSingleSel(const SEditState& s) {
    return s.m_vecSel.size() == 1 ? s.m_vecSel.front().get() : nullptr;
}

bool s_IsSelected(const SEditState& s, const CModel* part, bool singleOnly) {
    if (!part)
        return false;
    if (singleOnly)
        return s.m_vecSel.size() == 1 && s.m_vecSel.front() == part;
    return std::any_of(s.m_vecSel.begin(), s.m_vecSel.end(),
        [part](const osg::ref_ptr<CModel>& selected) { return selected == part; });
}

bool s_HasSel(const SEditState& s) {
    return !s.m_vecSel.empty();
}

void s_EnableSelNodes(SEditState& s, bool on) {
    for (const osg::ref_ptr<CModel>& part : s.m_vecSel)
        part->SetActive(on);
}

void s_Highlight(SEditState& s, int mode) {
    CModel* hovered = s.m_pHovered.get();
    if (s.m_vecSel.empty()) {
        if (hovered)
            hovered->ShowBox(mode == 3, CModelBox::Red);
        return;
    }
    switch (mode) {
    case 0:
        for (const osg::ref_ptr<CModel>& part : s.m_vecSel)
            part->ShowBox(false, CModelBox::Red);
        if (CModel* other = s.m_snap.m_pOtherPart.get()) {
            other->ShowBox(false, CModelBox::Red);
            s.m_snap.m_pOtherPart = nullptr;
        }
        break;
    case 1:
        for (const osg::ref_ptr<CModel>& part : s.m_vecSel)
            part->ShowBox(true, CModelBox::Cyan);
        break;
    case 2:
        if (hovered && !s_IsSelected(s, hovered, false))
            hovered->ShowBox(false, CModelBox::Red);
        break;
    case 3:
        if (hovered && !s_IsSelected(s, hovered, false) && !s.m_bCarrying && !s.m_bRotating)
            hovered->ShowBox(true, CModelBox::Red);
        break;
    default:
        break;
    }
}

void s_ChooseAxis(SEditState& s) {
    const osg::Vec3f x(1.0f, 0.0f, 0.0f);
    const osg::Vec3f z(0.0f, 0.0f, 1.0f);
    const float parallel = 0.9f;
    int& axis = s.m_nRotationAxis;
    if (CosAngle3D(s.m_vCameraForward, z, true) > parallel) {
        // Looking straight down or up: the view's depth is z.
        if (axis == 1)
            axis = 2;
        else if (CosAngle3D(s.m_vCameraUp, x, true) > parallel)
            axis = axis == 0 ? 1 : 0;
        else if (axis == 2)
            axis = 1;
    } else if (axis != 2 && CosAngle3D(s.m_vCameraForward, x, true) > parallel) {
        axis = axis == 0 ? 1 : 0;
    }
}

bool s_CanUndo(const SEditState& s) {
    if (s.m_bShowMode)
        return s.m_nShowStep > 0;
    return s.m_undoStack.canUndo();
}

bool s_CanRedo(const SEditState& s) {
    if (s.m_bShowMode)
        return s.m_nShowStep + 1 < int(s.m_vecAllParts.size());
    return s.m_undoStack.canRedo();
}

void s_UndoRedo(SEditState& s, bool undo) {
    s.m_bUndoReentry = true;
    if (undo)
        s.m_undoStack.undo();
    else
        s.m_undoStack.redo();
    s.m_bClean = s.m_undoStack.isClean() && !s.m_bChangedOffStack;
    s.m_bUndoReentry = false;
}

int s_MarkUndoClean(SEditState& s) {
    s.m_bClean = true;
    s.m_bChangedOffStack = false;
    s.m_undoStack.setClean();
    return s.m_undoStack.index();
}

void s_OnStepPushed(SEditState& s) {
    // The stack itself forgets its clean index when the push cut it off.
    s.m_bClean = false;
}

void s_RefreshWindowMatrix(SEditState& s) {
    if (!s.m_pCam || !s.m_pApp)
        return;
    s.m_mWindow = s.m_pCam->GetWindowMatrix();
    const scene::Camera* camera = s.m_pApp->GetCamera();
    const int width = camera->GetViewportWidth();
    const int height = camera->GetViewportHeight();
    if (width > 0 && height > 0)
        s.m_vViewport.set(float(width), float(height));
}

bool s_ShowSelRect(SEditState& s, bool dragging) {
    if (!dragging && s.m_bAddToSel)
        s.m_vecSelSnapshot = s.m_vecSel;
    const osg::Vec2f& from = s.m_vPressPoint;
    const osg::Vec2f& to = s.m_vPointer;
    const bool show = dragging && to.x() != 0.0f && to.y() != 0.0f;
    return s.m_pCam && s.m_pCam->Update(show, from, to);
}

void s_SelectInRect(SEditState& s, osg::Vec3f (*pointOf)(const CModel& part)) {
    const osg::Vec2f& from = s.m_vPressPoint;
    const osg::Vec2f& to = s.m_vPointer;
    const float x0 = std::min(from.x(), to.x());
    const float x1 = std::max(from.x(), to.x());
    const float y0 = std::min(from.y(), to.y());
    const float y1 = std::max(from.y(), to.y());
    s.m_bCarrying = false;
    s.m_bRotating = false;
    s_RefreshWindowMatrix(s);

    std::vector<osg::ref_ptr<CModel>> inside;
    for (const osg::ref_ptr<CModel>& part : s.m_vecAllParts) {
        const osg::Vec3f pixel = pointOf(*part) * s.m_mWindow;
        if (pixel.x() > x0 && pixel.x() < x1 && pixel.y() > y0 && pixel.y() < y1)
            inside.push_back(part);
    }
    if (!s.m_bAddToSel) {
        s.m_vecSel = inside;
        return;
    }
    auto contains = [](const std::vector<osg::ref_ptr<CModel>>& list, const CModel* part) {
        return std::find(list.begin(), list.end(), part) != list.end();
    };
    std::vector<osg::ref_ptr<CModel>> selection;
    for (const osg::ref_ptr<CModel>& part : inside) {
        if (!contains(s.m_vecSelSnapshot, part.get()))
            selection.push_back(part);
    }
    for (const osg::ref_ptr<CModel>& part : s.m_vecSelSnapshot) {
        if (!contains(inside, part.get()))
            selection.push_back(part);
    }
    s.m_vecSel = selection;
}

void s_ToggleInSnapshot(SEditState& s, CModel* part) {
    std::vector<osg::ref_ptr<CModel>> selection = s.m_vecSelSnapshot;
    const auto found = std::find(selection.begin(), selection.end(), part);
    if (found != selection.end())
        selection.erase(found);
    else
        selection.push_back(part);
    s.m_vecSel = selection;
    s.m_vecSelSnapshot = selection;
    s_Highlight(s, 1);
}

void s_CentreClipboard(SEditState& s) {
    std::vector<CModelInfo>& clipboard = s.m_vecClipboard;
    if (clipboard.empty())
        return;
    osg::Vec3f sum;
    for (const CModelInfo& record : clipboard)
        sum += record.m_state.m_vPos;
    osg::Vec3f centre = sum / float(clipboard.size());
    centre.z() = 0.0f;
    for (CModelInfo& record : clipboard)
        record.m_state.m_vPos -= centre;
}

osg::Vec3d s_UnitAxis(int axis) {
    switch (axis) {
    case 0:
        return osg::Vec3d(1.0, 0.0, 0.0);
    case 1:
        return osg::Vec3d(0.0, 1.0, 0.0);
    default:
        return osg::Vec3d(0.0, 0.0, 1.0);
    }
}

void s_StartPointerTurn(SEditState& s, int axis) {
    s.m_bRotating = true;
    s.m_nRotationAxis = axis;
    s.m_vRotationStartPointer = s.m_vPointer;
    s.m_qRotationStart = s.m_vecSel.front()->GetState().m_qRot;
}

osg::Quat s_PointerTurn(const SEditState& s, double degreesPerPixel, osg::Vec3f& pivot) {
    const CModelState& first = s.m_vecSel.front()->GetState();
    pivot = first.m_vPos - first.m_vOffset;
    const double degrees = (s.m_vPointer.x() - s.m_vRotationStartPointer.x()) * degreesPerPixel;
    const osg::Quat wanted
        = s.m_qRotationStart * osg::Quat(osg::DegreesToRadians(degrees), s_UnitAxis(s.m_nRotationAxis));
    return first.m_qRot.inverse() * wanted;
}
