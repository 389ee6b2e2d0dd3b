// The link to the classroom server and the online contest client: asking
// for a match, the match clock, the locks a running match puts on the
// window, the playground check, and the login when the link is lost.

#include "window/CMainDlg.h"

#include "apps/CEmuApp.h"
#include "classlink/ContestMessages.h"
#include "dialogs/CInputDlg.h"
#include "dialogs/CLoginDlg.h"
#include "foundation/CConfig.h"
#include "foundation/ContestClient.h"
#include "simulation/SRobThreadData.h"
#include "window/MatchClock.h"
#include "window/WindowLog.h"

#include <QAction>
#include <QEventLoop>
#include <QFile>
#include <QMenu>
#include <QStatusBar>
#include <QTabWidget>
#include <QTcpSocket>
#include <QTimer>

#include <iterator>

namespace Ui {

namespace {

enum ClassLinkState {
    kKeepAliveSeen = 1,
    kLinkClosed = 2,
    kLinkClosedKept = 3,
    kWaitingForKeepAlive = 4,
};

constexpr int kMatchClockMs = 30000;
// A server on the classroom's network answers at once; one that does not
// within this long is not there.
constexpr int kClassroomConnectMs = 3000;

// The server's reason for refusing a match: statuses 1 to 7, then any other.
QString MatchStatusText(const CConfig& config, quint32 status) {
    const char* const keys[] = { "s1", "s2", "s3", "s4", "s5", "s6", "s7", "sOther" };
    constexpr quint32 kKnown = std::size(keys) - 1;
    const quint32 index = status >= 1 && status <= kKnown ? status - 1 : kKnown;
    return config.GetText("CMainDlg", "f_MatchStatus", keys[index]);
}

// The reply time-out as the texts say it, in seconds.
QString TimeoutSeconds(const ContestClient& contest) {
    return QString::number(contest.ReplyTimeoutMs() / 1000.0);
}

bool IsLinkUp(const CConfig& config) {
    return config.m_pSocket && config.m_pSocket->state() == QAbstractSocket::ConnectedState;
}

} // namespace

bool CMainDlg::ConnectClassroomLink(int ms) {
    CConfig& config = m_config;
    if (IsLinkUp(config))
        return true;
    if (!config.Link())
        return false;
    QEventLoop wait;
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, &wait, &QEventLoop::quit);
    connect(&config, &CConfig::signal_Disconnect, &wait, &QEventLoop::quit);
    connect(config.m_pSocket, &QTcpSocket::connected, &wait, &QEventLoop::quit);
    config.ConnectToServer(true);
    // Without an address nothing is tried at all.
    if (!IsLinkUp(config) && config.m_pSocket->state() != QAbstractSocket::UnconnectedState) {
        deadline.start(ms);
        wait.exec();
    }
    if (IsLinkUp(config))
        return true;
    if (config.m_pSocket->state() != QAbstractSocket::UnconnectedState)
        config.CloseConnection();
    return false;
}

void CMainDlg::f_ConnectClassroom() {
    CConfig& config = m_config;
    if (!config.Link())
        return;
    const bool stored = !config.m_strClassHost.trimmed().isEmpty();
    if (stored && ConnectClassroomLink(kClassroomConnectMs))
        return;
    AskClassroomAddress(stored);
}

bool CMainDlg::AskClassroomAddress(bool failed) {
    CConfig& config = m_config;
    if (!config.Link())
        return false;
    for (;;) {
        QString host = config.m_strClassHost.trimmed();
        QString prompt = config.GetText("main", "f_ConnectClassroom", "s");
        // Asked again, the student learns why: the address is most likely
        // wrong, or the teacher's ClassServer is not running.
        if (failed) {
            qCWarning(lcWindow, "Classroom: the teacher's server at %s does not answer", qPrintable(host));
            prompt = config.GetText("main", "f_ConnectClassroom", "sNoAnswer").arg(host) + QLatin1Char('\n')
                + prompt;
        }
        CInputDlg dialog(prompt, &host, config, this);
        if (dialog.exec() != QDialog::Accepted || host.trimmed().isEmpty())
            return false;
        // A link still up goes to the address that was there before.
        if (host.trimmed() != config.m_strClassHost.trimmed() && IsLinkUp(config))
            config.CloseConnection();
        config.m_strClassHost = host.trimmed();
        config.SaveSettingsTold();
        if (ConnectClassroomLink(kClassroomConnectMs))
            return true;
        failed = true;
    }
}

