#pragma once

// A simulation run for the benchmarks: robots written by the robot builder's
// writer, a playground written by the playground's writer, both loaded into
// the simulation as the simulation page loads them, and every robot running
// a program that answers at once.

#include "apps/CEmuApp.h"
#include "foundation/CConfig.h"
#include "scene/FrameLoop.h"
#include "simulation/SensorModelTable.h"

#include <osg/ref_ptr>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace scene {
class SceneView;
}

namespace emubench {

// The simulation page's sensor model bar, as the set-up file lists it.
class SetUpSensorBar : public SensorModelTable {
public:
    explicit SetUpSensorBar(const CConfig& config);
    std::vector<std::string> SensorModelAddresses() const override { return m_addresses; }

private:
    std::vector<std::string> m_addresses;
};

class BenchRun {
public:
    // robots two-wheeled robots with a ray, a ranging and a grey sensor, each
    // in a start zone of its own, on a playground of `objects` objects of
    // every kind but zones; view null runs headless.
    BenchRun(int robots, int objects, scene::SceneView* view = nullptr);
    ~BenchRun();

    // Whether the robots loaded and every program stands ready.
    bool Ready() const { return m_ready; }
    void StartRun();
    // One frame step, as the main window's frame timer takes it.
    void Frame() { m_loop.Step(); }

    CEmuApp& Emu() { return *m_emu; }

private:
    std::filesystem::path m_folder;
    CConfig m_config;
    SetUpSensorBar m_sensorBar;
    osg::ref_ptr<CEmuApp> m_emu;
    scene::FrameLoop m_loop;
    bool m_ready = false;
};

// The benchmarks' main, once the program's Qt application is made: the
// program folder is the build's, with its models and set-up file.
int RunBenchmarks(int argc, char** argv);

} // namespace emubench
