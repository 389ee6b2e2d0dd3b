#include "apps/CStep.h"

#include "apps/CApp.h"
#include "apps/PlaygroundObjects.h"
#include "apps/SEditState.h"

#include <algorithm>

CStep::CStep(SEditState* state)
    : m_pState(state) { }

void CStep::redo() {
    if (!m_pState || !m_pState->m_bUndoReentry)
        return;
    const bool playground = m_pState->m_nAppKind == 2;
    for (const Entry& entry : m_vecEntries) {
        if (playground) {
            if (m_nKind == KindDelete)
                RemoveById(entry.data.m_nId);
            else
                Apply(entry, true);
            continue;
        }
        switch (m_nKind) {
        case KindAdd:
            PutBack(entry);
            break;
        case KindDelete:
            Remove(entry.part.get());
            break;
        default:
            Restore(entry, true);
            break;
        }
    }
}

void CStep::undo() {
    if (!m_pState || !m_pState->m_bUndoReentry)
        return;
    const bool playground = m_pState->m_nAppKind == 2;
    for (const Entry& entry : m_vecEntries) {
        if (playground) {
            if (m_nKind == KindAdd)
                RemoveById(entry.data.m_nId);
            else
                Apply(entry, false);
            continue;
        }
        switch (m_nKind) {
        case KindAdd:
            Remove(entry.part.get());
            break;
        case KindDelete:
            PutBack(entry);
            break;
        default:
            Restore(entry, false);
            break;
        }
    }
}

void CStep::Restore(const Entry& entry, bool after) {
    CModel* part = entry.part.get();
    if (!part)
        return;
    part->GetData() = entry.data;
    CModelState& current = part->GetState();
    if (after)
        part->GetPlacedState() = current;
    else
        current = entry.data.m_placed;
    part->GetSavedState() = current;
    part->SetPose(current.m_vPos, current.m_qRot, false, false);
}

void CStep::Remove(CModel* part) {
    std::vector<osg::ref_ptr<CModel>>& all = m_pState->m_vecAllParts;
    const auto found = std::find(all.begin(), all.end(), part);
    if (found == all.end())
        return;
    osg::ref_ptr<CModel> keep = part;
    all.erase(found);
    if (m_pState->m_pApp)
        m_pState->m_pApp->RemoveDrawable(part);
}

void CStep::PutBack(const Entry& entry) {
    CModel* part = entry.part.get();
    if (!part)
        return;
    Restore(entry, true);
    part->SetLocked();
    if (m_pState->m_pApp)
        m_pState->m_pApp->AddDrawable(part);
    m_pState->m_vecAllParts.push_back(entry.part);
}

void CStep::RemoveById(int id) {
    std::vector<osg::ref_ptr<CModel>>& all = m_pState->m_vecAllParts;
    const auto found = std::find_if(
        all.begin(), all.end(), [id](const osg::ref_ptr<CModel>& part) { return part->GetId() == id; });
    if (found == all.end())
        return;
    osg::ref_ptr<CModel> part = *found;
    all.erase(found);
    if (m_pState->m_pApp)
        m_pState->m_pApp->RemoveDrawable(part.get());
}

void CStep::Apply(const Entry& entry, bool useAfter) {
    const CModelState& state = useAfter ? entry.data.m_info.m_state : entry.data.m_placed;
    const CModelDesc& desc = entry.data.m_info.m_desc;
    PartContextPtr context = m_pState->m_pPartContext;
    if (!context && entry.part)
        context = entry.part->ContextPtr();
    osg::ref_ptr<CModel> object
        = MakePlaygroundObject(desc.m_nType, desc.m_nSubType, context, desc.m_strAddress, state.m_vScale);
    if (!object || !LoadPlaygroundObject(*object))
        return;
    CApp* app = m_pState->m_pApp;
    std::vector<osg::ref_ptr<CModel>>& all = m_pState->m_vecAllParts;
    if (m_nKind == KindTransform) {
        const int id = entry.data.m_nId;
        const auto found = std::find_if(
            all.begin(), all.end(), [id](const osg::ref_ptr<CModel>& part) { return part->GetId() == id; });
        // An object that takes no one's place would be in the scene but in no
        // list: never selectable, deletable or saved.
        if (found == all.end())
            return;
        osg::ref_ptr<CModel> old = *found;
        *found = object;
        if (app) {
            app->AddDrawable(object.get());
            app->RemoveDrawable(old.get());
        }
    } else {
        if (app)
            app->AddDrawable(object.get());
        all.push_back(object);
    }
    object->GetData() = entry.data;
    object->GetState() = state;
    scene::Transform pose;
    pose.SetTranslation(state.m_vPos);
    pose.SetRotation(state.m_qRot);
    object->SetTransform(pose, scene::CoordSys::Absolute);
    object->Place(m_pState, PlaceRecreated);
}
