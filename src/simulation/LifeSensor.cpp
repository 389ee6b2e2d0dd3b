#include "simulation/LifeSensor.h"

LifeSensor::LifeSensor(PartContextPtr context, const std::string& address)
    : FireSensor(std::move(context), address, SensorKindLife) {
    m_vRayOrigin = { 0.0, 0.0, 3.1 };
    m_nRayGroup = 3;
}

void LifeSensor::GetValue(std::string& reading) {
    if (!CanLook())
        return;
    AppendReading(reading, ConeValue(m_vRayDir, 255.0f, 30.0f, m_nRayGroup));
}
