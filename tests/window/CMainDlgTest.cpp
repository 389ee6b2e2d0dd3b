// The main window as a user meets it: real widgets, real events, real 3-D
// views, under Xvfb.

#include "window/CMainDlg.h"
#include "apps/CEmuApp.h"
#include "apps/CPlaApp.h"
#include "apps/CRobApp.h"
#include "apps/MotionModel.h"
#include "foundation/CConfig.h"
#include "platform/ProgramDir.h"
#include "support/QtPrint.h"
#include "support/TempDir.h"
#include "widgets/CExWidget.h"
#include "widgets/MyPushButton.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QSlider>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QValidator>

#include <tinyxml.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>

namespace fs = std::filesystem;
using testsupport::TempDir;

namespace {

// The one configuration of this process lives over a program folder made here.
TempDir* g_programDir = nullptr;
TempDir* g_outside = nullptr;

const QString kPictures = QStringLiteral(":/Sorvik/images/1013/");

// A window as the entry function opens it: the frame loop started, shown
// maximised; the frame timer is left to each test.
std::unique_ptr<Ui::CMainDlg> OpenWindow() {
    auto window = std::make_unique<Ui::CMainDlg>(CConfig::Instance());
    window->FrameLoop().Start();
    window->showMaximized();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    return window;
}

// Runs the event loop (and so the frame timer, when it runs) for ms.
void RunEvents(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

void UseLanguage(int index) {
    CConfig::Instance().SetLanguage(index, false);
}

QImage Picture(const char* file) {
    return QImage(kPictures + QLatin1String(file)).convertToFormat(QImage::Format_ARGB32);
}

QImage IconImage(const QAction* action) {
    return action->icon().pixmap(QSize(64, 64)).toImage().convertToFormat(QImage::Format_ARGB32);
}

// Every action the menu bar and the tool bars offer, sub-menus included.
void CollectActions(const QMenu* menu, std::set<QAction*>& actions) {
    for (QAction* action : menu->actions()) {
        if (action->isSeparator())
            continue;
        actions.insert(action);
        if (action->menu())
            CollectActions(action->menu(), actions);
    }
}

std::set<QAction*> AllActions(const Ui::CMainDlg& window) {
    std::set<QAction*> actions;
    for (QAction* top : window.menubar->actions()) {
        actions.insert(top);
        CollectActions(top->menu(), actions);
    }
    for (QToolBar* bar : { window.FileToolBar(), window.OperatorToolBar(), window.VirtualToolBar() })
        for (QAction* action : bar->actions())
            actions.insert(action);
    return actions;
}

// The language entries: one action per language, named by its index.
QAction* LanguageAction(const Ui::CMainDlg& window, int index) {
    for (QAction* action : window.menu_internationalization->actions()) {
        if (action->objectName() == QString::number(index))
            return action;
    }
    return nullptr;
}

bool IsViewGrey(const QImage& image, const QWidget& view, const QWidget& window) {
    // The builders clear to (0.8, 0.8, 0.8): 204 in each channel. The robot
    // builder's floor grid lies below the middle of its view; above it the
    // background shows.
    const QPoint above = view.mapTo(&window, QPoint(view.width() / 2, view.height() / 10));
    const QRgb pixel = image.pixel(above);
    return std::abs(qRed(pixel) - 204) < 6 && std::abs(qGreen(pixel) - 204) < 6
        && std::abs(qBlue(pixel) - 204) < 6;
}

} // namespace

TEST(CMainDlg, StartsIntoTheFullWindow) {
    UseLanguage(0);
    CConfig::Instance().m_nLevel = 0;
    auto window = std::make_unique<Ui::CMainDlg>(CConfig::Instance());
    // Before it is shown maximised it takes the screen less a margin.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(window->geometry(),
        QRect(screen.x() + 100, screen.y() + 50, screen.width() - 200, screen.height() - 200));
    EXPECT_EQ(window->objectName(), QStringLiteral("CMainDlg"));
    window->FrameLoop().Start();
    window->showMaximized();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));

    EXPECT_EQ(window->windowTitle(), QStringLiteral("Morvane 机器人仿真教育版-基础套件"));
    ASSERT_EQ(window->tabWidget->count(), 3);
    EXPECT_EQ(window->tabWidget->currentWidget(), window->tab1);
    EXPECT_EQ(window->tabWidget->tabText(0), QStringLiteral("     机器人     "));
    EXPECT_EQ(window->tabWidget->tabText(1), QStringLiteral("       场地       "));
    EXPECT_EQ(window->tabWidget->tabText(2), QStringLiteral("        仿真        "));

    QStringList menus;
    for (QAction* top : window->menubar->actions())
        menus << top->menu()->objectName();
    EXPECT_EQ(menus, QStringList({ "menu", "menu_E", "menu_Operator", "menu_Virtual", "menu_Help" }));
    EXPECT_EQ(window->menu->title(), QStringLiteral("文件(&F)"));

    const std::pair<QToolBar*, const char*> bars[] = { { window->FileToolBar(), "fileToolBar" },
        { window->OperatorToolBar(), "operatorToolBar" }, { window->VirtualToolBar(), "virtualToolBar" } };
    for (const auto& [bar, name] : bars)
        EXPECT_EQ(bar->objectName(), QLatin1String(name));
    EXPECT_EQ(window->FileToolBar()->windowTitle(), QStringLiteral("file"));
    EXPECT_TRUE(window->FileToolBar()->isVisible());
    EXPECT_TRUE(window->OperatorToolBar()->isVisible());
    EXPECT_FALSE(window->VirtualToolBar()->isVisible());
    EXPECT_EQ(window->createPopupMenu(), nullptr);

    EXPECT_TRUE(window->label_StatusLv->isVisible());
    EXPECT_EQ(window->label_StatusLv->text(), QStringLiteral("已通过等级: 0"));
    EXPECT_EQ(window->label_StatusObj->parentWidget(), window->statusbar);

    // Only the robot builder runs.
    EXPECT_TRUE(window->GetRobApp()->IsRunning());
    EXPECT_FALSE(window->GetPlaApp()->IsRunning());
    EXPECT_FALSE(window->GetEmuApp()->IsRunning());

    // Widgets the form leaves unnamed are found by no name.
    EXPECT_TRUE(window->groupBox_RobPos->objectName().isEmpty());
    EXPECT_TRUE(window->action_Color->objectName().isEmpty());
    EXPECT_EQ(window->findChild<QWidget*>(QStringLiteral("mywidget")), window->mywidget);

    // Drawn frames, then a picture of the window for the test's artefacts.
    window->FrameTimer()->start(1);
    RunEvents(300);
    const QImage shot = window->grab().toImage();
    EXPECT_TRUE(shot.save(QStringLiteral(MORVANE_TEST_DIR "/main_window.png")));
    const QWidget* view = window->mywidget->findChild<QWidget*>(QStringLiteral("DeltaWindow"));
    ASSERT_NE(view, nullptr);
    EXPECT_GT(view->width(), 400);
    EXPECT_TRUE(IsViewGrey(shot, *view, *window));
}

