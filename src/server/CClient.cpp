#include "server/CClient.h"

#include "classlink/HeartMessage.h"
#include "classlink/UploadReceipt.h"
#include "classlink/XorWithLinkKey.h"
#include "platform/ProgramDir.h"
#include "server/Server.h"
#include "server/ServerAddress.h"
#include "server/ServerLog.h"
#include "server/ServerReasons.h"
#include "server/SubmittedFileName.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Bytes taken from the socket at a time while a bundle streams in: enough
// to keep the writes few, little enough that a classroom of connections
// holding one each is nothing.
constexpr qint64 kChunkSize = 64 << 10;

// Writes all of it; 0, or the errno value of the failure.
int WriteAll(int fd, const char* data, qint64 size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += written;
        size -= written;
    }
    return 0;
}

// Makes the folder; 0, or the errno value of the failure (a file where a
// folder should be counts as "not a folder").
int MakeFolder(const QString& folder) {
    std::error_code error;
    std::filesystem::create_directories(QFile::encodeName(folder).toStdString(), error);
    if (!error)
        return 0;
    return error.value() == EEXIST ? ENOTDIR : error.value();
}

// Creates a new hidden part file in the folder: its descriptor, or -1 with
// errno set.
int CreatePartFile(const QString& folder, QString& path) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        path = folder + QLatin1Char('/') + ReceivingPartName(QRandomGenerator::global()->generate64());
        const int fd
            = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Renames without ever replacing a file that is there; 0, or the errno
// value of the failure (EEXIST when the name is taken).
int RenameNoReplace(const QByteArray& from, const QByteArray& to) {
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system that knows no such rename: a second link is made only
    // where no file is, and the part name goes after it.
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return 0;
    }
    if (errno != EPERM && errno != EOPNOTSUPP)
        return errno;
    // ... nor links (a FAT stick): the receivers are all in one thread, so
    // nothing of the server's comes between the look and the rename.
    struct stat there { };
    if (::lstat(to.constData(), &there) == 0)
        return EEXIST;
    return std::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

const QByteArray& ScrambledHeartMessage() {
    static const QByteArray message = [] {
        QByteArray bytes = HeartMessage();
        XorWithLinkKey(bytes);
        return bytes;
    }();
    return message;
}

} // namespace

CClient::CClient(QTcpSocket* socket, QString* folder, Server* window, const ReceiverOptions& options)
    : m_decoder(LinkDecoder::Uploads(kMaxNameLength, kMaxDataLength))
    , m_pSocket(socket)
    , m_pFolder(folder)
    , m_programDir(options.programDir.isEmpty() ? QString::fromStdString(platform::ProgramDir().string())
                                                : options.programDir)
    , m_keepAliveMs(options.keepAliveMs)
    , m_stallTimeoutMs(options.stallTimeoutMs)
    , m_uploadGraceMs(options.uploadGraceMs)
    , m_minUploadBytesPerSecond(std::max<qint64>(options.minUploadBytesPerSecond, 1)) {
    m_pSocket->setParent(this);
    m_sIp = AddressText(m_pSocket->peerAddress());

    connect(m_pSocket, &QTcpSocket::readyRead, this, &CClient::slot_GetMsg);
    connect(m_pSocket, &QTcpSocket::disconnected, this, &CClient::slot_Disconnect);
    connect(m_pSocket, &QTcpSocket::errorOccurred, this, &CClient::slot_NetError);
    if (window)
        connect(this, &CClient::signal_Print, window, &Server::slot_Print);

    m_pTimer = new QTimer(this);
    connect(m_pTimer, &QTimer::timeout, this, &CClient::slot_Timer);
    m_pTimer->start(m_keepAliveMs);

    m_pStallTimer = new QTimer(this);
    m_pStallTimer->setSingleShot(true);
    connect(m_pStallTimer, &QTimer::timeout, this, [this] {
        Drop(QStringLiteral("断开:") + m_sIp
            + QStringLiteral(":上传中断,%1秒未收到数据,未收完的文件已删除").arg(m_stallTimeoutMs / 1000.0));
    });

    m_pPaceTimer = new QTimer(this);
    m_pPaceTimer->setSingleShot(true);
    connect(m_pPaceTimer, &QTimer::timeout, this, &CClient::CheckPace);

    // A peer that has already gone is not waited for.
    if (m_pSocket->state() != QAbstractSocket::ConnectedState)
        QTimer::singleShot(0, this, &CClient::slot_Disconnect);

    emit signal_Print(QStringLiteral("连接:") + m_sIp);
}

