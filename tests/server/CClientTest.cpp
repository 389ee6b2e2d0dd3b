// The receiver of one connection, against a test client on 127.0.0.1.

#include "server/CClient.h"
#include "classlink/C3DFile.h"
#include "classlink/XorWithLinkKey.h"
#include "support/LinkTestClient.h"
#include "support/QtPrint.h"
#include "support/TempDir.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <vector>

#include <sys/fsuid.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::MakeBundle;
using testsupport::TempDir;
using testsupport::WireHeader;
using testsupport::WireKeepAlive;
using testsupport::WireUpload;

namespace {

class CClientTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_listener.listen(QHostAddress::LocalHost));
        m_folder = m_dir.qpath() + QStringLiteral("/received");
    }

    // Connects a test client and puts a receiver on the accepted end.
    std::unique_ptr<QTcpSocket> Connect(int keepAliveMs = 2500, int stallTimeoutMs = 60000) {
        auto client = std::make_unique<QTcpSocket>();
        client->connectToHost(QHostAddress::LocalHost, m_listener.serverPort());
        EXPECT_TRUE(client->waitForConnected(5000));
        EXPECT_TRUE(QTest::qWaitFor([this] { return m_listener.hasPendingConnections(); }, 5000));
        QTcpSocket* accepted = m_listener.nextPendingConnection();
        m_receiver = std::make_unique<CClient>(
            accepted, &m_folder, nullptr, ReceiverOptions { m_dir.qpath(), keepAliveMs, stallTimeoutMs });
        // Connected after the receiver's own handler, so it counts the reads
        // the receiver has done.
        m_reads = 0;
        QObject::connect(accepted, &QTcpSocket::readyRead, [this] { ++m_reads; });
        QObject::connect(
            m_receiver.get(), &CClient::signal_Print, [this](const QString& line) { m_log << line; });
        return client;
    }

    static void Send(QTcpSocket& client, const QByteArray& bytes) {
        client.write(bytes);
        client.flush();
    }

    // Sends one byte at a time, each after the receiver has read the last.
    void SendByteByByte(QTcpSocket& client, const QByteArray& bytes) {
        for (char byte : bytes) {
            const int before = m_reads;
            Send(client, QByteArray(1, byte));
            ASSERT_TRUE(QTest::qWaitFor([&] { return m_reads > before; }, 5000));
        }
    }

    // Every entry of the receive folder, hidden ones included.
    QStringList Entries(const QString& folder = QString()) const {
        return QDir(folder.isEmpty() ? m_folder : folder)
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }

    // Waits for count entries with none of them a bundle still coming in: a
    // long bundle shows up first under its hidden temporary name.
    bool WaitForEntries(int count) {
        return QTest::qWaitFor(
            [&] {
                const QStringList entries = Entries();
                return entries.size() >= count
                    && std::none_of(entries.begin(), entries.end(),
                        [](const QString& e) { return e.startsWith(QStringLiteral(".receiving-")); });
            },
            10000);
    }

    QByteArray Stored(const QString& entry) const {
        QFile file(m_folder + QLatin1Char('/') + entry);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // The next whole message from the receiver as it travelled, or nothing
    // within 5 s. Its length is in its first four bytes, scrambled with the
    // key's first four.
    static QByteArray NextMessage(QTcpSocket& client) {
        if (!QTest::qWaitFor([&] { return client.bytesAvailable() >= 4; }, 5000))
            return {};
        const QByteArray head = client.peek(4);
        quint32 length = 0;
        for (int i = 0; i < 4; ++i)
            length = length << 8 | static_cast<quint8>(head[i] ^ "Kp7W"[i]);
        if (!QTest::qWaitFor([&] { return client.bytesAvailable() >= qint64(length) + 4; }, 5000))
            return {};
        return client.read(qint64(length) + 4);
    }

    // Waits for the next keep-alive and takes it: the receiver's own clock.
    static bool NextKeepAlive(QTcpSocket& client) { return NextMessage(client) == WireKeepAlive(); }

    // The next message within 5 s that is no keep-alive: a receipt, as it
    // travelled.
    static QByteArray NextReceipt(QTcpSocket& client) {
        const QDeadlineTimer deadline(5000);
        while (!deadline.hasExpired()) {
            const QByteArray message = NextMessage(client);
            if (message != WireKeepAlive())
                return message;
        }
        return {};
    }

    bool WaitForClose(QTcpSocket& client) {
        return QTest::qWaitFor([&] { return client.state() == QAbstractSocket::UnconnectedState; }, 5000);
    }

    TempDir m_dir;
    QTcpServer m_listener;
    QString m_folder;
    std::unique_ptr<CClient> m_receiver;
    int m_reads = 0;
    QStringList m_log;
};

