#include "physics/Pose.h"

namespace physics {

Pose Pose::operator*(const Pose& child) const {
    return { transformPoint(child.position), (orientation * child.orientation).normalized() };
}

Pose Pose::inverse() const {
    const Quat inv = orientation.conjugate();
    return { inv.rotate(-position), inv };
}

Pose& Pose::translate(const Vec3& d) {
    position += orientation.rotate(d);
    return *this;
}

Pose& Pose::rotate(double degrees, const Vec3& axis) {
    orientation = (orientation * Quat::fromAxisAngleDegrees(axis, degrees)).normalized();
    return *this;
}

} // namespace physics
