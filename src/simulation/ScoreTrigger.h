#pragma once

#include "scene/Label.h"
#include "simulation/CTrigger.h"

#include <osg/Quat>
#include <osg/ref_ptr>

// A score zone (kind 2): the first robot in list order that meets it gets
// its score, once. The base of every zone with a floating score label: the
// label shows what the zone still awards, green, or red for a penalty, and
// goes once the zone is disarmed.
class ScoreTrigger : public CTrigger {
public:
    ScoreTrigger(PartContextPtr context, const std::string& address, const osg::Vec3f& scale);

    void Check() override;

    // Makes the label; the playground adds it to the scene.
    void CreateLabel();
    // Faces the label to the camera above the zone and shows the score.
    void UpdateLabel();
    scene::Label* GetLabel() const { return m_pLabel.get(); }

    // Raised this far above the zone's origin.
    static constexpr float kLabelHeight = 10.0f;

protected:
    ScoreTrigger(PartContextPtr context, const std::string& address, const osg::Vec3f& scale, int kind);
    ~ScoreTrigger() override = default;

    // The value the label shows.
    virtual int LabelValue();

    osg::ref_ptr<scene::Label> m_pLabel;
    osg::Quat m_qLabelRot;
};
