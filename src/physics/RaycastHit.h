#pragma once

#include "physics/Vec3.h"

namespace physics {

class Solid;

// The nearest hit of a ray; `solid` is null when the ray met nothing.
struct RaycastHit {
    Solid* solid = nullptr;
    Vec3 point;
    Vec3 normal;
    // From the ray's origin to the hit point.
    double distance = 0.0;
    // The contact group of the hit solid's first shape (how the sensors tell
    // their targets apart), -1 without a hit.
    int contactGroup = -1;

    bool hit() const { return solid != nullptr; }
};

} // namespace physics
