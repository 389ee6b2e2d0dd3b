#include "simulation/CompassSensor.h"

#include <cmath>

CompassSensor::CompassSensor(PartContextPtr context, const std::string& address)
    : CSensor(std::move(context), address, SensorKindCompass) { }

void CompassSensor::GetValue(std::string& reading) {
    const int a = int(std::trunc(GetTransform(scene::CoordSys::Absolute).GetHpr().x()));
    AppendReading(reading, a > 0 ? 360 - a : -a);
}
