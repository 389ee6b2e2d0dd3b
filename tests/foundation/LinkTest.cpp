// CConfig's link against a test server on 127.0.0.1 that speaks the framing
// and scrambling the way ClassServer and a contest server do.

#include "classlink/LinkFrame.h"
#include "classlink/XorWithLinkKey.h"
#include "foundation/CConfig.h"
#include "support/CapturedWarnings.h"
#include "support/LinkTestClient.h"
#include "support/QtPrint.h"
#include "support/TempDir.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using testsupport::TempDir;

namespace {

QByteArray Scrambled(QByteArray bytes) {
    XorWithLinkKey(bytes);
    return bytes;
}

QByteArray Frame(const QByteArray& body) {
    return Scrambled(MakeLinkFrame(body));
}

// The peer's side: one listener, the connection it accepted last.
class TestServer {
public:
    explicit TestServer(quint16 port) { m_listening = m_server.listen(QHostAddress::LocalHost, port); }

    bool listening() const { return m_listening; }

    // Waits for the next connection.
    QTcpSocket* accept() {
        if (!QTest::qWaitFor([this] { return m_server.hasPendingConnections(); }, 5000))
            return nullptr;
        m_peer.reset(m_server.nextPendingConnection());
        return m_peer.get();
    }

    void send(const QByteArray& bytes) {
        m_peer->write(bytes);
        m_peer->flush();
    }

    // Reads exactly `count` bytes, as they arrived on the wire.
    QByteArray receive(qint64 count) {
        if (!QTest::qWaitFor([&] { return m_peer->bytesAvailable() >= count; }, 5000))
            return m_peer->readAll();
        return m_peer->read(count);
    }

    bool waitForClose() {
        return QTest::qWaitFor([this] { return m_peer->state() == QAbstractSocket::UnconnectedState; }, 5000);
    }

private:
    QTcpServer m_server;
    std::unique_ptr<QTcpSocket> m_peer;
    bool m_listening = false;
};

// A configuration over a folder of its own, with its link's signals recorded.
class LinkTest : public testing::Test {
protected:
    void SetUp() override {
        m_config = std::make_unique<CConfig>(m_dir.qpath());
        m_config->m_bNoHeartbeat = true;
        QObject::connect(m_config.get(), &CConfig::signal_GetMsg,
            [this](QByteArray* body) { m_messages.push_back(*body); });
        QObject::connect(m_config.get(), &CConfig::signal_Disconnect, [this] { ++m_disconnects; });
    }

    void TearDown() override { m_config->ShutdownNet(); }

    // Sets the link up and connects it to a test server on the classroom port.
    QTcpSocket* ConnectClassroom(TestServer& server, const ServerLink::Timing& timing = {}) {
        m_config->InitNet(timing);
        m_config->m_strClassHost = QStringLiteral("127.0.0.1");
        m_config->ConnectToServer(true);
        QTcpSocket* peer = server.accept();
        EXPECT_TRUE(peer);
        EXPECT_TRUE(QTest::qWaitFor(
            [this] { return m_config->m_pSocket->state() == QAbstractSocket::ConnectedState; }, 5000));
        return peer;
    }

    bool WaitForMessages(size_t count) {
        return QTest::qWaitFor([&] { return m_messages.size() >= count; }, 5000);
    }

    // Sends a last frame and waits for it: whatever was to come before it
    // has come by then.
    void SendAndWaitForTheLast(TestServer& server) {
        const size_t before = m_messages.size();
        server.send(Frame("the last"));
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return !m_messages.empty() && m_messages.back() == "the last" && m_messages.size() > before;
            },
            5000));
        m_messages.pop_back();
    }

    TempDir m_dir;
    std::unique_ptr<CConfig> m_config;
    std::vector<QByteArray> m_messages;
    int m_disconnects = 0;
};

} // namespace

TEST_F(LinkTest, WithoutHeartbeatBothServersAreOnPort4480) {
    TestServer server(CConfig::kClassroomPort);
    ASSERT_TRUE(server.listening());
    m_config->InitNet();
    EXPECT_EQ(m_config->m_pHeartTimer, nullptr);
    m_config->StartHeartbeat();

    m_config->m_strNetHost = QStringLiteral("127.0.0.1");
    m_config->ConnectToServer(false);
    ASSERT_TRUE(server.accept());

    m_config->m_strClassHost = QStringLiteral(" 127.0.0.1 ");
    m_config->ConnectToServer(true);
    ASSERT_TRUE(server.accept());
    // Dropping the first connection for the second is no disconnect.
    EXPECT_EQ(m_disconnects, 0);
}

