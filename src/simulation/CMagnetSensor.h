#pragma once

#include "simulation/CSensor.h"

// The magnet sensor (kind 10): a part that always reads 0.
class CMagnetSensor : public CSensor {
public:
    CMagnetSensor(PartContextPtr context, const std::string& address);

    void CreateProbe() override { }
    void GetValue(std::string& reading) override { AppendReading(reading, 0); }

protected:
    ~CMagnetSensor() override = default;
};
