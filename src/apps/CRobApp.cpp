#include "apps/CRobApp.h"

CRobApp::CRobApp(const std::string& configName, scene::SceneView* window)
    : CApp(configName, window) {
    SetViewPreset(3);
}

CRobApp::~CRobApp() = default;

bool CRobApp::CanUndo() const {
    return false;
}

bool CRobApp::CanRedo() const {
    return false;
}

bool CRobApp::CopySel() {
    return false;
}

void CRobApp::PasteSel() { }

bool CRobApp::DeleteSel(bool) {
    return false;
}

void CRobApp::MoveSel(bool, bool) { }

void CRobApp::SetSelected(CModel*, bool) { }

CModel* CRobApp::GetSingleSel() const {
    return nullptr;
}

bool CRobApp::HasSel() const {
    return false;
}

void CRobApp::SetSelTransform(int, double, const osg::Vec3f&) { }

void CRobApp::DoCommand(int code, bool) {
    if (!m_bRun)
        return;
    m_nLastCommand = code;
}

void CRobApp::ShowObjCount() { }
