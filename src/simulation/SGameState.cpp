#include "simulation/SGameState.h"

#include "simulation/CRob.h"
#include "simulation/RobotOnPlayground.h"
#include "simulation/SRobThreadData.h"

SGameState::SGameState() = default;

SGameState::~SGameState() = default;

void SGameState::ClearStop() {
    m_bStop = false;
    m_nStopStartZone = 0;
    m_nStopStartZoneMode = 0;
    m_vecLeaveAtOnce.clear();
}

int SGameState::GetRobotCount() const {
    const std::vector<osg::ref_ptr<CRob>>* robots = m_pLoadBlock ? m_pLoadBlock->m_pRobots : nullptr;
    return robots ? int(robots->size()) : 0;
}

PlaygroundRobot* SGameState::GetRobot(int index) const {
    if (index < 0 || index >= GetRobotCount())
        return nullptr;
    CRob* robot = (*m_pLoadBlock->m_pRobots)[std::size_t(index)].get();
    if (!robot)
        return nullptr;
    if (m_robots.size() <= std::size_t(index))
        m_robots.resize(std::size_t(index) + 1);
    osg::ref_ptr<RobotOnPlayground>& view = m_robots[std::size_t(index)];
    if (!view || view->GetRob() != robot)
        view = new RobotOnPlayground(robot, *this);
    return view.get();
}

scene::Scene* SGameState::GetScene() const {
    return m_pLoadBlock ? m_pLoadBlock->m_pScene.get() : nullptr;
}

physics::PhysicsWorld* SGameState::GetSimulator() const {
    return m_pLoadBlock ? m_pLoadBlock->m_pSimulator.get() : nullptr;
}

std::vector<int>* SGameState::GetRules() const {
    return m_pLoadBlock ? &m_pLoadBlock->m_vecRules : nullptr;
}

PartContextPtr SGameState::GetPartContext() const {
    return m_pLoadBlock ? m_pLoadBlock->m_pPartContext : nullptr;
}

void SGameState::BeginStillRound() {
    // Never 0, which means "measure afresh".
    if (++m_nLastRound == 0)
        ++m_nLastRound;
    m_nStillRound = m_nLastRound;
}
