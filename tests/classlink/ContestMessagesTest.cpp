// The contest's requests byte for byte as their records lay them out, and
// replies read with bounds: every field a reply's command and status go on
// to use must be there and well formed, or the reply is damaged.

#include "classlink/ContestMessages.h"
#include "classlink/LinkRecordReader.h"
#include "support/QtPrint.h"

#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

QByteArray Hex(const char* hex) {
    return QByteArray::fromHex(QByteArray(hex).replace(' ', ""));
}

// The fields of the replies below, as QDataStream 4.6 writes them.
const char* const kMatchWord = "0000000a 004d 0061 0074 0063 0068";
const char* const kLoginWord = "0000000a 004c 006f 0067 0069 006e";
const char* const kScoreWord = "0000000a 0053 0063 006f 0072 0065";

QByteArray GrantedMatchReply() {
    return Hex(kMatchWord)
        + Hex("00000000" // status 0
              "00000002 0041" // "A", dropped
              "ffffffff" // null text, dropped
              "00000008 0046 0069 0065 006c" // "Fiel"
              "00000006 0061 0062 0063" // "abc"
              "00258ad3 02130180 ff" // 2024-03-01 09:40:00 local
              "00258ad3 02255100 02" // 2024-03-01 10:00:00 UTC
              "00258ad3 02160ec0 ff"); // 2024-03-01 09:43:20 local
}

} // namespace

TEST(ContestMessages, RequestsAreLengthPrefixedRecordsOfTheirFields) {
    EXPECT_EQ(BuildLoginRequest(QStringLiteral("ann"), QStringLiteral(" pw")),
        Hex("00000022") + Hex(kLoginWord) + Hex("00000006 0061 006e 006e 00000006 0020 0070 0077"));
    EXPECT_EQ(BuildMatchRequest(0x01020304u), Hex("00000012") + Hex(kMatchWord) + Hex("01020304"));
    const QString md5 = QStringLiteral("900150983cd24fb0d6963f7d28e17f72");
    QByteArray md5Units;
    for (QChar c : md5)
        md5Units += '\0' + QByteArray(1, c.toLatin1());
    EXPECT_EQ(BuildScoreRequest(7, md5, 150, 12340),
        Hex("0000005e") + Hex(kScoreWord) + Hex("00000007 00000040") + md5Units + Hex("00000096 00003034"));
    EXPECT_EQ(BuildScoreRequest(-2, QString(), 1, 10),
        Hex("0000001e") + Hex(kScoreWord) + Hex("fffffffe ffffffff 00000001 0000000a"));
    // RFC 1321's test vector.
    EXPECT_EQ(MapCheckOf("abc"), md5);
}

TEST(ContestMessages, GrantedMatchReplyGivesPlaygroundAndTimes) {
    const std::optional<MatchReply> reply = ReadMatchReply(GrantedMatchReply() + "trailing");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->command, QStringLiteral("Match"));
    EXPECT_EQ(reply->status, 0u);
    ASSERT_TRUE(reply->grant);
    EXPECT_EQ(reply->grant->mapName, QStringLiteral("Fiel"));
    EXPECT_EQ(reply->grant->mapMd5, QStringLiteral("abc"));
    const QDate day(2024, 3, 1);
    EXPECT_EQ(reply->grant->start, QDateTime(day, QTime(9, 40), Qt::LocalTime));
    EXPECT_EQ(reply->grant->end, QDateTime(day, QTime(10, 0), Qt::UTC));
    EXPECT_EQ(reply->grant->now, QDateTime(day, QTime(9, 43, 20), Qt::LocalTime));
}

TEST(ContestMessages, GrantedMatchReplyCutAnywhereIsDamaged) {
    const QByteArray full = GrantedMatchReply();
    for (qsizetype size = 0; size < full.size(); ++size)
        EXPECT_FALSE(ReadMatchReply(full.left(size))) << size << " bytes";
}

