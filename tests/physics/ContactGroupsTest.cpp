#include "PhysicsTestWorld.h"

#include <gtest/gtest.h>

using namespace physics;
using namespace physics::testing;

namespace {

// The simulation's set-up sequence; later calls override earlier ones.
void SetUpSimulationGroups(PhysicsWorld& world) {
    world.setupContactGroups(1, 1, false);
    world.setupContactGroup(2, false);
    world.setupContactGroup(4, false);
    world.setupContactGroups(2, 4, true);
    world.setupContactGroups(0, 4, true);
    world.setupContactGroups(4, 6, true);
    world.setupContactGroup(3, false);
    world.setupContactGroup(5, false);
    world.setupContactGroups(3, 5, true);
    world.setupContactGroups(0, 5, true);
    world.setupContactGroup(31, false);
    for (int g = 20; g <= 29; ++g)
        world.setupContactGroups(g, g, false);
}

bool Expected(int a, int b) {
    auto is = [](int g, std::initializer_list<int> set) {
        return std::find(set.begin(), set.end(), g) != set.end();
    };
    if (a == 31 || b == 31)
        return false;
    if (a == 1 && b == 1)
        return false;
    if (a == 2 || b == 2)
        return is(a == 2 ? b : a, { 4 });
    if (a == 4 || b == 4)
        return is(a == 4 ? b : a, { 0, 2, 6 });
    if (a == 3 || b == 3)
        return is(a == 3 ? b : a, { 5 });
    if (a == 5 || b == 5)
        return is(a == 5 ? b : a, { 0, 3 });
    if (a == b && a >= 20 && a <= 29)
        return false;
    return true;
}

} // namespace

TEST(ContactGroups, SimulationSequenceGivesTheDocumentedTable) {
    PhysicsWorld world;
    SetUpSimulationGroups(world);
    for (int a = 0; a < 32; ++a)
        for (int b = 0; b < 32; ++b)
            EXPECT_EQ(world.groupsMakeContact(a, b), Expected(a, b)) << a << " with " << b;
}

TEST(ContactGroups, OutOfRangeGroupsAreRefused) {
    PhysicsWorld world;
    EXPECT_FALSE(world.setupContactGroup(32, false));
    EXPECT_FALSE(world.setupContactGroups(-1, 3, false));
    EXPECT_FALSE(world.groupsMakeContact(0, 32));
    EXPECT_TRUE(world.groupsMakeContact(0, 31));
}

TEST(ContactGroups, SolidsPassThroughOrCollideAsTheTableSays) {
    PhysicsWorld world;
    SetUpSimulationGroups(world);
    AddFloor(world);
    // Pairs stacked one box above the other: (lower group, upper group).
    struct Case {
        int lower;
        int upper;
        bool collide;
    };
    const Case cases[] = {
        { 20, 20, false },
        { 25, 25, false },
        { 20, 21, true },
        { 1, 1, false },
        { 1, 7, true },
        { 3, 5, true },
        { 3, 1, false },
    };
    std::vector<std::pair<Solid*, const Case*>> uppers;
    double x = -200.0;
    for (const Case& c : cases) {
        // The lower box rests on the floor in a group that touches the floor.
        Solid* lower = AddBox(world, { 4.0, 4.0, 2.0 }, { x, 0.0, 1.0 }, c.lower);
        ASSERT_TRUE(world.groupsMakeContact(c.lower, 0) || c.lower == 3);
        if (c.lower == 3)
            lower->setStatic(true);
        Solid* upper = AddBox(world, { 2.0, 2.0, 2.0 }, { x, 0.0, 4.0 }, c.upper);
        uppers.emplace_back(upper, &c);
        x += 40.0;
    }
    // A group-31 box falls through the floor itself.
    Solid* ghost = AddBox(world, { 2.0, 2.0, 2.0 }, { 150.0, 0.0, 2.0 }, 31);
    RunFrames(world, 3);
    for (auto [upper, c] : uppers) {
        if (c->collide)
            EXPECT_NEAR(upper->position().z, 3.0, 0.05) << c->lower << "/" << c->upper << " should rest";
        else
            EXPECT_LT(upper->position().z, 2.0) << c->lower << "/" << c->upper << " should pass";
    }
    EXPECT_LT(ghost->position().z, -10.0);
}

