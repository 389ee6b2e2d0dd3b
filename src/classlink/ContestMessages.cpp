#include "classlink/ContestMessages.h"

#include "classlink/LinkRecordReader.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QIODevice>
#include <QLatin1String>

#include <functional>

namespace {

// One record: a quint32 length written first as 0 and patched once the
// rest is known.
QByteArray BuildRecord(const std::function<void(QDataStream&)>& fields) {
    QByteArray message;
    QDataStream out(&message, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_6);
    out << quint32(0);
    fields(out);
    out.device()->seek(0);
    out << static_cast<quint32>(message.size() - 4);
    return message;
}

bool Is(const QString& command, const char* word) {
    return command == QLatin1String(word);
}

} // namespace

QByteArray BuildLoginRequest(const QString& user, const QString& password) {
    return BuildRecord(
        [&](QDataStream& out) { out << QString::fromLatin1(kContestLogin) << user << password; });
}

QByteArray BuildMatchRequest(quint32 userId) {
    return BuildRecord([&](QDataStream& out) { out << QString::fromLatin1(kContestMatch) << userId; });
}

QByteArray BuildScoreRequest(qint32 userId, const QString& mapCheck, qint32 score, qint32 time) {
    return BuildRecord([&](QDataStream& out) {
        out << QString::fromLatin1(kContestScore) << userId << mapCheck << score << time;
    });
}

QString MapCheckOf(const QByteArray& playground) {
    return QString::fromLatin1(QCryptographicHash::hash(playground, QCryptographicHash::Md5).toHex());
}

std::optional<QString> ReadReplyCommand(const QByteArray& body) {
    LinkRecordReader in(body);
    return in.ReadString(kMaxContestText);
}

std::optional<LoginReply> ReadLoginReply(const QByteArray& body) {
    LinkRecordReader in(body);
    LoginReply reply;
    const std::optional<QString> command = in.ReadString(kMaxContestText);
    if (!command)
        return std::nullopt;
    reply.command = *command;
    if (!Is(reply.command, kContestLogin))
        return reply;
    const std::optional<quint32> status = in.ReadUInt32();
    if (!status)
        return std::nullopt;
    reply.status = *status;
    ContestAccount account;
    const std::optional<qint32> userId = in.ReadInt32();
    account.userId = userId.value_or(0);
    for (QString& text : account.texts)
        text = in.ReadString(kMaxContestText).value_or(QString());
    if (!in.Failed())
        reply.account = account;
    else if (reply.status == 0)
        return std::nullopt;
    return reply;
}

std::optional<MatchReply> ReadMatchReply(const QByteArray& body) {
    LinkRecordReader in(body);
    MatchReply reply;
    const std::optional<QString> command = in.ReadString(kMaxContestText);
    if (!command)
        return std::nullopt;
    reply.command = *command;
    if (!Is(reply.command, kContestMatch))
        return reply;
    const std::optional<quint32> status = in.ReadUInt32();
    if (!status)
        return std::nullopt;
    reply.status = *status;
    if (reply.status != 0)
        return reply;
    in.ReadString(kMaxContestText);
    in.ReadString(kMaxContestText);
    MatchGrant grant;
    grant.mapName = in.ReadString(kMaxContestText).value_or(QString());
    grant.mapMd5 = in.ReadString(kMaxContestText).value_or(QString());
    grant.start = in.ReadDateTime().value_or(QDateTime());
    grant.end = in.ReadDateTime().value_or(QDateTime());
    grant.now = in.ReadDateTime().value_or(QDateTime());
    // A field that fails leaves every later one failing, the times too.
    if (!grant.start.isValid() || !grant.end.isValid() || !grant.now.isValid())
        return std::nullopt;
    reply.grant = grant;
    return reply;
}

std::optional<ScoreReply> ReadScoreReply(const QByteArray& body) {
    LinkRecordReader in(body);
    ScoreReply reply;
    const std::optional<QString> command = in.ReadString(kMaxContestText);
    if (!command)
        return std::nullopt;
    reply.command = *command;
    if (!Is(reply.command, kContestScore))
        return reply;
    const std::optional<quint32> status = in.ReadUInt32();
    if (!status)
        return std::nullopt;
    reply.status = *status;
    return reply;
}
