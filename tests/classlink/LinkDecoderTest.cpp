// The decoder both ends of the classroom link feed, without sockets: the
// same bytes in every split give the same messages.

#include "classlink/LinkDecoder.h"
#include "support/QtPrint.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

const char kKey[] = "Kp7Wd2Qx9Vn4Lt6R";

// Scrambled the way the link's rule says: byte i of a message with key
// byte i mod 16.
QByteArray Scrambled(QByteArray message) {
    for (qsizetype i = 0; i < message.size(); ++i)
        message[i] = static_cast<char>(message[i] ^ kKey[i % 16]);
    return message;
}

QByteArray BigEndian32(qint64 value) {
    const auto v = static_cast<quint32>(value);
    QByteArray bytes(4, '\0');
    bytes[0] = static_cast<char>(v >> 24);
    bytes[1] = static_cast<char>(v >> 16);
    bytes[2] = static_cast<char>(v >> 8);
    bytes[3] = static_cast<char>(v);
    return bytes;
}

QByteArray Frame(const QByteArray& body) {
    return Scrambled(BigEndian32(body.size()) + body);
}

// A QString as QDataStream writes it: byte count, UTF-16 big-endian.
QByteArray StringBlock(const QString& text) {
    QByteArray block = BigEndian32(text.size() * 2);
    for (QChar c : text) {
        block.append(static_cast<char>(c.unicode() >> 8));
        block.append(static_cast<char>(c.unicode() & 0xFF));
    }
    return block;
}

QByteArray Upload(const QString& name, const QByteArray& data) {
    const QByteArray block = StringBlock(name);
    return Scrambled(BigEndian32(block.size()) + BigEndian32(data.size()) + block + data);
}

// What a receiver saw, as text: "frame:<body>", "name:<name>/<length>",
// "data:<bytes>" (the pieces of one upload joined), "end", "error:<kind>/<value>".
struct Log {
    std::vector<std::string> events;

    void Add(LinkDecoder& decoder, const LinkDecoder::Result& result) {
        switch (result.event) {
        case LinkDecoder::Event::NeedMore:
            break;
        case LinkDecoder::Event::Frame:
            events.push_back("frame:" + decoder.TakeBody().toStdString());
            break;
        case LinkDecoder::Event::UploadName:
            events.push_back(
                "name:" + decoder.Name().toStdString() + "/" + std::to_string(decoder.DataLength()));
            break;
        case LinkDecoder::Event::UploadData:
            if (events.empty() || events.back().rfind("data:", 0) != 0)
                events.emplace_back("data:");
            events.back().append(result.piece, static_cast<size_t>(result.pieceSize));
            break;
        case LinkDecoder::Event::UploadEnd:
            events.emplace_back("end");
            break;
        case LinkDecoder::Event::Error:
            events.push_back("error:" + std::to_string(static_cast<int>(decoder.LastError())) + "/"
                + std::to_string(decoder.ErrorValue()));
            break;
        }
    }
};

// Feeds the bytes in pieces of the given sizes (the last size repeats).
std::vector<std::string> FeedInPieces(
    LinkDecoder& decoder, QByteArray wire, const std::vector<qsizetype>& sizes) {
    Log log;
    qsizetype at = 0;
    size_t next = 0;
    bool broken = false;
    while (at < wire.size() && !broken) {
        const qsizetype piece = std::min(sizes[std::min(next++, sizes.size() - 1)], wire.size() - at);
        qsizetype used = 0;
        for (;;) {
            const LinkDecoder::Result result = decoder.Feed(wire.data() + at + used, piece - used);
            used += result.taken;
            log.Add(decoder, result);
            if (result.event == LinkDecoder::Event::Error) {
                broken = true;
                break;
            }
            if (result.event == LinkDecoder::Event::NeedMore)
                break;
        }
        EXPECT_TRUE(broken || used == piece);
        at += piece;
    }
    return log.events;
}

std::vector<std::string> FeedWhole(LinkDecoder& decoder, const QByteArray& wire) {
    return FeedInPieces(decoder, wire, { qMax<qsizetype>(wire.size(), 1) });
}

std::vector<std::string> FeedByteByByte(LinkDecoder& decoder, const QByteArray& wire) {
    return FeedInPieces(decoder, wire, { 1 });
}

using Events = std::vector<std::string>;

