#pragma once

#include "collision/Inconsistency.h"
#include "collision/TimeoutExpired.h"

#include <memory>

// A triangle-mesh collision model. Fill it with triangles in its own model
// space, finalise it once (which builds its box tree), give it a world
// transform whenever its owner moves, and query it against another model, a
// ray or a sphere. Transforms are 16 floats in the scene graph's memory
// layout: a point (x, y, z) maps to (x m0 + y m4 + z m8 + m12,
// x m1 + y m5 + z m9 + m13, x m2 + y m6 + z m10 + m14).
//
// A model remembers what its last query found; the read-outs return that
// record and always answer true, whether or not the query hit. Before the
// first query the record holds zeros.
class CollisionModel3D {
public:
    virtual ~CollisionModel3D() = default;

    // Reserves room for n triangles while the model is being filled; ignored
    // after finalisation and for n <= 0.
    virtual void setTriangleNumber(int n) = 0;

    // Appends a triangle with vertices P, Q, R (3 floats each). Throws
    // Inconsistency after finalisation, leaving the model unchanged.
    virtual void addTriangle(const float* p, const float* q, const float* r) = 0;
    virtual void addTriangle(
        float x1, float y1, float z1, float x2, float y2, float z2, float x3, float y3, float z3)
        = 0;

    // Builds the box tree. Throws Inconsistency when already finalised.
    virtual void finalize() = 0;

    // Copies the model's world transform (16 floats). Allowed at any time.
    virtual void setTransform(const float* m) = 0;

    // Whether some triangle of this model intersects some triangle of `other`.
    // The accuracy depth is accepted and ignored. `maxProcessingTime` is a
    // budget in milliseconds, 0 or less for practically unlimited (16777215 ms).
    // A non-null `otherTransform` replaces the other model's transform for this
    // query only. Throws Inconsistency when `other` is null or either model is
    // not finalised, TimeoutExpired when the budget runs out. A model
    // without triangles, or with a transform that cannot be inverted, touches
    // nothing.
    virtual bool collision(
        CollisionModel3D* other, int accuracyDepth, int maxProcessingTime, const float* otherTransform)
        = 0;

    // The segment from origin + segmentMin * direction to
    // origin + segmentMax * direction (world space; the direction need not be
    // a unit vector) against the model. With `closest` the nearest hit is
    // kept, otherwise the first one found. A segment maximum above 3e30 is an
    // endless ray; a negative one (after the minimum is taken off) runs
    // backwards. Never throws; finds nothing before finalisation.
    virtual bool rayCollision(
        const float* origin, const float* direction, bool closest, float segmentMin, float segmentMax)
        = 0;

    // A sphere in world space against the model. The radius is taken as it is
    // in model space. Never throws; finds nothing before finalisation.
    virtual bool sphereCollision(const float* centre, float radius) = 0;

    // Store indices of the triangles the last query found (the second only
    // after a model query).
    virtual bool getCollidingTriangles(int& first, int& second) = 0;

    // The found triangles, 9 floats each (P, Q, R); either pointer may be null.
    // The second triangle is the other model's, carried into this model's
    // space. With modelSpace false both are carried into world space by this
    // model's transform.
    virtual bool getCollidingTriangles(float* first, float* second, bool modelSpace) = 0;

    // After a ray or sphere query the point it found; after a model query a
    // point where the two found triangles meet ((0, 0, 0) when none can be
    // constructed). With modelSpace false the point is carried into world space.
    virtual bool getCollisionPoint(float* point, bool modelSpace) = 0;
};

// Creates an empty model. A static model inverts its transform once when the
// transform is set; any other model inverts it in every query, which is
// cheaper for models that move more often than they are queried.
std::unique_ptr<CollisionModel3D> newCollisionModel3D(bool isStatic);

// The sphere against the whole line through `origin` along `direction` (both
// directions: a sphere behind the origin counts). On a hit `point` receives
// the first point where the line enters the sphere. A zero direction misses.
bool SphereRayCollision(
    const float* centre, float radius, const float* origin, const float* direction, float* point);

// Whether the spheres overlap (touching from outside does not count). On a hit
// `point` receives the point of the first sphere's surface that faces the
// second's centre (the first centre when both centres coincide).
bool SphereSphereCollision(
    const float* centre1, float radius1, const float* centre2, float radius2, float* point);
