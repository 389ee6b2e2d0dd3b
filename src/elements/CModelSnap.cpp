// Port snapping between parts.

#include "elements/CModel.h"

#include "elements/Geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

const SPortDir* ResolveDir(const CModelDesc& desc, const SPortPath& path) {
    if (path.table < 0 || path.table > 1 || path.kind < 0 || path.kind >= SPortGroup::kKinds)
        return nullptr;
    const std::vector<SPortGroup>& table = desc.m_vecPortTable[path.table];
    if (path.group < 0 || path.group >= int(table.size()))
        return nullptr;
    const std::vector<SPortDir>& dirs = table[path.group].m_vecDirs[path.kind];
    if (path.dir < 0 || path.dir >= int(dirs.size()))
        return nullptr;
    return &dirs[path.dir];
}

const SPort* ResolvePort(const CModelDesc& desc, const SPortPath& path) {
    const SPortDir* dir = ResolveDir(desc, path);
    if (!dir || path.port < 0 || path.port >= int(dir->m_vecPorts.size()))
        return nullptr;
    return &dir->m_vecPorts[path.port];
}

osg::Vec3f WindowPoint(const osg::Vec3f& world, const osg::Matrixd& window) {
    return world * window;
}

} // namespace

bool CModel::GetPortPoint(osg::Vec3f& out, int i, int k) const {
    const CPoint* p = GetPoint(i);
    if (!p || k < -1 || k >= int(p->m_vecPoints.size())) {
        out = GetState().m_vPos;
        return false;
    }
    out = p->WorldPos(k);
    return true;
}

double CModel::DistanceToOwnerPoint(int port) const {
    const osg::Vec3f eye = m_pOwner ? m_pOwner->m_vCameraPos : osg::Vec3f();
    osg::Vec3f at;
    if (port < 0) {
        GetBoxPoint(at, -1);
        double best = Distance3D(eye, at);
        for (int k = 0; k < 8; ++k) {
            if (GetBoxPoint(at, k))
                best = std::min(best, Distance3D(eye, at));
        }
        return best;
    }
    GetPortPoint(at, port, -1);
    double best = Distance3D(eye, at);
    if (GetPointGrid(port, 2) != 1) {
        for (int k = 0; k < 8; ++k) {
            if (GetPortPoint(at, port, k))
                best = std::min(best, Distance3D(eye, at));
        }
    }
    return best;
}

double CModel::ScreenPortDistance(int ownPort, const CModel* other, int otherPort) const {
    if (!other)
        return std::numeric_limits<double>::max();
    osg::Vec3f a, b;
    GetPortPoint(a, ownPort, -1);
    other->GetPortPoint(b, otherPort, -1);
    return Distance2D(ToWindow(a), ToWindow(b));
}

bool CModel::PortsTouch(int ownPort, const CModel* other, int otherPort, bool threeD) const {
    if (!other)
        return false;
    osg::Vec3f a, b;
    GetPortPoint(a, ownPort, -1);
    other->GetPortPoint(b, otherPort, -1);
    const double limit = 2.0 * Constants().boxLimit;
    if (threeD)
        return float(Distance3D(a, b)) <= float(limit);
    if (!m_pOwner)
        return false;
    const osg::Matrixd& window = m_pOwner->m_mWindow;
    const float width = m_pOwner->m_vViewport.x();
    const osg::Vec3f wa = WindowPoint(a, window);
    const osg::Vec3f wb = WindowPoint(b, window);
    if (wa.x() < 0.0f || wa.x() > width || wb.x() < 0.0f || wb.x() > width)
        return false;
    const float step = float(Constants().boxLimit);
    double r = 0.0;
    for (const osg::Vec3f& axis : { osg::Vec3f(step, 0, 0), osg::Vec3f(0, step, 0), osg::Vec3f(0, 0, step) })
        r = std::max(r, Length2D(WindowPoint(a + axis, window) - wa));
    return Distance2D(wa, wb) <= 2.0 * r;
}

void CModel::PortCorners(osg::Vec3Array& out, int port, bool threeD) const {
    for (int k = 0; k < 8; ++k) {
        osg::Vec3f corner;
        GetPortPoint(corner, port, k);
        out.push_back(threeD ? corner : ToWindow(corner));
    }
}

