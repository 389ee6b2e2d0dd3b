// Placement, pose and grid position of a part.

#include "elements/CModel.h"

#include "elements/CModelBox.h"
#include "elements/Geometry.h"
#include "scene/BoundsVisitor.h"

#include <cmath>

namespace {

const osg::Vec3f kAxisX(1, 0, 0);
const osg::Vec3f kAxisY(0, 1, 0);
const osg::Vec3f kAxisZ(0, 0, 1);

} // namespace

void CModel::Place(SPartOwner* owner, int kind) {
    SetActive(false);
    m_pOwner = owner;
    const bool robotBuilder = owner && owner->m_nAppKind == 1;

    // Measure in the part's own frame.
    CModelState& state = GetState();
    CModelState& saved = m_record.m_saved;
    scene::Transform pose;
    GetTransform(pose, scene::CoordSys::Absolute);
    saved.m_vPos = pose.GetTranslation();
    saved.m_qRot = pose.GetQuat();
    SetTransform(scene::Transform(), scene::CoordSys::Absolute);
    state.m_mRot = osg::Matrixd(state.m_qRot);

    BuildCollisionModel();
    GetBoundingBox(state.m_vBoxMin, state.m_vBoxMax, false);

    CPoint& own = GetDesc().m_ownBox;
    own.m_vPos = (state.m_vBoxMin + state.m_vBoxMax) / 2.0f;
    own.m_pOwner = &m_record.m_data;
    own.BuildPoints((state.m_vBoxMax - state.m_vBoxMin) / 2.0f, Constants());

    CreateBox(state.m_vBoxMin, state.m_vBoxMax);
    m_cLocked = kind > PlacePasted ? 1 : 0;
    if (!m_cLocked)
        ShowBox(true, CModelBox::Cyan);

    if (robotBuilder) {
        // Pasted and re-created parts keep the ports of their copied
        // description; the others read theirs.
        if (kind == PlacePasted || kind == PlaceRecreated)
            GetDesc().SetOwner(&m_record.m_data);
        else
            ReadPoints();
    }

    SetPose(osg::Vec3f(), saved.m_qRot, false, false);
    state.m_mRot = osg::Matrixd(saved.m_qRot);
    GetBoundingBox(state.m_vBoxMin, state.m_vBoxMax, true);

    osg::Vec3f p;
    if (robotBuilder)
        GetGridPosition(p);
    if (kind == PlaceAdded || kind == PlaceControlUnit) {
        const double d = GetBottomZ() - (owner ? owner->m_dGroundHeight : 0.0);
        if (d != 0.0)
            p.z() -= float(d);
        saved.m_vPos = p;
    }
    SetPose(saved.m_vPos, saved.m_qRot, false, false);
    m_record.m_data.m_placed = state;
    SetActive(true);
}

void CModel::SetPose(const osg::Vec3f& position, const osg::Quat& rotation, bool save, bool refresh) {
    CModelState& state = GetState();
    state.m_vPos = position;
    state.m_qRot = rotation;
    scene::Transform t;
    t.SetTranslation(position);
    t.SetRotation(rotation);
    SetTransform(t, scene::CoordSys::Absolute);
    state.m_mRot = osg::Matrixd(rotation);
    if (refresh || save) {
        GetBoundingBox(state.m_vBoxMin, state.m_vBoxMax, true);
        FindGridAnchor();
    }
    if (save)
        m_record.m_saved = state;
}

osg::Vec3f CModel::SetOffsetFrom(const osg::Vec3f& point) {
    CModelState& state = GetState();
    state.m_vOffset = state.m_vPos - point;
    return state.m_vOffset;
}

void CModel::PutBottomAt(const osg::Vec3f& target) {
    osg::Vec3f min, max;
    GetBoundingBox(min, max, false);
    scene::Transform t;
    GetTransform(t, scene::CoordSys::Absolute);
    const osg::Vec3f centre = (min + max) / 2.0f;
    t.SetTranslation(
        target + osg::Vec3f(0.0f, 0.0f, (max.z() - min.z()) / 2.0f) + (t.GetTranslation() - centre));
    SetTransform(t, scene::CoordSys::Absolute);
}

bool CModel::GetBoundingBox(osg::Vec3f& min, osg::Vec3f& max, bool relative) const {
    const osg::BoundingBox box = scene::SceneObject::GetBoundingBox();
    if (!box.valid()) {
        min.set(0.0f, 0.0f, 0.0f);
        max.set(0.0f, 0.0f, 0.0f);
        return false;
    }
    min = box._min;
    max = box._max;
    if (relative) {
        min -= GetState().m_vPos;
        max -= GetState().m_vPos;
    }
    return true;
}

bool CModel::GetOwnFrameBounds(osg::Vec3f& min, osg::Vec3f& max) const {
    // The pose node's own matrix counts in the measurement; undo it.
    const osg::Matrixd toOwn = osg::Matrixd::inverse(GetOSGNode()->getMatrix());
    const osg::BoundingBox box = scene::ComputeBounds(const_cast<osg::MatrixTransform*>(GetOSGNode()), toOwn);
    if (!box.valid()) {
        min.set(0.0f, 0.0f, 0.0f);
        max.set(0.0f, 0.0f, 0.0f);
        return false;
    }
    min = box._min;
    max = box._max;
    return true;
}

