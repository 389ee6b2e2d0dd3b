// The simulator's one TCP link, to the teacher's ClassServer or to a contest
// server: framing, scrambling, reply time-out and delivery of messages.

#include "foundation/CConfig.h"

#include "classlink/HeartMessage.h"
#include "classlink/LinkFrame.h"
#include "classlink/XorWithLinkKey.h"

#include <QEventLoop>
#include <QSignalBlocker>
#include <QTcpSocket>
#include <QTimer>

#include <cstdio>
#include <utility>

namespace {

// Our stand-in for asking the system whether the internet is there: a site
// that answers on port 80 whenever there is a way out at all.
const char* const kPublicSite = "www.debian.org";
constexpr int kProbeTimeoutMs = 3000;

} // namespace

CConfig::~CConfig() {
    ShutdownNet();
}

void CConfig::InitNet() {
    if (m_pSocket)
        return;
    m_pSocket = new QTcpSocket(this);
    m_pMsgTimer = new QTimer(this);
    m_pOutTimeTimer = new QTimer(this);
    connect(m_pSocket, &QTcpSocket::readyRead, this, &CConfig::slot_GetMsg);
    connect(m_pSocket, &QTcpSocket::disconnected, this, &CConfig::slot_Disconnect);
    connect(m_pSocket, &QTcpSocket::errorOccurred, this, &CConfig::slot_NetError);
    connect(m_pMsgTimer, &QTimer::timeout, this, &CConfig::slot_GetMsgTimer);
    connect(m_pOutTimeTimer, &QTimer::timeout, this, &CConfig::slot_OutTimeTimer);
    if (!m_bNoHeartbeat) {
        m_pHeartTimer = new QTimer(this);
        connect(m_pHeartTimer, &QTimer::timeout, this, &CConfig::slot_HeartTimer);
    }
}

void CConfig::ShutdownNet() {
    if (m_pSocket) {
        // Nobody is told about a link that goes with the program.
        m_pSocket->disconnect(this);
        m_pSocket->abort();
    }
    delete m_pSocket;
    m_pSocket = nullptr;
    delete m_pMsgTimer;
    m_pMsgTimer = nullptr;
    delete m_pOutTimeTimer;
    m_pOutTimeTimer = nullptr;
    delete m_pHeartTimer;
    m_pHeartTimer = nullptr;
    m_bLinkOpen = false;
    ResetReceive();
    m_listMsgDone.clear();
}

void CConfig::ResetReceive() {
    m_nMsgLen = 0;
    m_nMsgGot = 0;
    m_nKeyPos = 0;
    m_baMsg.clear();
}

void CConfig::ConnectToServer(bool classroom) {
    QString host;
    quint16 port = kClassroomPort;
    if (classroom) {
        host = m_strClassHost.trimmed();
    } else {
        host = m_strNetHost.trimmed();
        if (m_pHeartTimer)
            port = kContestPort;
    }
    if (!m_pSocket)
        std::fprintf(stderr, "Link: not set up; cannot connect\n");
    if (host.isEmpty() || !m_pSocket) {
        emit signal_Disconnect();
        return;
    }

    // A new connection never continues what the last one left half-done.
    {
        const QSignalBlocker quiet(m_pSocket);
        m_pSocket->abort();
    }
    m_pMsgTimer->stop();
    m_pOutTimeTimer->stop();
    ResetReceive();
    m_listMsgDone.clear();
    m_bLinkOpen = true;
    m_pSocket->connectToHost(host, port, QIODevice::ReadWrite);
}

void CConfig::CloseConnection() {
    m_bLinkOpen = false;
    if (m_pHeartTimer)
        m_pHeartTimer->stop();
    if (m_pOutTimeTimer)
        m_pOutTimeTimer->stop();
    if (m_pMsgTimer)
        m_pMsgTimer->stop();
    if (m_pSocket)
        m_pSocket->close();
    // A body cut off by the close is garbage; the next connection starts at
    // a frame boundary with key position 0.
    ResetReceive();
    // Messages that were complete before the close are still the peer's
    // last words (a reply followed by a hang-up): they come first.
    DeliverMessages();
    emit signal_Disconnect();
}

void CConfig::AbortLink() {
    if (m_pSocket) {
        const QSignalBlocker quiet(m_pSocket);
        m_pSocket->abort();
    }
    CloseConnection();
}

bool CConfig::SendMsg(const QByteArray& message, bool keepHeartbeat) {
    if (!keepHeartbeat && m_pHeartTimer)
        m_pHeartTimer->stop();
    if (!m_pSocket || m_pSocket->state() != QAbstractSocket::ConnectedState) {
        std::fprintf(stderr, "Link: not connected; a message of %lld bytes was not sent\n",
            static_cast<long long>(message.size()));
        return false;
    }
    QByteArray scrambled = message;
    XorWithLinkKey(scrambled.data(), scrambled.size(), 0, m_strLinkKey);
    const qint64 written = m_pSocket->write(scrambled);
    if (written != scrambled.size()) {
        std::fprintf(stderr, "Link: writing a message failed: %s\n", qPrintable(m_pSocket->errorString()));
        return false;
    }
    m_pOutTimeTimer->start(kReplyTimeoutMs);
    return true;
}

void CConfig::StartHeartbeat() {
    if (m_pHeartTimer)
        m_pHeartTimer->start(kHeartbeatMs);
}

void CConfig::slot_HeartTimer() {
    SendMsg(QByteArray(4, '\0'), true);
}

