// Robots standing still: every robot the program ships (the rover of robot/
// and the examples' robots), told to stop or told nothing, on the default
// floor.

#include "RobotFixture.h"

#include "elements/CWheel.h"
#include "foundation/CConfig.h"
#include "simulation/CRcu.h"
#include "simulation/CRob.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
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
