// The robot page as a student uses it, under Xvfb: parts taken from the part
// bars and put down in the 3-D view with the mouse, wired in the port panel,
// saved, opened and handed to the simulation through the menus and file
// dialogs; screenshots, the assembly show, help, examples and user models;
// and the window asking before unsaved work goes. Real models, real files.

#include "OwnProgramFolder.h"
#include "PageFixture.h"
#include "apps/CEmuApp.h"
#include "apps/CPlaApp.h"
#include "apps/CRobApp.h"
#include "dialogs/CExTreeView.h"
#include "dialogs/CLoadDlg.h"
#include "dialogs/CRobDataDlg.h"
#include "dialogs/CUserDefineDlg.h"
#include "elements/CModel.h"
#include "elements/CSlope.h"
#include "elements/Geometry.h"
#include "foundation/CConfig.h"
#include "platform/ProgramDir.h"
#include "scene/Camera.h"
#include "scene/SceneView.h"
#include "simulation/PlaygroundFile.h"
#include "simulation/SRobThreadData.h"
#include "support/FileSizeLimit.h"
#include "support/ModalWatcher.h"
#include "support/QtPrint.h"
#include "support/TempDir.h"
#include "support/VisibleText.h"
#include "widgets/CBrickBox.h"
#include "widgets/CExWidget.h"
#include "widgets/CImageViewer.h"
#include "widgets/MyPushButton.h"
#include "widgets/ViewerQT.h"
#include "window/CMainDlg.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollArea>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;
using testsupport::ModalWatcher;
using testsupport::TempDir;

namespace {

TempDir* g_programDir = nullptr;

QString InFolder(const std::string& relative) {
    return QString::fromStdString((g_programDir->path() / relative).string());
}

// What a part is as the robot file and the port panel know it.
using PartKey = std::tuple<int, int, int, int>; // type, sub-type, port, opposite

std::vector<PartKey> Parts(const CRobApp& app) {
    std::vector<PartKey> parts;
    for (const osg::ref_ptr<CModel>& part : app.GetPartList()) {
        const int subType = part->GetType() == ModelTypeSensor ? part->GetSubType() : 0;
        parts.emplace_back(part->GetType(), subType, part->GetPort(), part->GetOpposite());
    }
    std::sort(parts.begin(), parts.end());
    return parts;
}

// The number of parts a robot file says it has.
int PartCount(const fs::path& robotFile) {
    QFile file(QString::fromStdString(robotFile.string()));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = file.readAll();
    const qsizetype at = text.indexOf("<rcu l=\"");
    return at < 0 ? -1 : text.mid(at + 8).split('"').front().toInt();
}

class RobotPage : public windowtest::PageFixture {
protected:
    void SetUp() override {
        CConfig::Instance().m_bIsE = false;
        PageFixture::SetUp();
    }
    QWidget* OpenPage() override { return W().mywidget; }
    scene::SceneApp& PageApp() const override { return *m_window->GetRobApp(); }

    CRobApp& Rob() { return *m_window->GetRobApp(); }

    // Takes the bar's picture and puts the part down on the floor at spot.
    CModel* AddFromBar(MyPushButton* barButton, CImageViewer* picture, const osg::Vec3f& spot) {
        QTest::mouseClick(barButton, Qt::LeftButton);
        QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(30, 30));
        Step();
        CModel* part = Rob().GetSingleSel();
        if (!part)
            return nullptr;
        Send(QEvent::MouseMove, PixelOf(spot), Qt::NoButton, Qt::NoButton);
        Click(PixelOf(spot));
        EXPECT_TRUE(part->IsLocked()) << part->GetAddress();
        return part;
    }

    // The floor spots parts are put down on: apart from each other and from
    // the control unit, and in sight.
    std::vector<osg::Vec3f> FloorSpots() const {
        std::vector<osg::Vec3f> spots;
        for (float y : { -30.0f, -15.0f, 15.0f, 30.0f }) {
            for (float x : { -40.0f, -24.0f, -8.0f, 8.0f, 24.0f, 40.0f }) {
                const QPoint pixel = PixelOf({ x, y, 0.0f });
                if (m_view->rect().adjusted(20, 20, -20, -20).contains(pixel))
                    spots.emplace_back(x, y, 0.0f);
            }
        }
        return spots;
    }

    // The port tree's row of the kind named kind (a top-level row).
    QTreeWidgetItem* KindRow(const QString& kind) const {
        const QList<QTreeWidgetItem*> rows = m_window->treeWidget->findItems(kind, Qt::MatchExactly, 0);
        for (QTreeWidgetItem* row : rows) {
            if (!row->parent())
                return row;
        }
        return nullptr;
    }

    void ClickRow(QTreeWidgetItem* row) {
        QTreeWidget* tree = m_window->treeWidget;
        tree->scrollToItem(row);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(row).center());
    }

    // Chooses a port in the panel's combo box with the arrow keys.
    void ChoosePort(int port) {
        QComboBox* combo = m_window->comboBox_PartPort;
        combo->setFocus();
        while (combo->currentIndex() < port)
            QTest::keyClick(combo, Qt::Key_Down);
        while (combo->currentIndex() > port)
            QTest::keyClick(combo, Qt::Key_Up);
    }

    bool WaitForFileWorker() {
        return QTest::qWaitFor([&] { return Rob().GetEditState().m_nBusy == SEditState::BusyIdle; }, 10000);
    }
};

} // namespace

