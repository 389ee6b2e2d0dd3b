#include "PhysicsTestWorld.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numbers>

using namespace physics;
using namespace physics::testing;

namespace {

constexpr double kDegPerRad = 180.0 / std::numbers::pi;

struct MotorAndWheel {
    Solid* motor;
    Solid* wheel;
    HingeJoint* hinge;
};

// A static motor holding a ball wheel of radius 1 on a hinge along -x, the
// way a motor part drives its wheel; the wheel touches nothing.
MotorAndWheel MakeMotorAndWheel(PhysicsWorld& world) {
    Solid* motor = AddBox(world, { 1.0, 1.0, 1.0 }, { 0.0, 0.0, 10.0 });
    motor->setStatic(true);
    Solid* wheel = AddBall(world, 1.0, { -2.0, 0.0, 10.0 });
    HingeJointDesc desc;
    desc.first = motor;
    desc.second = wheel;
    desc.anchor = wheel->position();
    desc.axis = { -1.0, 0.0, 0.0 };
    HingeJoint* hinge = world.createHingeJoint(desc);
    return { motor, wheel, hinge };
}

} // namespace

TEST(HingeJoint, MotorTorqueActsForOneStepAndTheRateIsInDegrees) {
    PhysicsWorld world;
    auto [motor, wheel, hinge] = MakeMotorAndWheel(world);
    ASSERT_NE(hinge, nullptr);
    EXPECT_EQ(hinge->angleRateDegrees(), 0.0);

    // 150000 is a motor value of 50 on a wheel at rest.
    const double torque = 150000.0;
    const double inertia = 0.4 * wheel->mass() * 1.0 * 1.0;
    hinge->addTorque(torque);
    EXPECT_EQ(hinge->pendingTorque(), torque);
    world.simulate(0.6);
    EXPECT_EQ(hinge->pendingTorque(), 0.0);
    // One step of 0.02 s, not thirty.
    const double expectedRad = torque * 0.02 / inertia;
    EXPECT_NEAR(hinge->angleRateDegrees(), expectedRad * kDegPerRad, 1e-6 * expectedRad * kDegPerRad);
    // The first solid turns positively about the axis: with the motor held,
    // the wheel turns the other way about -x, that is positively about +x.
    EXPECT_NEAR(wheel->angularVelocity().x, expectedRad, 1e-6 * expectedRad);
    EXPECT_NEAR(motor->angularVelocity().length(), 0.0, 1e-12);

    // Without a new torque the free wheel keeps its rate; the angle grows.
    const double rate = hinge->angleRateDegrees();
    world.simulate(0.6);
    EXPECT_NEAR(hinge->angleRateDegrees(), rate, 1e-6 * rate);
    EXPECT_NE(hinge->angleDegrees(), 0.0);

    // A negative torque turns it back.
    hinge->addTorque(-2.0 * torque);
    world.simulate(0.6);
    EXPECT_NEAR(hinge->angleRateDegrees(), -rate, 1e-6 * rate);
}

TEST(HingeJoint, TheAngleFollowsTheRateAndStopsAtItsLimits) {
    PhysicsWorld world;
    world.setGravity({ 0.0, 0.0, 0.0 });
    auto [motor, wheel, hinge] = MakeMotorAndWheel(world);
    // A slow turn: 45 degrees per second for 0.2 s.
    ASSERT_TRUE(wheel->setAngularVelocity({ 45.0 / kDegPerRad, 0.0, 0.0 }));
    for (int i = 0; i < 10; ++i)
        world.step();
    EXPECT_NEAR(hinge->angleRateDegrees(), 45.0, 1e-6);
    EXPECT_NEAR(hinge->angleDegrees(), 9.0, 1e-3);

    hinge->setLimits(true, 30.0, -30.0);
    EXPECT_DOUBLE_EQ(hinge->lowLimitDegrees(), -30.0);
    EXPECT_DOUBLE_EQ(hinge->highLimitDegrees(), 30.0);
    double highest = -180.0;
    for (int i = 0; i < 200; ++i) {
        hinge->addTorque(50.0);
        world.step();
        highest = std::max(highest, hinge->angleDegrees());
    }
    EXPECT_LT(highest, 32.0);
    EXPECT_GT(highest, 28.0);

    hinge->setLimits(true, -500.0, 500.0);
    EXPECT_DOUBLE_EQ(hinge->lowLimitDegrees(), -180.0);
    EXPECT_DOUBLE_EQ(hinge->highLimitDegrees(), 180.0);
}

