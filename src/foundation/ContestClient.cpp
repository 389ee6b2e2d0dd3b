#include "foundation/ContestClient.h"

#include "foundation/CConfig.h"
#include "foundation/FoundationLog.h"
#include "foundation/ServerLink.h"

#include <QTcpSocket>

#include <algorithm>

namespace {

// A request goes out once, and once more after a login that a lost link
// made necessary.
constexpr int kMostSends = 2;
// The server's answer to a score it already has for the match.
constexpr quint32 kScoreAlreadyIn = 10;
constexpr int kDefaultReplyTimeoutMs = 10000;

} // namespace

ContestClient::ContestClient(CConfig& config, QObject* parent)
    : QObject(parent)
    , m_config(config) {
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &ContestClient::OnDeadline);
    connect(&config, &CConfig::signal_GetMsg, this, &ContestClient::OnMessage);
    connect(&config, &CConfig::signal_Disconnect, this, &ContestClient::OnClosed);
    if (config.m_pSocket)
        connect(config.m_pSocket, &QTcpSocket::connected, this, &ContestClient::OnConnected);
}

ContestClient::~ContestClient() = default;

int ContestClient::ReplyTimeoutMs() const {
    const ServerLink* link = m_config.Link();
    return link ? link->ReplyTimeoutMs() : kDefaultReplyTimeoutMs;
}

// ---- login ------------------------------------------------------------------------------

int ContestClient::LogIn(const QString& user, const QString& password) {
    // One login at a time: one that is still under way is dropped with the
    // connection it had.
    m_loginAttempt.reset();
    m_bSignedIn = false;
    const int attempt = ++m_nAttempts;
    m_loginAttempt = attempt;
    m_bLoginConnected = false;
    m_loginRequest = BuildLoginRequest(user, password);
    // The connection, too, is waited for no longer than an answer.
    m_loginAnswerBy = QDeadlineTimer(ReplyTimeoutMs());
    ArmDeadline();
    // Without a host the link closes at once, inside this call: the attempt
    // is told it ended once its number has been handed back.
    m_bConnecting = true;
    m_bClosedWhileConnecting = false;
    m_config.ConnectToServer(false);
    m_bConnecting = false;
    if (m_bClosedWhileConnecting) {
        QMetaObject::invokeMethod(
            this,
            [this, attempt] {
                if (m_loginAttempt == attempt)
                    EndLogin(ContestEnding::NoServer, 0, false);
            },
            Qt::QueuedConnection);
    }
    return attempt;
}

void ContestClient::CancelLogin() {
    if (m_loginAttempt)
        CloseLink(ContestEnding::Cancelled);
}

void ContestClient::OnConnected() {
    if (!m_loginAttempt || m_bLoginConnected)
        return;
    m_bLoginConnected = true;
    m_loginAnswerBy = QDeadlineTimer(ReplyTimeoutMs());
    if (!m_config.SendMsg(m_loginRequest, false)) {
        CloseLink(ContestEnding::LinkLost);
        return;
    }
    ArmDeadline();
}

void ContestClient::HandleLoginReply(const QByteArray& body) {
    const std::optional<LoginReply> reply = ReadLoginReply(body);
    if (!reply) {
        qCWarning(lcFoundation,
            "Contest: the login's answer (%lld bytes) could not be read; closing the link",
            static_cast<long long>(body.size()));
        EndLogin(ContestEnding::Damaged, 0, true);
        return;
    }
    // The account is taken as the server gave it, whatever follows.
    if (reply->account) {
        m_config.m_nUserId = reply->account->userId;
        for (int i = 0; i < 3; ++i)
            m_config.m_strLoginInfo[i] = reply->account->texts[i];
    }
    if (reply->command != QLatin1String(kContestLogin)) {
        qCWarning(lcFoundation, "Contest: the login was answered with \"%s\"; closing the link",
            qPrintable(reply->command.left(40)));
        EndLogin(ContestEnding::Damaged, 0, true);
        return;
    }
    if (reply->status != 0) {
        EndLogin(ContestEnding::Answered, reply->status, true);
        return;
    }
    m_bSignedIn = true;
    m_config.StartHeartbeat();
    EndLogin(ContestEnding::Answered, 0, false);
    // What waited for this login goes now.
    SendWaiting();
}

void ContestClient::EndLogin(ContestEnding ending, quint32 status, bool closeLink) {
    if (!m_loginAttempt)
        return;
    const int attempt = *m_loginAttempt;
    m_loginAttempt.reset();
    if (closeLink)
        CloseLink(ending);
    ArmDeadline();
    emit LoginEnded(attempt, ending, status);
}

