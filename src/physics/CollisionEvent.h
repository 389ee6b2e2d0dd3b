#pragma once

#include "physics/Vec3.h"

#include <functional>

namespace physics {

class Solid;

// One contact point between a solid that listens for collisions and another
// solid, as found in one physics step. Both pointers are valid for the
// duration of the handler call.
struct CollisionEvent {
    Solid* self = nullptr;
    Solid* other = nullptr;
    Vec3 point;
    // Unit normal pointing from `other` towards `self`.
    Vec3 normal;
    double depth = 0.0;
};

using CollisionHandler = std::function<void(const CollisionEvent&)>;

} // namespace physics
