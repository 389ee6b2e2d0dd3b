#include "window/CMainDlg2.h"

#include "foundation/ClampingIntValidator.h"
#include "widgets/CExWidget.h"
#include "widgets/MyPushButton.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMetaObject>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSlider>
#include <QSpacerItem>
#include <QStatusBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <tuple>

namespace {

constexpr int kMaxSize = QWIDGETSIZE_MAX;

const QColor kWhite(255, 255, 255);
const QColor kLight(211, 228, 238);
const QColor kMidlight(233, 241, 246);
const QColor kDark(105, 114, 119);
const QColor kMid(141, 152, 159);
const QColor kToolTipBase(255, 255, 220);

void SetAllGroups(QPalette& palette, QPalette::ColorRole role, const QColor& colour) {
    for (QPalette::ColorGroup group : { QPalette::Active, QPalette::Inactive, QPalette::Disabled })
        palette.setColor(group, role, colour);
}

QPalette WhitePagePalette(const QPalette& base) {
    QPalette palette = base;
    for (QPalette::ColorRole role : { QPalette::Button, QPalette::Base, QPalette::Window })
        SetAllGroups(palette, role, kWhite);
    return palette;
}

QPalette TabPalette(const QPalette& base) {
    QPalette palette = WhitePagePalette(base);
    SetAllGroups(palette, QPalette::Light, kLight);
    SetAllGroups(palette, QPalette::BrightText, kLight);
    SetAllGroups(palette, QPalette::Midlight, kMidlight);
    SetAllGroups(palette, QPalette::Dark, kDark);
    SetAllGroups(palette, QPalette::Mid, kMid);
    SetAllGroups(palette, QPalette::Shadow, Qt::black);
    SetAllGroups(palette, QPalette::ToolTipBase, kToolTipBase);
    SetAllGroups(palette, QPalette::ToolTipText, Qt::black);
    for (QPalette::ColorRole role : { QPalette::WindowText, QPalette::Text, QPalette::ButtonText }) {
        SetAllGroups(palette, role, Qt::black);
        palette.setColor(QPalette::Disabled, role, kDark);
    }
    SetAllGroups(palette, QPalette::AlternateBase, kMidlight);
    palette.setColor(QPalette::Disabled, QPalette::AlternateBase, kLight);
    return palette;
}

QPalette TreePalette(const QPalette& base) {
    QPalette palette = base;
    SetAllGroups(palette, QPalette::Button, QColor(255, 255, 255, 0));
    SetAllGroups(palette, QPalette::Window, QColor(255, 255, 255, 0));
    SetAllGroups(palette, QPalette::Light, QColor(11, 11, 255));
    SetAllGroups(palette, QPalette::Base, Qt::black);
    SetAllGroups(palette, QPalette::Highlight, QColor(0, 170, 255));
    palette.setColor(QPalette::Disabled, QPalette::Highlight, QColor(49, 106, 197));
    SetAllGroups(palette, QPalette::HighlightedText, Qt::white);
    // The rows read light on the black ground; disabled rows dimmer.
    for (QPalette::ColorRole role : { QPalette::Text, QPalette::WindowText }) {
        SetAllGroups(palette, role, kLight);
        palette.setColor(QPalette::Disabled, role, kMid);
    }
    return palette;
}

// The 40-pixel bar of side buttons at a page's left edge.
QScrollArea* MakeButtonBar(
    QWidget* parent, const char* name, QWidget*& contents, const char* contentsName, QVBoxLayout*& layout) {
    auto* area = new QScrollArea(parent);
    area->setObjectName(QString::fromLatin1(name));
    area->setMinimumSize(40, 0);
    area->setMaximumSize(40, kMaxSize);
    area->setFrameShape(QFrame::NoFrame);
    area->setLineWidth(0);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setWidgetResizable(true);
    area->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    contents = new QWidget();
    contents->setObjectName(QString::fromLatin1(contentsName));
    contents->setGeometry(0, 0, 66, 710);
    layout = new QVBoxLayout(contents);
    layout->setSpacing(0);
    layout->setContentsMargins(7, 0, 29, 0);
    area->setWidget(contents);
    return area;
}

MyPushButton* MakeSideButton(QWidget* parent, QVBoxLayout* layout, const char* name) {
    auto* button = new MyPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRepeatInterval(300);
    button->setFlat(false);
    layout->addWidget(button);
    return button;
}

// One of the 230-pixel panels beside a page's 3-D view.
QScrollArea* MakePanel(QWidget* parent, const char* name, bool centred) {
    auto* area = new QScrollArea(parent);
    area->setObjectName(QString::fromLatin1(name));
    area->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    area->setMinimumSize(230, 0);
    area->setMaximumSize(230, kMaxSize);
    area->setFrameShape(QFrame::Box);
    area->setFrameShadow(QFrame::Plain);
    area->setWidgetResizable(true);
    if (centred)
        area->setAlignment(Qt::AlignCenter);
    return area;
}

CExWidget* MakeViewHost(QWidget* parent, const char* name) {
    auto* host = new CExWidget(parent);
    host->setObjectName(QString::fromLatin1(name));
    host->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    // The page's 3-D view fills the host.
    auto* layout = new QVBoxLayout(host);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    return host;
}

QHBoxLayout* AddRow(QVBoxLayout* column) {
    auto* row = new QHBoxLayout();
    column->addLayout(row);
    return row;
}

struct PoseBox {
    QGroupBox* box = nullptr;
    QLabel* posLabels[3] = {};
    QLineEdit* posEdits[3] = {};
    QGroupBox* turnBoxes[3] = {};
    QLineEdit* turnEdits[3] = {};
    QSlider* turnSliders[3] = {};

