#include "PhysicsTestWorld.h"

#include <gtest/gtest.h>

#include <limits>

using namespace physics;
using namespace physics::testing;

TEST(Raycast, HitsTheNearestSolidAndReportsItsGroup) {
    PhysicsWorld world;
    AddFloor(world);
    Solid* near = AddBox(world, { 2.0, 2.0, 2.0 }, { 0.0, 10.0, 1.0 }, 2);
    Solid* far = AddBox(world, { 2.0, 2.0, 2.0 }, { 0.0, 20.0, 1.0 }, 7);
    near->setStatic(true);
    far->setStatic(true);

    RaycastHit hit = world.castRay({ 0.0, 0.0, 1.0 }, { 0.0, 1.0, 0.0 }, 100.0, 1);
    ASSERT_TRUE(hit.hit());
    EXPECT_EQ(hit.solid, near);
    EXPECT_EQ(hit.contactGroup, 2);
    EXPECT_NEAR(hit.distance, 9.0, 1e-9);
    EXPECT_NEAR(hit.point.y, 9.0, 1e-9);
    EXPECT_NEAR(hit.normal.y, -1.0, 1e-9);

    // A ray whose group does not meet group 2 passes it by.
    world.setupContactGroups(1, 2, false);
    hit = world.castRay({ 0.0, 0.0, 1.0 }, { 0.0, 1.0, 0.0 }, 100.0, 1);
    EXPECT_EQ(hit.solid, far);
    EXPECT_EQ(hit.contactGroup, 7);
    EXPECT_NEAR(hit.distance, 19.0, 1e-9);

    // Too short, or meeting nothing.
    EXPECT_FALSE(world.castRay({ 0.0, 0.0, 1.0 }, { 0.0, 1.0, 0.0 }, 18.0, 1).hit());
    EXPECT_FALSE(world.castRay({ 0.0, 0.0, 1.0 }, { 1.0, 0.0, 0.0 }, 100.0, 1).hit());
    // Straight down onto the floor, solid 0.
    hit = world.castRay({ 5.0, 5.0, 3.0 }, { 0.0, 0.0, -1.0 }, 50.0, 1);
    EXPECT_EQ(hit.solid, world.solidAt(0));
    EXPECT_EQ(hit.contactGroup, 0);
    EXPECT_NEAR(hit.distance, 3.0, 1e-9);
}

TEST(Raycast, TheGroupReportedIsThatOfTheFirstShape) {
    PhysicsWorld world;
    Solid* solid = world.createSolid();
    ShapeDesc first = ShapeDesc::box({ 1.0, 1.0, 1.0 });
    first.contactGroup = 5;
    first.offset.translate(-10.0, 0.0, 0.0);
    ShapeDesc second = ShapeDesc::box({ 1.0, 1.0, 1.0 });
    second.contactGroup = 9;
    second.offset.translate(0.0, 10.0, 0.0);
    solid->addShape(first);
    solid->addShape(second);
    solid->setStatic(true);
    const RaycastHit hit = world.castRay({ 0.0, 0.0, 0.0 }, { 0.0, 1.0, 0.0 }, 100.0, 0);
    ASSERT_EQ(hit.solid, solid);
    EXPECT_EQ(hit.contactGroup, 5);
    EXPECT_NEAR(hit.distance, 9.5, 1e-9);
}

TEST(Raycast, EachShapeOfASolidIsFilteredByItsOwnGroup) {
    // A solid with a group-5 shape nearer the ray's origin and a group-0
    // shape behind it. Group 3 meets only group 5 and group 0 (the
    // simulation's life-sensor rays); group 4 meets 0, 2 and 6 (flame rays).
    PhysicsWorld world;
    world.setupContactGroup(3, false);
    world.setupContactGroups(3, 5, true);
    world.setupContactGroups(3, 0, true);
    world.setupContactGroup(4, false);
    world.setupContactGroups(4, 0, true);
    Solid* solid = world.createSolid();
    ShapeDesc far = ShapeDesc::box({ 1.0, 1.0, 1.0 });
    far.contactGroup = 0;
    far.offset.translate(0.0, 20.0, 0.0);
    ShapeDesc near = ShapeDesc::box({ 1.0, 1.0, 1.0 });
    near.contactGroup = 5;
    near.offset.translate(0.0, 10.0, 0.0);
    ASSERT_TRUE(solid->addShape(far));
    ASSERT_TRUE(solid->addShape(near));
    solid->setStatic(true);

    // A ray that meets both groups stops at the nearer shape.
    RaycastHit hit = world.castRay({ 0.0, 0.0, 0.0 }, { 0.0, 1.0, 0.0 }, 100.0, 3);
    ASSERT_EQ(hit.solid, solid);
    EXPECT_NEAR(hit.distance, 9.5, 1e-9);
    // One that does not meet group 5 passes that shape and hits the other.
    hit = world.castRay({ 0.0, 0.0, 0.0 }, { 0.0, 1.0, 0.0 }, 100.0, 4);
    ASSERT_EQ(hit.solid, solid);
    EXPECT_NEAR(hit.distance, 19.5, 1e-9);
    // Either way the solid is reported by its first shape's group.
    EXPECT_EQ(hit.contactGroup, 0);
    EXPECT_FALSE(world.castRay({ 0.0, 0.0, 0.0 }, { 0.0, 1.0, 0.0 }, 15.0, 4).hit());
    // From the far side a group-3 ray meets the group-0 shape first.
    hit = world.castRay({ 0.0, 30.0, 0.0 }, { 0.0, -1.0, 0.0 }, 100.0, 3);
    ASSERT_EQ(hit.solid, solid);
    EXPECT_NEAR(hit.distance, 9.5, 1e-9);
}

