#pragma once

#include "simulation/CSensor.h"

// The compass (kind 2): the part's heading in whole degrees, 0..359, growing
// clockwise seen from above: a part turned a quarter to the left reads 270.
class CompassSensor : public CSensor {
public:
    CompassSensor(PartContextPtr context, const std::string& address);

    void CreateProbe() override { }
    void GetValue(std::string& reading) override;

protected:
    ~CompassSensor() override = default;
};
