// ClassServer's receiver on a real loopback connection, fed any bytes by a
// peer that then hangs up. Whatever arrives, nothing is written outside the
// receive folder, no half bundle stays in it, and every bundle stored there
// is one that arrived whole, under a plain visible name.
//
// The input is the unscrambled stream: the target scrambles each message from
// the key's start, as a simulator does, so that the fuzzer works on the
// messages themselves.

#include "FuzzCheck.h"
#include "ScratchFolder.h"
#include "classlink/Up3DFileMessage.h"
#include "classlink/XorWithLinkKey.h"
#include "server/CClient.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

#include <arpa/inet.h>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <set>
#include <sys/socket.h>
#include <unistd.h>

namespace {

void Check(bool condition, const QString& what) {
    fuzzsupport::Check(condition, what.toStdString());
}

struct Fixture {
    int argc = 1;
    char name[16] = "server_receiver";
    char* argv[2] = { name, nullptr };
    QCoreApplication app { argc, argv };
    fuzzsupport::ScratchFolder root;
    QString folder;
    QTcpServer server;

    Fixture() {
        folder = root.In(QStringLiteral("StuFile"));
        Check(server.listen(QHostAddress::LocalHost, 0), QStringLiteral("cannot listen"));
    }
};

Fixture& TheFixture() {
    static Fixture fixture;
    return fixture;
}

// Scrambles the stream message by message, each from the key's start; a
// message ends where its two lengths say. Returns the data lengths of the
// messages that are in the stream whole.
std::multiset<qint64> Scramble(QByteArray& stream) {
    std::multiset<qint64> whole;
    qsizetype at = 0;
    while (at < stream.size()) {
        qsizetype length = stream.size() - at;
        if (length >= kUp3DFileHeaderSize) {
            const Up3DFileHeader h = ReadUp3DFileHeader(stream.constData() + at);
            const qint64 announced = kUp3DFileHeaderSize + qint64(h.nameLength) + qint64(h.dataLength);
            if (h.nameLength >= 0 && h.dataLength > 0 && announced <= length) {
                length = static_cast<qsizetype>(announced);
                whole.insert(h.dataLength);
            }
        }
        XorWithLinkKey(stream.data() + at, length, 0);
        at += length;
    }
    return whole;
}

void Send(quint16 port, const QByteArray& stream) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    Check(fd >= 0, QStringLiteral("no socket"));
    // Every hang-up leaves its address pair waiting for a minute, and a long
    // run opens thousands of connections a second: the local ports of one
    // address would run out. Each connection comes from the next address of
    // the loopback network instead.
    static std::uint32_t connections = 0;
    const std::uint32_t n = connections++;
    sockaddr_in local {};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(0x7F010000u | ((n / 250u) % 250u + 1u) << 8 | (n % 250u + 1u));
    Check(bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0,
        QStringLiteral("cannot bind: ") + QString::fromLocal8Bit(strerror(errno)));
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    // The fuzzer's own timer interrupts calls now and then; an interrupted
    // connect goes on by itself and is waited for.
    int result = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    if (result != 0 && errno == EINTR) {
        pollfd writable { fd, POLLOUT, 0 };
        while (poll(&writable, 1, 10000) < 0 && errno == EINTR) { }
        int error = 0;
        socklen_t size = sizeof error;
        getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size);
        result = error == 0 ? 0 : -1;
        errno = error;
    }
    Check(result == 0, QStringLiteral("no connection: ") + QString::fromLocal8Bit(strerror(errno)));
    qsizetype sent = 0;
    while (sent < stream.size()) {
        const ssize_t n
            = send(fd, stream.constData() + sent, static_cast<size_t>(stream.size() - sent), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break; // the receiver refused the stream and closed
        sent += n;
    }
    close(fd);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Fixture& f = TheFixture();
    QByteArray stream(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::multiset<qint64> whole = Scramble(stream);
    Send(f.server.serverPort(), stream);

    Check(f.server.waitForNewConnection(10000), QStringLiteral("the connection was not accepted"));
    QTcpSocket* socket = f.server.nextPendingConnection();
    Check(socket != nullptr, QStringLiteral("no pending connection"));
    {
        CClient client(socket, &f.folder, nullptr);
        const QDeadlineTimer deadline(10000);
        while (client.m_nAlive != 0) {
            Check(!deadline.hasExpired(), QStringLiteral("the receiver did not see the peer go"));
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
        }
    }

    // Only the receive folder, and in it only whole bundles under plain names.
    const QStringList top
        = QDir(f.root.Path())
              .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    Check(top.isEmpty() || top == QStringList { QStringLiteral("StuFile") },
        QStringLiteral("written outside the receive folder: ") + top.join(QLatin1Char(' ')));
    QDir folder(f.folder);
    const QFileInfoList stored
        = folder.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    Check(static_cast<std::size_t>(stored.size()) <= whole.size(),
        QStringLiteral("more bundles than messages"));
    for (const QFileInfo& info : stored) {
        Check(info.isFile() && !info.isSymLink(), QStringLiteral("not a plain file: ") + info.fileName());
        Check(!info.fileName().startsWith(QLatin1Char('.')),
            QStringLiteral("hidden or half bundle: ") + info.fileName());
        Check(info.fileName().endsWith(QStringLiteral(".3d")),
            QStringLiteral("not a bundle name: ") + info.fileName());
        Check(whole.count(info.size()) > 0,
            QStringLiteral("a bundle of a size no message had: ") + info.fileName());
        QFile::remove(info.absoluteFilePath());
    }
    return 0;
}
