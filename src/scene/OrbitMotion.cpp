#include "scene/OrbitMotion.h"

#include <algorithm>

namespace scene {

OrbitMotion::OrbitMotion(Mouse* mouse)
    : m_mouse(mouse) {
    if (mouse)
        mouse->AddListener(this);
}

OrbitMotion::~OrbitMotion() {
    osg::ref_ptr<Mouse> mouse;
    if (m_mouse.lock(mouse))
        mouse->RemoveListener(this);
}

void OrbitMotion::SetTarget(Transformable* target) {
    m_target = target;
}

Transformable* OrbitMotion::GetTarget() const {
    osg::ref_ptr<Transformable> target;
    return m_target.lock(target) ? target.get() : nullptr;
}

void OrbitMotion::SetDistance(float distance) {
    m_distance = std::max(distance, kMinDistance);
}

void OrbitMotion::Orbit(float dx, float dy) {
    osg::ref_ptr<Transformable> target;
    if (!m_enabled || !m_target.lock(target))
        return;
    Transform t;
    target->GetTransform(t);
    osg::Vec3 hpr = t.GetHpr();
    const osg::Matrixd oldRotation = t.GetRotationMatrix();
    hpr[0] -= dx * m_angularRate;
    hpr[1] = std::clamp(hpr[1] - dy * m_angularRate, -kMaxPitch, kMaxPitch);
    t.SetRotation(hpr);
    // The offset from the focal point turns with the target, as one body.
    const osg::Vec3d offset = osg::Vec3d(t.GetTranslation() - m_focalPoint);
    const osg::Vec3d local = offset * osg::Matrixd::inverse(oldRotation);
    t.SetTranslation(osg::Vec3d(m_focalPoint) + local * t.GetRotationMatrix());
    target->SetTransform(t);
}

void OrbitMotion::Pan(float dx, float dy) {
    osg::ref_ptr<Transformable> target;
    if (!m_enabled || !m_target.lock(target))
        return;
    Transform t;
    target->GetTransform(t);
    const osg::Matrixd r = t.GetRotationMatrix();
    const osg::Vec3d right = osg::Vec3d(1, 0, 0) * r;
    const osg::Vec3d up = osg::Vec3d(0, 0, 1) * r;
    const double scale = double(m_distance) * m_linearRate * 0.5;
    // The scene follows the pointer, so the target moves the other way.
    const osg::Vec3d move = (right * -dx + up * -dy) * scale;
    t.SetTranslation(osg::Vec3d(t.GetTranslation()) + move);
    m_focalPoint += move;
    target->SetTransform(t);
}

void OrbitMotion::Dolly(float amount) {
    osg::ref_ptr<Transformable> target;
    if (!m_enabled || !m_target.lock(target))
        return;
    const float newDistance = std::max(kMinDistance, m_distance - amount * m_distance * m_linearRate);
    const float change = newDistance - m_distance;
    Transform t;
    target->GetTransform(t);
    const osg::Vec3d forward = osg::Vec3d(0, 1, 0) * t.GetRotationMatrix();
    t.SetTranslation(osg::Vec3d(t.GetTranslation()) - forward * change);
    m_distance = newDistance;
    target->SetTransform(t);
}

void OrbitMotion::Zoom(float delta) {
    osg::ref_ptr<Transformable> target;
    if (!m_enabled || !m_target.lock(target))
        return;
    const float d = delta * 0.1f * m_linearRate;
    const float newDistance = std::max(kMinDistance, m_distance - d);
    const float move = m_distance - newDistance;
    Transform t;
    target->GetTransform(t);
    const osg::Vec3d forward = osg::Vec3d(0, 1, 0) * t.GetRotationMatrix();
    t.SetTranslation(osg::Vec3d(t.GetTranslation()) + forward * move);
    m_distance = newDistance;
    target->SetTransform(t);
}

void OrbitMotion::OnMouseButton(Mouse&, int, bool) { }

void OrbitMotion::OnMouseMoved(Mouse& mouse, float dx, float dy) {
    if (mouse.GetButtonState(Mouse::RightButton))
        Orbit(dx, dy);
    if (mouse.GetButtonState(Mouse::MiddleButton))
        Pan(dx, dy);
}

void OrbitMotion::OnMouseScrolled(Mouse&, int delta) {
    Dolly(float(delta) * m_wheelScale);
}

} // namespace scene
