// The simulation page: its set-up, entering it, its texts, its mouse modes,
// loading robots, programs and playgrounds, what follows a reload, the
// follow menu and the robot data panel.

#include "window/CMainDlg.h"

#include "apps/CEmuApp.h"
#include "apps/CPlaApp.h"
#include "apps/CRobApp.h"
#include "dialogs/CProgressDlg.h"
#include "dialogs/CRobDataDlg.h"
#include "dialogs/CRuleDlg.h"
#include "elements/CColoredLight.h"
#include "foundation/CConfig.h"
#include "platform/WholeFile.h"
#include "scene/SceneView.h"
#include "simulation/CMotor.h"
#include "simulation/CPlayground.h"
#include "simulation/CRob.h"
#include "simulation/CRobotProgram.h"
#include "widgets/CBrickBox.h"
#include "widgets/CExWidget.h"
#include "widgets/CImageViewer.h"
#include "window/Pictures.h"
#include "window/PortLabels.h"
#include "window/RobotDataText.h"
#include "window/WindowLog.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace Ui {

namespace {

QString Text(const TiXmlElement* group, const char* key) {
    const char* value = group ? group->Attribute(key) : nullptr;
    return value ? QString::fromUtf8(value) : QString();
}

// What a program check found, in the current language.
QString ProgramFaultText(const CConfig& config, const CRobotProgram::CheckResult& check) {
    switch (check.fault) {
    case CRobotProgram::Fault::None:
        break;
    case CRobotProgram::Fault::Unreadable:
        return config.GetText("CMainDlg", "f_LoadStrategyMessage", "sUnreadable")
            .arg(QString::fromLocal8Bit(platform::SystemReason(check.systemError).c_str()));
    case CRobotProgram::Fault::NoCopy:
        return config.GetText("CMainDlg", "f_LoadStrategyMessage", "sNoCopy")
            .arg(QString::fromLocal8Bit(platform::SystemReason(check.systemError).c_str()));
    case CRobotProgram::Fault::NotALibrary:
        return config.GetText("CMainDlg", "f_LoadStrategyMessage", "sNoLibrary");
    case CRobotProgram::Fault::MissingFunction:
        return config.GetText("CMainDlg", "f_LoadStrategyMessage", "sNoFunction")
            .arg(QString::fromStdString(check.function));
    case CRobotProgram::Fault::Other:
        return config.GetText("CMainDlg", "f_LoadStrategyMessage", "sNoStart");
    }
    return QString();
}

// Why a robot file did not load, in the current language; empty when
// nothing more is known than that it did not.
QString RobotFaultText(const CConfig& config, RobotLoadFault fault) {
    switch (fault) {
    case RobotLoadFault::None:
    case RobotLoadFault::BreaksRules:
        break;
    case RobotLoadFault::Unreadable:
        return config.GetText("CMainDlg", "f_Ui_ReloadToEmuApp", "sUnreadable");
    case RobotLoadFault::NotARobotFile:
        return config.GetText("CMainDlg", "f_Ui_ReloadToEmuApp", "sNotRobot");
    case RobotLoadFault::NoControlUnit:
        return config.GetText("CMainDlg", "f_Ui_ReloadToEmuApp", "sNoRcu");
    case RobotLoadFault::ModelOutside:
        return config.GetText("CMainDlg", "f_Ui_ReloadToEmuApp", "sOutside");
    case RobotLoadFault::ControlUnitModel:
        return config.GetText("CMainDlg", "f_Ui_ReloadToEmuApp", "sRcuModel");
    case RobotLoadFault::NoStartZone:
        break;
    }
    return QString();
}

} // namespace

int CMainDlg::RobotRows::RowOf(int robot) const {
    int index = -1;
    for (std::size_t row = 0; row < robots.size(); ++row) {
        if (!robots[row].empty() && ++index == robot)
            return int(row) + 1;
    }
    return robot + 1;
}

