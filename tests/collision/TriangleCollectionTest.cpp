// Collecting a model's triangles from a small scene built here: geodes under
// nested transforms, a switch with an inactive child, primitives that make
// no triangles and a drawable that cannot be read.

#include "collision/CDrawableVisitor.h"
#include "collision/CollisionModel3D.h"

#include <gtest/gtest.h>

#include <osg/Geode>
#include <osg/Geometry>
#include <osg/MatrixTransform>
#include <osg/Switch>

namespace {

osg::ref_ptr<osg::Geode> geodeWith(GLenum mode, std::initializer_list<osg::Vec3> points) {
    osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
    osg::ref_ptr<osg::Vec3Array> vertices = new osg::Vec3Array(points.begin(), points.end());
    geometry->setVertexArray(vertices);
    geometry->addPrimitiveSet(new osg::DrawArrays(mode, 0, static_cast<GLsizei>(vertices->size())));
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(geometry);
    return geode;
}

// A drawable that offers no primitives to functors.
class Opaque : public osg::Drawable {
public:
    Opaque() = default;
    Opaque(const Opaque& other, const osg::CopyOp& op)
        : osg::Drawable(other, op) { }
    META_Object(morvanetest, Opaque) void drawImplementation(osg::RenderInfo&) const override { }
};

osg::ref_ptr<osg::MatrixTransform> transform(const osg::Matrixd& m) {
    return new osg::MatrixTransform(m);
}

void expectVertex(const osg::Vec3f& actual, const osg::Vec3f& expected) {
    EXPECT_NEAR(actual.x(), expected.x(), 1e-5f);
    EXPECT_NEAR(actual.y(), expected.y(), 1e-5f);
    EXPECT_NEAR(actual.z(), expected.z(), 1e-5f);
}

// The part: its own transform heads the path, as it does for a placed part.
osg::ref_ptr<osg::MatrixTransform> buildPart() {
    auto part = transform(osg::Matrixd::translate(10, 0, 0));
    part->addChild(geodeWith(GL_QUADS, { { 0, 0, 0 }, { 1, 0, 0 }, { 1, 1, 0 }, { 0, 1, 0 } }));

    auto turned = transform(osg::Matrixd::rotate(osg::PI_2, osg::Vec3d(0, 0, 1)));
    auto raised = transform(osg::Matrixd::translate(0, 0, 5));
    raised->addChild(geodeWith(GL_TRIANGLES, { { 1, 0, 0 }, { 2, 0, 0 }, { 1, 1, 0 } }));
    turned->addChild(raised);
    part->addChild(turned);

    osg::ref_ptr<osg::Switch> choice = new osg::Switch;
    choice->addChild(geodeWith(GL_TRIANGLES, { { 0, 0, 1 }, { 1, 0, 1 }, { 0, 1, 1 } }), true);
    choice->addChild(geodeWith(GL_TRIANGLES, { { 0, 0, 9 }, { 1, 0, 9 }, { 0, 1, 9 } }), false);
    part->addChild(choice);

    part->addChild(geodeWith(GL_LINES, { { 0, 0, 0 }, { 5, 5, 5 } }));
    osg::ref_ptr<osg::Geode> opaque = new osg::Geode;
    opaque->addDrawable(new Opaque);
    part->addChild(opaque);
    return part;
}

} // namespace

TEST(TriangleCollection, WorldSpaceTrianglesFromEveryActiveGeode) {
    auto part = buildPart();
    CDrawableVisitor visitor;
    part->accept(visitor);
    const CTriRecord& record = visitor.record();
    ASSERT_EQ(record.m_vTriangles.size(), 4u);
    ASSERT_EQ(record.m_vVertices.size(), 12u);
    for (int t = 0; t < 4; ++t)
        EXPECT_EQ(record.m_vTriangles[static_cast<std::size_t>(t)], osg::Vec3i(3 * t, 3 * t + 1, 3 * t + 2));

    // The quad: two triangles, moved by the part's own transform.
    expectVertex(record.m_vVertices[0], { 10, 0, 0 });
    expectVertex(record.m_vVertices[1], { 11, 0, 0 });
    expectVertex(record.m_vVertices[2], { 11, 1, 0 });
    expectVertex(record.m_vVertices[3], { 10, 0, 0 });
    expectVertex(record.m_vVertices[4], { 11, 1, 0 });
    expectVertex(record.m_vVertices[5], { 10, 1, 0 });
    // Raised, then turned a quarter about z, then moved with the part.
    expectVertex(record.m_vVertices[6], { 10, 1, 5 });
    expectVertex(record.m_vVertices[7], { 10, 2, 5 });
    expectVertex(record.m_vVertices[8], { 9, 1, 5 });
    // Only the switch's active child.
    expectVertex(record.m_vVertices[9], { 10, 0, 1 });
}

TEST(TriangleCollection, NodesWithoutReadableGeometryGiveNothing) {
    osg::ref_ptr<osg::Group> bare = new osg::Group;
    bare->addChild(new osg::Group);
    bare->addChild(geodeWith(GL_POINTS, { { 0, 0, 0 }, { 1, 1, 1 }, { 2, 2, 2 } }));
    osg::ref_ptr<osg::Geode> opaque = new osg::Geode;
    opaque->addDrawable(new Opaque);
    bare->addChild(opaque);
    CDrawableVisitor visitor;
    bare->accept(visitor);
    EXPECT_TRUE(visitor.record().m_vVertices.empty());
    EXPECT_TRUE(visitor.record().m_vTriangles.empty());
}

TEST(TriangleCollection, FeedsACollisionModel) {
    auto part = buildPart();
    CDrawableVisitor visitor;
    part->accept(visitor);
    const std::vector<osg::Vec3f>& v = visitor.record().m_vVertices;
    auto model = newCollisionModel3D(false);
    for (std::size_t i = 0; i + 2 < v.size(); i += 3)
        model->addTriangle(v[i].ptr(), v[i + 1].ptr(), v[i + 2].ptr());
    model->finalize();
    const float nearTurned[3] = { 9.8f, 1.2f, 5.1f };
    const float nowhere[3] = { 0, 0, 0 };
    EXPECT_TRUE(model->sphereCollision(nearTurned, 0.2f));
    EXPECT_FALSE(model->sphereCollision(nowhere, 5.0f));
    int first = -1;
    int second = -1;
    model->sphereCollision(nearTurned, 0.2f);
    model->getCollidingTriangles(first, second);
    EXPECT_EQ(first, 2);
}
