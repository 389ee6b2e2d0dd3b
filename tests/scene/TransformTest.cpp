#include "scene/Transform.h"
#include "scene/SceneObject.h"

#include <gtest/gtest.h>

using scene::CoordSys;
using scene::SceneObject;
using scene::Transform;

namespace {

constexpr double kEps = 1e-4;

osg::Vec3 Turned(const osg::Vec3& v, const Transform& t) {
    return v * t.GetRotationMatrix();
}

void ExpectNear(const osg::Vec3& actual, const osg::Vec3& expected, double eps = kEps) {
    EXPECT_NEAR(actual.x(), expected.x(), eps);
    EXPECT_NEAR(actual.y(), expected.y(), eps);
    EXPECT_NEAR(actual.z(), expected.z(), eps);
}

void ExpectSameMatrix(const osg::Matrixd& a, const osg::Matrixd& b, double eps = kEps) {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(a(r, c), b(r, c), eps) << "element " << r << "," << c;
    }
}

} // namespace

TEST(HeadingPitchRoll, FollowTheConventionsOfTheViews) {
    // Heading turns counter-clockwise seen from above.
    ExpectNear(Turned({ 0, 1, 0 }, Transform(0, 0, 0, 90, 0, 0)), { -1, 0, 0 });
    // Side view: heading -90 looks along +X.
    ExpectNear(Turned({ 0, 1, 0 }, Transform(-80, 0, 0, -90, 0, 0)), { 1, 0, 0 });
    // Positive pitch looks up; the top view's -89 looks (almost) straight down.
    ExpectNear(Turned({ 0, 1, 0 }, Transform(0, 0, 0, 0, 30, 0)), { 0, 0.866025f, 0.5f });
    const osg::Vec3 down = Turned({ 0, 1, 0 }, Transform(0, 0, 80, 0, -89, 0));
    EXPECT_LT(down.z(), -0.999f);
    EXPECT_GT(down.y(), 0.0f);
    // Roll turns about the view direction: the right side goes down for positive roll.
    ExpectNear(Turned({ 1, 0, 0 }, Transform(0, 0, 0, 0, 0, 90)), { 0, 0, -1 });
    // Roll first, then pitch, then heading.
    const Transform all(0, 0, 0, 90, 45, 0);
    ExpectNear(Turned({ 0, 1, 0 }, all), { -0.707107f, 0, 0.707107f });
}

TEST(HeadingPitchRoll, RoundTripThroughMatrixAndQuaternion) {
    for (int h = -170; h <= 180; h += 37) {
        for (int p = -85; p <= 85; p += 17) {
            for (int r = -170; r <= 180; r += 41) {
                const osg::Vec3 hpr { float(h), float(p), float(r) };
                const osg::Vec3 back = scene::MatrixToHpr(scene::HprToMatrix(hpr));
                ExpectNear(back, hpr, 1e-3);

                Transform viaQuat;
                viaQuat.SetRotation(Transform(0, 0, 0, h, p, r).GetQuat());
                ExpectNear(viaQuat.GetHpr(), hpr, 1e-3);
            }
        }
    }
}

TEST(HeadingPitchRoll, EdgesOfTheRanges) {
    // A half turn reads 180, never -180.
    EXPECT_NEAR(Transform(0, 0, 0, 180, 0, 0).GetHpr().x(), 180.0f, 1e-4);
    EXPECT_NEAR(Transform(0, 0, 0, -180, 0, 0).GetHpr().x(), 180.0f, 1e-4);
    EXPECT_NEAR(Transform(0, 0, 0, 270, 0, 0).GetHpr().x(), -90.0f, 1e-4);
    // Looking straight up or down, heading carries the whole turn about Z and
    // the rotation is still reproduced exactly.
    for (float pitch : { 90.0f, -90.0f }) {
        const Transform t(0, 0, 0, 10, pitch, 20);
        const osg::Vec3 hpr = t.GetHpr();
        EXPECT_NEAR(hpr.y(), pitch, 1e-3);
        EXPECT_NEAR(hpr.z(), 0.0f, 1e-3);
        ExpectSameMatrix(scene::HprToMatrix(hpr), t.GetRotationMatrix(), 1e-3);
    }
}

TEST(TransformValue, MatrixRoundTripDropsScale) {
    const Transform t(1, 2, 3, 30, -20, 10);
    Transform fromMatrix;
    fromMatrix.Set(t.GetMatrix());
    EXPECT_TRUE(fromMatrix.EpsilonEquals(t));

    Transform scaled;
    scaled.Set(osg::Matrixd::scale(2, 3, 4) * t.GetMatrix());
    EXPECT_TRUE(scaled.EpsilonEquals(t));
    ExpectNear(scaled.GetTranslation(), { 1, 2, 3 });

    // A point through the pose: turned, then moved.
    ExpectNear(scene::TransformVec3({ 0, 1, 0 }, Transform(5, 0, 0, 90, 0, 0).GetMatrix()), { 4, 0, 0 });
}

