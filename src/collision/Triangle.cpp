#include "collision/Triangle.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace collision {

namespace {

// The interval test runs in double: when two planes are nearly parallel the
// line they share is known only as well as their normals, and float normals
// of thin triangles are too coarse for it (two side-by-side faces of one
// plane would then seem to cross). Products and differences of the float
// inputs are exact in double, so the test decides the triangles as given.
struct D3 {
    double x, y, z;
    double operator[](int axis) const { return axis == 0 ? x : (axis == 1 ? y : z); }
};

D3 toD3(const Vec3& v) {
    return { v.x, v.y, v.z };
}
D3 operator-(const D3& a, const D3& b) {
    return { a.x - b.x, a.y - b.y, a.z - b.z };
}
double dotD(const D3& a, const D3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
D3 crossD(const D3& a, const D3& b) {
    return { a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x };
}

constexpr double kPlaneEpsilon = 1e-6;

// Signed distances (scaled by |n|) of three vertices to the plane n . x + d = 0.
// A distance below the epsilon, measured as a true distance, becomes 0;
// `snapped` tells whether that moved any vertex.
struct PlaneSides {
    double d0, d1, d2;
    bool snapped;

    bool oneSide() const { return d0 * d1 > 0.0 && d0 * d2 > 0.0; }
    bool inPlane() const { return d0 == 0.0 && d1 == 0.0 && d2 == 0.0; }
};

PlaneSides planeSides(const D3& n, double d, const D3 v[3]) {
    PlaneSides s { dotD(n, v[0]) + d, dotD(n, v[1]) + d, dotD(n, v[2]) + d, false };
    const double limit = kPlaneEpsilon * kPlaneEpsilon * dotD(n, n);
    for (double* side : { &s.d0, &s.d1, &s.d2 }) {
        if (*side != 0.0 && *side * *side < limit) {
            *side = 0.0;
            s.snapped = true;
        }
    }
    return s;
}

// Whether no axis separates the triangles by more than the epsilon, over the
// complete set of axes for two triangles: both normals, the nine edge cross
// products and each edge's normal within its own plane.
bool withinEpsilon(const D3 a[3], const D3 b[3], const D3& na, const D3& nb) {
    const D3 ea[3] = { a[1] - a[0], a[2] - a[1], a[0] - a[2] };
    const D3 eb[3] = { b[1] - b[0], b[2] - b[1], b[0] - b[2] };
    auto separates = [&](const D3& axis, double scaleSquared) {
        const double lengthSquared = dotD(axis, axis);
        // A cross product of nearly parallel vectors has no reliable direction.
        if (!(lengthSquared > 1e-16 * scaleSquared))
            return false;
        double aLow = dotD(axis, a[0]);
        double aHigh = aLow;
        double bLow = dotD(axis, b[0]);
        double bHigh = bLow;
        for (int k = 1; k < 3; ++k) {
            const double pa = dotD(axis, a[k]);
            const double pb = dotD(axis, b[k]);
            aLow = std::min(aLow, pa);
            aHigh = std::max(aHigh, pa);
            bLow = std::min(bLow, pb);
            bHigh = std::max(bHigh, pb);
        }
        const double gap = std::max(bLow - aHigh, aLow - bHigh);
        return gap > 0.0 && gap * gap > kPlaneEpsilon * kPlaneEpsilon * lengthSquared;
    };
    if (separates(na, 0.0) || separates(nb, 0.0))
        return false;
    for (const D3& e : ea) {
        for (const D3& f : eb) {
            if (separates(crossD(e, f), dotD(e, e) * dotD(f, f)))
                return false;
        }
    }
    for (int k = 0; k < 3; ++k) {
        if (separates(crossD(na, ea[k]), dotD(na, na) * dotD(ea[k], ea[k]))
            || separates(crossD(nb, eb[k]), dotD(nb, nb) * dotD(eb[k], eb[k])))
            return false;
    }
    return true;
}

// Where the triangle's edges cross the other plane, as an interval on the
// line both planes share (projected on one coordinate axis). `lone` is the
// vertex alone on its side.
void crossing(double lone, double a, double b, double dLone, double dA, double dB, double& from, double& to) {
    from = lone + (a - lone) * dLone / (dLone - dA);
    to = lone + (b - lone) * dLone / (dLone - dB);
}

// The vertices must not all lie in the other plane (the coplanar case).
void interval(const double v[3], const PlaneSides& s, double& from, double& to) {
    if (s.d0 * s.d1 > 0.0)
        crossing(v[2], v[0], v[1], s.d2, s.d0, s.d1, from, to);
    else if (s.d0 * s.d2 > 0.0)
        crossing(v[1], v[0], v[2], s.d1, s.d0, s.d2, from, to);
    else if (s.d1 * s.d2 > 0.0 || s.d0 != 0.0)
        crossing(v[0], v[1], v[2], s.d0, s.d1, s.d2, from, to);
    else if (s.d1 != 0.0)
        crossing(v[1], v[0], v[2], s.d1, s.d0, s.d2, from, to);
    else
        crossing(v[2], v[0], v[1], s.d2, s.d0, s.d1, from, to);
    if (from > to)
        std::swap(from, to);
}

struct Point2 {
    double x, y;
};

// Segment a0-a1 against segment b0-b1 in 2-D; parallel segments never meet here
// (their overlap is caught by the point-in-triangle tests).
bool edgesMeet(const Point2& a0, const Point2& a1, const Point2& b0, const Point2& b1) {
    const double ax = a1.x - a0.x;
    const double ay = a1.y - a0.y;
    const double bx = b0.x - b1.x;
    const double by = b0.y - b1.y;
    const double cx = a0.x - b0.x;
    const double cy = a0.y - b0.y;
    const double f = ay * bx - ax * by;
    const double d = by * cx - bx * cy;
    if ((f > 0.0 && d >= 0.0 && d <= f) || (f < 0.0 && d <= 0.0 && d >= f)) {
        const double e = ax * cy - ay * cx;
        if (f > 0.0)
            return e >= 0.0 && e <= f;
        return e <= 0.0 && e >= f;
    }
    return false;
}

// Strictly inside: a point on an edge is left to the edge tests.
bool pointInTriangle2(const Point2& p, const Point2 t[3]) {
    double side[3];
    for (int k = 0; k < 3; ++k) {
        const Point2& s = t[k];
        const Point2& e = t[(k + 1) % 3];
        const double a = e.y - s.y;
        const double b = -(e.x - s.x);
        const double c = -a * s.x - b * s.y;
        side[k] = a * p.x + b * p.y + c;
    }
    return side[0] * side[1] > 0.0 && side[0] * side[2] > 0.0;
}

bool coplanarIntersect(const D3& n, const D3 a[3], const D3 b[3]) {
    const double mx = std::fabs(n.x);
    const double my = std::fabs(n.y);
    const double mz = std::fabs(n.z);
    int i0;
    int i1;
    if (mx > my) {
        if (mx > mz) {
            i0 = 1;
            i1 = 2;
        } else {
            i0 = 0;
            i1 = 1;
        }
    } else if (mz > my) {
        i0 = 0;
        i1 = 1;
    } else {
        i0 = 0;
        i1 = 2;
    }
    Point2 pa[3];
    Point2 pb[3];
    for (int k = 0; k < 3; ++k) {
        pa[k] = { a[k][i0], a[k][i1] };
        pb[k] = { b[k][i0], b[k][i1] };
    }
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            if (edgesMeet(pa[i], pa[(i + 1) % 3], pb[j], pb[(j + 1) % 3]))
                return true;
        }
    }
    return pointInTriangle2(pa[0], pb) || pointInTriangle2(pb[0], pa);
}

} // namespace

