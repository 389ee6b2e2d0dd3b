#include "physics/FixedJoint.h"

namespace physics {

FixedJoint::FixedJoint(PhysicsWorld& world, const FixedJointDesc& desc)
    : Joint(world, nullptr, desc.first, desc.second) { }

} // namespace physics
