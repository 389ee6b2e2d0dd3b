// Who may outlive whom, and which thread may change what: the owners of
// solids, joints and probes hold handles that go null with the object (or
// its world), and only the world's own thread changes it.

#include "PhysicsTestWorld.h"

#include "platform/Warnings.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

using namespace physics;
using namespace physics::testing;

namespace {

struct Parts {
    Handle<PhysicsWorld> world;
    Handle<Solid> body;
    Handle<Solid> wheel;
    Handle<HingeJoint> hinge;
    Handle<FixedJoint> fixed;
    Handle<RayProbe> probe;
};

// A motor, its wheel and a sensor the way the robot's parts hold them.
Parts MakeParts(PhysicsWorld& world) {
    Parts parts;
    parts.world = &world;
    Solid* body = AddBox(world, { 4.0, 4.0, 2.0 }, { 0.0, 0.0, 5.0 });
    Solid* wheel = AddBall(world, 1.0, { -3.0, 0.0, 5.0 });
    Solid* sensor = AddBox(world, { 1.0, 1.0, 1.0 }, { 0.0, 2.5, 5.0 });
    parts.body = body;
    parts.wheel = wheel;
    parts.hinge = world.createHingeJoint({ body, wheel, wheel->position(), { -1.0, 0.0, 0.0 } });
    parts.fixed = world.createFixedJoint({ body, sensor });
    parts.probe = world.createRayProbe({ sensor, { 0.0, 0.0, 1.1 }, { 0.0, 1.0, 0.0 }, 1 });
    return parts;
}

} // namespace

TEST(Handles, FollowTheirObjectsWhileTheyLive) {
    PhysicsWorld world;
    Parts parts = MakeParts(world);
    ASSERT_TRUE(parts.body && parts.wheel && parts.hinge && parts.fixed && parts.probe);
    EXPECT_EQ(parts.world.get(), &world);
    EXPECT_EQ(parts.hinge->firstSolid(), parts.body.get());
    Handle<Joint> joint = parts.hinge;
    EXPECT_EQ(joint.get(), parts.hinge.get());

    // A solid destroyed through its world: its handles go null, the hinge on
    // it lives on inert and its handle still finds it.
    Handle<Solid> copy = parts.wheel;
    ASSERT_TRUE(world.destroySolid(parts.wheel.get()));
    EXPECT_EQ(parts.wheel.get(), nullptr);
    EXPECT_FALSE(copy);
    ASSERT_TRUE(parts.hinge);
    EXPECT_TRUE(parts.hinge->isInert());

    // Destroying through a handle destroys once, then nothing is left.
    EXPECT_TRUE(joint.destroy());
    EXPECT_FALSE(joint);
    EXPECT_FALSE(parts.hinge);
    EXPECT_FALSE(parts.hinge.destroy());
    EXPECT_EQ(world.jointCount(), 1u);
    EXPECT_TRUE(parts.probe.destroy());
    EXPECT_EQ(world.rayProbeCount(), 0u);
    EXPECT_FALSE(parts.wheel.destroy());
    EXPECT_EQ(world.solidCount(), 2u);
    EXPECT_FALSE(Handle<Solid>().destroy());
}

TEST(Handles, PartsThatOutliveTheWorldDoNothing) {
    // The run's teardown may drop the world before the parts that hold its
    // solids, joints and probes: afterwards they find nothing, and destroying
    // what they held touches no freed memory.
    auto world = std::make_unique<PhysicsWorld>();
    Parts parts = MakeParts(*world);
    RunFrames(*world, 1);
    world.reset();
    EXPECT_EQ(parts.world.get(), nullptr);
    EXPECT_EQ(parts.body.get(), nullptr);
    EXPECT_EQ(parts.hinge.get(), nullptr);
    EXPECT_EQ(parts.probe.get(), nullptr);
    EXPECT_FALSE(parts.probe.destroy());
    EXPECT_FALSE(parts.hinge.destroy());
    EXPECT_FALSE(parts.fixed.destroy());
    EXPECT_FALSE(parts.wheel.destroy());
    EXPECT_FALSE(parts.body.destroy());

    // A new world at the same address is not the old one.
    auto again = std::make_unique<PhysicsWorld>();
    Parts fresh = MakeParts(*again);
    EXPECT_EQ(parts.body.get(), nullptr);
    EXPECT_NE(fresh.body.get(), nullptr);
}

TEST(Threads, OnlyTheWorldsOwnThreadChangesIt) {
    PhysicsWorld world;
    AddFloor(world);
    Solid* ball = AddBall(world, 1.0, { 0.0, 0.0, 5.0 });
    HingeJoint* hinge
        = world.createHingeJoint({ world.solidAt(0), ball, ball->position(), { 1.0, 0.0, 0.0 } });
    ASSERT_NE(hinge, nullptr);
#ifdef NDEBUG
    platform::WarningCapture warnings;
    // Reading from another thread is not a change.
    std::thread([&] { (void)ball->pose(); }).join();
    EXPECT_EQ(warnings.Count(), 0u);
    std::thread([&] {
        ball->setPosition({ 1.0, 2.0, 3.0 });
        hinge->addTorque(1.0);
        world.step();
        world.createSolid();
    }).join();
    EXPECT_EQ(warnings.Count("physics"), 4u);
    ASSERT_EQ(warnings.Lines().size(), 4u);
    EXPECT_NE(warnings.Lines()[0].find("Solid::setPose"), std::string::npos) << warnings.Lines()[0];
    EXPECT_NE(warnings.Lines()[2].find("PhysicsWorld::step"), std::string::npos) << warnings.Lines()[2];
    // The owner's own changes are not reported.
    ball->setPosition({ 0.0, 0.0, 5.0 });
    hinge->addTorque(1.0);
    RunFrames(world, 1);
    EXPECT_EQ(warnings.Count(), 4u);
#else
    EXPECT_DEATH(std::thread([&] { ball->setPosition({ 1.0, 2.0, 3.0 }); }).join(), "");
    EXPECT_DEATH(std::thread([&] { world.step(); }).join(), "");
#endif
}
