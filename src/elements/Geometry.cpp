#include "elements/Geometry.h"

#include <cfloat>
#include <cmath>

namespace {

// Values reach the helpers as floats (node and state positions) or as
// doubles parsed from text; both carry a relative error of at most a few
// float epsilons, which a cut toward zero must not turn into a lost unit.
double Forgiveness(double x) {
    return 4.0 * FLT_EPSILON * std::fabs(x) + 1e-9;
}

double Hundredths(double x) {
    return TruncateForgiving(x * 100.0) / 100.0;
}

} // namespace

double TruncateForgiving(double x) {
    if (!std::isfinite(x))
        return x;
    const double slack = Forgiveness(x);
    return std::trunc(x < 0.0 ? x - slack : x + slack);
}

double Length2D(const osg::Vec3f& v) {
    return std::sqrt(double(v.x()) * v.x() + double(v.y()) * v.y());
}

double Length3D(const osg::Vec3f& v) {
    return std::sqrt(double(v.x()) * v.x() + double(v.y()) * v.y() + double(v.z()) * v.z());
}

double Distance2D(const osg::Vec3f& a, const osg::Vec3f& b) {
    return Length2D(a - b);
}

double Distance3D(const osg::Vec3f& a, const osg::Vec3f& b) {
    return Length3D(a - b);
}

float CosAngle2D(const osg::Vec3f& a, const osg::Vec3f& b, bool absolute) {
    const double lengths = Length2D(a) * Length2D(b);
    if (!(lengths > 0.0))
        return 0.0f;
    float c = float((double(a.x()) * b.x() + double(a.y()) * b.y()) / lengths);
    if (absolute && c < 0.0f)
        c = -c;
    return c;
}

float CosAngle3D(const osg::Vec3f& a, const osg::Vec3f& b, bool absolute) {
    const double lengths = Length3D(a) * Length3D(b);
    if (!(lengths > 0.0))
        return 0.0f;
    float c = float((double(a.x()) * b.x() + double(a.y()) * b.y() + double(a.z()) * b.z()) / lengths);
    if (absolute && c < 0.0f)
        c = -c;
    return c;
}

osg::Vec3f RotateVec3(const osg::Vec3f& v, const osg::Matrixd& m) {
    if (!(Length3D(v) > 0.0))
        return v;
    return v * m;
}

double ClampAndTruncate2(double x) {
    if (x > 1000.0)
        return 1000.0;
    if (x < -1000.0)
        return -1000.0;
    return Hundredths(x);
}

double NormalizeAngle2(double x) {
    if (std::fabs(x) > 360.0)
        x -= 360.0 * std::trunc(x / 360.0);
    if (x < 0.0)
        x += 360.0;
    return Hundredths(x);
}
