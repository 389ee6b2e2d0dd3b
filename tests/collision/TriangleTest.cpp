// The exact tests on single triangles, checked against an independent
// separating-axis computation in double precision and against the cases the
// tests are known for.

#include "MeshFactory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace testmesh;
using collision::contactPoint;
using collision::insideTriangle;
using collision::rayHitsTriangle;
using collision::sphereHitsTriangle;
using collision::trianglesIntersect;

namespace {

struct D3 {
    double x, y, z;
};
D3 d3(const Vec3& v) {
    return { v.x, v.y, v.z };
}
D3 sub(const D3& a, const D3& b) {
    return { a.x - b.x, a.y - b.y, a.z - b.z };
}
D3 crs(const D3& a, const D3& b) {
    return { a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x };
}
double dt(const D3& a, const D3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// The largest gap between the two triangles' projections over the given unit
// axes: above 0 they are apart by at least that much, below 0 they overlap on
// every axis, which for a complete set of axes means they intersect.
double largestGap(const Triangle& a, const Triangle& b, bool inPlaneOnly) {
    const D3 pa[3] = { d3(a.p), d3(a.q), d3(a.r) };
    const D3 pb[3] = { d3(b.p), d3(b.q), d3(b.r) };
    const D3 ea[3] = { sub(pa[1], pa[0]), sub(pa[2], pa[1]), sub(pa[0], pa[2]) };
    const D3 eb[3] = { sub(pb[1], pb[0]), sub(pb[2], pb[1]), sub(pb[0], pb[2]) };
    const D3 na = crs(ea[0], ea[1]);
    const D3 nb = crs(eb[0], eb[1]);
    std::vector<D3> axes;
    for (int i = 0; i < 3; ++i) {
        axes.push_back(crs(na, ea[i]));
        axes.push_back(crs(nb, eb[i]));
    }
    if (!inPlaneOnly) {
        axes.push_back(na);
        axes.push_back(nb);
        for (const D3& e : ea) {
            for (const D3& f : eb)
                axes.push_back(crs(e, f));
        }
    }
    double best = -std::numeric_limits<double>::infinity();
    for (D3 l : axes) {
        const double length = std::sqrt(dt(l, l));
        if (length < 1e-9)
            continue;
        l = { l.x / length, l.y / length, l.z / length };
        double aLow = 1e300, aHigh = -1e300, bLow = 1e300, bHigh = -1e300;
        for (int k = 0; k < 3; ++k) {
            aLow = std::min(aLow, dt(pa[k], l));
            aHigh = std::max(aHigh, dt(pa[k], l));
            bLow = std::min(bLow, dt(pb[k], l));
            bHigh = std::max(bHigh, dt(pb[k], l));
        }
        best = std::max(best, std::max(bLow - aHigh, aLow - bHigh));
    }
    return best;
}

Triangle randomTriangle(std::mt19937& random, float size) {
    const Vec3 c = randomPoint(random, 0.5f);
    return { c + randomPoint(random, size), c + randomPoint(random, size), c + randomPoint(random, size) };
}

} // namespace

TEST(TriangleIntersection, AgreesWithSeparatingAxesInGeneralPosition) {
    std::mt19937 random(11);
    int decided = 0;
    int intersecting = 0;
    int wrong = 0;
    for (int n = 0; n < 40000; ++n) {
        const Triangle a = randomTriangle(random, 0.6f);
        const Triangle b = randomTriangle(random, 0.6f);
        const double gap = largestGap(a, b, false);
        if (std::fabs(gap) < 1e-4)
            continue;
        ++decided;
        const bool expected = gap < 0.0;
        intersecting += expected ? 1 : 0;
        wrong += trianglesIntersect(a, b) != expected ? 1 : 0;
        wrong += trianglesIntersect(b, a) != expected ? 1 : 0;
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(decided, 39000);
    EXPECT_GT(intersecting, 2000);
}

TEST(TriangleIntersection, AgreesWithSeparatingAxesForCoplanarTriangles) {
    // Two triangles drawn in the same tilted plane. Rounding to floats lifts
    // their vertices off that plane by up to a few 1e-7, and much more than
    // that off the plane of a thin triangle; side by side they must not be
    // taken for crossing, overlapping they must be taken for touching.
    std::mt19937 random(12);
    int decided = 0;
    int intersecting = 0;
    int wrong = 0;
    for (int n = 0; n < 10000; ++n) {
        const Vec3 normal = randomUnit(random);
        const Vec3 u = cross(normal, std::fabs(normal.x) < 0.9f ? Vec3(1, 0, 0) : Vec3(0, 1, 0));
        const Vec3 un = u * (1.0f / std::sqrt(dot(u, u)));
        const Vec3 vn = cross(normal, un);
        const Vec3 origin = randomPoint(random, 2.0f);
        auto inPlane = [&](float s, float t) { return origin + un * s + vn * t; };
        auto tri = [&] {
            const float cs = uniform(random, -1, 1), ct = uniform(random, -1, 1);
            auto v = [&] {
                return inPlane(cs + uniform(random, -0.6f, 0.6f), ct + uniform(random, -0.6f, 0.6f));
            };
            return Triangle { v(), v(), v() };
        };
        const Triangle a = tri();
        const Triangle b = tri();
        const double sideBySide = largestGap(a, b, true);
        const double apart = largestGap(a, b, false);
        if (std::fabs(sideBySide) < 1e-3 || std::fabs(apart - 1e-6) < 2e-7)
            continue;
        ++decided;
        const bool expected = apart < 1e-6;
        intersecting += expected ? 1 : 0;
        wrong += trianglesIntersect(a, b) != expected ? 1 : 0;
        wrong += trianglesIntersect(b, a) != expected ? 1 : 0;
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(decided, 9000);
    EXPECT_GT(intersecting, 1000);
}

TEST(TriangleIntersection, PlaneToleranceIsOneMicron) {
    const Triangle floor { { -1, -1, 0 }, { 1, -1, 0 }, { 0, 1, 0 } };
    auto standing = [](float lift) { return Triangle { { 0, 0, lift }, { 0.5f, 0, 1 }, { -0.5f, 0, 1 } }; };
    EXPECT_TRUE(trianglesIntersect(floor, standing(0.0f)));
    EXPECT_TRUE(trianglesIntersect(floor, standing(5e-7f)));
    EXPECT_FALSE(trianglesIntersect(floor, standing(2e-6f)));
    // The tolerance is a distance, whatever the triangles' size: a tiny
    // triangle 1e-4 above a tiny floor is apart.
    const Triangle speck { { 0, 0, 0 }, { 1e-3f, 0, 0 }, { 0, 1e-3f, 0 } };
    const Triangle hover { { 2e-4f, 2e-4f, 1e-4f }, { 3e-4f, 2e-4f, 1e-3f }, { 2e-4f, 3e-4f, 1e-3f } };
    EXPECT_FALSE(trianglesIntersect(speck, hover));
    // Sharing one vertex is a contact.
    const Triangle other { { 1, -1, 0 }, { 2, -1, 1 }, { 2, 0, -1 } };
    EXPECT_TRUE(trianglesIntersect(floor, other));
}

TEST(TriangleIntersection, DegenerateTrianglesMeetWhatTheyLieIn) {
    const Triangle floor { { -1, -1, 0 }, { 1, -1, 0 }, { 0, 1, 0 } };
    const Triangle point { { 0, 0, 0 }, { 0, 0, 0 }, { 0, 0, 0 } };
    const Triangle needle { { 0, 0, -1 }, { 0, 0, 1 }, { 0, 0, 0 } };
    const Triangle outside { { 2, 2, 0 }, { 2, 2, 0 }, { 2, 2, 0 } };
    const Triangle hovering { { 0, 0, 5 }, { 0, 0, 5 }, { 0, 0, 5 } };
    // A point lying inside the floor touches it, whichever comes first; one
    // beside it or above it does not.
    EXPECT_TRUE(trianglesIntersect(floor, point));
    EXPECT_TRUE(trianglesIntersect(point, floor));
    EXPECT_FALSE(trianglesIntersect(floor, outside));
    EXPECT_FALSE(trianglesIntersect(outside, floor));
    EXPECT_FALSE(trianglesIntersect(hovering, floor));
    EXPECT_FALSE(trianglesIntersect(floor, hovering));
    // A needle (a triangle squashed to a segment) through the floor.
    EXPECT_TRUE(trianglesIntersect(needle, floor));
    EXPECT_TRUE(trianglesIntersect(floor, needle));
    // Two points have no plane to meet in: never a contact.
    EXPECT_FALSE(trianglesIntersect(point, point));
    // Rays and spheres pass a triangle without area.
    float t = 0;
    Vec3 x;
    EXPECT_FALSE(rayHitsTriangle(point, { 0, 0, 1 }, { 0, 0, -1 }, 5.0f, t, x));
    Vec3 near;
    EXPECT_TRUE(sphereHitsTriangle(point, { 0, 0, 0.5f }, 0.6f, near));
    EXPECT_EQ(near, Vec3());
}

TEST(RayTriangle, ParameterBoundsAndParallelRays) {
    const Triangle floor { { -1, -1, 0 }, { 1, -1, 0 }, { 0, 1, 0 } };
    float t = 0;
    Vec3 x;
    // Hit exactly at the segment's end counts.
    EXPECT_TRUE(rayHitsTriangle(floor, { 0, 0, 2 }, { 0, 0, -1 }, 2.0f, t, x));
    EXPECT_FLOAT_EQ(t, 2.0f);
    EXPECT_EQ(x, Vec3(0, 0, 0));
    EXPECT_FALSE(rayHitsTriangle(floor, { 0, 0, 2 }, { 0, 0, -1 }, 1.999f, t, x));
    // An origin on the triangle (t = 0) does not.
    EXPECT_FALSE(rayHitsTriangle(floor, { 0, 0, 0 }, { 0, 0, 1 }, 5.0f, t, x));
    EXPECT_FALSE(rayHitsTriangle(floor, { 0, 0, 1 }, { 1, 0, 0 }, 5.0f, t, x));
    EXPECT_FALSE(rayHitsTriangle(floor, { 0, 0, 1 }, { 1, 0, -1e-9f }, 1e9f, t, x));
    // Outside the triangle in its plane.
    EXPECT_FALSE(rayHitsTriangle(floor, { 0.9f, 0.9f, 1 }, { 0, 0, -1 }, 5.0f, t, x));
    // Direction length scales the parameter.
    EXPECT_TRUE(rayHitsTriangle(floor, { 0, 0, 4 }, { 0, 0, -2 }, 5.0f, t, x));
    EXPECT_FLOAT_EQ(t, 2.0f);
}

TEST(SphereTriangle, PlaneTouchCountsEdgeTouchDoesNot) {
    const Triangle floor { { -1, -1, 0 }, { 1, -1, 0 }, { 0, 1, 0 } };
    Vec3 p;
    // Touching the plane inside the triangle (|s| = radius) hits.
    EXPECT_TRUE(sphereHitsTriangle(floor, { 0, 0, 0.5f }, 0.5f, p));
    EXPECT_EQ(p, Vec3(0, 0, 0));
    // Touching the edge y = -1 from outside, in the plane: strict, no hit.
    EXPECT_FALSE(sphereHitsTriangle(floor, { 0, -1.5f, 0 }, 0.5f, p));
    EXPECT_TRUE(sphereHitsTriangle(floor, { 0, -1.49f, 0 }, 0.5f, p));
    EXPECT_FLOAT_EQ(p.y, -1.0f);
    EXPECT_FALSE(sphereHitsTriangle(floor, { 0, 0, 0.6f }, 0.5f, p));
}

TEST(InsideTriangle, EdgesAndCornersAreInside) {
    const Triangle t { { 0, 0, 0 }, { 1, 0, 0 }, { 0, 1, 0 } };
    const Vec3 n(0, 0, 1);
    EXPECT_TRUE(insideTriangle(t, n, { 0.25f, 0.25f, 0 }));
    EXPECT_TRUE(insideTriangle(t, n, { 0, 0, 0 }));
    EXPECT_TRUE(insideTriangle(t, n, { 0.5f, 0.5f, 0 }));
    EXPECT_FALSE(insideTriangle(t, n, { 0.6f, 0.6f, 0 }));
    EXPECT_FALSE(insideTriangle(t, n, { -0.01f, 0.5f, 0 }));
    // A triangle whose first edge has no x extent takes the other branch.
    const Triangle upright { { 0, 0, 0 }, { 0, 1, 0 }, { 1, 0, 0 } };
    EXPECT_TRUE(insideTriangle(upright, n, { 0.2f, 0.2f, 0 }));
    EXPECT_FALSE(insideTriangle(upright, n, { 0.2f, 0.9f, 0 }));
}

TEST(ContactPoint, CrossingTrianglesMeetOnBoth) {
    const Triangle floor { { -1, -1, 0 }, { 1, -1, 0 }, { 0, 1, 0 } };
    const Triangle wall { { -0.5f, 0, -1 }, { 0.5f, 0, -1 }, { 0, 0, 1 } };
    ASSERT_TRUE(trianglesIntersect(floor, wall));
    const Vec3 p = contactPoint(floor, wall);
    EXPECT_NEAR(p.y, 0.0f, 1e-6f);
    EXPECT_NEAR(p.z, 0.0f, 1e-6f);
    EXPECT_LE(std::fabs(p.x), 0.5f);
    // Apart: the origin.
    const Triangle high { { -0.5f, 0, 1 }, { 0.5f, 0, 1 }, { 0, 0, 2 } };
    EXPECT_EQ(contactPoint(floor, high), Vec3());
}

TEST(ContactPoint, TheEdgesFromTheLoneVertexAreCutFirst) {
    // The construction cuts the edges that leave the vertex alone on its side
    // of the other plane; a vertex lying in that plane belongs to neither
    // side. The triangles below all meet the floor in two points, and the
    // rule decides which one is reported.
    const Triangle floor { { -1, -1, 0 }, { 1, -1, 0 }, { 0, 1, 0 } };
    auto expectPoint = [&floor](const Triangle& other, const Vec3& expected) {
        ASSERT_TRUE(trianglesIntersect(floor, other));
        const Vec3 p = contactPoint(floor, other);
        EXPECT_NEAR(p.x, expected.x, 1e-6f);
        EXPECT_NEAR(p.y, expected.y, 1e-6f);
        EXPECT_NEAR(p.z, expected.z, 1e-6f);
    };
    // Sides -1, +1, 0: P is alone below; its edge to Q crosses the floor
    // halfway, at (0.2, -0.1, 0), although R lies on the floor as well.
    expectPoint({ { 0.2f, -0.3f, -0.5f }, { 0.2f, 0.1f, 0.5f }, { -0.3f, -0.2f, 0 } }, { 0.2f, -0.1f, 0 });
    // Sides 0, +1, -1: no vertex is alone with another on its side, so the
    // last one, R, counts as lone, and its edge from P starts on the floor: P.
    expectPoint({ { -0.4f, -0.2f, 0 }, { 0.3f, 0.2f, 0.5f }, { 0.1f, -0.4f, -0.5f } }, { -0.4f, -0.2f, 0 });
    // Sides +1, +1, 0: R touches the floor from above, inside it: R.
    expectPoint({ { 0.2f, -0.5f, 1 }, { 0.6f, 0.4f, 1 }, { 0.2f, 0.1f, 0 } }, { 0.2f, 0.1f, 0 });
}