    // Every widget of the box, in the order the pages keep them in: the box,
    // the position labels and fields, then the angle boxes, fields and
    // sliders, each by x, y and z.
    auto Widgets() const {
        return std::make_tuple(box, posLabels[0], posLabels[1], posLabels[2], posEdits[0], posEdits[1],
            posEdits[2], turnBoxes[0], turnBoxes[1], turnBoxes[2], turnEdits[0], turnEdits[1], turnEdits[2],
            turnSliders[0], turnSliders[1], turnSliders[2]);
    }
};

// The position and angle box both builder pages share the shape of.
PoseBox MakePoseBox(QWidget* parent, const char* prefix) {
    PoseBox pose;
    pose.box = new QGroupBox(parent);
    pose.box->setFocusPolicy(Qt::NoFocus);
    auto* column = new QVBoxLayout(pose.box);
    const char* const axes[3] = { "X", "Y", "Z" };
    for (int i = 0; i < 3; ++i) {
        QHBoxLayout* row = AddRow(column);
        pose.posLabels[i] = new QLabel(pose.box);
        pose.posLabels[i]->setText(QString::fromLatin1(axes[i]) + QStringLiteral(" : "));
        pose.posEdits[i] = new QLineEdit();
        pose.posEdits[i]->setObjectName(
            QStringLiteral("lineEdit_%1Pos%2").arg(QLatin1String(prefix), QLatin1String(axes[i])));
        row->addWidget(pose.posLabels[i]);
        row->addWidget(pose.posEdits[i]);
    }
    for (int i = 0; i < 3; ++i) {
        pose.turnBoxes[i] = new QGroupBox(pose.box);
        pose.turnBoxes[i]->setObjectName(
            QStringLiteral("groupBox_%1Turn%2").arg(QLatin1String(prefix), QLatin1String(axes[i])));
        pose.turnBoxes[i]->setFocusPolicy(Qt::NoFocus);
        auto* row = new QHBoxLayout(pose.turnBoxes[i]);
        pose.turnEdits[i] = new QLineEdit(pose.turnBoxes[i]);
        pose.turnEdits[i]->setObjectName(
            QStringLiteral("lineEdit_%1Turn%2").arg(QLatin1String(prefix), QLatin1String(axes[i])));
        pose.turnEdits[i]->setMaximumSize(50, 21);
        pose.turnSliders[i] = new QSlider(Qt::Horizontal, pose.turnBoxes[i]);
        pose.turnSliders[i]->setObjectName(
            QStringLiteral("slider_%1Turn%2").arg(QLatin1String(prefix), QLatin1String(axes[i])));
        pose.turnSliders[i]->setRange(0, 359);
        pose.turnSliders[i]->setValue(0);
        pose.turnSliders[i]->setTracking(true);
        pose.turnSliders[i]->setSingleStep(1);
        pose.turnSliders[i]->setPageStep(1);
        row->addWidget(pose.turnEdits[i]);
        row->addWidget(pose.turnSliders[i]);
        column->addWidget(pose.turnBoxes[i]);
    }
    return pose;
}

QAction* MakeAction(QMainWindow* window, const char* name) {
    auto* action = new QAction(window);
    if (name)
        action->setObjectName(QString::fromLatin1(name));
    return action;
}

QMenu* MakeMenu(QWidget* parent, const char* name) {
    auto* menu = new QMenu(parent);
    if (name)
        menu->setObjectName(QString::fromLatin1(name));
    return menu;
}

} // namespace