// Every kind of part the bars offer (a kind number per picture, read from
// the set-up file) becomes the part its number stands for: 1 brick in the
// bar's colour, 2 wheel, 3 motor, 10-19 the sensor kinds 0-9, 20 coloured
// light, 21 magnet sensor. The port tree lists the wired parts by kind in
// the order of each kind's first part; the panel wires them, warning when a
// port is taken by a part of the same group; the robot is saved, comes back
// whole from its file and runs in the simulation.
TEST_F(RobotPage, ARobotFromEveryBarIsWiredSavedOpenedAndHandedToTheSimulation) {
    const std::map<int, std::pair<int, int>> madeOf = { { 1, { ModelTypeBrick, 0 } },
        { 2, { ModelTypeWheel, 0 } }, { 3, { ModelTypeMotor, 0 } }, { 10, { ModelTypeSensor, 0 } },
        { 11, { ModelTypeSensor, 1 } }, { 12, { ModelTypeSensor, 2 } }, { 13, { ModelTypeSensor, 3 } },
        { 14, { ModelTypeSensor, 4 } }, { 15, { ModelTypeSensor, 5 } }, { 16, { ModelTypeSensor, 6 } },
        { 17, { ModelTypeSensor, 7 } }, { 18, { ModelTypeSensor, 8 } }, { 19, { ModelTypeSensor, 9 } },
        { 20, { ModelTypeColoredLight, 0 } }, { 21, { ModelTypeSensor, 10 } } };
    MyPushButton* const barButtons[3]
        = { W().pushButton_ModelBrick, W().pushButton_ModelWheel, W().pushButton_ModelSenRcu };
    const std::vector<osg::Vec3f> spots = FloorSpots();
    ASSERT_GE(spots.size(), 17u);

    std::set<int> kinds;
    std::map<int, CModel*> byKind;
    std::size_t spot = 0;
    CImageViewer* motorPicture = nullptr;
    for (int bar = 0; bar < 3; ++bar) {
        for (CImageViewer* picture : W().RobotPartBar(bar)->GetPictures()) {
            if (!kinds.insert(picture->GetKind()).second)
                continue;
            CModel* part = AddFromBar(barButtons[bar], picture, spots[spot++]);
            ASSERT_NE(part, nullptr) << picture->GetAddress();
            byKind[picture->GetKind()] = part;
            ASSERT_TRUE(madeOf.count(picture->GetKind())) << picture->GetKind();
            EXPECT_EQ(part->GetType(), madeOf.at(picture->GetKind()).first) << picture->GetAddress();
            if (part->GetType() == ModelTypeSensor) {
                EXPECT_EQ(part->GetSubType(), madeOf.at(picture->GetKind()).second) << picture->GetAddress();
            }
            EXPECT_EQ(part->GetAddress(), picture->GetAddress());
            if (part->GetType() == ModelTypeBrick) {
                EXPECT_EQ(part->GetDesc().m_vColor, osg::Vec4f(0.0f, 0.41f, 0.65f, 1.0f));
            }
            if (part->GetType() == ModelTypeMotor)
                motorPicture = picture;
            EXPECT_FALSE(W().IsRobotSaved());
        }
    }
    EXPECT_EQ(kinds.size(), madeOf.size());
    ASSERT_NE(motorPicture, nullptr);
    CModel* secondMotor = AddFromBar(W().pushButton_ModelWheel, motorPicture, spots[spot++]);
    ASSERT_NE(secondMotor, nullptr);

    // A part clicked with the right button shows its pose, and, when it is
    // wired, its kind, name and port on the port page.
    auto rightClick = [&](CModel* part) {
        const QPoint at = PixelOf(part->GetState().m_vPos + osg::Vec3f(0.0f, 0.0f, 1.0f));
        Send(QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
        Send(QEvent::MouseButtonPress, at, Qt::RightButton, Qt::RightButton);
        Send(QEvent::MouseButtonRelease, at, Qt::RightButton, Qt::NoButton);
        EXPECT_EQ(Rob().GetSingleSel(), part) << part->GetAddress();
    };
    QTest::mouseClick(W().pushButton_ModelBrick, Qt::LeftButton);
    rightClick(byKind.at(1));
    EXPECT_TRUE(W().groupBox_RobPos->isVisible());
    EXPECT_FALSE(W().groupBox_5->isVisible());
    EXPECT_TRUE(W().pushButton_PortSet->isChecked() && W().scrollArea_PortSet->isVisible());
    EXPECT_FALSE(W().scrollArea_ModelBrick->isVisible());
    EXPECT_EQ(
        W().lineEdit_RobPosX->text().toDouble(), ClampAndTruncate2(byKind.at(1)->GetState().m_vPos.x()));
    rightClick(byKind.at(11));
    EXPECT_TRUE(W().groupBox_5->isVisible());
    EXPECT_EQ(W().lineEdit_PartType->text(), QStringLiteral("Touch"));
    EXPECT_EQ(W().lineEdit_PartName->text(), QStringLiteral("Touch1"));
    ASSERT_NE(W().treeWidget->currentItem(), nullptr);
    EXPECT_EQ(W().treeWidget->currentItem()->text(0), QStringLiteral("Touch1"));

    // The port tree: motors first (the first wired part), then the sensor
    // bar's order; magnets have a row of their own beside the lights.
    QTest::mouseClick(W().pushButton_PortSet, Qt::LeftButton);
    const QStringList wiredKinds = { "Motor", "Ray", "Touch", "Compass", "Ranging", "Grey", "Flame", "Sound",
        "Line", "Compound flame", "Life", "Magnet", "Coloured light" };
    QTreeWidget* tree = W().treeWidget;
    ASSERT_EQ(tree->topLevelItemCount(), wiredKinds.size());
    for (int i = 0; i < wiredKinds.size(); ++i) {
        QTreeWidgetItem* row = tree->topLevelItem(i);
        EXPECT_EQ(row->text(0), wiredKinds[i]);
        EXPECT_EQ(row->text(1), QString());
        const int children = wiredKinds[i] == QLatin1String("Motor") ? 2 : 1;
        ASSERT_EQ(row->childCount(), children) << wiredKinds[i].toStdString();
        for (int j = 0; j < children; ++j) {
            EXPECT_EQ(row->child(j)->text(0), wiredKinds[i] + QString::number(j + 1));
            EXPECT_EQ(row->child(j)->text(1), QStringLiteral("Not wired"));
        }
    }

    // The second motor, chosen in the tree: its panel offers ports 1 to 12
    // and the reverse box; port 2 and reversed it is.
    ClickRow(KindRow("Motor")->child(1));
    EXPECT_EQ(Rob().GetSingleSel(), secondMotor);
    EXPECT_TRUE(W().groupBox_5->isVisible());
    EXPECT_EQ(W().lineEdit_PartType->text(), QStringLiteral("Motor"));
    EXPECT_EQ(W().lineEdit_PartName->text(), QStringLiteral("Motor2"));
    ASSERT_EQ(W().comboBox_PartPort->count(), 13);
    EXPECT_EQ(W().comboBox_PartPort->itemText(12), QStringLiteral("12"));
    EXPECT_TRUE(W().checkBox_Opposite->isVisible());
    ChoosePort(2);
    // On its box, where the student clicks.
    QTest::mouseClick(
        W().checkBox_Opposite, Qt::LeftButton, {}, QPoint(8, W().checkBox_Opposite->height() / 2));
    EXPECT_EQ(secondMotor->GetPort(), 2);
    EXPECT_EQ(secondMotor->GetOpposite(), 1);
    EXPECT_EQ(secondMotor->GetRayDis(), 255) << "the hidden ray distance row leaves the part's";
    EXPECT_EQ(KindRow("Motor")->child(1)->text(1), QStringLiteral("2"));
    EXPECT_TRUE(m_watcher.Messages().isEmpty());

    // The first motor on the same port is warned about, and wired all the same.
    ClickRow(KindRow("Motor")->child(0));
    ChoosePort(2);
    ASSERT_TRUE(m_watcher.WaitForMessages(1));
    EXPECT_EQ(m_watcher.Messages().back(), CConfig::Instance().GetText("CMainDlg", "slot_SetPort", "s"));
    EXPECT_EQ(Rob().GetSingleSel()->GetPort(), 2);
    EXPECT_EQ(KindRow("Motor")->child(0)->text(1), QStringLiteral("2"));
    // The light and a sensor share a port without a word in this studio; two
    // sensors, of whatever kinds, do not.
    ClickRow(KindRow("Coloured light")->child(0));
    EXPECT_FALSE(W().checkBox_Opposite->isVisible());
    ChoosePort(5);
    ClickRow(KindRow("Magnet")->child(0));
    EXPECT_EQ(Rob().GetSingleSel()->GetSubType(), 10);
    ChoosePort(5);
    QTest::qWait(50);
    EXPECT_EQ(m_watcher.Messages().size(), 1);
    ClickRow(KindRow("Ray")->child(0));
    ChoosePort(5);
    ASSERT_TRUE(m_watcher.WaitForMessages(2));
    EXPECT_EQ(KindRow("Magnet")->child(0)->text(1), QStringLiteral("5"));
    EXPECT_EQ(KindRow("Coloured light")->child(0)->text(1), QStringLiteral("5"));
    // A kind row chooses nothing.
    ClickRow(KindRow("Ray"));
    EXPECT_FALSE(W().groupBox_5->isVisible());
    const std::vector<PartKey> built = Parts(Rob());

    // Saved under a name typed without its ending, in the robot folder.
    m_files.push_back(InFolder("robot/mine"));
    Key(Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_files.empty(); }, 5000));
    EXPECT_EQ(m_fileFolders.back(), InFolder("robot"));
    ASSERT_TRUE(WaitForFileWorker());
    EXPECT_TRUE(fs::exists(g_programDir->path() / "robot/mine.rob"));
    EXPECT_TRUE(W().IsRobotSaved());
    // Said in the status bar, as a playground's save is; the box only
    // warns that its motors, on the floor apart from its wheel, drive none.
    EXPECT_EQ(W().statusbar->currentMessage(), QStringLiteral("The robot is saved: mine.rob"));
    ASSERT_EQ(m_watcher.Messages().size(), 3);
    EXPECT_TRUE(m_watcher.Messages().back().startsWith(
        QStringLiteral("The robot is saved. Drives no wheel: Motor1, Motor2.")))
        << m_watcher.Messages().back().toStdString();
    EXPECT_EQ(W().RobotFile(), (g_programDir->path() / "robot/mine.rob").string());

    // A new robot is its control unit alone; the saved one comes back whole.
    Key(Qt::Key_N, Qt::ControlModifier);

    EXPECT_EQ(Rob().GetPartList().size(), 1u);
    EXPECT_EQ(tree->topLevelItemCount(), 0);
    EXPECT_TRUE(W().RobotFile().empty());
    m_files.push_back(InFolder("robot/mine.rob"));
    Key(Qt::Key_O, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_files.empty(); }, 5000));
    ASSERT_TRUE(WaitForFileWorker());
    EXPECT_EQ(Parts(Rob()), built);
    EXPECT_EQ(KindRow("Motor")->child(0)->text(1), QStringLiteral("2"));
    EXPECT_TRUE(m_watcher.Messages().size() == 3) << "no question: the robot was saved";
    // The open is said where the save was.
    EXPECT_EQ(W().statusbar->currentMessage(), QStringLiteral("The robot is open: mine.rob"));

    // Clearing the ports unwires every part and empties the panel.
    ClickRow(KindRow("Ray")->child(0));
    QTest::mouseClick(W().pushButton_ClearPort, Qt::LeftButton);
    EXPECT_FALSE(W().groupBox_5->isVisible());
    for (const osg::ref_ptr<CModel>& part : Rob().GetPartList()) {
        EXPECT_EQ(part->GetPort(), 0);
        EXPECT_EQ(part->GetOpposite(), 0);
        EXPECT_EQ(part->GetRayDis(), 255);
    }
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        for (int j = 0; j < tree->topLevelItem(i)->childCount(); ++j)
            EXPECT_EQ(tree->topLevelItem(i)->child(j)->text(1), QStringLiteral("Not wired"));
    }

    // Changed, and handed to the simulation: saved to its file first, which
    // the simulation then loads.
    const auto fileSize = fs::file_size(g_programDir->path() / "robot/mine.rob");
    ASSERT_NE(AddFromBar(W().pushButton_ModelBrick, W().RobotPartBar(0)->GetPictures().back(), spots[spot++]),
        nullptr);
    EXPECT_FALSE(W().IsRobotSaved());
    W().FrameTimer()->start(1);
    Press(W().action_ImportROB);
    ASSERT_TRUE(QTest::qWaitFor([&] { return W().tabWidget->currentWidget() == W().tab3; }, 10000));
    EXPECT_TRUE(W().IsRobotSaved());
    EXPECT_GT(fs::file_size(g_programDir->path() / "robot/mine.rob"), fileSize);
    EXPECT_EQ(W().GetEmuApp()->GetLoadBlock()->m_vecRobotFiles,
        std::vector<std::string> { (g_programDir->path() / "robot/mine.rob").string() });
}

// A robot that has no file of its own goes to the simulation as a copy in the
// working folder: it keeps no name and stays unsaved, so closing the window
// still asks; cancelling keeps the window, not saving closes it at once.
TEST_F(RobotPage, ARobotNeverSavedGoesOverAsACopyAndClosingStillAsks) {
    // Nothing unsaved: only the quit question, which may be declined.
    m_watcher.AnswerBoxesWith({ QStringLiteral("Cancel") });
    W().close();
    ASSERT_TRUE(m_watcher.WaitForMessages(1));
    EXPECT_EQ(m_watcher.Messages().back(), CConfig::Instance().GetText("CMainDlg", "f_AskForQuit", "s"));
    EXPECT_TRUE(W().isVisible());

    CImageViewer* brick = W().RobotPartBar(0)->GetPictures().front();
    ASSERT_NE(AddFromBar(W().pushButton_ModelBrick, brick, FloorSpots().front()), nullptr);
    Press(W().action_ImportROB);
    EXPECT_EQ(W().tabWidget->currentWidget(), W().tab3);
    const std::string copy = (g_programDir->path() / "Temp/temp.rob").string();
    EXPECT_EQ(W().GetEmuApp()->GetLoadBlock()->m_vecRobotFiles, std::vector<std::string> { copy });
    ASSERT_TRUE(fs::exists(copy));
    EXPECT_TRUE(W().RobotFile().empty());
    EXPECT_FALSE(W().IsRobotSaved());

    W().tabWidget->setCurrentWidget(W().tab1);
    m_watcher.AnswerBoxesWith({ QStringLiteral("Cancel") });
    W().close();
    ASSERT_TRUE(m_watcher.WaitForMessages(2));
    EXPECT_EQ(m_watcher.Messages().back(),
        QStringLiteral("The robot (untitled) has changes that are not saved. Save them?"));
    EXPECT_TRUE(W().isVisible());
    m_watcher.AnswerBoxesWith({ QStringLiteral("Don't save") });
    W().close();
    ASSERT_TRUE(m_watcher.WaitForMessages(3));
    EXPECT_FALSE(W().isVisible());
    QTest::qWait(50);
    EXPECT_EQ(m_watcher.Messages().size(), 3) << "no quit question after don't-save";
}

