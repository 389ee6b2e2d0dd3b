// What the queries promise beyond yes or no: segments, search order, the
// record they leave behind, time budgets, singular transforms and the two
// free sphere functions.

#include "MeshFactory.h"

#include "collision/CollisionModel3DImpl.h"
#include "platform/Warnings.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace testmesh;

namespace {

std::unique_ptr<CollisionModel3D> modelOf(const Mesh& mesh) {
    return model(mesh, identity());
}

const Triangle kFloor { { -1, -1, 0 }, { 1, -1, 0 }, { 0, 1, 0 } };

Triangle lifted(const Triangle& t, float z) {
    return { t.p + Vec3(0, 0, z), t.q + Vec3(0, 0, z), t.r + Vec3(0, 0, z) };
}

// A point placed by a transform, by the layout's own rule: (x m0 + y m4 +
// z m8 + m12, x m1 + y m5 + z m9 + m13, x m2 + y m6 + z m10 + m14).
Vec3 placed(const Pose& m, const Vec3& v) {
    return { v.x * m[0] + v.y * m[4] + v.z * m[8] + m[12], v.x * m[1] + v.y * m[5] + v.z * m[9] + m[13],
        v.x * m[2] + v.y * m[6] + v.z * m[10] + m[14] };
}

void expectNear(const float* actual, const Vec3& expected, float eps = 1e-5f) {
    EXPECT_NEAR(actual[0], expected.x, eps);
    EXPECT_NEAR(actual[1], expected.y, eps);
    EXPECT_NEAR(actual[2], expected.z, eps);
}

} // namespace

TEST(ModelQuery, TouchingBoxesLeaveTheDecisionToTheTriangles) {
    // The triangles' boxes meet at the corner (1, 1); the triangles do not.
    auto a = modelOf({ { { 0, 0, 0 }, { 1, 0, 0 }, { 0, 1, 0 } } });
    auto apart = modelOf({ { { 1, 1, 0 }, { 2, 1, 0 }, { 1, 2, 0 } } });
    auto sharing = modelOf({ { { 1, 0, 0 }, { 2, 0, 0 }, { 1, 1, 0 } } });
    EXPECT_FALSE(a->collision(apart.get(), -1, 0, nullptr));
    EXPECT_TRUE(a->collision(sharing.get(), -1, 0, nullptr));
}

TEST(ModelQuery, AMatrixInPlaceOfTheOtherTransformIsUsedOnce) {
    auto a = modelOf(box({ 0, 0, 0 }, { 1, 1, 1 }));
    auto b = model(box({ 0, 0, 0 }, { 1, 1, 1 }), pose({ 0, 0, 1 }, 0.0f, { 5, 0, 0 }));
    const Pose overlapping = pose({ 1, 1, 0 }, 0.7f, { 0.5f, 0.5f, 0.5f });
    EXPECT_TRUE(a->collision(b.get(), -1, 0, overlapping.data()));
    EXPECT_FALSE(a->collision(b.get(), -1, 0, nullptr));
    // Transforms may change after finalisation, any number of times.
    b->setTransform(overlapping.data());
    EXPECT_TRUE(a->collision(b.get(), -1, 0, nullptr));
    a->setTransform(pose({ 0, 0, 1 }, 0.0f, { 0, -3, 0 }).data());
    EXPECT_FALSE(a->collision(b.get(), -1, 0, nullptr));
}

