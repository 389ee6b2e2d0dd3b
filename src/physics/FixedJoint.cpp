#include "physics/FixedJoint.h"

#include <ode/ode.h>

namespace physics {

FixedJoint::FixedJoint(PhysicsWorld& world, dxJoint* joint, const FixedJointDesc& desc)
    : Joint(world, joint, desc.first, desc.second) {
    dJointSetFixed(m_joint);
}

} // namespace physics