// While it lives, this thread checks files as user nobody (root's pass over
// permission bits goes with its file system user), and no file of the
// process grows past `fileSize` bytes: a write past it fails, as one on a
// full disk does.
class WriteLimits {
public:
    WriteLimits(bool asNobody, rlim_t fileSize)
        : m_asNobody(asNobody) {
        if (m_asNobody)
            setfsuid(65534);
        getrlimit(RLIMIT_FSIZE, &m_old);
        const rlimit lowered { std::min(fileSize, m_old.rlim_max), m_old.rlim_max };
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~WriteLimits() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        if (m_asNobody)
            setfsuid(0);
    }

private:
    bool m_asNobody;
    rlimit m_old {};
};

const QRegularExpression kStoredName(QStringLiteral(R"(^(.+)_127\.0\.0\.1_\d{4}(-\d{1,2}){5}\.3d$)"));

QString SubmittedPart(const QString& entry) {
    return kStoredName.match(entry).captured(1);
}

} // namespace

TEST_F(CClientTest, BundleInOneWriteOrByteByByteIsStoredTheSame) {
    auto client = Connect();
    EXPECT_EQ(m_receiver->m_sIp, QStringLiteral("127.0.0.1"));
    const QByteArray bundle = MakeBundle(1, 700);
    Send(*client, WireUpload(QStringLiteral("robot1"), bundle));
    ASSERT_TRUE(WaitForEntries(1));
    ASSERT_EQ(Entries().size(), 1);
    // The missing receive folder was made.
    EXPECT_EQ(SubmittedPart(Entries()[0]), QStringLiteral("robot1"));
    EXPECT_EQ(Stored(Entries()[0]), bundle);
    // The teacher reads who sent which file.
    EXPECT_EQ(m_log, QStringList { QStringLiteral("已保存:robot1(127.0.0.1):") + Entries()[0] });
    // And the student learns it arrived, under the name the teacher sees.
    EXPECT_EQ(NextReceipt(*client), testsupport::WireReceipt(QStringLiteral("robot1")));

    SendByteByByte(*client, WireUpload(QStringLiteral("机器人2"), bundle));
    ASSERT_TRUE(WaitForEntries(2));
    const QStringList entries = Entries();
    ASSERT_EQ(entries.size(), 2);
    const QString second = SubmittedPart(entries[0]) == QStringLiteral("机器人2") ? entries[0] : entries[1];
    EXPECT_EQ(SubmittedPart(second), QStringLiteral("机器人2"));
    EXPECT_EQ(Stored(second), bundle);
    EXPECT_EQ(m_receiver->m_nAlive, 1);
    EXPECT_EQ(NextReceipt(*client), testsupport::WireReceipt(QStringLiteral("机器人2")));
}

