#pragma once

#include <cmath>

namespace physics {

// A point or direction in world or solid coordinates (double precision, like
// the ODE build underneath).
struct Vec3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    constexpr Vec3() = default;
    constexpr Vec3(double ax, double ay, double az)
        : x(ax)
        , y(ay)
        , z(az) { }

    constexpr Vec3 operator+(const Vec3& o) const { return { x + o.x, y + o.y, z + o.z }; }
    constexpr Vec3 operator-(const Vec3& o) const { return { x - o.x, y - o.y, z - o.z }; }
    constexpr Vec3 operator-() const { return { -x, -y, -z }; }
    constexpr Vec3 operator*(double s) const { return { x * s, y * s, z * s }; }
    constexpr Vec3 operator/(double s) const { return { x / s, y / s, z / s }; }
    constexpr Vec3& operator+=(const Vec3& o) {
        x += o.x;
        y += o.y;
        z += o.z;
        return *this;
    }
    constexpr Vec3& operator-=(const Vec3& o) {
        x -= o.x;
        y -= o.y;
        z -= o.z;
        return *this;
    }
    constexpr bool operator==(const Vec3&) const = default;

    constexpr double dot(const Vec3& o) const { return x * o.x + y * o.y + z * o.z; }
    constexpr Vec3 cross(const Vec3& o) const {
        return { y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x };
    }
    double length() const { return std::sqrt(dot(*this)); }
    bool isFinite() const { return std::isfinite(x) && std::isfinite(y) && std::isfinite(z); }

    // The unit vector along this one; the zero vector (or a non-finite one)
    // stays as it is, so callers test the result instead of dividing by zero.
    Vec3 normalized() const {
        const double len = length();
        if (!(len > 0.0) || !std::isfinite(len))
            return *this;
        return *this / len;
    }
};

inline constexpr Vec3 operator*(double s, const Vec3& v) {
    return v * s;
}

} // namespace physics
