// The simulation page as a student uses it, under Xvfb: robots, programs and
// playgrounds chosen in file dialogs, runs started with the start button and ended by
// their playgrounds, their time limits or the student, the score table, the
// robot data panel, keyboard driving, several robots, and, in classroom
// mode, the result bundle submitted to a ClassServer started here and loaded
// back to run again. Real robot files, real programs, real physics.

#include "apps/CEmuApp.h"
#include "classlink/C3DFile.h"
#include "classlink/ContestMessages.h"
#include "dialogs/CDriveSetDlg.h"
#include "dialogs/CInputDlg.h"
#include "dialogs/CLoadDlg.h"
#include "dialogs/CLoginDlg.h"
#include "dialogs/CMultiRobDlg.h"
#include "dialogs/CProgressDlg.h"
#include "dialogs/CRobDataDlg.h"
#include "dialogs/CRuleDlg.h"
#include "dialogs/CScoreDlg.h"
#include "foundation/CConfig.h"
#include "platform/ProgramDir.h"
#include "samples/SampleFiles.h"
#include "server/Server.h"
#include "simulation/CPlayground.h"
#include "simulation/CRob.h"
#include "simulation/CTrigger.h"
#include "simulation/PlaygroundFile.h"
#include "support/ContestTestServer.h"
#include "support/FileSizeLimit.h"
#include "support/ModalWatcher.h"
#include "support/QtPrint.h"
#include "support/TempDir.h"
#include "support/VisibleText.h"
#include "widgets/CExWidget.h"
#include "window/CMainDlg.h"
#include "window/RobotDataText.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTextCodec>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>

namespace fs = std::filesystem;
using testsupport::ContestTestServer;
using testsupport::ModalWatcher;
using testsupport::TempDir;

namespace {

TempDir* g_programDir = nullptr;

std::string Program(const char* name) {
    return std::string(MORVANE_TEST_PROGRAM_DIR) + "/" + name + ".so";
}

QString InFolder(const std::string& relative) {
    return QString::fromStdString((g_programDir->path() / relative).string());
}

// ---- robots and playgrounds, written as the installation's are ---------------------------------

void WriteRobot(const std::string& relative) {
    std::string error;
    ASSERT_TRUE(samples::WriteRover(CConfig::Instance(), g_programDir->path() / relative, error)) << error;
}

// The rover with pieces of its file's text put in others' places.
void WriteEditedRobot(
    const std::string& relative, const std::vector<std::pair<QByteArray, QByteArray>>& edits) {
    WriteRobot(relative);
    const QString path = QString::fromStdString((g_programDir->path() / relative).string());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray text = file.readAll();
    file.close();
    for (const auto& [from, to] : edits) {
        const qsizetype at = text.indexOf(from);
        ASSERT_GE(at, 0) << from.toStdString();
        text.replace(at, from.size(), to);
    }
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

void WritePlayground(const std::string& relative, int zoneScore, bool endZone, int robots = 1) {
    std::string error;
    ASSERT_TRUE(samples::WriteFirstRun(g_programDir->path() / relative, zoneScore, endZone, robots, error))
        << error;
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList Row(const QTableWidget* table, int row) {
    QStringList cells;
    for (int column = 0; column < table->columnCount(); ++column) {
        const QTableWidgetItem* item = table->item(row, column);
        cells << (item ? item->text() : QStringLiteral("<none>"));
    }
    return cells;
}

// ---- the page, driven as a student drives it ------------------------------------------------------

class SimulationPage : public testing::Test {
protected:
    void SetUp() override {
        CConfig& config = CConfig::Instance();
        config.SetLanguage(1, false);
        config.m_nRunMode = RunMode();
        config.m_bKeyDrive = false;
        config.m_bShowSensorEffect = false;
        config.m_nLevel = 0;
        const int speeds[4] = { 40, 25, 65, 15 };
        std::copy(std::begin(speeds), std::end(speeds), config.m_nDriveSpeed);
        m_watcher.SetHandler([this](QWidget* modal) { Answer(modal); });
        m_window = std::make_unique<Ui::CMainDlg>(config);
        m_window->FrameLoop().Start();
        m_window->resize(900, 650);
        m_window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
        m_window->tabWidget->setCurrentWidget(m_window->tab3);
        m_window->FrameTimer()->start(1);
    }

    void TearDown() override {
        m_watcher.SetHandler({});
        m_window.reset();
    }

    virtual int RunMode() const { return RunModeEducation; }

    Ui::CMainDlg& W() { return *m_window; }
    CEmuApp& Emu() { return *m_window->GetEmuApp(); }
    SRobThreadData& Block() { return *Emu().GetLoadBlock(); }

    // ---- what the student answers the page's dialogs ------------------------------------------
    virtual void Answer(QWidget* modal) {
        if (auto* files = qobject_cast<QFileDialog*>(modal)) {
            auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (m_files.empty() || !name || !files->isVisible() || files == m_lastFiles)
                return;
            m_lastFiles = files;
            ++m_fileDialogs;
            m_fileFolders << files->directory().absolutePath();
            const QString wanted = m_files.front();
            name->setText(wanted);
            m_files.pop_front();
            QTest::keyClick(name, Qt::Key_Return);
            // A name the dialog does not take (with a box that says so) leaves
            // it open: the case cannot go on.
            if (files->isVisible()) {
                QMetaObject::invokeMethod(files, &QDialog::reject, Qt::QueuedConnection);
                FAIL() << "the file dialog did not take " << qPrintable(wanted);
            }
        } else if (auto* input = qobject_cast<CInputDlg*>(modal)) {
            if (m_inputs.empty() || input == m_lastInput)
                return;
            m_lastInput = input;
            m_inputShown << input->LineEdit()->text();
            input->LineEdit()->setText(m_inputs.front());
            m_inputs.pop_front();
            ModalWatcher::Post(input->ButtonOK());
        } else if (auto* score = qobject_cast<CScoreDlg*>(modal)) {
            if (score == m_lastScore)
                return;
            m_lastScore = score;
            m_scoreRows.clear();
            for (int row = 0; row < score->GetTable()->rowCount(); ++row)
                m_scoreRows.push_back(Row(score->GetTable(), row));
            // What the name column needs to show every name whole.
            const QAbstractItemView* view = score->GetTable();
            m_namesWhole = score->GetTable()->columnWidth(0) >= view->sizeHintForColumn(0);
            m_bundleWhenScored = QFile::exists(InFolder("Temp/temp.3d"));
            m_uploadWhenScored = W().action_Up3DFile->isVisible();
            m_framesWhenScored = Emu().GetFrameCount();
            m_timeWhenScored = W().label_Time->text();
            // The lines under the table, as the student reads them, and the
            // button that closes the dialog.
            const QLabel* notes = score->NoteLabel();
            m_scoreNotes = notes && notes->isVisible() ? notes->text() : QString();
            m_notesCut = notes ? testsupport::CutText(*notes) : QString();
            QPushButton* ok = score->ButtonOK();
            if (!ok || !ok->isVisible() || !testsupport::CutText(*ok).isEmpty() || ok->text().isEmpty()) {
                QMetaObject::invokeMethod(score, &QDialog::reject, Qt::QueuedConnection);
                FAIL() << "the score table has no OK button to close it";
            }
            ModalWatcher::Post(ok);
        } else if (auto* drive = qobject_cast<CDriveSetDlg*>(modal)) {
            if (m_speeds.empty() || drive == m_lastDrive)
                return;
            m_lastDrive = drive;
            for (int i = 0; i < CDriveSetDlg::kSpeedCount; ++i)
                drive->SpeedEdit(i)->setText(m_speeds[std::size_t(i)]);
            ModalWatcher::Post(drive->ButtonOK());
        } else if (auto* robots = qobject_cast<CMultiRobDlg*>(modal)) {
            AnswerRobots(robots);
        } else if (auto* rules = qobject_cast<CRuleDlg*>(modal)) {
            if (rules == m_lastRules)
                return;
            m_lastRules = rules;
            m_rulesShown << rules->windowTitle();
            m_rulesNotes << (rules->NoteLabel() && rules->NoteLabel()->isVisible()
                    ? rules->NoteLabel()->text()
                    : QString());
            ModalWatcher::Post(rules->ButtonOK());
        } else if (auto* load = qobject_cast<CLoadDlg*>(modal)) {
            // An example: its robot and its playground.
            if (load != m_lastLoad) {
                m_lastLoad = load;
                ModalWatcher::Post(load->ButtonOK());
            }
        }
    }

    // Fills the several-robots dialog row by row through its browse items,
    // each of which opens a file dialog; OK once every row wanted is full.
    void AnswerRobots(CMultiRobDlg* robots) {
        if (robots != m_lastRobots) {
            // What the dialog shows as it opens: each row's robot and program.
            m_lastRobots = robots;
            m_rowsShown.clear();
            for (int row = 0; row < CMultiRobDlg::kRows; ++row) {
                const auto shown = [&](int column) {
                    const QComboBox* combo = robots->Combo(row, column);
                    return combo->currentIndex() > 1 ? combo->toolTip() : QString();
                };
                m_rowsShown.emplace_back(shown(0), shown(1));
            }
        }
        if (m_rows.empty() || !m_files.empty())
            return;
        for (std::size_t row = 0; row < m_rows.size(); ++row) {
            for (int column = 0; column < 2; ++column) {
                QComboBox* combo = robots->Combo(int(row), column);
                const QString wanted = column == 0 ? m_rows[row].first : m_rows[row].second;
                // No file wanted: the empty item.
                if (wanted.isEmpty()) {
                    if (combo->currentIndex() != 0)
                        combo->setCurrentIndex(0);
                    continue;
                }
                if (combo->currentIndex() == 2 && combo->toolTip() == wanted)
                    continue;
                m_files.push_back(wanted);
                QMetaObject::invokeMethod(
                    combo, [combo] { combo->setCurrentIndex(1); }, Qt::QueuedConnection);
                return;
            }
        }
        m_rows.clear();
        ModalWatcher::Post(robots->ButtonOK());
    }

    // The action, as picked from a menu or a tool bar: whatever dialogs it
    // opens are answered while it runs.
    void Pick(QAction* action) {
        QMetaObject::invokeMethod(action, &QAction::trigger, Qt::QueuedConnection);
        QTest::qWait(0);
    }

    // The window itself is application modal: a dialog is open when
    // another modal is on top of it.
    bool NoDialogOpen() const { return QApplication::activeModalWidget() == m_window.get(); }

    // The helpers below do nothing once the case has failed, so that a
    // failing case ends at once rather than after every wait of its steps.
    bool WaitForLoad(int robots) {
        return testsupport::Await(
                   [&] { return !Emu().IsLoading() && Emu().GetRobotCount() == robots; }, 30000)
            && testsupport::Await([&] { return !W().ProgressDialog()->isVisible(); }, 5000);
    }

    void LoadRobot(const QString& file, int robots = 1) {
        if (HasFatalFailure())
            return;
        m_files.push_back(file);
        Pick(W().action_LoadRobot);
        ASSERT_TRUE(testsupport::Await([&] { return m_files.empty(); }, 5000));
        ASSERT_TRUE(WaitForLoad(robots));
    }

    void LoadProgram(const std::string& program) {
        if (HasFatalFailure())
            return;
        m_files.push_back(QString::fromStdString(program));
        Pick(W().action_LoadStrategy);
        ASSERT_TRUE(testsupport::Await([&] { return m_files.empty(); }, 5000));
        QTest::qWait(50);
    }

    void LoadPlayground(const QString& file, int robots = 1) {
        if (HasFatalFailure())
            return;
        m_files.push_back(file);
        Pick(W().action_LoadGround);
        ASSERT_TRUE(testsupport::Await([&] { return m_files.empty(); }, 5000));
        ASSERT_TRUE(WaitForLoad(robots));
    }

    // The start button of the simulation tool bar, as the student clicks it
    // (once a run is going, the same button stops it).
    void PressStart() {
        QWidget* button = W().VirtualToolBar()->widgetForAction(W().action_VirtualStart);
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // Starts a run and waits until it has ended by itself and the score
    // table has been read and closed.
    bool RunToTheEnd() {
        if (HasFatalFailure())
            return false;
        // The robots are loaded again after the run.
        const int robots = Emu().GetRobotCount();
        m_lastScore = nullptr;
        m_scoreRows.clear();
        PressStart();
        if (!W().IsEmuRunning())
            return false;
        return testsupport::Await([&] { return !W().IsEmuRunning() && !m_scoreRows.empty(); }, 60000)
            && WaitForLoad(robots);
    }

    std::unique_ptr<Ui::CMainDlg> m_window;
    ModalWatcher m_watcher;
    std::deque<QString> m_files;
    QStringList m_fileFolders;
    int m_fileDialogs = 0;
    // Dialogs answered already; a dialog opened later may take the place in
    // memory of one that has gone.
    QPointer<QFileDialog> m_lastFiles;
    std::deque<QString> m_inputs;
    QStringList m_inputShown;
    QPointer<CInputDlg> m_lastInput;
    std::vector<QStringList> m_scoreRows;
    bool m_bundleWhenScored = false;
    bool m_uploadWhenScored = false;
    int m_framesWhenScored = -1;
    QString m_timeWhenScored;
    QString m_scoreNotes;
    QString m_notesCut;
    QPointer<CScoreDlg> m_lastScore;
    bool m_namesWhole = false;
    std::vector<QString> m_speeds;
    QPointer<CDriveSetDlg> m_lastDrive;
    QPointer<CLoadDlg> m_lastLoad;
    QPointer<CRuleDlg> m_lastRules;
    QStringList m_rulesShown;
    QStringList m_rulesNotes;
    std::vector<std::pair<QString, QString>> m_rows;
    QPointer<CMultiRobDlg> m_lastRobots;
    std::vector<std::pair<QString, QString>> m_rowsShown;
};

} // namespace

TEST_F(SimulationPage, ARobotRunsItsProgramOnAPlaygroundUntilTheEndZoneAndIsScored) {
    // Before anything is loaded a frame shows no time and a score of 0.
    W().slot_Update();
    EXPECT_EQ(W().label_Score->text(), QStringLiteral("Score: 0"));
    EXPECT_EQ(W().label_Time->text(), QStringLiteral("0.00 s"));
    // The time is headed as the time.
    EXPECT_EQ(W().label_2->text(), QStringLiteral("Time"));

    // The robot and the playground that come with the installation.

    // The loader's progress shows in the progress dialog while the robot
    // loads, and the dialog goes at 100.
    std::vector<std::pair<int, bool>> progress;
    QObject::connect(&Emu(), &CEmuApp::signal_Ui_SetProgress, &W(), [&](int percent) {
        progress.emplace_back(percent,
            W().ProgressDialog()->isVisible() && W().ProgressDialog()->ProgressBar()->value() == percent);
    });
    LoadRobot(InFolder("robot/rover.rob"));
    EXPECT_EQ(m_fileFolders.value(0), InFolder("robot"));
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), std::make_pair(100, false));
    for (std::size_t i = 0; i + 1 < progress.size(); ++i)
        EXPECT_LT(progress[i].first, 100);
    for (std::size_t i = 0; i + 1 < progress.size(); ++i)
        EXPECT_TRUE(progress[i].second) << "the dialog shows " << progress[i].first << "%";

    LoadProgram(Program("drive"));
    LoadPlayground(InFolder("playground/first_run.pla"));
    EXPECT_EQ(
        Block().m_vecRobotFiles, std::vector<std::string> { InFolder("robot/rover.rob").toStdString() });
    EXPECT_EQ(Block().m_strProgramFile, Program("drive"));
    EXPECT_EQ(Block().m_strPlaygroundFile, InFolder("playground/first_run.pla").toStdString());
    EXPECT_EQ(W().label_Score->text(), QStringLiteral("Score: 0"));
    EXPECT_EQ(W().label_Time->text(), QStringLiteral("0.00 s"));

    // The robot data panel shows the robot's texts in every frame.
    ASSERT_TRUE(W().action_Show_Message->isEnabled());
    Pick(W().action_Show_Message);
    ASSERT_TRUE(QTest::qWaitFor([&] { return W().RobotDataPanel()->isVisible(); }, 5000));
    EXPECT_EQ(W().RobotDataPanel()->GetComboBox()->currentText(), QStringLiteral("rover.rob"));
    // At the right edge of the view, 120 below its top.
    EXPECT_EQ(W().RobotDataPanel()->pos(),
        W().mapToGlobal(
            QPoint(W().widget_5->width() - W().RobotDataPanel()->width() + 20, W().widget_5->y() + 120)));

    PressStart();
    ASSERT_TRUE(W().IsEmuRunning());
    EXPECT_EQ(W().action_VirtualStart->text(), QStringLiteral("Stop"));
    EXPECT_EQ(W().action_VirtualStart->statusTip(),
        CConfig::Instance().GetText("CMainDlg", "f_LanguageEmuApp", "m_sEmuApp_Start4"));
    for (QAction* hidden : { W().action_LoadRobot, W().action_LoadStrategy, W().action_LoadGround,
             W().action_Multiplayer_Game, W().action_RobotMove })
        EXPECT_FALSE(hidden->isVisible()) << hidden->text().toStdString();

    // Frame by frame: the program answers the step it was given ("p" and
    // the step in its output), and the panel shows the two texts of one
    // exchange together, with the table of what they say.
    QStringList seen;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const QString text = W().RobotDataPanel()->TextEdit()->toPlainText();
            if (seen.isEmpty() || seen.back() != text)
                seen << text;
            return seen.size() >= 4 || !W().IsEmuRunning();
        },
        20000));
    ASSERT_GE(seen.size(), 4) << "the panel's text changes as the run goes";
    int lastStep = -1;
    for (const QString& text : seen.mid(1)) {
        const QStringList lines = text.split(QStringLiteral("\n"));
        ASSERT_EQ(lines.size(), 8) << text.toStdString();
        EXPECT_EQ(lines[0], QStringLiteral("Device\tPort\tValue"));
        EXPECT_EQ(lines[1], QStringLiteral("Motor\t1\t50_M"));
        EXPECT_EQ(lines[2], QStringLiteral("Motor\t2\t50_M"));
        const QStringList input = lines[7].split(QLatin1Char(' '));
        ASSERT_GE(input.size(), 2) << lines[7].toStdString();
        const QString heading = input[1].section(QLatin1Char('*'), 2, 2);
        EXPECT_EQ(lines[3], QStringLiteral("Compass\t3\t%1_P").arg(heading));
        EXPECT_EQ(lines[5], QStringLiteral("Texts exchanged (output, input):"));
        EXPECT_EQ(lines[6], QStringLiteral("1*50* 2*50* p%1").arg(input[0]));
        EXPECT_GT(input[0].toInt(), lastStep);
        lastStep = input[0].toInt();
    }

    // The end zone stops the run; the score table has the robot's name,
    // the time and the two zones' scores.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !W().IsEmuRunning() && !m_scoreRows.empty(); }, 60000));
    ASSERT_EQ(m_scoreRows.size(), 1u);
    EXPECT_EQ(
        m_scoreRows[0], (QStringList { QStringLiteral("rover"), m_scoreRows[0][1], QStringLiteral("15") }));
    EXPECT_EQ(m_scoreRows[0][1], QStringLiteral("%1 s").arg(m_framesWhenScored / 100.0, 0, 'f', 2));
    EXPECT_EQ(m_timeWhenScored, m_scoreRows[0][1]);
    EXPECT_GT(m_framesWhenScored, 0);
    EXPECT_EQ(m_scoreNotes, QString()) << "a run that went well needs no word";
    // Outside the classroom and the match no bundle is written.
    EXPECT_FALSE(m_bundleWhenScored);

    // The page is idle again, the robot back at its start.
    EXPECT_EQ(W().action_VirtualStart->text(), QStringLiteral("Start"));
    EXPECT_EQ(W().action_VirtualStart->statusTip(),
        CConfig::Instance().GetText("CMainDlg", "f_LanguageEmuApp", "m_sEmuApp_Start2"));
    for (QAction* shown : { W().action_LoadRobot, W().action_LoadStrategy, W().action_LoadGround,
             W().action_Multiplayer_Game, W().action_RobotMove })
        EXPECT_TRUE(shown->isVisible()) << shown->text().toStdString();
    EXPECT_FALSE(W().action_Up3DFile->isVisible());
    ASSERT_TRUE(WaitForLoad(1));
    EXPECT_EQ(W().label_Score->text(), QStringLiteral("Score: 0"));
    // The panel, hidden for the reload, is back.
    EXPECT_TRUE(QTest::qWaitFor([&] { return W().RobotDataPanel()->isVisible(); }, 5000));
}

