// Building a model: the order of use, and the shape of the box tree, which
// must be the tree a plain recursive builder makes (written out below as the
// reference) however deep it grows.

#include "MeshFactory.h"
#include "ReferenceTree.h"

#include "collision/CollisionModel3DImpl.h"
#include "platform/Warnings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace testmesh;
using collision::Box;
using collision::BoxTree;

namespace {

// Compares the two trees node by node; returns the depth reached, or -1 on a
// difference (with a failure recorded).
int compareTrees(const ReferenceNode& expected, const BoxTree& tree, int node, int depth) {
    const bool boxed = tree.isBoxedTriangle(node);
    EXPECT_EQ(boxed, expected.boxedTriangle) << "node " << node;
    const Box box = tree.nodeBox(node);
    EXPECT_EQ(box.position, expected.position) << "node " << node;
    EXPECT_EQ(box.size, expected.size) << "node " << node;
    const int childCount = expected.children[0] ? 2 : 0;
    EXPECT_EQ(tree.childCount(node), childCount) << "node " << node;
    if (boxed) {
        EXPECT_EQ(tree.triangleAt(node, 0), expected.list.front());
        return depth;
    }
    EXPECT_EQ(tree.triangleCount(node), static_cast<int>(expected.list.size())) << "node " << node;
    for (int i = 0; i < static_cast<int>(expected.list.size()); ++i)
        EXPECT_EQ(tree.triangleAt(node, i), expected.list[static_cast<std::size_t>(i)]);
    if (tree.childCount(node) != childCount || ::testing::Test::HasFailure())
        return -1;
    int deepest = depth;
    for (int c = 0; c < childCount; ++c) {
        const int reached = compareTrees(*expected.children[c], tree, tree.childAt(node, c), depth + 1);
        if (reached < 0)
            return -1;
        deepest = std::max(deepest, reached);
    }
    return deepest;
}

std::unique_ptr<CollisionModel3DImpl> build(const Mesh& mesh) {
    auto m = std::make_unique<CollisionModel3DImpl>(false);
    for (const Triangle& t : mesh) {
        float p[3], q[3], r[3];
        t.p.store(p);
        t.q.store(q);
        t.r.store(r);
        m->addTriangle(p, q, r);
    }
    m->finalize();
    return m;
}

// A triangle that is just a point, so its centre sits where it is put.
Triangle dot3(const Vec3& c) {
    return { c, c, c };
}

} // namespace

TEST(BoxTreeShape, MatchesTheRecursiveBuilder) {
    std::mt19937 random(3);
    std::vector<Mesh> meshes;
    meshes.push_back(soup(random, 1, 1.0f, 0.3f));
    meshes.push_back(soup(random, 2, 1.0f, 0.3f));
    meshes.push_back(soup(random, 777, 5.0f, 0.3f));
    meshes.push_back(soup(random, 3000, 1.0f, 0.05f));
    meshes.push_back(torus(2.0f, 0.5f, 40, 20));
    meshes.push_back(box({ 0, 0, 0 }, { 1, 2, 3 }));
    meshes.push_back(flatSoup(random, 500, 2.0f, 0.2f));
    // Repeated triangles make groups that cannot be split.
    Mesh repeats = soup(random, 50, 1.0f, 0.2f);
    for (int i = 0; i < 50; ++i)
        repeats.push_back(repeats[static_cast<std::size_t>(i % 7)]);
    meshes.push_back(repeats);
    for (const Mesh& mesh : meshes) {
        auto m = build(mesh);
        EXPECT_GE(compareTrees(*referenceTree(mesh), m->tree(), BoxTree::kRoot, 0), 0)
            << mesh.size() << " triangles";
    }
}

TEST(BoxTreeShape, SkewedMeshesBuildDeepTreesWithoutRecursion) {
    // Centres at powers of two split a few triangles off per level, along
    // each axis in turn: a lopsided tree dozens of levels deep.
    Mesh skewed;
    for (int axis = 0; axis < 3; ++axis) {
        for (int k = 0; k < 110; ++k) {
            Vec3 c;
            c.at(axis) = std::ldexp(1.0f, k - 80);
            skewed.push_back({ c, c + Vec3(1e-3f, 0, 0), c + Vec3(0, 1e-3f, 1e-3f) });
        }
    }
    auto m = build(skewed);
    EXPECT_GE(compareTrees(*referenceTree(skewed), m->tree(), BoxTree::kRoot, 0), 20);
    // And the searches walk it.
    const float origin[3] = { std::ldexp(1.0f, 20), 0, 1.0f };
    const float down[3] = { 0, 0, -1 };
    m->setTransform(identity().data());
    EXPECT_FALSE(m->rayCollision(origin, down, true, 0.0f, 1e31f));
    auto copy = model(skewed, identity());
    EXPECT_TRUE(m->collision(copy.get(), -1, 0, nullptr));
}