TEST(ContactGroups, AShapeMovedToGroup31AtRunTimeStopsColliding) {
    PhysicsWorld world;
    SetUpSimulationGroups(world);
    AddFloor(world);
    Solid* box = AddBox(world, { 2.0, 2.0, 2.0 }, { 0.0, 0.0, 1.0 }, 0);
    Solid* robot = AddBox(world, { 2.0, 2.0, 2.0 }, { 0.0, 0.0, 3.0 }, 1);
    RunFrames(world, 1);
    EXPECT_NEAR(robot->position().z, 3.0, 0.05);
    ASSERT_TRUE(box->setShapeContactGroup(0, 31));
    EXPECT_EQ(box->firstShapeContactGroup(), 31);
    EXPECT_FALSE(world.castRay({ 0.0, -10.0, 1.0 }, { 0.0, 1.0, 0.0 }, 20.0, 0).hit());
    // Moved back, rays meet it again at once.
    ASSERT_TRUE(box->setShapeContactGroup(0, 0));
    EXPECT_EQ(world.castRay({ 0.0, -10.0, 1.0 }, { 0.0, 1.0, 0.0 }, 20.0, 0).solid, box);
    ASSERT_TRUE(box->setShapeContactGroup(0, 31));
    RunFrames(world, 2);
    EXPECT_LT(box->position().z, -5.0);
    EXPECT_NEAR(robot->position().z, 1.0, 0.05);
    EXPECT_FALSE(box->setShapeContactGroup(0, 32));
    EXPECT_FALSE(box->setShapeContactGroup(1, 0));
}

TEST(ContactGroups, ASolidMovedToAGroupTakesEveryShapeWithIt) {
    // A playground rule hides an object of several shapes (a wheel of
    // capsules, an alarm of boxes) by moving its solid to group 31: no shape
    // may be left behind to hold up a robot or stop a ray.
    PhysicsWorld world;
    SetUpSimulationGroups(world);
    AddFloor(world);
    Solid* object = world.createSolid();
    ShapeDesc left = ShapeDesc::box({ 2.0, 2.0, 2.0 });
    left.offset.translate(-3.0, 0.0, 0.0);
    ShapeDesc right = ShapeDesc::box({ 2.0, 2.0, 2.0 });
    right.offset.translate(3.0, 0.0, 0.0);
    ASSERT_TRUE(object->addShape(left));
    ASSERT_TRUE(object->addShape(right));
    object->setPosition({ 0.0, 0.0, 1.0 });
    // A robot part resting on the right-hand shape only.
    Solid* robot = AddBox(world, { 1.0, 1.0, 1.0 }, { 3.0, 0.0, 2.5 }, 1);
    RunFrames(world, 1);
    ASSERT_NEAR(robot->position().z, 2.5, 0.05);
    ASSERT_EQ(world.castRay({ 3.0, -10.0, 1.0 }, { 0.0, 1.0, 0.0 }, 20.0, 1).solid, object);

    ASSERT_TRUE(object->setContactGroup(31));
    EXPECT_EQ(object->shapeContactGroup(0), 31);
    EXPECT_EQ(object->shapeContactGroup(1), 31);
    EXPECT_FALSE(world.castRay({ 3.0, -10.0, 1.0 }, { 0.0, 1.0, 0.0 }, 20.0, 1).hit());
    EXPECT_FALSE(world.castRay({ -3.0, -10.0, 1.0 }, { 0.0, 1.0, 0.0 }, 20.0, 0).hit());
    // Moved back, every shape meets rays again.
    ASSERT_TRUE(object->setContactGroup(0));
    EXPECT_EQ(world.castRay({ 3.0, -10.0, 1.0 }, { 0.0, 1.0, 0.0 }, 20.0, 1).solid, object);
    EXPECT_EQ(world.castRay({ -3.0, -10.0, 1.0 }, { 0.0, 1.0, 0.0 }, 20.0, 0).solid, object);
    ASSERT_TRUE(object->setContactGroup(31));
    RunFrames(world, 2);
    EXPECT_LT(object->position().z, -5.0);
    EXPECT_NEAR(robot->position().z, 0.5, 0.05);
    EXPECT_FALSE(object->setContactGroup(32));
    EXPECT_FALSE(object->setContactGroup(-1));
    EXPECT_EQ(object->firstShapeContactGroup(), 31);
}

