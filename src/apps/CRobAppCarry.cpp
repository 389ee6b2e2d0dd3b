// The robot builder's carrying, joining and turning of the selection.

#include "apps/CRobApp.h"

#include "apps/CCam.h"
#include "elements/CModelBox.h"
#include "elements/Geometry.h"
#include "elements/Nets.h"
#include "foundation/CConfig.h"

#include <osg/Quat>

#include <algorithm>
#include <cmath>

namespace {

osg::Vec3f Turned(const osg::Vec3f& v, const osg::Quat& q) {
    return RotateVec3(v, osg::Matrixd(q));
}

} // namespace

bool CRobApp::CarryPoint(double lowestBottom, osg::Vec3f& point) const {
    const osg::Vec3f& plane = m_edit.m_vPlanePoint;
    const osg::Vec3f d = m_edit.m_vCameraPos - plane;
    if (d.z() == 0.0f)
        return false;
    const double t = (lowestBottom + m_edit.m_dCarryHeight - plane.z()) / d.z();
    point = plane + d * float(t);
    return true;
}

bool CRobApp::InsideGridArea(const osg::Vec3f& point) const {
    const osg::Vec4f& area = m_pPartContext->Constants().gridArea;
    return !(point.x() < area.x() || point.x() > area.z() || point.y() < area.y() || point.y() > area.w());
}

void CRobApp::CarryToPointer() {
    const double b = LowestBottom(false);
    if (std::fabs(m_pGrid->GetTransform().GetTranslation().z() - b) > 0.01)
        PlaceGrid(false);
    if (m_edit.m_pCam)
        m_edit.m_vCameraPos = m_edit.m_pCam->GetPosition();
    osg::Vec3f target;
    if (!CarryPoint(b, target))
        return;
    const bool outside = !InsideGridArea(target);
    const osg::Vec3f& reference = outside ? m_edit.m_vPlanePoint : target;

    s_EnableSelNodes(m_edit, false);
    for (const osg::ref_ptr<CModel>& part : m_edit.m_vecSel) {
        part->GetBackupState() = part->GetState();
        part->SetPose(reference + part->GetState().m_vOffset, part->GetSavedState().m_qRot, false, false);
    }
    if (!SnapCarried()) {
        if (outside) {
            // The grid area's edge holds the parts back.
            for (const osg::ref_ptr<CModel>& part : m_edit.m_vecSel) {
                const CModelState& backup = part->GetBackupState();
                part->SetPose(backup.m_vPos, backup.m_qRot, false, false);
            }
        } else if (m_edit.m_vecSel.size() == 1) {
            CModel* part = m_edit.m_vecSel.front().get();
            const CModelState& state = part->GetState();
            part->SetPose(part->SnapToGrid(target + state.m_vOffset) + state.m_vGridAdjust,
                part->GetSavedState().m_qRot, false, false);
        }
    }
    s_EnableSelNodes(m_edit, true);
}

bool CRobApp::SnapCarried() {
    const std::vector<osg::ref_ptr<CModel>>& all = m_edit.m_vecAllParts;
    const std::vector<osg::ref_ptr<CModel>>& selection = m_edit.m_vecSel;
    if (all.size() < 2 || selection.empty() || selection.size() >= all.size())
        return false;
    s_RefreshWindowMatrix(m_edit);
    SSnapState& s = m_edit.m_snap;

    // The pair of the last move stays while its ports still meet in the window.
    bool kept = false;
    CModel* other = s.m_pOtherPart.get();
    CModel* dragged = s.m_pDraggedPart.get();
    if (other && dragged && s_IsSelected(m_edit, dragged, false) && !s_IsSelected(m_edit, other, false)
        && dragged->Overlaps(other, false, false)) {
        if (dragged->OverlapsWhenJoined(s.m_nMatchedKind, s.m_nOwnPort, other, s.m_nOtherPort, false)
            || dragged->SitsOnAxle(s.m_nOwnPort, other, s.m_nOtherPort)) {
            kept = true;
        } else {
            s.ResetSearch();
            kept = dragged->SnapToModel(other, 0, false) && s.m_pOtherPart.get() == other;
        }
    }
    if (!kept) {
        if (other)
            other->ShowBox(false, CModelBox::Red);
        s.m_pOtherPart = nullptr;
        s.m_pDraggedPart = nullptr;
        s.ResetSearch();
        for (const osg::ref_ptr<CModel>& candidate : all) {
            if (s_IsSelected(m_edit, candidate.get(), false))
                continue;
            for (const osg::ref_ptr<CModel>& part : selection)
                part->SnapToModel(candidate.get(), 0, false);
        }
        // A wheel carried against a shaft is on it, wherever along the
        // window its hub and the tip are drawn: it joins there too.
        for (std::size_t i = 0; i < all.size() && !s.m_pOtherPart.get(); ++i) {
            if (s_IsSelected(m_edit, all[i].get(), false))
                continue;
            for (const osg::ref_ptr<CModel>& part : selection) {
                if (part->SnapOntoAxle(all[i].get()))
                    break;
            }
        }
        other = s.m_pOtherPart.get();
        if (!other)
            return false;
        other->ShowBox(true, CModelBox::Green);
    }
    dragged = s.m_pDraggedPart.get();
    if (!dragged)
        return false;
    dragged->ChooseBestPortPair();
    JoinParts();
    return true;
}

