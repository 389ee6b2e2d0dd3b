#pragma once

// Where the three math vocabularies meet: OpenSceneGraph's (the scene, the
// parts' poses), the physics layer's (solids, joints, rays) and the
// collision library's (16-float matrices, float points). Every conversion
// between them goes through here.
//
// What differs, and what the functions take care of:
// - osg::Quat stores (x, y, z, w) and its product q1 * q2 turns by q1 first;
//   physics::Quat stores (w, x, y, z) and a * b turns by b first. A rotation
//   has the same four components in both, so only the storage order is
//   converted, and products swap: ToOsg(a * b) == ToOsg(b) * ToOsg(a).
// - OSG matrices carry row vectors (p * M); a physics::Pose turns first, then
//   moves, which is the matrix rotate(q) * translate(p).
// - The collision library takes an OSG matrix's sixteen elements in their
//   storage order, as floats.
// - Physics and OSG's Vec3d are double, OSG's Vec3 and the collision
//   library float: converting to float rounds.

#include "collision/Vec3.h"
#include "physics/Pose.h"
#include "physics/Quat.h"
#include "physics/Vec3.h"
#include "scene/Transform.h"

#include <osg/Matrixd>
#include <osg/Quat>
#include <osg/Vec3d>
#include <osg/Vec3f>

#include <array>

namespace scene {

// --- Points and directions.
inline physics::Vec3 ToPhysics(const osg::Vec3f& v) {
    return { v.x(), v.y(), v.z() };
}
inline physics::Vec3 ToPhysics(const osg::Vec3d& v) {
    return { v.x(), v.y(), v.z() };
}
inline osg::Vec3d ToOsg(const physics::Vec3& v) {
    return { v.x, v.y, v.z };
}
inline collision::Vec3 ToCollision(const osg::Vec3f& v) {
    return { v.x(), v.y(), v.z() };
}
inline osg::Vec3f ToOsg(const collision::Vec3& v) {
    return { v.x, v.y, v.z };
}

// --- Rotations.
inline physics::Quat ToPhysics(const osg::Quat& q) {
    return { q.w(), q.x(), q.y(), q.z() };
}
inline osg::Quat ToOsg(const physics::Quat& q) {
    return { q.x, q.y, q.z, q.w };
}

// --- Placements. A matrix's scale and shear are dropped (as Transform::Set
// drops them); its rotation and translation make the pose.
inline physics::Pose ToPhysics(const Transform& t) {
    return { ToPhysics(osg::Vec3d(t.GetTranslation())), ToPhysics(t.GetQuat()) };
}
inline physics::Pose ToPhysicsPose(const osg::Matrixd& m) {
    Transform t;
    t.Set(m);
    return ToPhysics(t);
}
inline osg::Matrixd ToOsgMatrix(const physics::Pose& p) {
    return osg::Matrixd::rotate(ToOsg(p.orientation)) * osg::Matrixd::translate(ToOsg(p.position));
}
inline Transform ToTransform(const physics::Pose& p) {
    Transform t;
    t.Set(ToOsgMatrix(p));
    return t;
}

// --- Collision transforms: the sixteen elements in storage order.
inline std::array<float, 16> ToCollisionMatrix(const osg::Matrixd& m) {
    std::array<float, 16> out {};
    const double* values = m.ptr();
    for (int i = 0; i < 16; ++i)
        out[static_cast<std::size_t>(i)] = static_cast<float>(values[i]);
    return out;
}
inline std::array<float, 16> ToCollisionMatrix(const physics::Pose& p) {
    return ToCollisionMatrix(ToOsgMatrix(p));
}
inline osg::Matrixd FromCollisionMatrix(const float* m) {
    osg::Matrixd out;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            out(row, column) = m[row * 4 + column];
    return out;
}

} // namespace scene
