#pragma once

#include "window/CMainDlg2.h"

#include "foundation/ContestClient.h"
#include "scene/FrameLoop.h"

#include <QByteArray>
#include <QDateTime>
#include <QDialog>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <osg/Vec4>
#include <osg/ref_ptr>

#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CBrickBox;
class CConfig;
class CEmuApp;
class CModel;
class CPlaApp;
class CProgressDlg;
class CRobApp;
class CRobDataDlg;
class CUserDefineDlg;
class WorkFolder;
class QActionGroup;
class QCloseEvent;
class QLabel;
class QRegularExpressionValidator;
class QTimer;
class QTranslator;
class QToolBar;
class QTreeWidgetItem;
class TiXmlElement;

namespace scene {
class SceneView;
}

namespace Ui {

// The simulator's main window: three tab pages (robot builder, playground
// builder, simulation), each hosting its scene application in a 3-D view,
// with the menus, tool bars and status bar around them.
//
// One frame timer drives everything: every tick steps the frame loop (input,
// pre-frame, frame and post-frame of the three applications; only the
// current page's application runs, the others are paused) and then
// refreshes the current page's controls. The edit commands of the menus,
// tool bars and keys go to the current page's application. Every text comes
// from the language texts of the set-up file, class "CMainDlg".
//
// Each run of the program starts with an empty working folder "Temp" in the
// program folder, and the settings are saved when the window goes.
class CMainDlg : public QMainWindow, public CMainDlg2 {
    Q_OBJECT

public:
    // The window reads and keeps its settings, texts and link in config,
    // which outlives it.
    explicit CMainDlg(CConfig& config);
    ~CMainDlg() override;

    // Started by the entry function with a 1 ms interval.
    QTimer* FrameTimer() const { return m_pFrameTimer; }
    // The loop that steps the pages' scene applications; the entry function
    // starts it.
    scene::FrameLoop& FrameLoop() { return m_frameLoop; }

    CRobApp* GetRobApp() const { return m_pRobApp.get(); }
    CPlaApp* GetPlaApp() const { return m_pPlaApp.get(); }
    CEmuApp* GetEmuApp() const { return m_pEmuApp.get(); }
    // The robot page's part bars: 0 bricks, 1 wheels and motors, 2 sensors
    // and lights.
    CBrickBox* RobotPartBar(int bar) const { return bar >= 0 && bar < 3 ? m_pRobotBars[bar] : nullptr; }
    // The playground page's object bars: 0 static objects, 1 dynamic
    // objects, 2 trigger zones.
    CBrickBox* PlaygroundObjectBar(int bar) const {
        return bar >= 0 && bar < 3 ? m_pGroundBars[bar] : nullptr;
    }
    // The robot page's extra operation actions.
    QAction* GridAction() const { return m_pGridAction; }
    QAction* CaptureAction() const { return m_pCaptureAction; }
    QAction* FastCaptureAction() const { return m_pFastCaptureAction; }
    QAction* SetUpShowAction() const { return m_pSetUpShowAction; }
    QAction* SupportAction() const { return m_pUpdateAction; }
    // The file the robot page saves to; empty while the robot has none.
    const std::string& RobotFile() const { return m_sRobFile; }
    bool IsRobotSaved() const { return m_bRobSaved; }
    const std::string& PlaygroundFile() const { return m_sPlaFile; }
    bool IsPlaygroundSaved() const { return m_bPlaSaved; }
    // The user's model library, opened from the playground page.
    CUserDefineDlg* UserModelDialog() const { return m_pUserDefineDlg.get(); }
    QToolBar* FileToolBar() const { return m_pFileToolBar; }
    QToolBar* OperatorToolBar() const { return m_pOperatorToolBar; }
    QToolBar* VirtualToolBar() const { return m_pVirtualToolBar; }
    QLabel* MatchTimeLabel() const { return m_pMatchTimeLabel; }
    // The online match's clock; null outside the online mode.
    QTimer* MatchTimer() const { return m_pMatchTimer; }
    bool IsMatchRunning() const { return m_bMatchRunning; }

