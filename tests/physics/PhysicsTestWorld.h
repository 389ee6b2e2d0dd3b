#pragma once

#include "physics/PhysicsWorld.h"

namespace physics::testing {

// The simulation's own set-up: gravity, 0.02 s steps and the floor as solid 0,
// a static 512 x 512 x 1 box whose top face is z = 0.
inline Solid* AddFloor(PhysicsWorld& world, int group = 0) {
    Solid* floor = world.createSolid();
    ShapeDesc box = ShapeDesc::box({ 512.0, 512.0, 1.0 });
    box.contactGroup = group;
    floor->addShape(box);
    floor->setPosition({ 0.0, 0.0, -0.5 });
    floor->setStatic(true);
    return floor;
}

inline Solid* AddBox(PhysicsWorld& world, const Vec3& size, const Vec3& at, int group = 0) {
    Solid* solid = world.createSolid();
    ShapeDesc box = ShapeDesc::box(size);
    box.contactGroup = group;
    solid->addShape(box);
    solid->setPosition(at);
    return solid;
}

inline Solid* AddBall(PhysicsWorld& world, double radius, const Vec3& at, int group = 0) {
    Solid* solid = world.createSolid();
    ShapeDesc ball = ShapeDesc::sphere(radius);
    ball.contactGroup = group;
    solid->addShape(ball);
    solid->setPosition(at);
    return solid;
}

// Frames of 0.6 s, as the simulation advances.
inline void RunFrames(PhysicsWorld& world, int frames) {
    for (int i = 0; i < frames; ++i)
        world.simulate(0.6);
}

} // namespace physics::testing
