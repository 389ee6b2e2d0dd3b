#include "server/SubmittedFileName.h"
#include "support/QtPrint.h"

#include <gtest/gtest.h>

TEST(SubmittedFileName, StoredNameHasNameAddressAndUnpaddedTime) {
    const QDateTime received(QDate(2011, 5, 3), QTime(9, 7, 2));
    EXPECT_EQ(SubmittedFileName(QStringLiteral("/srv/StuFile"), QStringLiteral("robot1"),
                  QStringLiteral("192.168.1.5"), received),
        QStringLiteral("/srv/StuFile/robot1_192.168.1.5_2011-5-3-9-7-2.3d"));
    const QDateTime late(QDate(2024, 12, 31), QTime(23, 59, 58));
    EXPECT_EQ(
        SubmittedFileName(QStringLiteral("/f"), QStringLiteral("机器人"), QStringLiteral("10.0.0.1"), late),
        QStringLiteral("/f/机器人_10.0.0.1_2024-12-31-23-59-58.3d"));
    // A second one of the same name and second takes its number after the
    // time, where the score table's split from the right leaves it.
    EXPECT_EQ(
        SubmittedFileName(QStringLiteral("/f"), QStringLiteral("a_b"), QStringLiteral("10.0.0.1"), late, 2),
        QStringLiteral("/f/a_b_10.0.0.1_2024-12-31-23-59-58(2).3d"));
    EXPECT_EQ(
        SubmittedFileName(QStringLiteral("/f"), QStringLiteral("a"), QStringLiteral("10.0.0.1"), late, 12),
        QStringLiteral("/f/a_10.0.0.1_2024-12-31-23-59-58(12).3d"));
}

TEST(SubmittedFileName, ReceiveFolderLiesUnderTheProgramUnlessAbsolute) {
    const QString program = QStringLiteral("/opt/ClassServer");
    EXPECT_EQ(
        ResolveReceiveFolder(QStringLiteral("StuFile"), program), QStringLiteral("/opt/ClassServer/StuFile"));
    // An empty text is the default, never the file system's root.
    EXPECT_EQ(ResolveReceiveFolder(QString(), program), QStringLiteral("/opt/ClassServer/StuFile"));
    EXPECT_EQ(
        ResolveReceiveFolder(QStringLiteral("  "), program), QStringLiteral("/opt/ClassServer/StuFile"));
    EXPECT_EQ(ResolveReceiveFolder(QStringLiteral("class 3/week1"), program),
        QStringLiteral("/opt/ClassServer/class 3/week1"));
    EXPECT_EQ(ResolveReceiveFolder(QStringLiteral("/home/teacher/results/"), program),
        QStringLiteral("/home/teacher/results"));
}

TEST(SubmittedFileName, PlainNamesPassUnchanged) {
    for (const QString& name :
        { QStringLiteral("robot1"), QStringLiteral("my_robot"), QStringLiteral("张三 第2组"),
            QStringLiteral("run.2"), QStringLiteral("a-b+c (1)"), QStringLiteral("😀bot") })
        EXPECT_EQ(SafeSubmittedName(name), name);
}

TEST(SubmittedFileName, NamesThatAreNoPlainFileNameAreMadeSafe) {
    EXPECT_EQ(SafeSubmittedName(QStringLiteral("../../etc/passwd")), QStringLiteral("___.._etc_passwd"));
    EXPECT_EQ(SafeSubmittedName(QStringLiteral("..")), QStringLiteral("__"));
    EXPECT_EQ(SafeSubmittedName(QStringLiteral(".")), QStringLiteral("_"));
    EXPECT_EQ(SafeSubmittedName(QStringLiteral(".hidden")), QStringLiteral("_hidden"));
    EXPECT_EQ(SafeSubmittedName(QStringLiteral("a\\b:c*d\"e<f>g?h|i")), QStringLiteral("a_b_c_d_e_f_g_h_i"));
    EXPECT_EQ(SafeSubmittedName(QStringLiteral("tab\there\nnew\x7f")), QStringLiteral("tab_here_new_"));
    EXPECT_EQ(SafeSubmittedName(QString(QChar(0x85)) + QStringLiteral("x")), QStringLiteral("_x"));
    EXPECT_EQ(SafeSubmittedName(QString(QChar(0xD800)) + QStringLiteral("x")), QStringLiteral("_x"));
    EXPECT_EQ(SafeSubmittedName(QString()), QStringLiteral("未命名"));
    EXPECT_EQ(SafeSubmittedName(QStringLiteral("")), QStringLiteral("未命名"));
}

TEST(SubmittedFileName, LongNamesAreCutToFitAFileName) {
    const QString longChinese(300, QChar(0x673A)); // 机, three UTF-8 bytes each
    const QString cut = SafeSubmittedName(longChinese);
    EXPECT_LE(cut.toUtf8().size(), 200);
    EXPECT_GE(cut.toUtf8().size(), 198);
    EXPECT_TRUE(longChinese.startsWith(cut));
    const QString stored = SubmittedFileName(QStringLiteral("/f"), cut, QStringLiteral("255.255.255.255"),
        QDateTime(QDate(2024, 12, 31), QTime(23, 59, 59)));
    EXPECT_LE(stored.mid(3).toUtf8().size(), 255);

    QString pairs;
    for (int i = 0; i < 120; ++i)
        pairs += QStringLiteral("😀");
    const QString cutPairs = SafeSubmittedName(pairs);
    EXPECT_LE(cutPairs.toUtf8().size(), 200);
    EXPECT_FALSE(cutPairs.back().isHighSurrogate());
}

// ".receiving-", 16 hexadecimal digits, ".part": a small number keeps its
// leading zeros, or the server would not know the file for its own when it
// next starts.
TEST(SubmittedFileName, PartFileNamesAlwaysHoldSixteenDigitsAndAreKnownAgain) {
    const struct {
        quint64 random;
        const char* name;
    } cases[] = {
        { 0, ".receiving-0000000000000000.part" },
        { 1, ".receiving-0000000000000001.part" },
        { 0xabc, ".receiving-0000000000000abc.part" },
        { 0x0123456789abcdefull, ".receiving-0123456789abcdef.part" },
        { 0xffffffffffffffffull, ".receiving-ffffffffffffffff.part" },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReceivingPartName(c.random), QString::fromLatin1(c.name));
        EXPECT_TRUE(IsReceivingPartName(ReceivingPartName(c.random))) << c.name;
    }
    for (const char* other :
        { ".receiving-abc.part", ".receiving-0000000000000ABC.part", ".receiving-00000000000000000.part",
            "receiving-0000000000000001.part", ".receiving-0000000000000001.part.3d" })
        EXPECT_FALSE(IsReceivingPartName(QString::fromLatin1(other))) << other;
}
