#include "simulation/CThread.h"

#include "simulation/RobotBuilderFile.h"
#include "simulation/SRobotFileState.h"

CThread::~CThread() {
    wait();
}

void CThread::StartJob(SRobotFileState* state) {
    m_pState = state;
    start(QThread::InheritPriority);
}

void CThread::run() {
    if (!m_pState)
        return;
    SRobotFileState& state = *m_pState;
    // Both jobs turn every failure into their result.
    const int result
        = state.m_nBusy.load(std::memory_order_acquire) == 1 ? LoadRobotFile(state) : SaveRobotFile(state);
    state.m_nBusy.store(result, std::memory_order_release);
    quit();
}
