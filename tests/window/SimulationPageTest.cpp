// The simulation page as a student uses it, under Xvfb: robots, programs and
// playgrounds chosen in file dialogs, runs started with Ctrl+R and ended by
// their playgrounds, their time limits or the student, the score table, the
// robot data panel, keyboard driving, several robots, and, in classroom
// mode, the result bundle submitted to a ClassServer started here and loaded
// back to run again. Real robot files, real programs, real physics.

#include "apps/CEmuApp.h"
#include "classlink/C3DFile.h"
#include "dialogs/CDriveSetDlg.h"
#include "dialogs/CInputDlg.h"
#include "dialogs/CMultiRobDlg.h"
#include "dialogs/CProgressDlg.h"
#include "dialogs/CRobDataDlg.h"
#include "dialogs/CScoreDlg.h"
#include "elements/PartContext.h"
#include "foundation/CConfig.h"
#include "platform/ProgramDir.h"
#include "scene/Transform.h"
#include "server/Server.h"
#include "simulation/CRob.h"
#include "simulation/CSensor.h"
#include "simulation/CTrigger.h"
#include "simulation/PlaygroundFile.h"
#include "simulation/RobotBuilderFile.h"
#include "simulation/SRobotFileState.h"
#include "support/ModalWatcher.h"
#include "support/QtPrint.h"
#include "support/TempDir.h"
#include "widgets/CExWidget.h"
#include "window/CMainDlg.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTextCodec>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <memory>

namespace fs = std::filesystem;
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

// ---- robots and playgrounds, written by the builders' own writers --------------------------------

// The two-wheeled robot of the driving tests (motors on ports 1 and 2) with
// a compass on port 3, whose reading the program is given every step.
void WriteRobot(const std::string& relative) {
    static const PartContextPtr parts = PartContext::FromConfig(CConfig::Instance());
    SPartOwner owner;
    owner.m_nAppKind = 1;
    SRobotFileState state;
    state.m_pPartOwner = &owner;
    state.m_pConfig = &CConfig::Instance();
    state.m_pPartContext = parts;
    struct Part {
        int kind;
        const char* address;
        double x, y, z, heading;
        int port, sensorKind, opposite;
    };
    const Part robot[] = {
        { ModelTypeRcu, "models/rcu/rcu.ive", 0.0, 0.0, 2.0, 0.0, 0, 0, 0 },
        { ModelTypeMotor, "models/motor/motor.ive", -6.0, 0.0, 1.6, 0.0, 1, 0, 0 },
        { ModelTypeWheel, "models/wheel/wheel_std.ive", -9.3, 0.0, 3.2, 0.0, 0, 0, 0 },
        { ModelTypeMotor, "models/motor/motor.ive", 6.0, 0.0, 1.6, 180.0, 2, 0, 1 },
        { ModelTypeWheel, "models/wheel/wheel_std.ive", 9.3, 0.0, 3.2, 0.0, 0, 0, 0 },
        { ModelTypeWheel, "models/wheel/wheel_uni.ive", 0.0, -5.0, 1.2, 0.0, 0, 0, 0 },
        { ModelTypeWheel, "models/wheel/wheel_uni.ive", 0.0, 5.0, 1.2, 0.0, 0, 0, 0 },
        { ModelTypeSensor, "models/sensor/compass.ive", 0.0, 4.0, 5.2, 0.0, 3, SensorKindCompass, 0 },
    };
    for (const Part& p : robot) {
        CModel* part = MakeBuilderPart(state, p.kind, p.address, scene::Transform(p.x, p.y, p.z, p.heading),
            parts->Constants().partColor, state.m_nBuildCounter, p.port, p.sensorKind, p.opposite, 255);
        ASSERT_NE(part, nullptr) << p.address;
        ++state.m_nBuildCounter;
    }
    fs::create_directories((g_programDir->path() / relative).parent_path());
    state.m_strRobotFile = (g_programDir->path() / relative).string();
    ASSERT_EQ(SaveRobotFile(state), kRobotSaved);
}

PlaygroundFile::Item Zone(int kind, float x, float y, float width, int mode, int score) {
    static const char* const kModels[] = { "models/trigger/end.ive", "models/trigger/start.ive",
        "models/trigger/score.ive" };
    PlaygroundFile::Item item;
    item.info.m_desc.m_nType = ModelTypeTrigger;
    item.info.m_desc.m_nSubType = kind;
    item.info.m_desc.m_strAddress = kModels[kind];
    item.info.m_state.m_vPos.set(x, y, 0.0f);
    item.info.m_state.m_vScale.set(width, kind == TriggerStart ? 40.0f : 10.0f, 1.0f);
    item.info.m_state.m_nTriggerMode = mode;
    item.info.m_state.m_nScore = score;
    return item;
}

