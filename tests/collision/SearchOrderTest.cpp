// Which triangles a query reports when several are hit: the first found in
// the search order of the tree, checked against the order written out
// plainly (ReferenceTree) on soups where many triangles are hit at once.

#include "MeshFactory.h"
#include "ReferenceTree.h"

#include <gtest/gtest.h>

using namespace testmesh;

namespace {

int countIntersectingPairs(const Mesh& first, const Mesh& second, const collision::AffineMap& map) {
    int pairs = 0;
    for (const Triangle& s : second) {
        const Triangle mapped { map.point(s.p), map.point(s.q), map.point(s.r) };
        for (const Triangle& f : first)
            pairs += collision::trianglesIntersect(f, mapped) ? 1 : 0;
    }
    return pairs;
}

} // namespace

TEST(SearchOrder, AModelQueryReportsTheFirstPairOfTheSearch) {
    std::mt19937 random(41);
    int crowded = 0;
    for (int n = 0; n < 300; ++n) {
        // Two soups crowded into one cube, the second turned and moved.
        const Mesh first = soup(random, 12 + n % 50, 1.0f, 0.6f);
        const Mesh second = soup(random, 12 + (n * 7) % 50, 1.0f, 0.6f);
        const Pose self = identity();
        const Pose other = randomPose(random, 0.5f);
        const collision::AffineMap map = relativeMap(self, other);
        const int pairs = countIntersectingPairs(first, second, map);
        if (pairs < 2)
            continue;
        ++crowded;
        const ReferenceHit expected
            = referenceModelSearch(first, *referenceTree(first), second, *referenceTree(second), map);
        auto a = model(first, self);
        auto b = model(second, other);
        ASSERT_TRUE(a->collision(b.get(), -1, 0, nullptr)) << "case " << n;
        int i = -1;
        int j = -1;
        a->getCollidingTriangles(i, j);
        EXPECT_EQ(i, expected.first) << "case " << n << ", " << pairs << " pairs";
        EXPECT_EQ(j, expected.second) << "case " << n << ", " << pairs << " pairs";
    }
    EXPECT_GT(crowded, 250);

    // A model against a moved copy of itself: every pair of matching nodes
    // has boxes of one volume, and ties split the second side.
    int touching = 0;
    for (int n = 0; n < 60; ++n) {
        const Mesh mesh = soup(random, 10 + n, 1.0f, 0.6f);
        const Pose other = pose({ 0, 0, 1 }, 0.0f, randomPoint(random, 0.3f));
        const collision::AffineMap map = relativeMap(identity(), other);
        const auto tree = referenceTree(mesh);
        const ReferenceHit expected = referenceModelSearch(mesh, *tree, mesh, *tree, map);
        auto a = model(mesh, identity());
        auto b = model(mesh, other);
        ASSERT_EQ(a->collision(b.get(), -1, 0, nullptr), expected.first >= 0) << "copy " << n;
        if (expected.first < 0)
            continue;
        ++touching;
        int i = -1;
        int j = -1;
        a->getCollidingTriangles(i, j);
        EXPECT_EQ(i, expected.first) << "copy " << n;
        EXPECT_EQ(j, expected.second) << "copy " << n;
    }
    EXPECT_GT(touching, 50);

    // Two groups that cannot be split (triangles sharing one centre, on a
    // grid of eighths so that the centres agree exactly): the second model's
    // triangles are the outer loop.
    auto eighths = [&random](int range) {
        return static_cast<float>(std::uniform_int_distribution<int>(-range, range)(random)) / 8.0f;
    };
    auto group = [&](const Vec3& sum) {
        Mesh mesh;
        for (int k = 0; k < 3; ++k) {
            const Vec3 a(eighths(8), eighths(8), eighths(8));
            const Vec3 b(eighths(8), eighths(8), eighths(8));
            mesh.push_back({ a, b, sum - a - b });
        }
        return mesh;
    };
    int grouped = 0;
    for (int n = 0; n < 400; ++n) {
        const Mesh first = group(Vec3(eighths(4), eighths(4), eighths(4)));
        const Mesh second = group(Vec3(eighths(4), eighths(4), eighths(4)));
        const collision::AffineMap map = relativeMap(identity(), identity());
        if (countIntersectingPairs(first, second, map) < 2)
            continue;
        const auto firstTree = referenceTree(first);
        const auto secondTree = referenceTree(second);
        ASSERT_FALSE(firstTree->hasChildren() || secondTree->hasChildren());
        ++grouped;
        const ReferenceHit expected = referenceModelSearch(first, *firstTree, second, *secondTree, map);
        auto a = model(first, identity());
        auto b = model(second, identity());
        ASSERT_TRUE(a->collision(b.get(), -1, 0, nullptr));
        int i = -1;
        int j = -1;
        a->getCollidingTriangles(i, j);
        EXPECT_EQ(i, expected.first) << "groups " << n;
        EXPECT_EQ(j, expected.second) << "groups " << n;
    }
    EXPECT_GT(grouped, 100);
}

TEST(SearchOrder, ASphereQueryReportsTheFirstTriangleOfTheSearch) {
    std::mt19937 random(42);
    int crowded = 0;
    for (int n = 0; n < 400; ++n) {
        Mesh mesh = soup(random, 20 + n % 60, 1.0f, 0.5f);
        // Repeated triangles make groups that cannot be split, searched from
        // their last triangle.
        for (int k = 0; k < n % 4; ++k)
            mesh.push_back(mesh[static_cast<std::size_t>(k)]);
        const Vec3 centre = randomPoint(random, 0.8f);
        const float radius = uniform(random, 0.2f, 0.8f);
        int hits = 0;
        for (const Triangle& t : mesh) {
            Vec3 point;
            hits += collision::sphereHitsTriangle(t, centre, radius, point) ? 1 : 0;
        }
        if (hits < 2)
            continue;
        ++crowded;
        const int expected = referenceSphereSearch(mesh, *referenceTree(mesh), centre, radius);
        auto m = model(mesh, identity());
        float c[3];
        centre.store(c);
        ASSERT_TRUE(m->sphereCollision(c, radius)) << "case " << n;
        int i = -1;
        int j = -1;
        m->getCollidingTriangles(i, j);
        EXPECT_EQ(i, expected) << "case " << n << ", " << hits << " triangles hit";
    }
    EXPECT_GT(crowded, 300);
}
