// Solids held together by fixed joints, as one engine body each group.

#include "physics/FixedJoint.h"
#include "physics/PhysicsWorld.h"
#include "physics/ShapeRecord.h"

#include <ode/ode.h>

#include <algorithm>
#include <array>
#include <cmath>
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

// A 3 x 3 matrix, row by row.
using Matrix3 = std::array<double, 9>;

Vec3 Times(const Matrix3& m, const Vec3& v) {
    return { m[0] * v.x + m[1] * v.y + m[2] * v.z, m[3] * v.x + m[4] * v.y + m[5] * v.z,
        m[6] * v.x + m[7] * v.y + m[8] * v.z };
}

// x with m x = b, for an inertia (symmetric); false when it is singular.
bool Solve(const Matrix3& m, const Vec3& b, Vec3& x) {
    const double c0 = m[4] * m[8] - m[5] * m[7];
    const double c1 = m[5] * m[6] - m[3] * m[8];
    const double c2 = m[3] * m[7] - m[4] * m[6];
    const double det = m[0] * c0 + m[1] * c1 + m[2] * c2;
    if (!(std::abs(det) > 0.0) || !std::isfinite(det))
        return false;
    // Cramer's rule, the columns replaced by b in turn.
    x.x = (b.x * c0 + m[1] * (m[5] * b.z - b.y * m[8]) + m[2] * (b.y * m[7] - m[4] * b.z)) / det;
    x.y = (m[0] * (b.y * m[8] - m[5] * b.z) + b.x * c1 + m[2] * (m[3] * b.z - b.y * m[6])) / det;
    x.z = (m[0] * (m[4] * b.z - b.y * m[7]) + m[1] * (b.y * m[6] - m[3] * b.z) + b.x * c2) / det;
    return x.isFinite();
}

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
        // The group keeps its solids' momentum and angular momentum: its
        // centre moves at their mass-weighted velocity, and it turns at
        //   w = I^-1 (sum I_j w_j + sum m_j (c_j - c) x (v_j - v)),
        // I the group's inertia about its centre c, I_j each solid's own
        // about its own centre c_j. Solids that already turned as one keep
        // that turn (and each point its velocity) whether they are joined or
        // come apart.
        double mass = 0.0;
        Vec3 momentum, moment;
        for (std::size_t j = 0; j < n; ++j) {
            if (find(j) != i)
                continue;
            const double m = solids[j]->m_mass > 0.0 ? solids[j]->m_mass : 0.0;
            mass += m;
            momentum += before[j].velocity * m;
            moment += before[j].centre * m;
        }
        Vec3 v = before[i].velocity;
        Vec3 w = before[i].angular;
        Vec3 c = before[i].centre;
        if (mass > 0.0) {
            v = momentum / mass;
            c = moment / mass;
            Vec3 spin;
            for (std::size_t j = 0; j < n; ++j) {
                const double m = solids[j]->m_mass;
                if (find(j) != i || !(m > 0.0))
                    continue;
                spin += Times(solids[j]->ownInertiaTurned(before[j].pose.orientation), before[j].angular);
                spin += (before[j].centre - c).cross(before[j].velocity - v) * m;
            }
            dMass group;
            dBodyGetMass(body, &group);
            const dReal* r = dBodyGetRotation(body);
            // The body's inertia turned into world axes: R I R^T.
            Matrix3 inertia {};
            for (int a = 0; a < 3; ++a)
                for (int b = 0; b < 3; ++b)
                    for (int k = 0; k < 3; ++k)
                        for (int l = 0; l < 3; ++l)
                            inertia[3 * a + b] += r[4 * a + k] * group.I[4 * k + l] * r[4 * b + l];
            if (!Solve(inertia, spin, w))
                w = before[i].angular;
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
