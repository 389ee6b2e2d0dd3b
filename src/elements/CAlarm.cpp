#include "elements/CAlarm.h"

#include "elements/PlaygroundRules.h"
#include "physics/ShapeDesc.h"
#include "physics/Solid.h"

CAlarm::CAlarm(PartContextPtr context, const std::string& address)
    : CModel(std::move(context), address) {
    SetType(ModelTypeAlarm);
}

void CAlarm::CreateSolid(physics::PhysicsWorld* world, int contactGroup) {
    physics::Solid* solid = BeginSolid(world, contactGroup);
    if (!solid)
        return;
    std::vector<physics::ShapeDesc> shapes;
    if (!GetBoxShape(shapes, GetTransform(scene::CoordSys::Absolute))) {
        physics::ShapeDesc box;
        if (!elements::OwnBoundsBox(*this, box, true))
            return;
        shapes.push_back(box);
    }
    for (physics::ShapeDesc& shape : shapes) {
        shape.material = elements::kSlipperyMaterial;
        shape.contactGroup = contactGroup;
        solid->addShape(shape);
    }
}

void CAlarm::Step() {
    if (!m_bArmed || !m_pGameState)
        return;
    const elements::ProximityEvent event = elements::ProximityStep(*this, *m_pGameState, m_nCount,
        elements::kStayLimit, false, [](const PlaygroundRobot&) { return true; });
    if (event.kind != elements::ProximityEvent::Completed)
        return;
    m_bArmed = false;
    m_nCount = 0;
    event.robot->SetScore(event.robot->GetScore() + elements::kStayScore);
}
