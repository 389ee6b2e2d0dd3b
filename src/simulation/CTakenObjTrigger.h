#pragma once

#include "simulation/ScoreTrigger.h"

#include <osg/ref_ptr>

// A rescue zone (kind 6): the first robot that meets it carrying figures
// hands over every figure it carries (one robot per check; robots carrying
// nothing are passed over). Each figure of a colour the zone asks for (its
// four flags: any astronaut, red, yellow, blue) earns the zone's score, each
// other costs as much; the figures are set down in the zone in a row. The
// zone stays armed.
class CTakenObjTrigger : public ScoreTrigger {
public:
    CTakenObjTrigger(PartContextPtr context, const std::string& address, const osg::Vec3f& scale);

    void Check() override;

    // Whether a figure with this model address is of a colour the zone asks for.
    bool Wants(const std::string& address) const;
    CModel* GetLastPlaced() const { return m_pLastPlaced.get(); }

    // What a figure's model address contains for each flag.
    static constexpr const char* kFlagNames[4]
        = { "astronaut.", "astronaut_red", "astronaut_yellow", "astronaut_blue" };

protected:
    ~CTakenObjTrigger() override = default;

private:
    osg::ref_ptr<CModel> m_pLastPlaced;
};