TEST_F(CClientTest, BackToBackBundlesAreAllStored) {
    auto client = Connect();
    const QByteArray a = MakeBundle(2, 500);
    const QByteArray b = MakeBundle(3, 70000);
    const QByteArray c = MakeBundle(4, 333);
    Send(*client,
        WireUpload(QStringLiteral("a"), a) + WireUpload(QStringLiteral("b"), b)
            + WireUpload(QStringLiteral("c"), c));
    ASSERT_TRUE(WaitForEntries(3));
    const QStringList entries = Entries();
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(Stored(entries[0]), a);
    EXPECT_EQ(Stored(entries[1]), b);
    EXPECT_EQ(Stored(entries[2]), c);
    EXPECT_EQ(m_log.filter(QStringLiteral("已保存:")).size(), 3)
        << m_log.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(m_log.size(), 3);
    for (const char* name : { "a", "b", "c" })
        EXPECT_EQ(NextReceipt(*client), testsupport::WireReceipt(QString::fromLatin1(name))) << name;
}

// Several bundles of one name within a second (a student who submits
// twice, two simulators on one PC): each is kept, none replaces another.
TEST_F(CClientTest, SameNamedBundlesWithinASecondAreAllKept) {
    auto client = Connect();
    m_dir.write("received/keep.txt", "the teacher's");
    std::vector<QByteArray> bundles;
    QByteArray wire;
    for (int i = 0; i < 4; ++i) {
        bundles.push_back(MakeBundle(20 + i, 600 + i));
        wire += WireUpload(QStringLiteral("same"), bundles.back());
    }
    Send(*client, wire);
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_log.size() == 4; }, 10000))
        << m_log.join(' ').toStdString();
    QStringList stored = Entries();
    ASSERT_TRUE(stored.removeOne(QStringLiteral("keep.txt")));
    ASSERT_EQ(stored.size(), 4) << "replaced: " << stored.join(' ').toStdString();
    // In one second: the plain name, then (2), (3), (4); a second that
    // turns over in between starts again at the plain name.
    const QRegularExpression name(
        QStringLiteral(R"(^same_127\.0\.0\.1_\d{4}(-\d{1,2}){5}(\([234]\))?\.3d$)"));
    std::vector<QByteArray> contents;
    for (const QString& entry : stored) {
        EXPECT_TRUE(name.match(entry).hasMatch()) << entry.toStdString();
        contents.push_back(Stored(entry));
        EXPECT_TRUE(m_log.contains(QStringLiteral("已保存:same(127.0.0.1):") + entry)) << entry.toStdString();
    }
    std::sort(contents.begin(), contents.end());
    std::sort(bundles.begin(), bundles.end());
    EXPECT_EQ(contents, bundles);
    EXPECT_EQ(m_log.size(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(NextReceipt(*client), testsupport::WireReceipt(QStringLiteral("same"))) << i;
}

TEST_F(CClientTest, KeepAliveIsSentAgainAndAgainAsTheLinkCarriesIt) {
    // Every 2.5 s, by the receiver's own timer.
    {
        auto client = Connect();
        // The one that repeats (the other times a stalled upload).
        QList<QTimer*> timers = m_receiver->findChildren<QTimer*>();
        timers.removeIf([](const QTimer* timer) { return timer->isSingleShot(); });
        ASSERT_EQ(timers.size(), 1);
        EXPECT_EQ(timers[0]->interval(), 2500);
        EXPECT_TRUE(timers[0]->isActive());
    }
    // Not once: an upload of a minute needs a keep-alive all the way.
    auto client = Connect(20);
    ASSERT_TRUE(QTest::qWaitFor([&] { return client->bytesAvailable() >= 4 * 46; }, 5000));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(client->read(46), WireKeepAlive()) << "keep-alive " << i;
    // A keep-alive now and then is no reason to stop receiving.
    const QByteArray bundle = MakeBundle(8, 700);
    Send(*client, WireUpload(QStringLiteral("while alive"), bundle));
    ASSERT_TRUE(WaitForEntries(1));
    EXPECT_EQ(Stored(Entries()[0]), bundle);
}

// Silence is timed while an upload is under way, from its last byte, and
// only then. The keep-alives, every 30 ms, are the test's clock.
TEST_F(CClientTest, OnlySilenceInTheMiddleOfAnUploadDropsItAndThatIsLoggedOnce) {
    constexpr int kTickMs = 30;
    constexpr int kStallMs = 600;
    auto client = Connect(kTickMs, kStallMs);
    const QByteArray bundle = MakeBundle(10, 4000);
    const QByteArray wire = WireUpload(QStringLiteral("slow"), bundle);

    // An upload that keeps sending, a piece at every keep-alive, over twice
    // the time that silence may last.
    const qsizetype pieces = 2 * kStallMs / kTickMs;
    const qsizetype piece = wire.size() / pieces + 1;
    for (qsizetype at = 0; at < wire.size(); at += piece) {
        ASSERT_TRUE(NextKeepAlive(*client)) << "at byte " << at << ": " << m_log.join(' ').toStdString();
        Send(*client, wire.mid(at, piece));
    }
    ASSERT_TRUE(WaitForEntries(1)) << m_log.join(' ').toStdString();
    EXPECT_EQ(Stored(Entries()[0]), bundle);
    EXPECT_EQ(m_log, QStringList { QStringLiteral("已保存:slow(127.0.0.1):") + Entries()[0] });
    EXPECT_EQ(NextReceipt(*client), testsupport::WireReceipt(QStringLiteral("slow")));

    // Then the link is quiet, for longer than an upload may be: it stays.
    for (int tick = 0; tick < 3 * kStallMs / 2 / kTickMs; ++tick)
        ASSERT_TRUE(NextKeepAlive(*client)) << "keep-alive " << tick << ": " << m_log.join(' ').toStdString();
    EXPECT_EQ(client->state(), QAbstractSocket::ConnectedState);
    EXPECT_EQ(m_receiver->m_nAlive, 1);
    EXPECT_EQ(m_log.size(), 1) << m_log.join(' ').toStdString();

    // An upload that stops half-way is dropped with one line, and leaves
    // nothing.
    m_log.clear();
    Send(*client, wire.left(wire.size() / 2));
    ASSERT_TRUE(WaitForClose(*client));
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_receiver->m_nAlive == 0; }, 5000));
    EXPECT_EQ(
        m_log, QStringList { QStringLiteral("断开:127.0.0.1:上传中断,0.6秒未收到数据,未收完的文件已删除") });
    EXPECT_EQ(Entries().size(), 1) << Entries().join(' ').toStdString();
}

