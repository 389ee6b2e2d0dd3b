// Robots standing still: every robot the program ships (the rover of robot/
// and the examples' robots), told to stop or told nothing, on the default
// floor.

#include "RobotFixture.h"

#include "elements/CWheel.h"
#include "foundation/CConfig.h"
#include "simulation/CMotor.h"
#include "simulation/CRcu.h"
#include "simulation/CRob.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <optional>
#include <set>

using namespace robotstest;

namespace {

// Each robot design of the program folder once (examples share robot files
// that are the same byte for byte).
std::vector<std::filesystem::path> ShippedDesigns() {
    const std::filesystem::path folder(MORVANE_PROGRAM_DIR);
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder / "XML"))
        if (entry.path().extension() == ".rob")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    files.insert(files.begin(), folder / "robot" / "rover.rob");
    std::set<std::string> seen;
    std::erase_if(files, [&seen](const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return !seen.insert(std::string(std::istreambuf_iterator<char>(in), {})).second;
    });
    return files;
}

// Degrees the robot's forward direction (+y) has turned about z.
double Turned(const physics::Quat& from, const physics::Quat& to) {
    auto heading = [](const physics::Quat& q) {
        const physics::Vec3 forward = q.rotate({ 0.0, 1.0, 0.0 });
        return std::atan2(-forward.x, forward.y);
    };
    return std::remainder(heading(to) - heading(from), 2.0 * std::numbers::pi) * 180.0 / std::numbers::pi;
}

} // namespace

// Told "1*0* 2*0*" a robot stays where it is: at most 0.25 units and 1 degree
// away after 300 frames and after 5,000. Told nothing (an empty output text)
// its wheels turn freely and it comes to rest: at most 1 unit and 2 degrees.
// Both through the keyboard's output (forward at speed 0, and no key). Each
// robot is at rest after 300 frames, slower than 1e-6 units (and radians) a
// second, so that the 4,700 frames to 5,000 could not move it 0.003; the
// robot that used to drift furthest is run all 5,000.
TEST(RobotRest, EveryShippedRobotStaysWhereItStoppedAndComesToRestWithFreeWheels) {
    const std::vector<std::filesystem::path> designs = ShippedDesigns();
    ASSERT_GE(designs.size(), 8u);
    for (const bool braked : { true, false }) {
        CConfig config(MORVANE_PROGRAM_DIR);
        config.m_bKeyDrive = true;
        config.m_nDriveSpeed[0] = 0;
        const double reach = braked ? 0.25 : 1.0;
        const double turn = braked ? 1.0 : 2.0;
        for (const std::filesystem::path& file : designs) {
            SCOPED_TRACE(file.string() + (braked ? ", motors at 0" : ", free wheels"));
            SimulationWorld sim;
            osg::ref_ptr<CRob> robot
                = new CRob(file.string(), sim.scene.get(), sim.world.get(), 1, config, Parts());
            ASSERT_EQ(
                robot->Load(nullptr, 0, 1, {}, SensorBar(), osg::Vec3f(), osg::Quat(), true), CRob::kLoaded);
            robot->SetManualDriveOutput(braked ? 1 : 0);
            ASSERT_EQ(robot->GetOutputText().empty(), !braked);
            robot->Start();
            physics::Solid* body = robot->GetRcu()->GetSolid();
            const physics::Pose start = body->pose();
            const int frames = file.filename() == "avoid_walls.rob" ? 5000 : 300;
            for (int frame = 1; frame <= frames; ++frame) {
                sim.Frames(1);
                robot->Step();
                if (frame != 300 && frame != frames)
                    continue;
                const physics::Pose now = body->pose();
                const physics::Vec3 moved = now.position - start.position;
                EXPECT_LE(std::hypot(moved.x, moved.y), reach) << "after " << frame << " frames";
                EXPECT_LE(std::abs(Turned(start.orientation, now.orientation)), turn) << "after " << frame;
            }
            std::vector<physics::Solid*> solids { body };
            for (const auto& wheel : robot->GetWheels())
                solids.push_back(wheel->GetSolid());
            for (const physics::Solid* solid : solids) {
                EXPECT_LT(solid->linearVelocity().length(), 1e-6);
                EXPECT_LT(solid->angularVelocity().length(), 1e-6);
            }
        }
    }
}

