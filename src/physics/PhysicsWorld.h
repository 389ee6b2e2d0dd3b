#pragma once

#include "physics/ContactGroupTable.h"
#include "physics/FixedJoint.h"
#include "physics/Handle.h"
#include "physics/HingeJoint.h"
#include "physics/OdeHandles.h"
#include "physics/RayProbe.h"
#include "physics/RaycastHit.h"
#include "physics/Solid.h"
#include "physics/StepClock.h"
#include "physics/Vec3.h"
#include "platform/OwnerThread.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace physics {

// The physics world of a simulation: gravity, a fixed step, the contact-group
// table, and the solids, joints and ray probes it owns. Pointers it hands out
// stay valid until the object is destroyed through the world, or the world
// itself goes; a Handle to one of them tells when that has happened.
//
// Time advances only in whole fixed steps (simulate). In each step the world
// finds the contacts of all pairs of shapes whose groups make contacts (never
// two shapes of one solid, two static solids, or two joined solids), applies
// pending hinge torques, integrates, and then tells the collision handlers.
//
// Solids held together by fixed joints become one rigid body of the engine
// (see Solid): a fixed joint costs the solver nothing, and a robot is one
// body plus its wheels on their hinges. Destroying the joint, or one of its
// solids, gives each part its own body again, with its own mass, moving as
// it moved in the group. Two solids of one body never collide; nor do the
// solids of two bodies joined by a hinge.
//
// Contacts take their friction, bounce and stiffness from the two shapes'
// materials (ContactSurface); a frictionless one has no friction rows in
// the engine's solver at all. A cylinder's contacts with one shape that lie
// on one spot (a thin disc on the two edges of its rim) are one contact.
// Resting solids sink up to 0.001 into what carries them, and overlaps are
// pushed apart at no more than 1 unit/s, so a solid that lands deep in
// another is eased out rather than thrown. A step
// the engine's exact solver cannot finish is taken again, a little softer
// and at last by its iterative solver, so that no step leaves forces
// unsolved.
// No damping and no sleeping: a free body falls exactly by the step rule.
//
// A world and everything in it is changed only in the thread that made it,
// the GUI thread: the simulation steps it there, and worker threads (the
// robot loader) read files and build scene nodes but leave the physics to the
// GUI thread. A change from another thread is reported through the
// "physics" warning (and stops builds with assertions); nothing here locks.
//
// A solid whose motion stops being finite in a step is put back where the
// step found it, at rest, with a "physics" warning.
class PhysicsWorld : public Tracked {
public:
    PhysicsWorld();
    ~PhysicsWorld();

    // --- Time. Gravity starts at (0, 0, -9.8), the step at 0.02 s. Refused
    // (false) when not finite or, for the step, not positive.
    bool setGravity(const Vec3& gravity);
    Vec3 gravity() const;
    bool setStepSize(double seconds);
    double stepSize() const { return m_clock.stepSize(); }
    // Advances by `seconds` in whole steps, carrying the remainder to the
    // next call (0.6 s at 0.02 s is exactly 30 steps). Returns the number of
    // steps taken; 0 when called from inside a collision handler.
    int simulate(double seconds);
    // Exactly one step, whatever time is carried.
    void step();
    std::uint64_t stepCount() const { return m_stepCount; }
    // Steps the exact solver could not finish and that were taken again
    // (see step).
    std::uint64_t retriedStepCount() const { return m_retriedSteps; }

    // --- Contact forces, for whoever weighs what carries a solid. While
    // kept, each step keeps the force that its contacts (those of the try
    // that finished it) exerted on each solid, in world axes; the next step
    // replaces them. A solid of a group answers for the contacts of its own
    // shapes. Not kept (the default), a step keeps nothing and costs nothing
    // more. contactForce is zero for a solid without contacts in the last
    // step, or when nothing was kept.
    void setKeepsContactForces(bool keep);
    Vec3 contactForce(const Solid* solid) const;

    // --- Contact groups 0..31: every pair starts on; a later call overrides
    // an earlier one for the same pair. False for a group out of range.
    bool setupContactGroups(int a, int b, bool makeContacts);
    bool setupContactGroup(int group, bool makeContacts);
    bool groupsMakeContact(int a, int b) const { return m_groups.makesContact(a, b); }