TEST(BoxTreeShape, SingleTriangleStaysInTheRootWithAFlatAxisWidened) {
    auto m = build({ { { 0, 0, 2 }, { 1, 0, 2 }, { 0, 1, 2 } } });
    const BoxTree& tree = m->tree();
    EXPECT_EQ(tree.childCount(BoxTree::kRoot), 0);
    EXPECT_EQ(tree.triangleCount(BoxTree::kRoot), 1);
    EXPECT_FALSE(tree.isBoxedTriangle(BoxTree::kRoot));
    const Box box = tree.nodeBox(BoxTree::kRoot);
    EXPECT_EQ(box.size, Vec3(1, 1, 0.002f));
    EXPECT_EQ(box.position, Vec3(0, 0, 2.0f - 0.001f));
}

TEST(BoxTreeShape, TwoSeparableTrianglesBecomeBoxedChildren) {
    auto m = build({ { { 0, 0, 0 }, { 1, 0, 0 }, { 0, 1, 0 } }, { { 5, 0, 0 }, { 6, 0, 0 }, { 5, 1, 0 } } });
    const BoxTree& tree = m->tree();
    EXPECT_EQ(tree.childCount(BoxTree::kRoot), 2);
    EXPECT_EQ(tree.triangleCount(BoxTree::kRoot), 0);
    const int a = tree.childAt(BoxTree::kRoot, 0);
    const int b = tree.childAt(BoxTree::kRoot, 1);
    EXPECT_TRUE(tree.isBoxedTriangle(a));
    EXPECT_TRUE(tree.isBoxedTriangle(b));
    EXPECT_EQ(tree.triangleAt(a, 0), 0);
    EXPECT_EQ(tree.triangleAt(b, 0), 1);
    // A boxed triangle keeps its own box: no widening of its flat axis.
    EXPECT_EQ(tree.nodeBox(b).size, Vec3(1, 1, 0));
    EXPECT_EQ(tree.childAt(BoxTree::kRoot, 2), -1);
    EXPECT_EQ(tree.triangleAt(a, 1), -1);
}

TEST(BoxTreeShape, TrianglesSharingOneCentreStayTogether) {
    Mesh mesh;
    for (int i = 1; i <= 6; ++i) {
        const float s = static_cast<float>(i);
        mesh.push_back({ { -s, 0, 0 }, { s, 0, 0 }, { 0, 0, 0 } });
    }
    auto m = build(mesh);
    EXPECT_EQ(m->tree().childCount(BoxTree::kRoot), 0);
    EXPECT_EQ(m->tree().triangleCount(BoxTree::kRoot), 6);
}

TEST(BoxTreeShape, FlatMeshesGetThinBoxesOnEveryInnerNode) {
    std::mt19937 random(8);
    Mesh mesh = flatSoup(random, 300, 3.0f, 0.3f);
    for (Triangle& t : mesh) {
        t.p.z = 1.5f;
        t.q.z = 1.5f;
        t.r.z = 1.5f;
    }
    auto m = build(mesh);
    const BoxTree& tree = m->tree();
    int inner = 0;
    for (int node = 0; node < static_cast<int>(tree.nodes().size()); ++node) {
        if (tree.isBoxedTriangle(node))
            continue;
        ++inner;
        const Box box = tree.nodeBox(node);
        EXPECT_EQ(box.size.z, 0.002f);
        EXPECT_EQ(box.position.z, 1.5f - 0.001f);
    }
    EXPECT_GT(inner, 100);
}

TEST(BoxTreeShape, SplitAxisTiesGoToX) {
    // Spreads: x 1.8, y 4, z 4. Equal y and z beat x, yet x is split.
    const Mesh tie = { dot3({ 0, -1, 1 }), dot3({ 1, 1, -1 }), dot3({ 0.1f, 1, 1 }), dot3({ 0.9f, -1, -1 }) };
    auto m = build(tie);
    const BoxTree& tree = m->tree();
    const int low = tree.childAt(BoxTree::kRoot, 0);
    ASSERT_EQ(tree.childCount(low), 2);
    EXPECT_EQ(tree.triangleAt(tree.childAt(low, 0), 0), 0);
    EXPECT_EQ(tree.triangleAt(tree.childAt(low, 1), 0), 2);
    // With y's spread strictly the largest, y is split: {0, 3} below the
    // mean, and those two then split on z.
    Mesh ySplit = tie;
    ySplit[3] = dot3({ 0.9f, -1.5f, -1 });
    auto n = build(ySplit);
    const int below = n->tree().childAt(BoxTree::kRoot, 0);
    ASSERT_EQ(n->tree().childCount(below), 2);
    EXPECT_EQ(n->tree().triangleAt(n->tree().childAt(below, 0), 0), 3);
    EXPECT_EQ(n->tree().triangleAt(n->tree().childAt(below, 1), 0), 0);
}

