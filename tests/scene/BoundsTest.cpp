#include "TestModels.h"

#include "scene/BoundsVisitor.h"
#include "scene/NodeMasks.h"
#include "scene/SceneObject.h"

#include <gtest/gtest.h>

using scene::SceneObject;
using scene::Transform;
using scenetest::MakeBox;

namespace {

osg::ref_ptr<SceneObject> BoxObject(const osg::Vec3& min, const osg::Vec3& max) {
    osg::ref_ptr<SceneObject> object = new SceneObject;
    object->SetModel(MakeBox(min, max).get());
    return object;
}

void ExpectBox(const osg::BoundingBox& box, const osg::Vec3& min, const osg::Vec3& max) {
    ASSERT_TRUE(box.valid());
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(box._min[i], min[i], 1e-4) << "min " << i;
        EXPECT_NEAR(box._max[i], max[i], 1e-4) << "max " << i;
    }
}

} // namespace

TEST(Bounds, SwitchedOffObjectStillMeasures) {
    osg::ref_ptr<SceneObject> part = BoxObject({ -1, -1, -1 }, { 1, 1, 1 });
    part->SetTransform(Transform(10, 0, 0, 0, 0, 0));
    ExpectBox(part->GetBoundingBox(), { 9, -1, -1 }, { 11, 1, 1 });

    // Placement switches a part off and then measures its node.
    part->SetActive(false);
    EXPECT_FALSE(part->GetActive());
    EXPECT_EQ(part->GetTopNode()->getNodeMask(), scene::kSwitchedOffMask);
    ExpectBox(part->GetBoundingBox(), { 9, -1, -1 }, { 11, 1, 1 });
    ExpectBox(scene::ComputeBounds(part->GetOSGNode()), { 9, -1, -1 }, { 11, 1, 1 });

    part->SetActive(true);
    EXPECT_EQ(part->GetTopNode()->getNodeMask(), scene::kAllBits);
}

TEST(Bounds, HelpersAndSwitchedOffChildrenStayOut) {
    osg::ref_ptr<SceneObject> part = BoxObject({ 0, 0, 0 }, { 1, 2, 3 });

    // A selection box: a helper child drawn a little outside the part.
    osg::ref_ptr<SceneObject> selectionBox = BoxObject({ -0.1f, -0.1f, -0.1f }, { 1.1f, 2.1f, 3.1f });
    selectionBox->SetHelper(true);
    part->AddChild(selectionBox.get());
    // Helper geometry hung straight under the part's node, not as an object.
    osg::ref_ptr<osg::Geode> overlay = MakeBox({ -5, -5, -5 }, { 5, 5, 5 });
    scene::MarkAsHelper(*overlay);
    part->GetOSGNode()->addChild(overlay.get());
    ExpectBox(part->GetBoundingBox(), { 0, 0, 0 }, { 1, 2, 3 });

    // A helper still measures when asked about itself.
    ExpectBox(selectionBox->GetBoundingBox(), { -0.1f, -0.1f, -0.1f }, { 1.1f, 2.1f, 3.1f });
    EXPECT_TRUE(scene::IsHelper(*selectionBox->GetTopNode()));
    // Shown or hidden, it stays a helper.
    selectionBox->SetActive(false);
    selectionBox->SetActive(true);
    EXPECT_TRUE(scene::IsHelper(*selectionBox->GetTopNode()));

    // An ordinary child counts while it is on.
    osg::ref_ptr<SceneObject> wheel = BoxObject({ 0, 0, 0 }, { 1, 1, 1 });
    wheel->SetTransform(Transform(0, 0, 10, 0, 0, 0));
    part->AddChild(wheel.get());
    ExpectBox(part->GetBoundingBox(), { 0, 0, 0 }, { 1, 2, 11 });
    wheel->SetActive(false);
    ExpectBox(part->GetBoundingBox(), { 0, 0, 0 }, { 1, 2, 3 });
}

TEST(Bounds, WorldCoordinatesThroughTurnsAndParents) {
    osg::ref_ptr<SceneObject> parent = new SceneObject;
    parent->SetTransform(Transform(100, 0, 0, 90, 0, 0));
    osg::ref_ptr<SceneObject> child = BoxObject({ 0, 0, 0 }, { 4, 2, 1 });
    parent->AddChild(child.get());

    // A quarter turn swaps x and y extents: x 4 long becomes y 4 long.
    ExpectBox(child->GetBoundingBox(), { 98, 0, 0 }, { 100, 4, 1 });
    ExpectBox(parent->GetBoundingBox(), { 98, 0, 0 }, { 100, 4, 1 });
    // The child's own node alone gives its box in the parent's frame.
    ExpectBox(scene::ComputeBounds(child->GetOSGNode()), { 0, 0, 0 }, { 4, 2, 1 });

    // Nothing to measure: an invalid box.
    osg::ref_ptr<SceneObject> empty = new SceneObject;
    EXPECT_FALSE(empty->GetBoundingBox().valid());
    EXPECT_FALSE(scene::ComputeBounds(nullptr).valid());
}

TEST(Bounds, ScaleAppliesToTheModelOnly) {
    osg::ref_ptr<SceneObject> part = BoxObject({ -1, -1, -1 }, { 1, 1, 1 });
    osg::ref_ptr<SceneObject> child = BoxObject({ 0, 0, 5 }, { 1, 1, 6 });
    part->AddChild(child.get());
    part->SetScale(osg::Vec3(2, 3, 4));

    EXPECT_EQ(part->GetScale(), osg::Vec3(2, 3, 4));
    ExpectBox(scene::ComputeBounds(part->GetModel() ? part->GetOSGNode()->getChild(0) : nullptr),
        { -2, -3, -4 }, { 2, 3, 4 });
    // The child is not scaled, and the pose stays rigid.
    ExpectBox(child->GetBoundingBox(), { 0, 0, 5 }, { 1, 1, 6 });
    ExpectBox(part->GetBoundingBox(), { -2, -3, -4 }, { 2, 3, 6 });
    EXPECT_TRUE(part->GetOSGNode()->getMatrix().isIdentity());
}