void CMainDlg2::setupUi(QMainWindow* window) {
    if (window->objectName().isEmpty())
        window->setObjectName(QStringLiteral("CMainDlg"));
    window->setWindowModality(Qt::ApplicationModal);
    window->resize(1003, 808);
    QFont font = window->font();
    font.setStyleStrategy(QFont::PreferAntialias);
    window->setFont(font);
    window->setAutoFillBackground(false);

    centralwidget = new QWidget(window);
    centralwidget->setObjectName(QStringLiteral("centralwidget"));
    QPalette central = WhitePagePalette(centralwidget->palette());
    SetAllGroups(central, QPalette::Light, kLight);
    SetAllGroups(central, QPalette::HighlightedText, kLight);
    SetAllGroups(central, QPalette::NoRole, kLight);
    centralwidget->setPalette(central);

    auto* horizontalLayout_4 = new QHBoxLayout(centralwidget);
    horizontalLayout_4->setContentsMargins(4, 1, 9, horizontalLayout_4->contentsMargins().bottom());
    tabWidget = new QTabWidget(centralwidget);
    tabWidget->setObjectName(QStringLiteral("tabWidget"));
    tabWidget->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    tabWidget->setMinimumSize(0, 0);
    tabWidget->setSizeIncrement(0, 0);
    tabWidget->setFocusPolicy(Qt::NoFocus);
    tabWidget->setLayoutDirection(Qt::LeftToRight);
    tabWidget->setAutoFillBackground(false);
    tabWidget->setTabPosition(QTabWidget::North);
    tabWidget->setTabShape(QTabWidget::Triangular);
    tabWidget->setElideMode(Qt::ElideNone);
    tabWidget->setPalette(TabPalette(tabWidget->palette()));
    horizontalLayout_4->addWidget(tabWidget);

    tab1 = new QWidget();
    tab1->setObjectName(QStringLiteral("tab1"));
    tab2 = new QWidget();
    tab2->setObjectName(QStringLiteral("tab2"));
    tab2->setPalette(WhitePagePalette(tab2->palette()));
    tab3 = new QWidget();
    tab3->setObjectName(QStringLiteral("tab3"));
    tab3->setPalette(WhitePagePalette(tab3->palette()));
    tabWidget->addTab(tab1, QString());
    tabWidget->addTab(tab2, QString());
    tabWidget->addTab(tab3, QString());

    SetupRobotPage(window);
    SetupPlaygroundPage(window);
    SetupSimulationPage(window);
    SetupActionsAndMenus(window);
    window->setCentralWidget(centralwidget);

    statusbar = new QStatusBar(window);
    statusbar->setObjectName(QStringLiteral("statusbar"));
    window->setStatusBar(statusbar);
    label_StatusObj = new QLabel(window);
    label_StatusLv = new QLabel(window);
    statusbar->addPermanentWidget(label_StatusObj);
    statusbar->addPermanentWidget(label_StatusLv);

    QMetaObject::connectSlotsByName(window);
}

