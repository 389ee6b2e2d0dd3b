#pragma once

// A stand-in for the contest server that the online mode talks to. It runs
// in the test's own event loop on 127.0.0.1 and answers "Login", "Map",
// "Match" and "Score" as the test scripts it. Its framing and scrambling are
// written here from the link's rules (a quint32 length, then the body; every
// byte XORed with the key from the frame's first byte), not borrowed from
// the simulator, so a fault in the simulator's link shows.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QTcpServer>

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

class QTcpSocket;

namespace testsupport {

class ContestTestServer {
public:
    struct Account {
        QString password;
        qint32 userId = 0;
        QString texts[3];
    };

    // The reply to "Match" (and, with its name and MD5, to "Map").
    struct Match {
        quint32 status = 0;
        QString mapName;
        QString mapMd5;
        QDateTime start;
        QDateTime end;
        QDateTime now;
    };

    struct Request {
        QString command; // the body's first field
        QByteArray body; // unscrambled, the length taken off
        QByteArray wire; // the whole frame as it arrived, scrambled
    };

    // Listens on 127.0.0.1:port, the port the simulator's contest link uses.
    explicit ContestTestServer(quint16 port);
    ~ContestTestServer();
    ContestTestServer(const ContestTestServer&) = delete;
    ContestTestServer& operator=(const ContestTestServer&) = delete;

    bool listening() const { return m_server.isListening(); }

    // "Login" answers 0 with the account for its user and password, 3 for
    // a wrong password or an unknown user, unless a status is forced.
    void AddAccount(const QString& user, const Account& account);
    void ForceLoginStatus(std::optional<quint32> status) { m_forcedLoginStatus = status; }
    // "Match" and "Map" answer 1 (wrong user id) for an id no account has.
    void SetMatch(const Match& match) { m_match = match; }
    void SetScoreStatus(quint32 status) { m_scoreStatus = status; }
    // Requests of a silent command get no answer at all.
    void SetSilent(const QString& command, bool silent);
    // The next request of the command gets these body bytes as its answer.
    void ReplaceNextReply(const QString& command, const QByteArray& body);

    // Sends a message the simulator did not ask for.
    void Send(const QByteArray& body);
    // Hangs up on the simulator.
    void Drop();
    // Goes away (hanging up, and refusing connections) and comes back on
    // the same port.
    void GoAway();
    bool ComeBack();

    // Every request received, in order (empty heartbeat frames left out).
    const std::vector<Request>& Requests() const { return m_requests; }
    // The requests of one command.
    std::vector<Request> RequestsOf(const QString& command) const;
    int Connections() const { return m_connections; }
    bool Connected() const;

    // Runs the event loop until `count` requests of the command have come.
    bool WaitForRequests(const QString& command, size_t count, int ms = 5000);

    // A reply body laid out as QDataStream 4.6 writes the fields.
    static QByteArray LoginReply(quint32 status, qint32 userId, const QString (&texts)[3]);
    static QByteArray MatchReply(const Match& match);
    static QByteArray ScoreReply(quint32 status);

private:
    void Accept();
    void Read();
    void Answer(const Request& request);
    std::optional<qint32> KnownUserId(qint32 id) const;

    quint16 m_port = 0;
    QTcpServer m_server;
    std::unique_ptr<QTcpSocket> m_peer;
    QByteArray m_received;
    std::map<QString, Account> m_accounts;
    std::optional<quint32> m_forcedLoginStatus;
    Match m_match;
    quint32 m_scoreStatus = 0;
    std::set<QString> m_silent;
    std::map<QString, QByteArray> m_replacements;
    std::vector<Request> m_requests;
    int m_connections = 0;
};

} // namespace testsupport
