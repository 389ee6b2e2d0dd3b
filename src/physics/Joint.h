#pragma once

#include "physics/Handle.h"
#include "physics/OdeHandles.h"

#include <memory>

namespace physics {

class PhysicsWorld;
class Solid;

// A constraint between two solids, made and owned by a PhysicsWorld. Solids
// joined by a joint never collide with each other. When one of its solids is
// destroyed the joint lets go of both and stays inert (it constrains nothing
// and reports zeros) until it is destroyed itself.
//
// The engine's joint, where there is one, joins the bodies its solids move
// with (a fixed joint has none: its solids share one body). When those
// bodies are built anew, the world asks the joint where it is first and
// binds it to the new bodies after.
class Joint : public Tracked {
public:
    Solid* firstSolid() const { return m_first; }
    Solid* secondSolid() const { return m_second; }
    bool isInert() const { return m_inert; }
    PhysicsWorld& world() const { return m_world; }

protected:
    friend class PhysicsWorld;
    friend struct std::default_delete<Joint>;

    Joint(PhysicsWorld& world, dxJoint* joint, Solid* first, Solid* second);
    virtual ~Joint();

    // Called just before and just after each physics step.
    virtual void beforeStep() { }
    virtual void afterStep() { }
    virtual void takeSnapshot() { }
    virtual void rebind() { }
    void detach();

    PhysicsWorld& m_world;
    // Null for a fixed joint.
    dxJoint* m_joint;
    Solid* m_first;
    Solid* m_second;
    bool m_inert = false;
};

} // namespace physics