TEST(RobotDataText, TheRobotsDevicesAndReadingsThenTheTextsThemselves) {
    window::RobotDataCaptions captions;
    captions.device = QStringLiteral("D");
    captions.port = QStringLiteral("P");
    captions.value = QStringLiteral("V");
    captions.exchanged = QStringLiteral("X");
    captions.motor = QStringLiteral("Motor");
    captions.light = QStringLiteral("Light");
    captions.sensors = { QStringLiteral("Ray"), QStringLiteral("Touch"), QStringLiteral("Compass") };
    // The robot's own motors and lights with what they hold, in its device
    // order; the step counter, then "port*kind*" and the fields of each
    // sensor; a kind without a name shows its number. What a program writes
    // shows on one line, and whatever it writes, the rows are the robot's.
    const window::RobotDevices devices { { { 1, 50 }, { 2, -20 } }, { { 3, 1 } } };
    const QString table = QStringLiteral("D\tP\tV\r\n"
                                         "Motor\t1\t50_M\r\n"
                                         "Motor\t2\t-20_M\r\n"
                                         "Light\t3\t1\r\n"
                                         "Compass\t3\t90_P\r\n"
                                         "9\t4\t1*0_P\r\n"
                                         "\r\n"
                                         "X\r\n");
    const std::string input = "7 3*2*90* 4*9*1*0* junk 5* ";
    const std::pair<std::string, QString> answers[] = {
        { "1*50* 2*-20* l3*1* 0*5*\n", QStringLiteral("1*50* 2*-20* l3*1* 0*5* ") },
        // An answer the simulation cannot read: no made-up motor on port 0
        // or 7, and the robot's motors still there.
        { "garbage* 7*30*", QStringLiteral("garbage* 7*30*") },
        { "", QString() },
    };
    for (const auto& [output, shown] : answers)
        EXPECT_EQ(window::RobotDataText(captions, devices, output, input),
            table + shown + QStringLiteral("\r\n") + QString::fromStdString(input))
            << output;
    // A robot without devices that has not been stepped yet.
    EXPECT_EQ(window::RobotDataText(captions, {}, "", ""), QStringLiteral("D\tP\tV\r\n\r\nX\r\n\r\n"));
}

// A program that answers what the simulation cannot read leaves the robot
// data panel with the robot's own motors, on their ports and at the values
// they hold, and with no motor the robot does not have.
TEST_F(SimulationPage, RobotDataListsTheRobotsOwnMotorsWhateverItsProgramAnswers) {
    // The program's host inherits this process's environment.
    ASSERT_EQ(setenv("MORVANE_TEST_OUTPUT", "garbage* 7*30*", 1), 0);
    const auto unset = qScopeGuard([] { unsetenv("MORVANE_TEST_OUTPUT"); });
    WriteRobot("robot/rover.rob");
    WritePlayground("playground/first_run.pla", 10, true);
    LoadRobot(InFolder("robot/rover.rob"));
    LoadProgram(Program("fixed_output"));
    LoadPlayground(InFolder("playground/first_run.pla"));
    Pick(W().action_Show_Message);
    ASSERT_TRUE(QTest::qWaitFor([&] { return W().RobotDataPanel()->isVisible(); }, 5000));
    PressStart();
    ASSERT_TRUE(W().IsEmuRunning());
    QString text;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            text = W().RobotDataPanel()->TextEdit()->toPlainText();
            return text.contains(QStringLiteral("garbage"));
        },
        20000))
        << text.toStdString();
    const QStringList lines = text.split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 4) << text.toStdString();
    EXPECT_EQ(lines[1], QStringLiteral("Motor\t1\t0_M")) << text.toStdString();
    EXPECT_EQ(lines[2], QStringLiteral("Motor\t2\t0_M")) << text.toStdString();
    EXPECT_EQ(lines.filter(QRegularExpression(QStringLiteral("^Motor\t"))).size(), 2) << text.toStdString();
    PressStart();
}

