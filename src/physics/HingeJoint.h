#pragma once

#include "physics/Joint.h"
#include "physics/Vec3.h"

namespace physics {

// What a hinge is made from. Anchor and axis are in world coordinates, taken
// with the solids where they are when the hinge is made. Limits are in
// degrees within -180..180; with limits off the hinge turns freely.
struct HingeJointDesc {
    Solid* first = nullptr;
    Solid* second = nullptr;
    Vec3 anchor;
    Vec3 axis { 1.0, 0.0, 0.0 };
    bool limitsEnabled = false;
    double lowLimitDegrees = -180.0;
    double highLimitDegrees = 180.0;
    // Stiffness of the limit stops (0..1) and their restitution (0..1).
    double hardness = 1.0;
    double bounciness = 0.0;
    // The most torque the hinge's bearing holds against: a hinge left alone
    // sticks where it is until more than this turns it, and turns against
    // this much while it slips. 0: it turns freely.
    double friction = 0.0;
};

// A hinge between two solids, with an optional pair of stops, a motor
// torque that acts for one physics step, a brake that holds it still, and
// the friction of its bearing. A hinge between two solids that a fixed joint
// holds together has nothing to turn: it reads zeros until they come apart
// again.
class HingeJoint final : public Joint {
public:
    // Angle of the first solid relative to the second about the axis, in
    // degrees (0 where the hinge was made), and its rate in degrees per
    // second. Both are 0 for an inert hinge.
    double angleDegrees() const;
    double angleRateDegrees() const;

    // Adds a torque about the axis for the next physics step only: the first
    // solid is turned positively about the axis, the second negatively.
    // Several calls before one step add up. Non-finite torques are ignored.
    //
    // With `overrideLimits` the hinge's stops are lifted for that step, so
    // the torque may drive it past them; the stops are back for the steps
    // after (and pull a hinge left beyond them back in). Without it the stops
    // hold against the torque. Motors drive with the override; their hinges
    // have no limits, where both ways are the same.
    void addTorque(double torque, bool overrideLimits = false);
    double pendingTorque() const { return m_pendingTorque; }

    // Holds the hinge still, in every physics step until the brake is let go
    // (0), with a torque of up to `maxTorque`: the engine finds the torque
    // that stops it within the step, so a brake never overshoots, however
    // light what it holds. A torque added meanwhile works against it.
    void brake(double maxTorque);

    // Where the hinge is now, in world coordinates (where it was made once
    // the hinge is inert).
    Vec3 anchor() const;
    Vec3 axis() const;

    // Stops in degrees; each is brought into -180..180 and the pair ordered.
    void setLimits(bool enabled, double lowDegrees, double highDegrees);
    bool limitsEnabled() const { return m_limitsEnabled; }
    double lowLimitDegrees() const { return m_low; }
    double highLimitDegrees() const { return m_high; }

private:
    friend class PhysicsWorld;

    HingeJoint(PhysicsWorld& world, dxJoint* joint, const HingeJointDesc& desc);
    ~HingeJoint() override = default;

    void beforeStep() override;
    void afterStep() override;
    void takeSnapshot() override;
    void rebind() override;
    void applyStops(bool open);
    void applyFriction();
    // Joins the bodies under the two solids at `anchor` about `axis` (world
    // coordinates), where the hinge's angle is `radians` now.
    void bind(const Vec3& anchor, const Vec3& axis, double radians);
    double rawAngle() const;
    // How hard the hinge is to turn: the inertia about its axis of the two
    // bodies turning against each other (0 when neither can turn).
    double turningInertia() const;
    // Which of the two bodies are held (kinematic), as bits.
    int heldBodies() const;

    Vec3 m_madeAnchor;
    Vec3 m_madeAxis;
    // Both solids on one body: the engine's joint joins nothing, and the
    // hinge's place rides on the first solid, in its frame.
    bool m_oneBody = false;
    Vec3 m_localAnchor;
    Vec3 m_localAxis;
    // Where the hinge was when the world last asked, before it rebuilt the
    // bodies.
    struct Snapshot {
        Vec3 anchor;
        Vec3 axis;
        double radians = 0.0;
        bool taken = false;
    } m_snapshot;
    bool m_limitsEnabled = false;
    double m_low = -180.0;
    double m_high = 180.0;
    double m_pendingTorque = 0.0;
    bool m_pendingOverride = false;
    bool m_stopsLifted = false;
    double m_brake = 0.0;
    double m_friction = 0.0;
    // The bearing's friction: how far the hinge has turned since it stuck,
    // and how hard the two bodies are to turn against each other (taken
    // when it is bound, and again when one of them is held or let go).
    double m_stuckOff = 0.0;
    bool m_stuck = false;
    double m_inertia = 0.0;
    int m_heldBodies = 0;
};

} // namespace physics
