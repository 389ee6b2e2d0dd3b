#pragma once

#include "scene/Transform.h"

#include <osg/Matrixd>
#include <osg/Vec3f>

// Small vector helpers that the part code, the editors and the property
// panels share. Lengths and cosines work on the x-y plane (2D) or on all three
// axes (3D).

// A neutral transform (position and rotation all 0) for placing parts.
inline const scene::Transform kZeroTransform {};

double Length2D(const osg::Vec3f& v);
double Length3D(const osg::Vec3f& v);
double Distance2D(const osg::Vec3f& a, const osg::Vec3f& b);
double Distance3D(const osg::Vec3f& a, const osg::Vec3f& b);

// The cosine of the angle between a and b, as a float; with absolute set a
// negative cosine is negated. A zero vector has no direction: its cosine with
// anything is 0, so no "at least"/"not below" test passes on it by accident.
float CosAngle2D(const osg::Vec3f& a, const osg::Vec3f& b, bool absolute = false);
float CosAngle3D(const osg::Vec3f& a, const osg::Vec3f& b, bool absolute = false);

// v carried by m (v * m, OSG's row-vector order); the zero vector stays zero.
osg::Vec3f RotateVec3(const osg::Vec3f& v, const osg::Matrixd& m);

// Positions typed or shown in the property panels: clamped to plus or minus
// 1000, then cut toward zero to hundredths. The cut forgives the last bits of
// binary rounding (2.3 is stored as 2.2999..., and must not become 2.29), so
// showing a value again never moves it.
double ClampAndTruncate2(double x);

// Angles for the property panels: brought into 0..360 (360 itself stays) and
// cut toward zero to hundredths, with the same forgiveness as above.
double NormalizeAngle2(double x);

// x cut toward zero to a whole number, forgiving a value that lies within
// binary rounding of the next whole number away from zero.
double TruncateForgiving(double x);