// The receiver's own pace, as it runs in the classroom: an upload has its
// grace, and a second more for every so many bytes that have come. A
// classroom network, even a slow one, brings a bundle whole; a trickle is
// dropped within three minutes, whatever size it announces.
TEST(UploadPace, AnHonestSlowNetworkFinishesAndATrickleEndsWithinThreeMinutes) {
    const ReceiverOptions pace;
    const double grace = pace.uploadGraceMs / 1000.0;
    const double floor = static_cast<double>(pace.minUploadBytesPerSecond);
    const struct {
        const char* what;
        double bytesPerSecond;
        bool finishes;
    } cases[] = {
        { "50 students sharing 10 Mbit/s", 10e6 / 8 / 50, true },
        { "25 students sharing 2 Mbit/s", 2e6 / 8 / 25, true },
        { "a byte every 30 s", 1.0 / 30, false },
        { "a byte every 55 s", 1.0 / 55, false },
        { "a kilobyte every 30 s", 1024.0 / 30, false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // Behind at t when rate * t < floor * (t - grace): from
        // t = grace / (1 - rate / floor) on, for a rate below the floor.
        EXPECT_EQ(c.bytesPerSecond >= floor, c.finishes);
        if (!c.finishes) {
            EXPECT_LE(grace / (1 - c.bytesPerSecond / floor), 180.0);
        }
    }
    // Silence is still its own, shorter limit.
    EXPECT_EQ(pace.stallTimeoutMs, 60000);
}

TEST_F(CClientTest, BrokenOrOverlongHeadersCloseTheConnectionSayingWhy) {
    const QString limit = QString::number(CClient::kMaxDataLength);
    struct Case {
        const char* what;
        QByteArray bytes;
        QString reason;
    } cases[] = {
        { "data over the limit", WireHeader(14, CClient::kMaxDataLength + 1),
            QStringLiteral("文件长度无效(536870913字节,上限%1字节)").arg(limit) },
        { "data length 0", WireHeader(14, 0), QStringLiteral("文件长度无效(0字节,上限%1字节)").arg(limit) },
        { "negative data length", WireHeader(14, -5),
            QStringLiteral("文件长度无效(-5字节,上限%1字节)").arg(limit) },
        { "name block too short", WireHeader(3, 100), QStringLiteral("名字长度无效(3字节)") },
        { "negative name block", WireHeader(-1, 100), QStringLiteral("名字长度无效(-1字节)") },
        { "name block over the limit", WireHeader(CClient::kMaxNameLength + 2, 100),
            QStringLiteral("名字长度无效(2054字节)") },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_log.clear();
        auto client = Connect();
        Send(*client, c.bytes + QByteArray(64, 'x'));
        EXPECT_TRUE(WaitForClose(*client));
        EXPECT_EQ(m_receiver->m_nAlive, 0);
        ASSERT_FALSE(m_log.isEmpty());
        EXPECT_EQ(m_log.first(), QStringLiteral("通讯出错:127.0.0.1:") + c.reason);
        EXPECT_TRUE(Entries().isEmpty());
    }

    // A name block whose string does not fill it.
    m_log.clear();
    auto client = Connect();
    QByteArray header = WireHeader(16, 10);
    QByteArray block("\x00\x00\x00\x0a", 4);
    block += QByteArray(12, 'n');
    XorWithLinkKey(block, 8);
    Send(*client, header + block);
    EXPECT_TRUE(WaitForClose(*client));
    EXPECT_EQ(m_log.value(0), QStringLiteral("通讯出错:127.0.0.1:名字格式无效"));
    EXPECT_TRUE(Entries().isEmpty());
}

TEST_F(CClientTest, LargestBundleIsTakenAndAHalfSentOneLeavesNothing) {
    auto client = Connect();
    const QByteArray wire = WireUpload(QStringLiteral("huge"), QByteArray(100, 'x'));
    QByteArray header = WireHeader(12, CClient::kMaxDataLength);
    Send(*client, header + wire.mid(8, 12 + 100));
    // While it comes in, only a hidden temporary file is there. (The 120
    // bytes travel in one piece: one read takes them all.)
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_reads == 1 && Entries().size() == 1; }, 5000));
    EXPECT_EQ(client->state(), QAbstractSocket::ConnectedState);
    EXPECT_EQ(m_receiver->m_nAlive, 1);
    ASSERT_EQ(Entries().size(), 1);
    EXPECT_TRUE(Entries()[0].startsWith(QLatin1Char('.')));

    client->disconnectFromHost();
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_receiver->m_nAlive == 0; }, 5000));
    EXPECT_TRUE(Entries().isEmpty()) << Entries().join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(m_log, QStringList { QStringLiteral("断开:127.0.0.1:上传未完成,未收完的文件已删除") });
}

