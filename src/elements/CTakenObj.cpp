#include "elements/CTakenObj.h"

#include "elements/PlaygroundRules.h"
#include "physics/Solid.h"

CTakenObj::CTakenObj(PartContextPtr context, const std::string& address)
    : CWounded(std::move(context), address) {
    SetType(ModelTypeTakenObj);
}

void CTakenObj::SetGameState(RobotRoster* state) {
    CWounded::SetGameState(state);
    m_startTransform = GetTransform(scene::CoordSys::Absolute);
}

void CTakenObj::Step() {
    if (!m_bArmed || !m_pGameState)
        return;
    const elements::ProximityEvent event = elements::ProximityStep(*this, *m_pGameState, m_nCount,
        elements::kPickUpLimit, true, [](const PlaygroundRobot& robot) { return !robot.GetCarriedGeo(); });
    if (event.kind == elements::ProximityEvent::Nothing)
        return;
    m_bArmed = false;
    m_nCount = 0;
    if (event.kind == elements::ProximityEvent::Touched) {
        Hide();
        return;
    }
    // Picked up: it stays in sight, riding on the robot.
    if (physics::Solid* solid = GetSolid())
        solid->setContactGroup(elements::kHiddenGroup);
    event.robot->AddCarriedObject(this, m_startTransform);
    m_pCarrier = event.robot;
}

void CTakenObj::Release() {
    osg::ref_ptr<PlaygroundRobot> carrier;
    if (!m_pCarrier.lock(carrier))
        return;
    carrier->ClearCarriedObjects();
    m_pCarrier = nullptr;
}
