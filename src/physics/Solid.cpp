#include "physics/Solid.h"

#include "physics/ContactGroupTable.h"
#include "physics/OdeRuntime.h"
#include "physics/PhysicsWorld.h"
#include "physics/ShapeRecord.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace physics {

namespace {

static_assert(sizeof(Vec3) == 3 * sizeof(double), "mesh vertices are handed to ODE as packed doubles");

Vec3 toVec3(const dReal* v) {
    return { v[0], v[1], v[2] };
}

Quat toQuat(const dReal* q) {
    return { q[0], q[1], q[2], q[3] };
}

void toOde(const Quat& q, dQuaternion out) {
    out[0] = q.w;
    out[1] = q.x;
    out[2] = q.y;
    out[3] = q.z;
}

dGeomID createGeom(dSpaceID space, ShapeRecord& record) {
    struct Maker {
        dSpaceID space;
        ShapeRecord& record;
        dGeomID operator()(const BoxShape& b) const {
            return dCreateBox(space, b.dimensions.x, b.dimensions.y, b.dimensions.z);
        }
        dGeomID operator()(const SphereShape& s) const { return dCreateSphere(space, s.radius); }
        dGeomID operator()(const CapsuleShape& c) const { return dCreateCapsule(space, c.radius, c.length); }
        dGeomID operator()(const CylinderShape& c) const {
            return dCreateCylinder(space, c.radius, c.length);
        }
        dGeomID operator()(const MeshShape& m) const {
            record.indices.clear();
            record.indices.reserve(m.triangles.size() * 3);
            for (const auto& t : m.triangles)
                for (int i : t)
                    record.indices.push_back(static_cast<dTriIndex>(i));
            record.meshData = dGeomTriMeshDataCreate();
            dGeomTriMeshDataBuildDouble(record.meshData, m.vertices.data(), sizeof(Vec3),
                static_cast<int>(m.vertices.size()), record.indices.data(),
                static_cast<int>(record.indices.size()), 3 * sizeof(dTriIndex));
            return dCreateTriMesh(space, record.meshData, nullptr, nullptr, nullptr);
        }
    };
    return std::visit(Maker { space, record }, record.desc.geometry);
}

// The shape's mass about its own origin, in its own axes.
dMass shapeMass(const ShapeDesc& desc) {
    struct Calc {
        double density;
        dMass operator()(const BoxShape& b) const {
            dMass m;
            dMassSetBox(&m, density, b.dimensions.x, b.dimensions.y, b.dimensions.z);
            return m;
        }
        dMass operator()(const SphereShape& s) const {
            dMass m;
            dMassSetSphere(&m, density, s.radius);
            return m;
        }
        dMass operator()(const CapsuleShape& c) const {
            dMass m;
            dMassSetCapsule(&m, density, 3, c.radius, c.length);
            return m;
        }
        dMass operator()(const CylinderShape& c) const {
            dMass m;
            dMassSetCylinder(&m, density, 3, c.radius, c.length);
            return m;
        }
        dMass operator()(const MeshShape& mesh) const {
            // The bounding box stands in for the mesh: open meshes (a slope's
            // visible faces) have no volume of their own.
            Vec3 lo { std::numeric_limits<double>::max(), std::numeric_limits<double>::max(),
                std::numeric_limits<double>::max() };
            Vec3 hi = -lo;
            for (const auto& t : mesh.triangles)
                for (int i : t) {
                    const Vec3& v = mesh.vertices[i];
                    lo = { std::min(lo.x, v.x), std::min(lo.y, v.y), std::min(lo.z, v.z) };
                    hi = { std::max(hi.x, v.x), std::max(hi.y, v.y), std::max(hi.z, v.z) };
                }
            auto edge = [](double a, double b) {
                return std::clamp(b - a, ShapeDesc::kMinSize, ShapeDesc::kMaxSize);
            };
            dMass m;
            dMassSetBox(&m, density, edge(lo.x, hi.x), edge(lo.y, hi.y), edge(lo.z, hi.z));
            const Vec3 c = (lo + hi) * 0.5;
            dMassTranslate(&m, c.x, c.y, c.z);
            return m;
        }
    };
    return std::visit(Calc { desc.material.density }, desc.geometry);
}

} // namespace

