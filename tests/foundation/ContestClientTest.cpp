// The contest client against the stand-in contest server on 127.0.0.1:4480:
// every reply read as its own request's, whatever order the replies, drops,
// silences and closes come in, and a login again after a lost link. The test
// plays the window: it logs in again whenever the client asks for it.

#include "foundation/ContestClient.h"
#include "foundation/CConfig.h"
#include "support/ContestTestServer.h"
#include "support/QtPrint.h"
#include "support/TempDir.h"

#include <QDataStream>
#include <QIODevice>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using testsupport::ContestTestServer;
using testsupport::TempDir;

namespace {

// The reply time-out here; the program's is 10 s.
constexpr int kReplyTimeoutMs = 500;

const char* Name(ContestEnding ending) {
    switch (ending) {
    case ContestEnding::Answered:
        return "answered";
    case ContestEnding::Elsewhere:
        return "elsewhere";
    case ContestEnding::Cancelled:
        return "cancelled";
    case ContestEnding::TimedOut:
        return "timed out";
    case ContestEnding::LinkLost:
        return "link lost";
    case ContestEnding::NoServer:
        return "no server";
    case ContestEnding::Damaged:
        return "damaged";
    }
    return "?";
}

std::string Told(const char* what, ContestEnding ending, quint32 status) {
    std::string told = std::string(what) + ":" + Name(ending);
    if (ending == ContestEnding::Answered)
        told += ":" + std::to_string(status);
    return told;
}

// "Login" alone: the server's word that the account signed in elsewhere.
QByteArray SignedInElsewhere() {
    const QString none[3];
    return ContestTestServer::LoginReply(0, 0, none).left(14);
}

QByteArray Granted() {
    ContestTestServer::Match match;
    match.mapName = QStringLiteral("Field");
    match.mapMd5 = QStringLiteral("0123456789abcdef0123456789abcdef");
    match.start = QDateTime::currentDateTime().addSecs(-60);
    match.end = match.start.addSecs(3600);
    match.now = match.start.addSecs(60);
    return ContestTestServer::MatchReply(match);
}

QByteArray Refused(quint32 status) {
    ContestTestServer::Match match;
    match.status = status;
    return ContestTestServer::MatchReply(match);
}

QByteArray UnknownCommand() {
    QByteArray body;
    QDataStream out(&body, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_6);
    out << QStringLiteral("Hello") << quint32(0);
    return body;
}

// What the server does when a request arrives.
struct Action {
    enum Kind { Answer, Nothing, HangUp, AnswerAndHangUp } kind = Nothing;
    std::vector<QByteArray> bodies;
};

Action Answer(std::vector<QByteArray> bodies) {
    return { Action::Answer, std::move(bodies) };
}
Action AnswerAndHangUp(QByteArray body) {
    return { Action::AnswerAndHangUp, { std::move(body) } };
}
const Action kSilence { Action::Nothing, {} };
const Action kHangUp { Action::HangUp, {} };

class ContestClientTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.listening());
        ContestTestServer::Account ann;
        ann.password = QStringLiteral("secret");
        ann.userId = 7;
        m_server.AddAccount(QStringLiteral("ann"), ann);
        m_config = std::make_unique<CConfig>(m_dir.qpath());
        m_config->m_strNetHost = QStringLiteral("127.0.0.1");
        m_config->m_bNoHeartbeat = true;
        ServerLink::Timing timing;
        timing.replyTimeoutMs = kReplyTimeoutMs;
        m_config->InitNet(timing);
        ContestClient& client = Client();
        QObject::connect(
            &client, &ContestClient::LoginEnded, [this](int, ContestEnding ending, quint32 status) {
                m_told.push_back(Told("login", ending, status));
            });
        QObject::connect(
            &client, &ContestClient::MatchEnded, [this](ContestEnding ending, const MatchReply& reply) {
                m_told.push_back(Told("match", ending, reply.status));
                m_matchEnded = true;
            });
        QObject::connect(&client, &ContestClient::ScoreEnded, [this](ContestEnding ending, quint32 status) {
            m_told.push_back(Told("score", ending, status));
            m_scoreEnded = true;
        });
        QObject::connect(&client, &ContestClient::ScoreWaitsForLogin,
            [this](ContestEnding why) { m_told.push_back(std::string("score waits:") + Name(why)); });
        // As the window does: the login comes once the signal has returned.
        QObject::connect(&client, &ContestClient::LoginNeeded, [this] {
            m_told.push_back(std::string("login needed:") + Name(Client().LastLinkEnding()));
            if (!m_answerLogins)
                return;
            m_loginDue = true;
            QTimer::singleShot(0, [this] {
                m_loginDue = false;
                if (Client().SignedIn() || Client().LoggingIn())
                    return;
                if (m_giveUp)
                    Client().Abandon();
                else
                    Client().LogIn(QStringLiteral("ann"), QStringLiteral("secret"));
            });
        });
        Client().LogIn(QStringLiteral("ann"), QStringLiteral("secret"));
        ASSERT_TRUE(QTest::qWaitFor([this] { return Client().SignedIn(); }, 5000));
        m_told.clear();
    }

    void TearDown() override { m_config->ShutdownNet(); }

    ContestClient& Client() { return *m_config->Contest(); }

    // Plays the server's part for each request of the command as it comes,
    // then waits until what was asked has ended and no login is due.
    void Play(const QString& command, size_t before, const std::vector<Action>& actions, const bool& ended) {
        for (size_t i = 0; i < actions.size(); ++i) {
            ASSERT_TRUE(m_server.WaitForRequests(command, before + i + 1)) << "request " << i + 1;
            const Action& action = actions[i];
            for (const QByteArray& body : action.bodies)
                m_server.Send(body);
            if (action.kind == Action::HangUp || action.kind == Action::AnswerAndHangUp)
                m_server.Drop();
        }
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return ended && !m_loginDue && !Client().LoggingIn(); }, 5000 + 4 * kReplyTimeoutMs));
    }

    TempDir m_dir;
    ContestTestServer m_server { CConfig::kClassroomPort };
    std::unique_ptr<CConfig> m_config;
    std::vector<std::string> m_told;
    bool m_loginDue = false;
    bool m_answerLogins = true;
    bool m_giveUp = false;
    bool m_matchEnded = false;
    bool m_scoreEnded = false;
};

} // namespace

