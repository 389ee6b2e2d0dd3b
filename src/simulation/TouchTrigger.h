#pragma once

#include "simulation/CTrigger.h"

// A touch zone (kind 4): the first robot that meets it disarms it; it awards
// nothing.
class TouchTrigger : public CTrigger {
public:
    TouchTrigger(PartContextPtr context, const std::string& address, const osg::Vec3f& scale);

    void Check() override;

protected:
    ~TouchTrigger() override = default;
};
