// The configuration's side of the simulator's link: which host and port, and
// the link's operations under the names the rest of the system calls. The
// link itself is a ServerLink.

#include "foundation/CConfig.h"

#include "classlink/HeartMessage.h"
#include "foundation/ContestClient.h"
#include "foundation/FoundationLog.h"

#include <QEventLoop>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>

namespace {

// Our stand-in for asking the system whether the internet is there: a site
// that answers on port 80 whenever there is a way out at all.
const char* const kPublicSite = "www.debian.org";
constexpr int kProbeTimeoutMs = 3000;

} // namespace

CConfig::~CConfig() {
    ShutdownNet();
}

std::string_view CConfig::LinkKey() const {
    // substr holds the length to what the key has.
    return std::string_view(m_strLinkKey).substr(0, static_cast<size_t>(std::max(m_nLinkKeyLen, 0)));
}

void CConfig::InitNet() {
    InitNet(ServerLink::Timing());
}

void CConfig::InitNet(const ServerLink::Timing& timing) {
    if (m_pLink)
        return;
    m_pLink = std::make_unique<ServerLink>(std::string(LinkKey()), !m_bNoHeartbeat, timing);
    m_pSocket = m_pLink->Socket();
    m_pMsgTimer = m_pLink->DeliveryTimer();
    m_pOutTimeTimer = m_pLink->ReplyTimer();
    m_pHeartTimer = m_pLink->HeartTimer();
    connect(m_pLink.get(), &ServerLink::MessageReceived, this, &CConfig::signal_GetMsg);
    connect(m_pLink.get(), &ServerLink::Closed, this, &CConfig::signal_Disconnect);
    m_pContest = std::make_unique<ContestClient>(*this);
}

void CConfig::ShutdownNet() {
    m_pSocket = nullptr;
    m_pMsgTimer = nullptr;
    m_pOutTimeTimer = nullptr;
    m_pHeartTimer = nullptr;
    m_pContest.reset();
    if (m_pLink) {
        // Nobody is told about a link that goes with the program.
        m_pLink->disconnect(this);
        m_pLink.reset();
    }
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
    if (!m_pLink)
        qCWarning(lcFoundation, "Link: not set up; cannot connect");
    if (host.isEmpty() || !m_pLink) {
        emit signal_Disconnect();
        return;
    }
    m_pLink->Connect(host, port);
}

void CConfig::CloseConnection() {
    if (m_pLink)
        m_pLink->Close();
    else
        emit signal_Disconnect();
}

bool CConfig::SendMsg(const QByteArray& message, bool keepHeartbeat) {
    if (!m_pLink) {
        qCWarning(lcFoundation, "Link: not set up; a message of %lld bytes was not sent",
            static_cast<long long>(message.size()));
        return false;
    }
    return m_pLink->Send(message, keepHeartbeat);
}

void CConfig::StartHeartbeat() {
    if (m_pLink)
        m_pLink->StartHeartbeat();
}

void CConfig::slot_HeartTimer() {
    if (m_pLink)
        m_pLink->SendHeartbeat();
}

void CConfig::slot_Disconnect() {
    if (m_pLink)
        m_pLink->OnDisconnected();
}

void CConfig::slot_NetError(QAbstractSocket::SocketError error) {
    if (m_pLink)
        m_pLink->OnSocketError(error);
}

void CConfig::slot_OutTimeTimer() {
    if (m_pLink)
        m_pLink->OnReplyTimeout();
}

void CConfig::slot_GetMsg() {
    if (m_pLink)
        m_pLink->OnReadyRead();
}

void CConfig::slot_GetMsgTimer() {
    if (m_pLink)
        m_pLink->OnDeliveryDue();
}

bool CConfig::IsKeepAliveMsg(const QByteArray& body) const {
    return IsHeartBody(body);
}

bool CConfig::IsInternetReachable() const {
    // A contest host that refuses the probe's port is reached all the same:
    // the network works, and whether its contest server answers is for the
    // connection itself to tell.
    const QString host = m_strNetHost.trimmed();
    if (!host.isEmpty() && ProbeTcp(host, m_nProbePort, kProbeTimeoutMs) != ProbeAnswer::None)
        return true;
    return ProbeTcpHost(QString::fromLatin1(kPublicSite), 80, kProbeTimeoutMs);
}

bool CConfig::ProbeTcpHost(const QString& host, quint16 port, int timeoutMs) {
    return ProbeTcp(host, port, timeoutMs) == ProbeAnswer::Accepted;
}

CConfig::ProbeAnswer CConfig::ProbeTcp(const QString& host, quint16 port, int timeoutMs) {
    if (host.isEmpty())
        return ProbeAnswer::None;
    // The socket's own waitForConnected looks names up without a time limit;
    // a local loop with a timer bounds the whole attempt, look-up included.
    QTcpSocket socket;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    ProbeAnswer answer = ProbeAnswer::None;
    QObject::connect(&socket, &QTcpSocket::connected, &loop, [&] {
        answer = ProbeAnswer::Accepted;
        loop.quit();
    });
    QObject::connect(&socket, &QTcpSocket::errorOccurred, &loop, [&](QAbstractSocket::SocketError error) {
        if (error == QAbstractSocket::ConnectionRefusedError)
            answer = ProbeAnswer::Refused;
        loop.quit();
    });
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    socket.connectToHost(host, port);
    timer.start(timeoutMs);
    if (socket.state() != QAbstractSocket::UnconnectedState)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    else if (socket.error() == QAbstractSocket::ConnectionRefusedError)
        answer = ProbeAnswer::Refused;
    socket.abort();
    return answer;
}