    // Right-clicking a tool bar or the menu bar opens nothing.
    QMenu* createPopupMenu() override;

    // ---- the simulation page's parts, as the user sees them -------------------------
    // The robot data panel, hidden until the user shows it.
    CRobDataDlg* RobotDataPanel() const { return m_pRobDataDlg; }
    // Shown while a loader reports less than 100 percent.
    CProgressDlg* ProgressDialog() const { return m_pProgressDlg.get(); }
    QAction* DriveAction() const { return m_pDriveAction; }
    QAction* DriveSetAction() const { return m_pDriveSetAction; }
    bool IsEmuRunning() const { return m_bEmuRunning; }
    // The level of the example whose playground the simulation runs (its
    // "Lv"); 0 for any other playground. The example loader sets it; a run
    // that scores 100 on the level after the last one passed passes it.
    int ExampleLevel() const { return m_nExampleLevel; }
    void SetExampleLevel(int level) { m_nExampleLevel = level; }

    // ---- construction (CMainDlg.cpp) --------------------------------------------
    void InitMenuActions();
    void InitToolBars();
    // Rebuilds the Examples menu from the current studio's examples, up to the
    // reached level plus one; again at the end of a run, when the level may
    // have grown.
    void InitExampleMenu();
    void ResetModelBars();

    // ---- frame and edit commands (CMainDlgFrame.cpp) -----------------------------
    // Enables or disables the whole window; the current page's application is
    // resumed or paused with it.
    void SetWindowEnabled(bool enable);
    // Fields 0-2 the position edits X, Y, Z, 3-5 the angle edits of the
    // current builder page.
    void ApplyPosTurnEdit(int field);
    // Fields 3-5 the angle sliders X, Y, Z of the current builder page.
    void ApplyTurnSlider(int field, int value);

    // ---- language texts and message boxes (CMainDlgLanguage.cpp) -----------------
    void f_Language(bool atStart);
    // Qt's own texts (file and colour choosers, standard buttons) in the
    // current language, from the translations installed with Qt.
    void ApplyQtTranslations();
    void f_LanguageMenu();
    void f_LanguageTitle();
    void f_LanguageExample();
    // Display names of the device kinds, by device-type number.
    void f_SensorMessage(std::vector<QString>& names) const;
    // Asks whether to save the robot's (robot) or the playground's unsaved
    // work, naming it and its file: 0 save, 1 don't save, 2 cancel (or the
    // box closed).
    int f_AskForSave(bool robot);
    bool f_AskForQuit();
    QString f_OpenFileMessage() const;
    QString f_3DFileMessage() const;
    // A refused result bundle: the file, and why when more is known than
    // that it does not add up.
    void f_3DFileTips(const QString& file = QString(), const QString& reason = QString()) const;
    // Tells how a playground file was read (isLoad) or written: a failure
    // in a box that names the file, and the reason when one is given; what
    // worked in the status bar (ShowSavedMessage).
    void f_SaveMapMessage(
        bool ok, bool isLoad, const QString& file = QString(), const QString& reason = QString());
    // A robot or playground saved to file, or opened from it: said in the
    // status bar, no box.
    void ShowSavedMessage(bool robot, const QString& file, bool opened = false);