TEST_F(ContestClientTest, EveryScoreIsToldWhatItsOwnAnswerSaidWhateverComesInBetween) {
    struct Row {
        const char* name;
        std::vector<Action> server;
        bool giveUp;
        std::vector<std::string> told;
        size_t sent;
        int uploadsLeft;
    };
    const std::vector<Row> rows = {
        { "stored", { Answer({ ContestTestServer::ScoreReply(0) }) }, false, { "score:answered:0" }, 1, 0 },
        { "refused", { Answer({ ContestTestServer::ScoreReply(7) }) }, false, { "score:answered:7" }, 1, 1 },
        { "already in", { Answer({ ContestTestServer::ScoreReply(10) }) }, false, { "score:answered:10" }, 1,
            0 },
        { "a match answer first", { Answer({ Granted(), ContestTestServer::ScoreReply(7) }) }, false,
            { "score:answered:7" }, 1, 1 },
        { "signed in elsewhere",
            { Answer({ SignedInElsewhere() }), Answer({ ContestTestServer::ScoreReply(0) }) }, false,
            { "score waits:elsewhere", "login needed:elsewhere", "login:answered:0", "score:answered:0" }, 2,
            0 },
        { "signed in elsewhere twice", { Answer({ SignedInElsewhere() }), Answer({ SignedInElsewhere() }) },
            false,
            { "score waits:elsewhere", "login needed:elsewhere", "login:answered:0", "score:elsewhere",
                "login needed:elsewhere", "login:answered:0" },
            2, 1 },
        { "silence", { kSilence, Answer({ ContestTestServer::ScoreReply(0) }) }, false,
            { "score waits:timed out", "login needed:timed out", "login:answered:0", "score:answered:0" }, 2,
            0 },
        { "silence twice", { kSilence, kSilence }, false,
            { "score waits:timed out", "login needed:timed out", "login:answered:0", "score:timed out",
                "login needed:timed out", "login:answered:0" },
            2, 1 },
        // An answer nothing asked for does not stop the wait for the score's.
        { "a match answer, then silence",
            { Answer({ Granted() }), Answer({ ContestTestServer::ScoreReply(0) }) }, false,
            { "score waits:timed out", "login needed:timed out", "login:answered:0", "score:answered:0" }, 2,
            0 },
        { "a hang-up", { kHangUp, Answer({ ContestTestServer::ScoreReply(0) }) }, false,
            { "score waits:link lost", "login needed:link lost", "login:answered:0", "score:answered:0" }, 2,
            0 },
        { "an answer, then a hang-up", { AnswerAndHangUp(ContestTestServer::ScoreReply(0)) }, false,
            { "score:answered:0", "login needed:link lost", "login:answered:0" }, 1, 0 },
        { "a damaged answer", { Answer({ ContestTestServer::ScoreReply(0).left(16) }) }, false,
            { "login needed:damaged", "score:damaged", "login:answered:0" }, 1, 1 },
        { "an answer of no known command", { Answer({ UnknownCommand() }) }, false,
            { "login needed:damaged", "score:damaged", "login:answered:0" }, 1, 1 },
        { "the login given up", { kHangUp }, true,
            { "score waits:link lost", "login needed:link lost", "score:cancelled" }, 1, 1 },
    };
    m_server.SetSilent(QStringLiteral("Score"), true);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (!Client().SignedIn()) {
            Client().LogIn(QStringLiteral("ann"), QStringLiteral("secret"));
            ASSERT_TRUE(QTest::qWaitFor([this] { return Client().SignedIn(); }, 5000));
        }
        m_told.clear();
        m_scoreEnded = false;
        m_giveUp = row.giveUp;
        m_config->m_nUploadsLeft = 1;
        const size_t before = m_server.RequestsOf(QStringLiteral("Score")).size();
        ASSERT_TRUE(Client().SubmitScore(QString(), 80, 5000));
        // One score at a time.
        EXPECT_FALSE(Client().SubmitScore(QString(), 80, 5000));
        ASSERT_NO_FATAL_FAILURE(Play(QStringLiteral("Score"), before, row.server, m_scoreEnded));
        EXPECT_EQ(m_told, row.told);
        EXPECT_EQ(m_server.RequestsOf(QStringLiteral("Score")).size() - before, row.sent);
        EXPECT_EQ(m_config->m_nUploadsLeft, row.uploadsLeft);
        EXPECT_FALSE(Client().ScorePending());
    }
    // None is sent once the match has no upload left.
    m_config->m_nUploadsLeft = 0;
    EXPECT_FALSE(Client().SubmitScore(QString(), 80, 5000));
}

