#include "classlink/HeartMessage.h"
#include "classlink/LinkFrame.h"
#include "classlink/Up3DFileMessage.h"
#include "support/QtPrint.h"

#include <QDataStream>
#include <QIODevice>

#include <gtest/gtest.h>

namespace {

QByteArray Bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(static_cast<char>(v));
    return out;
}

QByteArray StringBlock(const QString& text) {
    QByteArray block;
    QDataStream out(&block, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_6);
    out << text;
    return block;
}

} // namespace

TEST(HeartMessage, IsFortySixBytesWithTheMarkerCodeUnits) {
    const QByteArray message = HeartMessage();
    ASSERT_EQ(message.size(), 46);
    EXPECT_EQ(message.left(8), Bytes({ 0, 0, 0, 0x2A, 0, 0, 0, 0x26 }));
    const char16_t units[19] = { 0x61, 0x3F, 0x554A, 0xFF1F, 0x09, 0x61, 0x3F, 0x554A, 0xFF1F, 0x20, 0x61,
        0x3F, 0x554A, 0xFF1F, 0x0A, 0x61, 0x3F, 0x554A, 0xFF1F };
    for (int i = 0; i < 19; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(static_cast<unsigned char>(message[8 + 2 * i]), units[i] >> 8);
        EXPECT_EQ(static_cast<unsigned char>(message[9 + 2 * i]), units[i] & 0xFF);
    }
    EXPECT_EQ(HeartMarker(), QStringLiteral("a?啊？\ta?啊？ a?啊？\na?啊？"));
    EXPECT_EQ(ReadLinkFrameLength(message.constData()), 42u);
}

TEST(HeartMessage, RecognisedOnlyByItsMarker) {
    EXPECT_TRUE(IsHeartBody(HeartMessage().mid(4)));
    EXPECT_FALSE(IsHeartBody(QByteArray()));
    EXPECT_FALSE(IsHeartBody(HeartMessage().mid(4, 20)));
    EXPECT_FALSE(IsHeartBody(StringBlock(QStringLiteral("Login"))));
    EXPECT_FALSE(IsHeartBody(StringBlock(HeartMarker().left(18))));
}

TEST(LinkFrame, LengthHeaderIsBigEndian) {
    const QByteArray frame = MakeLinkFrame(QByteArray(300, 'x'));
    EXPECT_EQ(frame.left(4), Bytes({ 0, 0, 1, 0x2C }));
    EXPECT_EQ(frame.size(), 304);
    EXPECT_EQ(ReadLinkFrameLength(frame.constData()), 300u);
    EXPECT_EQ(MakeLinkFrame(QByteArray()), QByteArray(4, '\0'));
    EXPECT_EQ(ReadLinkFrameLength("\xFF\xFF\xFF\xFF"), 0xFFFFFFFFu);
}

TEST(Up3DFileMessage, LayoutCountsTheNameBlockButNotTheData) {
    const QByteArray data("5_1_1__abcde<r>p");
    const QByteArray message = BuildUp3DFileMessage(QStringLiteral("robot1"), data);
    // name block: 4-byte count + 6 UTF-16 units
    EXPECT_EQ(message.left(8), Bytes({ 0, 0, 0, 16, 0, 0, 0, static_cast<int>(data.size()) }));
    EXPECT_EQ(message.mid(8, 16), StringBlock(QStringLiteral("robot1")));
    EXPECT_EQ(message.mid(24), data);

    const Up3DFileHeader header = ReadUp3DFileHeader(message.constData());
    EXPECT_EQ(header.nameLength, 16);
    EXPECT_EQ(header.dataLength, data.size());
    EXPECT_EQ(ReadUp3DFileName(message.mid(8, 16)), QStringLiteral("robot1"));

    // A Chinese name is sent as UTF-16: four bytes plus two per character.
    const QByteArray chinese = BuildUp3DFileMessage(QStringLiteral("机器人"), data);
    EXPECT_EQ(ReadUp3DFileHeader(chinese.constData()).nameLength, 10);
    EXPECT_EQ(ReadUp3DFileName(chinese.mid(8, 10)), QStringLiteral("机器人"));
}

TEST(Up3DFileMessage, NameBlocksThatAreNotOneStringAreRefused) {
    EXPECT_EQ(ReadUp3DFileName(Bytes({ 0xFF, 0xFF, 0xFF, 0xFF })), QString());
    EXPECT_EQ(ReadUp3DFileName(Bytes({ 0, 0, 0, 0 })), QString());
    EXPECT_FALSE(ReadUp3DFileName(Bytes({ 0xFF, 0xFF, 0xFF, 0xFF, 0, 0x61 })));
    EXPECT_FALSE(ReadUp3DFileName(Bytes({ 0, 0, 0 })));
    // odd byte count, and a count that disagrees with the block
    EXPECT_FALSE(ReadUp3DFileName(Bytes({ 0, 0, 0, 3, 0, 0x61, 0 })));
    EXPECT_FALSE(ReadUp3DFileName(Bytes({ 0, 0, 0, 4, 0, 0x61 })));
    EXPECT_FALSE(ReadUp3DFileName(Bytes({ 0, 0, 0, 2, 0, 0x61, 0, 0x62 })));
    // A huge count in a short block is refused, not allocated.
    EXPECT_FALSE(ReadUp3DFileName(Bytes({ 0x7F, 0xFF, 0xFF, 0xFE, 0, 0x61 })));
}
