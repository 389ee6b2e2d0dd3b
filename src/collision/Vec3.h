#pragma once

#include <cmath>

namespace collision {

// The library works in single precision throughout, like the 16-float
// matrices and vertex arrays its callers hand over.
struct Vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    constexpr Vec3() = default;
    constexpr Vec3(float ax, float ay, float az)
        : x(ax)
        , y(ay)
        , z(az) { }
    explicit Vec3(const float* v)
        : x(v[0])
        , y(v[1])
        , z(v[2]) { }

    constexpr float operator[](int axis) const { return axis == 0 ? x : (axis == 1 ? y : z); }
    float& at(int axis) { return axis == 0 ? x : (axis == 1 ? y : z); }

    void store(float* out) const {
        out[0] = x;
        out[1] = y;
        out[2] = z;
    }
};

inline Vec3 operator+(const Vec3& a, const Vec3& b) {
    return { a.x + b.x, a.y + b.y, a.z + b.z };
}
inline Vec3 operator-(const Vec3& a, const Vec3& b) {
    return { a.x - b.x, a.y - b.y, a.z - b.z };
}
inline Vec3 operator-(const Vec3& a) {
    return { -a.x, -a.y, -a.z };
}
inline Vec3 operator*(const Vec3& a, float s) {
    return { a.x * s, a.y * s, a.z * s };
}
inline Vec3 operator*(float s, const Vec3& a) {
    return { a.x * s, a.y * s, a.z * s };
}
inline bool operator==(const Vec3& a, const Vec3& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

inline float dot(const Vec3& a, const Vec3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 cross(const Vec3& a, const Vec3& b) {
    return { a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x };
}
inline Vec3 absolute(const Vec3& a) {
    return { std::fabs(a.x), std::fabs(a.y), std::fabs(a.z) };
}
inline Vec3 minimum(const Vec3& a, const Vec3& b) {
    return { a.x < b.x ? a.x : b.x, a.y < b.y ? a.y : b.y, a.z < b.z ? a.z : b.z };
}
inline Vec3 maximum(const Vec3& a, const Vec3& b) {
    return { a.x > b.x ? a.x : b.x, a.y > b.y ? a.y : b.y, a.z > b.z ? a.z : b.z };
}
inline bool isFinite(const Vec3& a) {
    return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(a.z);
}

} // namespace collision
