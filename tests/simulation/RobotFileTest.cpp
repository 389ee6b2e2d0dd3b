#include "RobotFixture.h"

#include "elements/CBrick.h"
#include "elements/CColoredLight.h"
#include "elements/CWheel.h"
#include "foundation/CConfig.h"
#include "platform/Warnings.h"
#include "scene/Label.h"
#include "simulation/BlackCSensor.h"
#include "simulation/CMotor.h"
#include "simulation/CRcu.h"
#include "simulation/CRob.h"
#include "simulation/RaySensor.h"
#include "simulation/RobotBuilderFile.h"
#include "simulation/RobotFile.h"
#include "support/FileSizeLimit.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <iterator>

using namespace robotstest;
using simulation::ParseRobotXml;
using simulation::RobotFileStatus;

namespace {

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

int LoadInto(SimulationWorld& sim, const std::string& file, const std::vector<int>& rules = {},
    const osg::Vec3f& at = osg::Vec3f(), const osg::Quat& turn = osg::Quat()) {
    osg::ref_ptr<CRob> robot = new CRob(file, sim.scene.get(), sim.world.get(), 1, Config(), Parts());
    return robot->Load(nullptr, 0, 1, rules, SensorBar(), at, turn, true);
}

// The position of a part in its robot's frame.
osg::Vec3 InRobotFrame(const CModel& part, const CModel& rcu) {
    const osg::Matrixd toRobot = osg::Matrixd::inverse(rcu.GetAbsoluteMatrix());
    return part.GetAbsoluteMatrix().getTrans() * toRobot;
}

} // namespace

