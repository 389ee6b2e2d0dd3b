// The playground builder's editing operations: adding, building, deleting,
// copying and pasting objects, their pose and size, undo steps, and carrying
// the selection over the ground and onto other objects.

#include "apps/CPlaApp.h"

#include "apps/CCam.h"
#include "apps/CStep.h"
#include "apps/PlaygroundObjects.h"
#include "elements/CModelBox.h"
#include "elements/Geometry.h"
#include "foundation/CConfig.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <set>

namespace {

// How far below the ground an object's bottom may lie before it counts as
// sunk into it rather than standing on it.
constexpr double kSunkDepth = 1.0;

// The kinds whose objects have a size of their own (the others keep the
// size of their model).
bool TakesScale(int type) {
    return type == ModelTypeSlope || type == ModelTypeGeo || type == ModelTypeTrigger;
}

// A zero or broken quaternion turns nothing; the others are made unit.
osg::Quat Sound(const osg::Quat& q) {
    const double length = q.length();
    if (!(length > 0.0) || !std::isfinite(length))
        return osg::Quat();
    return q / length;
}

bool HasId(const std::vector<osg::ref_ptr<CModel>>& objects, int id) {
    return std::any_of(objects.begin(), objects.end(),
        [id](const osg::ref_ptr<CModel>& object) { return object->GetId() == id; });
}

// The name a copy of a model named `name` gets: the name's stem (the name
// without a number of its own at its end) and the first number from 2 on
// that no other object's name has.
QString FreeName(const QString& name, const std::vector<osg::ref_ptr<CModel>>& objects, const CModel* self) {
    QString stem = name;
    const qsizetype space = name.lastIndexOf(QLatin1Char(' '));
    bool numbered = false;
    if (space > 0)
        name.mid(space + 1).toUInt(&numbered);
    if (numbered)
        stem = name.left(space);
    const auto taken = [&](const QString& candidate) {
        return std::any_of(objects.begin(), objects.end(), [&](const osg::ref_ptr<CModel>& object) {
            return object.get() != self && object->GetObjName() == candidate;
        });
    };
    for (int n = 2;; ++n) {
        const QString candidate = stem + QLatin1Char(' ') + QString::number(n);
        if (!taken(candidate))
            return candidate;
    }
}

} // namespace

bool CPlaApp::AddObject(CModel* object) {
    if (IsBusy() || !object)
        return false;
    osg::ref_ptr<CModel> keep = object;
    if (!object->LoadModel())
        return false;
    object->SetId(m_edit.m_nBuildCounter++);
    DeleteSel(false);
    AddDrawable(object);
    m_edit.m_vecAllParts.push_back(keep);
    object->Place(&m_edit, PlaceAdded);
    SetSelected(object, false);
    s_Highlight(m_edit, 1);
    StartCarrying(true, false);
    PushUndoStep(CStep::KindAdd);
    emit signal_Ui_SaveFlag(m_edit.m_bClean);
    return true;
}

CModel* CPlaApp::CreateObject(const CModelInfo& record, int id, bool fromFile) {
    const CModelDesc& desc = record.m_desc;
    const osg::Vec3f scale = TakesScale(desc.m_nType) ? record.m_state.m_vScale : osg::Vec3f(1, 1, 1);
    osg::ref_ptr<CModel> object
        = MakePlaygroundObject(desc.m_nType, desc.m_nSubType, m_pPartContext, desc.m_strAddress, scale);
    if (!object || !LoadPlaygroundObject(*object))
        return nullptr;
    CModelState& state = object->GetState();
    state = record.m_state;
    state.m_vScale = scale;
    state.m_qRot = Sound(state.m_qRot);
    AddDrawable(object.get());
    std::vector<osg::ref_ptr<CModel>>& all = m_edit.m_vecAllParts;
    // Ids name objects in undo steps and delivery zones: never two alike.
    if (id < 0 || HasId(all, id)) {
        object->SetId(m_edit.m_nBuildCounter++);
    } else {
        object->SetId(id);
        m_edit.m_nBuildCounter = std::max(m_edit.m_nBuildCounter, id + 1);
    }
    all.push_back(object);
    scene::Transform pose;
    pose.SetTranslation(state.m_vPos);
    pose.SetRotation(state.m_qRot);
    object->SetTransform(pose, scene::CoordSys::Absolute);
    object->Place(&m_edit, fromFile ? PlaceFromFile : PlacePasted);
    return object.get();
}

