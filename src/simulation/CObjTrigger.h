#pragma once

#include "simulation/ScoreTrigger.h"

#include <osg/ref_ptr>

class CGeo;
class PlaygroundRobot;

// A delivery zone (kind 5): loaded models assigned to it (by id) score when
// they arrive, carried in by a robot (the carrier scores and the model is
// set down in the zone, beside the one set down before) or pushed in (the
// robot farthest from the model scores). An assignment counts once; with
// "Only" set, the first delivery ends them all. Once none is left the zone
// disarms.
class CObjTrigger : public ScoreTrigger {
public:
    CObjTrigger(PartContextPtr context, const std::string& address, const osg::Vec3f& scale);

    void Check() override;

    // The first robot that meets the zone carrying an assigned model (its
    // assignment is then used up); null when there is none.
    PlaygroundRobot* FindCarriedDelivery();
    // The first assigned model of the playground that lies in the zone by
    // its mode (its assignment is then used up); null when there is none.
    CGeo* FindPlacedDelivery();

    CModel* GetLastPlaced() const { return m_pLastPlaced.get(); }

protected:
    ~CObjTrigger() override = default;

    // The score times the assignments left, unless one delivery ends them all.
    int LabelValue() override;

private:
    void UseAssignment(int id);

    osg::ref_ptr<CModel> m_pLastPlaced;
};