TEST(CMainDlg, ActionsCarryTheirPicturesShortcutsAndTextsInBothLanguages) {
    ASSERT_EQ(QDir(kPictures).entryList().size(), 41);
    UseLanguage(0);
    auto window = OpenWindow();
    Ui::CMainDlg& w = *window;
    struct Expected {
        QAction* action;
        const char* picture;
        const char* keys;
    };
    const Expected table[] = {
        { w.action_open, "38.png", "Ctrl+O" },
        { w.action_save, "31.png", "Ctrl+S" },
        { w.action_saveas, "32.png", "Shift+Ctrl+S" },
        { w.action_new, "34.png", "Ctrl+N" },
        { w.action_quit, "5.png", "Alt+F4" },
        { w.action_ModelRotate_X, "53.png", "A" },
        { w.action_ModelRotate_Y, "54.png", "S" },
        { w.action_ModelRotate_Z, "55.png", "D" },
        { w.action_PointTurn_X, "49.png", "Q" },
        { w.action_PointTurn_Y, "50.png", "W" },
        { w.action_PointTurn_Z, "51.png", "E" },
        { w.action_Return, "45.png", "R" },
        { w.action_ModelMove, "47.png", "M" },
        { w.action_ModelDelete, "44.png", "Del" },
        { w.action_ModelCopy, "40.png", "Ctrl+C" },
        { w.action_ModelPaste, "41.png", "Ctrl+V" },
        { w.action_SoftwareHelp, "25.png", "" },
        { w.action_DocumentHelp, "29.png", "F1" },
        { w.action_ImportROB, "48.png", "" },
        { w.action_FarView, "28.png", "+" },
        { w.action_NearView, "27.png", "-" },
        { w.action_Show_Message, "58.png", "" },
        { w.action_Top_View, "trace.png", "" },
        { w.action_Left_View, "62.png", "" },
        { w.action_Front_View, "61.png", "" },
        { w.action_Over_View, "42.png", "" },
        { w.action_Undo, "Undo.png", "Ctrl+Z" },
        { w.action_Redo, "Redo.png", "Ctrl+Y" },
        { w.action_AllSel, "AllSel.png", "Ctrl+A" },
        // The point-move action is the colour action.
        { w.action_Color, "56-.png", "P" },
        { w.action_RobotRotate, "55.png", "Z" },
        { w.action_RobotMove, "47.png", "M" },
        { w.action_RobotDel, "44.png", "Del" },
        { w.action_LoadGround, "37.png", "G" },
        { w.action_LoadRobot, "22.png", "B" },
        { w.action_LoadStrategy, "57.png", "T" },
        { w.action_VirtualStart, "35.png", "Ctrl+R" },
        { w.action_User_DefineModel, "52.png", "" },
        { w.action_Ground_changeMap, "39.png", "" },
        { w.action_Up3DFile, "63.png", "" },
        { w.action_NetMatch, "64.png", "" },
    };
    for (const Expected& e : table) {
        SCOPED_TRACE(e.picture);
        EXPECT_EQ(IconImage(e.action), Picture(e.picture));
        EXPECT_EQ(e.action->shortcut(), QKeySequence(QString::fromLatin1(e.keys)));
    }
    EXPECT_FALSE(w.menu_View_Flow->icon().isNull());

    // Every action of the menus and tool bars has its texts in each language;
    // only the language entries read the same in both.
    std::map<QAction*, QString> firstTexts;
    for (int language : { 0, 1 }) {
        QAction* entry = LanguageAction(w, language);
        ASSERT_NE(entry, nullptr);
        entry->trigger();
        for (QAction* action : AllActions(w)) {
            const QString text
                = action->text().isEmpty() && action->menu() ? action->menu()->title() : action->text();
            EXPECT_FALSE(text.isEmpty()) << action->objectName().toStdString() << " in language " << language;
            if (language == 0) {
                firstTexts[action] = text;
            } else if (action->actionGroup() == nullptr) {
                EXPECT_NE(text, firstTexts[action]) << text.toStdString();
            }
        }
        for (QToolBar* bar : { w.FileToolBar(), w.OperatorToolBar(), w.VirtualToolBar() })
            for (QAction* action : bar->actions())
                EXPECT_FALSE(action->toolTip().isEmpty()) << action->text().toStdString();
    }
    UseLanguage(0);
}

