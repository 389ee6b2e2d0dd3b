#include "scene/OrbitMotion.h"
#include "scene/Camera.h"

#include <gtest/gtest.h>

#include <cmath>

using scene::Camera;
using scene::Mouse;
using scene::OrbitMotion;
using scene::Transform;

namespace {

void ExpectNear(const osg::Vec3& actual, const osg::Vec3& expected, double eps = 1e-3) {
    EXPECT_NEAR(actual.x(), expected.x(), eps);
    EXPECT_NEAR(actual.y(), expected.y(), eps);
    EXPECT_NEAR(actual.z(), expected.z(), eps);
}

struct Rig {
    osg::ref_ptr<Mouse> mouse = new Mouse;
    osg::ref_ptr<Camera> camera = new Camera;
    osg::ref_ptr<OrbitMotion> orbit = new OrbitMotion(mouse.get());

    Rig() {
        orbit->SetTarget(camera.get());
        orbit->SetDistance(100);
        orbit->SetFocalPoint(osg::Vec3(0, 0, 0));
        camera->SetTransform(Transform(0, -100, 0, 0, 0, 0));
    }
};

} // namespace

TEST(OrbitMotion, RightDragCirclesTheFocalPoint) {
    Rig rig;
    // A drag over half the window width to the right: a quarter turn.
    rig.mouse->SetButtonState(Mouse::RightButton, true);
    rig.mouse->NotifyMoved(1.0f, 0.0f);
    const Transform t = rig.camera->GetTransform();
    ExpectNear(t.GetTranslation(), { -100, 0, 0 });
    ExpectNear(t.GetHpr(), { -90, 0, 0 });
    ExpectNear(rig.camera->GetForward(), { 1, 0, 0 });

    // Up and down: over the focal point, never past the vertical.
    rig.mouse->NotifyMoved(0.0f, 5.0f);
    const Transform over = rig.camera->GetTransform();
    EXPECT_NEAR(over.GetHpr().y(), -OrbitMotion::kMaxPitch, 1e-3);
    EXPECT_NEAR(over.GetTranslation().length(), 100.0f, 1e-2);
    EXPECT_GT(over.GetTranslation().z(), 99.0f);
}

TEST(OrbitMotion, StartsFromWhereverTheCameraWasPut) {
    Rig rig;
    // A preset that does not look exactly at the focal point: no jump, and
    // orbiting keeps the camera's distance from the focal point.
    const Transform preset(0, -800, 500, 0, -30, 0);
    rig.camera->SetTransform(preset);
    rig.orbit->SetDistance(800);
    rig.orbit->Orbit(0, 0);
    EXPECT_TRUE(rig.camera->GetTransform().EpsilonEquals(preset, 1e-3));
    const float radius = preset.GetTranslation().length();
    rig.orbit->Orbit(0.3f, 0.1f);
    EXPECT_NEAR(rig.camera->GetTransform().GetTranslation().length(), radius, 1e-2);
    EXPECT_NEAR(rig.camera->GetTransform().GetHpr().x(), -27.0f, 1e-3);
    EXPECT_NEAR(rig.camera->GetTransform().GetHpr().y(), -39.0f, 1e-3);
    EXPECT_NEAR(rig.camera->GetTransform().GetHpr().z(), 0.0f, 1e-3);
}

TEST(OrbitMotion, WheelAndMiddleDrag) {
    Rig rig;
    // Wheel up comes closer by the wheel scale share of the distance.
    rig.mouse->NotifyScrolled(1);
    EXPECT_NEAR(rig.orbit->GetDistance(), 95.0f, 1e-3);
    ExpectNear(rig.camera->GetTransform().GetTranslation(), { 0, -95, 0 });
    rig.mouse->NotifyScrolled(-1);
    EXPECT_NEAR(rig.orbit->GetDistance(), 99.75f, 1e-3);

    // Middle drag: camera and focal point slide together, against the pointer.
    rig.mouse->SetButtonState(Mouse::MiddleButton, true);
    const osg::Vec3 before = rig.camera->GetTransform().GetTranslation();
    rig.mouse->NotifyMoved(0.2f, 0.0f);
    const osg::Vec3 moved = rig.camera->GetTransform().GetTranslation() - before;
    EXPECT_LT(moved.x(), 0.0f);
    EXPECT_NEAR(moved.y(), 0.0f, 1e-4);
    ExpectNear(rig.orbit->GetFocalPoint(), moved);
    EXPECT_NEAR(rig.camera->GetTransform().GetHpr().x(), 0.0f, 1e-4);
}

