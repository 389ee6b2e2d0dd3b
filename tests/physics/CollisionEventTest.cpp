#include "PhysicsTestWorld.h"

#include <gtest/gtest.h>

#include <set>

using namespace physics;
using namespace physics::testing;

TEST(CollisionEvents, HandlersHearOfTheirOwnContactsWithTheOtherSolid) {
    PhysicsWorld world;
    Solid* floor = AddFloor(world);
    Solid* box = AddBox(world, { 2.0, 2.0, 2.0 }, { 0.0, 0.0, 1.0 });
    Solid* bystander = AddBox(world, { 2.0, 2.0, 2.0 }, { 30.0, 0.0, 1.0 });
    std::vector<CollisionEvent> boxEvents;
    std::vector<CollisionEvent> floorEvents;
    box->setCollisionHandler([&](const CollisionEvent& e) { boxEvents.push_back(e); });
    floor->setCollisionHandler([&](const CollisionEvent& e) { floorEvents.push_back(e); });
    EXPECT_TRUE(box->hasCollisionHandler());

    world.step();
    ASSERT_FALSE(boxEvents.empty());
    for (const CollisionEvent& e : boxEvents) {
        EXPECT_EQ(e.self, box);
        EXPECT_EQ(e.other, floor);
        // From the other solid towards this one: up, out of the floor.
        EXPECT_NEAR(e.normal.z, 1.0, 1e-9);
        EXPECT_NEAR(e.point.z, 0.0, 0.01);
    }
    std::set<Solid*> touchingFloor;
    for (const CollisionEvent& e : floorEvents) {
        EXPECT_EQ(e.self, floor);
        EXPECT_NEAR(e.normal.z, -1.0, 1e-9);
        touchingFloor.insert(e.other);
    }
    EXPECT_EQ(touchingFloor, (std::set<Solid*> { box, bystander }));

    // An empty handler stops the events.
    box->setCollisionHandler({});
    boxEvents.clear();
    world.step();
    EXPECT_TRUE(boxEvents.empty());
}

TEST(CollisionEvents, ATouchFlagInUserDataIsSetOnlyByGroupZero) {
    // The touch-sensor pattern: the part's solid carries a pointer to its
    // flag; the handler sets it when the other solid's first shape is in
    // group 0.
    PhysicsWorld world;
    world.setupContactGroups(1, 1, false);
    AddFloor(world);
    static constexpr UserDataKey<int*> kTouched { "touched" };
    int touched = 0;
    Solid* sensor = AddBox(world, { 2.0, 2.0, 2.0 }, { 0.0, 0.0, 20.0 }, 1);
    sensor->setUserData(kTouched, &touched);
    sensor->setCollisionHandler([](const CollisionEvent& e) {
        if (e.other->firstShapeContactGroup() != 0)
            return;
        if (int** flag = e.self->userData(kTouched))
            **flag = 1;
    });
    // A group-7 block in the way first: a contact, but not with group 0.
    Solid* block = AddBox(world, { 4.0, 4.0, 1.0 }, { 0.0, 0.0, 18.0 }, 7);
    block->setStatic(true);
    RunFrames(world, 2);
    EXPECT_EQ(touched, 0);
    EXPECT_NEAR(sensor->position().z, 19.5, 0.01);
    ASSERT_TRUE(world.destroySolid(block));
    RunFrames(world, 5);
    EXPECT_EQ(touched, 1);
}

TEST(CollisionEvents, NoEventsForGroupsThatDoNotMeet) {
    PhysicsWorld world;
    world.setupContactGroup(31, false);
    AddFloor(world);
    Solid* ghost = AddBox(world, { 2.0, 2.0, 2.0 }, { 0.0, 0.0, 0.5 }, 31);
    int events = 0;
    ghost->setCollisionHandler([&](const CollisionEvent&) { ++events; });
    RunFrames(world, 1);
    EXPECT_EQ(events, 0);
}

TEST(CollisionEvents, AHandlerMayDestroySolidsButNotStepTheWorld) {
    PhysicsWorld world;
    AddFloor(world);
    Solid* a = AddBox(world, { 2.0, 2.0, 2.0 }, { 0.0, 0.0, 1.0 });
    Solid* b = AddBox(world, { 2.0, 2.0, 2.0 }, { 0.0, 0.0, 3.0 });
    int aEvents = 0;
    int nested = -1;
    a->setCollisionHandler([&](const CollisionEvent& e) {
        ++aEvents;
        nested = e.self->world().simulate(0.6);
        // Destroys itself and its neighbour in the middle of the dispatch.
        world.destroySolid(b);
        world.destroySolid(a);
    });
    int bEventsAfterItsEnd = 0;
    b->setCollisionHandler([&](const CollisionEvent&) { bEventsAfterItsEnd += aEvents; });
    world.step();
    // a heard of its first contact only, b of nothing after it was gone.
    EXPECT_EQ(aEvents, 1);
    EXPECT_EQ(bEventsAfterItsEnd, 0);
    EXPECT_EQ(nested, 0);
    EXPECT_EQ(world.solidCount(), 1u);
    RunFrames(world, 1);
}
