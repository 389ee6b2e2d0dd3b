#pragma once

#include <QThread>

struct SRobotFileState;

// The robot builder's file worker: loads or saves the builder's robot file
// in the background, so that the builder's view keeps running. The builder
// sets the busy state (1 load, 2 save) and the file first; the worker ends
// with the result in the busy state (3 to 6, see SRobotFileState) and the
// finished signal.
class CThread : public QThread {
    Q_OBJECT

public:
    CThread() = default;
    // Waits for a job under way.
    ~CThread() override;

    void StartJob(SRobotFileState* state);

protected:
    void run() override;

private:
    SRobotFileState* m_pState = nullptr; // the builder's, not owned
};
