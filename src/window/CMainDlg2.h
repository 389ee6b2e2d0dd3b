#pragma once

class CExWidget;
class MyPushButton;
class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMainWindow;
class QMenu;
class QMenuBar;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QSlider;
class QStatusBar;
class QTabWidget;
class QTreeWidget;
class QWidget;

// The fixed widget tree of the main window: the three tab pages (robot
// builder, playground builder, simulation) with their panels and 3-D hosts,
// the actions, the menus and the status bar. Every widget is a member under
// its name; those the form names are found under the same object name, the
// others have none. Apart from the six "X : "/"Y : "/"Z : " captions the form
// sets no texts, icons or shortcuts: the window applies them from the
// language texts.
class CMainDlg2 {
public:
    void setupUi(QMainWindow* window);

    // ---- window -----------------------------------------------------------------
    QWidget* centralwidget = nullptr;
    QTabWidget* tabWidget = nullptr;
    QWidget* tab1 = nullptr;
    QWidget* tab2 = nullptr;
    QWidget* tab3 = nullptr;

    // ---- robot builder page (tab1) ----------------------------------------------
    QScrollArea* MyScrollArea1 = nullptr;
    QWidget* scrollAreaWidgetContents_3 = nullptr;
    MyPushButton* pushButton_ModelBrick = nullptr;
    MyPushButton* pushButton_ModelWheel = nullptr;
    MyPushButton* pushButton_ModelSenRcu = nullptr;
    MyPushButton* pushButton_PortSet = nullptr;
    QScrollArea* scrollArea_ModelBrick = nullptr;
    QScrollArea* scrollArea_ModelWheel = nullptr;
    QScrollArea* scrollArea_ModelSenRcu = nullptr;
    QScrollArea* scrollArea_PortSet = nullptr;
    QWidget* scrollAreaWidgetContents_4 = nullptr;
    QTreeWidget* treeWidget = nullptr;
    QGroupBox* groupBox_5 = nullptr;
    QLabel* label_PartType = nullptr;
    QLineEdit* lineEdit_PartType = nullptr;
    QLabel* label_PartName = nullptr;
    QLineEdit* lineEdit_PartName = nullptr;
    QLabel* label_PartPort = nullptr;
    QComboBox* comboBox_PartPort = nullptr;
    QCheckBox* checkBox_Opposite = nullptr;
    QLabel* label_RayDis = nullptr;
    QLineEdit* lineEdit_RayDis = nullptr;
    QPushButton* pushButton_ClearPort = nullptr;
    QGroupBox* groupBox_RobPos = nullptr;
    QLabel* label_RobPosX = nullptr;
    QLabel* label_RobPosY = nullptr;
    QLabel* label_RobPosZ = nullptr;
    QLineEdit* lineEdit_RobPosX = nullptr;
    QLineEdit* lineEdit_RobPosY = nullptr;
    QLineEdit* lineEdit_RobPosZ = nullptr;
    QGroupBox* groupBox_RobTurnX = nullptr;
    QGroupBox* groupBox_RobTurnY = nullptr;
    QGroupBox* groupBox_RobTurnZ = nullptr;
    QLineEdit* lineEdit_RobTurnX = nullptr;
    QLineEdit* lineEdit_RobTurnY = nullptr;
    QLineEdit* lineEdit_RobTurnZ = nullptr;
    QSlider* slider_RobTurnX = nullptr;
    QSlider* slider_RobTurnY = nullptr;
    QSlider* slider_RobTurnZ = nullptr;
    CExWidget* mywidget = nullptr;
    QAction* action_Undo = nullptr;
    QAction* action_Redo = nullptr;
    QAction* action_AllSel = nullptr;