TEST(CMainDlg, SwitchingLanguageRetextsEveryCaptionAtOnceAndIsSaved) {
    UseLanguage(0);
    auto window = OpenWindow();
    Ui::CMainDlg& w = *window;
    EXPECT_EQ(w.action_new->text(), QStringLiteral("新建"));
    EXPECT_TRUE(LanguageAction(w, 0)->isChecked());

    fs::remove(g_programDir->path() / "XML/Settings.dat");
    LanguageAction(w, 1)->trigger();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Morvane robot simulator Education-Basic kit"));
    // English marks a letter of its own word, Chinese the key after it.
    EXPECT_EQ(w.menu->title(), QStringLiteral("&File"));
    EXPECT_EQ(w.menu_Virtual->title(), QStringLiteral("&Simulation"));
    EXPECT_EQ(w.menu_internationalization->title(), QStringLiteral("Language"));
    EXPECT_EQ(w.action_new->text(), QStringLiteral("New"));
    EXPECT_EQ(w.action_new->statusTip(), QStringLiteral("New"));
    EXPECT_EQ(
        w.action_ModelRotate_X->statusTip(), QStringLiteral("Turn the selection a quarter turn about X (A)"));
    // The hand-over action takes its three keys as text, tool tip and status tip.
    EXPECT_EQ(w.action_ImportROB->text(), QStringLiteral("To simulation"));
    EXPECT_EQ(w.action_ImportROB->iconText(), QStringLiteral("To simulation"));
    EXPECT_EQ(
        w.action_ImportROB->toolTip(), QStringLiteral("Hand the robot or playground to the simulation"));
    EXPECT_EQ(w.action_ImportROB->statusTip(),
        QStringLiteral("Send the robot or playground you are editing to the simulation page to run it"));
    EXPECT_EQ(w.tabWidget->tabText(1), QStringLiteral("       Playground       "));
    EXPECT_EQ(w.groupBox_RobTurnY->title(), QStringLiteral("Angle about Y"));
    EXPECT_EQ(w.groupBox_PlaPos->title(), QStringLiteral("Position"));
    // English reads along the narrow side bar; Chinese stands across it.
    EXPECT_TRUE(w.pushButton_ModelBrick->text().isEmpty());
    EXPECT_EQ(w.pushButton_ModelBrick->GetCaption(), QStringLiteral("Bricks"));
    EXPECT_EQ(w.pushButton_ModelGroundSetSize->GetCaption(), QStringLiteral("Properties"));
    EXPECT_EQ(w.action_VirtualStart->text(), QStringLiteral("Start"));
    EXPECT_EQ(w.label_StatusLv->text().left(14), QStringLiteral("Level passed: "));
    // The choice is saved at once.
    ASSERT_TRUE(fs::exists(g_programDir->path() / "XML/Settings.dat"));
    EXPECT_EQ(CConfig(g_programDir->qpath()).m_nLanguage, 1);

    // Choosing the language that is current changes and saves nothing.
    fs::remove(g_programDir->path() / "XML/Settings.dat");
    w.action_new->setText(QStringLiteral("mark"));
    LanguageAction(w, 1)->trigger();
    EXPECT_EQ(w.action_new->text(), QStringLiteral("mark"));
    EXPECT_FALSE(fs::exists(g_programDir->path() / "XML/Settings.dat"));

    LanguageAction(w, 0)->trigger();
    EXPECT_EQ(w.action_new->text(), QStringLiteral("新建"));
    EXPECT_EQ(w.pushButton_ModelBrick->text(), QStringLiteral("积\n木"));
    EXPECT_TRUE(w.pushButton_ModelBrick->GetCaption().isEmpty());
    EXPECT_EQ(CConfig(g_programDir->qpath()).m_nLanguage, 0);
}

