// Starts the real ClassServer from a program folder of its own, talks the
// classroom link to it, and lets a real Morvane in classroom mode connect.

#include "support/LinkTestClient.h"
#include "support/QtPrint.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using testsupport::TempDir;
using testsupport::WaitFor;

namespace {

// A running program whose standard output is gathered as it comes.
class Program {
public:
    Program(const fs::path& executable, const fs::path& workingDir,
        const std::function<void()>& inChild = nullptr) {
        if (inChild)
            m_process.setChildProcessModifier(inChild);
        m_process.setWorkingDirectory(QString::fromStdString(workingDir.string()));
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(QString::fromStdString(executable.string()), {});
        EXPECT_TRUE(m_process.waitForStarted(10000));
    }

    ~Program() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    // Waits until the output holds the text. The limit leaves room for an
    // instrumented build starting its window on a busy machine.
    bool waitForOutput(const QString& text, int ms = 30000) {
        return waitForOutput([&](const QString& output) { return output.contains(text); }, ms);
    }

    // Waits until the output is as the condition wants it.
    bool waitForOutput(const std::function<bool(const QString&)>& holds, int ms) {
        const QDeadlineTimer deadline(ms);
        while (!holds(output())) {
            if (deadline.hasExpired())
                return false;
            m_process.waitForReadyRead(50);
        }
        return true;
    }

    bool running() const { return m_process.state() == QProcess::Running; }

    QString output() {
        m_output += m_process.readAll();
        return QString::fromUtf8(m_output);
    }

    // Ends the program the way a desktop session does; its exit code.
    int terminate() {
        kill(static_cast<pid_t>(m_process.processId()), SIGTERM);
        EXPECT_TRUE(m_process.waitForFinished(20000));
        output();
        EXPECT_EQ(m_process.exitStatus(), QProcess::NormalExit);
        return m_process.exitCode();
    }

private:
    QProcess m_process;
    QByteArray m_output;
};

fs::path Install(const TempDir& dir, const char* program) {
    const fs::path bin = MORVANE_PROGRAM_DIR;
    fs::copy_file(bin / program, dir.path() / program);
    return dir.path() / program;
}

QStringList StoredBundles(const TempDir& dir) {
    return QDir(dir.qpath() + QStringLiteral("/StuFile"))
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

TEST(ClassServerProgram, StoresUploadsInItsOwnFolderAndEndsOnSigterm) {
    TempDir dir;
    TempDir elsewhere;
    Program server(Install(dir, "ClassServer"), elsewhere.path());
    ASSERT_TRUE(server.waitForOutput(QStringLiteral("监听端口:4480"))) << server.output().toStdString();

    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, 4480);
    ASSERT_TRUE(client.waitForConnected(5000));
    ASSERT_TRUE(server.waitForOutput(QStringLiteral("连接:127.0.0.1")));

    // The keep-alive comes within its 2.5 s, scrambled from key position 0.
    const QByteArray heart = testsupport::WireKeepAlive();
    QDeadlineTimer deadline(5000);
    while (client.bytesAvailable() < heart.size() && !deadline.hasExpired())
        client.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    EXPECT_EQ(client.read(heart.size()), heart);

    const QByteArray bundle = testsupport::MakeBundle(42, 300000);
    client.write(testsupport::WireUpload(QStringLiteral("robot1"), bundle));
    ASSERT_TRUE(client.waitForBytesWritten(5000));
    // It shows up under a hidden temporary name while it comes in.
    ASSERT_TRUE(WaitFor(
        [&] {
            const QStringList stored = StoredBundles(dir);
            return stored.size() == 1 && stored[0].endsWith(QStringLiteral(".3d"));
        },
        10000));
    const QString stored = StoredBundles(dir).value(0);
    EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^robot1_127\.0\.0\.1_\d{4}(-\d{1,2}){5}\.3d$)"))
                    .match(stored)
                    .hasMatch())
        << stored.toStdString();
    EXPECT_EQ(dir.read("StuFile/" + stored.toStdString()), bundle);
    EXPECT_TRUE(server.waitForOutput(QStringLiteral("已保存:robot1(127.0.0.1):") + stored));

    // A message announcing more than the limit closes only its connection.
    QTcpSocket greedy;
    greedy.connectToHost(QHostAddress::LocalHost, 4480);
    ASSERT_TRUE(greedy.waitForConnected(5000));
    greedy.write(testsupport::WireHeader(14, 0x7FFFFFFF));
    ASSERT_TRUE(greedy.waitForBytesWritten(5000));
    EXPECT_TRUE(greedy.state() == QAbstractSocket::UnconnectedState || greedy.waitForDisconnected(5000));
    EXPECT_TRUE(server.waitForOutput(QStringLiteral("通讯出错:127.0.0.1:文件长度无效(2147483647字节")));
    EXPECT_EQ(client.state(), QAbstractSocket::ConnectedState);

    EXPECT_EQ(server.terminate(), 0);
    EXPECT_EQ(StoredBundles(dir), QStringList { stored });
    EXPECT_FALSE(elsewhere.exists("StuFile"));
}

