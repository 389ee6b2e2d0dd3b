#include "simulation/StartTrigger.h"

StartTrigger::StartTrigger(PartContextPtr context, const std::string& address, const osg::Vec3f& scale)
    : CTrigger(std::move(context), address, scale, TriggerStart) { }

void StartTrigger::Check() {
    const int count = RobotCount();
    if (!m_bArmed || count == 0)
        return;
    for (m_nRobIndex = 0; m_nRobIndex < count; ++m_nRobIndex) {
        if (Robot(m_nRobIndex) && IsInContact())
            m_bArmed = false;
    }
    if (m_bArmed)
        Stop();
}