TEST(RobotFile, TheBuildersFileLoadsIntoTheSimulationAtItsStartPose) {
    testsupport::TempDir dir;
    BuilderRobot builder;
    builder.AddBase();
    // The simulation gives a sensor the ray distance of the file.
    builder.Add(ModelTypeSensor, "models/sensor/ray.ive", 0.0, 6.0, 5.2, 0.0, 3, SensorKindRay)
        ->SetRayDis(40);
    builder.Add(ModelTypeColoredLight, "models/light/coloredlight.ive", 0.0, -4.0, 5.2, 0.0, 5);
    // A brick keeps its colour; one whose colour is not opaque takes the
    // default part colour.
    ASSERT_NE(MakeBuilderPart(builder.state, ModelTypeBrick, "models/brick/brick_2x2.ive",
                  scene::Transform(0.0, 0.0, 5.2), osg::Vec4f(1.0f, 0.5f, 0.25f, 1.0f), 9, 0, 0, 0, 255),
        nullptr);
    ASSERT_NE(MakeBuilderPart(builder.state, ModelTypeBrick, "models/brick/brick_2x2.ive",
                  scene::Transform(0.0, 4.0, 5.2), osg::Vec4f(1.0f, 0.5f, 0.25f, 0.5f), 10, 0, 0, 0, 255),
        nullptr);
    const std::string file = builder.Save(dir.path() / "robot.rob");
    ASSERT_FALSE(file.empty());

    // The sections in their order, "join" with the number of motors,
    // sensors and lights.
    const std::string text = ReadText(file);
    std::size_t at = 0;
    for (const char* section : { "<rcu l=\"11\">", "<brick>", "<wheel>", "<motor>", "<sensor>",
             "<coloredlight>", "<join l=\"4\">", "<join_line>", "<join_motor>", "<count>" }) {
        const std::size_t next = text.find(section, at);
        EXPECT_NE(next, std::string::npos) << section << " after the sections before it";
        at = next == std::string::npos ? at : next;
    }
    RobotFileData data;
    ASSERT_EQ(ParseRobotXml(text, data), RobotFileStatus::Read);
    EXPECT_EQ(data.m_nPartCount, 11);
    // "join" lists the two motors, the sensor and the light; each motor's
    // shaft meets its wheel's hub, which "join_motor" records motor first.
    EXPECT_EQ(data.m_vecJoinIds, (std::vector<int> { 1, 3, 7, 8 }));
    ASSERT_EQ(data.m_vecJoinMotors.size(), 2u);
    EXPECT_EQ(data.m_vecJoinMotors[0].m_nId, 1);
    EXPECT_EQ(data.m_vecJoinMotors[0].m_nId2, 2);
    EXPECT_EQ(data.m_vecJoinMotors[1].m_nId, 3);
    EXPECT_EQ(data.m_vecJoinMotors[1].m_nId2, 4);
    ASSERT_EQ(data.m_vecCounts.size(), 7u);
    EXPECT_EQ(data.m_vecCounts[6].m_nCount, 2);
    EXPECT_EQ(data.m_vecCounts[2].m_strAddress, "models/wheel/wheel_std.ive");
    EXPECT_EQ(data.m_vecCounts[2].m_nCount, 2);

    SimulationWorld sim;
    const osg::Vec3f start(100.0f, -50.0f, 0.0f);
    const osg::Quat turn(osg::PI_2, osg::Vec3d(0.0, 0.0, 1.0));
    osg::ref_ptr<CRob> robot = new CRob(file, sim.scene.get(), sim.world.get(), 1, Config(), Parts());
    ASSERT_EQ(robot->Load(nullptr, 0, 1, {}, SensorBar(), start, turn, true), CRob::kLoaded);

    // The robot stands on its start point, turned by the start rotation
    // after its own, whole: every part where the builder put it relative to
    // the control unit.
    const osg::BoundingBox box = robot->GetCurrentBox();
    EXPECT_NEAR(box.center().x(), start.x(), 1e-3);
    EXPECT_NEAR(box.center().y(), start.y(), 1e-3);
    EXPECT_NEAR(box.zMin(), start.z(), 1e-3);
    CRcu* rcu = robot->GetRcu();
    ASSERT_NE(rcu, nullptr);
    EXPECT_NEAR(rcu->GetTransform().GetHpr().x(), 90.0, 1e-3);
    ASSERT_EQ(robot->GetWheels().size(), 4u);
    const osg::Vec3 leftWheel = InRobotFrame(*robot->GetWheels()[0], *rcu);
    EXPECT_NEAR(leftWheel.x(), -9.3, 1e-4);
    EXPECT_NEAR(leftWheel.y(), 0.0, 1e-4);
    EXPECT_NEAR(leftWheel.z(), 1.2, 1e-4);

    // Wiring and joints: each motor drives its wheel by a hinge of its own;
    // bricks, motors, casters, sensors and lights are fixed to the body.
    ASSERT_EQ(robot->GetMotors().size(), 2u);
    EXPECT_EQ(robot->GetMotors()[0]->GetPort(), 1);
    EXPECT_EQ(robot->GetMotors()[1]->GetPort(), 2);
    EXPECT_EQ(robot->GetMotors()[1]->GetOpposite(), 1);
    EXPECT_EQ(robot->GetMotors()[0]->GetWheel(), robot->GetWheels()[0].get());
    EXPECT_EQ(robot->GetMotors()[1]->GetWheel(), robot->GetWheels()[1].get());
    EXPECT_EQ(robot->GetJointCount(), 8u);
    ASSERT_EQ(robot->GetSensors().size(), 1u);
    EXPECT_EQ(robot->GetSensors()[0]->GetPort(), 3);
    EXPECT_EQ(robot->GetSensors()[0]->GetKind(), SensorKindRay);
    EXPECT_EQ(robot->GetSensors()[0]->GetRayDis(), 40);
    // The sensor effects are off: the ray's beam is there, but not shown.
    ASSERT_FALSE(Config().m_bShowSensorEffect);
    const scene::SceneObject* beam = static_cast<const RaySensor*>(robot->GetSensors()[0].get())->GetEffect();
    ASSERT_NE(beam, nullptr);
    EXPECT_FALSE(beam->GetActive());
    ASSERT_EQ(robot->GetLights().size(), 1u);
    EXPECT_EQ(robot->GetLights()[0]->GetPort(), 5);
    ASSERT_EQ(robot->GetBricks().size(), 2u);
    EXPECT_EQ(robot->GetBricks()[0]->GetDesc().m_vColor, osg::Vec4f(1.0f, 0.5f, 0.25f, 1.0f));
    EXPECT_EQ(robot->GetBricks()[1]->GetDesc().m_vColor, Parts()->Constants().partColor);

    // In the scene with its label; every part in the physics world, at the
    // pose the scene shows.
    EXPECT_TRUE(sim.scene->HasDrawable(rcu));
    ASSERT_NE(robot->GetNameLabel(), nullptr);
    EXPECT_EQ(robot->GetNameLabel()->GetText(), "Rob.1");
    EXPECT_EQ(sim.world->solidCount(), 1u + 11u);
    const physics::Vec3 solid = robot->GetWheels()[0]->GetSolid()->position();
    const osg::Vec3 shown = robot->GetWheels()[0]->GetTransform().GetTranslation();
    EXPECT_NEAR(solid.x, shown.x(), 1e-4);
    EXPECT_NEAR(solid.y, shown.y(), 1e-4);
    EXPECT_NEAR(solid.z, shown.z(), 1e-4);
}

