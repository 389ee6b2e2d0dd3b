#pragma once

// The box tree and the search orders of the collision library, written out
// plainly from their rules (recursion, pointer nodes, no pruning) as the
// reference the library's flat, pruned versions must agree with.

#include "MeshFactory.h"

#include <memory>
#include <vector>

namespace testmesh {

// A node of the tree: a boxed triangle (one triangle, its own box), an inner
// node with two children, or a group that could not be split (its triangles
// in list order). `list` holds store indices.
struct ReferenceNode {
    bool boxedTriangle = false;
    Vec3 position;
    Vec3 size;
    std::vector<int> list;
    std::unique_ptr<ReferenceNode> children[2];

    bool hasChildren() const { return children[0] != nullptr; }
    float volume() const { return size.x * size.y * size.z; }
};

std::unique_ptr<ReferenceNode> referenceTree(const Mesh& store);

struct ReferenceHit {
    int first = -1;
    int second = -1;
};

// The model-against-model search: the first intersecting pair of triangles,
// `second` carried into the first model's space by `secondToFirst`, in the
// order of the work stack: the side with children and the larger box (the
// second side when volumes tie) is split, the pair with the second child is
// examined first, and within two nodes with triangles the second's are the
// outer loop, both in list order.
ReferenceHit referenceModelSearch(const Mesh& first, const ReferenceNode& firstRoot, const Mesh& second,
    const ReferenceNode& secondRoot, const collision::AffineMap& secondToFirst);

// The sphere search: children from the first, a group's triangles from the
// last; the first triangle the sphere meets. -1 when none.
int referenceSphereSearch(const Mesh& store, const ReferenceNode& root, const Vec3& centre, float radius);

} // namespace testmesh
