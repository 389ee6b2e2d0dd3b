#pragma once

#include <osg/Matrixd>
#include <osg/Quat>
#include <osg/Vec3>
#include <osg/Vec3d>

namespace scene {

// Heading, pitch and roll are in degrees: heading turns about +Z (a positive
// heading turns counter-clockwise seen from above), pitch about +X (a positive
// pitch looks up), roll about +Y (the view direction). The rotation applies
// roll first, then pitch, then heading; in OSG's row-vector order that is
// R = Roll * Pitch * Heading, so a local vector v lands at v * R.
osg::Matrixd HprToMatrix(const osg::Vec3& hpr);

// The inverse of HprToMatrix for a rotation (any scale in the matrix is
// ignored). Heading and roll come out in (-180, 180], pitch in [-90, 90];
// looking straight up or down, the roll is reported as 0 and the heading
// carries the whole turn about Z.
osg::Vec3 MatrixToHpr(const osg::Matrixd& rotation);

// v * m: a point carried through a full transform matrix.
osg::Vec3 TransformVec3(const osg::Vec3& v, const osg::Matrixd& m);

// A rigid pose: a translation and a rotation, nothing else. Matrices given to
// Set lose any scale or shear they carry.
class Transform {
public:
    Transform() = default;
    Transform(double x, double y, double z, double h = 0.0, double p = 0.0, double r = 0.0);
    Transform(const osg::Vec3& xyz, const osg::Vec3& hpr);

    void Set(double x, double y, double z, double h, double p, double r);
    void Set(const osg::Vec3& xyz, const osg::Vec3& hpr);
    void Set(const osg::Matrixd& matrix);
    void Get(osg::Vec3& xyz, osg::Vec3& hpr) const;
    void Get(osg::Matrixd& matrix) const;
    osg::Matrixd GetMatrix() const;

    void SetTranslation(double x, double y, double z);
    void SetTranslation(const osg::Vec3& xyz);
    void GetTranslation(osg::Vec3& xyz) const;
    osg::Vec3 GetTranslation() const;

    void SetRotation(double h, double p, double r);
    void SetRotation(const osg::Vec3& hpr);
    void SetRotation(const osg::Quat& rotation);
    void SetRotation(const osg::Matrixd& rotation);
    void GetRotation(osg::Vec3& hpr) const;
    void GetRotation(osg::Quat& rotation) const;
    void GetRotation(osg::Matrixd& rotation) const;
    osg::Vec3 GetHpr() const;
    osg::Quat GetQuat() const;
    osg::Matrixd GetRotationMatrix() const;

    // Same pose within eps in every translation component and every rotation
    // matrix element.
    bool EpsilonEquals(const Transform& other, double eps = 1e-4) const;

private:
    osg::Vec3d m_translation;
    osg::Matrixd m_rotation; // pure rotation, no translation
};

} // namespace scene
