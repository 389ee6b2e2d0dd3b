// The link to the classroom server and the online contest client: asking
// for a match, the match clock, the locks a running match puts on the
// window, the playground check, and the login when the link is lost.

#include "window/CMainDlg.h"

#include "apps/CEmuApp.h"
#include "classlink/ContestMessages.h"
#include "dialogs/CInputDlg.h"
#include "dialogs/CLoginDlg.h"
#include "foundation/CConfig.h"
#include "simulation/SRobThreadData.h"
#include "window/MatchClock.h"
#include "window/WindowLog.h"

#include <QAction>
#include <QEventLoop>
#include <QFile>
#include <QMenu>
#include <QTabWidget>
#include <QTcpSocket>
#include <QTimer>

namespace Ui {

namespace {

enum ClassLinkState {
    kKeepAliveSeen = 1,
    kLinkClosed = 2,
    kLinkClosedKept = 3,
    kWaitingForKeepAlive = 4,
};

constexpr int kLinkOwnerWindow = 0;
constexpr int kMatchClockMs = 30000;
// A server on the classroom's network answers at once; one that does not
// within this long is not there.
constexpr int kClassroomConnectMs = 3000;

// The server's reasons for refusing a match, as the program shows them.
QString MatchStatusText(quint32 status) {
    switch (status) {
    case 1:
        return QStringLiteral("用户ID错");
    case 2:
        return QStringLiteral("赛季未开始");
    case 3:
        return QStringLiteral("分组信息获取失败");
    case 4:
        return QStringLiteral("分组比赛未开始");
    case 5:
        return QStringLiteral("分组比赛已结束");
    case 6:
        return QStringLiteral("连接数据库失败");
    case 7:
        return QStringLiteral("成绩校验失败");
    default:
        return QStringLiteral("用户已完成比赛");
    }
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
        config.SaveSettings();
        if (ConnectClassroomLink(kClassroomConnectMs))
            return true;
        failed = true;
    }
}

void CMainDlg::slot_GetMsg(QByteArray* body) {
    CConfig& config = m_config;
    if (!body)
        return;
    if (config.m_nRunMode == RunModeClassroom) {
        if (m_nClassLinkState == kKeepAliveSeen)
            return;
        if (config.IsKeepAliveMsg(*body)) {
            if (m_nClassLinkState == kWaitingForKeepAlive)
                SetWindowEnabled(true);
            m_nClassLinkState = kKeepAliveSeen;
        }
        return;
    }
    if (config.m_nLinkOwner != kLinkOwnerWindow)
        return;
    config.StartHeartbeat();

    const std::optional<MatchReply> reply = ReadMatchReply(*body);
    m_bMatchPending = false;
    if (!reply) {
        qCWarning(lcWindow,
            "Online match: the server's reply (%lld bytes) could not be read; closing the link",
            static_cast<long long>(body->size()));
        config.f_ConnectTips(3);
        f_Ui_StatusBar_ShowMatchTime(0, 0);
        SetWindowEnabled(true);
        // The lost link then brings the login.
        config.CloseConnection();
        return;
    }
    config.m_nUploadsLeft = 1;
    if (reply->command == QLatin1String(kContestLogin)) {
        // Signed in elsewhere: the login that follows the closed link says
        // so, and the window stays as it is until then.
        config.m_bHaveToOutline = true;
        config.CloseConnection();
        return;
    }
    if (reply->command != QLatin1String(kContestMatch)) {
        config.f_ConnectTips(3);
        f_Ui_StatusBar_ShowMatchTime(0, 0);
    } else if (reply->status != 0) {
        config.f_TipsDlg(MatchStatusText(reply->status));
        f_Ui_StatusBar_ShowMatchTime(0, 0);
    } else {
        const MatchGrant& grant = *reply->grant;
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
            // loaded before is no playground a match run may use, neither
            // its file nor what the scene still shows of it.
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
            // The examples go from now on, not from the first run on (the
            // rest of the run's visibility belongs to the simulation page).
            menu_2->menuAction()->setVisible(false);
            m_bPageSwitch = CurrentPage() != SimulationPage;
            f_EmuAppRefresh();
            m_bPageSwitch = false;
        }
    }
    SetWindowEnabled(true);
}

void CMainDlg::slot_Disconnect() {
    CConfig& config = m_config;
    if (config.m_nRunMode == RunModeClassroom) {
        if (m_nClassLinkState != kLinkClosedKept)
            m_nClassLinkState = kLinkClosed;
        return;
    }
    f_ResetEmuAppMouseMode();
    // One login at a time: the one that is open deals with the link.
    if (config.m_nLinkOwner != kLinkOwnerWindow || m_pOpenLogin)
        return;
    if (!f_ShowLoginDlg())
        return;
    // A request that never got its answer is asked again; otherwise
    // nothing else would give the window back after a "Login" reply.
    if (m_bMatchPending)
        f_SendMatchRequest();
    else
        SetWindowEnabled(true);
}

bool CMainDlg::f_ShowLoginDlg() {
    CConfig& config = m_config;
    const bool relogin = m_bLoggedIn;
    CLoginDlg login(config, relogin);
    login.SetGiveUpCheck([this] { return MayGiveUpLogin(); });
    // While it is open the login keeps the link; a run that ends meanwhile
    // waits for it (slot_EmuAppStop).
    m_pOpenLogin = &login;
    const bool accepted = login.exec() == QDialog::Accepted;
    m_pOpenLogin = nullptr;
    config.m_nLinkOwner = kLinkOwnerWindow;
    if (accepted) {
        m_bLoggedIn = true;
        // The title carries the texts the server gave the account.
        f_LanguageTitle();
    } else {
        // The online mode is nothing without its account: a login given up,
        // the first as any later one, ends the program. Unsaved work was
        // asked about before the login let itself be given up.
        m_bForceClose = true;
        close();
    }
    return accepted;
}

void CMainDlg::f_SendMatchRequest() {
    CConfig& config = m_config;
    if (config.m_nLinkOwner != kLinkOwnerWindow)
        return;
    if (!IsLinkUp(config)) {
        // Nothing would ever answer on a link that is down, and nothing
        // would give the window back: the login comes first.
        if (f_ShowLoginDlg() && m_bMatchPending && IsLinkUp(config))
            f_SendMatchRequest();
        else
            m_bMatchPending = false;
        return;
    }
    config.SendMsg(BuildMatchRequest(static_cast<quint32>(config.m_nUserId)), false);
    SetWindowEnabled(false);
}

void CMainDlg::slot_NetMatch() {
    f_ResetEmuAppMouseMode();
    if (!m_bMatchRunning) {
        m_bMatchPending = true;
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
