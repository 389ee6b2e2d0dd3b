#include "collision/BoxTree.h"

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
    m_triangles.clear();

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
    if (order.empty())
        return;

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
        // list order, so that every split falls exactly where it always has.
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
        const Pending halves[2] = { { firstChild, work.begin, middle }, { firstChild + 1, middle, work.end } };
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
}

float BoxTree::splitVolume(const BoxNode& n) {
    const float sx = n.half.x > 0.0f ? n.half.x * 2.0f : 0.002f;
    const float sy = n.half.y > 0.0f ? n.half.y * 2.0f : 0.002f;
    const float sz = n.half.z > 0.0f ? n.half.z * 2.0f : 0.002f;
    return sx * sy * sz;
}

bool BoxTree::isBoxedTriangle(int index) const { return index != kRoot && node(index).count == 1; }

int BoxTree::childCount(int index) const { return node(index).hasChildren() ? 2 : 0; }

int BoxTree::childAt(int index, int child) const {
    const BoxNode& n = node(index);
    if (!n.hasChildren() || child < 0 || child > 1)
        return -1;
    return n.first + child;
}

int BoxTree::triangleCount(int index) const { return node(index).count; }

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
