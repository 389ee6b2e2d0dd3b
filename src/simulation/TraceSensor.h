#pragma once

#include "physics/Handle.h"
#include "physics/RayProbe.h"
#include "simulation/CSensor.h"

#include <array>
#include <vector>

// The line sensor (kind 7): eight fields, each 1 where the ground picture
// under one of its eight downward rays is dark (red + green + blue below one
// full channel) and 0 elsewhere. Seven rays lie across its front, from 7
// left to 7 right, the eighth behind its middle.
class TraceSensor : public CSensor {
public:
    TraceSensor(PartContextPtr context, const std::string& address);

    void CreateProbe() override;
    void GetValue(std::string& reading) override;

    // The rays' origins in the part's frame, in reading order.
    static const std::array<physics::Vec3, 8>& RayOrigins();
    std::size_t GetProbeCount() const { return m_vProbes.size(); }

protected:
    ~TraceSensor() override;

private:
    std::vector<physics::Handle<physics::RayProbe>> m_vProbes;
};
