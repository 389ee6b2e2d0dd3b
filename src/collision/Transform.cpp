#include "collision/Transform.h"

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

// Zero exactly when every value is finite: inf * 0 and NaN * 0 are NaN.
double finiteProbe(const double* m, int count) {
    double probe = 0.0;
    for (int i = 0; i < count; ++i)
        probe += m[i] * 0.0;
    return probe;
}

// The largest element of the linear part: what "singular" is measured against.
double linearScale(const double* m) {
    double scale = 0.0;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            const double v = std::fabs(m[4 * r + c]);
            scale = v > scale ? v : scale;
        }
    }
    return scale;
}

bool singularFor(double det, double scale) {
    return !(std::fabs(det) > 1e-12 * scale * scale * scale);
}

// Cofactors of the linear part, and its determinant.
double linearCofactors(const double* m, double c[9]) {
    c[0] = m[5] * m[10] - m[6] * m[9];
    c[1] = m[6] * m[8] - m[4] * m[10];
    c[2] = m[4] * m[9] - m[5] * m[8];
    c[3] = m[2] * m[9] - m[1] * m[10];
    c[4] = m[0] * m[10] - m[2] * m[8];
    c[5] = m[1] * m[8] - m[0] * m[9];
    c[6] = m[1] * m[6] - m[2] * m[5];
    c[7] = m[2] * m[4] - m[0] * m[6];
    c[8] = m[0] * m[5] - m[1] * m[4];
    return m[0] * c[0] + m[1] * c[1] + m[2] * c[2];
}

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
    return e(0, 0) * (e(1, 1) * e(2, 2) - e(1, 2) * e(2, 1))
        - e(0, 1) * (e(1, 0) * e(2, 2) - e(1, 2) * e(2, 0))
        + e(0, 2) * (e(1, 0) * e(2, 1) - e(1, 1) * e(2, 0));
}

bool generalInverse(const double* m, double scale, Transform& out) {
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
    if (singularFor(det, scale))
        return false;
    const double invDet = 1.0 / det;
    Transform result;
    // The adjugate is the transposed cofactor matrix.
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c)
            result.m[4 * r + c] = cofactor[4 * c + r] * invDet;
    }
    if (finiteProbe(result.m, 16) != 0.0)
        return false;
    out = result;
    return true;
}

} // namespace

bool Transform::invertible() const {
    if (finiteProbe(m, 16) != 0.0)
        return false;
    if (!isAffine()) {
        Transform unused;
        return generalInverse(m, linearScale(m), unused);
    }
    double c[9];
    return !singularFor(linearCofactors(m, c), linearScale(m));
}

bool Transform::inverted(Transform& out) const {
    if (finiteProbe(m, 16) != 0.0)
        return false;
    const double scale = linearScale(m);
    if (!isAffine())
        return generalInverse(m, scale, out);
    // For an affine matrix the adjugate of the whole reduces to that of its
    // linear part, and the translation is carried back through it.
    double c[9];
    const double det = linearCofactors(m, c);
    if (singularFor(det, scale))
        return false;
    const double invDet = 1.0 / det;
    Transform result;
    for (int r = 0; r < 3; ++r) {
        for (int k = 0; k < 3; ++k)
            result.m[4 * r + k] = c[3 * k + r] * invDet;
    }
    for (int k = 0; k < 3; ++k)
        result.m[12 + k] = -(m[12] * result.m[k] + m[13] * result.m[4 + k] + m[14] * result.m[8 + k]);
    if (finiteProbe(result.m, 16) != 0.0)
        return false;
    out = result;
    return true;
}

Transform operator*(const Transform& a, const Transform& b) {
    Transform p;
    if (a.isAffine() && b.isAffine()) {
        for (int i = 0; i < 4; ++i) {
            for (int j = 0; j < 3; ++j) {
                double sum = a.m[4 * i] * b.m[j] + a.m[4 * i + 1] * b.m[4 + j] + a.m[4 * i + 2] * b.m[8 + j];
                if (i == 3)
                    sum += b.m[12 + j];
                p.m[4 * i + j] = sum;
            }
        }
        return p;
    }
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
    a.translation
        = Vec3(static_cast<float>(t.m[12]), static_cast<float>(t.m[13]), static_cast<float>(t.m[14]));
    return a;
}

AffineMap AffineMap::product(const Transform& a, const Transform& b) {
    if (!a.isAffine() || !b.isAffine())
        return from(a * b);
    const double* x = a.m;
    const double* y = b.m;
    auto element = [x, y](int i, int j) {
        return static_cast<float>(
            x[4 * i] * y[j] + x[4 * i + 1] * y[4 + j] + x[4 * i + 2] * y[8 + j] + (i == 3 ? y[12 + j] : 0.0));
    };
    AffineMap p;
    p.row[0] = Vec3(element(0, 0), element(0, 1), element(0, 2));
    p.row[1] = Vec3(element(1, 0), element(1, 1), element(1, 2));
    p.row[2] = Vec3(element(2, 0), element(2, 1), element(2, 2));
    p.translation = Vec3(element(3, 0), element(3, 1), element(3, 2));
    return p;
}

} // namespace collision