// A screenshot goes to the "bmp" folder, a name typed without an ending
// getting the chosen type's; the assembly show takes the editing away until
// it ends; a brick takes the colour picked for it.
TEST_F(RobotPage, ScreenshotsTheAssemblyShowAndABricksColour) {
    CImageViewer* brickPicture = W().RobotPartBar(0)->GetPictures().front();
    CModel* brick = AddFromBar(W().pushButton_ModelBrick, brickPicture, FloorSpots().front());
    ASSERT_NE(brick, nullptr);

    m_files.push_back(QStringLiteral("shot"));
    Press(W().CaptureAction());
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_files.empty(); }, 5000));
    EXPECT_EQ(m_fileFolders.back(), InFolder("bmp"));
    const fs::path shot = g_programDir->path() / "bmp/shot.png";
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            Step();
            return fs::exists(shot) && fs::file_size(shot) > 0;
        },
        5000));

    // The grid action takes the floor grid away for a plain white background
    // and brings it back.
    ASSERT_TRUE(W().GridAction()->isChecked());
    Press(W().GridAction());
    EXPECT_FALSE(W().GridAction()->isChecked());
    EXPECT_EQ(Rob().GetCamera()->GetClearColor(), osg::Vec4(1.0f, 1.0f, 1.0f, 1.0f));
    Press(W().GridAction());
    EXPECT_EQ(Rob().GetCamera()->GetClearColor(), osg::Vec4(0.8f, 0.8f, 0.8f, 1.0f));

    Press(W().SetUpShowAction());
    ASSERT_TRUE(Rob().IsSetUpShow());
    EXPECT_FALSE(W().tabWidget->isTabEnabled(1));
    EXPECT_FALSE(W().tabWidget->isTabEnabled(2));
    for (QAction* hidden : { W().menu->menuAction(), W().action_open, W().action_save, W().action_new,
             W().action_ModelDelete, W().action_ImportROB })
        EXPECT_FALSE(hidden->isVisible()) << hidden->objectName().toStdString();
    EXPECT_FALSE(W().MyScrollArea1->isVisible());
    EXPECT_TRUE(W().FastCaptureAction()->isVisible());
    // The show starts from the control unit alone; redo puts the brick on.
    EXPECT_FALSE(brick->GetActive());
    EXPECT_FALSE(W().action_Undo->isEnabled());
    EXPECT_TRUE(W().action_Redo->isEnabled());
    // With the continuous capture on, every step of the show is a picture.
    Press(W().FastCaptureAction());
    Key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_TRUE(brick->GetActive());
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            Step();
            return QDir(InFolder("bmp"))
                       .entryList({ QStringLiteral("*-*-*-*-*-*-*.png") }, QDir::Files)
                       .size()
                == 1;
        },
        5000));
    Press(W().FastCaptureAction());
    EXPECT_TRUE(W().action_Undo->isEnabled());
    EXPECT_FALSE(W().action_Redo->isEnabled());
    Press(W().SetUpShowAction());
    EXPECT_FALSE(Rob().IsSetUpShow());
    EXPECT_TRUE(W().tabWidget->isTabEnabled(1) && W().tabWidget->isTabEnabled(2));
    EXPECT_TRUE(W().action_open->isVisible() && W().menu->menuAction()->isVisible());
    EXPECT_TRUE(W().MyScrollArea1->isVisible() && W().scrollArea_ModelBrick->isVisible());
    EXPECT_FALSE(W().FastCaptureAction()->isVisible());

    // The colour command is offered for one brick alone.
    Click(PixelOf(brick->GetState().m_vPos + osg::Vec3f(0.0f, 0.0f, 1.0f)));
    ASSERT_EQ(Rob().GetSingleSel(), brick);
    Step();
    EXPECT_TRUE(W().action_Color->isEnabled());
    m_dialogHandler = [](QDialog* dialog) {
        if (auto* colours = qobject_cast<QColorDialog*>(dialog)) {
            colours->setCurrentColor(QColor(255, 0, 0));
            QMetaObject::invokeMethod(colours, &QDialog::accept, Qt::QueuedConnection);
        }
    };
    Key(Qt::Key_P);
    EXPECT_EQ(brick->GetDesc().m_vColor, osg::Vec4f(1.0f, 0.0f, 0.0f, 1.0f));
    EXPECT_FALSE(W().IsRobotSaved());
}

// Help > Manual opens our manual, Help > Support our support page, both in
// the program folder's "XML" and at the current language's part; the
// examples command opens the studio's example folder.
TEST_F(RobotPage, HelpOpensOurOwnPagesInTheCurrentLanguage) {
    // The desktop's opener, standing in: it notes what it is given.
    const testsupport::TempDir desktop;
    const fs::path opened = desktop.path() / "opened";
    {
        std::ofstream script(desktop.path() / "xdg-open");
        script << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" << opened.string() << "'\n";
    }
    fs::permissions(desktop.path() / "xdg-open", fs::perms::owner_all);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", desktop.qpath().toLocal8Bit() + ':' + path);
    const auto restorePath = qScopeGuard([&] { qputenv("PATH", path); });
    Key(Qt::Key_F1);
    W().SupportAction()->trigger();
    CConfig::Instance().SetLanguage(0, false);
    W().action_DocumentHelp->trigger();
    W().action_Open_Example->trigger();
    CConfig::Instance().SetLanguage(1, false);
    // The opener runs apart from the window, each page in its own time.
    QList<QUrl> urls;
    const bool allOpened = QTest::qWaitFor(
        [&] {
            QFile file(QString::fromStdString(opened.string()));
            if (!file.open(QIODevice::ReadOnly))
                return false;
            urls.clear();
            for (const QByteArray& line : file.readAll().split('\n')) {
                if (!line.isEmpty())
                    urls << QUrl::fromEncoded(line);
            }
            return urls.size() >= 4;
        },
        10000);
    ASSERT_TRUE(allOpened) << urls.size();
    const auto openedOnce = [&](const QString& file, const QString& fragment) {
        return std::count_if(urls.begin(), urls.end(), [&](const QUrl& url) {
            return url.toLocalFile() == file && url.fragment() == fragment;
        }) == 1;
    };
    const QString manual = InFolder("XML/Manual.html");
    EXPECT_EQ(urls.size(), 4);
    EXPECT_TRUE(openedOnce(manual, QStringLiteral("en")));
    EXPECT_TRUE(openedOnce(InFolder("XML/Support.html"), QStringLiteral("en")));
    EXPECT_TRUE(openedOnce(manual, QStringLiteral("zh")));
    EXPECT_EQ(std::count_if(urls.begin(), urls.end(),
                  [&](const QUrl& url) {
                      return QDir(url.toLocalFile()) == QDir(InFolder("XML/studio0/examples"));
                  }),
        1);
    // Nothing is said when the pages open.
    EXPECT_TRUE(m_watcher.Messages().isEmpty());

    // The studio's own program is started, and the window does not wait for it.
    const fs::path started = g_programDir->path() / "started";
    const fs::path program = g_programDir->path() / "studio_program.sh";
    {
        std::ofstream script(program);
        script << "#!/bin/sh\ntouch '" << started.string() << "'\n";
    }
    fs::permissions(program, fs::perms::owner_all);
    // A studio without one offers none.
    EXPECT_FALSE(W().action_RunRCJ->isEnabled());
    CConfig::Instance().m_strFastCar = QStringLiteral("studio_program.sh");
    W().f_LanguageMenu();
    ASSERT_TRUE(W().action_RunRCJ->isEnabled());
    W().action_RunRCJ->trigger();
    CConfig::Instance().m_strFastCar.clear();
    W().f_LanguageMenu();
    EXPECT_TRUE(QTest::qWaitFor([&] { return fs::exists(started); }, 5000));

    // Both pages hold both languages at those places.
    for (const QString& page : { manual, InFolder("XML/Support.html") }) {
        QFile file(page);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << page.toStdString();
        const QByteArray html = file.readAll();
        EXPECT_TRUE(html.contains("id=\"zh\"") && html.contains("id=\"en\"")) << page.toStdString();
    }
}

// A desktop that cannot open web pages, with no program for them on the
// path: Help > Manual tells where the manual is, in full, in the current
// language, to open it by hand.
TEST_F(RobotPage, WithoutAProgramForWebPagesTheManualsPlaceIsTold) {
    const testsupport::TempDir noPrograms;
    const QByteArray path = qgetenv("PATH");
    const QByteArray browser = qgetenv("BROWSER");
    const QByteArray defaultBrowser = qgetenv("DEFAULT_BROWSER");
    qputenv("PATH", noPrograms.qpath().toLocal8Bit());
    qunsetenv("BROWSER");
    qunsetenv("DEFAULT_BROWSER");
    const auto restore = qScopeGuard([&] {
        qputenv("PATH", path);
        if (!browser.isNull())
            qputenv("BROWSER", browser);
        if (!defaultBrowser.isNull())
            qputenv("DEFAULT_BROWSER", defaultBrowser);
        CConfig::Instance().SetLanguage(1, false);
    });
    const QString manual = QDir::toNativeSeparators(InFolder("XML/Manual.html"));
    ASSERT_TRUE(QFileInfo(manual).isAbsolute());
    Key(Qt::Key_F1);
    ASSERT_TRUE(m_watcher.WaitForMessages(1));
    EXPECT_EQ(m_watcher.Messages()[0],
        QStringLiteral("This computer has no program that opens web pages. Please open this file in a web "
                       "browser:\n")
            + manual);
    CConfig::Instance().SetLanguage(0, false);
    W().action_DocumentHelp->trigger();
    ASSERT_TRUE(m_watcher.WaitForMessages(2));
    EXPECT_EQ(m_watcher.Messages()[1],
        CConfig::Instance().GetText("CMainDlg", "OpenProgramFile", "s") + QLatin1Char('\n') + manual);
    EXPECT_TRUE(m_watcher.Messages()[1].startsWith(QStringLiteral("这台电脑")));
    // Nor a program for folders: the examples folder is told the same way.
    W().action_Open_Example->trigger();
    ASSERT_TRUE(m_watcher.WaitForMessages(3));
    const QStringList folderMessage = m_watcher.Messages()[2].split(QLatin1Char('\n'));
    ASSERT_EQ(folderMessage.size(), 2);
    EXPECT_EQ(folderMessage[0], CConfig::Instance().GetText("CMainDlg", "OpenProgramFile", "sFolder"));
    EXPECT_TRUE(folderMessage[0].startsWith(QStringLiteral("这台电脑上没有能打开文件夹的程序")));
    EXPECT_EQ(QDir(folderMessage[1]), QDir(InFolder("XML/studio0/examples")));

    // The desktop's opener is there but finds nothing to open web pages
    // with: it starts, so only its answer tells.
    qputenv("PATH", path);
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    ASSERT_FALSE(opener.isEmpty()) << "xdg-open is missing (scripts/deps.sh installs xdg-utils)";
    const QByteArray emptyFolder = noPrograms.qpath().toLocal8Bit();
    const char* const desktopSettings[]
        = { "XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "MAILCAPS" };
    std::vector<std::pair<const char*, QByteArray>> saved;
    for (const char* name : desktopSettings) {
        saved.emplace_back(name, qgetenv(name));
        qputenv(name, emptyFolder);
    }
    for (const char* name :
        { "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID" }) {
        saved.emplace_back(name, qgetenv(name));
        qunsetenv(name);
    }
    const auto restoreDesktop = qScopeGuard([&] {
        for (const auto& [name, value] : saved) {
            if (value.isNull())
                qunsetenv(name);
            else
                qputenv(name, value);
        }
    });
    qputenv("BROWSER", noPrograms.qpath().toLocal8Bit() + "/no-browser");
    W().action_DocumentHelp->trigger();
    ASSERT_TRUE(m_watcher.WaitForMessages(4, 10000));
    EXPECT_EQ(m_watcher.Messages()[3], m_watcher.Messages()[1]);
    // A browser that opens it: nothing more is said.
    qputenv("BROWSER", QStandardPaths::findExecutable(QStringLiteral("true")).toLocal8Bit());
    W().action_DocumentHelp->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return W().findChildren<QProcess*>().isEmpty(); }, 10000));
    QApplication::processEvents();
    EXPECT_EQ(m_watcher.Messages().size(), 4);
}

