#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QtGlobal>

#include <optional>

// The online contest's messages on the link. A request is one QDataStream
// record (version 4.6, big-endian) whose first field, a quint32, is the
// length of the rest; the link scrambles it as it is. A reply arrives as a
// body, its length already taken off by the link.
//
// Replies come from a server outside the system, so they are read field by
// field with bounds (LinkRecordReader). A reply is damaged when a field its
// command needs is missing or malformed: the command always, then the
// status, then whatever that status goes on to use. Bytes after the last
// field read are left alone. Texts are at most kMaxContestText code units.

// The command words: bytes on the wire, never translated.
inline constexpr char kContestLogin[] = "Login";
inline constexpr char kContestMap[] = "Map";
inline constexpr char kContestMatch[] = "Match";
inline constexpr char kContestScore[] = "Score";

// The longest text a reply may carry (names, display texts, the MD5).
inline constexpr qsizetype kMaxContestText = 1024;

// Login: QString "Login", QString user, QString password.
QByteArray BuildLoginRequest(const QString& user, const QString& password);
// Match: QString "Match", quint32 user id.
QByteArray BuildMatchRequest(quint32 userId);
// Score: QString "Score", qint32 user id, QString playground MD5 (lower-case
// hex, or empty), qint32 score, qint32 time (the step count times 10).
QByteArray BuildScoreRequest(qint32 userId, const QString& mapCheck, qint32 score, qint32 time);

// The playground check the server compares: the MD5 of the playground
// file's bytes as 32 lower-case hex digits.
QString MapCheckOf(const QByteArray& playground);

// What a signed-in reply tells about the account.
struct ContestAccount {
    qint32 userId = 0;
    QString texts[3];
};

// Login reply: QString command, quint32 status, qint32 user id, three
// QString display texts. A "Login" reply needs its status; status 0 (signed
// in) needs the account as well. With another status the account is there
// only when the server sent it.
struct LoginReply {
    QString command;
    quint32 status = 0;
    std::optional<ContestAccount> account;
};

// What a granted match tells: the playground's name and MD5, the match's
// start and end, and the server's time now (each a valid date-time).
struct MatchGrant {
    QString mapName;
    QString mapMd5;
    QDateTime start;
    QDateTime end;
    QDateTime now;
};

// Match reply: QString command, quint32 status, two QString texts the client
// drops, QString playground name, QString playground MD5, QDateTime start,
// end and now. A "Match" reply needs its status; status 0 (granted) needs
// every field. Any other command is read no further.
struct MatchReply {
    QString command;
    quint32 status = 0;
    std::optional<MatchGrant> grant;
};

// Score reply: QString command, quint32 status; a "Score" reply needs both.
struct ScoreReply {
    QString command;
    quint32 status = 0;
};

// The command word a reply starts with; none when even that cannot be read.
std::optional<QString> ReadReplyCommand(const QByteArray& body);

// Each reader returns none for a damaged reply.
std::optional<LoginReply> ReadLoginReply(const QByteArray& body);
std::optional<MatchReply> ReadMatchReply(const QByteArray& body);
std::optional<ScoreReply> ReadScoreReply(const QByteArray& body);
