#pragma once

#include "simulation/RaySensor.h"

// The grey sensor (kind 4): the grey level, 0 (black) to 255 (white), of the
// ground picture where its ray meets the ground; 0 where the ray meets no
// picture within 50. It looks straight down, or ahead in studios with "is_e".
class BlackCSensor : public RaySensor {
public:
    BlackCSensor(PartContextPtr context, const std::string& address, bool isE = false);

    void GetValue(std::string& reading) override;
    void SetScene(scene::Scene*, bool) override { }

    // The grey level of a colour given as red, green and blue 0..255: the
    // gamma-2.2 weighted mean, so a grey (c, c, c) reads c.
    static int GreyLevel(int r, int g, int b);

protected:
    ~BlackCSensor() override = default;
};
