// The bridge between the scene's, the physics layer's and the collision
// library's math: one rotation, asymmetric enough that any mix-up of
// component order, product order or row and column shows, carried every way.

#include "scene/MathBridge.h"
#include "collision/CollisionModel3D.h"
#include "physics/Pose.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace scene;

namespace {

constexpr double kPi = std::numbers::pi;

// Rodrigues' formula, written out independently of both libraries: v turned
// by `degrees` about the unit axis k, counter-clockwise seen from the tip.
physics::Vec3 Turned(const physics::Vec3& v, physics::Vec3 k, double degrees) {
    k = k.normalized();
    const double a = degrees * kPi / 180.0;
    return v * std::cos(a) + k.cross(v) * std::sin(a) + k * (k.dot(v) * (1.0 - std::cos(a)));
}

void ExpectNear(const physics::Vec3& a, const physics::Vec3& b, double eps = 1e-12) {
    EXPECT_NEAR(a.x, b.x, eps);
    EXPECT_NEAR(a.y, b.y, eps);
    EXPECT_NEAR(a.z, b.z, eps);
}

physics::Vec3 P(const osg::Vec3d& v) {
    return { v.x(), v.y(), v.z() };
}

const physics::Vec3 kAxis { 1.0, 2.0, 3.0 };
constexpr double kDegrees = 37.0;
const physics::Vec3 kProbe { 0.5, -0.25, 2.0 };

} // namespace

TEST(MathBridge, VectorsAndRotationsKeepTheirMeaning) {
    const osg::Quat osgQ(kDegrees * kPi / 180.0, osg::Vec3d(1.0, 2.0, 3.0) / std::sqrt(14.0));
    const physics::Quat q = ToPhysics(osgQ);
    // The same four components, stored in the other order.
    EXPECT_DOUBLE_EQ(q.w, osgQ.w());
    EXPECT_DOUBLE_EQ(q.x, osgQ.x());
    EXPECT_DOUBLE_EQ(q.z, osgQ.z());
    EXPECT_NEAR(q.w, std::cos(kDegrees * kPi / 360.0), 1e-15);
    // Both turn a vector as Rodrigues does.
    const physics::Vec3 expected = Turned(kProbe, kAxis, kDegrees);
    ExpectNear(q.rotate(kProbe), expected);
    ExpectNear(P(osgQ * ToOsg(kProbe)), expected);
    // And back.
    const osg::Quat back = ToOsg(q);
    EXPECT_EQ(back.asVec4(), osgQ.asVec4());

    // Products swap: physics a * b turns by b first, OSG by its left factor.
    const physics::Quat a = physics::Quat::fromAxisAngleDegrees(kAxis, kDegrees);
    const physics::Quat b = physics::Quat::fromAxisAngleDegrees({ 0.0, 0.0, 1.0 }, 80.0);
    const physics::Vec3 bThenA = Turned(Turned(kProbe, { 0.0, 0.0, 1.0 }, 80.0), kAxis, kDegrees);
    ExpectNear((a * b).rotate(kProbe), bThenA);
    ExpectNear(P((ToOsg(b) * ToOsg(a)) * ToOsg(kProbe)), bThenA);
    const osg::Quat product = ToOsg(a * b);
    const osg::Quat swapped = ToOsg(b) * ToOsg(a);
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(product[i], swapped[i], 1e-15);

    // Vectors: double both ways, float to the collision library.
    const osg::Vec3f f(0.1f, -2.5f, 1e6f);
    EXPECT_EQ(osg::Vec3f(ToOsg(ToPhysics(f))), f);
    EXPECT_EQ(ToOsg(ToCollision(f)), f);
    EXPECT_EQ(ToPhysics(osg::Vec3d(0.1, 0.2, 0.3)), (physics::Vec3 { 0.1, 0.2, 0.3 }));
}

