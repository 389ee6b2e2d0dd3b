#include "elements/CGeo.h"

#include "elements/PlaygroundRules.h"
#include "physics/ShapeDesc.h"
#include "physics/Solid.h"

namespace {

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

constexpr double kLightBallDensity = 0.1;

} // namespace

CGeo::CGeo(PartContextPtr context, const std::string& address)
    : CSlope(std::move(context), address) {
    Init();
}

CGeo::CGeo(PartContextPtr context, const std::string& address, const osg::Vec3f& scale)
    : CSlope(std::move(context), address, scale) {
    Init();
}

void CGeo::Init() {
    SetType(ModelTypeGeo);
    m_pCarrier = nullptr;
    m_bTakeable = true;
    // The playground file says whether robots may take it.
    SetTake(0);
}

void CGeo::CreateSolid(physics::PhysicsWorld* world, int contactGroup) {
    physics::Solid* solid = BeginSolid(world, contactGroup);
    if (!solid)
        return;
    const std::string address = GetAddress();
    physics::ShapeDesc shape;
    if (Contains(address, "ball")) {
        osg::Vec3f min, max;
        if (!GetOwnFrameBounds(min, max))
            return;
        shape = physics::ShapeDesc::sphere((double(max.z()) - min.z()) / 2.0);
        shape.material = physics::Material(1.0, 0.0, 0.0);
        if (Contains(address, "tball"))
            shape.material.density = kLightBallDensity;
    } else {
        if (!elements::OwnBoundsBox(*this, shape, false))
            return;
        shape.material = elements::kSlipperyMaterial;
    }
    shape.contactGroup = contactGroup;
    solid->addShape(shape);
}

void CGeo::SetGameState(RobotRoster* state) {
    m_pGameState = state;
    m_startTransform = GetTransform(scene::CoordSys::Absolute);
}

void CGeo::Step() {
    if (!m_bTakeable || GetTake() != 1 || !m_pGameState)
        return;
    const elements::ProximityEvent event = elements::ProximityStep(
        *this, *m_pGameState, m_nCount, elements::kPickUpLimit, false, [](const PlaygroundRobot& robot) {
            return !robot.GetCarriedGeo() && robot.GetCarriedObjectCount() == 0;
        });
    if (event.kind != elements::ProximityEvent::Completed)
        return;
    m_bTakeable = false;
    m_nCount = 0;
    // From now on the robot, then a delivery zone, places it: its solid
    // meets nothing and stands where it is put instead of falling for ever.
    if (physics::Solid* solid = GetSolid()) {
        solid->setContactGroup(elements::kHiddenGroup);
        solid->setStatic(true);
    }
    event.robot->SetCarriedGeo(this, m_startTransform);
    m_pCarrier = event.robot;
}

void CGeo::Release() {
    osg::ref_ptr<PlaygroundRobot> carrier;
    if (!m_pCarrier.lock(carrier))
        return;
    carrier->SetCarriedGeo(nullptr, scene::Transform());
    m_pCarrier = nullptr;
}