CClient::~CClient() {
    m_pTimer->stop();
    m_pSocket->disconnect(this);
    m_pSocket->close();
    DiscardFile();
    delete m_pSocket;
}

void CClient::slot_GetMsg() {
    // Everything that has arrived is taken now: the socket announces only new
    // data, so a message sent right behind another would otherwise wait for
    // good.
    bool tookAny = false;
    while (m_nAlive != 0 && m_pSocket->isOpen()) {
        const qint64 available = m_pSocket->bytesAvailable();
        if (available <= 0)
            break;
        const qint64 wanted = std::min(available, kChunkSize);
        if (m_buffer.size() < wanted)
            m_buffer.resize(wanted);
        const qint64 got = m_pSocket->read(m_buffer.data(), wanted);
        if (got <= 0)
            break;
        tookAny = true;
        qsizetype at = 0;
        for (bool more = true; more;) {
            const LinkDecoder::Result result = m_decoder.Feed(m_buffer.data() + at, got - at);
            at += result.taken;
            switch (result.event) {
            case LinkDecoder::Event::NeedMore:
            case LinkDecoder::Event::Frame:
                more = false;
                break;
            case LinkDecoder::Event::UploadName:
                m_sName = SafeSubmittedName(m_decoder.Name());
                StartFile();
                break;
            case LinkDecoder::Event::UploadData:
                m_uploadBytes += result.pieceSize;
                WriteData(result.piece, result.pieceSize);
                break;
            case LinkDecoder::Event::UploadEnd:
                FinishFile();
                m_sName.clear();
                EndUploadClock();
                break;
            case LinkDecoder::Event::Error:
                switch (m_decoder.LastError()) {
                case LinkDecoder::Error::NameLength:
                    Refuse(QStringLiteral("名字长度无效(%1字节)").arg(m_decoder.ErrorValue()));
                    break;
                case LinkDecoder::Error::DataLength:
                    Refuse(QStringLiteral("文件长度无效(%1字节,上限%2字节)")
                               .arg(m_decoder.ErrorValue())
                               .arg(kMaxDataLength));
                    break;
                default:
                    Refuse(QStringLiteral("名字格式无效"));
                    break;
                }
                return;
            }
        }
    }
    if (m_nAlive == 0)
        return;
    // Silence is timed from the last byte of a message under way; between
    // messages a connection may be silent for ever.
    if (m_decoder.InMessage()) {
        if (tookAny || !m_pStallTimer->isActive())
            m_pStallTimer->start(m_stallTimeoutMs);
        if (!m_uploadClock.isValid()) {
            m_uploadClock.start();
            m_pPaceTimer->start(m_uploadGraceMs);
        }
    } else {
        m_pStallTimer->stop();
        // The next read takes what it needs: a connection kept open after
        // its upload holds no buffer.
        m_buffer = QByteArray();
    }
}