bool CPlaApp::DeleteSel(bool force) {
    if (IsBusy() || m_edit.m_vecSel.empty())
        return false;
    if (!force && m_edit.m_vecSel.front()->IsLocked())
        return false;
    KeepSelOnGround(false);
    PushUndoStep(CStep::KindDelete);
    s_Highlight(m_edit, 0);
    if (CModel* support = m_edit.m_pSupport.get()) {
        support->ShowBox(false, CModelBox::Red);
        m_edit.m_pSupport = nullptr;
    }
    if (s_IsSelected(m_edit, m_edit.m_pHovered.get(), false))
        m_edit.m_pHovered = nullptr;
    if (s_IsSelected(m_edit, m_edit.m_pPressed.get(), false))
        m_edit.m_pPressed = nullptr;
    std::vector<osg::ref_ptr<CModel>>& all = m_edit.m_vecAllParts;
    for (const osg::ref_ptr<CModel>& object : m_edit.m_vecSel) {
        const auto found = std::find(all.begin(), all.end(), object);
        if (found != all.end())
            all.erase(found);
        RemoveDrawable(object.get());
    }
    m_edit.m_vecSel.clear();
    m_edit.m_bCarrying = false;
    m_edit.m_bRotating = false;
    emit signal_Ui_SaveFlag(m_edit.m_bClean);
    ShowObjCount();
    emit signal_Ui_NoSel();
    return true;
}

bool CPlaApp::CopySel() {
    if (IsBusy())
        return false;
    s_SetAddToSel(m_edit, false);
    if (m_edit.m_vecSel.empty())
        return false;
    m_edit.m_vecClipboard.clear();
    m_edit.m_vecClipboardIds.clear();
    for (const osg::ref_ptr<CModel>& object : m_edit.m_vecSel) {
        m_edit.m_vecClipboard.push_back(object->GetInfo());
        m_edit.m_vecClipboardIds.push_back(object->GetId());
    }
    s_CentreClipboard(m_edit);
    return true;
}

void CPlaApp::PasteSel() {
    if (IsBusy())
        return;
    s_SetAddToSel(m_edit, false);
    if (m_edit.m_vecClipboard.empty())
        return;
    if (!DeleteSel(false))
        SetSelected(nullptr, false);
    const std::vector<int>& sources = m_edit.m_vecClipboardIds;
    // The copy of each object pasted, by the id of the object it copies.
    std::map<int, int> copies;
    for (std::size_t i = 0; i < m_edit.m_vecClipboard.size(); ++i) {
        CModel* object = CreateObject(m_edit.m_vecClipboard[i], -1, false);
        if (!object)
            continue;
        object->SetUnselected(0);
        m_edit.m_vecSel.push_back(object);
        if (i < sources.size() && sources[i] >= 0)
            copies[sources[i]] = object->GetId();
    }
    if (m_edit.m_vecSel.empty())
        return;
    for (const osg::ref_ptr<CModel>& object : m_edit.m_vecSel) {
        // A copied delivery zone counts the copies of its objects that came
        // with it, never the originals: those belong to the zone copied.
        std::vector<int> assigned;
        for (int id : object->GetObjList()) {
            const auto copy = copies.find(id);
            if (copy != copies.end())
                assigned.push_back(copy->second);
        }
        object->SetObjList(assigned);
        // A named model's copy gets a name of its own, so that a zone's
        // assignment can tell the two apart.
        if (!object->GetObjName().isEmpty())
            object->SetObjName(FreeName(object->GetObjName(), m_edit.m_vecAllParts, object.get()));
    }
    s_Highlight(m_edit, 1);
    StartCarrying(true, false);
    PushUndoStep(CStep::KindAdd);
    emit signal_Ui_SaveFlag(m_edit.m_bClean);
    ShowObjCount();
}

