#pragma once

#include "simulation/ScoreTrigger.h"

// A path zone (kind 3), hidden while it watches: a run with exactly one robot
// passes through it along the dark line of the ground picture. A positive
// score is paid when the robot leaves the zone on the line; a negative one
// when it is off the line on entering or anywhere inside. Either way the zone
// then shows itself and is done; with more robots or none it gives up at
// once.
class CPathTrigger : public ScoreTrigger {
public:
    CPathTrigger(PartContextPtr context, const std::string& address, const osg::Vec3f& scale);

    void Check() override;
    // Whether the ground picture is dark (r + g + b below 2.5 of 3) somewhere
    // in the 20 x 20 pixels around robot 0's control unit.
    bool IsOnLine() const;

    bool IsEntered() const { return m_bEntered; }

protected:
    ~CPathTrigger() override = default;

private:
    void Finish(bool passed);

    bool m_bEntered = false;
};