void CClient::CheckPace() {
    // What has come meanwhile counts, and may end the upload.
    slot_GetMsg();
    if (m_nAlive == 0 || !m_uploadClock.isValid())
        return;
    const qint64 elapsed = m_uploadClock.elapsed();
    const qint64 due = m_uploadGraceMs + m_uploadBytes * 1000 / m_minUploadBytesPerSecond;
    if (elapsed < due) {
        m_pPaceTimer->start(
            static_cast<int>(std::min<qint64>(due - elapsed, std::numeric_limits<int>::max())));
        return;
    }
    QString pace = QStringLiteral("%1秒只收到%2字节").arg(elapsed / 1000).arg(m_uploadBytes);
    if (m_decoder.DataLength() > 0)
        pace += QStringLiteral(",共%1字节").arg(m_decoder.DataLength());
    Drop(QStringLiteral("断开:") + m_sIp + QStringLiteral(":上传太慢(") + pace
        + QStringLiteral("),未收完的文件已删除"));
}

void CClient::EndUploadClock() {
    m_uploadClock.invalidate();
    m_uploadBytes = 0;
    m_pPaceTimer->stop();
}

void CClient::StartFile() {
    const QString folder = ResolveReceiveFolder(*m_pFolder, m_programDir);
    if (const int error = MakeFolder(folder)) {
        WriteFailed(folder, error);
        return;
    }
    m_partFd = CreatePartFile(folder, m_partPath);
    if (m_partFd < 0) {
        WriteFailed(folder, errno);
        m_partPath.clear();
    }
}

void CClient::WriteData(const char* data, qint64 size) {
    if (m_partFd < 0)
        return;
    if (const int error = WriteAll(m_partFd, data, size)) {
        WriteFailed(QFileInfo(m_partPath).path(), error);
        DiscardFile();
    }
}

void CClient::WriteFailed(const QString& where, int errorNumber) {
    emit signal_Print(QStringLiteral("写入失败:") + where + QLatin1Char(':') + SystemReason(errorNumber));
}

void CClient::FinishFile() {
    if (m_partFd < 0)
        return;
    // The bundle is on the disk before it is announced as saved; a file
    // system that reports a full disk only at the sync or the close has not
    // stored it either.
    const int fd = std::exchange(m_partFd, -1);
    int stored = ::fsync(fd) == 0 ? 0 : errno;
    if (::close(fd) != 0 && stored == 0 && errno != EINTR)
        stored = errno;
    if (stored != 0) {
        WriteFailed(QFileInfo(m_partPath).path(), stored);
        DiscardFile();
        return;
    }

    // The name is made when the last byte is in, in the folder as it is set
    // now. File names are in the file system's encoding (UTF-8 here), so a
    // Chinese name arrives intact; GBK was only the classroom PCs' local
    // code page, never the wire's.
    const QString folder = ResolveReceiveFolder(*m_pFolder, m_programDir);
    MakeFolder(folder);
    const QDateTime received = QDateTime::currentDateTime();
    QString target;
    if (const int error = MoveInPlace(folder, received, target)) {
        WriteFailed(target, error);
    } else {
        emit signal_Print(
            QStringLiteral("已保存:%1(%2):%3").arg(m_sName, m_sIp, QFileInfo(target).fileName()));
        // The student learns that it arrived, and under which name the
        // teacher's table lists it. A bundle that is not stored gets no
        // receipt: its student is told it may not have arrived.
        if (m_pSocket->state() == QAbstractSocket::ConnectedState) {
            QByteArray receipt = UploadReceipt(m_sName);
            XorWithLinkKey(receipt);
            m_pSocket->write(receipt);
        }
    }
    DiscardFile();
}