void CMainDlg::slot_GetMsg(QByteArray* body) {
    // The contest's replies are the contest client's: the window reads the
    // link only for the classroom server's keep-alive.
    CConfig& config = m_config;
    if (!body || config.m_nRunMode != RunModeClassroom)
        return;
    if (m_nClassLinkState == kKeepAliveSeen)
        return;
    if (config.IsKeepAliveMsg(*body)) {
        if (m_nClassLinkState == kWaitingForKeepAlive)
            SetWindowEnabled(true);
        m_nClassLinkState = kKeepAliveSeen;
    }
}

void CMainDlg::slot_Disconnect() {
    if (m_config.m_nRunMode != RunModeClassroom)
        return;
    if (m_nClassLinkState != kLinkClosedKept)
        m_nClassLinkState = kLinkClosed;
}

void CMainDlg::slot_LoginNeeded() {
    f_ResetEmuAppMouseMode();
    // One login at a time: the one that is open deals with the link, and
    // one that has succeeded meanwhile leaves nothing to do.
    const ContestClient* contest = m_config.Contest();
    if (m_pOpenLogin || !contest || contest->SignedIn())
        return;
    if (!f_ShowLoginDlg())
        return;
    // A match request that waited for the login has gone with it; nothing
    // else would give the window back after a "Login" reply.
    if (!contest->MatchPending())
        SetWindowEnabled(true);
    else
        ShowMatchWait();
}

bool CMainDlg::f_ShowLoginDlg() {
    CConfig& config = m_config;
    const bool relogin = m_bLoggedIn;
    CLoginDlg login(config, relogin);
    login.SetGiveUpCheck([this] { return MayGiveUpLogin(); });
    // While it is open the login stays in front; a run that ends meanwhile
    // waits for it (slot_EmuAppStop).
    m_pOpenLogin = &login;
    const bool accepted = login.exec() == QDialog::Accepted;
    m_pOpenLogin = nullptr;
    if (accepted) {
        m_bLoggedIn = true;
        // The title carries the texts the server gave the account.
        f_LanguageTitle();
    } else {
        // What waited for the login ends with it (a score waiting says so).
        if (ContestClient* contest = config.Contest())
            contest->Abandon();
        // The online mode is nothing without its account: a login given up,
        // the first as any later one, ends the program. Unsaved work was
        // asked about before the login let itself be given up.
        m_bForceClose = true;
        close();
    }
    return accepted;
}

void CMainDlg::f_SendMatchRequest() {
    ContestClient* contest = m_config.Contest();
    if (!contest)
        return;
    // The window waits for the answer; without a login the client asks for
    // one first, and the request goes once logged in.
    SetWindowEnabled(false);
    contest->RequestMatch();
    ShowMatchWait();
}

void CMainDlg::ShowMatchWait() {
    const ContestClient* contest = m_config.Contest();
    // Said while the request is out, not while a login comes first.
    if (contest && contest->MatchPending() && contest->SignedIn()) {
        statusbar->showMessage(
            m_config.GetText("CMainDlg", "f_SendMatchRequest", "sWaiting").arg(TimeoutSeconds(*contest)));
    }
}