Solid::Solid(PhysicsWorld& world, std::uint64_t serial)
    : m_world(world)
    , m_serial(serial) {
    EnsureOdeForThisThread();
    // The body keeps the engine's own default mass until the first shape.
    m_body = dBodyCreate(world.m_world);
}

Solid::~Solid() {
    EnsureOdeForThisThread();
    for (auto& shape : m_shapes) {
        dGeomDestroy(shape->geom);
        if (shape->meshData)
            dGeomTriMeshDataDestroy(shape->meshData);
    }
    if (m_space)
        dSpaceDestroy(m_space);
    dBodyDestroy(m_body);
}

Pose Solid::pose() const {
    const Solid& r = root();
    const Quat q = toQuat(dBodyGetQuaternion(r.m_body));
    const Pose rootPose { toVec3(dBodyGetPosition(r.m_body)) - q.rotate(r.m_bodyCentre), q };
    return m_root ? rootPose * m_offset : rootPose;
}

Vec3 Solid::position() const {
    return pose().position;
}

Quat Solid::orientation() const {
    return m_root ? pose().orientation : toQuat(dBodyGetQuaternion(m_body));
}

bool Solid::checkThread(const char* what) const {
    return m_world.checkThread(what);
}

bool Solid::setPose(const Pose& target) {
    checkThread("Solid::setPose");
    if (!target.isFinite())
        return false;
    const Quat& raw = target.orientation;
    if (!(raw.w * raw.w + raw.x * raw.x + raw.y * raw.y + raw.z * raw.z > 1e-24))
        return false;
    // A solid of a group places the group: the root goes where it must be
    // for this solid to land on the target.
    const Pose own { target.position, raw.normalized() };
    if (m_root && withinRounding(pose(), own))
        return true;
    const Pose placed = m_root ? own * m_offset.inverse() : own;
    Solid& r = root();
    dQuaternion dq;
    toOde(placed.orientation, dq);
    dBodySetQuaternion(r.m_body, dq);
    const Vec3 body = placed.position + placed.orientation.rotate(r.m_bodyCentre);
    dBodySetPosition(r.m_body, body.x, body.y, body.z);
    return true;
}

bool Solid::setPosition(const Vec3& position) {
    return setPose({ position, orientation() });
}

bool Solid::setOrientation(const Quat& q) {
    return setPose({ position(), q });
}

bool Solid::withinRounding(const Pose& now, const Pose& target) {
    // Single precision keeps about seven digits: poses read back from a scene
    // graph differ from the solid's by a few units of the seventh. Anything
    // more is a real move.
    const double reach
        = std::max({ 1.0, std::abs(now.position.x), std::abs(now.position.y), std::abs(now.position.z) });
    const Vec3 d = target.position - now.position;
    if (std::max({ std::abs(d.x), std::abs(d.y), std::abs(d.z) }) > 1e-5 * reach)
        return false;
    // The turn between the two, by the size of its quaternion's vector part
    // (half the angle's sine): within 1e-5 radians.
    const Quat turn = now.orientation.conjugate() * target.orientation;
    return turn.x * turn.x + turn.y * turn.y + turn.z * turn.z <= 0.25e-10;
}

Vec3 Solid::linearVelocity() const {
    const dBodyID body = engineBody();
    const Vec3 v = toVec3(dBodyGetLinearVel(body));
    if (!m_root && m_members.empty())
        return v;
    // The body sits at the group's centre of mass; this solid's own centre
    // moves with the body's turn about it.
    const Vec3 arm = ownCentreAt(pose()) - toVec3(dBodyGetPosition(body));
    return v + toVec3(dBodyGetAngularVel(body)).cross(arm);
}

