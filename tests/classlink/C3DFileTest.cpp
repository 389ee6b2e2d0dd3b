#include "classlink/C3DFile.h"
#include "support/QtPrint.h"

#include <gtest/gtest.h>

namespace {

using Reader = C3DFile::Reader;

// A bundle with the given header text and `size` bytes in all.
QByteArray Bundle(const QByteArray& header, qsizetype size) {
    QByteArray bytes = header;
    bytes.append(QByteArray(size - header.size(), '<'));
    return bytes;
}

bool Valid(const QByteArray& bundle, Reader reader) {
    return C3DFile::IsValid(C3DFile::ParseHeader(bundle, bundle.size()), bundle.size(), reader);
}

} // namespace

TEST(C3DFile, HeaderFieldsAndLength) {
    const QByteArray bundle = Bundle("5_1200_30000__", 31219);
    const C3DFile::Header h = C3DFile::ParseHeader(bundle, bundle.size());
    EXPECT_EQ(h.textLength, 5);
    EXPECT_EQ(h.robotLength, 1200);
    EXPECT_EQ(h.programLength, 30000);
    EXPECT_EQ(h.groundLength, 0);
    EXPECT_EQ(h.headerLength, 14);
    for (Reader reader : { Reader::Upload, Reader::Load, Reader::Server })
        EXPECT_TRUE(Valid(bundle, reader));
    // One byte short, or one trailing byte: refused by everybody.
    for (Reader reader : { Reader::Upload, Reader::Load, Reader::Server }) {
        EXPECT_FALSE(Valid(Bundle("5_1200_30000__", 31218), reader));
        EXPECT_FALSE(Valid(Bundle("5_1200_30000__", 31220), reader));
    }
}

TEST(C3DFile, AnyNonDigitEndsAFieldNotOnlyTheUnderscore) {
    // Each field ends at its first non-digit, which belongs to no field.
    const QByteArray bundle = Bundle("5x1200-30000 \n", 31219);
    const C3DFile::Header h = C3DFile::ParseHeader(bundle, bundle.size());
    EXPECT_EQ(h.textLength, 5);
    EXPECT_EQ(h.robotLength, 1200);
    EXPECT_EQ(h.programLength, 30000);
    EXPECT_EQ(h.groundLength, 0);
    EXPECT_EQ(h.headerLength, 14);
    EXPECT_TRUE(Valid(bundle, Reader::Server));
}

TEST(C3DFile, WriterAndParserAgree) {
    EXPECT_EQ(C3DFile::MakeHeader(5, 1200, 30000, 0), QByteArray("5_1200_30000__"));
    EXPECT_EQ(C3DFile::MakeHeader(0, 7, 8, 9), QByteArray("0_7_8_9_"));
    const QByteArray header = C3DFile::MakeHeader(12, 3456, 789012, 34);
    const C3DFile::Header h = C3DFile::ParseHeader(
        header + QByteArray(12 + 3456 + 789012 + 34, 'x'), header.size() + 12 + 3456 + 789012 + 34);
    EXPECT_EQ(h.textLength, 12);
    EXPECT_EQ(h.robotLength, 3456);
    EXPECT_EQ(h.programLength, 789012);
    EXPECT_EQ(h.groundLength, 34);
    EXPECT_EQ(h.headerLength, header.size());
}

TEST(C3DFile, EachReaderKeepsItsOwnRule) {
    // 13 bytes that add up: only the upload takes it.
    const QByteArray thirteen = Bundle("1_4_1__", 13);
    EXPECT_TRUE(Valid(thirteen, Reader::Upload));
    EXPECT_FALSE(Valid(thirteen, Reader::Load));
    EXPECT_FALSE(Valid(thirteen, Reader::Server));
    // 14 bytes: the simulation page loads it, the server wants more.
    const QByteArray fourteen = Bundle("1_5_1__", 14);
    EXPECT_TRUE(Valid(fourteen, Reader::Load));
    EXPECT_FALSE(Valid(fourteen, Reader::Server));
    // Empty result text: loadable and listed, but not uploaded.
    const QByteArray noText = Bundle("0_10_10__", 29);
    EXPECT_FALSE(Valid(noText, Reader::Upload));
    EXPECT_TRUE(Valid(noText, Reader::Load));
    EXPECT_TRUE(Valid(noText, Reader::Server));
    // No program: only the upload lets it pass.
    const QByteArray noProgram = Bundle("3_20_0__", 31);
    EXPECT_TRUE(Valid(noProgram, Reader::Upload));
    EXPECT_FALSE(Valid(noProgram, Reader::Load));
    EXPECT_FALSE(Valid(noProgram, Reader::Server));
    // No robot: nobody.
    const QByteArray noRobot = Bundle("3_0_20__", 31);
    for (Reader reader : { Reader::Upload, Reader::Load, Reader::Server })
        EXPECT_FALSE(Valid(noRobot, reader));
    // A too-short file is refused by the upload whatever its header says.
    EXPECT_FALSE(Valid(Bundle("1_1_", 8), Reader::Upload));
}

