// Solids held by fixed joints move as one body: masses added about the
// common centre, each solid still answering for itself, and separate bodies
// again once the joint or a solid goes.

#include "PhysicsTestWorld.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

using namespace physics;
using namespace physics::testing;

namespace {

void ExpectNear(const Vec3& actual, const Vec3& expected, double tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

// A: a 2 x 2 x 2 box of density 5 (mass 40) centred on its origin at
// (0, 0, 10). B: its origin at (3, 0, 10), turned 90 degrees about y, with a
// 1 x 1 x 4 box of density 20 (mass 80) sitting 1 along B's own z. The turn
// takes B's z onto the world's x, so the box's centre is at (4, 0, 10) and
// its long side lies along x. Together: mass 120, centre of mass at
// x = (40 * 0 + 80 * 4) / 120 = 8/3 on the line y = 0, z = 10.
struct Pair {
    Solid* a;
    Solid* b;
};

constexpr double kPairMass = 120.0;
const Vec3 kPairCentre { 8.0 / 3.0, 0.0, 10.0 };

Pair MakePair(PhysicsWorld& world) {
    Solid* a = AddBox(world, { 2.0, 2.0, 2.0 }, { 0.0, 0.0, 10.0 });
    Solid* b = world.createSolid();
    ShapeDesc rod = ShapeDesc::box({ 1.0, 1.0, 4.0 });
    rod.material.density = 20.0;
    rod.offset.translate(0.0, 0.0, 1.0);
    b->addShape(rod);
    b->setPose({ { 3.0, 0.0, 10.0 }, Quat::fromAxisAngleDegrees({ 0.0, 1.0, 0.0 }, 90.0) });
    return { a, b };
}

} // namespace

TEST(FixedBody, MassesAddAboutTheCommonCentreAndTheBodyTurnsAboutIt) {
    PhysicsWorld world;
    world.setGravity({ 0.0, 0.0, 0.0 });
    auto [a, b] = MakePair(world);
    ASSERT_NEAR(a->mass(), 40.0, 1e-9);
    ASSERT_NEAR(b->mass(), 80.0, 1e-9);
    EXPECT_FALSE(a->sharesBodyWith(b));
    EXPECT_NEAR(a->bodyMass(), 40.0, 1e-9);
    ExpectNear(b->bodyCentre(), { 4.0, 0.0, 10.0 }, 1e-12);

    ASSERT_NE(world.createFixedJoint({ a, b }), nullptr);
    EXPECT_TRUE(a->sharesBodyWith(b));
    EXPECT_TRUE(b->sharesBodyWith(a));
    // Each keeps its own mass; the body has both.
    EXPECT_NEAR(a->mass(), 40.0, 1e-9);
    EXPECT_NEAR(b->mass(), 80.0, 1e-9);
    EXPECT_NEAR(a->bodyMass(), kPairMass, 1e-9);
    EXPECT_NEAR(b->bodyMass(), kPairMass, 1e-9);
    ExpectNear(a->bodyCentre(), kPairCentre, 1e-12);
    ExpectNear(b->bodyCentre(), kPairCentre, 1e-12);

    // Set turning at w about z with A's own centre at rest, the body turns
    // about its centre of mass, which drifts at w x (centre - A's centre) =
    // (0, 8/3 w, 0); A's centre goes round it at the distance 8/3.
    const double w = 0.5;
    ASSERT_TRUE(a->setLinearVelocity({ 0.0, 0.0, 0.0 }));
    ASSERT_TRUE(a->setAngularVelocity({ 0.0, 0.0, w }));
    ExpectNear(a->linearVelocity(), { 0.0, 0.0, 0.0 }, 1e-12);
    const double t = 1.0;
    world.simulate(t);
    const Vec3 centre = kPairCentre + Vec3 { 0.0, 8.0 / 3.0 * w * t, 0.0 };
    ExpectNear(a->bodyCentre(), centre, 1e-9);
    const double angle = w * t;
    ExpectNear(a->position(),
        centre + Vec3 { -8.0 / 3.0 * std::cos(angle), -8.0 / 3.0 * std::sin(angle), 0.0 }, 1e-4);
    // B's origin is 3 from A's along the turned x axis.
    ExpectNear(
        b->position(), a->position() + Vec3 { 3.0 * std::cos(angle), 3.0 * std::sin(angle), 0.0 }, 1e-4);
}

TEST(FixedBody, EachSolidAnswersItsOwnPoseVelocityAndPlacement) {
    PhysicsWorld world;
    world.setGravity({ 0.0, 0.0, 0.0 });
    auto [a, b] = MakePair(world);
    const Pose aBefore = a->pose();
    const Pose bBefore = b->pose();
    ASSERT_NE(world.createFixedJoint({ a, b }), nullptr);
    // Joining moves nothing.
    ExpectNear(a->position(), aBefore.position, 1e-12);
    ExpectNear(b->position(), bBefore.position, 1e-12);
    EXPECT_NEAR(b->orientation().w, bBefore.orientation.w, 1e-12);
    EXPECT_NEAR(b->orientation().y, bBefore.orientation.y, 1e-12);

    // Turning about A's centre at 0.5 about z while A drifts at (1, 0, 0):
    // B's own centre, (4, 0, 10), moves at (1, 0, 0) + 0.5 z x (4, 0, 0).
    ASSERT_TRUE(a->setLinearVelocity({ 1.0, 0.0, 0.0 }));
    ASSERT_TRUE(a->setAngularVelocity({ 0.0, 0.0, 0.5 }));
    ExpectNear(a->linearVelocity(), { 1.0, 0.0, 0.0 }, 1e-12);
    ExpectNear(b->linearVelocity(), { 1.0, 2.0, 0.0 }, 1e-12);
    ExpectNear(b->angularVelocity(), { 0.0, 0.0, 0.5 }, 1e-12);
    // Setting B's own velocity keeps the turn and moves the rest with it.
    ASSERT_TRUE(b->setLinearVelocity({ 0.0, 0.0, 0.0 }));
    ExpectNear(b->linearVelocity(), { 0.0, 0.0, 0.0 }, 1e-12);
    ExpectNear(a->linearVelocity(), { 0.0, -2.0, 0.0 }, 1e-12);

    RunFrames(world, 2);
    // Still held as they were joined: B sits where A's pose puts it.
    const Pose relative = aBefore.inverse() * bBefore;
    const Pose expected = a->pose() * relative;
    ExpectNear(b->position(), expected.position, 1e-9);
    EXPECT_NEAR(
        std::abs(b->orientation().w * expected.orientation.w + b->orientation().x * expected.orientation.x
            + b->orientation().y * expected.orientation.y + b->orientation().z * expected.orientation.z),
        1.0, 1e-12);

    // Placing B places the pair.
    const Pose target { { 50.0, -20.0, 5.0 }, Quat::fromAxisAngleDegrees({ 0.0, 0.0, 1.0 }, 30.0) };
    ASSERT_TRUE(b->setPose(target));
    ExpectNear(b->position(), target.position, 1e-9);
    ExpectNear(a->position(), (target * relative.inverse()).position, 1e-9);
    // Placed where it is to single precision (as poses come back from a
    // scene graph), B leaves A's placement exact; a move of 0.001 is a move.
    ASSERT_TRUE(a->setPose({ { 40.0, -20.0, 5.0 }, Quat {} }));
    const Pose bNow = b->pose();
    const Pose rounded { { double(float(bNow.position.x)), double(float(bNow.position.y)),
                             double(float(bNow.position.z)) },
        Quat { double(float(bNow.orientation.w)), double(float(bNow.orientation.x)),
            double(float(bNow.orientation.y)), double(float(bNow.orientation.z)) } };
    ASSERT_TRUE(b->setPose(rounded));
    EXPECT_EQ(a->position(), (Vec3 { 40.0, -20.0, 5.0 }));
    ASSERT_TRUE(b->setPose({ bNow.position + Vec3 { 0.0, 0.0, 0.001 }, bNow.orientation }));
    ExpectNear(a->position(), { 40.0, -20.0, 5.001 }, 1e-9);
}

TEST(FixedBody, DestroyingTheJointOrASolidGivesEachItsOwnBodyAgain) {
    // A box (4 x 4 x 2, mass 160) rests on a static table; a light box
    // (2 x 2 x 2 of density 1, mass 8) fixed beside it hangs over the table's
    // edge, held up by the joint. Their centre of mass, at x = 8 * 6.5 / 168,
    // stands over the first box.
    struct Bench {
        PhysicsWorld world;
        Solid* table;
        Solid* a;
        Solid* b;
        FixedJoint* joint;
        Bench() {
            AddFloor(world);
            table = AddBox(world, { 10.0, 10.0, 2.0 }, { 0.0, 0.0, 1.0 });
            table->setStatic(true);
            a = AddBox(world, { 4.0, 4.0, 2.0 }, { 0.0, 0.0, 3.0 });
            b = world.createSolid();
            ShapeDesc light = ShapeDesc::box({ 2.0, 2.0, 2.0 });
            light.material.density = 1.0;
            b->addShape(light);
            b->setPosition({ 6.5, 0.0, 3.0 });
            joint = world.createFixedJoint({ a, b });
        }
    };
    {
        Bench bench;
        ASSERT_NE(bench.joint, nullptr);
        RunFrames(bench.world, 3);
        EXPECT_NEAR(bench.b->position().z, 3.0, 0.02) << "held over the edge";
        EXPECT_NEAR(bench.a->bodyMass(), 168.0, 1e-9);
        ASSERT_TRUE(bench.world.destroyJoint(bench.joint));
        EXPECT_FALSE(bench.a->sharesBodyWith(bench.b));
        EXPECT_NEAR(bench.a->bodyMass(), 160.0, 1e-9);
        EXPECT_NEAR(bench.b->bodyMass(), 8.0, 1e-9);
        ExpectNear(bench.b->bodyCentre(), bench.b->position(), 1e-9);
        RunFrames(bench.world, 3);
        EXPECT_NEAR(bench.b->position().z, 1.0, 0.02) << "fallen to the floor";
        EXPECT_NEAR(bench.a->position().z, 3.0, 0.02) << "still on the table";
    }
    {
        // The first solid goes: the second falls on its own.
        Bench bench;
        ASSERT_TRUE(bench.world.destroySolid(bench.a));
        EXPECT_TRUE(bench.joint->isInert());
        EXPECT_NEAR(bench.b->bodyMass(), 8.0, 1e-9);
        RunFrames(bench.world, 3);
        EXPECT_NEAR(bench.b->position().z, 1.0, 0.02);
    }
    {
        // The second goes: the first is its own mass again.
        Bench bench;
        ASSERT_TRUE(bench.world.destroySolid(bench.b));
        EXPECT_NEAR(bench.a->bodyMass(), 160.0, 1e-9);
        ExpectNear(bench.a->bodyCentre(), { 0.0, 0.0, 3.0 }, 1e-9);
        RunFrames(bench.world, 3);
        EXPECT_NEAR(bench.a->position().z, 3.0, 0.02);
        EXPECT_NEAR(bench.a->position().x, 0.0, 0.02);
    }
    {
        // Every joint goes at once: each solid is its own body of its own
        // mass again, the first (which led the group) included.
        Bench bench;
        bench.world.destroyAllJoints();
        EXPECT_FALSE(bench.a->sharesBodyWith(bench.b));
        EXPECT_NEAR(bench.a->bodyMass(), 160.0, 1e-9);
        EXPECT_NEAR(bench.b->bodyMass(), 8.0, 1e-9);
        ExpectNear(bench.a->bodyCentre(), bench.a->position(), 1e-9);
        RunFrames(bench.world, 3);
        EXPECT_NEAR(bench.b->position().z, 1.0, 0.02) << "fallen to the floor";
    }
    {
        // Apart in mid-turn, each flies on as it was going: straight on at
        // the velocity it had, turning as it turned.
        PhysicsWorld space;
        space.setGravity({ 0.0, 0.0, 0.0 });
        auto [a, b] = MakePair(space);
        FixedJoint* joint = space.createFixedJoint({ a, b });
        ASSERT_TRUE(a->setAngularVelocity({ 0.0, 0.0, 0.5 }));
        space.simulate(0.6);
        const Vec3 va = a->linearVelocity();
        const Vec3 vb = b->linearVelocity();
        ASSERT_GT(vb.length(), 1.0);
        ASSERT_TRUE(space.destroyJoint(joint));
        EXPECT_FALSE(a->sharesBodyWith(b));
        ExpectNear(a->linearVelocity(), va, 1e-9);
        ExpectNear(b->linearVelocity(), vb, 1e-9);
        ExpectNear(b->angularVelocity(), { 0.0, 0.0, 0.5 }, 1e-9);
        const Vec3 from = b->bodyCentre();
        space.simulate(1.0);
        ExpectNear(b->bodyCentre(), from + vb, 1e-9);
    }
}

// What a group of solids carries of their motion when it is made or comes
// apart: its momentum and its angular momentum (about the world's origin,
// each solid's I w + m c x v, I its inertia about its own centre c). A: the
// 2 x 2 x 2 box of mass 40, I = 40 (4 + 4) / 12 each way; B: the rod of mass
// 80 lying along x, I = 80 (1 + 1) / 12 about x and 80 (1 + 16) / 12 across.
TEST(FixedBody, GroupsKeepTheMomentumAndAngularMomentumOfTheirSolids) {
    PhysicsWorld world;
    world.setGravity({ 0.0, 0.0, 0.0 });
    auto [a, b] = MakePair(world);
    struct Part {
        Solid* solid;
        Vec3 inertia;
        Vec3 centreInSolid;
    };
    const Part parts[] = { { a, Vec3 { 1.0, 1.0, 1.0 } * (40.0 * 8.0 / 12.0), {} },
        { b, Vec3 { 80.0 * 2.0 / 12.0, 80.0 * 17.0 / 12.0, 80.0 * 17.0 / 12.0 }, { 0.0, 0.0, 1.0 } } };
    struct Motion {
        Vec3 momentum;
        Vec3 angular;
    };
    auto motion = [&] {
        Motion m;
        for (const Part& p : parts) {
            const Vec3 v = p.solid->linearVelocity();
            const Vec3 w = p.solid->angularVelocity();
            const Vec3 c = p.solid->pose().transformPoint(p.centreInSolid);
            m.momentum += v * p.solid->mass();
            m.angular += Vec3 { p.inertia.x * w.x, p.inertia.y * w.y, p.inertia.z * w.z }
                + c.cross(v) * p.solid->mass();
        }
        return m;
    };
    ASSERT_TRUE(a->setLinearVelocity({ 1.0, 0.0, 0.0 }));
    ASSERT_TRUE(a->setAngularVelocity({ 0.0, 0.0, 0.5 }));
    ASSERT_TRUE(b->setLinearVelocity({ 0.0, 2.0, -1.0 }));
    ASSERT_TRUE(b->setAngularVelocity({ 0.3, 0.0, 0.0 }));
    const Motion apart = motion();
    ASSERT_NE(world.createFixedJoint({ a, b }), nullptr);
    const Motion joined = motion();
    ExpectNear(joined.momentum, apart.momentum, 1e-9);
    ExpectNear(joined.angular, apart.angular, 1e-9);

    // A turning group of three comes apart into two and one: every solid
    // goes on moving and turning as it did, whichever leads its new group.
    Solid* c = AddBox(world, { 2.0, 2.0, 2.0 }, { 3.0, 4.0, 10.0 });
    FixedJoint* last = world.createFixedJoint({ b, c });
    ASSERT_NE(last, nullptr);
    world.simulate(0.6);
    std::vector<std::pair<Vec3, Vec3>> before;
    for (Solid* s : { a, b, c })
        before.emplace_back(s->linearVelocity(), s->angularVelocity());
    ASSERT_TRUE(world.destroyJoint(last));
    ASSERT_FALSE(c->sharesBodyWith(b));
    int i = 0;
    for (Solid* s : { a, b, c }) {
        ExpectNear(s->linearVelocity(), before[i].first, 1e-9);
        ExpectNear(s->angularVelocity(), before[i].second, 1e-9);
        ++i;
    }
}

TEST(FixedBody, AStaticSolidHoldsTheSolidsJoinedToIt) {
    // The free solid comes first, so the group's body is its own.
    PhysicsWorld world;
    Solid* free = AddBox(world, { 1.0, 1.0, 1.0 }, { 0.0, 0.0, 10.0 });
    Solid* held = AddBox(world, { 1.0, 1.0, 1.0 }, { 2.0, 0.0, 10.0 });
    held->setStatic(true);
    ASSERT_NE(world.createFixedJoint({ free, held }), nullptr);
    RunFrames(world, 2);
    ExpectNear(free->position(), { 0.0, 0.0, 10.0 }, 1e-12);
    ExpectNear(held->position(), { 2.0, 0.0, 10.0 }, 1e-12);
    ExpectNear(free->linearVelocity(), {}, 1e-12);
}

TEST(FixedBody, ShapesKeepTheirGroupsMaterialsEventsAndRaysOnTheSharedBody) {
    // A (group 5, which does not meet the floor) hangs under B (group 0):
    // the pair lands on B, and A sinks through the floor.
    struct Drop {
        PhysicsWorld world;
        Solid* floor;
        Solid* a;
        Solid* b;
        std::vector<CollisionEvent> heardA, heardB;
        explicit Drop(double friction) {
            world.setupContactGroups(0, 5, false);
            floor = AddFloor(world);
            a = AddBox(world, { 2.0, 2.0, 2.0 }, { 0.0, 0.0, 10.0 }, 5);
            b = world.createSolid();
            ShapeDesc foot = ShapeDesc::box({ 2.0, 2.0, 2.0 });
            foot.material.friction = friction;
            b->addShape(foot);
            b->setPosition({ 0.0, 0.0, 12.0 });
            world.createFixedJoint({ a, b });
            a->setCollisionHandler([this](const CollisionEvent& e) { heardA.push_back(e); });
            b->setCollisionHandler([this](const CollisionEvent& e) { heardB.push_back(e); });
            RunFrames(world, 5);
        }
    };
    Drop drop(1.0);
    EXPECT_NEAR(drop.b->position().z, 1.0, 0.02);
    EXPECT_NEAR(drop.a->position().z, -1.0, 0.02);
    EXPECT_TRUE(drop.heardA.empty());
    ASSERT_FALSE(drop.heardB.empty());
    for (const CollisionEvent& e : drop.heardB) {
        EXPECT_EQ(e.self, drop.b);
        EXPECT_EQ(e.other, drop.floor);
    }

    // Rays sort the shapes by their own groups and name their own solids.
    const RaycastHit down = drop.world.castRay({ 0.0, 0.0, 20.0 }, { 0.0, 0.0, -1.0 }, 50.0, 0);
    EXPECT_EQ(down.solid, drop.b);
    EXPECT_EQ(down.contactGroup, 0);
    const RaycastHit deep = drop.world.castRay({ 0.0, 0.0, 20.0 }, { 0.0, 0.0, -1.0 }, 50.0, 5);
    EXPECT_EQ(deep.solid, drop.a);
    EXPECT_EQ(deep.contactGroup, 5);
    EXPECT_NEAR(deep.point.z, 0.0, 0.03);
    // A probe riding on B never sees B but sees A, a solid of its own.
    RayProbe* probe = drop.world.createRayProbe({ drop.b, { 0.0, 0.0, 0.0 }, { 0.0, 0.0, -1.0 }, 5 });
    ASSERT_NE(probe, nullptr);
    const RaycastHit below = probe->fire(10.0);
    EXPECT_EQ(below.solid, drop.a);
    EXPECT_NEAR(below.distance, 1.0, 1e-9);

    // The foot's own friction holds the pair; a frictionless foot slides.
    ASSERT_TRUE(drop.a->setLinearVelocity({ 3.0, 0.0, 0.0 }));
    RunFrames(drop.world, 1);
    EXPECT_NEAR(drop.a->linearVelocity().x, 0.0, 0.05);
    Drop ice(0.0);
    ASSERT_TRUE(ice.a->setLinearVelocity({ 3.0, 0.0, 0.0 }));
    RunFrames(ice.world, 1);
    EXPECT_NEAR(ice.a->linearVelocity().x, 3.0, 0.05);
}

TEST(FixedBody, AHingeKeepsItsPlaceAndAngleWhenItsBodyIsBuiltAnew) {
    // A motor with a wheel on a hinge along -x; a heavy brick fixed to the
    // motor afterwards moves the body's centre of mass.
    PhysicsWorld world;
    world.setGravity({ 0.0, 0.0, 0.0 });
    Solid* motor = AddBox(world, { 1.0, 1.0, 1.0 }, { 0.0, 0.0, 10.0 });
    Solid* wheel = AddBall(world, 1.0, { -2.0, 0.0, 10.0 });
    HingeJoint* hinge = world.createHingeJoint({ wheel, motor, wheel->position(), { -1.0, 0.0, 0.0 } });
    ASSERT_NE(hinge, nullptr);
    for (int i = 0; i < 5; ++i) {
        hinge->addTorque(20.0);
        world.step();
    }
    const double angle = hinge->angleDegrees();
    const Vec3 spin = wheel->angularVelocity();
    ASSERT_GT(std::abs(angle), 1.0);

    Solid* brick = world.createSolid();
    ShapeDesc heavy = ShapeDesc::box({ 2.0, 2.0, 2.0 });
    heavy.material.density = 50.0;
    brick->addShape(heavy);
    brick->setPosition({ 0.0, 3.0, 10.0 });
    ASSERT_NE(world.createFixedJoint({ motor, brick }), nullptr);
    ASSERT_GT((motor->bodyCentre() - motor->position()).length(), 2.0);
    EXPECT_NEAR(hinge->angleDegrees(), angle, 1e-9);
    // (The motor takes on the brick's rest; the wheel, a body of its own,
    // turns on as it turned.)
    ExpectNear(wheel->angularVelocity(), spin, 1e-12);
    ExpectNear(hinge->anchor(), wheel->position(), 1e-9);

    // Turning on, the wheel stays on its shaft.
    const Vec3 shaft = wheel->position() - motor->position();
    for (int i = 0; i < 50; ++i) {
        hinge->addTorque(20.0);
        world.step();
    }
    EXPECT_GT(std::abs(hinge->angleDegrees() - angle), 5.0);
    const Vec3 now = wheel->position() - motor->position();
    EXPECT_NEAR(now.length(), shaft.length(), 1e-3);
    ExpectNear(hinge->anchor(), wheel->position(), 1e-3);

    // A hinge between two solids of one body has nothing to turn.
    Solid* lamp = AddBox(world, { 1.0, 1.0, 1.0 }, { 0.0, -2.0, 10.0 });
    ASSERT_NE(world.createFixedJoint({ motor, lamp }), nullptr);
    HingeJoint* idle = world.createHingeJoint({ lamp, brick, lamp->position(), { 0.0, 0.0, 1.0 } });
    ASSERT_NE(idle, nullptr);
    world.step();
    EXPECT_EQ(idle->angleDegrees(), 0.0);
    EXPECT_EQ(idle->angleRateDegrees(), 0.0);
    ExpectNear(idle->anchor(), lamp->position(), 1e-9);
}
