#include "RobotFixture.h"

#include "elements/CColoredLight.h"
#include "elements/CWheel.h"
#include "foundation/CConfig.h"
#include "platform/Warnings.h"
#include "scene/Camera.h"
#include "scene/Label.h"
#include "simulation/CMotor.h"
#include "simulation/CRcu.h"
#include "simulation/CRob.h"
#include "simulation/CSensor.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <osg/Material>

#include <cmath>
#include <cstdlib>

using namespace robotstest;

namespace {

// A robot of the builder's file in its own world, its program answering
// every step with output.
struct DrivenRobot {
    explicit DrivenRobot(BuilderRobot& builder, bool withFloor = true, const osg::Vec3f& start = {})
        : sim("map/default.png", withFloor) {
        file = builder.Save(dir.path() / "robot.rob");
        robot = new CRob(file, sim.scene.get(), sim.world.get(), 1, Config(), Parts());
        EXPECT_EQ(robot->Load(nullptr, 0, 1, {}, SensorBar(), start, osg::Quat(), true), CRob::kLoaded);
    }

    bool Program(const char* output) {
        setenv("MORVANE_TEST_OUTPUT", output, 1);
        return robot->GetRcu()->LoadProgram(TestProgram("fixed_output"), 0);
    }

    // Frames as the simulation runs them: the physics, then the robot's step.
    void Run(int frames) {
        for (int i = 0; i < frames; ++i) {
            sim.Frames(1);
            robot->Step();
        }
    }

    scene::Transform Pose() const { return robot->GetRcu()->GetTransform(); }

    testsupport::TempDir dir;
    SimulationWorld sim;
    std::string file;
    osg::ref_ptr<CRob> robot;
};

} // namespace

TEST(RobotDrive, AProgramsOutputDrivesTheRobotForwardAndTurnsIt) {
    BuilderRobot builder;
    builder.AddBase();
    DrivenRobot driven(builder);
    ASSERT_TRUE(driven.Program("1*50* 2*50*"));
    driven.robot->Start();
    driven.Run(20);
    const scene::Transform settled = driven.Pose();
    driven.Run(20);
    // Both motors at 50 settle their wheels at 0.6 x 50 = 30 degrees per
    // second: a wheel of radius 3.2 rolls 30 / 180 x pi x 3.2 x 0.6 = 1.005
    // units a frame, straight ahead (+y, where the sensors look).
    const osg::Vec3 moved = driven.Pose().GetTranslation() - settled.GetTranslation();
    EXPECT_NEAR(moved.y(), 20 * 1.005, 2.0);
    EXPECT_NEAR(moved.x(), 0.0, 0.5);
    EXPECT_NEAR(driven.Pose().GetHpr().x(), 0.0, 1.0);
    EXPECT_NEAR(driven.robot->GetMotors()[0]->GetJoint()->angleRateDegrees(), 30.0, 2.0);
    EXPECT_EQ(driven.robot->GetStepCount(), 40);

    // A text that names one motor leaves the other at its value, and every
    // motor drives in every step: the robot goes on straight ahead.
    ASSERT_TRUE(driven.Program("1*50*"));
    const scene::Transform onward = driven.Pose();
    driven.Run(20);
    EXPECT_NEAR((driven.Pose().GetTranslation() - onward.GetTranslation()).y(), 20 * 1.005, 2.0);
    EXPECT_NEAR(driven.Pose().GetHpr().x(), 0.0, 1.0);

    // Opposite values turn it on the spot, to the left for a left wheel
    // going back.
    ASSERT_TRUE(driven.Program("1*-30* 2*30*"));
    const scene::Transform before = driven.Pose();
    driven.Run(20);
    const osg::Vec3 drift = driven.Pose().GetTranslation() - before.GetTranslation();
    const double turned = driven.Pose().GetHpr().x() - before.GetHpr().x();
    EXPECT_GT(turned, 20.0);
    EXPECT_LT(drift.length(), 12.0);
}

