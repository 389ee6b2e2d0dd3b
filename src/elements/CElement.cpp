#include "elements/CElement.h"

#include "scene/Transform.h"

#include <cmath>

namespace {

// A turned unit component lands within a few ulps of a whole number; the
// cut must not take 0.9999999 down to 0, yet 0.99999 stays below 1.
constexpr double kAxisSlack = 1e-6;

float CutTowardZero(double v) {
    return float(std::trunc(v < 0.0 ? v - kAxisSlack : v + kAxisSlack));
}

} // namespace

CElement::CElement(int kind)
    : scene::SceneObject("Object")
    , m_nKind(kind) { }

bool CElement::Rotate(const osg::Quat& q) {
    const osg::Vec3 turned = scene::TransformVec3(m_vAxis, osg::Matrixd(q));
    m_vAxis.set(CutTowardZero(turned.x()), CutTowardZero(turned.y()), CutTowardZero(turned.z()));
    return true;
}