TEST(OrbitMotion, LeftButtonDetachedOrDisabledMoveNothing) {
    Rig rig;
    const Transform start = rig.camera->GetTransform();
    rig.mouse->SetButtonState(Mouse::LeftButton, true);
    rig.mouse->NotifyMoved(0.5f, 0.5f);
    EXPECT_TRUE(rig.camera->GetTransform().EpsilonEquals(start));
    rig.mouse->SetButtonState(Mouse::LeftButton, false);

    rig.orbit->SetEnabled(false);
    rig.mouse->NotifyScrolled(1);
    EXPECT_TRUE(rig.camera->GetTransform().EpsilonEquals(start));
    rig.orbit->SetEnabled(true);

    rig.orbit->SetTarget(nullptr);
    EXPECT_EQ(rig.orbit->GetTarget(), nullptr);
    rig.mouse->SetButtonState(Mouse::RightButton, true);
    rig.mouse->NotifyMoved(0.5f, 0.0f);
    rig.mouse->NotifyScrolled(1);
    EXPECT_TRUE(rig.camera->GetTransform().EpsilonEquals(start));
    EXPECT_NEAR(rig.orbit->GetDistance(), 100.0f, 1e-4);

    // A motion model that goes away stops listening.
    rig.orbit = nullptr;
    rig.mouse->NotifyScrolled(1);
}

TEST(OrbitMotion, ZoomComesNearerForTheNearerCommand) {
    Rig rig;
    // Zoom 0 changes nothing.
    rig.orbit->Zoom(0.0f);
    EXPECT_FLOAT_EQ(rig.orbit->GetDistance(), 100.0f);
    ExpectNear(rig.camera->GetPosition(), { 0, -100, 0 });
    // "Nearer" zooms by distance + 1: 101 x 0.1 = 10.1 along the view.
    rig.orbit->Zoom(rig.orbit->GetDistance() + 1.0f);
    EXPECT_NEAR(rig.orbit->GetDistance(), 89.9f, 1e-4);
    ExpectNear(rig.camera->GetPosition(), { 0, -89.9f, 0 });
    // "Farther" zooms by 1 - distance: back by 8.89.
    rig.orbit->Zoom(1.0f - rig.orbit->GetDistance());
    EXPECT_NEAR(rig.orbit->GetDistance(), 98.79f, 1e-3);
    ExpectNear(rig.camera->GetPosition(), { 0, -98.79f, 0 });

    // Along the view direction, by the linear rate, never past the focal
    // point.
    rig.camera->SetTransform(Transform(0, -50, 50 * std::sqrt(3.0f), 0, -60, 0));
    rig.orbit->SetDistance(100);
    rig.orbit->SetLinearRate(2.0f);
    rig.orbit->Zoom(50.0f);
    EXPECT_NEAR(rig.orbit->GetDistance(), 90.0f, 1e-4);
    ExpectNear(rig.camera->GetPosition(), { 0, -45, 45 * std::sqrt(3.0f) });
    rig.orbit->Zoom(1000.0f);
    EXPECT_FLOAT_EQ(rig.orbit->GetDistance(), OrbitMotion::kMinDistance);
    ExpectNear(rig.camera->GetPosition(), osg::Vec3(0, -0.05f, 0.05f * std::sqrt(3.0f)), 1e-3);
}