TEST(Raycast, AProbeRidesOnItsSolidAndNeverSeesIt) {
    PhysicsWorld world;
    world.setGravity({ 0.0, 0.0, 0.0 });
    // A sensor part facing -x (turned 90 degrees about z); its ray starts
    // inside its own box.
    Solid* sensor = AddBox(world, { 3.0, 3.0, 3.0 }, { 0.0, 0.0, 0.0 }, 1);
    sensor->setOrientation(Quat::fromAxisAngleDegrees({ 0.0, 0.0, 1.0 }, 90.0));
    Solid* wall = AddBox(world, { 2.0, 40.0, 40.0 }, { -20.0, 0.0, 0.0 }, 0);
    wall->setStatic(true);
    RayProbe* probe = world.createRayProbe({ sensor, { 0.0, 0.0, 1.1 }, { 0.0, 1.0, 0.0 }, 1 });
    ASSERT_NE(probe, nullptr);
    RaycastHit hit = probe->fire(100.0);
    ASSERT_EQ(hit.solid, wall);
    EXPECT_NEAR(hit.distance, 19.0, 1e-9);
    EXPECT_NEAR(hit.point.z, 1.1, 1e-9);

    // The probe follows its solid.
    sensor->setPosition({ 5.0, 0.0, 0.0 });
    EXPECT_NEAR(probe->fire(100.0).distance, 24.0, 1e-9);
    // A new direction stays set (in the solid's frame).
    ASSERT_TRUE(probe->setDirection({ 0.0, -1.0, 0.0 }));
    EXPECT_FALSE(probe->fire(100.0).hit());
    EXPECT_EQ(probe->direction(), (Vec3 { 0.0, -1.0, 0.0 }));
    EXPECT_FALSE(probe->setDirection({ std::numeric_limits<double>::quiet_NaN(), 0.0, 0.0 }));

    // Degenerate requests hit nothing.
    probe->setDirection({ 0.0, 1.0, 0.0 });
    EXPECT_FALSE(probe->fire(0.0).hit());
    EXPECT_FALSE(probe->fire(-5.0).hit());
    EXPECT_FALSE(probe->fire(std::numeric_limits<double>::quiet_NaN()).hit());
    probe->setDirection({ 0.0, 0.0, 0.0 });
    EXPECT_FALSE(probe->fire(100.0).hit());

    // Disabled solids are not seen.
    probe->setDirection({ 0.0, 1.0, 0.0 });
    wall->setEnabled(false);
    EXPECT_FALSE(probe->fire(100.0).hit());
    wall->setEnabled(true);

    // A probe whose solid is gone stays harmless until destroyed.
    ASSERT_TRUE(world.destroySolid(sensor));
    EXPECT_TRUE(probe->isInert());
    EXPECT_FALSE(probe->fire(100.0).hit());
    EXPECT_TRUE(world.destroyRayProbe(probe));
    EXPECT_FALSE(world.destroyRayProbe(probe));
    EXPECT_EQ(world.rayProbeCount(), 0u);
}

TEST(Raycast, ProbesAreRefusedForForeignSolidsAndBadGroups) {
    PhysicsWorld world;
    PhysicsWorld other;
    Solid* foreign = other.createSolid();
    EXPECT_EQ(world.createRayProbe({ foreign, {}, { 0.0, 1.0, 0.0 }, 1 }), nullptr);
    EXPECT_EQ(world.createRayProbe({ nullptr, {}, { 0.0, 1.0, 0.0 }, 32 }), nullptr);
    EXPECT_EQ(world.createRayProbe({ nullptr, {}, { 0.0, 1.0, 0.0 }, -1 }), nullptr);
    // Without a solid, a probe works in world coordinates.
    AddFloor(world);
    RayProbe* down = world.createRayProbe({ nullptr, { 0.0, 0.0, 10.0 }, { 0.0, 0.0, -1.0 }, 0 });
    ASSERT_NE(down, nullptr);
    EXPECT_NEAR(down->fire(50.0).distance, 10.0, 1e-9);
}

TEST(Raycast, RaysMeetTriangleMeshes) {
    // A ramp rising from z = 0 at y = 0 to z = 10 at y = 20, 10 wide.
    PhysicsWorld world;
    Solid* slope = world.createSolid();
    ShapeDesc ramp = ShapeDesc::mesh(
        { { -5.0, 0.0, 0.0 }, { 5.0, 0.0, 0.0 }, { 5.0, 20.0, 10.0 }, { -5.0, 20.0, 10.0 } },
        { { 0, 1, 2 }, { 0, 2, 3 } });
    ASSERT_TRUE(slope->addShape(ramp));
    slope->setStatic(true);
    const RaycastHit hit = world.castRay({ 1.0, 10.0, 50.0 }, { 0.0, 0.0, -1.0 }, 100.0, 0);
    ASSERT_EQ(hit.solid, slope);
    EXPECT_NEAR(hit.point.z, 5.0, 1e-6);
    EXPECT_NEAR(hit.distance, 45.0, 1e-6);
    // From below too: triangles count from both sides.
    EXPECT_EQ(world.castRay({ 1.0, 10.0, -50.0 }, { 0.0, 0.0, 1.0 }, 100.0, 0).solid, slope);

    // A ball rolls down it instead of falling through.
    Solid* ball = AddBall(world, 1.0, { 0.0, 15.0, 12.0 });
    RunFrames(world, 3);
    EXPECT_GT(ball->position().z, 0.5);
    EXPECT_LT(ball->position().y, 15.0);
}
