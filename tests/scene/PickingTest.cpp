#include "TestModels.h"

#include "scene/Compass.h"
#include "scene/NodeMasks.h"
#include "scene/SceneApp.h"

#include <gtest/gtest.h>

using scene::SceneApp;
using scene::SceneObject;
using scene::Transform;
using scenetest::MakeBox;

namespace {

osg::ref_ptr<SceneObject> BoxAt(const osg::Vec3& centre, float half = 1.0f) {
    osg::ref_ptr<SceneObject> object = new SceneObject;
    object->SetModel(MakeBox({ -half, -half, -half }, { half, half, half }).get());
    object->SetTransform(Transform(centre.x(), centre.y(), centre.z(), 0, 0, 0));
    return object;
}

// A headless application whose camera stands at (0, -50, 0) looking along +Y.
osg::ref_ptr<SceneApp> MakeApp() {
    osg::ref_ptr<SceneApp> app = new SceneApp;
    app->GetCamera()->SetTransform(Transform(0, -50, 0, 0, 0, 0));
    return app;
}

} // namespace

TEST(Picking, NearestObjectFirst) {
    osg::ref_ptr<SceneApp> app = MakeApp();
    osg::ref_ptr<SceneObject> far = BoxAt({ 0, 10, 0 });
    osg::ref_ptr<SceneObject> near = BoxAt({ 0, 0, 0 });
    // Added far first: scene order must not beat distance.
    app->AddDrawable(far.get());
    app->AddDrawable(near.get());

    const std::vector<scene::PickHit> hits = app->Pick(0.0f, 0.0f);
    ASSERT_GE(hits.size(), 2u);
    for (size_t i = 1; i < hits.size(); ++i)
        EXPECT_LE(hits[i - 1].ratio, hits[i].ratio);

    const scene::PickResult picked = app->PickObject(0.0f, 0.0f);
    ASSERT_TRUE(picked);
    EXPECT_EQ(picked.object, near.get());
    EXPECT_NEAR(picked.worldPoint.y(), -1.0f, 1e-3) << "the near face of the near box";

    // Beside both boxes nothing is hit.
    EXPECT_FALSE(app->PickObject(0.9f, 0.9f));
}

TEST(Picking, SwitchedOffObjectsAreNotHit) {
    osg::ref_ptr<SceneApp> app = MakeApp();
    osg::ref_ptr<SceneObject> far = BoxAt({ 0, 10, 0 });
    osg::ref_ptr<SceneObject> near = BoxAt({ 0, 0, 0 });
    app->AddDrawable(near.get());
    app->AddDrawable(far.get());

    near->SetActive(false);
    EXPECT_EQ(app->PickObject(0.0f, 0.0f).object, far.get());
    far->SetActive(false);
    EXPECT_TRUE(app->Pick(0.0f, 0.0f).empty());
}

TEST(Picking, ChildHitsBelongToTheTopLevelObject) {
    osg::ref_ptr<SceneApp> app = MakeApp();
    osg::ref_ptr<SceneObject> body = BoxAt({ 20, 0, 0 });
    osg::ref_ptr<SceneObject> wheel = BoxAt({ 0, 0, 0 });
    body->AddChild(wheel.get()); // relative (0, 0, 0): sits inside the body
    wheel->SetTransform(Transform(0, 0, 0, 0, 0, 0)); // absolute: at the origin, in front of the camera
    app->AddDrawable(body.get());

    const std::vector<scene::PickHit> hits = app->Pick(0.0f, 0.0f);
    ASSERT_FALSE(hits.empty());
    EXPECT_TRUE(scene::IsOnPath(hits.front(), wheel->GetOSGNode()));
    EXPECT_EQ(app->PickObject(0.0f, 0.0f).object, body.get());
    // Among explicit candidates the first in their order wins for one hit.
    EXPECT_EQ(scene::FindPickedObject(hits, { wheel.get(), body.get() }).object, wheel.get());
    EXPECT_EQ(scene::FindPickedObject(hits, { body.get(), wheel.get() }).object, body.get());
}

TEST(Picking, HelpersArePickedOverlaysAreNot) {
    osg::ref_ptr<SceneApp> app = MakeApp();
    // An invisible helper quad the editors pick against.
    osg::ref_ptr<SceneObject> plane = BoxAt({ 0, 0, 0 }, 5.0f);
    plane->SetHelper(true);
    app->AddDrawable(plane.get());
    EXPECT_EQ(app->PickObject(0.0f, 0.0f).object, plane.get());

    // The compass draws in the lower left corner; clicking there finds nothing.
    osg::ref_ptr<scene::Compass> compass = new scene::Compass(app->GetCamera());
    app->AddDrawable(compass.get());
    const std::vector<scene::PickHit> corner
        = scene::PickAll(*app->GetCamera(), app->GetScene()->GetSceneNode(), 40, 40);
    EXPECT_TRUE(corner.empty());
}

TEST(Picking, PixelCoordinatesOfTheViewport) {
    osg::ref_ptr<SceneApp> app = MakeApp();
    app->GetCamera()->SetViewport(0, 0, 800, 600);
    EXPECT_EQ(app->GetCamera()->CalcPixelCoords(-1, -1), osg::Vec2(0, 0));
    EXPECT_EQ(app->GetCamera()->CalcPixelCoords(1, 1), osg::Vec2(800, 600));
    EXPECT_EQ(app->GetCamera()->CalcPixelCoords(0, 0.5f), osg::Vec2(400, 450));

    // The world origin, straight ahead, lands in the middle of the window.
    const osg::Vec3 pixel = osg::Vec3(0, 0, 0) * app->GetCamera()->GetWindowMatrix();
    EXPECT_NEAR(pixel.x(), 400.0f, 1e-3);
    EXPECT_NEAR(pixel.y(), 300.0f, 1e-3);
}