// A robot's parts are one body: bricks fixed on one side add their weight
// there, so the wheel on that side carries more. By the lever rule, weight W
// at 6 left of the middle, the wheels 9.3 to each side and the casters on the
// middle line, the left wheel carries 6 / 9.3 W more than the right. Loaded
// or not, the robot turns on the spot about the point between its wheels.
TEST(RobotDrive, BricksOnOneSideWeighOnThatSidesWheel) {
    struct Stood {
        double left;
        double right;
        double all;
        double drift;
    };
    auto stand = [](bool withBricks) {
        BuilderRobot builder;
        builder.AddBase();
        if (withBricks) {
            for (double y : { -4.0, 0.0, 4.0 })
                builder.Add(ModelTypeBrick, "models/brick/brick_2x4.ive", -6.0, y, 6.0);
        }
        DrivenRobot driven(builder);
        driven.sim.world->setKeepsContactForces(true);
        EXPECT_TRUE(driven.Program("1*0* 2*0*"));
        driven.robot->Start();
        driven.Run(10);
        Stood stood {};
        for (const auto& wheel : driven.robot->GetWheels()) {
            const double up = driven.sim.world->contactForce(wheel->GetSolid()).z;
            stood.all += up;
            const double x = wheel->GetSolid()->position().x;
            if (x < -5.0)
                stood.left += up;
            if (x > 5.0)
                stood.right += up;
        }
        EXPECT_TRUE(driven.Program("1*-30* 2*30*"));
        driven.Run(5);
        const osg::Vec3 before = driven.Pose().GetTranslation();
        driven.Run(20);
        stood.drift = (driven.Pose().GetTranslation() - before).length();
        return stood;
    };
    const Stood plain = stand(false);
    const Stood loaded = stand(true);
    EXPECT_NEAR(plain.left, plain.right, 0.01 * plain.all);
    const double bricks = loaded.all - plain.all;
    EXPECT_GT(bricks, 0.1 * plain.all);
    EXPECT_NEAR(loaded.left - loaded.right, 6.0 / 9.3 * bricks, 0.05 * bricks);
    EXPECT_LT(plain.drift, 0.5);
    EXPECT_LT(loaded.drift, 0.5);
}

// Its wheels carry a robot, so it goes where they roll it: once under way,
// straight ahead within half a degree over 250 units, at the speed their turn
// gives
// (rate x 3.2 within 1%), and turning on the spot about the point between
// them even at a value as low as 12, at least three quarters as fast as
// their settled rates (0.6 v less the bearing's 0.3, 3.2 from the ground
// and 9.3 from that point) turn it.
TEST(RobotDrive, ItGoesWhereItsWheelsRollItStraightAndTurningEvenSlowly) {
    BuilderRobot builder;
    builder.AddBase();
    for (const int value : { 12, 50, -80 }) {
        SCOPED_TRACE(value);
        // From the far side of the floor (512 across), the way it goes.
        DrivenRobot driven(builder, true, osg::Vec3f(0.0f, value > 0 ? -200.0f : 200.0f, 0.0f));
        const std::string output = "1*" + std::to_string(value) + "* 2*" + std::to_string(value) + "*";
        ASSERT_TRUE(driven.Program(output.c_str()));
        driven.robot->Start();
        driven.Run(20);
        const scene::Transform start = driven.Pose();
        // How far its wheels roll it: their turn about the axle, step by step.
        std::vector<physics::Solid*> wheels;
        for (const auto& wheel : driven.robot->GetWheels())
            if (wheel->GetAddress() == "models/wheel/wheel_std.ive")
                wheels.push_back(wheel->GetSolid());
        ASSERT_EQ(wheels.size(), 2u);
        double rolled = 0.0;
        int frames = 0;
        while ((driven.Pose().GetTranslation() - start.GetTranslation()).length() < 250.0f && frames < 2000) {
            for (int step = 0; step < 30; ++step) {
                driven.sim.world->step();
                for (const physics::Solid* wheel : wheels)
                    rolled += std::abs(wheel->angularVelocity().x) * 0.02 * 3.2 / 2.0;
            }
            driven.robot->Step();
            ++frames;
            EXPECT_NEAR(driven.Pose().GetHpr().x(), start.GetHpr().x(), 0.5) << "after " << frames;
        }
        EXPECT_LT(frames, 2000);
        const double travelled = (driven.Pose().GetTranslation() - start.GetTranslation()).length();
        EXPECT_NEAR(rolled, travelled, 0.01 * travelled);
    }
    for (const int value : { 12, 30 }) {
        SCOPED_TRACE(value);
        DrivenRobot driven(builder);
        const std::string output = "1*" + std::to_string(value) + "* 2*" + std::to_string(-value) + "*";
        ASSERT_TRUE(driven.Program(output.c_str()));
        driven.robot->Start();
        driven.Run(10);
        const scene::Transform before = driven.Pose();
        driven.Run(20);
        const double turned = std::remainder(driven.Pose().GetHpr().x() - before.GetHpr().x(), 360.0);
        const double wheel = (0.6 * value - 0.3) * M_PI / 180.0 * 3.2;
        const double settled = 20 * 0.6 * wheel / 9.3 * 180.0 / M_PI;
        EXPECT_GT(std::abs(turned), 0.75 * settled);
        EXPECT_LT((driven.Pose().GetTranslation() - before.GetTranslation()).length(), 0.5);
    }
}