TEST(RobotFile, NumbersReadBackExactly) {
    testsupport::TempDir dir;
    BuilderRobot builder;
    CModel* rcu = builder.Add(ModelTypeRcu, "models/rcu/rcu.ive", 123.456789, -0.1, 2.0);
    ASSERT_NE(rcu, nullptr);
    const osg::Quat odd = osg::Quat(0.3, osg::Vec3d(1, 0, 0)) * osg::Quat(1.1, osg::Vec3d(0, 0, 1));
    rcu->SetPose(rcu->GetState().m_vPos, odd, true, false);
    const std::string file = builder.Save(dir.path() / "exact.rob");
    ASSERT_FALSE(file.empty());

    RobotFileData data;
    ASSERT_EQ(ParseRobotXml(ReadText(file), data), RobotFileStatus::Read);
    EXPECT_EQ(float(data.m_rcu.m_vPos.x()), 123.456789f);
    EXPECT_EQ(float(data.m_rcu.m_vPos.y()), -0.1f);
    EXPECT_EQ(data.m_rcu.m_qRot.x(), odd.x());
    EXPECT_EQ(data.m_rcu.m_qRot.y(), odd.y());
    EXPECT_EQ(data.m_rcu.m_qRot.z(), odd.z());
    EXPECT_EQ(data.m_rcu.m_qRot.w(), odd.w());
    // Single-precision positions keep their short form.
    EXPECT_NE(ReadText(file).find("y=\"-0.1\""), std::string::npos);
}

TEST(RobotFile, ASaveReplacesTheFileWholeOrLeavesItAlone) {
    testsupport::TempDir dir;
    BuilderRobot builder;
    EXPECT_TRUE(builder.Save(dir.path() / "empty.rob").empty());
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "empty.rob"));

    builder.AddBase();
    const std::filesystem::path file = dir.path() / "robot.rob";
    ASSERT_FALSE(builder.Save(file).empty());
    const std::string first = ReadText(file);
    // A second name for the saved file: a save that wrote into the file in
    // place would change what it shows too.
    std::filesystem::create_hard_link(file, dir.path() / "before.rob");
    builder.Add(ModelTypeBrick, "models/brick/brick_2x2.ive", 0.0, 0.0, 5.2);
    ASSERT_FALSE(builder.Save(file).empty());
    EXPECT_EQ(ReadText(dir.path() / "before.rob"), first);
    EXPECT_NE(ReadText(file), first);
    EXPECT_EQ(builder.Save(dir.path() / "no-such-folder" / "robot.rob"), "");
    EXPECT_EQ(builder.state.m_fault, RobotFileFault::Unwritable);
    EXPECT_EQ(builder.state.m_nFileError, ENOENT);

    // A disk with no room for it: the file before stays byte for byte, and
    // the builder learns why.
    const std::string second = ReadText(file);
    builder.Add(ModelTypeBrick, "models/brick/brick_2x2.ive", 0.0, 0.0, 8.4);
    {
        const testsupport::FileSizeLimit full(second.size() + 10);
        EXPECT_EQ(builder.Save(file), "");
    }
    EXPECT_EQ(builder.state.m_fault, RobotFileFault::Unwritable);
    EXPECT_EQ(builder.state.m_nFileError, EFBIG);
    EXPECT_EQ(ReadText(file), second);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2)
        << "nothing left beside it";
}

