#include "simulation/CRobThread.h"

#include "simulation/CRob.h"
#include "simulation/SensorModelTable.h"

#include <algorithm>

CRobThread::CRobThread() {
    // Connected first, so that it runs before any slot the simulation
    // connects to the same signal.
    connect(this, &QThread::finished, this, &CRobThread::FinishLoading);
}

CRobThread::~CRobThread() {
    wait();
}

void CRobThread::StartLoading() {
    m_data.m_nStatus = 1;
    m_data.m_nProgress = 0;
    m_vecSensorModels.clear();
    if (m_data.m_pSensorModelTable)
        m_vecSensorModels = m_data.m_pSensorModelTable->SensorModelAddresses();
    m_vecBuilt.clear();
    start(QThread::InheritPriority);
}

void CRobThread::run() {
    const std::vector<std::string>& files = m_data.m_vecRobotFiles;
    const int n = int(files.size());
    m_nOutcome = 3;
    m_nFailedRobot = -1;
    m_failure = RobotLoadFault::None;
    m_ruleBreak = RobotRuleBreak();
    // Each robot starts in a start zone of its own; without any, one robot
    // starts at the origin. A robot beyond them would stand where another
    // stands, and could neither drive nor be told apart: it is refused.
    const std::size_t places = std::max<std::size_t>(m_data.m_vecStartPositions.size(), 1);
    for (int i = 0; i < n; ++i) {
        if (!m_data.m_pConfig) {
            m_nOutcome = 2;
            m_nFailedRobot = i;
            break;
        }
        if (std::size_t(i) >= places) {
            m_nOutcome = 2;
            m_nFailedRobot = i;
            m_failure = RobotLoadFault::NoStartZone;
            break;
        }
        osg::ref_ptr<CRob> robot = new CRob(files[std::size_t(i)], m_data.m_pScene.get(),
            m_data.m_pSimulator.get(), 1, *m_data.m_pConfig, m_data.m_pPartContext);
        const int result
            = robot->ReadRobotFile(&m_data.m_nProgress, i, n, m_data.m_vecRules, m_vecSensorModels);
        if (result != CRob::kLoaded) {
            m_nOutcome = result == CRob::kBreaksRules ? 4 : 2;
            m_nFailedRobot = i;
            m_failure = robot->GetLoadFault();
            m_ruleBreak = robot->GetRuleBreak();
            break;
        }
        m_vecBuilt.push_back(robot);
    }
    quit();
}

void CRobThread::FinishLoading() {
    for (std::size_t i = 0; i < m_vecBuilt.size(); ++i) {
        const osg::Vec3f position
            = i < m_data.m_vecStartPositions.size() ? m_data.m_vecStartPositions[i] : osg::Vec3f();
        const osg::Quat rotation
            = i < m_data.m_vecStartRotations.size() ? m_data.m_vecStartRotations[i] : osg::Quat();
        m_vecBuilt[i]->PlaceInWorld(position, rotation, int(i), false);
        if (m_data.m_pRobots)
            m_data.m_pRobots->push_back(m_vecBuilt[i]);
    }
    m_vecBuilt.clear();
    m_data.m_nFailedRobot = m_nFailedRobot;
    m_data.m_failure = m_failure;
    m_data.m_ruleBreak = m_ruleBreak;
    m_data.m_nStatus.store(m_nOutcome, std::memory_order_release);
}
