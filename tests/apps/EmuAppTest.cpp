// The simulation's run control, follow camera and mouse, on a headless
// simulation with real robots loaded by the loader thread.

#include "EmuFixture.h"

#include "apps/MotionModel.h"
#include "physics/Solid.h"
#include "platform/ProgramDir.h"
#include "scene/Camera.h"
#include "simulation/CRcu.h"
#include "simulation/CRob.h"
#include "simulation/CRobotProgram.h"
#include "support/FdCapture.h"

#include <gtest/gtest.h>

#include <QTest>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <tuple>
#include <unistd.h>

using namespace emutest;

namespace {

void ExpectNear(const osg::Vec3& actual, const osg::Vec3& expected, float tolerance = 1e-3f) {
    EXPECT_NEAR(actual.x(), expected.x(), tolerance);
    EXPECT_NEAR(actual.y(), expected.y(), tolerance);
    EXPECT_NEAR(actual.z(), expected.z(), tolerance);
}

std::string StartZonesPlayground(const std::filesystem::path& folder, const std::vector<osg::Vec3f>& starts,
    const std::vector<int>& rules = {}) {
    PlaygroundFile file;
    file.rules = rules;
    int id = 0;
    for (const osg::Vec3f& start : starts)
        file.Add(StartZone(start).info, id++);
    return WritePlayground(file, folder / ("starts" + std::to_string(starts.size()) + ".pla"));
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// The private program copies a robot's control unit holds, with their
// files' places.
std::vector<std::filesystem::path> ProgramCopies(CRob& robot) {
    std::vector<std::filesystem::path> copies;
    for (const std::string& name : robot.GetRcu()->GetTempDllNames())
        copies.push_back(platform::InProgramDir(name));
    return copies;
}

osg::Vec3 UnitPosition(const CRob& robot) {
    return robot.GetRcu()->GetTransform(scene::CoordSys::Absolute).GetTranslation();
}

// Where a world point shows in the headless view, in normalised window
// coordinates.
osg::Vec2 OnScreen(scene::Camera& camera, const osg::Vec3& world) {
    const osg::Vec3 pixel = world * camera.GetWindowMatrix();
    return osg::Vec2(2.0f * pixel.x() / float(camera.GetViewportWidth()) - 1.0f,
        2.0f * pixel.y() / float(camera.GetViewportHeight()) - 1.0f);
}

} // namespace

TEST(CEmuApp, WhileRobotsLoadTheFramesOnlyReportProgressAndTheRunHasNoRobots) {
    HeadlessEmu sim;
    CEmuApp& emu = sim.Emu();
    const std::string robot = WriteBaseRobot(sim.Folder(), "base.rob");
    SRobThreadData& block = *emu.GetLoadBlock();
    block.m_strPlaygroundFile = StartZonesPlayground(sim.Folder(), { { -50, 0, 0 }, { 50, 0, 0 } });
    block.m_vecRobotFiles = { robot, robot };
    emu.ReloadMap(0);

    // The loader's robots join only in the GUI thread's event loop, which
    // has not run yet: the load is under way.
    ASSERT_TRUE(emu.IsLoading());
    EXPECT_EQ(emu.GetRobotCount(), 0);
    EXPECT_FALSE(emu.IsRunning());
    const scene::Transform camera = emu.GetCamera()->GetTransform();
    emu.SetViewPreset(0);
    emu.StartRun();
    sim.Frames(3);
    EXPECT_EQ(sim.m_vecProgress.size(), 3u);
    EXPECT_EQ(sim.m_nStops, 0);
    EXPECT_EQ(emu.GetFrameCount(), 0);
    EXPECT_TRUE(emu.GetCamera()->GetTransform().EpsilonEquals(camera));
    emu.m_bRunning = false;

    ASSERT_TRUE(QTest::qWaitFor([&] { return !sim.m_vecReloads.empty(); }, 30000));
    EXPECT_EQ(sim.m_vecReloads, std::vector<int> { 1 });
    EXPECT_EQ(sim.m_vecProgress.back(), 100);
    EXPECT_FALSE(emu.IsLoading());
    ASSERT_EQ(emu.GetRobotCount(), 2);
    EXPECT_EQ(emu.GetSelectedRobot(), emu.GetRobot(0));
    EXPECT_TRUE(emu.GetScene()->HasDrawable(emu.GetRobot(1)->GetRcu()));
    EXPECT_TRUE(emu.IsRunning());
    // Robot i starts in start zone i.
    EXPECT_NEAR(UnitPosition(*emu.GetRobot(0)).x(), -50.0f, 1.0f);
    EXPECT_NEAR(UnitPosition(*emu.GetRobot(1)).x(), 50.0f, 1.0f);

    // Without robots a reload resumes the page at once, unless asked to
    // keep it paused.
    const osg::ref_ptr<CRcu> unit = emu.GetRobot(0)->GetRcu();
    block.m_vecRobotFiles.clear();
    emu.ReloadMap(1);
    EXPECT_EQ(emu.GetRobotCount(), 0);
    EXPECT_FALSE(emu.GetScene()->HasDrawable(unit.get()));
    EXPECT_FALSE(emu.IsRunning());
    emu.ReloadMap(0);
    EXPECT_TRUE(emu.IsRunning());
}

TEST(CEmuApp, AReloadedPlaygroundsRulesReplaceTheEarlierOnes) {
    HeadlessEmu sim;
    const std::string robot = WriteBaseRobot(sim.Folder(), "base.rob");
    // The base robot has 7 parts; the first playground allows 3.
    const std::string strict = StartZonesPlayground(sim.Folder(), { { 0, 0, 0 } }, { 3 });
    PlaygroundFile free;
    free.Add(StartZone(osg::Vec3f(0.0f, 0.0f, 0.0f)).info, 0);
    const std::string open = WritePlayground(free, sim.Folder() / "free.pla");
    EXPECT_EQ(sim.Load(strict, { robot }), 2);
    EXPECT_EQ(sim.Load(open, { robot }), 1);
    EXPECT_TRUE(sim.Emu().GetLoadBlock()->m_vecRules.empty());
}

TEST(CEmuApp, TheFollowCameraSitsBehindAndAboveTheRobotTurnedWithIt) {
    HeadlessEmu sim;
    CEmuApp& emu = sim.Emu();
    const std::string robot = WriteBaseRobot(sim.Folder(), "base.rob");
    ASSERT_EQ(sim.Load(StartZonesPlayground(sim.Folder(), { { 60, 20, 0 } }), { robot }), 1);
    CRob& rob = *emu.GetRobot(0);

    // The follow view starts straight above the robot.
    emu.SetViewPreset(4);
    EXPECT_TRUE(emu.m_bFollow);
    EXPECT_EQ(emu.GetMotionModel()->GetTarget(), nullptr);
    ExpectNear(emu.GetCamera()->GetTransform().GetTranslation(), UnitPosition(rob) + osg::Vec3(0, 0, 200));
    ExpectNear(emu.GetCamera()->GetTransform().GetHpr(), osg::Vec3(0, -89, 0));

    // From the next frame on: behind and above, at the follow height, looking
    // down by 0.7 rad along the robot's heading.
    sim.Frames(1);
    const float c = std::cos(0.7f);
    const float s = std::sin(0.7f);
    ExpectNear(emu.GetCamera()->GetTransform().GetTranslation(), UnitPosition(rob) + osg::Vec3(0, -200, 200));
    ExpectNear(emu.GetCamera()->GetForward(), osg::Vec3(0, c, -s));

    // Turned to face -x (heading 90), the robot has the camera behind it on
    // +x; the wheel turned up comes 5 nearer.
    emu.RotateSelectedRobot(osg::Matrixd::rotate(CEmuApp::DegToRadF(90.0f), osg::Vec3(0, 0, 1)));
    EXPECT_NEAR(rob.GetRcu()->GetTransform().GetHpr().x(), 90.0f, 1e-3f);
    EXPECT_TRUE(emu.MouseScrolled(emu.GetMouse(), 1));
    sim.Frames(1);
    EXPECT_EQ(emu.m_nFollowHeight, 195);
    ExpectNear(emu.GetCamera()->GetTransform().GetTranslation(), UnitPosition(rob) + osg::Vec3(195, 0, 195));
    ExpectNear(emu.GetCamera()->GetForward(), osg::Vec3(-c, 0, -s));

    // Any other preset gives the orbit camera the view back.
    emu.SetViewPreset(3);
    EXPECT_FALSE(emu.m_bFollow);
    EXPECT_EQ(emu.GetMotionModel()->GetTarget(), emu.GetCamera());
}

TEST(CEmuApp, HeldKeysDriveTheFirstRobotOnlyWhileARunIsInProgress) {
    HeadlessEmu sim;
    CEmuApp& emu = sim.Emu();
    const std::string robot = WriteBaseRobot(sim.Folder(), "base.rob");
    ASSERT_EQ(
        sim.Load(StartZonesPlayground(sim.Folder(), { { -50, 0, 0 }, { 50, 0, 0 } }), { robot, robot }), 1);
    emu.ToggleDriveMode();
    EXPECT_TRUE(sim.Config().m_bKeyDrive);
    CRob& first = *emu.GetRobot(0);
    emu.DriveByKey(15);
    EXPECT_EQ(first.GetOutputText(), "");

    emu.StartRun();
    // The manual-drive texts with the default speeds 40, 25, 65, 15.
    const std::pair<int, const char*> presses[] = {
        { 15, "1*40* 2*40 l p " }, // forward
        { 17, "1*15* 2*65 l p " }, // forward and left
        { 16, "" }, // forward and back cancel, left or not
        { 19, "1*-15* 2*-65 l p " }, // back and left
        { 21, "1*-40* 2*-40 l p " }, // back
        { 18, "1*-65* 2*-15 l p " }, // back and right
        { 20, "1*25* 2*-25 l p " }, // right
        { 17, "" }, // left and right cancel
        { 22, "1*-25* 2*25 l p " }, // left
        { 21, "" }, // nothing held
    };
    for (const auto& [code, text] : presses) {
        emu.DriveByKey(code);
        EXPECT_EQ(first.GetOutputText(), text) << "after key " << code;
    }
    EXPECT_EQ(emu.GetRobot(1)->GetOutputText(), "");
    // In keyboard drive the robots run without programs.
    emu.DriveByKey(15);
    sim.Frames(2);
    EXPECT_EQ(first.GetStepCount(), 2);
    EXPECT_EQ(first.GetOutputText(), "1*40* 2*40 l p ");
}

TEST(CEmuApp, RemovingARobotLeavesTheOthersTheirFilesAndPrograms) {
    HeadlessEmu sim;
    CEmuApp& emu = sim.Emu();
    const std::vector<std::string> robots = { WriteBaseRobot(sim.Folder(), "r0.rob"),
        WriteBaseRobot(sim.Folder(), "r1.rob"), WriteBaseRobot(sim.Folder(), "r2.rob") };
    const std::vector<std::string> programs
        = { Program("drive"), Program("drive_crash_at_20"), Program("drive_back") };
    // Robot 2's start zone lies on robot 1's: robot 2 keeps that one armed
    // once robot 1 is gone.
    ASSERT_EQ(sim.Load(StartZonesPlayground(sim.Folder(), { { -60, 0, 0 }, { 0, 0, 0 }, { 0, 0, 0 } }),
                  robots, programs),
        1);
    sim.LoadPrograms();

    emu.SetFollowTarget(emu.GetRobot(1));
    ASSERT_TRUE(emu.RemoveSelectedRobot());
    EXPECT_EQ(emu.GetSelectedRobot(), nullptr);
    ASSERT_EQ(emu.GetRobotCount(), 2);
    EXPECT_EQ(emu.GetRobotFileName(1), robots[2]);
    const SRobThreadData& block = *emu.GetLoadBlock();
    EXPECT_EQ(block.m_vecRobotFiles, (std::vector<std::string> { robots[0], robots[2] }));
    EXPECT_EQ(block.m_vecProgramFiles, (std::vector<std::string> { programs[0], programs[2] }));
    EXPECT_NEAR(UnitPosition(*emu.GetRobot(1)).x(), 0.0f, 1.0f);

    // The run reloads every robot's own program, the one that moved down
    // the list included; its copy moves along, and the one it left holds
    // no program any more.
    const std::vector<std::filesystem::path> moved = ProgramCopies(*emu.GetRobot(1));
    ASSERT_EQ(moved.size(), 3u);
    EXPECT_EQ(ReadFile(moved[2]), ReadFile(programs[2]));
    emu.StartRun();
    sim.Frames(1);
    EXPECT_EQ(sim.m_nStops, 0);
    EXPECT_EQ(emu.GetRobot(0)->GetOutputText(), "1*50* 2*50* p0");
    EXPECT_EQ(emu.GetRobot(1)->GetOutputText(), "1*-30* 2*-30* p0");
    EXPECT_EQ(ReadFile(moved[1]), ReadFile(programs[2]));
    EXPECT_EQ(ReadFile(moved[2]), std::string());
}

// Programs dropped in a run are told as they are dropped: to the window,
// with the file the student chose (never the private copy the run started
// from), and on standard error, both in the robots' order.
TEST(CEmuApp, ProgramsDroppedInARunAreToldInTheRobotsOrderUnderTheFilesChosen) {
    HeadlessEmu sim;
    CEmuApp& emu = sim.Emu();
    const std::string robot = WriteBaseRobot(sim.Folder(), "base.rob");
    const std::string crash = Program("drive_crash_in_tenth_step");
    ASSERT_EQ(sim.Load(StartZonesPlayground(sim.Folder(), { { -60, 0, 0 }, { 60, 0, 0 } }), { robot, robot },
                  { crash, crash }),
        1);
    sim.LoadPrograms();
    std::vector<std::tuple<int, int, std::string, int>> told;
    QObject::connect(&emu, &CEmuApp::signal_Ui_ProgramDropped, [&](int index, int why, const QString& file) {
        told.emplace_back(index, why, file.toStdString(), emu.GetFrameCount());
    });
    FdCapture error(STDERR_FILENO);
    emu.StartRun();
    sim.Frames(12);
    std::string lines;
    std::istringstream text(error.Text());
    for (std::string line; std::getline(text, line);) {
        if (line.rfind("Robot ", 0) == 0)
            lines += line + "\n";
    }
    // Both in the tenth frame, the one that gave them step 9.
    const int crashed = int(CRobotProgram::Drop::Crashed);
    EXPECT_EQ(told,
        (std::vector<std::tuple<int, int, std::string, int>> {
            { 0, crashed, crash, 9 }, { 1, crashed, crash, 9 } }));
    EXPECT_EQ(lines,
        "Robot 1: program \"" + crash
            + "\" dropped: it crashed in Start (Segmentation fault)\nRobot 2: program \"" + crash
            + "\" dropped: it crashed in Start (Segmentation fault)\n");
}

// Every load of the robots (and the reload after every run) makes new
// robots; the robots they replace take their program copies with them, so
// that "Temp" holds the copies of the robots there are, not one for every
// load since the program started.
TEST(CEmuApp, ReplacedRobotsTakeTheirProgramCopiesWithThem) {
    HeadlessEmu sim;
    CEmuApp& emu = sim.Emu();
    const std::string robot = WriteBaseRobot(sim.Folder(), "base.rob");
    const std::string playground = StartZonesPlayground(sim.Folder(), { { -60, 0, 0 }, { 60, 0, 0 } });
    const std::vector<std::string> programs = { Program("drive"), Program("drive_back") };
    std::vector<std::filesystem::path> earlier;
    for (int load = 0; load < 3; ++load) {
        SCOPED_TRACE(load);
        ASSERT_EQ(sim.Load(playground, { robot, robot }, programs), 1);
        sim.LoadPrograms();
        for (const std::filesystem::path& copy : earlier)
            EXPECT_FALSE(std::filesystem::exists(copy)) << copy;
        earlier.clear();
        for (int i = 0; i < 2; ++i) {
            const std::vector<std::filesystem::path> copies = ProgramCopies(*emu.GetRobot(i));
            ASSERT_EQ(copies.size(), std::size_t(i + 1));
            EXPECT_EQ(ReadFile(copies.back()), ReadFile(programs[std::size_t(i)]));
            earlier.insert(earlier.end(), copies.begin(), copies.end());
        }
    }
    // A robot removed takes its copies along too.
    emu.SetFollowTarget(emu.GetRobot(1));
    const std::vector<std::filesystem::path> removed = ProgramCopies(*emu.GetRobot(1));
    ASSERT_TRUE(emu.RemoveSelectedRobot());
    sim.Frames(1);
    for (const std::filesystem::path& copy : removed)
        EXPECT_FALSE(std::filesystem::exists(copy)) << copy;
    EXPECT_TRUE(std::filesystem::exists(ProgramCopies(*emu.GetRobot(0)).front()));
}

TEST(CEmuApp, BeforeARunTheMouseCarriesTurnsAndRemovesRobots) {
    HeadlessEmu sim;
    CEmuApp& emu = sim.Emu();
    const std::string robot = WriteBaseRobot(sim.Folder(), "base.rob");
    ASSERT_EQ(sim.Load(StartZonesPlayground(sim.Folder(), { { 0, 0, 0 } }), { robot }), 1);
    CRob& rob = *emu.GetRobot(0);
    emu.SetViewPreset(0);
    scene::Mouse* mouse = emu.GetMouse();
    scene::Camera& camera = *emu.GetCamera();

    // A click on the robot picks it up; a click anywhere puts it down.
    mouse->SetPosition(OnScreen(camera, rob.GetCurrentBox().center()));
    ASSERT_TRUE(emu.MouseButtonPressed(mouse, scene::Mouse::LeftButton));
    EXPECT_EQ(emu.GetCarried(), rob.GetRcu());
    EXPECT_EQ(emu.GetSelectedRobot(), &rob);

    // Carried, the robot's bottom follows the ground point under the pointer.
    const osg::Vec2 target = OnScreen(camera, osg::Vec3(80, -40, 0));
    osg::Vec3f ground;
    ASSERT_TRUE(emu.Pick3D(ground, target));
    ExpectNear(ground, osg::Vec3(80, -40, 0), 0.5f);
    EXPECT_TRUE(emu.MouseMoved(mouse, target.x(), target.y()));
    const osg::BoundingBox box = rob.GetCurrentBox();
    EXPECT_NEAR(box.center().x(), ground.x(), 1e-3f);
    EXPECT_NEAR(box.center().y(), ground.y(), 1e-3f);
    EXPECT_NEAR(box.zMin(), ground.z(), 1e-3f);
    // Its solids went with it.
    const physics::Solid* solid = rob.GetRcu()->GetSolid();
    ASSERT_NE(solid, nullptr);
    EXPECT_NEAR(solid->position().x, UnitPosition(rob).x(), 1e-3);
    EXPECT_NEAR(solid->position().y, UnitPosition(rob).y(), 1e-3);
    mouse->SetPosition(osg::Vec2(0.9f, 0.9f));
    EXPECT_TRUE(emu.MouseButtonPressed(mouse, scene::Mouse::LeftButton));
    EXPECT_EQ(emu.GetCarried(), nullptr);

    // Turn mode: each click turns the robot by 30 degrees to the left.
    emu.SetMouseModeRotate();
    const float heading = rob.GetRcu()->GetTransform().GetHpr().x();
    mouse->SetPosition(OnScreen(camera, rob.GetCurrentBox().center()));
    EXPECT_TRUE(emu.MouseButtonPressed(mouse, scene::Mouse::LeftButton));
    EXPECT_NEAR(rob.GetRcu()->GetTransform().GetHpr().x(), heading + 30.0f, 1e-3f);

    // Not during a run, and never with another button.
    emu.m_bRunning = true;
    EXPECT_FALSE(emu.MouseButtonPressed(mouse, scene::Mouse::LeftButton));
    emu.m_bRunning = false;
    EXPECT_FALSE(emu.MouseButtonPressed(mouse, scene::Mouse::RightButton));
    EXPECT_NEAR(rob.GetRcu()->GetTransform().GetHpr().x(), heading + 30.0f, 1e-3f);

    // Delete mode: a click removes the robot with its file.
    emu.SetMouseModeDelete();
    EXPECT_TRUE(emu.MouseButtonPressed(mouse, scene::Mouse::LeftButton));
    EXPECT_EQ(emu.GetRobotCount(), 0);
    EXPECT_TRUE(emu.GetLoadBlock()->m_vecRobotFiles.empty());
}
