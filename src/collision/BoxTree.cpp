#include "collision/BoxTree.h"

#include <algorithm>
#include <cmath>

namespace collision {

namespace {

struct Bounds {
    Vec3 low;
    Vec3 high;
};

Bounds triangleBounds(const Triangle& t) {
    return { minimum(minimum(t.p, t.q), t.r), maximum(maximum(t.p, t.q), t.r) };
}

void setBox(BoxNode& node, const Bounds& b) {
    const Vec3 size = b.high - b.low;
    node.half = size * 0.5f;
    node.centre = b.low + node.half;
}

// A range of the builder's index list that still has to be split, and the
// node it belongs to.
struct Pending {
    std::int32_t node;
    std::int32_t begin;
    std::int32_t end;
};

} // namespace

void BoxTree::build(const std::vector<Triangle>& store) {
    m_nodes.clear();
    m_oriented.clear();
    m_triangles.clear();
    m_reach = 0.0f;

    std::vector<std::int32_t> order;
    order.reserve(store.size());
    for (std::size_t i = 0; i < store.size(); ++i) {
        const Triangle& t = store[i];
        if (isFinite(t.p) && isFinite(t.q) && isFinite(t.r))
            order.push_back(static_cast<std::int32_t>(i));
    }

    m_nodes.emplace_back();
    BoxNode& root = m_nodes.front();
    root.centre = Vec3();
    root.half = Vec3();
    if (order.empty()) {
        fitOrientedBoxes();
        return;
    }

    std::vector<Vec3> centres(store.size());
    std::vector<Bounds> bounds(store.size());
    for (std::int32_t i : order) {
        centres[static_cast<std::size_t>(i)] = store[static_cast<std::size_t>(i)].centre();
        bounds[static_cast<std::size_t>(i)] = triangleBounds(store[static_cast<std::size_t>(i)]);
    }

    // A tree over n triangles has at most 2n - 1 nodes.
    m_nodes.reserve(2 * order.size());
    std::vector<std::int32_t> upper;
    upper.reserve(order.size());
    std::vector<Pending> pending;
    pending.push_back({ kRoot, 0, static_cast<std::int32_t>(order.size()) });

    while (!pending.empty()) {
        const Pending work = pending.back();
        pending.pop_back();
        const std::int32_t n = work.end - work.begin;

        // Fit: the box over all vertices, and the mean of the centres summed in
        // list order; the rounding of that sum decides close splits, so it is
        // part of the tree's shape.
        Bounds box = bounds[static_cast<std::size_t>(order[static_cast<std::size_t>(work.begin)])];
        Vec3 sum;
        for (std::int32_t k = work.begin; k < work.end; ++k) {
            const std::size_t t = static_cast<std::size_t>(order[static_cast<std::size_t>(k)]);
            box.low = minimum(box.low, bounds[t].low);
            box.high = maximum(box.high, bounds[t].high);
            sum = sum + centres[t];
        }
        setBox(m_nodes[static_cast<std::size_t>(work.node)], box);
        const Vec3 mean = sum * (1.0f / static_cast<float>(n));

        Vec3 spread;
        for (std::int32_t k = work.begin; k < work.end; ++k) {
            const Vec3& c = centres[static_cast<std::size_t>(order[static_cast<std::size_t>(k)])];
            spread = spread + absolute(c - mean);
        }
        int axis = 0;
        if (spread.y > spread.x && spread.y > spread.z)
            axis = 1;
        else if (spread.z > spread.x && spread.z > spread.y)
            axis = 2;
        const float split = mean[axis];

        // Stable partition: both halves keep the list order of their parent.
        upper.clear();
        std::int32_t middle = work.begin;
        for (std::int32_t k = work.begin; k < work.end; ++k) {
            const std::int32_t t = order[static_cast<std::size_t>(k)];
            if (centres[static_cast<std::size_t>(t)][axis] < split)
                order[static_cast<std::size_t>(middle++)] = t;
            else
                upper.push_back(t);
        }
        for (std::size_t k = 0; k < upper.size(); ++k)
            order[static_cast<std::size_t>(middle) + k] = upper[k];

        BoxNode& node = m_nodes[static_cast<std::size_t>(work.node)];
        if (middle == work.begin || middle == work.end) {
            // Nothing separates these triangles at their mean: one group.
            node.first = work.begin;
            node.count = n;
            continue;
        }

        const std::int32_t firstChild = static_cast<std::int32_t>(m_nodes.size());
        node.first = firstChild;
        node.count = 0;
        m_nodes.emplace_back();
        m_nodes.emplace_back();
        const Pending halves[2]
            = { { firstChild, work.begin, middle }, { firstChild + 1, middle, work.end } };
        for (int h = 1; h >= 0; --h) {
            const Pending& half = halves[h];
            if (half.end - half.begin == 1) {
                BoxNode& leaf = m_nodes[static_cast<std::size_t>(half.node)];
                setBox(leaf, bounds[static_cast<std::size_t>(order[static_cast<std::size_t>(half.begin)])]);
                leaf.first = half.begin;
                leaf.count = 1;
            } else {
                pending.push_back(half);
            }
        }
    }

    m_triangles.reserve(order.size());
    for (std::int32_t i : order)
        m_triangles.push_back({ store[static_cast<std::size_t>(i)], i });
    const Vec3 far = absolute(m_nodes.front().centre) + m_nodes.front().half;
    m_reach = std::max({ far.x, far.y, far.z });
    fitOrientedBoxes();
}

namespace {

// First and second moments of a set of points, in double.
struct Moments {
    double n = 0.0;
    double s[3] = { 0.0, 0.0, 0.0 };
    double ss[6] = { 0.0, 0.0, 0.0, 0.0, 0.0, 0.0 }; // xx yy zz xy xz yz

