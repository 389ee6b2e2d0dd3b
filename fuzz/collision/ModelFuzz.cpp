// Collision models built from any triangles and queried under any
// transforms: nothing crashes, and a query that reports a hit reports
// finite points and triangles that exist.

#include "FuzzCheck.h"
#include "collision/CollisionModel3D.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

using fuzzsupport::Check;

constexpr int kMaxTriangles = 64;

// Small numbers on a grid (so that triangles meet), moderate ones, any
// finite float, and the special values (infinities, NaN, the extremes).
float Number(FuzzedDataProvider& input) {
    static constexpr float kSpecial[]
        = { NAN, INFINITY, -INFINITY, 0.0f, -0.0f, FLT_MIN, FLT_TRUE_MIN, FLT_MAX, -FLT_MAX, FLT_EPSILON };
    switch (input.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
        return static_cast<float>(input.ConsumeIntegralInRange<int>(-64, 64)) / 8.0f;
    case 1:
        return input.ConsumeFloatingPointInRange<float>(-1e6f, 1e6f);
    case 2:
        return input.ConsumeFloatingPoint<float>();
    default:
        return input.PickValueInArray(kSpecial);
    }
}

void Numbers(FuzzedDataProvider& input, float* out, int count) {
    for (int i = 0; i < count; ++i)
        out[i] = Number(input);
}

// A rigid transform from a few numbers, or any sixteen numbers.
void Transform(FuzzedDataProvider& input, float* m) {
    if (input.ConsumeBool()) {
        Numbers(input, m, 16);
        return;
    }
    const float angle = Number(input);
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    const float rigid[16]
        = { c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, Number(input), Number(input), Number(input), 1 };
    for (int i = 0; i < 16; ++i)
        m[i] = rigid[i];
}

bool Finite(const float* values, int count) {
    for (int i = 0; i < count; ++i) {
        if (!std::isfinite(values[i]))
            return false;
    }
    return true;
}

std::unique_ptr<CollisionModel3D> Build(FuzzedDataProvider& input, int& triangles, float* m) {
    auto model = newCollisionModel3D(input.ConsumeBool());
    triangles = input.ConsumeIntegralInRange<int>(0, kMaxTriangles);
    model->setTriangleNumber(input.ConsumeIntegralInRange<int>(-1, kMaxTriangles));
    for (int i = 0; i < triangles; ++i) {
        float v[9];
        Numbers(input, v, 9);
        model->addTriangle(v, v + 3, v + 6);
    }
    model->finalize();
    Transform(input, m);
    model->setTransform(m);
    return model;
}

// Whether carrying these model-space numbers by the transform stays within
// the float range, so that world-space read-outs must be finite too.
bool WorldRepresentable(const float* values, int count, const float* m) {
    constexpr float kSafe = 1e18f; // products below 1e36, sums of three below FLT_MAX
    for (int i = 0; i < count; ++i) {
        if (!(std::fabs(values[i]) < kSafe))
            return false;
    }
    for (int i = 0; i < 16; ++i) {
        if (!(std::fabs(m[i]) < kSafe))
            return false;
    }
    return true;
}

// What a model reports after a query that hit: triangles that exist, and
// finite triangles and points wherever the numbers can be represented.
void CheckHit(
    CollisionModel3D& model, const float* transform, int triangles, int otherTriangles, bool modelQuery) {
    int first = -1;
    int second = -1;
    Check(model.getCollidingTriangles(first, second), "read-out refused");
    Check(first >= 0 && first < triangles, "hit triangle out of range");
    if (modelQuery)
        Check(second >= 0 && second < otherTriangles, "other hit triangle out of range");
    float a[9];
    float b[9];
    float point[3];
    model.getCollidingTriangles(a, b, true);
    model.getCollisionPoint(point, true);
    Check(Finite(a, 9), "a hit reported with a non-finite triangle");
    if (modelQuery)
        Check(Finite(b, 9), "a hit reported with a non-finite other triangle");
    Check(Finite(point, 3), "a hit reported at a non-finite point");

    const bool representable = WorldRepresentable(a, 9, transform) && WorldRepresentable(point, 3, transform)
        && (!modelQuery || WorldRepresentable(b, 9, transform));
    model.getCollidingTriangles(a, b, false);
    model.getCollisionPoint(point, false);
    if (representable) {
        Check(Finite(a, 9) && Finite(point, 3) && (!modelQuery || Finite(b, 9)),
            "a hit reported with non-finite world-space results");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    int triangles = 0;
    int otherTriangles = 0;
    float transform[16];
    float otherTransform[16];
    auto model = Build(input, triangles, transform);
    auto other = Build(input, otherTriangles, otherTransform);

    while (input.remaining_bytes() > 0) {
        switch (input.ConsumeIntegralInRange<int>(0, 3)) {
        case 0: {
            float m[16];
            const bool replace = input.ConsumeBool();
            if (replace)
                Transform(input, m);
            if (model->collision(other.get(), 0, 0, replace ? m : nullptr))
                CheckHit(*model, transform, triangles, otherTriangles, true);
            break;
        }
        case 1: {
            float origin[3];
            float direction[3];
            Numbers(input, origin, 3);
            Numbers(input, direction, 3);
            const float low = Number(input);
            const float high = input.ConsumeBool() ? 1e31f : Number(input);
            if (model->rayCollision(origin, direction, input.ConsumeBool(), low, high))
                CheckHit(*model, transform, triangles, 0, false);
            break;
        }
        case 2: {
            float centre[3];
            Numbers(input, centre, 3);
            if (model->sphereCollision(centre, Number(input)))
                CheckHit(*model, transform, triangles, 0, false);
            break;
        }
        case 3:
            Transform(input, transform);
            model->setTransform(transform);
            break;
        }
    }
    return 0;
}
