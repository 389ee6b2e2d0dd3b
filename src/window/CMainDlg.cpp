#include "window/CMainDlg.h"

#include "apps/CEmuApp.h"
#include "apps/CPlaApp.h"
#include "apps/CRobApp.h"
#include "dialogs/CProgressDlg.h"
#include "dialogs/CUserDefineDlg.h"
#include "foundation/CConfig.h"
#include "foundation/WorkFolder.h"
#include "scene/SceneView.h"
#include "widgets/CExWidget.h"
#include "window/Pictures.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QTranslator>

// The window's pictures are compiled into the program.
static void InitWindowPictures() {
    Q_INIT_RESOURCE(morvane_icons);
}

namespace Ui {

namespace {

// "example" followed by decimal digits: the example's number, else -1.
int ExampleNumber(const char* elementName) {
    const QString name = QString::fromUtf8(elementName);
    static const QRegularExpression pattern(QStringLiteral("^example([0-9]{1,9})$"));
    const QRegularExpressionMatch match = pattern.match(name);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

} // namespace

CMainDlg::CMainDlg(CConfig& config)
    : m_config(config)
    , m_pUserDefineDlg(std::make_unique<CUserDefineDlg>(config)) {
    InitWindowPictures();

    m_bMatchRunning = false;

    setupUi(this);
    tabWidget->setCurrentWidget(tab1);

    InitMenuActions();
    InitToolBars();

    // The pages may write into the working folder as they are set up, so it
    // is emptied first (unless another Morvane works in it).
    m_pWorkFolder = std::make_unique<WorkFolder>(config.InProgramDir(QStringLiteral("Temp")));

    f_InitRobAppPage();
    f_InitPlaAppPage();
    f_InitEmuAppPage();

    connect(tabWidget, &QTabWidget::currentChanged, this,
        [this](int index) { slot_TabWidgetChange(tabWidget->widget(index)); });
    connect(statusbar, &QStatusBar::messageChanged, this, &CMainDlg::f_Ui_StatusBar_Change);

    m_pFrameTimer = new QTimer(this);
    m_pFrameTimer->setTimerType(Qt::PreciseTimer);
    connect(m_pFrameTimer, &QTimer::timeout, this, &CMainDlg::slot_Update);

    if (config.m_nRunMode == RunModeNet) {
        m_bMatchRunning = false;
        m_bMatchTimeOut = false;
        m_pMatchTimeLabel = new QLabel();
        statusbar->addPermanentWidget(m_pMatchTimeLabel, 0);
        f_Ui_StatusBar_ShowMatchTime(0, 0);
        m_pMatchTimer = new QTimer(this);
        connect(m_pMatchTimer, &QTimer::timeout, this, &CMainDlg::f_Ui_UpdateMatchTime);
    }
    if (config.m_nRunMode == RunModeClassroom) {
        connect(&config, &CConfig::signal_Disconnect, this, &CMainDlg::slot_Disconnect, Qt::QueuedConnection);
        connect(&config, &CConfig::signal_GetMsg, this, &CMainDlg::slot_GetMsg);
    }
    if (ContestClient* contest = config.Contest(); contest && config.m_nRunMode == RunModeNet) {
        // The login runs after the client's own signal has returned.
        connect(
            contest, &ContestClient::LoginNeeded, this, &CMainDlg::slot_LoginNeeded, Qt::QueuedConnection);
        connect(contest, &ContestClient::MatchEnded, this, &CMainDlg::slot_MatchEnded);
    }

    if (config.m_nWindowOption == 0)
        slot_ToolBarIcon();
    else if (config.m_nWindowOption == 1)
        slot_ToolBarText();
    else
        slot_ToolBarIconText();

    ResetModelBars();
    f_Language(true);

    static const QRegularExpression coordinate(QStringLiteral("-?((1000)|([0-9]{0,3}((\\.[0-9]{0,2})?)))"));
    static const QRegularExpression angle(
        QStringLiteral("-?((3[0-5][0-9]((\\.[0-9]{0,2})?))|([0-2]{0,1}[0-9]{0,2}((\\.[0-9]{0,2})?)))"));
    m_pPosValidator = new QRegularExpressionValidator(coordinate, this);
    m_pTurnValidator = new QRegularExpressionValidator(angle, this);
    QLineEdit* const robPos[3] = { lineEdit_RobPosX, lineEdit_RobPosY, lineEdit_RobPosZ };
    QLineEdit* const robTurn[3] = { lineEdit_RobTurnX, lineEdit_RobTurnY, lineEdit_RobTurnZ };
    QLineEdit* const plaPos[3] = { lineEdit_PlaPosX, lineEdit_PlaPosY, lineEdit_PlaPosZ };
    QLineEdit* const plaTurn[3] = { lineEdit_PlaTurnX, lineEdit_PlaTurnY, lineEdit_PlaTurnZ };
    for (int i = 0; i < 3; ++i) {
        robPos[i]->setValidator(m_pPosValidator);
        robTurn[i]->setValidator(m_pTurnValidator);
        plaPos[i]->setValidator(m_pPosValidator);
        plaTurn[i]->setValidator(m_pTurnValidator);
    }

    QFile styleSheet(config.InProgramDir(QStringLiteral("mainForm.qss")));
    if (styleSheet.open(QIODevice::ReadOnly))
        qApp->setStyleSheet(QString::fromLatin1(styleSheet.readAll()));
    else
        qApp->setStyleSheet(QString());

    mywidget->setFocus(Qt::ActiveWindowFocusReason);

    m_pRobApp->Resume();
    m_pPlaApp->Pause();
    m_pEmuApp->Pause();
    // The edit tools follow the selection from the first frame on; until
    // then (a classroom start asks for the teacher's address first) there
    // is nothing selected for them either.
    f_UpdateRobAppEditActions();

    // The screen less a margin, for when the window leaves its maximised
    // state; the form's own size is only its designer's. Set last, so that
    // nothing built above widens it again.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect desk = screen->geometry();
        setGeometry(desk.x() + 100, desk.y() + 50, desk.width() - 200, desk.height() - 200);
    }
}

CMainDlg::~CMainDlg() {
    m_pFrameTimer->stop();
    // A window still shown hides here, while the pages' applications live:
    // the focus leaving an edit (a pose box typed into) still applies it.
    // QWidget's own destructor would hide it after they are gone.
    hide();
    CConfig& config = m_config;
    if (action_ToolBar_Icon->isChecked())
        config.m_nWindowOption = 0;
    else if (action_ToolBar_Text->isChecked())
        config.m_nWindowOption = 1;
    else
        config.m_nWindowOption = 2;
    config.SaveSettings();
    m_pRobApp = nullptr;
    m_pPlaApp = nullptr;
    m_pEmuApp = nullptr;
}

QMenu* CMainDlg::createPopupMenu() {
    return nullptr;
}

void CMainDlg::InitMenuActions() {
    const CConfig& config = m_config;

    m_pLanguageGroup = new QActionGroup(this);
    connect(m_pLanguageGroup, &QActionGroup::triggered, this, &CMainDlg::slot_SetLanguage);
    for (int i = 0; i < int(config.m_vecLanguage.size()); ++i) {
        auto* action = new QAction(this);
        action->setObjectName(QString::number(i));
        m_pLanguageGroup->addAction(action);
        menu_internationalization->addAction(action);
        action->setCheckable(true);
        action->setChecked(i == config.m_nLanguage);
        action->setText(QString::fromUtf8(config.m_vecLanguage[size_t(i)].c_str()));
    }

    const std::pair<QAction*, const char*> icons[] = {
        { action_open, "38.png" },
        { action_save, "31.png" },
        { action_new, "34.png" },
        { action_quit, "5.png" },
        { action_ModelRotate_X, "53.png" },
        { action_ModelRotate_Y, "54.png" },
        { action_ModelRotate_Z, "55.png" },
        { action_ModelMove, "47.png" },
        { action_ModelDelete, "44.png" },
        { action_ModelCopy, "40.png" },
        { action_ModelPaste, "41.png" },
        { action_SoftwareHelp, "25.png" },
        { action_DocumentHelp, "29.png" },
        { action_ImportROB, "48.png" },
        { action_FarView, "28.png" },
        { action_NearView, "27.png" },
        { action_Show_Message, "58.png" },
        { action_Top_View, "trace.png" },
        { action_Left_View, "62.png" },
        { action_Front_View, "61.png" },
        { action_Over_View, "42.png" },
        { action_Undo, "Undo.png" },
        { action_Redo, "Redo.png" },
        { action_AllSel, "AllSel.png" },
        // The point-move action is the colour action: "P" picks a colour.
        { action_Color, "56-.png" },
        // Menu commands that would otherwise stand out without a picture.
        { action_saveas, "32.png" },
        { action_PointTurn_X, "49.png" },
        { action_PointTurn_Y, "50.png" },
        { action_PointTurn_Z, "51.png" },
        { action_Return, "45.png" },
        { action_Up3DFile, "63.png" },
        { action_NetMatch, "64.png" },
    };
    for (const auto& [action, file] : icons)
        action->setIcon(WindowPicture(file));

    connect(action_ModelRotate_X, &QAction::triggered, this, &CMainDlg::slot_RotateX);
    connect(action_ModelRotate_Y, &QAction::triggered, this, &CMainDlg::slot_RotateY);
    connect(action_ModelRotate_Z, &QAction::triggered, this, &CMainDlg::slot_RotateZ);
    connect(action_PointTurn_X, &QAction::triggered, this, &CMainDlg::slot_PointTurnX);
    connect(action_PointTurn_Y, &QAction::triggered, this, &CMainDlg::slot_PointTurnY);
    connect(action_PointTurn_Z, &QAction::triggered, this, &CMainDlg::slot_PointTurnZ);
    connect(action_Return, &QAction::triggered, this, &CMainDlg::slot_Return);
    connect(action_ModelMove, &QAction::triggered, this, &CMainDlg::slot_Move);
    connect(action_ModelCopy, &QAction::triggered, this, &CMainDlg::slot_Copy);
    connect(action_ModelPaste, &QAction::triggered, this, &CMainDlg::slot_Paste);
    connect(action_ModelDelete, &QAction::triggered, this, &CMainDlg::slot_Del);
    connect(action_open, &QAction::triggered, this, &CMainDlg::slot_Open);
    connect(action_save, &QAction::triggered, this, &CMainDlg::slot_Save);
    connect(action_saveas, &QAction::triggered, this, &CMainDlg::slot_SaveAs);
    connect(action_new, &QAction::triggered, this, &CMainDlg::slot_New);
    connect(action_quit, &QAction::triggered, this, &QWidget::close);
    connect(action_Open_Example, &QAction::triggered, this, &CMainDlg::slot_ExampleFile);
    connect(action_RunRCJ, &QAction::triggered, this, &CMainDlg::slot_RunRCJ);
    connect(action_Show_Message, &QAction::triggered, this, &CMainDlg::slot_Show_Message_Dialog);
    connect(action_SoftwareHelp, &QAction::triggered, this, &CMainDlg::slot_SoftwareHelp);
    connect(action_DocumentHelp, &QAction::triggered, this, &CMainDlg::slot_DocumetHelp);
    connect(action_ImportROB, &QAction::triggered, this, &CMainDlg::slot_LoadToEmuApp);
    connect(action_FarView, &QAction::triggered, this, &CMainDlg::slot_FarView);
    connect(action_NearView, &QAction::triggered, this, &CMainDlg::slot_NearView);
    connect(action_Top_View, &QAction::triggered, this, &CMainDlg::slot_TopView);
    connect(action_Left_View, &QAction::triggered, this, &CMainDlg::slot_LeftView);
    connect(action_Front_View, &QAction::triggered, this, &CMainDlg::slot_FrontView);
    connect(action_Over_View, &QAction::triggered, this, &CMainDlg::slot_OverView);
    connect(action_Undo, &QAction::triggered, this, &CMainDlg::slot_Undo);
    connect(action_Redo, &QAction::triggered, this, &CMainDlg::slot_Redo);
    connect(action_AllSel, &QAction::triggered, this, &CMainDlg::slot_AllSel);
    connect(action_NetMatch, &QAction::triggered, this, &CMainDlg::slot_NetMatch);
    connect(action_Up3DFile, &QAction::triggered, this, &CMainDlg::slot_Up3DFile);

    const std::pair<QAction*, const char*> shortcuts[] = {
        { action_Undo, "Ctrl+Z" },
        { action_Redo, "Ctrl+Y" },
        { action_AllSel, "Ctrl+A" },
        { action_ModelRotate_X, "A" },
        { action_ModelRotate_Y, "S" },
        { action_ModelRotate_Z, "D" },
        { action_PointTurn_X, "Q" },
        { action_PointTurn_Y, "W" },
        { action_PointTurn_Z, "E" },
        { action_Return, "R" },
        { action_ModelMove, "M" },
        { action_ModelCopy, "Ctrl+C" },
        { action_ModelPaste, "Ctrl+V" },
        { action_ModelDelete, "Del" },
        { action_open, "Ctrl+O" },
        { action_save, "Ctrl+S" },
        { action_saveas, "Shift+Ctrl+S" },
        { action_new, "Ctrl+N" },
        { action_quit, "Alt+F4" },
        { action_DocumentHelp, "F1" },
        { action_FarView, "+" },
        { action_NearView, "-" },
        { action_Color, "P" },
    };
    for (const auto& [action, keys] : shortcuts)
        action->setShortcut(QKeySequence(QString::fromLatin1(keys)));

    action_ModelPaste->setEnabled(false);
    action_Undo->setEnabled(false);
    action_Redo->setEnabled(false);
    action_NetMatch->setVisible(config.m_nRunMode == RunModeNet);
    action_Up3DFile->setVisible(config.m_nRunMode == RunModeClassroom);
    for (QAction* style : { action_ToolBar_IconAndText, action_ToolBar_Icon, action_ToolBar_Text })
        style->setCheckable(true);

    QFont menuFont = font();
    menuFont.setPointSize(11);
    menubar->setFont(menuFont);

    menu->addAction(action_new);
    menu->addAction(action_open);
    menu->addAction(action_save);
    menu->addAction(action_saveas);
    menu->addSeparator();
    menu->addAction(action_NetMatch);
    menu->addAction(action_Up3DFile);
    menu->addAction(action_RunRCJ);
    menu->addAction(menu_2->menuAction());
    InitExampleMenu();
    menu->addSeparator();
    menu->addAction(action_quit);

    menu_E->addAction(action_ModelCopy);
    menu_E->addAction(action_ModelPaste);
    menu_E->addAction(action_Undo);
    menu_E->addAction(action_Redo);
    menu_E->addAction(action_AllSel);
    menu_E->addSeparator();
    menu_E->addAction(action_User_DefineModel);
    m_pRuleAction = new QAction(this);
    connect(m_pRuleAction, &QAction::triggered, this, &CMainDlg::slot_Rule);
    m_pRuleAction->setVisible(false);
    menu_E->addAction(m_pRuleAction);
    menu_E->addAction(menu_6->menuAction());
    menu_E->addAction(menu_internationalization->menuAction());

    for (QAction* action : { action_ModelRotate_X, action_ModelRotate_Y, action_ModelRotate_Z,
             action_PointTurn_X, action_PointTurn_Y, action_PointTurn_Z, action_Return, action_Color,
             action_ModelMove, action_ModelDelete, action_RobotRotate, action_RobotMove, action_RobotDel })
        menu_Operator->addAction(action);
    menu_Operator->addAction(menu_Group->menuAction());
    menu_Operator->addSeparator();
    for (QAction* action : { action_Ground_changeMap, action_ImportROB, action_LoadGround, action_LoadRobot,
             action_LoadStrategy, action_Multiplayer_Game })
        menu_Operator->addAction(action);
    menu_Operator->addSeparator();
    menu_Operator->addAction(menu_3DView->menuAction());
    menu_Operator->addAction(action_FarView);
    menu_Operator->addAction(action_NearView);

    menu_Virtual->addAction(action_VirtualStart);
    menu_Virtual->addAction(action_Show_Message);
    menu_Virtual->addSeparator();
    menu_Virtual->addAction(menu_View_Flow->menuAction());
    menu_Virtual->addAction(menu_3->menuAction());

    menu_Help->addAction(action_SoftwareHelp);
    menu_Help->addAction(action_DocumentHelp);
    m_pUpdateAction = new QAction(this);
    connect(m_pUpdateAction, &QAction::triggered, this, &CMainDlg::slot_UpdateSoftware);
    menu_Help->addAction(m_pUpdateAction);

    menu_6->addAction(action_ToolBar_IconAndText);
    menu_6->addAction(action_ToolBar_Icon);
    menu_6->addAction(action_ToolBar_Text);
    for (QAction* action : { action_Top_View, action_Left_View, action_Front_View, action_Over_View })
        menu_3DView->addAction(action);
    menu_Group->addAction(action_Walls);
    menu_Group->addAction(action_Dominoes);
    for (QAction* action : { action_EmuMaxTime, action_FollowHigh, action_SensorEffect })
        menu_3->addAction(action);
}

void CMainDlg::InitToolBars() {
    m_pFileToolBar = addToolBar(QStringLiteral("file"));
    m_pFileToolBar->setObjectName(QStringLiteral("fileToolBar"));
    m_pOperatorToolBar = addToolBar(QStringLiteral("operator"));
    m_pOperatorToolBar->setObjectName(QStringLiteral("operatorToolBar"));
    m_pVirtualToolBar = addToolBar(QStringLiteral("virtual"));
    m_pVirtualToolBar->setObjectName(QStringLiteral("virtualToolBar"));
    for (QToolBar* bar : { m_pFileToolBar, m_pOperatorToolBar, m_pVirtualToolBar })
        bar->setIconSize(QSize(42, 42));

    for (QAction* action : { action_new, action_open, action_save, action_ModelCopy, action_ModelPaste,
             action_Undo, action_Redo, action_AllSel })
        m_pFileToolBar->addAction(action);
    for (QAction* action :
        { action_ModelRotate_X, action_ModelRotate_Y, action_ModelRotate_Z, action_ModelMove,
            action_ModelDelete, action_User_DefineModel, action_ImportROB, action_RobotRotate,
            action_RobotMove, action_RobotDel, action_LoadGround, action_LoadRobot, action_LoadStrategy })
        m_pOperatorToolBar->addAction(action);
    m_pOperatorToolBar->setFocusPolicy(Qt::NoFocus);
    m_pVirtualToolBar->addAction(action_VirtualStart);
    m_pVirtualToolBar->addAction(action_Show_Message);
    m_pVirtualToolBar->hide();
}

void CMainDlg::InitExampleMenu() {
    const CConfig& config = m_config;
    // The menu owns the example actions and their separator, so clearing
    // it frees them.
    menu_2->clear();
    if (const TiXmlElement* examples = config.m_pExampleNode) {
        for (const TiXmlElement* entry = examples->FirstChildElement(); entry;
             entry = entry->NextSiblingElement()) {
            const int number = ExampleNumber(entry->Value());
            if (number < 0)
                continue;
            // Special entries are listed like the others.
            int level = 0;
            entry->QueryIntAttribute("Lv", &level);
            if (level > config.m_nLevel + 1)
                continue;
            auto* action = new QAction(menu_2);
            connect(action, &QAction::triggered, this, &CMainDlg::slot_LoadExample);
            action->setObjectName(QStringLiteral("%1,%2").arg(number).arg(level));
            menu_2->addAction(action);
        }
    }
    menu_2->addSeparator();
    menu_2->addAction(action_Open_Example);
    f_LanguageExample();
}

void CMainDlg::ResetModelBars() {
    scrollArea_2->hide();
    MyScrollArea1->show();
    MyScrollArea_2->show();
    slot_BrickBrickBar();
    slot_ButtonGroundStatic();
}

scene::SceneView* CMainDlg::EmbedView(CExWidget* host) {
    auto* view = new scene::SceneView(host);
    view->setObjectName(QStringLiteral("DeltaWindow"));
    host->layout()->addWidget(view);
    host->SetGraphicsWindow(view->GetOsgViewerGraphicsWindow());
    host->resize(1350, 728);
    host->setMinimumSize(10, 10);
    return view;
}

CMainDlg::Page CMainDlg::CurrentPage() const {
    const int current = tabWidget->currentIndex();
    if (current == tabWidget->indexOf(tab1))
        return RobotPage;
    if (current == tabWidget->indexOf(tab2))
        return PlaygroundPage;
    if (current == tabWidget->indexOf(tab3))
        return SimulationPage;
    return NoPage;
}

} // namespace Ui
