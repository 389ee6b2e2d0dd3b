#include "elements/PlaygroundRules.h"

#include "elements/CModel.h"
#include "physics/ShapeDesc.h"
#include "scene/MathBridge.h"

namespace elements {

namespace {

constexpr float kNearDistance = 50.0f;

} // namespace

bool IsNear(const osg::BoundingBox& a, const osg::BoundingBox& b) {
    return (a.center() - b.center()).length() < kNearDistance;
}

bool Touches(const osg::BoundingBox& a, const osg::BoundingBox& b) {
    for (int axis = 0; axis < 3; ++axis) {
        if (a._min[axis] > b._max[axis] || b._min[axis] > a._max[axis])
            return false;
    }
    return true;
}

bool RobotBounds(const PlaygroundRobot& robot, osg::BoundingBox& box) {
    return robot.GetBodyBounds(box) && box.valid();
}

osg::BoundingBox ObjectBounds(const CModel& object) {
    return object.scene::SceneObject::GetBoundingBox();
}

bool OwnBoundsBox(const CModel& part, physics::ShapeDesc& box, bool centred) {
    osg::Vec3f min, max;
    if (!part.GetOwnFrameBounds(min, max))
        return false;
    box = physics::ShapeDesc::box(scene::ToPhysics(osg::Vec3d(max - min)));
    if (centred)
        box.offset.translate(scene::ToPhysics(osg::Vec3d((min + max) / 2.0f)));
    return true;
}

} // namespace elements

bool PlaygroundRobot::GetBodyBounds(osg::BoundingBox& box) const {
    const CModel* rcu = GetRcu();
    if (!rcu)
        return false;
    box = rcu->scene::SceneObject::GetBoundingBox();
    return true;
}