bool CModel::OverlapsWhenJoined(
    int kind, int ownPort, const CModel* other, int otherPort, bool threeD) const {
    if (!other || !GetPoint(ownPort) || !other->GetPoint(otherPort))
        return false;
    if (kind != 0 && GetPointGrid(ownPort, 2) == 1 && other->GetPointGrid(otherPort, 2) == 1)
        return PortsTouch(ownPort, other, otherPort, threeD);
    osg::ref_ptr<osg::Vec3Array> corners = new osg::Vec3Array;
    corners->reserve(16);
    PortCorners(*corners, ownPort, threeD);
    other->PortCorners(*corners, otherPort, threeD);
    return ExtentsOverlap(*corners, threeD) && ExactOverlap(*corners);
}

bool CModel::SitsOnAxle(int ownPort, const CModel* other, int otherPort) const {
    const CPoint* own = GetPoint(ownPort);
    const CPoint* theirs = other ? other->GetPoint(otherPort) : nullptr;
    if (!own || !theirs || own->m_nKind != 1 || theirs->m_nKind != 1 || own->GridCount() != 1
        || theirs->GridCount() != 1 || (own->m_nMale != 0) == (theirs->m_nMale != 0))
        return false;
    const osg::Vec3f ownDir = RotateVec3(own->m_vDir, GetState().m_mRot);
    const osg::Vec3f theirDir = RotateVec3(theirs->m_vDir, other->GetState().m_mRot);
    if (CosAngle3D(ownDir, theirDir) < float(Constants().portLimit))
        return false;
    const bool mine = own->m_nMale != 0;
    const CPoint* tip = mine ? own : theirs;
    const CPoint* hub = mine ? theirs : own;
    const CModel* wheel = mine ? other : this;
    osg::Vec3f axis = mine ? ownDir : theirDir;
    if (axis.normalize() == 0.0f)
        return false;
    const osg::Vec3f d = hub->WorldPos(-1) - tip->WorldPos(-1);
    const float along = d * axis;
    const float across = (d - axis * along).length();
    if (std::fabs(along) > float(2.0 * Constants().boxLimit))
        return false;
    // The hub part's reach: its box's smaller half size across the hub's
    // direction, in the part's own frame.
    const std::vector<osg::Vec3f>& corners = wheel->GetDesc().m_ownBox.m_vecPoints;
    if (corners.size() < 8)
        return false;
    osg::Vec3f low = corners.front(), high = corners.front();
    for (const osg::Vec3f& corner : corners) {
        for (int i = 0; i < 3; ++i) {
            low[i] = std::min(low[i], corner[i]);
            high[i] = std::max(high[i], corner[i]);
        }
    }
    osg::Vec3f hubDir = hub->m_vDir;
    hubDir.normalize();
    float reach = std::numeric_limits<float>::max();
    for (int i = 0; i < 3; ++i) {
        if (std::fabs(hubDir[i]) < 0.5f)
            reach = std::min(reach, (high[i] - low[i]) / 2.0f);
    }
    return across < reach;
}

bool CModel::FindAxlePair(const CModel* other, int& ownPort, int& otherPort) const {
    if (!other || other == this)
        return false;
    for (int i = 0; GetPoint(i); ++i) {
        if (GetPoint(i)->m_nKind != 1)
            continue;
        for (int j = 0; other->GetPoint(j); ++j) {
            if (SitsOnAxle(i, other, j)) {
                ownPort = i;
                otherPort = j;
                return true;
            }
        }
    }
    return false;
}

bool CModel::SnapOntoAxle(CModel* other) {
    int own = -1;
    int theirs = -1;
    if (!m_pOwner || !FindAxlePair(other, own, theirs))
        return false;
    SSnapState& s = m_pOwner->m_snap;
    const CPoint* p = GetPoint(own);
    const CPoint* q = other->GetPoint(theirs);
    s.m_pOtherPart = other;
    s.m_pDraggedPart = this;
    s.m_dMeasuredDist = other->DistanceToOwnerPoint(-1);
    s.m_dPartDist = s.m_dMeasuredDist;
    s.m_dOtherPortDist = other->DistanceToOwnerPoint(theirs);
    s.m_dOwnPortDist = DistanceToOwnerPoint(own);
    s.m_vOwnDir = RotateVec3(p->m_vDir, GetState().m_mRot);
    s.m_vOwnDir2 = RotateVec3(p->m_vDir2, GetState().m_mRot);
    s.m_vOtherDir = RotateVec3(q->m_vDir, other->GetState().m_mRot);
    s.m_vOtherDir2 = RotateVec3(q->m_vDir2, other->GetState().m_mRot);
    s.m_nMatchedKind = 1;
    s.m_nOwnPort = own;
    s.m_nOtherPort = theirs;
    // Single points have no rows or cells to choose among.
    s.m_ownCandidate = SPortPath();
    s.m_otherCandidate = SPortPath();
    return true;
}

