#pragma once

#include "simulation/RaySensor.h"

// The flame sensor (kind 5): how near the candle flame in view is, 255 - its
// distance for a flame within 255 and inside 30 degrees of the sensor's axis
// whose view is not blocked; 0 with none. Also the base of the compound and
// life sensors, which ask the same cone test.
class FireSensor : public RaySensor {
public:
    FireSensor(PartContextPtr context, const std::string& address, bool isE = false);

    void GetValue(std::string& reading) override;
    void SetScene(scene::Scene*, bool) override { }

    // The cone test: over the world's solids in order (never the first, the
    // floor), each whose first shape is in targetGroup (or the everyone's
    // target group 6), nearer than maxDistance and less than halfAngle
    // degrees off axis (in the sensor's frame), with a clear view along the
    // probe's ray: truncate(maxDistance - distance). The last such solid in
    // the world's order decides, not the nearest. 0 with none. The probe's
    // ray keeps the direction of the last solid looked at.
    virtual int ConeValue(const physics::Vec3& axis, float maxDistance, float halfAngle, int targetGroup);

protected:
    FireSensor(PartContextPtr context, const std::string& address, int kind);
    ~FireSensor() override = default;

    // The three flame kinds read only with a world, a probe and a solid.
    bool CanLook() const { return HasProbe() && GetSolid(); }
};
