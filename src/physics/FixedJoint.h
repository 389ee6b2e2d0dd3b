#pragma once

#include "physics/Joint.h"

namespace physics {

struct FixedJointDesc {
    Solid* first = nullptr;
    Solid* second = nullptr;
};

// Holds two solids in the relative pose they have when it is made.
class FixedJoint final : public Joint {
private:
    friend class PhysicsWorld;

    FixedJoint(PhysicsWorld& world, dxJoint* joint, const FixedJointDesc& desc);
    ~FixedJoint() override = default;
};

} // namespace physics
