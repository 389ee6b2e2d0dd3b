// The studios' examples as a student meets them, under Xvfb: picked from
// the Examples menu of the window, loaded into the builders and the
// simulation, and run with the start button to the score their playground
// gives, in each studio and in both languages. The examples are the ones
// the build installs; the headless examples test runs every one of them.

#include "OwnProgramFolder.h"
#include "apps/CEmuApp.h"
#include "apps/CPlaApp.h"
#include "apps/CRobApp.h"
#include "dialogs/CLoadDlg.h"
#include "dialogs/CScoreDlg.h"
#include "foundation/CConfig.h"
#include "platform/ProgramDir.h"
#include "simulation/SRobThreadData.h"
#include "support/ModalWatcher.h"
#include "support/TempDir.h"
#include "window/CMainDlg.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using testsupport::ModalWatcher;
using testsupport::TempDir;

namespace {

TempDir* g_programDir = nullptr;

std::string InFolder(const std::string& relative) {
    return (g_programDir->path() / relative).string();
}

struct StudioExample {
    int studio;
    int language; // 0 Chinese, 1 English
    // The Examples menu at level 0: the examples of levels 0 and 1.
    QStringList listed;
    // The level-0 example run here: its menu entry, its folder and files.
    QString entry;
    std::string folder;
    std::string robot;
    std::string playground;
    // Per robot: the name the score table gives it and its score.
    std::vector<std::pair<QString, QString>> scores;
};

// Drive into the score zone (100), to the wall and back home (a score zone
// of 50 on the way out, the end zone at home 50).
const StudioExample kExamples[] = {
    { 0, 1, { "0,0", "1,1" }, "0,0", "XML/studio0/examples/drive_to_zone", "drive_to_zone.rob",
        "drive_to_zone.pla", { { "drive_to_zone", "100" } } },
    { 1, 0, { "10,0", "11,1" }, "10,0", "XML/studio1/examples/there_and_back", "there_and_back.rob",
        "there_and_back.pla", { { "there_and_back", "100" } } },
};

void PrintTo(const StudioExample& example, std::ostream* out) {
    *out << "studio" << example.studio;
}

class ExampleFromTheMenu : public testing::TestWithParam<StudioExample> {
protected:
    void SetUp() override {
        const StudioExample& e = GetParam();
        CConfig& config = CConfig::Instance();
        config.SetStudio(e.studio, false);
        config.SetLanguage(e.language, false);
        config.m_nRunMode = RunModeEducation;
        config.m_bKeyDrive = false;
        config.m_nLevel = 0;
        m_watcher.SetHandler([this](QWidget* modal) { Answer(modal); });
        m_window = std::make_unique<Ui::CMainDlg>(config);
        m_window->FrameLoop().Start();
        m_window->resize(400, 300);
        m_window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
        // Frames as fast as they come, and small ones: a run is some hundred
        // frames, drawn by the software renderer.
        m_window->FrameTimer()->start(1);
    }

    void TearDown() override {
        m_watcher.SetHandler({});
        m_window.reset();
    }

    Ui::CMainDlg& W() { return *m_window; }
    CEmuApp& Emu() { return *m_window->GetEmuApp(); }

    // Loads all of an example (its robots and its playground) and reads and
    // closes the score table.
    void Answer(QWidget* modal) {
        if (auto* load = qobject_cast<CLoadDlg*>(modal)) {
            if (load != m_lastLoad) {
                m_lastLoad = load;
                ++m_loadsAnswered;
                ModalWatcher::Post(load->ButtonOK());
            }
        } else if (auto* score = qobject_cast<CScoreDlg*>(modal)) {
            if (score == m_lastScore)
                return;
            m_lastScore = score;
            QTableWidget* table = score->GetTable();
            for (int row = 0; row < table->rowCount(); ++row) {
                m_scores.emplace_back(table->item(row, 0) ? table->item(row, 0)->text() : QString(),
                    table->item(row, 2) ? table->item(row, 2)->text() : QString());
            }
            QMetaObject::invokeMethod(score, &QDialog::accept, Qt::QueuedConnection);
        }
    }

    std::unique_ptr<Ui::CMainDlg> m_window;
    ModalWatcher m_watcher;
    QPointer<CLoadDlg> m_lastLoad;
    int m_loadsAnswered = 0;
    QPointer<CScoreDlg> m_lastScore;
    std::vector<std::pair<QString, QString>> m_scores;
};

} // namespace

