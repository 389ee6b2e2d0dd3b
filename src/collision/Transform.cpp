#include "collision/Transform.h"

#include <algorithm>
#include <cmath>

namespace collision {

Transform Transform::fromFloats(const float* values) {
    Transform t;
    for (int i = 0; i < 16; ++i)
        t.m[i] = values[i];
    return t;
}

void Transform::toFloats(float* out) const {
    for (int i = 0; i < 16; ++i)
        out[i] = static_cast<float>(m[i]);
}

namespace {

// Determinant of the 3 x 3 minor of `m` that leaves out row `r` and column `c`.
double minor3(const double* m, int r, int c) {
    int rows[3];
    int cols[3];
    for (int i = 0, k = 0; i < 4; ++i) {
        if (i != r)
            rows[k++] = i;
    }
    for (int j = 0, k = 0; j < 4; ++j) {
        if (j != c)
            cols[k++] = j;
    }
    auto e = [&](int i, int j) { return m[4 * rows[i] + cols[j]]; };
    return e(0, 0) * (e(1, 1) * e(2, 2) - e(1, 2) * e(2, 1)) - e(0, 1) * (e(1, 0) * e(2, 2) - e(1, 2) * e(2, 0))
        + e(0, 2) * (e(1, 0) * e(2, 1) - e(1, 1) * e(2, 0));
}

} // namespace

bool Transform::inverted(Transform& out) const {
    for (double v : m) {
        if (!std::isfinite(v))
            return false;
    }
    double cofactor[16];
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            const double sign = ((r + c) & 1) ? -1.0 : 1.0;
            cofactor[4 * r + c] = sign * minor3(m, r, c);
        }
    }
    double det = 0.0;
    for (int c = 0; c < 4; ++c)
        det += m[c] * cofactor[c];
    // Singular means singular for the matrix's own scale: a part scaled down
    // to millimetres is fine, an axis squashed to nothing is not.
    double scale = 0.0;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            scale = std::max(scale, std::fabs(m[4 * r + c]));
    }
    if (!(std::fabs(det) > 1e-12 * scale * scale * scale))
        return false;
    const double invDet = 1.0 / det;
    Transform result;
    // The adjugate is the transposed cofactor matrix.
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c)
            result.m[4 * r + c] = cofactor[4 * c + r] * invDet;
    }
    for (double v : result.m) {
        if (!std::isfinite(v))
            return false;
    }
    out = result;
    return true;
}

Transform operator*(const Transform& a, const Transform& b) {
    Transform p;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k)
                sum += a.m[4 * i + k] * b.m[4 * k + j];
            p.m[4 * i + j] = sum;
        }
    }
    return p;
}

AffineMap AffineMap::from(const Transform& t) {
    AffineMap a;
    for (int r = 0; r < 3; ++r) {
        a.row[r] = Vec3(static_cast<float>(t.m[4 * r]), static_cast<float>(t.m[4 * r + 1]),
            static_cast<float>(t.m[4 * r + 2]));
    }
    a.translation = Vec3(static_cast<float>(t.m[12]), static_cast<float>(t.m[13]), static_cast<float>(t.m[14]));
    return a;
}

} // namespace collision