    // ---- pages (CMainDlgRobPage.cpp, CMainDlgPlaPage.cpp, CMainDlgEmuPage.cpp) ---
    void f_InitRobAppPage();
    void f_EnterRobAppPage();
    void f_LanguageRobApp(bool atStart);
    void f_UpdateRobAppEditActions();
    void f_InitPlaAppPage();
    void f_EnterPlaAppPage();
    void f_LanguagePlaApp();
    void f_UpdatePlaAppEditActions();
    void f_InitEmuAppPage();
    void f_EnterEmuAppPage();
    void f_LanguageEmuApp();
    void f_ResetEmuAppMouseMode();
    void f_EndFollowView();
    // Reloads the simulation page's scene from its lists and playground.
    void f_EmuAppRefresh();
    // Hides the robot data panel for a reload, once until the reload ends,
    // remembering that it was shown.
    void f_HideMessagePanelOnce();
    // One action per loaded robot in the follow menu.
    void f_InitFollowActions();
    // The time and score labels from the run's frame counter and scores.
    void f_UpdateScoreTime();
    // The end of a run: the score table, the result bundle where the run
    // counts for a class or a match, and the level a passed example gives.
    void slot_EmuAppStop();
    // The run as a result bundle "Temp/temp.3d": the result text, the first
    // robot's file, its program and the playground file.
    // Writes the run's result bundle; what kept it from being written, for
    // the score table, or empty.
    QString f_Save3DFile(const QString& text);
    // Unpacks a result bundle into "Temp" and loads its robot, program and
    // playground; false, with a message, for a bundle that cannot be.
    bool f_Load3DFile(const QString& path);
    // The page's texts and message boxes.
    QString f_SecForLanguage(int hundredths) const;
    QString f_ScoreForLanguage() const;
    QString f_ScoreForLanguage2() const;
    // The score label: every robot's score in the robots' order, each with
    // its unit, set apart by the language's separator.
    QString ScoreLabelText(const std::vector<int>& scores) const;
    void f_MapPixWrong() const;
    void f_LoadStrategyMessage() const;
    // The same, for a chosen program file, with what is wrong with it.
    void f_LoadStrategyMessage(const QString& file, const QString& reason) const;