TEST_F(CClientTest, BundleOf256MiBIsStoredByteForByte) {
    auto client = Connect();
    QByteArray bundle(256 << 20, Qt::Uninitialized);
    testsupport::FillPseudoRandom(bundle.data(), bundle.size(), 256);
    const QByteArray digest = QCryptographicHash::hash(bundle, QCryptographicHash::Sha1);
    const QByteArray wire = WireUpload(QStringLiteral("big"), bundle);
    bundle = QByteArray();
    Send(*client, wire);
    ASSERT_TRUE(
        QTest::qWaitFor([this] { return Entries().size() == 1 && !Entries()[0].startsWith('.'); }, 60000));
    QFile stored(m_folder + QLatin1Char('/') + Entries()[0]);
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    EXPECT_EQ(stored.size(), 256 << 20);
    QCryptographicHash hash(QCryptographicHash::Sha1);
    ASSERT_TRUE(hash.addData(&stored));
    EXPECT_EQ(hash.result(), digest);
    EXPECT_EQ(m_log, QStringList { QStringLiteral("已保存:big(127.0.0.1):") + Entries()[0] });
}

TEST_F(CClientTest, BundleCompleteWhenThePeerHangsUpIsStored) {
    auto client = Connect();
    const QByteArray bundle = MakeBundle(5, 200000);
    Send(*client, WireUpload(QStringLiteral("last"), bundle));
    client->disconnectFromHost();
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_receiver->m_nAlive == 0; }, 5000));
    ASSERT_EQ(Entries().size(), 1);
    EXPECT_EQ(Stored(Entries()[0]), bundle);
    // A student closing Morvane is a disconnection, said in the log's language.
    EXPECT_EQ(m_log,
        (QStringList {
            QStringLiteral("已保存:last(127.0.0.1):") + Entries()[0], QStringLiteral("断开:127.0.0.1") }));
}