void ContestClient::WantLogin() {
    if (!m_loginAttempt)
        emit LoginNeeded();
}

// ---- match and score --------------------------------------------------------------------

void ContestClient::RequestMatch() {
    if (m_match.waiting)
        return;
    m_match = Pending();
    m_match.waiting = true;
    CConfig& config = m_config;
    m_match.build = [&config] { return BuildMatchRequest(static_cast<quint32>(config.m_nUserId)); };
    Send(m_match);
}

bool ContestClient::SubmitScore(const QString& mapCheck, qint32 score, qint32 time) {
    if (m_score.waiting || m_config.m_nUploadsLeft == 0)
        return false;
    m_score = Pending();
    m_score.waiting = true;
    CConfig& config = m_config;
    m_score.build = [&config, mapCheck, score, time] {
        return BuildScoreRequest(config.m_nUserId, mapCheck, score, time);
    };
    Send(m_score);
    return true;
}

void ContestClient::Abandon() {
    CancelLogin();
    if (m_match.waiting)
        EndMatch(ContestEnding::Cancelled);
    if (m_score.waiting)
        EndScore(ContestEnding::Cancelled);
}

void ContestClient::Send(Pending& pending) {
    if (!m_bSignedIn) {
        WantLogin();
        return;
    }
    ++pending.sends;
    pending.answerBy = QDeadlineTimer(ReplyTimeoutMs());
    if (!m_config.SendMsg(pending.build(), false)) {
        CloseLink(ContestEnding::LinkLost);
        return;
    }
    ArmDeadline();
}

void ContestClient::SendWaiting() {
    if (m_match.waiting && m_bSignedIn)
        Send(m_match);
    if (m_score.waiting && m_bSignedIn)
        Send(m_score);
}

void ContestClient::HandleMatchReply(const QByteArray& body) {
    if (!m_match.waiting || m_match.sends == 0) {
        qCWarning(lcFoundation, "Contest: a match answer came that nothing asked for; left alone");
        return;
    }
    const std::optional<MatchReply> reply = ReadMatchReply(body);
    if (!reply) {
        qCWarning(lcFoundation,
            "Contest: the match's answer (%lld bytes) could not be read; closing the link",
            static_cast<long long>(body.size()));
        m_match = Pending();
        CloseLink(ContestEnding::Damaged);
        emit MatchEnded(ContestEnding::Damaged, MatchReply());
        return;
    }
    // A granted match has its one upload.
    if (reply->status == 0)
        m_config.m_nUploadsLeft = 1;
    EndMatch(ContestEnding::Answered, *reply);
}

void ContestClient::HandleScoreReply(const QByteArray& body) {
    if (!m_score.waiting || m_score.sends == 0) {
        qCWarning(lcFoundation, "Contest: a score answer came that nothing asked for; left alone");
        return;
    }
    const std::optional<ScoreReply> reply = ReadScoreReply(body);
    if (!reply) {
        qCWarning(lcFoundation,
            "Contest: the score's answer (%lld bytes) could not be read; closing the link",
            static_cast<long long>(body.size()));
        m_score = Pending();
        CloseLink(ContestEnding::Damaged);
        emit ScoreEnded(ContestEnding::Damaged, 0);
        return;
    }
    // Only the server's word changes the uploads left (a negative count
    // allows any number and stays).
    if (m_config.m_nUploadsLeft > 0) {
        if (reply->status == 0)
            --m_config.m_nUploadsLeft;
        else if (reply->status == kScoreAlreadyIn)
            m_config.m_nUploadsLeft = 0;
    }
    EndScore(ContestEnding::Answered, reply->status);
}

void ContestClient::HandleSignedOutElsewhere() {
    m_config.m_bHaveToOutline = true;
    // A match request so answered ends there; a score goes again after the
    // login that follows.
    if (m_match.waiting && m_match.sends > 0)
        EndMatch(ContestEnding::Elsewhere);
    CloseLink(ContestEnding::Elsewhere);
}

void ContestClient::HandleDamaged(const char* what) {
    const bool matchWaits = m_match.waiting && m_match.sends > 0;
    const bool scoreWaits = m_score.waiting && m_score.sends > 0;
    if (!matchWaits && !scoreWaits) {
        qCWarning(lcFoundation, "Contest: %s came that nothing asked for; left alone", what);
        return;
    }
    // Nothing tells whose answer it was, nor whether another follows: what
    // waits ends, and the link with it.
    qCWarning(lcFoundation, "Contest: %s came instead of an answer; closing the link", what);
    if (matchWaits)
        m_match = Pending();
    if (scoreWaits)
        m_score = Pending();
    CloseLink(ContestEnding::Damaged);
    if (matchWaits)
        emit MatchEnded(ContestEnding::Damaged, MatchReply());
    if (scoreWaits)
        emit ScoreEnded(ContestEnding::Damaged, 0);
}

