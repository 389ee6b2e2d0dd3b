#include "simulation/CEndTrigger.h"

#include "elements/PlaygroundRobot.h"

CEndTrigger::CEndTrigger(PartContextPtr context, const std::string& address, const osg::Vec3f& scale)
    : ScoreTrigger(std::move(context), address, scale, TriggerEnd) { }

void CEndTrigger::Check() {
    const int count = RobotCount();
    if (count == 0 || Stopped())
        return;
    for (m_nRobIndex = 0; m_nRobIndex < count; ++m_nRobIndex) {
        PlaygroundRobot* robot = Robot(m_nRobIndex);
        if (robot && IsInContact()) {
            AddScore(*robot, GetScore());
            Stop();
            return;
        }
    }
}
