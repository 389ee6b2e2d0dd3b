#pragma once

#include "simulation/CTrigger.h"

// A start zone (kind 1): the run stops in its first running frame unless a
// robot meets the zone then; once one has, the zone never acts again. It has
// no score label.
class StartTrigger : public CTrigger {
public:
    StartTrigger(PartContextPtr context, const std::string& address, const osg::Vec3f& scale);

    void Check() override;

protected:
    ~StartTrigger() override = default;
};