TEST(ModelQuery, RecordHoldsBothTrianglesInThisModelsSpace) {
    auto a = model({ kFloor }, pose({ 0, 0, 1 }, 0.0f, { 10, 0, 0 }));
    // A wall standing across the floor, in the other model's own space
    // turned by 90 degrees and placed on the floor in world space.
    const Triangle wall { { -0.5f, -1, 0 }, { 0.5f, -1, 0 }, { 0, 1, 0 } };
    const Pose wallPose = pose({ 1, 0, 0 }, 1.5707964f, { 10, 0, 0.5f });
    auto b = model({ wall }, wallPose);
    ASSERT_TRUE(a->collision(b.get(), -1, 0, nullptr));
    int i = -1;
    int j = -1;
    a->getCollidingTriangles(i, j);
    EXPECT_EQ(i, 0);
    EXPECT_EQ(j, 0);
    float first[9];
    float second[9];
    a->getCollidingTriangles(first, second, true);
    EXPECT_EQ(first[0], -1.0f);
    // The wall in the floor's space: standing upright through z = 0.
    EXPECT_NEAR(second[2], -0.5f, 1e-6f);
    EXPECT_NEAR(second[8], 1.5f, 1e-6f);
    a->getCollidingTriangles(first, nullptr, false);
    EXPECT_EQ(first[0], 9.0f);
    float point[3];
    a->getCollisionPoint(point, true);
    EXPECT_NEAR(point[2], 0.0f, 1e-5f);
    EXPECT_LE(std::fabs(point[0]), 0.5f);
    a->getCollisionPoint(point, false);
    EXPECT_GE(point[0], 9.5f);
    // A ray query afterwards changes the first triangle and the point only.
    const float origin[3] = { 10, 0, 5 };
    const float down[3] = { 0, 0, -1 };
    ASSERT_TRUE(a->rayCollision(origin, down, false, 0.0f, 1e31f));
    a->getCollidingTriangles(i, j);
    EXPECT_EQ(j, 0);
    a->getCollidingTriangles(nullptr, second, true);
    EXPECT_NEAR(second[8], 1.5f, 1e-6f);
    a->getCollisionPoint(point, false);
    EXPECT_EQ(point[0], 10.0f);
    EXPECT_EQ(point[2], 0.0f);
    EXPECT_EQ(dynamic_cast<CollisionModel3DImpl&>(*a).lastQueryKind(), CollisionModel3DImpl::QueryKind::Ray);
}

TEST(ModelQuery, BothTrianglesAndThePointComeBackInWorldSpace) {
    // A floor and a triangle standing on it with one corner on the floor's
    // face and the other two above it: the corner alone on its side lies on
    // the floor, and is where the two meet.
    const Vec3 corner(0.2f, 0.1f, 0.0f);
    const Triangle standing { { 0.2f, -0.5f, 1.0f }, { 0.6f, 0.4f, 1.0f }, corner };
    const Pose floorPose = pose({ 1, 2, 3 }, 0.7f, { 5, -3, 2 });
    auto a = model({ kFloor }, floorPose);
    // The standing triangle's own model is placed so that it lands on the
    // floor as drawn above in the floor's space.
    const Pose standingPose = floorPose;
    auto b = model({ standing }, standingPose);
    ASSERT_TRUE(a->collision(b.get(), -1, 0, nullptr));
    float first[9];
    float second[9];
    a->getCollidingTriangles(first, second, false);
    expectNear(first, placed(floorPose, kFloor.p));
    expectNear(first + 6, placed(floorPose, kFloor.r));
    expectNear(second, placed(standingPose, standing.p));
    expectNear(second + 3, placed(standingPose, standing.q));
    expectNear(second + 6, placed(standingPose, corner));
    float point[3];
    a->getCollisionPoint(point, true);
    expectNear(point, corner, 1e-6f);
    a->getCollisionPoint(point, false);
    expectNear(point, placed(floorPose, corner));

    // With a matrix in place of the other model's transform, the second
    // triangle is read back where that matrix puts it.
    const Pose shifted = pose({ 0, 0, 1 }, 0.3f, { 5.1f, -3, 2 });
    auto c = model({ standing }, shifted);
    const Pose over = floorPose;
    ASSERT_TRUE(a->collision(c.get(), -1, 0, over.data()));
    a->getCollidingTriangles(nullptr, second, false);
    expectNear(second + 6, placed(over, corner));
}