constexpr int kNameLength = static_cast<int>(LinkDecoder::Error::NameLength);
constexpr int kDataLength = static_cast<int>(LinkDecoder::Error::DataLength);
constexpr int kNameFormat = static_cast<int>(LinkDecoder::Error::NameFormat);
constexpr int kBodyLength = static_cast<int>(LinkDecoder::Error::BodyLength);

} // namespace

TEST(LinkDecoder, FramesComeOutWholeInAnySplitEachFromKeyPositionZero) {
    // A header in two pieces of two bytes, an empty frame between two
    // others, a body longer than the key, and a frame right behind another.
    const QByteArray wire = Frame("first") + Frame(QByteArray()) + Frame("a body longer than sixteen bytes")
        + Frame("x") + Frame("last");
    const Events expected
        = { "frame:first", "frame:a body longer than sixteen bytes", "frame:x", "frame:last" };

    auto whole = LinkDecoder::Frames(1000);
    EXPECT_EQ(FeedWhole(whole, wire), expected);
    auto bytes = LinkDecoder::Frames(1000);
    EXPECT_EQ(FeedByteByByte(bytes, wire), expected);
    auto pairs = LinkDecoder::Frames(1000);
    EXPECT_EQ(FeedInPieces(pairs, wire, { 2 }), expected);

    std::mt19937 random(11);
    for (int round = 0; round < 200; ++round) {
        std::vector<qsizetype> sizes;
        for (int i = 0; i < 64; ++i)
            sizes.push_back(1 + static_cast<qsizetype>(random() % 23));
        auto decoder = LinkDecoder::Frames(1000);
        ASSERT_EQ(FeedInPieces(decoder, wire, sizes), expected) << "round " << round;
    }
}

TEST(LinkDecoder, PartOfAMessageIsUnderWayUntilItsLastByte) {
    auto decoder = LinkDecoder::Frames(1000);
    EXPECT_FALSE(decoder.InMessage());
    QByteArray wire = Frame("abc");
    EXPECT_EQ(decoder.Feed(wire.data(), 1).event, LinkDecoder::Event::NeedMore);
    EXPECT_TRUE(decoder.InMessage());
    EXPECT_EQ(decoder.Feed(wire.data() + 1, 5).event, LinkDecoder::Event::NeedMore);
    EXPECT_TRUE(decoder.InMessage());
    const LinkDecoder::Result last = decoder.Feed(wire.data() + 6, 1);
    EXPECT_EQ(last.event, LinkDecoder::Event::Frame);
    EXPECT_EQ(last.taken, 1);
    EXPECT_FALSE(decoder.InMessage());
    EXPECT_EQ(decoder.TakeBody(), QByteArray("abc"));

    // An empty frame leaves nothing under way.
    QByteArray empty = Frame(QByteArray());
    EXPECT_EQ(decoder.Feed(empty.data(), empty.size()).event, LinkDecoder::Event::NeedMore);
    EXPECT_FALSE(decoder.InMessage());
}

TEST(LinkDecoder, LongestFrameIsTakenOneByteMoreBreaksTheStream) {
    auto decoder = LinkDecoder::Frames(40);
    const QByteArray longest(40, 'L');
    EXPECT_EQ(FeedWhole(decoder, Frame(longest) + Frame("after")),
        (Events { "frame:" + longest.toStdString(), "frame:after" }));

    QByteArray tooLong = Scrambled(BigEndian32(41) + QByteArray(41, 'x'));
    EXPECT_EQ(FeedWhole(decoder, tooLong), (Events { "error:" + std::to_string(kBodyLength) + "/41" }));
    // Nothing more is taken until the decoder is reset.
    QByteArray more = Frame("lost");
    const LinkDecoder::Result stuck = decoder.Feed(more.data(), more.size());
    EXPECT_EQ(stuck.event, LinkDecoder::Event::Error);
    EXPECT_EQ(stuck.taken, 0);
    EXPECT_FALSE(decoder.InMessage());
    decoder.Reset();
    EXPECT_EQ(FeedWhole(decoder, Frame("fresh")), (Events { "frame:fresh" }));

    // Lengths with the top bit set are not negative sizes.
    auto huge = LinkDecoder::Frames(40);
    EXPECT_EQ(FeedWhole(huge, Scrambled(BigEndian32(0xFFFFFFF0u))),
        (Events { "error:" + std::to_string(kBodyLength) + "/4294967280" }));
}

