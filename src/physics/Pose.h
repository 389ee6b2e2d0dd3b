#pragma once

#include "physics/Quat.h"
#include "physics/Vec3.h"

namespace physics {

// A rigid placement: a point p of the child frame lands at
// orientation.rotate(p) + position in the parent frame. Used for a solid's
// place in the world and for a shape's offset inside its solid.
struct Pose {
    Vec3 position;
    Quat orientation;

    constexpr Pose() = default;
    constexpr Pose(const Vec3& p, const Quat& q)
        : position(p)
        , orientation(q) { }

    Vec3 transformPoint(const Vec3& p) const { return orientation.rotate(p) + position; }
    Vec3 transformDirection(const Vec3& d) const { return orientation.rotate(d); }
    // This pose followed by `child` expressed in this pose's frame.
    Pose operator*(const Pose& child) const;
    Pose inverse() const;

    // Shape offsets are built like a 4x4 offset matrix multiplied on the
    // right: translate() moves along this pose's own axes, rotate() turns
    // about this pose's own origin. Both return *this for chaining.
    Pose& translate(const Vec3& d);
    Pose& translate(double dx, double dy, double dz) { return translate(Vec3 { dx, dy, dz }); }
    Pose& rotate(double degrees, const Vec3& axis);
    Pose& rotate(double degrees, double ax, double ay, double az) {
        return rotate(degrees, Vec3 { ax, ay, az });
    }

    bool isFinite() const { return position.isFinite() && orientation.isFinite(); }
};

} // namespace physics