Vec3 Solid::angularVelocity() const {
    return toVec3(dBodyGetAngularVel(engineBody()));
}

bool Solid::setLinearVelocity(const Vec3& v) {
    checkThread("Solid::setLinearVelocity");
    if (!movesFreely() || !v.isFinite())
        return false;
    // Held by a static or disabled solid of its group, it stays as it is
    // held, as a joint would hold it.
    if (bodyMovesFreely())
        setBodyMotion(v, angularVelocity());
    return true;
}

bool Solid::setAngularVelocity(const Vec3& w) {
    checkThread("Solid::setAngularVelocity");
    if (!movesFreely() || !w.isFinite())
        return false;
    if (bodyMovesFreely())
        setBodyMotion(linearVelocity(), w);
    return true;
}

void Solid::setBodyMotion(const Vec3& linear, const Vec3& angular) {
    const dBodyID body = engineBody();
    Vec3 v = linear;
    if (m_root || !m_members.empty())
        v = linear - angular.cross(ownCentreAt(pose()) - toVec3(dBodyGetPosition(body)));
    dBodySetLinearVel(body, v.x, v.y, v.z);
    dBodySetAngularVel(body, angular.x, angular.y, angular.z);
}

double Solid::bodyMass() const {
    return root().m_bodyMass;
}

Vec3 Solid::bodyCentre() const {
    return toVec3(dBodyGetPosition(engineBody()));
}

bool Solid::sharesBodyWith(const Solid* other) const {
    return other && &root() == &other->root();
}

bool Solid::bodyMovesFreely() const {
    const Solid& r = root();
    return r.movesFreely() && std::all_of(r.m_members.begin(), r.m_members.end(), [](const Solid* s) {
        return s->movesFreely();
    });
}

bool Solid::addShape(const ShapeDesc& shape) {
    checkThread("Solid::addShape");
    std::optional<ShapeDesc> clean = shape.sanitized();
    if (!clean)
        return false;
    if (const auto* mesh = std::get_if<MeshShape>(&clean->geometry);
        mesh && mesh->vertices.size() > std::numeric_limits<dTriIndex>::max())
        return false;
    EnsureOdeForThisThread();
    auto record = std::make_unique<ShapeRecord>();
    record->solid = this;
    record->desc = std::move(*clean);
    record->surface = ContactSurface::fromMaterials(record->desc.material, record->desc.material);
    if (m_shapes.size() == 1 && !m_space) {
        m_space = dSimpleSpaceCreate(m_world.m_space);
        dSpaceSetCleanup(m_space, 0);
        dSpaceRemove(m_world.m_space, m_shapes[0]->geom);
        dSpaceAdd(m_space, m_shapes[0]->geom);
    }
    record->geom = createGeom(m_space ? m_space : m_world.m_space, *record);
    dGeomSetData(record->geom, record.get());
    dGeomSetBody(record->geom, engineBody());
    if (!m_enabled)
        dGeomDisable(record->geom);

    const Pose& offset = record->desc.offset;
    record->mass = shapeMass(record->desc);
    dMatrix3 r;
    dQuaternion q;
    toOde(offset.orientation, q);
    dQtoR(q, r);
    dMassRotate(&record->mass, r);
    dMassTranslate(&record->mass, offset.position.x, offset.position.y, offset.position.z);

    m_shapes.push_back(std::move(record));
    updateOwnMass();
    // The body's centre of mass moves: the body is placed again, its shapes
    // with it, keeping every solid where it is and every point's velocity.
    m_world.rebuildBodies(m_world.groupOf(*this));
    return true;
}

const ShapeDesc* Solid::shape(std::size_t index) const {
    return index < m_shapes.size() ? &m_shapes[index]->desc : nullptr;
}

