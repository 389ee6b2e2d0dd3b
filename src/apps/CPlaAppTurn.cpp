// The playground builder's turn commands and object groups.

#include "apps/CPlaApp.h"

#include "apps/CCam.h"
#include "apps/PlaygroundGroups.h"
#include "elements/Geometry.h"
#include "foundation/CConfig.h"

#include <algorithm>

namespace {

double DegToRad(double degrees) {
    return degrees * 3.141592653589793 / 180.0;
}

} // namespace

osg::Vec3f CPlaApp::PreparePivot() {
    std::vector<osg::ref_ptr<CModel>>& selection = m_edit.m_vecSel;
    if (!m_edit.m_bCarrying && !m_edit.m_bRotating) {
        osg::Vec3f centre;
        for (const osg::ref_ptr<CModel>& object : selection)
            centre += object->GetState().m_vPos;
        centre /= float(selection.size());
        double lowest = selection.front()->GetBottomZ();
        for (const osg::ref_ptr<CModel>& object : selection) {
            object->SetOffsetFrom(centre);
            lowest = std::min(lowest, object->GetBottomZ());
        }
        m_edit.m_dCarryHeight = centre.z() - lowest;
    }
    const CModelState& first = selection.front()->GetState();
    osg::Vec3f pivot = first.m_vPos - first.m_vOffset;
    if (m_edit.m_bCarrying) {
        // A carried selection turns about the point under the pointer.
        RefreshCameraPosition();
        osg::Vec3f underPointer;
        if (PointerAtHeight(m_edit.m_dCarryHeight, underPointer) && InsideGroundBox(underPointer))
            pivot = underPointer;
    }
    return pivot;
}

void CPlaApp::TurnAbout(const osg::Vec3f& pivot, const osg::Quat& turn) {
    const osg::Matrixd matrix(turn);
    s_EnableSelNodes(m_edit, false);
    for (const osg::ref_ptr<CModel>& object : m_edit.m_vecSel) {
        CModelState& state = object->GetState();
        state.m_vOffset = RotateVec3(state.m_vOffset, matrix);
        object->SetPose(pivot + state.m_vOffset, state.m_qRot * turn, false, false);
    }
    s_EnableSelNodes(m_edit, true);
}

void CPlaApp::TurnSel(int code, bool useView) {
    std::vector<osg::ref_ptr<CModel>>& selection = m_edit.m_vecSel;
    if (selection.empty() || (code == 0 && selection.size() > 1))
        return;
    if (code != 0 && (code < 4 || code > 9))
        return;
    if (m_edit.m_bRotating)
        KeepSelOnGround(false);
    const osg::Vec3f pivot = PreparePivot();
    osg::Quat turn;
    if (code == 0) {
        // Back to no rotation, where the object stands.
        turn = selection.front()->GetState().m_qRot.inverse();
    } else {
        m_edit.m_nRotationAxis = (code - 4) / 2;
        if (useView && m_edit.m_pCam) {
            m_edit.m_vCameraForward = m_edit.m_pCam->GetForward();
            m_edit.m_vCameraUp = m_edit.m_pCam->GetUp();
            s_ChooseAxis(m_edit);
        }
        turn = osg::Quat(DegToRad(code % 2 == 1 ? 90.0 : -90.0), s_UnitAxis(m_edit.m_nRotationAxis));
    }
    m_edit.m_bRotating = false;
    TurnAbout(pivot, turn);
    KeepSelOnGround(false);
}

void CPlaApp::StepTurnSel(int variant) {
    if (m_edit.m_vecSel.empty() || variant < 0 || variant > 3)
        return;
    if (m_edit.m_bRotating)
        KeepSelOnGround(false);
    const osg::Vec3f pivot = PreparePivot();
    m_edit.m_nRotationAxis = variant < 2 ? 2 : 0;
    if (m_edit.m_pCam) {
        m_edit.m_vCameraForward = m_edit.m_pCam->GetForward();
        m_edit.m_vCameraUp = m_edit.m_pCam->GetUp();
        s_ChooseAxis(m_edit);
    }
    m_edit.m_bRotating = false;
    TurnAbout(pivot, osg::Quat(DegToRad(variant % 2 == 1 ? 5.0 : -5.0), s_UnitAxis(m_edit.m_nRotationAxis)));
    KeepSelOnGround(false);
}

void CPlaApp::DragTurnSel(int code) {
    std::vector<osg::ref_ptr<CModel>>& selection = m_edit.m_vecSel;
    if (code >= 1 && code <= 3) {
        if (selection.empty())
            return;
        if (m_edit.m_bRotating) {
            KeepSelOnGround(false);
            // The same command again stops the turn.
            if (code == m_edit.m_nRotationAxis + 1) {
                m_edit.m_bRotating = false;
                return;
            }
        }
        PreparePivot();
        s_StartPointerTurn(m_edit, code - 1);
    }
    if (selection.empty() || !m_edit.m_bRotating)
        return;
    osg::Vec3f pivot;
    const osg::Quat turn = s_PointerTurn(m_edit, m_config.m_dJoinFactor, pivot);
    TurnAbout(pivot, turn);
}

bool CPlaApp::InsertGroup(int n) {
    if (IsBusy())
        return false;
    std::vector<CModelInfo> records;
    if (!ReadObjectGroup(m_config.m_pGroupNode, n, records))
        return false;
    m_edit.m_vecClipboardIds.assign(records.size(), -1);
    m_edit.m_vecClipboard = std::move(records);
    PasteSel();
    return true;
}