TEST_F(LinkTest, HeartbeatTimerMeansContestPort4481AndEmptyFrames) {
    TestServer contest(CConfig::kContestPort);
    ASSERT_TRUE(contest.listening());
    m_config->m_bNoHeartbeat = false;
    m_config->InitNet();
    ASSERT_NE(m_config->m_pHeartTimer, nullptr);
    m_config->m_strNetHost = QStringLiteral("127.0.0.1");
    m_config->ConnectToServer(false);
    ASSERT_TRUE(contest.accept());
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return m_config->m_pSocket->state() == QAbstractSocket::ConnectedState; }, 5000));

    m_config->StartHeartbeat();
    EXPECT_TRUE(m_config->m_pHeartTimer->isActive());
    EXPECT_EQ(m_config->m_pHeartTimer->interval(), 30000);
    m_config->slot_HeartTimer();
    EXPECT_EQ(contest.receive(4), QByteArray("Kp7W"));
    EXPECT_TRUE(m_config->m_pHeartTimer->isActive());
    // Any other message stops the heartbeat.
    EXPECT_TRUE(m_config->SendMsg(MakeLinkFrame("x"), false));
    EXPECT_FALSE(m_config->m_pHeartTimer->isActive());
}

TEST_F(LinkTest, NoHostOrNoSetUpIsReportedAtOnce) {
    testsupport::CapturedWarnings warnings("morvane.foundation");
    m_config->m_strClassHost = QStringLiteral("127.0.0.1");
    m_config->ConnectToServer(true);
    EXPECT_EQ(m_disconnects, 1);
    EXPECT_FALSE(m_config->SendMsg(MakeLinkFrame("x"), false));
    EXPECT_EQ(warnings.count(), 2);

    m_config->InitNet();
    m_config->m_strClassHost.clear();
    m_config->ConnectToServer(true);
    EXPECT_EQ(m_disconnects, 2);
    EXPECT_EQ(m_config->m_pSocket->state(), QAbstractSocket::UnconnectedState);
    EXPECT_FALSE(m_config->SendMsg(MakeLinkFrame("x"), false));
    EXPECT_EQ(warnings.count(), 3);
}

TEST_F(LinkTest, FramesInPiecesOrTogetherAreEachDeliveredWhole) {
    TestServer server(CConfig::kClassroomPort);
    ASSERT_TRUE(server.listening());
    ConnectClassroom(server);

    // A header in two pieces of two bytes: the first leaves a frame under
    // way, waited for by the reply time-out.
    const QByteArray first = Frame("first");
    server.send(first.left(2));
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_config->m_pOutTimeTimer->isActive(); }, 5000));
    EXPECT_EQ(m_config->m_pOutTimeTimer->interval(), 10000);
    server.send(first.mid(2));
    ASSERT_TRUE(WaitForMessages(1));
    EXPECT_EQ(m_messages[0], QByteArray("first"));

    // Four frames in one write, one of them empty.
    server.send(Frame("second") + Frame(QByteArray()) + Frame("third") + Frame(QByteArray(40, 'z')));
    SendAndWaitForTheLast(server);
    ASSERT_EQ(m_messages.size(), 4u);
    EXPECT_EQ(m_messages[1], QByteArray("second"));
    EXPECT_EQ(m_messages[2], QByteArray("third"));
    EXPECT_EQ(m_messages[3], QByteArray(40, 'z'));
    EXPECT_FALSE(m_config->m_pOutTimeTimer->isActive());
    EXPECT_EQ(m_disconnects, 0);
}

TEST_F(LinkTest, ReceiverRunningTheEventLoopLosesNothing) {
    TestServer server(CConfig::kClassroomPort);
    ASSERT_TRUE(server.listening());
    ConnectClassroom(server);

    // The first receiver call behaves like a message box: it runs the event
    // loop while the next message arrives, in pieces.
    std::vector<QByteArray> seenInside;
    bool inside = false;
    QObject::connect(m_config.get(), &CConfig::signal_GetMsg, [&](QByteArray* body) {
        if (inside || *body != "open a box")
            return;
        inside = true;
        const QByteArray next = Frame("arrived meanwhile");
        server.send(next.left(7));
        EXPECT_TRUE(QTest::qWaitFor([&] { return m_config->m_pOutTimeTimer->isActive(); }, 5000));
        server.send(next.mid(7) + Frame("and another"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return m_messages.size() == 3; }, 5000));
        seenInside = m_messages;
        inside = false;
    });
    server.send(Frame("open a box"));
    ASSERT_TRUE(WaitForMessages(3));
    EXPECT_EQ(m_messages[0], QByteArray("open a box"));
    EXPECT_EQ(m_messages[1], QByteArray("arrived meanwhile"));
    EXPECT_EQ(m_messages[2], QByteArray("and another"));
    EXPECT_EQ(seenInside.size(), 3u);
}