void ContestClient::EndMatch(ContestEnding ending, const MatchReply& reply) {
    m_match = Pending();
    ArmDeadline();
    emit MatchEnded(ending, reply);
}

void ContestClient::EndScore(ContestEnding ending, quint32 status) {
    m_score = Pending();
    ArmDeadline();
    emit ScoreEnded(ending, status);
}

// ---- the link ---------------------------------------------------------------------------

void ContestClient::OnMessage(QByteArray* body) {
    if (!body)
        return;
    if (m_loginAttempt) {
        if (m_bLoginConnected)
            HandleLoginReply(*body);
        return;
    }
    // The classroom's link, or a contest link that is no longer signed in.
    if (!m_bSignedIn)
        return;
    m_config.StartHeartbeat();
    const std::optional<QString> command = ReadReplyCommand(*body);
    if (!command)
        HandleDamaged("an answer that cannot be read");
    else if (*command == QLatin1String(kContestLogin))
        HandleSignedOutElsewhere();
    else if (*command == QLatin1String(kContestMatch))
        HandleMatchReply(*body);
    else if (*command == QLatin1String(kContestScore))
        HandleScoreReply(*body);
    else if (*command == QLatin1String(kContestMap))
        qCWarning(lcFoundation, "Contest: a playground answer came that nothing asked for; left alone");
    else
        HandleDamaged("an answer of a command we do not know");
}

ContestEnding ContestClient::EndingOfClose() const {
    if (m_closingFor)
        return *m_closingFor;
    const ServerLink* link = m_config.Link();
    if (!link)
        return ContestEnding::LinkLost;
    switch (link->LastCloseReason()) {
    case ServerLink::CloseReason::TimedOut:
        return ContestEnding::TimedOut;
    case ServerLink::CloseReason::Damaged:
        return ContestEnding::Damaged;
    case ServerLink::CloseReason::ConnectFailed:
        return ContestEnding::NoServer;
    case ServerLink::CloseReason::PeerClosed:
        return m_loginAttempt && !m_bLoginConnected ? ContestEnding::NoServer : ContestEnding::LinkLost;
    case ServerLink::CloseReason::ByUs:
        break;
    }
    return ContestEnding::LinkLost;
}

void ContestClient::OnClosed() {
    if (m_bConnecting) {
        m_bClosedWhileConnecting = true;
        return;
    }
    const ContestEnding why = EndingOfClose();
    if (m_loginAttempt) {
        m_lastLinkEnding = why;
        EndLogin(why, 0, false);
        return;
    }
    if (!m_bSignedIn)
        return;
    m_bSignedIn = false;
    m_lastLinkEnding = why;
    ArmDeadline();
    // What has had its second chance ends; the rest waits for the login.
    if (m_match.waiting && m_match.sends >= kMostSends)
        EndMatch(why);
    if (m_score.waiting) {
        if (m_score.sends >= kMostSends)
            EndScore(why);
        else
            emit ScoreWaitsForLogin(why);
    }
    WantLogin();
}

void ContestClient::CloseLink(ContestEnding why) {
    m_closingFor = why;
    m_config.CloseConnection();
    m_closingFor.reset();
}

void ContestClient::ArmDeadline() {
    qint64 soonest = -1;
    const auto consider = [&soonest](const QDeadlineTimer& by) {
        const qint64 left = std::max<qint64>(by.remainingTime(), 0);
        soonest = soonest < 0 ? left : std::min(soonest, left);
    };
    if (m_loginAttempt)
        consider(m_loginAnswerBy);
    if (m_bSignedIn) {
        for (const Pending* pending : { &m_match, &m_score }) {
            if (pending->waiting && pending->sends > 0)
                consider(pending->answerBy);
        }
    }
    if (soonest < 0)
        m_deadline.stop();
    else
        m_deadline.start(static_cast<int>(soonest));
}

void ContestClient::OnDeadline() {
    bool expired = m_loginAttempt && m_loginAnswerBy.hasExpired();
    if (m_bSignedIn) {
        for (const Pending* pending : { &m_match, &m_score })
            expired = expired || (pending->waiting && pending->sends > 0 && pending->answerBy.hasExpired());
    }
    if (!expired) {
        ArmDeadline();
        return;
    }
    qCWarning(lcFoundation, "Contest: no answer within %d ms; closing the link", ReplyTimeoutMs());
    CloseLink(ContestEnding::TimedOut);
}