TEST(RobotFile, TheOlderLayoutReadsWithAnIdForEveryPart) {
    testsupport::TempDir dir;
    auto pose = [](double x, double y, double z) {
        auto number = [](const char* name, double v) {
            return "<member><name>" + std::string(name) + "</name><value><double>" + std::to_string(v)
                + "</double></value></member>";
        };
        return number("Position_x", x) + number("Position_y", y) + number("Position_z", z)
            + number("Quat_w", 1.0) + number("Quat_x", 0.0) + number("Quat_y", 0.0) + number("Quat_z", 0.0);
    };
    auto item = [&](const char* name, double x, const std::string& extra) {
        return "<value><struct>" + extra + "<member><name>Name</name><value>" + name + "</value></member>"
            + pose(x, 0.0, 3.0) + "</struct></value>";
    };
    const std::string colour = "<member><name>Color_a</name><value><double>1</double></value></member>"
                               "<member><name>Color_b</name><value><double>0</double></value></member>"
                               "<member><name>Color_g</name><value><double>0.5</double></value></member>"
                               "<member><name>Color_r</name><value><double>1</double></value></member>";
    const std::string line = "<value><struct>"
                             "<member><name>Brick</name><value><array><data>"
        + item("models/brick/brick_2x2.ive", 0.0, colour)
        + "</data></array></value></member>"
          "<member><name>Motor</name><value><array><data>"
        + item(
            "models/motor/motor.ive", -6.0, "<member><name>Ports</name><value><int>1</int></value></member>")
        + "</data></array></value></member>"
          "<member><name>Rcu</name><value><struct><member><name>Name</name><value>models/rcu/rcu.ive</value>"
          "</member>"
        + pose(0.0, 0.0, 2.0)
        + "</struct></value></member>"
          "<member><name>Sensor</name><value><array><data>"
        + item("models/sensor/grey.ive", 2.0,
            "<member><name>Ports</name><value><int>3</int></value></member>"
            "<member><name>SensorType</name><value><int>4</int></value></member>")
        + "</data></array></value></member>"
          "<member><name>Wheel</name><value><array><data>"
        + item("models/wheel/wheel_std.ive", -9.3, "") + item("models/wheel/wheel_std.ive", 9.3, "")
        + "</data></array></value></member>"
          "</struct></value>";
    WriteText(dir.path() / "old.rob", line + "\n");

    BuilderRobot builder;
    builder.state.m_strRobotFile = (dir.path() / "old.rob").string();
    ASSERT_EQ(LoadRobotFile(builder.state), kRobotLoaded);
    const auto& parts = builder.state.m_vecAllParts;
    ASSERT_EQ(parts.size(), 6u);
    // The control unit is 0; the arrays follow in the order Brick, Wheel,
    // Motor, Sensor, numbered on from it.
    const int types[]
        = { ModelTypeRcu, ModelTypeBrick, ModelTypeWheel, ModelTypeWheel, ModelTypeMotor, ModelTypeSensor };
    for (std::size_t i = 0; i < parts.size(); ++i) {
        EXPECT_EQ(parts[i]->GetType(), types[i]) << i;
        EXPECT_EQ(parts[i]->GetId(), int(i)) << i;
    }
    EXPECT_EQ(builder.state.m_nBuildCounter, 6);
    EXPECT_EQ(parts[1]->GetDesc().m_vColor, osg::Vec4f(1.0f, 0.5f, 0.0f, 1.0f));
    EXPECT_EQ(parts[4]->GetPort(), 1);
    EXPECT_EQ(parts[5]->GetPort(), 3);
    EXPECT_NE(dynamic_cast<BlackCSensor*>(parts[5].get()), nullptr);
    EXPECT_FLOAT_EQ(parts[2]->GetState().m_vPos.x(), -9.3f);
}

