// The playground builder page: its set-up, entering it, its texts, the
// per-frame state of its edit actions, objects from the bars and the
// playground's files.

#include "window/CMainDlg.h"

#include "apps/CEmuApp.h"
#include "apps/CPlaApp.h"
#include "apps/CRobApp.h"
#include "dialogs/CRobDataDlg.h"
#include "dialogs/CUserDefineDlg.h"
#include "elements/CAlarm.h"
#include "elements/CCandle.h"
#include "elements/CGeo.h"
#include "elements/CSlope.h"
#include "elements/CTakenObj.h"
#include "elements/CWounded.h"
#include "foundation/CConfig.h"
#include "platform/WholeFile.h"
#include "scene/SceneView.h"
#include "simulation/CEndTrigger.h"
#include "simulation/CObjTrigger.h"
#include "simulation/CPathTrigger.h"
#include "simulation/CPlayground.h"
#include "simulation/CTakenObjTrigger.h"
#include "simulation/GroundPicture.h"
#include "simulation/PlaygroundFile.h"
#include "simulation/SRobThreadData.h"
#include "simulation/ScoreTrigger.h"
#include "simulation/StartTrigger.h"
#include "widgets/CBrickBox.h"
#include "widgets/CExWidget.h"
#include "widgets/CImageViewer.h"
#include "widgets/MyPushButton.h"
#include "window/Pictures.h"
#include "window/WindowLog.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSlider>
#include <QToolBar>

