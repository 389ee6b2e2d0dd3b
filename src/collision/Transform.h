#pragma once

#include "collision/Vec3.h"

namespace collision {

// A 4 x 4 transform in the scene graph's memory layout: points are row
// vectors, so (x, y, z) maps to x * row 0 + y * row 1 + z * row 2 + row 3 and
// the product a * b applies a first, then b. Composition and inversion run in
// double so that large translations in a playground do not eat the small
// gaps between parts; only the final map is rounded to floats.
struct Transform {
    double m[16] = { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1 };

    static Transform fromFloats(const float* values);
    void toFloats(float* out) const;

    // Inverse by the adjugate over the determinant. False when the matrix is
    // not finite or singular for its scale; `out` is then left unchanged.
    bool inverted(Transform& out) const;

    // Whether the matrix can be inverted (the same judgement as inverted()).
    bool invertible() const;

    // No projective part: the last column is (0, 0, 0, 1), as for every
    // placement. Such matrices take the short ways through inversion and
    // products.
    bool isAffine() const { return m[3] == 0.0 && m[7] == 0.0 && m[11] == 0.0 && m[15] == 1.0; }
};

Transform operator*(const Transform& a, const Transform& b);

// The affine part of a transform, rounded to floats, for the inner loops.
struct AffineMap {
    Vec3 row[3] = { { 1, 0, 0 }, { 0, 1, 0 }, { 0, 0, 1 } };
    Vec3 translation;

    static AffineMap from(const Transform& t);
    // The affine part of a * b.
    static AffineMap product(const Transform& a, const Transform& b);

    Vec3 point(const Vec3& p) const { return row[0] * p.x + row[1] * p.y + row[2] * p.z + translation; }
    Vec3 direction(const Vec3& d) const { return row[0] * d.x + row[1] * d.y + row[2] * d.z; }
};

} // namespace collision
