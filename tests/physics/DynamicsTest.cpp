#include "PhysicsTestWorld.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

using namespace physics;
using namespace physics::testing;

TEST(Dynamics, FreeFallMatchesTheFixedStepRule) {
    // Semi-implicit steps of 0.02 s: after k steps a body has dropped
    // 9.8 * 0.02^2 * k(k+1)/2, so 1.8228 after one frame of 30 steps.
    PhysicsWorld world;
    Solid* ball = AddBall(world, 1.0, { 0.0, 0.0, 2000.0 });
    EXPECT_EQ(world.simulate(0.6), 30);
    EXPECT_EQ(world.stepCount(), 30u);
    EXPECT_NEAR(2000.0 - ball->position().z, 1.8228, 1e-9);
    RunFrames(world, 22);
    EXPECT_NEAR(2000.0 - ball->position().z, 9.8 * 0.0004 * 690 * 691 / 2, 1e-7);
}

TEST(Dynamics, BoxDroppedOnTheFloorRestsAtHalfItsHeight) {
    PhysicsWorld world;
    AddFloor(world);
    Solid* box = AddBox(world, { 2.0, 4.0, 1.0 }, { 10.0, -20.0, 5.0 });
    Solid* ball = AddBall(world, 1.5, { -10.0, 0.0, 8.0 });
    RunFrames(world, 10);
    EXPECT_NEAR(box->position().z, 0.5, 0.005);
    EXPECT_NEAR(box->position().x, 10.0, 1e-6);
    EXPECT_NEAR(box->position().y, -20.0, 1e-6);
    EXPECT_NEAR(box->linearVelocity().length(), 0.0, 1e-3);
    EXPECT_NEAR(ball->position().z, 1.5, 0.005);
    // Straight drop: no turn.
    EXPECT_NEAR(box->orientation().w, 1.0, 1e-9);
}

TEST(Dynamics, ShapeOffsetsKeepTheSolidOriginWhereTheOwnerPutIt) {
    // One box 2 x 4 x 1 whose centre sits 1 above the solid's origin: the
    // solid reports its own origin, not the centre of mass, and lands with
    // the box on the floor, so the origin ends 1 below the box centre.
    PhysicsWorld world;
    AddFloor(world);
    Solid* part = world.createSolid();
    part->setPosition({ 3.0, 4.0, 10.0 });
    ShapeDesc box = ShapeDesc::box({ 2.0, 4.0, 1.0 });
    box.offset.translate(0.0, 0.0, 1.0);
    ASSERT_TRUE(part->addShape(box));
    EXPECT_EQ(part->position(), (Vec3 { 3.0, 4.0, 10.0 }));

    // Turning about the origin swings the box around it.
    const Quat quarter = Quat::fromAxisAngleDegrees({ 1.0, 0.0, 0.0 }, 90.0);
    ASSERT_TRUE(part->setOrientation(quarter));
    EXPECT_NEAR((part->position() - Vec3 { 3.0, 4.0, 10.0 }).length(), 0.0, 1e-12);
    ASSERT_TRUE(part->setOrientation(Quat {}));

    RunFrames(world, 10);
    EXPECT_NEAR(part->position().z, -0.5, 0.005);
    EXPECT_NEAR(part->position().x, 3.0, 1e-6);
}

TEST(Dynamics, MassComesFromShapesAndDensity) {
    PhysicsWorld world;
    Solid* brick = world.createSolid();
    ShapeDesc box = ShapeDesc::box({ 2.0, 3.0, 4.0 });
    brick->addShape(box);
    EXPECT_NEAR(brick->mass(), 24.0 * Material::kDefaultDensity, 1e-9);
    ShapeDesc second = ShapeDesc::box({ 1.0, 1.0, 1.0 });
    second.offset.translate(5.0, 0.0, 0.0);
    second.material.density = 2.0;
    brick->addShape(second);
    EXPECT_NEAR(brick->mass(), 24.0 * Material::kDefaultDensity + 2.0, 1e-9);

    // A light ball of density 0.1.
    Solid* ball = world.createSolid();
    ShapeDesc sphere = ShapeDesc::sphere(2.0);
    sphere.material.density = 0.1;
    ball->addShape(sphere);
    EXPECT_NEAR(ball->mass(), 0.1 * 4.0 / 3.0 * std::numbers::pi * 8.0, 1e-9);
}