TEST(LinkDecoder, UploadsInOneWriteOrByteByByteGiveTheSameNameAndData) {
    const QByteArray bundle("5_3_2__score<r/>pp");
    const QByteArray wire = Upload(QStringLiteral("robot1"), bundle) + Upload(QStringLiteral("机器人2"), "xy")
        + Upload(QString(), "z");
    const Events expected = { "name:robot1/18", "data:" + bundle.toStdString(), "end", "name:机器人2/2",
        "data:xy", "end", "name:/1", "data:z", "end" };
    auto whole = LinkDecoder::Uploads(2052, 1 << 20);
    EXPECT_EQ(FeedWhole(whole, wire), expected);
    auto bytes = LinkDecoder::Uploads(2052, 1 << 20);
    EXPECT_EQ(FeedByteByByte(bytes, wire), expected);

    std::mt19937 random(5);
    for (int round = 0; round < 200; ++round) {
        std::vector<qsizetype> sizes;
        for (int i = 0; i < 64; ++i)
            sizes.push_back(1 + static_cast<qsizetype>(random() % 37));
        auto decoder = LinkDecoder::Uploads(2052, 1 << 20);
        ASSERT_EQ(FeedInPieces(decoder, wire, sizes), expected) << "round " << round;
    }
}

TEST(LinkDecoder, UploadDataIsHandedOutInPlaceWithoutWaitingForTheRest) {
    auto decoder = LinkDecoder::Uploads(2052, 1000);
    QByteArray wire = Upload(QStringLiteral("a"), QByteArray(100, 'd'));
    // The header and name (14 bytes) and 30 bytes of data.
    const LinkDecoder::Result name = decoder.Feed(wire.data(), 44);
    ASSERT_EQ(name.event, LinkDecoder::Event::UploadName);
    EXPECT_EQ(name.taken, 14);
    const LinkDecoder::Result piece = decoder.Feed(wire.data() + 14, 30);
    ASSERT_EQ(piece.event, LinkDecoder::Event::UploadData);
    EXPECT_EQ(piece.piece, wire.constData() + 14);
    EXPECT_EQ(QByteArray(piece.piece, piece.pieceSize), QByteArray(30, 'd'));
    EXPECT_EQ(decoder.Feed(wire.data() + 44, 0).event, LinkDecoder::Event::NeedMore);
    EXPECT_TRUE(decoder.InMessage());
}

TEST(LinkDecoder, UploadLengthsOutOfBoundsBreakTheStreamForTheirReason) {
    const QByteArray name = StringBlock(QStringLiteral("robot"));
    auto header = [](qint64 nameLength, qint64 dataLength) {
        return BigEndian32(nameLength) + BigEndian32(dataLength);
    };
    struct Case {
        const char* what;
        QByteArray plain;
        Events events;
    } cases[] = {
        { "data length 0", header(14, 0) + name, { "error:" + std::to_string(kDataLength) + "/0" } },
        { "negative data length", header(14, -5) + name, { "error:" + std::to_string(kDataLength) + "/-5" } },
        { "data over the limit", header(14, 1001) + name,
            { "error:" + std::to_string(kDataLength) + "/1001" } },
        { "name block of 3 bytes", header(3, 10) + name, { "error:" + std::to_string(kNameLength) + "/3" } },
        { "negative name block", header(-1, 10), { "error:" + std::to_string(kNameLength) + "/-1" } },
        { "name block over the limit", header(2053, 10),
            { "error:" + std::to_string(kNameLength) + "/2053" } },
        // A string of five characters in a block of twelve bytes.
        { "name not filling its block", header(12, 10) + BigEndian32(10) + QByteArray(8, 'n'),
            { "error:" + std::to_string(kNameFormat) + "/12" } },
        // Bounds themselves are fine: a 4-byte name block (empty name), one
        // data byte, the longest block and the longest data.
        { "smallest", header(4, 1) + BigEndian32(0) + "q", { "name:/1", "data:q", "end" } },
        { "longest",
            header(2052, 1000) + StringBlock(QString(1024, QLatin1Char('n'))) + QByteArray(1000, 'D'),
            { "name:" + std::string(1024, 'n') + "/1000", "data:" + std::string(1000, 'D'), "end" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto decoder = LinkDecoder::Uploads(2052, 1000);
        EXPECT_EQ(FeedByteByByte(decoder, Scrambled(c.plain)), c.events);
    }
}

TEST(LinkDecoder, AnEmptyKeyScramblesNothing) {
    auto decoder = LinkDecoder::Frames(100, "");
    QByteArray plain = BigEndian32(5) + "plain";
    EXPECT_EQ(FeedWhole(decoder, plain), (Events { "frame:plain" }));
}
