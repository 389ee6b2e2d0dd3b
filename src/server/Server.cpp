#include "server/Server.h"

#include "platform/ProgramDir.h"
#include "server/ClassroomListener.h"
#include "server/ServerAddress.h"
#include "server/ServerReasons.h"
#include "server/SubmittedFileName.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QHostAddress>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QNetworkInterface>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTableWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include <sys/resource.h>

namespace {

// The descriptors the process has open now.
int OpenDescriptors() {
    std::error_code error;
    int count = 0;
    for (std::filesystem::directory_iterator entry("/proc/self/fd", error), end; !error && entry != end;
         entry.increment(error))
        ++count;
    // Less the one that reads the folder.
    return std::max(count - 1, 0);
}

} // namespace

Server::Server(QWidget* parent, Qt::WindowFlags flags)
    : Server(ServerOptions(), parent, flags) { }

Server::Server(const ServerOptions& options, QWidget* parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags)
    , m_receiverOptions { options.programDir.isEmpty()
            ? QString::fromStdString(platform::ProgramDir().string())
            : options.programDir,
        options.keepAliveMs, options.stallTimeoutMs, options.uploadGraceMs, options.minUploadBytesPerSecond }
    , m_updateMs(options.updateMs)
    , m_refusalLogMs(options.refusalLogMs) {
    m_clock.start();
    ui.setupUi(this);
    // Each line would be kept a second time for an undo no one can ask for.
    ui.textEdit->setUndoRedoEnabled(false);
    setWindowIcon(QIcon(QStringLiteral(":/Server/Icon.PNG")));

    m_sFolder = QStringLiteral("StuFile");
    RefreshScores();
    connect(ui.button, &QPushButton::clicked, this, &Server::slot_Button);

    setWindowTitle(QStringLiteral("教育版服务器"));
    m_pTrayIcon = new QSystemTrayIcon(windowIcon(), this);
    m_pTrayIcon->setToolTip(windowTitle());
    auto* trayMenu = new QMenu(this);
    trayMenu->addAction(QStringLiteral("最小化到托盘"), this, &QWidget::hide);
    trayMenu->addAction(QStringLiteral("还原"), this, &QWidget::showNormal);
    trayMenu->addSeparator();
    trayMenu->addAction(QStringLiteral("退出"), qApp, &QCoreApplication::quit);
    m_pTrayIcon->setContextMenu(trayMenu);
    m_pTrayIcon->show();

    ShowServerIp();

    m_startDescriptors = OpenDescriptors();
    m_pServer = new ClassroomListener([this](const QString& address) { return Admit(address); }, this);
    connect(m_pServer, &QTcpServer::newConnection, this, &Server::slot_Add);
    // The listener stops accepting after such an error and would stay deaf
    // even once descriptors are free again.
    connect(m_pServer, &QTcpServer::acceptError, this, [this](QAbstractSocket::SocketError error) {
        if (!std::exchange(m_bAcceptFailed, true))
            slot_Print(QStringLiteral("服务端出错:") + SocketReason(error));
    });
    if (Listen())
        ui.labelConnectL->setText(QStringLiteral("0"));

    m_pTimer = new QTimer(this);
    connect(m_pTimer, &QTimer::timeout, this, &Server::slot_Timer);
    m_pTimer->start(m_updateMs);
}

Server::~Server() {
    m_pTimer->stop();
    m_clients.clear();
    m_pServer->close();
}

bool Server::Listen() {
    // IPv4 only, like the classroom's simulators: a dual-stack listener
    // would report every peer as "::ffff:a.b.c.d".
    if (m_pServer->listen(QHostAddress::AnyIPv4, kPort)) {
        slot_Print(QStringLiteral("监听端口:%1").arg(kPort));
        if (!std::exchange(m_bLeftoversRemoved, true))
            RemoveLeftoverParts();
        return true;
    }
    slot_Print(QStringLiteral("服务端出错:") + SocketReason(m_pServer->serverError()));
    m_pServer->close();
    return false;
}

void Server::RemoveLeftoverParts() {
    // Only what a receiver names its files while they come in; anything else
    // in the folder is the teacher's.
    QDir folder(ResolveReceiveFolder(m_sFolder, m_receiverOptions.programDir));
    int removed = 0;
    for (const QFileInfo& entry : folder.entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (IsReceivingPartName(entry.fileName()) && !entry.isSymLink() && folder.remove(entry.fileName()))
            ++removed;
    }
    if (removed > 0)
        slot_Print(QStringLiteral("删除了上次未收完的文件:%1个").arg(removed));
}

int Server::ConnectionCap() const {
    rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return kMaxConnections;
    const qint64 available = static_cast<qint64>(std::min<rlim_t>(limit.rlim_cur, 1 << 24))
        - m_startDescriptors - kReservedDescriptors;
    return static_cast<int>(std::clamp<qint64>(available / kDescriptorsPerConnection, 0, kMaxConnections));
}