    // ---- classroom link and online contest (CMainDlgContest.cpp) -------------------
    // Classroom mode, at start: connects to the teacher's ClassServer at the
    // stored address. When there is none, or it does not answer, the
    // address is asked for, the stored one filled in, and what the student
    // enters is stored and tried in turn; giving up goes on unconnected and
    // keeps what was stored.
    void f_ConnectClassroom();
    // Asks for the teacher's address, the stored one filled in (with the
    // line that it did not answer when failed), until one answers or the
    // student gives up; whether the link is up.
    bool AskClassroomAddress(bool failed);
    // Asks the contest server for a match through the contest client; the
    // window waits, disabled, for the answer, saying so in the status bar.
    // Without a login the client asks for one first.
    void f_SendMatchRequest();
    // While the match request is out, the status bar says what the window
    // waits for.
    void ShowMatchWait();
    // Runs the login; true when the user is signed in. The session's first
    // login takes the account as typed; after that it reuses it. Giving up
    // any login ends what waited for it and closes the program.
    bool f_ShowLoginDlg();
    void f_MatchOutTips();
    // While a match runs only its own playground may be loaded: one whose
    // MD5 is the match's. Outside a match every playground passes. A refused
    // playground is told to the user. The loaders of the simulation page
    // ask before they touch any list or file.
    bool AcceptsMatchPlayground(const QByteArray& playground);
    // The same for a playground file; an unreadable one is refused in a match.
    bool AcceptsMatchPlaygroundFile(const QString& path);
    // Asked before a login given up closes the program: unsaved work gets
    // the questions of File > Exit (SettleUnsavedWork). False (cancel, or
    // something not saved) sends the student back to the login.
    bool MayGiveUpLogin();

public slots:
    // Frame timer and edit commands.
    void slot_Update();
    void slot_Left();
    void slot_Right();
    void slot_Key(int key);
    void slot_Set();
    void slot_NoSel();
    void slot_Copy();
    void slot_Paste();
    void slot_RotateX();
    void slot_RotateY();
    void slot_RotateZ();
    void slot_PointTurnX();
    void slot_PointTurnY();
    void slot_PointTurnZ();
    void slot_Return();
    void slot_Del();
    void slot_Move();
    void slot_Undo();
    void slot_Redo();
    void slot_AllSel();
    void slot_StepChange();
    // The robot page's status bar names the motors that would drive no
    // wheel in a run.
    void f_ShowIdleMotors();
    // Language.
    void slot_SetLanguage(QAction* action);
    // Contest client and classroom link.
    void slot_NetMatch();
    // The classroom link's messages and its loss (the classroom mode only).
    void slot_GetMsg(QByteArray* body);
    void slot_Disconnect();
    // The contest client's word: a login is wanted (the login comes, in
    // front of whatever is open), and how the match request ended.
    void slot_LoginNeeded();
    void slot_MatchEnded(ContestEnding ending, const MatchReply& reply);
    void f_Ui_UpdateMatchTime();
    // Result upload.
    void slot_Up3DFile();
    // File, help and view commands.
    void slot_SoftwareHelp();
    void slot_DocumetHelp();
    void slot_RunRCJ();
    void slot_LoadExample();
    void slot_New();
    void slot_Open();
    void slot_SaveAs();
    void slot_Save();
    void slot_ExampleFile();
    void slot_TabWidgetChange(QWidget* page);
    void slot_LoadToEmuApp();
    void slot_LoadToEmuAppEnd();
    void slot_UpdateSoftware();
    void slot_ToolBarIconText();
    void slot_ToolBarIcon();
    void slot_ToolBarText();
    void slot_TopView();
    void slot_LeftView();
    void slot_FrontView();
    void slot_OverView();
    void slot_FarView();
    void slot_NearView();
    void slot_Color();
    // Robot builder page.
    // A builder says whether its work is in its file: that builder's saved
    // flag, the robot's or the playground's.
    void slot_IsSaved(bool saved);
    // A robot file the builder could not load leaves the robot's file name
    // and its tip as they were.
    void slot_RobotLoaded(bool loaded);
    void slot_AddObjRobApp(std::string name, int kind, osg::Vec4 colour);
    void slot_BrickBrickBar();
    void slot_WheelBrickBar();
    void slot_SensorBrickBar();
    void slot_Img_RobApp();
    void slot_GetImg_RobApp();
    void slot_FastImg_RobApp();
    void slot_ShowSetUp_RobApp();
    // Robot ports and property panel.
    void f_SetPort();
    void slot_ClearPort();
    void f_Ui_SelTreeToObj(QTreeWidgetItem* item, int column);
    void f_Ui_UpdatePort();
    void slot_ButtonPortSet();
    void slot_Opposite_RobApp(int state);
    void slot_Port_RobApp(int index);
    void slot_RobApp_ChangeRayDis();
    void slot_RobApp_ChangePosX();
    void slot_RobApp_ChangePosY();
    void slot_RobApp_ChangePosZ();
    void slot_RobApp_ChangeTurnX();
    void slot_RobApp_ChangeTurnY();
    void slot_RobApp_ChangeTurnZ();
    void slot_RobApp_SliderChangeTurnZ(int value);
    void slot_RobApp_SliderChangeTurnX(int value);
    void slot_RobApp_SliderChangeTurnY(int value);
    // Playground builder page and its panel.
    void slot_IveToGround(QString path);
    void slot_AddGroundObject(std::string name, int kind, osg::Vec4 colour);
    void slot_Astronaut(int state);
    void slot_RedAstronaut(int state);
    void slot_YellowAstronaut(int state);
    void slot_BlueAstronaut(int state);
    void slot_Ground_changeMap();
    void slot_ButtonGroundStatic();
    void slot_ButtonGroundDynamic();
    void slot_ButtonGroundTrigger();
    void slot_ButtonGroundSetSize();
    void slot_User_DefineModel();
    void slot_RadioButtonAllIn();
    void slot_RadioButtonIn();
    void slot_SetScore();
    void slot_ButtonWalls();
    void slot_ButtonDominoes();
    void slot_Rule();
    void slot_SetName();
    void slot_RadioLeave();
    void slot_ButtonGEO();
    void slot_Take(int state);
    void slot_Only(int state);
    void f_SliderChangeSize(int axis, int value);
    void slot_XSliderValueChange(int value);
    void slot_YSliderValueChange(int value);
    void slot_ZSliderValueChange(int value);
    void f_EditBoxChangeSize(int axis);
    void slot_lineEdit_XSliderValueChange();
    void slot_lineEdit_YSliderValueChange();
    void slot_lineEdit_ZSliderValueChange();
    void slot_AllSlider(int value);
    void slot_PlaApp_ChangePosX();
    void slot_PlaApp_ChangePosY();
    void slot_PlaApp_ChangePosZ();
    void slot_PlaApp_ChangeTurnX();
    void slot_PlaApp_ChangeTurnY();
    void slot_PlaApp_ChangeTurnZ();
    void slot_PlaApp_SliderChangeTurnZ(int value);
    void slot_PlaApp_SliderChangeTurnX(int value);
    void slot_PlaApp_SliderChangeTurnY(int value);
    // Simulation page.
    void f_Ui_ReloadToEmuApp(int result);
    void slot_Complie(std::string output, std::string input);
    void slot_Drive_RobApp();
    void slot_Show_Message_Dialog();
    bool slot_LoadStrategy();
    bool slot_VirtualLoadRobot();
    void slot_VirtualStart();
    bool slot_VirtualLoadGround();
    void slot_Multiplayer_Game();
    void slot_del_selModel();
    void slot_RobotMove();
    void slot_RobotRotate();
    void slot_ButtonFollow();
    void slot_SetVETime();
    void slot_SetSensorEffect();
    void slot_SetFollowHeight();
    void slot_SetDrive();
    void f_Ui_SetProgress(int percent);
    // A robot's program was dropped during the run: told in the status bar
    // at once and again at the score table, with the robot and the program
    // file the student chose; why is a CRobotProgram::Drop.
    void slot_ProgramDropped(int robot, int why, const QString& program);
    // Status bar.
    void f_Ui_StatusBar_Change(const QString& message);
    void slot_Ui_StatusBar_ShowObjName(std::string* name);
    void slot_Ui_StatusBar_ShowObjName();
    void f_Ui_StatusBar_ShowObjL(QString text);
    void f_Ui_StatusBar_ShowMatchTime(int mode, int minutes);
    void f_Ui_StatusBar_ShowMatchTime(int mode);
    void f_Ui_StatusBar_ShowMatchTime();
    void slot_ShowLv();
    void slot_Multiplayer_ViewFollow_triggered();

protected:
    // Unsaved work is offered to be saved before the window goes.
    void closeEvent(QCloseEvent* event) override;

private:
    enum Page { RobotPage, PlaygroundPage, SimulationPage, NoPage };
    // The current page, found afresh from the tab widget every time.
    Page CurrentPage() const;
    // The status tip of the current page's 3-D host.
    QString CurrentPageStatusTip() const;
    // The model address of the current builder's single selected object;
    // empty when none is selected.
    std::string SelectedObjectAddress() const;
    // The type of the robot builder's single selected part; -1 for none.
    int SelectedPartType() const;
    // The robot data panel of the simulation page: whether it is shown, and
    // the robot its combo box has chosen (-1 for none).
    bool IsRobotPanelShown() const;
    int RobotPanelIndex() const;
    // The visibility of the simulation page's commands, idle or running.
    void ApplyRunVisibility();
    // The file a load command chooses; empty when none was chosen.
    QString ChooseRunFile(const QString& folder, const QString& filter);
    // Each robot gets its program from the run lists; false at the first
    // program that does not load.
    bool HandProgramsToRobots();
    struct RobotRows;
    // Tells that the run's robot file at index did not load: the file, its
    // row when rows chose it, and why.
    void TellRobotNotLoaded(int robot, const RobotRows* rows);
    // Which robot the playground's rules left out (its row when rows chose
    // it) and the limit it broke.
    QString RuleBreakText(int robot, const RobotRows* rows) const;
    // Each motor of the run's robots that drives no wheel: the robot, the
    // motor and its port.
    QStringList IdleMotorTexts() const;
    // The robot page's motors among `motors`, named as its port tree names
    // them, in part order.
    QString MotorNames(const std::vector<const CModel*>& motors) const;
    // After a save: a box names the saved robot's motors that drive no wheel.
    void TellIdleMotorsSaved();
    // Tries the program of every row that has a robot; false, told with the
    // row, the file and the reason, at the first that does not load.
    bool CheckRowPrograms(const RobotRows& rows);
    // The tool-button style as the checked style action says.
    int ToolButtonStyleSetting() const;
    // A path of the run lists as the files are found: relative paths lie in
    // the program folder.
    QString RunPath(const std::string& path) const;
    // What became of a result bundle sent to the classroom server.
    enum class Submitted {
        NotSent, // the server could not be reached, or the link dropped first
        Unconfirmed, // it went out whole, but no receipt came
        Stored, // the server's receipt came
    };
    // Sends a result bundle to the classroom server, connecting once more
    // when the link is down, and waits for the server's receipt; with it,
    // listedName is the name the teacher's table lists it under.
    Submitted SendBundle(const QString& name, const QByteArray& bundle, QString& listedName);
    // Tells that a bundle was not submitted; true when the student chose to
    // change the teacher's address.
    bool AskToChangeAddress();
    // Opens the link to the classroom server unless it is up, waiting at
    // most ms; an attempt still under way then is given up. Whether the
    // link is up.
    bool ConnectClassroomLink(int ms);