void CPlaApp::MoveSel() {
    if (IsBusy())
        return;
    StartCarrying(false, false);
    emit signal_Ui_NoSel();
}

bool CPlaApp::SetSelTransform(int component, double value, const osg::Vec3f& angles) {
    if (IsBusy() || !s_SetTransformComponent(m_edit, component, value, angles))
        return false;
    if (component == 4) {
        // Slider moves are many: none is an undo step, and the playground
        // stays unsaved until the next save whatever undo does.
        m_edit.m_bClean = false;
        m_edit.m_bChangedOffStack = true;
        KeepSelOnGround(true);
    } else {
        KeepSelOnGround(false);
    }
    emit signal_Ui_SaveFlag(m_edit.m_bClean);
    return true;
}

void CPlaApp::SetSelScale(float x, float y, float z) {
    CModel* old = s_GetSingleSel(m_edit);
    if (IsBusy() || !old)
        return;
    const osg::Vec3f scale(x, y, z);
    if (Length3D(old->GetState().m_vScale - scale) < m_config.m_dScaleTolerance)
        return;
    // Candles, figures, objects to carry and alarms are made at their
    // model's size: a size given to them would be shown by none.
    if (!TakesScale(old->GetType()))
        return;
    osg::ref_ptr<CModel> object
        = MakePlaygroundObject(old->GetType(), old->GetSubType(), m_pPartContext, old->GetAddress(), scale);
    if (!object || !LoadPlaygroundObject(*object))
        return;
    osg::ref_ptr<CModel> keepOld = old;
    object->SetActive(false);
    AddDrawable(object.get());
    scene::Transform pose;
    old->GetTransform(pose, scene::CoordSys::Absolute);
    object->SetTransform(pose, scene::CoordSys::Absolute);
    object->GetData() = old->GetData();
    object->GetState().m_vScale = scale;
    object->SetUnselected(0);
    object->Place(&m_edit, PlaceRecreated);
    // Its bottom stays where it was, on the ground when it stood there: a
    // size taken about the centre would bury a taller object or leave a
    // lower one floating, and a copy of it would carry the difference.
    CModelState& state = object->GetState();
    const osg::Vec3f lift(0.0f, 0.0f, float(old->GetBottomZ() - object->GetBottomZ()));
    object->SetPose(state.m_vPos + lift, state.m_qRot, false, false);
    object->GetPlacedState() = state;
    object->ShowBox(true, CModelBox::Cyan);

    std::vector<osg::ref_ptr<CModel>>& all = m_edit.m_vecAllParts;
    std::replace(all.begin(), all.end(), keepOld, object);
    m_edit.m_vecSel.assign(1, object);
    RemoveDrawable(old);
    object->SetActive(true);
    if (m_edit.m_pHovered.get() == old)
        m_edit.m_pHovered = object.get();
    if (m_edit.m_pPressed.get() == old)
        m_edit.m_pPressed = object.get();
    // No undo step records sizes: the playground stays unsaved whatever
    // undo does, until the next save.
    m_edit.m_bClean = false;
    m_edit.m_bChangedOffStack = true;
    emit signal_Ui_SaveFlag(false);
}

void CPlaApp::KeepSelOnGround(bool noUndoStep) {
    if (!noUndoStep)
        PushUndoStep(CStep::KindTransform);
    double lowest = std::numeric_limits<double>::max();
    for (const osg::ref_ptr<CModel>& object : m_edit.m_vecSel) {
        CModelState& state = object->GetState();
        state.m_mRot = osg::Matrixd(state.m_qRot);
        object->GetBoundingBox(state.m_vBoxMin, state.m_vBoxMax, true);
        object->GetPlacedState() = state;
        if (m_edit.m_bCarrying)
            lowest = std::min(lowest, object->GetBottomZ());
    }
    // A carried selection turned into the ground comes back above it, as
    // far as its lowest bottom was when it was picked up: an object that lay
    // under the ground then lifts none of the others.
    const double floor = std::min(0.0, m_edit.m_dLowestBottom);
    if (m_edit.m_bCarrying && !m_edit.m_vecSel.empty() && lowest < floor - kSunkDepth)
        m_edit.m_dCarryHeight += floor - lowest;
}