// Robots start at the origin and, with two, the second 60 to the right,
// facing +y (a start zone that no robot starts in would stop the run). A
// robot driving ahead from the origin crosses a score zone 50 ahead and,
// when there is one, the end zone (5) 110 ahead, which stops the run.
void WritePlayground(const std::string& relative, int zoneScore, bool endZone, int robots = 1) {
    PlaygroundFile file;
    int id = 0;
    for (int i = 0; i < robots; ++i)
        file.Add(Zone(TriggerStart, 60.0f * float(i), 0.0f, 40.0f, 0, 0).info, id++);
    file.Add(Zone(TriggerScore, 0.0f, 50.0f, 60.0f, 1, zoneScore).info, id++);
    if (endZone)
        file.Add(Zone(TriggerEnd, 0.0f, 110.0f, 60.0f, 1, 5).info, id++);
    fs::create_directories((g_programDir->path() / relative).parent_path());
    std::string error;
    ASSERT_TRUE(file.Save((g_programDir->path() / relative).string(), error)) << error;
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
        config.m_nLinkOwner = 0;
        const int speeds[4] = { 40, 25, 65, 15 };
        std::copy(std::begin(speeds), std::end(speeds), config.m_nDriveSpeed);
        m_watcher.SetHandler([this](QWidget* modal) { Answer(modal); });
        m_window = std::make_unique<Ui::CMainDlg>(config);
        m_window->FrameLoop().Start();
        m_window->showMaximized();
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
    void Answer(QWidget* modal) {
        if (auto* files = qobject_cast<QFileDialog*>(modal)) {
            auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (m_files.empty() || !name || !files->isVisible() || files == m_lastFiles)
                return;
            m_lastFiles = files;
            ++m_fileDialogs;
            m_fileFolders << files->directory().absolutePath();
            name->setText(m_files.front());
            m_files.pop_front();
            QTest::keyClick(name, Qt::Key_Return);
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
            m_bundleWhenScored = QFile::exists(InFolder("Temp/temp.3d"));
            QMetaObject::invokeMethod(score, &QDialog::accept, Qt::QueuedConnection);
        } else if (auto* drive = qobject_cast<CDriveSetDlg*>(modal)) {
            if (m_speeds.empty() || drive == m_lastDrive)
                return;
            m_lastDrive = drive;
            for (int i = 0; i < CDriveSetDlg::kSpeedCount; ++i)
                drive->SpeedEdit(i)->setText(m_speeds[std::size_t(i)]);
            ModalWatcher::Post(drive->ButtonOK());
        } else if (auto* robots = qobject_cast<CMultiRobDlg*>(modal)) {
            AnswerRobots(robots);
        }
    }

    // Fills the several-robots dialog row by row through its browse items,
    // each of which opens a file dialog; OK once every row wanted is full.
    void AnswerRobots(CMultiRobDlg* robots) {
        if (m_rows.empty() || !m_files.empty())
            return;
        for (std::size_t row = 0; row < m_rows.size(); ++row) {
            for (int column = 0; column < 2; ++column) {
                QComboBox* combo = robots->Combo(int(row), column);
                if (combo->currentIndex() == 2)
                    continue;
                m_files.push_back(column == 0 ? m_rows[row].first : m_rows[row].second);
                QMetaObject::invokeMethod(combo, [combo] { combo->setCurrentIndex(1); }, Qt::QueuedConnection);
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

    bool WaitForLoad(int robots) {
        return QTest::qWaitFor([&] { return !Emu().IsLoading() && Emu().GetRobotCount() == robots; }, 30000)
            && QTest::qWaitFor([&] { return !W().ProgressDialog()->isVisible(); }, 5000);
    }

    void LoadRobot(const QString& file, int robots = 1) {
        m_files.push_back(file);
        Pick(W().action_LoadRobot);
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_files.empty(); }, 5000));
        ASSERT_TRUE(WaitForLoad(robots));
    }

    void LoadProgram(const std::string& program) {
        m_files.push_back(QString::fromStdString(program));
        Pick(W().action_LoadStrategy);
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_files.empty(); }, 5000));
        QTest::qWait(50);
    }

    void LoadPlayground(const QString& file, int robots = 1) {
        m_files.push_back(file);
        Pick(W().action_LoadGround);
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_files.empty(); }, 5000));
        ASSERT_TRUE(WaitForLoad(robots));
    }

    // Ctrl+R, as the student presses it.
    void PressStart() {
        QTest::keyClick(m_window.get(), Qt::Key_R, Qt::ControlModifier);
    }

    // Starts a run and waits until it has ended by itself and the score
    // table has been read and closed.
    bool RunToTheEnd() {
        m_lastScore = nullptr;
        m_scoreRows.clear();
        PressStart();
        if (!W().IsEmuRunning())
            return false;
        return QTest::qWaitFor([&] { return !W().IsEmuRunning() && !m_scoreRows.empty(); }, 60000)
            && WaitForLoad(Emu().GetRobotCount());
    }

    std::unique_ptr<Ui::CMainDlg> m_window;
    ModalWatcher m_watcher;
    std::deque<QString> m_files;
    QStringList m_fileFolders;
    int m_fileDialogs = 0;
    QFileDialog* m_lastFiles = nullptr;
    std::deque<QString> m_inputs;
    QStringList m_inputShown;
    CInputDlg* m_lastInput = nullptr;
    std::vector<QStringList> m_scoreRows;
    bool m_bundleWhenScored = false;
    CScoreDlg* m_lastScore = nullptr;
    std::vector<QString> m_speeds;
    CDriveSetDlg* m_lastDrive = nullptr;
    std::vector<std::pair<QString, QString>> m_rows;
};

} // namespace

