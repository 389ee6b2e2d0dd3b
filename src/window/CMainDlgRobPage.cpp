// The robot builder page: its set-up, entering it, its texts, the
// per-frame state of its edit actions, parts from the bars, pictures and
// the assembly show.

#include "window/CMainDlg.h"

#include "apps/CEmuApp.h"
#include "apps/CPlaApp.h"
#include "apps/CRobApp.h"
#include "dialogs/CRobDataDlg.h"
#include "elements/CBrick.h"
#include "elements/CModel.h"
#include "foundation/CConfig.h"
#include "scene/SceneView.h"
#include "simulation/CSensor.h"
#include "simulation/RobotPartFactory.h"
#include "widgets/CBrickBox.h"
#include "widgets/CExWidget.h"
#include "widgets/CImageViewer.h"
#include "widgets/MyPushButton.h"
#include "window/PortLabels.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>

namespace Ui {

namespace {

QString Text(const TiXmlElement* group, const char* key) {
    const char* value = group ? group->Attribute(key) : nullptr;
    return value ? QString::fromUtf8(value) : QString();
}

// The part a bar's picture of this kind number stands for: 0 control unit, 1
// brick (in the bar's colour), 2 wheel, 3 motor, 10 to 19 the sensor kinds 0
// to 9, 20 coloured light, 21 magnet sensor; none for any other number.
osg::ref_ptr<CModel> MakeBarPart(
    int kind, const std::string& address, const osg::Vec4& colour, const PartContextPtr& context, bool isE) {
    constexpr int kFirstSensor = 10;
    switch (kind) {
    case 0:
        return MakeRobotPart(ModelTypeRcu, 0, context, address, isE);
    case 1:
        return new CBrick(context, address, colour);
    case 2:
        return MakeRobotPart(ModelTypeWheel, 0, context, address, isE);
    case 3:
        return MakeRobotPart(ModelTypeMotor, 0, context, address, isE);
    case 20:
        return MakeRobotPart(ModelTypeColoredLight, 0, context, address, isE);
    case 21:
        return MakeRobotPart(ModelTypeSensor, SensorKindMagnet, context, address, isE);
    default:
        if (kind >= kFirstSensor && kind <= kFirstSensor + SensorKindLife)
            return MakeRobotPart(ModelTypeSensor, kind - kFirstSensor, context, address, isE);
        return nullptr;
    }
}

} // namespace

void CMainDlg::f_InitRobAppPage() {
    m_bRobSaved = true;
    m_bRobToEmuPending = false;
    m_bRobOpenAfterSave = false;
    m_bRobNewAfterSave = false;
    m_bPlaToEmuPending = false;

    scene::SceneView* view = EmbedView(mywidget);
    m_pRobApp = new CRobApp("config.xml", view);
    m_frameLoop.AddApp(m_pRobApp.get());

    m_pGridAction = new QAction(this);
    connect(m_pGridAction, &QAction::triggered, this, &CMainDlg::slot_Img_RobApp);
    m_pGridAction->setCheckable(true);
    menu_Operator->addAction(m_pGridAction);
    m_pCaptureAction = new QAction(this);
    connect(m_pCaptureAction, &QAction::triggered, this, &CMainDlg::slot_GetImg_RobApp);
    menu_Operator->addAction(m_pCaptureAction);
    m_pFastCaptureAction = new QAction(this);
    connect(m_pFastCaptureAction, &QAction::triggered, this, &CMainDlg::slot_FastImg_RobApp);
    m_pFastCaptureAction->setCheckable(true);
    m_pFastCaptureAction->setVisible(false);
    menu_Operator->addAction(m_pFastCaptureAction);
    m_pSetUpShowAction = new QAction(this);
    connect(m_pSetUpShowAction, &QAction::triggered, this, &CMainDlg::slot_ShowSetUp_RobApp);
    m_pSetUpShowAction->setCheckable(true);
    menu_Operator->addAction(m_pSetUpShowAction);
    // The grid shows from the start.
    m_pGridAction->setChecked(true);

    const char* const barNames[3] = { "modelBrick", "modelWheel", "modelSenRcu" };
    QScrollArea* const barAreas[3] = { scrollArea_ModelBrick, scrollArea_ModelWheel, scrollArea_ModelSenRcu };
    for (int i = 0; i < 3; ++i) {
        m_pRobotBars[i] = new CBrickBox(m_config.m_pViewGroup[i], m_config);
        m_pRobotBars[i]->setObjectName(QLatin1String(barNames[i]));
        m_pRobotBars[i]->setGeometry(0, 0, 228, 133);
        barAreas[i]->setWidget(m_pRobotBars[i]);
    }
    for (CBrickBox* bar : m_pRobotBars) {
        for (CImageViewer* picture : bar->GetPictures())
            connect(picture, &CImageViewer::clicked1, this, &CMainDlg::slot_AddObjRobApp);
    }

    CRobApp* app = m_pRobApp.get();
    connect(slider_RobTurnX, &QSlider::valueChanged, this, &CMainDlg::slot_RobApp_SliderChangeTurnX);
    connect(slider_RobTurnY, &QSlider::valueChanged, this, &CMainDlg::slot_RobApp_SliderChangeTurnY);
    connect(slider_RobTurnZ, &QSlider::valueChanged, this, &CMainDlg::slot_RobApp_SliderChangeTurnZ);
    connect(app, &CRobApp::signal_Ui_RobAppToEmuApp, this, &CMainDlg::slot_LoadToEmuAppEnd);
    connect(app, &CRobApp::signal_Ui_RobAppOpenFile, this, &CMainDlg::slot_Open);
    connect(app, &CRobApp::signal_Ui_RobAppNew, this, &CMainDlg::slot_New);
    connect(mywidget, &CExWidget::signal_Ui_Key, this, &CMainDlg::slot_Key);
    connect(app, &CRobApp::signal_Ui_SetProgress, this, &CMainDlg::f_Ui_SetProgress);
    connect(treeWidget, &QTreeWidget::itemClicked, this, &CMainDlg::f_Ui_SelTreeToObj);
    connect(app, &CRobApp::signal_Ui_UpdatePort, this, &CMainDlg::f_Ui_UpdatePort);
    connect(app, &CRobApp::signal_Ui_Set, this, &CMainDlg::slot_Set);
    connect(app, &CRobApp::signal_Ui_NoSel, this, &CMainDlg::slot_NoSel);
    connect(app, &CRobApp::signal_Ui_StepChange, this, &CMainDlg::slot_StepChange);
    connect(app, &CRobApp::signal_Ui_SaveFlag, this, &CMainDlg::slot_IsSaved);
    connect(app, &CRobApp::signal_Ui_RobotLoaded, this, &CMainDlg::slot_RobotLoaded);
    connect(app, &CRobApp::signal_Ui_RobotSaved, this, [this] {
        ShowSavedMessage(true, QString::fromLocal8Bit(m_sRobFile.c_str()));
        TellIdleMotorsSaved();
    });
    // Whatever changed the robot may have joined a wheel or let one go: it
    // is told with the part count.
    connect(app, &CRobApp::signal_Ui_StatusBar_ShowObjL, this, &CMainDlg::f_ShowIdleMotors);
    connect(app, &CRobApp::signal_Ui_UpdatePort, this, &CMainDlg::f_ShowIdleMotors);
    m_pIdleMotorsLabel = new QLabel(this);
    m_pIdleMotorsLabel->setObjectName(QStringLiteral("label_IdleMotors"));
    m_pIdleMotorsLabel->setStyleSheet(QStringLiteral("color: #b00000;"));
    m_pIdleMotorsLabel->hide();
    statusbar->insertPermanentWidget(0, m_pIdleMotorsLabel);
    connect(pushButton_ClearPort, &QPushButton::clicked, this, &CMainDlg::slot_ClearPort);
    connect(pushButton_ModelBrick, &QPushButton::clicked, this, &CMainDlg::slot_BrickBrickBar);
    connect(pushButton_ModelWheel, &QPushButton::clicked, this, &CMainDlg::slot_WheelBrickBar);
    connect(pushButton_ModelSenRcu, &QPushButton::clicked, this, &CMainDlg::slot_SensorBrickBar);
    connect(pushButton_PortSet, &QPushButton::clicked, this, &CMainDlg::slot_ButtonPortSet);
    connect(app, &CRobApp::signal_Ui_StatusBar_ShowObjName, this,
        qOverload<std::string*>(&CMainDlg::slot_Ui_StatusBar_ShowObjName));
    connect(app, &CRobApp::signal_Ui_StatusBar_ShowObjL, this, &CMainDlg::f_Ui_StatusBar_ShowObjL);
    connect(checkBox_Opposite, &QCheckBox::stateChanged, this, &CMainDlg::slot_Opposite_RobApp);
    connect(comboBox_PartPort, &QComboBox::currentIndexChanged, this, &CMainDlg::slot_Port_RobApp);
    connect(lineEdit_RobPosX, &QLineEdit::editingFinished, this, &CMainDlg::slot_RobApp_ChangePosX);
    connect(lineEdit_RobPosY, &QLineEdit::editingFinished, this, &CMainDlg::slot_RobApp_ChangePosY);
    connect(lineEdit_RobPosZ, &QLineEdit::editingFinished, this, &CMainDlg::slot_RobApp_ChangePosZ);
    connect(lineEdit_RobTurnX, &QLineEdit::editingFinished, this, &CMainDlg::slot_RobApp_ChangeTurnX);
    connect(lineEdit_RobTurnY, &QLineEdit::editingFinished, this, &CMainDlg::slot_RobApp_ChangeTurnY);
    connect(lineEdit_RobTurnZ, &QLineEdit::editingFinished, this, &CMainDlg::slot_RobApp_ChangeTurnZ);
    connect(lineEdit_RayDis, &QLineEdit::editingFinished, this, &CMainDlg::slot_RobApp_ChangeRayDis);
    connect(action_Color, &QAction::triggered, this, &CMainDlg::slot_Color);

    m_pRobApp->ShowObjCount();

    treeWidget->setMinimumSize(0, 300);
    treeWidget->setMaximumSize(QWIDGETSIZE_MAX, 300);
    for (MyPushButton* button :
        { pushButton_ModelBrick, pushButton_ModelWheel, pushButton_ModelSenRcu, pushButton_PortSet }) {
        button->setMinimumSize(30, 110);
        button->setMaximumSize(30, 110);
        button->setCheckable(true);
    }
    pushButton_ModelBrick->setChecked(true);
    groupBox_5->hide();
    groupBox_RobPos->hide();
}

void CMainDlg::f_EnterRobAppPage() {
    // The simulation's robot panel belongs to its page alone, and does not
    // come back by itself.
    if (IsRobotPanelShown()) {
        m_bPanelWasShown = false;
        m_pRobDataDlg->hide();
    }
    if (m_bEmuRunning) {
        m_bPageSwitch = true;
        slot_VirtualStart();
        m_bPageSwitch = false;
    }
    // A stopped run leaves its scene running until something pauses it.
    m_pEmuApp->Pause();
    m_pPlaApp->Pause();
    m_pRobApp->Resume();

    m_pFileToolBar->show();
    m_pOperatorToolBar->show();
    m_pVirtualToolBar->hide();
    action_ImportROB->setStatusTip(m_sRobStatusText);
    m_pRobApp->ShowObjCount();
    slot_Ui_StatusBar_ShowObjName(nullptr);

    for (QAction* action : { action_open, action_save, action_saveas, action_new, action_ModelCopy,
             action_ModelPaste, action_ModelMove, action_ModelDelete, action_ModelRotate_X,
             action_ModelRotate_Y, action_ModelRotate_Z, action_PointTurn_X, action_PointTurn_Y,
             action_PointTurn_Z, action_Return, action_AllSel, action_ImportROB, m_pGridAction,
             m_pCaptureAction, m_pSetUpShowAction, action_Color })
        action->setVisible(true);
    for (QAction* action :
        { action_Ground_changeMap, action_LoadGround, action_LoadRobot, action_LoadStrategy,
            action_RobotRotate, action_RobotMove, action_RobotDel, menu_Virtual->menuAction(),
            action_User_DefineModel, m_pRuleAction, action_Multiplayer_Game, menu_Group->menuAction() })
        action->setVisible(false);
    action_Undo->setVisible(true);
    action_Redo->setVisible(true);
    slot_StepChange();
    f_ShowIdleMotors();
}

QString CMainDlg::MotorNames(const std::vector<const CModel*>& motors) const {
    std::vector<QString> names;
    f_SensorMessage(names);
    const QString motor = names.size() > std::size_t(::window::kPortKindMotor)
        ? names[std::size_t(::window::kPortKindMotor)]
        : QString();
    // Numbered as the port tree numbers them: by their place among the
    // robot's motors.
    QStringList listed;
    int number = 0;
    for (const osg::ref_ptr<CModel>& part : m_pRobApp->GetPartList()) {
        if (part->GetType() != ModelTypeMotor)
            continue;
        ++number;
        if (std::find(motors.begin(), motors.end(), part.get()) != motors.end())
            listed << motor + QString::number(number);
    }
    return listed.join(QStringLiteral(", "));
}

void CMainDlg::f_ShowIdleMotors() {
    const std::vector<const CModel*> idle = m_pRobApp->IdleMotors();
    const QString names = MotorNames(idle);
    m_pIdleMotorsLabel->setText(
        names.isEmpty() ? QString() : m_config.GetText("CMainDlg", "f_ShowIdleMotors", "s").arg(names));
    m_pIdleMotorsLabel->setVisible(CurrentPage() == RobotPage && !names.isEmpty());
}

void CMainDlg::TellIdleMotorsSaved() {
    const std::vector<int>& idle = m_pRobApp->GetEditState().m_vecIdleMotors;
    f_ShowIdleMotors();
    if (idle.empty())
        return;
    // The saved robot's motors by their place among its motors, which is
    // their place among the editor's.
    std::vector<const CModel*> motors;
    int index = 0;
    for (const osg::ref_ptr<CModel>& part : m_pRobApp->GetPartList()) {
        if (part->GetType() != ModelTypeMotor)
            continue;
        if (std::find(idle.begin(), idle.end(), index) != idle.end())
            motors.push_back(part.get());
        ++index;
    }
    m_config.f_TipsDlg(m_config.GetText("CMainDlg", "f_ShowIdleMotors", "sSaved").arg(MotorNames(motors)));
}

void CMainDlg::f_LanguageRobApp(bool atStart) {
    if (!atStart)
        f_Ui_UpdatePort();
    for (CBrickBox* bar : m_pRobotBars)
        bar->f_Language();
    m_pRobApp->ShowObjCount();
    if (!atStart)
        f_ShowIdleMotors();
    const CConfig& config = m_config;
    const TiXmlElement* group = config.FindTextNode("CMainDlg", "f_LanguageRobApp");
    if (!group)
        return;
    treeWidget->setHeaderLabels({ Text(group, "sName"), Text(group, "sPort") });
    treeWidget->headerItem()->setTextAlignment(0, Qt::AlignHCenter);
    treeWidget->headerItem()->setTextAlignment(1, Qt::AlignHCenter);
    treeWidget->setColumnWidth(0, 120);
    treeWidget->setColumnWidth(1, 60);
    groupBox_5->setTitle(Text(group, "sPortBox"));
    label_PartType->setText(Text(group, "sType"));
    label_PartName->setText(Text(group, "sName_PortBox"));
    label_PartPort->setText(Text(group, "sPort_PortBox"));
    pushButton_ClearPort->setText(Text(group, "sClearPort"));
    pushButton_ClearPort->setStatusTip(Text(group, "sClearPort"));
    checkBox_Opposite->setText(Text(group, "sOpposite"));
    m_pGridAction->setText(Text(group, "sImg"));
    m_pGridAction->setStatusTip(Text(group, "sStatus_Img"));
    for (const auto& [action, key] : { std::pair<QAction*, const char*> { m_pCaptureAction, "sGetImg" },
             { m_pFastCaptureAction, "sFastImg" }, { m_pSetUpShowAction, "sShowSetUp" } }) {
        action->setText(Text(group, key));
        action->setStatusTip(Text(group, key));
    }
    label_RayDis->setText(Text(group, "sRayDis"));

    ApplySideButtonTexts(group,
        {
            { pushButton_ModelBrick, "sBrick", "sStatus_Brick" },
            { pushButton_ModelWheel, "sWheel", "sStatus_Wheel" },
            { pushButton_ModelSenRcu, "sSensor", "sStatus_Sensor" },
            { pushButton_PortSet, "sSetPort", "sStatus_SetPort" },
        });
}

void CMainDlg::f_UpdateRobAppEditActions() {
    const bool any = m_pRobApp->HasSel();
    for (QAction* action : { action_ModelRotate_X, action_ModelRotate_Y, action_ModelRotate_Z,
             action_PointTurn_X, action_PointTurn_Y, action_PointTurn_Z, action_Return, action_ModelMove })
        action->setEnabled(any);
    action_Color->setEnabled(false);
    if (!any) {
        action_ModelDelete->setEnabled(false);
        action_ModelCopy->setEnabled(false);
        return;
    }
    bool isUnit = false;
    if (m_pRobApp->GetSingleSel()) {
        const int type = SelectedPartType();
        isUnit = type == 0;
        if (type == 1)
            action_Color->setEnabled(true);
    }
    action_ModelDelete->setEnabled(!isUnit);
    action_ModelCopy->setEnabled(!isUnit);
}

void CMainDlg::slot_IsSaved(bool saved) {
    // Each builder's flag follows that builder, whichever page is shown: a
    // playground an example loads while the robot page is shown says
    // nothing of the robot, which must still be asked for.
    if (sender() == m_pRobApp.get())
        m_bRobSaved = saved;
    else if (sender() == m_pPlaApp.get())
        m_bPlaSaved = saved;
}

void CMainDlg::slot_BrickBrickBar() {
    for (MyPushButton* button : { pushButton_ModelWheel, pushButton_ModelSenRcu, pushButton_PortSet })
        button->setChecked(false);
    for (QScrollArea* area : { scrollArea_ModelWheel, scrollArea_ModelSenRcu, scrollArea_PortSet })
        area->hide();
    pushButton_ModelBrick->setChecked(true);
    scrollArea_ModelBrick->show();
}

void CMainDlg::slot_WheelBrickBar() {
    for (MyPushButton* button : { pushButton_ModelBrick, pushButton_ModelSenRcu, pushButton_PortSet })
        button->setChecked(false);
    for (QScrollArea* area : { scrollArea_ModelBrick, scrollArea_ModelSenRcu, scrollArea_PortSet })
        area->hide();
    pushButton_ModelWheel->setChecked(true);
    scrollArea_ModelWheel->show();
}

void CMainDlg::slot_SensorBrickBar() {
    for (MyPushButton* button : { pushButton_ModelBrick, pushButton_ModelWheel, pushButton_PortSet })
        button->setChecked(false);
    for (QScrollArea* area : { scrollArea_ModelBrick, scrollArea_ModelWheel, scrollArea_PortSet })
        area->hide();
    scrollArea_ModelSenRcu->show();
    pushButton_ModelSenRcu->setChecked(true);
}

// The position and angle boxes share their bodies with the playground page.
void CMainDlg::slot_RobApp_ChangePosX() {
    ApplyPosTurnEdit(0);
}

void CMainDlg::slot_RobApp_ChangePosY() {
    ApplyPosTurnEdit(1);
}

void CMainDlg::slot_RobApp_ChangePosZ() {
    ApplyPosTurnEdit(2);
}

void CMainDlg::slot_RobApp_ChangeTurnX() {
    ApplyPosTurnEdit(3);
}

void CMainDlg::slot_RobApp_ChangeTurnY() {
    ApplyPosTurnEdit(4);
}

void CMainDlg::slot_RobApp_ChangeTurnZ() {
    ApplyPosTurnEdit(5);
}

void CMainDlg::slot_RobApp_SliderChangeTurnX(int value) {
    ApplyTurnSlider(3, value);
}

void CMainDlg::slot_RobApp_SliderChangeTurnY(int value) {
    ApplyTurnSlider(4, value);
}

void CMainDlg::slot_RobApp_SliderChangeTurnZ(int value) {
    ApplyTurnSlider(5, value);
}

std::string CMainDlg::SelectedObjectAddress() const {
    const CModel* selected = nullptr;
    if (CurrentPage() == RobotPage)
        selected = m_pRobApp->GetSingleSel();
    else if (CurrentPage() == PlaygroundPage)
        selected = m_pPlaApp->GetSingleSel();
    return selected ? selected->GetAddress() : std::string();
}

int CMainDlg::SelectedPartType() const {
    const CModel* selected = m_pRobApp->GetSingleSel();
    return selected ? selected->GetType() : -1;
}

// ---- parts from the bars, pictures and the assembly show --------------------------

void CMainDlg::slot_AddObjRobApp(std::string name, int kind, osg::Vec4 colour) {
    // Whatever the builder makes of it, the robot is asked about before it
    // is dropped.
    m_bRobSaved = false;
    if (osg::ref_ptr<CModel> part
        = MakeBarPart(kind, name, colour, m_pRobApp->GetPartContext(), m_config.m_bIsE))
        m_pRobApp->AddPart(part.get());
    mywidget->setFocus(Qt::ActiveWindowFocusReason);
}

void CMainDlg::slot_Img_RobApp() {
    m_pRobApp->ToggleGridBackground();
}

void CMainDlg::slot_GetImg_RobApp() {
    const QString caption = m_config.GetText("CMainDlg", "slot_SaveAs", "s");
    const QString folder = m_config.InProgramDir(QStringLiteral("bmp"));
    QDir().mkpath(folder);
    QString filter;
    QString file = QFileDialog::getSaveFileName(
        this, caption, folder, QStringLiteral("PNG (*.png);;JPG (*.jpg);;BMP (*.bmp)"), &filter);
    if (file.isEmpty())
        return;
    // The picture's writer is chosen by the name's ending: a name typed
    // without one gets the chosen type's.
    if (QFileInfo(file).suffix().isEmpty()) {
        const QString type = filter.section(QLatin1String("*."), 1).section(QLatin1Char(')'), 0, 0);
        file += QLatin1Char('.') + (type.isEmpty() ? QStringLiteral("png") : type);
    }
    m_pRobApp->CaptureImage(QFile::encodeName(file).toStdString(), mywidget->width(), mywidget->height());
}

void CMainDlg::slot_FastImg_RobApp() {
    m_pRobApp->ToggleFastCapture(mywidget->width(), mywidget->height());
}

void CMainDlg::slot_ShowSetUp_RobApp() {
    m_pRobApp->ToggleSetUpShow();
    const bool on = m_pRobApp->IsSetUpShow();
    m_pSetUpShowAction->setChecked(on);
    tabWidget->setTabEnabled(2, !on);
    for (QAction* action : { menu->menuAction(), action_open, action_save, action_new, action_AllSel })
        action->setVisible(!on);
    m_pOperatorToolBar->setVisible(!on);
    for (QAction* action : { action_ModelDelete, action_ModelCopy, action_ModelPaste, action_ModelRotate_X,
             action_ModelRotate_Y, action_ModelRotate_Z, action_PointTurn_X, action_PointTurn_Y,
             action_PointTurn_Z, action_Return, action_ModelMove, action_Color, action_ImportROB })
        action->setVisible(!on);
    MyScrollArea1->setVisible(!on);
    scrollArea_ModelBrick->setVisible(!on);
    m_pFastCaptureAction->setVisible(on);
    tabWidget->setTabEnabled(1, !on);
    if (on) {
        scrollArea_ModelWheel->hide();
        scrollArea_ModelSenRcu->hide();
        scrollArea_PortSet->hide();
    } else {
        // The side panel comes back as it starts, on its brick bar.
        slot_BrickBrickBar();
    }
    action_Undo->setEnabled(m_pRobApp->CanUndo());
    action_Redo->setEnabled(m_pRobApp->CanRedo());
}

} // namespace Ui
