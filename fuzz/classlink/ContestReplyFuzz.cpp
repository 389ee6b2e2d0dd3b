// A contest server's reply from anywhere: each reader takes it or calls it
// damaged, never reading past it; what it takes agrees with Qt's own reader
// of the same fields, stays within the text limit, and has every field its
// command and status go on to use. Bytes after it change nothing it read.

#include "FuzzCheck.h"
#include "classlink/ContestMessages.h"

#include <QDataStream>
#include <QIODevice>

#include <cstdint>

using fuzzsupport::Check;

namespace {

// The command and status as QDataStream reads them; false when it cannot.
bool QtReads(const QByteArray& body, QString& command, quint32& status, bool& hasStatus) {
    QDataStream in(body);
    in.setVersion(QDataStream::Qt_4_6);
    in >> command;
    if (in.status() != QDataStream::Ok)
        return false;
    in >> status;
    hasStatus = in.status() == QDataStream::Ok;
    return true;
}

bool Within(const QString& text) {
    return text.size() <= kMaxContestText;
}

template <class Reply>
void CheckCommon(const std::optional<Reply>& reply, const QByteArray& body, const char* word) {
    if (!reply)
        return;
    QString command;
    quint32 status = 0;
    bool hasStatus = false;
    Check(QtReads(body, command, status, hasStatus), "a reply taken whose command Qt cannot read");
    Check(command == reply->command && command.isNull() == reply->command.isNull(),
        "another command than Qt's");
    Check(Within(reply->command), "a command past the text limit");
    if (reply->command == QLatin1String(word)) {
        Check(hasStatus && status == reply->status, "another status than Qt's");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray body(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QByteArray longer = body + QByteArray("\0\x01\xff\xfe", 4);

    // The command alone, which decides whose reply it is: read exactly when
    // Qt reads one, and the same one every reader takes.
    const std::optional<QString> command = ReadReplyCommand(body);
    {
        QString qtCommand;
        quint32 status = 0;
        bool hasStatus = false;
        const bool qtReads = QtReads(body, qtCommand, status, hasStatus) && Within(qtCommand);
        Check(command.has_value() == qtReads, "a command read where Qt reads none, or none where it does");
        if (command)
            Check(*command == qtCommand && command->isNull() == qtCommand.isNull(),
                "another command than Qt's");
        // More bytes may complete a command that was cut; one read stays.
        if (command)
            Check(ReadReplyCommand(longer) == command, "trailing bytes changed a command");
    }

    const std::optional<LoginReply> login = ReadLoginReply(body);
    CheckCommon(login, body, kContestLogin);
    Check(!login || (command && *command == login->command), "a login reply of another command");
    if (login) {
        if (login->command == QLatin1String(kContestLogin) && login->status == 0)
            Check(login->account.has_value(), "a signed-in reply without its account");
        if (login->account) {
            for (const QString& text : login->account->texts)
                Check(Within(text), "a display text past the limit");
        }
        // A refusal may stop short of the account, which more bytes may then
        // complete; everything read stays as it was.
        const std::optional<LoginReply> again = ReadLoginReply(longer);
        Check(again && again->command == login->command && again->status == login->status
                && (!login->account
                    || (again->account && again->account->userId == login->account->userId
                        && again->account->texts[2] == login->account->texts[2])),
            "trailing bytes changed a login reply");
    }

    const std::optional<MatchReply> match = ReadMatchReply(body);
    CheckCommon(match, body, kContestMatch);
    if (match) {
        if (match->command == QLatin1String(kContestMatch) && match->status == 0) {
            Check(match->grant.has_value(), "a granted match without its fields");
            Check(match->grant->start.isValid() && match->grant->end.isValid() && match->grant->now.isValid(),
                "a granted match with a time that is no time");
            Check(Within(match->grant->mapName) && Within(match->grant->mapMd5), "a map text past the limit");
        } else {
            Check(!match->grant, "a grant in a reply that grants nothing");
        }
        const std::optional<MatchReply> again = ReadMatchReply(longer);
        Check(again && again->command == match->command && again->status == match->status
                && (!match->grant || (again->grant && again->grant->end == match->grant->end)),
            "trailing bytes changed a match reply");
    }

    const std::optional<ScoreReply> score = ReadScoreReply(body);
    CheckCommon(score, body, kContestScore);
    if (score) {
        const std::optional<ScoreReply> again = ReadScoreReply(longer);
        Check(again && again->command == score->command && again->status == score->status,
            "trailing bytes changed a score reply");
    }
    return 0;
}
