#pragma once

#include "classlink/ContestMessages.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>

class CConfig;

// How a request to the contest server ended, or why it waits.
enum class ContestEnding {
    Answered, // the server answered it; its status says how
    Elsewhere, // the server answered "Login": the account was signed in elsewhere
    Cancelled, // the student cancelled the login, or gave it up
    TimedOut, // no answer within the reply time-out
    LinkLost, // the link went before the answer
    NoServer, // the contest server never took the connection (a login)
    Damaged, // an answer that could not be read, or of no command we know
};

// The one owner of the online contest's side of the link. It sends the
// login, the match request and the score, keeps each request that waits for
// its answer, and reads every reply by its command word: a reply is its own
// request's, never another's, and a reply nothing waits for is left alone.
// It keeps the uploads left of the match (one on a granted match, one fewer
// on a stored score, none once the server says the match's score is in).
//
// Each request waits at most the link's reply time-out for its answer; one
// that gets none closes the link. When the link is lost (a time-out, a
// hang-up, "signed in elsewhere") it asks for a login again (LoginNeeded)
// and keeps what waits: once logged in, a waiting request is sent again,
// once. A match request answered "signed in elsewhere" ends there; a score
// so answered is sent again after the login, once.
//
// The window and the dialogs ask through it and show what its signals tell;
// none of them reads the link. It lives with the link (CConfig::InitNet).
class ContestClient : public QObject {
    Q_OBJECT

public:
    explicit ContestClient(CConfig& config, QObject* parent = nullptr);
    ~ContestClient() override;

    ContestClient(const ContestClient&) = delete;
    ContestClient& operator=(const ContestClient&) = delete;

    // Connects to the contest host and sends one login once the connection
    // is up; a login under way is dropped first. The attempt's number comes
    // back with LoginEnded.
    int LogIn(const QString& user, const QString& password);
    // Ends the login under way (told as Cancelled).
    void CancelLogin();
    bool LoggingIn() const { return m_loginAttempt.has_value(); }
    bool SignedIn() const { return m_bSignedIn; }
    // How the last contest link ended: what a login that follows says.
    ContestEnding LastLinkEnding() const { return m_lastLinkEnding; }

    // Asks for a match; nothing when a request is already waiting. Without
    // a login it waits for one (LoginNeeded).
    void RequestMatch();
    bool MatchPending() const { return m_match.waiting; }
    // Submits the match's score (the playground's MD5, the score and the
    // time); false, with nothing sent, while a score waits for its answer or
    // when the match has no upload left.
    bool SubmitScore(const QString& mapCheck, qint32 score, qint32 time);
    bool ScorePending() const { return m_score.waiting; }
    // The login was given up: what waits ends, told as Cancelled.
    void Abandon();

    // The longest wait for an answer, in milliseconds.
    int ReplyTimeoutMs() const;

signals:
    // The login attempt `attempt` ended; with Answered, status is the
    // server's (0: signed in, and what waited is being sent).
    void LoginEnded(int attempt, ContestEnding ending, quint32 status);
    // The match request ended; with Answered, the reply says how.
    void MatchEnded(ContestEnding ending, const MatchReply& reply);
    // The score ended; with Answered, status is the server's.
    void ScoreEnded(ContestEnding ending, quint32 status);
    // The score waits for a login, after which it is sent again.
    void ScoreWaitsForLogin(ContestEnding why);
    // A login is wanted: the contest link went (LastLinkEnding says how),
    // or a request was made with none. Told again for each such request
    // until a login starts; a listener that is signed in, or has a login
    // open, has nothing to do.
    void LoginNeeded();

private:
    struct Pending {
        bool waiting = false;
        int sends = 0;
        std::function<QByteArray()> build;
        QDeadlineTimer answerBy;
    };

    void OnConnected();
    void OnMessage(QByteArray* body);
    void OnClosed();
    void OnDeadline();

    void HandleLoginReply(const QByteArray& body);
    void HandleMatchReply(const QByteArray& body);
    void HandleScoreReply(const QByteArray& body);
    void HandleSignedOutElsewhere();
    void HandleDamaged(const char* what);

    void Send(Pending& pending);
    void SendWaiting();
    void CloseLink(ContestEnding why);
    void EndLogin(ContestEnding ending, quint32 status, bool closeLink);
    void EndMatch(ContestEnding ending, const MatchReply& reply = {});
    void EndScore(ContestEnding ending, quint32 status = 0);
    void WantLogin();
    void ArmDeadline();
    ContestEnding EndingOfClose() const;

    CConfig& m_config;
    bool m_bSignedIn = false;
    std::optional<int> m_loginAttempt;
    int m_nAttempts = 0;
    QByteArray m_loginRequest;
    bool m_bLoginConnected = false;
    QDeadlineTimer m_loginAnswerBy;
    Pending m_match;
    Pending m_score;
    // Set while LogIn connects, and when the link closed meanwhile.
    bool m_bConnecting = false;
    bool m_bClosedWhileConnecting = false;
    // Set while the link is closed for a reason of our own.
    std::optional<ContestEnding> m_closingFor;
    ContestEnding m_lastLinkEnding = ContestEnding::LinkLost;
    QTimer m_deadline;
};
