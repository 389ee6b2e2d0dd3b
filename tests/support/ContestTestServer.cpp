#include "support/ContestTestServer.h"

#include <QDataStream>
#include <QIODevice>
#include <QTcpSocket>
#include <QTest>
#include <QtEndian>

#include <functional>

namespace testsupport {

namespace {

const char kKey[] = "Kp7Wd2Qx9Vn4Lt6R";
constexpr int kKeyLength = 16;

void Scramble(QByteArray& frame) {
    for (qsizetype i = 0; i < frame.size(); ++i)
        frame[i] = static_cast<char>(frame[i] ^ kKey[i % kKeyLength]);
}

QByteArray Record(const std::function<void(QDataStream&)>& fields) {
    QByteArray body;
    QDataStream out(&body, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_6);
    fields(out);
    return body;
}

QString FirstString(const QByteArray& body) {
    QDataStream in(body);
    in.setVersion(QDataStream::Qt_4_6);
    QString text;
    in >> text;
    return text;
}

} // namespace

ContestTestServer::ContestTestServer(quint16 port)
    : m_port(port) {
    m_server.listen(QHostAddress::LocalHost, port);
    QObject::connect(&m_server, &QTcpServer::newConnection, [this] { Accept(); });
}

ContestTestServer::~ContestTestServer() {
    if (m_peer) {
        m_peer->disconnect();
        m_peer->abort();
    }
}

void ContestTestServer::AddAccount(const QString& user, const Account& account) {
    m_accounts[user] = account;
}

void ContestTestServer::SetSilent(const QString& command, bool silent) {
    if (silent)
        m_silent.insert(command);
    else
        m_silent.erase(command);
}

void ContestTestServer::ReplaceNextReply(const QString& command, const QByteArray& body) {
    m_replacements[command] = body;
}

void ContestTestServer::Accept() {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        // One simulator at a time: a new connection replaces the old one.
        if (m_peer) {
            m_peer->disconnect();
            m_peer->abort();
        }
        m_peer.reset(socket);
        m_received.clear();
        ++m_connections;
        QObject::connect(socket, &QTcpSocket::readyRead, [this] { Read(); });
    }
}

void ContestTestServer::Read() {
    m_received += m_peer->readAll();
    for (;;) {
        if (m_received.size() < 4)
            return;
        QByteArray header = m_received.left(4);
        Scramble(header);
        const quint32 length = qFromBigEndian<quint32>(header.constData());
        if (m_received.size() - 4 < static_cast<qint64>(length))
            return;
        Request request;
        request.wire = m_received.left(4 + length);
        m_received.remove(0, 4 + length);
        QByteArray frame = request.wire;
        Scramble(frame);
        request.body = frame.mid(4);
        if (request.body.isEmpty())
            continue;
        request.command = FirstString(request.body);
        m_requests.push_back(request);
        Answer(request);
    }
}

void ContestTestServer::Answer(const Request& request) {
    const QString& command = request.command;
    if (m_silent.count(command))
        return;
    if (auto replacement = m_replacements.find(command); replacement != m_replacements.end()) {
        const QByteArray body = replacement->second;
        m_replacements.erase(replacement);
        Send(body);
        return;
    }
    QDataStream in(request.body);
    in.setVersion(QDataStream::Qt_4_6);
    QString word;
    in >> word;
    if (command == QLatin1String("Login")) {
        QString user;
        QString password;
        in >> user >> password;
        const auto account = m_accounts.find(user);
        const bool known = account != m_accounts.end() && account->second.password == password;
        const quint32 status = m_forcedLoginStatus.value_or(known ? 0u : 3u);
        const QString none[3];
        if (status == 0 && known)
            Send(LoginReply(0, account->second.userId, account->second.texts));
        else
            Send(LoginReply(status, 0, none));
    } else if (command == QLatin1String("Match") || command == QLatin1String("Map")) {
        quint32 id = 0;
        in >> id;
        Match match = m_match;
        if (!KnownUserId(static_cast<qint32>(id)))
            match.status = 1;
        if (command == QLatin1String("Match")) {
            Send(MatchReply(match));
        } else {
            Send(Record([&](QDataStream& out) {
                out << QStringLiteral("Map") << match.status << match.mapName << match.mapMd5;
            }));
        }
    } else if (command == QLatin1String("Score")) {
        qint32 id = 0;
        in >> id;
        Send(ScoreReply(KnownUserId(id) ? m_scoreStatus : 1u));
    }
}

std::optional<qint32> ContestTestServer::KnownUserId(qint32 id) const {
    for (const auto& [user, account] : m_accounts) {
        if (account.userId == id)
            return id;
    }
    return std::nullopt;
}

void ContestTestServer::Send(const QByteArray& body) {
    if (!m_peer)
        return;
    QByteArray frame(4, Qt::Uninitialized);
    qToBigEndian(static_cast<quint32>(body.size()), frame.data());
    frame += body;
    Scramble(frame);
    m_peer->write(frame);
    m_peer->flush();
}

void ContestTestServer::Drop() {
    if (m_peer)
        m_peer->disconnectFromHost();
}

void ContestTestServer::GoAway() {
    m_server.close();
    if (m_peer) {
        m_peer->disconnect();
        m_peer->abort();
        m_peer.reset();
    }
}

bool ContestTestServer::ComeBack() {
    return m_server.listen(QHostAddress::LocalHost, m_port);
}

bool ContestTestServer::Connected() const {
    return m_peer && m_peer->state() == QAbstractSocket::ConnectedState;
}

std::vector<ContestTestServer::Request> ContestTestServer::RequestsOf(const QString& command) const {
    std::vector<Request> found;
    for (const Request& request : m_requests) {
        if (request.command == command)
            found.push_back(request);
    }
    return found;
}

bool ContestTestServer::WaitForRequests(const QString& command, size_t count, int ms) {
    return QTest::qWaitFor([&] { return RequestsOf(command).size() >= count; }, ms);
}

QByteArray ContestTestServer::LoginReply(quint32 status, qint32 userId, const QString (&texts)[3]) {
    return Record([&](QDataStream& out) {
        out << QStringLiteral("Login") << status << userId << texts[0] << texts[1] << texts[2];
    });
}

QByteArray ContestTestServer::MatchReply(const Match& match) {
    return Record([&](QDataStream& out) {
        out << QStringLiteral("Match") << match.status << QStringLiteral("group") << QStringLiteral("season")
            << match.mapName << match.mapMd5 << match.start << match.end << match.now;
    });
}

QByteArray ContestTestServer::ScoreReply(quint32 status) {
    return Record([&](QDataStream& out) { out << QStringLiteral("Score") << status; });
}

} // namespace testsupport
