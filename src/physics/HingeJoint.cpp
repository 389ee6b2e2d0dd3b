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

void HingeJoint::beforeStep() {
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
