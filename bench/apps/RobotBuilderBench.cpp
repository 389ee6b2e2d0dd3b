// One pointer move of the robot builder while a new part is carried over a
// robot of 40 parts: picking under the pointer (the scene's intersections,
// the see-through quad, the hovered part), the carry point, the port search
// against every other part with its refinement and the join, or the grid,
// the floor grid's height, and the frame step that draws the result (the
// update traversal; headless, so no GL); and the picking alone, with nothing
// carried. The robot is loaded by the builder from a robot file, as a
// student's would be.
//
// Run: build/bench/apps_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include "apps/CRobApp.h"
#include "elements/CBrick.h"
#include "foundation/CConfig.h"
#include "platform/ProgramDir.h"
#include "scene/Mouse.h"
#include "simulation/RobotFile.h"

#include <QCoreApplication>
#include <QThread>

#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

SRobotFilePart Part(const std::string& address, int id, const osg::Vec3d& at, const osg::Quat& rot = {}) {
    SRobotFilePart p;
    p.m_strAddress = address;
    p.m_bHasAddress = true;
    p.m_nId = id;
    p.m_vPos = at;
    p.m_qRot = rot;
    p.m_vColor.set(0.2, 0.6, 0.3, 1.0);
    p.m_nRayDis = 255;
    p.m_bHasRayDis = true;
    return p;
}

// The control unit; three layers of six 2 x 2 bricks on it; a motor with its
// wheel at each corner; twelve sensors round the front and back; a light on
// top: 40 parts.
RobotFileData FortyParts() {
    RobotFileData robot;
    int id = 0;
    robot.m_bHasRcu = true;
    robot.m_rcu = Part("models/rcu/rcu.ive", id++, { 0, 0, 0 });
    for (int layer = 0; layer < 3; ++layer) {
        for (int i = 0; i < 6; ++i) {
            robot.m_vecBricks.push_back(Part("models/brick/brick_2x2.ive", id++,
                { i % 2 ? 2.0 : -2.0, -4.0 + 4.0 * (i / 2), 3.2 + 2.4 * layer }));
        }
    }
    const osg::Quat face(osg::PI, osg::Vec3d(0, 0, 1));
    for (int i = 0; i < 4; ++i) {
        const double side = i % 2 ? 1.0 : -1.0;
        const double y = i < 2 ? -4.0 : 4.0;
        robot.m_vecMotors.push_back(
            Part("models/motor/motor.ive", id++, { 6.0 * side, y, 0.0 }, side > 0 ? face : osg::Quat()));
        robot.m_vecWheels.push_back(Part("models/wheel/wheel_std.ive", id++, { 9.6 * side, y, 3.2 }));
    }
    const char* sensors[] = { "models/sensor/ray.ive", "models/sensor/grey.ive", "models/sensor/touch.ive",
        "models/sensor/ranging.ive", "models/sensor/fire.ive", "models/sensor/life.ive" };
    for (int i = 0; i < 12; ++i) {
        SRobotFilePart sensor = Part(sensors[i % 6], id++, { -5.0 + 2.0 * (i % 6), i < 6 ? 7.0 : -7.0, 0.0 });
        sensor.m_nSensor = (i % 6) == 1 ? 4 : i % 6;
        robot.m_vecSensors.push_back(sensor);
    }
    robot.m_vecLights.push_back(Part("models/light/coloredlight.ive", id++, { 0, 0, 10.4 }));
    robot.m_nPartCount = id;
    return robot;
}

class Builder {
public:
    Builder() {
        m_folder = fs::temp_directory_path() / ("morvane_apps_bench_" + std::to_string(::getpid()));
        fs::create_directories(m_folder);
        for (const char* entry : { "XML", "models", "images", "map" })
            fs::create_directory_symlink(fs::path(MORVANE_PROGRAM_DIR) / entry, m_folder / entry);
        platform::OverrideProgramDir(m_folder);
        m_config = std::make_unique<CConfig>(QString::fromStdString(m_folder.string()));
        m_app = new CRobApp("config.xml", nullptr, *m_config);

        const std::string file = (m_folder / "forty.rob").string();
        simulation::SaveRobotFileText(file, simulation::WriteRobotXml(FortyParts()));
        m_app->StartFileThread(file, true, false, false, false);
        while (m_app->GetEditState().m_nBusy != SEditState::BusyIdle) {
            QThread::msleep(1);
            QCoreApplication::processEvents();
        }
        m_parts = m_app->GetPartList().size();
        m_app->PreFrame(0.0);

        osg::ref_ptr<CModel> carried = new CBrick(m_app->GetPartContext(), "models/brick/brick_2x2.ive");
        m_app->AddPart(carried.get());
        // The pointer circles over the robot, through its parts and off them.
        for (int i = 0; i < 64; ++i) {
            const double a = 2.0 * osg::PI * i / 64.0;
            const osg::Vec3d world(8.0 * std::cos(a), 10.0 * std::sin(a), 6.0);
            const osg::Vec3d pixel = world * m_app->GetCamera()->GetWindowMatrix();
            m_path.emplace_back(float(2.0 * pixel.x() / 1440.0 - 1.0), float(2.0 * pixel.y() / 850.0 - 1.0));
        }
    }
    ~Builder() {
        m_app = nullptr;
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }

    void Move(std::size_t i) {
        const osg::Vec2& at = m_path[i % m_path.size()];
        m_app->GetMouse()->SetPosition(at);
        m_app->MouseMoved(m_app->GetMouse(), at.x(), at.y());
    }
    void Frame() {
        m_app->PreFrame(0.0);
        m_app->Frame(0.0);
    }
    // Drops the carried part (it was never put down): the pointer then only
    // picks and hovers.
    void StopCarrying() { m_app->DoCommand(14, true); }
    bool Snapped() const { return m_app->GetEditState().m_snap.m_pOtherPart.valid(); }
    std::size_t Parts() const { return m_parts; }

private:
    fs::path m_folder;
    std::unique_ptr<CConfig> m_config;
    osg::ref_ptr<CRobApp> m_app;
    std::vector<osg::Vec2> m_path;
    std::size_t m_parts = 0;
};

Builder& TheBuilder() {
    static Builder builder;
    return builder;
}

void RobotBuilder_CarryMoveOver40Parts(benchmark::State& state) {
    Builder& builder = TheBuilder();
    std::size_t i = 0;
    int snapped = 0;
    for (auto _ : state) {
        builder.Move(i++);
        snapped += builder.Snapped();
    }
    state.counters["parts"] = double(builder.Parts());
    state.counters["snapped"] = i ? double(snapped) / double(i) : 0.0;
}
BENCHMARK(RobotBuilder_CarryMoveOver40Parts)->Unit(benchmark::kMicrosecond);

void RobotBuilder_CarryMoveAndFrameOver40Parts(benchmark::State& state) {
    Builder& builder = TheBuilder();
    std::size_t i = 0;
    for (auto _ : state) {
        builder.Move(i++);
        builder.Frame();
    }
}
BENCHMARK(RobotBuilder_CarryMoveAndFrameOver40Parts)->Unit(benchmark::kMicrosecond);

// The picking alone: nothing is carried, the pointer hovers over the parts.
void RobotBuilder_HoverMoveOver40Parts(benchmark::State& state) {
    Builder& builder = TheBuilder();
    builder.StopCarrying();
    std::size_t i = 0;
    for (auto _ : state)
        builder.Move(i++);
}
BENCHMARK(RobotBuilder_HoverMoveOver40Parts)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