// What may meet is decided again whenever it changes: a solid given its
// shape while static and then let go, solids made in group 31 and moved out
// of it (whole, or shape by shape), groups that start to meet after the
// solids are made, and a solid freed from a body that a static solid held,
// all land on the floor instead of falling through it, and rays meet them.
TEST(ContactGroups, SolidsMeetAsSoonAsTheirGroupsAndBodiesAllowIt) {
    auto landsOnTheFloor = [](PhysicsWorld& world, Solid* solid) {
        RunFrames(world, 8);
        EXPECT_NEAR(solid->position().z, 1.0, 0.01);
        EXPECT_EQ(world.castRay({ 0.0, -10.0, 1.0 }, { 0.0, 1.0, 0.0 }, 20.0, 0).solid, solid);
    };
    {
        SCOPED_TRACE("given its shape while static");
        PhysicsWorld world;
        // The floor too is static before it has its shape.
        Solid* floor = world.createSolid();
        floor->setStatic(true);
        ASSERT_TRUE(floor->addShape(ShapeDesc::box({ 512.0, 512.0, 1.0 })));
        floor->setPosition({ 0.0, 0.0, -0.5 });
        Solid* solid = world.createSolid();
        solid->setStatic(true);
        ASSERT_TRUE(solid->addShape(ShapeDesc::box({ 2.0, 2.0, 2.0 })));
        solid->setPosition({ 0.0, 0.0, 5.0 });
        RunFrames(world, 1);
        solid->setStatic(false);
        landsOnTheFloor(world, solid);
    }
    for (const bool wholeSolid : { true, false }) {
        SCOPED_TRACE(wholeSolid ? "moved out of group 31" : "its shape moved out of group 31");
        PhysicsWorld world;
        world.setupContactGroup(31, false);
        AddFloor(world);
        Solid* solid = AddBox(world, { 2.0, 2.0, 2.0 }, { 0.0, 0.0, 5.0 }, 31);
        ASSERT_TRUE(wholeSolid ? solid->setContactGroup(0) : solid->setShapeContactGroup(0, 0));
        landsOnTheFloor(world, solid);
    }
    {
        SCOPED_TRACE("its group made to meet the floor's");
        PhysicsWorld world;
        world.setupContactGroups(0, 7, false);
        AddFloor(world);
        Solid* solid = AddBox(world, { 2.0, 2.0, 2.0 }, { 0.0, 0.0, 5.0 }, 7);
        ASSERT_TRUE(world.setupContactGroups(0, 7, true));
        RunFrames(world, 8);
        EXPECT_NEAR(solid->position().z, 1.0, 0.01);
        EXPECT_EQ(world.castRay({ 0.0, -10.0, 1.0 }, { 0.0, 1.0, 0.0 }, 20.0, 7).solid, solid);
    }
    {
        SCOPED_TRACE("freed from a static solid's body");
        PhysicsWorld world;
        AddFloor(world);
        Solid* holder = AddBox(world, { 2.0, 2.0, 2.0 }, { -4.0, 0.0, 5.0 });
        Solid* held = AddBox(world, { 2.0, 2.0, 2.0 }, { 0.0, 0.0, 5.0 });
        FixedJoint* joint = world.createFixedJoint({ holder, held });
        ASSERT_NE(joint, nullptr);
        holder->setStatic(true);
        RunFrames(world, 1);
        ASSERT_EQ(held->position(), (Vec3 { 0.0, 0.0, 5.0 }));
        ASSERT_TRUE(world.destroyJoint(joint));
        landsOnTheFloor(world, held);
        EXPECT_EQ(holder->position(), (Vec3 { -4.0, 0.0, 5.0 }));
    }
}