// The question before quitting, as each language writes its buttons' keys:
// English marks a letter of the word, Chinese puts the key after it; the
// key alone answers, and Cancel's keeps the window open.
TEST(CMainDlg, TheQuitQuestionsButtonsCarryTheirKeysAsTheLanguageWritesThem) {
    const std::pair<int, QStringList> languages[] = {
        { 0, { QStringLiteral("退出(Q)"), QStringLiteral("取消(C)") } },
        { 1, { QStringLiteral("&Quit"), QStringLiteral("&Cancel") } },
    };
    for (const auto& [language, expected] : languages) {
        UseLanguage(language);
        auto window = OpenWindow();
        QStringList shown;
        QStringList keys;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible() || !shown.isEmpty())
                return;
            for (QAbstractButton* button : box->buttons()) {
                shown << button->text();
                keys << button->shortcut().toString();
            }
            QTest::keyClick(box, Qt::Key_C);
            // A key that answers nothing leaves the question open: the case
            // fails, and the question goes.
            QTimer::singleShot(2000, box, [box] {
                ADD_FAILURE() << "Cancel's key answered nothing";
                box->reject();
            });
        });
        watch.start(10);
        window->close();
        EXPECT_EQ(shown, expected) << language;
        EXPECT_EQ(keys, (QStringList { QStringLiteral("Q"), QStringLiteral("C") })) << language;
        EXPECT_TRUE(window->isVisible()) << "Cancel's key keeps Morvane open";
    }
    UseLanguage(0);
}

TEST(CMainDlg, TheFrameTimerDrivesTheCurrentPageAndOnlyThatOne) {
    UseLanguage(0);
    auto window = OpenWindow();
    Ui::CMainDlg& w = *window;
    CApp* apps[3] = { w.GetRobApp(), w.GetPlaApp(), w.GetEmuApp() };
    auto drawn = [&] {
        return std::vector<unsigned> { apps[0]->GetDrawnFrames(), apps[1]->GetDrawnFrames(),
            apps[2]->GetDrawnFrames() };
    };

    // While the loop is stopped a tick does nothing at all.
    w.FrameLoop().Stop();
    const std::vector<unsigned> before = drawn();
    w.slot_Update();
    EXPECT_EQ(drawn(), before);
    w.FrameLoop().Start();

    w.FrameTimer()->start(1);
    for (int page = 0; page < 3; ++page) {
        SCOPED_TRACE(page);
        w.tabWidget->setCurrentIndex(page);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                for (int i = 0; i < 3; ++i) {
                    if (apps[i]->IsRunning() != (i == page))
                        return false;
                }
                return true;
            },
            5000));
        // Frames are counted, not time: under load a frame takes longer.
        const std::vector<unsigned> start = drawn();
        EXPECT_TRUE(QTest::qWaitFor([&] { return drawn()[size_t(page)] > start[size_t(page)] + 5; }, 10000));
        const std::vector<unsigned> end = drawn();
        for (int i = 0; i < 3; ++i) {
            if (i != page) {
                EXPECT_EQ(end[size_t(i)], start[size_t(i)]) << i;
            }
        }
    }

    // A disabled window pauses the current page, and enabling resumes it.
    w.tabWidget->setCurrentIndex(1);
    w.SetWindowEnabled(false);
    EXPECT_FALSE(w.isEnabled());
    EXPECT_FALSE(apps[1]->IsRunning());
    w.SetWindowEnabled(true);
    EXPECT_TRUE(w.isEnabled());
    EXPECT_TRUE(apps[1]->IsRunning());
    EXPECT_FALSE(apps[0]->IsRunning());
}

