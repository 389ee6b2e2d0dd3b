#pragma once

#include "classlink/LinkDecoder.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

class QTcpSocket;
class QTimer;
class Server;

// What a receiver is given besides its socket.
struct ReceiverOptions {
    // The folder a relative receive folder lies under; empty: the program's
    // own folder.
    QString programDir;
    int keepAliveMs = 2500;
    // An upload that has begun and then receives nothing for this long is
    // dropped, so that a stalled simulator holds neither its connection nor
    // its half bundle for ever.
    int stallTimeoutMs = 60000;
    // Nor does one that trickles: an upload has this long, and one second
    // more for every minUploadBytesPerSecond bytes of its bundle that have
    // come, so all of it has this long and a second for each such piece of
    // its declared size. A classroom network that brings at least that much
    // on average finishes; a byte now and then is dropped after the grace.
    int uploadGraceMs = 120000;
    qint64 minUploadBytesPerSecond = 8192;
};

// The classroom server's receiver for one connection. It unscrambles what
// the simulator sends, takes each Up3DFileMessage apart and stores the
// bundle in the receive folder under its SubmittedFileName, answers each
// stored bundle with its receipt (UploadReceipt), sends the keep-alive every
// 2.5 s, and reports connection events as log lines.
//
// A bundle is written to a hidden temporary file in the receive folder as
// it arrives and renamed to its name once its last byte is in, so the folder
// never shows half a bundle and a bundle never has to fit in memory. An
// upload that stops half-way is dropped after a minute of silence, one that
// falls behind the slowest pace a classroom network has after two minutes
// (ReceiverOptions); a simulator that is only connected, uploading nothing,
// stays as long as it likes.
class CClient : public QObject {
    Q_OBJECT

public:
    // Largest bundle taken. A bundle is a robot file, a robot program, a
    // playground with its ground picture and a short text: a few megabytes.
    // Anything beyond this closes the connection.
    static constexpr qint32 kMaxDataLength = 512 << 20;
    // Largest name block: a name of 1024 UTF-16 code units.
    static constexpr qint32 kMaxNameLength = 4 + 2 * 1024;
    // Copies of one name from one address within one second, beyond which
    // a bundle is refused as "文件已存在".
    static constexpr int kMaxCopies = 999;

    // Takes over the accepted socket. `folder` is the window's receive-folder
    // text, read anew for every bundle; `window` (may be null) gets the log.
    CClient(QTcpSocket* socket, QString* folder, Server* window, const ReceiverOptions& options = {});
    ~CClient() override;

    CClient(const CClient&) = delete;
    CClient& operator=(const CClient&) = delete;

    // 1 from construction, 0 once the peer has gone; the window deletes
    // receivers whose flag is 0.
    int m_nAlive = 1;
    // The peer's address, dotted decimal for IPv4.
    QString m_sIp;

signals:
    void signal_Print(const QString& text);

private slots:
    void slot_GetMsg();
    void slot_Disconnect();
    void slot_NetError();
    void slot_Timer();

private:
    void CheckPace();
    void EndUploadClock();
    // Closes the connection after a log line of its own.
    void Drop(const QString& line);
    void Refuse(const QString& reason);
    void StartFile();
    void WriteData(const char* data, qint64 size);
    void FinishFile();
    int MoveInPlace(const QString& folder, const QDateTime& received, QString& target);
    int RenameToFreeName(
        const QString& from, const QString& folder, const QDateTime& received, QString& target) const;
    void DiscardFile();
    void ResetMessage();
    void WriteFailed(const QString& where, int errorNumber);

    // Unscrambles and cuts the stream into uploads; holds the message under
    // way (its lengths, how much of it came, the key position).
    LinkDecoder m_decoder;
    // The submitted name, made safe for a file name.
    QString m_sName;
    // The hidden file of the bundle under way; -1 when it cannot be stored
    // (the rest of the message is then read and dropped, so the next message
    // is found). Written straight to the system, so that a failure comes
    // with the system's reason.
    int m_partFd = -1;
    QString m_partPath;
    // What one read takes from the socket; released after each message, so
    // a connection that is only kept open holds no more than its socket.
    QByteArray m_buffer;
    QTcpSocket* m_pSocket = nullptr;
    QTimer* m_pTimer = nullptr;
    // Runs while a message is under way, started again by every read.
    QTimer* m_pStallTimer = nullptr;
    // Fires when the message under way would be behind its pace, if no more
    // came; m_uploadClock runs from its first byte (invalid between
    // messages), m_uploadBytes counts its data.
    QTimer* m_pPaceTimer = nullptr;
    QElapsedTimer m_uploadClock;
    qint64 m_uploadBytes = 0;
    QString* m_pFolder = nullptr;
    QString m_programDir;
    int m_keepAliveMs = 2500;
    int m_stallTimeoutMs = 60000;
    int m_uploadGraceMs = 120000;
    qint64 m_minUploadBytesPerSecond = 8192;
    // The connection's end is logged once, by whoever ends it.
    bool m_bEndLogged = false;
};
