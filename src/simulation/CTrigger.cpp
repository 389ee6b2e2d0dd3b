#include "simulation/CTrigger.h"

#include "elements/PlaygroundRobot.h"
#include "simulation/SGameState.h"

CTrigger::CTrigger(PartContextPtr context, const std::string& address, const osg::Vec3f& scale, int kind)
    : CModel(std::move(context), address, scale) {
    SetType(ModelTypeTrigger);
    SetSubType(kind);
}

bool CTrigger::Meets(const osg::BoundingBox& t, const osg::BoundingBox& r, int mode, bool outsideMargin) {
    const float m = kMargin;
    const bool zOK = t.zMax() >= r.zMin() - m && r.zMax() >= t.zMin() - m;
    if (mode == 0) {
        return zOK && r.xMax() < t.xMax() + m && r.xMin() > t.xMin() - m && r.yMax() < t.yMax() + m
            && r.yMin() > t.yMin() - m;
    }
    const float xy = mode == 1 || outsideMargin ? m : 0.0f;
    const bool xyOK = t.xMax() >= r.xMin() - xy && r.xMax() >= t.xMin() - xy && t.yMax() >= r.yMin() - xy
        && r.yMax() >= t.yMin() - xy;
    if (mode == 1)
        return zOK && xyOK;
    return !(zOK && xyOK);
}

bool CTrigger::IsInContact() {
    if (m_nRobIndex < 0 || m_nRobIndex >= RobotCount())
        return false;
    const PlaygroundRobot* robot = Robot(m_nRobIndex);
    osg::BoundingBox body;
    if (!robot || !robot->GetBodyBounds(body))
        return false;
    return Meets(ZoneBounds(), body, GetTriggerMode());
}

int CTrigger::RobotCount() const {
    return m_pGameState ? m_pGameState->GetRobotCount() : 0;
}

PlaygroundRobot* CTrigger::Robot(int index) const {
    return m_pGameState ? m_pGameState->GetRobot(index) : nullptr;
}

bool CTrigger::Stopped() const {
    return m_pGameState && m_pGameState->m_bStop;
}

void CTrigger::Stop() {
    if (m_pGameState)
        m_pGameState->m_bStop = true;
}

osg::BoundingBox CTrigger::ZoneBounds() const {
    const unsigned round = m_pGameState ? m_pGameState->GetStillRound() : 0;
    if (round == 0 || round != m_nZoneRound) {
        m_zoneBox = scene::SceneObject::GetBoundingBox();
        m_nZoneRound = round;
    }
    return m_zoneBox;
}

void CTrigger::AddScore(PlaygroundRobot& robot, int points) {
    robot.SetScore(robot.GetScore() + points);
}