void CMainDlg::f_InitEmuAppPage() {
    m_bPageSwitch = false;
    m_bPanelHiddenOnce = false;
    m_bEmuRunning = false;
    m_bPanelWasShown = false;
    m_pRobDataDlg = new CRobDataDlg(m_config, this);
    m_pProgressDlg = std::make_unique<CProgressDlg>(m_config);

    scene::SceneView* view = EmbedView(widget_5);
    m_pEmuApp = new CEmuApp("config.xml", view, m_config);
    m_frameLoop.AddApp(m_pEmuApp.get());
    // The loader checks each robot's sensors against the playground's part
    // limits in the order of the robot page's sensor bar.
    m_pEmuApp->GetLoadBlock()->m_pSensorModelTable = m_pRobotBars[2];

    m_pDriveAction = new QAction(this);
    m_pDriveAction->setCheckable(true);
    connect(m_pDriveAction, &QAction::triggered, this, &CMainDlg::slot_Drive_RobApp);
    menu_Virtual->addAction(m_pDriveAction);

    label_Time->setText(f_SecForLanguage(0));
    label_Score->setText(f_ScoreForLanguage() + QStringLiteral("0") + f_ScoreForLanguage2());

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
    connect(app, &CEmuApp::signal_Ui_ProgramDropped, this, &CMainDlg::slot_ProgramDropped);
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
    // The robot page's own warning goes with it.
    m_pIdleMotorsLabel->hide();
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

    // The labels, the panel and the progress dialog in the new language.
    f_UpdateScoreTime();
    m_pRobDataDlg->f_Language();
    m_pProgressDlg->f_Language();
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

bool CMainDlg::IsRobotPanelShown() const {
    return m_pRobDataDlg && m_pRobDataDlg->isVisible();
}

int CMainDlg::RobotPanelIndex() const {
    return m_pRobDataDlg ? m_pRobDataDlg->GetComboBox()->currentIndex() : -1;
}

// ---- texts and message boxes of the page -------------------------------------------------

QString CMainDlg::f_SecForLanguage(int hundredths) const {
    return QString::asprintf("%.2f", hundredths / 100.0)
        + m_config.GetText("CMainDlg", "f_SecForLanguage", "s");
}

QString CMainDlg::f_ScoreForLanguage() const {
    return m_config.GetText("CMainDlg", "f_ScoreForLanguage", "s");
}

QString CMainDlg::f_ScoreForLanguage2() const {
    return m_config.GetText("CMainDlg", "f_ScoreForLanguage2", "s");
}

QString CMainDlg::ScoreLabelText(const std::vector<int>& scores) const {
    const QString unit = f_ScoreForLanguage2();
    QStringList each;
    for (const int score : scores)
        each << QString::number(score) + unit;
    if (each.isEmpty())
        each << QStringLiteral("0") + unit;
    // A bare comma would run two scores into one ("15,-5").
    return f_ScoreForLanguage() + each.join(m_config.GetText("CMainDlg", "f_ScoreForLanguage", "sApart"));
}

void CMainDlg::f_MapPixWrong() const {
    m_config.ShowTips("CMainDlg", "f_MapPixWrong", "s");
}

void CMainDlg::f_LoadStrategyMessage() const {
    m_config.ShowTips("CMainDlg", "f_LoadStrategyMessage", "s");
}

void CMainDlg::f_LoadStrategyMessage(const QString& file, const QString& reason) const {
    m_config.f_TipsDlg(m_config.GetText("CMainDlg", "f_LoadStrategyMessage", "s") + QLatin1Char('\n') + file
        + QLatin1Char('\n') + reason);
}

// ---- loading -------------------------------------------------------------------------------

QString CMainDlg::RunPath(const std::string& path) const {
    return m_config.InProgramDir(QString::fromLocal8Bit(path.c_str()));
}

QString CMainDlg::ChooseRunFile(const QString& folder, const QString& filter) {
    return QFileDialog::getOpenFileName(this, f_OpenFileMessage(), folder, filter + f_3DFileMessage());
}

bool CMainDlg::slot_VirtualLoadRobot() {
    f_ResetEmuAppMouseMode();
    // While the loader builds robots it owns the run lists.
    if (m_pEmuApp->IsLoading())
        return false;
    const SRobThreadData& block = *m_pEmuApp->GetLoadBlock();
    const QString folder = block.m_vecRobotFiles.empty()
        ? m_config.InProgramDir(QStringLiteral("robot"))
        : QFileInfo(RunPath(block.m_vecRobotFiles.front())).absolutePath();
    const QString file = ChooseRunFile(folder, QStringLiteral("ROB (*.rob)\n"));
    if (file.isEmpty() || m_pEmuApp->IsLoading())
        return false;
    if (file.endsWith(QStringLiteral(".3d"), Qt::CaseInsensitive))
        return f_Load3DFile(file);
    m_runListsBefore = RunLists { block.m_vecRobotFiles, block.m_vecProgramFiles, block.m_strProgramFile };
    m_pEmuApp->GetLoadBlock()->m_vecRobotFiles = { file.toLocal8Bit().toStdString() };
    f_EmuAppRefresh();
    return true;
}

bool CMainDlg::slot_LoadStrategy() {
    f_ResetEmuAppMouseMode();
    if (m_pEmuApp->IsLoading())
        return false;
    const SRobThreadData& block = *m_pEmuApp->GetLoadBlock();
    QString folder;
    if (!block.m_strProgramFile.empty())
        folder = QFileInfo(RunPath(block.m_strProgramFile)).absolutePath();
    else if (!block.m_vecProgramFiles.empty() && !block.m_vecProgramFiles.front().empty())
        folder = QFileInfo(RunPath(block.m_vecProgramFiles.front())).absolutePath();
    else if (!m_config.m_strDllDir.isEmpty()
        && QFileInfo(m_config.ProgramDir() + m_config.m_strDllDir).isDir())
        folder = m_config.ProgramDir() + m_config.m_strDllDir;
    else
        // The examples of the students' kit, built beside their sources.
        folder = m_config.InProgramDir(QStringLiteral("sdk/examples"));
    // Robot programs are shared libraries; "DLL" is what the kit's
    // materials call them.
    const QString file = ChooseRunFile(folder, QStringLiteral("DLL (*.so *.dll)\n"));
    if (file.isEmpty() || m_pEmuApp->IsLoading())
        return false;
    if (file.endsWith(QStringLiteral(".3d"), Qt::CaseInsensitive))
        return f_Load3DFile(file);
    // Tried before anything changes: a program that does not load is told
    // now, with robots or without, and the one before stays.
    const std::string chosen = file.toLocal8Bit().toStdString();
    const CRobotProgram::CheckResult check = CRobotProgram::CheckProgram(chosen);
    if (check.fault != CRobotProgram::Fault::None) {
        qCWarning(lcWindow, "The program %s was not taken: %s", chosen.c_str(), check.reason.c_str());
        f_LoadStrategyMessage(file, ProgramFaultText(m_config, check));
        return false;
    }
    SRobThreadData& lists = *m_pEmuApp->GetLoadBlock();
    lists.m_vecProgramFiles.clear();
    lists.m_strProgramFile = chosen;
    bool loaded = true;
    for (int i = 0; i < m_pEmuApp->GetRobotCount(); ++i) {
        if (!m_pEmuApp->LoadRobotProgram(lists.m_strProgramFile, i))
            loaded = false;
    }
    if (!loaded)
        f_LoadStrategyMessage();
    return loaded;
}

bool CMainDlg::slot_VirtualLoadGround() {
    f_ResetEmuAppMouseMode();
    if (m_pEmuApp->IsLoading())
        return false;
    const QString file
        = ChooseRunFile(m_config.InProgramDir(QStringLiteral("playground")), QStringLiteral("PLA (*.pla)\n"));
    if (file.isEmpty() || m_pEmuApp->IsLoading())
        return false;
    if (file.endsWith(QStringLiteral(".3d"), Qt::CaseInsensitive))
        return f_Load3DFile(file);
    if (!AcceptsMatchPlaygroundFile(file))
        return false;
    const std::string chosen = file.toLocal8Bit().toStdString();
    m_pEmuApp->GetLoadBlock()->m_strPlaygroundFile = chosen;
    m_nExampleLevel = 0;
    f_EmuAppRefresh();
    // A playground the simulation refused has given way to the one before.
    return m_pEmuApp->GetLoadBlock()->m_strPlaygroundFile == chosen;
}

void CMainDlg::f_EmuAppRefresh() {
    f_HideMessagePanelOnce();
    SRobThreadData& block = *m_pEmuApp->GetLoadBlock();
    if (block.m_vecRobotFiles.empty() && m_pEmuApp->m_bFollow) {
        menu_View_Flow->clear();
        f_EndFollowView();
        m_pEmuApp->SetViewPreset(3);
    }
    m_pEmuApp->ReloadMap(m_bPageSwitch);
    // No playground file leaves the playground as it is.
    const std::string& refused = m_pEmuApp->GetPlayground()->GetLoadError();
    if (!block.m_strPlaygroundFile.empty() && refused.empty()) {
        m_sShownPlayground = block.m_strPlaygroundFile;
    } else if (!block.m_strPlaygroundFile.empty()) {
        // The playground shown before stays, and so does its file, so that
        // the next reload does not refuse the same file again. The message
        // names the refused file and why, as the playground builder says it,
        // in the current language; the reader's own words go to the log.
        qCWarning(lcWindow, "The playground %s was not loaded: %s", block.m_strPlaygroundFile.c_str(),
            refused.c_str());
        const QString file = RunPath(block.m_strPlaygroundFile);
        block.m_strPlaygroundFile = m_sShownPlayground;
        QString message = m_config.GetText("CMainDlg", "f_EmuAppRefresh", "s") + QLatin1Char('\n') + file;
        if (const QString why = PlaygroundRefusalText(true); !why.isEmpty())
            message += QLatin1Char('\n') + why;
        m_config.f_TipsDlg(message);
    }
    // Without robot files the loader has nothing to do and says nothing:
    // the reload is over at once.
    if (block.m_vecRobotFiles.empty() && !m_pEmuApp->IsLoading())
        f_Ui_ReloadToEmuApp(1);
}

void CMainDlg::f_HideMessagePanelOnce() {
    if (m_bPanelHiddenOnce)
        return;
    m_bPanelHiddenOnce = true;
    if (IsRobotPanelShown()) {
        m_pRobDataDlg->hide();
        m_bPanelWasShown = true;
    }
}

bool CMainDlg::HandProgramsToRobots() {
    const SRobThreadData& block = *m_pEmuApp->GetLoadBlock();
    const int robots = m_pEmuApp->GetRobotCount();
    if (!block.m_vecProgramFiles.empty()) {
        for (int i = 0; i < robots && std::size_t(i) < block.m_vecProgramFiles.size(); ++i) {
            const std::string& program = block.m_vecProgramFiles[std::size_t(i)];
            if (!program.empty() && !m_pEmuApp->LoadRobotProgram(program, i))
                return false;
        }
        return true;
    }
    if (block.m_strProgramFile.empty())
        return true;
    for (int i = 0; i < robots; ++i) {
        if (!m_pEmuApp->LoadRobotProgram(block.m_strProgramFile, i))
            return false;
    }
    return true;
}

void CMainDlg::TellRobotNotLoaded(int robot, const RobotRows* rows) {
    const SRobThreadData& block = *m_pEmuApp->GetLoadBlock();
    // A robot beyond the playground's start zones loads, but has nowhere to
    // stand.
    const bool noPlace = block.m_failure == RobotLoadFault::NoStartZone;
    QString text = m_config.GetText("CMainDlg", "f_Ui_ReloadToEmuApp", noPlace ? "sNoPlace" : "s");
    if (robot >= 0 && std::size_t(robot) < block.m_vecRobotFiles.size()) {
        text += QLatin1Char('\n');
        if (rows)
            text += m_config.GetText("CMainDlg", "f_Ui_ReloadToEmuApp", "sRow").arg(rows->RowOf(robot));
        text += RunPath(block.m_vecRobotFiles[std::size_t(robot)]);
        QString reason = RobotFaultText(m_config, block.m_failure);
        if (noPlace) {
            const std::size_t zones = block.m_vecStartPositions.size();
            reason = zones == 0
                ? m_config.GetText("CMainDlg", "f_Ui_ReloadToEmuApp", "sNoStartZone")
                : m_config.GetText("CMainDlg", "f_Ui_ReloadToEmuApp", "sStartZones").arg(zones);
        }
        if (!reason.isEmpty())
            text += QLatin1Char('\n') + reason;
    }
    m_config.f_TipsDlg(text);
}

QStringList CMainDlg::IdleMotorTexts() const {
    std::vector<QString> names;
    f_SensorMessage(names);
    const QString motor = names.size() > std::size_t(::window::kPortKindMotor)
        ? names[std::size_t(::window::kPortKindMotor)]
        : QString();
    const QString notWired = names.empty() ? QString() : names.front();
    QStringList texts;
    for (int i = 0; i < m_pEmuApp->GetRobotCount(); ++i) {
        const CRob* robot = m_pEmuApp->GetRobot(i);
        if (!robot)
            continue;
        const QString name = QFileInfo(QString::fromLocal8Bit(robot->GetFileName().c_str())).baseName();
        for (int index : robot->IdleMotors()) {
            const int port = robot->GetMotors()[std::size_t(index)]->GetPort();
            // Motors are numbered as the robot page's port tree numbers them.
            texts << m_config.GetText("CMainDlg", "f_Ui_ReloadToEmuApp", "sIdleMotor")
                         .arg(name, motor + QString::number(index + 1),
                             ::window::PortText(port, ::window::kPortKindMotor, m_config.m_bIsE, notWired));
        }
    }
    return texts;
}

QString CMainDlg::RuleBreakText(int robot, const RobotRows* rows) const {
    const SRobThreadData& block = *m_pEmuApp->GetLoadBlock();
    if (robot < 0 || std::size_t(robot) >= block.m_vecRobotFiles.size())
        return QString();
    QString name = QFileInfo(RunPath(block.m_vecRobotFiles[std::size_t(robot)])).baseName();
    if (rows)
        name = m_config.GetText("CMainDlg", "f_Ui_ReloadToEmuApp", "sRowName")
                   .arg(name)
                   .arg(rows->RowOf(robot));
    const RobotRuleBreak& broken = block.m_ruleBreak;
    // The sensor model by the name its button in the sensor bar shows.
    QString sensor = m_config.GetObjName(broken.address);
    const CBrickBox* bar = m_pRobotBars[2];
    if (bar && broken.sensorModel >= 0 && broken.sensorModel < int(bar->GetPictures().size()))
        sensor = bar->GetPictures()[std::size_t(broken.sensorModel)]->toolTip();
    QString why;
    switch (broken.limit) {
    case RobotRuleBreak::Limit::Parts:
        why = m_config.GetText("CMainDlg", "f_Ui_ReloadToEmuApp", "sRuleParts")
                  .arg(name)
                  .arg(broken.count)
                  .arg(broken.allowed);
        break;
    case RobotRuleBreak::Limit::Sensors:
        why = m_config.GetText("CMainDlg", "f_Ui_ReloadToEmuApp", "sRuleSensors")
                  .arg(name)
                  .arg(broken.count)
                  .arg(sensor)
                  .arg(broken.allowed);
        break;
    case RobotRuleBreak::Limit::SensorModel:
        why = m_config.GetText("CMainDlg", "f_Ui_ReloadToEmuApp", "sRuleModel").arg(name, sensor);
        break;
    case RobotRuleBreak::Limit::None:
        break;
    }
    QString text = m_config.GetText("CMainDlg", "f_Ui_ReloadToEmuApp", "sLeftOut") + why;
    // The loader stops at the robot that breaks the rules.
    if (std::size_t(robot) + 1 < block.m_vecRobotFiles.size())
        text += QLatin1Char(' ') + m_config.GetText("CMainDlg", "f_Ui_ReloadToEmuApp", "sRuleRest");
    return text;
}

bool CMainDlg::CheckRowPrograms(const RobotRows& rows) {
    for (std::size_t row = 0; row < rows.robots.size() && row < rows.programs.size(); ++row) {
        const std::string& program = rows.programs[row];
        if (rows.robots[row].empty() || program.empty())
            continue;
        const CRobotProgram::CheckResult check = CRobotProgram::CheckProgram(program);
        if (check.fault == CRobotProgram::Fault::None)
            continue;
        qCWarning(lcWindow, "The program %s of row %d was not taken: %s", program.c_str(), int(row) + 1,
            check.reason.c_str());
        f_LoadStrategyMessage(
            m_config.GetText("CMainDlg", "f_Ui_ReloadToEmuApp", "sRow").arg(int(row) + 1) + RunPath(program),
            ProgramFaultText(m_config, check));
        return false;
    }
    return true;
}

void CMainDlg::f_Ui_ReloadToEmuApp(int result) {
    SRobThreadData& block = *m_pEmuApp->GetLoadBlock();
    m_loadNotes.clear();
    std::optional<RunLists> before;
    before.swap(m_runListsBefore);
    std::optional<RobotRows> chosen;
    chosen.swap(m_rowsLoading);
    if (result == 0) {
        TellRobotNotLoaded(block.m_nFailedRobot, chosen ? &*chosen : nullptr);
        if (before) {
            // The robots chosen did not load: they are told once, and the run
            // gets back the robots and programs it had. Loaded once the
            // loader's end has been dealt with in full. Rows the robots came
            // from are kept as entered.
            if (chosen)
                m_rowsRefused = RefusedRows { std::move(*chosen), *before };
            block.m_vecRobotFiles = std::move(before->robots);
            block.m_vecProgramFiles = std::move(before->programs);
            block.m_strProgramFile = std::move(before->program);
            QTimer::singleShot(0, this, [this] {
                if (!m_pEmuApp->IsLoading())
                    f_EmuAppRefresh();
            });
            return;
        }
    } else if (result == 2) {
        // A robot broke the playground's part limits and was left out: the
        // rules show what the playground allows, and the robot's name and
        // the limit it broke are told with them and in the score table.
        const QString left = RuleBreakText(block.m_nFailedRobot, chosen ? &*chosen : nullptr);
        m_loadNotes << left;
        QStringList rows;
        if (const CBrickBox* sensors = m_pRobotBars[2]) {
            for (const CImageViewer* picture : sensors->GetPictures())
                rows << picture->toolTip();
        }
        std::vector<int> rules = block.m_vecRules;
        CRuleDlg rule(
            rows, rules, m_config.GetText("CMainDlg", "f_Ui_ReloadToEmuApp", "sRule"), false, m_config, this);
        rule.SetNote(left);
        rule.exec();
    }
    if (!HandProgramsToRobots())
        f_LoadStrategyMessage();
    // A motor that drives no wheel leaves its robot standing: told as the
    // robots are there, and in the score table.
    const QStringList idle = IdleMotorTexts();
    if (!idle.isEmpty())
        statusbar->showMessage(idle.join(QLatin1Char(' ')));
    m_loadNotes << idle;

    label_Score->setText(ScoreLabelText(std::vector<int>(std::size_t(m_pEmuApp->GetRobotCount()), 0)));
    const bool robots = m_pEmuApp->GetRobotCount() > 0;
    action_Show_Message->setEnabled(robots);
    if (m_bPanelWasShown) {
        m_bPanelWasShown = false;
        if (robots)
            slot_Show_Message_Dialog();
    }
    f_InitFollowActions();
    m_bPanelHiddenOnce = false;
}

// ---- follow menu ---------------------------------------------------------------------------

void CMainDlg::f_InitFollowActions() {
    // The menu owns its actions: clearing it frees them.
    menu_View_Flow->clear();
    const int robots = m_pEmuApp->GetRobotCount();
    for (int i = 0; i < robots; ++i) {
        auto* action = new QAction(menu_View_Flow);
        action->setCheckable(true);
        // slot_ButtonFollow finds its robot by this index.
        action->setObjectName(QString::number(i));
        action->setText(QFileInfo(QString::fromLocal8Bit(m_pEmuApp->GetRobotFileName(i).c_str())).fileName());
        connect(action, &QAction::triggered, this, &CMainDlg::slot_ButtonFollow);
        menu_View_Flow->addAction(action);
    }
    if (robots == 0 && m_pEmuApp->m_bFollow) {
        f_EndFollowView();
        m_pEmuApp->SetViewPreset(3);
    }
}

void CMainDlg::slot_ButtonFollow() {
    f_ResetEmuAppMouseMode();
    auto* action = qobject_cast<QAction*>(sender());
    if (!action)
        return;
    bool number = false;
    const int index = action->objectName().toInt(&number, 10);
    // A menu left from before a reload may name a robot that has gone.
    CRob* robot = number ? m_pEmuApp->GetRobot(index) : nullptr;
    if (!robot) {
        action->setChecked(false);
        return;
    }
    f_EndFollowView();
    action->setChecked(true);
    action->setEnabled(false);
    for (QAction* mode : { action_RobotRotate, action_RobotMove, action_RobotDel })
        mode->setVisible(false);
    m_pEmuApp->SetFollowTarget(robot);
    m_pEmuApp->SetViewPreset(4);
}

// ---- robot data panel ---------------------------------------------------------------------------

void CMainDlg::slot_Show_Message_Dialog() {
    f_ResetEmuAppMouseMode();
    if (m_pRobDataDlg->isVisible()) {
        m_pRobDataDlg->hide();
        m_bPanelPending = false;
        return;
    }
    QComboBox* robots = m_pRobDataDlg->GetComboBox();
    robots->clear();
    for (int i = 0; i < m_pEmuApp->GetRobotCount(); ++i)
        robots->addItem(QFileInfo(QString::fromLocal8Bit(m_pEmuApp->GetRobotFileName(i).c_str())).fileName());
    // At the right edge of the 3-D view, a little below its top.
    const QPoint place
        = mapToGlobal(QPoint(widget_5->width() - m_pRobDataDlg->width() + 20, widget_5->y() + 120));
    m_pRobDataDlg->move(place);
    m_pRobDataDlg->show();
    // The panel closes itself should the robots go.
    m_bPanelPending = true;
}

void CMainDlg::slot_Complie(std::string output, std::string input) {
    f_UpdateScoreTime();
    if (!IsRobotPanelShown())
        return;
    // The choice may name a robot that a reload took away.
    const int index = RobotPanelIndex();
    if (index < 0 || index >= m_pEmuApp->GetRobotCount())
        return;
    window::RobotDataCaptions captions;
    const TiXmlElement* group = m_config.FindTextNode("CMainDlg", "slot_Complie");
    captions.device = Text(group, "sName");
    captions.port = Text(group, "sName2");
    captions.value = Text(group, "sName3");
    captions.exchanged = Text(group, "sDisplay");
    std::vector<QString> names;
    f_SensorMessage(names);
    // Device names by device type: 1 motor, 2 + k sensor kind k, 12 the
    // coloured light, 13 (where the language has it) the magnet sensor.
    names.resize(std::max<std::size_t>(names.size(), 14));
    captions.motor = names[1];
    captions.light = names[12];
    for (std::size_t kind = 0; kind < 10; ++kind)
        captions.sensors.push_back(names[kind + 2]);
    captions.sensors.push_back(names[13]);
    // The robot's own motors and lights, with what they hold after the
    // program's last answer: an answer the simulation cannot read changes
    // none of them.
    window::RobotDevices devices;
    if (const CRob* robot = m_pEmuApp->GetRobot(index)) {
        for (const auto& motor : robot->GetMotors())
            devices.motors.push_back({ motor->GetPort(), motor->GetValue() });
        for (const auto& light : robot->GetLights())
            devices.lights.push_back({ light->GetPort(), light->GetColorIndex() });
    }
    m_pRobDataDlg->SetText(window::RobotDataText(captions, devices, output, input));
}

void CMainDlg::f_Ui_SetProgress(int percent) {
    if (m_pProgressDlg)
        m_pProgressDlg->SetValue(percent);
}

} // namespace Ui