TEST(RobotFile, DamagedFilesAreUnreadableAndLeaveNothingBehind) {
    testsupport::TempDir dir;
    const std::string rcu = "<obj address=\"models/rcu/rcu.ive\" x=\"0\" y=\"0\" z=\"2\" />";
    const std::string olderRcu = "<member><name>Rcu</name><value><struct><member><name>Name</name>"
                                 "<value>models/rcu/rcu.ive</value></member></struct></value></member>";
    const std::vector<std::pair<const char*, std::string>> damaged = {
        { "empty", "" },
        { "no XML", "a robot" },
        { "cut short", "<data><rcu l=\"1\">" + rcu },
        { "cut inside a character",
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?><data><rcu l=\"1\">" + rcu + "<a b=\"\xe4" },
        { "a zero byte", std::string("<data><rcu l=\"1\">\0", 18) + rcu + "</rcu></data>" },
        { "nested without end", std::string(100000, '<') + std::string("data>") },
        { "deep nesting",
            [] {
                std::string s;
                for (int i = 0; i < 200000; ++i)
                    s += "<a>";
                return s;
            }() },
        { "no rcu", "<data><brick /></data>" },
        { "no part count", "<data><rcu>" + rcu + "</rcu></data>" },
        { "part count 0", "<data><rcu l=\"0\">" + rcu + "</rcu></data>" },
        { "a word for the count", "<data><rcu l=\"many\">" + rcu + "</rcu></data>" },
        { "no control unit", "<data><rcu l=\"1\" /></data>" },
        { "a control unit without model",
            "<data><rcu l=\"1\"><obj address=\"models/none.ive\" /></rcu></data>" },
        { "older layout, no Rcu", "<value><struct></struct></value>" },
        { "older layout, not a struct", "<value><int>7</int></value>" },
        { "older layout, a number of the wrong type",
            "<value><struct><member><name>Rcu</name><value><struct><member><name>Position_x</name>"
            "<value><int>3</int></value></member></struct></value></member></struct></value>" },
        // A damaged item after a sound one.
        { "older layout, damaged half-way",
            "<value><struct><member><name>Brick</name><value><array><data>"
            "<value><struct><member><name>Name</name><value>models/brick/brick_2x2.ive</value></member>"
            "</struct></value>"
            "<value><struct><member><name>Quat_w</name><value><string>1</string></value></member>"
            "</struct></value>"
            "</data></array></value></member>"
                + olderRcu + "</struct></value>" },
        { "older layout, an array that is a number",
            "<value><struct><member><name>Brick</name><value><int>2</int></value></member>" + olderRcu
                + "</struct></value>" },
    };
    SimulationWorld sim;
    const std::size_t solids = sim.world->solidCount();
    const unsigned drawables = sim.scene->GetNumberOfAddedDrawable();
    for (const auto& [what, text] : damaged) {
        const std::filesystem::path file = dir.path() / "damaged.rob";
        WriteText(file, text);
        EXPECT_EQ(LoadInto(sim, file.string()), CRob::kUnreadable) << what;
        EXPECT_EQ(sim.world->solidCount(), solids) << what;
        EXPECT_EQ(sim.scene->GetNumberOfAddedDrawable(), drawables) << what;

        BuilderRobot builder;
        builder.Add(ModelTypeRcu, "models/rcu/rcu.ive", 0.0, 0.0, 2.0);
        builder.state.m_strRobotFile = file.string();
        EXPECT_EQ(LoadRobotFile(builder.state), kRobotLoadFailed) << what;
        EXPECT_EQ(builder.state.m_vecAllParts.size(), 1u) << what;
        EXPECT_EQ(builder.state.m_nBuildCounter, 1) << what;
    }
    EXPECT_EQ(LoadInto(sim, (dir.path() / "missing.rob").string()), CRob::kUnreadable);
}