namespace {

// A shipped robot at the origin of the default floor, in its studio (the
// examples' folder names it; the rover is run in each), its keyboard
// driving it: "1*v* 2*v" forward, as a program answering "1*v* 2*v*" would.
struct ShippedRobot {
    ShippedRobot(const std::filesystem::path& file, int studio, const osg::Vec3f& start = {})
        : config(MORVANE_PROGRAM_DIR) {
        config.SetStudio(studio, false);
        config.m_bKeyDrive = true;
        robot = new CRob(file.string(), sim.scene.get(), sim.world.get(), 1, config, Parts());
        loaded = robot->Load(nullptr, 0, 1, {}, SensorBar(), start, osg::Quat(), true) == CRob::kLoaded;
        if (loaded)
            robot->Start();
    }

    // The motors' value from the next step on; without one, no output.
    void Drive(std::optional<int> value) {
        config.m_nDriveSpeed[0] = value.value_or(0);
        robot->SetManualDriveOutput(value ? 1 : 0);
    }
    void Frames(int n) {
        for (int i = 0; i < n; ++i) {
            sim.Frames(1);
            robot->Step();
        }
    }
    // The ground tilted by `degrees` about x (downhill towards -y, behind the
    // robot) or about y (downhill towards -x, its left).
    void Tilt(double degrees, bool sideways) {
        const double a = degrees * std::numbers::pi / 180.0;
        const double down = -9.8 * std::sin(a);
        sim.world->setGravity(sideways ? physics::Vec3 { down, 0.0, -9.8 * std::cos(a) }
                                       : physics::Vec3 { 0.0, down, -9.8 * std::cos(a) });
    }
    physics::Solid* Body() const { return robot->GetRcu()->GetSolid(); }
    // The wheels that roll (every wheel but the casters).
    std::vector<physics::Solid*> Wheels(bool rolling) const {
        std::vector<physics::Solid*> out;
        for (const auto& wheel : robot->GetWheels())
            if ((wheel->GetAddress().find("wheel_uni") == std::string::npos) == rolling)
                out.push_back(wheel->GetSolid());
        return out;
    }

    CConfig config;
    SimulationWorld sim;
    osg::ref_ptr<CRob> robot;
    bool loaded = false;
};

struct Design {
    std::filesystem::path file;
    int studio;
};

// Every shipped design in its studio, the rover in both.
std::vector<Design> DesignsInTheirStudios() {
    std::vector<Design> out;
    for (const std::filesystem::path& file : ShippedDesigns()) {
        if (file.filename() == "rover.rob") {
            out.push_back({ file, 0 });
            out.push_back({ file, 1 });
        } else {
            out.push_back({ file, file.string().find("/studio1/") != std::string::npos ? 1 : 0 });
        }
    }
    return out;
}

double Distance(const physics::Vec3& a, const physics::Vec3& b) {
    return std::hypot(b.x - a.x, b.y - a.y);
}

} // namespace

