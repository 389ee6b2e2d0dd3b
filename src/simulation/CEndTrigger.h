#pragma once

#include "simulation/ScoreTrigger.h"

// An end zone (kind 0): the first robot in list order that meets it gets its
// score and the run stops. It acts until the run stops, armed or not.
class CEndTrigger : public ScoreTrigger {
public:
    CEndTrigger(PartContextPtr context, const std::string& address, const osg::Vec3f& scale);

    void Check() override;

protected:
    ~CEndTrigger() override = default;
};