TEST(ModelQuery, RecordStartsAtZeroAndReadOutsAlwaysAnswerTrue) {
    auto a = modelOf({ kFloor });
    int i = -1;
    int j = -1;
    float t[9] = { 1, 1, 1, 1, 1, 1, 1, 1, 1 };
    float point[3] = { 1, 1, 1 };
    EXPECT_TRUE(a->getCollidingTriangles(i, j));
    EXPECT_EQ(i, 0);
    EXPECT_EQ(j, 0);
    EXPECT_TRUE(a->getCollidingTriangles(t, nullptr, true));
    EXPECT_EQ(t[4], 0.0f);
    EXPECT_TRUE(a->getCollisionPoint(point, true));
    EXPECT_EQ(point[0], 0.0f);
}

TEST(ModelQuery, TrianglesSharingOnlyAVertexMeetAtIt) {
    // The second triangle's vertices lie 0, 1 and -1 from the floor's plane:
    // the construction cuts the edge from its first vertex, which lies on
    // the floor's corner, and that corner is the point.
    auto a = modelOf({ kFloor });
    auto b = modelOf({ { { 1, -1, 0 }, { 2, -1, 1 }, { 2, 0, -1 } } });
    ASSERT_TRUE(a->collision(b.get(), -1, 0, nullptr));
    float point[3];
    a->getCollisionPoint(point, true);
    expectNear(point, Vec3(1, -1, 0), 1e-6f);
}

TEST(ModelQuery, TimeBudget) {
    // Two tori, the second a hair thicker: their surfaces run side by side
    // everywhere, so the search visits most of both trees and finds nothing.
    const Mesh inner = torus(2.0f, 0.5f, 300, 100);
    const Mesh outer = torus(2.0f, 0.5005f, 300, 100);
    auto a = modelOf(inner);
    auto b = modelOf(outer);
    EXPECT_FALSE(a->collision(b.get(), -1, 0, nullptr));
    EXPECT_THROW(a->collision(b.get(), -1, 1, nullptr), TimeoutExpired);
    // A throwing query leaves the kind at "model" and the rest as it was.
    EXPECT_EQ(
        dynamic_cast<CollisionModel3DImpl&>(*a).lastQueryKind(), CollisionModel3DImpl::QueryKind::Model);
    EXPECT_FALSE(a->collision(b.get(), -1, 60000, nullptr));
}

TEST(ModelQuery, SingularTransformsTouchNothing) {
    auto a = modelOf(box({ 0, 0, 0 }, { 1, 1, 1 }));
    auto b = modelOf(box({ 0, 0, 0 }, { 1, 1, 1 }));
    auto s = model(box({ 0, 0, 0 }, { 1, 1, 1 }), identity(), true);
    ASSERT_TRUE(a->collision(b.get(), -1, 0, nullptr));
    Pose flat = identity();
    flat[10] = 0.0f; // z squashed to nothing
    const float centre[3] = { 0.5f, 0.5f, 0.5f };
    const float origin[3] = { 0.5f, 0.5f, 5 };
    const float down[3] = { 0, 0, -1 };
    platform::WarningCapture warnings;
    for (CollisionModel3D* m : { a.get(), s.get() }) {
        m->setTransform(flat.data());
        EXPECT_EQ(warnings.Count("collision"), m == a.get() ? 1u : 2u);
        EXPECT_FALSE(m->collision(b.get(), -1, 0, nullptr));
        EXPECT_FALSE(b->collision(m, -1, 0, nullptr));
        EXPECT_FALSE(m->rayCollision(origin, down, true, 0.0f, 1e31f));
        EXPECT_FALSE(m->sphereCollision(centre, 2.0f));
        m->setTransform(identity().data());
        EXPECT_TRUE(m->collision(b.get(), -1, 0, nullptr));
        EXPECT_TRUE(m->sphereCollision(centre, 2.0f));
    }
    Pose broken = identity();
    broken[5] = std::nanf("");
    EXPECT_FALSE(b->collision(a.get(), -1, 0, broken.data()));
    // A uniformly tiny scale is not singular.
    Pose tiny = pose({ 0, 0, 1 }, 0.0f, {});
    for (int k : { 0, 5, 10 })
        tiny[static_cast<std::size_t>(k)] = 1e-4f;
    a->setTransform(tiny.data());
    EXPECT_TRUE(a->collision(b.get(), -1, 0, nullptr));
}