TEST_F(SimulationPage, TheTimeLimitEndsTheRunAtItsLimit) {
    WriteRobot("robot/base.rob");
    WritePlayground("playground/score_only.pla", 10, false);
    LoadRobot(InFolder("robot/base.rob"));
    LoadProgram(Program("drive"));
    LoadPlayground(InFolder("playground/score_only.pla"));

    // Seconds typed, hundredths kept; shown again in seconds.
    const auto setLimit = [&](const char* typed) {
        m_inputs.push_back(QString::fromLatin1(typed));
        Pick(W().action_EmuMaxTime);
        return QTest::qWaitFor([&] { return m_inputs.empty() && NoDialogOpen(); }, 5000);
    };
    ASSERT_TRUE(setLimit("12"));
    EXPECT_EQ(Emu().m_nMaxTime, 1200);
    ASSERT_TRUE(setLimit("no number"));
    EXPECT_EQ(m_inputShown.back(), QStringLiteral("12"));
    EXPECT_EQ(Emu().m_nMaxTime, 0);
    // More seconds than the limit can count in hundredths: the longest one.
    ASSERT_TRUE(setLimit("99999999"));
    EXPECT_EQ(Emu().m_nMaxTime, 2147483600);
    ASSERT_TRUE(setLimit("1"));
    EXPECT_EQ(Emu().m_nMaxTime, 100);

    ASSERT_TRUE(RunToTheEnd());
    EXPECT_EQ(m_framesWhenScored, 100);
    EXPECT_EQ(m_timeWhenScored, QStringLiteral("1.00 s"));
    ASSERT_EQ(m_scoreRows.size(), 1u);
    EXPECT_EQ(m_scoreRows[0],
        (QStringList { QStringLiteral("base"), QStringLiteral("1.00 s"), QStringLiteral("10") }));
}

// A start zone that no robot is in stops the run in its first frame: the
// score table says which zone. A program that crashes in its tenth step is
// told as it happens and at the score table, with the robot and the file
// the student chose.
TEST_F(SimulationPage, ARunThatStopsAtOnceAndAProgramDroppedInARunAreTold) {
    WriteRobot("robot/base.rob");
    // Two start zones, one robot: nothing is in the second.
    WritePlayground("playground/two_starts.pla", 10, false, 2);
    LoadRobot(InFolder("robot/base.rob"));
    LoadProgram(Program("drive"));
    LoadPlayground(InFolder("playground/two_starts.pla"));
    ASSERT_TRUE(RunToTheEnd());
    EXPECT_EQ(m_framesWhenScored, 0);
    EXPECT_EQ(m_scoreNotes, QStringLiteral("The run stopped at once: no robot was inside start zone 2."));
    EXPECT_EQ(m_notesCut, QString());

    // A finish zone in Leave mode that no robot starts in ends the run in
    // its first frame, and the score table says so.
    WritePlayground("playground/leave.pla", 10, true);
    const std::string leave = InFolder("playground/leave.pla").toStdString();
    PlaygroundFile leaveFile;
    std::string error;
    ASSERT_TRUE(leaveFile.Load(leave, error)) << error;
    for (PlaygroundFile::Item& zone : leaveFile.arrays[PlaygroundFile::ArrayTrigger]) {
        if (zone.info.m_desc.m_nSubType == TriggerEnd)
            zone.info.m_state.m_nTriggerMode = 2;
    }
    ASSERT_TRUE(leaveFile.Save(leave, error)) << error;
    LoadPlayground(InFolder("playground/leave.pla"));
    m_lastScore = nullptr;
    m_scoreRows.clear();
    ASSERT_TRUE(RunToTheEnd());
    EXPECT_EQ(m_framesWhenScored, 0);
    EXPECT_EQ(m_scoreNotes,
        QStringLiteral(
            "The run ended at once: finish zone 1 is a Leave zone, which acts while a robot is outside "
            "it, and no robot started in it."));
    EXPECT_EQ(m_notesCut, QString());

    // A robot whose motors drive no wheel stands still: told once it is
    // loaded, in the status bar, and in the score table.
    // Its file joins no wheel to either motor.
    WriteEditedRobot("robot/idle.rob",
        { { "<join_motor>", "<join_motor_none>" }, { "</join_motor>", "</join_motor_none>" } });
    LoadPlayground(InFolder("playground/two_starts.pla"));
    LoadRobot(InFolder("robot/idle.rob"));
    const QString idle
        = QStringLiteral("idle: Motor1 (port: 1) drives no wheel, so it turns nothing in the run.\n"
                         "idle: Motor2 (port: 2) drives no wheel, so it turns nothing in the run.");
    EXPECT_EQ(W().statusbar->currentMessage(), QString(idle).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    ASSERT_TRUE(RunToTheEnd());
    EXPECT_EQ(
        m_scoreNotes, QStringLiteral("The run stopped at once: no robot was inside start zone 2.\n") + idle);
    EXPECT_EQ(m_notesCut, QString());
    LoadRobot(InFolder("robot/base.rob"));

    WritePlayground("playground/score_only.pla", 10, false);
    LoadPlayground(InFolder("playground/score_only.pla"));
    LoadProgram(Program("drive_crash_in_tenth_step"));
    m_lastScore = nullptr;
    m_scoreRows.clear();
    PressStart();
    const QString told
        = QStringLiteral("Robot 1 (base): its program drive_crash_in_tenth_step.so was stopped: it crashed.");
    ASSERT_TRUE(testsupport::Await([&] { return W().statusbar->currentMessage() == told; }, 20000))
        << W().statusbar->currentMessage().toStdString();
    PressStart();
    ASSERT_TRUE(testsupport::Await([&] { return !m_scoreRows.empty(); }, 10000));
    EXPECT_EQ(m_scoreNotes, told);
    EXPECT_EQ(m_notesCut, QString());
    ASSERT_TRUE(WaitForLoad(1));
}

TEST_F(SimulationPage, AnExampleLevelIsPassedWithAScoreOf100AndNotOf99) {
    // The studio's example of level 1, with a robot and playground of this
    // test's own in its place.
    WriteRobot("XML/studio0/examples/follow_line/follow_line.rob");
    WritePlayground("XML/studio0/examples/follow_line/follow_line.pla", 95, true);
    WritePlayground("playground/level100.pla", 95, true);
    WritePlayground("playground/level99.pla", 94, true);
    CConfig& config = CConfig::Instance();

    // The example of the level after the last one passed, from the
    // Examples menu, run with a program of the student's own.
    QAction* example = nullptr;
    for (QAction* action : W().menu_2->actions()) {
        if (action->objectName() == QStringLiteral("1,1"))
            example = action;
    }
    ASSERT_NE(example, nullptr);
    Pick(example);
    ASSERT_TRUE(WaitForLoad(1));
    EXPECT_EQ(W().ExampleLevel(), 1);
    LoadProgram(Program("drive"));
    ASSERT_TRUE(RunToTheEnd());
    ASSERT_EQ(m_scoreRows.size(), 1u);
    EXPECT_EQ(m_scoreRows[0][2], QStringLiteral("100"));
    EXPECT_EQ(config.m_nLevel, 1);
    EXPECT_TRUE(W().label_StatusLv->text().endsWith(QStringLiteral("1")))
        << W().label_StatusLv->text().toStdString();
    // Kept for the next start.
    EXPECT_EQ(CConfig(g_programDir->qpath()).m_nLevel, 1);

    // Loading another playground leaves no example loaded.
    LoadPlayground(InFolder("playground/level99.pla"));
    EXPECT_EQ(W().ExampleLevel(), 0);
    W().SetExampleLevel(2);
    ASSERT_TRUE(RunToTheEnd());
    EXPECT_EQ(m_scoreRows[0][2], QStringLiteral("99"));
    EXPECT_EQ(config.m_nLevel, 1);

    // Passing a level beyond the next one gives nothing.
    LoadPlayground(InFolder("playground/level100.pla"));
    W().SetExampleLevel(3);
    ASSERT_TRUE(RunToTheEnd());
    EXPECT_EQ(m_scoreRows[0][2], QStringLiteral("100"));
    EXPECT_EQ(config.m_nLevel, 1);
}

TEST_F(SimulationPage, TheKeyboardDrivesTheFirstRobotAtTheDriveSettingsSpeeds) {
    WriteRobot("robot/base.rob");
    WritePlayground("playground/level100.pla", 95, true);
    LoadRobot(InFolder("robot/base.rob"));
    LoadProgram(Program("drive"));
    LoadPlayground(InFolder("playground/level100.pla"));
    W().SetExampleLevel(1);

    m_speeds = { QStringLiteral("70"), QStringLiteral("30"), QStringLiteral("60"), QStringLiteral("20") };
    Pick(W().DriveSetAction());
    ASSERT_TRUE(QTest::qWaitFor([&] { return CConfig::Instance().m_nDriveSpeed[3] == 20; }, 5000));
    EXPECT_EQ(CConfig::Instance().m_nDriveSpeed[0], 70);
    EXPECT_EQ(CConfig::Instance().m_nDriveSpeed[1], 30);
    EXPECT_EQ(CConfig::Instance().m_nDriveSpeed[2], 60);
    Pick(W().DriveAction());
    ASSERT_TRUE(QTest::qWaitFor([&] { return CConfig::Instance().m_bKeyDrive; }, 5000));
    EXPECT_TRUE(W().DriveAction()->isChecked());

    Pick(W().action_Show_Message);
    ASSERT_TRUE(QTest::qWaitFor([&] { return W().RobotDataPanel()->isVisible(); }, 5000));
    m_scoreRows.clear();
    PressStart();
    ASSERT_TRUE(W().IsEmuRunning());
    const auto drive = [&](std::initializer_list<Qt::Key> keys, const char* left, const char* right) {
        for (Qt::Key key : keys)
            QTest::keyPress(W().widget_5, key);
        const QString motors = QStringLiteral("Motor\t1\t%1_M\nMotor\t2\t%2_M\n")
                                   .arg(QLatin1String(left), QLatin1String(right));
        const bool shown = QTest::qWaitFor(
            [&] { return W().RobotDataPanel()->TextEdit()->toPlainText().contains(motors); }, 5000);
        for (Qt::Key key : keys)
            QTest::keyRelease(W().widget_5, key);
        return shown;
    };
    // Turns on the spot at the turning speed, curves at the two curve
    // speeds (the inner wheel the slower), each way; not the program's 50.
    EXPECT_TRUE(drive({ Qt::Key_Left }, "-30", "30"));
    EXPECT_TRUE(drive({ Qt::Key_Right }, "30", "-30"));
    EXPECT_TRUE(drive({ Qt::Key_Up, Qt::Key_Left }, "20", "60"));
    EXPECT_TRUE(drive({ Qt::Key_Up, Qt::Key_Right }, "60", "20"));
    // Straight ahead at the straight speed, through the score zone into the
    // end zone.
    QTest::keyPress(W().widget_5, Qt::Key_Up);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return W().RobotDataPanel()->TextEdit()->toPlainText().contains(
                QStringLiteral("Motor\t1\t70_M\nMotor\t2\t70_M\n"));
        },
        5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_scoreRows.empty(); }, 30000));
    QTest::keyRelease(W().widget_5, Qt::Key_Up);

    // A driven run's score says so, and passes no level.
    ASSERT_EQ(m_scoreRows.size(), 1u);
    EXPECT_EQ(m_scoreRows[0][2], QStringLiteral("Keyboard 100"));
    EXPECT_EQ(CConfig::Instance().m_nLevel, 0);
}