    // ---- playground builder page (tab2) -----------------------------------------
    QScrollArea* scrollArea_2 = nullptr;
    QWidget* scrollAreaWidgetContents_2 = nullptr;
    QScrollArea* MyScrollArea_2 = nullptr;
    QWidget* scrollAreaWidgetContents_6 = nullptr;
    MyPushButton* pushButton_ModelGroundStatic = nullptr;
    MyPushButton* pushButton_ModelGroundDynamic = nullptr;
    MyPushButton* pushButton_ModelGroundTrigger = nullptr;
    MyPushButton* pushButton_ModelGroundSetSize = nullptr;
    QScrollArea* scrollArea_modelGroundStatic = nullptr;
    QScrollArea* scrollArea_ModelGroundDynamic = nullptr;
    QScrollArea* scrollArea_ModelGroundTrigger = nullptr;
    QScrollArea* scrollArea_ModelGroundSetSize = nullptr;
    QWidget* scrollAreaWidgetContents_5 = nullptr;
    QWidget* widget_SetSize = nullptr;
    QGroupBox* groupBox3 = nullptr;
    QGroupBox* groupBox_YSlider = nullptr;
    QGroupBox* groupBox_ZSlider = nullptr;
    QLineEdit* lineEdit_XSlider = nullptr;
    QLineEdit* lineEdit_YSlider = nullptr;
    QLineEdit* lineEdit_ZSlider = nullptr;
    QSlider* XSlider = nullptr;
    QSlider* YSlider = nullptr;
    QSlider* ZSlider = nullptr;
    QSlider* AllSlider = nullptr;
    QGroupBox* groupBox_PlaObj = nullptr;
    QLabel* label_PlaObjName = nullptr;
    QLineEdit* lineEdit_PlaObjName = nullptr;
    QCheckBox* checkBox_Take = nullptr;
    QCheckBox* checkBox_Only = nullptr;
    QRadioButton* radioButton_AllIn = nullptr;
    QRadioButton* radioButton_In = nullptr;
    QRadioButton* radioButton_Leave = nullptr;
    QLabel* label_PlaObjScore = nullptr;
    QLineEdit* lineEdit_PlaObjScore = nullptr;
    QPushButton* pushButton_PlaObjModels = nullptr;
    QCheckBox* checkBox_Astronaut = nullptr;
    QCheckBox* checkBox_RedAstronaut = nullptr;
    QCheckBox* checkBox_YellowAstronaut = nullptr;
    QCheckBox* checkBox_BlueAstronaut = nullptr;
    QGroupBox* groupBox_PlaPos = nullptr;
    QLabel* label_PlaPosX = nullptr;
    QLabel* label_PlaPosY = nullptr;
    QLabel* label_PlaPosZ = nullptr;
    QLineEdit* lineEdit_PlaPosX = nullptr;
    QLineEdit* lineEdit_PlaPosY = nullptr;
    QLineEdit* lineEdit_PlaPosZ = nullptr;
    QGroupBox* groupBox_PlaTurnX = nullptr;
    QGroupBox* groupBox_PlaTurnY = nullptr;
    QGroupBox* groupBox_PlaTurnZ = nullptr;
    QLineEdit* lineEdit_PlaTurnX = nullptr;
    QLineEdit* lineEdit_PlaTurnY = nullptr;
    QLineEdit* lineEdit_PlaTurnZ = nullptr;
    QSlider* slider_PlaTurnX = nullptr;
    QSlider* slider_PlaTurnY = nullptr;
    QSlider* slider_PlaTurnZ = nullptr;
    CExWidget* mygroundwidget = nullptr;
    QAction* action_Ground_changeMap = nullptr;
    QAction* action_User_DefineModel = nullptr;
    QAction* action_Walls = nullptr;
    QAction* action_Dominoes = nullptr;

    // ---- simulation page (tab3) -------------------------------------------------
    QLabel* label_2 = nullptr;
    QLabel* label_Time = nullptr;
    QLabel* label_Score = nullptr;
    CExWidget* widget_5 = nullptr;
    QAction* action_LoadGround = nullptr;
    QAction* action_LoadRobot = nullptr;
    QAction* action_LoadStrategy = nullptr;
    QAction* action_VirtualStart = nullptr;
    QAction* action_Multiplayer_Game = nullptr;
    QAction* action_Show_Message = nullptr;
    QAction* action_EmuMaxTime = nullptr;
    QAction* action_FollowHigh = nullptr;
    QAction* action_SensorEffect = nullptr;

    // ---- actions of the menus ---------------------------------------------------
    QAction* action_open = nullptr;
    QAction* action_save = nullptr;
    QAction* action_saveas = nullptr;
    QAction* action_new = nullptr;
    QAction* action_quit = nullptr;
    QAction* action_ModelRotate_X = nullptr;
    QAction* action_ModelRotate_Y = nullptr;
    QAction* action_ModelRotate_Z = nullptr;
    QAction* action_PointTurn_X = nullptr;
    QAction* action_PointTurn_Y = nullptr;
    QAction* action_PointTurn_Z = nullptr;
    QAction* action_Return = nullptr;
    QAction* action_ModelMove = nullptr;
    QAction* action_ModelDelete = nullptr;
    QAction* action_ModelCopy = nullptr;
    QAction* action_ModelPaste = nullptr;
    QAction* action_RobotRotate = nullptr;
    QAction* action_RobotMove = nullptr;
    QAction* action_SoftwareHelp = nullptr;
    QAction* action_DocumentHelp = nullptr;
    QAction* action_RunRCJ = nullptr;
    QAction* action_ImportROB = nullptr;
    QAction* action_Open_Example = nullptr;
    QAction* action_RobotDel = nullptr;
    QAction* action_FarView = nullptr;
    QAction* action_NearView = nullptr;
    QAction* action_ToolBar_IconAndText = nullptr;
    QAction* action_ToolBar_Icon = nullptr;
    QAction* action_ToolBar_Text = nullptr;
    QAction* action_Top_View = nullptr;
    QAction* action_Left_View = nullptr;
    QAction* action_Front_View = nullptr;
    QAction* action_Over_View = nullptr;
    QAction* action_NetMatch = nullptr;
    QAction* action_Up3DFile = nullptr;
    QAction* action_Color = nullptr;

    // ---- menus and status bar ---------------------------------------------------
    QMenuBar* menubar = nullptr;
    QMenu* menu = nullptr;
    QMenu* menu_2 = nullptr;
    QMenu* menu_Help = nullptr;
    QMenu* menu_E = nullptr;
    QMenu* menu_Operator = nullptr;
    QMenu* menu_Group = nullptr;
    QMenu* menu_Virtual = nullptr;
    QMenu* menu_6 = nullptr;
    QMenu* menu_internationalization = nullptr;
    QMenu* menu_3DView = nullptr;
    QMenu* menu_3 = nullptr;
    QMenu* menu_View_Flow = nullptr;
    QStatusBar* statusbar = nullptr;
    QLabel* label_StatusObj = nullptr;
    QLabel* label_StatusLv = nullptr;

private:
    void SetupRobotPage(QMainWindow* window);
    void SetupPlaygroundPage(QMainWindow* window);
    void SetupSimulationPage(QMainWindow* window);
    void SetupActionsAndMenus(QMainWindow* window);
};