bool trianglesIntersect(const Triangle& first, const Triangle& second) {
    const D3 a[3] = { toD3(first.p), toD3(first.q), toD3(first.r) };
    const D3 b[3] = { toD3(second.p), toD3(second.q), toD3(second.r) };

    const D3 na = crossD(a[1] - a[0], a[2] - a[0]);
    const D3 nb = crossD(b[1] - b[0], b[2] - b[0]);
    // A triangle without area (its corners on one line, or one point) has no
    // plane to measure sides against. Against a real triangle it is the
    // segment or point it is, decided over every axis that can separate the
    // two; two of them have nothing to meet in.
    const bool aFlat = !(dotD(na, na) > 0.0);
    const bool bFlat = !(dotD(nb, nb) > 0.0);
    if (aFlat || bFlat)
        return !(aFlat && bFlat) && withinEpsilon(a, b, na, nb);

    const PlaneSides sb = planeSides(na, -dotD(na, a[0]), b);
    if (sb.oneSide())
        return false;

    const PlaneSides sa = planeSides(nb, -dotD(nb, b[0]), a);
    if (sa.oneSide())
        return false;

    // One triangle lies in the other's plane: compare them in that plane.
    if (sb.inPlane())
        return coplanarIntersect(na, a, b);
    if (sa.inPlane())
        return coplanarIntersect(nb, a, b);

    // Vertices moved onto a plane no longer lie where the line the planes
    // share is computed from; for nearly parallel planes that line runs far
    // from them, and the interval test would see two triangles side by side
    // in one plane as crossing. Such near contacts are settled by whether
    // the triangles come within the epsilon of each other.
    if (sa.snapped || sb.snapped)
        return withinEpsilon(a, b, na, nb);

    // Both triangles cross the line shared by the two planes; project onto the
    // coordinate axis along which that line runs the most.
    const D3 line = crossD(na, nb);
    const double lx = std::fabs(line.x);
    const double ly = std::fabs(line.y);
    const double lz = std::fabs(line.z);
    int axis = 0;
    double largest = lx;
    if (ly > largest) {
        largest = ly;
        axis = 1;
    }
    if (lz > largest)
        axis = 2;

    const double va[3] = { a[0][axis], a[1][axis], a[2][axis] };
    const double vb[3] = { b[0][axis], b[1][axis], b[2][axis] };
    double a0 = 0.0;
    double a1 = 0.0;
    double b0 = 0.0;
    double b1 = 0.0;
    interval(va, sa, a0, a1);
    interval(vb, sb, b0, b1);
    return !(a1 < b0 || b1 < a0);
}

