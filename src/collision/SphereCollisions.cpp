#include "collision/CollisionModel3D.h"

#include "collision/Vec3.h"

#include <cmath>

using collision::Vec3;

bool SphereRayCollision(
    const float* centre, float radius, const float* origin, const float* direction, float* point) {
    const Vec3 d(direction);
    const float length = std::sqrt(dot(d, d));
    if (!(length > 0.0f))
        return false;
    const Vec3 u = d * (1.0f / length);
    const Vec3 toCentre = Vec3(centre) - Vec3(origin);
    const float along = dot(toCentre, u);
    const float q = radius * radius - (dot(toCentre, toCentre) - along * along);
    if (!(q >= 0.0f))
        return false;
    (Vec3(origin) + u * (along - std::sqrt(q))).store(point);
    return true;
}

bool SphereSphereCollision(
    const float* centre1, float radius1, const float* centre2, float radius2, float* point) {
    const Vec3 between = Vec3(centre2) - Vec3(centre1);
    const float distanceSquared = dot(between, between);
    const float reach = radius1 + radius2;
    if (!(distanceSquared < reach * reach))
        return false;
    const float distance = std::sqrt(distanceSquared);
    const Vec3 towards = distance > 0.0f ? between * (radius1 / distance) : Vec3();
    (Vec3(centre1) + towards).store(point);
    return true;
}