// An example from the Examples menu: asked which parts to load, its robot
// goes into the builder and with its program and playground to the
// simulation; the program only up to the studio's example-program level.
TEST_F(RobotPage, AnExampleGoesToTheBuilderAndTheSimulation) {
    // The set-up file's first example, "drive_to_zone" at level 0, here the
    // new robot of the builder saved into the example's folder.
    const QString folder = InFolder("XML/studio0/examples/drive_to_zone");
    m_files.push_back(folder + QStringLiteral("/drive_to_zone.rob"));
    QDir().mkpath(folder);
    // The example's own playground, as installed.
    fs::copy_file(fs::path(MORVANE_PROGRAM_DIR) / "XML/studio0/examples/drive_to_zone/drive_to_zone.pla",
        fs::path(folder.toStdString()) / "drive_to_zone.pla");
    Key(Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_files.empty(); }, 5000));
    ASSERT_TRUE(WaitForFileWorker());
    Key(Qt::Key_N, Qt::ControlModifier);

    QAction* example = nullptr;
    for (QAction* action : W().menu_2->actions()) {
        if (action->objectName() == QStringLiteral("0,0"))
            example = action;
    }
    ASSERT_NE(example, nullptr);
    int asked = 0;
    m_dialogHandler = [&](QDialog* dialog) {
        if (auto* load = qobject_cast<CLoadDlg*>(dialog)) {
            ++asked;
            ModalWatcher::Post(load->ButtonOK());
        }
    };
    CConfig::Instance().m_nExampleProgramLevel = 0;
    example->trigger();
    EXPECT_EQ(asked, 1);
    ASSERT_TRUE(WaitForFileWorker());
    const SRobThreadData& block = *W().GetEmuApp()->GetLoadBlock();
    const std::string robot = (folder + QStringLiteral("/drive_to_zone.rob")).toStdString();
    EXPECT_EQ(block.m_vecRobotFiles, std::vector<std::string> { robot });
    EXPECT_EQ(
        block.m_vecProgramFiles, std::vector<std::string> { (folder + "/drive_to_zone.so").toStdString() });
    EXPECT_EQ(block.m_strPlaygroundFile, (folder + "/drive_to_zone.pla").toStdString());
    EXPECT_EQ(W().RobotFile(), robot);
    EXPECT_EQ(W().tabWidget->currentWidget(), W().tab3);

    // Below the example's level its program is the student's to write.
    W().tabWidget->setCurrentWidget(W().tab1);
    CConfig::Instance().m_nExampleProgramLevel = -1;
    const auto programLevel = qScopeGuard([] { CConfig::Instance().m_nExampleProgramLevel = 0; });
    example->trigger();
    ASSERT_TRUE(WaitForFileWorker());
    EXPECT_EQ(block.m_vecProgramFiles, std::vector<std::string> { std::string() });

    // An unsaved robot goes only after the question Open asks: Cancel keeps
    // it; Save saves it under the name asked for, then the example comes.
    const auto answer = [&](const char* button) {
        const int told = int(m_watcher.Messages().size());
        m_watcher.AnswerBoxesWith({ QString::fromLatin1(button) });
        example->trigger();
        EXPECT_TRUE(m_watcher.WaitForMessages(told + 1));
        EXPECT_EQ(m_watcher.Messages().back(),
            QStringLiteral("The robot (untitled) has changes that are not saved. Save them?"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return m_files.empty(); }, 5000) && WaitForFileWorker());
    };
    W().tabWidget->setCurrentWidget(W().tab1);
    Key(Qt::Key_N, Qt::ControlModifier);
    ASSERT_NE(AddFromBar(W().pushButton_ModelBrick, W().RobotPartBar(0)->GetPictures().front(),
                  FloorSpots().front()),
        nullptr);
    const std::size_t changed = Rob().GetPartList().size();
    answer("Cancel");
    EXPECT_EQ(Rob().GetPartList().size(), changed);
    EXPECT_FALSE(W().IsRobotSaved());
    EXPECT_EQ(W().tabWidget->currentWidget(), W().tab1);
    m_files.push_back(InFolder("robot/mine"));
    answer("Save");
    ASSERT_TRUE(QTest::qWaitFor([&] { return W().RobotFile() == robot; }, 10000) && WaitForFileWorker());
    EXPECT_EQ(PartCount(g_programDir->path() / "robot/mine.rob"), int(changed));
    EXPECT_EQ(Rob().GetPartList().size(), changed - 1);
    EXPECT_TRUE(W().IsRobotSaved());
    EXPECT_EQ(W().tabWidget->currentWidget(), W().tab3);
}

// An example robot's port tree reads on its black ground in both languages,
// no row selected: every row's text, kind rows and part rows, name and
// port, stands out from the ground as far as text must (a contrast of 4.5 at
// least). Disabled, the rows are dimmer yet still stand out. Pictures of the
// page go to the test artefacts.
TEST_F(RobotPage, AnExampleRobotsPortTreeReadsInBothLanguages) {
    QTreeWidget* tree = W().treeWidget;
    for (int language : { 0, 1 }) {
        SCOPED_TRACE(language);
        for (QAction* action : W().menu_internationalization->actions()) {
            if (action->objectName() == QString::number(language))
                action->trigger();
        }
        m_files.push_back(QStringLiteral(
            MORVANE_PROGRAM_DIR "/XML/studio0/examples/rescue_astronaut/rescue_astronaut.rob"));
        Key(Qt::Key_O, Qt::ControlModifier);
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_files.empty(); }, 5000));
        ASSERT_TRUE(WaitForFileWorker());
        Step();
        ASSERT_GE(tree->topLevelItemCount(), 2);
        QTest::mouseClick(W().pushButton_PortSet, Qt::LeftButton);
        ASSERT_TRUE(tree->isVisible());
        tree->clearSelection();
        tree->setCurrentItem(nullptr);
        QApplication::processEvents();

        // The text of every cell that has one, measured on a picture of
        // the tree as it is drawn.
        const auto cellContrasts = [&] {
            QApplication::processEvents();
            const QImage shot = tree->viewport()->grab().toImage();
            std::vector<std::pair<QString, double>> cells;
            for (QTreeWidgetItemIterator it(tree); *it; ++it) {
                for (int column = 0; column < 2; ++column) {
                    if ((*it)->text(column).isEmpty())
                        continue;
                    const QRect cell = tree->visualItemRect(*it).intersected(
                        QRect(tree->header()->sectionViewportPosition(column), 0,
                            tree->header()->sectionSize(column), shot.height()));
                    cells.emplace_back((*it)->text(column), testsupport::TextContrast(shot, cell));
                }
            }
            return cells;
        };
        const auto enabled = cellContrasts();
        EXPECT_GE(enabled.size(), 10u);
        for (const auto& [text, contrast] : enabled)
            EXPECT_GE(contrast, 4.5) << text.toStdString();
        const QPalette palette = tree->palette();
        for (QPalette::ColorGroup group : { QPalette::Active, QPalette::Inactive, QPalette::Disabled }) {
            for (QPalette::ColorRole role : { QPalette::Text, QPalette::WindowText }) {
                EXPECT_GE(testsupport::ContrastRatio(
                              palette.color(group, role), palette.color(group, QPalette::Base)),
                    4.5)
                    << group << " " << role;
            }
        }
        tree->setEnabled(false);
        const auto disabled = cellContrasts();
        tree->setEnabled(true);
        ASSERT_EQ(disabled.size(), enabled.size());
        for (std::size_t i = 0; i < enabled.size(); ++i) {
            EXPECT_GE(disabled[i].second, 4.5) << disabled[i].first.toStdString();
            EXPECT_LT(disabled[i].second, enabled[i].second) << disabled[i].first.toStdString();
        }
        // The chosen row reads on its highlight, and so does the pressed
        // side button that opened the tree.
        QTreeWidgetItem* chosen = tree->topLevelItem(0)->child(0);
        ASSERT_NE(chosen, nullptr);
        tree->setCurrentItem(chosen);
        QApplication::processEvents();
        const QImage chosenShot = tree->viewport()->grab().toImage();
        for (int column = 0; column < 2; ++column) {
            const QRect cell = tree->visualItemRect(chosen).intersected(
                QRect(tree->header()->sectionViewportPosition(column), 0, tree->header()->sectionSize(column),
                    chosenShot.height()));
            EXPECT_GE(testsupport::TextContrast(chosenShot, cell), 4.5) << chosen->text(column).toStdString();
        }
        tree->setCurrentItem(nullptr);
        ASSERT_TRUE(W().pushButton_PortSet->isChecked());
        const QImage button = W().pushButton_PortSet->grab().toImage();
        EXPECT_GE(testsupport::TextContrast(button, button.rect().adjusted(3, 3, -3, -3)), 4.5);
        EXPECT_TRUE(testsupport::SaveArtefact(W().grab().toImage(),
            language == 0 ? QStringLiteral("robot_page_port_tree_zh.png")
                          : QStringLiteral("robot_page_port_tree_en.png")));
    }
}

// Coming back from the playground page, the robot page has its own commands
// again and its own file named in the status tip, and only its scene runs.
TEST_F(RobotPage, EnteringThePageBringsBackItsOwnCommandsAndScene) {
    m_files.push_back(InFolder("robot/back"));
    Key(Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_files.empty(); }, 5000));
    ASSERT_TRUE(WaitForFileWorker());
    const QString robotFile = InFolder("robot/back.rob");

    // The simulation's robot panel, open on its page, goes with it.
    Press(W().action_ImportROB);
    ASSERT_EQ(W().tabWidget->currentWidget(), W().tab3);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            Step();
            return W().action_Show_Message->isEnabled();
        },
        10000));
    W().action_Show_Message->trigger();
    QDialog* panel = W().findChild<CRobDataDlg*>();
    ASSERT_TRUE(panel && panel->isVisible());
    // A run going when the page is entered stops, and its scene rests.
    W().action_VirtualStart->trigger();
    ASSERT_TRUE(W().IsEmuRunning());
    Step();
    W().tabWidget->setCurrentWidget(W().tab1);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_FALSE(W().IsEmuRunning());
    EXPECT_FALSE(W().GetEmuApp()->IsRunning());
    W().tabWidget->setCurrentWidget(W().tab3);
    EXPECT_FALSE(panel->isVisible());
    // The playground page takes it away as well.
    W().action_Show_Message->trigger();
    ASSERT_TRUE(panel->isVisible());
    W().tabWidget->setCurrentWidget(W().tab2);
    EXPECT_FALSE(panel->isVisible());
    W().tabWidget->setCurrentWidget(W().tab3);
    EXPECT_FALSE(panel->isVisible());

    W().tabWidget->setCurrentWidget(W().tab2);
    ASSERT_TRUE(W().action_User_DefineModel->isVisible());
    ASSERT_FALSE(W().action_Color->isVisible());
    EXPECT_NE(W().action_ImportROB->statusTip(), robotFile);
    W().tabWidget->setCurrentWidget(W().tab1);

    for (QAction* shown : { W().action_open, W().action_saveas, W().action_ModelPaste, W().action_PointTurn_Z,
             W().action_AllSel, W().action_ImportROB, W().GridAction(), W().CaptureAction(),
             W().SetUpShowAction(), W().action_Color, W().action_Undo, W().action_Redo })
        EXPECT_TRUE(shown->isVisible()) << shown->text().toStdString();
    for (QAction* hidden : { W().action_Ground_changeMap, W().action_LoadGround, W().action_RobotDel,
             W().action_User_DefineModel, W().action_Multiplayer_Game, W().menu_Group->menuAction(),
             W().menu_Virtual->menuAction(), W().FastCaptureAction() })
        EXPECT_FALSE(hidden->isVisible()) << hidden->text().toStdString();
    EXPECT_TRUE(W().FileToolBar()->isVisible() && W().OperatorToolBar()->isVisible());
    EXPECT_FALSE(W().VirtualToolBar()->isVisible());
    EXPECT_EQ(W().action_ImportROB->statusTip(), robotFile);
    EXPECT_TRUE(Rob().IsRunning());
    EXPECT_FALSE(W().GetPlaApp()->IsRunning());
    EXPECT_FALSE(W().GetEmuApp()->IsRunning());
}

