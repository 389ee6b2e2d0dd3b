#include "simulation/FireSensor.h"

#include "physics/PhysicsWorld.h"
#include "physics/Solid.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// Degrees; far below any angle a sensor can tell apart.
constexpr double kEdgeTolerance = 1e-9;

} // namespace

FireSensor::FireSensor(PartContextPtr context, const std::string& address, bool isE)
    : FireSensor(std::move(context), address, SensorKindFire) {
    m_vRayOrigin = { 0.0, 0.0, isE ? 1.0 : 1.1 };
}

FireSensor::FireSensor(PartContextPtr context, const std::string& address, int kind)
    : RaySensor(std::move(context), address, kind, 255.0f, nullptr) {
    m_vRayOrigin = { 0.0, 0.0, 1.1 };
    m_nRayGroup = 4;
}

int FireSensor::ConeValue(const physics::Vec3& axis, float maxDistance, float halfAngle, int targetGroup) {
    physics::PhysicsWorld* world = GetSimulator();
    physics::Solid* own = GetSolid();
    physics::RayProbe* probe = m_pProbe.get();
    if (!world || !own || !probe)
        return 0;
    const std::size_t n = world->solidCount();
    if (n == 0)
        return 0;
    const physics::Solid* first = world->solidAt(0);
    const physics::Vec3 p = own->position();
    const physics::Quat toSensor = own->orientation().conjugate();
    const physics::Vec3 unitAxis = axis.normalized();
    int result = 0;
    for (std::size_t i = 1; i < n; ++i) {
        physics::Solid* s = world->solidAt(i);
        if (!s)
            continue;
        const int g = s->firstShapeContactGroup();
        if (g != targetGroup && g != 6)
            continue;
        const physics::Vec3 q = s->position();
        const float u = float((q - p).length());
        if (!(u < maxDistance))
            continue;
        const physics::Vec3 d = toSensor.rotate((q - p).normalized());
        const double cosine = std::clamp(d.normalized().dot(unitAxis), -1.0, 1.0);
        const double angle = std::acos(cosine) * 180.0 / std::numbers::pi;
        // A target exactly on the cone's edge is outside, however the turns
        // and the arc cosine round: the compound sensor's neighbouring cones
        // meet there, and a flame straight ahead is in one of them only.
        if (!(angle < halfAngle - kEdgeTolerance))
            continue;
        probe->setDirection(d);
        const physics::RaycastHit hit = probe->fire(u);
        if (!hit.hit() || hit.solid == s || hit.solid == first)
            result = int(std::trunc(maxDistance - u));
    }
    return result;
}

void FireSensor::GetValue(std::string& reading) {
    if (!CanLook())
        return;
    AppendReading(reading, ConeValue(m_vRayDir, 255.0f, 30.0f, 2));
}
