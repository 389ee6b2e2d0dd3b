#pragma once

#include "collision/Vec3.h"

namespace collision {

// Three vertices in the order they were given. Every exact test of the
// library is a free function on triangles so that the tree searches and the
// brute-force checks in the tests share one definition.
struct Triangle {
    Vec3 p;
    Vec3 q;
    Vec3 r;

    // The centre that the tree builder sorts by; its rounding decides close
    // splits, so it is part of the tree's shape.
    Vec3 centre() const { return (p + q + r) * 0.33333334f; }
    Vec3 planeNormal() const { return cross(q - p, r - p); }
};

// Moeller's interval-overlap test. A vertex closer than 1e-6 to the other
// triangle's plane counts as lying in it; a triangle lying in the other's
// plane is compared with it in 2-D on the coordinate plane most nearly
// parallel to them. Other near contacts (some vertex within 1e-6 of the other
// plane) count when the triangles come within 1e-6 of each other. A
// triangle without area meets a triangle as the segment or point it is, and
// two such never meet.
bool trianglesIntersect(const Triangle& a, const Triangle& b);

// Whether X, a point of the triangle's plane, lies inside it (edges included),
// judged in the coordinate plane picked by the unit normal n.
bool insideTriangle(const Triangle& t, const Vec3& n, const Vec3& x);

// The segment origin + t * direction, 0 < t <= segmentMax, against the
// triangle; a direction within 1e-8 of the plane misses.
bool rayHitsTriangle(const Triangle& t, const Vec3& origin, const Vec3& direction, float segmentMax,
    float& hitParameter, Vec3& hitPoint);

// A sphere against a triangle. `point` receives the candidate point that
// decided the answer: the centre's foot in the plane or the nearest point of
// the last edge tried.
bool sphereHitsTriangle(const Triangle& t, const Vec3& centre, float radius, Vec3& point);

// A point where two intersecting triangles meet, found from the plane halfway
// between theirs; (0, 0, 0) when the construction finds none, which happens
// for triangles that share only a vertex.
Vec3 contactPoint(const Triangle& first, const Triangle& second);

} // namespace collision