TEST(RayQuery, SegmentsShiftAndReverse) {
    // Floors at z = 0, 3 and 7 (split apart by their centres).
    auto m = modelOf({ kFloor, lifted(kFloor, 3.0f), lifted(kFloor, 7.0f) });
    const float origin[3] = { 0, 0, 0.5f };
    const float up[3] = { 0, 0, 1 };
    auto nearest = [&](float from, float to) {
        if (!m->rayCollision(origin, up, true, from, to))
            return -1;
        int i = -1;
        int j = -1;
        m->getCollidingTriangles(i, j);
        return i;
    };
    EXPECT_EQ(nearest(0.0f, 2.0f), -1);
    EXPECT_EQ(nearest(0.0f, 2.5f), 1); // exactly at the end counts
    EXPECT_EQ(nearest(2.0f, 5.0f), 1);
    EXPECT_EQ(nearest(2.6f, 5.0f), -1);
    EXPECT_EQ(nearest(2.6f, 7.0f), 2);
    EXPECT_EQ(nearest(0.0f, -5.0f), 0); // backwards, length 5
    EXPECT_EQ(nearest(0.0f, -0.4f), -1);
    EXPECT_EQ(nearest(0.0f, 1e31f), 1);
    // A segment starting exactly on a floor skips it (t = 0 never counts).
    EXPECT_EQ(nearest(2.5f, 6.0f), -1);
    float point[3];
    ASSERT_EQ(nearest(2.0f, 5.0f), 1);
    m->getCollisionPoint(point, true);
    EXPECT_EQ(point[2], 3.0f);
}

TEST(RayQuery, FirstHitFollowsTheSearchOrderClosestKeepsTheFirstOfEquals) {
    // Two floors split into two boxed triangles: the lower one is child 0.
    auto stacked = modelOf({ kFloor, lifted(kFloor, 1.0f) });
    const float origin[3] = { 0, 0, 5 };
    const float down[3] = { 0, 0, -1 };
    int i = -1;
    int j = -1;
    ASSERT_TRUE(stacked->rayCollision(origin, down, false, 0.0f, 1e31f));
    stacked->getCollidingTriangles(i, j);
    EXPECT_EQ(i, 0);
    ASSERT_TRUE(stacked->rayCollision(origin, down, true, 0.0f, 1e31f));
    stacked->getCollidingTriangles(i, j);
    EXPECT_EQ(i, 1);
    // Two triangles sharing a centre form one group, searched from the last
    // index down; both are hit at the same parameter.
    const Triangle wide { { -2, -1, 0 }, { 2, -1, 0 }, { 0, 2, 0 } };
    const Triangle turned { { 2, 1, 0 }, { -2, 1, 0 }, { 0, -2, 0 } };
    auto group = modelOf({ wide, turned, lifted(wide, 9.0f) });
    for (bool closest : { false, true }) {
        ASSERT_TRUE(group->rayCollision(origin, down, closest, 0.0f, 6.0f));
        group->getCollidingTriangles(i, j);
        EXPECT_EQ(i, 1) << "closest " << closest;
    }
}