TEST_F(CClientTest, UnsafeNamesAreStoredInsideTheFolder) {
    auto client = Connect();
    const QByteArray bundle = MakeBundle(6, 400);
    Send(*client,
        WireUpload(QStringLiteral("../outside"), bundle) + WireUpload(QStringLiteral("a/b"), bundle)
            + WireUpload(QString(), bundle) + WireUpload(QStringLiteral(".."), bundle));
    ASSERT_TRUE(WaitForEntries(4));
    QStringList names;
    for (const QString& entry : Entries())
        names << SubmittedPart(entry);
    names.sort();
    EXPECT_EQ(names,
        (QStringList { QStringLiteral("__"), QStringLiteral("___outside"), QStringLiteral("a_b"),
            QStringLiteral("未命名") }));
    // Each student is told the name the teacher's table shows.
    for (const char* shown : { "___outside", "a_b", "未命名", "__" })
        EXPECT_EQ(NextReceipt(*client), testsupport::WireReceipt(QString::fromUtf8(shown))) << shown;
    // Nothing was written next to the receive folder.
    EXPECT_EQ(QDir(m_dir.qpath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList { QStringLiteral("received") });
}

TEST_F(CClientTest, FailedWriteIsLoggedWithTheSystemsReasonAndTheNextBundleGoesToTheNewFolder) {
    auto client = Connect();
    m_dir.write("not-a-folder", "a file");
    const QString locked = m_dir.qpath() + QStringLiteral("/locked");
    ASSERT_TRUE(QDir().mkpath(locked));
    // Refused even to root, who passes over permission bits: the receiver's
    // thread (this one) checks files as nobody while the bundle comes in.
    chmod(m_dir.path().c_str(), 0755);
    chmod(QFile::encodeName(locked).constData(), 0555);
    const bool root = geteuid() == 0;
    const bool lockedRefuses = [&] {
        const WriteLimits nobody(root, RLIM_INFINITY);
        return !QFile(locked + QStringLiteral("/probe")).open(QIODevice::WriteOnly);
    }();
    std::signal(SIGXFSZ, SIG_IGN);
    const QByteArray bundle = MakeBundle(7, 40000);
    struct Case {
        const char* what;
        QString folder;
        QString reason;
        rlim_t fileSizeLimit;
    } cases[] = {
        { "a file where the folder should be", m_dir.qpath() + QStringLiteral("/not-a-folder"),
            QStringLiteral("路径上有同名的文件,不是文件夹"), RLIM_INFINITY },
        { "a folder that refuses writes", locked, QStringLiteral("没有写入权限"), RLIM_INFINITY },
        // A write cut short, as on a full disk.
        { "the file size limit reached", m_dir.qpath() + QStringLiteral("/limited"),
            QStringLiteral("文件超出大小限制"), 10000 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.folder == locked && !lockedRefuses) {
            std::cout << "[  SKIPPED ] " << c.what << ": this system lets the test write there\n";
            continue;
        }
        m_log.clear();
        m_folder = c.folder;
        {
            const WriteLimits limits(root && c.folder == locked, c.fileSizeLimit);
            Send(*client, WireUpload(QStringLiteral("lost"), bundle));
            ASSERT_TRUE(QTest::qWaitFor([this] { return !m_log.isEmpty(); }, 5000));
        }
        EXPECT_EQ(m_log.first(), QStringLiteral("写入失败:") + c.folder + QLatin1Char(':') + c.reason);
        EXPECT_EQ(m_receiver->m_nAlive, 1);
        EXPECT_TRUE(Entries(m_dir.qpath() + QStringLiteral("/limited")).isEmpty());

        // The connection stays in step; the folder is read anew for each
        // bundle. Only the stored one has its receipt.
        m_folder = m_dir.qpath() + QStringLiteral("/second");
        Send(*client, WireUpload(QStringLiteral("kept"), bundle));
        ASSERT_TRUE(QTest::qWaitFor([this] { return Entries(m_folder).size() == 1; }, 5000));
        EXPECT_EQ(SubmittedPart(Entries(m_folder)[0]), QStringLiteral("kept"));
        EXPECT_EQ(NextReceipt(*client), testsupport::WireReceipt(QStringLiteral("kept")));
        QDir(m_folder).removeRecursively();
    }
}

TEST_F(CClientTest, PeerOnADualStackListenerIsNamedByItsIPv4Address) {
    QTcpServer dualStack;
    ASSERT_TRUE(dualStack.listen(QHostAddress::Any));
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, dualStack.serverPort());
    ASSERT_TRUE(client.waitForConnected(5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return dualStack.hasPendingConnections(); }, 5000));
    QTcpSocket* accepted = dualStack.nextPendingConnection();
    ASSERT_TRUE(accepted->peerAddress().toString().startsWith(QStringLiteral("::ffff:")));
    CClient receiver(accepted, &m_folder, nullptr, ReceiverOptions { m_dir.qpath() });
    EXPECT_EQ(receiver.m_sIp, QStringLiteral("127.0.0.1"));
}

