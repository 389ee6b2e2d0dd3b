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
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>

#include <sys/resource.h>

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

    // Waits until the output holds the text.
    bool waitForOutput(const QString& text, int ms = 10000) {
        const QDeadlineTimer deadline(ms);
        while (!output().contains(text)) {
            if (deadline.hasExpired())
                return false;
            m_process.waitForReadyRead(50);
        }
        return true;
    }

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