TEST(CMainDlg, EditCommandsAndKeysReachTheCurrentPagesApplication) {
    UseLanguage(0);
    auto window = OpenWindow();
    Ui::CMainDlg& w = *window;
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    CRobApp* robot = w.GetRobApp();
    CPlaApp* playground = w.GetPlaApp();
    const int playgroundBefore = playground->GetLastCommand();
    // The edit commands are enabled while something is chosen; this
    // window's folder has no models to choose, so they are enabled here as
    // a choice would.
    const auto enableEditCommands = [&w] {
        for (QAction* action : { w.action_ModelRotate_X, w.action_ModelRotate_Y, w.action_ModelRotate_Z,
                 w.action_PointTurn_X, w.action_PointTurn_Y, w.action_PointTurn_Z, w.action_Return })
            action->setEnabled(true);
    };
    enableEditCommands();

    // The menus' commands, by their shortcuts, with the editor's codes.
    const std::pair<Qt::Key, int> commands[] = { { Qt::Key_A, 4 }, { Qt::Key_S, 6 }, { Qt::Key_D, 8 },
        { Qt::Key_Q, 1 }, { Qt::Key_W, 2 }, { Qt::Key_E, 3 }, { Qt::Key_R, 0 } };
    for (const auto& [key, code] : commands) {
        QTest::keyClick(&w, key);
        EXPECT_EQ(robot->GetLastCommand(), code) << QKeySequence(key).toString().toStdString();
    }
    w.slot_Undo();
    EXPECT_EQ(robot->GetLastCommand(), 10);
    w.slot_Redo();
    EXPECT_EQ(robot->GetLastCommand(), 11);
    // The host of the robot page's view sends its codes to the robot builder.
    QTest::keyPress(w.mywidget, Qt::Key_Down);
    EXPECT_EQ(robot->GetLastCommand(), 16);
    QTest::keyRelease(w.mywidget, Qt::Key_Down);
    EXPECT_EQ(robot->GetLastCommand(), 20);
    EXPECT_EQ(playground->GetLastCommand(), playgroundBefore) << "the playground builder heard nothing";

    w.tabWidget->setCurrentIndex(1);
    enableEditCommands();
    QTest::keyClick(&w, Qt::Key_D);
    EXPECT_EQ(playground->GetLastCommand(), 8);
    QTest::keyPress(w.mygroundwidget, Qt::Key_Escape);
    EXPECT_EQ(playground->GetLastCommand(), 14);
    EXPECT_EQ(robot->GetLastCommand(), 20);

    // On the simulation page the keys go to the run; the builders hear
    // nothing, and the mouse goes back to moving robots.
    w.tabWidget->setCurrentIndex(2);
    w.GetEmuApp()->SetMouseModeDelete();
    QTest::keyPress(w.widget_5, Qt::Key_Left);
    EXPECT_EQ(w.GetEmuApp()->GetMouseMode(), CApp::MouseModeMove);
    EXPECT_TRUE(w.action_RobotMove->isChecked());
    for (void (Ui::CMainDlg::*turn)() : { &Ui::CMainDlg::slot_Left, &Ui::CMainDlg::slot_Right }) {
        w.action_RobotDel->trigger();
        EXPECT_EQ(w.GetEmuApp()->GetMouseMode(), CApp::MouseModeDelete);
        (w.*turn)();
        EXPECT_EQ(w.GetEmuApp()->GetMouseMode(), CApp::MouseModeMove);
    }
    w.slot_Return();
    w.slot_Key(15);
    EXPECT_EQ(robot->GetLastCommand(), 20);
    EXPECT_EQ(playground->GetLastCommand(), 14);
}

TEST(CMainDlg, ViewCommandsMoveTheCurrentPagesCamera) {
    auto window = OpenWindow();
    Ui::CMainDlg& w = *window;
    w.tabWidget->setCurrentIndex(1);
    CApp* playground = w.GetPlaApp();
    w.action_Front_View->trigger();
    EXPECT_TRUE(playground->GetCamera()->GetTransform().EpsilonEquals(scene::Transform(0, -800, 0, 0, 0, 0)));
    EXPECT_FLOAT_EQ(playground->GetMotionModel()->GetDistance(), 800.0f);
    // Nearer comes a tenth of the distance (and a little) nearer, farther
    // goes back; the other pages' cameras stay.
    const scene::Transform robotBefore = w.GetRobApp()->GetCamera()->GetTransform();
    w.action_NearView->trigger();
    EXPECT_NEAR(playground->GetCamera()->GetTransform().GetTranslation().y(), -800.0f + 80.1f, 1e-3);
    w.action_FarView->trigger();
    EXPECT_LT(playground->GetCamera()->GetTransform().GetTranslation().y(), -800.0f + 80.1f);
    EXPECT_TRUE(w.GetRobApp()->GetCamera()->GetTransform().EpsilonEquals(robotBefore));
    w.action_Top_View->trigger();
    EXPECT_TRUE(
        playground->GetCamera()->GetTransform().EpsilonEquals(scene::Transform(0, 0, 800, 0, -89, 0)));

    // Following a robot, the zoom changes only the follow distance, by 5.
    w.tabWidget->setCurrentIndex(2);
    CEmuApp* simulation = w.GetEmuApp();
    simulation->m_bFollow = true;
    const scene::Transform simulationBefore = simulation->GetCamera()->GetTransform();
    w.action_NearView->trigger();
    EXPECT_EQ(simulation->m_nFollowHeight, 195);
    w.action_FarView->trigger();
    w.action_FarView->trigger();
    EXPECT_EQ(simulation->m_nFollowHeight, 205);
    EXPECT_TRUE(simulation->GetCamera()->GetTransform().EpsilonEquals(simulationBefore));
}

