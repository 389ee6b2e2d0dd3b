#pragma once

#include "simulation/CSensor.h"

// The touch sensor (kind 1): 1 when the part has touched the ground or
// anything else of contact group 0 in a physics step since the last
// reading, else 0.
class TouchCSensor : public CSensor {
public:
    TouchCSensor(PartContextPtr context, const std::string& address);

    // Gives the solid the flag to set and a collision handler that sets it.
    void CreateProbe() override;
    void GetValue(std::string& reading) override;

    int GetTouched() const { return m_nTouched; }

protected:
    ~TouchCSensor() override;

private:
    int m_nTouched = 0;
};
