#include "physics/HingeJoint.h"

#include "physics/ContactSurface.h"
#include "physics/PhysicsWorld.h"

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
    dJointSetHingeAnchor(m_joint, desc.anchor.x, desc.anchor.y, desc.anchor.z);
    const Vec3& axis = m_madeAxis;
    dJointSetHingeAxis(m_joint, axis.x, axis.y, axis.z);
    dJointSetHingeParam(m_joint, dParamStopERP, ContactSurface::errorReductionFor(desc.hardness));
    dJointSetHingeParam(m_joint, dParamStopCFM, ContactSurface::constraintMixingFor(desc.hardness));
    const double bounce = std::isnan(desc.bounciness) ? 0.0 : std::clamp(desc.bounciness, 0.0, 1.0);
    dJointSetHingeParam(m_joint, dParamBounce, bounce);
    setLimits(desc.limitsEnabled, desc.lowLimitDegrees, desc.highLimitDegrees);
}

double HingeJoint::angleDegrees() const {
    return m_inert ? 0.0 : dJointGetHingeAngle(m_joint) * kDegreesPerRadian;
}

double HingeJoint::angleRateDegrees() const {
    return m_inert ? 0.0 : dJointGetHingeAngleRate(m_joint) * kDegreesPerRadian;
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
    dVector3 a;
    dJointGetHingeAnchor(m_joint, a);
    return { a[0], a[1], a[2] };
}

Vec3 HingeJoint::axis() const {
    if (m_inert)
        return m_madeAxis;
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