TEST(ModelBuilding, OrderOfUseIsEnforced) {
    auto m = build(box({ 0, 0, 0 }, { 1, 1, 1 }));
    const std::size_t nodes = m->tree().nodes().size();
    EXPECT_THROW(m->finalize(), Inconsistency);
    EXPECT_EQ(m->tree().nodes().size(), nodes);
    EXPECT_THROW(m->addTriangle(0, 0, 0, 1, 0, 0, 0, 1, 0), Inconsistency);
    const float p[3] = { 0, 0, 0 };
    EXPECT_THROW(m->addTriangle(p, p, p), Inconsistency);
    EXPECT_EQ(m->triangleCount(), 12);
    m->setTriangleNumber(1000);
    EXPECT_EQ(m->triangleCount(), 12);
    EXPECT_TRUE(m->isFinalized());

    // A model query needs both models finalised, this one checked first.
    auto open = newCollisionModel3D(false);
    open->addTriangle(0, 0, 0, 1, 0, 0, 0, 1, 0);
    EXPECT_THROW(m->collision(open.get(), -1, 0, nullptr), Inconsistency);
    EXPECT_THROW(open->collision(m.get(), -1, 0, nullptr), Inconsistency);
    EXPECT_THROW(m->collision(nullptr, -1, 0, nullptr), Inconsistency);
    // Rays and spheres need no finalisation; they find nothing before it.
    const float o[3] = { 0.2f, 0.2f, 1 };
    const float d[3] = { 0, 0, -1 };
    EXPECT_FALSE(open->rayCollision(o, d, false, 0.0f, 1e31f));
    EXPECT_FALSE(open->sphereCollision(o, 5.0f));
}

TEST(ModelBuilding, ReservationsAreOnlyHints) {
    auto m = newCollisionModel3D(false);
    m->setTriangleNumber(-5);
    m->setTriangleNumber(std::numeric_limits<int>::max());
    m->addTriangle(0, 0, 0, 1, 0, 0, 0, 1, 0);
    m->finalize();
    EXPECT_EQ(dynamic_cast<CollisionModel3DImpl&>(*m).triangleCount(), 1);
}

TEST(ModelBuilding, EmptyModelsTouchNothing) {
    auto empty = newCollisionModel3D(false);
    empty->finalize();
    const auto& impl = dynamic_cast<CollisionModel3DImpl&>(*empty);
    EXPECT_EQ(impl.tree().childCount(BoxTree::kRoot), 0);
    EXPECT_EQ(impl.tree().triangleCount(BoxTree::kRoot), 0);
    EXPECT_EQ(impl.tree().nodeBox(BoxTree::kRoot).position, Vec3());
    EXPECT_EQ(impl.tree().nodeBox(BoxTree::kRoot).size, Vec3());
    auto full = model(box({ -1, -1, -1 }, { 1, 1, 1 }), identity());
    EXPECT_FALSE(empty->collision(full.get(), -1, 0, nullptr));
    EXPECT_FALSE(full->collision(empty.get(), -1, 0, nullptr));
    EXPECT_FALSE(empty->collision(empty.get(), -1, 0, nullptr));
    const float c[3] = { 0, 0, 0 };
    EXPECT_FALSE(empty->sphereCollision(c, 100.0f));
}

TEST(ModelBuilding, TrianglesWithoutFiniteCoordinatesAreLeftOut) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    auto m = newCollisionModel3D(false);
    m->addTriangle(10, 10, 10, 11, 10, 10, 10, 11, 10);
    m->addTriangle(0, 0, 0, nan, 0, 0, 0, 1, 0);
    m->addTriangle(0, 0, inf, 1, 0, 0, 0, 1, 0);
    m->addTriangle(-1, -1, 0, 1, -1, 0, 0, 1, 0);
    platform::WarningCapture warnings;
    m->finalize();
    ASSERT_EQ(warnings.Count("collision"), 1u);
    EXPECT_EQ(warnings.Lines()[0],
        "collision: 2 of 4 triangles of a collision model had coordinates that are not finite and were left "
        "out");
    m->setTransform(identity().data());
    auto probe = model(box({ -0.1f, -0.1f, -0.1f }, { 0.1f, 0.1f, 0.1f }), identity());
    ASSERT_TRUE(m->collision(probe.get(), -1, 0, nullptr));
    int first = -1;
    int second = -1;
    m->getCollidingTriangles(first, second);
    EXPECT_EQ(first, 3);
    // The other triangles still split normally around the finite ones.
    const auto& tree = dynamic_cast<CollisionModel3DImpl&>(*m).tree();
    EXPECT_EQ(tree.childCount(BoxTree::kRoot), 2);
}
