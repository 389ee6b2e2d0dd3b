#include "simulation/ScoreTrigger.h"

#include "elements/PlaygroundRobot.h"
#include "scene/Camera.h"
#include "simulation/SGameState.h"

#include <string>

namespace {

const osg::Vec4 kPenaltyColour(1.0f, 0.0f, 0.0f, 0.8f);
const osg::Vec4 kRewardColour(0.0f, 1.0f, 0.0f, 0.8f);

} // namespace

ScoreTrigger::ScoreTrigger(PartContextPtr context, const std::string& address, const osg::Vec3f& scale)
    : ScoreTrigger(std::move(context), address, scale, TriggerScore) { }

ScoreTrigger::ScoreTrigger(
    PartContextPtr context, const std::string& address, const osg::Vec3f& scale, int kind)
    : CTrigger(std::move(context), address, scale, kind) { }

void ScoreTrigger::Check() {
    if (!m_bArmed || Stopped())
        return;
    const int count = RobotCount();
    for (m_nRobIndex = 0; m_nRobIndex < count; ++m_nRobIndex) {
        PlaygroundRobot* robot = Robot(m_nRobIndex);
        if (robot && IsInContact()) {
            AddScore(*robot, GetScore());
            m_bArmed = false;
            return;
        }
    }
}

void ScoreTrigger::CreateLabel() {
    m_pLabel = new scene::Label("LabelActor");
    // Upright, facing a camera that is not turned.
    const scene::Transform t(0.0, 0.0, 1000.0, 0.0, 90.0, 0.0);
    m_qLabelRot = t.GetQuat();
    m_pLabel->SetTransform(t, scene::CoordSys::Absolute);
    m_pLabel->SetFontSize(6.0f);
    m_pLabel->SetAlignment(osgText::TextBase::CENTER_CENTER);
    m_pLabel->SetEnableDepthTesting(false);
    m_pLabel->SetEnableLighting(false);
    m_pLabel->SetBackSize(osg::Vec2(0.0f, 0.0f));
}

int ScoreTrigger::LabelValue() {
    return GetScore();
}

void ScoreTrigger::UpdateLabel() {
    if (!m_pLabel)
        return;
    if (!m_bArmed) {
        if (m_pLabel->GetActive())
            m_pLabel->SetActive(false);
        return;
    }
    const scene::Camera* camera = m_pGameState ? m_pGameState->m_pCamera : nullptr;
    const osg::Quat view = camera ? camera->GetTransform().GetQuat() : osg::Quat();
    const scene::Transform zone = GetTransform(scene::CoordSys::Absolute);
    scene::Transform t;
    t.SetTranslation(zone.GetTranslation() + osg::Vec3(0.0f, 0.0f, kLabelHeight));
    t.SetRotation(m_qLabelRot * view);
    m_pLabel->SetTransform(t, scene::CoordSys::Absolute);
    const int value = LabelValue();
    m_pLabel->SetTextColor(value < 0 ? kPenaltyColour : kRewardColour);
    m_pLabel->SetText(value == 0 ? std::string() : std::to_string(value));
}
