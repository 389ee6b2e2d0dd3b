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
    const Quat q = toQuat(dBodyGetQuaternion(m_body));
    return { toVec3(dBodyGetPosition(m_body)) - q.rotate(m_centre), q };
}

Vec3 Solid::position() const {
    return pose().position;
}

Quat Solid::orientation() const {
    return toQuat(dBodyGetQuaternion(m_body));
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
    const Quat q = raw.normalized();
    dQuaternion dq;
    toOde(q, dq);
    dBodySetQuaternion(m_body, dq);
    const Vec3 body = target.position + q.rotate(m_centre);
    dBodySetPosition(m_body, body.x, body.y, body.z);
    return true;
}

bool Solid::setPosition(const Vec3& position) {
    return setPose({ position, orientation() });
}

bool Solid::setOrientation(const Quat& q) {
    return setPose({ position(), q });
}

Vec3 Solid::linearVelocity() const {
    return toVec3(dBodyGetLinearVel(m_body));
}

Vec3 Solid::angularVelocity() const {
    return toVec3(dBodyGetAngularVel(m_body));
}

bool Solid::setLinearVelocity(const Vec3& v) {
    checkThread("Solid::setLinearVelocity");
    if (!movesFreely() || !v.isFinite())
        return false;
    dBodySetLinearVel(m_body, v.x, v.y, v.z);
    return true;
}

bool Solid::setAngularVelocity(const Vec3& w) {
    checkThread("Solid::setAngularVelocity");
    if (!movesFreely() || !w.isFinite())
        return false;
    dBodySetAngularVel(m_body, w.x, w.y, w.z);
    return true;
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
    if (m_shapes.size() == 1 && !m_space) {
        m_space = dSimpleSpaceCreate(m_world.m_space);
        dSpaceSetCleanup(m_space, 0);
        dSpaceRemove(m_world.m_space, m_shapes[0]->geom);
        dSpaceAdd(m_space, m_shapes[0]->geom);
    }
    record->geom = createGeom(m_space ? m_space : m_world.m_space, *record);
    dGeomSetData(record->geom, record.get());
    dGeomSetBody(record->geom, m_body);
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
    dGeomSetOffsetQuaternion(record->geom, q);

    m_shapes.push_back(std::move(record));
    updateMass();
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
    return true;
}

bool Solid::setShapeContactGroup(std::size_t index, int group) {
    checkThread("Solid::setShapeContactGroup");
    if (index >= m_shapes.size() || !ContactGroupTable::isValidGroup(group))
        return false;
    m_shapes[index]->desc.contactGroup = group;
    return true;
}

void Solid::setCollisionHandler(CollisionHandler handler) {
    checkThread("Solid::setCollisionHandler");
    m_collisionHandler = std::move(handler);
}

namespace {

// The solid's mass moved to its centre, as the body needs it; false while
// there is no shape.
bool centredMass(const std::vector<std::unique_ptr<ShapeRecord>>& shapes, dMass& total, Vec3& centre) {
    dMassSetZero(&total);
    for (const auto& shape : shapes)
        dMassAdd(&total, &shape->mass);
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

void Solid::updateMass() {
    const Pose before = pose();
    const Vec3 oldCentre = m_centre;
    dMass total;
    Vec3 centre;
    if (!centredMass(m_shapes, total, centre))
        return;
    m_centre = centre;
    m_mass = total.mass;

    for (const auto& shape : m_shapes) {
        const Vec3 p = shape->desc.offset.position - m_centre;
        dGeomSetOffsetPosition(shape->geom, p.x, p.y, p.z);
    }
    // Keep the solid's origin where it was and every material point's
    // velocity unchanged: the body now sits at the new centre.
    const Vec3 w = angularVelocity();
    const Vec3 v = linearVelocity() + w.cross(before.orientation.rotate(m_centre - oldCentre));
    const Vec3 body = before.position + before.orientation.rotate(m_centre);
    dBodySetPosition(m_body, body.x, body.y, body.z);
    if (movesFreely())
        dBodySetLinearVel(m_body, v.x, v.y, v.z);
    applyMassToBody();
}

void Solid::applyMassToBody() {
    // A kinematic body keeps infinite mass; setting a mass would make it
    // dynamic again.
    dMass total;
    Vec3 centre;
    if (movesFreely() && centredMass(m_shapes, total, centre))
        dBodySetMass(m_body, &total);
}

void Solid::applyMotionMode() {
    // Static and disabled solids are kinematic bodies at rest: nothing moves
    // them, yet they can be placed, and joints and contacts treat them as
    // fixed ground. (The engine's own disabling is not used: a joint to an
    // enabled body would wake the body again.)
    if (movesFreely()) {
        if (dBodyIsKinematic(m_body)) {
            dBodySetDynamic(m_body);
            applyMassToBody();
        }
    } else {
        dBodySetLinearVel(m_body, 0, 0, 0);
        dBodySetAngularVel(m_body, 0, 0, 0);
        dBodySetKinematic(m_body);
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
        dBodySetLinearVel(m_body, m_parkedLinear.x, m_parkedLinear.y, m_parkedLinear.z);
        dBodySetAngularVel(m_body, m_parkedAngular.x, m_parkedAngular.y, m_parkedAngular.z);
    } else if (!enabled) {
        m_parkedLinear = linear;
        m_parkedAngular = angular;
    }
}

} // namespace physics