TEST(MathBridge, PosesMatricesAndTransformsPlaceAPointAlike) {
    const physics::Pose pose { { 1.0, -2.0, 3.0 }, physics::Quat::fromAxisAngleDegrees(kAxis, kDegrees) };
    const physics::Vec3 expected = Turned(kProbe, kAxis, kDegrees) + physics::Vec3 { 1.0, -2.0, 3.0 };
    ExpectNear(pose.transformPoint(kProbe), expected);

    // The matrix, with OSG's row vectors.
    const osg::Matrixd m = ToOsgMatrix(pose);
    ExpectNear(P(ToOsg(kProbe) * m), expected);
    // A transform and its matrix, and the way back to a pose.
    const Transform t = ToTransform(pose);
    ExpectNear(P(osg::Vec3d(TransformVec3(osg::Vec3(0.5f, -0.25f, 2.0f), t.GetMatrix()))), expected, 1e-6);
    for (const physics::Pose& back : { ToPhysics(t), ToPhysicsPose(m) }) {
        ExpectNear(back.position, pose.position);
        ExpectNear(back.transformPoint(kProbe), expected);
    }
    // A scaled matrix (a scaled part's node) gives the same rigid pose.
    const physics::Pose unscaled = ToPhysicsPose(osg::Matrixd::scale(2.0, 3.0, 0.5) * m);
    ExpectNear(unscaled.position, pose.position);
    ExpectNear(unscaled.transformPoint(kProbe), expected, 1e-9);

    // A transform set by heading, pitch and roll looks the same way as its
    // pose: the camera's and parts' forward axis is +y.
    const Transform hpr(4.0, 5.0, 6.0, 30.0, -20.0, 75.0);
    const physics::Pose fromHpr = ToPhysics(hpr);
    ExpectNear(fromHpr.transformDirection({ 0.0, 1.0, 0.0 }),
        P(osg::Vec3d(0.0, 1.0, 0.0) * hpr.GetRotationMatrix()), 1e-12);
    EXPECT_TRUE(ToTransform(fromHpr).EpsilonEquals(hpr, 1e-9));
}

TEST(MathBridge, TheCollisionLibraryPlacesAModelAsThePoseDoes) {
    const physics::Pose pose { { 10.0, -4.0, 2.0 }, physics::Quat::fromAxisAngleDegrees(kAxis, kDegrees) };
    const std::array<float, 16> matrix = ToCollisionMatrix(pose);
    // The storage order of the OSG matrix.
    const osg::Matrixd m = ToOsgMatrix(pose);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(matrix[static_cast<std::size_t>(i)], static_cast<float>(m.ptr()[i])) << i;
    EXPECT_TRUE(FromCollisionMatrix(matrix.data()) == osg::Matrixd(matrix.data()));

    // A triangle in the model's own plane z = 0, placed by the pose: a ray
    // along the placed normal meets it where the pose puts the model point.
    std::unique_ptr<CollisionModel3D> model = newCollisionModel3D(false);
    model->addTriangle(-1.0f, -1.0f, 0.0f, 2.0f, -1.0f, 0.0f, 0.0f, 2.0f, 0.0f);
    model->finalize();
    model->setTransform(matrix.data());
    const physics::Vec3 target = pose.transformPoint({ 0.25f, 0.25f, 0.0f });
    const physics::Vec3 normal = pose.transformDirection({ 0.0, 0.0, 1.0 });
    const physics::Vec3 start = target + normal * 5.0;
    const float origin[3] = { float(start.x), float(start.y), float(start.z) };
    const float direction[3] = { float(-normal.x), float(-normal.y), float(-normal.z) };
    ASSERT_TRUE(model->rayCollision(origin, direction, true, 0.0f, 10.0f));
    float point[3];
    model->getCollisionPoint(point, false);
    ExpectNear({ point[0], point[1], point[2] }, target, 1e-5);
    model->getCollisionPoint(point, true);
    ExpectNear({ point[0], point[1], point[2] }, { 0.25, 0.25, 0.0 }, 1e-5);
}
