// What running a robot program costs the simulation per step.
#include "simulation/CRobotProgram.h"
#include "simulation/StepText.h"

#include "platform/ProgramDir.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <memory>
#include <vector>

namespace {

const std::string kImmediate = std::string(MORVANE_BENCH_PROGRAM_DIR) + "/immediate.so";
const std::string kDriveAndBlink = std::string(MORVANE_PROGRAM_DIR) + "/sdk/examples/drive_and_blink.so";
const std::string kInput = "1234 1*0*1* 2*3*250* 3*4*200* 4*4*35* ";

struct Programs {
    explicit Programs(const std::string& path, int count) {
        for (int i = 0; i < count; ++i) {
            units.push_back(std::make_unique<CRobotProgram>());
            loaded = units.back()->LoadProgram(path, i) && loaded;
        }
    }
    ~Programs() {
        for (auto& unit : units) {
            unit->UnloadProgram();
            for (const std::string& name : unit->GetTempDllNames())
                std::filesystem::remove(platform::InProgramDir(name));
        }
    }
    std::vector<std::unique_ptr<CRobotProgram>> units;
    bool loaded = true;
};

// The same calls made directly inside this process: what an exchange costs
// without a host, the floor the host is measured against.
void BM_ExchangeInProcess(benchmark::State& state) {
    void* library = dlopen(kImmediate.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        state.SkipWithError("cannot load the program");
        return;
    }
    auto setData = reinterpret_cast<void (*)(const char*)>(dlsym(library, "SetData"));
    auto start = reinterpret_cast<void (*)()>(dlsym(library, "Start"));
    auto isPause = reinterpret_cast<unsigned char (*)()>(dlsym(library, "IsPause"));
    auto getData = reinterpret_cast<void (*)(char*)>(dlsym(library, "GetData"));
    std::string output;
    for (auto _ : state) {
        setData(kInput.c_str());
        start();
        benchmark::DoNotOptimize(isPause());
        char buffer[4096];
        std::memset(buffer, 0, sizeof buffer);
        getData(buffer);
        output.assign(buffer);
        benchmark::DoNotOptimize(output);
    }
    dlclose(library);
}
BENCHMARK(BM_ExchangeInProcess);

void Exchanges(benchmark::State& state, const std::string& program, int robots) {
    Programs programs(program, robots);
    if (!programs.loaded) {
        state.SkipWithError("cannot load the program");
        return;
    }
    // As a frame takes them: every input out before any output is taken.
    std::vector<CRobotProgram*> all;
    for (auto& unit : programs.units)
        all.push_back(unit.get());
    std::string output;
    for (auto _ : state) {
        for (CRobotProgram* unit : all)
            unit->BeginExchange(kInput);
        CRobotProgram::AwaitExchanges(all);
        for (CRobotProgram* unit : all)
            unit->FinishExchange(output);
        benchmark::DoNotOptimize(output);
    }
    for (auto& unit : programs.units) {
        if (!unit->IsLoaded())
            state.SkipWithError("a program was dropped");
    }
}

// One robot's exchange through its RobotHost, with a program that answers at
// once.
void BM_Exchange(benchmark::State& state) {
    Exchanges(state, kImmediate, 1);
}
BENCHMARK(BM_Exchange);

// One frame's exchanges of six robots.
void BM_FrameOfSixRobots(benchmark::State& state) {
    Exchanges(state, kImmediate, 6);
}
BENCHMARK(BM_FrameOfSixRobots);

// The same with a program that works in its Run thread, as the examples do:
// its first IsPause finds the step not done yet, which costs the 1 ms sleep
// the polling rule prescribes.
void BM_ExchangeRunThread(benchmark::State& state) {
    Exchanges(state, kDriveAndBlink, 1);
}
BENCHMARK(BM_ExchangeRunThread)->Unit(benchmark::kMillisecond);

void BM_FrameOfSixRobotsRunThread(benchmark::State& state) {
    Exchanges(state, kDriveAndBlink, 6);
}
BENCHMARK(BM_FrameOfSixRobotsRunThread)->Unit(benchmark::kMillisecond);

// Copying a program and starting its host, as the start of every run does.
void BM_LoadProgram(benchmark::State& state) {
    CRobotProgram unit;
    for (auto _ : state) {
        if (!unit.LoadProgram(kImmediate, 0)) {
            state.SkipWithError("cannot load the program");
            break;
        }
    }
    unit.UnloadProgram();
    for (const std::string& name : unit.GetTempDllNames())
        std::filesystem::remove(platform::InProgramDir(name));
}
BENCHMARK(BM_LoadProgram)->Unit(benchmark::kMillisecond);

// The texts around one exchange of a robot with four sensors, two motors and a
// light.
void BM_StepTexts(benchmark::State& state) {
    const std::array<StepText::SensorReading, 4> sensors
        = { { { 1, 0, "1*" }, { 2, 3, "250*" }, { 3, 4, "200*" }, { 4, 4, "35*" } } };
    const std::array<int, 2> motorPorts = { 1, 2 };
    const std::array<int, 1> lightPorts = { 5 };
    int step = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(StepText::BuildInputText(step++, sensors));
        benchmark::DoNotOptimize(StepText::ResolveOutputText("1*10* 2*40* l5*4*", motorPorts, lightPorts));
    }
}
BENCHMARK(BM_StepTexts);

} // namespace

BENCHMARK_MAIN();