namespace Ui {

namespace {

QString Text(const TiXmlElement* group, const char* key) {
    const char* value = group ? group->Attribute(key) : nullptr;
    return value ? QString::fromUtf8(value) : QString();
}

// The object a bar's picture of this kind number stands for, at the size it
// starts with; none for a number that stands for none.
osg::ref_ptr<CModel> MakeBarObject(int kind, const std::string& address, const PartContextPtr& context) {
    const osg::Vec3f cube(15.0f, 15.0f, 15.0f);
    const osg::Vec3f zone(22.0f, 22.0f, 1.0f);
    switch (kind) {
    case 100:
    case 106:
    case 107:
        return new CSlope(context, address, cube);
    case 101:
        return new CSlope(context, address, osg::Vec3f(20.0f, 20.0f, 5.0f));
    case 111:
        return new CSlope(context, address, osg::Vec3f(20.0f, 20.0f, 1.0f));
    case 102:
        return new CCandle(context, address);
    case 105:
    case 108:
    case 112:
        return new CGeo(context, address, cube);
    case 115:
        return new CGeo(context, address);
    case 113:
        return new CWounded(context, address);
    case 116:
        return new CTakenObj(context, address);
    case 118:
        return new CAlarm(context, address);
    case 103:
        return new StartTrigger(context, address, zone);
    case 104:
        return new CEndTrigger(context, address, zone);
    case 109:
        return new ScoreTrigger(context, address, zone);
    case 110:
        return new CPathTrigger(context, address, zone);
    case 114:
        return new CObjTrigger(context, address, zone);
    case 117:
        return new CTakenObjTrigger(context, address, zone);
    default:
        return nullptr;
    }
}

std::string LocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

} // namespace

void CMainDlg::f_InitPlaAppPage() {
    m_bPlaSaved = true;
    m_bPlaPanelLive = false;

    scene::SceneView* view = EmbedView(mygroundwidget);
    m_pPlaApp = new CPlaApp("config.xml", view);
    m_frameLoop.AddApp(m_pPlaApp.get());

    // The bars in the order the page builds them: dynamic, trigger, static.
    const int barOrder[3] = { 1, 2, 0 };
    const char* const barNames[3] = { "modelGroundStatic", "modelGroundDynamic", "modelGroundTrigger" };
    QScrollArea* const barAreas[3]
        = { scrollArea_modelGroundStatic, scrollArea_ModelGroundDynamic, scrollArea_ModelGroundTrigger };
    // The configuration's view groups 3 to 5 are dynamic, trigger, static.
    const int viewGroup[3] = { 5, 3, 4 };
    for (int bar : barOrder) {
        m_pGroundBars[bar] = new CBrickBox(m_config.m_pViewGroup[viewGroup[bar]], m_config);
        m_pGroundBars[bar]->setObjectName(QLatin1String(barNames[bar]));
        m_pGroundBars[bar]->setGeometry(0, 0, 228, 133);
        barAreas[bar]->setWidget(m_pGroundBars[bar]);
    }
    for (CBrickBox* bar : m_pGroundBars) {
        for (CImageViewer* picture : bar->GetPictures())
            connect(picture, &CImageViewer::clicked1, this, &CMainDlg::slot_AddGroundObject);
    }

    action_User_DefineModel->setIcon(WindowPicture("52.png"));

    CPlaApp* app = m_pPlaApp.get();
    connect(slider_PlaTurnX, &QSlider::valueChanged, this, &CMainDlg::slot_PlaApp_SliderChangeTurnX);
    connect(slider_PlaTurnY, &QSlider::valueChanged, this, &CMainDlg::slot_PlaApp_SliderChangeTurnY);
    connect(slider_PlaTurnZ, &QSlider::valueChanged, this, &CMainDlg::slot_PlaApp_SliderChangeTurnZ);
    connect(action_User_DefineModel, &QAction::triggered, this, &CMainDlg::slot_User_DefineModel);
    connect(app, &CPlaApp::signal_Ui_SaveFlag, this, &CMainDlg::slot_IsSaved);
    connect(action_Ground_changeMap, &QAction::triggered, this, &CMainDlg::slot_Ground_changeMap);
    connect(XSlider, &QSlider::valueChanged, this, &CMainDlg::slot_XSliderValueChange);
    connect(YSlider, &QSlider::valueChanged, this, &CMainDlg::slot_YSliderValueChange);
    connect(ZSlider, &QSlider::valueChanged, this, &CMainDlg::slot_ZSliderValueChange);
    connect(lineEdit_XSlider, &QLineEdit::editingFinished, this, &CMainDlg::slot_lineEdit_XSliderValueChange);
    connect(lineEdit_YSlider, &QLineEdit::editingFinished, this, &CMainDlg::slot_lineEdit_YSliderValueChange);
    connect(lineEdit_ZSlider, &QLineEdit::editingFinished, this, &CMainDlg::slot_lineEdit_ZSliderValueChange);
    connect(AllSlider, &QSlider::valueChanged, this, &CMainDlg::slot_AllSlider);
    connect(pushButton_ModelGroundStatic, &QPushButton::clicked, this, &CMainDlg::slot_ButtonGroundStatic);
    connect(pushButton_ModelGroundDynamic, &QPushButton::clicked, this, &CMainDlg::slot_ButtonGroundDynamic);
    connect(pushButton_ModelGroundTrigger, &QPushButton::clicked, this, &CMainDlg::slot_ButtonGroundTrigger);
    connect(pushButton_ModelGroundSetSize, &QPushButton::clicked, this, &CMainDlg::slot_ButtonGroundSetSize);
    connect(app, &CPlaApp::signal_Ui_Set, this, &CMainDlg::slot_Set);
    connect(app, &CPlaApp::signal_Ui_NoSel, this, &CMainDlg::slot_NoSel);
    connect(app, &CPlaApp::signal_Ui_StatusBar_ShowObjName, this,
        qOverload<std::string*>(&CMainDlg::slot_Ui_StatusBar_ShowObjName));
    connect(app, &CPlaApp::signal_Ui_StatusBar_ShowObjL, this, &CMainDlg::f_Ui_StatusBar_ShowObjL);
    connect(mygroundwidget, &CExWidget::signal_Ui_Key, this, &CMainDlg::slot_Key);
    connect(app, &CPlaApp::signal_Ui_StepChange, this, &CMainDlg::slot_StepChange);
    connect(radioButton_AllIn, &QRadioButton::clicked, this, &CMainDlg::slot_RadioButtonAllIn);
    connect(radioButton_In, &QRadioButton::clicked, this, &CMainDlg::slot_RadioButtonIn);
    connect(radioButton_Leave, &QRadioButton::clicked, this, &CMainDlg::slot_RadioLeave);
    connect(lineEdit_PlaObjScore, &QLineEdit::editingFinished, this, &CMainDlg::slot_SetScore);
    connect(lineEdit_PlaPosX, &QLineEdit::editingFinished, this, &CMainDlg::slot_PlaApp_ChangePosX);
    connect(lineEdit_PlaPosY, &QLineEdit::editingFinished, this, &CMainDlg::slot_PlaApp_ChangePosY);
    connect(lineEdit_PlaPosZ, &QLineEdit::editingFinished, this, &CMainDlg::slot_PlaApp_ChangePosZ);
    connect(lineEdit_PlaTurnX, &QLineEdit::editingFinished, this, &CMainDlg::slot_PlaApp_ChangeTurnX);
    connect(lineEdit_PlaTurnY, &QLineEdit::editingFinished, this, &CMainDlg::slot_PlaApp_ChangeTurnY);
    connect(lineEdit_PlaTurnZ, &QLineEdit::editingFinished, this, &CMainDlg::slot_PlaApp_ChangeTurnZ);
    connect(action_Walls, &QAction::triggered, this, &CMainDlg::slot_ButtonWalls);
    connect(action_Dominoes, &QAction::triggered, this, &CMainDlg::slot_ButtonDominoes);
    connect(checkBox_Astronaut, &QCheckBox::stateChanged, this, &CMainDlg::slot_Astronaut);
    connect(checkBox_RedAstronaut, &QCheckBox::stateChanged, this, &CMainDlg::slot_RedAstronaut);
    connect(checkBox_YellowAstronaut, &QCheckBox::stateChanged, this, &CMainDlg::slot_YellowAstronaut);
    connect(checkBox_BlueAstronaut, &QCheckBox::stateChanged, this, &CMainDlg::slot_BlueAstronaut);
    connect(pushButton_PlaObjModels, &QPushButton::clicked, this, &CMainDlg::slot_ButtonGEO);
    connect(lineEdit_PlaObjName, &QLineEdit::editingFinished, this, &CMainDlg::slot_SetName);
    connect(checkBox_Take, &QCheckBox::stateChanged, this, &CMainDlg::slot_Take);
    connect(checkBox_Only, &QCheckBox::stateChanged, this, &CMainDlg::slot_Only);
    connect(m_pUserDefineDlg.get(), &CUserDefineDlg::signal_ToGround, this, &CMainDlg::slot_IveToGround);

    action_Ground_changeMap->setVisible(false);
    widget_SetSize->hide();
    groupBox_PlaObj->hide();
    groupBox_PlaPos->hide();
    action_User_DefineModel->setVisible(false);
    menu_Group->menuAction()->setVisible(false);
    action_Ground_changeMap->setIcon(WindowPicture("39.png"));

    groupBox3->setTitle(QStringLiteral("X"));
    groupBox_YSlider->setTitle(QStringLiteral("Y"));
    groupBox_ZSlider->setTitle(QStringLiteral("Z"));
    for (MyPushButton* button : { pushButton_ModelGroundStatic, pushButton_ModelGroundDynamic,
             pushButton_ModelGroundTrigger, pushButton_ModelGroundSetSize }) {
        button->setMinimumSize(30, 110);
        button->setMaximumSize(30, 110);
        button->setCheckable(true);
    }
    for (QGroupBox* box : { groupBox3, groupBox_YSlider, groupBox_ZSlider })
        box->setMinimumSize(162, 56);
    for (QLineEdit* edit : { lineEdit_XSlider, lineEdit_YSlider, lineEdit_ZSlider })
        edit->setMaximumWidth(50);
    for (QSlider* slider : { XSlider, YSlider, ZSlider })
        slider->setRange(1, 256);
    AllSlider->setMaximumSize(21, 182);
    pushButton_ModelGroundStatic->setChecked(true);
}

void CMainDlg::f_EnterPlaAppPage() {
    // The robot page's own warning goes with it.
    m_pIdleMotorsLabel->hide();
    // The simulation's robot panel belongs to its page alone.
    if (IsRobotPanelShown()) {
        m_bPanelWasShown = false;
        m_pRobDataDlg->hide();
    }
    if (m_bEmuRunning) {
        m_bPageSwitch = true;
        slot_VirtualStart();
        m_bPageSwitch = false;
    }
    // A stopped run leaves its scene running until something pauses it: the
    // simulation, like the robot builder, rests while this page is shown.
    m_pEmuApp->Pause();
    m_pRobApp->Pause();
    m_pPlaApp->Resume();

    m_pFileToolBar->show();
    m_pOperatorToolBar->show();
    m_pVirtualToolBar->hide();
    action_ImportROB->setStatusTip(m_sPlaStatusText);
    m_pPlaApp->ShowObjCount();
    slot_Ui_StatusBar_ShowObjName(nullptr);

    for (QAction* action : { action_open, action_save, action_saveas, action_new, action_ModelMove,
             action_ModelDelete, action_ImportROB, action_ModelRotate_X, action_ModelRotate_Y,
             action_ModelRotate_Z, action_PointTurn_X, action_PointTurn_Y, action_PointTurn_Z, action_Return,
             action_ModelCopy, action_ModelPaste, action_Ground_changeMap, action_AllSel })
        action->setVisible(true);
    for (QAction* action : { action_LoadGround, action_LoadRobot, action_LoadStrategy, action_RobotRotate,
             action_RobotMove, action_RobotDel, menu_Virtual->menuAction(), action_Multiplayer_Game,
             m_pGridAction, m_pCaptureAction, m_pFastCaptureAction, m_pSetUpShowAction, action_Color })
        action->setVisible(false);
    for (QAction* action :
        { action_User_DefineModel, menu_Group->menuAction(), m_pRuleAction, action_Undo, action_Redo })
        action->setVisible(true);
    slot_StepChange();
}

void CMainDlg::f_LanguagePlaApp() {
    for (CBrickBox* bar : m_pGroundBars)
        bar->f_Language();
    m_pPlaApp->ShowObjCount();
    const CConfig& config = m_config;
    const TiXmlElement* group = config.FindTextNode("CMainDlg", "f_LanguagePlaApp");
    if (!group)
        return;
    const QString changeImage = Text(group, "sChangeImage");
    action_Ground_changeMap->setText(changeImage);
    action_Ground_changeMap->setIconText(changeImage);
    action_Ground_changeMap->setToolTip(changeImage);
    action_Ground_changeMap->setStatusTip(Text(group, "sStatus_ChangeImage"));
    label_PlaObjName->setText(Text(group, "sName"));
    const std::pair<QAbstractButton*, const char*> buttons[] = {
        { radioButton_AllIn, "sAll_In" },
        { radioButton_In, "sIn" },
        { radioButton_Leave, "sLeave" },
        { pushButton_PlaObjModels, "sGEO" },
        { checkBox_Take, "sTake" },
        { checkBox_Only, "sOnly" },
    };
    for (const auto& [button, key] : buttons) {
        button->setText(Text(group, key));
        button->setStatusTip(Text(group, key));
    }
    // A zone's mode is told by one word; what it does (and that a Leave zone
    // no robot starts in acts in the first frame) is in its tool tip.
    const std::pair<QAbstractButton*, const char*> modeHints[] = {
        { radioButton_AllIn, "sTip_All_In" },
        { radioButton_In, "sTip_In" },
        { radioButton_Leave, "sTip_Leave" },
    };
    for (const auto& [button, key] : modeHints)
        button->setToolTip(Text(group, key));
    label_PlaObjScore->setText(Text(group, "sScore"));
    const QString defineBrick = Text(group, "sDefineBrick");
    action_User_DefineModel->setText(defineBrick);
    action_User_DefineModel->setIconText(defineBrick);
    action_User_DefineModel->setToolTip(defineBrick);
    action_User_DefineModel->setStatusTip(defineBrick);
    menu_Group->setTitle(Text(group, "sGroup"));
    for (const auto& [action, key] :
        { std::pair<QAction*, const char*> { action_Walls, "sWalls" }, { action_Dominoes, "sDominoes" } }) {
        action->setText(Text(group, key));
        action->setStatusTip(Text(group, key));
    }
    const std::pair<QCheckBox*, const char*> astronauts[] = {
        { checkBox_Astronaut, "sAstronaut" },
        { checkBox_RedAstronaut, "sRedAstronaut" },
        { checkBox_YellowAstronaut, "sYellowAstronaut" },
        { checkBox_BlueAstronaut, "sBlueAstronaut" },
    };
    for (const auto& [box, key] : astronauts)
        box->setText(Text(group, key));
    m_pRuleAction->setText(Text(group, "sRule"));

    ApplySideButtonTexts(group,
        {
            { pushButton_ModelGroundStatic, "sStatic", "sStatus_Static" },
            { pushButton_ModelGroundDynamic, "sDynamic", "sStatus_Dynamic" },
            { pushButton_ModelGroundTrigger, "sTrigger", "sStatus_Trigger" },
            { pushButton_ModelGroundSetSize, "sSetSize", "sStatus_SetSize" },
        });
}

void CMainDlg::f_UpdatePlaAppEditActions() {
    // The panel follows the choice, however it was made (a click of either
    // button, a rectangle, a command): filled for one object at rest, behind
    // the object bars when they are shown; empty while the object is picked
    // up or turned with the pointer, where it would show where it was.
    const bool wanted = PlaPanelWanted();
    if (wanted && groupBox_PlaPos->isHidden())
        f_ShowPlaAppObjectPanel(false);
    else if (!wanted && !groupBox_PlaPos->isHidden())
        HidePlaPanel();
    const bool any = m_pPlaApp->HasSel();
    for (QAction* action : { action_ModelRotate_X, action_ModelRotate_Y, action_ModelRotate_Z,
             action_PointTurn_X, action_PointTurn_Y, action_PointTurn_Z, action_Return, action_ModelMove,
             action_ModelDelete, action_ModelCopy })
        action->setEnabled(any);
}

// The side bar works like radio buttons: one panel at a time.
namespace {

void ShowOnePanel(MyPushButton* chosen, QScrollArea* shown,
    const std::initializer_list<MyPushButton*>& others, const std::initializer_list<QScrollArea*>& hidden) {
    for (MyPushButton* button : others)
        button->setChecked(false);
    for (QScrollArea* area : hidden)
        area->hide();
    chosen->setChecked(true);
    shown->show();
}

} // namespace

void CMainDlg::slot_ButtonGroundStatic() {
    ShowOnePanel(pushButton_ModelGroundStatic, scrollArea_modelGroundStatic,
        { pushButton_ModelGroundDynamic, pushButton_ModelGroundTrigger, pushButton_ModelGroundSetSize },
        { scrollArea_ModelGroundDynamic, scrollArea_ModelGroundTrigger, scrollArea_ModelGroundSetSize });
}

void CMainDlg::slot_ButtonGroundDynamic() {
    ShowOnePanel(pushButton_ModelGroundDynamic, scrollArea_ModelGroundDynamic,
        { pushButton_ModelGroundStatic, pushButton_ModelGroundTrigger, pushButton_ModelGroundSetSize },
        { scrollArea_modelGroundStatic, scrollArea_ModelGroundTrigger, scrollArea_ModelGroundSetSize });
}

void CMainDlg::slot_ButtonGroundTrigger() {
    ShowOnePanel(pushButton_ModelGroundTrigger, scrollArea_ModelGroundTrigger,
        { pushButton_ModelGroundStatic, pushButton_ModelGroundDynamic, pushButton_ModelGroundSetSize },
        { scrollArea_modelGroundStatic, scrollArea_ModelGroundDynamic, scrollArea_ModelGroundSetSize });
}

void CMainDlg::slot_ButtonGroundSetSize() {
    ShowOnePanel(pushButton_ModelGroundSetSize, scrollArea_ModelGroundSetSize,
        { pushButton_ModelGroundStatic, pushButton_ModelGroundDynamic, pushButton_ModelGroundTrigger },
        { scrollArea_modelGroundStatic, scrollArea_ModelGroundDynamic, scrollArea_ModelGroundTrigger });
}

// The position and angle boxes share their bodies with the robot page.
void CMainDlg::slot_PlaApp_ChangePosX() {
    ApplyPosTurnEdit(0);
}

void CMainDlg::slot_PlaApp_ChangePosY() {
    ApplyPosTurnEdit(1);
}

void CMainDlg::slot_PlaApp_ChangePosZ() {
    ApplyPosTurnEdit(2);
}

void CMainDlg::slot_PlaApp_ChangeTurnX() {
    ApplyPosTurnEdit(3);
}

void CMainDlg::slot_PlaApp_ChangeTurnY() {
    ApplyPosTurnEdit(4);
}

void CMainDlg::slot_PlaApp_ChangeTurnZ() {
    ApplyPosTurnEdit(5);
}

void CMainDlg::slot_PlaApp_SliderChangeTurnX(int value) {
    ApplyTurnSlider(3, value);
}

void CMainDlg::slot_PlaApp_SliderChangeTurnY(int value) {
    ApplyTurnSlider(4, value);
}

void CMainDlg::slot_PlaApp_SliderChangeTurnZ(int value) {
    ApplyTurnSlider(5, value);
}

// ---- objects from the bars and the user's models ----------------------------------

void CMainDlg::slot_AddGroundObject(std::string name, int kind, osg::Vec4) {
    // Whatever the builder makes of it, the playground is asked about before
    // it is dropped.
    m_bPlaSaved = false;
    m_pPlaApp->SetMouseModeMove();
    osg::ref_ptr<CModel> object = MakeBarObject(kind, name, m_pPlaApp->GetPartContext());
    m_pPlaApp->AddObject(object.get());
    mygroundwidget->setFocus(Qt::ActiveWindowFocusReason);
}

void CMainDlg::slot_IveToGround(QString path) {
    // A playground file names its models below the program folder, where
    // the library lies: an address from anywhere else would make the saved
    // file unreadable, here and on every other computer.
    const QString address = QDir(m_config.ProgramDir()).relativeFilePath(path);
    if (QDir::isAbsolutePath(address) || address.startsWith(QLatin1String("../"))
        || address == QLatin1String("..")) {
        qCWarning(
            lcWindow, "The model %s lies outside the program folder and is not placed", qPrintable(path));
        return;
    }
    osg::ref_ptr<CModel> object = new CSlope(m_pPlaApp->GetPartContext(), LocalPath(address));
    m_pPlaApp->AddObject(object.get());
}

void CMainDlg::slot_User_DefineModel() {
    m_pUserDefineDlg->Exec();
}

// ---- the playground's files ---------------------------------------------------------------

bool CMainDlg::SavePlayground(const std::string& path) {
    const bool saved = m_pPlaApp->LoadOrSaveFile(path, false);
    // The builder tells the page only while the page is shown.
    m_bPlaSaved = m_pPlaApp->GetEditState().m_bClean;
    return saved;
}

bool CMainDlg::LoadPlayground(const std::string& path) {
    const bool loaded = m_pPlaApp->LoadOrSaveFile(path, true);
    m_bPlaSaved = m_pPlaApp->GetEditState().m_bClean;
    return loaded;
}

QString CMainDlg::PlaygroundRefusalText(bool simulation) const {
    using Fault = PlaygroundFile::Fault;
    const PlaygroundFile::Refusal& refusal
        = simulation ? m_pEmuApp->GetPlayground()->GetLoadRefusal() : m_pPlaApp->GetFileRefusal();
    const QString place = QString::fromStdString(refusal.place);
    const auto text = [&](const char* key) { return m_config.GetText("CMainDlg", "f_SaveMapMessage", key); };
    // Limits are written as the documents write them.
    const QLocale numbers(QLocale::English);
    switch (refusal.fault) {
    case Fault::None:
        break;
    case Fault::Unreadable:
        return text("sUnreadable");
    case Fault::TooLarge:
        return text("sTooLarge").arg(PlaygroundFile::kMaxFileSize >> 20);
    case Fault::NotAPlayground:
        return text("sNotPlayground");
    case Fault::WrongType:
        return text("sWrongType").arg(place);
    case Fault::OutOfRange:
        return text("sOutOfRange").arg(place);
    case Fault::UnsafeAddress:
        return text("sUnsafeAddress").arg(place);
    case Fault::Assignments:
        return text("sAssignments").arg(place);
    case Fault::UnknownKind:
        return text("sUnknownKind").arg(place);
    case Fault::TooManyObjects:
        return text("sTooManyObjects").arg(numbers.toString(PlaygroundFile::kMaxObjects));
    case Fault::NoPicture:
        return text("sNoPicture");
    case Fault::PictureSize:
        return text("sPictureSize").arg(place, numbers.toString(GroundPicture::kSide));
    case Fault::PictureNotStored:
        return text("sPictureNotStored").arg(QString::fromLocal8Bit(refusal.place.c_str()));
    }
    return QString();
}

QString CMainDlg::PlaygroundSaveFailure() const {
    const int error = m_pPlaApp->GetFileSystemError();
    if (error == 0)
        return QString();
    return m_config.GetText("CMainDlg", "f_SaveMapMessage", "sSystem")
        .arg(QString::fromLocal8Bit(platform::SystemReason(error).c_str()));
}

bool CMainDlg::HandPlaygroundOver() {
    const QString copy = m_config.InProgramDir(QString::fromLatin1(PlaygroundFile::kHandOverFile));
    // A copy: the playground in the builder is no more saved than before.
    if (!m_pPlaApp->SaveCopy(LocalPath(copy))) {
        f_SaveMapMessage(false, false, copy, PlaygroundSaveFailure());
        return false;
    }
    if (!AcceptsMatchPlaygroundFile(copy))
        return false;
    m_pEmuApp->GetLoadBlock()->m_strPlaygroundFile = LocalPath(copy);
    tabWidget->setCurrentWidget(tab3);
    f_EmuAppRefresh();
    return true;
}

} // namespace Ui