TEST_F(SimulationPage, ARobotRunsItsProgramOnAPlaygroundUntilTheEndZoneAndIsScored) {
    WriteRobot("robot/base.rob");
    WritePlayground("playground/score_and_end.pla", 10, true);

    // The loader's progress shows in the progress dialog while the robot
    // loads, and the dialog goes at 100.
    std::vector<std::pair<int, bool>> progress;
    QObject::connect(&Emu(), &CEmuApp::signal_Ui_SetProgress, &W(), [&](int percent) {
        progress.emplace_back(percent, W().ProgressDialog()->isVisible()
                && W().ProgressDialog()->ProgressBar()->value() == percent);
    });
    LoadRobot(InFolder("robot/base.rob"));
    EXPECT_EQ(m_fileFolders.value(0), InFolder("robot"));
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), std::make_pair(100, false));
    for (std::size_t i = 0; i + 1 < progress.size(); ++i)
        EXPECT_LT(progress[i].first, 100);
    for (std::size_t i = 0; i + 1 < progress.size(); ++i)
        EXPECT_TRUE(progress[i].second) << "the dialog shows " << progress[i].first << "%";

    LoadProgram(Program("drive"));
    LoadPlayground(InFolder("playground/score_and_end.pla"));
    EXPECT_EQ(Block().m_vecRobotFiles, std::vector<std::string> { InFolder("robot/base.rob").toStdString() });
    EXPECT_EQ(Block().m_strProgramFile, Program("drive"));
    EXPECT_EQ(Block().m_strPlaygroundFile, InFolder("playground/score_and_end.pla").toStdString());
    EXPECT_EQ(W().label_Score->text(), QStringLiteral("Score: 0"));
    EXPECT_EQ(W().label_Time->text(), QStringLiteral("0.00 s"));

    // The robot data panel shows the robot's texts in every frame.
    ASSERT_TRUE(W().action_Show_Message->isEnabled());
    Pick(W().action_Show_Message);
    ASSERT_TRUE(QTest::qWaitFor([&] { return W().RobotDataPanel()->isVisible(); }, 5000));
    EXPECT_EQ(W().RobotDataPanel()->GetComboBox()->currentText(), QStringLiteral("base.rob"));

    PressStart();
    ASSERT_TRUE(W().IsEmuRunning());
    EXPECT_EQ(W().action_VirtualStart->text(), QStringLiteral("Stop"));
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
    const int frames = Block().m_vecFrameCount.empty() ? 0 : CConfig::Instance().DecodeTicks(Block().m_vecFrameCount);
    ASSERT_EQ(m_scoreRows.size(), 1u);
    EXPECT_EQ(m_scoreRows[0], (QStringList { QStringLiteral("base"), m_scoreRows[0][1], QStringLiteral("15") }));
    EXPECT_TRUE(m_scoreRows[0][1].endsWith(QStringLiteral(" s"))) << m_scoreRows[0][1].toStdString();
    // Outside the classroom and the match no bundle is written.
    EXPECT_FALSE(m_bundleWhenScored);
    (void)frames;

    // The page is idle again, the robot back at its start.
    EXPECT_EQ(W().action_VirtualStart->text(), QStringLiteral("Start"));
    for (QAction* shown : { W().action_LoadRobot, W().action_LoadStrategy, W().action_LoadGround,
             W().action_Multiplayer_Game, W().action_RobotMove })
        EXPECT_TRUE(shown->isVisible()) << shown->text().toStdString();
    EXPECT_FALSE(W().action_Up3DFile->isVisible());
    ASSERT_TRUE(WaitForLoad(1));
    EXPECT_EQ(W().label_Score->text(), QStringLiteral("Score: 0"));
    // The panel, hidden for the reload, is back.
    EXPECT_TRUE(QTest::qWaitFor([&] { return W().RobotDataPanel()->isVisible(); }, 5000));
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // A program folder of this process's own: the build's models, pictures
    // and RobotHost, a set-up file and settings of its own, and a working
    // folder no other test process writes.
    TempDir programDir;
    g_programDir = &programDir;
    for (const fs::directory_entry& entry : fs::directory_iterator(MORVANE_PROGRAM_DIR)) {
        const fs::path name = entry.path().filename();
        if (name != "Temp" && name != "XML" && name != "StuFile")
            fs::create_symlink(entry.path(), programDir.path() / name);
    }
    fs::create_directories(programDir.path() / "XML");
    fs::copy_file(fs::path(MORVANE_PROGRAM_DIR) / "XML/SetUp_View.xml", programDir.path() / "XML/SetUp_View.xml");
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
