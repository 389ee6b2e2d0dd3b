#include "apps/CEmuApp.h"

#include "apps/MotionModel.h"

CEmuApp::CEmuApp(const std::string& configName, scene::SceneView* window)
    : CApp(configName, window) {
    SetViewPreset(3);
}

CEmuApp::~CEmuApp() = default;

void CEmuApp::Quit() {
    m_bRunning = false;
    CApp::Quit();
}

void CEmuApp::SetViewPreset(int preset) {
    m_pMotionModel->SetTarget(GetCamera());
    m_bFollow = false;
    CApp::SetViewPreset(preset);
}

bool CEmuApp::MouseScrolled(scene::Mouse*, int delta) {
    if (!m_bRun)
        return false;
    m_nFollowHeight += delta > 0 ? -5 : 5;
    return true;
}

void CEmuApp::StartRun() {
    m_bRunning = true;
}

void CEmuApp::SetFollowTarget(CRob*) { }

void CEmuApp::DriveByKey(int) { }

void CEmuApp::RotateSelectedRobot(const osg::Matrixd&) { }

int CEmuApp::GetFrameCount() const {
    return 0;
}

int CEmuApp::GetRobotCount() const {
    return 0;
}

bool CEmuApp::GetRobotTexts(int, std::string&, std::string&) const {
    return false;
}

std::string CEmuApp::GetRobotFileName(int) const {
    return std::string();
}

CRob* CEmuApp::GetRobot(int) const {
    return nullptr;
}
