#pragma once

#include "physics/Vec3.h"

namespace physics {

// A rotation as a unit quaternion, components in ODE's order (w, x, y, z).
// The product follows Hamilton's convention: (a * b) turns by b first, then
// by a. (osg::Quat multiplies the other way round; the components of a given
// rotation are the same in both.)
struct Quat {
    double w = 1.0;
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    constexpr Quat() = default;
    constexpr Quat(double aw, double ax, double ay, double az)
        : w(aw)
        , x(ax)
        , y(ay)
        , z(az) { }

    // Rotation by `radians` about `axis` (any length but zero; a zero or
    // non-finite axis gives the identity).
    static Quat fromAxisAngle(const Vec3& axis, double radians);
    static Quat fromAxisAngleDegrees(const Vec3& axis, double degrees);
    // The shortest rotation that turns direction `from` onto direction `to`.
    static Quat rotationBetween(const Vec3& from, const Vec3& to);

    Quat operator*(const Quat& o) const;
    constexpr bool operator==(const Quat&) const = default;

    Quat conjugate() const { return { w, -x, -y, -z }; }
    bool isFinite() const;
    // Unit length; a zero or non-finite quaternion becomes the identity.
    Quat normalized() const;
    Vec3 rotate(const Vec3& v) const;
    // Angle in radians (0..2pi) and unit axis; the identity reports axis x.
    void toAxisAngle(Vec3& axis, double& radians) const;
};

} // namespace physics
