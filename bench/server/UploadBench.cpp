// Upload throughput on loopback: a bundle sent by a simulator-like client
// and stored by ClassServer's receiver (CClient: unscrambling, parsing,
// writing a temporary file and renaming it), against two plain copies of the
// same bytes from a socket into a file: one on Qt's event loop, one a
// blocking recv/write loop on a thread of its own.

#include "classlink/Up3DFileMessage.h"
#include "classlink/XorWithLinkKey.h"
#include "server/CClient.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <memory>
#include <thread>

namespace {

constexpr qsizetype kMiB = 1 << 20;

// The scrambled upload of a pseudo-random bundle of `size` bytes.
const QByteArray& Wire(qsizetype size) {
    static std::map<qsizetype, QByteArray> cache;
    QByteArray& wire = cache[size];
    if (wire.isEmpty()) {
        QByteArray bundle(size, Qt::Uninitialized);
        quint64 state = 12345;
        for (qsizetype i = 0; i + 8 <= size; i += 8) {
            state = state * 6364136223846793005ull + 1442695040888963407ull;
            std::memcpy(bundle.data() + i, &state, 8);
        }
        wire = BuildUp3DFileMessage(QStringLiteral("bench"), bundle);
        XorWithLinkKey(wire);
    }
    return wire;
}

// Sends the bytes over a fresh connection, hangs up the orderly way and
// waits until the receiver has closed its end.
void Send(quint16 port, const QByteArray& bytes) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return;
    }
    const char* at = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t sent = send(fd, at, static_cast<size_t>(std::min<qsizetype>(left, kMiB)), MSG_NOSIGNAL);
        if (sent <= 0)
            break;
        at += sent;
        left -= sent;
    }
    shutdown(fd, SHUT_WR);
    char drain[4096];
    while (recv(fd, drain, sizeof drain, 0) > 0) { }
    close(fd);
}

QTcpSocket* Accept(QTcpServer& listener) {
    while (!listener.hasPendingConnections())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return listener.nextPendingConnection();
}

void BM_ClassServerUpload(benchmark::State& state) {
    const QByteArray& wire = Wire(state.range(0) * kMiB);
    QTemporaryDir folder;
    QString folderText = folder.path();
    QTcpServer listener;
    listener.listen(QHostAddress::LocalHost);
    for (auto _ : state) {
        std::thread sender(Send, listener.serverPort(), std::cref(wire));
        {
            CClient client(Accept(listener), &folderText, nullptr);
            while (client.m_nAlive != 0)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        sender.join();
        state.PauseTiming();
        const QStringList stored = QDir(folder.path()).entryList(QDir::Files);
        if (stored.size() != 1)
            state.SkipWithError("the bundle was not stored");
        for (const QString& name : stored)
            QFile::remove(folder.filePath(name));
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * wire.size());
}

void BM_QtSocketCopy(benchmark::State& state) {
    const QByteArray& wire = Wire(state.range(0) * kMiB);
    QTemporaryDir folder;
    QTcpServer listener;
    listener.listen(QHostAddress::LocalHost);
    for (auto _ : state) {
        std::thread sender(Send, listener.serverPort(), std::cref(wire));
        {
            std::unique_ptr<QTcpSocket> socket(Accept(listener));
            QFile file(folder.filePath(QStringLiteral("copy")));
            file.open(QIODevice::WriteOnly);
            bool open = true;
            QObject::connect(socket.get(), &QTcpSocket::readyRead, [&] { file.write(socket->readAll()); });
            QObject::connect(socket.get(), &QTcpSocket::disconnected, [&] { open = false; });
            while (open)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            file.write(socket->readAll());
            file.close();
            socket->close();
        }
        sender.join();
        state.PauseTiming();
        QFile::remove(folder.filePath(QStringLiteral("copy")));
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * wire.size());
}

void BM_PlainSocketCopy(benchmark::State& state) {
    const QByteArray& wire = Wire(state.range(0) * kMiB);
    QTemporaryDir folder;
    const QByteArray path = QFile::encodeName(folder.filePath(QStringLiteral("copy")));
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    listen(listener, 4);
    std::vector<char> buffer(static_cast<size_t>(kMiB));
    for (auto _ : state) {
        std::thread sender(Send, ntohs(address.sin_port), std::cref(wire));
        const int connection = accept(listener, nullptr, nullptr);
        const int file = open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ssize_t got = 0;
        while ((got = recv(connection, buffer.data(), buffer.size(), 0)) > 0) {
            if (write(file, buffer.data(), static_cast<size_t>(got)) != got)
                break;
        }
        close(file);
        close(connection);
        sender.join();
        state.PauseTiming();
        unlink(path.constData());
        state.ResumeTiming();
    }
    close(listener);
    state.SetBytesProcessed(state.iterations() * wire.size());
}

} // namespace

BENCHMARK(BM_ClassServerUpload)->Arg(8)->Arg(64)->Arg(256)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_QtSocketCopy)->Arg(8)->Arg(64)->Arg(256)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainSocketCopy)->Arg(8)->Arg(64)->Arg(256)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
