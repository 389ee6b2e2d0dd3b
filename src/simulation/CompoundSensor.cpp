#include "simulation/CompoundSensor.h"

#include <algorithm>

CompoundSensor::CompoundSensor(PartContextPtr context, const std::string& address)
    : FireSensor(std::move(context), address, SensorKindCompound) { }

void CompoundSensor::GetValue(std::string& reading) {
    if (!CanLook())
        return;
    const physics::Vec3 up(0.0, 0.0, 1.0);
    physics::Vec3 dir = physics::Quat::fromAxisAngleDegrees(up, 90.0).rotate(m_vRayDir);
    const physics::Quat step = physics::Quat::fromAxisAngleDegrees(up, -30.0);
    for (int i = 0; i < 7; ++i) {
        const int v = ConeValue(dir, 255.0f, 30.0f, 2);
        dir = step.rotate(dir);
        AppendReading(reading, std::clamp(v, 0, 255));
    }
}
