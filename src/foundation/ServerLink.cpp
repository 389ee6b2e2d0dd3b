#include "foundation/ServerLink.h"

#include "classlink/XorWithLinkKey.h"
#include "foundation/FoundationLog.h"

#include <QSignalBlocker>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace {

// Bytes taken off the socket at a time.
constexpr qint64 kReadChunk = 64 * 1024;

} // namespace

ServerLink::ServerLink(std::string key, bool withHeartbeat, const Timing& timing, QObject* parent)
    : QObject(parent)
    , m_timing(timing)
    , m_key(std::move(key))
    , m_decoder(LinkDecoder::Frames(kMaxBody, m_key)) {
    m_pSocket = new QTcpSocket(this);
    m_pMsgTimer = new QTimer(this);
    m_pOutTimeTimer = new QTimer(this);
    connect(m_pSocket, &QTcpSocket::readyRead, this, &ServerLink::OnReadyRead);
    connect(m_pSocket, &QTcpSocket::disconnected, this, &ServerLink::OnDisconnected);
    connect(m_pSocket, &QTcpSocket::errorOccurred, this, &ServerLink::OnSocketError);
    connect(m_pMsgTimer, &QTimer::timeout, this, &ServerLink::OnDeliveryDue);
    connect(m_pOutTimeTimer, &QTimer::timeout, this, &ServerLink::OnReplyTimeout);
    if (withHeartbeat) {
        m_pHeartTimer = new QTimer(this);
        connect(m_pHeartTimer, &QTimer::timeout, this, &ServerLink::SendHeartbeat);
    }
}

ServerLink::~ServerLink() {
    // Nobody is told about a link that goes with the program.
    m_pSocket->disconnect(this);
    m_pSocket->abort();
}

void ServerLink::Connect(const QString& host, quint16 port) {
    // A new connection never continues what the last one left half-done.
    {
        const QSignalBlocker quiet(m_pSocket);
        m_pSocket->abort();
    }
    m_pMsgTimer->stop();
    m_pOutTimeTimer->stop();
    m_decoder.Reset();
    m_listMsgDone.clear();
    m_bLinkOpen = true;
    m_pSocket->connectToHost(host, port, QIODevice::ReadWrite);
}

void ServerLink::Close() {
    CloseFor(CloseReason::ByUs);
}

void ServerLink::CloseFor(CloseReason reason) {
    m_closeReason = reason;
    m_bLinkOpen = false;
    if (m_pHeartTimer)
        m_pHeartTimer->stop();
    m_pOutTimeTimer->stop();
    m_pMsgTimer->stop();
    m_pSocket->close();
    // A body cut off by the close is garbage; the next connection starts at
    // a frame boundary with key position 0.
    m_decoder.Reset();
    // Messages that were complete before the close are still the peer's
    // last words (a reply followed by a hang-up): they come first.
    DeliverMessages();
    emit Closed();
}

void ServerLink::AbortFor(CloseReason reason) {
    {
        const QSignalBlocker quiet(m_pSocket);
        m_pSocket->abort();
    }
    CloseFor(reason);
}

bool ServerLink::Send(const QByteArray& frame, bool keepHeartbeat) {
    if (!keepHeartbeat && m_pHeartTimer)
        m_pHeartTimer->stop();
    if (m_pSocket->state() != QAbstractSocket::ConnectedState) {
        qCWarning(lcFoundation, "Link: not connected; a message of %lld bytes was not sent",
            static_cast<long long>(frame.size()));
        return false;
    }
    QByteArray scrambled = frame;
    XorWithLinkKey(scrambled, 0, m_key);
    const qint64 written = m_pSocket->write(scrambled);
    if (written != scrambled.size()) {
        qCWarning(lcFoundation, "Link: writing a message failed: %s", qPrintable(m_pSocket->errorString()));
        return false;
    }
    m_pOutTimeTimer->start(m_timing.replyTimeoutMs);
    return true;
}

void ServerLink::StartHeartbeat() {
    if (m_pHeartTimer)
        m_pHeartTimer->start(m_timing.heartbeatMs);
}

void ServerLink::SendHeartbeat() {
    Send(QByteArray(4, '\0'), true);
}

void ServerLink::OnDisconnected() {
    if (m_bLinkOpen)
        CloseFor(CloseReason::PeerClosed);
}

void ServerLink::OnSocketError(QAbstractSocket::SocketError error) {
    if (!m_bLinkOpen)
        return;
    // On an established connection every error ends in the socket's
    // disconnected signal (or the reply time-out), which closes the link.
    // Before that, a failed connect (refused, no such host, no route, timed
    // out, ...) is reported by nothing else.
    if (error == QAbstractSocket::RemoteHostClosedError
        || m_pSocket->state() == QAbstractSocket::ConnectedState)
        return;
    qCWarning(lcFoundation, "Link: connecting failed (socket error %d): %s", static_cast<int>(error),
        qPrintable(m_pSocket->errorString()));
    AbortFor(CloseReason::ConnectFailed);
}

void ServerLink::OnReplyTimeout() {
    m_pOutTimeTimer->stop();
    if (m_pHeartTimer)
        m_pHeartTimer->stop();
    if (!m_bLinkOpen)
        return;
    qCWarning(lcFoundation, "Link: no reply within %d ms; closing the link", m_timing.replyTimeoutMs);
    AbortFor(CloseReason::TimedOut);
}

void ServerLink::OnReadyRead() {
    m_pOutTimeTimer->stop();
    // Everything that has arrived is taken now: the socket announces only
    // new data, so a frame left waiting behind another would wait for good.
    for (;;) {
        const qint64 available = m_pSocket->bytesAvailable();
        if (available <= 0)
            break;
        m_readBuffer.resize(static_cast<qsizetype>(std::min(available, kReadChunk)));
        const qint64 got = m_pSocket->read(m_readBuffer.data(), m_readBuffer.size());
        if (got <= 0)
            break;
        qsizetype at = 0;
        for (;;) {
            const LinkDecoder::Result result = m_decoder.Feed(m_readBuffer.data() + at, got - at);
            at += result.taken;
            if (result.event == LinkDecoder::Event::Frame) {
                m_listMsgDone.append(m_decoder.TakeBody());
                // Started, not restarted: a steady stream of messages must
                // not hold back the first one for ever.
                if (!m_pMsgTimer->isActive())
                    m_pMsgTimer->start(m_timing.deliveryDelayMs);
                continue;
            }
            if (result.event == LinkDecoder::Event::Error) {
                qCWarning(lcFoundation,
                    "Link: the server announced a message of %lld bytes; closing the link",
                    static_cast<long long>(m_decoder.ErrorValue()));
                AbortFor(CloseReason::Damaged);
                return;
            }
            break;
        }
    }
    // A frame under way that stops arriving ends in the time-out; every
    // piece of it gives the rest the full time again.
    if (m_decoder.InMessage())
        m_pOutTimeTimer->start(m_timing.replyTimeoutMs);
}

void ServerLink::OnDeliveryDue() {
    m_pMsgTimer->stop();
    DeliverMessages();
}

void ServerLink::DeliverMessages() {
    // Each body leaves the queue before its signal: a receiver that opens a
    // message box runs the event loop, and what arrives meanwhile must
    // neither be appended to this body nor lost with it.
    while (!m_listMsgDone.isEmpty()) {
        QByteArray body = m_listMsgDone.takeFirst();
        emit MessageReceived(&body);
    }
}
