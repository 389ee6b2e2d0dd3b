#include "server/Server.h"

#include "platform/ProgramDir.h"
#include "server/ServerAddress.h"
#include "server/SubmittedFileName.h"

#include <QApplication>
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
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>
#include <cstdio>

Server::Server(QWidget* parent, Qt::WindowFlags flags)
    : Server(ServerOptions(), parent, flags) { }

Server::Server(const ServerOptions& options, QWidget* parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags)
    , m_receiverOptions { options.programDir.isEmpty()
            ? QString::fromStdString(platform::ProgramDir().string())
            : options.programDir,
        options.keepAliveMs }
    , m_updateMs(options.updateMs) {
    ui.setupUi(this);
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

    m_pServer = new QTcpServer(this);
    connect(m_pServer, &QTcpServer::newConnection, this, &Server::slot_Add);
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
        return true;
    }
    slot_Print(QStringLiteral("服务端出错:") + m_pServer->errorString());
    m_pServer->close();
    return false;
}

void Server::ShowServerIp() {
    const QString address = ShownServerAddress(QNetworkInterface::allAddresses());
    if (!address.isNull())
        ui.labelIp->setText(address);
}

void Server::slot_Print(const QString& text) {
    QTextCursor cursor(ui.textEdit->document());
    cursor.movePosition(QTextCursor::Start);
    cursor.insertText(text + QLatin1Char('\n'));
    std::fprintf(stdout, "%s\n", text.toUtf8().constData());
    std::fflush(stdout);
}

void Server::slot_Add() {
    // Every pending connection, even if several came with one signal.
    while (QTcpSocket* socket = m_pServer->nextPendingConnection())
        m_clients.push_back(std::make_unique<CClient>(socket, &m_sFolder, this, m_receiverOptions));
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
