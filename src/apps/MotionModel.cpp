#include "apps/MotionModel.h"

#include "scene/Transform.h"

#include <algorithm>

MotionModel::MotionModel(scene::Keyboard*, scene::Mouse* mouse)
    : OrbitMotion(mouse) {
    SetWheelScale(0.05f);
}

MotionModel::~MotionModel() = default;

void MotionModel::Zoom(float delta) {
    scene::Transformable* target = GetTarget();
    if (!target)
        return;
    const float wanted = delta * 0.1f * GetLinearRate();
    const float distance = GetDistance();
    const float newDistance = std::max(kMinDistance, distance - wanted);
    const float nearer = distance - newDistance;
    if (nearer == 0.0f)
        return;
    scene::Transform t;
    target->GetTransform(t);
    const osg::Vec3d forward = osg::Vec3d(0.0, 1.0, 0.0) * t.GetRotationMatrix();
    t.SetTranslation(osg::Vec3d(t.GetTranslation()) + forward * double(nearer));
    SetDistance(newDistance);
    target->SetTransform(t);
}
