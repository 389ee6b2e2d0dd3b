#pragma once

#include "simulation/ScoreTrigger.h"

// A touch zone (kind 4): the first robot that meets it disarms it; it awards
// nothing. Like every zone but the start zone it shows a score label, which
// is why it is a score zone underneath.
class TouchTrigger : public ScoreTrigger {
public:
    TouchTrigger(PartContextPtr context, const std::string& address, const osg::Vec3f& scale);

    void Check() override;

protected:
    ~TouchTrigger() override = default;
};