    void add(const Vec3& v) {
        const double x = v.x, y = v.y, z = v.z;
        n += 1.0;
        s[0] += x;
        s[1] += y;
        s[2] += z;
        ss[0] += x * x;
        ss[1] += y * y;
        ss[2] += z * z;
        ss[3] += x * y;
        ss[4] += x * z;
        ss[5] += y * z;
    }
    void add(const Moments& o) {
        n += o.n;
        for (int i = 0; i < 3; ++i)
            s[i] += o.s[i];
        for (int i = 0; i < 6; ++i)
            ss[i] += o.ss[i];
    }
};

struct Vec3d {
    double x, y, z;
};

Vec3d crossd(const Vec3d& a, const Vec3d& b) {
    return { a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x };
}
double dotd(const Vec3d& a, const Vec3d& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec3d scaled(const Vec3d& a, double s) {
    return { a.x * s, a.y * s, a.z * s };
}

// Some unit vector at right angles to the unit vector v.
Vec3d perpendicular(const Vec3d& v) {
    const Vec3d w = std::fabs(v.x) < 0.6 ? crossd(v, { 1, 0, 0 }) : crossd(v, { 0, 1, 0 });
    return scaled(w, 1.0 / std::sqrt(dotd(w, w)));
}

// A unit eigenvector of the symmetric matrix a for the eigenvalue e: the
// longest cross product of two rows of a - e I. False when a - e I has rank
// below 2 (a repeated eigenvalue), where any vector of a plane would do.
bool eigenvector(const double a[3][3], double e, Vec3d& out) {
    const Vec3d r0 { a[0][0] - e, a[0][1], a[0][2] };
    const Vec3d r1 { a[1][0], a[1][1] - e, a[1][2] };
    const Vec3d r2 { a[2][0], a[2][1], a[2][2] - e };
    const Vec3d c[3] = { crossd(r0, r1), crossd(r0, r2), crossd(r1, r2) };
    int best = 0;
    double longest = dotd(c[0], c[0]);
    for (int k = 1; k < 3; ++k) {
        const double l = dotd(c[k], c[k]);
        if (l > longest) {
            longest = l;
            best = k;
        }
    }
    const double scale = dotd(r0, r0) + dotd(r1, r1) + dotd(r2, r2);
    if (!(longest > 1e-20 * scale * scale))
        return false;
    out = scaled(c[best], 1.0 / std::sqrt(longest));
    return true;
}

// The principal axes of a point set from its covariance matrix a, as the rows
// of `axes`: eigenvalues in closed form (the trigonometric solution of the
// characteristic cubic), eigenvectors from the rows. Any orthonormal frame
// gives a box that holds the points; these merely give a snug one.
void principalAxes(const double a[3][3], double axes[3][3]) {
    Vec3d v0 { 1, 0, 0 };
    Vec3d v2 { 0, 0, 1 };
    const double off = a[0][1] * a[0][1] + a[0][2] * a[0][2] + a[1][2] * a[1][2];
    const double q = (a[0][0] + a[1][1] + a[2][2]) / 3.0;
    const double d0 = a[0][0] - q, d1 = a[1][1] - q, d2 = a[2][2] - q;
    const double p2 = d0 * d0 + d1 * d1 + d2 * d2 + 2.0 * off;
    if (off > 1e-24 * p2 && p2 > 0.0) {
        const double p = std::sqrt(p2 / 6.0);
        const double b[3][3] = { { d0 / p, a[0][1] / p, a[0][2] / p }, { a[1][0] / p, d1 / p, a[1][2] / p },
            { a[2][0] / p, a[2][1] / p, d2 / p } };
        const double det = b[0][0] * (b[1][1] * b[2][2] - b[1][2] * b[2][1])
            - b[0][1] * (b[1][0] * b[2][2] - b[1][2] * b[2][0])
            + b[0][2] * (b[1][0] * b[2][1] - b[1][1] * b[2][0]);
        const double r = std::clamp(det / 2.0, -1.0, 1.0);
        const double phi = std::acos(r) / 3.0;
        const double largest = q + 2.0 * p * std::cos(phi);
        const double smallest = q + 2.0 * p * std::cos(phi + 2.0943951023931953);
        if (!eigenvector(a, largest, v0) && !eigenvector(a, smallest, v0))
            v0 = { 1, 0, 0 };
        Vec3d w;
        if (eigenvector(a, smallest, w)) {
            w = { w.x - v0.x * dotd(w, v0), w.y - v0.y * dotd(w, v0), w.z - v0.z * dotd(w, v0) };
            const double l = dotd(w, w);
            v2 = l > 1e-12 ? scaled(w, 1.0 / std::sqrt(l)) : perpendicular(v0);
        } else {
            v2 = perpendicular(v0);
        }
    }
    const Vec3d v1 = crossd(v2, v0);
    const Vec3d rows[3] = { v0, v1, v2 };
    for (int i = 0; i < 3; ++i) {
        axes[i][0] = rows[i].x;
        axes[i][1] = rows[i].y;
        axes[i][2] = rows[i].z;
    }
}

Vec3 unit(double x, double y, double z) {
    const double l = std::sqrt(x * x + y * y + z * z);
    return { static_cast<float>(x / l), static_cast<float>(y / l), static_cast<float>(z / l) };
}

// Axes for one triangle: its longest edge, its normal, and the third.
bool triangleAxes(const Triangle& t, Vec3 axes[3]) {
    const Vec3 edges[3] = { t.q - t.p, t.r - t.q, t.p - t.r };
    int longest = 0;
    for (int k = 1; k < 3; ++k) {
        if (dot(edges[k], edges[k]) > dot(edges[longest], edges[longest]))
            longest = k;
    }
    const Vec3& e = edges[longest];
    const Vec3 n = cross(edges[0], edges[1]);
    const double el = dot(e, e);
    const double nl = dot(n, n);
    if (!(el > 0.0) || !(nl > 1e-12 * el * el))
        return false;
    axes[0] = unit(e.x, e.y, e.z);
    axes[2] = unit(n.x, n.y, n.z);
    const Vec3 third = cross(axes[2], axes[0]);
    axes[1] = unit(third.x, third.y, third.z);
    return true;
}

} // namespace

void BoxTree::fitOrientedBoxes() {
    const std::size_t count = m_nodes.size();
    m_oriented.assign(count, OrientedNode {});
    std::vector<Moments> moments(count);
    std::vector<std::int32_t> begin(count, 0);
    std::vector<std::int32_t> end(count, 0);
    // Children always follow their parent, so walking backwards visits every
    // node after both of its children.
    for (std::size_t k = count; k-- > 0;) {
        const BoxNode& node = m_nodes[k];
        OrientedNode& oriented = m_oriented[k];
        oriented.first = node.first;
        oriented.count = node.count;
        oriented.volume = splitVolume(node);
        oriented.axis[0] = Vec3(1, 0, 0);
        oriented.axis[1] = Vec3(0, 1, 0);
        oriented.axis[2] = Vec3(0, 0, 1);
        oriented.centre = node.centre;
        oriented.half = node.half;
        if (node.hasChildren()) {
            const std::size_t c = static_cast<std::size_t>(node.first);
            moments[k] = moments[c];
            moments[k].add(moments[c + 1]);
            begin[k] = begin[c];
            end[k] = end[c + 1];
        } else if (node.hasTriangles()) {
            begin[k] = node.first;
            end[k] = node.first + node.count;
            for (std::int32_t t = begin[k]; t < end[k]; ++t) {
                const Triangle& tri = m_triangles[static_cast<std::size_t>(t)].triangle;
                moments[k].add(tri.p);
                moments[k].add(tri.q);
                moments[k].add(tri.r);
            }
        } else {
            continue;
        }

        Vec3 axes[3];
        bool fitted = false;
        if (node.count == 1)
            fitted = triangleAxes(m_triangles[static_cast<std::size_t>(node.first)].triangle, axes);
        if (!fitted) {
            const Moments& m = moments[k];
            const double mean[3] = { m.s[0] / m.n, m.s[1] / m.n, m.s[2] / m.n };
            double c[3][3];
            c[0][0] = m.ss[0] / m.n - mean[0] * mean[0];
            c[1][1] = m.ss[1] / m.n - mean[1] * mean[1];
            c[2][2] = m.ss[2] / m.n - mean[2] * mean[2];
            c[0][1] = c[1][0] = m.ss[3] / m.n - mean[0] * mean[1];
            c[0][2] = c[2][0] = m.ss[4] / m.n - mean[0] * mean[2];
            c[1][2] = c[2][1] = m.ss[5] / m.n - mean[1] * mean[2];
            double v[3][3];
            principalAxes(c, v);
            for (int i = 0; i < 3; ++i)
                axes[i] = unit(v[i][0], v[i][1], v[i][2]);
        }

        // Extents: every vertex projected onto the axes. The box is widened by
        // what rounding the projections, the centre and the extents may cost
        // (a few float steps of the coordinates involved), so that it holds
        // every vertex it was fitted to.
        const Vec3& p0 = m_triangles[static_cast<std::size_t>(begin[k])].triangle.p;
        Vec3 low(dot(p0, axes[0]), dot(p0, axes[1]), dot(p0, axes[2]));
        Vec3 high = low;
        for (std::int32_t t = begin[k]; t < end[k]; ++t) {
            const Triangle& tri = m_triangles[static_cast<std::size_t>(t)].triangle;
            for (const Vec3* v : { &tri.p, &tri.q, &tri.r }) {
                const Vec3 along(dot(*v, axes[0]), dot(*v, axes[1]), dot(*v, axes[2]));
                low = minimum(low, along);
                high = maximum(high, along);
            }
        }
        const Vec3 middle = (low + high) * 0.5f;
        const Vec3 half = (high - low) * 0.5f;
        const Vec3 size = absolute(middle) + half;
        const float widen = 8e-7f * (size.x + size.y + size.z);
        for (int i = 0; i < 3; ++i)
            oriented.axis[i] = axes[i];
        oriented.centre = axes[0] * middle.x + axes[1] * middle.y + axes[2] * middle.z;
        oriented.half = half + Vec3(widen, widen, widen);
    }
}

float BoxTree::splitVolume(const BoxNode& n) {
    const float sx = n.half.x > 0.0f ? n.half.x * 2.0f : 0.002f;
    const float sy = n.half.y > 0.0f ? n.half.y * 2.0f : 0.002f;
    const float sz = n.half.z > 0.0f ? n.half.z * 2.0f : 0.002f;
    return sx * sy * sz;
}

bool BoxTree::isBoxedTriangle(int index) const {
    return index != kRoot && node(index).count == 1;
}

int BoxTree::childCount(int index) const {
    return node(index).hasChildren() ? 2 : 0;
}

int BoxTree::childAt(int index, int child) const {
    const BoxNode& n = node(index);
    if (!n.hasChildren() || child < 0 || child > 1)
        return -1;
    return n.first + child;
}

int BoxTree::triangleCount(int index) const {
    return node(index).count;
}

int BoxTree::triangleAt(int index, int i) const {
    const BoxNode& n = node(index);
    if (i < 0 || i >= n.count)
        return -1;
    return m_triangles[static_cast<std::size_t>(n.first + i)].index;
}

Box BoxTree::nodeBox(int index) const {
    const BoxNode& n = node(index);
    if (n.count == 0 && n.first < 0)
        return {};
    // The triangles below a node are one run of the tree-ordered list.
    int lowest = index;
    while (node(lowest).hasChildren())
        lowest = node(lowest).first;
    int highest = index;
    while (node(highest).hasChildren())
        highest = node(highest).first + 1;
    const int begin = node(lowest).first;
    const int end = node(highest).first + node(highest).count;
    Bounds b = triangleBounds(m_triangles[static_cast<std::size_t>(begin)].triangle);
    for (int k = begin + 1; k < end; ++k) {
        const Bounds t = triangleBounds(m_triangles[static_cast<std::size_t>(k)].triangle);
        b.low = minimum(b.low, t.low);
        b.high = maximum(b.high, t.high);
    }
    Box box { b.low, b.high - b.low };
    if (isBoxedTriangle(index))
        return box;
    for (int axis = 0; axis < 3; ++axis) {
        if (box.size[axis] == 0.0f) {
            box.size.at(axis) = 0.002f;
            box.position.at(axis) -= 0.001f;
        }
    }
    return box;
}

} // namespace collision
