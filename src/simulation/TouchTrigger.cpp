#include "simulation/TouchTrigger.h"

TouchTrigger::TouchTrigger(PartContextPtr context, const std::string& address, const osg::Vec3f& scale)
    : ScoreTrigger(std::move(context), address, scale, TriggerTouch) { }

void TouchTrigger::Check() {
    const int count = RobotCount();
    if (!m_bArmed || count == 0)
        return;
    for (m_nRobIndex = 0; m_nRobIndex < count; ++m_nRobIndex) {
        if (Robot(m_nRobIndex) && IsInContact()) {
            m_bArmed = false;
            return;
        }
    }
}