void CPlaApp::PushUndoStep(int kind) {
    if (m_edit.m_vecSel.empty())
        return;
    auto step = std::make_unique<CStep>(&m_edit);
    step->m_nKind = kind;
    for (const osg::ref_ptr<CModel>& object : m_edit.m_vecSel) {
        step->m_vecEntries.push_back(CStep::Entry { object, object->GetData() });
        object->GetPlacedState() = object->GetState();
    }
    m_edit.m_undoStack.push(step.release());
    s_OnStepPushed(m_edit);
    emit signal_Ui_StepChange();
    // Whoever made the step (the pointer, the page's panel), the playground
    // now differs from its file.
    emit signal_Ui_SaveFlag(m_edit.m_bClean);
}

// ---- carrying -----------------------------------------------------------------------------

void CPlaApp::StartCarrying(bool force, bool atHover) {
    const bool starts = !m_edit.m_vecSel.empty() && (force || !(m_edit.m_bCarrying || m_edit.m_bRotating));
    s_MoveSelToTarget(m_edit, force, atHover);
    if (!starts || !m_edit.m_bCarrying)
        return;
    // The selection goes with its lowest bottom on the ground, each object
    // at its own height above it; an object sunk into the ground (a file or
    // a typed height may leave one so) stays as deep, and the others do not
    // rise by its depth.
    double standing = std::numeric_limits<double>::max();
    for (const osg::ref_ptr<CModel>& object : m_edit.m_vecSel) {
        const double bottom = object->GetBottomZ();
        if (bottom >= -kSunkDepth)
            standing = std::min(standing, bottom);
    }
    if (standing != std::numeric_limits<double>::max())
        m_edit.m_dCarryHeight += m_edit.m_dLowestBottom - standing;
}

void CPlaApp::RefreshCameraPosition() {
    if (m_edit.m_pCam)
        m_edit.m_vCameraPos = m_edit.m_pCam->GetPosition();
}

bool CPlaApp::PointerAtHeight(double z, osg::Vec3f& point) const {
    const osg::Vec3d plane(m_edit.m_vPlanePoint);
    const osg::Vec3d d = osg::Vec3d(m_edit.m_vCameraPos) - plane;
    if (d.z() == 0.0)
        return false;
    const double t = (z - plane.z()) / d.z();
    point = osg::Vec3f(plane + d * t);
    return std::isfinite(point.x()) && std::isfinite(point.y());
}

bool CPlaApp::InsideGroundBox(const osg::Vec3f& point) const {
    const osg::Vec4f& box = m_vGroundBox;
    return !(point.x() < box.x() || point.x() > box.z() || point.y() < box.y() || point.y() > box.w());
}

void CPlaApp::MoveSelTo(const osg::Vec3f& target) {
    for (const osg::ref_ptr<CModel>& object : m_edit.m_vecSel) {
        object->GetBackupState() = object->GetState();
        object->SetPose(target + object->GetState().m_vOffset, object->GetState().m_qRot, false, false);
    }
}

void CPlaApp::RestoreSel() {
    for (const osg::ref_ptr<CModel>& object : m_edit.m_vecSel) {
        const CModelState& before = object->GetBackupState();
        object->SetPose(before.m_vPos, before.m_qRot, false, false);
    }
}

bool CPlaApp::SelTouches(CModel* support) {
    for (const osg::ref_ptr<CModel>& object : m_edit.m_vecSel)
        object->UpdateCollisionTransform();
    for (const osg::ref_ptr<CModel>& object : m_edit.m_vecSel) {
        if (object->Overlaps(support, true, false) && object->CollidesWith(support))
            return true;
    }
    return false;
}