// Robot files travel between students: a model address may only name a
// file below the program folder, by the rule playground files follow. Each
// address here names a model that exists, so only the rule refuses it.
TEST(RobotFile, AModelAddressLeavingTheProgramFolderRefusesTheFileWithAMessage) {
    testsupport::TempDir dir;
    const std::string absolute = std::string(MORVANE_PROGRAM_DIR) + "/models/brick/brick_2x2.ive";
    const auto xml = [](const std::string& rcu, const std::string& brick) {
        return "<data><rcu l=\"2\"><obj address=\"" + rcu + "\" z=\"2\" /></rcu><brick><obj address=\""
            + brick + "\" z=\"5\" /></brick></data>";
    };
    const auto older = [](const std::string& rcu, const std::string& brick) {
        const auto item = [](const std::string& address) {
            return "<value><struct><member><name>Name</name><value>" + address
                + "</value></member></struct></value>";
        };
        return "<value><struct><member><name>Rcu</name>" + item(rcu)
            + "</member><member><name>Brick</name><value><array><data>" + item(brick)
            + "</data></array></value></member></struct></value>";
    };
    const std::string rcu = "models/rcu/rcu.ive";
    const std::string brick = "models/brick/brick_2x2.ive";
    struct Case {
        std::string text;
        std::string address;
        bool older = false;
    };
    const std::vector<Case> cases = {
        { xml(rcu, absolute), absolute },
        { xml("models/../models/rcu/rcu.ive", brick), "models/../models/rcu/rcu.ive" },
        { xml(rcu, "models\\brick\\..\\brick\\brick_2x2.ive"), "models\\brick\\..\\brick\\brick_2x2.ive" },
        { older(rcu, absolute), absolute, true },
        { older("models/rcu/../rcu/rcu.ive", brick), "models/rcu/../rcu/rcu.ive", true },
    };
    // The same files with sound addresses load: the rule is what refuses them.
    for (const std::string& sound : { xml(rcu, brick), older(rcu, brick) }) {
        WriteText(dir.path() / "sound.rob", sound);
        BuilderRobot builder;
        builder.state.m_strRobotFile = (dir.path() / "sound.rob").string();
        EXPECT_EQ(LoadRobotFile(builder.state), kRobotLoaded) << sound;
    }
    SimulationWorld sim;
    WriteText(dir.path() / "sound.rob", xml(rcu, brick));
    EXPECT_EQ(LoadInto(sim, (dir.path() / "sound.rob").string()), CRob::kLoaded);

    const std::size_t solids = sim.world->solidCount();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::filesystem::path file = dir.path() / "escaping.rob";
        WriteText(file, c.text);
        const std::string message = "simulation: robot file " + file.string()
            + " is refused: the model address \"" + c.address + "\" leaves the program folder";
        // A refused file hands over none of its parts.
        if (c.older) {
            RobotFileData read;
            EXPECT_FALSE(simulation::ParseOlderRobotLayout(c.text, read));
            EXPECT_FALSE(read.m_bHasRcu);
            EXPECT_TRUE(read.m_vecBricks.empty());
        }
        // The simulation reads only today's layout.
        if (!c.older) {
            platform::WarningCapture warnings;
            EXPECT_EQ(LoadInto(sim, file.string()), CRob::kUnreadable);
            EXPECT_EQ(warnings.Lines(), std::vector<std::string> { message });
            EXPECT_EQ(sim.world->solidCount(), solids);
        }
        BuilderRobot builder;
        builder.state.m_strRobotFile = file.string();
        platform::WarningCapture warnings;
        EXPECT_EQ(LoadRobotFile(builder.state), kRobotLoadFailed);
        EXPECT_TRUE(builder.state.m_vecAllParts.empty());
        EXPECT_EQ(warnings.Lines(), std::vector<std::string> { message });
    }
}