    void BuilderCommand(int code, bool viewRelative);
    struct SideButtonText {
        MyPushButton* button;
        const char* caption;
        const char* tip;
    };
    // The side bars' buttons show their texts across the button in Chinese,
    // whose texts the set-up file stacks a character a line; any other
    // language is painted turned along the 30-pixel bar, where a Latin word
    // fits.
    void ApplySideButtonTexts(const TiXmlElement* group, std::initializer_list<SideButtonText> buttons);
    // Fill the property panel of the single selected part or object.
    void f_ShowRobAppPartPanel();
    // The port tree's row of a part; null when the tree does not list it.
    QTreeWidgetItem* PortTreeRow(const CModel* part) const;
    // The robot builder's file worker is loading or saving.
    bool IsRobotFileBusy() const;
    // The path of the current page's file as its status tip.
    void ShowFileStatusTip(const QString& path);
    // Before the window closes: each builder's unsaved work is asked for
    // on its own, the robot first, and then saved (under its file or a name
    // asked for) or given up as answered. False, with nothing given up,
    // when a question was cancelled or a save failed.
    bool SettleUnsavedWork();
    // Saves the robot, or the playground, whichever page is shown, under
    // its file or a name asked for, and waits for it; false, told, when it
    // was not saved.
    bool SaveRobotHere();
    bool SavePlaygroundHere();
    // Why the playground builder could not write its file, in the current
    // language with the system's reason; empty when it has none.
    QString PlaygroundSaveFailure() const;
    // The playground builder reads or writes a playground file; false, told
    // by the caller, when it could not.
    bool SavePlayground(const std::string& path);
    bool LoadPlayground(const std::string& path);
    // Why the playground builder (or, for simulation, the simulation page)
    // refused the playground file it last tried to load, in the current
    // language; empty when that was no fault of the file.
    QString PlaygroundRefusalText(bool simulation = false) const;
    // Writes the playground as it is to the simulation's hand-over file and
    // makes the simulation run it; the playground's own file and saved state
    // stay as they were. False, told, when it could not be written.
    bool HandPlaygroundOver();
    // The builder loads the robot file at path, which becomes the robot's
    // file once it has loaded (statusText its tip).
    void LoadRobotFile(const std::string& path, const QString& statusText);
    // The name the user gives the robot's (robot) or the playground's file
    // in the save dialog, with the page's ending; empty when none is given.
    QString AskSaveFileName(bool robot);
    // An example's robots (loadRobot) and playground (loadMap) go to the
    // builders and the simulation.
    void LoadExample(const QString& name, int level, bool loadRobot, bool loadMap);
    // The folder of an example's files, with a closing separator.
    QString ExampleFolder(const TiXmlElement& example) const;
    // The robot page's file dialogs: the folder a dialog opens in.
    QString RobotFileFolder() const;
    QString PlaygroundFileFolder() const;
    // Writes the robot as it is to "Temp/temp.rob" for the simulation,
    // leaving its own file and its saved state alone; false, told with the
    // system's reason, when it could not be written.
    bool WriteRobotHandOver(const std::string& path);
    // The simulation runs the robot file at path from now on.
    void HandRobotOver(const std::string& path);
    // Opens a file (or a folder) of ours with the desktop's handler; without
    // a program for it, a message tells where it is.
    void OpenProgramFile(const QString& relative, const QString& fragment, bool folder = false);
    // Fills the panel from the one object chosen; brought forward (in place
    // of the object bars) when the user asked for it with a right click,
    // else filled where it is (each frame, f_UpdatePlaAppEditActions).
    void f_ShowPlaAppObjectPanel(bool bringForward = true);
    // The playground page's panel shows the one object chosen, as it is now,
    // whichever way it was chosen or changed (a click of either button, a
    // key, a command), and nothing while there is no such object or it is
    // carried or turned with the pointer.
    bool PlaPanelWanted() const;
    void HidePlaPanel();
    // The chosen object's pose in the panel's boxes and angle sliders.
    void ShowPlaPose(const CModel* object);
    // The selected zone's score and trigger mode from the panel.
    void f_SetTriggerScoreMode();
    // The selected rescue zone's astronaut flag index (0 any, 1 red, 2
    // yellow, 3 blue) from its box.
    void f_SetAstronautFlag(int index);
    scene::SceneView* EmbedView(CExWidget* host);
    void ApplyToolButtonStyle(Qt::ToolButtonStyle style, QAction* checked);

