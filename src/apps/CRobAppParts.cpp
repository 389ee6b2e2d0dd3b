// The robot builder's part operations: adding, selecting, deleting, copying
// and pasting, pose values, wiring, committing poses and undo steps.

#include "apps/CRobApp.h"

#include "apps/CStep.h"
#include "elements/CBrick.h"
#include "foundation/CConfig.h"
#include "simulation/RobotPartFactory.h"

#include <algorithm>
#include <limits>

osg::ref_ptr<CModel> CRobApp::MakePart(int type, int sensorKind, const std::string& address) const {
    return MakeRobotPart(type, sensorKind, m_pPartContext, address, m_config.m_bIsE);
}

bool CRobApp::AddPart(CModel* part) {
    if (IsBusy() || !part)
        return false;
    osg::ref_ptr<CModel> keep = part;
    std::vector<osg::ref_ptr<CModel>>& all = m_edit.m_vecAllParts;
    // The robot's files and its program know one control unit.
    const bool controlUnit = part->GetType() == ModelTypeRcu;
    if (controlUnit && std::any_of(all.begin(), all.end(), [](const osg::ref_ptr<CModel>& p) {
            return p->GetType() == ModelTypeRcu;
        }))
        return false;
    if (!part->LoadModel())
        return false;
    part->SetId(m_edit.m_nBuildCounter++);
    if (controlUnit) {
        part->Place(&m_edit, PlaceControlUnit);
        all.push_back(keep);
        AddDrawable(part);
        return true;
    }
    DeleteSel(false);
    all.push_back(keep);
    AddDrawable(part);
    if (part->GetType() == ModelTypeBrick)
        ApplyBrickColor(part);
    part->Place(&m_edit, PlaceAdded);
    SetSelected(part, false);
    s_Highlight(m_edit, 1);
    s_MoveSelToTarget(m_edit, true, false);
    PushUndoStep(CStep::KindAdd);
    emit signal_Ui_SaveFlag(m_edit.m_bClean);
    emit signal_Ui_UpdatePort();
    return true;
}

void CRobApp::SetSelected(CModel* part, bool all) {
    if (IsBusy())
        return;
    s_Highlight(m_edit, 0);
    if (!m_edit.m_vecSel.empty() && (m_edit.m_bCarrying || m_edit.m_bRotating)) {
        for (const osg::ref_ptr<CModel>& selected : m_edit.m_vecSel)
            selected->SetLocked();
        CommitSelPose(true, false);
        emit signal_Ui_SaveFlag(m_edit.m_bClean);
    }
    m_edit.m_vecSel.clear();
    // Nothing selected is nothing carried or turned.
    m_edit.m_bCarrying = false;
    m_edit.m_bRotating = false;
    if (!part && !(all && !m_edit.m_vecAllParts.empty())) {
        emit signal_Ui_StatusBar_ShowObjName(nullptr);
        ShowObjCount();
        return;
    }
    if (all) {
        s_SetAddToSel(m_edit, false);
        m_edit.m_vecSel = m_edit.m_vecAllParts;
    } else {
        m_edit.m_vecSel.push_back(part);
        m_strSelName = part->GetAddress();
        emit signal_Ui_StatusBar_ShowObjName(&m_strSelName);
    }
    s_Highlight(m_edit, 1);
    m_edit.m_bCarrying = false;
    m_edit.m_bRotating = false;
    ShowObjCount();
    emit signal_Ui_NoSel();
}

bool CRobApp::DeleteSel(bool force) {
    if (IsBusy() || m_edit.m_vecSel.empty())
        return false;
    if (!force && m_edit.m_vecSel.front()->IsLocked())
        return false;
    CommitSelPose(true, false);
    PushUndoStep(CStep::KindDelete);
    s_Highlight(m_edit, 0);
    if (s_IsSelected(m_edit, m_edit.m_pHovered.get(), false))
        m_edit.m_pHovered = nullptr;
    // A part that is gone can't be released onto.
    if (s_IsSelected(m_edit, m_edit.m_pPressed.get(), false))
        m_edit.m_pPressed = nullptr;

    std::vector<osg::ref_ptr<CModel>>& all = m_edit.m_vecAllParts;
    std::vector<osg::ref_ptr<CModel>> kept;
    for (const osg::ref_ptr<CModel>& part : m_edit.m_vecSel) {
        if (part->GetType() == ModelTypeRcu) {
            if (force)
                kept.push_back(part);
            continue;
        }
        const auto found = std::find(all.begin(), all.end(), part);
        if (found != all.end())
            all.erase(found);
        RemoveDrawable(part.get());
    }
    m_edit.m_vecSel = kept;
    emit signal_Ui_SaveFlag(m_edit.m_bClean);
    emit signal_Ui_UpdatePort();
    PlaceGrid(true);
    ShowObjCount();
    return true;
}

bool CRobApp::CopySel() {
    if (IsBusy())
        return false;
    s_SetAddToSel(m_edit, false);
    if (m_edit.m_vecSel.empty())
        return false;
    std::vector<CModelInfo>& clipboard = m_edit.m_vecClipboard;
    clipboard.clear();
    for (const osg::ref_ptr<CModel>& part : m_edit.m_vecSel) {
        if (part->GetType() == ModelTypeRcu)
            continue;
        clipboard.push_back(part->GetInfo());
        // Copies are not wired to the control unit.
        clipboard.back().m_state.m_nPort = 0;
    }
    s_CentreClipboard(m_edit);
    return true;
}

