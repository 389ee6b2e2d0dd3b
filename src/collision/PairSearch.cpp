#include "collision/PairSearch.h"

#include "collision/WorkStack.h"

#include <algorithm>
#include <cmath>

namespace collision {

namespace {

struct Vec3d {
    double x, y, z;
};

Vec3d toDouble(const Vec3& v) { return { v.x, v.y, v.z }; }
double dotd(const Vec3d& a, const Vec3d& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double lengthd(const Vec3d& a) { return std::sqrt(dotd(a, a)); }
Vec3 absolutef(const Vec3d& a) {
    return { static_cast<float>(std::fabs(a.x)), static_cast<float>(std::fabs(a.y)),
        static_cast<float>(std::fabs(a.z)) };
}

// The largest coordinate magnitude of a tree's root box: the size of the
// numbers whose rounding the pruning has to tolerate.
double reach(const BoxTree& tree) {
    const BoxNode& root = tree.node(BoxTree::kRoot);
    const Vec3 far = absolute(root.centre) + root.half;
    return std::max({ far.x, far.y, far.z });
}

} // namespace

PairSearch::PairSearch(const BoxTree& first, const BoxTree& second, const AffineMap& secondToFirst)
    : m_first(first), m_second(second), m_map(secondToFirst) {
    const Vec3d n[3] = { toDouble(m_map.row[0]), toDouble(m_map.row[1]), toDouble(m_map.row[2]) };
    const double rowLength = std::max({ lengthd(n[0]), lengthd(n[1]), lengthd(n[2]) });

    // Rounding in the carried centres and in the stored boxes grows with the
    // coordinates; 2e-6 more keeps pairs that the triangle test's 1e-6 plane
    // tolerance would still call touching.
    const double size = reach(first) + reach(second) * rowLength * std::sqrt(3.0)
        + lengthd(toDouble(m_map.translation));
    const double slack = 4e-7 * size + 2e-6;
    // Weights are rounded up a little so that rotations that are orthonormal
    // only up to float rounding never make a box look thinner than it is.
    auto weights = [rowLength](double a, double b, double c) {
        const double pad = 1e-6 * rowLength;
        return Vec3(static_cast<float>(std::fabs(a) + pad), static_cast<float>(std::fabs(b) + pad),
            static_cast<float>(std::fabs(c) + pad));
    };

    for (int i = 0; i < 3; ++i) {
        const double ni[3] = { i == 0 ? n[0].x : (i == 1 ? n[0].y : n[0].z),
            i == 0 ? n[1].x : (i == 1 ? n[1].y : n[1].z), i == 0 ? n[2].x : (i == 1 ? n[2].y : n[2].z) };
        m_faceWeights[i] = weights(ni[0], ni[1], ni[2]);
    }
    m_faceSlack = static_cast<float>(slack);

    int k = 0;
    auto addAxis = [&](const Vec3d& l) {
        Axis& axis = m_axes[k++];
        axis.direction = Vec3(static_cast<float>(l.x), static_cast<float>(l.y), static_cast<float>(l.z));
        axis.firstWeights = absolutef(l);
        const double length = lengthd(l);
        const Vec3 projected = weights(dotd(n[0], l), dotd(n[1], l), dotd(n[2], l));
        axis.secondWeights = length > 0.0 ? projected : Vec3();
        axis.slack = static_cast<float>(slack * length);
    };
    for (int j = 0; j < 3; ++j)
        addAxis(n[j]);
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            const Vec3d& v = n[j];
            if (i == 0)
                addAxis({ 0.0, -v.z, v.y });
            else if (i == 1)
                addAxis({ v.z, 0.0, -v.x });
            else
                addAxis({ -v.y, v.x, 0.0 });
        }
    }
}

inline bool PairSearch::overlap(const BoxNode& a, const BoxNode& b) const {
    const Vec3 t = m_map.point(b.centre) - a.centre;
    if (std::fabs(t.x) > a.half.x + dot(b.half, m_faceWeights[0]) + m_faceSlack)
        return false;
    if (std::fabs(t.y) > a.half.y + dot(b.half, m_faceWeights[1]) + m_faceSlack)
        return false;
    if (std::fabs(t.z) > a.half.z + dot(b.half, m_faceWeights[2]) + m_faceSlack)
        return false;
    for (const Axis& axis : m_axes) {
        if (std::fabs(dot(t, axis.direction))
            > dot(a.half, axis.firstWeights) + dot(b.half, axis.secondWeights) + axis.slack)
            return false;
    }
    return true;
}

bool PairSearch::leavesIntersect(const BoxNode& a, const BoxNode& b, Hit& hit) const {
    const std::vector<LeafTriangle>& firstTriangles = m_first.triangles();
    const std::vector<LeafTriangle>& secondTriangles = m_second.triangles();
    for (int s = b.first; s < b.first + b.count; ++s) {
        const Triangle& original = secondTriangles[static_cast<std::size_t>(s)].triangle;
        const Triangle mapped { m_map.point(original.p), m_map.point(original.q), m_map.point(original.r) };
        for (int f = a.first; f < a.first + a.count; ++f) {
            if (trianglesIntersect(firstTriangles[static_cast<std::size_t>(f)].triangle, mapped)) {
                hit.first = f;
                hit.second = s;
                hit.secondMapped = mapped;
                return true;
            }
        }
    }
    return false;
}

bool PairSearch::run(Deadline& deadline, Hit& hit) {
    if (m_first.empty() || m_second.empty())
        return false;
    const std::vector<BoxNode>& a = m_first.nodes();
    const std::vector<BoxNode>& b = m_second.nodes();
    if (!overlap(a[BoxTree::kRoot], b[BoxTree::kRoot]))
        return false;

    struct Pair {
        std::int32_t a;
        std::int32_t b;
    };
    WorkStack<Pair, 128> stack;
    stack.push({ BoxTree::kRoot, BoxTree::kRoot });
    while (!stack.empty()) {
        deadline.step();
        const Pair pair = stack.pop();
        const BoxNode& f = a[static_cast<std::size_t>(pair.a)];
        const BoxNode& s = b[static_cast<std::size_t>(pair.b)];
        if (f.hasTriangles() && s.hasTriangles()) {
            if (leavesIntersect(f, s, hit))
                return true;
            continue;
        }
        // Children are tested before they are pushed; the pair pushed last is
        // examined next, as it always was.
        if (f.hasChildren() && (s.hasTriangles() || BoxTree::splitVolume(f) > BoxTree::splitVolume(s))) {
            const std::int32_t c = f.first;
            if (overlap(a[static_cast<std::size_t>(c)], s))
                stack.push({ c, pair.b });
            if (overlap(a[static_cast<std::size_t>(c) + 1], s))
                stack.push({ c + 1, pair.b });
        } else {
            const std::int32_t c = s.first;
            if (overlap(f, b[static_cast<std::size_t>(c)]))
                stack.push({ pair.a, c });
            if (overlap(f, b[static_cast<std::size_t>(c) + 1]))
                stack.push({ pair.a, c + 1 });
        }
    }
    return false;
}

} // namespace collision
