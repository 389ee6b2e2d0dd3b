#include "elements/CWounded.h"

#include "elements/PlaygroundRules.h"
#include "physics/Solid.h"

CWounded::CWounded(PartContextPtr context, const std::string& address)
    : CModel(std::move(context), address) {
    SetType(ModelTypeWounded);
}

void CWounded::Hide() {
    SetActive(false);
    if (physics::Solid* solid = GetSolid())
        solid->setContactGroup(elements::kHiddenGroup);
}

void CWounded::Step() {
    if (!m_bArmed || !m_pGameState)
        return;
    const elements::ProximityEvent event = elements::ProximityStep(*this, *m_pGameState, m_nCount,
        elements::kStayLimit, true, [](const PlaygroundRobot&) { return true; });
    if (event.kind == elements::ProximityEvent::Nothing)
        return;
    m_bArmed = false;
    m_nCount = 0;
    Hide();
    if (event.kind == elements::ProximityEvent::Completed)
        event.robot->SetScore(event.robot->GetScore() + elements::kStayScore);
}