bool CModel::SnapToModel(CModel* other, int mode, bool join) {
    if (!other || other == this || !m_pOwner)
        return false;
    if (GetDesc().m_vecPoints.empty() || other->GetDesc().m_vecPoints.empty())
        return false;
    SSnapState& s = m_pOwner->m_snap;
    const auto& mine = GetDesc().m_vecPortTable;
    const auto& theirs = other->GetDesc().m_vecPortTable;
    s.m_nCount = { int(mine[CModelDesc::Female].size()), int(mine[CModelDesc::Male].size()),
        int(theirs[CModelDesc::Male].size()), int(theirs[CModelDesc::Female].size()) };
    if (!((s.m_nCount[0] && s.m_nCount[3]) || (s.m_nCount[0] && s.m_nCount[2])
            || (s.m_nCount[1] && s.m_nCount[3])))
        return false;
    s.m_nMode = mode;
    s.m_cJoinFlag = join ? 1 : 0;
    if (mode != 0)
        return MatchGroups(other, s);
    s.m_dMeasuredDist = other->DistanceToOwnerPoint(-1);
    if (s.m_dPartDist >= 0.0 && s.m_dPartDist < s.m_dMeasuredDist)
        return false;
    // Single ports meet when they are within twice a port step of each
    // other in the window, and a shaft's tip may stand that far off its
    // part's box: parts whose boxes are apart are still searched for such
    // ports, and only for them.
    s.m_bBoxesApart = !Overlaps(other, false, false);
    MatchGroups(other, s);
    s.m_bBoxesApart = false;
    return s.m_nOwnPort >= 0;
}

bool CModel::MatchGroups(CModel* other, SSnapState& s) {
    const auto& mine = GetDesc().m_vecPortTable;
    const auto& theirs = other->GetDesc().m_vecPortTable;
    // Kind 2 pairs a female point with a female point.
    s.m_nCurKind = 2;
    for (int g = 0; g < int(mine[CModelDesc::Female].size()); ++g) {
        for (int h = 0; h < int(theirs[CModelDesc::Female].size()); ++h) {
            if (MatchDirs(other, s, CModelDesc::Female, g, CModelDesc::Female, h))
                return true;
        }
    }
    s.m_nCurKind = -1;
    if (!s.m_cJoinFlag) {
        s.m_cMaleSide = 0;
        for (int g = 0; g < int(mine[CModelDesc::Female].size()); ++g) {
            for (int h = 0; h < int(theirs[CModelDesc::Male].size()); ++h) {
                if (MatchDirs(other, s, CModelDesc::Female, g, CModelDesc::Male, h))
                    return true;
            }
        }
    }
    s.m_cMaleSide = 1;
    for (int g = 0; g < int(mine[CModelDesc::Male].size()); ++g) {
        for (int h = 0; h < int(theirs[CModelDesc::Female].size()); ++h) {
            if (MatchDirs(other, s, CModelDesc::Male, g, CModelDesc::Female, h))
                return true;
        }
    }
    return false;
}

bool CModel::MatchDirs(
    CModel* other, SSnapState& s, int ownTable, int ownGroup, int otherTable, int otherGroup) {
    const SPortGroup& g = GetDesc().m_vecPortTable[ownTable][ownGroup];
    const SPortGroup& h = other->GetDesc().m_vecPortTable[otherTable][otherGroup];
    auto pairUp = [&](int kind) {
        const int ownDirs = int(g.m_vecDirs[kind].size());
        const int otherDirs = int(h.m_vecDirs[kind].size());
        for (int d = 0; d < ownDirs; ++d) {
            for (int e = 0; e < otherDirs; ++e) {
                if (FindSnap(other, s, SPortPath { ownTable, ownGroup, kind, d, -1 },
                        SPortPath { otherTable, otherGroup, kind, e, -1 }))
                    return true;
            }
        }
        return false;
    };
    if (s.m_nCurKind == 2)
        return h.m_dRange == g.m_dRange && pairUp(2);
    // A male port's range may not exceed the female port's.
    if (s.m_cMaleSide ? h.m_dRange < g.m_dRange : h.m_dRange > g.m_dRange)
        return false;
    for (int kind : { 0, 1, 3, 4 }) {
        if (g.m_vecDirs[kind].empty() || h.m_vecDirs[kind].empty())
            continue;
        s.m_nCurKind = kind;
        if (pairUp(kind))
            return true;
    }
    return false;
}

