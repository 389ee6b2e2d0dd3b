#pragma once

#include "server/CClient.h"
#include "server/ServerClass.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QString>

#include <map>
#include <memory>
#include <vector>

class QSystemTrayIcon;
class QTcpServer;
class QTimer;

// What the window is given: where it is installed and how often it updates.
struct ServerOptions {
    // The program folder, which relative receive folders lie under; empty:
    // the program's own folder.
    QString programDir;
    int updateMs = 1000;
    // The receivers' timings (ReceiverOptions).
    int keepAliveMs = ReceiverOptions().keepAliveMs;
    int stallTimeoutMs = ReceiverOptions().stallTimeoutMs;
    int uploadGraceMs = ReceiverOptions().uploadGraceMs;
    qint64 minUploadBytesPerSecond = ReceiverOptions().minUploadBytesPerSecond;
    // Refused connections are logged once in this long per address.
    int refusalLogMs = 60000;
};

// The classroom server's window. It listens for simulators on port 4480,
// keeps one receiver (CClient) per connection, and shows its own address,
// the live connections grouped by address, a log (newest line first), the
// receive folder and the scores of the stored bundles. It lives in the
// system tray as well.
class Server : public QMainWindow {
    Q_OBJECT

public:
    static constexpr quint16 kPort = 4480;
    // The score table is rebuilt at every 31st update.
    static constexpr int kScoreRefreshTicks = 30;
    // The log keeps this many lines, the newest.
    static constexpr int kMaxLogLines = 1000;

    // No one on the network can take the server's descriptors: a student's
    // Morvane needs one connection, so one address gets at most this many
    // (room for a second Morvane, and for links that dropped without the
    // server hearing of it), ...
    static constexpr int kMaxConnectionsPerAddress = 8;
    // ... and all of them together at most this many, fewer when the
    // process's descriptor limit leaves less: each connection counts two
    // descriptors (its socket and its bundle's part file), and beyond those
    // the server had at start, kReservedDescriptors stay free for Qt's own
    // needs (a new thread's wake-up descriptors, the folder dialog, the
    // score table's files, ...), whose failure would end the program. A
    // connection over either cap is closed at once.
    static constexpr int kMaxConnections = 1000;
    static constexpr int kReservedDescriptors = 64;
    static constexpr int kDescriptorsPerConnection = 2;

    explicit Server(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    explicit Server(const ServerOptions& options, QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~Server() override;

    // Rebuilds the score table from the bundles in the receive folder.
    void RefreshScores();

    const QString& ReceiveFolder() const { return m_sFolder; }
    int ClientCount() const { return static_cast<int>(m_clients.size()); }
    // How many connections may be open at once now, under the process's
    // descriptor limit.
    int ConnectionCap() const;

public slots:
    // Puts a line at the top of the log (and on standard output).
    void slot_Print(const QString& text);

private slots:
    void slot_Add();
    void slot_Timer();
    void slot_Button();

private:
    void ShowServerIp();
    bool Listen();
    void RemoveLeftoverParts();
    // Whether a new connection from the address is taken; logs a refusal.
    bool Admit(const QString& address);

    QTcpServer* m_pServer = nullptr;
    std::vector<std::unique_ptr<CClient>> m_clients;
    QTimer* m_pTimer = nullptr;
    QString m_sFolder;
    int m_nTick = 0;
    Ui::ServerClass ui;
    QSystemTrayIcon* m_pTrayIcon = nullptr;
    ReceiverOptions m_receiverOptions;
    int m_updateMs = 1000;
    // The part files a killed server left are removed once, when this one
    // first holds the port: while another server holds it, they may be its.
    bool m_bLeftoversRemoved = false;
    // Accepting stopped on an error (the process's descriptors all in use);
    // it is taken up again at every update until a connection comes in.
    bool m_bAcceptFailed = false;
    // The descriptors that were open before the first connection.
    int m_startDescriptors = 0;
    // When a refusal was last logged, per address (ms of m_clock); entries
    // older than the interval go at the next update.
    std::map<QString, qint64> m_refusalsLogged;
    QElapsedTimer m_clock;
    int m_refusalLogMs = 60000;
};