// Renames the finished part file to the first of its names that is free;
// 0, or the errno value of the failure. `target` is the name taken, or the
// one that failed.
int CClient::MoveInPlace(const QString& folder, const QDateTime& received, QString& target) {
    QString from = m_partPath;
    int error = RenameToFreeName(from, folder, received, target);
    // The folder was changed to another file system while the bundle came
    // in: copy it over under a part name of its own, again never showing
    // half a file.
    QString copyPath;
    if (error == EXDEV) {
        const int in = ::open(QFile::encodeName(m_partPath).constData(), O_RDONLY | O_CLOEXEC);
        const int copy = in < 0 ? -1 : CreatePartFile(folder, copyPath);
        error = in < 0 || copy < 0 ? errno : 0;
        QByteArray piece(kChunkSize, Qt::Uninitialized);
        while (error == 0) {
            const ssize_t got = ::read(in, piece.data(), static_cast<size_t>(piece.size()));
            if (got == 0)
                break;
            error = got < 0 ? (errno == EINTR ? 0 : errno) : WriteAll(copy, piece.constData(), got);
        }
        if (in >= 0)
            ::close(in);
        if (copy >= 0 && error == 0 && ::fsync(copy) != 0)
            error = errno;
        if (copy >= 0 && ::close(copy) != 0 && error == 0 && errno != EINTR)
            error = errno;
        if (error == 0)
            error = RenameToFreeName(copyPath, folder, received, target);
    }
    if (error == 0 && copyPath.isEmpty())
        m_partPath.clear();
    if (error != 0 && !copyPath.isEmpty())
        QFile::remove(copyPath);
    return error;
}

int CClient::RenameToFreeName(
    const QString& from, const QString& folder, const QDateTime& received, QString& target) const {
    // Two bundles of one name from one address within one second: the
    // later one takes the next copy's number instead of replacing the first.
    const QByteArray source = QFile::encodeName(from);
    int error = EEXIST;
    for (int copy = 1; error == EEXIST && copy <= kMaxCopies; ++copy) {
        target = SubmittedFileName(folder, m_sName, m_sIp, received, copy);
        error = RenameNoReplace(source, QFile::encodeName(target));
    }
    return error;
}

void CClient::DiscardFile() {
    if (m_partFd >= 0)
        ::close(std::exchange(m_partFd, -1));
    if (!m_partPath.isEmpty())
        QFile::remove(std::exchange(m_partPath, QString()));
}

void CClient::Drop(const QString& line) {
    emit signal_Print(line);
    m_bEndLogged = true;
    DiscardFile();
    ResetMessage();
    // Nothing after a broken or stalled message can be trusted: the
    // connection goes.
    m_pSocket->abort();
    slot_Disconnect();
}

void CClient::Refuse(const QString& reason) {
    Drop(QStringLiteral("通讯出错:") + m_sIp + QLatin1Char(':') + reason);
}

void CClient::ResetMessage() {
    m_decoder.Reset();
    m_sName.clear();
    DiscardFile();
    m_buffer = QByteArray();
    m_pStallTimer->stop();
    EndUploadClock();
}

void CClient::slot_Disconnect() {
    if (m_nAlive == 0)
        return;
    // What the peer sent before it went is still in the socket's buffer.
    slot_GetMsg();
    if (m_nAlive == 0)
        return;
    m_pTimer->stop();
    m_nAlive = 0;
    // A student closing Morvane is no error: one line says they went, and
    // whether a bundle was cut off with them.
    if (!std::exchange(m_bEndLogged, true)) {
        emit signal_Print(QStringLiteral("断开:") + m_sIp
            + (m_decoder.InMessage() ? QStringLiteral(":上传未完成,未收完的文件已删除") : QString()));
    }
    // A bundle cut off by the peer leaves nothing behind.
    ResetMessage();
}

void CClient::slot_NetError() {
    // A peer that hangs up, or resets the connection, has gone: the
    // disconnection says so.
    const QAbstractSocket::SocketError error = m_pSocket->error();
    if (error == QAbstractSocket::RemoteHostClosedError)
        return;
    emit signal_Print(QStringLiteral("通讯出错:") + m_sIp + QLatin1Char(':') + SocketReason(error));
}

void CClient::slot_Timer() {
    m_pTimer->stop();
    if (m_pSocket->state() == QAbstractSocket::ConnectedState
        && m_pSocket->write(ScrambledHeartMessage()) != ScrambledHeartMessage().size())
        qCWarning(lcServer, "Keep-alive to %s not sent: %s", qPrintable(m_sIp),
            qPrintable(m_pSocket->errorString()));
    m_pTimer->start(m_keepAliveMs);
}