TEST(LinkTestClient, BundlesHaveTheAskedSizeAndOnesTooSmallForTheirSectionsAreRefused) {
    // "2_256_0__", the text "ab" and the robot file of 256 bytes.
    constexpr qsizetype kSmallest = 9 + 2 + 256;
    for (const qsizetype tooSmall : { qsizetype(0), qsizetype(10), kSmallest - 1 })
        EXPECT_THROW(MakeBundle(1, tooSmall, QStringLiteral("ab")), std::invalid_argument) << tooSmall;
    EXPECT_THROW(MakeBundle(1, 100), std::invalid_argument);
    // Every size up from there, over the program length's steps to 2, 3
    // and 4 digits, and some beyond.
    for (qsizetype size = kSmallest; size < kSmallest + 12000; size += size < kSmallest + 1100 ? 1 : 97) {
        const QByteArray bundle = MakeBundle(7, size, QStringLiteral("ab"));
        ASSERT_EQ(bundle.size(), size);
        const C3DFile::Header header = C3DFile::ParseHeader(bundle.left(C3DFile::kMaxHeaderSize), size);
        ASSERT_TRUE(C3DFile::IsValid(header, size, C3DFile::Reader::Upload)) << size;
        EXPECT_EQ(header.textLength, 2);
        EXPECT_EQ(bundle.mid(qsizetype(header.headerLength), 3), QByteArray("ab<"));
    }
}
