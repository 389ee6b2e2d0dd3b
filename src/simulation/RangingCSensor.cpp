#include "simulation/RangingCSensor.h"

#include <cmath>

RangingCSensor::RangingCSensor(PartContextPtr context, const std::string& address)
    : RaySensor(std::move(context), address, SensorKindRanging, 500.0f, "models/effects/e_ranging.ive") {
    m_fEffectLength = 500.0f;
}

void RangingCSensor::GetValue(std::string& reading) {
    if (!HasProbe())
        return;
    const physics::RaycastHit hit = Fire(500.0);
    if (!hit.hit()) {
        AppendReading(reading, 500);
        return;
    }
    const int d = hit.distance < 1.0 ? 0 : int(std::trunc(hit.distance));
    m_fRayLen = float(d);
    AppendReading(reading, d);
}

osg::Vec2f RangingCSensor::EffectColour() const {
    if (m_fRayLen > 0.0f && m_fRayLen < 100.0f)
        return { 1.0f - m_fRayLen / 100.0f, m_fRayLen / 100.0f };
    return { 0.0f, 1.0f };
}