TEST_F(ContestClientTest, EveryMatchRequestIsToldWhatItsOwnAnswerSaid) {
    struct Row {
        const char* name;
        std::vector<Action> server;
        std::vector<std::string> told;
        size_t sent;
        int uploadsLeft;
    };
    const std::vector<Row> rows = {
        { "granted", { Answer({ Granted() }) }, { "match:answered:0" }, 1, 1 },
        { "refused", { Answer({ Refused(5) }) }, { "match:answered:5" }, 1, 0 },
        { "a score answer first", { Answer({ ContestTestServer::ScoreReply(0), Refused(2) }) },
            { "match:answered:2" }, 1, 0 },
        // Asked again, the student would be asked to log in once more: a
        // match so answered ends with the login.
        { "signed in elsewhere", { Answer({ SignedInElsewhere() }) },
            { "match:elsewhere", "login needed:elsewhere", "login:answered:0" }, 1, 0 },
        { "silence", { kSilence, Answer({ Granted() }) },
            { "login needed:timed out", "login:answered:0", "match:answered:0" }, 2, 1 },
        { "silence twice", { kSilence, kSilence },
            { "login needed:timed out", "login:answered:0", "match:timed out", "login needed:timed out",
                "login:answered:0" },
            2, 0 },
        { "a damaged grant", { Answer({ Granted().left(40) }) },
            { "login needed:damaged", "match:damaged", "login:answered:0" }, 1, 0 },
    };
    m_server.SetSilent(QStringLiteral("Match"), true);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        m_told.clear();
        m_matchEnded = false;
        m_config->m_nUploadsLeft = 0;
        const size_t before = m_server.RequestsOf(QStringLiteral("Match")).size();
        Client().RequestMatch();
        // A second request while one waits sends nothing.
        Client().RequestMatch();
        ASSERT_NO_FATAL_FAILURE(Play(QStringLiteral("Match"), before, row.server, m_matchEnded));
        EXPECT_EQ(m_told, row.told);
        EXPECT_EQ(m_server.RequestsOf(QStringLiteral("Match")).size() - before, row.sent);
        EXPECT_EQ(m_config->m_nUploadsLeft, row.uploadsLeft);
    }
}