// The menu lists the studio's examples up to the level after the one
// reached, by their names in the window's language; the level-0 example
// goes to the builders and the simulation with its program, and a press of
// the start button runs it to its end zone and the score it is made for.
TEST_P(ExampleFromTheMenu, RunsAsItIsToItsScore) {
    const StudioExample& e = GetParam();
    CConfig& config = CConfig::Instance();
    QStringList listed;
    QAction* entry = nullptr;
    for (QAction* action : W().menu_2->actions()) {
        if (action->isSeparator() || action == W().action_Open_Example)
            continue;
        listed << action->objectName();
        const QString number = action->objectName().section(QLatin1Char(','), 0, 0);
        EXPECT_FALSE(config.GetExampleName(number).isEmpty()) << number.toStdString();
        EXPECT_TRUE(action->text().startsWith(config.GetExampleName(number))) << number.toStdString();
        if (action->objectName() == e.entry)
            entry = action;
    }
    EXPECT_EQ(listed, e.listed);
    ASSERT_NE(entry, nullptr);

    QMetaObject::invokeMethod(entry, &QAction::trigger, Qt::QueuedConnection);
    const std::string robot = InFolder(e.folder + "/" + e.robot);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return m_loadsAnswered == 1 && !Emu().IsLoading() && Emu().GetRobotCount() == int(e.scores.size())
                && W().GetRobApp()->GetEditState().m_nBusy == SEditState::BusyIdle;
        },
        30000));
    EXPECT_EQ(W().tabWidget->currentWidget(), W().tab3);
    EXPECT_EQ(Emu().GetRobotFileName(0), robot);
    EXPECT_EQ(Emu().GetMapFile(), InFolder(e.folder + "/" + e.playground));
    // The builders show what was loaded: the robot whole, the playground.
    EXPECT_EQ(W().RobotFile(), robot);
    EXPECT_GT(W().GetRobApp()->GetPartList().size(), 7u);
    EXPECT_FALSE(W().GetPlaApp()->GetObjectList().empty());

    QWidget* start = W().VirtualToolBar()->widgetForAction(W().action_VirtualStart);
    ASSERT_NE(start, nullptr);
    QTest::mouseClick(start, Qt::LeftButton);
    ASSERT_TRUE(W().IsEmuRunning());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !W().IsEmuRunning() && !m_scores.empty(); }, 150000))
        << "frames: " << Emu().GetFrameCount();
    EXPECT_EQ(m_scores, e.scores);
}

// Once every level is open, each example of the studio the menu lists goes
// whole to the simulation: its playground, and each robot of its entry in
// the set-up file with that robot's program, all from the example's folder.
TEST_P(ExampleFromTheMenu, EveryExampleOfTheStudioOpens) {
    CConfig& config = CConfig::Instance();
    config.m_nLevel = 4;
    W().InitExampleMenu();
    int opened = 0;
    for (QAction* action : W().menu_2->actions()) {
        if (action->isSeparator() || action == W().action_Open_Example)
            continue;
        SCOPED_TRACE(action->objectName().toStdString());
        const TiXmlElement* example
            = config.FindExample(action->objectName().section(QLatin1Char(','), 0, 0));
        ASSERT_NE(example, nullptr);
        const std::string folder = InFolder(
            config.m_strExampleDir.mid(1).toStdString() + example->Attribute("file") + std::string("/"));
        std::vector<std::string> robots;
        std::vector<std::string> programs;
        for (const TiXmlElement* rob = example->FirstChildElement("rob"); rob;
             rob = rob->NextSiblingElement("rob")) {
            robots.push_back(folder + rob->Attribute("rob"));
            programs.push_back(folder + rob->Attribute("dll"));
        }

        const int answered = m_loadsAnswered;
        QMetaObject::invokeMethod(action, &QAction::trigger, Qt::QueuedConnection);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                // The robots of the example before have other files.
                return m_loadsAnswered == answered + 1 && !Emu().IsLoading()
                    && Emu().GetRobotCount() == int(robots.size())
                    && Emu().GetRobotFileName(0) == robots.front()
                    && W().GetRobApp()->GetEditState().m_nBusy == SEditState::BusyIdle;
            },
            30000));
        for (std::size_t i = 0; i < robots.size(); ++i)
            EXPECT_EQ(Emu().GetRobotFileName(int(i)), robots[i]);
        EXPECT_EQ(Emu().GetLoadBlock()->m_vecProgramFiles, programs);
        EXPECT_EQ(Emu().GetMapFile(), folder + example->Attribute("pla"));
        EXPECT_EQ(W().RobotFile(), robots.front());
        ++opened;
    }
    EXPECT_EQ(opened, 6);
}

INSTANTIATE_TEST_SUITE_P(EachStudio, ExampleFromTheMenu, testing::ValuesIn(kExamples),
    [](const testing::TestParamInfo<StudioExample>& example) {
        return "studio" + std::to_string(example.param.studio);
    });

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // A program folder of this process's own: the build's models, pictures,
    // RobotHost and studios' folders with their examples, and a set-up file,
    // settings and working folder of its own.
    TempDir programDir;
    g_programDir = &programDir;
    windowtest::MakeOwnProgramFolder(programDir, { "SetUp_View.xml" });
    for (const fs::directory_entry& entry : fs::directory_iterator(fs::path(MORVANE_PROGRAM_DIR) / "XML")) {
        if (entry.is_directory())
            fs::create_symlink(entry.path(), programDir.path() / "XML" / entry.path().filename());
    }
    return windowtest::RunTestsIn(programDir, argc, argv);
}
