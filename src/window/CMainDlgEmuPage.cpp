// The simulation page: its set-up, entering it, its texts and its mouse
// modes.

#include "window/CMainDlg.h"

#include "apps/CEmuApp.h"
#include "apps/CPlaApp.h"
#include "apps/CRobApp.h"
#include "foundation/CConfig.h"
#include "scene/SceneView.h"
#include "widgets/CExWidget.h"
#include "window/Pictures.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QToolBar>

namespace Ui {

namespace {

QString Text(const TiXmlElement* group, const char* key) {
    const char* value = group ? group->Attribute(key) : nullptr;
    return value ? QString::fromUtf8(value) : QString();
}

} // namespace

void CMainDlg::f_InitEmuAppPage() {
    m_bPageSwitch = false;
    m_bPanelHiddenOnce = false;
    m_bEmuRunning = false;
    m_bPanelWasShown = false;

    scene::SceneView* view = EmbedView(widget_5);
    m_pEmuApp = new CEmuApp("config.xml", view, m_config);
    m_frameLoop.AddApp(m_pEmuApp.get());

    m_pDriveAction = new QAction(this);
    m_pDriveAction->setCheckable(true);
    connect(m_pDriveAction, &QAction::triggered, this, &CMainDlg::slot_Drive_RobApp);
    menu_Virtual->addAction(m_pDriveAction);

    const std::pair<QAction*, const char*> shortcuts[] = {
        { action_VirtualStart, "Ctrl+R" },
        { action_RobotRotate, "Z" },
        { action_LoadGround, "G" },
        { action_LoadRobot, "B" },
        { action_LoadStrategy, "T" },
        { action_RobotMove, "M" },
        { action_RobotDel, "Del" },
    };
    for (const auto& [action, keys] : shortcuts)
        action->setShortcut(QKeySequence(QString::fromLatin1(keys)));
    for (QAction* action : { action_RobotRotate, action_LoadGround, action_LoadRobot, action_LoadStrategy,
             action_RobotMove, action_RobotDel, action_Multiplayer_Game, menu_Virtual->menuAction() })
        action->setVisible(false);
    action_Show_Message->setEnabled(false);
    for (QAction* action : { action_RobotRotate, action_RobotMove, action_RobotDel })
        action->setCheckable(true);
    label_Time->setMinimumSize(60, 15);
    label_Score->setMinimumSize(240, 15);

    const std::pair<QAction*, const char*> icons[] = {
        { action_RobotRotate, "55.png" },
        { action_RobotMove, "47.png" },
        { action_LoadGround, "37.png" },
        { action_LoadRobot, "22.png" },
        { action_LoadStrategy, "57.png" },
        { action_RobotDel, "44.png" },
        { action_VirtualStart, "35.png" },
    };
    for (const auto& [action, file] : icons)
        action->setIcon(WindowPicture(file));
    menu_View_Flow->setIcon(WindowPicture("30-.png"));

    CEmuApp* app = m_pEmuApp.get();
    connect(widget_5, &CExWidget::signal_Ui_Left, this, &CMainDlg::slot_Left);
    connect(widget_5, &CExWidget::signal_Ui_Right, this, &CMainDlg::slot_Right);
    connect(widget_5, &CExWidget::signal_Ui_Key, this, &CMainDlg::slot_Key);
    connect(app, &CEmuApp::signal_Ui_SetProgress, this, &CMainDlg::f_Ui_SetProgress);
    connect(app, &CEmuApp::signal_Ui_StopEmu, this, &CMainDlg::slot_VirtualStart);
    connect(app, &CEmuApp::signal_Ui_ReloadToEmuApp, this, &CMainDlg::f_Ui_ReloadToEmuApp);
    connect(action_VirtualStart, &QAction::triggered, this, &CMainDlg::slot_VirtualStart);
    connect(action_RobotRotate, &QAction::triggered, this, &CMainDlg::slot_RobotRotate);
    connect(action_LoadGround, &QAction::triggered, this, &CMainDlg::slot_VirtualLoadGround);
    connect(action_LoadRobot, &QAction::triggered, this, &CMainDlg::slot_VirtualLoadRobot);
    connect(action_LoadStrategy, &QAction::triggered, this, &CMainDlg::slot_LoadStrategy);
    connect(action_RobotMove, &QAction::triggered, this, &CMainDlg::slot_RobotMove);
    connect(action_RobotDel, &QAction::triggered, this, &CMainDlg::slot_del_selModel);
    connect(action_ToolBar_IconAndText, &QAction::triggered, this, &CMainDlg::slot_ToolBarIconText);
    connect(action_ToolBar_Icon, &QAction::triggered, this, &CMainDlg::slot_ToolBarIcon);
    connect(action_ToolBar_Text, &QAction::triggered, this, &CMainDlg::slot_ToolBarText);
    connect(action_Multiplayer_Game, &QAction::triggered, this, &CMainDlg::slot_Multiplayer_Game);

    m_pDriveSetAction = new QAction(this);
    connect(m_pDriveSetAction, &QAction::triggered, this, &CMainDlg::slot_SetDrive);
    menu_3->addAction(m_pDriveSetAction);
    connect(action_EmuMaxTime, &QAction::triggered, this, &CMainDlg::slot_SetVETime);
    connect(action_SensorEffect, &QAction::triggered, this, &CMainDlg::slot_SetSensorEffect);
    connect(action_FollowHigh, &QAction::triggered, this, &CMainDlg::slot_SetFollowHeight);
}

void CMainDlg::f_EnterEmuAppPage() {
    f_ResetEmuAppMouseMode();
    m_pRobApp->Pause();
    m_pPlaApp->Pause();
    m_pEmuApp->Resume();
    // The run's own commands take the place of the builders' file commands.
    m_pFileToolBar->hide();
    m_pOperatorToolBar->show();
    m_pVirtualToolBar->show();
    for (QAction* action : { action_LoadGround, action_LoadRobot, action_LoadStrategy, action_RobotRotate,
             action_RobotMove, action_RobotDel, menu_Virtual->menuAction(), action_Multiplayer_Game })
        action->setVisible(true);
    for (QAction* action :
        { action_open, action_save, action_saveas, action_new, action_ImportROB, action_ModelCopy,
            action_ModelPaste, action_ModelMove, action_ModelDelete, action_ModelRotate_X,
            action_ModelRotate_Y, action_ModelRotate_Z, action_PointTurn_X, action_PointTurn_Y,
            action_PointTurn_Z, action_Return, action_Color, action_Ground_changeMap, action_User_DefineModel,
            m_pRuleAction, menu_Group->menuAction(), m_pGridAction, m_pCaptureAction, m_pFastCaptureAction,
            m_pSetUpShowAction, action_Undo, action_Redo, action_AllSel })
        action->setVisible(false);
    widget_5->setStatusTip(QString());
    f_Ui_StatusBar_ShowObjL(QString());
}

void CMainDlg::f_LanguageEmuApp() {
    const TiXmlElement* group = m_config.FindTextNode("CMainDlg", "f_LanguageEmuApp");
    if (!group)
        return;
    const char* const startKeys[4]
        = { "m_sEmuApp_Start", "m_sEmuApp_Start2", "m_sEmuApp_Start3", "m_sEmuApp_Start4" };
    for (int i = 0; i < 4; ++i)
        m_sStartTexts[i] = Text(group, startKeys[i]);
    const int index = m_bEmuRunning ? 2 : 0;
    action_VirtualStart->setText(m_sStartTexts[index]);
    action_VirtualStart->setIconText(m_sStartTexts[index]);
    action_VirtualStart->setToolTip(m_sStartTexts[index]);
    action_VirtualStart->setStatusTip(m_sStartTexts[index + 1]);

    struct Caption {
        QAction* action;
        const char* text;
        const char* statusTip;
    };
    const Caption captions[] = {
        { action_LoadRobot, "sLoadRobot", "sStatus_LoadRobot" },
        { action_LoadStrategy, "sLoadStrategy", "sStatus_LoadStrategy" },
        { action_LoadGround, "sLoadGround", "sStatus_LoadGround" },
        { action_RobotRotate, "sRobotRotate", "sStatus_RobotRotate" },
        { action_RobotMove, "sRobotMove", "sStatus_RobotMove" },
        { action_RobotDel, "sRobotDel", "sStatus_RobotDel" },
        { action_Multiplayer_Game, "sMultiplayer", "sStatus_Multiplayer" },
        { action_Show_Message, "sShowMessage", "sStatus_ShowMessage" },
        { m_pDriveAction, "sDrive", "sStatus_Drive" },
        { m_pDriveSetAction, "sDriveSet", "sStatus_DriveSet" },
        { action_EmuMaxTime, "sMaxTime", "sStatus_MaxTime" },
        { action_FollowHigh, "sFollowHigh", "sStatus_FollowHigh" },
        { action_SensorEffect, "sSensorEffect", "sStatus_SensorEffect" },
    };
    for (const Caption& caption : captions) {
        const QString text = Text(group, caption.text);
        caption.action->setText(text);
        caption.action->setIconText(text);
        caption.action->setToolTip(text);
        caption.action->setStatusTip(Text(group, caption.statusTip));
    }
    label_2->setText(Text(group, "sScore"));
}

void CMainDlg::f_ResetEmuAppMouseMode() {
    if (CurrentPage() == SimulationPage)
        slot_RobotMove();
}

void CMainDlg::slot_RobotMove() {
    action_RobotMove->setChecked(true);
    action_RobotRotate->setChecked(false);
    action_RobotDel->setChecked(false);
    m_pEmuApp->SetMouseModeMove();
}

void CMainDlg::slot_RobotRotate() {
    action_RobotRotate->setChecked(true);
    action_RobotMove->setChecked(false);
    action_RobotDel->setChecked(false);
    m_pEmuApp->SetMouseModeRotate();
}

void CMainDlg::slot_del_selModel() {
    action_RobotDel->setChecked(true);
    action_RobotMove->setChecked(false);
    action_RobotRotate->setChecked(false);
    m_pEmuApp->SetMouseModeDelete();
}

void CMainDlg::f_EndFollowView() {
    m_pEmuApp->m_bFollow = false;
    for (QAction* action : menu_View_Flow->actions()) {
        action->setEnabled(true);
        action->setChecked(false);
    }
    for (QAction* action : { action_RobotRotate, action_RobotMove, action_RobotDel })
        action->setVisible(CurrentPage() == SimulationPage);
}

// TODO: the robot data panel answers these once the page has it.
bool CMainDlg::IsRobotPanelShown() const {
    return false;
}

int CMainDlg::RobotPanelIndex() const {
    return -1;
}

// ---- commands of the page that its loading, run control and panel fill in -----

void CMainDlg::f_Ui_ReloadToEmuApp(int) { }

void CMainDlg::f_EmuAppRefresh() { }

void CMainDlg::slot_Complie(std::string, std::string) { }

void CMainDlg::slot_Drive_RobApp() { }

void CMainDlg::slot_Show_Message_Dialog() { }

bool CMainDlg::slot_LoadStrategy() {
    return false;
}

bool CMainDlg::slot_VirtualLoadRobot() {
    return false;
}

void CMainDlg::slot_VirtualStart() { }

bool CMainDlg::slot_VirtualLoadGround() {
    return false;
}

void CMainDlg::slot_Multiplayer_Game() { }

void CMainDlg::slot_ButtonFollow() { }

void CMainDlg::slot_SetVETime() { }

void CMainDlg::slot_SetSensorEffect() { }

void CMainDlg::slot_SetFollowHeight() { }

void CMainDlg::slot_SetDrive() { }

void CMainDlg::f_Ui_SetProgress(int) { }

void CMainDlg::slot_Up3DFile() { }

} // namespace Ui