    // --- Solids, kept in creation order; destroying one keeps the order of
    // the rest (the first solid created, the floor, stays index 0).
    Solid* createSolid();
    // False (and nothing happens) for null or a solid of another world or one
    // already destroyed. Joints on it go inert, probes on it stop hitting.
    bool destroySolid(Solid* solid);
    void destroyAllSolids();
    std::size_t solidCount() const { return m_solids.size(); }
    Solid* solidAt(std::size_t index) const;
    bool owns(const Solid* solid) const;
    bool destroy(Solid* solid) { return destroySolid(solid); }

    // --- Joints. Null when a solid is missing, not of this world, both are
    // the same, or the geometry is not finite (a hinge's axis must not be
    // zero).
    HingeJoint* createHingeJoint(const HingeJointDesc& desc);
    FixedJoint* createFixedJoint(const FixedJointDesc& desc);
    // False for null or a joint this world does not hold (already destroyed).
    bool destroyJoint(Joint* joint);
    bool destroy(Joint* joint) { return destroyJoint(joint); }
    void destroyAllJoints();
    std::size_t jointCount() const { return m_joints.size(); }

    // --- Rays.
    // Null when the solid is given but not of this world, or the group is
    // outside 0..31.
    RayProbe* createRayProbe(const RayProbeDesc& desc);
    bool destroyRayProbe(RayProbe* probe);
    bool destroy(RayProbe* probe) { return destroyRayProbe(probe); }
    void destroyAllRayProbes();
    std::size_t rayProbeCount() const { return m_probes.size(); }
    // A ray in world coordinates: the nearest shape within `length` whose
    // group makes contacts with `contactGroup`, skipping `ignore` and
    // disabled solids.
    RaycastHit castRay(const Vec3& origin, const Vec3& direction, double length, int contactGroup,
        const Solid* ignore = nullptr) const;

    // Whether the calling thread may change this world (see above); reports
    // the call `what` when it may not.
    bool checkThread(const char* what) const { return m_thread.Check("physics", what); }

private:
    friend class Solid;

    struct PendingEvent {
        std::uint64_t self;
        std::uint64_t other;
        Vec3 point;
        Vec3 normal;
        double depth;
    };

    // The solids that move as one body with `solid`, it included, in
    // creation order.
    std::vector<Solid*> groupOf(Solid& solid) const;
    // Builds the engine bodies of `solids` (whole groups) anew from the
    // fixed joints among them, keeping every solid where it is and moving as
    // it moved, and binds the hinges on them to the new bodies.
    void rebuildBodies(std::vector<Solid*> solids);

    static void nearCallback(void* data, dxGeom* a, dxGeom* b);
    void collidePair(dxGeom* a, dxGeom* b);
    void dispatchEvents();
    void updateAllCollideBits();
    void repairNonFiniteBodies();
    void detachFrom(const Solid* solid);

    platform::OwnerThread m_thread;
    dxWorld* m_world = nullptr;
    dxSpace* m_space = nullptr;
    dxJointGroup* m_contacts = nullptr;
    dxGeom* m_ray = nullptr;

    ContactGroupTable m_groups;
    StepClock m_clock;
    std::uint64_t m_stepCount = 0;
    std::uint64_t m_nextSerial = 1;
    bool m_dispatching = false;

    std::vector<std::unique_ptr<Solid>> m_solids;
    std::unordered_map<std::uint64_t, Solid*> m_solidsBySerial;
    std::vector<std::unique_ptr<Joint>> m_joints;
    std::vector<std::unique_ptr<RayProbe>> m_probes;
    std::vector<PendingEvent> m_events;
    // Everything a step changes of each body, to take it again (and to put
    // back a body whose motion stopped being finite).
    struct BodyState {
        dxBody* body;
        Pose pose;
        Vec3 linear;
        Vec3 angular;
        Vec3 force;
        Vec3 torque;
        void restore() const;
    };
    std::vector<BodyState> m_bodiesBeforeStep;
    // The contacts' forces as the engine writes them while it solves, and
    // what the last step left of them per solid (see contactForce).
    struct ContactForceRecords;
    bool m_keepContactForces = false;
    std::unique_ptr<ContactForceRecords> m_contactForceRecords;
    std::unordered_map<std::uint64_t, Vec3> m_contactForces;
    void gatherContactForces();
    std::uint64_t m_retriedSteps = 0;
    // The softness (constraint force mixing) of a stalled step's exact retry.
    static constexpr double kRetrySoftness = 1e-6;
    double m_retrySoftness = 0.0;
    double m_constraintMixing = 0.0;
};

} // namespace physics