TEST(RobotFile, ARobotBeyondThePartLimitsIsRefused) {
    testsupport::TempDir dir;
    BuilderRobot builder;
    builder.AddBase();
    builder.Add(ModelTypeSensor, "models/sensor/ray.ive", -2.0, 6.0, 5.2, 0.0, 3, SensorKindRay);
    builder.Add(ModelTypeSensor, "models/sensor/ray.ive", 2.0, 6.0, 5.2, 0.0, 4, SensorKindRay);
    const std::string file = builder.Save(dir.path() / "robot.rob");
    ASSERT_FALSE(file.empty());

    SimulationWorld sim;
    const std::size_t solids = sim.world->solidCount();
    // Rule 0 is the most parts a robot may have: 9 here.
    EXPECT_EQ(LoadInto(sim, file, { 8, 10 }), CRob::kBreaksRules);
    // Rule 2 limits the first model of the sensor bar, the ray sensor.
    EXPECT_EQ(LoadInto(sim, file, { 9, 10, 1 }), CRob::kBreaksRules);
    EXPECT_EQ(LoadInto(sim, file, { 9, 10, 0 }), CRob::kBreaksRules);
    EXPECT_EQ(sim.world->solidCount(), solids);
    EXPECT_EQ(LoadInto(sim, file, { 9, 10, 2 }), CRob::kLoaded);
    EXPECT_EQ(LoadInto(sim, file, { 9, 10 }), CRob::kLoaded);

    // Without a rule for it a model allows 8; one not in the bar, none.
    osg::ref_ptr<CRob> robot = new CRob(file, sim.scene.get(), sim.world.get(), 1, Config(), Parts());
    const std::vector<std::string> bar = SensorBar();
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(robot->CheckPartLimit("models/sensor/touch.ive", { 50, 10, 8 }, bar), 0) << i;
    EXPECT_EQ(robot->CheckPartLimit("models/sensor/touch.ive", { 50, 10, 8 }, bar), 1);
    EXPECT_EQ(robot->CheckPartLimit("models/sensor/compass.ive", { 50, 10, 8, 9, 1 }, bar), 0);
    EXPECT_EQ(robot->CheckPartLimit("models/sensor/compass.ive", { 50, 10, 8, 9, 1 }, bar), 1);
    EXPECT_EQ(robot->CheckPartLimit("models/sensor/elsewhere.ive", {}, bar), 1);
}