void CMainDlg::slot_MatchEnded(ContestEnding ending, const MatchReply& reply) {
    CConfig& config = m_config;
    statusbar->clearMessage();
    switch (ending) {
    case ContestEnding::Answered:
        break;
    case ContestEnding::Elsewhere:
        // Signed in elsewhere: the login that follows the closed link says
        // so, and the window stays as it is until then.
        return;
    case ContestEnding::Damaged:
        config.f_ConnectTips(3);
        f_Ui_StatusBar_ShowMatchTime(0, 0);
        SetWindowEnabled(true);
        return;
    case ContestEnding::TimedOut:
        statusbar->showMessage(config.GetText("CMainDlg", "f_SendMatchRequest", "sTimedOut")
                                   .arg(TimeoutSeconds(*config.Contest())));
        f_Ui_StatusBar_ShowMatchTime(0, 0);
        SetWindowEnabled(true);
        return;
    default:
        statusbar->showMessage(config.GetText("CMainDlg", "f_SendMatchRequest", "sLinkLost"));
        f_Ui_StatusBar_ShowMatchTime(0, 0);
        SetWindowEnabled(true);
        return;
    }
    if (reply.status != 0 || !reply.grant) {
        config.f_TipsDlg(MatchStatusText(config, reply.status));
        f_Ui_StatusBar_ShowMatchTime(0, 0);
        SetWindowEnabled(true);
        return;
    }
    const MatchGrant& grant = *reply.grant;
    m_sMatchMapName = grant.mapName;
    m_sMatchMapMd5 = grant.mapMd5;
    m_dtMatchStart = grant.start;
    m_dtMatchEnd = grant.end;
    m_dtMatchNow = grant.now;
    const std::optional<int> minutes = MatchMinutesLeft(m_dtMatchNow, m_dtMatchEnd);
    if (!minutes) {
        f_MatchOutTips();
    } else {
        // The match's playground has to be loaded afresh: whatever was
        // loaded before is no playground a match run may use, neither its
        // file nor what the scene still shows of it.
        m_pEmuApp->GetLoadBlock()->m_strPlaygroundFile.clear();
        m_pEmuApp->UnloadMap();
        m_sShownPlayground.clear();
        m_nExampleLevel = 0;
        m_bMatchRunning = true;
        f_LanguageTitle();
        action_NetMatch->setText(m_sMatch2);
        action_NetMatch->setStatusTip(m_sMatch2);
        f_Ui_StatusBar_ShowMatchTime(2, *minutes);
        m_pMatchTimer->start(kMatchClockMs);
        tabWidget->setTabEnabled(tabWidget->indexOf(tab2), false);
        action_Multiplayer_Game->setVisible(true);
        menu_Virtual->menuAction()->setVisible(false);
        // The examples go from now on, not from the first run on (the rest
        // of the run's visibility belongs to the simulation page).
        menu_2->menuAction()->setVisible(false);
        m_bPageSwitch = CurrentPage() != SimulationPage;
        f_EmuAppRefresh();
        m_bPageSwitch = false;
    }
    SetWindowEnabled(true);
}

void CMainDlg::slot_NetMatch() {
    f_ResetEmuAppMouseMode();
    if (!m_bMatchRunning) {
        f_SendMatchRequest();
        return;
    }
    m_bMatchRunning = false;
    f_LanguageTitle();
    action_NetMatch->setText(m_sMatch);
    action_NetMatch->setStatusTip(m_sMatch);
    action_Multiplayer_Game->setVisible(true);
    tabWidget->setTabEnabled(tabWidget->indexOf(tab2), true);
    // The simulation menu belongs to the simulation page; the other pages
    // hide it as they are entered.
    menu_Virtual->menuAction()->setVisible(CurrentPage() == SimulationPage);
    menu_2->menuAction()->setVisible(!m_bEmuRunning);
    m_pMatchTimer->stop();
    f_Ui_StatusBar_ShowMatchTime(0, 0);
    if (m_bMatchTimeOut) {
        m_bMatchTimeOut = false;
        f_MatchOutTips();
    }
}

void CMainDlg::f_Ui_UpdateMatchTime() {
    m_dtMatchNow = QDateTime::currentDateTime();
    const std::optional<int> minutes = MatchMinutesLeft(m_dtMatchNow, m_dtMatchEnd);
    if (minutes) {
        f_Ui_StatusBar_ShowMatchTime(2, *minutes);
        return;
    }
    m_bMatchTimeOut = true;
    slot_NetMatch();
}

void CMainDlg::f_MatchOutTips() {
    m_config.ShowTips("CMainDlg", "f_MatchOutTips", "s");
}

bool CMainDlg::AcceptsMatchPlayground(const QByteArray& playground) {
    if (!m_bMatchRunning)
        return true;
    if (MapCheckOf(playground).compare(m_sMatchMapMd5, Qt::CaseInsensitive) == 0)
        return true;
    m_config.ShowTips("CMainDlg", "slot_VirtualLoadGround", "s");
    return false;
}

bool CMainDlg::AcceptsMatchPlaygroundFile(const QString& path) {
    if (!m_bMatchRunning)
        return true;
    QFile file(m_config.InProgramDir(path));
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcWindow, "Online match: the playground %s cannot be read to check it", qPrintable(path));
        m_config.ShowTips("CMainDlg", "slot_VirtualLoadGround", "s");
        return false;
    }
    return AcceptsMatchPlayground(file.readAll());
}

} // namespace Ui
