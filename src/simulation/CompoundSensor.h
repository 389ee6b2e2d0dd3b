#pragma once

#include "simulation/FireSensor.h"

// The compound flame sensor (kind 8): seven flame strengths, 0..255, looking
// from 90 degrees left of ahead (the first) through ahead (the fourth) to 90
// degrees right (the seventh), 30 degrees apart, each over a cone of 30
// degrees either side.
class CompoundSensor : public FireSensor {
public:
    CompoundSensor(PartContextPtr context, const std::string& address);

    void GetValue(std::string& reading) override;

protected:
    ~CompoundSensor() override = default;
};
