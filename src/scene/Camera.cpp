#include "scene/Camera.h"

#include <osg/Viewport>

namespace scene {

namespace {

// OSG's eye space looks along -Z with +Y up; ours looks along +Y with +Z up.
const osg::Matrixd kEyeFromCamera = osg::Matrixd::rotate(-osg::PI_2, osg::Vec3d(1, 0, 0));

} // namespace

Camera::Camera(osg::Camera* camera)
    : m_camera(camera ? camera : new osg::Camera) {
    SetPerspective(45.0, 4.0 / 3.0, 1.0, 100000.0);
    m_camera->setViewMatrix(ViewMatrixFor(m_transform));
}

void Camera::SetClearColor(const osg::Vec4& colour) {
    m_camera->setClearColor(colour);
}

osg::Vec4 Camera::GetClearColor() const {
    return m_camera->getClearColor();
}

void Camera::SetPerspective(double fovy, double aspectRatio, double zNear, double zFar) {
    m_camera->setProjectionMatrixAsPerspective(fovy, aspectRatio, zNear, zFar);
}

void Camera::GetTransform(Transform& transform, CoordSys) const {
    transform = m_transform;
}

void Camera::SetTransform(const Transform& transform, CoordSys) {
    m_transform = transform;
    m_camera->setViewMatrix(ViewMatrixFor(m_transform));
}

osg::Matrixd Camera::ViewMatrixFor(const Transform& transform) {
    return osg::Matrixd::inverse(transform.GetMatrix()) * kEyeFromCamera;
}

osg::Vec3 Camera::GetPosition() const {
    return m_transform.GetTranslation();
}

osg::Vec3 Camera::GetForward() const {
    return osg::Vec3d(0, 1, 0) * m_transform.GetRotationMatrix();
}

osg::Vec3 Camera::GetUp() const {
    return osg::Vec3d(0, 0, 1) * m_transform.GetRotationMatrix();
}

osg::Vec3 Camera::GetRight() const {
    return osg::Vec3d(1, 0, 0) * m_transform.GetRotationMatrix();
}

void Camera::SetViewport(int x, int y, int width, int height) {
    m_camera->setViewport(x, y, width, height);
}

int Camera::GetViewportWidth() const {
    const osg::Viewport* vp = m_camera->getViewport();
    return vp ? int(vp->width()) : 0;
}

int Camera::GetViewportHeight() const {
    const osg::Viewport* vp = m_camera->getViewport();
    return vp ? int(vp->height()) : 0;
}

osg::Matrixd Camera::GetWindowMatrix() const {
    osg::Matrixd m = m_camera->getViewMatrix() * m_camera->getProjectionMatrix();
    if (const osg::Viewport* vp = m_camera->getViewport())
        m.postMult(vp->computeWindowMatrix());
    return m;
}

osg::Vec2 Camera::CalcPixelCoords(float x, float y) const {
    return osg::Vec2(
        (x + 1.0f) * 0.5f * float(GetViewportWidth()), (y + 1.0f) * 0.5f * float(GetViewportHeight()));
}

} // namespace scene