TEST(HingeJoint, ATorqueThatOverridesTheLimitsMayDriveItPastTheStops) {
    PhysicsWorld world;
    world.setGravity({ 0.0, 0.0, 0.0 });
    Solid* motor = AddBox(world, { 1.0, 1.0, 1.0 }, { 0.0, 0.0, 10.0 });
    motor->setStatic(true);
    Solid* wheel = AddBall(world, 1.0, { -2.0, 0.0, 10.0 });
    HingeJoint* hinge
        = world.createHingeJoint({ wheel, motor, wheel->position(), { 1.0, 0.0, 0.0 }, true, -30.0, 30.0 });
    ASSERT_NE(hinge, nullptr);
    // Drives for `steps` steps and gives the largest angle seen.
    auto drive = [&](double torque, bool overrideLimits, int steps) {
        double highest = -180.0;
        for (int i = 0; i < steps; ++i) {
            hinge->addTorque(torque, overrideLimits);
            world.step();
            highest = std::max(highest, hinge->angleDegrees());
        }
        return highest;
    };
    // Without the override the stop holds, however hard the torque.
    drive(20.0, false, 100);
    EXPECT_LT(drive(100.0, false, 100), 30.5);
    EXPECT_GT(hinge->angleDegrees(), 29.5);
    // With it the hinge is driven past the stop...
    EXPECT_GT(drive(100.0, true, 10), 40.0);
    // ...and without further torque the stop pulls it back within 30.
    drive(0.0, false, 100);
    EXPECT_LT(hinge->angleDegrees(), 30.5);
    EXPECT_GT(hinge->angleDegrees(), -30.5);
    EXPECT_TRUE(hinge->limitsEnabled());
    EXPECT_DOUBLE_EQ(hinge->highLimitDegrees(), 30.0);
}

TEST(HingeJoint, TheOneStepMotorRuleDrivesARobotAtASteadyPace) {
    // A robot body with two capsule-ring wheels (radius 3.5, width 2.5) and a
    // frictionless caster ball, driven once per frame by
    // t = 3000 v - 5000 w with w the hinge rate in degrees per second. The
    // rate settles near 0.6 v instead of swinging.
    PhysicsWorld world;
    world.setupContactGroups(1, 1, false);
    AddFloor(world);
    auto part = [&](ShapeDesc shape, const Vec3& at, double friction) {
        Solid* solid = world.createSolid();
        shape.contactGroup = 1;
        shape.material.friction = friction;
        solid->addShape(shape);
        solid->setPosition(at);
        return solid;
    };
    Solid* body = part(ShapeDesc::box({ 10.0, 8.0, 4.0 }), { 0.0, 0.0, 4.0 }, 0.0);
    Solid* caster = part(ShapeDesc::sphere(1.5), { 0.0, -5.0, 1.5 }, 0.0);
    ASSERT_NE(world.createFixedJoint({ body, caster }), nullptr);
    std::vector<HingeJoint*> hinges;
    for (double side : { -1.0, 1.0 }) {
        Solid* motor = part(ShapeDesc::box({ 2.0, 3.0, 3.0 }), { 4.0 * side, 2.0, 3.5 }, 0.0);
        ASSERT_NE(world.createFixedJoint({ body, motor }), nullptr);
        Solid* wheel = world.createSolid();
        for (int i = 0; i < 16; ++i) {
            ShapeDesc capsule = ShapeDesc::capsule(1.25, 4.5);
            capsule.offset.rotate(11.0 * i, 1.0, 0.0, 0.0);
            capsule.contactGroup = 1;
            wheel->addShape(capsule);
        }
        wheel->setPosition({ 6.5 * side, 2.0, 3.5 });
        HingeJointDesc desc;
        desc.first = motor;
        desc.second = wheel;
        desc.anchor = wheel->position();
        desc.axis = { -1.0, 0.0, 0.0 };
        hinges.push_back(world.createHingeJoint(desc));
        ASSERT_NE(hinges.back(), nullptr);
    }
    RunFrames(world, 5);
    const double value = 50.0;
    std::vector<double> rates;
    const Vec3 start = body->position();
    for (int frame = 0; frame < 100; ++frame) {
        for (HingeJoint* hinge : hinges)
            hinge->addTorque(
                std::clamp(3000.0 * value - 5000.0 * hinge->angleRateDegrees(), -200000.0, 200000.0));
        world.simulate(0.6);
        rates.push_back(hinges[0]->angleRateDegrees());
    }
    for (int frame = 50; frame < 100; ++frame)
        EXPECT_NEAR(rates[frame], 0.6 * value, 5.0) << "frame " << frame;
    // Straight ahead along -y, on the floor.
    const Vec3 travelled = body->position() - start;
    EXPECT_LT(travelled.y, -50.0);
    EXPECT_NEAR(travelled.x, 0.0, 0.05 * -travelled.y);
    EXPECT_NEAR(body->position().z, start.z, 0.1);
}