TEST_F(SimulationPage, SeveralRobotsRunEachWithItsOwnProgram) {
    WriteRobot("robot/base.rob");
    // A name longer than the score table's columns are wide.
    const QString second = QStringLiteral("second_robot_of_the_blue_team_in_class_four_b");
    WriteRobot("robot/" + second.toStdString() + ".rob");
    WritePlayground("playground/two.pla", 10, false, 2);
    LoadPlayground(InFolder("playground/two.pla"), 0);

    m_rows = { { InFolder("robot/base.rob"), QString::fromStdString(Program("drive")) },
        { InFolder("robot/" + second.toStdString() + ".rob"),
            QString::fromStdString(Program("drive_back")) } };
    Pick(W().action_Multiplayer_Game);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_rows.empty(); }, 10000));
    ASSERT_TRUE(WaitForLoad(2));
    EXPECT_EQ(Block().m_vecRobotFiles,
        (std::vector<std::string> { InFolder("robot/base.rob").toStdString(),
            InFolder("robot/" + second.toStdString() + ".rob").toStdString() }));
    EXPECT_EQ(
        Block().m_vecProgramFiles, (std::vector<std::string> { Program("drive"), Program("drive_back") }));
    // The scores stand apart: "0,0" would read as one number.
    EXPECT_EQ(W().label_Score->text(), QStringLiteral("Score: 0, 0"));
    // The follow menu lists both robots.
    ASSERT_EQ(W().menu_View_Flow->actions().size(), 2);
    EXPECT_EQ(W().menu_View_Flow->actions()[1]->text(), second + ".rob");

    Pick(W().action_Show_Message);
    ASSERT_TRUE(QTest::qWaitFor([&] { return W().RobotDataPanel()->isVisible(); }, 5000));
    QComboBox* robots = W().RobotDataPanel()->GetComboBox();
    ASSERT_EQ(robots->count(), 2);
    EXPECT_EQ(robots->itemText(1), second + ".rob");
    // Following a robot takes the mouse modes away; following the other
    // lets the first go.
    QAction* followFirst = W().menu_View_Flow->actions()[0];
    QAction* followSecond = W().menu_View_Flow->actions()[1];
    followSecond->trigger();
    EXPECT_TRUE(Emu().m_bFollow);
    EXPECT_FALSE(W().action_RobotMove->isVisible());
    followFirst->trigger();
    EXPECT_TRUE(followFirst->isChecked());
    EXPECT_FALSE(followSecond->isChecked());
    EXPECT_TRUE(followSecond->isEnabled());
    EXPECT_FALSE(W().action_RobotRotate->isVisible());
    PressStart();
    ASSERT_TRUE(W().IsEmuRunning());
    const auto outputShows = [&](int robot, const char* motors) {
        robots->setCurrentIndex(robot);
        return QTest::qWaitFor(
            [&] {
                const QStringList lines
                    = W().RobotDataPanel()->TextEdit()->toPlainText().split(QLatin1Char('\n'));
                return lines.size() > 6 && lines[6].startsWith(QLatin1String(motors));
            },
            5000);
    };
    EXPECT_TRUE(outputShows(1, "1*-30* 2*-30* p"));
    EXPECT_TRUE(outputShows(0, "1*50* 2*50* p"));
    EXPECT_TRUE(outputShows(1, "1*-30* 2*-30* p"));
    // One score per robot, the first robot's first.
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return W().label_Score->text() == QStringLiteral("Score: 10, 0"); }, 20000))
        << W().label_Score->text().toStdString();

    m_scoreRows.clear();
    PressStart();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_scoreRows.empty(); }, 10000));
    ASSERT_EQ(m_scoreRows.size(), 2u);
    EXPECT_EQ(m_scoreRows[0][0], QStringLiteral("base"));
    EXPECT_EQ(m_scoreRows[0][2], QStringLiteral("10"));
    EXPECT_EQ(m_scoreRows[1][0], second);
    EXPECT_TRUE(m_namesWhole);
    EXPECT_EQ(m_scoreRows[1][2], QStringLiteral("0"));
    ASSERT_TRUE(WaitForLoad(2));
    // Idle again, still following: the mouse modes stay away.
    EXPECT_TRUE(Emu().m_bFollow);
    EXPECT_TRUE(W().action_LoadRobot->isVisible());
    for (QAction* mode : { W().action_RobotMove, W().action_RobotRotate, W().action_RobotDel })
        EXPECT_FALSE(mode->isVisible()) << mode->text().toStdString();

    // Both robots with one program: the run keeps one program for all.
    m_rows = { { InFolder("robot/base.rob"), QString::fromStdString(Program("drive")) },
        { InFolder("robot/" + second.toStdString() + ".rob"), QString::fromStdString(Program("drive")) } };
    Pick(W().action_Multiplayer_Game);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_rows.empty(); }, 10000));
    ASSERT_TRUE(WaitForLoad(2));
    EXPECT_EQ(Block().m_strProgramFile, Program("drive"));
    EXPECT_TRUE(Block().m_vecProgramFiles.empty());

    // A robot without a program is no program that fails to load: it just
    // stands.
    const qsizetype told = m_watcher.Messages().size();
    m_rows = { { InFolder("robot/base.rob"), QString::fromStdString(Program("drive")) },
        { InFolder("robot/" + second.toStdString() + ".rob"), QString() } };
    Pick(W().action_Multiplayer_Game);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_rows.empty(); }, 10000));
    ASSERT_TRUE(WaitForLoad(2));
    EXPECT_EQ(Block().m_vecProgramFiles, (std::vector<std::string> { Program("drive"), std::string() }));
    EXPECT_EQ(m_watcher.Messages().size(), told);
}

TEST_F(SimulationPage, ARobotBeyondThePlaygroundsPartLimitsIsLeftOutAndTheRulesAreShown) {
    // The first-run playground, allowing no sensor of any kind: the rover
    // has a compass.
    WritePlayground("playground/no_sensors.pla", 10, true);
    const std::string path = InFolder("playground/no_sensors.pla").toStdString();
    PlaygroundFile playground;
    std::string error;
    ASSERT_TRUE(playground.Load(path, error)) << error;
    playground.rules = { 100, 0 };
    playground.rules.resize(2 + 20, 0);
    ASSERT_TRUE(playground.Save(path, error)) << error;
    // The robot data panel, put away for the reload, has no robot to come
    // back for once the rover is left out.
    LoadRobot(InFolder("robot/rover.rob"));
    Pick(W().action_Show_Message);
    ASSERT_TRUE(QTest::qWaitFor([&] { return W().RobotDataPanel()->isVisible(); }, 5000));
    LoadPlayground(QString::fromStdString(path), 0);
    EXPECT_EQ(m_rulesShown.size(), 1);
    EXPECT_FALSE(W().RobotDataPanel()->isVisible());
    m_rulesShown.clear();

    m_files.push_back(InFolder("robot/rover.rob"));
    m_rulesNotes.clear();
    Pick(W().action_LoadRobot);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_rulesShown.isEmpty(); }, 30000));
    EXPECT_EQ(m_rulesShown, QStringList { QStringLiteral("A robot breaks the playground's rules") });
    // The dialog says which robot and which limit.
    EXPECT_EQ(m_rulesNotes,
        QStringList {
            QStringLiteral("Left out of the run: rover has 1 × Compass sensor; the playground allows 0.") });
    ASSERT_TRUE(WaitForLoad(0));
    EXPECT_FALSE(W().action_Show_Message->isEnabled());

    // Among several robots, the row too; and the score table tells it again,
    // where the student reads how the run went.
    WriteEditedRobot("robot/plain.rob",
        { { "<sensor>\n        <obj address=\"models/sensor/compass.ive\" id=\"7\" x=\"0\" y=\"4\" z=\"5.2\" "
            "q_x=\"0\" "
            "q_y=\"0\" q_z=\"0\" q_w=\"1\" sensor=\"2\" port=\"3\" opposite=\"0\" raydis=\"255\" />\n    "
            "</sensor>",
            "<sensor />" } });
    WritePlayground("playground/two_no_sensors.pla", 10, false, 2);
    const std::string two = InFolder("playground/two_no_sensors.pla").toStdString();
    ASSERT_TRUE(playground.Load(two, error)) << error;
    playground.rules = { 100, 0 };
    playground.rules.resize(2 + 20, 0);
    ASSERT_TRUE(playground.Save(two, error)) << error;
    LoadPlayground(QString::fromStdString(two), 0);
    m_rulesNotes.clear();
    m_rows = { { InFolder("robot/plain.rob"), QString() }, { InFolder("robot/rover.rob"), QString() } };
    Pick(W().action_Multiplayer_Game);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_rulesNotes.isEmpty(); }, 30000));
    const QString leftOut = QStringLiteral(
        "Left out of the run: rover (row 2) has 1 × Compass sensor; the playground allows 0.");
    EXPECT_EQ(m_rulesNotes, QStringList { leftOut });
    ASSERT_TRUE(WaitForLoad(1));
    Emu().m_nMaxTime = 20;
    ASSERT_TRUE(RunToTheEnd());
    Emu().m_nMaxTime = 0;
    // The rover's start zone stayed empty, and stopped the run at once.
    EXPECT_EQ(m_scoreNotes,
        QStringLiteral("The run stopped at once: no robot was inside start zone 2.\n") + leftOut);
    EXPECT_EQ(m_notesCut, QString());
}