TEST_F(LinkTest, KeepAliveOfTheServerIsRecognisedFromItsWireBytes) {
    TestServer server(CConfig::kClassroomPort);
    ASSERT_TRUE(server.listening());
    ConnectClassroom(server);
    server.send(testsupport::WireKeepAlive() + Frame("Match"));
    ASSERT_TRUE(WaitForMessages(2));
    EXPECT_TRUE(m_config->IsKeepAliveMsg(m_messages[0]));
    EXPECT_FALSE(m_config->IsKeepAliveMsg(m_messages[1]));
}

TEST_F(LinkTest, LongestBodyPassesOneByteMoreClosesTheLink) {
    TestServer server(CConfig::kClassroomPort);
    ASSERT_TRUE(server.listening());
    ConnectClassroom(server);
    QByteArray largest(ServerLink::kMaxBody, '\0');
    largest[0] = 'A';
    largest[largest.size() - 1] = 'Z';
    server.send(Frame(largest));
    ASSERT_TRUE(WaitForMessages(1));
    EXPECT_EQ(m_messages[0], largest);

    testsupport::CapturedWarnings warnings("morvane.foundation");
    QByteArray header(4, '\0');
    const quint32 tooLong = ServerLink::kMaxBody + 1;
    header[0] = static_cast<char>(tooLong >> 24);
    header[1] = static_cast<char>(tooLong >> 16);
    header[2] = static_cast<char>(tooLong >> 8);
    header[3] = static_cast<char>(tooLong);
    server.send(Scrambled(header) + QByteArray(1000, 'x'));
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_disconnects == 1; }, 5000));
    EXPECT_TRUE(server.waitForClose());
    EXPECT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(warnings.count(), 1);
    EXPECT_TRUE(warnings.contains(QString::number(tooLong)));
}

TEST_F(LinkTest, LinkDroppedMidFrameStartsCleanWhenReconnected) {
    TestServer server(CConfig::kClassroomPort);
    ASSERT_TRUE(server.listening());
    QTcpSocket* peer = ConnectClassroom(server);
    const QByteArray cut = Frame("this body never ends");
    server.send(cut.left(11));
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_config->m_pOutTimeTimer->isActive(); }, 5000));
    peer->disconnectFromHost();
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_disconnects == 1; }, 5000));

    m_config->ConnectToServer(true);
    ASSERT_TRUE(server.accept());
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return m_config->m_pSocket->state() == QAbstractSocket::ConnectedState; }, 5000));
    server.send(Frame("fresh"));
    ASSERT_TRUE(WaitForMessages(1));
    EXPECT_EQ(m_messages[0], QByteArray("fresh"));
    EXPECT_EQ(m_disconnects, 1);
}

TEST_F(LinkTest, MessageCompleteBeforeAHangUpStillComesFirst) {
    TestServer server(CConfig::kClassroomPort);
    ASSERT_TRUE(server.listening());
    QTcpSocket* peer = ConnectClassroom(server);
    std::vector<std::string> events;
    QObject::connect(m_config.get(), &CConfig::signal_GetMsg,
        [&](QByteArray* body) { events.push_back("message " + body->toStdString()); });
    QObject::connect(m_config.get(), &CConfig::signal_Disconnect, [&] { events.push_back("disconnect"); });
    server.send(Frame("Score reply"));
    peer->disconnectFromHost();
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_disconnects == 1; }, 5000));
    EXPECT_EQ(events, (std::vector<std::string> { "message Score reply", "disconnect" }));
}

