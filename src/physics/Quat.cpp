#include "physics/Quat.h"

#include <algorithm>
#include <numbers>

namespace physics {

Quat Quat::fromAxisAngle(const Vec3& axis, double radians) {
    const Vec3 unit = axis.normalized();
    const double len = unit.length();
    if (!(len > 0.5) || !std::isfinite(radians))
        return {};
    const double s = std::sin(radians / 2.0);
    return { std::cos(radians / 2.0), unit.x * s, unit.y * s, unit.z * s };
}

Quat Quat::fromAxisAngleDegrees(const Vec3& axis, double degrees) {
    return fromAxisAngle(axis, degrees * std::numbers::pi / 180.0);
}

Quat Quat::rotationBetween(const Vec3& from, const Vec3& to) {
    const Vec3 a = from.normalized();
    const Vec3 b = to.normalized();
    if (!(a.length() > 0.5) || !(b.length() > 0.5))
        return {};
    const double d = std::clamp(a.dot(b), -1.0, 1.0);
    if (d < -1.0 + 1e-12) {
        // Opposite directions: any axis at right angles will do.
        Vec3 axis = a.cross({ 1.0, 0.0, 0.0 });
        if (axis.length() < 1e-6)
            axis = a.cross({ 0.0, 1.0, 0.0 });
        return fromAxisAngle(axis, std::numbers::pi);
    }
    const Vec3 c = a.cross(b);
    return Quat { 1.0 + d, c.x, c.y, c.z }.normalized();
}

Quat Quat::operator*(const Quat& o) const {
    return { w * o.w - x * o.x - y * o.y - z * o.z, w * o.x + x * o.w + y * o.z - z * o.y,
        w * o.y - x * o.z + y * o.w + z * o.x, w * o.z + x * o.y - y * o.x + z * o.w };
}

bool Quat::isFinite() const {
    return std::isfinite(w) && std::isfinite(x) && std::isfinite(y) && std::isfinite(z);
}

Quat Quat::normalized() const {
    const double len = std::sqrt(w * w + x * x + y * y + z * z);
    if (!(len > 1e-12) || !std::isfinite(len))
        return {};
    return { w / len, x / len, y / len, z / len };
}

Vec3 Quat::rotate(const Vec3& v) const {
    // v' = v + 2w (u x v) + 2 u x (u x v), with u the vector part.
    const Vec3 u { x, y, z };
    const Vec3 t = u.cross(v) * 2.0;
    return v + t * w + u.cross(t);
}

void Quat::toAxisAngle(Vec3& axis, double& radians) const {
    const Quat q = normalized();
    const double s = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z);
    radians = 2.0 * std::atan2(s, q.w);
    axis = s > 1e-12 ? Vec3 { q.x / s, q.y / s, q.z / s } : Vec3 { 1.0, 0.0, 0.0 };
}

} // namespace physics