TEST(Dynamics, StaticSolidsStayWhereTheyArePutAndCarryOthers) {
    PhysicsWorld world;
    AddFloor(world);
    Solid* shelf = AddBox(world, { 10.0, 10.0, 1.0 }, { 0.0, 0.0, 20.0 });
    shelf->setStatic(true);
    EXPECT_TRUE(shelf->isStatic());
    Solid* box = AddBox(world, { 2.0, 2.0, 2.0 }, { 0.0, 0.0, 23.0 });
    RunFrames(world, 5);
    EXPECT_EQ(shelf->position(), (Vec3 { 0.0, 0.0, 20.0 }));
    EXPECT_NEAR(box->position().z, 21.5, 0.01);
    EXPECT_FALSE(shelf->setLinearVelocity({ 1.0, 0.0, 0.0 }));

    // A static solid can still be placed; the box falls to the floor.
    ASSERT_TRUE(shelf->setPosition({ 100.0, 0.0, 20.0 }));
    RunFrames(world, 8);
    EXPECT_EQ(shelf->position(), (Vec3 { 100.0, 0.0, 20.0 }));
    EXPECT_NEAR(box->position().z, 1.0, 0.01);

    // Made dynamic again, it falls too.
    shelf->setStatic(false);
    RunFrames(world, 8);
    EXPECT_NEAR(shelf->position().z, 0.5, 0.01);
}

TEST(Dynamics, DisabledSolidsNeitherMoveNorCollide) {
    PhysicsWorld world;
    AddFloor(world);
    Solid* hidden = AddBox(world, { 2.0, 2.0, 2.0 }, { 0.0, 0.0, 1.0 });
    Solid* falling = AddBox(world, { 2.0, 2.0, 2.0 }, { 0.0, 0.0, 4.0 });
    Solid* floating = AddBox(world, { 2.0, 2.0, 2.0 }, { 50.0, 0.0, 40.0 });
    hidden->setEnabled(false);
    floating->setEnabled(false);
    EXPECT_FALSE(hidden->isEnabled());
    RunFrames(world, 5);
    EXPECT_EQ(floating->position(), (Vec3 { 50.0, 0.0, 40.0 }));
    EXPECT_NEAR(falling->position().z, 1.0, 0.01);

    floating->setEnabled(true);
    RunFrames(world, 8);
    EXPECT_NEAR(floating->position().z, 1.0, 0.01);

    // Switched off in mid-flight it hangs still, holding what is joined to
    // it; switched on it flies on as it was.
    PhysicsWorld space;
    space.setGravity({ 0.0, 0.0, 0.0 });
    Solid* probe = AddBall(space, 1.0, {});
    Solid* passenger = AddBall(space, 1.0, { 3.0, 0.0, 0.0 });
    ASSERT_NE(space.createFixedJoint({ probe, passenger }), nullptr);
    ASSERT_TRUE(probe->setLinearVelocity({ 0.0, 2.0, 0.0 }));
    ASSERT_TRUE(passenger->setLinearVelocity({ 0.0, 2.0, 0.0 }));
    space.simulate(0.6);
    probe->setEnabled(false);
    EXPECT_FALSE(probe->setLinearVelocity({ 1.0, 0.0, 0.0 }));
    ASSERT_TRUE(passenger->setLinearVelocity({ 0.0, 0.0, 5.0 }));
    space.simulate(0.6);
    EXPECT_NEAR(probe->position().y, 1.2, 1e-6);
    EXPECT_NEAR(passenger->position().z, 0.0, 0.05);
    EXPECT_NEAR(passenger->position().y, 1.2, 0.01);
    probe->setEnabled(true);
    EXPECT_NEAR(probe->linearVelocity().y, 2.0, 1e-6);
}

TEST(Dynamics, VelocitiesCanBeReadAndSet) {
    PhysicsWorld world;
    world.setGravity({ 0.0, 0.0, 0.0 });
    EXPECT_EQ(world.gravity(), (Vec3 { 0.0, 0.0, 0.0 }));
    Solid* puck = AddBall(world, 1.0, { 0.0, 0.0, 0.0 });
    ASSERT_TRUE(puck->setLinearVelocity({ 2.0, 0.0, 0.0 }));
    ASSERT_TRUE(puck->setAngularVelocity({ 0.0, 0.0, 1.0 }));
    world.simulate(1.0);
    EXPECT_NEAR(puck->position().x, 2.0, 1e-9);
    EXPECT_NEAR(puck->angularVelocity().z, 1.0, 1e-9);
    Vec3 axis;
    double angle = 0.0;
    puck->orientation().toAxisAngle(axis, angle);
    EXPECT_NEAR(angle, 1.0, 1e-3);
}