    // ---- members of the window ----------------------------------------------------
    CConfig& m_config;
    QTimer* m_pFrameTimer = nullptr;
    QTimer* m_pMatchTimer = nullptr;
    QLabel* m_pMatchTimeLabel = nullptr;
    QActionGroup* m_pLanguageGroup = nullptr;
    QRegularExpressionValidator* m_pPosValidator = nullptr;
    QRegularExpressionValidator* m_pTurnValidator = nullptr;
    QToolBar* m_pFileToolBar = nullptr;
    QToolBar* m_pOperatorToolBar = nullptr;
    QToolBar* m_pVirtualToolBar = nullptr;
    QAction* m_pRuleAction = nullptr;
    QAction* m_pUpdateAction = nullptr;
    QDateTime m_dtMatchNow;
    QDateTime m_dtMatchStart;
    QDateTime m_dtMatchEnd;
    // The online-match action's texts while no match runs and while one does.
    QString m_sMatch;
    QString m_sMatch2;
    bool m_bMatchRunning = false;
    bool m_bMatchTimeOut = false;
    // The session has signed in to the contest server once.
    bool m_bLoggedIn = false;
    // The window's login while it is open.
    QPointer<QDialog> m_pOpenLogin;
    QString m_sMatchMapName;
    QString m_sMatchMapMd5;
    // The classroom link as the window has seen it: 0 nothing yet, 1 the
    // server's keep-alive arrived, 2 the link closed, 3 and 4 kept for the
    // states the contest client gives it.
    int m_nClassLinkState = 0;
    // Re-entry byte of the status-bar handler.
    bool m_bStatusBarBusy = false;

