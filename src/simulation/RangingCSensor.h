#pragma once

#include "simulation/RaySensor.h"

// The ranging sensor (kind 3): the distance to what lies ahead, in whole
// units (0 below 1), or 500 when nothing lies within 500.
class RangingCSensor : public RaySensor {
public:
    RangingCSensor(PartContextPtr context, const std::string& address);

    void GetValue(std::string& reading) override;

protected:
    ~RangingCSensor() override = default;

    // Green, turning red as the distance falls below 100.
    osg::Vec2f EffectColour() const override;
};