void CMainDlg2::SetupRobotPage(QMainWindow* window) {
    auto* horizontalLayout_12 = new QHBoxLayout(tab1);
    horizontalLayout_12->setSpacing(1);
    horizontalLayout_12->setContentsMargins(3, 1, 0, 0);

    auto* horizontalLayout_2 = new QHBoxLayout();
    QVBoxLayout* verticalLayout_20 = nullptr;
    MyScrollArea1 = MakeButtonBar(
        tab1, "MyScrollArea1", scrollAreaWidgetContents_3, "scrollAreaWidgetContents_3", verticalLayout_20);
    pushButton_ModelBrick
        = MakeSideButton(scrollAreaWidgetContents_3, verticalLayout_20, "pushButton_ModelBrick");
    pushButton_ModelWheel
        = MakeSideButton(scrollAreaWidgetContents_3, verticalLayout_20, "pushButton_ModelWheel");
    pushButton_ModelSenRcu
        = MakeSideButton(scrollAreaWidgetContents_3, verticalLayout_20, "pushButton_ModelSenRcu");
    pushButton_PortSet = MakeSideButton(scrollAreaWidgetContents_3, verticalLayout_20, "pushButton_PortSet");
    verticalLayout_20->addItem(new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding));
    horizontalLayout_2->addWidget(MyScrollArea1);
    horizontalLayout_12->addLayout(horizontalLayout_2);

    auto* verticalLayout_22 = new QVBoxLayout();
    verticalLayout_22->setSpacing(6);
    scrollArea_ModelBrick = MakePanel(tab1, "scrollArea_ModelBrick", true);
    scrollArea_ModelBrick->setLineWidth(1);
    scrollArea_ModelWheel = MakePanel(tab1, "scrollArea_ModelWheel", true);
    scrollArea_ModelSenRcu = MakePanel(tab1, "scrollArea_ModelSenRcu", true);
    scrollArea_PortSet = MakePanel(tab1, "scrollArea_PortSet", false);
    for (QScrollArea* area :
        { scrollArea_ModelBrick, scrollArea_ModelWheel, scrollArea_ModelSenRcu, scrollArea_PortSet })
        verticalLayout_22->addWidget(area);

    scrollAreaWidgetContents_4 = new QWidget();
    scrollAreaWidgetContents_4->setObjectName(QStringLiteral("scrollAreaWidgetContents_4"));
    scrollAreaWidgetContents_4->setGeometry(0, 0, 212, 572);
    auto* verticalLayout_2 = new QVBoxLayout(scrollAreaWidgetContents_4);

    treeWidget = new QTreeWidget(scrollAreaWidgetContents_4);
    treeWidget->setObjectName(QStringLiteral("treeWidget"));
    treeWidget->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    treeWidget->setFocusPolicy(Qt::StrongFocus);
    treeWidget->setFrameShape(QFrame::StyledPanel);
    treeWidget->setWordWrap(true);
    treeWidget->setPalette(TreePalette(treeWidget->palette()));
    verticalLayout_2->addWidget(treeWidget);

    groupBox_5 = new QGroupBox(scrollAreaWidgetContents_4);
    groupBox_5->setObjectName(QStringLiteral("groupBox_5"));
    groupBox_5->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    groupBox_5->setFocusPolicy(Qt::ClickFocus);
    groupBox_5->setFlat(false);
    groupBox_5->setFixedHeight(180);
    auto* portOuter = new QVBoxLayout(groupBox_5);
    auto* portRows = new QVBoxLayout();
    portOuter->addLayout(portRows);
    auto labelledRow = [&](QLabel*& label, QWidget* field) {
        QHBoxLayout* row = AddRow(portRows);
        label = new QLabel(groupBox_5);
        label->setFixedSize(70, 21);
        field->setFixedSize(100, 21);
        row->addWidget(label);
        row->addWidget(field);
    };
    lineEdit_PartType = new QLineEdit(groupBox_5);
    lineEdit_PartType->setReadOnly(true);
    labelledRow(label_PartType, lineEdit_PartType);
    lineEdit_PartName = new QLineEdit(groupBox_5);
    lineEdit_PartName->setReadOnly(true);
    labelledRow(label_PartName, lineEdit_PartName);
    comboBox_PartPort = new QComboBox(groupBox_5);
    labelledRow(label_PartPort, comboBox_PartPort);
    checkBox_Opposite = new QCheckBox(groupBox_5);
    portRows->addWidget(checkBox_Opposite);
    lineEdit_RayDis = new QLineEdit(groupBox_5);
    lineEdit_RayDis->setValidator(new QIntValidator(1, 255, window));
    labelledRow(label_RayDis, lineEdit_RayDis);
    pushButton_ClearPort = new QPushButton(groupBox_5);
    pushButton_ClearPort->setObjectName(QStringLiteral("pushButton_ClearPort"));
    pushButton_ClearPort->setFocusPolicy(Qt::NoFocus);
    pushButton_ClearPort->setFixedSize(90, 30);
    portRows->addWidget(pushButton_ClearPort);
    verticalLayout_2->addWidget(groupBox_5);

    std::tie(groupBox_RobPos, label_RobPosX, label_RobPosY, label_RobPosZ, lineEdit_RobPosX, lineEdit_RobPosY,
        lineEdit_RobPosZ, groupBox_RobTurnX, groupBox_RobTurnY, groupBox_RobTurnZ, lineEdit_RobTurnX,
        lineEdit_RobTurnY, lineEdit_RobTurnZ, slider_RobTurnX, slider_RobTurnY, slider_RobTurnZ)
        = MakePoseBox(scrollAreaWidgetContents_4, "Rob").Widgets();
    verticalLayout_2->addWidget(groupBox_RobPos);
    verticalLayout_2->addItem(new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding));
    scrollArea_PortSet->setWidget(scrollAreaWidgetContents_4);
    horizontalLayout_12->addLayout(verticalLayout_22);

    mywidget = MakeViewHost(tab1, "mywidget");
    horizontalLayout_12->addWidget(mywidget);

    action_Undo = MakeAction(window, nullptr);
    action_Redo = MakeAction(window, nullptr);
    action_AllSel = MakeAction(window, nullptr);
}