void CRobApp::JoinParts() {
    const SSnapState& s = m_edit.m_snap;
    CModel* dragged = s.m_pDraggedPart.get();
    CModel* other = s.m_pOtherPart.get();
    if (!dragged || !other)
        return;
    const osg::Vec3d a = s.m_vOwnDir;
    const osg::Vec3d a2 = s.m_vOwnDir2;
    const osg::Vec3d b = s.m_vOtherDir;
    const osg::Vec3d b2 = s.m_vOtherDir2;
    osg::Quat q;
    switch (s.m_nMatchedKind) {
    case 0:
        // An axis fits either way round: the nearer way.
        q.makeRotate(a, CosAngle3D(s.m_vOwnDir, s.m_vOtherDir) < 0.0f ? -b : b);
        break;
    case 1:
    case 3:
    case 4:
        q.makeRotate(a, b);
        break;
    default: {
        osg::Quat q1, q2;
        q1.makeRotate(a, -b);
        const osg::Vec3d turned = q1 * a2;
        const bool against = CosAngle3D(osg::Vec3f(turned), s.m_vOtherDir2) < float(m_config.m_dPortLimit);
        q2.makeRotate(turned, against ? -b2 : b2);
        q = q1 * q2;
        break;
    }
    }

    const osg::Vec3f pivot = dragged->GetState().m_vPos;
    for (const osg::ref_ptr<CModel>& part : m_edit.m_vecSel) {
        const CModelState& state = part->GetState();
        if (part == dragged) {
            part->SetPose(state.m_vPos, state.m_qRot * q, false, false);
        } else {
            part->SetPose(pivot + Turned(state.m_vPos - pivot, q), state.m_qRot * q, false, false);
        }
    }

    const osg::Vec3f before = dragged->GetState().m_vPos;
    if (s.m_nMatchedKind != 0) {
        osg::Vec3f theirs, mine;
        other->GetPortPoint(theirs, s.m_nOtherPort, -1);
        dragged->GetPortPoint(mine, s.m_nOwnPort, -1);
        dragged->SetPose(before + (theirs - mine), dragged->GetState().m_qRot, false, false);
    } else {
        dragged->SlideAlongPort();
    }
    const osg::Vec3f shift = dragged->GetState().m_vPos - before;
    for (const osg::ref_ptr<CModel>& part : m_edit.m_vecSel) {
        if (part != dragged)
            part->SetPose(part->GetState().m_vPos + shift, part->GetState().m_qRot, false, false);
    }
}

bool CRobApp::SelCollides() {
    // Every part's collision model must stand where the part stands.
    for (const osg::ref_ptr<CModel>& part : m_edit.m_vecAllParts)
        part->UpdateCollisionTransform();
    for (const osg::ref_ptr<CModel>& other : m_edit.m_vecAllParts) {
        if (s_IsSelected(m_edit, other.get(), false))
            continue;
        for (const osg::ref_ptr<CModel>& part : m_edit.m_vecSel) {
            if (part->Overlaps(other.get(), true, false) && !part->SnapToModel(other.get(), 1, false)
                && part->CollidesWith(other.get()))
                return true;
        }
    }
    return false;
}

