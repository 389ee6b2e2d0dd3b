#include "scene/Transform.h"

#include <algorithm>
#include <cmath>

namespace scene {

namespace {

// Below this cosine of the pitch the view is taken as vertical.
constexpr double kGimbalCos = 1e-6;

double NormaliseDegrees(double angle) {
    // (-180, 180], and never -0.
    while (angle > 180.0)
        angle -= 360.0;
    while (angle <= -180.0)
        angle += 360.0;
    return angle == 0.0 ? 0.0 : angle;
}

osg::Matrixd RotationOnly(const osg::Matrixd& m) {
    osg::Vec3d t;
    osg::Quat r;
    osg::Vec3d s;
    osg::Quat so;
    m.decompose(t, r, s, so);
    return osg::Matrixd::rotate(r);
}

} // namespace

osg::Matrixd HprToMatrix(const osg::Vec3& hpr) {
    const osg::Matrixd heading
        = osg::Matrixd::rotate(osg::DegreesToRadians(double(hpr[0])), osg::Vec3d(0, 0, 1));
    const osg::Matrixd pitch
        = osg::Matrixd::rotate(osg::DegreesToRadians(double(hpr[1])), osg::Vec3d(1, 0, 0));
    const osg::Matrixd roll
        = osg::Matrixd::rotate(osg::DegreesToRadians(double(hpr[2])), osg::Vec3d(0, 1, 0));
    return roll * pitch * heading;
}

osg::Vec3 MatrixToHpr(const osg::Matrixd& rotation) {
    // Rows of the matrix are the turned local axes; normalising them drops scale.
    osg::Vec3d right(rotation(0, 0), rotation(0, 1), rotation(0, 2));
    osg::Vec3d forward(rotation(1, 0), rotation(1, 1), rotation(1, 2));
    osg::Vec3d up(rotation(2, 0), rotation(2, 1), rotation(2, 2));
    right.normalize();
    forward.normalize();
    up.normalize();

    const double pitch = std::asin(std::clamp(forward.z(), -1.0, 1.0));
    double heading = 0.0;
    double roll = 0.0;
    if (std::cos(pitch) > kGimbalCos) {
        heading = std::atan2(-forward.x(), forward.y());
        roll = std::atan2(-right.z(), up.z());
    } else {
        heading = std::atan2(right.y(), right.x());
    }
    return osg::Vec3(float(NormaliseDegrees(osg::RadiansToDegrees(heading))),
        float(NormaliseDegrees(osg::RadiansToDegrees(pitch))),
        float(NormaliseDegrees(osg::RadiansToDegrees(roll))));
}

osg::Vec3 TransformVec3(const osg::Vec3& v, const osg::Matrixd& m) {
    return v * m;
}

Transform::Transform(double x, double y, double z, double h, double p, double r) {
    Set(x, y, z, h, p, r);
}

Transform::Transform(const osg::Vec3& xyz, const osg::Vec3& hpr) {
    Set(xyz, hpr);
}

void Transform::Set(double x, double y, double z, double h, double p, double r) {
    SetTranslation(x, y, z);
    SetRotation(h, p, r);
}

void Transform::Set(const osg::Vec3& xyz, const osg::Vec3& hpr) {
    SetTranslation(xyz);
    SetRotation(hpr);
}

void Transform::Set(const osg::Matrixd& matrix) {
    m_translation = matrix.getTrans();
    m_rotation = RotationOnly(matrix);
}

void Transform::Get(osg::Vec3& xyz, osg::Vec3& hpr) const {
    xyz = m_translation;
    hpr = GetHpr();
}

void Transform::Get(osg::Matrixd& matrix) const {
    matrix = GetMatrix();
}

osg::Matrixd Transform::GetMatrix() const {
    osg::Matrixd m = m_rotation;
    m.setTrans(m_translation);
    return m;
}

void Transform::SetTranslation(double x, double y, double z) {
    m_translation.set(x, y, z);
}

void Transform::SetTranslation(const osg::Vec3& xyz) {
    m_translation = xyz;
}

void Transform::GetTranslation(osg::Vec3& xyz) const {
    xyz = m_translation;
}

osg::Vec3 Transform::GetTranslation() const {
    return m_translation;
}

void Transform::SetRotation(double h, double p, double r) {
    SetRotation(osg::Vec3(float(h), float(p), float(r)));
}

void Transform::SetRotation(const osg::Vec3& hpr) {
    m_rotation = HprToMatrix(hpr);
}

void Transform::SetRotation(const osg::Quat& rotation) {
    m_rotation.makeRotate(rotation);
}

void Transform::SetRotation(const osg::Matrixd& rotation) {
    m_rotation = RotationOnly(rotation);
}

void Transform::GetRotation(osg::Vec3& hpr) const {
    hpr = GetHpr();
}

void Transform::GetRotation(osg::Quat& rotation) const {
    rotation = GetQuat();
}

void Transform::GetRotation(osg::Matrixd& rotation) const {
    rotation = m_rotation;
}

osg::Vec3 Transform::GetHpr() const {
    return MatrixToHpr(m_rotation);
}

osg::Quat Transform::GetQuat() const {
    return m_rotation.getRotate();
}

osg::Matrixd Transform::GetRotationMatrix() const {
    return m_rotation;
}

bool Transform::EpsilonEquals(const Transform& other, double eps) const {
    for (int i = 0; i < 3; ++i) {
        if (std::abs(m_translation[i] - other.m_translation[i]) > eps)
            return false;
    }
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            if (std::abs(m_rotation(row, col) - other.m_rotation(row, col)) > eps)
                return false;
        }
    }
    return true;
}

} // namespace scene