// Most robots are symmetric and drive straight a good part of the time,
// on two wheels and two frictionless caster balls: the physics must take
// that in its stride, with nothing to warn about, at any speed.
TEST(RobotDrive, ASymmetricRobotDrivesStraightWithoutPhysicsWarnings) {
    BuilderRobot builder;
    builder.AddBase();
    for (int speed = -80; speed <= 80; speed += 10) {
        SCOPED_TRACE(speed);
        DrivenRobot driven(builder);
        const std::string output = "1*" + std::to_string(speed) + "* 2*" + std::to_string(speed) + "*";
        ASSERT_TRUE(driven.Program(output.c_str()));
        platform::WarningCapture warnings;
        driven.robot->Start();
        driven.Run(12);
        EXPECT_EQ(warnings.Lines(), std::vector<std::string>());
    }
}

TEST(RobotDrive, LightsFollowTheLCommands) {
    BuilderRobot builder;
    builder.AddBase();
    builder.Add(ModelTypeColoredLight, "models/light/coloredlight.ive", -2.0, -4.0, 5.2, 0.0, 4);
    builder.Add(ModelTypeColoredLight, "models/light/coloredlight.ive", 2.0, -4.0, 5.2, 0.0, 5);
    DrivenRobot driven(builder);
    ASSERT_TRUE(driven.Program("1*0* 2*0* l5*2*"));
    driven.robot->Start();
    driven.Run(1);
    const auto& lights = driven.robot->GetLights();
    ASSERT_EQ(lights.size(), 2u);
    EXPECT_EQ(lights[0]->GetColorIndex(), 0);
    EXPECT_EQ(lights[1]->GetColorIndex(), 2);
    ASSERT_NE(lights[1]->GetLampState(), nullptr);
    const osg::Material* lamp = dynamic_cast<const osg::Material*>(
        lights[1]->GetLampState()->getAttribute(osg::StateAttribute::MATERIAL));
    ASSERT_NE(lamp, nullptr);
    EXPECT_EQ(lamp->getDiffuse(osg::Material::FRONT), osg::Vec4(0.0f, 1.0f, 0.0f, 1.0f));

    // A text without "l" leaves every light as it is.
    ASSERT_TRUE(driven.Program("1*50* 2*50*"));
    driven.Run(1);
    EXPECT_EQ(lights[1]->GetColorIndex(), 2);
    ASSERT_TRUE(driven.Program("l4*6* 5*1*"));
    driven.Run(1);
    EXPECT_EQ(lights[0]->GetColorIndex(), 6);
    EXPECT_EQ(lights[1]->GetColorIndex(), 1);
}

