// The robot builder's work in one frame while a part is carried over a robot
// of 40 parts: the carried part is snapped against every port of every other
// part (the window-space search, refined to cells), then tested for overlap
// against every part (3-D boxes, the join search that excuses joined parts,
// and the mesh test), as the builder does before it lets a part go.
//
// Run: build/bench/elements_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include "elements/CModel.h"
#include "elements/PartContext.h"
#include "foundation/CConfig.h"
#include "platform/ProgramDir.h"
#include "scene/Camera.h"

#include <osg/Quat>

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

struct Robot {
    PartContextPtr context;
    osg::ref_ptr<scene::Camera> camera = new scene::Camera;
    SPartOwner owner;
    std::vector<osg::ref_ptr<CModel>> parts;
    osg::ref_ptr<CModel> carried;
    std::vector<osg::Vec3f> path;

    Robot() {
        platform::OverrideProgramDir(MORVANE_PROGRAM_DIR);
        CConfig config(MORVANE_PROGRAM_DIR);
        context = PartContext::FromConfig(config);
        camera->SetViewport(0, 0, 1440, 900);
        camera->SetPerspective(45.0, 1.6, 1.0, 10000.0);
        camera->SetTransform(scene::Transform(osg::Vec3(0, -45, 40), osg::Vec3(0, -40, 0)));
        owner.m_nAppKind = 1;
        owner.m_vCameraPos = camera->GetPosition();
        owner.m_mWindow = camera->GetWindowMatrix();
        owner.m_vViewport.set(1440, 900);

        // The control unit; three layers of six 2 x 2 bricks on it; a motor
        // with its wheel on each corner; twelve sensors round the front and
        // back; a light on top: 40 parts.
        Add("models/rcu/rcu.ive", ModelTypeRcu, { 0, 0, 0 });
        for (int layer = 0; layer < 3; ++layer) {
            for (int i = 0; i < 6; ++i) {
                const float x = i % 2 ? 2.0f : -2.0f;
                const float y = -4.0f + 4.0f * float(i / 2);
                Add("models/brick/brick_2x2.ive", ModelTypeBrick, { x, y, 3.2f + 2.4f * float(layer) });
            }
        }
        const osg::Quat face(osg::PI, osg::Vec3d(0, 0, 1));
        for (int i = 0; i < 4; ++i) {
            const float side = i % 2 ? 1.0f : -1.0f;
            const float y = i < 2 ? -4.0f : 4.0f;
            Add("models/motor/motor.ive", ModelTypeMotor, { 6.0f * side, y, 0.0f },
                side > 0 ? face : osg::Quat());
            Add("models/wheel/wheel_std.ive", ModelTypeWheel, { 9.6f * side, y, 1.6f });
        }
        const char* sensors[]
            = { "models/sensor/ray.ive", "models/sensor/grey.ive", "models/sensor/touch.ive",
                  "models/sensor/ranging.ive", "models/sensor/fire.ive", "models/sensor/life.ive" };
        for (int i = 0; i < 12; ++i)
            Add(sensors[i % 6], ModelTypeSensor, { -5.0f + 2.0f * float(i % 6), i < 6 ? 7.0f : -7.0f, 0.0f });
        Add("models/light/coloredlight.ive", ModelTypeColoredLight, { 0, 0, 10.4f });

        carried = Make("models/brick/brick_2x2.ive", ModelTypeBrick);
        carried->Place(&owner, PlaceAdded);
        // The pointer sweeps over the robot, a little above it.
        for (int i = 0; i < 64; ++i) {
            const double a = 2.0 * osg::PI * i / 64.0;
            path.emplace_back(float(5.0 * std::cos(a)), float(7.0 * std::sin(a)), 11.5f);
        }
    }

    osg::ref_ptr<CModel> Make(const std::string& address, int type) {
        osg::ref_ptr<CModel> part = new CModel(context, address);
        part->SetType(type);
        part->LoadModel();
        return part;
    }

