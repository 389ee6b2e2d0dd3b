#pragma once

#include "simulation/FireSensor.h"

// The life sensor (kind 9): as the flame sensor, for wounded figures and
// objects to carry (contact group 3); its ray meets almost nothing.
class LifeSensor : public FireSensor {
public:
    LifeSensor(PartContextPtr context, const std::string& address);

    void GetValue(std::string& reading) override;

protected:
    ~LifeSensor() override = default;
};