// The four buttons beside the view show one page of the side panel at a
// time: the three part bars and the port page.
TEST_F(RobotPage, TheSidePanelShowsOnePageAtATime) {
    MyPushButton* const buttons[4] = { W().pushButton_ModelBrick, W().pushButton_ModelWheel,
        W().pushButton_ModelSenRcu, W().pushButton_PortSet };
    QScrollArea* const pages[4] = { W().scrollArea_ModelBrick, W().scrollArea_ModelWheel,
        W().scrollArea_ModelSenRcu, W().scrollArea_PortSet };
    for (int chosen : { 3, 1, 2, 0 }) {
        QTest::mouseClick(buttons[chosen], Qt::LeftButton);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(buttons[i]->isChecked(), i == chosen) << chosen << " " << i;
            EXPECT_EQ(pages[i]->isVisible(), i == chosen) << chosen << " " << i;
        }
    }
}

// The status bar counts the parts of the page in front: a new robot is its
// control unit, one part, also once the window is re-texted in another
// language; the empty playground has no objects.
TEST_F(RobotPage, TheStatusBarCountsThePartsOfThePageShown) {
    const QString oneUnit = QStringLiteral("Selected: 0 of 1 parts");
    EXPECT_EQ(W().label_StatusObj->text(), oneUnit);
    ASSERT_NE(AddFromBar(W().pushButton_ModelBrick, W().RobotPartBar(0)->GetPictures().front(),
                  FloorSpots().front()),
        nullptr);
    EXPECT_EQ(W().label_StatusObj->text(),
        QStringLiteral("Selected: %1 of 2 parts").arg(Rob().GetEditState().m_vecSel.size()));
    // The playground's are objects, not parts.
    W().tabWidget->setCurrentWidget(W().tab2);
    EXPECT_EQ(W().label_StatusObj->text(), QStringLiteral("Selected: 0 of 0 objects"));
    W().tabWidget->setCurrentWidget(W().tab1);
    Key(Qt::Key_Z, Qt::ControlModifier);
    Key(Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(Rob().GetPartList().size(), 1u);
    EXPECT_EQ(W().label_StatusObj->text(), oneUnit);
    W().f_Language(false);
    EXPECT_EQ(W().label_StatusObj->text(), oneUnit);
    W().tabWidget->setCurrentWidget(W().tab3);
    W().f_Language(false);
    EXPECT_EQ(W().label_StatusObj->text(), QString());
}

// A motor that would drive no wheel in a run is named in the status bar,
// in the language shown, and once more in a box when the robot is saved; a
// wheel carried against its shaft joins it, and the warning goes.
TEST_F(RobotPage, AMotorThatDrivesNoWheelIsNamedOnThePageAndWhenSaved) {
    CImageViewer* motorPicture = nullptr;
    CImageViewer* wheelPicture = nullptr;
    for (CImageViewer* picture : W().RobotPartBar(1)->GetPictures()) {
        if (picture->GetAddress() == "models/motor/motor.ive")
            motorPicture = picture;
        if (picture->GetAddress() == "models/wheel/wheel_std.ive")
            wheelPicture = picture;
    }
    ASSERT_NE(motorPicture, nullptr);
    ASSERT_NE(wheelPicture, nullptr);
    const auto* warning = W().findChild<QLabel*>(QStringLiteral("label_IdleMotors"));
    ASSERT_NE(warning, nullptr);
    EXPECT_FALSE(warning->isVisible());

    // Beside the control unit, on the floor.
    CModel* motor = AddFromBar(W().pushButton_ModelWheel, motorPicture, { -8.0f, 0.0f, 0.0f });
    ASSERT_NE(motor, nullptr);
    EXPECT_TRUE(warning->isVisible());
    EXPECT_EQ(warning->text(), QStringLiteral("Drives no wheel: Motor1"));
    EXPECT_EQ(testsupport::CutText(*warning), QString());
    W().tabWidget->setCurrentWidget(W().tab2);
    EXPECT_FALSE(warning->isVisible()) << "the robot page's own";
    W().tabWidget->setCurrentWidget(W().tab1);
    EXPECT_TRUE(warning->isVisible());
    CConfig::Instance().SetLanguage(0, false);
    W().f_Language(false);
    EXPECT_EQ(warning->text(), QStringLiteral("没有带动轮子: 电机1"));
    EXPECT_EQ(testsupport::CutText(*warning), QString());
    CConfig::Instance().SetLanguage(1, false);
    W().f_Language(false);

    const qsizetype told = m_watcher.Messages().size();
    m_files.push_back(InFolder("robot/idle"));
    Key(Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_files.empty(); }, 5000));
    ASSERT_TRUE(WaitForFileWorker());
    ASSERT_TRUE(m_watcher.WaitForMessages(int(told) + 1));
    EXPECT_EQ(m_watcher.Messages().back(),
        QStringLiteral(
            "The robot is saved. Drives no wheel: Motor1. In a run such a motor turns nothing: carry a "
            "wheel to the motor's shaft and put it down when the motor's box turns green."));
    EXPECT_TRUE(W().IsRobotSaved());

    // A wheel carried against the shaft, standing on the floor.
    int shaft = 0;
    while (motor->GetPoint(shaft) && motor->GetPoint(shaft)->m_nKind != 1)
        ++shaft;
    osg::Vec3f tip;
    ASSERT_TRUE(motor->GetPortPoint(tip, shaft, -1));
    CModel* wheel = AddFromBar(W().pushButton_ModelWheel, wheelPicture, { tip.x() - 1.0f, tip.y(), 3.2f });
    ASSERT_NE(wheel, nullptr);
    EXPECT_FALSE(warning->isVisible());
    // Saved again: no box.
    Key(Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(WaitForFileWorker());
    ASSERT_TRUE(QTest::qWaitFor([&] { return W().IsRobotSaved(); }, 5000));
    QTest::qWait(50);
    EXPECT_EQ(m_watcher.Messages().size(), told + 1);
}

using UserModels = RobotPage;
using PlaygroundFiles = RobotPage;

// A bar's picture previews its model turning; a model file of the user's own
// is added to the library, placed on the playground (by its address in the
// program folder, so that the playground saved with it opens again), and
// deleted from the library.
TEST_F(UserModels, AreAddedPreviewedPlacedAndDeleted) {
    CImageViewer* picture = W().RobotPartBar(0)->GetPictures().front();
    QTest::mouseClick(W().pushButton_ModelBrick, Qt::LeftButton);
    QTest::mouseClick(picture, Qt::RightButton, {}, QPoint(30, 30));
    ASSERT_TRUE(QTest::qWaitFor([&] { return picture->Preview() && picture->Preview()->GetModel(); }, 5000));
    EXPECT_EQ(picture->Preview()->GetFile(), CImageViewer::ModelFileOf(picture->GetImage()));
    EXPECT_EQ(picture->Preview()->GetFile(), picture->GetAddress());
    picture->PreviewPopup()->close();

    TempDir outside;
    fs::copy_file(fs::path(MORVANE_PROGRAM_DIR) / "models/playground/cube.ive", outside.path() / "crate.ive");
    W().tabWidget->setCurrentWidget(W().tab2);
    CPlaApp& playground = *W().GetPlaApp();
    QStringList listed;
    bool deleted = false;
    m_dialogHandler = [&](QDialog* dialog) {
        auto* library = qobject_cast<CUserDefineDlg*>(dialog);
        if (!library)
            return;
        QTimer::singleShot(0, library, [&, library] {
            m_files.push_back(QString::fromStdString((outside.path() / "crate.ive").string()));
            QTest::mousePress(library->ButtonAdd(), Qt::LeftButton);
            QTest::mouseRelease(library->ButtonAdd(), Qt::LeftButton);
            listed << library->Tree()->GetCurrentName();
            QTest::mousePress(library->ButtonToMap(), Qt::LeftButton);
            QTest::mouseRelease(library->ButtonToMap(), Qt::LeftButton);
            library->reject();
        });
    };
    W().action_User_DefineModel->trigger();
    EXPECT_EQ(listed, QStringList { QStringLiteral("crate.ive") });
    EXPECT_TRUE(fs::exists(g_programDir->path() / "UserModels/crate.ive"));
    ASSERT_EQ(playground.GetObjectList().size(), 1u);
    EXPECT_EQ(playground.GetObjectList().front()->GetAddress(), "UserModels/crate.ive");

    // The playground with the model is saved and opens again.
    m_files.push_back(InFolder("playground/crates"));
    Key(Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_files.empty(); }, 5000));
    EXPECT_TRUE(W().IsPlaygroundSaved());
    Key(Qt::Key_N, Qt::ControlModifier);
    EXPECT_TRUE(playground.GetObjectList().empty());
    m_files.push_back(InFolder("playground/crates.pla"));
    const qsizetype boxes = m_watcher.Messages().size();
    Key(Qt::Key_O, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_files.empty(); }, 5000));
    EXPECT_EQ(W().statusbar->currentMessage(), QStringLiteral("The playground is open: crates.pla"));
    EXPECT_EQ(m_watcher.Messages().size(), boxes) << "an open that worked needs no box";
    ASSERT_EQ(playground.GetObjectList().size(), 1u);
    EXPECT_EQ(playground.GetObjectList().front()->GetAddress(), "UserModels/crate.ive");

    m_lastDialog = nullptr;
    m_dialogHandler = [&](QDialog* dialog) {
        auto* library = qobject_cast<CUserDefineDlg*>(dialog);
        if (!library)
            return;
        QTimer::singleShot(0, library, [&, library] {
            // The question is answered with its first button, Delete.
            QTest::mousePress(library->ButtonDel(), Qt::LeftButton);
            QTest::mouseRelease(library->ButtonDel(), Qt::LeftButton);
            deleted = library->Tree()->topLevelItemCount() == 0;
            library->reject();
        });
    };
    W().action_User_DefineModel->trigger();
    EXPECT_TRUE(deleted);
    EXPECT_FALSE(fs::exists(g_programDir->path() / "UserModels/crate.ive"));
}

namespace {

// Puts a cube on the playground, as the builder's bar does.
void AddCube(CPlaApp& playground) {
    osg::ref_ptr<CModel> cube = new CSlope(playground.GetPartContext(), "models/playground/cube.ive");
    ASSERT_TRUE(playground.AddObject(cube.get()));
}

} // namespace