double CModel::GetBottomZ() const {
    osg::Vec3f min, max;
    GetBoundingBox(min, max, false);
    return min.z();
}

bool CModel::GetBoxPoint(osg::Vec3f& out, int k) const {
    const CPoint& own = GetDesc().m_ownBox;
    if (k == -2 && own.m_pOwner) {
        out = own.WorldPos(-1);
        return true;
    }
    if (k >= 0 && k < int(own.m_vecPoints.size()) && own.m_pOwner) {
        out = own.WorldPos(k);
        return true;
    }
    out = GetState().m_vPos;
    return k == -1;
}

void CModel::FindGridAnchor() {
    CModelState& state = GetState();
    const CModelDesc& desc = GetDesc();
    const double limit = Constants().portLimit;
    state.m_nGridAnchor = -1;
    int best = 0;
    bool across = false;
    for (const std::vector<SPortGroup>& table : desc.m_vecPortTable) {
        for (const SPortGroup& group : table) {
            for (const std::vector<SPortDir>& dirs : group.m_vecDirs) {
                for (const SPortDir& entry : dirs) {
                    const osg::Vec3f d = RotateVec3(entry.m_vDir, state.m_mRot);
                    if (CosAngle3D(d, kAxisZ, true) < 1.0f)
                        continue;
                    const osg::Vec3f d2 = RotateVec3(entry.m_vDir2, state.m_mRot);
                    bool entryAcross;
                    if (CosAngle3D(d2, kAxisY, true) > limit)
                        entryAcross = false;
                    else if (CosAngle3D(d2, kAxisX, true) > limit)
                        entryAcross = true;
                    else
                        continue;
                    int sum = 0;
                    int largest = 0;
                    int candidate = -1;
                    for (const SPort& port : entry.m_vecPorts) {
                        const int count = GetPointGrid(port.m_nPoint, 2);
                        sum += count;
                        if (count > largest) {
                            largest = count;
                            candidate = port.m_nPoint;
                        }
                    }
                    if (sum > best && candidate >= 0) {
                        state.m_nGridAnchor = candidate;
                        across = entryAcross;
                        best = sum;
                    }
                }
            }
        }
    }
    const CPoint* anchor = GetPoint(state.m_nGridAnchor);
    if (!anchor)
        return;
    const osg::Vec2f cell = Constants().gridCell;
    const float gx = float(anchor->m_nGridX);
    const float gy = float(anchor->m_nGridY);
    const osg::Vec3f half = across ? osg::Vec3f(cell.y() * gy / 2.0f, cell.x() * gx / 2.0f, 0.0f)
                                   : osg::Vec3f(cell.x() * gx / 2.0f, cell.y() * gy / 2.0f, 0.0f);
    state.m_vGridRefOffset = (anchor->WorldPos(-1) - state.m_vPos) + half;
}

osg::Vec3f CModel::SnapToGrid(const osg::Vec3f& position) const {
    const CModelState& state = GetState();
    const osg::Vec3f ref = position + (state.m_nGridAnchor == -1 ? state.m_vBoxMax : state.m_vGridRefOffset);
    const PartConstants& k = Constants();
    osg::Vec3f out = position;
    for (int axis = 0; axis < 2; ++axis) {
        const double c = k.gridCell[axis];
        const double r = ref[axis];
        // Half a cell rounds away from zero on both sides of the origin.
        const double n = std::trunc(std::fabs(r) / c + 0.5) * (r < 0.0 ? -1.0 : 1.0);
        double corr = c * n - r;
        if (position[axis] + corr < k.gridArea[axis])
            corr += c;
        out[axis] = float(position[axis] + corr);
    }
    return out;
}

void CModel::GetGridPosition(osg::Vec3f& out) {
    CModelState& state = GetState();
    state.m_vGridAdjust.set(0.0f, 0.0f, 0.0f);
    FindGridAnchor();
    const osg::Vec3f g = SnapToGrid(osg::Vec3f());
    if (state.m_nGridAnchor != -1) {
        out = g;
        return;
    }
    for (int axis = 0; axis < 2; ++axis) {
        const double c = Constants().gridCell[axis];
        const double v = double(g[axis]) + state.m_vBoxMin[axis];
        const double n = std::trunc(v / c);
        double adj = (c * n - v) / 2.0;
        const double ext = std::fabs(double(state.m_vBoxMax[axis]) - state.m_vBoxMin[axis]);
        if (ext < c) {
            if (v < 0.0)
                adj -= c / 2.0;
        } else if (v > 0.0) {
            if (adj >= 0.3 * c)
                adj += c / 2.0;
        } else if (adj > 0.2 * c) {
            adj -= c / 2.0;
        }
        state.m_vGridAdjust[axis] = float(adj);
    }
    out = g + state.m_vGridAdjust;
}
