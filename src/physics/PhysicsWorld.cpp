#include "physics/PhysicsWorld.h"

#include "physics/ContactSurface.h"
#include "physics/OdeRuntime.h"
#include "physics/ShapeRecord.h"
#include "platform/Warnings.h"

#include <ode/ode.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <limits>

namespace physics {

// One record per contact of the step's try: the engine writes the contact's
// force into it while it solves; a deque keeps each record where it is as
// contacts are added. The first and second solid are those the engine's
// first and second body stand for (serial 0: none, the fixed world).
struct PhysicsWorld::ContactForceRecords {
    struct Record {
        dJointFeedback feedback;
        std::uint64_t first;
        std::uint64_t second;
    };
    std::deque<Record> records;
};

namespace {

// Enough for a box resting on a box (8 corners) or a wheel on a mesh.
constexpr int kMaxContactsPerPair = 16;
// Contacts resting within this depth are left alone, which keeps stacked and
// resting solids from jittering; the value is far below any part's size.
constexpr double kContactSurfaceLayer = 0.001;
// Overlaps are pushed apart at most this fast: a solid that lands deep in
// another within one step is eased out instead of being shot away.
constexpr double kMaxCorrectingSpeed = 1.0;
// Relative speed above which a contact bounces (only with bounciness > 0).
constexpr double kBounceThreshold = 0.1;

Vec3 toVec3(const dReal* v) {
    return { v[0], v[1], v[2] };
}

template <class Container, class T> auto findOwned(Container& items, const T* item) {
    return std::find_if(
        items.begin(), items.end(), [item](const auto& owned) { return owned.get() == item; });
}

// Merges the contacts of one pair that lie on one spot; returns how many are
// left, first in the array.
int mergeCloseContacts(dContact* contacts, int count) {
    // A thin disc standing on its rim touches at the two edges of the rim,
    // a disc's thickness apart: two contacts on one spot, which the exact
    // solver finds hard to share a load between and which cost it twice.
    // Contacts of one pair closer than this, on one normal, are one: their
    // middle, as deep as the deepest.
    constexpr double kSameSpot = 0.05;
    int kept = 0;
    for (int i = 0; i < count; ++i) {
        dContactGeom& next = contacts[i].geom;
        bool merged = false;
        for (int j = 0; j < kept && !merged; ++j) {
            dContactGeom& into = contacts[j].geom;
            const Vec3 apart = toVec3(next.pos) - toVec3(into.pos);
            if (apart.length() >= kSameSpot || toVec3(next.normal).dot(toVec3(into.normal)) < 0.999)
                continue;
            for (int k = 0; k < 3; ++k)
                into.pos[k] = (into.pos[k] + next.pos[k]) / 2.0;
            into.depth = std::max(into.depth, next.depth);
            merged = true;
        }
        if (!merged)
            contacts[kept++].geom = next;
    }
    return kept;
}

struct RayQuery {
    const ContactGroupTable* groups;
    const Solid* ignore;
    int group;
    dGeomID ray;
    RaycastHit best;
};

void rayCallback(void* data, dGeomID o1, dGeomID o2) {
    auto* query = static_cast<RayQuery*>(data);
    const dGeomID other = o1 == query->ray ? o2 : o1;
    if (dGeomIsSpace(other)) {
        dSpaceCollide2(query->ray, other, data, &rayCallback);
        return;
    }
    const ShapeRecord* shape = ShapeRecord::of(other);
    if (!shape || shape->solid == query->ignore || !shape->solid->isEnabled() || !dGeomIsEnabled(other))
        return;
    if (!query->groups->makesContact(query->group, shape->desc.contactGroup))
        return;
    std::array<dContactGeom, kMaxContactsPerPair> contacts;
    const int n = dCollide(query->ray, other, kMaxContactsPerPair, contacts.data(), sizeof(dContactGeom));
    for (int i = 0; i < n; ++i) {
        const dContactGeom& c = contacts[i];
        if (query->best.hit() && c.depth >= query->best.distance)
            continue;
        query->best.solid = shape->solid;
        query->best.distance = c.depth;
        query->best.point = toVec3(c.pos);
        query->best.normal = toVec3(c.normal);
    }
}

} // namespace

PhysicsWorld::PhysicsWorld() {
    EnsureOdeForThisThread();
    m_world = dWorldCreate();
    // Sweep and prune finds the overlapping boxes from one sort along x: a
    // world of a few dozen moving bodies on a floor costs a small part of a
    // step, and a playground of thousands of objects still no more than its
    // sort. (The hash space allocates and frees its cells in every step.)
    m_space = dSweepAndPruneSpaceCreate(nullptr, dSAP_AXES_XYZ);
    m_contacts = dJointGroupCreate(0);
    m_ray = dCreateRay(nullptr, 1.0);
    dGeomRaySetFirstContact(m_ray, 0);
    dGeomRaySetBackfaceCull(m_ray, 0);
    dGeomRaySetClosestHit(m_ray, 1);
    dWorldSetGravity(m_world, 0.0, 0.0, -9.8);
    // A free body must fall exactly as the step rule says: no sleeping, no
    // damping.
    dWorldSetAutoDisableFlag(m_world, 0);
    dWorldSetLinearDamping(m_world, 0.0);
    dWorldSetAngularDamping(m_world, 0.0);
    dWorldSetContactSurfaceLayer(m_world, kContactSurfaceLayer);
    dWorldSetContactMaxCorrectingVel(m_world, kMaxCorrectingSpeed);
    m_constraintMixing = dWorldGetCFM(m_world);
    m_contactForceRecords = std::make_unique<ContactForceRecords>();
}

PhysicsWorld::~PhysicsWorld() {
    EnsureOdeForThisThread();
    m_probes.clear();
    m_joints.clear();
    m_solids.clear();
    m_solidsBySerial.clear();
    dJointGroupDestroy(m_contacts);
    dGeomDestroy(m_ray);
    dSpaceDestroy(m_space);
    dWorldDestroy(m_world);
}

bool PhysicsWorld::setGravity(const Vec3& gravity) {
    checkThread("PhysicsWorld::setGravity");
    if (!gravity.isFinite())
        return false;
    dWorldSetGravity(m_world, gravity.x, gravity.y, gravity.z);
    return true;
}

Vec3 PhysicsWorld::gravity() const {
    dVector3 g;
    dWorldGetGravity(m_world, g);
    return toVec3(g);
}

bool PhysicsWorld::setStepSize(double seconds) {
    checkThread("PhysicsWorld::setStepSize");
    return m_clock.setStepSize(seconds);
}

bool PhysicsWorld::setupContactGroups(int a, int b, bool makeContacts) {
    checkThread("PhysicsWorld::setupContactGroups");
    if (!m_groups.setPair(a, b, makeContacts))
        return false;
    updateAllCollideBits();
    return true;
}

bool PhysicsWorld::setupContactGroup(int group, bool makeContacts) {
    checkThread("PhysicsWorld::setupContactGroup");
    if (!m_groups.setGroup(group, makeContacts))
        return false;
    updateAllCollideBits();
    return true;
}

void PhysicsWorld::updateAllCollideBits() {
    for (const auto& solid : m_solids)
        solid->updateCollideBits();
}

int PhysicsWorld::simulate(double seconds) {
    checkThread("PhysicsWorld::simulate");
    if (m_dispatching)
        return 0;
    const int steps = m_clock.advance(seconds);
    for (int i = 0; i < steps; ++i)
        step();
    return steps;
}

void PhysicsWorld::step() {
    checkThread("PhysicsWorld::step");
    if (m_dispatching)
        return;
    EnsureOdeForThisThread();
    for (auto& joint : m_joints)
        joint->beforeStep();

    m_bodiesBeforeStep.clear();
    for (const auto& solid : m_solids) {
        // The bodies of the others of a group stand aside, untouched.
        if (solid->m_root)
            continue;
        const dBodyID body = solid->m_body;
        const dReal* q = dBodyGetQuaternion(body);
        m_bodiesBeforeStep.push_back(
            { body, { toVec3(dBodyGetPosition(body)), Quat { q[0], q[1], q[2], q[3] } },
                toVec3(dBodyGetLinearVel(body)), toVec3(dBodyGetAngularVel(body)),
                toVec3(dBodyGetForce(body)), toVec3(dBodyGetTorque(body)) });
    }
    // The exact solver can meet a degenerate pivot (solids held at more
    // points than they need, as a box lying flat on a box, or a robot on two
    // wheels and two caster balls driving straight) and stop half way ("LCP
    // internal error"), dropping the forces it has not solved yet. Such a
    // step is taken again from where it started: first exactly, with every
    // constraint a little softer, which breaks nearly every robot's tie; and
    // if that stalls too (as a box lying flat on a box mostly does, however
    // soft), by the engine's iterative solver, which always comes to an end.
    for (int attempt = 0;; ++attempt) {
        m_retrySoftness = attempt == 1 ? kRetrySoftness : 0.0;
        dWorldSetCFM(m_world, std::max(m_constraintMixing, m_retrySoftness));
        dSpaceCollide(m_space, this, &PhysicsWorld::nearCallback);
        OdeMessageHold messages;
        if (attempt < 2)
            dWorldStep(m_world, m_clock.stepSize());
        else
            dWorldQuickStep(m_world, m_clock.stepSize());
        if (messages.count() == 0 || attempt == 2) {
            messages.release();
            break;
        }
        if (attempt == 0)
            ++m_retriedSteps;
        dJointGroupEmpty(m_contacts);
        m_events.clear();
        m_contactForceRecords->records.clear();
        for (const BodyState& b : m_bodiesBeforeStep)
            b.restore();
    }
    if (m_retrySoftness != 0.0) {
        m_retrySoftness = 0.0;
        dWorldSetCFM(m_world, m_constraintMixing);
    }
    for (auto& joint : m_joints)
        joint->afterStep();
    gatherContactForces();
    dJointGroupEmpty(m_contacts);
    repairNonFiniteBodies();
    ++m_stepCount;
    dispatchEvents();
}

void PhysicsWorld::setKeepsContactForces(bool keep) {
    checkThread("PhysicsWorld::setKeepsContactForces");
    m_keepContactForces = keep;
    m_contactForces.clear();
}

Vec3 PhysicsWorld::contactForce(const Solid* solid) const {
    if (!solid)
        return {};
    const auto found = m_contactForces.find(solid->m_serial);
    return found == m_contactForces.end() ? Vec3 {} : found->second;
}

void PhysicsWorld::gatherContactForces() {
    auto& records = m_contactForceRecords->records;
    if (!m_keepContactForces && records.empty())
        return;
    m_contactForces.clear();
    for (const auto& record : records) {
        if (record.first != 0)
            m_contactForces[record.first] += toVec3(record.feedback.f1);
        if (record.second != 0)
            m_contactForces[record.second] += toVec3(record.feedback.f2);
    }
    records.clear();
}

void PhysicsWorld::BodyState::restore() const {
    const dQuaternion q { pose.orientation.w, pose.orientation.x, pose.orientation.y, pose.orientation.z };
    dBodySetQuaternion(body, q);
    dBodySetPosition(body, pose.position.x, pose.position.y, pose.position.z);
    dBodySetLinearVel(body, linear.x, linear.y, linear.z);
    dBodySetAngularVel(body, angular.x, angular.y, angular.z);
    dBodySetForce(body, force.x, force.y, force.z);
    dBodySetTorque(body, torque.x, torque.y, torque.z);
}

void PhysicsWorld::nearCallback(void* data, dGeomID a, dGeomID b) {
    static_cast<PhysicsWorld*>(data)->collidePair(a, b);
}

void PhysicsWorld::collidePair(dGeomID a, dGeomID b) {
    // A solid's own space: its shapes against the other side, never against
    // one another.
    if (dGeomIsSpace(a) || dGeomIsSpace(b)) {
        dSpaceCollide2(a, b, this, &PhysicsWorld::nearCallback);
        return;
    }
    const ShapeRecord* ra = ShapeRecord::of(a);
    const ShapeRecord* rb = ShapeRecord::of(b);
    if (!ra || !rb)
        return;
    Solid* sa = ra->solid;
    Solid* sb = rb->solid;
    const dBodyID bodyA = sa->engineBody();
    const dBodyID bodyB = sb->engineBody();
    if (bodyA == bodyB || !sa->isEnabled() || !sb->isEnabled())
        return;
    // Two held bodies (static solids, or groups held by one) do not meet.
    const bool heldA = dBodyIsKinematic(bodyA);
    const bool heldB = dBodyIsKinematic(bodyB);
    if (heldA && heldB)
        return;
    if (!m_groups.makesContact(ra->desc.contactGroup, rb->desc.contactGroup))
        return;
    if (dAreConnectedExcluding(bodyA, bodyB, dJointTypeContact))
        return;

    std::array<dContact, kMaxContactsPerPair> contacts;
    int n = dCollide(a, b, kMaxContactsPerPair, &contacts[0].geom, sizeof(dContact));
    if (n <= 0)
        return;
    if (std::holds_alternative<CylinderShape>(ra->desc.geometry)
        || std::holds_alternative<CylinderShape>(rb->desc.geometry))
        n = mergeCloseContacts(contacts.data(), n);
    const ContactSurface surface = ContactSurface::between(ra->surface, rb->surface);
    // A held body takes part as the fixed world: this keeps every island of
    // touching solids apart from the others that rest on the same floor.
    const dBodyID ba = heldA ? nullptr : bodyA;
    const dBodyID bb = heldB ? nullptr : bodyB;
    for (int i = 0; i < n; ++i) {
        dContact& c = contacts[i];
        c.surface.mode = dContactApprox1 | dContactSoftERP | dContactSoftCFM;
        c.surface.mu = surface.friction;
        c.surface.soft_erp = surface.erp;
        c.surface.soft_cfm = std::max(surface.cfm, m_retrySoftness);
        if (surface.bounce > 0.0) {
            c.surface.mode |= dContactBounce;
            c.surface.bounce = surface.bounce;
            c.surface.bounce_vel = kBounceThreshold;
        }
        const dJointID joint = dJointCreateContact(m_world, m_contacts, &c);
        dJointAttach(joint, ba, bb);
        if (m_keepContactForces) {
            // Attached to the world on its first side, the engine makes the
            // second body its first.
            const std::uint64_t first = ba ? sa->m_serial : bb ? sb->m_serial : 0;
            const std::uint64_t second = ba && bb ? sb->m_serial : 0;
            auto& record = m_contactForceRecords->records.emplace_back();
            record.first = first;
            record.second = second;
            dJointSetFeedback(joint, &record.feedback);
        }

        // The engine's normal points from b towards a.
        const Vec3 point = toVec3(c.geom.pos);
        const Vec3 normal = toVec3(c.geom.normal);
        if (sa->hasCollisionHandler())
            m_events.push_back({ sa->m_serial, sb->m_serial, point, normal, c.geom.depth });
        if (sb->hasCollisionHandler())
            m_events.push_back({ sb->m_serial, sa->m_serial, point, -normal, c.geom.depth });
    }
}

void PhysicsWorld::repairNonFiniteBodies() {
    int repaired = 0;
    for (const BodyState& b : m_bodiesBeforeStep) {
        const dReal* p = dBodyGetPosition(b.body);
        const dReal* q = dBodyGetQuaternion(b.body);
        const dReal* v = dBodyGetLinearVel(b.body);
        const dReal* w = dBodyGetAngularVel(b.body);
        // A sum is finite only when every term is.
        if (std::isfinite(
                p[0] + p[1] + p[2] + q[0] + q[1] + q[2] + q[3] + v[0] + v[1] + v[2] + w[0] + w[1] + w[2]))
            continue;
        // A solid whose motion blew up is put back where the step found it,
        // at rest, rather than spreading non-numbers through the world.
        const dQuaternion dq { b.pose.orientation.w, b.pose.orientation.x, b.pose.orientation.y,
            b.pose.orientation.z };
        dBodySetPosition(b.body, b.pose.position.x, b.pose.position.y, b.pose.position.z);
        dBodySetQuaternion(b.body, dq);
        dBodySetLinearVel(b.body, 0.0, 0.0, 0.0);
        dBodySetAngularVel(b.body, 0.0, 0.0, 0.0);
        ++repaired;
    }
    if (repaired > 0)
        platform::Warn("physics",
            "the motion of " + std::to_string(repaired) + (repaired == 1 ? " solid" : " solids")
                + " stopped being finite in a step; put back where the step found "
                + (repaired == 1 ? "it" : "them") + ", at rest");
}

void PhysicsWorld::dispatchEvents() {
    if (m_events.empty())
        return;
    std::vector<PendingEvent> events;
    events.swap(m_events);
    struct DispatchScope {
        bool& flag;
        explicit DispatchScope(bool& f)
            : flag(f) {
            flag = true;
        }
        ~DispatchScope() { flag = false; }
    } scope(m_dispatching);
    for (const PendingEvent& e : events) {
        const auto self = m_solidsBySerial.find(e.self);
        const auto other = m_solidsBySerial.find(e.other);
        if (self == m_solidsBySerial.end() || other == m_solidsBySerial.end())
            continue;
        // A copy: the handler may replace itself or destroy its own solid.
        const CollisionHandler handler = self->second->m_collisionHandler;
        if (handler)
            handler(CollisionEvent { self->second, other->second, e.point, e.normal, e.depth });
    }
}

Solid* PhysicsWorld::createSolid() {
    checkThread("PhysicsWorld::createSolid");
    EnsureOdeForThisThread();
    const std::uint64_t serial = m_nextSerial++;
    m_solids.push_back(std::unique_ptr<Solid>(new Solid(*this, serial)));
    Solid* solid = m_solids.back().get();
    m_solidsBySerial.emplace(serial, solid);
    return solid;
}

bool PhysicsWorld::destroySolid(Solid* solid) {
    checkThread("PhysicsWorld::destroySolid");
    if (!solid || findOwned(m_solids, solid) == m_solids.end())
        return false;
    std::vector<Solid*> group = groupOf(*solid);
    detachFrom(solid);
    // The rest of its group goes on without it, in as many bodies as the
    // fixed joints left hold together.
    if (group.size() > 1) {
        std::erase(group, solid);
        rebuildBodies(std::move(group));
    }
    m_solidsBySerial.erase(solid->m_serial);
    m_solids.erase(findOwned(m_solids, solid));
    return true;
}

void PhysicsWorld::destroyAllSolids() {
    checkThread("PhysicsWorld::destroyAllSolids");
    for (auto& joint : m_joints)
        joint->detach();
    for (auto& probe : m_probes)
        if (probe->m_solid)
            probe->detach();
    m_solidsBySerial.clear();
    m_solids.clear();
}

Solid* PhysicsWorld::solidAt(std::size_t index) const {
    return index < m_solids.size() ? m_solids[index].get() : nullptr;
}

bool PhysicsWorld::owns(const Solid* solid) const {
    // By address alone: callers ask about pointers to solids that may have
    // been destroyed, which must not be read.
    return solid && findOwned(m_solids, solid) != m_solids.end();
}

void PhysicsWorld::detachFrom(const Solid* solid) {
    for (auto& joint : m_joints)
        if (joint->m_first == solid || joint->m_second == solid)
            joint->detach();
    for (auto& probe : m_probes)
        if (probe->m_solid == solid)
            probe->detach();
}

HingeJoint* PhysicsWorld::createHingeJoint(const HingeJointDesc& desc) {
    checkThread("PhysicsWorld::createHingeJoint");
    if (!owns(desc.first) || !owns(desc.second) || desc.first == desc.second)
        return nullptr;
    if (!desc.anchor.isFinite() || !desc.axis.isFinite() || !(desc.axis.length() > 1e-9))
        return nullptr;
    EnsureOdeForThisThread();
    auto* hinge = new HingeJoint(*this, dJointCreateHinge(m_world, nullptr), desc);
    m_joints.push_back(std::unique_ptr<Joint>(hinge));
    return hinge;
}

FixedJoint* PhysicsWorld::createFixedJoint(const FixedJointDesc& desc) {
    checkThread("PhysicsWorld::createFixedJoint");
    if (!owns(desc.first) || !owns(desc.second) || desc.first == desc.second)
        return nullptr;
    EnsureOdeForThisThread();
    auto* fixed = new FixedJoint(*this, desc);
    m_joints.push_back(std::unique_ptr<Joint>(fixed));
    if (!desc.first->sharesBodyWith(desc.second)) {
        std::vector<Solid*> solids = groupOf(*desc.first);
        const std::vector<Solid*> second = groupOf(*desc.second);
        solids.insert(solids.end(), second.begin(), second.end());
        rebuildBodies(std::move(solids));
    }
    return fixed;
}

bool PhysicsWorld::destroyJoint(Joint* joint) {
    checkThread("PhysicsWorld::destroyJoint");
    const auto it = findOwned(m_joints, joint);
    if (!joint || it == m_joints.end())
        return false;
    // A fixed joint's solids may come apart into two bodies.
    std::vector<Solid*> group;
    if (dynamic_cast<FixedJoint*>(joint) && joint->m_first)
        group = groupOf(*joint->m_first);
    m_joints.erase(it);
    if (group.size() > 1)
        rebuildBodies(std::move(group));
    return true;
}

void PhysicsWorld::destroyAllJoints() {
    checkThread("PhysicsWorld::destroyAllJoints");
    m_joints.clear();
    std::vector<Solid*> grouped;
    for (const auto& solid : m_solids)
        if (solid->m_root || !solid->m_members.empty())
            grouped.push_back(solid.get());
    if (!grouped.empty())
        rebuildBodies(std::move(grouped));
}

RayProbe* PhysicsWorld::createRayProbe(const RayProbeDesc& desc) {
    checkThread("PhysicsWorld::createRayProbe");
    if ((desc.solid && !owns(desc.solid)) || !ContactGroupTable::isValidGroup(desc.contactGroup))
        return nullptr;
    if (!desc.origin.isFinite() || !desc.direction.isFinite())
        return nullptr;
    m_probes.push_back(std::unique_ptr<RayProbe>(new RayProbe(*this, desc)));
    return m_probes.back().get();
}

bool PhysicsWorld::destroyRayProbe(RayProbe* probe) {
    checkThread("PhysicsWorld::destroyRayProbe");
    const auto it = findOwned(m_probes, probe);
    if (!probe || it == m_probes.end())
        return false;
    m_probes.erase(it);
    return true;
}

void PhysicsWorld::destroyAllRayProbes() {
    checkThread("PhysicsWorld::destroyAllRayProbes");
    m_probes.clear();
}

RaycastHit PhysicsWorld::castRay(
    const Vec3& origin, const Vec3& direction, double length, int contactGroup, const Solid* ignore) const {
    // The ray geom is the world's own: a cast changes it.
    checkThread("PhysicsWorld::castRay");
    const Vec3 unit = direction.normalized();
    if (!origin.isFinite() || !(unit.length() > 0.5) || !(length > 0.0) || !std::isfinite(length)
        || !ContactGroupTable::isValidGroup(contactGroup))
        return {};
    EnsureOdeForThisThread();
    dGeomRaySetLength(m_ray, length);
    dGeomRaySet(m_ray, origin.x, origin.y, origin.z, unit.x, unit.y, unit.z);
    // The spaces pass over the shapes whose groups the ray's group does not
    // meet (see Solid::updateCollideBits).
    dGeomSetCategoryBits(m_ray, 0ul);
    dGeomSetCollideBits(m_ray, m_groups.contactsOf(contactGroup));
    RayQuery query { &m_groups, ignore, contactGroup, m_ray, {} };
    dSpaceCollide2(m_ray, reinterpret_cast<dGeomID>(m_space), &query, &rayCallback);
    if (query.best.hit())
        query.best.contactGroup = query.best.solid->firstShapeContactGroup();
    return query.best;
}

} // namespace physics
