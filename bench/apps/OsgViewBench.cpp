// The yardstick for emu_view_bench: the same scene (6 robots on a playground
// of 50 objects, loaded by the simulation as emu_view_bench loads it) drawn
// by a bare OpenSceneGraph viewer in a window of its own at 1280 x 800, from
// the simulation's camera, with nothing else in the frame. The simulation's
// idle view is measured against this. Run under a display; under Xvfb the
// drawing is Mesa's software renderer.
#include "BenchRun.h"

#include "scene/Camera.h"
#include "scene/Scene.h"

#include <QCoreApplication>

#include <osg/GraphicsContext>
#include <osgViewer/Viewer>

#include <benchmark/benchmark.h>

namespace {

constexpr int kRobots = 6;
constexpr int kObjects = 50;
constexpr int kWidth = 1280;
constexpr int kHeight = 800;

void BM_BareOsgViewer(benchmark::State& state) {
    emubench::BenchRun run(kRobots, kObjects);
    if (!run.Ready()) {
        state.SkipWithError("the run did not load");
        return;
    }
    osg::ref_ptr<osg::GraphicsContext::Traits> traits = new osg::GraphicsContext::Traits;
    traits->readDISPLAY();
    traits->setUndefinedScreenDetailsToDefaultScreen();
    traits->x = 0;
    traits->y = 0;
    traits->width = kWidth;
    traits->height = kHeight;
    traits->windowDecoration = true;
    traits->doubleBuffer = true;
    traits->vsync = false;
    osg::ref_ptr<osg::GraphicsContext> window = osg::GraphicsContext::createGraphicsContext(traits.get());
    if (!window) {
        state.SkipWithError("no window (is there a display?)");
        return;
    }
    osgViewer::Viewer viewer;
    viewer.setThreadingModel(osgViewer::ViewerBase::SingleThreaded);
    // The scene brings its own lights, as in the simulation's view.
    viewer.setLightingMode(osg::View::NO_LIGHT);
    osg::Camera* camera = viewer.getCamera();
    camera->setGraphicsContext(window.get());
    camera->setViewport(0, 0, kWidth, kHeight);
    camera->setDrawBuffer(GL_BACK);
    camera->setReadBuffer(GL_BACK);
    camera->setProjectionMatrixAsPerspective(45.0, double(kWidth) / kHeight, 1.0, 100000.0);
    const osg::Camera* simulation = run.Emu().GetCamera()->GetOSGCamera();
    camera->setViewMatrix(simulation->getViewMatrix());
    camera->setClearColor(simulation->getClearColor());
    viewer.setSceneData(run.Emu().GetScene()->GetSceneNode());
    viewer.realize();
    for (int i = 0; i < 10; ++i)
        viewer.frame();
    for (auto _ : state)
        viewer.frame();
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BareOsgViewer)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    return emubench::RunBenchmarks(argc, argv);
}
