// The physics solid of a part.

#include "elements/CModel.h"

#include "elements/Geometry.h"
#include "physics/PhysicsWorld.h"
#include "physics/ShapeDesc.h"
#include "physics/Solid.h"
#include "scene/MathBridge.h"

#include <cmath>

using scene::ToOsg;
using scene::ToPhysics;

namespace {

// The default box material of a part: hard, no friction, no bounce.
const physics::Material kPartMaterial(1.0, 0.0, 0.0);

// Below this height a playground object has fallen off the ground: a
// candle or loaded model is put back, and every one stops falling.
constexpr double kLostDepth = -1000.0;

bool IsRobotPart(int type) {
    return type == ModelTypeRcu || type == ModelTypeBrick || type == ModelTypeWheel || type == ModelTypeMotor
        || type == ModelTypeSensor || type == ModelTypeColoredLight;
}

// The turn that takes `from` onto `to`; none for a zero vector.
osg::Quat TurnBetween(const osg::Vec3d& from, const osg::Vec3d& to) {
    osg::Quat q;
    if (from.length2() > 0.0 && to.length2() > 0.0)
        q.makeRotate(from, to);
    return q;
}

} // namespace

physics::Solid* CModel::BeginSolid(physics::PhysicsWorld* world, int contactGroup) {
    if (!world)
        return nullptr;
    DestroySolid();
    m_pSimulator = world;
    m_nContactGroup = contactGroup;
    m_pSolid = world->createSolid();
    return m_pSolid.get();
}

void CModel::DestroySolid() {
    m_pSolid.destroy();
}

void CModel::CreateSolid(physics::PhysicsWorld* world, int contactGroup) {
    physics::Solid* solid = BeginSolid(world, contactGroup);
    if (!solid)
        return;
    std::vector<physics::ShapeDesc> shapes;
    if (!GetBoxShape(shapes, GetTransform(scene::CoordSys::Absolute))) {
        // Without description boxes: one box round the model, measured in the
        // part's own frame so that the part's present pose does not matter.
        osg::Vec3f min, max;
        if (!GetOwnFrameBounds(min, max))
            return;
        physics::ShapeDesc box = physics::ShapeDesc::box(ToPhysics(osg::Vec3d(max - min)));
        box.offset.translate(ToPhysics(osg::Vec3d((min + max) / 2.0f)));
        shapes.push_back(box);
    }
    for (physics::ShapeDesc& shape : shapes) {
        shape.material = kPartMaterial;
        shape.contactGroup = contactGroup;
        solid->addShape(shape);
    }
}

bool CModel::GetBoxShape(std::vector<physics::ShapeDesc>& shapes, const scene::Transform& transform) {
    if (!ReadBoxes())
        return false;
    // The boxes sit in the frame of `transform`; relative to the node's own
    // frame they are turned by q and moved by the difference of the two.
    const scene::Transform node = GetTransform(scene::CoordSys::Absolute);
    const osg::Quat q = transform.GetQuat().inverse() * node.GetQuat();
    const osg::Vec3d moved = q * osg::Vec3d(transform.GetTranslation() - node.GetTranslation());
    for (const SBoxDesc& box : GetDesc().m_vecBoxes) {
        const osg::Vec3d p0 = q * osg::Vec3d(box.m_vecAxes[0]);
        const osg::Vec3d p2 = q * osg::Vec3d(box.m_vecAxes[2]);
        physics::ShapeDesc shape = physics::ShapeDesc::box(physics::Vec3(2.0 * Length3D(box.m_vecAxes[0]),
            2.0 * Length3D(box.m_vecAxes[1]), 2.0 * Length3D(box.m_vecAxes[2])));
        shape.offset.translate(ToPhysics(q * (osg::Vec3d(box.m_vCenter) + moved)));
        // The box's own axes: x along p0, then z along p2.
        const osg::Quat toP0 = TurnBetween(osg::Vec3d(1, 0, 0), p0);
        const osg::Quat toP2 = TurnBetween(toP0 * osg::Vec3d(0, 0, 1), p2);
        const osg::Quat r = toP0 * toP2;
        double angle = 0.0;
        osg::Vec3d axis(1, 0, 0);
        r.getRotate(angle, axis);
        if (angle != 0.0)
            shape.offset.rotate(osg::RadiansToDegrees(angle), ToPhysics(axis));
        shapes.push_back(shape);
    }
    return true;
}

void CModel::PushPoseToSolid() {
    physics::Solid* solid = m_pSolid.get();
    if (!solid)
        return;
    const scene::Transform t = GetTransform(scene::CoordSys::Absolute);
    solid->setPosition(ToPhysics(osg::Vec3d(t.GetTranslation())));
    solid->setOrientation(ToPhysics(t.GetQuat()));
}

void CModel::UpdateFromSolid() {
    physics::Solid* solid = m_pSolid.get();
    if (!solid)
        return;
    const physics::Vec3 p = solid->position();
    if (p.z < kLostDepth && !IsRobotPart(GetType())) {
        // Nothing below the ground catches an object knocked off it: it would
        // fall faster and faster until the physics engine could no longer
        // place it. (A robot's parts stop with their robot, once it is out of
        // the run.)
        solid->setEnabled(false);
        if (GetType() == ModelTypeCandle || GetType() == ModelTypeGeo) {
            PushPoseToSolid();
            return;
        }
    }
    scene::Transform t;
    t.SetTranslation(osg::Vec3f(float(p.x), float(p.y), float(p.z)));
    t.SetRotation(ToOsg(solid->orientation()));
    SetTransform(t, scene::CoordSys::Absolute);
}
