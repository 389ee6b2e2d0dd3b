// The frame timer and the edit commands: what each tick does, and how the
// menus', tool bars' and keys' commands reach the current page's application.

#include "window/CMainDlg.h"

#include "apps/CEmuApp.h"
#include "apps/CPlaApp.h"
#include "apps/CRobApp.h"
#include "foundation/CConfig.h"
#include "window/PoseBoxes.h"

#include <QAction>
#include <QGroupBox>
#include <QLineEdit>
#include <QSlider>
#include <QTabWidget>
#include <QWidget>

namespace Ui {

namespace {

enum EditCommand {
    kReturn = 0,
    kPointTurnX = 1,
    kPointTurnY = 2,
    kPointTurnZ = 3,
    kRotateX = 4,
    kRotateY = 6,
    kRotateZ = 8,
    kUndo = 10,
    kRedo = 11,
};

constexpr float kRobotTurnDegrees = 5.0f;

} // namespace

void CMainDlg::slot_Update() {
    if (!m_frameLoop.IsRunning())
        return;
    // A step that starts inside another (a modal dialog opened from a frame)
    // is refused; the controls wait for the outer step too.
    if (!m_frameLoop.Step())
        return;
    switch (CurrentPage()) {
    case RobotPage:
        f_UpdateRobAppEditActions();
        return;
    case PlaygroundPage:
        f_UpdatePlaAppEditActions();
        return;
    case SimulationPage:
        break;
    case NoPage:
        return;
    }
    if (m_bResultShown) {
        slot_Complie(std::string(), std::string());
        return;
    }
    // The simulation reports no robots while its loader is still building
    // them, so the list is never read while it grows.
    const int robots = m_pEmuApp->GetRobotCount();
    action_Show_Message->setEnabled(robots > 0);
    if (m_bPanelPending) {
        m_bPanelPending = robots > 0;
        if (!m_bPanelPending && IsRobotPanelShown())
            slot_Show_Message_Dialog();
    }
    std::string output;
    std::string input;
    // The panel's choice may be stale after a reload with fewer robots.
    if (!IsRobotPanelShown() || !m_pEmuApp->GetRobotTexts(RobotPanelIndex(), output, input)) {
        slot_Complie(std::string(), std::string());
        return;
    }
    slot_Complie(output, input);
}

void CMainDlg::SetWindowEnabled(bool enable) {
    setEnabled(enable);
    CApp* app = nullptr;
    switch (CurrentPage()) {
    case RobotPage:
        app = m_pRobApp.get();
        break;
    case PlaygroundPage:
        app = m_pPlaApp.get();
        break;
    case SimulationPage:
        app = m_pEmuApp.get();
        break;
    case NoPage:
        break;
    }
    if (!app)
        return;
    if (enable)
        app->Resume();
    else
        app->Pause();
}

void CMainDlg::slot_StepChange() {
    switch (CurrentPage()) {
    case RobotPage:
        action_Undo->setEnabled(m_pRobApp->CanUndo());
        action_Redo->setEnabled(m_pRobApp->CanRedo());
        break;
    case PlaygroundPage:
        action_Undo->setEnabled(m_pPlaApp->CanUndo());
        action_Redo->setEnabled(m_pPlaApp->CanRedo());
        break;
    default:
        break;
    }
}

void CMainDlg::slot_Copy() {
    bool copied = false;
    if (CurrentPage() == RobotPage)
        copied = m_pRobApp->CopySel();
    else if (CurrentPage() == PlaygroundPage)
        copied = m_pPlaApp->CopySel();
    if (copied)
        action_ModelPaste->setEnabled(true);
}

void CMainDlg::slot_Paste() {
    if (CurrentPage() == RobotPage)
        m_pRobApp->PasteSel();
    else if (CurrentPage() == PlaygroundPage)
        m_pPlaApp->PasteSel();
}

void CMainDlg::slot_Del() {
    if (CurrentPage() == RobotPage)
        m_pRobApp->DeleteSel(true);
    else if (CurrentPage() == PlaygroundPage)
        m_pPlaApp->DeleteSel(true);
}

void CMainDlg::slot_Move() {
    if (CurrentPage() == RobotPage)
        m_pRobApp->MoveSel(false, false);
    else if (CurrentPage() == PlaygroundPage)
        m_pPlaApp->MoveSel();
}

void CMainDlg::slot_AllSel() {
    if (CurrentPage() == RobotPage)
        m_pRobApp->SetSelected(nullptr, true);
    else if (CurrentPage() == PlaygroundPage)
        m_pPlaApp->SetSelected(nullptr, true);
}

// The builder commands go to the current builder's dispatcher with the view
// flag as the builders take it: the turns work in the part's own axes, undo,
// redo and the keys in the view's.
void CMainDlg::BuilderCommand(int code, bool viewRelative) {
    if (CurrentPage() == RobotPage)
        m_pRobApp->DoCommand(code, viewRelative);
    else if (CurrentPage() == PlaygroundPage)
        m_pPlaApp->DoCommand(code, viewRelative, 0, -1);
}

void CMainDlg::slot_Return() {
    BuilderCommand(kReturn, false);
}

void CMainDlg::slot_PointTurnX() {
    BuilderCommand(kPointTurnX, false);
}

void CMainDlg::slot_PointTurnY() {
    BuilderCommand(kPointTurnY, false);
}

void CMainDlg::slot_PointTurnZ() {
    BuilderCommand(kPointTurnZ, false);
}

void CMainDlg::slot_RotateX() {
    BuilderCommand(kRotateX, false);
}

void CMainDlg::slot_RotateY() {
    BuilderCommand(kRotateY, false);
}

void CMainDlg::slot_RotateZ() {
    BuilderCommand(kRotateZ, false);
}

void CMainDlg::slot_Undo() {
    BuilderCommand(kUndo, true);
}

void CMainDlg::slot_Redo() {
    BuilderCommand(kRedo, true);
}

void CMainDlg::slot_Key(int key) {
    f_ResetEmuAppMouseMode();
    if (CurrentPage() == SimulationPage) {
        if (m_config.m_bKeyDrive)
            m_pEmuApp->DriveByKey(key);
        return;
    }
    BuilderCommand(key, true);
}

void CMainDlg::slot_Left() {
    f_ResetEmuAppMouseMode();
    if (CurrentPage() != SimulationPage)
        return;
    const float angle = CEmuApp::DegToRadF(kRobotTurnDegrees);
    m_pEmuApp->RotateSelectedRobot(osg::Matrixd::rotate(angle, m_config.m_vTurnAxis));
}

void CMainDlg::slot_Right() {
    f_ResetEmuAppMouseMode();
    if (CurrentPage() != SimulationPage)
        return;
    const float angle = CEmuApp::DegToRadF(-kRobotTurnDegrees);
    m_pEmuApp->RotateSelectedRobot(osg::Matrixd::rotate(angle, m_config.m_vTurnAxis));
}

void CMainDlg::slot_Set() {
    if (CurrentPage() == RobotPage && m_pRobApp->GetSingleSel())
        f_ShowRobAppPartPanel();
    else if (CurrentPage() == PlaygroundPage && m_pPlaApp->GetSingleSel())
        f_ShowPlaAppObjectPanel();
}

void CMainDlg::slot_NoSel() {
    if (CurrentPage() == RobotPage) {
        m_bRobPanelLive = false;
        groupBox_5->hide();
        groupBox_RobPos->hide();
    } else if (CurrentPage() == PlaygroundPage) {
        // Filled again by the next frame once the builder is done (a
        // command, a click may change the selection after saying so).
        HidePlaPanel();
    }
}

void CMainDlg::ApplyPosTurnEdit(int field) {
    QLineEdit* edits[6] = {};
    QSlider* sliders[3] = {};
    bool* live = nullptr;
    if (CurrentPage() == RobotPage) {
        if (!m_bRobPanelLive || !m_pRobApp->HasSel())
            return;
        // The slider and edit changes below must not come back here.
        m_bRobPanelLive = false;
        live = &m_bRobPanelLive;
        QLineEdit* const robot[6] = { lineEdit_RobPosX, lineEdit_RobPosY, lineEdit_RobPosZ, lineEdit_RobTurnX,
            lineEdit_RobTurnY, lineEdit_RobTurnZ };
        std::copy(std::begin(robot), std::end(robot), edits);
        sliders[0] = slider_RobTurnX;
        sliders[1] = slider_RobTurnY;
        sliders[2] = slider_RobTurnZ;
    } else if (CurrentPage() == PlaygroundPage) {
        if (!m_bPlaPanelLive || !m_pPlaApp->HasSel())
            return;
        // The slider and edit changes below must not come back here.
        m_bPlaPanelLive = false;
        live = &m_bPlaPanelLive;
        QLineEdit* const playground[6] = { lineEdit_PlaPosX, lineEdit_PlaPosY, lineEdit_PlaPosZ,
            lineEdit_PlaTurnX, lineEdit_PlaTurnY, lineEdit_PlaTurnZ };
        std::copy(std::begin(playground), std::end(playground), edits);
        sliders[0] = slider_PlaTurnX;
        sliders[1] = slider_PlaTurnY;
        sliders[2] = slider_PlaTurnZ;
    } else {
        return;
    }
    if (field < 0 || field > 5) {
        *live = true;
        return;
    }
    const double value = edits[field]->text().toDouble();
    const bool robot = CurrentPage() == RobotPage;
    if (field < 3) {
        if (robot)
            m_pRobApp->SetSelTransform(field, value, osg::Vec3f());
        else
            m_pPlaApp->SetSelTransform(field, value, osg::Vec3f());
    } else {
        sliders[field - 3]->setValue(int(value));
    }
    edits[field]->setText(window::PoseText(value));
    if (field >= 3) {
        const osg::Vec3f angles(float(edits[3]->text().toDouble()), float(edits[4]->text().toDouble()),
            float(edits[5]->text().toDouble()));
        if (robot)
            m_pRobApp->SetSelTransform(3, 0.0, angles);
        else
            m_pPlaApp->SetSelTransform(3, 0.0, angles);
    }
    *live = true;
}

void CMainDlg::ApplyTurnSlider(int field, int value) {
    QLineEdit* edits[3] = {};
    bool* live = nullptr;
    const bool robot = CurrentPage() == RobotPage;
    if (robot) {
        if (!m_bRobPanelLive || !m_pRobApp->HasSel())
            return;
        live = &m_bRobPanelLive;
        edits[0] = lineEdit_RobTurnX;
        edits[1] = lineEdit_RobTurnY;
        edits[2] = lineEdit_RobTurnZ;
    } else if (CurrentPage() == PlaygroundPage) {
        if (!m_bPlaPanelLive || !m_pPlaApp->HasSel())
            return;
        live = &m_bPlaPanelLive;
        edits[0] = lineEdit_PlaTurnX;
        edits[1] = lineEdit_PlaTurnY;
        edits[2] = lineEdit_PlaTurnZ;
    } else {
        return;
    }
    if (field < 3 || field > 5)
        return;
    *live = false;
    edits[field - 3]->setText(QString::number(value));
    const osg::Vec3f angles(float(edits[0]->text().toDouble()), float(edits[1]->text().toDouble()),
        float(edits[2]->text().toDouble()));
    if (robot)
        m_pRobApp->SetSelTransform(4, 0.0, angles);
    else
        m_pPlaApp->SetSelTransform(4, 0.0, angles);
    *live = true;
}

} // namespace Ui