bool CModel::FindSnap(CModel* other, SSnapState& s, const SPortPath& ownPath, const SPortPath& otherPath) {
    const SPortDir& d = *ResolveDir(GetDesc(), ownPath);
    const SPortDir& e = *ResolveDir(other->GetDesc(), otherPath);
    const osg::Matrixd& ownRot = GetState().m_mRot;
    const osg::Matrixd& otherRot = other->GetState().m_mRot;
    const osg::Vec3f dT = RotateVec3(d.m_vDir, ownRot);
    const osg::Vec3f d2T = RotateVec3(d.m_vDir2, ownRot);
    const osg::Vec3f dO = RotateVec3(e.m_vDir, otherRot);
    const osg::Vec3f d2O = RotateVec3(e.m_vDir2, otherRot);
    const float limit = float(Constants().portLimit);
    const int kind = s.m_nCurKind;
    if (kind == 0) {
        if (CosAngle3D(dT, dO, true) < limit)
            return false;
    } else if (kind == 2) {
        if (CosAngle3D(dT, -dO) < limit || CosAngle3D(d2T, d2O, true) > limit)
            return false;
    } else if (CosAngle3D(dT, dO) < limit) {
        return false;
    }

    if (s.m_nMode != 0) {
        for (int pi = 0; pi < int(d.m_vecPorts.size()); ++pi) {
            for (int qi = 0; qi < int(e.m_vecPorts.size()); ++qi) {
                const SPort& p = d.m_vecPorts[pi];
                const SPort& q = e.m_vecPorts[qi];
                s.m_ownCandidate = ownPath;
                s.m_ownCandidate.port = pi;
                s.m_otherCandidate = otherPath;
                s.m_otherCandidate.port = qi;
                if (!OverlapsWhenJoined(kind, p.m_nPoint, other, q.m_nPoint, true))
                    continue;
                if (s.m_cJoinFlag) {
                    s.m_vecJoinList = { other->GetId() };
                    s.m_nOwnPort = p.m_nPoint;
                    s.m_nOtherPort = q.m_nPoint;
                    s.m_nMatchedKind = kind;
                    s.m_vJoinDir = dT;
                    osg::Vec3f at;
                    other->GetPortPoint(at, q.m_nPoint, -1);
                    s.m_vJoinOffset = at - s.m_vJoinOffset;
                }
                return true;
            }
        }
        return false;
    }

    for (int qi = 0; qi < int(e.m_vecPorts.size()); ++qi) {
        const SPort& q = e.m_vecPorts[qi];
        if (s.m_bBoxesApart && (kind == 0 || other->GetPointGrid(q.m_nPoint, 2) != 1))
            continue;
        const double wO = other->DistanceToOwnerPoint(q.m_nPoint);
        const bool samePart = s.m_dPartDist >= 0.0 && s.m_dPartDist == s.m_dMeasuredDist;
        if (s.m_dOtherPortDist >= 0.0 && s.m_dOtherPortDist < wO && samePart)
            continue;
        for (int pi = 0; pi < int(d.m_vecPorts.size()); ++pi) {
            const SPort& p = d.m_vecPorts[pi];
            if (s.m_bBoxesApart && GetPointGrid(p.m_nPoint, 2) != 1)
                continue;
            const double wT = DistanceToOwnerPoint(p.m_nPoint);
            if (s.m_dOwnPortDist >= 0.0 && s.m_dOwnPortDist <= wT && samePart && s.m_dOtherPortDist >= 0.0
                && s.m_dOtherPortDist == wO)
                continue;
            if (!OverlapsWhenJoined(kind, p.m_nPoint, other, q.m_nPoint, false))
                continue;
            s.m_pOtherPart = other;
            s.m_pDraggedPart = this;
            s.m_dPartDist = s.m_dMeasuredDist;
            s.m_dOtherPortDist = wO;
            s.m_dOwnPortDist = wT;
            s.m_vOwnDir = dT;
            s.m_vOwnDir2 = d2T;
            s.m_vOtherDir = dO;
            s.m_vOtherDir2 = d2O;
            if (kind == 2) {
                if (const CPoint* point = other->GetPoint(q.m_nPoint))
                    s.m_vOtherDir2 = RotateVec3(point->m_vDir3, otherRot);
            }
            s.m_nMatchedKind = kind;
            s.m_ownCandidate = ownPath;
            s.m_ownCandidate.port = pi;
            s.m_otherCandidate = otherPath;
            s.m_otherCandidate.port = qi;
            s.m_nOwnPort = p.m_nPoint;
            s.m_nOtherPort = q.m_nPoint;
        }
    }
    return false;
}