TEST(FixedJoint, HoldsTheRelativePoseAndItsSolidsDoNotCollide) {
    PhysicsWorld world;
    AddFloor(world);
    // Two overlapping boxes: were they to collide, they would fly apart.
    Solid* a = AddBox(world, { 4.0, 4.0, 2.0 }, { 0.0, 0.0, 6.0 });
    Solid* b = AddBox(world, { 2.0, 2.0, 2.0 }, { 1.0, 0.0, 7.0 });
    FixedJoint* joint = world.createFixedJoint({ a, b });
    ASSERT_NE(joint, nullptr);
    EXPECT_EQ(joint->firstSolid(), a);
    EXPECT_EQ(joint->secondSolid(), b);
    RunFrames(world, 10);
    EXPECT_NEAR(a->position().z, 1.0, 0.02);
    const Vec3 relative = b->position() - a->position();
    EXPECT_NEAR(relative.x, 1.0, 0.01);
    EXPECT_NEAR(relative.z, 1.0, 0.01);
    EXPECT_NEAR(b->linearVelocity().length(), 0.0, 1e-2);
}

TEST(Joint, GoesInertWhenASolidIsDestroyedAndIsDestroyedOnce) {
    PhysicsWorld world;
    auto [motor, wheel, hinge] = MakeMotorAndWheel(world);
    ASSERT_EQ(world.jointCount(), 1u);
    ASSERT_TRUE(world.destroySolid(wheel));
    EXPECT_TRUE(hinge->isInert());
    EXPECT_EQ(hinge->firstSolid(), nullptr);
    EXPECT_EQ(hinge->anchor(), (Vec3 { -2.0, 0.0, 10.0 }));
    EXPECT_EQ(hinge->axis(), (Vec3 { -1.0, 0.0, 0.0 }));
    hinge->addTorque(1000.0);
    world.simulate(0.6);
    EXPECT_EQ(hinge->angleRateDegrees(), 0.0);
    EXPECT_EQ(motor->position(), (Vec3 { 0.0, 0.0, 10.0 }));
    EXPECT_TRUE(world.destroyJoint(hinge));
    EXPECT_FALSE(world.destroyJoint(hinge));
    EXPECT_FALSE(world.destroyJoint(nullptr));
    EXPECT_EQ(world.jointCount(), 0u);
}

TEST(Joint, RefusesSolidsItCannotJoin) {
    PhysicsWorld world;
    PhysicsWorld other;
    Solid* a = AddBox(world, { 1.0, 1.0, 1.0 }, {});
    Solid* b = AddBox(world, { 1.0, 1.0, 1.0 }, { 2.0, 0.0, 0.0 });
    Solid* foreign = AddBox(other, { 1.0, 1.0, 1.0 }, {});
    EXPECT_EQ(world.createFixedJoint({ a, a }), nullptr);
    EXPECT_EQ(world.createFixedJoint({ a, nullptr }), nullptr);
    EXPECT_EQ(world.createFixedJoint({ a, foreign }), nullptr);
    HingeJointDesc desc { a, b, { 1.0, 0.0, 0.0 }, { 0.0, 0.0, 0.0 } };
    EXPECT_EQ(world.createHingeJoint(desc), nullptr);
    desc.axis = { 1.0, 0.0, 0.0 };
    desc.anchor.y = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(world.createHingeJoint(desc), nullptr);
    desc.anchor.y = 0.0;
    desc.limitsEnabled = true;
    desc.lowLimitDegrees = std::numeric_limits<double>::quiet_NaN();
    HingeJoint* hinge = world.createHingeJoint(desc);
    ASSERT_NE(hinge, nullptr);
    EXPECT_DOUBLE_EQ(hinge->lowLimitDegrees(), -180.0);
    EXPECT_EQ(world.jointCount(), 1u);
}

