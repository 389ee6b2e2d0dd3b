#include "server/CClient.h"

#include "classlink/HeartMessage.h"
#include "classlink/XorWithLinkKey.h"
#include "platform/ProgramDir.h"
#include "server/Server.h"
#include "server/ServerLog.h"
#include "server/SubmittedFileName.h"

#include <QDateTime>
#include <QDir>
#include <QHostAddress>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Bytes taken from the socket at a time while a bundle streams in.
constexpr qint64 kChunkSize = 1 << 20;

// The address as people write it: a client on IPv4 is "192.168.1.5", never
// "::ffff:192.168.1.5", which would also put colons into file names.
QString PeerIp(const QTcpSocket* socket) {
    const QHostAddress address = socket->peerAddress();
    bool isIPv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIPv4);
    return isIPv4 ? QHostAddress(ipv4).toString() : address.toString();
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
    , m_keepAliveMs(options.keepAliveMs) {
    m_pSocket->setParent(this);
    m_sIp = PeerIp(m_pSocket);

    connect(m_pSocket, &QTcpSocket::readyRead, this, &CClient::slot_GetMsg);
    connect(m_pSocket, &QTcpSocket::disconnected, this, &CClient::slot_Disconnect);
    connect(m_pSocket, &QTcpSocket::errorOccurred, this, &CClient::slot_NetError);
    if (window)
        connect(this, &CClient::signal_Print, window, &Server::slot_Print);

    m_pTimer = new QTimer(this);
    connect(m_pTimer, &QTimer::timeout, this, &CClient::slot_Timer);
    m_pTimer->start(m_keepAliveMs);

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
    while (m_nAlive != 0 && m_pSocket->isOpen()) {
        const qint64 available = m_pSocket->bytesAvailable();
        if (available <= 0)
            return;
        const qint64 wanted = std::min(available, kChunkSize);
        if (m_buffer.size() < wanted)
            m_buffer.resize(wanted);
        const qint64 got = m_pSocket->read(m_buffer.data(), wanted);
        if (got <= 0)
            return;
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
                WriteData(result.piece, result.pieceSize);
                break;
            case LinkDecoder::Event::UploadEnd:
                FinishFile();
                m_sName.clear();
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
}

void CClient::StartFile() {
    const QString folder = ResolveReceiveFolder(*m_pFolder, m_programDir);
    if (!QDir().mkpath(folder)) {
        emit signal_Print(QStringLiteral("写入失败:") + folder);
        return;
    }
    // Hidden and without the bundle extension, so that neither the score
    // table nor the teacher takes it for a bundle.
    auto file = std::make_unique<QFile>();
    for (int attempt = 0; attempt < 4; ++attempt) {
        file->setFileName(folder
            + QStringLiteral("/.receiving-%1.part")
                  .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0')));
        if (file->open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            m_pFile = std::move(file);
            return;
        }
    }
    emit signal_Print(QStringLiteral("写入失败:") + folder + QLatin1Char(':') + file->errorString());
}

void CClient::WriteData(const char* data, qint64 size) {
    if (!m_pFile)
        return;
    if (m_pFile->write(data, size) != size) {
        emit signal_Print(
            QStringLiteral("写入失败:") + m_pFile->fileName() + QLatin1Char(':') + m_pFile->errorString());
        DiscardFile();
    }
}

void CClient::FinishFile() {
    if (!m_pFile)
        return;
    const QString partial = m_pFile->fileName();
    if (!m_pFile->flush()) {
        emit signal_Print(QStringLiteral("写入失败:") + partial + QLatin1Char(':') + m_pFile->errorString());
        DiscardFile();
        return;
    }
    m_pFile->close();

    // The name is made when the last byte is in, in the folder as it is set
    // now; a stored file of the same name is replaced. File names are in the
    // file system's encoding (UTF-8 here), so a Chinese name arrives intact;
    // GBK was only the classroom PCs' local code page, never the wire's.
    const QString folder = ResolveReceiveFolder(*m_pFolder, m_programDir);
    QDir().mkpath(folder);
    const QString target = SubmittedFileName(folder, m_sName, m_sIp, QDateTime::currentDateTime());
    if (std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(target).constData()) == 0) {
        m_pFile.reset();
        return;
    }
    const int renameError = errno;
    // The folder was changed to another file system while the bundle came
    // in: copy it over, again never showing half a file.
    if (renameError == EXDEV) {
        QFile from(partial);
        QSaveFile to(target);
        if (from.open(QIODevice::ReadOnly) && to.open(QIODevice::WriteOnly)) {
            while (!from.atEnd()) {
                const QByteArray piece = from.read(kChunkSize);
                if (piece.isEmpty() || to.write(piece) != piece.size())
                    break;
            }
            if (from.atEnd() && to.commit()) {
                DiscardFile();
                return;
            }
        }
        emit signal_Print(QStringLiteral("写入失败:") + target + QLatin1Char(':') + to.errorString());
    } else {
        emit signal_Print(QStringLiteral("写入失败:") + target + QLatin1Char(':')
            + QString::fromLocal8Bit(std::strerror(renameError)));
    }
    DiscardFile();
}

void CClient::DiscardFile() {
    if (!m_pFile)
        return;
    m_pFile->close();
    m_pFile->remove();
    m_pFile.reset();
}

void CClient::Refuse(const QString& reason) {
    emit signal_Print(QStringLiteral("通讯出错:") + m_sIp + QLatin1Char(':') + reason);
    DiscardFile();
    ResetMessage();
    // Nothing after a broken message can be trusted: the connection goes.
    m_pSocket->abort();
    slot_Disconnect();
}

void CClient::ResetMessage() {
    m_decoder.Reset();
    m_sName.clear();
    DiscardFile();
}

void CClient::slot_Disconnect() {
    if (m_nAlive == 0)
        return;
    // What the peer sent before it went is still in the socket's buffer.
    slot_GetMsg();
    m_pTimer->stop();
    m_nAlive = 0;
    // A bundle cut off by the peer leaves nothing behind.
    DiscardFile();
    ResetMessage();
}

void CClient::slot_NetError() {
    emit signal_Print(QStringLiteral("通讯出错:") + m_sIp + QLatin1Char(':') + m_pSocket->errorString());
}

void CClient::slot_Timer() {
    m_pTimer->stop();
    if (m_pSocket->state() == QAbstractSocket::ConnectedState
        && m_pSocket->write(ScrambledHeartMessage()) != ScrambledHeartMessage().size())
        qCWarning(lcServer, "Keep-alive to %s not sent: %s", qPrintable(m_sIp),
            qPrintable(m_pSocket->errorString()));
    m_pTimer->start(m_keepAliveMs);
}