TEST_F(ContestClientTest, AnswersInTheOtherOrderGoToTheirOwnRequests) {
    m_server.SetSilent(QStringLiteral("Match"), true);
    m_server.SetSilent(QStringLiteral("Score"), true);
    m_config->m_nUploadsLeft = 1;
    Client().RequestMatch();
    ASSERT_TRUE(Client().SubmitScore(QString(), 80, 5000));
    ASSERT_TRUE(m_server.WaitForRequests(QStringLiteral("Score"), 1));
    ASSERT_TRUE(m_server.WaitForRequests(QStringLiteral("Match"), 1));
    m_server.Send(ContestTestServer::ScoreReply(0));
    m_server.Send(Refused(3));
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_scoreEnded && m_matchEnded; }, 5000));
    EXPECT_EQ(m_told, (std::vector<std::string> { "score:answered:0", "match:answered:3" }));
    EXPECT_EQ(m_config->m_nUploadsLeft, 0);
}

TEST_F(ContestClientTest, EachEndingOfALoginSaysWhatItWas) {
    m_answerLogins = false;
    m_config->CloseConnection();
    m_told.clear();
    const auto ended = [&] { return !m_told.empty() && !Client().LoggingIn(); };

    // The student cancels while the server keeps its answer.
    m_server.SetSilent(QStringLiteral("Login"), true);
    const int first = Client().LogIn(QStringLiteral("ann"), QStringLiteral("secret"));
    ASSERT_TRUE(m_server.WaitForRequests(QStringLiteral("Login"), 2));
    Client().CancelLogin();
    ASSERT_TRUE(QTest::qWaitFor(ended, 5000));
    EXPECT_EQ(m_told, std::vector<std::string> { "login:cancelled" });

    // No answer at all.
    m_told.clear();
    Client().LogIn(QStringLiteral("ann"), QStringLiteral("secret"));
    ASSERT_TRUE(QTest::qWaitFor(ended, 5000));
    EXPECT_EQ(m_told, std::vector<std::string> { "login:timed out" });

    // The server hangs up instead.
    m_told.clear();
    Client().LogIn(QStringLiteral("ann"), QStringLiteral("secret"));
    ASSERT_TRUE(m_server.WaitForRequests(QStringLiteral("Login"), 4));
    m_server.Drop();
    ASSERT_TRUE(QTest::qWaitFor(ended, 5000));
    EXPECT_EQ(m_told, std::vector<std::string> { "login:link lost" });

    // Refused; then no server at all, and no host.
    m_server.SetSilent(QStringLiteral("Login"), false);
    m_told.clear();
    Client().LogIn(QStringLiteral("ann"), QStringLiteral("wrong"));
    ASSERT_TRUE(QTest::qWaitFor(ended, 5000));
    m_server.GoAway();
    Client().LogIn(QStringLiteral("ann"), QStringLiteral("secret"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_told.size() == 2; }, 5000));
    m_config->m_strNetHost.clear();
    const int last = Client().LogIn(QStringLiteral("ann"), QStringLiteral("secret"));
    EXPECT_TRUE(Client().LoggingIn()) << "the attempt is told after its number is known";
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_told.size() == 3; }, 5000));
    EXPECT_EQ(
        m_told, (std::vector<std::string> { "login:answered:3", "login:no server", "login:no server" }));
    EXPECT_GT(last, first);
    EXPECT_FALSE(Client().SignedIn());
    EXPECT_EQ(m_server.RequestsOf(QStringLiteral("Login")).size(), 5u) << "one login per attempt";
}