TEST(ContestMessages, MalformedFieldsMakeAReplyDamaged) {
    const QByteArray full = GrantedMatchReply();
    auto withBytes = [&](qsizetype at, const char* hex) {
        QByteArray bytes = full;
        const QByteArray patch = Hex(hex);
        bytes.replace(at, patch.size(), patch);
        return bytes;
    };
    // Offsets: command 0, status 14, "A" 18, null 24, name 28, MD5 40, start 50.
    EXPECT_FALSE(ReadMatchReply(withBytes(18, "00000003"))) << "odd byte count";
    EXPECT_FALSE(ReadMatchReply(withBytes(28, "00000400"))) << "more than the body";
    EXPECT_FALSE(ReadMatchReply(withBytes(28, "fffffffe"))) << "a count near 4 GiB";
    EXPECT_FALSE(ReadMatchReply(withBytes(54, "05265c00"))) << "a time of day of 24:00";
    EXPECT_FALSE(ReadMatchReply(withBytes(58, "07"))) << "no such time spec";
    EXPECT_FALSE(ReadMatchReply(withBytes(50, "00000000"))) << "a null start date";
    EXPECT_FALSE(ReadMatchReply(withBytes(54, "ffffffff"))) << "a null start time";
    // Time specs 0 and 1 are local time as -1 is; 3 and 4 were written as UTC.
    for (const char* spec : { "00", "01" })
        EXPECT_EQ(
            ReadMatchReply(withBytes(58, spec))->grant->start, QDateTime(QDate(2024, 3, 1), QTime(9, 40)));
    for (const char* spec : { "03", "04" }) {
        EXPECT_EQ(ReadMatchReply(withBytes(58, spec))->grant->start,
            QDateTime(QDate(2024, 3, 1), QTime(9, 40), Qt::UTC));
    }

    // A text may be as long as the longest allowed, not longer.
    QByteArray longest = Hex("00000800") + QByteArray(2 * 1024, 'x');
    EXPECT_TRUE(ReadMatchReply(longest));
    longest = Hex("00000802") + QByteArray(2 * 1025, 'x');
    EXPECT_FALSE(ReadMatchReply(longest));
}

TEST(ContestMessages, RepliesNeedOnlyWhatTheirCommandAndStatusUse) {
    // A refused match and the signed-out notice may stop after what counts.
    std::optional<MatchReply> match = ReadMatchReply(Hex(kMatchWord) + Hex("00000005"));
    ASSERT_TRUE(match);
    EXPECT_EQ(match->status, 5u);
    EXPECT_FALSE(match->grant);
    match = ReadMatchReply(Hex(kLoginWord));
    ASSERT_TRUE(match);
    EXPECT_EQ(match->command, QStringLiteral("Login"));
    match = ReadMatchReply(Hex("ffffffff"));
    ASSERT_TRUE(match);
    EXPECT_TRUE(match->command.isNull());
    EXPECT_FALSE(ReadMatchReply(Hex(kMatchWord)));

    const QByteArray account = Hex("0000002a 00000002 0041 00000000 00000004 0031 0032");
    std::optional<LoginReply> login = ReadLoginReply(Hex(kLoginWord) + Hex("00000000") + account);
    ASSERT_TRUE(login);
    ASSERT_TRUE(login->account);
    EXPECT_EQ(login->account->userId, 42);
    EXPECT_EQ(login->account->texts[0], QStringLiteral("A"));
    EXPECT_TRUE(login->account->texts[1].isEmpty());
    EXPECT_EQ(login->account->texts[2], QStringLiteral("12"));
    login = ReadLoginReply(Hex(kLoginWord) + Hex("00000003"));
    ASSERT_TRUE(login);
    EXPECT_EQ(login->status, 3u);
    EXPECT_FALSE(login->account);
    EXPECT_FALSE(ReadLoginReply(Hex(kLoginWord) + Hex("00000000") + account.left(account.size() - 1)));
    EXPECT_FALSE(ReadLoginReply(Hex(kLoginWord) + Hex("000000")));
    login = ReadLoginReply(Hex(kMatchWord));
    ASSERT_TRUE(login);
    EXPECT_EQ(login->command, QStringLiteral("Match"));

    std::optional<ScoreReply> score = ReadScoreReply(Hex(kScoreWord) + Hex("0000000a"));
    ASSERT_TRUE(score);
    EXPECT_EQ(score->status, 10u);
    EXPECT_FALSE(ReadScoreReply(Hex(kScoreWord) + Hex("00")));
    EXPECT_FALSE(ReadScoreReply(QByteArray()));
    EXPECT_EQ(ReadScoreReply(Hex(kLoginWord))->command, QStringLiteral("Login"));
}

TEST(LinkRecordReader, OneFailureFailsEveryLaterRead) {
    const QByteArray body = Hex("00000006 0041");
    LinkRecordReader in(body);
    EXPECT_FALSE(in.ReadString(100));
    EXPECT_TRUE(in.Failed());
    EXPECT_FALSE(in.ReadUInt32());
    LinkRecordReader fits(body);
    EXPECT_EQ(fits.ReadUInt32(), 6u);
    EXPECT_EQ(fits.ReadInt32(), std::nullopt);
}