TEST(CMainDlg, TheStatusBarShowsTheLevelCountAndPageHints) {
    UseLanguage(1);
    auto window = OpenWindow();
    Ui::CMainDlg& w = *window;
    CConfig& config = CConfig::Instance();

    config.m_nLevel = 4;
    w.slot_ShowLv();
    EXPECT_EQ(w.label_StatusLv->text(), QStringLiteral("Level passed: 4"));
    config.m_nLevel = 5;
    w.slot_ShowLv();
    EXPECT_EQ(w.label_StatusLv->text(), QStringLiteral("Level passed: Max"));
    config.m_nLevel = 0;

    w.f_Ui_StatusBar_ShowObjL(QStringLiteral("7 parts"));
    EXPECT_EQ(w.label_StatusObj->text(), QStringLiteral("7 parts"));

    // A page's hint comes back whenever the bar empties; other messages stay.
    w.mywidget->setStatusTip(QStringLiteral("Build a robot"));
    w.statusbar->showMessage(QStringLiteral("Saved robot1.rob"));
    EXPECT_EQ(w.statusbar->currentMessage(), QStringLiteral("Saved robot1.rob"));
    w.statusbar->clearMessage();
    EXPECT_EQ(w.statusbar->currentMessage(), QStringLiteral("Build a robot"));
    // Hovering the view shows its hint; with nothing selected it stays.
    w.statusbar->showMessage(QStringLiteral("Build a robot, then run it"));
    EXPECT_EQ(w.statusbar->currentMessage(), QStringLiteral("Build a robot, then run it"));
    w.slot_Ui_StatusBar_ShowObjName(nullptr);
    EXPECT_EQ(w.statusbar->currentMessage(), QStringLiteral("Build a robot"));
    std::string address = "models/sensor/compass.ive";
    w.slot_Ui_StatusBar_ShowObjName(&address);
    EXPECT_EQ(w.statusbar->currentMessage(), QStringLiteral("Compass sensor"));
    // Without a run mode 2 there is no match clock to show.
    EXPECT_EQ(w.MatchTimeLabel(), nullptr);
    w.f_Ui_StatusBar_ShowMatchTime(2, 17);
    UseLanguage(0);
}

TEST(CMainDlg, TheOnlineModeShowsItsMatchClockAndLogin) {
    CConfig& config = CConfig::Instance();
    UseLanguage(1);
    config.m_nRunMode = RunModeNet;
    config.m_strLoginInfo[0] = QStringLiteral("Ann");
    config.m_strLoginInfo[1] = QStringLiteral("Class 3");
    config.m_strLoginInfo[2] = QStringLiteral("Team A");
    auto window = OpenWindow();
    config.m_nRunMode = RunModeEducation;
    Ui::CMainDlg& w = *window;
    EXPECT_EQ(
        w.windowTitle(), QStringLiteral("Morvane robot simulator Online-(Ann,Class 3,Team A)-Basic kit"));
    ASSERT_NE(w.MatchTimeLabel(), nullptr);
    EXPECT_EQ(w.MatchTimeLabel()->text(), QStringLiteral("Practice 0 min"));
    w.f_Ui_StatusBar_ShowMatchTime(2, 17);
    EXPECT_EQ(w.MatchTimeLabel()->text(), QStringLiteral("Left: 17 min"));
    w.f_Ui_StatusBar_ShowMatchTime(1);
    EXPECT_EQ(w.MatchTimeLabel()->text(), QStringLiteral("Match on 0 min"));
    EXPECT_TRUE(w.action_NetMatch->isVisible() || !w.action_NetMatch->menu());
    EXPECT_FALSE(w.action_Up3DFile->isVisible());
    for (QString& text : config.m_strLoginInfo)
        text.clear();
    UseLanguage(0);
}