TEST_F(SimulationPage, ABundleThatDoesNotAddUpIsRefusedAndChangesNothing) {
    WriteRobot("robot/base.rob");
    WritePlayground("playground/score_only.pla", 10, false);
    LoadRobot(InFolder("robot/base.rob"));
    LoadProgram(Program("drive"));
    LoadPlayground(InFolder("playground/score_only.pla"));
    const std::vector<std::string> robots = Block().m_vecRobotFiles;
    const std::string program = Block().m_strProgramFile;
    const std::string playground = Block().m_strPlaygroundFile;

    // Thirteen bytes that add up; one byte missing; a trailing byte; no
    // robot; no program; digits without an end.
    const QByteArray refused[] = {
        "1_4_1__xROBOP",
        "1_4_1__xROBOPROGRAM",
        "1_4_7__xROBOPROGRAMx",
        "1_0_7__xPROGRAM",
        "1_4_0__xROBOPLAYGROUND",
        "123456789012345",
    };
    int count = 0;
    for (const QByteArray& bytes : refused) {
        const std::string name = "bundles/refused" + std::to_string(count++) + ".3d";
        g_programDir->write(name, bytes);
        m_files.push_back(InFolder(name));
        Pick(W().action_LoadGround);
        ASSERT_TRUE(m_watcher.WaitForMessages(count)) << bytes.toStdString();
        EXPECT_EQ(m_watcher.Messages().back(),
            QStringLiteral("The result bundle is damaged or incomplete.\n") + InFolder(name));
    }
    // One larger than any bundle is not read at all, and says so.
    g_programDir->write("bundles/huge.3d", "");
    fs::resize_file(g_programDir->path() / "bundles/huge.3d", 1ull << 30);
    m_files.push_back(InFolder("bundles/huge.3d"));
    Pick(W().action_LoadGround);
    ASSERT_TRUE(m_watcher.WaitForMessages(++count));
    EXPECT_EQ(m_watcher.Messages().back(),
        QStringLiteral("The result bundle is damaged or incomplete.\n") + InFolder("bundles/huge.3d")
            + QStringLiteral("\nThe file cannot be read: File too large"));
    fs::remove(g_programDir->path() / "bundles/huge.3d");
    EXPECT_EQ(Block().m_vecRobotFiles, robots);
    EXPECT_EQ(Block().m_strProgramFile, program);
    EXPECT_EQ(Block().m_strPlaygroundFile, playground);
    EXPECT_FALSE(g_programDir->exists("Temp/temp.rob"));

    // A bundle that cannot be unpacked (its robot's place is taken) is
    // refused as well, and leaves the run as it was.
    fs::create_directories(g_programDir->path() / "Temp/temp.rob");
    const QByteArray sound = "1_4_7__xROBOPROGRAM";
    g_programDir->write("bundles/sound.3d", sound);
    m_files.push_back(InFolder("bundles/sound.3d"));
    Pick(W().action_LoadRobot);
    ASSERT_TRUE(m_watcher.WaitForMessages(count + 1));
    EXPECT_EQ(Block().m_vecRobotFiles, robots);
    EXPECT_EQ(Block().m_strProgramFile, program);
    fs::remove(g_programDir->path() / "Temp/temp.rob");

    // A sound bundle without a playground: its robot and its program take
    // the place of the run's (the one program of every robot), the
    // playground stays as it is, and the run is no example level any more.
    Block().m_vecProgramFiles = { program, program };
    W().SetExampleLevel(1);
    const qsizetype told = m_watcher.Messages().size();
    m_files.push_back(InFolder("bundles/sound.3d"));
    Pick(W().action_LoadStrategy);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_files.empty(); }, 5000));
    ASSERT_TRUE(WaitForLoad(0));
    EXPECT_EQ(Block().m_vecRobotFiles, std::vector<std::string> { InFolder("Temp/temp.rob").toStdString() });
    EXPECT_EQ(Block().m_strProgramFile, InFolder("Temp/temp.dll").toStdString());
    EXPECT_TRUE(Block().m_vecProgramFiles.empty());
    EXPECT_EQ(Block().m_strPlaygroundFile, playground);
    EXPECT_EQ(W().ExampleLevel(), 0);
    // "ROBO" is no robot, and that is all there is to say.
    ASSERT_TRUE(m_watcher.WaitForMessages(int(told) + 1));
    EXPECT_EQ(m_watcher.Messages().size(), told + 1);
    EXPECT_EQ(m_watcher.Messages().back(),
        CConfig::Instance().GetText("CMainDlg", "f_Ui_ReloadToEmuApp", "s") + QLatin1Char('\n')
            + InFolder("Temp/temp.rob") + QLatin1Char('\n')
            + CConfig::Instance().GetText("CMainDlg", "f_Ui_ReloadToEmuApp", "sNotRobot"));

    // A run that has no program writes no bundle, and one left from an
    // earlier run goes, so that it cannot pass for this run's.
    g_programDir->write("Temp/temp.3d", sound);
    Block().m_strProgramFile.clear();
    W().f_Save3DFile(QStringLiteral("得分:0"));
    EXPECT_FALSE(g_programDir->exists("Temp/temp.3d"));
    // Robots with programs of their own: the first robot's goes in.
    Block().m_vecRobotFiles = robots;
    Block().m_vecProgramFiles = { Program("drive"), std::string() };
    W().f_Save3DFile(QStringLiteral("得分:0"));
    ASSERT_TRUE(g_programDir->exists("Temp/temp.3d"));
    EXPECT_TRUE(
        ReadFile(InFolder("Temp/temp.3d")).contains(ReadFile(QString::fromStdString(Program("drive")))));
}

TEST_F(SimulationPage, ARobotFileThatDoesNotLoadIsToldOnceAndTheRunKeepsWhatItHad) {
    WriteRobot("robot/base.rob");
    WritePlayground("playground/score_and_end.pla", 10, true);
    LoadRobot(InFolder("robot/base.rob"));
    LoadProgram(Program("drive"));
    LoadPlayground(InFolder("playground/score_and_end.pla"));
    qsizetype told = m_watcher.Messages().size();

    // Robot files that do not load, each told with the file and why: cut
    // off in the middle, without a control unit, with a control unit whose
    // model is not there, with a model outside the program folder.
    const CConfig& config = CConfig::Instance();
    const QByteArray base = g_programDir->read("robot/base.rob");
    ASSERT_TRUE(base.contains("models/rcu/rcu.ive") && base.contains("models/sensor/compass.ive"));
    const std::tuple<std::string, QByteArray, const char*> damaged[] = {
        { "robot/damaged.rob", "<data><rcu l=\"3\"><obj address=\"models/rcu/rc", "sNotRobot" },
        { "robot/no_unit.rob", "<data><rcu l=\"2\"></rcu></data>", "sNoRcu" },
        { "robot/lost_unit.rob", QByteArray(base).replace("models/rcu/rcu.ive", "models/rcu/lost.ive"),
            "sRcuModel" },
        { "robot/outside.rob", QByteArray(base).replace("models/sensor/compass.ive", "../../compass.ive"),
            "sOutside" },
    };
    for (const auto& [file, bytes, reason] : damaged) {
        SCOPED_TRACE(file);
        g_programDir->write(file, bytes);
        m_files.push_back(InFolder(file));
        Pick(W().action_LoadRobot);
        ASSERT_TRUE(m_watcher.WaitForMessages(int(++told), 30000));
        EXPECT_EQ(m_watcher.Messages().back(),
            config.GetText("CMainDlg", "f_Ui_ReloadToEmuApp", "s") + QLatin1Char('\n') + InFolder(file)
                + QLatin1Char('\n') + config.GetText("CMainDlg", "f_Ui_ReloadToEmuApp", reason));
        // The robot loaded before is back, with its program and playground.
        ASSERT_TRUE(WaitForLoad(1));
        EXPECT_EQ(
            Block().m_vecRobotFiles, std::vector<std::string> { InFolder("robot/base.rob").toStdString() });
        EXPECT_EQ(Block().m_strProgramFile, Program("drive"));
        EXPECT_EQ(Block().m_strPlaygroundFile, InFolder("playground/score_and_end.pla").toStdString());
    }
    ASSERT_EQ(W().menu_View_Flow->actions().size(), 1);
    EXPECT_EQ(W().menu_View_Flow->actions()[0]->text(), QStringLiteral("base.rob"));
    EXPECT_TRUE(W().action_Show_Message->isEnabled());

    // The same with several robots, one of them damaged.
    m_rows = { { InFolder("robot/base.rob"), QString::fromStdString(Program("drive")) },
        { InFolder("robot/damaged.rob"), QString::fromStdString(Program("drive_back")) } };
    Pick(W().action_Multiplayer_Game);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_rows.empty(); }, 10000));
    ASSERT_TRUE(m_watcher.WaitForMessages(int(told) + 1, 30000));
    ASSERT_TRUE(WaitForLoad(1));
    EXPECT_EQ(Block().m_vecRobotFiles, std::vector<std::string> { InFolder("robot/base.rob").toStdString() });
    EXPECT_EQ(Block().m_strProgramFile, Program("drive"));
    EXPECT_TRUE(Block().m_vecProgramFiles.empty());

    // It runs, and Stop shows the score table, not the error again.
    m_lastScore = nullptr;
    m_scoreRows.clear();
    PressStart();
    ASSERT_TRUE(W().IsEmuRunning());
    ASSERT_TRUE(QTest::qWaitFor([&] { return Emu().GetFrameCount() >= 20; }, 20000));
    PressStart();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_scoreRows.empty(); }, 10000));
    ASSERT_EQ(m_scoreRows.size(), 1u);
    EXPECT_EQ(m_scoreRows[0][0], QStringLiteral("base"));
    ASSERT_TRUE(WaitForLoad(1));
    // The program drove the robot: the run to the end scores both zones.
    ASSERT_TRUE(RunToTheEnd());
    EXPECT_EQ(
        m_scoreRows[0], (QStringList { QStringLiteral("base"), m_timeWhenScored, QStringLiteral("15") }));
    QTest::qWait(100);
    EXPECT_EQ(m_watcher.Messages().size(), told + 1)
        << m_watcher.Messages().join(QLatin1Char('|')).toStdString();
}

// Several robots: a robot file that does not load is told with its row, its
// file and why, and so is a file that is no program chosen as a row's
// program, before anything loads. The run keeps what it had, and the dialog
// opens again with the rows as they were entered, gaps and all, so that only
// the bad row needs choosing again.
TEST_F(SimulationPage, SeveralRobotsTellTheRowTheFileAndWhyAndKeepTheRowsAsEntered) {
    const CConfig& config = CConfig::Instance();
    WriteRobot("robot/base.rob");
    WriteRobot("robot/second.rob");
    WriteRobot("robot/third.rob");
    WritePlayground("playground/two.pla", 10, false, 2);
    g_programDir->write("robot/cut.rob", g_programDir->read("robot/base.rob").left(300));
    g_programDir->write("programs/notes.so", "Drive forward, then turn left.\n");
    LoadRobot(InFolder("robot/base.rob"));
    LoadProgram(Program("drive"));
    LoadPlayground(InFolder("playground/two.pla"));
    const QString base = InFolder("robot/base.rob");
    const QString second = InFolder("robot/second.rob");
    const QString third = InFolder("robot/third.rob");
    const QString drive = QString::fromStdString(Program("drive"));
    const QString back = QString::fromStdString(Program("drive_back"));
    const QString notes = InFolder("programs/notes.so");
    const auto sixRows = [](std::vector<std::pair<QString, QString>> rows) {
        rows.resize(CMultiRobDlg::kRows);
        return rows;
    };
    const auto choose = [&](std::vector<std::pair<QString, QString>> rows) {
        const int dialogs = m_fileDialogs;
        m_rows = std::move(rows);
        Pick(W().action_Multiplayer_Game);
        EXPECT_TRUE(QTest::qWaitFor([&] { return m_rows.empty(); }, 10000));
        return m_fileDialogs - dialogs;
    };
    qsizetype told = m_watcher.Messages().size();

    // Row 3 (row 2 left empty) holds a robot file cut short.
    const std::vector<std::pair<QString, QString>> entered
        = { { base, drive }, {}, { InFolder("robot/cut.rob"), back } };
    choose(entered);
    ASSERT_TRUE(m_watcher.WaitForMessages(int(++told), 30000));
    EXPECT_EQ(m_watcher.Messages().back(),
        config.GetText("CMainDlg", "f_Ui_ReloadToEmuApp", "s") + QLatin1Char('\n')
            + config.GetText("CMainDlg", "f_Ui_ReloadToEmuApp", "sRow").arg(3) + InFolder("robot/cut.rob")
            + QLatin1Char('\n') + config.GetText("CMainDlg", "f_Ui_ReloadToEmuApp", "sNotRobot"));
    // The run loads what it had once more, and this time nothing fails.
    ASSERT_TRUE(QTest::qWaitFor([&] { return Block().m_nFailedRobot < 0; }, 30000));
    ASSERT_TRUE(WaitForLoad(1));
    EXPECT_EQ(Block().m_vecRobotFiles, std::vector<std::string> { base.toStdString() });
    EXPECT_EQ(Block().m_strProgramFile, Program("drive"));
    // The rows come back as entered: choosing the bad row's robot again is all.
    EXPECT_EQ(choose({ { base, drive }, {}, { second, back } }), 1);
    EXPECT_EQ(m_rowsShown, sixRows(entered));
    ASSERT_TRUE(WaitForLoad(2));
    EXPECT_EQ(
        Block().m_vecRobotFiles, (std::vector<std::string> { base.toStdString(), second.toStdString() }));
    EXPECT_EQ(
        Block().m_vecProgramFiles, (std::vector<std::string> { Program("drive"), Program("drive_back") }));

    // A third robot on a playground of two start zones has none to stand
    // in: told with its row, and the run keeps what it had.
    const std::vector<std::pair<QString, QString>> three
        = { { base, drive }, { second, back }, { third, back } };
    choose(three);
    ASSERT_TRUE(m_watcher.WaitForMessages(int(++told), 30000));
    EXPECT_EQ(m_watcher.Messages().back(),
        QStringLiteral("The robot cannot be put on the playground.\nRow 3: ") + third
            + QStringLiteral(
                "\nStart zones on the playground: 2, one for each robot; this robot has none left."));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Block().m_nFailedRobot < 0 && !Emu().IsLoading(); }, 30000));
    ASSERT_TRUE(WaitForLoad(2));
    EXPECT_EQ(
        Block().m_vecRobotFiles, (std::vector<std::string> { base.toStdString(), second.toStdString() }));
    // The rows come back as entered; emptying the third is all.
    EXPECT_EQ(choose({ { base, drive }, { second, back }, {} }), 0);
    EXPECT_EQ(m_rowsShown, sixRows(three));
    ASSERT_TRUE(WaitForLoad(2));

    // A text file as row 1's program: told before anything loads.
    const std::vector<std::pair<QString, QString>> withNotes = { { base, notes }, { second, back } };
    EXPECT_EQ(choose(withNotes), 1);
    ASSERT_TRUE(m_watcher.WaitForMessages(int(++told)));
    EXPECT_EQ(m_watcher.Messages().back(),
        config.GetText("CMainDlg", "f_LoadStrategyMessage", "s") + QLatin1Char('\n')
            + config.GetText("CMainDlg", "f_Ui_ReloadToEmuApp", "sRow").arg(1) + notes + QLatin1Char('\n')
            + config.GetText("CMainDlg", "f_LoadStrategyMessage", "sNoLibrary"));
    EXPECT_FALSE(Emu().IsLoading());
    EXPECT_EQ(Emu().GetRobotCount(), 2);
    EXPECT_EQ(
        Block().m_vecProgramFiles, (std::vector<std::string> { Program("drive"), Program("drive_back") }));
    EXPECT_EQ(choose({ { base, drive }, { second, back } }), 1);
    EXPECT_EQ(m_rowsShown, sixRows(withNotes));
    ASSERT_TRUE(WaitForLoad(2));
    QTest::qWait(50);
    EXPECT_EQ(m_watcher.Messages().size(), told) << m_watcher.Messages().join(QLatin1Char('|')).toStdString();
}

