// Solids held together by fixed joints, as one engine body each group.

#include "physics/FixedJoint.h"
#include "physics/PhysicsWorld.h"
#include "physics/ShapeRecord.h"

#include <ode/ode.h>

#include <algorithm>
#include <numeric>

namespace physics {

namespace {

Vec3 toVec3(const dReal* v) {
    return { v[0], v[1], v[2] };
}

// Where a solid is and how its own centre of mass moves, taken before its
// body is built anew.
struct Before {
    Pose pose;
    Vec3 centre;
    Vec3 velocity;
    Vec3 angular;
};

} // namespace

std::vector<Solid*> PhysicsWorld::groupOf(Solid& solid) const {
    Solid& root = solid.root();
    std::vector<Solid*> group { &root };
    group.insert(group.end(), root.m_members.begin(), root.m_members.end());
    return group;
}

void PhysicsWorld::rebuildBodies(std::vector<Solid*> solids) {
    std::sort(solids.begin(), solids.end(),
        [](const Solid* a, const Solid* b) { return a->m_serial < b->m_serial; });
    solids.erase(std::unique(solids.begin(), solids.end()), solids.end());
    const std::size_t n = solids.size();
    auto indexOf = [&solids](const Solid* solid) -> std::size_t {
        const auto it = std::lower_bound(solids.begin(), solids.end(), solid,
            [](const Solid* a, const Solid* b) { return a->m_serial < b->m_serial; });
        return it != solids.end() && *it == solid ? std::size_t(it - solids.begin()) : std::size_t(-1);
    };

    std::vector<Before> before(n);
    for (std::size_t i = 0; i < n; ++i) {
        const Solid& s = *solids[i];
        const dBodyID body = s.engineBody();
        const Vec3 w = toVec3(dBodyGetAngularVel(body));
        before[i].pose = s.pose();
        before[i].centre = s.ownCentreAt(before[i].pose);
        before[i].velocity
            = toVec3(dBodyGetLinearVel(body)) + w.cross(before[i].centre - toVec3(dBodyGetPosition(body)));
        before[i].angular = w;
    }
    std::vector<Joint*> rebound;
    for (const auto& joint : m_joints) {
        if (!joint->m_joint || joint->m_inert
            || (indexOf(joint->m_first) == std::size_t(-1) && indexOf(joint->m_second) == std::size_t(-1)))
            continue;
        joint->takeSnapshot();
        rebound.push_back(joint.get());
    }

    // The groups: solids joined by fixed joints, each led by its earliest
    // solid (a robot's control unit).
    std::vector<std::size_t> lead(n);
    std::iota(lead.begin(), lead.end(), std::size_t(0));
    auto find = [&lead](std::size_t i) {
        while (lead[i] != i)
            i = lead[i] = lead[lead[i]];
        return i;
    };
    for (const auto& joint : m_joints) {
        if (joint->m_inert || !dynamic_cast<const FixedJoint*>(joint.get()))
            continue;
        const std::size_t a = indexOf(joint->m_first);
        const std::size_t b = indexOf(joint->m_second);
        if (a == std::size_t(-1) || b == std::size_t(-1))
            continue;
        const std::size_t ra = find(a);
        const std::size_t rb = find(b);
        lead[std::max(ra, rb)] = std::min(ra, rb);
    }
    for (Solid* s : solids) {
        s->m_root = nullptr;
        s->m_members.clear();
        s->m_offset = Pose {};
    }
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t r = find(i);
        if (r == i)
            continue;
        Solid* member = solids[i];
        member->m_root = solids[r];
        member->m_offset = before[r].pose.inverse() * before[i].pose;
        solids[r]->m_members.push_back(member);
        // Its own body stands aside, out of the engine's steps, until it is
        // a body of its own again.
        dBodyDisable(member->m_body);
    }

    for (std::size_t i = 0; i < n; ++i) {
        if (find(i) != i)
            continue;
        Solid& root = *solids[i];
        const dBodyID body = root.m_body;
        dBodyEnable(body);
        dMass total;
        Vec3 centre;
        if (root.bodyMassCentred(total, centre)) {
            root.m_bodyCentre = centre;
            root.m_bodyMass = total.mass;
        } else {
            root.m_bodyCentre = root.m_centre;
            root.m_bodyMass = 0.0;
        }
        const Pose& pose = before[i].pose;
        const dQuaternion q { pose.orientation.w, pose.orientation.x, pose.orientation.y,
            pose.orientation.z };
        dBodySetQuaternion(body, q);
        const Vec3 at = pose.transformPoint(root.m_bodyCentre);
        dBodySetPosition(body, at.x, at.y, at.z);
        root.placeShapesOnBody();

        if (!root.bodyMovesFreely()) {
            dBodySetLinearVel(body, 0, 0, 0);
            dBodySetAngularVel(body, 0, 0, 0);
            dBodySetKinematic(body);
            continue;
        }
        if (dBodyIsKinematic(body))
            dBodySetDynamic(body);
        root.applyMassToBody();
        // The group's momentum is its solids' together; the body turns at
        // their mass-weighted turn (the one turn they all share when a group
        // comes apart).
        double mass = 0.0;
        Vec3 momentum, spin, moment;
        for (std::size_t j = 0; j < n; ++j) {
            if (find(j) != i)
                continue;
            const double m = solids[j]->m_mass > 0.0 ? solids[j]->m_mass : 0.0;
            mass += m;
            momentum += before[j].velocity * m;
            spin += before[j].angular * m;
            moment += before[j].centre * m;
        }
        Vec3 v = before[i].velocity;
        Vec3 w = before[i].angular;
        Vec3 c = before[i].centre;
        if (mass > 0.0) {
            v = momentum / mass;
            w = spin / mass;
            c = moment / mass;
        }
        // v is the velocity at c; the body's centre moves with the turn
        // about it.
        v += w.cross(at - c);
        dBodySetLinearVel(body, v.x, v.y, v.z);
        dBodySetAngularVel(body, w.x, w.y, w.z);
    }

    for (Joint* joint : rebound)
        joint->rebind();
    for (Solid* s : solids)
        s->updateCollideBits();
}

} // namespace physics
