#include "apps/CPlaApp.h"

CPlaApp::CPlaApp(const std::string& configName, scene::SceneView* window)
    : CApp(configName, window) {
    SetViewPreset(3);
}

CPlaApp::~CPlaApp() = default;

bool CPlaApp::CanUndo() const {
    return false;
}

bool CPlaApp::CanRedo() const {
    return false;
}

bool CPlaApp::CopySel() {
    return false;
}

void CPlaApp::PasteSel() { }

bool CPlaApp::DeleteSel(bool) {
    return false;
}

void CPlaApp::MoveSel() { }

void CPlaApp::SetSelected(CModel*, bool) { }

CModel* CPlaApp::GetSingleSel() const {
    return nullptr;
}

bool CPlaApp::HasSel() const {
    return false;
}

bool CPlaApp::SetSelTransform(int, double, const osg::Vec3f&) {
    return false;
}

void CPlaApp::DoCommand(int code, bool, int, int) {
    m_nLastCommand = code;
    emit signal_Ui_NoSel();
}

void CPlaApp::ShowObjCount() { }