TEST_F(SimulationPage, AProgramThatDoesNotLoadIsToldWhenChosenAndTheOneBeforeStays) {
    const CConfig& config = CConfig::Instance();
    const auto refusal = [&](const QString& file, const QString& reason) {
        return config.GetText("CMainDlg", "f_LoadStrategyMessage", "s") + QLatin1Char('\n') + file
            + QLatin1Char('\n') + reason;
    };
    // A text file named like a program, chosen before any robot is loaded:
    // told at once, and nothing is taken.
    g_programDir->write("programs/not_a_program.so", "int main() { return 0; }\n");
    const QString text = InFolder("programs/not_a_program.so");
    LoadProgram(text.toStdString());
    ASSERT_TRUE(m_watcher.WaitForMessages(1));
    EXPECT_EQ(m_watcher.Messages().back(),
        refusal(text, config.GetText("CMainDlg", "f_LoadStrategyMessage", "sNoLibrary")));
    EXPECT_EQ(Block().m_strProgramFile, std::string());

    WriteRobot("robot/base.rob");
    WritePlayground("playground/score_and_end.pla", 10, true);
    LoadRobot(InFolder("robot/base.rob"));
    EXPECT_EQ(m_watcher.Messages().size(), 1);
    LoadProgram(Program("drive"));
    LoadPlayground(InFolder("playground/score_and_end.pla"));
    EXPECT_EQ(m_watcher.Messages().size(), 1);

    // With a robot and its program: the text file again, then a library
    // without "GetData", each told with its reason; the program before stays.
    LoadProgram(text.toStdString());
    ASSERT_TRUE(m_watcher.WaitForMessages(2));
    EXPECT_EQ(m_watcher.Messages().back(),
        refusal(text, config.GetText("CMainDlg", "f_LoadStrategyMessage", "sNoLibrary")));
    LoadProgram(Program("no_get_data"));
    ASSERT_TRUE(m_watcher.WaitForMessages(3));
    EXPECT_EQ(m_watcher.Messages().back(),
        refusal(QString::fromStdString(Program("no_get_data")),
            config.GetText("CMainDlg", "f_LoadStrategyMessage", "sNoFunction")
                .arg(QStringLiteral("GetData"))));
    EXPECT_TRUE(m_watcher.Messages().back().contains(QStringLiteral("GetData")));
    EXPECT_EQ(Block().m_strProgramFile, Program("drive"));
    EXPECT_TRUE(Block().m_vecProgramFiles.empty());

    // A sound program that a full disk stops is told with the system's
    // reason, never as a fault of the program: there is no room for the copy
    // it runs from.
    {
        const testsupport::FileSizeLimit full(100);
        LoadProgram(Program("drive_back"));
    }
    ASSERT_TRUE(m_watcher.WaitForMessages(4));
    EXPECT_EQ(m_watcher.Messages().back(),
        QStringLiteral("The robot program could not be loaded. Is it a robot program built for Morvane?\n")
            + QString::fromStdString(Program("drive_back"))
            + QStringLiteral("\nIts copy cannot be written into the work folder Temp: File too large"));
    EXPECT_EQ(Block().m_strProgramFile, Program("drive"));

    // The robot runs its program as before, and no run tells of the others.
    ASSERT_TRUE(RunToTheEnd());
    ASSERT_EQ(m_scoreRows.size(), 1u);
    EXPECT_EQ(m_scoreRows[0][2], QStringLiteral("15"));
    ASSERT_TRUE(RunToTheEnd());
    EXPECT_EQ(m_scoreRows[0][2], QStringLiteral("15"));
    EXPECT_EQ(m_watcher.Messages().size(), 4) << m_watcher.Messages().join(QLatin1Char('|')).toStdString();
}

TEST_F(SimulationPage, ARefusedPlaygroundIsToldInTheCurrentLanguageOnly) {
    // The window in Chinese, as the student switches it.
    for (QAction* language : W().menu_internationalization->actions()) {
        if (language->objectName() == QStringLiteral("0"))
            language->trigger();
    }
    ASSERT_EQ(CConfig::Instance().m_nLanguage, 0);
    WritePlayground("playground/score_and_end.pla", 10, true);
    LoadPlayground(InFolder("playground/score_and_end.pla"), 0);
    const qsizetype told = m_watcher.Messages().size();

    // Each refusal names the file and why, as the playground builder says it.
    g_programDir->write("playground/damaged.pla", "no playground at all");
    QImage small(300, 200, QImage::Format_RGB32);
    small.fill(Qt::white);
    QByteArray smallPng;
    QBuffer smallBuffer(&smallPng);
    ASSERT_TRUE(smallBuffer.open(QIODevice::WriteOnly) && small.save(&smallBuffer, "PNG"));
    PlaygroundFile smallGround;
    smallGround.image = smallPng.toStdString();
    std::string error;
    ASSERT_TRUE(smallGround.Save(InFolder("playground/small.pla").toStdString(), error)) << error;
    const std::pair<const char*, QString> refused[] = {
        { "playground/damaged.pla", QStringLiteral("它不是场地文件，或者已经损坏。") },
        { "playground/small.pla",
            QStringLiteral("它的地面图片是 300 x 200 像素，地面图片必须是 512 x 512 像素。") },
    };
    qsizetype seen = told;
    for (const auto& [file, why] : refused) {
        const QString path = InFolder(file);
        m_files.push_back(path);
        Pick(W().action_LoadGround);
        ASSERT_TRUE(m_watcher.WaitForMessages(int(++seen)));
        const QString message = m_watcher.Messages().back();
        EXPECT_EQ(message,
            QStringLiteral("场地文件无法载入，仍使用原来的场地:\n") + path + QLatin1Char('\n') + why);
        // No English words but the file's name.
        EXPECT_FALSE(
            QString(message).remove(path).contains(QRegularExpression(QStringLiteral("[A-Za-z]{2,}"))))
            << message.toStdString();
        EXPECT_EQ(Block().m_strPlaygroundFile, InFolder("playground/score_and_end.pla").toStdString());
    }
}

// ---- an online match ------------------------------------------------------------------------------

// The simulation page in an online match, against the stand-in contest
// server on port 4480; the match is on the installation's first-run
// playground.
class MatchPage : public SimulationPage {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.listening());
        // The web server that the login's network check looks for.
        ASSERT_TRUE(m_webServer.listen(QHostAddress::LocalHost));
        CConfig& config = CConfig::Instance();
        config.m_nProbePort = m_webServer.serverPort();
        config.m_strNetHost = QStringLiteral("127.0.0.1");
        config.m_strUser.clear();
        config.m_strPassword.clear();
        config.m_nUserId = 0;
        config.m_bHaveToOutline = false;
        ContestTestServer::Account account;
        account.password = QStringLiteral("secret");
        account.userId = 7;
        m_server.AddAccount(QStringLiteral("ann"), account);
        const QDateTime now = QDateTime::currentDateTime();
        ContestTestServer::Match match;
        match.mapName = QStringLiteral("First run");
        match.mapMd5 = MapCheckOf(ReadFile(InFolder("playground/first_run.pla")));
        match.start = now.addSecs(-3600);
        match.end = now.addSecs(30 * 60);
        match.now = now;
        m_server.SetMatch(match);
        SimulationPage::SetUp();
    }
    void TearDown() override {
        SimulationPage::TearDown();
        CConfig::Instance().CloseConnection();
    }
    int RunMode() const override { return RunModeNet; }

    // The rover and its program, then the match granted and its playground
    // loaded: the start of every run of a match.
    void EnterTheMatchWithTheRover() {
        LoadRobot(InFolder("robot/rover.rob"));
        LoadProgram(Program("drive"));
        Pick(W().action_NetMatch);
        ASSERT_TRUE(QTest::qWaitFor([&] { return W().IsMatchRunning() && W().isEnabled(); }, 10000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !Emu().IsLoading(); }, 30000));
        LoadPlayground(InFolder("playground/first_run.pla"));
    }

    void Answer(QWidget* modal) override {
        if (auto* login = qobject_cast<CLoginDlg*>(modal)) {
            if (!login->ButtonOK()->isEnabled() || login == m_lastLogin)
                return;
            // A login that came back during a run is answered once the run
            // has reached its end behind it.
            if (m_loginAfterTheRun && Emu().m_bRunning)
                return;
            m_runEndedBehindLogin = m_loginAfterTheRun && W().IsEmuRunning() && !m_lastScore;
            m_lastLogin = login;
            if (m_lastScore && m_lastScore->StatusLabel())
                m_scoreLineAtLogin = m_lastScore->StatusLabel()->text();
            if (m_giveUpLogin) {
                QMetaObject::invokeMethod(login, &QDialog::reject, Qt::QueuedConnection);
                return;
            }
            login->UserEdit()->setText(QStringLiteral("ann"));
            login->PasswordEdit()->setText(QStringLiteral("secret"));
            ModalWatcher::Post(login->ButtonOK());
            return;
        }
        auto* score = qobject_cast<CScoreDlg*>(modal);
        if (score && m_submit) {
            AnswerBySubmitting(score);
            return;
        }
        if (score && score != m_lastScore) {
            m_uploadOffered = score->UploadButton() && score->UploadButton()->isVisible();
            m_scoreNote = score->StatusLabel() ? score->StatusLabel()->text() : QString();
            m_scoreNoteCut = score->StatusLabel() ? testsupport::CutText(*score->StatusLabel()) : QString();
            if (m_giveUpLogin) {
                // The link lost while the score is shown.
                m_lastScore = score;
                m_server.Drop();
                return;
            }
        }
        SimulationPage::Answer(modal);
    }

    // The score dialog submits the score, and is closed with OK once the
    // server's answer is told. With a held status the server keeps its
    // answer until the student has tried to close the dialog (OK, then Esc).
    void AnswerBySubmitting(CScoreDlg* score) {
        if (score != m_lastScore) {
            m_lastScore = score;
            m_scoresSent = m_server.RequestsOf(QStringLiteral("Score")).size();
            m_boxesBefore = int(m_watcher.Messages().size());
            m_closeTried = false;
            m_scoreRows.push_back(Row(score->GetTable(), 0));
            m_uploadOffered = score->UploadButton() && score->UploadButton()->isVisible();
            if (!m_uploadOffered) {
                ModalWatcher::Post(score->ButtonOK());
                return;
            }
            ModalWatcher::Post(score->UploadButton());
            return;
        }
        if (m_heldStatus && !m_closeTried) {
            if (m_server.RequestsOf(QStringLiteral("Score")).size() <= m_scoresSent)
                return;
            m_closeTried = true;
            ModalWatcher::Post(score->ButtonOK());
            QMetaObject::invokeMethod(score, &QDialog::reject, Qt::QueuedConnection);
            // Then, whatever became of the dialog, the server answers.
            QMetaObject::invokeMethod(
                qApp, [this] { m_server.Send(ContestTestServer::ScoreReply(*m_heldStatus)); },
                Qt::QueuedConnection);
            return;
        }
        if (int(m_watcher.Messages().size()) > m_boxesBefore) {
            m_scoreNote = score->StatusLabel() ? score->StatusLabel()->text() : QString();
            m_scoreNoteCut = score->StatusLabel() ? testsupport::CutText(*score->StatusLabel()) : QString();
            ModalWatcher::Post(score->ButtonOK());
        }
    }

    ContestTestServer m_server { CConfig::kClassroomPort };
    QTcpServer m_webServer;
    bool m_submit = false;
    std::optional<quint32> m_heldStatus;
    size_t m_scoresSent = 0;
    int m_boxesBefore = 0;
    bool m_closeTried = false;
    // The score dialog's status line when a login came up in front of it.
    QString m_scoreLineAtLogin;
    QPointer<CLoginDlg> m_lastLogin;
    bool m_giveUpLogin = false;
    bool m_loginAfterTheRun = false;
    bool m_runEndedBehindLogin = false;
    bool m_uploadOffered = false;
    QString m_scoreNote;
    QString m_scoreNoteCut;
};

