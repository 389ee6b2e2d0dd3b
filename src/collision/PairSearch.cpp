#include "collision/PairSearch.h"

#include "collision/WorkStack.h"

#include <algorithm>
#include <cmath>

namespace collision {

namespace {

// Rotation terms are widened by this much, so that parallel edges (a cross
// product of nearly nothing) never fake a separating axis.
constexpr float kRotationPad = 1e-6f;

struct Vec3d {
    double x, y, z;
};

Vec3d toDouble(const Vec3& v) {
    return { v.x, v.y, v.z };
}
double dotd(const Vec3d& a, const Vec3d& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
double lengthd(const Vec3d& a) {
    return std::sqrt(dotd(a, a));
}

// The separating-axis test of two oriented boxes with half extents ha and hb.
// Both boxes' axes, ax and bx, are given in one common space, where the
// second box's centre lies at t_i = ax_i . d + offset_i along the first box's
// axes. The first box's own axes come first and are set up one at a time,
// since most pairs that are apart are found apart on one of them.
bool orientedBoxesOverlap(const Vec3 ax[3], const Vec3& d, const Vec3& offset, const Vec3 bx[3],
    const Vec3& ha, const Vec3& hb, float slack) {
    const float a0 = ha.x, a1 = ha.y, a2 = ha.z;
    const float b0 = hb.x, b1 = hb.y, b2 = hb.z;
    const Vec3* b = bx;

    const float t0 = dot(ax[0], d) + offset.x;
    const float r00 = dot(ax[0], b[0]), r01 = dot(ax[0], b[1]), r02 = dot(ax[0], b[2]);
    const float q00 = std::fabs(r00) + kRotationPad, q01 = std::fabs(r01) + kRotationPad,
                q02 = std::fabs(r02) + kRotationPad;
    if (std::fabs(t0) > a0 + b0 * q00 + b1 * q01 + b2 * q02 + slack)
        return false;

    const float t1 = dot(ax[1], d) + offset.y;
    const float r10 = dot(ax[1], b[0]), r11 = dot(ax[1], b[1]), r12 = dot(ax[1], b[2]);
    const float q10 = std::fabs(r10) + kRotationPad, q11 = std::fabs(r11) + kRotationPad,
                q12 = std::fabs(r12) + kRotationPad;
    if (std::fabs(t1) > a1 + b0 * q10 + b1 * q11 + b2 * q12 + slack)
        return false;

    const float t2 = dot(ax[2], d) + offset.z;
    const float r20 = dot(ax[2], b[0]), r21 = dot(ax[2], b[1]), r22 = dot(ax[2], b[2]);
    const float q20 = std::fabs(r20) + kRotationPad, q21 = std::fabs(r21) + kRotationPad,
                q22 = std::fabs(r22) + kRotationPad;
    if (std::fabs(t2) > a2 + b0 * q20 + b1 * q21 + b2 * q22 + slack)
        return false;

    // The second box's axes.
    if (std::fabs(t0 * r00 + t1 * r10 + t2 * r20) > a0 * q00 + a1 * q10 + a2 * q20 + b0 + slack)
        return false;
    if (std::fabs(t0 * r01 + t1 * r11 + t2 * r21) > a0 * q01 + a1 * q11 + a2 * q21 + b1 + slack)
        return false;
    if (std::fabs(t0 * r02 + t1 * r12 + t2 * r22) > a0 * q02 + a1 * q12 + a2 * q22 + b2 + slack)
        return false;

    // Cross products of one axis of each.
    if (std::fabs(t2 * r10 - t1 * r20) > a1 * q20 + a2 * q10 + b1 * q02 + b2 * q01 + slack)
        return false;
    if (std::fabs(t2 * r11 - t1 * r21) > a1 * q21 + a2 * q11 + b0 * q02 + b2 * q00 + slack)
        return false;
    if (std::fabs(t2 * r12 - t1 * r22) > a1 * q22 + a2 * q12 + b0 * q01 + b1 * q00 + slack)
        return false;
    if (std::fabs(t0 * r20 - t2 * r00) > a0 * q20 + a2 * q00 + b1 * q12 + b2 * q11 + slack)
        return false;
    if (std::fabs(t0 * r21 - t2 * r01) > a0 * q21 + a2 * q01 + b0 * q12 + b2 * q10 + slack)
        return false;
    if (std::fabs(t0 * r22 - t2 * r02) > a0 * q22 + a2 * q02 + b0 * q11 + b1 * q10 + slack)
        return false;
    if (std::fabs(t1 * r00 - t0 * r10) > a0 * q10 + a1 * q00 + b1 * q22 + b2 * q21 + slack)
        return false;
    if (std::fabs(t1 * r01 - t0 * r11) > a0 * q11 + a1 * q01 + b0 * q22 + b2 * q20 + slack)
        return false;
    if (std::fabs(t1 * r02 - t0 * r12) > a0 * q12 + a1 * q02 + b0 * q21 + b1 * q20 + slack)
        return false;
    return true;
}

// Pruning with each node's fitted box, for a map that is a rotation times a
// uniform scale. The node that stays fixed while the other side's two
// children are tested is carried into the other side's space once.
class OrientedPruner {
public:
    using Node = OrientedNode;

    OrientedPruner(
        const BoxTree& first, const BoxTree& second, const AffineMap& map, float scale, float slack)
        : m_a(first.orientedNodes())
        , m_b(second.orientedNodes())
        , m_map(map)
        , m_scale(scale)
        , m_slack(slack) {
        const float inverse = 1.0f / scale;
        for (int i = 0; i < 3; ++i)
            m_rotation[i] = map.row[i] * inverse;
    }

    const Node& first(std::int32_t i) const { return m_a[static_cast<std::size_t>(i)]; }
    const Node& second(std::int32_t i) const { return m_b[static_cast<std::size_t>(i)]; }
    static float volume(const Node& n) { return n.volume; }

    // Fixes a node of the second tree: its box in the first space.
    void holdSecond(std::int32_t index) {
        const Node& b = second(index);
        m_heldCentre = m_map.point(b.centre);
        for (int k = 0; k < 3; ++k)
            m_heldAxes[k] = rotate(b.axis[k]);
        m_heldHalf = b.half * m_scale;
    }

    bool overlapsHeldSecond(std::int32_t index) const {
        const Node& a = first(index);
        return orientedBoxesOverlap(
            a.axis, m_heldCentre - a.centre, Vec3(), m_heldAxes, a.half, m_heldHalf, m_slack);
    }

    // Fixes a node of the first tree: its axes in the second space, and where
    // the second space's origin lies along them.
    void holdFirst(std::int32_t index) {
        const Node& a = first(index);
        const Vec3 offset = m_map.translation - a.centre;
        for (int i = 0; i < 3; ++i) {
            m_heldAxes[i] = Vec3(
                dot(m_rotation[0], a.axis[i]), dot(m_rotation[1], a.axis[i]), dot(m_rotation[2], a.axis[i]));
            m_heldOffset.at(i) = dot(a.axis[i], offset);
        }
        m_heldHalf = a.half;
    }

    bool overlapsHeldFirst(std::int32_t index) const {
        const Node& b = second(index);
        return orientedBoxesOverlap(
            m_heldAxes, b.centre * m_scale, m_heldOffset, b.axis, m_heldHalf, b.half * m_scale, m_slack);
    }

private:
    Vec3 rotate(const Vec3& v) const {
        return m_rotation[0] * v.x + m_rotation[1] * v.y + m_rotation[2] * v.z;
    }

    const std::vector<Node>& m_a;
    const std::vector<Node>& m_b;
    const AffineMap& m_map;
    float m_scale;
    float m_slack;
    Vec3 m_rotation[3];

    // The node held fixed, carried into the other side's space.
    Vec3 m_heldCentre;
    Vec3 m_heldAxes[3];
    Vec3 m_heldHalf;
    Vec3 m_heldOffset;
};

// Pruning with the axis-aligned boxes of both trees, for any invertible map:
// the second box becomes a parallelepiped, tested on the first box's three
// axes, the three images of its own and the nine cross products.
class AlignedPruner {
public:
    using Node = BoxNode;

    AlignedPruner(const BoxTree& first, const BoxTree& second, const AffineMap& map, float slack)
        : m_a(first.nodes())
        , m_b(second.nodes())
        , m_map(map) {
        const Vec3d n[3] = { toDouble(map.row[0]), toDouble(map.row[1]), toDouble(map.row[2]) };
        const double rowLength = std::max({ lengthd(n[0]), lengthd(n[1]), lengthd(n[2]) });
        // Weights are rounded up a little so that maps that are orthonormal only
        // up to float rounding never make a box look thinner than it is.
        auto weights = [rowLength](double a, double b, double c) {
            const double pad = 1e-6 * rowLength;
            return Vec3(static_cast<float>(std::fabs(a) + pad), static_cast<float>(std::fabs(b) + pad),
                static_cast<float>(std::fabs(c) + pad));
        };
        for (int i = 0; i < 3; ++i) {
            auto component = [i](const Vec3d& v) { return i == 0 ? v.x : (i == 1 ? v.y : v.z); };
            m_faceWeights[i] = weights(component(n[0]), component(n[1]), component(n[2]));
        }
        m_faceSlack = slack;
        int k = 0;
        auto addAxis = [&](const Vec3d& l) {
            Axis& axis = m_axes[k++];
            axis.direction = Vec3(static_cast<float>(l.x), static_cast<float>(l.y), static_cast<float>(l.z));
            axis.firstWeights = absolute(axis.direction);
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

    const Node& first(std::int32_t i) const { return m_a[static_cast<std::size_t>(i)]; }
    const Node& second(std::int32_t i) const { return m_b[static_cast<std::size_t>(i)]; }
    static float volume(const Node& n) { return BoxTree::splitVolume(n); }

    void holdSecond(std::int32_t index) {
        m_heldSecond = &second(index);
        m_heldCentre = m_map.point(m_heldSecond->centre);
    }
    bool overlapsHeldSecond(std::int32_t index) const {
        return overlap(first(index), m_heldCentre, m_heldSecond->half);
    }

    void holdFirst(std::int32_t index) { m_heldFirst = &first(index); }
    bool overlapsHeldFirst(std::int32_t index) const {
        const Node& b = second(index);
        return overlap(*m_heldFirst, m_map.point(b.centre), b.half);
    }

private:
    struct Axis {
        Vec3 direction;
        Vec3 firstWeights;
        Vec3 secondWeights;
        float slack;
    };

    bool overlap(const Node& a, const Vec3& mappedCentre, const Vec3& half) const {
        const Vec3 t = mappedCentre - a.centre;
        if (std::fabs(t.x) > a.half.x + dot(half, m_faceWeights[0]) + m_faceSlack
            || std::fabs(t.y) > a.half.y + dot(half, m_faceWeights[1]) + m_faceSlack
            || std::fabs(t.z) > a.half.z + dot(half, m_faceWeights[2]) + m_faceSlack)
            return false;
        for (const Axis& axis : m_axes) {
            if (std::fabs(dot(t, axis.direction))
                > dot(a.half, axis.firstWeights) + dot(half, axis.secondWeights) + axis.slack)
                return false;
        }
        return true;
    }

    const std::vector<Node>& m_a;
    const std::vector<Node>& m_b;
    const AffineMap& m_map;
    Vec3 m_faceWeights[3];
    float m_faceSlack;
    Axis m_axes[12];
    const Node* m_heldFirst = nullptr;
    const Node* m_heldSecond = nullptr;
    Vec3 m_heldCentre;
};

} // namespace

PairSearch::PairSearch(const BoxTree& first, const BoxTree& second, const AffineMap& secondToFirst)
    : m_first(first)
    , m_second(second)
    , m_map(secondToFirst) { }

bool PairSearch::isSimilarity(const AffineMap& map, float& scale, float& skew) {
    const float l0 = dot(map.row[0], map.row[0]);
    const float l1 = dot(map.row[1], map.row[1]);
    const float l2 = dot(map.row[2], map.row[2]);
    if (!(l0 > 0.0f))
        return false;
    // How far the rows are from orthogonal rows of one length, relative to
    // that length squared.
    skew = std::max({ std::fabs(l1 - l0), std::fabs(l2 - l0), std::fabs(dot(map.row[0], map.row[1])),
               std::fabs(dot(map.row[0], map.row[2])), std::fabs(dot(map.row[1], map.row[2])) })
        / l0;
    if (!(skew <= 1e-5f))
        return false;
    scale = std::sqrt(l0);
    return true;
}

bool PairSearch::run(Deadline& deadline, Hit& hit) {
    if (m_first.empty() || m_second.empty())
        return false;
    // Rounding in the carried centres and in the stored boxes grows with the
    // coordinates; 2e-6 more keeps pairs that the triangle test's 1e-6 plane
    // tolerance would still call touching.
    const Vec3 t = absolute(m_map.translation);
    const Vec3 r0 = absolute(m_map.row[0]);
    const Vec3 r1 = absolute(m_map.row[1]);
    const Vec3 r2 = absolute(m_map.row[2]);
    const float rowReach = std::max({ r0.x + r0.y + r0.z, r1.x + r1.y + r1.z, r2.x + r2.y + r2.z });
    const float slack = 4e-7f * (m_first.reach() + m_second.reach() * rowReach + t.x + t.y + t.z) + 2e-6f;
    float scale = 1.0f;
    float skew = 0.0f;
    if (isSimilarity(m_map, scale, skew)) {
        // A map that is a rotation only up to float rounding: a box of the
        // second tree may come out that much more skewed than its fitted
        // box, which is paid for with extra slack.
        OrientedPruner pruner(
            m_first, m_second, m_map, scale, slack + 8.0f * skew * scale * m_second.reach());
        return search(pruner, deadline, hit);
    }
    AlignedPruner pruner(m_first, m_second, m_map, slack);
    return search(pruner, deadline, hit);
}

bool PairSearch::leavesIntersect(std::int32_t firstBegin, std::int32_t firstCount, std::int32_t secondBegin,
    std::int32_t secondCount, Hit& hit) const {
    const std::vector<LeafTriangle>& firstTriangles = m_first.triangles();
    const std::vector<LeafTriangle>& secondTriangles = m_second.triangles();
    for (std::int32_t s = secondBegin; s < secondBegin + secondCount; ++s) {
        const Triangle& original = secondTriangles[static_cast<std::size_t>(s)].triangle;
        const Triangle mapped { m_map.point(original.p), m_map.point(original.q), m_map.point(original.r) };
        for (std::int32_t f = firstBegin; f < firstBegin + firstCount; ++f) {
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

template <typename Pruner> bool PairSearch::search(Pruner& pruner, Deadline& deadline, Hit& hit) {
    pruner.holdSecond(BoxTree::kRoot);
    if (!pruner.overlapsHeldSecond(BoxTree::kRoot))
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
        const auto& f = pruner.first(pair.a);
        const auto& s = pruner.second(pair.b);
        if (f.hasTriangles() && s.hasTriangles()) {
            if (leavesIntersect(f.first, f.count, s.first, s.count, hit))
                return true;
            continue;
        }
        // Children are tested before they are pushed; the pair pushed last is
        // examined next.
        if (f.hasChildren() && (s.hasTriangles() || Pruner::volume(f) > Pruner::volume(s))) {
            const std::int32_t c = f.first;
            pruner.holdSecond(pair.b);
            if (pruner.overlapsHeldSecond(c))
                stack.push({ c, pair.b });
            if (pruner.overlapsHeldSecond(c + 1))
                stack.push({ c + 1, pair.b });
        } else {
            const std::int32_t c = s.first;
            pruner.holdFirst(pair.a);
            if (pruner.overlapsHeldFirst(c))
                stack.push({ pair.a, c });
            if (pruner.overlapsHeldFirst(c + 1))
                stack.push({ pair.a, c + 1 });
        }
    }
    return false;
}

} // namespace collision