void CPlaApp::DragMoveSel() {
    RefreshCameraPosition();
    s_EnableSelNodes(m_edit, false);
    if (!FindSupport()) {
        osg::Vec3f target;
        if (PointerAtHeight(m_edit.m_dCarryHeight, target) && InsideGroundBox(target))
            MoveSelTo(target);
    }
    s_EnableSelNodes(m_edit, true);
}

bool CPlaApp::FindSupport() {
    const std::vector<osg::ref_ptr<CModel>>& all = m_edit.m_vecAllParts;
    const std::vector<osg::ref_ptr<CModel>>& selection = m_edit.m_vecSel;
    if (all.size() <= 1 || selection.size() >= all.size())
        return false;
    if (CModel* previous = m_edit.m_pSupport.get()) {
        previous->ShowBox(false, CModelBox::Red);
        m_edit.m_pSupport = nullptr;
    }
    // The last unselected object the pointer ray passes through.
    CModel* candidate = nullptr;
    for (const scene::PickHit& hit : m_edit.m_vecPickResults) {
        for (const osg::ref_ptr<CModel>& object : all) {
            if (!s_IsSelected(m_edit, object.get(), false) && scene::IsOnPath(hit, object->GetOSGNode())) {
                candidate = object.get();
                break;
            }
        }
    }
    if (!candidate)
        return false;
    CModel* support = nullptr;
    if (DropOntoSupport(candidate))
        support = candidate;

    // Objects the selection now touches may stand higher still.
    std::set<const CModel*> used { candidate };
    const std::size_t rounds = all.size() - selection.size() - 1;
    for (std::size_t round = 0; round < rounds; ++round) {
        for (const osg::ref_ptr<CModel>& object : selection)
            object->UpdateCollisionTransform();
        CModel* next = nullptr;
        for (const osg::ref_ptr<CModel>& object : all) {
            if (used.contains(object.get()) || s_IsSelected(m_edit, object.get(), false))
                continue;
            for (const osg::ref_ptr<CModel>& carried : selection) {
                if (carried->Overlaps(object.get(), true, false) && carried->CollidesWith(object.get())) {
                    next = object.get();
                    break;
                }
            }
            if (next)
                break;
        }
        if (!next)
            break;
        used.insert(next);
        if (DropOntoSupport(next))
            support = next;
    }
    if (!support)
        return false;
    m_edit.m_pSupport = support;
    support->ShowBox(true, CModelBox::Green);
    return true;
}

bool CPlaApp::DropOntoSupport(CModel* support) {
    osg::Vec3f supportMin, supportMax;
    support->GetBoundingBox(supportMin, supportMax, false);
    const double top = supportMax.z();
    const double bottom = supportMin.z();
    osg::Vec3f target;
    if (!PointerAtHeight(m_edit.m_dCarryHeight + top, target))
        return false;
    target.x() = std::trunc(target.x());
    target.y() = std::trunc(target.y());
    // Stacked or not, a carried selection keeps over the ground.
    if (!InsideGroundBox(target))
        return false;
    MoveSelTo(target);

    osg::BoundingBox carried;
    for (const osg::ref_ptr<CModel>& object : m_edit.m_vecSel) {
        osg::Vec3f min, max;
        object->GetBoundingBox(min, max, false);
        carried.expandBy(min);
        carried.expandBy(max);
    }
    if (supportMax.x() < carried.xMin() || carried.xMax() < supportMin.x() || supportMax.y() < carried.yMin()
        || carried.yMax() < supportMin.y()) {
        RestoreSel();
        return false;
    }
    if (SelTouches(support))
        return true;
    // Lower the selection onto the support's surface: down from its top
    // until it touches, then back to the last height clear of it.
    osg::Vec3f clear = target;
    for (double h = top; h >= bottom; h -= 0.9) {
        osg::Vec3f at;
        if (!PointerAtHeight(m_edit.m_dCarryHeight + h, at))
            break;
        MoveSelTo(at);
        if (SelTouches(support))
            break;
        clear = at;
    }
    MoveSelTo(clear);
    return true;
}