bool insideTriangle(const Triangle& t, const Vec3& n, const Vec3& x) {
    const float ax = std::fabs(n.x);
    const float ay = std::fabs(n.y);
    const float az = std::fabs(n.z);
    int i;
    int j;
    if (ax > ay && ax > az) {
        i = 1;
        j = 2;
    } else if (ay >= ax && ay > az) {
        i = 0;
        j = 2;
    } else {
        i = 0;
        j = 1;
    }
    const Vec3 u = t.q - t.p;
    const Vec3 w = t.r - t.p;
    const Vec3 p = x - t.p;
    float alpha;
    float beta;
    if (u[i] != 0.0f) {
        beta = (u[i] * p[j] - p[i] * u[j]) / (u[i] * w[j] - w[i] * u[j]);
        if (!(beta >= 0.0f && beta <= 1.0f))
            return false;
        alpha = (p[i] - beta * w[i]) / u[i];
    } else {
        beta = p[i] / w[i];
        if (!(beta >= 0.0f && beta <= 1.0f))
            return false;
        alpha = (p[j] - beta * w[j]) / u[j];
    }
    return alpha >= 0.0f && alpha + beta <= 1.0f;
}

namespace {

Vec3 unitNormal(const Triangle& t) {
    const Vec3 n = t.planeNormal();
    const float length = std::sqrt(dot(n, n));
    return length > 0.0f ? n * (1.0f / length) : n;
}

} // namespace

