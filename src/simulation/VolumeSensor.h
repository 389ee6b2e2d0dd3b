#pragma once

#include "simulation/RaySensor.h"

// The sound sensor (kind 6): how near the sounding alarm (contact group 7)
// is, 256 - its distance within 256, else 0. The last alarm in the world's
// order decides. Its ray is shown but not used.
class VolumeSensor : public RaySensor {
public:
    VolumeSensor(PartContextPtr context, const std::string& address);

    void GetValue(std::string& reading) override;

protected:
    ~VolumeSensor() override = default;
};