// The playground page's files: saved under a typed name, handed to the
// simulation as a copy that leaves it unsaved, opened only after the
// question about unsaved work, and replaced by a new one.
TEST_F(PlaygroundFiles, AreSavedHandedOverAsACopyAndOpenedAfterTheQuestion) {
    W().tabWidget->setCurrentWidget(W().tab2);
    CPlaApp& playground = *W().GetPlaApp();
    AddCube(playground);
    EXPECT_FALSE(W().IsPlaygroundSaved());
    m_files.push_back(InFolder("playground/field"));
    Key(Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_files.empty(); }, 5000));
    // Said in the status bar, as a robot's save is, without a box.
    EXPECT_EQ(W().statusbar->currentMessage(), QStringLiteral("The playground is saved: field.pla"));
    EXPECT_TRUE(m_watcher.Messages().isEmpty());
    EXPECT_EQ(m_fileFolders.back(), InFolder("playground"));
    EXPECT_EQ(W().PlaygroundFile(), (g_programDir->path() / "playground/field.pla").string());
    EXPECT_TRUE(W().IsPlaygroundSaved());

    AddCube(playground);
    Press(W().action_ImportROB);
    EXPECT_EQ(W().tabWidget->currentWidget(), W().tab3);
    const std::string copy = (g_programDir->path() / "Temp/temp.pla").string();
    EXPECT_EQ(W().GetEmuApp()->GetLoadBlock()->m_strPlaygroundFile, copy);
    EXPECT_TRUE(fs::exists(copy));
    EXPECT_FALSE(W().IsPlaygroundSaved());
    EXPECT_EQ(W().PlaygroundFile(), (g_programDir->path() / "playground/field.pla").string());

    W().tabWidget->setCurrentWidget(W().tab2);
    m_watcher.AnswerBoxesWith({ QStringLiteral("Don't save") });
    m_files.push_back(InFolder("playground/field.pla"));
    Key(Qt::Key_O, Qt::ControlModifier);
    ASSERT_TRUE(m_watcher.WaitForMessages(1));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_files.empty(); }, 5000));
    EXPECT_EQ(m_watcher.Messages()[0],
        QStringLiteral("The playground field.pla has changes that are not saved. Save them?"));
    EXPECT_EQ(W().statusbar->currentMessage(), QStringLiteral("The playground is open: field.pla"));
    EXPECT_EQ(playground.GetObjectList().size(), 1u);
    EXPECT_TRUE(W().IsPlaygroundSaved());

    Key(Qt::Key_N, Qt::ControlModifier);
    EXPECT_TRUE(playground.GetObjectList().empty());
    EXPECT_TRUE(W().PlaygroundFile().empty());
    EXPECT_EQ(m_watcher.Messages().size(), 1) << "a saved playground is replaced without a question";
}

// What the edit commands offer follows the selection, frame by frame: the
// control unit can be turned and moved but neither deleted nor copied, the
// colour is for one brick alone, and with nothing chosen nothing is offered.
TEST_F(RobotPage, EditActionsFollowTheSelection) {
    const std::vector<osg::Vec3f> spots = FloorSpots();
    CModel* brick
        = AddFromBar(W().pushButton_ModelBrick, W().RobotPartBar(0)->GetPictures().front(), spots[0]);
    CModel* wheel
        = AddFromBar(W().pushButton_ModelWheel, W().RobotPartBar(1)->GetPictures().front(), spots[1]);
    ASSERT_TRUE(brick && wheel);
    ASSERT_EQ(wheel->GetType(), ModelTypeWheel);
    CModel* unit = Rob().GetPartList().front().get();
    ASSERT_EQ(unit->GetType(), ModelTypeRcu);

    struct Offered {
        bool turn, remove, colour;
    };
    auto offered = [&] {
        Step();
        for (QAction* action : { W().action_ModelRotate_Y, W().action_PointTurn_X, W().action_Return })
            EXPECT_EQ(action->isEnabled(), W().action_ModelMove->isEnabled());
        EXPECT_EQ(W().action_ModelCopy->isEnabled(), W().action_ModelDelete->isEnabled());
        return std::make_tuple(W().action_ModelMove->isEnabled(), W().action_ModelDelete->isEnabled(),
            W().action_Color->isEnabled());
    };
    const auto clickOn = [&](CModel* part) {
        Click(PixelOf(part->GetState().m_vPos + osg::Vec3f(0.0f, 0.0f, 1.0f)));
        ASSERT_EQ(Rob().GetSingleSel(), part) << part->GetAddress();
    };
    clickOn(unit);
    EXPECT_EQ(offered(), std::make_tuple(true, false, false));
    clickOn(brick);
    EXPECT_EQ(offered(), std::make_tuple(true, true, true));
    clickOn(wheel);
    EXPECT_EQ(offered(), std::make_tuple(true, true, false));
    Key(Qt::Key_A, Qt::ControlModifier);
    ASSERT_TRUE(Rob().HasSel() && !Rob().GetSingleSel());
    EXPECT_EQ(offered(), std::make_tuple(true, true, false));
    Click(PixelOf(spots.back()));
    ASSERT_FALSE(Rob().HasSel());
    EXPECT_EQ(offered(), std::make_tuple(false, false, false));
}

// The electronics kit's ports: motors on "_M1_" to "_M4_", sensors and lights
// on "_P1_" to "_P8_", and a sensor and a light on one port are warned
// about. The empty entry unwires a part without a word. A port tree that has
// lost track of the robot is built again when a part is wired.
TEST_F(RobotPage, TheElectronicsKitLettersItsPortsAndSharesThemBetweenSensorsAndLights) {
    CConfig::Instance().m_bIsE = true;
    std::map<int, CImageViewer*> pictures;
    for (int bar = 0; bar < 3; ++bar) {
        for (CImageViewer* picture : W().RobotPartBar(bar)->GetPictures())
            pictures.emplace(picture->GetKind(), picture);
    }
    const std::vector<osg::Vec3f> spots = FloorSpots();
    ASSERT_NE(AddFromBar(W().pushButton_ModelWheel, pictures.at(3), spots[0]), nullptr);
    ASSERT_NE(AddFromBar(W().pushButton_ModelSenRcu, pictures.at(11), spots[1]), nullptr);
    ASSERT_NE(AddFromBar(W().pushButton_ModelSenRcu, pictures.at(20), spots[2]), nullptr);
    // A sensor that stays unwired: port 0 is no port to share.
    ASSERT_NE(AddFromBar(W().pushButton_ModelSenRcu, pictures.at(10), spots[3]), nullptr);
    QTest::mouseClick(W().pushButton_PortSet, Qt::LeftButton);
    QComboBox* combo = W().comboBox_PartPort;

    ClickRow(KindRow("Motor")->child(0));
    EXPECT_EQ(combo->count(), 5);
    EXPECT_EQ(combo->itemText(0), QString());
    EXPECT_EQ(combo->itemText(1), QStringLiteral("_M1_"));
    EXPECT_EQ(combo->itemText(4), QStringLiteral("_M4_"));
    ChoosePort(4);
    EXPECT_EQ(Rob().GetSingleSel()->GetPort(), 4);
    EXPECT_EQ(KindRow("Motor")->child(0)->text(1), QStringLiteral("_M4_"));

    ClickRow(KindRow("Touch")->child(0));
    EXPECT_EQ(combo->count(), 9);
    EXPECT_EQ(combo->itemText(1), QStringLiteral("_P1_"));
    EXPECT_EQ(combo->itemText(8), QStringLiteral("_P8_"));
    ChoosePort(4);
    EXPECT_EQ(KindRow("Touch")->child(0)->text(1), QStringLiteral("_P4_"));
    QTest::qWait(50);
    EXPECT_TRUE(m_watcher.Messages().isEmpty()) << "a motor and a sensor share port 4 without a word";

    ClickRow(KindRow("Coloured light")->child(0));
    EXPECT_EQ(combo->count(), 9);
    ChoosePort(4);
    ASSERT_TRUE(m_watcher.WaitForMessages(1));
    EXPECT_EQ(m_watcher.Messages().back(), CConfig::Instance().GetText("CMainDlg", "slot_SetPort", "s"));
    EXPECT_EQ(Rob().GetSingleSel()->GetPort(), 4);
    EXPECT_EQ(KindRow("Coloured light")->child(0)->text(1), QStringLiteral("_P4_"));
    ChoosePort(0);
    EXPECT_EQ(Rob().GetSingleSel()->GetPort(), 0);
    EXPECT_EQ(KindRow("Coloured light")->child(0)->text(1), QStringLiteral("Not wired"));
    QTest::qWait(50);
    EXPECT_EQ(m_watcher.Messages().size(), 1);

    // The tree gone, the part wired all the same and the tree back with it.
    CModel* light = Rob().GetSingleSel();
    W().treeWidget->clear();
    ChoosePort(2);
    EXPECT_EQ(light->GetPort(), 2);
    ASSERT_NE(KindRow("Coloured light"), nullptr);
    EXPECT_EQ(KindRow("Coloured light")->child(0)->text(1), QStringLiteral("_P2_"));
    EXPECT_EQ(KindRow("Motor")->child(0)->text(1), QStringLiteral("_M4_"));
    EXPECT_EQ(Rob().GetSingleSel(), light);
    EXPECT_TRUE(W().groupBox_5->isVisible());

    // Another language names the kinds anew and keeps the wiring; the panel
    // is closed.
    const auto chooseLanguage = [&](int index) {
        for (QAction* action : W().menu_internationalization->actions()) {
            if (action->objectName() == QString::number(index))
                action->trigger();
        }
    };
    chooseLanguage(0);
    ASSERT_NE(KindRow(QStringLiteral("电机")), nullptr);
    EXPECT_EQ(KindRow(QStringLiteral("电机"))->child(0)->text(0), QStringLiteral("电机1"));
    EXPECT_EQ(KindRow(QStringLiteral("电机"))->child(0)->text(1), QStringLiteral("_M4_"));
    EXPECT_EQ(KindRow(QStringLiteral("光电"))->child(0)->text(1), QStringLiteral("未连接"));
    EXPECT_FALSE(W().groupBox_5->isVisible());
    chooseLanguage(1);
    CConfig::Instance().m_bIsE = false;
}

// Answering "save" to the questions of Open and New saves the robot under the
// name asked for, and then the command goes on: the file to open is asked
// for, or the new robot comes.
TEST_F(RobotPage, OpenAndNewGoOnOnceTheRobotIsSaved) {
    const std::vector<osg::Vec3f> spots = FloorSpots();
    CImageViewer* brick = W().RobotPartBar(0)->GetPictures().front();
    ASSERT_NE(AddFromBar(W().pushButton_ModelBrick, brick, spots[0]), nullptr);
    m_files.push_back(InFolder("robot/one"));
    Key(Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_files.empty(); }, 5000));
    ASSERT_TRUE(WaitForFileWorker());

    ASSERT_NE(AddFromBar(W().pushButton_ModelBrick, brick, spots[1]), nullptr);
    // Undone (taking and putting down are a step each), the robot is the one
    // in its file again; redone, it is not.
    ASSERT_FALSE(W().IsRobotSaved());
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(W().IsRobotSaved());
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Rob().GetPartList().size(), 2u);
    EXPECT_TRUE(W().IsRobotSaved());
    Key(Qt::Key_Y, Qt::ControlModifier);
    Key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Rob().GetPartList().size(), 3u);
    EXPECT_FALSE(W().IsRobotSaved());
    m_watcher.AnswerBoxesWith({ QStringLiteral("Save") });
    m_files.push_back(InFolder("robot/two"));
    m_files.push_back(InFolder("robot/one.rob"));
    Key(Qt::Key_O, Qt::ControlModifier);
    ASSERT_TRUE(m_watcher.WaitForMessages(1));
    EXPECT_EQ(m_watcher.Messages().back(),
        QStringLiteral("The robot one.rob has changes that are not saved. Save them?"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_files.empty(); }, 10000));
    ASSERT_TRUE(WaitForFileWorker());
    EXPECT_TRUE(fs::exists(g_programDir->path() / "robot/two.rob"));
    EXPECT_EQ(W().RobotFile(), (g_programDir->path() / "robot/one.rob").string());
    EXPECT_EQ(Rob().GetPartList().size(), 2u);
    EXPECT_TRUE(W().IsRobotSaved());

    ASSERT_NE(AddFromBar(W().pushButton_ModelBrick, brick, spots[2]), nullptr);
    m_watcher.AnswerBoxesWith({ QStringLiteral("Save") });
    m_files.push_back(InFolder("robot/three"));
    Key(Qt::Key_N, Qt::ControlModifier);
    ASSERT_TRUE(m_watcher.WaitForMessages(2));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_files.empty(); }, 5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Rob().GetPartList().size() == 1u; }, 10000));
    ASSERT_TRUE(WaitForFileWorker());
    EXPECT_TRUE(fs::exists(g_programDir->path() / "robot/three.rob"));
    EXPECT_TRUE(W().RobotFile().empty());
    // Each file holds the robot as it was when the command was given: the
    // control unit and two bricks.
    EXPECT_EQ(PartCount(g_programDir->path() / "robot/two.rob"), 3);
    EXPECT_EQ(PartCount(g_programDir->path() / "robot/three.rob"), 3);
}

