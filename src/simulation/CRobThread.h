#pragma once

#include "simulation/SRobThreadData.h"

#include <QThread>

#include <osg/ref_ptr>

#include <string>
#include <vector>

class CRob;

// The robot loader: builds the robots of a run from their robot files in the
// background while the simulation's frames only show the progress.
//
// The thread reads the files and makes the parts with their models, which
// touches no scene and no physics; when it has finished, the GUI thread
// gives the robots their solids, joints and probes, puts them at their
// start poses, hands them to the load block's robot list and sets the final
// status. That last step runs on the thread's finished signal, before any
// slot connected to it later (the simulation's), so those see the robots
// ready and the status final; the GUI thread's event loop must run for it.
// Until then the status stays 1.
class CRobThread : public QThread {
    Q_OBJECT

public:
    CRobThread();
    // Waits for a load under way.
    ~CRobThread() override;

    // Status 1, progress 0; copies the sensor model bar's addresses (this is
    // the GUI thread, where the bar may be read) and starts the thread.
    void StartLoading();

    SRobThreadData& GetData() { return m_data; }
    const SRobThreadData& GetData() const { return m_data; }

protected:
    void run() override;

private:
    // GUI thread, when the thread has finished.
    void FinishLoading();

    SRobThreadData m_data;
    // The loader's own copies, made by StartLoading.
    std::vector<std::string> m_vecSensorModels;
    // Built by the thread; handed over by FinishLoading.
    std::vector<osg::ref_ptr<CRob>> m_vecBuilt;
    int m_nOutcome = 0;
    int m_nFailedRobot = -1;
    RobotLoadFault m_failure = RobotLoadFault::None;
    RobotRuleBreak m_ruleBreak;
};