void CMainDlg2::SetupPlaygroundPage(QMainWindow* window) {
    auto* horizontalLayout_13 = new QHBoxLayout(tab2);
    horizontalLayout_13->setSpacing(1);
    horizontalLayout_13->setContentsMargins(3, 1, 0, 0);

    auto* horizontalLayout = new QHBoxLayout();
    QVBoxLayout* verticalLayout_13 = nullptr;
    scrollArea_2 = MakeButtonBar(
        tab2, "scrollArea_2", scrollAreaWidgetContents_2, "scrollAreaWidgetContents_2", verticalLayout_13);
    verticalLayout_13->addItem(new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding));
    QVBoxLayout* verticalLayout_25 = nullptr;
    MyScrollArea_2 = MakeButtonBar(
        tab2, "MyScrollArea_2", scrollAreaWidgetContents_6, "scrollAreaWidgetContents_6", verticalLayout_25);
    pushButton_ModelGroundStatic
        = MakeSideButton(scrollAreaWidgetContents_6, verticalLayout_25, "pushButton_ModelGroundStatic");
    pushButton_ModelGroundDynamic
        = MakeSideButton(scrollAreaWidgetContents_6, verticalLayout_25, "pushButton_ModelGroundDynamic");
    pushButton_ModelGroundTrigger
        = MakeSideButton(scrollAreaWidgetContents_6, verticalLayout_25, "pushButton_ModelGroundTrigger");
    pushButton_ModelGroundSetSize
        = MakeSideButton(scrollAreaWidgetContents_6, verticalLayout_25, "pushButton_ModelGroundSetSize");
    pushButton_ModelGroundSetSize->setCheckable(true);
    verticalLayout_25->addItem(new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding));
    horizontalLayout->addWidget(scrollArea_2);
    horizontalLayout->addWidget(MyScrollArea_2);
    horizontalLayout_13->addLayout(horizontalLayout);

    auto* verticalLayout_24 = new QVBoxLayout();
    verticalLayout_24->setSpacing(6);
    scrollArea_modelGroundStatic = MakePanel(tab2, "scrollArea_modelGroundStatic", true);
    scrollArea_ModelGroundDynamic = MakePanel(tab2, "scrollArea_ModelGroundDynamic", true);
    scrollArea_ModelGroundTrigger = MakePanel(tab2, "scrollArea_ModelGroundTrigger", true);
    scrollArea_ModelGroundSetSize = MakePanel(tab2, "scrollArea_ModelGroundSetSize", false);
    for (QScrollArea* area : { scrollArea_modelGroundStatic, scrollArea_ModelGroundDynamic,
             scrollArea_ModelGroundTrigger, scrollArea_ModelGroundSetSize })
        verticalLayout_24->addWidget(area);

    scrollAreaWidgetContents_5 = new QWidget();
    scrollAreaWidgetContents_5->setObjectName(QStringLiteral("scrollAreaWidgetContents_5"));
    auto* sizeColumn = new QVBoxLayout(scrollAreaWidgetContents_5);

    widget_SetSize = new QWidget(scrollAreaWidgetContents_5);
    auto* sizeRow = new QHBoxLayout(widget_SetSize);
    auto* axisColumn = new QVBoxLayout();
    sizeRow->addLayout(axisColumn);
    auto axisBox = [&](QGroupBox*& box, QLineEdit*& edit, QSlider*& slider, const char* boxName,
                       const char* editName, const char* sliderName) {
        box = new QGroupBox(widget_SetSize);
        if (boxName)
            box->setObjectName(QString::fromLatin1(boxName));
        auto* boxColumn = new QVBoxLayout(box);
        QHBoxLayout* row = AddRow(boxColumn);
        edit = new QLineEdit(box);
        edit->setObjectName(QString::fromLatin1(editName));
        slider = new QSlider(Qt::Horizontal, box);
        slider->setObjectName(QString::fromLatin1(sliderName));
        slider->setSingleStep(1);
        slider->setPageStep(1);
        row->addWidget(edit);
        row->addWidget(slider);
        axisColumn->addWidget(box);
    };
    axisBox(groupBox3, lineEdit_XSlider, XSlider, "groupBox3", "lineEdit_XSlider", "XSlider");
    XSlider->setValue(0);
    XSlider->setTracking(true);
    axisBox(groupBox_YSlider, lineEdit_YSlider, YSlider, nullptr, "lineEdit_YSlider", "YSlider");
    axisBox(groupBox_ZSlider, lineEdit_ZSlider, ZSlider, nullptr, "lineEdit_ZSlider", "ZSlider");
    auto* sizeValidator = new foundation::ClampingIntValidator(1, 256, window);
    for (QLineEdit* edit : { lineEdit_XSlider, lineEdit_YSlider, lineEdit_ZSlider })
        edit->setValidator(sizeValidator);
    AllSlider = new QSlider(Qt::Vertical, widget_SetSize);
    AllSlider->setObjectName(QStringLiteral("AllSlider"));
    AllSlider->setRange(1, 256);
    AllSlider->setSingleStep(1);
    AllSlider->setPageStep(1);
    sizeRow->addWidget(AllSlider);
    sizeColumn->addWidget(widget_SetSize);

    groupBox_PlaObj = new QGroupBox(scrollAreaWidgetContents_5);
    auto* objColumn = new QVBoxLayout(groupBox_PlaObj);
    QHBoxLayout* nameRow = AddRow(objColumn);
    label_PlaObjName = new QLabel(groupBox_PlaObj);
    lineEdit_PlaObjName = new QLineEdit(groupBox_PlaObj);
    nameRow->addWidget(label_PlaObjName);
    nameRow->addWidget(lineEdit_PlaObjName);
    checkBox_Take = new QCheckBox(groupBox_PlaObj);
    checkBox_Only = new QCheckBox(groupBox_PlaObj);
    objColumn->addWidget(checkBox_Take);
    objColumn->addWidget(checkBox_Only);
    QHBoxLayout* modeRow = AddRow(objColumn);
    radioButton_AllIn = new QRadioButton(groupBox_PlaObj);
    radioButton_In = new QRadioButton(groupBox_PlaObj);
    modeRow->addWidget(radioButton_AllIn);
    modeRow->addWidget(radioButton_In);
    radioButton_Leave = new QRadioButton(groupBox_PlaObj);
    AddRow(objColumn)->addWidget(radioButton_Leave);
    QHBoxLayout* scoreRow = AddRow(objColumn);
    label_PlaObjScore = new QLabel(groupBox_PlaObj);
    lineEdit_PlaObjScore = new QLineEdit(groupBox_PlaObj);
    scoreRow->addWidget(label_PlaObjScore);
    scoreRow->addWidget(lineEdit_PlaObjScore);
    pushButton_PlaObjModels = new QPushButton(groupBox_PlaObj);
    AddRow(objColumn)->addWidget(pushButton_PlaObjModels);
    checkBox_Astronaut = new QCheckBox(groupBox_PlaObj);
    checkBox_RedAstronaut = new QCheckBox(groupBox_PlaObj);
    checkBox_YellowAstronaut = new QCheckBox(groupBox_PlaObj);
    checkBox_BlueAstronaut = new QCheckBox(groupBox_PlaObj);
    for (QCheckBox* box :
        { checkBox_Astronaut, checkBox_RedAstronaut, checkBox_YellowAstronaut, checkBox_BlueAstronaut })
        objColumn->addWidget(box);
    sizeColumn->addWidget(groupBox_PlaObj);

    std::tie(groupBox_PlaPos, label_PlaPosX, label_PlaPosY, label_PlaPosZ, lineEdit_PlaPosX, lineEdit_PlaPosY,
        lineEdit_PlaPosZ, groupBox_PlaTurnX, groupBox_PlaTurnY, groupBox_PlaTurnZ, lineEdit_PlaTurnX,
        lineEdit_PlaTurnY, lineEdit_PlaTurnZ, slider_PlaTurnX, slider_PlaTurnY, slider_PlaTurnZ)
        = MakePoseBox(scrollAreaWidgetContents_5, "Pla").Widgets();
    sizeColumn->addWidget(groupBox_PlaPos);
    sizeColumn->addItem(new QSpacerItem(20, 280, QSizePolicy::Minimum, QSizePolicy::Expanding));
    scrollArea_ModelGroundSetSize->setWidget(scrollAreaWidgetContents_5);
    horizontalLayout_13->addLayout(verticalLayout_24);

    mygroundwidget = MakeViewHost(tab2, "mygroundwidget");
    mygroundwidget->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    mygroundwidget->setMaximumSize(1800, kMaxSize);
    mygroundwidget->setBaseSize(1350, 0);
    horizontalLayout_13->addWidget(mygroundwidget);

    action_Ground_changeMap = MakeAction(window, "action_Ground_changeMap");
    action_User_DefineModel = MakeAction(window, "action_User_DefineModel");
    action_Walls = MakeAction(window, nullptr);
    action_Dominoes = MakeAction(window, nullptr);
}