void CRobApp::TakeCentroid() {
    std::vector<osg::ref_ptr<CModel>>& selection = m_edit.m_vecSel;
    if (selection.empty())
        return;
    osg::Vec3f centroid;
    for (const osg::ref_ptr<CModel>& part : selection)
        centroid += part->GetState().m_vPos;
    centroid /= float(selection.size());
    double lowest = selection.front()->GetBottomZ();
    for (const osg::ref_ptr<CModel>& part : selection) {
        part->SetOffsetFrom(centroid);
        lowest = std::min(lowest, part->GetBottomZ());
    }
    m_edit.m_dCarryHeight = centroid.z() - lowest;
}

void CRobApp::TurnAbout(const osg::Vec3f& pivot, const osg::Quat& turn) {
    s_EnableSelNodes(m_edit, false);
    for (const osg::ref_ptr<CModel>& part : m_edit.m_vecSel) {
        CModelState& state = part->GetState();
        state.m_vOffset = Turned(state.m_vOffset, turn);
        part->SetPose(pivot + state.m_vOffset, state.m_qRot * turn, false, false);
    }
    s_EnableSelNodes(m_edit, true);
}

void CRobApp::MouseRotateSel(int code) {
    std::vector<osg::ref_ptr<CModel>>& selection = m_edit.m_vecSel;
    if (code >= 1 && code <= 3) {
        if (selection.empty())
            return;
        if (m_edit.m_bRotating) {
            CommitSelPose(!m_edit.m_bCarrying, false);
            if (m_edit.m_nRotationAxis == code - 1) {
                m_edit.m_bRotating = false;
                return;
            }
        }
        if (!m_edit.m_bCarrying && !m_edit.m_bRotating)
            TakeCentroid();
        s_StartPointerTurn(m_edit, code - 1);
    }
    if (selection.empty() || !m_edit.m_bRotating)
        return;
    osg::Vec3f reference;
    const osg::Quat turn = s_PointerTurn(m_edit, m_config.m_dJoinFactor, reference);
    TurnAbout(reference, turn);
}

void CRobApp::QuarterTurn(int axis, double degrees, bool viewRelative) {
    if (m_edit.m_vecSel.empty())
        return;
    if (m_edit.m_bRotating) {
        CommitSelPose(!m_edit.m_bCarrying, false);
        m_edit.m_bRotating = false;
    }
    if (!m_edit.m_bCarrying)
        TakeCentroid();
    m_edit.m_nRotationAxis = axis;
    if (viewRelative && m_edit.m_pCam) {
        m_edit.m_vCameraForward = m_edit.m_pCam->GetForward();
        m_edit.m_vCameraUp = m_edit.m_pCam->GetUp();
        s_ChooseAxis(m_edit);
    }
    const osg::Quat turn(osg::DegreesToRadians(degrees), s_UnitAxis(m_edit.m_nRotationAxis));
    osg::Vec3f pivot;
    const double b = LowestBottom(false);
    const CModelState& first = m_edit.m_vecSel.front()->GetState();
    pivot = first.m_vPos - first.m_vOffset;
    osg::Vec3f underPointer;
    if (m_edit.m_bCarrying && CarryPoint(b, underPointer) && InsideGridArea(underPointer))
        pivot = underPointer;
    TurnAbout(pivot, turn);
    CommitSelPose(!m_edit.m_bCarrying, false);
}

void CRobApp::TurnSel(int code, bool viewRelative) {
    if (code >= 4 && code <= 9) {
        QuarterTurn((code - 4) / 2, code % 2 == 1 ? 90.0 : -90.0, viewRelative);
        return;
    }
    CModel* single = s_GetSingleSel(m_edit);
    if (code != 0 || !single)
        return;
    if (m_edit.m_bRotating) {
        CommitSelPose(!m_edit.m_bCarrying, false);
        m_edit.m_bRotating = false;
    }
    // A part that is not carried turns back where it stands.
    if (!m_edit.m_bCarrying)
        TakeCentroid();
    const CModelState& state = single->GetState();
    osg::Vec3f pivot = state.m_vPos - state.m_vOffset;
    osg::Vec3f underPointer;
    if (m_edit.m_bCarrying && CarryPoint(LowestBottom(false), underPointer) && InsideGridArea(underPointer))
        pivot = underPointer;
    TurnAbout(pivot, state.m_qRot.inverse());
    CommitSelPose(!m_edit.m_bCarrying, false);
}

void CRobApp::RotateSelStep(int k) {
    QuarterTurn(k < 2 ? 2 : 0, k % 2 == 0 ? -90.0 : 90.0, true);
}