// A save the disk has no room for leaves the robot's file byte for byte as
// it was, says so with the system's reason, and leaves the robot unsaved:
// closing still asks for it.
TEST_F(RobotPage, ASaveThatDoesNotFitKeepsTheFileAndTheRobotUnsaved) {
    const std::vector<osg::Vec3f> spots = FloorSpots();
    CImageViewer* brick = W().RobotPartBar(0)->GetPictures().front();
    ASSERT_NE(AddFromBar(W().pushButton_ModelBrick, brick, spots[0]), nullptr);
    m_files.push_back(InFolder("robot/rover"));
    Key(Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_files.empty(); }, 5000));
    ASSERT_TRUE(WaitForFileWorker());
    const QByteArray rover = g_programDir->read("robot/rover.rob");
    ASSERT_TRUE(W().IsRobotSaved());

    ASSERT_NE(AddFromBar(W().pushButton_ModelBrick, brick, spots[1]), nullptr);
    W().statusbar->clearMessage();
    {
        // The disk takes 10 bytes more than the robot's old file.
        const testsupport::FileSizeLimit full(rlim_t(rover.size() + 10));
        Key(Qt::Key_S, Qt::ControlModifier);
        ASSERT_TRUE(WaitForFileWorker());
    }
    ASSERT_TRUE(m_watcher.WaitForMessages(1));
    EXPECT_EQ(m_watcher.Messages().back(),
        QStringLiteral("The robot file could not be saved; an earlier file of that name is unchanged.\n")
            + InFolder("robot/rover.rob") + QStringLiteral("\nThe system says: File too large"));
    EXPECT_EQ(g_programDir->read("robot/rover.rob"), rover);
    EXPECT_EQ(QDir(InFolder("robot")).entryList({ ".*" }, QDir::Files | QDir::Hidden), QStringList())
        << "nothing left beside it";
    EXPECT_FALSE(W().IsRobotSaved());
    EXPECT_EQ(W().statusbar->currentMessage(), QString()) << "nothing said saved";

    m_watcher.AnswerBoxesWith({ QStringLiteral("Cancel") });
    W().close();
    ASSERT_TRUE(m_watcher.WaitForMessages(2));
    EXPECT_EQ(m_watcher.Messages().back(),
        QStringLiteral("The robot rover.rob has changes that are not saved. Save them?"));
}

// A robot file that does not open is refused with the file and why, and
// the robot in the builder stays as it was: its parts, its file, its
// unsaved state and its undo history; the next part added takes an id of
// its own. Save then writes the robot's own file; the refused file stays as
// it was.
TEST_F(RobotPage, AFileThatDoesNotOpenLeavesTheRobotItsFileAndItsHistory) {
    const std::vector<osg::Vec3f> spots = FloorSpots();
    CImageViewer* brick = W().RobotPartBar(0)->GetPictures().front();
    ASSERT_NE(AddFromBar(W().pushButton_ModelBrick, brick, spots[0]), nullptr);
    ASSERT_NE(AddFromBar(W().pushButton_ModelBrick, brick, spots[1]), nullptr);
    m_files.push_back(InFolder("robot/mybot"));
    Key(Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_files.empty(); }, 5000));
    ASSERT_TRUE(WaitForFileWorker());
    const std::string mybot = (g_programDir->path() / "robot/mybot.rob").string();
    const QByteArray saved = g_programDir->read("robot/mybot.rob");
    ASSERT_GT(saved.size(), 100);
    // The good robot opened again, then changed.
    Key(Qt::Key_N, Qt::ControlModifier);
    m_files.push_back(InFolder("robot/mybot.rob"));
    Key(Qt::Key_O, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_files.empty(); }, 5000));
    ASSERT_TRUE(WaitForFileWorker());
    ASSERT_EQ(Rob().GetPartList().size(), 3u);
    const QByteArray unit = QByteArray::fromStdString(Rob().GetPartList()[0]->GetAddress());
    const QByteArray part = QByteArray::fromStdString(Rob().GetPartList()[1]->GetAddress());

    struct Refused {
        std::string file;
        QByteArray bytes;
        QString why;
    };
    const Refused refused[] = {
        { "robot/cut.rob", saved.left(saved.size() / 2), QStringLiteral("It is not a robot file.") },
        { "robot/notes.rob", "Wheels: 2\nMotors: 2\nTo do: the light sensor\n",
            QStringLiteral("It is not a robot file.") },
        { "robot/empty.rob", "<data><rcu l=\"1\"/></data>", QStringLiteral("It has no control unit.") },
        { "robot/outside.rob", QByteArray(saved).replace(part, "../../outside.ive"),
            QStringLiteral("A part's model address ../../outside.ive lies outside the program folder.") },
        { "robot/nounit.rob", QByteArray(saved).replace(unit, "models/rcu/none.ive"),
            QStringLiteral("The model of its control unit, models/rcu/none.ive, cannot be loaded.") },
    };
    for (const Refused& r : refused)
        g_programDir->write(r.file, r.bytes);

    int told = 0;
    std::size_t spot = 2;
    for (const Refused& r : refused) {
        SCOPED_TRACE(r.file);
        ASSERT_NE(AddFromBar(W().pushButton_ModelBrick, brick, spots[spot++]), nullptr);
        const std::vector<PartKey> changed = Parts(Rob());
        ASSERT_FALSE(W().IsRobotSaved());
        m_watcher.AnswerBoxesWith({ QStringLiteral("Don't save") });
        m_files.push_back(InFolder(r.file));
        Key(Qt::Key_O, Qt::ControlModifier);
        told += 2;
        ASSERT_TRUE(m_watcher.WaitForMessages(told));
        ASSERT_TRUE(WaitForFileWorker());
        EXPECT_EQ(m_watcher.Messages().back(),
            QStringLiteral("This robot file could not be read.\n")
                + QString::fromStdString((g_programDir->path() / r.file).string()) + QLatin1Char('\n')
                + r.why);
        EXPECT_EQ(Parts(Rob()), changed);
        EXPECT_EQ(W().RobotFile(), mybot);
        EXPECT_FALSE(W().IsRobotSaved());
        EXPECT_TRUE(W().action_Undo->isEnabled());
        EXPECT_EQ(g_programDir->read(r.file), r.bytes);
    }
    // Every part, those added after a refused file included, has an id of
    // its own.
    std::set<int> ids;
    for (const osg::ref_ptr<CModel>& p : Rob().GetPartList())
        EXPECT_TRUE(ids.insert(p->GetId()).second) << "id " << p->GetId() << " twice";
    // Undone, the last brick goes; Save (no dialog) writes the robot's own file.
    Key(Qt::Key_Z, Qt::ControlModifier);
    Key(Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(Rob().GetPartList().size(), 7u);
    Key(Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(WaitForFileWorker());
    EXPECT_TRUE(W().IsRobotSaved());
    EXPECT_EQ(PartCount(g_programDir->path() / "robot/mybot.rob"), 7);
    for (const Refused& r : refused)
        EXPECT_EQ(g_programDir->read(r.file), r.bytes) << r.file;
    EXPECT_EQ(m_watcher.Messages().size(), told);
}

// Closing with both builders unsaved asks for each builder's work on its
// own, naming it, the robot first: Cancel in either question keeps both as
// they are, unsaved; "don't save" for one leaves the other to its own
// question. Once every answer is in, what is to be saved is saved, and the
// window closes without the quit question.
TEST_F(RobotPage, ClosingAsksForEachBuildersWorkOnItsOwn) {
    ASSERT_NE(AddFromBar(W().pushButton_ModelBrick, W().RobotPartBar(0)->GetPictures().front(),
                  FloorSpots().front()),
        nullptr);
    W().tabWidget->setCurrentWidget(W().tab2);
    CPlaApp& playground = *W().GetPlaApp();
    AddCube(playground);
    m_files.push_back(InFolder("playground/field"));
    Key(Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_files.empty(); }, 5000));
    const QByteArray field = g_programDir->read("playground/field.pla");
    AddCube(playground);
    ASSERT_FALSE(W().IsPlaygroundSaved());
    ASSERT_FALSE(W().IsRobotSaved());
    W().tabWidget->setCurrentWidget(W().tab3);
    const std::size_t parts = Rob().GetPartList().size();
    const std::size_t objects = playground.GetObjectList().size();

    const QString robot = QStringLiteral("The robot (untitled) has changes that are not saved. Save them?");
    const QString map = QStringLiteral("The playground field.pla has changes that are not saved. Save them?");
    struct Close {
        QStringList answers;
        QStringList asked;
        bool closes;
    };
    const Close closes[] = {
        { { "Cancel" }, { robot }, false },
        { { "Don't save", "Cancel" }, { robot, map }, false },
        { { "Save", "Cancel" }, { robot, map }, false },
        { { "Save", "Don't save" }, { robot, map }, true },
    };
    int told = 0;
    for (const Close& c : closes) {
        SCOPED_TRACE(c.answers.join(QLatin1Char('/')).toStdString());
        if (c.closes)
            m_files.push_back(InFolder("robot/kept"));
        m_watcher.AnswerBoxesWith(c.answers);
        W().close();
        told += int(c.asked.size());
        ASSERT_TRUE(m_watcher.WaitForMessages(told));
        EXPECT_EQ(m_watcher.Messages().mid(told - c.asked.size()), c.asked);
        EXPECT_EQ(W().isVisible(), !c.closes);
        // Nothing is given up before every answer is in.
        EXPECT_EQ(Rob().GetPartList().size(), parts);
        EXPECT_EQ(playground.GetObjectList().size(), objects);
        EXPECT_EQ(g_programDir->read("playground/field.pla"), field);
        EXPECT_FALSE(W().IsPlaygroundSaved());
        EXPECT_EQ(W().IsRobotSaved(), c.closes);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_files.empty(); }, 5000));
    EXPECT_EQ(PartCount(g_programDir->path() / "robot/kept.rob"), int(parts));
    QTest::qWait(50);
    EXPECT_EQ(m_watcher.Messages().size(), told) << "no quit question once the work is settled";
}

