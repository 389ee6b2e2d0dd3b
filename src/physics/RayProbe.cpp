#include "physics/RayProbe.h"

#include "physics/PhysicsWorld.h"
#include "physics/Solid.h"

namespace physics {

RayProbe::RayProbe(PhysicsWorld& world, const RayProbeDesc& desc)
    : m_world(world)
    , m_solid(desc.solid)
    , m_origin(desc.origin)
    , m_direction(desc.direction)
    , m_group(desc.contactGroup) { }

RaycastHit RayProbe::fire(double length) const {
    if (m_inert)
        return {};
    if (!m_solid)
        return m_world.castRay(m_origin, m_direction, length, m_group);
    const Pose pose = m_solid->pose();
    return m_world.castRay(
        pose.transformPoint(m_origin), pose.transformDirection(m_direction), length, m_group, m_solid);
}

bool RayProbe::setDirection(const Vec3& direction) {
    m_world.checkThread("RayProbe::setDirection");
    if (!direction.isFinite())
        return false;
    m_direction = direction;
    return true;
}

bool RayProbe::setOrigin(const Vec3& origin) {
    m_world.checkThread("RayProbe::setOrigin");
    if (!origin.isFinite())
        return false;
    m_origin = origin;
    return true;
}

} // namespace physics