TEST(CMainDlg, ToolBarStylesSwitchAndTheLastIsKeptWhenTheWindowCloses) {
    CConfig& config = CConfig::Instance();
    config.m_nWindowOption = 0;
    {
        auto window = OpenWindow();
        Ui::CMainDlg& w = *window;
        QToolBar* bars[3] = { w.FileToolBar(), w.OperatorToolBar(), w.VirtualToolBar() };
        auto style = [&](Qt::ToolButtonStyle expected, QAction* checked) {
            for (QToolBar* bar : bars)
                EXPECT_EQ(bar->toolButtonStyle(), expected);
            for (QAction* action :
                { w.action_ToolBar_IconAndText, w.action_ToolBar_Icon, w.action_ToolBar_Text })
                EXPECT_EQ(action->isChecked(), action == checked);
        };
        // Style 0 in the settings starts with icons only.
        style(Qt::ToolButtonIconOnly, w.action_ToolBar_Icon);
        EXPECT_EQ(bars[0]->iconSize(), QSize(40, 40));
        w.action_ToolBar_IconAndText->trigger();
        style(Qt::ToolButtonTextUnderIcon, w.action_ToolBar_IconAndText);
        w.action_ToolBar_Text->trigger();
        style(Qt::ToolButtonTextOnly, w.action_ToolBar_Text);
        fs::remove(g_programDir->path() / "XML/Settings.dat");
    }
    // Closing saves the settings with the style checked last.
    ASSERT_TRUE(fs::exists(g_programDir->path() / "XML/Settings.dat"));
    EXPECT_EQ(CConfig(g_programDir->qpath()).m_nWindowOption, 1);

    config.m_nWindowOption = 7;
    auto window = OpenWindow();
    EXPECT_EQ(window->FileToolBar()->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    EXPECT_TRUE(window->action_ToolBar_IconAndText->isChecked());
    window.reset();
    EXPECT_EQ(CConfig(g_programDir->qpath()).m_nWindowOption, 2);
}

// The title puts a space between the program's name and its mode in
// English, where words need one; every example entry sets its level and its
// file name apart from its name, in both languages.
TEST(CMainDlg, TheTitleAndTheExamplesEntriesKeepTheirWordsApartInBothLanguages) {
    CConfig& config = CConfig::Instance();
    config.m_nLevel = 5;
    UseLanguage(0);
    auto window = OpenWindow();
    Ui::CMainDlg& w = *window;
    const std::pair<int, const char*> titles[2][4] = {
        { { RunModeEducation, "Morvane 机器人仿真教育版-基础套件" },
            { RunModeClassroom, "Morvane 机器人仿真教育版-基础套件" },
            { RunModeBase, "Morvane 机器人仿真基础版-基础套件" },
            { RunModeContest, "Morvane 机器人仿真比赛版-基础套件" } },
        { { RunModeEducation, "Morvane robot simulator Education-Basic kit" },
            { RunModeClassroom, "Morvane robot simulator Education-Basic kit" },
            { RunModeBase, "Morvane robot simulator Basic-Basic kit" },
            { RunModeContest, "Morvane robot simulator Contest-Basic kit" } },
    };
    const QStringList firstTwo[2] = {
        { QStringLiteral("开进得分区 [drive_to_zone]"), QStringLiteral("沿黑线行驶 (等级1) [follow_line]") },
        { QStringLiteral("Drive into the score zone [drive_to_zone]"),
            QStringLiteral("Follow the black line (Level 1) [follow_line]") },
    };
    for (int language : { 0, 1 }) {
        LanguageAction(w, language)->trigger();
        for (const auto& [mode, title] : titles[language]) {
            config.m_nRunMode = mode;
            w.f_LanguageTitle();
            EXPECT_EQ(w.windowTitle(), QString::fromUtf8(title));
        }
        config.m_nRunMode = RunModeEducation;

        const QList<QAction*> entries = w.menu_2->actions().mid(0, w.menu_2->actions().size() - 2);
        ASSERT_EQ(entries.size(), 6);
        EXPECT_EQ(entries[0]->text(), firstTwo[language][0]);
        EXPECT_EQ(entries[1]->text(), firstTwo[language][1]);
        // Every entry: its name, its level past 0 and its file, one space
        // before each.
        for (QAction* entry : entries) {
            const QStringList parts = entry->objectName().split(QLatin1Char(','));
            ASSERT_EQ(parts.size(), 2);
            QString expected = config.GetExampleName(parts[0]);
            if (parts[1] != QLatin1String("0"))
                expected += QStringLiteral(" (") + config.GetText("CMainDlg", "f_LanguageExample", "sLv")
                    + parts[1] + QLatin1Char(')');
            expected += QStringLiteral(" [")
                + QString::fromUtf8(config.FindExample(parts[0])->Attribute("file")) + QLatin1Char(']');
            EXPECT_EQ(entry->text(), expected);
        }
    }
    config.m_nLevel = 0;
    UseLanguage(0);
}

// Qt's own dialogs speak the window's language: the file chooser's buttons
// and labels are Qt's Chinese ones in Chinese, its English ones in English,
// switching with the language.
TEST(CMainDlg, QtsOwnDialogsSpeakTheWindowsLanguage) {
    UseLanguage(0);
    auto window = OpenWindow();
    Ui::CMainDlg& w = *window;
    // The texts of the file chooser that File > Open shows, which is then
    // closed; without their mnemonics, which the chooser sets as it pleases.
    const auto chooserTexts = [&] {
        static const QRegularExpression mnemonic(QStringLiteral("\\(&.\\)|&"));
        QStringList texts;
        int looks = 0;
        QTimer look;
        look.setInterval(10);
        QObject::connect(&look, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            auto* chooser = qobject_cast<QFileDialog*>(modal);
            if (chooser && chooser->isVisible()) {
                look.stop();
                const auto* buttons = chooser->findChild<QDialogButtonBox*>();
                for (const QAbstractButton* button : buttons ? buttons->buttons() : QList<QAbstractButton*>())
                    texts << button->text().remove(mnemonic);
                texts.sort();
                if (const auto* label = chooser->findChild<QLabel*>(QStringLiteral("fileNameLabel")))
                    texts << label->text().remove(mnemonic);
                chooser->reject();
            } else if (modal && modal != &w && ++looks > 500) {
                // Anything else, still open after 5 s, ends the test's wait.
                look.stop();
                QMetaObject::invokeMethod(modal, "reject", Qt::QueuedConnection);
            }
        });
        look.start();
        w.action_open->trigger();
        return texts;
    };
    const QStringList chinese
        = { QStringLiteral("取消"), QStringLiteral("打开"), QStringLiteral("文件名称：") };
    const QStringList english
        = { QStringLiteral("Cancel"), QStringLiteral("Open"), QStringLiteral("File name:") };
    EXPECT_EQ(chooserTexts(), chinese);
    LanguageAction(w, 1)->trigger();
    EXPECT_EQ(chooserTexts(), english);
    LanguageAction(w, 0)->trigger();
    EXPECT_EQ(chooserTexts(), chinese);
    window.reset();
    UseLanguage(0);
}