TEST(RobotDrive, TheInputTextCarriesEverySensorsReading) {
    BuilderRobot builder;
    builder.AddBase();
    builder.Add(ModelTypeSensor, "models/sensor/magnet.ive", -2.0, 4.0, 5.2, 0.0, 6, SensorKindMagnet);
    builder.Add(ModelTypeSensor, "models/sensor/ranging.ive", 2.0, 5.0, 5.2, 0.0, 3, SensorKindRanging);
    DrivenRobot driven(builder);
    ASSERT_TRUE(driven.Program(""));
    driven.robot->Start();
    driven.Run(3);
    // Nothing within 500 ahead of the ranging sensor.
    EXPECT_EQ(driven.robot->GetInputText(), "2 6*10*0* 3*3*500* ");
}

TEST(RobotDrive, TheKeyboardReplacesTheProgramWhileItDrives) {
    CConfig config(MORVANE_PROGRAM_DIR);
    config.m_bKeyDrive = true;
    config.m_nDriveSpeed[0] = 60;
    BuilderRobot builder;
    builder.AddBase();
    testsupport::TempDir dir;
    const std::string file = builder.Save(dir.path() / "robot.rob");
    SimulationWorld sim;
    osg::ref_ptr<CRob> robot = new CRob(file, sim.scene.get(), sim.world.get(), 1, config, Parts());
    ASSERT_EQ(robot->Load(nullptr, 0, 1, {}, SensorBar(), osg::Vec3f(), osg::Quat(), true), CRob::kLoaded);
    setenv("MORVANE_TEST_OUTPUT", "1*-50* 2*-50*", 1);
    ASSERT_TRUE(robot->GetRcu()->LoadProgram(TestProgram("fixed_output"), 0));
    robot->SetManualDriveOutput(1);
    EXPECT_EQ(robot->GetOutputText(), "1*60* 2*60 l p ");
    robot->Start();
    for (int i = 0; i < 10; ++i) {
        sim.Frames(1);
        robot->Step();
    }
    EXPECT_EQ(robot->GetOutputText(), "1*60* 2*60 l p ");
    EXPECT_EQ(robot->GetStepCount(), 10);
    EXPECT_GT(robot->GetRcu()->GetTransform().GetTranslation().y(), 3.0);
}