namespace {

// A wheel that touches nothing, on a hinge along x whose bearing holds with
// `friction`, to a held motor block: a ball of radius 1 (I = 0.4 m) and a
// block 1 x 1 x 1 with a tenth of the wheel's inertia about the axis. Were
// the held block counted, the bearing would hold the wheel a tenth as hard
// and let it swing.
struct Bearing {
    PhysicsWorld world;
    Solid* motor = nullptr;
    Solid* wheel = nullptr;
    HingeJoint* hinge = nullptr;
    double inertia = 0.0;

    explicit Bearing(double friction) {
        world.setGravity({ 0.0, 0.0, 0.0 });
        motor = AddBox(world, { 1.0, 1.0, 1.0 }, { 0.0, 0.0, 10.0 });
        motor->setStatic(true);
        wheel = AddBall(world, 1.0, { -2.0, 0.0, 10.0 });
        HingeJointDesc desc;
        desc.first = wheel;
        desc.second = motor;
        desc.anchor = wheel->position();
        desc.axis = { 1.0, 0.0, 0.0 };
        desc.friction = friction;
        hinge = world.createHingeJoint(desc);
        inertia = 0.4 * wheel->mass();
    }
    double Radians() const { return hinge->angleDegrees() / kDegPerRad; }
};

} // namespace

// The bearing's rules: slipping, it turns against its whole friction, so the
// rate falls by friction x step / I in every step until it sticks; stuck, it
// holds the wheel with a spring and a damper scaled by the wheel's own
// inertia (what is held does not turn), a torque of -I 5 (5 x + 2 w) in each
// step, x the turn since it stuck and w the rate: a nudge dies away
// critically damped in about a fifth of a second, never swinging past where
// it stuck. The expected turn is that rule stepped as the engine steps (the
// rate first, then the angle at the new rate).
TEST(HingeJoint, TheBearingSlowsASlippingWheelAndHoldsANudgedOneWithoutSwinging) {
    {
        Bearing spun(50.0);
        ASSERT_NE(spun.hinge, nullptr);
        const double w0 = 3.0;
        ASSERT_TRUE(spun.wheel->setAngularVelocity({ w0, 0.0, 0.0 }));
        const double perStep = 50.0 * 0.02 / spun.inertia;
        for (int step = 1; step <= 20; ++step) {
            spun.world.step();
            EXPECT_NEAR(spun.hinge->angleRateDegrees() / kDegPerRad, w0 - step * perStep, 1e-6)
                << "step " << step;
        }
        // Once slow enough it sticks and stays.
        RunFrames(spun.world, 4);
        const double stopped = spun.hinge->angleDegrees();
        EXPECT_LT(std::abs(spun.hinge->angleRateDegrees()), 0.01);
        RunFrames(spun.world, 2);
        EXPECT_NEAR(spun.hinge->angleDegrees(), stopped, 0.01);
    }
    {
        Bearing nudged(50.0);
        double w = 0.3;
        ASSERT_TRUE(nudged.wheel->setAngularVelocity({ w, 0.0, 0.0 }));
        double x = 0.0;
        double peak = 0.0;
        for (int step = 0; step < 100; ++step) {
            w -= 0.02 * 5.0 * (5.0 * x + 2.0 * w);
            x += 0.02 * w;
            nudged.world.step();
            ASSERT_NEAR(nudged.Radians(), x, 1e-6) << "step " << step;
            peak = std::max(peak, x);
            EXPECT_GT(nudged.Radians(), -1e-6) << "step " << step;
        }
        // Out to about w0 / (5 e), 0.022, and back within 1% of it in 2 s.
        EXPECT_NEAR(peak, 0.3 / (5.0 * std::numbers::e), 0.005);
        EXPECT_LT(std::abs(nudged.Radians()), 0.01 * peak);
    }
}

// Braked and let go, the bearing sticks afresh where the brake left the
// wheel; it does not pull it back to where it stuck before.
TEST(HingeJoint, ABrakeLetGoLeavesTheWheelWhereItHeldIt) {
    Bearing nudged(50.0);
    ASSERT_TRUE(nudged.wheel->setAngularVelocity({ 0.3, 0.0, 0.0 }));
    for (int step = 0; step < 10; ++step)
        nudged.world.step();
    nudged.hinge->brake(1000.0);
    for (int step = 0; step < 10; ++step)
        nudged.world.step();
    const double held = nudged.Radians();
    ASSERT_GT(held, 0.01);
    EXPECT_LT(std::abs(nudged.hinge->angleRateDegrees()), 1e-6);
    nudged.hinge->brake(0.0);
    for (int step = 0; step < 100; ++step)
        nudged.world.step();
    EXPECT_NEAR(nudged.Radians(), held, 1e-6);
}