void CMainDlg2::SetupSimulationPage(QMainWindow* window) {
    auto* verticalLayout_17 = new QVBoxLayout(tab3);
    verticalLayout_17->setContentsMargins(6, 0, 0, 0);
    auto* horizontalLayout_5 = new QHBoxLayout();
    horizontalLayout_5->setSpacing(9);
    horizontalLayout_5->setContentsMargins(0, 4, 0, 0);
    label_2 = new QLabel(tab3);
    label_2->setObjectName(QStringLiteral("label_2"));
    label_Time = new QLabel(tab3);
    label_Time->setObjectName(QStringLiteral("label_Time"));
    label_Score = new QLabel(tab3);
    label_Score->setObjectName(QStringLiteral("label_Score"));
    horizontalLayout_5->addWidget(label_2);
    horizontalLayout_5->addWidget(label_Time);
    horizontalLayout_5->addWidget(label_Score);
    horizontalLayout_5->addItem(new QSpacerItem(228, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    verticalLayout_17->addLayout(horizontalLayout_5);
    widget_5 = MakeViewHost(tab3, "widget_5");
    verticalLayout_17->addWidget(widget_5);

    action_LoadGround = MakeAction(window, "action_LoadGround");
    action_LoadRobot = MakeAction(window, "action_LoadRobot");
    action_LoadStrategy = MakeAction(window, "action_LoadStrategy");
    action_VirtualStart = MakeAction(window, "action_VirtualStart");
    action_Multiplayer_Game = MakeAction(window, "action_Multiplayer_Game");
    action_Show_Message = MakeAction(window, "action_Show_Message");
    action_EmuMaxTime = MakeAction(window, nullptr);
    action_FollowHigh = MakeAction(window, nullptr);
    action_SensorEffect = MakeAction(window, nullptr);
    action_SensorEffect->setCheckable(true);
}

void CMainDlg2::SetupActionsAndMenus(QMainWindow* window) {
    action_open = MakeAction(window, "action_open");
    action_save = MakeAction(window, "action_save");
    action_saveas = MakeAction(window, "action_saveas");
    action_new = MakeAction(window, "action_new");
    action_new->setAutoRepeat(false);
    action_new->setMenuRole(QAction::TextHeuristicRole);
    action_new->setPriority(QAction::NormalPriority);
    action_quit = MakeAction(window, "action_quit");
    action_ModelRotate_X = MakeAction(window, "action_ModelRotate_X");
    action_ModelRotate_Y = MakeAction(window, "action_ModelRotate_Y");
    action_ModelRotate_Z = MakeAction(window, "action_ModelRotate_Z");
    action_PointTurn_X = MakeAction(window, nullptr);
    action_PointTurn_Y = MakeAction(window, nullptr);
    action_PointTurn_Z = MakeAction(window, nullptr);
    action_Return = MakeAction(window, nullptr);
    action_ModelMove = MakeAction(window, "action_ModelMove");
    action_ModelDelete = MakeAction(window, "action_ModelDelete");
    action_ModelCopy = MakeAction(window, "action_ModelCopy");
    action_ModelPaste = MakeAction(window, "action_ModelPaste");
    action_RobotRotate = MakeAction(window, "action_RobotRotate");
    action_RobotMove = MakeAction(window, "action_RobotMove");
    action_SoftwareHelp = MakeAction(window, "action_SoftwareHelp");
    action_DocumentHelp = MakeAction(window, "action_DocumentHelp");
    action_RunRCJ = MakeAction(window, "action_RunRCJ");
    action_ImportROB = MakeAction(window, "action_ImportROB");
    action_Open_Example = MakeAction(window, "action_Open_Example");
    action_RobotDel = MakeAction(window, "action_RobotDel");
    action_FarView = MakeAction(window, "action_FarView");
    action_NearView = MakeAction(window, "action_NearView");
    action_ToolBar_IconAndText = MakeAction(window, "action_ToolBar_IconAndText");
    action_ToolBar_Icon = MakeAction(window, "action_ToolBar_Icon");
    action_ToolBar_Text = MakeAction(window, "action_ToolBar_Text");
    action_Top_View = MakeAction(window, "action_Top_View");
    action_Left_View = MakeAction(window, "action_Left_View");
    action_Front_View = MakeAction(window, "action_Front_View");
    action_Over_View = MakeAction(window, "action_Over_View");
    action_NetMatch = MakeAction(window, nullptr);
    action_Up3DFile = MakeAction(window, nullptr);
    action_Color = MakeAction(window, nullptr);

    menubar = new QMenuBar(window);
    menubar->setObjectName(QStringLiteral("menubar"));
    menu = MakeMenu(menubar, "menu");
    menu_2 = MakeMenu(menu, "menu_2");
    menu_Help = MakeMenu(menubar, "menu_Help");
    menu_E = MakeMenu(menubar, "menu_E");
    menu_Operator = MakeMenu(menubar, "menu_Operator");
    menu_Group = MakeMenu(menu_Operator, nullptr);
    menu_Virtual = MakeMenu(menubar, "menu_Virtual");
    menu_6 = MakeMenu(menu_E, "menu_6");
    menu_internationalization = MakeMenu(menu_E, "menu_internationalization");
    menu_3DView = MakeMenu(menu_Operator, "menu_3DView");
    menu_3 = MakeMenu(menu_Virtual, "menu_3");
    menu_View_Flow = MakeMenu(menu_Virtual, "menu_View_Flow");
    window->setMenuBar(menubar);
    for (QMenu* top : { menu, menu_E, menu_Operator, menu_Virtual, menu_Help })
        menubar->addAction(top->menuAction());
}