TEST_F(LinkTest, SendMsgScramblesTheFrameAndTellsFailure) {
    TestServer server(CConfig::kClassroomPort);
    ASSERT_TRUE(server.listening());
    QTcpSocket* peer = ConnectClassroom(server);
    const QByteArray frame = MakeLinkFrame(QByteArray("a request that is longer than the key"));
    EXPECT_TRUE(m_config->SendMsg(frame, false));
    EXPECT_TRUE(m_config->m_pOutTimeTimer->isActive());
    EXPECT_EQ(m_config->m_pOutTimeTimer->interval(), 10000);
    EXPECT_EQ(server.receive(frame.size()), Scrambled(frame));

    peer->disconnectFromHost();
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_disconnects == 1; }, 5000));
    EXPECT_FALSE(m_config->m_pOutTimeTimer->isActive());
    EXPECT_FALSE(m_config->SendMsg(frame, false));
}

TEST_F(LinkTest, NoReplyInTimeClosesTheLinkOnce) {
    TestServer server(CConfig::kClassroomPort);
    ASSERT_TRUE(server.listening());
    ServerLink::Timing quick;
    quick.replyTimeoutMs = 100;
    ConnectClassroom(server, quick);
    EXPECT_TRUE(m_config->SendMsg(MakeLinkFrame("Match"), false));
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_disconnects == 1; }, 5000));
    EXPECT_TRUE(server.waitForClose());
    // The socket's own close is no second report.
    EXPECT_EQ(m_config->m_pSocket->state(), QAbstractSocket::UnconnectedState);
    m_config->slot_OutTimeTimer();
    m_config->slot_Disconnect();
    EXPECT_EQ(m_disconnects, 1);
}

TEST_F(LinkTest, EveryPieceOfAFrameGivesTheRestTheFullTimeAStalledFrameCloses) {
    TestServer server(CConfig::kClassroomPort);
    ASSERT_TRUE(server.listening());
    // A time-out far longer than the test: each piece must start it afresh.
    // What the time-out left was read as each piece was taken in (just after
    // the link's own reading); the pieces come half a second apart, so a time
    // not started afresh would show at least that much less. (A precise timer:
    // a coarse one of a minute ends on a whole second, whenever it started.)
    ServerLink::Timing slowReply;
    slowReply.replyTimeoutMs = 60000;
    ConnectClassroom(server, slowReply);
    std::vector<int> remaining;
    QTimer* timeOut = m_config->m_pOutTimeTimer;
    timeOut->setTimerType(Qt::PreciseTimer);
    QObject::connect(m_config->m_pSocket, &QTcpSocket::readyRead,
        [&] { remaining.push_back(timeOut->isActive() ? timeOut->remainingTime() : -1); });
    const QByteArray slow = Frame("a reply that trickles in, piece by piece");
    const qsizetype piece = slow.size() / 4 + 1;
    qsizetype at = 0;
    for (; at + piece < slow.size(); at += piece) {
        const std::size_t before = remaining.size();
        server.send(slow.mid(at, piece));
        ASSERT_TRUE(QTest::qWaitFor([&] { return remaining.size() > before; }, 5000));
        QTest::qWait(500);
    }
    server.send(slow.mid(at));
    ASSERT_TRUE(WaitForMessages(1));
    EXPECT_EQ(m_messages[0], QByteArray("a reply that trickles in, piece by piece"));
    EXPECT_FALSE(m_config->m_pOutTimeTimer->isActive());
    ASSERT_GE(remaining.size(), 4u);
    for (std::size_t i = 0; i + 1 < remaining.size(); ++i)
        EXPECT_GT(remaining[i], 60000 - 400) << "after piece " << i;
    EXPECT_EQ(m_disconnects, 0);

    // A frame that stops arriving closes the link once the time is up.
    m_config->ShutdownNet();
    ServerLink::Timing quick;
    quick.replyTimeoutMs = 300;
    ConnectClassroom(server, quick);
    testsupport::CapturedWarnings warnings("morvane.foundation");
    server.send(Frame("never finished").left(9));
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_disconnects == 1; }, 5000));
    EXPECT_TRUE(server.waitForClose());
    EXPECT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(warnings.count(), 1);
}

TEST_F(LinkTest, RefusedConnectionIsReportedOnce) {
    // Nothing listens on the classroom port here.
    m_config->InitNet();
    m_config->m_strClassHost = QStringLiteral("127.0.0.1");
    m_config->ConnectToServer(true);
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_disconnects == 1; }, 5000));
    EXPECT_EQ(m_config->m_pSocket->state(), QAbstractSocket::UnconnectedState);
    // What the socket says afterwards is no second report.
    m_config->slot_NetError(QAbstractSocket::ConnectionRefusedError);
    m_config->slot_Disconnect();
    EXPECT_EQ(m_disconnects, 1);
}