TEST(RayQuery, AWallAtFortyFiveDegreesIsHitInsideAndMissedBeside) {
    // A vertical triangle whose normal is (1, 1, 0): x and y weigh the same,
    // and the point-in-triangle test must judge it in a plane that shows it
    // as a triangle (x-z), not one that squashes it to a line (x-y).
    auto wall = modelOf({ { { 1, 0, -1 }, { 0, 1, -1 }, { 0.5f, 0.5f, 1 } } });
    const float origin[3] = { 2, 2, 0 };
    const float toward[3] = { -1, -1, 0 };
    ASSERT_TRUE(wall->rayCollision(origin, toward, false, 0.0f, 1e31f));
    float point[3];
    wall->getCollisionPoint(point, true);
    expectNear(point, Vec3(0.5f, 0.5f, 0), 1e-6f);
    // The same plane beside the triangle: x + y = 1 at (0.9, 0.1, 0).
    const float beside[3] = { 2.4f, 1.6f, 0 };
    EXPECT_FALSE(wall->rayCollision(beside, toward, true, 0.0f, 1e31f));
    // A sphere whose foot on the plane lies inside, with every edge beyond
    // its reach.
    const float centre[3] = { 0.6f, 0.6f, 0 };
    EXPECT_TRUE(wall->sphereCollision(centre, 0.2f));
    wall->getCollisionPoint(point, true);
    expectNear(point, Vec3(0.5f, 0.5f, 0), 1e-6f);
    const float besideCentre[3] = { 1.0f, 0.2f, 0 };
    EXPECT_FALSE(wall->sphereCollision(besideCentre, 0.2f));
}

TEST(RayQuery, ZeroDirectionFindsNothing) {
    auto m = modelOf({ kFloor });
    const float origin[3] = { 0, 0, 0 };
    const float none[3] = { 0, 0, 0 };
    EXPECT_FALSE(m->rayCollision(origin, none, false, 0.0f, 1e31f));
    EXPECT_FALSE(m->rayCollision(origin, none, true, 0.0f, 5.0f));
}

TEST(SphereQuery, PlaneTouchHitsEdgeTouchDoesNotAndRadiusIgnoresScale) {
    auto m = modelOf({ kFloor });
    const float above[3] = { 0, 0, 0.5f };
    EXPECT_TRUE(m->sphereCollision(above, 0.5f));
    float point[3];
    m->getCollisionPoint(point, true);
    EXPECT_EQ(point[2], 0.0f);
    const float beside[3] = { 0, -1.5f, 0 };
    EXPECT_FALSE(m->sphereCollision(beside, 0.5f));
    // Scaled by 2 the floor reaches z = 0 at world (0, 0, 0); the radius is
    // still taken in model space, where the centre is now 0.5 away.
    Pose doubled = identity();
    for (int k : { 0, 5, 10 })
        doubled[static_cast<std::size_t>(k)] = 2.0f;
    m->setTransform(doubled.data());
    const float far[3] = { 0, 0, 1.0f };
    EXPECT_TRUE(m->sphereCollision(far, 0.5f));
    EXPECT_FALSE(m->sphereCollision(far, 0.4f));
    m->getCollisionPoint(point, false);
    EXPECT_TRUE(std::isfinite(point[0]));
}

TEST(FreeSphereFunctions, LineAndSphereEdgeCases) {
    const float centre[3] = { 0, 0, -5 };
    const float origin[3] = { 0, 0, 0 };
    const float up[3] = { 0, 0, 2 };
    float point[3];
    // Behind the origin: the whole line counts.
    ASSERT_TRUE(SphereRayCollision(centre, 1.0f, origin, up, point));
    EXPECT_FLOAT_EQ(point[2], -6.0f);
    const float aside[3] = { 2, 0, -5 };
    EXPECT_FALSE(SphereRayCollision(aside, 1.0f, origin, up, point));
    const float none[3] = { 0, 0, 0 };
    EXPECT_FALSE(SphereRayCollision(centre, 1.0f, origin, none, point));

    const float a[3] = { 0, 0, 0 };
    const float b[3] = { 3, 0, 0 };
    float out[3] = { 7, 7, 7 };
    EXPECT_FALSE(SphereSphereCollision(a, 1.0f, b, 2.0f, out));
    EXPECT_EQ(out[0], 7.0f); // untouched on a miss
    ASSERT_TRUE(SphereSphereCollision(a, 1.5f, b, 2.0f, out));
    EXPECT_FLOAT_EQ(out[0], 1.5f);
    EXPECT_TRUE(SphereSphereCollision(a, 1.0f, a, 1.0f, out));
    EXPECT_EQ(out[0], 0.0f);
}
