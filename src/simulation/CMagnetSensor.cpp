#include "simulation/CMagnetSensor.h"

CMagnetSensor::CMagnetSensor(PartContextPtr context, const std::string& address)
    : CSensor(std::move(context), address, SensorKindMagnet) { }