TEST(RobotDrive, ARobotBelowTheWorldIsEliminatedAndStaysWhereItIs) {
    BuilderRobot builder;
    builder.AddBase();
    DrivenRobot driven(builder, false);
    ASSERT_TRUE(driven.Program("1*50* 2*50*"));
    driven.robot->Start();
    driven.robot->SetScore(7);
    EXPECT_EQ(driven.robot->GetScore(), 7);
    // With no floor it falls; the simulation eliminates a robot whose body
    // is below z -1000.
    int frames = 0;
    while (driven.Pose().GetTranslation().z() >= -1000.0f && frames < 100) {
        driven.Run(1);
        ++frames;
    }
    ASSERT_LT(driven.Pose().GetTranslation().z(), -1000.0f);
    driven.robot->Eliminate();
    EXPECT_TRUE(driven.robot->IsEliminated());
    EXPECT_FALSE(driven.robot->IsRunning());
    EXPECT_EQ(driven.robot->GetScore(), 0);
    const int steps = driven.robot->GetStepCount();
    const float z = driven.Pose().GetTranslation().z();
    driven.Run(5);
    EXPECT_EQ(driven.robot->GetStepCount(), steps);
    EXPECT_FLOAT_EQ(driven.Pose().GetTranslation().z(), z);
    driven.robot->Start();
    EXPECT_TRUE(driven.robot->IsEliminated());

    // Its solids no longer fall (nothing below would ever stop them): the
    // physics of a whole run leaves every part where it is.
    std::vector<CModel*> parts { driven.robot->GetRcu() };
    for (const auto& wheel : driven.robot->GetWheels())
        parts.push_back(wheel.get());
    for (const auto& motor : driven.robot->GetMotors())
        parts.push_back(motor.get());
    std::vector<physics::Vec3> before;
    for (CModel* part : parts)
        before.push_back(part->GetSolid()->position());
    driven.sim.Frames(1000);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        EXPECT_EQ(parts[i]->GetSolid()->position(), before[i]) << i;
        EXPECT_EQ(parts[i]->GetSolid()->linearVelocity(), physics::Vec3()) << i;
    }

    // Moved in the scene, as the mouse carries a robot, its solids follow it
    // in its next step.
    scene::Transform moved = driven.Pose();
    moved.SetTranslation(osg::Vec3(10.0f, 20.0f, 50.0f));
    driven.robot->GetRcu()->SetTransform(moved, scene::CoordSys::Absolute);
    driven.Run(1);
    EXPECT_TRUE(driven.Pose().GetTranslation() == osg::Vec3(10.0f, 20.0f, 50.0f));
    EXPECT_NEAR(driven.robot->GetRcu()->GetSolid()->position().z, 50.0, 1e-4);
}

TEST(RobotDrive, TheNameLabelFloatsOverTheRobotAndTheTrailFollowsIt) {
    BuilderRobot builder;
    builder.AddBase();
    DrivenRobot driven(builder);
    ASSERT_TRUE(driven.Program("1*50* 2*50*"));
    driven.robot->Start();
    scene::Label* label = driven.robot->GetNameLabel();
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(driven.sim.scene->HasDrawable(label));

    osg::ref_ptr<scene::Camera> camera = new scene::Camera;
    camera->SetTransform(scene::Transform(0.0, -800.0, 500.0, 0.0, -30.0, 0.0));
    driven.robot->UpdateNameLabel(*camera);
    const osg::BoundingBox box = driven.robot->GetCurrentBox();
    const scene::Transform at = label->GetTransform();
    EXPECT_NEAR(at.GetTranslation().z(), box.zMax() + 10.0f, 1e-4);
    EXPECT_NEAR(at.GetTranslation().y(), driven.Pose().GetTranslation().y(), 1e-4);
    // Upright (pitch 90) before the camera's own turn: it faces the camera.
    const osg::Quat expected
        = scene::Transform(0.0, 0.0, 0.0, 0.0, 90.0, 0.0).GetQuat() * camera->GetTransform().GetQuat();
    scene::Transform facing;
    facing.SetTranslation(at.GetTranslation());
    facing.SetRotation(expected);
    EXPECT_TRUE(at.EpsilonEquals(facing));

    // The trail shows from its second point on; clearing it or stopping the
    // robot takes it away.
    const unsigned shown = driven.sim.scene->GetNumberOfAddedDrawable();
    const auto stepAndTrail = [&] {
        driven.Run(1);
        driven.robot->UpdateTrail();
    };
    stepAndTrail();
    EXPECT_EQ(driven.sim.scene->GetNumberOfAddedDrawable(), shown);
    for (int i = 0; i < 2; ++i) {
        stepAndTrail();
        EXPECT_EQ(driven.sim.scene->GetNumberOfAddedDrawable(), shown + 1);
    }
    driven.robot->ClearTrail();
    EXPECT_EQ(driven.sim.scene->GetNumberOfAddedDrawable(), shown);
    stepAndTrail();
    stepAndTrail();
    EXPECT_EQ(driven.sim.scene->GetNumberOfAddedDrawable(), shown + 1);
    driven.robot->Stop();
    EXPECT_EQ(driven.sim.scene->GetNumberOfAddedDrawable(), shown);
}
