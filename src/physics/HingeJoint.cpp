#include "physics/HingeJoint.h"

#include "physics/ContactSurface.h"
#include "physics/PhysicsWorld.h"
#include "physics/Solid.h"

#include <ode/ode.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace physics {

namespace {

constexpr double kDegreesPerRadian = 180.0 / std::numbers::pi;

// The bearing's friction holds a stuck hinge with a spring and a damper to
// where it stuck, scaled by the inertia of what turns, so that a nudge dies
// away in about a fifth of a second without swinging (critically damped at
// 5 radians per second). Such gains take a fiftieth and a fifth of what a
// 0.02 s step can take explicitly, whatever the parts weigh.
constexpr double kStickRate = 5.0;

// How fast a body turns about `axis` (world) for a unit torque about it:
// a . I^-1 . a, with I its inertia in its own axes; 0 for no body or a held
// one.
double TurnPerTorque(dBodyID body, const Vec3& axis) {
    if (!body || dBodyIsKinematic(body))
        return 0.0;
    dMass mass;
    dBodyGetMass(body, &mass);
    dVector3 a;
    dBodyVectorFromWorld(body, axis.x, axis.y, axis.z, a);
    // The inverse of the symmetric inertia by its cofactors.
    const dReal* I = mass.I;
    const double c00 = I[5] * I[10] - I[6] * I[9];
    const double c01 = I[2] * I[9] - I[1] * I[10];
    const double c02 = I[1] * I[6] - I[2] * I[5];
    const double c11 = I[0] * I[10] - I[2] * I[8];
    const double c12 = I[2] * I[4] - I[0] * I[6];
    const double c22 = I[0] * I[5] - I[1] * I[4];
    const double det = I[0] * c00 + I[1] * (I[6] * I[8] - I[4] * I[10]) + I[2] * (I[4] * I[9] - I[5] * I[8]);
    if (!(det > 0.0))
        return 0.0;
    return (a[0] * (c00 * a[0] + c01 * a[1] + c02 * a[2]) + a[1] * (c01 * a[0] + c11 * a[1] + c12 * a[2])
               + a[2] * (c02 * a[0] + c12 * a[1] + c22 * a[2]))
        / det;
}

double limitOr(double degrees, double fallback) {
    if (std::isnan(degrees))
        return fallback;
    return std::clamp(degrees, -180.0, 180.0);
}

} // namespace

HingeJoint::HingeJoint(PhysicsWorld& world, dxJoint* joint, const HingeJointDesc& desc)
    : Joint(world, joint, desc.first, desc.second)
    , m_madeAnchor(desc.anchor)
    , m_madeAxis(desc.axis.normalized()) {
    bind(m_madeAnchor, m_madeAxis, 0.0);
    dJointSetHingeParam(m_joint, dParamStopERP, ContactSurface::errorReductionFor(desc.hardness));
    dJointSetHingeParam(m_joint, dParamStopCFM, ContactSurface::constraintMixingFor(desc.hardness));
    const double bounce = std::isnan(desc.bounciness) ? 0.0 : std::clamp(desc.bounciness, 0.0, 1.0);
    dJointSetHingeParam(m_joint, dParamBounce, bounce);
    setLimits(desc.limitsEnabled, desc.lowLimitDegrees, desc.highLimitDegrees);
    m_friction = std::isfinite(desc.friction) ? std::max(desc.friction, 0.0) : 0.0;
}

double HingeJoint::angleDegrees() const {
    return rawAngle() * kDegreesPerRadian;
}

double HingeJoint::angleRateDegrees() const {
    return m_inert || m_oneBody ? 0.0 : dJointGetHingeAngleRate(m_joint) * kDegreesPerRadian;
}

double HingeJoint::rawAngle() const {
    return m_inert || m_oneBody ? 0.0 : dJointGetHingeAngle(m_joint);
}

void HingeJoint::bind(const Vec3& anchor, const Vec3& axis, double radians) {
    const dBodyID first = m_first->engineBody();
    const dBodyID second = m_second->engineBody();
    m_oneBody = first == second;
    if (m_oneBody) {
        dJointAttach(m_joint, nullptr, nullptr);
        const Pose into = m_first->pose().inverse();
        m_localAnchor = into.transformPoint(anchor);
        m_localAxis = into.transformDirection(axis);
        return;
    }
    dJointAttach(m_joint, first, second);
    // The engine counts the angle from the bodies' turn when the axis is
    // set. The first body is turned back about the hinge by the angle the
    // hinge has now, so that the count goes on from where it was, and then
    // put back exactly as it was.
    dVector3 position;
    dQuaternion turned;
    const bool turnBack = radians != 0.0;
    if (turnBack) {
        const dReal* p = dBodyGetPosition(first);
        const dReal* q = dBodyGetQuaternion(first);
        std::copy(p, p + 3, position);
        std::copy(q, q + 4, turned);
        const Quat back = Quat::fromAxisAngle(axis, -radians);
        const Quat q1 = (back * Quat { q[0], q[1], q[2], q[3] }).normalized();
        const Vec3 p1 = anchor + back.rotate(Vec3 { p[0], p[1], p[2] } - anchor);
        const dQuaternion dq { q1.w, q1.x, q1.y, q1.z };
        dBodySetQuaternion(first, dq);
        dBodySetPosition(first, p1.x, p1.y, p1.z);
    }
    dJointSetHingeAnchor(m_joint, anchor.x, anchor.y, anchor.z);
    dJointSetHingeAxis(m_joint, axis.x, axis.y, axis.z);
    if (turnBack) {
        dBodySetQuaternion(first, turned);
        dBodySetPosition(first, position[0], position[1], position[2]);
    }
    m_inertia = turningInertia();
    m_heldBodies = heldBodies();
    m_stuck = false;
}

