#pragma once

#include "physics/Joint.h"

namespace physics {

struct FixedJointDesc {
    Solid* first = nullptr;
    Solid* second = nullptr;
};

// Holds two solids in the relative pose they have when it is made: both move
// as one rigid body from then on (see Solid), until the joint or one of them
// is destroyed.
class FixedJoint final : public Joint {
private:
    friend class PhysicsWorld;

    FixedJoint(PhysicsWorld& world, const FixedJointDesc& desc);
    ~FixedJoint() override = default;
};

} // namespace physics
