// The commands that act on the current page as a whole: switching pages,
// the tool-button style, the camera presets and zoom, files and help.

#include "window/CMainDlg.h"

#include "apps/CEmuApp.h"
#include "apps/CPlaApp.h"
#include "apps/CRobApp.h"
#include "apps/MotionModel.h"
#include "window/CAboutDlg.h"

#include <QAction>
#include <QTabWidget>
#include <QToolBar>

namespace Ui {

namespace {

constexpr int kFollowStep = 5;

} // namespace

void CMainDlg::slot_TabWidgetChange(QWidget* page) {
    if (page == tab1)
        f_EnterRobAppPage();
    else if (page == tab2)
        f_EnterPlaAppPage();
    else
        f_EnterEmuAppPage();
}

void CMainDlg::ApplyToolButtonStyle(Qt::ToolButtonStyle style, QAction* checked) {
    for (QAction* action : { action_ToolBar_IconAndText, action_ToolBar_Icon, action_ToolBar_Text })
        action->setChecked(action == checked);
    for (QToolBar* bar : { m_pFileToolBar, m_pOperatorToolBar, m_pVirtualToolBar }) {
        bar->setToolButtonStyle(style);
        if (style == Qt::ToolButtonIconOnly)
            bar->setIconSize(QSize(40, 40));
        bar->update();
    }
}

void CMainDlg::slot_ToolBarIconText() {
    ApplyToolButtonStyle(Qt::ToolButtonTextUnderIcon, action_ToolBar_IconAndText);
}

void CMainDlg::slot_ToolBarIcon() {
    ApplyToolButtonStyle(Qt::ToolButtonIconOnly, action_ToolBar_Icon);
}

void CMainDlg::slot_ToolBarText() {
    ApplyToolButtonStyle(Qt::ToolButtonTextOnly, action_ToolBar_Text);
}

// The application of the current page; the simulation's for any other.
static CApp* PageApp(CApp* robot, CApp* playground, CApp* simulation, int page) {
    return page == 0 ? robot : (page == 1 ? playground : simulation);
}

void CMainDlg::slot_FarView() {
    f_ResetEmuAppMouseMode();
    if (CurrentPage() == SimulationPage && m_pEmuApp->m_bFollow) {
        m_pEmuApp->m_nFollowHeight += kFollowStep;
        return;
    }
    CApp* app = PageApp(m_pRobApp.get(), m_pPlaApp.get(), m_pEmuApp.get(), CurrentPage());
    const float distance = app->GetMotionModel()->GetDistance();
    app->GetMotionModel()->Zoom(1.0f - distance);
}

void CMainDlg::slot_NearView() {
    f_ResetEmuAppMouseMode();
    if (CurrentPage() == SimulationPage && m_pEmuApp->m_bFollow) {
        m_pEmuApp->m_nFollowHeight -= kFollowStep;
        return;
    }
    CApp* app = PageApp(m_pRobApp.get(), m_pPlaApp.get(), m_pEmuApp.get(), CurrentPage());
    const float distance = app->GetMotionModel()->GetDistance();
    app->GetMotionModel()->Zoom(distance + 1.0f);
}

void CMainDlg::slot_TopView() {
    f_ResetEmuAppMouseMode();
    f_EndFollowView();
    PageApp(m_pRobApp.get(), m_pPlaApp.get(), m_pEmuApp.get(), CurrentPage())->SetViewPreset(0);
}

void CMainDlg::slot_LeftView() {
    f_ResetEmuAppMouseMode();
    f_EndFollowView();
    PageApp(m_pRobApp.get(), m_pPlaApp.get(), m_pEmuApp.get(), CurrentPage())->SetViewPreset(1);
}

void CMainDlg::slot_FrontView() {
    f_ResetEmuAppMouseMode();
    f_EndFollowView();
    PageApp(m_pRobApp.get(), m_pPlaApp.get(), m_pEmuApp.get(), CurrentPage())->SetViewPreset(2);
}

void CMainDlg::slot_OverView() {
    f_ResetEmuAppMouseMode();
    f_EndFollowView();
    PageApp(m_pRobApp.get(), m_pPlaApp.get(), m_pEmuApp.get(), CurrentPage())->SetViewPreset(3);
}

// ---- file and help commands, which the pages fill in ----------------------------

void CMainDlg::slot_SoftwareHelp() {
    CAboutDlg about(m_config, this);
    about.exec();
}

void CMainDlg::slot_DocumetHelp() { }

void CMainDlg::slot_RunRCJ() { }

void CMainDlg::slot_LoadExample() { }

void CMainDlg::slot_New() { }

void CMainDlg::slot_Open() { }

void CMainDlg::slot_SaveAs() { }

void CMainDlg::slot_Save() { }

void CMainDlg::slot_ExampleFile() { }

void CMainDlg::slot_LoadToEmuApp() { }

void CMainDlg::slot_LoadToEmuAppEnd() { }

void CMainDlg::slot_UpdateSoftware() { }

void CMainDlg::slot_Color() { }

} // namespace Ui