bool rayHitsTriangle(const Triangle& t, const Vec3& origin, const Vec3& direction, float segmentMax,
    float& hitParameter, Vec3& hitPoint) {
    const Vec3 n = unitNormal(t);
    const float e = dot(n, direction);
    if (std::fabs(e) < 1e-8f)
        return false;
    const float s = -(dot(n, origin) - dot(n, t.p)) / e;
    if (!(s > 0.0f && s <= segmentMax))
        return false;
    const Vec3 x = origin + direction * s;
    if (!insideTriangle(t, n, x))
        return false;
    hitParameter = s;
    hitPoint = x;
    return true;
}

bool sphereHitsTriangle(const Triangle& t, const Vec3& centre, float radius, Vec3& point) {
    const Vec3 n = unitNormal(t);
    const float s = dot(n, centre) - dot(n, t.p);
    if (!(std::fabs(s) <= radius))
        return false;
    const Vec3 foot = centre - n * s;
    point = foot;
    if (insideTriangle(t, n, foot))
        return true;
    const double radiusSquared = static_cast<double>(radius) * radius;
    const Vec3 corners[3] = { t.p, t.q, t.r };
    for (int k = 0; k < 3; ++k) {
        const Vec3& start = corners[k];
        const Vec3& end = corners[(k + 1) % 3];
        const Vec3 edge = end - start;
        const float lengthSquared = dot(edge, edge);
        float along = lengthSquared > 0.0f ? dot(centre - start, edge) / lengthSquared : 0.0f;
        if (!(along >= 0.0f))
            along = 0.0f;
        else if (along > 1.0f)
            along = 1.0f;
        point = start + edge * along;
        const double dx = static_cast<double>(point.x) - centre.x;
        const double dy = static_cast<double>(point.y) - centre.y;
        const double dz = static_cast<double>(point.z) - centre.z;
        if (dx * dx + dy * dy + dz * dz < radiusSquared)
            return true;
    }
    return false;
}

namespace {

struct Plane {
    Vec3 n;
    float e;
};

Plane planeOf(const Triangle& t) {
    const Vec3 n = unitNormal(t);
    return { n, -dot(n, t.p) };
}

// One half of the contact construction: the edges of `edges` that leave the
// vertex alone on its side of `against`'s plane are cut with the middle plane
// (m, e); the first cut point inside `inside` is the answer.
bool cutInside(const Triangle& edges, const Plane& against, const Vec3& m, float e, const Triangle& inside,
    const Vec3& insideNormal, Vec3& result, bool& separate) {
    const float f1 = dot(against.n, edges.p) + against.e;
    const float f2 = dot(against.n, edges.q) + against.e;
    const float f3 = dot(against.n, edges.r) + against.e;
    separate = f1 * f2 > 0.0f && f2 * f3 > 0.0f;
    if (separate)
        return false;
    int k;
    if (f1 * f2 < 0.0f)
        k = f2 * f3 < 0.0f ? 1 : 0;
    else
        k = 2;
    auto vertex = [&edges](int number) -> const Vec3& {
        switch (number) {
        case 0:
        case 3:
            return edges.p;
        case 2:
            return edges.r;
        default:
            return edges.q;
        }
    };
    const Vec3& a = vertex(k + 1);
    const Vec3& b = vertex(k);
    const Vec3& c = vertex(k + 2);
    float t = -(dot(m, a) + e) / dot(m, b - a);
    Vec3 x = a + (b - a) * t;
    if (isFinite(x) && insideTriangle(inside, insideNormal, x)) {
        result = x;
        return true;
    }
    t = -(dot(m, c) + e) / dot(m, b - c);
    x = c + (b - c) * t;
    if (isFinite(x) && insideTriangle(inside, insideNormal, x)) {
        result = x;
        return true;
    }
    return false;
}

} // namespace

Vec3 contactPoint(const Triangle& first, const Triangle& second) {
    const Plane one = planeOf(first);
    const Plane two = planeOf(second);
    const Vec3 m = one.n + two.n;
    const float e = one.e + two.e;
    Vec3 result;
    bool separate = false;
    if (cutInside(second, one, m, e, first, one.n, result, separate))
        return result;
    if (separate)
        return {};
    if (cutInside(first, two, m, e, second, two.n, result, separate))
        return result;
    return {};
}

} // namespace collision