    // ---- robot builder page -------------------------------------------------------
    bool m_bRobSaved = true;
    bool m_bRobToEmuPending = false;
    bool m_bRobOpenAfterSave = false;
    bool m_bRobNewAfterSave = false;
    bool m_bPlaToEmuPending = false;
    // The part property panel shows the single selected part.
    bool m_bRobPanelLive = false;
    std::string m_sRobFile;
    QString m_sRobStatusText;
    // The robot's file and tip before a load, while the builder loads.
    struct RobotFileBefore {
        std::string file;
        QString statusText;
    };
    std::optional<RobotFileBefore> m_robFileBeforeLoad;
    // An example chosen while the robot it replaces is being saved first:
    // it loads once the save has ended well.
    struct PendingExample {
        QString name;
        int level = 0;
        bool loadRobot = false;
        bool loadMap = false;
    };
    std::optional<PendingExample> m_pendingExample;
    QAction* m_pGridAction = nullptr;
    QAction* m_pCaptureAction = nullptr;
    QAction* m_pFastCaptureAction = nullptr;
    QAction* m_pSetUpShowAction = nullptr;
    CBrickBox* m_pRobotBars[3] = {};
    // The status bar's warning of motors that drive no wheel (robot page).
    QLabel* m_pIdleMotorsLabel = nullptr;