// A file-size limit in the teacher's shell refuses a bundle larger than it
// with its reason; the server stays up and the next bundle is stored.
TEST(ClassServerProgram, ABundlePastTheShellsFileSizeLimitIsRefusedAndTheServerGoesOn) {
    TempDir dir;
    constexpr rlim_t kLimit = 100000;
    Program server(Install(dir, "ClassServer"), dir.path(), [] {
        const rlimit limit { kLimit, kLimit };
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    ASSERT_TRUE(server.waitForOutput(QStringLiteral("监听端口:4480"))) << server.output().toStdString();
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, 4480);
    ASSERT_TRUE(client.waitForConnected(5000));
    client.write(testsupport::WireUpload(QStringLiteral("big"), testsupport::MakeBundle(1, 2 * kLimit)));
    ASSERT_TRUE(client.waitForBytesWritten(5000));
    ASSERT_TRUE(server.waitForOutput(QStringLiteral("文件超出大小限制"))) << server.output().toStdString();

    QTcpSocket next;
    next.connectToHost(QHostAddress::LocalHost, 4480);
    ASSERT_TRUE(next.waitForConnected(5000));
    const QByteArray small = testsupport::MakeBundle(2, kLimit / 2);
    next.write(testsupport::WireUpload(QStringLiteral("small"), small));
    ASSERT_TRUE(next.waitForBytesWritten(5000));
    ASSERT_TRUE(server.waitForOutput(QStringLiteral("已保存:small(127.0.0.1):")))
        << server.output().toStdString();
    const QStringList stored = StoredBundles(dir);
    ASSERT_EQ(stored.size(), 1) << stored.join(' ').toStdString();
    EXPECT_EQ(dir.read("StuFile/" + stored[0].toStdString()), small);
    EXPECT_EQ(server.terminate(), 0);
}

// Up to `count` connections from `local`, blocking sockets the test holds
// open (the server may close them at once); fewer when the server stops
// taking them.
std::vector<int> ConnectMany(quint32 local, int count) {
    std::vector<int> sockets;
    for (int i = 0; i < count; ++i) {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in from {};
        from.sin_family = AF_INET;
        from.sin_addr.s_addr = htonl(local);
        sockaddr_in to {};
        to.sin_family = AF_INET;
        to.sin_port = htons(4480);
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0
            || connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
            if (fd >= 0)
                close(fd);
            break;
        }
        sockets.push_back(fd);
    }
    return sockets;
}

