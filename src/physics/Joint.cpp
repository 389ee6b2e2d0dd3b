#include "physics/Joint.h"

#include "physics/OdeRuntime.h"

#include <ode/ode.h>

namespace physics {

Joint::Joint(PhysicsWorld& world, dxJoint* joint, Solid* first, Solid* second)
    : m_world(world)
    , m_joint(joint)
    , m_first(first)
    , m_second(second) { }

Joint::~Joint() {
    EnsureOdeForThisThread();
    if (m_joint)
        dJointDestroy(m_joint);
}

void Joint::detach() {
    if (m_joint)
        dJointAttach(m_joint, nullptr, nullptr);
    m_first = nullptr;
    m_second = nullptr;
    m_inert = true;
}

} // namespace physics
