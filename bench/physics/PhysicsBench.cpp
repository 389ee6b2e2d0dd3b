// How long one simulation frame (30 steps of 0.02 s) and one sensor ray take
// in worlds of the size a run has: a floor, a few robots, a few dozen
// playground objects.
#include "physics/PhysicsWorld.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

using namespace physics;

namespace {

Solid* Part(PhysicsWorld& world, ShapeDesc shape, const Vec3& at, double friction) {
    Solid* solid = world.createSolid();
    shape.contactGroup = 1;
    shape.material.friction = friction;
    solid->addShape(shape);
    solid->setPosition(at);
    return solid;
}

// A two-wheeled robot like the ones students build: body, caster, two motors
// with capsule-ring wheels, four sensor parts; returns its motor hinges.
std::vector<HingeJoint*> AddRobot(PhysicsWorld& world, const Vec3& at) {
    Solid* body = Part(world, ShapeDesc::box({ 10.0, 8.0, 4.0 }), at + Vec3 { 0.0, 0.0, 4.0 }, 0.0);
    Solid* caster = Part(world, ShapeDesc::sphere(1.5), at + Vec3 { 0.0, -5.0, 1.5 }, 0.0);
    world.createFixedJoint({ body, caster });
    for (int i = 0; i < 4; ++i) {
        Solid* sensor
            = Part(world, ShapeDesc::box({ 2.0, 2.0, 1.0 }), at + Vec3 { -3.0 + 2.0 * i, 4.5, 6.5 }, 0.0);
        world.createFixedJoint({ body, sensor });
        world.createRayProbe({ sensor, { 0.0, 0.0, 1.1 }, { 0.0, 1.0, 0.0 }, 1 });
    }
    std::vector<HingeJoint*> hinges;
    for (double side : { -1.0, 1.0 }) {
        Solid* motor
            = Part(world, ShapeDesc::box({ 2.0, 3.0, 3.0 }), at + Vec3 { 4.0 * side, 2.0, 3.5 }, 0.0);
        world.createFixedJoint({ body, motor });
        Solid* wheel = world.createSolid();
        for (int i = 0; i < 16; ++i) {
            ShapeDesc capsule = ShapeDesc::capsule(1.25, 4.5);
            capsule.offset.rotate(11.0 * i, 1.0, 0.0, 0.0);
            capsule.contactGroup = 1;
            wheel->addShape(capsule);
        }
        wheel->setPosition(at + Vec3 { 6.5 * side, 2.0, 3.5 });
        HingeJointDesc desc;
        desc.first = motor;
        desc.second = wheel;
        desc.anchor = wheel->position();
        desc.axis = { -1.0, 0.0, 0.0 };
        hinges.push_back(world.createHingeJoint(desc));
    }
    return hinges;
}

struct Playground {
    PhysicsWorld world;
    std::vector<HingeJoint*> hinges;

    Playground(int robots, int objects) {
        world.setupContactGroups(1, 1, false);
        Solid* floor = world.createSolid();
        floor->addShape(ShapeDesc::box({ 512.0, 512.0, 1.0 }));
        floor->setPosition({ 0.0, 0.0, -0.5 });
        floor->setStatic(true);
        for (int i = 0; i < objects; ++i) {
            Solid* object = world.createSolid();
            if (i % 2)
                object->addShape(ShapeDesc::box({ 4.0, 4.0, 4.0 }));
            else
                object->addShape(ShapeDesc::sphere(2.0));
            object->setPosition({ -200.0 + 40.0 * (i % 10), 100.0 + 20.0 * (i / 10), 2.0 });
        }
        for (int r = 0; r < robots; ++r) {
            auto h = AddRobot(world, { -150.0 + 60.0 * r, -100.0, 0.0 });
            hinges.insert(hinges.end(), h.begin(), h.end());
        }
        world.simulate(3.0);
    }

    void frame(double value) {
        for (HingeJoint* hinge : hinges)
            hinge->addTorque(
                std::clamp(3000.0 * value - 5000.0 * hinge->angleRateDegrees(), -200000.0, 200000.0));
        world.simulate(0.6);
    }
};

void BM_SimulationFrame(benchmark::State& state) {
    Playground playground(static_cast<int>(state.range(0)), 30);
    for (auto _ : state)
        playground.frame(50.0);
    state.counters["solids"] = static_cast<double>(playground.world.solidCount());
}
BENCHMARK(BM_SimulationFrame)->Arg(1)->Arg(4)->Arg(8)->Unit(benchmark::kMillisecond);

void BM_SensorRay(benchmark::State& state) {
    Playground playground(4, 30);
    RayProbe* probe = playground.world.createRayProbe(
        { playground.world.solidAt(1), { 0.0, 0.0, 3.0 }, { 0.0, 1.0, 0.0 }, 1 });
    double length = static_cast<double>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(probe->fire(length));
}
BENCHMARK(BM_SensorRay)->Arg(100)->Arg(500)->Unit(benchmark::kMicrosecond);

void BM_BuildAndClearRobot(benchmark::State& state) {
    PhysicsWorld world;
    for (auto _ : state) {
        AddRobot(world, {});
        world.destroyAllRayProbes();
        world.destroyAllJoints();
        world.destroyAllSolids();
    }
}
BENCHMARK(BM_BuildAndClearRobot)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
