#include "classlink/XorWithLinkKey.h"
#include "support/QtPrint.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// The key both programs hold.
const char kKey[] = "Kp7Wd2Qx9Vn4Lt6R";

// Byte by byte, the way the rule is stated.
QByteArray Reference(QByteArray bytes, qint64 position) {
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(bytes[i] ^ kKey[(position + i) % 16]);
    return bytes;
}

QByteArray RandomBytes(std::mt19937& random, qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

} // namespace

TEST(XorWithLinkKey, EmptyFrameOnTheWireIsTheKeysFirstFourBytes) {
    QByteArray frame(4, '\0');
    XorWithLinkKey(frame);
    EXPECT_EQ(frame, QByteArray("Kp7W"));
    XorWithLinkKey(frame);
    EXPECT_EQ(frame, QByteArray(4, '\0'));
}

TEST(XorWithLinkKey, ZerosOnTheWireSpellTheWholeKeyAgainAndAgain) {
    QByteArray zeros(40, '\0');
    XorWithLinkKey(zeros);
    EXPECT_EQ(zeros, QByteArray("Kp7Wd2Qx9Vn4Lt6RKp7Wd2Qx9Vn4Lt6RKp7Wd2Qx"));
    EXPECT_EQ(kLinkKey, "Kp7Wd2Qx9Vn4Lt6R");
}

TEST(XorWithLinkKey, AnyPiecesAndPositionsGiveTheByteByByteResult) {
    std::mt19937 random(7);
    for (qsizetype size : { 1, 15, 16, 17, 31, 32, 33, 100, 4097 }) {
        for (qint64 position : { 0, 1, 15, 16, 21, 1000003 }) {
            SCOPED_TRACE(testing::Message() << "size " << size << " position " << position);
            const QByteArray plain = RandomBytes(random, size);
            QByteArray whole = plain;
            XorWithLinkKey(whole, position);
            EXPECT_EQ(whole, Reference(plain, position));

            // The same message handled in three uneven pieces.
            QByteArray pieces = plain;
            const qsizetype a = size / 3;
            const qsizetype b = size - size / 5;
            XorWithLinkKey(pieces.data(), a, position);
            XorWithLinkKey(pieces.data() + a, b - a, position + a);
            XorWithLinkKey(pieces.data() + b, size - b, position + b);
            EXPECT_EQ(pieces, whole);
        }
    }
}

TEST(XorWithLinkKey, OtherKeysAndEmptyInput) {
    QByteArray bytes("abcdef");
    XorWithLinkKey(bytes, 1, "xy");
    const char expected[] = { 'a' ^ 'y', 'b' ^ 'x', 'c' ^ 'y', 'd' ^ 'x', 'e' ^ 'y', 'f' ^ 'x' };
    EXPECT_EQ(bytes, QByteArray(expected, 6));
    QByteArray unchanged("abc");
    XorWithLinkKey(unchanged, 0, "");
    EXPECT_EQ(unchanged, QByteArray("abc"));
    QByteArray empty;
    XorWithLinkKey(empty);
    EXPECT_TRUE(empty.isEmpty());
}
