#include "simulation/BlackCSensor.h"

#include <cmath>

BlackCSensor::BlackCSensor(PartContextPtr context, const std::string& address, bool isE)
    : RaySensor(std::move(context), address, SensorKindGrey, 50.0f, nullptr) {
    if (isE) {
        m_vRayOrigin = { 0.0, 0.0, 1.0 };
    } else {
        m_vRayOrigin = { 0.0, 0.0, 1.1 };
        m_vRayDir = { 0.0, 0.0, -1.0 };
        SetAxis(osg::Vec3f(0.0f, 0.0f, -1.0f));
    }
}

int BlackCSensor::GreyLevel(int r, int g, int b) {
    const double sum = 0.2973 * std::pow(r, 2.2) + 0.6274 * std::pow(g, 2.2) + 0.0753 * std::pow(b, 2.2);
    return int(std::trunc(std::pow(sum, 0.45454545454545453)));
}

void BlackCSensor::GetValue(std::string& reading) {
    if (!HasProbe())
        return;
    const physics::RaycastHit hit = Fire(50.0);
    if (!hit.hit()) {
        m_fRayLen = 50.0f;
        AppendReading(reading, 0);
        return;
    }
    m_fRayLen = float(hit.distance);
    osg::Vec4 colour;
    if (!GroundPictureColour(hit, colour)) {
        AppendReading(reading, 0);
        return;
    }
    auto channel = [](float c) { return int(std::trunc(double(c) * 255.0)); };
    AppendReading(reading, GreyLevel(channel(colour.r()), channel(colour.g()), channel(colour.b())));
}