TEST(RobotFile, AWheelPutOnBackwardsIsTurnedOverAndARubberWheelMirrored) {
    testsupport::TempDir dir;
    BuilderRobot builder;
    builder.Add(ModelTypeRcu, "models/rcu/rcu.ive", 0.0, 0.0, 2.0);
    builder.Add(ModelTypeMotor, "models/motor/motor.ive", -6.0, 0.0, 1.6, 0.0, 1);
    // Its hub faces the motor, but its own x axis points along -x.
    builder.Add(ModelTypeWheel, "models/wheel/wheel7.ive", -9.6, 0.0, 3.2, 180.0);
    const std::string file = builder.Save(dir.path() / "robot.rob");
    ASSERT_FALSE(file.empty());
    RobotFileData data;
    ASSERT_EQ(ParseRobotXml(ReadText(file), data), RobotFileStatus::Read);
    ASSERT_EQ(data.m_vecJoinMotors.size(), 1u);

    SimulationWorld sim;
    osg::ref_ptr<CRob> robot = new CRob(file, sim.scene.get(), sim.world.get(), 1, Config(), Parts());
    ASSERT_EQ(robot->Load(nullptr, 0, 1, {}, SensorBar(), osg::Vec3f(), osg::Quat(), true), CRob::kLoaded);
    ASSERT_EQ(robot->GetWheels().size(), 1u);
    const CWheel& wheel = *robot->GetWheels()[0];
    EXPECT_EQ(wheel.GetAddress(), "models/wheel/wheel7_r.ive");
    const osg::Vec3d axis = osg::Vec3d(1.0, 0.0, 0.0) * wheel.GetTransform().GetRotationMatrix();
    EXPECT_NEAR(axis.x(), 1.0, 1e-6);
    EXPECT_EQ(robot->GetMotors()[0]->GetWheel(), &wheel);
}

TEST(RobotFile, TheStartRotationTurnsTheRobotAfterItsOwnRotation) {
    testsupport::TempDir dir;
    BuilderRobot builder;
    CModel* rcu = builder.Add(ModelTypeRcu, "models/rcu/rcu.ive", 0.0, 0.0, 2.0);
    ASSERT_NE(rcu, nullptr);
    // Built standing on its back: its own z axis along -y.
    rcu->SetPose(rcu->GetState().m_vPos, osg::Quat(osg::PI_2, osg::Vec3d(1.0, 0.0, 0.0)), true, false);
    const std::string file = builder.Save(dir.path() / "robot.rob");
    SimulationWorld sim;
    osg::ref_ptr<CRob> robot = new CRob(file, sim.scene.get(), sim.world.get(), 1, Config(), Parts());
    ASSERT_EQ(robot->Load(nullptr, 0, 1, {}, SensorBar(), osg::Vec3f(),
                  osg::Quat(osg::PI_2, osg::Vec3d(0.0, 0.0, 1.0)), true),
        CRob::kLoaded);
    // Then a quarter turn to the left: -y becomes +x.
    const osg::Vec3d up = osg::Vec3d(0.0, 0.0, 1.0) * robot->GetRcu()->GetTransform().GetRotationMatrix();
    EXPECT_NEAR(up.x(), 1.0, 1e-6);
    EXPECT_NEAR(up.y(), 0.0, 1e-6);
    EXPECT_NEAR(up.z(), 0.0, 1e-6);
}

TEST(RobotFile, ARobotLoadedAgainIsOnlyMovedToItsNewStart) {
    testsupport::TempDir dir;
    BuilderRobot builder;
    builder.AddBase();
    const std::string file = builder.Save(dir.path() / "robot.rob");
    SimulationWorld sim;
    osg::ref_ptr<CRob> robot = new CRob(file, sim.scene.get(), sim.world.get(), 1, Config(), Parts());
    ASSERT_EQ(robot->Load(nullptr, 0, 1, {}, SensorBar(), osg::Vec3f(), osg::Quat(), true), CRob::kLoaded);
    const std::size_t solids = sim.world->solidCount();
    const std::size_t joints = sim.world->jointCount();
    ASSERT_EQ(robot->Load(nullptr, 1, 2, {}, SensorBar(), osg::Vec3f(30.0f, 40.0f, 0.0f), osg::Quat(), true),
        CRob::kLoaded);
    EXPECT_EQ(sim.world->solidCount(), solids);
    EXPECT_EQ(sim.world->jointCount(), joints);
    EXPECT_NEAR(robot->GetCurrentBox().center().x(), 30.0, 1e-3);
    EXPECT_NEAR(robot->GetCurrentBox().center().y(), 40.0, 1e-3);
    EXPECT_EQ(robot->GetNameLabel()->GetText(), "Rob.2");
}