// A contact is as soft as the softer of its two shapes. Hardness h gives an
// error reduction of 0.1 + 0.7 h and a constraint mixing of
// 1e-9 x 10^(7 (1 - h)); at rest a contact carrying a force F then sinks
// 0.001 (the resting layer) + F x step x mixing / reduction. A ball of
// radius 1 and density 1 (weight 9.8 x 4/3 pi) rests that deep in the floor,
// unless both are hard: then no deeper than the layer.
TEST(Dynamics, AContactIsAsSoftAsTheSofterOfItsTwoShapes) {
    struct Case {
        double ball;
        double floor;
    };
    const Case cases[]
        = { { 0.0, 1.0 }, { 1.0, 0.0 }, { 0.0, 0.0 }, { 0.2, 1.0 }, { 1.0, 0.2 }, { 1.0, 1.0 } };
    for (const Case& c : cases) {
        SCOPED_TRACE("ball " + std::to_string(c.ball) + ", floor " + std::to_string(c.floor));
        PhysicsWorld world;
        Solid* floor = world.createSolid();
        ShapeDesc slab = ShapeDesc::box({ 512.0, 512.0, 1.0 });
        slab.material = Material(c.floor, 1.0, 0.0);
        floor->addShape(slab);
        floor->setPosition({ 0.0, 0.0, -0.5 });
        floor->setStatic(true);
        Solid* ball = world.createSolid();
        ShapeDesc sphere = ShapeDesc::sphere(1.0);
        sphere.material = Material(c.ball, 1.0, 0.0, 1.0);
        ball->addShape(sphere);
        ball->setPosition({ 0.0, 0.0, 1.0 });
        RunFrames(world, 20);
        const double softer = std::min(c.ball, c.floor);
        const double reduction = 0.1 + 0.7 * softer;
        const double mixing = 1e-9 * std::pow(10.0, 7.0 * (1.0 - softer));
        const double weight = 9.8 * 4.0 / 3.0 * std::numbers::pi;
        const double depth = 0.001 + weight * 0.02 * mixing / reduction;
        if (softer == 1.0) {
            EXPECT_GE(1.0 - ball->position().z, 0.0);
            EXPECT_LE(1.0 - ball->position().z, 0.001);
        } else {
            EXPECT_NEAR(1.0 - ball->position().z, depth, 0.02 * depth);
        }
    }
}

// A thin cylinder on its side, its axis along x, stands on its rim at its
// full radius whichever way it is turned about the axis, touching at one
// point, and set rolling it rolls on without slipping: its speed is its turn
// times its radius.
TEST(Dynamics, ACylinderOnItsSideStandsAndRollsOnItsRim) {
    constexpr double kRadius = 2.0;
    for (const double turned : { 0.0, 5.5, 11.0, 37.0 }) {
        SCOPED_TRACE(std::to_string(turned) + " degrees");
        PhysicsWorld world;
        AddFloor(world);
        Solid* disc = world.createSolid();
        ShapeDesc shape = ShapeDesc::cylinder(kRadius, 0.02);
        shape.offset.rotate(90.0, 0.0, 1.0, 0.0);
        shape.offset.rotate(turned, 0.0, 0.0, 1.0);
        ASSERT_TRUE(disc->addShape(shape));
        ASSERT_TRUE(disc->setPosition({ 0.0, 0.0, kRadius }));
        // Upright a robot holds it; alone it stands for a few steps. It
        // touches at one point, in its middle plane: the two edges of its rim
        // are one spot.
        std::vector<CollisionEvent> touches;
        disc->setCollisionHandler([&touches](const CollisionEvent& e) { touches.push_back(e); });
        for (int i = 0; i < 5; ++i) {
            touches.clear();
            world.step();
        }
        EXPECT_NEAR(disc->position().z, kRadius, 0.001);
        ASSERT_EQ(touches.size(), 1u);
        EXPECT_NEAR(touches[0].point.x, 0.0, 1e-6);
    }
    PhysicsWorld world;
    AddFloor(world);
    Solid* disc = world.createSolid();
    ShapeDesc shape = ShapeDesc::cylinder(kRadius, 0.5);
    shape.offset.rotate(90.0, 0.0, 1.0, 0.0);
    ASSERT_TRUE(disc->addShape(shape));
    ASSERT_TRUE(disc->setPosition({ 0.0, 0.0, kRadius }));
    ASSERT_TRUE(disc->setAngularVelocity({ 1.0, 0.0, 0.0 }));
    // Turning forward about x, its rim's lowest point stands still when its
    // middle moves along -y at the turn times the radius.
    ASSERT_TRUE(disc->setLinearVelocity({ 0.0, -kRadius * 1.0, 0.0 }));
    RunFrames(world, 1);
    EXPECT_NEAR(disc->position().z, kRadius, 0.001);
    EXPECT_NEAR(disc->angularVelocity().x, 1.0, 1e-3);
    EXPECT_NEAR(disc->linearVelocity().y, -disc->angularVelocity().x * kRadius, 1e-3);
    EXPECT_NEAR(disc->position().y, -0.6 * kRadius, 0.01);
}
