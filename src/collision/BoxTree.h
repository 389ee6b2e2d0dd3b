#pragma once

#include "collision/Triangle.h"

#include <cstdint>
#include <vector>

namespace collision {

// An axis-aligned box by its minimum corner and extents.
struct Box {
    Vec3 position;
    Vec3 size;
};

// One node of the box tree, laid out flat for the searches: the two children
// of an inner node sit next to each other, and the triangles of a leaf sit
// next to each other in tree order. The box is kept as centre and half
// extents and is the tight box of the node's triangles (see BoxTree::nodeBox
// for the box that decides the search order).
struct BoxNode {
    Vec3 centre;
    Vec3 half;
    // Inner node: index of the first child (the second is first + 1).
    // Leaf: index of its first triangle in BoxTree::triangles().
    std::int32_t first = -1;
    // 0 for an inner node (and for the root of an empty tree), else the number
    // of triangles of the leaf.
    std::int32_t count = 0;

    bool hasTriangles() const { return count > 0; }
    bool hasChildren() const { return count == 0 && first >= 0; }
};

// The same node for the model-against-model search: a box turned to fit the
// node's triangles (their principal axes, or a single triangle's own edge and
// normal), which hugs a curved or slanted patch far closer than the box along
// the model's axes. `volume` is splitVolume() of the axis-aligned box, which
// decides the search order.
struct OrientedNode {
    Vec3 centre;
    Vec3 axis[3];
    Vec3 half;
    float volume;
    std::int32_t first;
    std::int32_t count;

    bool hasTriangles() const { return count > 0; }
    bool hasChildren() const { return count == 0 && first >= 0; }
};

// A stored triangle in tree order, with its index in the model's store.
struct LeafTriangle {
    Triangle triangle;
    std::int32_t index;
};

// The binary tree of boxes over a model's triangles. Its shape follows fixed
// rules: a node splits its triangles at the mean of their centres along the
// axis where the centres spread the most; a triangle that ends up alone
// becomes a leaf with its own box; a group that cannot be split stays together
// in one leaf. The builder works from an explicit stack, so skewed meshes
// cannot exhaust the thread's stack, and it builds the tree a plain recursive
// builder would.
class BoxTree {
public:
    static constexpr int kRoot = 0;

    // Builds over `store`, a model's triangles in index order. Triangles with a
    // coordinate that is not finite cannot touch anything and are left out.
    void build(const std::vector<Triangle>& store);

    bool empty() const { return m_triangles.empty(); }
    // The largest coordinate magnitude of any vertex: the size of the numbers
    // whose rounding the searches have to tolerate.
    float reach() const { return m_reach; }
    const std::vector<BoxNode>& nodes() const { return m_nodes; }
    const std::vector<OrientedNode>& orientedNodes() const { return m_oriented; }
    const std::vector<LeafTriangle>& triangles() const { return m_triangles; }
    const BoxNode& node(int index) const { return m_nodes[static_cast<std::size_t>(index)]; }

    // The volume that the pair search compares when it picks which side to
    // descend: the product of the fitted extents, a flat axis counting 0.002.
    static float splitVolume(const BoxNode& n);

    // Read-outs for inspection, by node kind: a single triangle under an
    // inner node is a boxed triangle; any other node is an inner node with
    // children or with a group of triangles.
    bool isBoxedTriangle(int index) const;
    int childCount(int index) const;
    int childAt(int index, int child) const;
    int triangleCount(int index) const;
    // Store index of the triangle at position i of the node's list, -1 when out
    // of range.
    int triangleAt(int index, int i) const;
    // The node's box as the split rules fit it: a boxed triangle's box
    // is the triangle's own; any other node's is fitted over all its triangles,
    // a flat axis widened to 0.002 around its value.
    Box nodeBox(int index) const;

private:
    void fitOrientedBoxes();

    std::vector<BoxNode> m_nodes;
    std::vector<OrientedNode> m_oriented;
    std::vector<LeafTriangle> m_triangles;
    float m_reach = 0.0f;
};

} // namespace collision
