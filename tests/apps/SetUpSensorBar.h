#pragma once

#include "foundation/CConfig.h"
#include "simulation/SensorModelTable.h"

#include <tinyxml.h>

#include <string>
#include <vector>

namespace emutest {

// The simulation page's sensor model bar as the set-up file lists it, which
// the robot loader's part limits follow.
class SetUpSensorBar : public SensorModelTable {
public:
    explicit SetUpSensorBar(const CConfig& config) {
        const TiXmlElement* bar = config.m_pViewGroup[2];
        for (const TiXmlElement* obj = bar ? bar->FirstChildElement("obj") : nullptr; obj;
             obj = obj->NextSiblingElement("obj")) {
            if (const char* address = obj->Attribute("address"))
                m_addresses.push_back(address);
        }
    }
    std::vector<std::string> SensorModelAddresses() const override { return m_addresses; }

private:
    std::vector<std::string> m_addresses;
};

} // namespace emutest