bool Server::Admit(const QString& address) {
    int live = 0;
    int fromAddress = 0;
    for (const auto& client : m_clients) {
        // A receiver whose peer has gone has given its socket back.
        if (client->m_nAlive == 0)
            continue;
        ++live;
        if (client->m_sIp == address)
            ++fromAddress;
    }
    QString reason;
    if (fromAddress >= kMaxConnectionsPerAddress)
        reason = QStringLiteral("同一地址的连接已达上限(%1个)").arg(kMaxConnectionsPerAddress);
    else if (const int cap = ConnectionCap(); live >= cap)
        reason = QStringLiteral("连接总数已达上限(%1个)").arg(cap);
    else
        return true;
    // A flood from one address makes one line a minute, not one a
    // connection.
    const qint64 now = m_clock.elapsed();
    const auto logged = m_refusalsLogged.find(address);
    if (logged == m_refusalsLogged.end() || now - logged->second >= m_refusalLogMs) {
        m_refusalsLogged[address] = now;
        slot_Print(QStringLiteral("拒绝连接:") + address + QLatin1Char(':') + reason);
    }
    return false;
}

void Server::ShowServerIp() {
    const QString address = ShownServerAddress(QNetworkInterface::allAddresses());
    if (!address.isNull())
        ui.labelIp->setText(address);
}

void Server::slot_Print(const QString& text) {
    QTextDocument* log = ui.textEdit->document();
    QTextCursor cursor(log);
    cursor.movePosition(QTextCursor::Start);
    cursor.insertText(text + QLatin1Char('\n'));
    // The oldest lines go: a server that runs for weeks, or is flooded with
    // connections, keeps its memory. (The block after the last line is the
    // empty one the newest line's "\n" started with.)
    if (log->blockCount() > kMaxLogLines + 1) {
        QTextCursor oldest(log->findBlockByNumber(kMaxLogLines));
        oldest.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        oldest.removeSelectedText();
    }
    std::fprintf(stdout, "%s\n", text.toUtf8().constData());
    std::fflush(stdout);
}

void Server::slot_Add() {
    // Every pending connection, even if several came with one signal.
    while (QTcpSocket* socket = m_pServer->nextPendingConnection()) {
        m_clients.push_back(std::make_unique<CClient>(socket, &m_sFolder, this, m_receiverOptions));
        m_bAcceptFailed = false;
    }
}

void Server::slot_Timer() {
    m_pTimer->stop();
    ui.list->clearContents();
    ui.list->setRowCount(0);

    if (m_nTick >= kScoreRefreshTicks) {
        m_sFolder = ui.lineEdit->text();
        RefreshScores();
    } else {
        ++m_nTick;
    }
    ShowServerIp();

    if (!m_pServer->isListening() && !Listen()) {
        m_clients.clear();
        ui.labelConnectL->setText(QStringLiteral("0"));
        m_pTimer->start(m_updateMs);
        return;
    }

    std::erase_if(m_clients, [](const std::unique_ptr<CClient>& client) { return client->m_nAlive == 0; });
    const qint64 now = m_clock.elapsed();
    std::erase_if(m_refusalsLogged, [&](const auto& entry) { return now - entry.second >= m_refusalLogMs; });
    if (m_bAcceptFailed)
        m_pServer->resumeAccepting();

    // One row per address, in order of first appearance.
    std::vector<std::pair<QString, int>> groups;
    for (const auto& client : m_clients) {
        auto it = std::find_if(
            groups.begin(), groups.end(), [&](const auto& group) { return group.first == client->m_sIp; });
        if (it == groups.end())
            groups.emplace_back(client->m_sIp, 1);
        else
            ++it->second;
    }
    const bool sorting = ui.list->isSortingEnabled();
    ui.list->setSortingEnabled(false);
    ui.list->setRowCount(static_cast<int>(groups.size()));
    for (int row = 0; row < static_cast<int>(groups.size()); ++row) {
        ui.list->setItem(row, 0, new QTableWidgetItem(groups[static_cast<size_t>(row)].first));
        ui.list->setItem(
            row, 1, new QTableWidgetItem(QString::number(groups[static_cast<size_t>(row)].second)));
    }
    ui.list->setSortingEnabled(sorting);

    ui.labelConnectL->setText(QString::number(m_clients.size()));
    m_pTimer->start(m_updateMs);
}

void Server::slot_Button() {
    m_sFolder = ui.lineEdit->text();
    const QString start = ResolveReceiveFolder(m_sFolder, m_receiverOptions.programDir);
    const QString chosen
        = QFileDialog::getExistingDirectory(this, QStringLiteral("浏览"), start, QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty())
        return;
    m_sFolder = chosen;
    ui.lineEdit->setText(chosen);
    RefreshScores();
}
