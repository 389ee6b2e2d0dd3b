// One playground step of a playground with 50 objects and 10 trigger zones
// and 6 robots, against the 30 physics steps of the same frame.
//
// The robots stand away from every object and zone, so that every rule looks
// at every robot in every step (a near robot would end an object's look at
// the robots early): the step's heaviest steady state.

#include "../../tests/simulation/PlaygroundRun.h"

#include "simulation/CTrigger.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <stdexcept>

using playgroundtest::Item;
using playgroundtest::SimulationRun;
using playgroundtest::Zone;

namespace {

PlaygroundFile FiftyObjectsTenZones() {
    PlaygroundFile file;
    auto add = [&](const PlaygroundFile::Item& item) {
        file.arrays[std::size_t(PlaygroundFile::ArrayOfType(item.info.m_desc.m_nType))].push_back(item);
    };
    for (int i = 0; i < 10; ++i) {
        const float x = -180.0f + 40.0f * float(i);
        add(Item(ModelTypeAlarm, "models/playground/alarm.ive", { x, 200, 1.75f }));
        add(Item(ModelTypeCandle, "models/playground/candle.ive", { x, 160, 3.8f }));
        PlaygroundFile::Item cube = Item(ModelTypeGeo, "models/playground/cube.ive", { x, 120, 2 }, 100 + i);
        cube.info.m_state.m_vScale.set(4, 4, 4);
        cube.info.m_state.m_cTake = 1;
        add(cube);
    }
    for (int i = 0; i < 8; ++i) {
        const float x = -180.0f + 40.0f * float(i);
        add(Item(ModelTypeWounded, "models/playground/astronaut.ive", { x, -160, 0.8f }));
        add(Item(ModelTypeTakenObj, "models/playground/astronaut_red.ive", { x, -200, 0.8f }));
    }
    for (int i = 0; i < 4; ++i) {
        PlaygroundFile::Item slope
            = Item(ModelTypeSlope, "models/playground/slope.ive", { -200.0f + 50 * i, -230, 5 });
        slope.info.m_state.m_vScale.set(30, 20, 10);
        add(slope);
    }
    const int kinds[10] = { TriggerScore, TriggerScore, TriggerScore, TriggerTouch, TriggerTouch, TriggerEnd,
        TriggerEnd, TriggerDelivery, TriggerRescue, TriggerRescue };
    for (int i = 0; i < 10; ++i) {
        PlaygroundFile::Item zone = Zone(kinds[i], { -200.0f + 45 * i, 60, 0.05f }, { 30, 30 }, i % 2, 10);
        if (kinds[i] == TriggerDelivery)
            zone.info.m_state.m_vecObjList = { 100, 101, 102 };
        zone.info.m_state.m_cFlag[1] = 1;
        add(zone);
    }
    return file;
}

struct Scene {
    SimulationRun run;
    Scene() {
        for (int i = 0; i < 6; ++i)
            run.AddRobot(-150.0f + 60.0f * float(i), 0.0f, 4);
        if (!run.Load(FiftyObjectsTenZones()) || run.Playground().GetTriggers().size() != 10)
            throw std::runtime_error("the playground does not load");
        // Let everything come to rest first.
        for (int i = 0; i < 5; ++i)
            run.Frame();
    }
};

void PlaygroundStep(benchmark::State& state) {
    Scene scene;
    for (auto _ : state)
        scene.run.Playground().Step();
    state.counters["objects"] = double(scene.run.State().m_vElements.size() - 1 - 10);
}

void PhysicsOfTheFrame(benchmark::State& state) {
    Scene scene;
    for (auto _ : state)
        scene.run.World().simulate(0.6);
}

} // namespace

BENCHMARK(PlaygroundStep)->Unit(benchmark::kMicrosecond);
BENCHMARK(PhysicsOfTheFrame)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