TEST(CMainDlg, TheExamplesMenuListsWhatTheLevelReachesAndFreesWhatItReplaces) {
    CConfig& config = CConfig::Instance();
    TiXmlDocument examples;
    examples.Parse(R"(<example>
        <example0 Lv="0" special="1"/>
        <example1 Lv="5"/>
        <example3 Lv="3"/>
        <exampleX Lv="0"/>
        <example Lv="0"/>
        <example-2 Lv="0"/>
    </example>)");
    const TiXmlElement* saved = config.m_pExampleNode;
    config.m_pExampleNode = examples.RootElement();
    config.m_nLevel = 2;
    auto window = OpenWindow();
    Ui::CMainDlg& w = *window;
    QStringList names;
    for (QAction* action : w.menu_2->actions())
        names << (action->isSeparator() ? QStringLiteral("|") : action->objectName());
    EXPECT_EQ(names, QStringList({ "0,0", "3,3", "|", "action_Open_Example" }));

    QPointer<QAction> old = w.menu_2->actions().first();
    w.InitExampleMenu();
    EXPECT_TRUE(old.isNull());
    EXPECT_EQ(w.menu_2->actions().size(), 4);
    EXPECT_EQ(w.menu_2->actions().last(), w.action_Open_Example);

    config.m_nLevel = 0;
    config.m_pExampleNode = saved;
}

TEST(CMainDlg, PositionAndAngleEditsAcceptWhatTheValidatorsAllow) {
    auto window = OpenWindow();
    Ui::CMainDlg& w = *window;
    auto state = [](QLineEdit* edit, const char* text) {
        QString input = QString::fromLatin1(text);
        int position = 0;
        return edit->validator()->validate(input, position);
    };
    for (QLineEdit* coordinate : { w.lineEdit_RobPosX, w.lineEdit_PlaPosZ }) {
        for (const char* good : { "1000", "-999.99", "12.5", "-1000" })
            EXPECT_EQ(state(coordinate, good), QValidator::Acceptable) << good;
        for (const char* bad : { "1000.5", "1234", "45.123" })
            EXPECT_EQ(state(coordinate, bad), QValidator::Invalid) << bad;
    }
    for (QLineEdit* angle : { w.lineEdit_RobTurnZ, w.lineEdit_PlaTurnX }) {
        for (const char* good : { "359.99", "-45", "300" })
            EXPECT_EQ(state(angle, good), QValidator::Acceptable) << good;
        for (const char* bad : { "360", "45.123" })
            EXPECT_EQ(state(angle, bad), QValidator::Invalid) << bad;
    }
    int position = 0;
    QString ray = QStringLiteral("1000");
    EXPECT_EQ(w.lineEdit_RayDis->validator()->validate(ray, position), QValidator::Invalid);
    EXPECT_EQ(w.slider_RobTurnX->maximum(), 359);
    EXPECT_EQ(w.XSlider->maximum(), 256);
}

TEST(CMainDlg, StartsWithAnEmptyWorkFolderAndSavesSettingsWhenClosed) {
    UseLanguage(0);
    const fs::path temp = g_programDir->path() / "Temp";
    g_programDir->write("Temp/old.dll", "stale copy");
    fs::create_directory_symlink(g_outside->path(), temp / "link");
    fs::remove(g_programDir->path() / "XML/Settings.dat");
    {
        Ui::CMainDlg window(CConfig::Instance());
        EXPECT_TRUE(fs::is_directory(temp));
        EXPECT_TRUE(fs::is_empty(temp));
        // What the link pointed at lies outside the work folder and stays.
        EXPECT_TRUE(fs::exists(g_outside->path() / "precious.txt"));
        EXPECT_FALSE(window.FrameTimer()->isActive());
        EXPECT_FALSE(fs::exists(g_programDir->path() / "XML/Settings.dat"));
        CConfig::Instance().m_nLevel = 4;
    }
    ASSERT_TRUE(fs::exists(g_programDir->path() / "XML/Settings.dat"));
    CConfig reread(g_programDir->qpath());
    EXPECT_EQ(reread.m_nLevel, 4);
    CConfig::Instance().m_nLevel = 0;
}

TEST(CMainDlg, WorkFolderInPlaceOfAFileIsRecreated) {
    const fs::path temp = g_programDir->path() / "Temp";
    fs::remove_all(temp);
    g_programDir->write("Temp", "not a folder");
    Ui::CMainDlg window(CConfig::Instance());
    EXPECT_TRUE(fs::is_directory(temp));
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    TempDir programDir;
    TempDir outside;
    g_programDir = &programDir;
    g_outside = &outside;
    fs::create_directories(programDir.path() / "XML");
    fs::copy_file(
        fs::path(MORVANE_SOURCE_DIR) / "assets/XML/SetUp_View.xml", programDir.path() / "XML/SetUp_View.xml");
    fs::copy_file(fs::path(MORVANE_SOURCE_DIR) / "assets/mainForm.qss", programDir.path() / "mainForm.qss");
    outside.write("precious.txt", "keep me");
    platform::OverrideProgramDir(programDir.path());
    CConfig::Instance();
    // Listing the tests needs no display.
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