TEST_F(MatchPage, AMatchRunsOnItsOwnPlaygroundAndOffersItsScore) {
    // Before the match: a robot, its program and a playground of the
    // student's own.
    WritePlayground("playground/practice.pla", 20, true);
    LoadRobot(InFolder("robot/rover.rob"));
    LoadProgram(Program("drive"));
    LoadPlayground(InFolder("playground/practice.pla"));
    // A practice run writes no bundle.
    ASSERT_TRUE(RunToTheEnd());
    EXPECT_FALSE(m_bundleWhenScored);

    Pick(W().action_NetMatch);
    ASSERT_TRUE(QTest::qWaitFor([&] { return W().IsMatchRunning() && W().isEnabled(); }, 10000));
    // No playground loaded before the match is the match's: the scene lets
    // it go too.
    EXPECT_EQ(Block().m_strPlaygroundFile, std::string());
    EXPECT_EQ(Emu().GetPlayground()->GetFileName(), std::string());
    EXPECT_TRUE(Emu().GetPlayground()->GetTriggers().empty());
    EXPECT_FALSE(W().menu_Virtual->menuAction()->isVisible());
    // The page, entered again, has its Simulation menu.
    W().tabWidget->setCurrentWidget(W().tab1);
    W().tabWidget->setCurrentWidget(W().tab3);
    EXPECT_TRUE(W().menu_Virtual->menuAction()->isVisible());

    // A run before the match's playground is loaded: the score dialog says
    // why it offers no submission.
    ASSERT_TRUE(WaitForLoad(1));
    Emu().m_nMaxTime = 20;
    ASSERT_TRUE(RunToTheEnd());
    Emu().m_nMaxTime = 0;
    EXPECT_FALSE(m_uploadOffered);
    EXPECT_EQ(m_scoreNote,
        QStringLiteral("This run was not on the match's playground, so its score cannot be submitted. Please "
                       "load the match's playground first."));
    EXPECT_EQ(m_scoreNoteCut, QString());

    // Another playground is refused and changes nothing; the match's own
    // is taken. (The page asks for no file while the robots reload.)
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Emu().IsLoading(); }, 30000));
    m_files.push_back(InFolder("playground/practice.pla"));
    Pick(W().action_LoadGround);
    ASSERT_TRUE(m_watcher.WaitForMessages(1));
    EXPECT_EQ(m_watcher.Messages()[0],
        QStringLiteral("This is not the playground of the match. Please load the match's own playground."));
    EXPECT_EQ(Block().m_strPlaygroundFile, std::string());
    LoadPlayground(InFolder("playground/first_run.pla"));
    EXPECT_EQ(Block().m_strPlaygroundFile, InFolder("playground/first_run.pla").toStdString());

    // The end of the run: the score dialog offers the score to the server.
    ASSERT_TRUE(RunToTheEnd());
    EXPECT_TRUE(m_uploadOffered);

    // The link lost while the score is shown: its login, given up, closes
    // the program without a question.
    m_giveUpLogin = true;
    m_lastScore = nullptr;
    PressStart();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !W().isVisible(); }, 60000));
    EXPECT_EQ(m_watcher.Messages().size(), 1);
}

TEST_F(MatchPage, ALoginThatComesBackDuringARunStaysInFrontAndSendsOnce) {
    ASSERT_NO_FATAL_FAILURE(EnterTheMatchWithTheRover());

    // The server hangs up as the run starts, and takes the login that
    // follows; the run ends behind the login.
    m_loginAfterTheRun = true;
    PressStart();
    ASSERT_TRUE(W().IsEmuRunning());
    m_server.Drop();
    ASSERT_TRUE(testsupport::Await([&] { return !W().IsEmuRunning() && !m_scoreRows.empty(); }, 60000));
    EXPECT_TRUE(m_runEndedBehindLogin) << "the score came before the login was done";
    EXPECT_EQ(m_server.RequestsOf(QStringLiteral("Login")).size(), 2u);
    EXPECT_EQ(m_server.Connections(), 2);
    // Then the score, which may be submitted.
    EXPECT_TRUE(m_uploadOffered);
}

TEST_F(MatchPage, AScoreAwaitedWhileTheStudentClosesItsDialogIsToldAndCountedOnce) {
    ASSERT_NO_FATAL_FAILURE(EnterTheMatchWithTheRover());
    ASSERT_EQ(CConfig::Instance().m_nUploadsLeft, 1);

    // The server's answer, what the student is told, the uploads left after
    // it, and whether the next run still offers a submission. A refusal
    // leaves the match's one upload; a stored score uses it.
    struct Row {
        quint32 status;
        const char* told;
        int uploadsLeft;
        bool offeredAgain;
    };
    const Row rows[] = {
        { 7, "Wrong playground.", 1, true },
        { 0, "The score has been submitted.", 0, false },
    };
    m_server.SetSilent(QStringLiteral("Score"), true);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.status);
        const int boxes = int(m_watcher.Messages().size());
        const size_t scores = m_server.RequestsOf(QStringLiteral("Score")).size();
        m_submit = true;
        m_heldStatus = row.status;
        ASSERT_TRUE(RunToTheEnd());
        m_submit = false;
        ASSERT_TRUE(m_closeTried);
        ASSERT_TRUE(m_watcher.WaitForMessages(boxes + 1));
        EXPECT_EQ(m_watcher.Messages().mid(boxes), QStringList { QString::fromUtf8(row.told) });
        // The answer stays written where the score was shown.
        EXPECT_EQ(m_scoreNote, QString::fromUtf8(row.told));
        EXPECT_EQ(m_scoreNoteCut, QString());
        EXPECT_EQ(CConfig::Instance().m_nUploadsLeft, row.uploadsLeft);
        EXPECT_EQ(m_server.RequestsOf(QStringLiteral("Score")).size(), scores + 1);
        // The match goes on, and the status bar keeps counting it.
        EXPECT_TRUE(W().IsMatchRunning());
        EXPECT_TRUE(W().MatchTimeLabel()->text().startsWith(QStringLiteral("Left: ")))
            << W().MatchTimeLabel()->text().toStdString();
        EXPECT_TRUE(W().isEnabled());

        // The next run offers the submission only while the match has its
        // upload left.
        ASSERT_TRUE(RunToTheEnd());
        EXPECT_EQ(m_uploadOffered, row.offeredAgain);
        EXPECT_EQ(m_watcher.Messages().size(), boxes + 1);
    }
    EXPECT_EQ(m_scoreNote, QStringLiteral("The score of this match has already been submitted."));
    EXPECT_EQ(m_server.RequestsOf(QStringLiteral("Score")).size(), 2u);
}

TEST_F(MatchPage, AScoreAnsweredBySignedInElsewhereIsSentAgainOnceAfterTheLogin) {
    ASSERT_NO_FATAL_FAILURE(EnterTheMatchWithTheRover());

    // The server takes the score for a request of an account signed in
    // elsewhere: it answers "Login" alone.
    const QString none[3];
    m_server.ReplaceNextReply(QStringLiteral("Score"), ContestTestServer::LoginReply(0, 0, none).left(14));
    m_submit = true;
    ASSERT_TRUE(RunToTheEnd());
    m_submit = false;
    ASSERT_TRUE(m_watcher.WaitForMessages(1));
    EXPECT_EQ(m_watcher.Messages(), QStringList { QStringLiteral("The score has been submitted.") });
    // While the login was in front, the score dialog said what it waited for.
    EXPECT_EQ(m_scoreLineAtLogin,
        QStringLiteral("This account has logged in elsewhere. The score will be sent again once you have "
                       "logged in."));
    EXPECT_EQ(m_scoreNote, QStringLiteral("The score has been submitted."));
    EXPECT_EQ(m_server.RequestsOf(QStringLiteral("Login")).size(), 2u);
    EXPECT_EQ(m_server.RequestsOf(QStringLiteral("Score")).size(), 2u);
    EXPECT_EQ(CConfig::Instance().m_nUploadsLeft, 0);
    EXPECT_TRUE(W().IsMatchRunning());
}

// ---- the classroom ------------------------------------------------------------------------------------

class ClassroomPage : public SimulationPage {
protected:
    void SetUp() override {
        m_options.programDir = g_programDir->qpath();
        m_options.updateMs = 3600 * 1000;
        m_server = std::make_unique<Server>(m_options);
        SimulationPage::SetUp();
        CConfig::Instance().ConnectToServer(true);
        ASSERT_TRUE(QTest::qWaitFor([] { return Connected(); }, 5000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_server->ClientCount() == 1; }, 5000));
    }
    void TearDown() override {
        SimulationPage::TearDown();
        CConfig::Instance().CloseConnection();
        CConfig::Instance().m_strClassHost = QStringLiteral("127.0.0.1");
        m_server.reset();
    }
    int RunMode() const override { return RunModeClassroom; }

    // The address asked for again: the teacher's server is back by the
    // time the student has typed it.
    void Answer(QWidget* modal) override {
        auto* input = qobject_cast<CInputDlg*>(modal);
        const QLabel* prompt = input ? input->findChild<QLabel*>() : nullptr;
        if (prompt && input != m_lastInput && prompt->text().contains(QStringLiteral("did not answer"))) {
            m_addressPrompt = prompt->text();
            if (!m_server)
                m_server = std::make_unique<Server>(m_options);
        }
        SimulationPage::Answer(modal);
    }

    static bool Connected() {
        const QTcpSocket* socket = CConfig::Instance().m_pSocket;
        return socket && socket->state() == QAbstractSocket::ConnectedState;
    }

    QStringList Stored(const QString& pattern) const {
        return QDir(InFolder("StuFile")).entryList({ pattern }, QDir::Files);
    }

    // The upload command: the bundle chosen, the name offered and the one typed.
    void Upload(const QString& bundle, const QString& name) {
        m_files.push_back(bundle);
        m_inputs.push_back(name);
        Pick(W().action_Up3DFile);
    }

    ServerOptions m_options;
    std::unique_ptr<Server> m_server;
    QString m_addressPrompt;
};