// A flood of connections from one address, and from forty more, far beyond
// the server's descriptor limit of 256: it refuses what is over its caps,
// says so once per address, and stores the bundles of the students at
// other addresses, during the flood and after it.
TEST(ClassServerProgram, AFloodBeyondItsDescriptorLimitLeavesItServingTheStudents) {
    // The flood's own sockets are this process's.
    rlimit own {};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &own), 0);
    if (own.rlim_cur < 2048 && own.rlim_max > own.rlim_cur) {
        own.rlim_cur = std::min<rlim_t>(own.rlim_max, 2048);
        ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &own), 0);
    }
    ASSERT_GE(own.rlim_cur, 1024u) << "the test needs 1024 descriptors of its own";

    TempDir dir;
    constexpr rlim_t kLimit = 256;
    Program server(Install(dir, "ClassServer"), dir.path(), [] {
        const rlimit limit { kLimit, kLimit };
        setrlimit(RLIMIT_NOFILE, &limit);
    });
    ASSERT_TRUE(server.waitForOutput(QStringLiteral("监听端口:4480"))) << server.output().toStdString();
    QTcpSocket student;
    ASSERT_TRUE(student.bind(QHostAddress(QStringLiteral("127.0.0.2"))));
    student.connectToHost(QHostAddress::LocalHost, 4480);
    ASSERT_TRUE(student.waitForConnected(5000));
    ASSERT_TRUE(server.waitForOutput(QStringLiteral("连接:127.0.0.2")));

    std::vector<int> flood = ConnectMany(0x7F000005u, 300);
    for (quint32 host = 1; host <= 40; ++host) {
        const std::vector<int> more = ConnectMany(0x7F000100u + host, 8);
        flood.insert(flood.end(), more.begin(), more.end());
    }
    const auto closeFlood = qScopeGuard([&] {
        for (int fd : flood)
            close(fd);
    });
    ASSERT_TRUE(server.running()) << "ClassServer ended in the flood:\n" << server.output().toStdString();
    EXPECT_EQ(flood.size(), 620u);
    ASSERT_TRUE(server.waitForOutput(QStringLiteral("拒绝连接:127.0.0.5:同一地址的连接已达上限(8个)")))
        << server.output().toStdString();
    ASSERT_TRUE(server.waitForOutput(QStringLiteral(":连接总数已达上限("))) << server.output().toStdString();

    // The student connected before uploads during the flood.
    const QByteArray bundle = testsupport::MakeBundle(7, 300000);
    student.write(testsupport::WireUpload(QStringLiteral("during"), bundle));
    while (student.bytesToWrite() > 0)
        ASSERT_TRUE(student.waitForBytesWritten(5000));
    ASSERT_TRUE(server.waitForOutput(QStringLiteral("已保存:during(127.0.0.2):"), 20000))
        << server.output().toStdString();
    // ... and the student is told it arrived.
    const QByteArray receipt = testsupport::WireReceipt(QStringLiteral("during"));
    QByteArray heard;
    const QDeadlineTimer told(10000);
    while (
        !heard.replace(testsupport::WireKeepAlive(), QByteArray()).contains(receipt) && !told.hasExpired()) {
        student.waitForReadyRead(100);
        heard += student.readAll();
    }
    EXPECT_TRUE(heard.contains(receipt)) << "no receipt";

    // Every refused address is said once; no more connections were taken
    // than the limit has room for, two descriptors each.
    const QString log = server.output();
    EXPECT_EQ(log.count(QStringLiteral("拒绝连接:127.0.0.5:")), 1);
    for (quint32 host = 1; host <= 40; ++host)
        EXPECT_LE(log.count(QStringLiteral("拒绝连接:127.0.1.%1:").arg(host)), 1) << host;
    EXPECT_LE(log.count(QStringLiteral("连接:")) - log.count(QStringLiteral("拒绝连接:")), int(kLimit / 2));

    // Once the flood has gone, which the server sees, a student at a new
    // address is served too.
    for (int fd : flood)
        close(fd);
    flood.clear();
    const auto floodLines = [](const QString& output, const char* kind) {
        return output.count(
            QRegularExpression(QString::fromUtf8(kind) + QStringLiteral(R"(:127\.0\.(0\.5|1\.\d+)$)"),
                QRegularExpression::MultilineOption));
    };
    ASSERT_TRUE(server.waitForOutput(
        [&](const QString& output) { return floodLines(output, "^连接") == floodLines(output, "^断开"); },
        20000))
        << server.output().toStdString();
    QTcpSocket next;
    ASSERT_TRUE(next.bind(QHostAddress(QStringLiteral("127.0.0.3"))));
    next.connectToHost(QHostAddress::LocalHost, 4480);
    ASSERT_TRUE(next.waitForConnected(5000));
    const QByteArray after = testsupport::MakeBundle(8, 200000);
    next.write(testsupport::WireUpload(QStringLiteral("after"), after));
    while (next.bytesToWrite() > 0)
        ASSERT_TRUE(next.waitForBytesWritten(5000));
    ASSERT_TRUE(server.waitForOutput(QStringLiteral("已保存:after(127.0.0.3):"), 20000))
        << server.output().toStdString();
    QStringList stored = StoredBundles(dir);
    ASSERT_EQ(stored.size(), 2) << stored.join(' ').toStdString();
    stored.sort();
    EXPECT_EQ(dir.read("StuFile/" + stored[0].toStdString()), after);
    EXPECT_EQ(dir.read("StuFile/" + stored[1].toStdString()), bundle);
    EXPECT_EQ(server.terminate(), 0);
}

TEST(ClassServerProgram, MorvaneInClassroomModeConnectsOnceItsWindowIsUp) {
    TempDir serverDir;
    Program server(Install(serverDir, "ClassServer"), serverDir.path());
    ASSERT_TRUE(server.waitForOutput(QStringLiteral("监听端口:4480"))) << server.output().toStdString();

    // A simulator set to classroom mode that already knows its server.
    TempDir simulatorDir;
    const fs::path morvane = Install(simulatorDir, "Morvane");
    fs::copy(fs::path(MORVANE_PROGRAM_DIR) / "images", simulatorDir.path() / "images",
        fs::copy_options::recursive);
    QFile setUp(QStringLiteral(MORVANE_PROGRAM_DIR "/XML/SetUp_View.xml"));
    ASSERT_TRUE(setUp.open(QIODevice::ReadOnly));
    QByteArray setUpText = setUp.readAll();
    ASSERT_TRUE(setUpText.contains("mode=\"3\""));
    setUpText.replace("mode=\"3\"", "mode=\"6\"");
    simulatorDir.write("XML/SetUp_View.xml", setUpText);
    QByteArray settings;
    QDataStream out(&settings, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_6);
    out << qint32(0) << qint32(0) << qint32(0) << QStringLiteral("127.0.0.1") << qint32(0) << qint32(0)
        << qint32(0) << qint32(0);
    simulatorDir.write("XML/Settings.dat", settings);

    Program simulator(morvane, simulatorDir.path());
    ASSERT_TRUE(server.waitForOutput(QStringLiteral("连接:127.0.0.1"), 20000))
        << server.output().toStdString();
    EXPECT_EQ(simulator.terminate(), 0);
    // The simulator's going is seen by the server, as a student going, in
    // the log's one language.
    EXPECT_TRUE(server.waitForOutput(QStringLiteral("断开:127.0.0.1\n"))) << server.output().toStdString();
    EXPECT_EQ(server.terminate(), 0);
    EXPECT_FALSE(server.output().contains(QStringLiteral("通讯出错"))) << server.output().toStdString();
}