int Solid::firstShapeContactGroup() const {
    return shapeContactGroup(0);
}

int Solid::shapeContactGroup(std::size_t index) const {
    return index < m_shapes.size() ? m_shapes[index]->desc.contactGroup : -1;
}

bool Solid::setContactGroup(int group) {
    checkThread("Solid::setContactGroup");
    if (!ContactGroupTable::isValidGroup(group))
        return false;
    for (auto& shape : m_shapes)
        shape->desc.contactGroup = group;
    updateCollideBits();
    return true;
}

bool Solid::setShapeContactGroup(std::size_t index, int group) {
    checkThread("Solid::setShapeContactGroup");
    if (index >= m_shapes.size() || !ContactGroupTable::isValidGroup(group))
        return false;
    m_shapes[index]->desc.contactGroup = group;
    updateCollideBits();
    return true;
}

void Solid::setCollisionHandler(CollisionHandler handler) {
    checkThread("Solid::setCollisionHandler");
    m_collisionHandler = std::move(handler);
}

namespace {

// A mass moved to its centre, as the engine needs it, kept finite and
// invertible; false for no mass at all.
bool centre(dMass& total, Vec3& centre) {
    if (!(total.mass > 0.0) || !std::isfinite(total.mass))
        return false;
    centre = { total.c[0], total.c[1], total.c[2] };
    dMassTranslate(&total, -centre.x, -centre.y, -centre.z);
    if (total.mass < Solid::kMinMass)
        dMassAdjust(&total, Solid::kMinMass);
    if (!dMassCheck(&total)) {
        // Extremely thin shapes can leave the inertia numerically singular:
        // a ball of the same mass always steps.
        const double m = total.mass;
        dMassSetSphereTotal(&total, m, ShapeDesc::kMinSize);
    }
    return true;
}

} // namespace

void Solid::updateOwnMass() {
    dMass total;
    dMassSetZero(&total);
    for (const auto& shape : m_shapes)
        dMassAdd(&total, &shape->mass);
    Vec3 c;
    if (!centre(total, c))
        return;
    m_centre = c;
    m_mass = total.mass;
}

bool Solid::bodyMassCentred(dMass& total, Vec3& centreOut) const {
    dMassSetZero(&total);
    for (const auto& shape : m_shapes)
        dMassAdd(&total, &shape->mass);
    // Every other solid's shapes, turned and moved from its frame into the
    // root's.
    for (const Solid* member : m_members) {
        dMatrix3 r;
        dQuaternion q;
        toOde(member->m_offset.orientation, q);
        dQtoR(q, r);
        const Vec3& at = member->m_offset.position;
        for (const auto& shape : member->m_shapes) {
            dMass part = shape->mass;
            dMassRotate(&part, r);
            dMassTranslate(&part, at.x, at.y, at.z);
            dMassAdd(&total, &part);
        }
    }
    return centre(total, centreOut);
}

std::array<double, 9> Solid::ownInertiaTurned(const Quat& orientation) const {
    dMass total;
    dMassSetZero(&total);
    for (const auto& shape : m_shapes)
        dMassAdd(&total, &shape->mass);
    dMassTranslate(&total, -m_centre.x, -m_centre.y, -m_centre.z);
    dMatrix3 r;
    dQuaternion q;
    toOde(orientation, q);
    dQtoR(q, r);
    dMassRotate(&total, r);
    return { total.I[0], total.I[1], total.I[2], total.I[4], total.I[5], total.I[6], total.I[8], total.I[9],
        total.I[10] };
}