TEST_F(ClassroomPage, TheRunsBundleReachesClassServerAndRunsTheSameRunWhenLoadedBack) {
    WriteRobot("robot/base.rob");
    WritePlayground("playground/score_and_end.pla", 10, true);
    LoadRobot(InFolder("robot/base.rob"));
    LoadProgram(Program("drive"));
    LoadPlayground(InFolder("playground/score_and_end.pla"));
    EXPECT_TRUE(W().action_Up3DFile->isVisible());
    ASSERT_TRUE(RunToTheEnd());
    const int frames = m_framesWhenScored;
    ASSERT_EQ(m_scoreRows.size(), 1u);
    EXPECT_EQ(m_scoreRows[0][2], QStringLiteral("15"));
    EXPECT_TRUE(m_bundleWhenScored) << "the bundle is there before the score table";
    // Submitting waits for the run to be over.
    EXPECT_FALSE(m_uploadWhenScored);
    EXPECT_TRUE(W().action_Up3DFile->isVisible());

    // The bundle: "TL_RL_PL_GL_", the result text in GBK, then the robot
    // file, the program and the playground file as they are.
    const QByteArray text = QTextCodec::codecForName("GBK")->fromUnicode(
        QStringLiteral("得分:15,完成时间:") + m_timeWhenScored);
    const QByteArray robot = ReadFile(InFolder("robot/base.rob"));
    const QByteArray program = ReadFile(QString::fromStdString(Program("drive")));
    const QByteArray playground = ReadFile(InFolder("playground/score_and_end.pla"));
    const QByteArray bundle = ReadFile(InFolder("Temp/temp.3d"));
    EXPECT_EQ(bundle,
        QByteArray::number(text.size()) + '_' + QByteArray::number(robot.size()) + '_'
            + QByteArray::number(program.size()) + '_' + QByteArray::number(playground.size()) + '_' + text
            + robot + program + playground);

    // Submitted under the name the student confirms; the teacher's table
    // lists the name and the score.
    Upload(InFolder("Temp/temp.3d"), QStringLiteral("Ann"));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return Stored(QStringLiteral("Ann_127.0.0.1_*.3d")).size() == 1; }, 10000));
    EXPECT_EQ(m_fileFolders.back(), InFolder("Temp"));
    EXPECT_EQ(m_inputShown.back(), QStringLiteral("temp"));
    EXPECT_EQ(ReadFile(InFolder("StuFile/") + Stored(QStringLiteral("Ann_*.3d")).front()), bundle);
    // The server's receipt tells the student it arrived, and under which
    // name the teacher finds it.
    EXPECT_EQ(W().statusbar->currentMessage(),
        QStringLiteral("The result has arrived at the teacher's server, listed under the name “Ann”."));
    m_server->RefreshScores();
    const auto* scores = m_server->findChild<QTableWidget*>(QStringLiteral("m_listScore"));
    ASSERT_EQ(scores->rowCount(), 1);
    EXPECT_EQ(scores->item(0, 1)->text(), QStringLiteral("Ann"));
    EXPECT_EQ(scores->item(0, 2)->text(),
        QStringLiteral("得分:15,完成时间:") + m_timeWhenScored.section(QLatin1Char(' '), 0, 0));

    // The link dropped since: the upload connects once more and goes out.
    CConfig::Instance().CloseConnection();
    ASSERT_FALSE(Connected());
    Upload(InFolder("Temp/temp.3d"), QStringLiteral("Ann2"));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return Stored(QStringLiteral("Ann2_127.0.0.1_*.3d")).size() == 1; }, 10000));

    // The server gone: the student is told the result was not submitted.
    CConfig::Instance().CloseConnection();
    m_server.reset();
    const int messages = int(m_watcher.Messages().size());
    Upload(InFolder("Temp/temp.3d"), QStringLiteral("Ann3"));
    ASSERT_TRUE(m_watcher.WaitForMessages(messages + 1, 10000));
    EXPECT_EQ(m_watcher.Messages().back(),
        QStringLiteral("The teacher's server cannot be reached: the result was not submitted."));
    // From that message the student corrects the address, in the dialog of
    // the start, and the result goes out without a restart.
    m_watcher.AnswerBoxesWith({ QStringLiteral("Change the address") });
    m_files.push_back(InFolder("Temp/temp.3d"));
    m_inputs = { QStringLiteral("Ann4"), QStringLiteral("127.0.0.2") };
    Pick(W().action_Up3DFile);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Stored(QStringLiteral("Ann4_*.3d")).size() == 1; }, 10000));
    EXPECT_EQ(m_addressPrompt,
        QStringLiteral(
            "The teacher's server at 127.0.0.1 did not answer.\nAddress of the teacher's ClassServer:"));
    EXPECT_EQ(m_inputShown.back(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(CConfig::Instance().m_strClassHost, QStringLiteral("127.0.0.2"));

    // Loaded back, the bundle's robot, program and playground run the same run.
    LoadRobot(InFolder("Temp/temp.3d"));
    EXPECT_EQ(Block().m_vecRobotFiles, std::vector<std::string> { InFolder("Temp/temp.rob").toStdString() });
    EXPECT_EQ(Block().m_strProgramFile, InFolder("Temp/temp.dll").toStdString());
    EXPECT_EQ(Block().m_strPlaygroundFile, InFolder("Temp/temp.pla").toStdString());
    EXPECT_EQ(ReadFile(InFolder("Temp/temp.rob")), robot);
    EXPECT_EQ(ReadFile(InFolder("Temp/temp.dll")), program);
    EXPECT_EQ(ReadFile(InFolder("Temp/temp.pla")), playground);
    ASSERT_TRUE(RunToTheEnd());
    ASSERT_EQ(m_scoreRows.size(), 1u);
    EXPECT_EQ(
        m_scoreRows[0], (QStringList { QStringLiteral("temp"), m_timeWhenScored, QStringLiteral("15") }));
    EXPECT_EQ(m_framesWhenScored, frames);
}

// A bundle that does not fit on the disk is told with the run's score,
// where the student looks for the result to submit, with the system's
// reason; no cut bundle is left to submit.
TEST_F(ClassroomPage, ABundleThatCannotBeWrittenIsToldWithTheScore) {
    WriteRobot("robot/base.rob");
    WritePlayground("playground/score_and_end.pla", 10, true);
    LoadRobot(InFolder("robot/base.rob"));
    LoadProgram(Program("drive"));
    LoadPlayground(InFolder("playground/score_and_end.pla"));
    m_scoreRows.clear();
    PressStart();
    ASSERT_TRUE(W().IsEmuRunning());
    {
        // The disk fills while the robot runs: 1,000 bytes more go on it.
        const testsupport::FileSizeLimit full(1000);
        ASSERT_TRUE(testsupport::Await([&] { return !m_scoreRows.empty(); }, 60000));
    }
    ASSERT_TRUE(testsupport::Await([&] { return !W().IsEmuRunning(); }, 10000) && WaitForLoad(1));
    ASSERT_EQ(m_scoreRows.size(), 1u);
    EXPECT_EQ(m_scoreRows[0][2], QStringLiteral("15"));
    EXPECT_EQ(m_scoreNotes,
        QStringLiteral(
            "The result bundle %1 could not be written; there is no result to submit: File too large")
            .arg(InFolder("Temp/temp.3d")));
    EXPECT_FALSE(g_programDir->exists("Temp/temp.3d"));
    EXPECT_FALSE(m_bundleWhenScored);
}

TEST_F(ClassroomPage, TheUploadTakesAnyBundleWithAResultAndARobotUnderAPlainName) {
    // No program, no playground: the upload's own rule lets it pass.
    const QByteArray bundle = "5_3_0__helloROB";
    g_programDir->write("Temp/run.2.3d", bundle);
    // A name the server could not store a file under is refused.
    Upload(InFolder("Temp/run.2.3d"), QStringLiteral("a?b"));
    ASSERT_TRUE(m_watcher.WaitForMessages(1));
    EXPECT_EQ(m_watcher.Messages().back(), QStringLiteral("The result bundle is damaged or incomplete."));
    EXPECT_EQ(m_inputShown.back(), QStringLiteral("run"));
    // Nor is a name of blanks one.
    Upload(InFolder("Temp/run.2.3d"), QStringLiteral("   "));
    ASSERT_TRUE(m_watcher.WaitForMessages(2));
    EXPECT_EQ(m_watcher.Messages().back(), QStringLiteral("The result bundle is damaged or incomplete."));
    // A name in Chinese travels as it is.
    Upload(InFolder("Temp/run.2.3d"), QStringLiteral("张三"));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return Stored(QStringLiteral("张三_127.0.0.1_*.3d")).size() == 1; }, 10000));
    EXPECT_EQ(ReadFile(InFolder("StuFile/") + Stored(QStringLiteral("张三_*.3d")).front()), bundle);
    EXPECT_EQ(W().statusbar->currentMessage(),
        QStringLiteral("The result has arrived at the teacher's server, listed under the name “张三”."));
    // A name the server makes safe is told as the teacher's table shows it.
    Upload(InFolder("Temp/run.2.3d"), QStringLiteral(".hidden"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Stored(QStringLiteral("_hidden_*.3d")).size() == 1; }, 10000));
    EXPECT_EQ(W().statusbar->currentMessage(),
        QStringLiteral("The result has arrived at the teacher's server, listed under the name “_hidden”."));

    // The server cannot store it (its receive folder is a file): no receipt
    // comes, and the student is told the result may not have arrived.
    g_programDir->write("blocked", "a file");
    m_server->findChild<QLineEdit*>(QStringLiteral("lineEdit"))->setText(InFolder("blocked"));
    for (int i = 0; i <= Server::kScoreRefreshTicks; ++i)
        ASSERT_TRUE(QMetaObject::invokeMethod(m_server.get(), "slot_Timer"));
    ASSERT_EQ(m_server->ReceiveFolder(), InFolder("blocked"));
    Upload(InFolder("Temp/run.2.3d"), QStringLiteral("lost"));
    ASSERT_TRUE(m_watcher.WaitForMessages(3, 30000));
    EXPECT_EQ(m_watcher.Messages().back(),
        QStringLiteral(
            "The result was sent, but the teacher's server did not confirm that it arrived: it may "
            "not have been stored. Please tell the teacher."));
    EXPECT_EQ(W().statusbar->currentMessage(), QString());
    QFile::remove(InFolder("blocked"));

    // No result text: refused before any name is asked for.
    g_programDir->write("Temp/empty.3d", QByteArray("0_3_1__ROBP"));
    const int asked = int(m_inputShown.size());
    m_files.push_back(InFolder("Temp/empty.3d"));
    Pick(W().action_Up3DFile);
    ASSERT_TRUE(m_watcher.WaitForMessages(4));
    EXPECT_EQ(m_inputShown.size(), asked);
    m_files.clear();
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // A program folder of this process's own: the build's models, pictures
    // and RobotHost, a set-up file and settings of its own, and a working
    // folder no other test process writes.
    TempDir programDir;
    g_programDir = &programDir;
    programDir.linkEntriesOf(MORVANE_PROGRAM_DIR, { "Temp", "XML", "StuFile", "robot", "playground" });
    // The robot and playground of a first run, as installed.
    for (const char* sample : { "robot/rover.rob", "playground/first_run.pla" }) {
        fs::create_directories((programDir.path() / sample).parent_path());
        fs::copy_file(fs::path(MORVANE_PROGRAM_DIR) / sample, programDir.path() / sample);
    }
    fs::create_directories(programDir.path() / "XML");
    fs::copy_file(
        fs::path(MORVANE_PROGRAM_DIR) / "XML/SetUp_View.xml", programDir.path() / "XML/SetUp_View.xml");
    platform::OverrideProgramDir(programDir.path());
    CConfig& config = CConfig::Instance();
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    QApplication app(argc, argv);
    config.m_strClassHost = QStringLiteral("127.0.0.1");
    config.m_bNoHeartbeat = true;
    config.InitNet();
    const int result = RUN_ALL_TESTS();
    config.ShutdownNet();
    return result;
}