// Told "1*0* 2*0*" after 60 or 100 frames at 50, every shipped robot stops
// within 2 units and 3 degrees of where it was when its program said so
// (skidding from 1 unit a frame at mu g would take 0.15). Braked, the ground
// then tilted by 10 degrees, downhill behind or ahead of it, it moves at most
// 0.5 in 100 frames, and across a 30-degree slope as well: its wheels, with
// friction 1, carry most of its weight. Across 50 degrees it slides, as no
// friction of 1 holds beyond 45. Left free on a 1-degree slope it rolls
// downhill on its wheels: they turn at the rate its speed gives (rate x 3.2
// within 10% of its speed).
TEST(RobotRest, EveryShippedRobotStopsWhenToldHoldsBrakedOnASlopeAndRollsWhenFree) {
    const std::vector<Design> designs = DesignsInTheirStudios();
    ASSERT_GE(designs.size(), 9u);
    for (const Design& design : designs) {
        SCOPED_TRACE(design.file.string() + " in studio " + std::to_string(design.studio));
        for (const int frames : { 60, 100 }) {
            ShippedRobot shipped(design.file, design.studio);
            ASSERT_TRUE(shipped.loaded);
            shipped.Drive(50);
            shipped.Frames(frames);
            // The frame in whose step the program says stop.
            shipped.Drive(0);
            shipped.Frames(1);
            const physics::Pose told = shipped.Body()->pose();
            shipped.Frames(30);
            const physics::Pose now = shipped.Body()->pose();
            EXPECT_LE(Distance(told.position, now.position), 2.0) << "after " << frames << " frames";
            EXPECT_LE(std::abs(Turned(told.orientation, now.orientation)), 3.0) << "after " << frames;
            EXPECT_LT(shipped.Body()->linearVelocity().length(), 1e-3) << "after " << frames;
        }
        struct Slope {
            double degrees;
            bool sideways;
            bool holds;
        };
        for (const Slope slope : { Slope { 10.0, false, true }, Slope { -10.0, false, true },
                 Slope { 30.0, true, true }, Slope { 50.0, true, false } }) {
            SCOPED_TRACE(
                std::to_string(slope.degrees) + (slope.sideways ? " degrees across" : " degrees along"));
            ShippedRobot shipped(design.file, design.studio);
            ASSERT_TRUE(shipped.loaded);
            shipped.Drive(0);
            shipped.Frames(2);
            shipped.Tilt(slope.degrees, slope.sideways);
            const physics::Vec3 braked = shipped.Body()->position();
            shipped.Frames(100);
            if (slope.holds)
                EXPECT_LE(Distance(braked, shipped.Body()->position()), 0.5);
            else
                EXPECT_GT(Distance(braked, shipped.Body()->position()), 10.0);
        }
        ShippedRobot free(design.file, design.studio);
        ASSERT_TRUE(free.loaded);
        free.Tilt(1.0, false);
        free.Drive(std::nullopt);
        const physics::Vec3 start = free.Body()->position();
        free.Frames(20);
        const physics::Vec3 moved = free.Body()->position() - start;
        EXPECT_LT(moved.y, -5.0) << "free on 1 degree";
        const double speed = -free.Body()->linearVelocity().y;
        for (const auto& motor : free.robot->GetMotors()) {
            const double rolled
                = std::abs(motor->GetJoint()->angleRateDegrees()) * std::numbers::pi / 180.0 * 3.2;
            EXPECT_NEAR(rolled, speed, 0.1 * speed) << "free on 1 degree";
        }
    }
}

// The wheels carry the robot and the casters only keep it from tipping: at
// every wheel angle, driving slowly and stopped, on flat ground and braked on
// a 10-degree slope, the contacts of its rolling wheels carry more than half
// of what its contacts carry. Every shipped design has its centre of mass
// within 2.5 of its wheels' axle and its casters 5 from it, so its wheels
// carry at least half its weight.
TEST(RobotRest, TheWheelsOfEveryShippedRobotCarryItsWeightAtEveryWheelAngle) {
    for (const std::filesystem::path& file : ShippedDesigns()) {
        SCOPED_TRACE(file.string());
        for (const double slope : { 0.0, 10.0, -10.0 }) {
            SCOPED_TRACE(std::to_string(slope) + " degrees");
            ShippedRobot shipped(file, 0);
            ASSERT_TRUE(shipped.loaded);
            shipped.Tilt(slope, false);
            shipped.sim.world->setKeepsContactForces(true);
            // What the contacts of its rolling wheels and of its casters
            // carry, over the steps since the last look.
            std::array<double, 2> carried {};
            const auto step = [&] {
                shipped.sim.world->step();
                for (const bool rolling : { true, false })
                    for (const physics::Solid* solid : shipped.Wheels(rolling))
                        carried[rolling ? 0 : 1]
                            += -shipped.sim.world->contactForce(solid).dot(shipped.sim.world->gravity())
                            / 9.8;
            };
            const auto wheelsShare = [&] {
                const double share = carried[0] / (carried[0] + carried[1]);
                carried = {};
                return share;
            };
            if (slope == 0.0) {
                // Slowly: 20 turns a wheel by some 6 degrees in a frame.
                shipped.Drive(20);
                shipped.Frames(10);
                for (int frame = 0; frame < 20; ++frame) {
                    for (int i = 0; i < 30; ++i)
                        step();
                    shipped.robot->Step();
                    EXPECT_GT(wheelsShare(), 0.5) << "driving, frame " << frame;
                }
            }
            shipped.Drive(0);
            shipped.Frames(20);
            carried = {};
            step();
            EXPECT_GT(wheelsShare(), 0.5) << "stopped";
        }
    }
}