    // ---- playground builder page ----------------------------------------------------
    // Static, dynamic, trigger.
    CBrickBox* m_pGroundBars[3] = {};
    // The ground picture chosen last; its folder is where the next choice starts.
    QString m_sGroundPicture;

    bool m_bPlaSaved = true;
    bool m_bPlaNew = true;
    bool m_bPlaPanelLive = false;
    std::string m_sPlaFile;
    QString m_sPlaStatusText;
    // Built once, without a parent, like the window's other dialogs.
    std::unique_ptr<CUserDefineDlg> m_pUserDefineDlg;
    // "Temp", held while the window lives.
    std::unique_ptr<WorkFolder> m_pWorkFolder;
    // Qt's translations for the current language; none for English, Qt's own.
    std::unique_ptr<QTranslator> m_pQtTranslator;

    // ---- simulation page ----------------------------------------------------------------
    bool m_bEmuRunning = false;
    bool m_bPageSwitch = false;
    bool m_bPanelHiddenOnce = false;
    bool m_bPanelWasShown = false;
    bool m_bPanelPending = false;
    bool m_bResultShown = false;
    bool m_bForceClose = false;
    int m_nExampleLevel = 0;
    // What the run's score table tells besides the scores, gathered as the
    // run goes.
    QStringList m_runNotes;
    // What the score table tells of the robots as they were loaded: robots
    // the rules left out, motors that drive no wheel. Gathered anew at every
    // load.
    QStringList m_loadNotes;
    // The playground file the simulation shows (empty: none); a file it
    // refuses gives way to it.
    std::string m_sShownPlayground;
    // The robots and programs of the run before a choice of robots; robots
    // chosen that do not load give way to them.
    struct RunLists {
        std::vector<std::string> robots;
        std::vector<std::string> programs;
        std::string program;
        bool operator==(const RunLists&) const = default;
    };
    std::optional<RunLists> m_runListsBefore;
    // The several-robots dialog's rows as the student entered them, one
    // entry per row ("" where the row has no file).
    struct RobotRows {
        std::vector<std::string> robots;
        std::vector<std::string> programs;
        // The row number (from 1) of the run's robot index: the rows with a
        // robot, in order.
        int RowOf(int robot) const;
    };
    // The rows whose robots the simulation is loading.
    std::optional<RobotRows> m_rowsLoading;
    // Rows refused because a robot or a program of theirs does not load,
    // with the run that stayed as it was: while the run is still that one,
    // the dialog shows them again as entered, so that only the bad row needs
    // choosing again.
    struct RefusedRows {
        RobotRows rows;
        RunLists run;
    };
    std::optional<RefusedRows> m_rowsRefused;
    // Texts of the start action: idle text, idle status tip, running text,
    // running status tip.
    QString m_sStartTexts[4];
    QAction* m_pDriveAction = nullptr;
    QAction* m_pDriveSetAction = nullptr;
    CRobDataDlg* m_pRobDataDlg = nullptr;
    // A top-level dialog of its own, as a loader's progress belongs to no page.
    std::unique_ptr<CProgressDlg> m_pProgressDlg;

    // The frame loop outlives the applications it steps.
    scene::FrameLoop m_frameLoop;
    osg::ref_ptr<CRobApp> m_pRobApp;
    osg::ref_ptr<CPlaApp> m_pPlaApp;
    osg::ref_ptr<CEmuApp> m_pEmuApp;
};

} // namespace Ui
