#pragma once

#include <chrono>
#include <vector>

namespace scene {

class SceneApp;

// Drives the scene applications, one step at a time (the main window's frame
// timer calls Step). A step hands each application its queued input, then
// calls PreFrame on every application, then Frame on every one (which draws
// the views), then PostFrame, with the seconds since the previous step.
//
// A step that starts while another is still running is ignored: a handler
// that opens a modal dialog runs a nested event loop whose frame timer would
// otherwise step the applications again in the middle of their own step.
class FrameLoop {
public:
    FrameLoop() = default;
    FrameLoop(const FrameLoop&) = delete;
    FrameLoop& operator=(const FrameLoop&) = delete;
    ~FrameLoop();

    void Start();
    void Stop();
    bool IsRunning() const { return m_running; }

    // Applications are stepped in the order they were added. The loop does
    // not keep them alive; a destroyed application leaves the loop itself.
    void AddApp(SceneApp* app);
    void RemoveApp(SceneApp* app);
    unsigned GetNumApps() const { return unsigned(m_apps.size()); }

    // One frame. False, doing nothing, while the loop is stopped or when
    // called from inside a step.
    bool Step();
    bool IsStepping() const { return m_stepping; }

private:
    using Clock = std::chrono::steady_clock;

    std::vector<SceneApp*> m_apps; // not owned
    bool m_running = false;
    bool m_stepping = false;
    bool m_hasLastStep = false;
    Clock::time_point m_lastStep;
};

} // namespace scene