void CConfig::slot_Disconnect() {
    if (m_bLinkOpen)
        CloseConnection();
}

void CConfig::slot_NetError(QAbstractSocket::SocketError error) {
    if (!m_bLinkOpen || !m_pSocket)
        return;
    // On an established connection every error ends in the socket's
    // disconnected signal (or the reply time-out), which closes the link.
    // Before that, a failed connect (refused, no such host, no route, timed
    // out, ...) is reported by nothing else.
    if (error == QAbstractSocket::RemoteHostClosedError
        || m_pSocket->state() == QAbstractSocket::ConnectedState)
        return;
    std::fprintf(stderr, "Link: connecting failed (socket error %d): %s\n", static_cast<int>(error),
        qPrintable(m_pSocket->errorString()));
    AbortLink();
}

void CConfig::slot_OutTimeTimer() {
    m_pOutTimeTimer->stop();
    if (m_pHeartTimer)
        m_pHeartTimer->stop();
    if (!m_bLinkOpen)
        return;
    std::fprintf(stderr, "Link: no reply within %d ms; closing the link\n", kReplyTimeoutMs);
    AbortLink();
}

void CConfig::slot_GetMsg() {
    if (!m_pSocket)
        return;
    m_pOutTimeTimer->stop();
    // Everything that has arrived is taken now: the socket announces only
    // new data, so a frame left waiting behind another would wait for good.
    for (;;) {
        const qint64 available = m_pSocket->bytesAvailable();
        if (m_nMsgLen == 0) {
            if (available < kLinkFrameHeaderSize)
                break;
            char header[kLinkFrameHeaderSize];
            if (m_pSocket->read(header, kLinkFrameHeaderSize) != kLinkFrameHeaderSize)
                break;
            XorWithLinkKey(header, kLinkFrameHeaderSize, m_nKeyPos, m_strLinkKey);
            m_nKeyPos = static_cast<int>((m_nKeyPos + kLinkFrameHeaderSize) % m_nLinkKeyLen);
            const quint32 length = ReadLinkFrameLength(header);
            if (length == 0) {
                m_nKeyPos = 0;
                continue;
            }
            if (length > static_cast<quint32>(kMaxLinkBody)) {
                std::fprintf(
                    stderr, "Link: the server announced a message of %u bytes; closing the link\n", length);
                AbortLink();
                return;
            }
            m_nMsgLen = static_cast<int>(length);
            continue;
        }
        if (available <= 0)
            break;
        const qint64 wanted = qMin<qint64>(available, m_nMsgLen - m_nMsgGot);
        const qsizetype before = m_baMsg.size();
        m_baMsg.resize(before + wanted);
        const qint64 got = m_pSocket->read(m_baMsg.data() + before, wanted);
        if (got <= 0) {
            m_baMsg.resize(before);
            break;
        }
        m_baMsg.resize(before + got);
        XorWithLinkKey(m_baMsg.data() + before, got, m_nKeyPos, m_strLinkKey);
        m_nKeyPos = static_cast<int>((m_nKeyPos + got) % m_nLinkKeyLen);
        m_nMsgGot += static_cast<int>(got);
        if (m_nMsgGot < m_nMsgLen)
            break;
        m_listMsgDone.append(std::exchange(m_baMsg, QByteArray()));
        m_nMsgLen = 0;
        m_nMsgGot = 0;
        m_nKeyPos = 0;
        // Started, not restarted: a steady stream of messages must not hold
        // back the first one for ever.
        if (!m_pMsgTimer->isActive())
            m_pMsgTimer->start(kDeliveryDelayMs);
    }
    // A frame under way that stops arriving ends in the time-out.
    if (m_nMsgLen != 0 || m_pSocket->bytesAvailable() > 0)
        m_pOutTimeTimer->start(kReplyTimeoutMs);
}

void CConfig::slot_GetMsgTimer() {
    m_pMsgTimer->stop();
    DeliverMessages();
}

void CConfig::DeliverMessages() {
    // Each body leaves the queue before its signal: a receiver that opens a
    // message box runs the event loop, and what arrives meanwhile must
    // neither be appended to this body nor lost with it.
    while (!m_listMsgDone.isEmpty()) {
        QByteArray body = m_listMsgDone.takeFirst();
        emit signal_GetMsg(&body);
    }
}

bool CConfig::IsKeepAliveMsg(const QByteArray& body) const {
    return IsHeartBody(body);
}

bool CConfig::IsInternetReachable() const {
    if (!m_strNetHost.trimmed().isEmpty() && ProbeTcpHost(m_strNetHost.trimmed(), 80, kProbeTimeoutMs))
        return true;
    return ProbeTcpHost(QString::fromLatin1(kPublicSite), 80, kProbeTimeoutMs);
}

bool CConfig::ProbeTcpHost(const QString& host, quint16 port, int timeoutMs) {
    if (host.isEmpty())
        return false;
    // The socket's own waitForConnected looks names up without a time limit;
    // a local loop with a timer bounds the whole attempt, look-up included.
    QTcpSocket socket;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    bool connected = false;
    QObject::connect(&socket, &QTcpSocket::connected, &loop, [&] {
        connected = true;
        loop.quit();
    });
    QObject::connect(&socket, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    socket.connectToHost(host, port);
    timer.start(timeoutMs);
    if (socket.state() != QAbstractSocket::UnconnectedState)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    socket.abort();
    return connected;
}
