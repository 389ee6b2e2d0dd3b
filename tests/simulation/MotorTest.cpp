#include "RobotFixture.h"

#include "elements/CWheel.h"
#include "physics/HingeJoint.h"
#include "simulation/CMotor.h"

#include <gtest/gtest.h>

using namespace robotstest;

namespace {

struct MotorAndWheel {
    explicit MotorAndWheel(bool isE = false, double wheelHeading = 0.0) {
        motor = new CMotor(Parts(), "models/motor/motor.ive", isE);
        wheel = new CWheel(Parts(), "models/wheel/wheel_std.ive");
        EXPECT_TRUE(motor->LoadModel() && wheel->LoadModel());
        motor->SetTransform(scene::Transform(-6.0, 0.0, 10.0));
        wheel->SetTransform(scene::Transform(-9.3, 0.0, 11.6, wheelHeading));
        motor->CreateSolid(sim.world.get(), 1);
        wheel->CreateSolid(sim.world.get(), 1);
        motor->PushPoseToSolid();
        wheel->PushPoseToSolid();
        motor->AttachWheel(wheel.get());
    }

    double TorqueFor(int value, int port = 1, int opposite = 0) {
        motor->SetPort(port);
        motor->SetOpposite(opposite);
        motor->SetValue(value);
        motor->Apply();
        const double t = motor->GetJoint()->pendingTorque();
        sim.world->step();
        return t;
    }

    SimulationWorld sim;
    osg::ref_ptr<CMotor> motor;
    osg::ref_ptr<CWheel> wheel;
};

} // namespace

TEST(CMotor, TurnsItsValueIntoATorqueOnItsWheelsHinge) {
    MotorAndWheel rig;
    ASSERT_NE(rig.motor->GetJoint(), nullptr);
    EXPECT_EQ(rig.motor->GetWheel(), rig.wheel.get());
    // t = 3000 v - 5000 w on a wheel at rest, clamped to 200000.
    EXPECT_DOUBLE_EQ(rig.TorqueFor(50), 150000.0);
    rig.sim.world->destroyAllJoints();
    MotorAndWheel opposite;
    EXPECT_DOUBLE_EQ(opposite.TorqueFor(50, 1, 1), -150000.0);
    MotorAndWheel noPort;
    EXPECT_DOUBLE_EQ(noPort.TorqueFor(50, 0), 0.0);
    // The studio's "is_e" adds 3000 v: 300000 before the clamp.
    MotorAndWheel studio(true);
    EXPECT_DOUBLE_EQ(studio.TorqueFor(50), 200000.0);
    MotorAndWheel studioSlow(true);
    EXPECT_DOUBLE_EQ(studioSlow.TorqueFor(-10), -60000.0);

    // A turning wheel brakes itself: 5000 for every degree per second that
    // it turns forward about the shaft.
    MotorAndWheel turning;
    turning.TorqueFor(1);
    const double w = turning.motor->GetJoint()->angleRateDegrees();
    EXPECT_GT(w, 1.0);
    EXPECT_LT(w, 12.0);
    EXPECT_DOUBLE_EQ(turning.TorqueFor(20), 60000.0 - 5000.0 * w);

    turning.motor->SetValue(250);
    EXPECT_EQ(turning.motor->GetValue(), 100);
    turning.motor->SetValue(-101);
    EXPECT_EQ(turning.motor->GetValue(), -100);
}

TEST(CMotor, DrivesNoWheelTurnedAwayFromTheWorldsXAxis) {
    MotorAndWheel across(false, 90.0);
    EXPECT_EQ(across.motor->GetJoint(), nullptr);
    MotorAndWheel reversed(false, 180.0);
    EXPECT_EQ(reversed.motor->GetJoint(), nullptr);
    reversed.motor->Apply();
    MotorAndWheel slanted(false, 50.0);
    EXPECT_NE(slanted.motor->GetJoint(), nullptr);
}

// At 0 a motor holds its wheel still, from the step after it is applied
// until it is let go (an empty output text), with up to its largest torque:
// a robot told to stop stays where it stopped, on a slope too. Pushed back
// only in one step of a frame, as a running motor is, the wheel would turn
// freely through the rest.
TEST(CMotor, AtValue0HoldsItsWheelStillUntilLetGo) {
    MotorAndWheel rig;
    rig.TorqueFor(50);
    physics::HingeJoint* hinge = rig.motor->GetJoint();
    ASSERT_GT(hinge->angleRateDegrees(), 10.0);
    rig.motor->SetValue(0);
    rig.motor->Apply();
    for (int step = 0; step < 30; ++step) {
        hinge->addTorque(20000.0);
        rig.sim.world->step();
        EXPECT_NEAR(hinge->angleRateDegrees(), 0.0, 0.01) << step;
    }
    rig.motor->LetGo();
    hinge->addTorque(20000.0);
    rig.sim.world->step();
    EXPECT_GT(hinge->angleRateDegrees(), 1.0);
}