void CModel::ChooseBestPortPair() {
    if (!m_pOwner)
        return;
    SSnapState& s = m_pOwner->m_snap;
    CModel* other = s.m_pOtherPart.get();
    if (!other || !GetPoint(s.m_nOwnPort) || !other->GetPoint(s.m_nOtherPort))
        return;
    if (GetPointGrid(s.m_nOwnPort, 2) * other->GetPointGrid(s.m_nOtherPort, 2) == 1)
        return;
    const SPort* ownPort = ResolvePort(GetDesc(), s.m_ownCandidate);
    const SPort* otherPort = ResolvePort(other->GetDesc(), s.m_otherCandidate);
    if (!ownPort || !otherPort || ownPort->m_vecRows.empty() || otherPort->m_vecRows.empty())
        return;
    const int kind = s.m_nMatchedKind;
    const SPortRow* ownRow = &ownPort->m_vecRows.front();
    const SPortRow* otherRow = &otherPort->m_vecRows.front();
    s.m_nOwnPort = ownRow->m_nRow;
    s.m_nOtherPort = otherRow->m_nRow;
    // Among the candidates, the pair nearest in the window (kinds with a
    // point on each side) or the last whose port boxes meet (axes).
    auto choose = [&](int own, int theirs, double& best) {
        if (kind != 0) {
            const double dist = ScreenPortDistance(own, other, theirs);
            if (dist < best) {
                best = dist;
                return true;
            }
            return false;
        }
        return OverlapsWhenJoined(0, own, other, theirs, false);
    };
    if (ownPort->m_vecRows.size() > 1 || otherPort->m_vecRows.size() > 1) {
        double best = kind != 0 ? ScreenPortDistance(s.m_nOwnPort, other, s.m_nOtherPort) : 0.0;
        for (const SPortRow& theirs : otherPort->m_vecRows) {
            for (const SPortRow& mine : ownPort->m_vecRows) {
                if (choose(mine.m_nRow, theirs.m_nRow, best)) {
                    ownRow = &mine;
                    otherRow = &theirs;
                    s.m_nOwnPort = mine.m_nRow;
                    s.m_nOtherPort = theirs.m_nRow;
                }
            }
        }
    }
    if (GetPointGrid(ownRow->m_nRow, 2) * other->GetPointGrid(otherRow->m_nRow, 2) <= 1)
        return;
    if (ownRow->m_vecCells.empty() || otherRow->m_vecCells.empty())
        return;
    s.m_nOwnPort = ownRow->m_vecCells.front();
    s.m_nOtherPort = otherRow->m_vecCells.front();
    double best = kind != 0 ? ScreenPortDistance(s.m_nOwnPort, other, s.m_nOtherPort) : 0.0;
    for (int mine : ownRow->m_vecCells) {
        for (int theirs : otherRow->m_vecCells) {
            if (choose(mine, theirs, best)) {
                s.m_nOwnPort = mine;
                s.m_nOtherPort = theirs;
            }
        }
    }
}

void CModel::SlideAlongPort() {
    if (!m_pOwner)
        return;
    SSnapState& s = m_pOwner->m_snap;
    const CModel* other = s.m_pOtherPart.get();
    const CPoint* own = GetPoint(s.m_nOwnPort);
    const CPoint* theirs = other ? other->GetPoint(s.m_nOtherPort) : nullptr;
    // Only axis points carry the tip (sub-point 8) that the slide needs.
    if (!own || !theirs || own->m_vecPoints.size() < 9 || theirs->m_vecPoints.size() < 9)
        return;
    const osg::Vec3f a = own->WorldPos(-1);
    const osg::Vec3f b = theirs->WorldPos(-1);
    const osg::Vec3f at = own->WorldPos(8);
    const osg::Vec3f bt = theirs->WorldPos(8);
    const osg::Matrixd& window = m_pOwner->m_mWindow;
    const osg::Vec3f p = WindowPoint(a, window) - WindowPoint(b, window);
    const osg::Vec3f q = WindowPoint(bt, window) - WindowPoint(b, window);
    const double c = CosAngle2D(p, q);
    double lp = Length2D(p);
    const double lq = Length2D(q);
    if (lq == 0.0)
        return;
    double r = lp * c / lq;
    const osg::Vec3f f = bt - b;
    osg::Vec3f g = at - a;
    g = CosAngle2D(f, g) < 0.0f ? f - g : g + f;
    if (Length3D(f) == 0.0)
        return;
    const double m = Length3D(g) / Length3D(f);
    r = std::clamp(r, -m, m);
    lp = std::min(lp, lq);
    const double t = std::trunc(4.0 * lp);
    if (t == 0.0)
        return;
    r = std::trunc(t * r) / t;
    const CModelState& state = GetState();
    SetPose(state.m_vPos + (b - a) + f * float(r), state.m_qRot, false, false);
}