// An example asks for each builder's work it would replace, on its own and
// naming it, the robot first: Cancel in either question keeps both as they
// are and saves nothing; "don't save" for the robot leaves the playground to
// its own answer. An example that takes only the playground asks nothing
// of the robot, which stays as it was, unsaved.
TEST_F(RobotPage, AnExampleAsksForEachBuildersWorkItReplaces) {
    const QString folder = InFolder("XML/studio0/examples/drive_to_zone");
    QDir().mkpath(folder);
    fs::copy_file(fs::path(MORVANE_PROGRAM_DIR) / "XML/studio0/examples/drive_to_zone/drive_to_zone.pla",
        fs::path(folder.toStdString()) / "drive_to_zone.pla", fs::copy_options::overwrite_existing);
    m_files.push_back(folder + QStringLiteral("/drive_to_zone.rob"));
    Key(Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_files.empty(); }, 5000));
    ASSERT_TRUE(WaitForFileWorker());
    Key(Qt::Key_N, Qt::ControlModifier);
    CImageViewer* brick = W().RobotPartBar(0)->GetPictures().front();
    const std::vector<osg::Vec3f> spots = FloorSpots();
    ASSERT_NE(AddFromBar(W().pushButton_ModelBrick, brick, spots[0]), nullptr);

    W().tabWidget->setCurrentWidget(W().tab2);
    CPlaApp& playground = *W().GetPlaApp();
    AddCube(playground);
    fs::create_directories(g_programDir->path() / "playground");
    m_files.push_back(InFolder("playground/replaced"));
    Key(Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_files.empty(); }, 5000));
    const QByteArray replaced = g_programDir->read("playground/replaced.pla");
    AddCube(playground);
    W().tabWidget->setCurrentWidget(W().tab1);
    ASSERT_FALSE(W().IsRobotSaved());
    ASSERT_FALSE(W().IsPlaygroundSaved());
    const std::size_t parts = Rob().GetPartList().size();
    const std::size_t objects = playground.GetObjectList().size();

    QAction* example = nullptr;
    for (QAction* action : W().menu_2->actions()) {
        if (action->objectName() == QStringLiteral("0,0"))
            example = action;
    }
    ASSERT_NE(example, nullptr);
    bool robotToo = true;
    m_dialogHandler = [&](QDialog* dialog) {
        auto* load = qobject_cast<CLoadDlg*>(dialog);
        ASSERT_NE(load, nullptr);
        load->RobotBox()->setChecked(robotToo);
        load->MapBox()->setChecked(true);
        ModalWatcher::Post(load->ButtonOK());
    };
    const QString robot = QStringLiteral("The robot (untitled) has changes that are not saved. Save them?");
    const QString map
        = QStringLiteral("The playground replaced.pla has changes that are not saved. Save them?");
    struct Kept {
        QStringList answers;
        QStringList asked;
    };
    const Kept kept[] = {
        { { "Cancel" }, { robot } },
        { { "Don't save", "Cancel" }, { robot, map } },
        { { "Save", "Cancel" }, { robot, map } },
    };
    const auto ask = [&](const QStringList& answers, const QStringList& asked) {
        const int told = int(m_watcher.Messages().size());
        m_watcher.AnswerBoxesWith(answers);
        example->trigger();
        EXPECT_TRUE(m_watcher.WaitForMessages(told + int(asked.size())));
        EXPECT_EQ(m_watcher.Messages().mid(told), asked);
    };
    for (const Kept& k : kept) {
        SCOPED_TRACE(k.answers.join(QLatin1Char('/')).toStdString());
        const qsizetype fileDialogs = m_fileFolders.size();
        ask(k.answers, k.asked);
        ASSERT_TRUE(WaitForFileWorker());
        EXPECT_EQ(m_fileFolders.size(), fileDialogs) << "nothing asked to be saved";
        EXPECT_EQ(Rob().GetPartList().size(), parts);
        EXPECT_FALSE(W().IsRobotSaved());
        EXPECT_TRUE(W().RobotFile().empty());
        EXPECT_EQ(playground.GetObjectList().size(), objects);
        EXPECT_FALSE(W().IsPlaygroundSaved());
        EXPECT_EQ(g_programDir->read("playground/replaced.pla"), replaced);
        EXPECT_EQ(W().tabWidget->currentWidget(), W().tab1);
    }

    // The robot given up, the playground saved to its own file; then the
    // example's robot and playground come.
    ask({ "Don't save", "Save" }, { robot, map });
    ASSERT_TRUE(WaitForFileWorker());
    const std::string exampleRobot = (folder + QStringLiteral("/drive_to_zone.rob")).toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return W().RobotFile() == exampleRobot; }, 10000));
    EXPECT_NE(g_programDir->read("playground/replaced.pla"), replaced);
    PlaygroundFile saved;
    std::string error;
    ASSERT_TRUE(saved.Load(InFolder("playground/replaced.pla").toStdString(), error)) << error;
    EXPECT_EQ(W().PlaygroundFile(), (folder + QStringLiteral("/drive_to_zone.pla")).toStdString());
    EXPECT_TRUE(W().IsPlaygroundSaved());

    // Both unsaved again; the example's playground alone asks only for the
    // playground, and the robot stays.
    W().tabWidget->setCurrentWidget(W().tab1);
    ASSERT_NE(AddFromBar(W().pushButton_ModelBrick, brick, spots[1]), nullptr);
    W().tabWidget->setCurrentWidget(W().tab2);
    AddCube(playground);
    W().tabWidget->setCurrentWidget(W().tab1);
    ASSERT_FALSE(W().IsRobotSaved());
    ASSERT_FALSE(W().IsPlaygroundSaved());
    const std::vector<PartKey> changed = Parts(Rob());
    robotToo = false;
    ask({ "Don't save" },
        { QStringLiteral("The playground drive_to_zone.pla has changes that are not saved. Save them?") });
    ASSERT_TRUE(WaitForFileWorker());
    EXPECT_EQ(Parts(Rob()), changed);
    EXPECT_FALSE(W().IsRobotSaved());
    EXPECT_EQ(W().RobotFile(), exampleRobot);
    EXPECT_TRUE(W().IsPlaygroundSaved());
}

// The pose box: a part chosen in the view shows where it is and how it is
// turned, the sliders with the angles; a position typed moves the part, an
// angle typed or a slider moved turns it, and the part shows so when chosen
// again. Float noise never reaches the boxes, and the window may close while
// a box is being typed into.
TEST_F(RobotPage, ThePoseBoxShowsAndSetsWhereTheChosenPartIs) {
    CModel* brick = AddFromBar(
        W().pushButton_ModelBrick, W().RobotPartBar(0)->GetPictures().front(), FloorSpots().front());
    ASSERT_NE(brick, nullptr);
    const auto choose = [&](CModel* part) {
        const QPoint at = PixelOf(part->GetState().m_vPos + osg::Vec3f(0.0f, 0.0f, 1.0f));
        Send(QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
        Send(QEvent::MouseButtonPress, at, Qt::RightButton, Qt::RightButton);
        Send(QEvent::MouseButtonRelease, at, Qt::RightButton, Qt::NoButton);
        ASSERT_EQ(Rob().GetSingleSel(), part);
    };
    const auto type = [&](QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
        Step();
    };
    choose(brick);
    EXPECT_EQ(W().lineEdit_RobPosY->text().toDouble(), ClampAndTruncate2(brick->GetState().m_vPos.y()));
    EXPECT_EQ(W().lineEdit_RobTurnZ->text(), QStringLiteral("0"));
    EXPECT_EQ(W().slider_RobTurnZ->value(), 0);

    type(W().lineEdit_RobPosY, QStringLiteral("7.5"));
    EXPECT_FLOAT_EQ(brick->GetState().m_vPos.y(), 7.5f);
    type(W().lineEdit_RobTurnZ, QStringLiteral("90"));
    EXPECT_EQ(W().slider_RobTurnZ->value(), 90);
    const osg::Vec3f x = brick->GetState().m_qRot * osg::Vec3f(1.0f, 0.0f, 0.0f);
    EXPECT_NEAR(x.y(), 1.0f, 1e-4f) << "a quarter turn about z takes x to y";

    // One step of the x slider turns the part by a degree about x.
    W().slider_RobTurnX->setFocus();
    QTest::keyClick(W().slider_RobTurnX, Qt::Key_Right);
    Step();
    EXPECT_EQ(W().lineEdit_RobTurnX->text(), QStringLiteral("1"));
    const osg::Vec3f up = brick->GetState().m_qRot * osg::Vec3f(0.0f, 0.0f, 1.0f);
    EXPECT_NEAR(std::acos(std::clamp(up.z(), -1.0f, 1.0f)), osg::DegreesToRadians(1.0f), 1e-3f);
    EXPECT_FALSE(W().IsRobotSaved());

    // The control unit, unturned, and the brick again.
    choose(Rob().GetPartList().front().get());
    EXPECT_EQ(W().slider_RobTurnZ->value(), 0);
    choose(brick);
    EXPECT_EQ(W().lineEdit_RobPosY->text(), QStringLiteral("7.5"));
    EXPECT_NEAR(W().lineEdit_RobTurnZ->text().toDouble(), 90.0, 0.01);
    EXPECT_EQ(W().slider_RobTurnZ->value(), 90);
    EXPECT_EQ(W().slider_RobTurnX->value(), 1);

    // A pose carrying float noise shows as the boxes' two places, chosen in
    // the view or from the port tree: a hair off zero on either side and -0
    // show "0".
    CModel* sensor = AddFromBar(
        W().pushButton_ModelSenRcu, W().RobotPartBar(2)->GetPictures().front(), FloorSpots().back());
    ASSERT_NE(sensor, nullptr);
    const osg::Quat turn(osg::DegreesToRadians(30.0), osg::Vec3d(1.0, 0.0, 0.0), osg::DegreesToRadians(-1e-5),
        osg::Vec3d(0.0, 1.0, 0.0), osg::DegreesToRadians(1e-5), osg::Vec3d(0.0, 0.0, 1.0));
    sensor->SetPose(osg::Vec3f(1.19209e-07f, -0.004f, 2.3f), turn, true, true);
    Step();
    QLineEdit* const boxes[6] = { W().lineEdit_RobPosX, W().lineEdit_RobPosY, W().lineEdit_RobPosZ,
        W().lineEdit_RobTurnX, W().lineEdit_RobTurnY, W().lineEdit_RobTurnZ };
    const auto shown = [&] {
        QStringList texts;
        for (QLineEdit* box : boxes)
            texts << box->text();
        return texts;
    };
    const QStringList expected = { "0", "0", "2.3", "30", "0", "0" };
    choose(sensor);
    EXPECT_EQ(shown(), expected);
    // The sensor is the tree's only part row.
    ASSERT_EQ(W().treeWidget->topLevelItemCount(), 1);
    ASSERT_EQ(W().treeWidget->topLevelItem(0)->childCount(), 1);
    QTreeWidgetItem* row = W().treeWidget->topLevelItem(0)->child(0);
    choose(brick);
    ClickRow(row);
    ASSERT_EQ(Rob().GetSingleSel(), sensor);
    EXPECT_EQ(shown(), expected);

    // The window goes while a pose box is being typed into: the typing
    // ends while the robot page is still there to take it.
    W().lineEdit_RobPosZ->setFocus();
    QTest::keyClicks(W().lineEdit_RobPosZ, QStringLiteral("5"));
    m_window.reset();
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // A program folder of this process's own: the build's models and
    // pictures, a set-up file of its own, and folders for what it writes.
    TempDir programDir;
    g_programDir = &programDir;
    windowtest::MakeOwnProgramFolder(programDir, { "SetUp_View.xml", "Manual.html", "Support.html" });
    return windowtest::RunTestsIn(programDir, argc, argv);
}
