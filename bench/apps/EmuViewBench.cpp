// The live view of a run: frames per second of the simulation page's 3-D
// view at 1280 x 800, with 6 robots on a playground of 50 objects, each
// frame taken as the main window takes it (a frame step, which draws the
// view, then Qt's events, which show it). Run under a display; under Xvfb
// the drawing is Mesa's software renderer.
#include "BenchRun.h"

#include "scene/SceneView.h"

#include <QApplication>
#include <chrono>

#include <benchmark/benchmark.h>

namespace {

constexpr int kRobots = 6;
constexpr int kObjects = 50;

void LiveView(benchmark::State& state, bool running) {
    scene::SceneView view;
    view.resize(1280, 800);
    view.show();
    emubench::BenchRun run(kRobots, kObjects, &view);
    if (!run.Ready()) {
        state.SkipWithError("the run did not load");
        return;
    }
    if (running)
        run.StartRun();
    // Until the window is on screen and has drawn.
    for (int i = 0; i < 200 && view.GetDrawCount() < 10; ++i) {
        run.Frame();
        QCoreApplication::processEvents();
    }
    const int drawnBefore = view.GetDrawCount();
    using Clock = std::chrono::steady_clock;
    double step = 0.0, draw = 0.0, events = 0.0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        run.Emu().EventTraversal();
        run.Emu().PreFrame(0.0);
        const auto t1 = Clock::now();
        run.Emu().Frame(0.0);
        run.Emu().PostFrame(0.0);
        const auto t2 = Clock::now();
        QCoreApplication::processEvents();
        const auto t3 = Clock::now();
        step += std::chrono::duration<double, std::milli>(t1 - t0).count();
        draw += std::chrono::duration<double, std::milli>(t2 - t1).count();
        events += std::chrono::duration<double, std::milli>(t3 - t2).count();
    }
    const double n = double(std::max<std::int64_t>(1, state.iterations()));
    state.counters["step_ms"] = step / n;
    state.counters["draw_ms"] = draw / n;
    state.counters["show_ms"] = events / n;
    if (view.GetDrawCount() - drawnBefore < int(state.iterations()))
        state.SkipWithError("frames went undrawn");
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

// A run in progress: physics, playground, robots and their programs, drawn.
void BM_LiveViewRunning(benchmark::State& state) {
    LiveView(state, true);
}
BENCHMARK(BM_LiveViewRunning)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

// Before a run: the same view drawn, the robots' readings refreshed.
void BM_LiveViewIdle(benchmark::State& state) {
    LiveView(state, false);
}
BENCHMARK(BM_LiveViewIdle)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    return emubench::RunBenchmarks(argc, argv);
}