void Solid::placeShapesOnBody() {
    auto place = [this](const Solid& solid) {
        for (const auto& shape : solid.m_shapes) {
            if (const dBodyID carrier = dGeomGetBody(shape->geom); carrier != m_body) {
                // Straight from one body to another the engine would lose
                // the geom's own placement record: let go first.
                if (carrier)
                    dGeomSetBody(shape->geom, nullptr);
                dGeomSetBody(shape->geom, m_body);
            }
            const Pose at = solid.inRoot(shape->desc.offset);
            const Vec3 p = at.position - m_bodyCentre;
            dQuaternion q;
            toOde(at.orientation, q);
            dGeomSetOffsetPosition(shape->geom, p.x, p.y, p.z);
            dGeomSetOffsetQuaternion(shape->geom, q);
        }
    };
    place(*this);
    for (const Solid* member : m_members)
        place(*member);
}

void Solid::applyMassToBody() {
    // A kinematic body keeps infinite mass; setting a mass would make it
    // dynamic again.
    dMass total;
    Vec3 c;
    if (bodyMovesFreely() && bodyMassCentred(total, c))
        dBodySetMass(m_body, &total);
}

void Solid::applyMotionMode() {
    // Static and disabled solids are kinematic bodies at rest: nothing moves
    // them, yet they can be placed, and joints and contacts treat them as
    // fixed ground. (The engine's own disabling is not used: a joint to an
    // enabled body would wake the body again.) A group's body is held while
    // any of its solids is.
    Solid& r = root();
    if (r.bodyMovesFreely()) {
        if (dBodyIsKinematic(r.m_body)) {
            dBodySetDynamic(r.m_body);
            r.applyMassToBody();
        }
    } else {
        dBodySetLinearVel(r.m_body, 0, 0, 0);
        dBodySetAngularVel(r.m_body, 0, 0, 0);
        dBodySetKinematic(r.m_body);
    }
    r.updateCollideBits();
    for (Solid* member : r.m_members)
        member->updateCollideBits();
}

void Solid::updateCollideBits() {
    // A pair of shapes reaches the world's contact test only when one's
    // category is among the other's collide bits. A shape's category is its
    // contact group, its collide bits the groups that group meets, and none
    // while its body is held, since two held bodies never meet: the pairs the
    // test would refuse for their groups or for being held (robots against
    // robots, a robot's wheels against its own parts, static against static)
    // are passed over inside the spaces. A solid's own space stands for all
    // its shapes.
    const bool held = dBodyIsKinematic(engineBody());
    const ContactGroupTable& groups = m_world.m_groups;
    unsigned long categories = 0;
    unsigned long collides = 0;
    for (const auto& shape : m_shapes) {
        const int group = shape->desc.contactGroup;
        const unsigned long category = ContactGroupTable::isValidGroup(group) ? 1ul << group : 0ul;
        const unsigned long collide = held ? 0ul : groups.contactsOf(group);
        dGeomSetCategoryBits(shape->geom, category);
        dGeomSetCollideBits(shape->geom, collide);
        categories |= category;
        collides |= collide;
    }
    if (m_space) {
        dGeomSetCategoryBits(reinterpret_cast<dGeomID>(m_space), categories);
        dGeomSetCollideBits(reinterpret_cast<dGeomID>(m_space), collides);
    }
}

void Solid::setStatic(bool isStatic) {
    checkThread("Solid::setStatic");
    if (isStatic == m_static)
        return;
    m_static = isStatic;
    applyMotionMode();
}

void Solid::setEnabled(bool enabled) {
    checkThread("Solid::setEnabled");
    if (enabled == m_enabled)
        return;
    const Vec3 linear = linearVelocity();
    const Vec3 angular = angularVelocity();
    m_enabled = enabled;
    for (auto& shape : m_shapes) {
        if (enabled)
            dGeomEnable(shape->geom);
        else
            dGeomDisable(shape->geom);
    }
    applyMotionMode();
    // A solid switched off and on again goes on as it was going.
    if (enabled && !m_static) {
        if (bodyMovesFreely())
            setBodyMotion(m_parkedLinear, m_parkedAngular);
    } else if (!enabled) {
        m_parkedLinear = linear;
        m_parkedAngular = angular;
    }
}

} // namespace physics