void CRobApp::PasteSel() {
    if (IsBusy())
        return;
    s_SetAddToSel(m_edit, false);
    if (m_edit.m_vecClipboard.empty())
        return;
    if (!DeleteSel(false))
        SetSelected(nullptr, false);
    for (const CModelInfo& record : m_edit.m_vecClipboard) {
        if (CModel* part = CreatePartFromRecord(record))
            m_edit.m_vecSel.push_back(part);
    }
    if (m_edit.m_vecSel.empty())
        return;
    s_Highlight(m_edit, 1);
    s_MoveSelToTarget(m_edit, true, false);
    PushUndoStep(CStep::KindAdd);
    emit signal_Ui_SaveFlag(m_edit.m_bClean);
    emit signal_Ui_UpdatePort();
    ShowObjCount();
}

CModel* CRobApp::CreatePartFromRecord(const CModelInfo& record) {
    const CModelDesc& desc = record.m_desc;
    osg::ref_ptr<CModel> part = MakePart(desc.m_nType, desc.m_nSubType, desc.m_strAddress);
    if (!part || !part->LoadModel())
        return nullptr;
    part->GetInfo() = record;
    if (part->GetType() == ModelTypeBrick)
        ApplyBrickColor(part.get());
    AddDrawable(part.get());
    m_edit.m_vecAllParts.push_back(part);
    part->SetId(m_edit.m_nBuildCounter++);
    scene::Transform pose;
    pose.SetTranslation(record.m_state.m_vPos);
    pose.SetRotation(record.m_state.m_qRot);
    part->SetTransform(pose, scene::CoordSys::Absolute);
    part->Place(&m_edit, PlacePasted);
    return part.get();
}

void CRobApp::MoveSel(bool force, bool atHover) {
    if (IsBusy())
        return;
    s_MoveSelToTarget(m_edit, force, atHover);
    PlaceGrid(false);
    emit signal_Ui_NoSel();
}

void CRobApp::SetSelTransform(int index, double value, const osg::Vec3f& rotation) {
    if (IsBusy() || !s_SetTransformComponent(m_edit, index, value, rotation))
        return;
    if (index == 4) {
        // Slider moves are many: none is an undo step, and the robot stays
        // unsaved until the next save whatever undo does.
        m_edit.m_bClean = false;
        m_edit.m_bChangedOffStack = true;
        CommitSelPose(false, true);
    } else {
        CommitSelPose(true, false);
    }
    emit signal_Ui_SaveFlag(m_edit.m_bClean);
}

void CRobApp::SetPort(int port, int opposite, int rayDistance) {
    if (IsBusy())
        return;
    if (port < 0) {
        SetSelected(nullptr, true);
        for (const osg::ref_ptr<CModel>& part : m_edit.m_vecSel) {
            part->SetPort(0);
            part->SetOpposite(0);
            part->SetRayDis(255);
        }
        CommitSelPose(false, false);
        emit signal_Ui_UpdatePort();
    } else if (CModel* part = s_GetSingleSel(m_edit)) {
        part->SetPort(port);
        part->SetOpposite(opposite);
        part->SetRayDis(rayDistance);
        CommitSelPose(false, false);
    } else {
        return;
    }
    emit signal_Ui_SaveFlag(m_edit.m_bClean);
}

bool CRobApp::SetSelColor(const osg::Vec4& colour) {
    auto* brick = dynamic_cast<CBrick*>(s_GetSingleSel(m_edit));
    // Only the bricks that the set-up file lets be coloured keep a colour
    // in the robot file.
    if (IsBusy() || !brick || !m_config.IsColorObj(brick->GetAddress()))
        return false;
    brick->GetDesc().m_vColor = colour;
    brick->ApplyColor();
    m_edit.m_bClean = false;
    m_edit.m_bChangedOffStack = true;
    emit signal_Ui_SaveFlag(false);
    return true;
}

void CRobApp::CommitSelPose(bool regrid, bool noUndo) {
    if (!noUndo)
        PushUndoStep(CStep::KindTransform);
    if (regrid)
        PlaceGrid(true);
    double lowestCorner = std::numeric_limits<double>::max();
    for (const osg::ref_ptr<CModel>& part : m_edit.m_vecSel) {
        CModelState& state = part->GetState();
        state.m_mRot = osg::Matrixd(state.m_qRot);
        part->GetBoundingBox(state.m_vBoxMin, state.m_vBoxMax, true);
        osg::Vec3f grid;
        part->GetGridPosition(grid);
        if (m_edit.m_bCarrying)
            lowestCorner = std::min(lowestCorner, part->GetBottomZ());
        part->GetSavedState() = state;
    }
    if (m_edit.m_bCarrying && !m_edit.m_vecSel.empty()) {
        // The carried parts keep resting on the level of the others.
        const double b = LowestBottom(false);
        if (b < lowestCorner || lowestCorner < b - 1.0)
            m_edit.m_dCarryHeight += b - lowestCorner;
    }
}

void CRobApp::PushUndoStep(int kind) {
    std::vector<osg::ref_ptr<CModel>>& selection = m_edit.m_vecSel;
    if (selection.empty())
        return;
    if (kind != CStep::KindTransform && selection.size() == 1 && selection.front()->GetType() == ModelTypeRcu)
        return;
    auto step = std::make_unique<CStep>(&m_edit);
    step->m_nKind = kind;
    for (const osg::ref_ptr<CModel>& part : selection) {
        if (kind != CStep::KindTransform && part->GetType() == ModelTypeRcu)
            continue;
        step->m_vecEntries.push_back(CStep::Entry { part, part->GetData() });
        part->GetPlacedState() = part->GetState();
    }
    m_edit.m_undoStack.push(step.release());
    s_OnStepPushed(m_edit);
    emit signal_Ui_StepChange();
}

void CRobApp::ApplyBrickColor(CModel* part) {
    if (!part || !m_config.IsColorObj(part->GetAddress()))
        return;
    if (CBrick* brick = dynamic_cast<CBrick*>(part))
        brick->ApplyColor();
}
