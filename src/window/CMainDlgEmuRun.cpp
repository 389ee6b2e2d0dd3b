// The simulation page's runs: starting and stopping, the end of a run with
// its score table, the level a passed example gives, and the run settings.

#include "window/CMainDlg.h"

#include "apps/CEmuApp.h"
#include "dialogs/CDriveSetDlg.h"
#include "dialogs/CInputDlg.h"
#include "dialogs/CMultiRobDlg.h"
#include "dialogs/CScoreDlg.h"
#include "dialogs/TypedNumber.h"
#include "foundation/CConfig.h"
#include "simulation/CRob.h"
#include "simulation/CTrigger.h"
#include "simulation/SGameState.h"
#include "window/Pictures.h"

#include <QAction>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>

#include <algorithm>
#include <climits>
#include <iterator>

namespace Ui {

namespace {

// An example level counts as passed from this score of the first robot.
constexpr int kPassingScore = 100;
// The time limit is kept in hundredths of a second.
constexpr int kHundredths = 100;
// Beyond this the follow camera sees nothing of the playground anyway; the
// bound keeps the wheel's steps of 5 from overflowing.
constexpr int kMaxFollowHeight = 1000000;

} // namespace

// ---- start and stop -------------------------------------------------------------------------

void CMainDlg::slot_VirtualStart() {
    f_ResetEmuAppMouseMode();
    int index = 0;
    const char* icon = "35.png";
    if (m_bEmuRunning) {
        f_UpdateScoreTime();
        m_pEmuApp->m_bRunning = false;
        f_HideMessagePanelOnce();
        slot_EmuAppStop();
        f_EmuAppRefresh();
        m_bEmuRunning = false;
    } else {
        m_bEmuRunning = true;
        m_runNotes.clear();
        index = 2;
        m_pEmuApp->StartRun();
        icon = "36.png";
    }
    action_VirtualStart->setIcon(WindowPicture(icon));
    action_VirtualStart->setText(m_sStartTexts[index]);
    action_VirtualStart->setIconText(m_sStartTexts[index]);
    action_VirtualStart->setToolTip(m_sStartTexts[index]);
    action_VirtualStart->setStatusTip(m_sStartTexts[index + 1]);
    ApplyRunVisibility();
}

void CMainDlg::ApplyRunVisibility() {
    const bool idle = !m_bEmuRunning;
    const int mode = m_config.m_nRunMode;
    for (QAction* action : { action_LoadRobot, action_LoadStrategy, action_LoadGround, menu_3->menuAction() })
        action->setVisible(idle);
    // The contest command belongs to the online mode alone.
    action_NetMatch->setVisible(idle && mode == RunModeNet);
    m_pOperatorToolBar->setVisible(idle);
    m_pDriveAction->setVisible(idle);
    action_Multiplayer_Game->setVisible(idle);
    menu_2->menuAction()->setVisible(idle && !(mode == RunModeNet && m_bMatchRunning));
    for (QAction* action : { action_RobotRotate, action_RobotMove, action_RobotDel })
        action->setVisible(idle && !m_pEmuApp->m_bFollow);
    action_Up3DFile->setVisible(idle && mode == RunModeClassroom);
}

void CMainDlg::f_UpdateScoreTime() {
    label_Time->setText(f_SecForLanguage(m_pEmuApp->GetFrameCount()));
    std::vector<int> scores;
    for (int i = 0; i < m_pEmuApp->GetRobotCount(); ++i) {
        const CRob* robot = m_pEmuApp->GetRobot(i);
        scores.push_back(robot ? robot->GetScore() : 0);
    }
    label_Score->setText(ScoreLabelText(scores));
}

// ---- end of a run ----------------------------------------------------------------------------

int CMainDlg::ToolButtonStyleSetting() const {
    if (action_ToolBar_Icon->isChecked())
        return 0;
    if (action_ToolBar_Text->isChecked())
        return 1;
    return 2;
}

void CMainDlg::slot_EmuAppStop() {
    CConfig& config = m_config;
    const int robots = m_pEmuApp->GetRobotCount();
    // Leaving the page ends a run without a score.
    if (CurrentPage() != SimulationPage || robots == 0)
        return;
    // A login that came back while the run went on stays in front: the
    // score waits for it, and is not shown once the login has been given up
    // (the program then closes).
    if (m_pOpenLogin) {
        QEventLoop wait;
        connect(m_pOpenLogin, &QDialog::finished, &wait, &QEventLoop::quit);
        wait.exec();
        if (!m_pOpenLogin || m_pOpenLogin->result() != QDialog::Accepted)
            return;
    }
    SRobThreadData& block = *m_pEmuApp->GetLoadBlock();
    CRob* first = m_pEmuApp->GetRobot(0);
    CScoreDlg score(config, this);
    score.f_SetScore(first->GetScoreDigits(), block.m_vecFrameCount, block.m_strPlaygroundFile,
        first->GetFileName(), m_bMatchRunning);

    QTableWidget* table = score.GetTable();
    table->setRowCount(robots);
    const int score0 = first->GetScore();
    const QString time = label_Time->text();
    const QString drive = config.GetText("CMainDlg", "slot_EmuAppStop", "sDrive");
    for (int i = 0; i < robots; ++i) {
        const CRob* robot = m_pEmuApp->GetRobot(i);
        const QString points = QString::number(robot->GetScore());
        const QString cells[3] = { QFileInfo(QString::fromLocal8Bit(robot->GetFileName().c_str())).baseName(),
            time, config.m_bKeyDrive ? drive + points : points };
        for (int column = 0; column < 3; ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            item->setTextAlignment(Qt::AlignCenter);
            table->setItem(i, column, item);
        }
    }
    // A robot's name is the one way to tell the rows apart: shown whole,
    // however narrow the dialog (the table scrolls when it must).
    table->resizeColumnToContents(0);
    // A run that a start zone stopped in its first frame ends at 0 with no
    // score: the student is told which zone no robot met, and how.
    const SGameState& game = m_pEmuApp->GetGameState();
    if (game.m_nStopStartZone > 0) {
        const int mode = game.m_nStopStartZoneMode;
        score.AddNote(config
                          .GetText("CMainDlg", "slot_EmuAppStop",
                              mode == 0 ? "sStartInside" : (mode == 1 ? "sStartOverlap" : "sStartOutside"))
                          .arg(game.m_nStopStartZone));
    }
    // So does a zone in Leave mode that acted in the first frame because no
    // robot started in it.
    for (const SGameState::ZoneAtOnce& zone : game.m_vecLeaveAtOnce) {
        const char* key = zone.kind == TriggerEnd ? "sLeaveEnd"
            : zone.kind == TriggerScore           ? "sLeaveScore"
                                                  : "sLeaveTouch";
        score.AddNote(config.GetText("CMainDlg", "slot_EmuAppStop", key).arg(zone.number));
    }
    for (const QString& note : m_loadNotes + m_runNotes)
        score.AddNote(note);
    const QString result
        = QStringLiteral("得分:") + QString::number(score0) + QStringLiteral(",完成时间:") + time;

    // A bundle that could not be written is told with the score: the
    // student looks there for the result to submit.
    if (config.m_nRunMode == RunModeClassroom || (config.m_nRunMode == RunModeNet && m_bMatchRunning)) {
        if (const QString failure = f_Save3DFile(result); !failure.isEmpty())
            score.AddNote(failure);
    }

    if (m_nExampleLevel == config.m_nLevel + 1 && !config.m_bKeyDrive && score0 >= kPassingScore) {
        ++config.m_nLevel;
        slot_ShowLv();
        config.m_nWindowOption = ToolButtonStyleSetting();
        config.SaveSettingsTold();
        InitExampleMenu();
    }

    m_bForceClose = true;
    m_bResultShown = true;
    score.exec();
    m_bResultShown = false;
    m_bForceClose = false;
}

void CMainDlg::slot_ProgramDropped(int robot, int why, const QString& program) {
    // By CRobotProgram::Drop, from Crashed on.
    const char* const reasons[] = { "sCrashed", "sEnded", "sKilled", "sHung", "sOverflow", "sOther" };
    const int index = std::clamp(why - 1, 0, int(std::size(reasons)) - 1);
    const CRob* dropped = m_pEmuApp->GetRobot(robot);
    const QString name
        = dropped ? QFileInfo(QString::fromLocal8Bit(dropped->GetFileName().c_str())).baseName() : QString();
    const QString line = m_config.GetText("CMainDlg", "slot_ProgramDropped", "s")
                             .arg(robot + 1)
                             .arg(name, QFileInfo(program).fileName(),
                                 m_config.GetText("CMainDlg", "slot_ProgramDropped", reasons[index]));
    // Stays until the next message: a robot that stopped obeying is no
    // news to let slip by.
    statusbar->showMessage(line);
    m_runNotes << line;
}

// ---- settings ---------------------------------------------------------------------------------

void CMainDlg::slot_SetVETime() {
    f_ResetEmuAppMouseMode();
    QString seconds = QString::number(m_pEmuApp->m_nMaxTime / kHundredths);
    CInputDlg input(m_config.GetText("CMainDlg", "slot_SetVETime", "s"), &seconds, m_config, this);
    if (input.exec() != QDialog::Accepted)
        return;
    // So many seconds that their hundredths pass int would wrap round into
    // a small, wrong limit; the longest limit there is takes their place.
    m_pEmuApp->m_nMaxTime = dialogs::TypedNumber(seconds, 0, INT_MAX / kHundredths) * kHundredths;
}

void CMainDlg::slot_SetFollowHeight() {
    f_ResetEmuAppMouseMode();
    QString height = QString::number(m_pEmuApp->m_nFollowHeight);
    CInputDlg input(m_config.GetText("CMainDlg", "slot_SetFollowHeight", "s"), &height, m_config, this);
    if (input.exec() != QDialog::Accepted)
        return;
    m_pEmuApp->m_nFollowHeight = dialogs::TypedNumber(height, -kMaxFollowHeight, kMaxFollowHeight);
}

void CMainDlg::slot_SetSensorEffect() {
    f_ResetEmuAppMouseMode();
    m_pEmuApp->ToggleSensorEffect();
}

void CMainDlg::slot_SetDrive() {
    f_ResetEmuAppMouseMode();
    CDriveSetDlg drive(m_pDriveSetAction->text(), m_config.m_nDriveSpeed, m_config, this);
    drive.exec();
}

void CMainDlg::slot_Drive_RobApp() {
    f_ResetEmuAppMouseMode();
    m_pEmuApp->ToggleDriveMode();
    m_pDriveAction->setChecked(m_config.m_bKeyDrive);
}

void CMainDlg::slot_Multiplayer_Game() {
    f_ResetEmuAppMouseMode();
    if (m_pEmuApp->IsLoading())
        return;
    SRobThreadData& block = *m_pEmuApp->GetLoadBlock();
    const RunLists before { block.m_vecRobotFiles, block.m_vecProgramFiles, block.m_strProgramFile };
    std::vector<std::string> robotRows = block.m_vecRobotFiles;
    std::vector<std::string> programRows = block.m_vecProgramFiles;
    // One program for every robot becomes each robot's own, so the dialog
    // shows it in every row.
    const bool oneForAll = !robotRows.empty() && !block.m_strProgramFile.empty() && programRows.empty();
    if (oneForAll)
        programRows.assign(robotRows.size(), block.m_strProgramFile);
    // Rows refused before come back as they were entered, as long as the run
    // is still the one they left as it was.
    std::optional<RefusedRows> refused;
    refused.swap(m_rowsRefused);
    if (refused && refused->run == before) {
        robotRows = refused->rows.robots;
        programRows = refused->rows.programs;
    }
    CMultiRobDlg dialog(m_config, this);
    if (dialog.Exec(&robotRows, &programRows) != QDialog::Accepted) {
        m_rowsRefused = std::move(refused);
        return;
    }
    RobotRows rows;
    dialog.EnteredRows(rows.robots, rows.programs);
    // A program that does not load is told with its row before anything
    // changes; the run stays as it was.
    if (!CheckRowPrograms(rows)) {
        m_rowsRefused = RefusedRows { std::move(rows), before };
        return;
    }
    block.m_vecRobotFiles = std::move(robotRows);
    block.m_vecProgramFiles = std::move(programRows);
    if (oneForAll)
        block.m_strProgramFile.clear();
    m_runListsBefore = before;
    m_rowsLoading = std::move(rows);
    const std::vector<std::string>& programs = block.m_vecProgramFiles;
    if (!programs.empty() && programs.size() == block.m_vecRobotFiles.size()
        && std::all_of(
            programs.begin(), programs.end(), [&](const std::string& p) { return p == programs.front(); })) {
        block.m_strProgramFile = programs.front();
        block.m_vecProgramFiles.clear();
    }
    f_EmuAppRefresh();
}

} // namespace Ui