TEST(SceneObjectTransform, AbsoluteAndRelativeThroughParentChain) {
    osg::ref_ptr<SceneObject> grandparent = new SceneObject;
    osg::ref_ptr<SceneObject> parent = new SceneObject;
    osg::ref_ptr<SceneObject> child = new SceneObject;
    grandparent->SetTransform(Transform(10, 0, 0, 90, 0, 0));
    parent->SetTransform(Transform(5, 0, 0, 0, 0, 0));
    child->SetTransform(Transform(0, 1, 0, 0, 30, 0));
    ASSERT_TRUE(grandparent->AddChild(parent.get()));
    ASSERT_TRUE(parent->AddChild(child.get()));

    // Relative transforms were kept, so the absolute one is the product.
    const osg::Matrixd expected = Transform(0, 1, 0, 0, 30, 0).GetMatrix()
        * Transform(5, 0, 0, 0, 0, 0).GetMatrix() * Transform(10, 0, 0, 90, 0, 0).GetMatrix();
    ExpectSameMatrix(child->GetTransform(CoordSys::Absolute).GetMatrix(), expected);
    // Parent at (10, 5, 0) after the grandparent's quarter turn; the child one further along -X.
    ExpectNear(child->GetTransform().GetTranslation(), { 9, 5, 0 });
    EXPECT_NEAR(child->GetTransform().GetHpr().x(), 90.0f, 1e-3);

    // Setting an absolute pose converts it into the parent's frame.
    const Transform wanted(1, 2, 3, -45, 10, 5);
    child->SetTransform(wanted, CoordSys::Absolute);
    EXPECT_TRUE(child->GetTransform(CoordSys::Absolute).EpsilonEquals(wanted));
    ExpectSameMatrix(child->GetTransform(CoordSys::Relative).GetMatrix()
            * parent->GetTransform(CoordSys::Absolute).GetMatrix(),
        wanted.GetMatrix());

    // Moving an ancestor carries the child along.
    grandparent->SetTransform(Transform(0, 0, 100, 90, 0, 0));
    EXPECT_NEAR(child->GetTransform().GetTranslation().z(), 103.0f, 1e-3);
}

TEST(SceneObjectTransform, AddKeepsRelativeRemoveKeepsAbsolute) {
    osg::ref_ptr<SceneObject> parent = new SceneObject;
    osg::ref_ptr<SceneObject> child = new SceneObject;
    parent->SetTransform(Transform(10, 0, 0, 0, 0, 0));
    child->SetTransform(Transform(1, 2, 3, 0, 0, 0));

    ASSERT_TRUE(parent->AddChild(child.get()));
    EXPECT_EQ(child->GetParent(), parent.get());
    ExpectNear(child->GetTransform().GetTranslation(), { 11, 2, 3 });
    ExpectNear(child->GetTransform(CoordSys::Relative).GetTranslation(), { 1, 2, 3 });

    ASSERT_TRUE(parent->RemoveChild(child.get()));
    EXPECT_EQ(child->GetParent(), nullptr);
    EXPECT_EQ(parent->GetNumChildren(), 0u);
    ExpectNear(child->GetTransform().GetTranslation(), { 11, 2, 3 });
    EXPECT_FALSE(parent->RemoveChild(child.get()));
}

TEST(SceneObjectTransform, RefusedAndMovedChildren) {
    osg::ref_ptr<SceneObject> a = new SceneObject;
    osg::ref_ptr<SceneObject> b = new SceneObject;
    osg::ref_ptr<SceneObject> c = new SceneObject;
    EXPECT_FALSE(a->AddChild(nullptr));
    EXPECT_FALSE(a->AddChild(a.get()));
    ASSERT_TRUE(a->AddChild(b.get()));
    EXPECT_FALSE(a->AddChild(b.get()));
    ASSERT_TRUE(b->AddChild(c.get()));
    EXPECT_FALSE(c->AddChild(a.get())) << "an ancestor would make a loop";

    // Taking c over from b.
    ASSERT_TRUE(a->AddChild(c.get()));
    EXPECT_EQ(b->GetNumChildren(), 0u);
    EXPECT_EQ(a->GetNumChildren(), 2u);
    EXPECT_EQ(c->GetParent(), a.get());
    EXPECT_EQ(b->GetOSGNode()->getNumChildren(), 1u) << "only b's scale node is left";

    // A parent that goes away lets its children go.
    osg::ref_ptr<SceneObject> orphan = new SceneObject;
    {
        osg::ref_ptr<SceneObject> shortLived = new SceneObject;
        shortLived->AddChild(orphan.get());
    }
    EXPECT_EQ(orphan->GetParent(), nullptr);
}
