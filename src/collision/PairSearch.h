#pragma once

#include "collision/BoxTree.h"
#include "collision/Deadline.h"
#include "collision/Transform.h"

namespace collision {

// The model-against-model search: pairs of nodes of two box trees, the second
// tree carried into the first tree's space by a fixed map, pruned by the
// separating-axis test for two oriented boxes and decided by the triangle
// test once both nodes hold triangles.
//
// The search order is fixed (the side whose axis-aligned box is larger is
// split; the second child's pair is examined first; within two leaves the
// second leaf's triangles form the outer loop), so the pair it reports
// depends on the trees and the map only, never on how well the boxes prune.
// When the map is a rotation (with a uniform scale, as every placement is)
// each node's fitted box is tested, which prunes far earlier than boxes along
// the models' axes; any other map falls back to the axis-aligned boxes.
// Either way pruning is a little more cautious than exact arithmetic would
// need, so that rounding
// never hides a contact.
class PairSearch {
public:
    struct Hit {
        int first = -1; // position in the first tree's triangles()
        int second = -1; // position in the second tree's triangles()
        Triangle secondMapped; // the second triangle carried into the first space
    };

    // The map must outlive the search.
    PairSearch(const BoxTree& first, const BoxTree& second, const AffineMap& secondToFirst);

    bool run(Deadline& deadline, Hit& hit);

    // Whether the map is a rotation with a uniform scale, up to a relative
    // skew of 1e-5 (rounding); gives the scale and the skew found.
    static bool isSimilarity(const AffineMap& map, float& scale, float& skew);

private:
    template <typename Pruner> bool search(Pruner& pruner, Deadline& deadline, Hit& hit);
    bool leavesIntersect(std::int32_t firstBegin, std::int32_t firstCount, std::int32_t secondBegin,
        std::int32_t secondCount, Hit& hit) const;

    const BoxTree& m_first;
    const BoxTree& m_second;
    const AffineMap& m_map;
};

} // namespace collision
