#include "scene/FrameLoop.h"

#include "scene/SceneApp.h"

#include <algorithm>

namespace scene {

FrameLoop::~FrameLoop() {
    for (SceneApp* app : m_apps)
        app->m_loop = nullptr;
}

void FrameLoop::Start() {
    m_running = true;
}

void FrameLoop::Stop() {
    m_running = false;
}

void FrameLoop::AddApp(SceneApp* app) {
    if (!app || std::find(m_apps.begin(), m_apps.end(), app) != m_apps.end())
        return;
    if (app->m_loop)
        app->m_loop->RemoveApp(app);
    m_apps.push_back(app);
    app->m_loop = this;
}

void FrameLoop::RemoveApp(SceneApp* app) {
    auto it = std::find(m_apps.begin(), m_apps.end(), app);
    if (it == m_apps.end())
        return;
    m_apps.erase(it);
    app->m_loop = nullptr;
}

bool FrameLoop::Step() {
    if (!m_running || m_stepping)
        return false;
    struct SteppingFlag {
        bool& flag;
        explicit SteppingFlag(bool& f)
            : flag(f) {
            flag = true;
        }
        ~SteppingFlag() { flag = false; }
    } stepping(m_stepping);

    const Clock::time_point now = Clock::now();
    const double deltaTime = m_hasLastStep ? std::chrono::duration<double>(now - m_lastStep).count() : 0.0;
    m_lastStep = now;
    m_hasLastStep = true;

    // The applications stay alive for the whole step, even if a handler drops
    // the last outside reference to one of them.
    std::vector<osg::ref_ptr<SceneApp>> apps(m_apps.begin(), m_apps.end());
    for (const auto& app : apps)
        app->EventTraversal();
    for (const auto& app : apps)
        app->PreFrame(deltaTime);
    for (const auto& app : apps)
        app->Frame(deltaTime);
    for (const auto& app : apps)
        app->PostFrame(deltaTime);
    return true;
}

} // namespace scene