TEST_F(LinkTest, ShutdownTearsEverythingDownQuietly) {
    TestServer server(CConfig::kClassroomPort);
    ASSERT_TRUE(server.listening());
    ConnectClassroom(server);
    server.send(Frame("pending"));
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_config->m_pMsgTimer->isActive(); }, 5000));
    m_config->ShutdownNet();
    EXPECT_EQ(m_config->m_pSocket, nullptr);
    EXPECT_EQ(m_config->m_pMsgTimer, nullptr);
    EXPECT_EQ(m_config->m_pOutTimeTimer, nullptr);
    EXPECT_EQ(m_config->m_pHeartTimer, nullptr);
    EXPECT_EQ(m_config->Link(), nullptr);
    EXPECT_TRUE(server.waitForClose());
    // Set up again, it works as before; the old link said nothing.
    m_config->InitNet();
    m_config->ConnectToServer(true);
    ASSERT_TRUE(server.accept());
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return m_config->m_pSocket->state() == QAbstractSocket::ConnectedState; }, 5000));
    SendAndWaitForTheLast(server);
    EXPECT_EQ(m_disconnects, 0);
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(LinkTest, AnEmptiedKeyScramblesNothingAndBreaksNothing) {
    TestServer server(CConfig::kClassroomPort);
    ASSERT_TRUE(server.listening());
    m_config->m_strLinkKey.clear();
    m_config->m_nLinkKeyLen = 0;
    QTcpSocket* peer = ConnectClassroom(server);
    server.send(MakeLinkFrame("plain"));
    ASSERT_TRUE(WaitForMessages(1));
    EXPECT_EQ(m_messages[0], QByteArray("plain"));
    EXPECT_TRUE(m_config->SendMsg(MakeLinkFrame("back"), false));
    EXPECT_EQ(server.receive(8), MakeLinkFrame("back"));
    EXPECT_EQ(peer->state(), QAbstractSocket::ConnectedState);

    // A length longer than the key is held to the key.
    m_config->m_strLinkKey = "ab";
    m_config->m_nLinkKeyLen = 16;
    EXPECT_EQ(m_config->LinkKey(), "ab");
    m_config->m_nLinkKeyLen = -3;
    EXPECT_EQ(m_config->LinkKey(), "");
}

TEST(LinkLifetime, AnyRunModeEndsCleanlyWithOrWithoutTheLink) {
    TestServer server(CConfig::kClassroomPort);
    ASSERT_TRUE(server.listening());
    for (int mode : { 2, 3, 6, 7 }) {
        for (bool setUp : { false, true }) {
            SCOPED_TRACE(testing::Message() << "mode " << mode << (setUp ? " with link" : " without link"));
            TempDir dir;
            auto config = std::make_unique<CConfig>(dir.qpath());
            config->m_nRunMode = mode;
            int disconnects = 0;
            QObject::connect(config.get(), &CConfig::signal_Disconnect, [&] { ++disconnects; });
            QTcpSocket* peer = nullptr;
            if (setUp) {
                config->InitNet();
                config->m_strClassHost = QStringLiteral("127.0.0.1");
                config->ConnectToServer(true);
                peer = server.accept();
                ASSERT_TRUE(peer);
            }
            config.reset();
            // The connection went with the configuration, without a word.
            EXPECT_EQ(disconnects, 0);
            if (peer) {
                EXPECT_TRUE(server.waitForClose());
            }
        }
    }
}

TEST(LinkProbe, LocalListenerIsReachableARefusedPortIsNot) {
    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress::LocalHost));
    EXPECT_TRUE(CConfig::ProbeTcpHost(QStringLiteral("127.0.0.1"), listener.serverPort(), 3000));

    const quint16 freed = listener.serverPort();
    listener.close();
    EXPECT_FALSE(CConfig::ProbeTcpHost(QStringLiteral("127.0.0.1"), freed, 3000));
    EXPECT_FALSE(CConfig::ProbeTcpHost(QString(), 80, 3000));
    // A refusal is the host's own answer: the network reached it.
    EXPECT_EQ(CConfig::ProbeTcp(QStringLiteral("127.0.0.1"), freed, 3000), CConfig::ProbeAnswer::Refused);
    EXPECT_EQ(CConfig::ProbeTcp(QString(), 80, 3000), CConfig::ProbeAnswer::None);
}
