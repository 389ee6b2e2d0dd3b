// One frame of a headless simulation run (30 physics steps, the playground's
// step, every robot's step with its program's exchange, the counters and
// stop tests, the labels), against the parts of it that the frame cannot do
// without: the physics steps alone, on the same world, and the programs'
// exchanges alone. Robots run a program that answers at once; the playground
// has 20 objects.
#include "BenchRun.h"

#include "physics/PhysicsWorld.h"
#include "simulation/CRcu.h"
#include "simulation/CRob.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

namespace {

constexpr int kObjects = 20;

void BM_RunningFrame(benchmark::State& state) {
    emubench::BenchRun run(int(state.range(0)), kObjects);
    if (!run.Ready()) {
        state.SkipWithError("the run did not load");
        return;
    }
    run.StartRun();
    for (auto _ : state)
        run.Frame();
    if (!run.Emu().m_bRunning)
        state.SkipWithError("the run stopped");
}
BENCHMARK(BM_RunningFrame)->Arg(1)->Arg(6)->Unit(benchmark::kMillisecond)->UseRealTime();

// The 30 physics steps of a frame, on the run's own world.
void BM_PhysicsOfAFrame(benchmark::State& state) {
    emubench::BenchRun run(int(state.range(0)), kObjects);
    if (!run.Ready()) {
        state.SkipWithError("the run did not load");
        return;
    }
    run.StartRun();
    physics::PhysicsWorld& world = *run.Emu().GetSimulator();
    for (auto _ : state)
        world.simulate(CEmuApp::kFrameSeconds);
}
BENCHMARK(BM_PhysicsOfAFrame)->Arg(1)->Arg(6)->Unit(benchmark::kMillisecond)->UseRealTime();

// Every robot's exchange with its program: one poll each, the least a step
// asks of a program.
void BM_ProgramsOfAFrame(benchmark::State& state) {
    emubench::BenchRun run(int(state.range(0)), kObjects);
    if (!run.Ready()) {
        state.SkipWithError("the run did not load");
        return;
    }
    std::string output;
    for (auto _ : state) {
        for (int i = 0; i < run.Emu().GetRobotCount(); ++i) {
            CRob* robot = run.Emu().GetRobot(i);
            robot->GetRcu()->Exchange(robot->GetInputText(), output);
        }
    }
}
BENCHMARK(BM_ProgramsOfAFrame)->Arg(1)->Arg(6)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    return emubench::RunBenchmarks(argc, argv);
}
