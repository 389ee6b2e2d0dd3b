#include "simulation/CMotor.h"

#include "elements/CWheel.h"
#include "elements/Geometry.h"
#include "physics/PhysicsWorld.h"
#include "scene/MathBridge.h"

#include <algorithm>

namespace {

// The torque rule: t = 3000 v - 5000 w, clamped to 200000. It acts in the
// first of a frame's 30 physics steps and the wheel turns through the rest
// against its bearing's friction (CWheel::kBearingFriction, 50), which takes
// 50 x 0.6 s back in each frame; so a motor settles where one frame's push
// balances that: 0.02 (3000 v - 5000 w) = 30, w = 0.6 v - 0.3.
//
// w is read in degrees per second, the unit the hinge's limits are given in:
// a value of 50 settles at 29.7 degrees per second, so a robot on the model
// library's wheels (radius 3.2) rolls about 1 unit a frame and crosses the
// 512-unit playground in about 500 frames, a pace a student can follow on
// the screen, and two motors at equal values keep equal paces: it drives
// straight. In radians per second the same value would settle 57 times
// faster and cross the playground in under ten frames.
//
// t is taken in the physics world's own unit (mass x length squared per
// second squared): with the library's parts (density 5) each push closes a
// good part of the gap to the settled rate and never overshoots it, so a
// robot reaches its pace within some twenty frames and holds it without
// swinging.
constexpr double kValueGain = 3000.0;
constexpr double kRateGain = 5000.0;
constexpr double kMaxTorque = 200000.0;

} // namespace

CMotor::CMotor(PartContextPtr context, const std::string& address, bool isE)
    : CModel(std::move(context), address)
    , m_bIsE(isE) {
    SetType(ModelTypeMotor);
    SetAxis(osg::Vec3f(1.0f, 0.0f, 0.0f));
}

CMotor::~CMotor() {
    DetachWheel();
}

void CMotor::SetValue(int value) {
    m_nValue = std::clamp(value, -100, 100);
}

void CMotor::Apply() {
    physics::HingeJoint* joint = m_pJoint.get();
    if (!joint)
        return;
    if (GetPort() == 0) {
        joint->brake(0.0);
        joint->addTorque(0.0, true);
        return;
    }
    // A motor told to stop holds its wheel through the whole frame, with up
    // to its largest torque. Pushed back against its rate for one step only,
    // as a running motor is, the wheel would turn freely through the rest of
    // the frame: a robot standing on the rounded ends of its wheels' capsules
    // would roll off them, and one standing on its casters would drift.
    if (m_nValue == 0) {
        joint->brake(kMaxTorque);
        return;
    }
    joint->brake(0.0);
    const double w = joint->angleRateDegrees();
    double v = m_nValue;
    if (GetOpposite())
        v = -v;
    double t = kValueGain * v - kRateGain * w;
    if (m_bIsE)
        t += kValueGain * v;
    joint->addTorque(std::clamp(t, -kMaxTorque, kMaxTorque), true);
}

void CMotor::LetGo() {
    if (physics::HingeJoint* joint = m_pJoint.get())
        joint->brake(0.0);
}

void CMotor::AttachWheel(CModel* wheel) {
    physics::PhysicsWorld* world = GetSimulator();
    physics::Solid* own = GetSolid();
    physics::Solid* other = wheel ? wheel->GetSolid() : nullptr;
    if (!wheel || !world || !own || !other)
        return;
    const osg::Vec3f motorAxis = RotateVec3(
        osg::Vec3f(-1.0f, 0.0f, 0.0f), GetTransform(scene::CoordSys::Absolute).GetRotationMatrix());
    const osg::Vec3f wheelAxis = RotateVec3(
        osg::Vec3f(1.0f, 0.0f, 0.0f), wheel->GetTransform(scene::CoordSys::Absolute).GetRotationMatrix());
    if (!(CosAngle3D(wheelAxis, osg::Vec3f(1.0f, 0.0f, 0.0f)) > Constants().portLimit))
        return;
    DetachWheel();
    // The wheel is the hinge's first solid: a positive torque then turns it
    // forward about the shaft (the right-hand rule about the direction the
    // shaft points out of the motor) and its rate reads positive while it
    // turns that way. A robot whose motors face their wheels on both sides,
    // the far one reversed by its opposite flag, drives towards its sensors
    // (+y) for positive values.
    physics::HingeJointDesc desc;
    desc.first = other;
    desc.second = own;
    desc.anchor = other->position();
    desc.axis = scene::ToPhysics(osg::Vec3d(motorAxis));
    desc.limitsEnabled = false;
    desc.lowLimitDegrees = -180.0;
    desc.highLimitDegrees = 180.0;
    desc.hardness = 1.0;
    desc.bounciness = 0.0;
    desc.friction = CWheel::kBearingFriction;
    m_pJoint = world->createHingeJoint(desc);
    if (m_pJoint)
        m_pWheel = wheel;
}

void CMotor::DetachWheel() {
    m_pJoint.destroy();
    m_pWheel = nullptr;
}