TEST(C3DFile, AZeroPlaygroundFieldReadsAsAnEmptyOne) {
    EXPECT_TRUE(Valid(Bundle("2_10_10_0_", 32), Reader::Server));
    EXPECT_TRUE(Valid(Bundle("2_10_10__", 31), Reader::Server));
    EXPECT_TRUE(Valid(Bundle("2_10_10_5_", 37), Reader::Server));
}

TEST(C3DFile, DamagedHeadersNeitherOverflowNorReadPastTheFile) {
    // Digits only: the fields end with the file.
    const QByteArray digits(40, '9');
    const C3DFile::Header h = C3DFile::ParseHeader(digits, digits.size());
    EXPECT_TRUE(h.overlong);
    EXPECT_EQ(h.headerLength, 40);
    EXPECT_FALSE(Valid(digits, Reader::Server));

    // A length with more digits than any file: refused, even when the
    // wrapped 32-bit value would have matched.
    const QByteArray wraps = Bundle("1_4294967306_1__", 30);
    EXPECT_FALSE(Valid(wraps, Reader::Load));
    const QByteArray overlong = Bundle("1_00000000010_1__", 29);
    EXPECT_FALSE(Valid(overlong, Reader::Server));
    // Ten digits are still a length.
    const QByteArray tenDigits = Bundle("1_0000000010_1__", 28);
    EXPECT_EQ(C3DFile::ParseHeader(tenDigits, tenDigits.size()).robotLength, 10);
    EXPECT_TRUE(Valid(tenDigits, Reader::Server)) << "a ten-digit field was refused";

    // Only the bytes that exist are looked at.
    const QByteArray shortStart("12_3");
    const C3DFile::Header cut = C3DFile::ParseHeader(shortStart, 1000);
    EXPECT_EQ(cut.textLength, 12);
    EXPECT_EQ(cut.robotLength, 3);
    EXPECT_EQ(cut.headerLength, 4);
    EXPECT_EQ(C3DFile::ParseHeader(QByteArray("123456"), 2).textLength, 12);
    EXPECT_EQ(C3DFile::ParseHeader(QByteArray(), 0).headerLength, 0);
}

TEST(C3DFile, PackedSectionsFollowTheirHeaderAndUnpackWhereTheReaderAcceptsThem) {
    C3DFile::Sections run;
    run.text = "abc";
    run.robot = "ROBO";
    run.program = "PROGR";
    // Without a playground the header's fourth field is empty.
    EXPECT_EQ(C3DFile::Pack(run), QByteArray("3_4_5__abcROBOPROGR"));
    run.ground = "PG";
    const QByteArray bundle = C3DFile::Pack(run);
    EXPECT_EQ(bundle, QByteArray("3_4_5_2_abcROBOPROGRPG"));

    const std::optional<C3DFile::Sections> back = C3DFile::Unpack(bundle, Reader::Load);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->text, run.text);
    EXPECT_EQ(back->robot, run.robot);
    EXPECT_EQ(back->program, run.program);
    EXPECT_EQ(back->ground, run.ground);
    // A zero written as the fourth field reads as an empty one.
    const std::optional<C3DFile::Sections> zero = C3DFile::Unpack("3_4_5_0_abcROBOPROGR", Reader::Load);
    ASSERT_TRUE(zero.has_value());
    EXPECT_TRUE(zero->ground.isEmpty());
    EXPECT_EQ(zero->program, QByteArray("PROGR"));

    // Nothing of a bundle the reader refuses: a byte more or less, or a
    // section the reader needs left empty.
    EXPECT_FALSE(C3DFile::Unpack(bundle + 'x', Reader::Load).has_value());
    EXPECT_FALSE(C3DFile::Unpack(bundle.chopped(1), Reader::Load).has_value());
    EXPECT_FALSE(C3DFile::Unpack("3_4_0_7_abcROBOPLAYGRO", Reader::Load).has_value());
    EXPECT_TRUE(C3DFile::Unpack("3_4_0_7_abcROBOPLAYGRO", Reader::Upload).has_value());
}