    void Add(const std::string& address, int type, const osg::Vec3f& at, const osg::Quat& rot = osg::Quat()) {
        osg::ref_ptr<CModel> part = Make(address, type);
        part->Place(&owner, parts.empty() ? PlaceControlUnit : PlaceAdded);
        part->SetPose(at, rot, true, true);
        part->UpdateCollisionTransform();
        parts.push_back(part);
    }

    // One frame of carrying: returns whether the part was snapped, and
    // whether it then collides with a part it is not joined to.
    std::pair<bool, bool> Frame(const osg::Vec3f& pointer) {
        carried->SetPose(pointer, osg::Quat(), false, false);
        owner.m_mWindow = camera->GetWindowMatrix();
        SSnapState& s = owner.m_snap;
        s.m_pOtherPart = nullptr;
        s.ResetSearch();
        for (const osg::ref_ptr<CModel>& part : parts)
            carried->SnapToModel(part.get(), 0, false);
        CModel* other = s.m_pOtherPart.get();
        if (other) {
            carried->ChooseBestPortPair();
            osg::Vec3f own, theirs;
            carried->GetPortPoint(own, s.m_nOwnPort, -1);
            other->GetPortPoint(theirs, s.m_nOtherPort, -1);
            carried->SetPose(carried->GetState().m_vPos + theirs - own, osg::Quat(), false, false);
        }
        carried->UpdateCollisionTransform();
        bool collides = false;
        for (const osg::ref_ptr<CModel>& part : parts) {
            if (carried->Overlaps(part.get(), true, false) && !carried->SnapToModel(part.get(), 1, false)
                && carried->CollidesWith(part.get()))
                collides = true;
        }
        return { other != nullptr, collides };
    }
};

Robot& TheRobot() {
    static Robot robot;
    return robot;
}

void Editor_CarryOverRobotOf40Parts(benchmark::State& state) {
    Robot& robot = TheRobot();
    std::size_t i = 0;
    int snapped = 0;
    int frames = 0;
    for (auto _ : state) {
        const auto [snap, collides] = robot.Frame(robot.path[i++ % robot.path.size()]);
        benchmark::DoNotOptimize(collides);
        snapped += snap;
        ++frames;
    }
    state.counters["parts"] = double(robot.parts.size());
    state.counters["snapped"] = frames ? double(snapped) / frames : 0.0;
}
BENCHMARK(Editor_CarryOverRobotOf40Parts)->Unit(benchmark::kMicrosecond);

// The two halves on their own: the port search alone, and the overlap tests alone.
void Editor_SnapSearchOnly(benchmark::State& state) {
    Robot& robot = TheRobot();
    std::size_t i = 0;
    for (auto _ : state) {
        robot.carried->SetPose(robot.path[i++ % robot.path.size()], osg::Quat(), false, false);
        robot.owner.m_snap.m_pOtherPart = nullptr;
        robot.owner.m_snap.ResetSearch();
        for (const osg::ref_ptr<CModel>& part : robot.parts)
            robot.carried->SnapToModel(part.get(), 0, false);
        if (robot.owner.m_snap.m_pOtherPart.get())
            robot.carried->ChooseBestPortPair();
    }
}
BENCHMARK(Editor_SnapSearchOnly)->Unit(benchmark::kMicrosecond);

void Editor_OverlapTestsOnly(benchmark::State& state) {
    Robot& robot = TheRobot();
    std::size_t i = 0;
    for (auto _ : state) {
        robot.carried->SetPose(
            robot.path[i++ % robot.path.size()] - osg::Vec3f(0, 0, 3), osg::Quat(), false, false);
        robot.carried->UpdateCollisionTransform();
        int hits = 0;
        for (const osg::ref_ptr<CModel>& part : robot.parts) {
            if (robot.carried->Overlaps(part.get(), true, false)
                && !robot.carried->SnapToModel(part.get(), 1, false)
                && robot.carried->CollidesWith(part.get()))
                ++hits;
        }
        benchmark::DoNotOptimize(hits);
    }
}
BENCHMARK(Editor_OverlapTestsOnly)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