int HingeJoint::heldBodies() const {
    int held = 0;
    for (int i = 0; i < 2; ++i) {
        const dBodyID body = dJointGetBody(m_joint, i);
        if (body && dBodyIsKinematic(body))
            held |= 1 << i;
    }
    return held;
}

double HingeJoint::turningInertia() const {
    if (m_inert || m_oneBody)
        return 0.0;
    const Vec3 a = axis();
    const double turn
        = TurnPerTorque(dJointGetBody(m_joint, 0), a) + TurnPerTorque(dJointGetBody(m_joint, 1), a);
    return turn > 0.0 ? 1.0 / turn : 0.0;
}

void HingeJoint::takeSnapshot() {
    m_snapshot = { anchor(), axis(), rawAngle(), !m_inert };
}

void HingeJoint::rebind() {
    if (!m_snapshot.taken || m_inert)
        return;
    m_snapshot.taken = false;
    bind(m_snapshot.anchor, m_snapshot.axis, m_snapshot.radians);
}

void HingeJoint::addTorque(double torque, bool overrideLimits) {
    m_world.checkThread("HingeJoint::addTorque");
    if (!std::isfinite(torque))
        return;
    m_pendingTorque += torque;
    m_pendingOverride = m_pendingOverride || overrideLimits;
}

void HingeJoint::brake(double maxTorque) {
    m_world.checkThread("HingeJoint::brake");
    const double held = std::isfinite(maxTorque) ? std::max(maxTorque, 0.0) : 0.0;
    if (held == m_brake)
        return;
    m_brake = held;
    // The engine's motor at speed 0 is the brake: within its torque it
    // takes whatever stops the hinge in the step.
    dJointSetHingeParam(m_joint, dParamVel, 0.0);
    dJointSetHingeParam(m_joint, dParamFMax, m_brake);
    // Let go, the bearing sticks afresh where the hinge is then.
    m_stuck = false;
}

void HingeJoint::applyFriction() {
    // Bodies held or freed since the hinge was bound turn differently.
    if (const int held = heldBodies(); held != m_heldBodies) {
        m_heldBodies = held;
        m_inertia = turningInertia();
        m_stuck = false;
    }
    if (!(m_inertia > 0.0))
        return;
    const double rate = dJointGetHingeAngleRate(m_joint);
    // How far it has turned since it stuck: the engine moved it through the
    // last step at the rate it has now.
    m_stuckOff = m_stuck ? m_stuckOff + rate * m_world.stepSize() : 0.0;
    m_stuck = true;
    double torque = -m_inertia * kStickRate * (kStickRate * m_stuckOff + 2.0 * rate);
    if (std::abs(torque) > m_friction) {
        // Slipping: it turns against the whole friction and sticks again
        // wherever that is enough to hold it.
        torque = std::copysign(m_friction, torque);
        m_stuckOff = 0.0;
    }
    dJointAddHingeTorque(m_joint, torque);
}

void HingeJoint::beforeStep() {
    if (!m_inert && !m_oneBody && m_friction > 0.0 && m_brake == 0.0)
        applyFriction();
    if (!m_inert && m_pendingTorque != 0.0) {
        if (m_pendingOverride && m_limitsEnabled) {
            applyStops(false);
            m_stopsLifted = true;
        }
        dJointAddHingeTorque(m_joint, m_pendingTorque);
    }
    m_pendingTorque = 0.0;
    m_pendingOverride = false;
}

void HingeJoint::afterStep() {
    if (m_stopsLifted) {
        m_stopsLifted = false;
        applyStops(m_limitsEnabled);
    }
}

Vec3 HingeJoint::anchor() const {
    if (m_inert)
        return m_madeAnchor;
    if (m_oneBody)
        return m_first->pose().transformPoint(m_localAnchor);
    dVector3 a;
    dJointGetHingeAnchor(m_joint, a);
    return { a[0], a[1], a[2] };
}

Vec3 HingeJoint::axis() const {
    if (m_inert)
        return m_madeAxis;
    if (m_oneBody)
        return m_first->pose().transformDirection(m_localAxis);
    dVector3 a;
    dJointGetHingeAxis(m_joint, a);
    return { a[0], a[1], a[2] };
}

void HingeJoint::setLimits(bool enabled, double lowDegrees, double highDegrees) {
    m_world.checkThread("HingeJoint::setLimits");
    m_limitsEnabled = enabled;
    m_low = limitOr(lowDegrees, -180.0);
    m_high = limitOr(highDegrees, 180.0);
    if (m_low > m_high)
        std::swap(m_low, m_high);
    applyStops(enabled);
}

void HingeJoint::applyStops(bool on) {
    // Open the stops first: the engine refuses a low stop above the current
    // high one.
    dJointSetHingeParam(m_joint, dParamLoStop, -dInfinity);
    dJointSetHingeParam(m_joint, dParamHiStop, dInfinity);
    if (on) {
        dJointSetHingeParam(m_joint, dParamHiStop, m_high / kDegreesPerRadian);
        dJointSetHingeParam(m_joint, dParamLoStop, m_low / kDegreesPerRadian);
    }
}

} // namespace physics
