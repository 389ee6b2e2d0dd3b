#pragma once

#include "classlink/LinkDecoder.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <string>

class QTcpSocket;
class QTimer;

// The simulator's one TCP link, to the teacher's ClassServer or to a contest
// server: connecting, framing and scrambling what is sent, cutting what
// arrives into messages, the reply time-out, the delivery of each message
// 100 ms after it completed, and the heartbeat where there is one.
//
// The configuration owns it and speaks for it (CConfig::InitNet and the
// link's other operations); it does not choose hosts or ports.
//
// States: closed -> connecting (Connect) -> connected -> waiting for a reply
// (time-out running) -> message delivered -> ... -> closed (Close, emitting
// Closed once). A closed link may be connected again.
class ServerLink : public QObject {
    Q_OBJECT

public:
    struct Timing {
        // No reply within this long of the last send or of the last piece of
        // a message under way closes the link.
        int replyTimeoutMs = 10000;
        int deliveryDelayMs = 100;
        int heartbeatMs = 30000;
    };

    // Why the link closed last.
    enum class CloseReason {
        ByUs, // Close was called
        PeerClosed, // the peer hung up, or the connection broke
        ConnectFailed, // the connection was never taken
        TimedOut, // no reply, or no rest of a message, within the reply time-out
        Damaged, // the peer announced a message longer than any reply
    };

    // Replies are a few hundred bytes; a longer announced body is a faulty
    // or hostile peer, and the link is closed rather than buffering it.
    static constexpr qint64 kMaxBody = 16 << 20;

    // A link scrambling with the key; with a heartbeat timer or without.
    ServerLink(std::string key, bool withHeartbeat, const Timing& timing, QObject* parent = nullptr);
    ~ServerLink() override;

    ServerLink(const ServerLink&) = delete;
    ServerLink& operator=(const ServerLink&) = delete;

    // Drops what the last connection left half-done and connects.
    void Connect(const QString& host, quint16 port);
    // Stops the timers, closes the socket, hands out the messages that were
    // complete before the close, and emits Closed.
    void Close();
    // Scrambles a copy of a complete frame from key position 0 and writes
    // it; starts the reply time-out. With keepHeartbeat false the heartbeat
    // stops. False (with a warning) when the link is not connected or the
    // write failed.
    bool Send(const QByteArray& frame, bool keepHeartbeat);
    // Starts the heartbeat timer, when there is one.
    void StartHeartbeat();
    // Sends the heartbeat frame: an empty body.
    void SendHeartbeat();
    // Why the link closed last (ByUs before it ever closed).
    CloseReason LastCloseReason() const { return m_closeReason; }
    int ReplyTimeoutMs() const { return m_timing.replyTimeoutMs; }

    // What the socket's and the timers' signals run.
    void OnSocketError(QAbstractSocket::SocketError error);
    void OnDisconnected();
    void OnReplyTimeout();
    void OnReadyRead();
    void OnDeliveryDue();

    QTcpSocket* Socket() const { return m_pSocket; }
    // Null when the link has no heartbeat.
    QTimer* HeartTimer() const { return m_pHeartTimer; }
    QTimer* ReplyTimer() const { return m_pOutTimeTimer; }
    QTimer* DeliveryTimer() const { return m_pMsgTimer; }

signals:
    // One complete, unscrambled message body (its length header removed),
    // each message on its own.
    void MessageReceived(QByteArray* body);
    // The link closed, or a connect failed.
    void Closed();

private:
    void CloseFor(CloseReason reason);
    void AbortFor(CloseReason reason);
    void DeliverMessages();

    QTcpSocket* m_pSocket = nullptr;
    QTimer* m_pMsgTimer = nullptr;
    QTimer* m_pOutTimeTimer = nullptr;
    QTimer* m_pHeartTimer = nullptr;
    Timing m_timing;
    std::string m_key;
    LinkDecoder m_decoder;
    QByteArray m_readBuffer;
    // Bodies that are complete but not yet handed out, oldest first.
    QList<QByteArray> m_listMsgDone;
    // Set from Connect until Close, so one closing of the link is reported
    // once however many socket signals announce it.
    bool m_bLinkOpen = false;
    CloseReason m_closeReason = CloseReason::ByUs;
};
