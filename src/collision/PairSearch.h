#pragma once

#include "collision/BoxTree.h"
#include "collision/Deadline.h"
#include "collision/Transform.h"

namespace collision {

// The model-against-model search: pairs of nodes of two box trees, the second
// tree's boxes carried into the first tree's space by a fixed map, pruned by
// the separating-axis test for two oriented boxes and decided by the triangle
// test once both nodes hold triangles.
//
// The search order is the original one (the side whose box is larger is
// split; the second child's pair is examined first; within two leaves the
// second leaf's triangles form the outer loop), so the pair it reports is the
// pair the original reported. Pruning is a little more cautious than exact
// arithmetic would need, so that rounding never hides a contact.
class PairSearch {
public:
    struct Hit {
        int first = -1; // position in the first tree's triangles()
        int second = -1; // position in the second tree's triangles()
        Triangle secondMapped; // the second triangle carried into the first space
    };

    PairSearch(const BoxTree& first, const BoxTree& second, const AffineMap& secondToFirst);

    bool run(Deadline& deadline, Hit& hit);

private:
    struct Axis {
        Vec3 direction;
        Vec3 firstWeights;
        Vec3 secondWeights;
        float slack;
    };

    bool overlap(const BoxNode& a, const BoxNode& b) const;
    bool leavesIntersect(const BoxNode& a, const BoxNode& b, Hit& hit) const;

    const BoxTree& m_first;
    const BoxTree& m_second;
    AffineMap m_map;
    // The first tree's own axes: weights of the second box's half extents.
    Vec3 m_faceWeights[3];
    float m_faceSlack;
    // The second box's axes and the nine cross products.
    Axis m_axes[12];
};

} // namespace collision
