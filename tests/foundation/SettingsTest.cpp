#include "foundation/CConfig.h"
#include "support/CapturedWarnings.h"
#include "support/FileSizeLimit.h"
#include "support/QtPrint.h"
#include "support/TempDir.h"

#include <QDataStream>
#include <QFile>

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <random>
#include <sys/stat.h>

using testsupport::TempDir;

namespace {

const char* const kTwoStudios = R"(<?xml version="1.0" encoding="UTF-8"?>
<data>
  <program><studio0 file="s0"/><studio1 file="s1"/></program>
  <language><language name="English"/><language name="中文"/></language>
</data>)";

QByteArray Bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(static_cast<char>(v));
    return out;
}

// The settings layout, written field by field the way the file is specified.
QByteArray SettingsFile(qint32 language, qint32 remember, qint32 window, const QString& host, qint32 studio,
    const std::vector<qint32>& user, const std::vector<qint32>& password, qint32 level) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_6);
    out << language << remember << window << host << studio;
    out << static_cast<qint32>(user.size());
    for (qint32 v : user)
        out << v;
    out << static_cast<qint32>(password.size());
    for (qint32 v : password)
        out << v;
    out << level;
    return bytes;
}

} // namespace

TEST(Settings, FreshInstallationWritesDefaultsInTheFixedLayout) {
    TempDir dir;
    dir.write("XML/SetUp_View.xml", kTwoStudios);
    CConfig config(dir.qpath());

    ASSERT_TRUE(dir.exists("XML/Settings.dat"));
    // language, remember flag, window option, null host, studio, two empty
    // secrets and the level, all big-endian.
    const QByteArray expected = Bytes({ 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0,
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 });
    EXPECT_EQ(dir.read("XML/Settings.dat"), expected);

    struct stat st { };
    ASSERT_EQ(stat((dir.path() / "XML/Settings.dat").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    EXPECT_EQ(config.m_nRunMode, RunModeEducation);
    EXPECT_EQ(config.m_nDriveSpeed[2], 65);
}

TEST(Settings, RememberedLoginIsScrambledWithTheLinkKey) {
    TempDir dir;
    dir.write("XML/SetUp_View.xml", kTwoStudios);
    {
        CConfig config(dir.qpath());
        config.m_nRememberLogin = 1;
        config.m_strUser = QStringLiteral("ab");
        config.m_strPassword = QStringLiteral("K");
        config.m_strClassHost = QStringLiteral("teacher-pc");
        config.m_nLevel = 7;
        config.m_nWindowOption = 2;
        ASSERT_TRUE(config.SaveSettings());
    }
    // 'a' ^ 'K' = 0x2A, 'b' ^ 'p' = 0x12, 'K' ^ 'K' = 0.
    const QByteArray expected
        = SettingsFile(0, 1, 2, QStringLiteral("teacher-pc"), 0, { 0x2A, 0x12 }, { 0 }, 7);
    EXPECT_EQ(dir.read("XML/Settings.dat"), expected);

    CConfig again(dir.qpath());
    EXPECT_EQ(again.m_strUser, QStringLiteral("ab"));
    EXPECT_EQ(again.m_strPassword, QStringLiteral("K"));
    EXPECT_EQ(again.m_strClassHost, QStringLiteral("teacher-pc"));
    EXPECT_EQ(again.m_nLevel, 7);
    EXPECT_EQ(again.m_nWindowOption, 2);
}

TEST(Settings, BytesAboveAsciiAreWrittenAsSignedValues) {
    TempDir dir;
    dir.write("XML/SetUp_View.xml", kTwoStudios);
    CConfig config(dir.qpath());
    config.m_nRememberLogin = 1;
    config.m_strUser = QStringLiteral("é"); // C3 A9 in UTF-8
    config.m_strPassword = QStringLiteral("学生");
    ASSERT_TRUE(config.SaveSettings());

    // 0xC3 ^ 'K'(0x4B) = 0x88 -> -120; 0xA9 ^ 'p'(0x70) = 0xD9 -> -39.
    const QByteArray file = dir.read("XML/Settings.dat");
    QDataStream in(file);
    qint32 skip = 0;
    QString host;
    in >> skip >> skip >> skip >> host >> skip;
    qint32 n = 0, b0 = 0, b1 = 0;
    in >> n >> b0 >> b1;
    EXPECT_EQ(n, 2);
    EXPECT_EQ(b0, -120);
    EXPECT_EQ(b1, -39);

    CConfig again(dir.qpath());
    EXPECT_EQ(again.m_strUser, QStringLiteral("é"));
    EXPECT_EQ(again.m_strPassword, QStringLiteral("学生"));
}

TEST(Settings, ForgottenLoginKeepsOnlyTheLevel) {
    TempDir dir;
    dir.write("XML/SetUp_View.xml", kTwoStudios);
    {
        CConfig config(dir.qpath());
        config.m_nRememberLogin = 0;
        config.m_strUser = QStringLiteral("someone");
        config.m_strPassword = QStringLiteral("secret");
        config.m_nLevel = 3;
        ASSERT_TRUE(config.SaveSettings());
    }
    EXPECT_EQ(dir.read("XML/Settings.dat"), SettingsFile(0, 0, 0, QString(), 0, {}, {}, 3));
    CConfig again(dir.qpath());
    EXPECT_TRUE(again.m_strUser.isEmpty());
    EXPECT_TRUE(again.m_strPassword.isEmpty());
    EXPECT_EQ(again.m_nLevel, 3);
}

TEST(Settings, DamagedFilesFallBackToDefaults) {
    struct Case {
        const char* name;
        QByteArray bytes;
        int language;
        int level;
    };
    QByteArray huge = SettingsFile(1, 1, 0, QString(), 0, {}, {}, 4);
    // Replace the user count with two billion.
    huge[4 * 3 + 4 + 4 + 0] = 0x77;
    QByteArray negative = SettingsFile(1, 1, 0, QString(), 0, {}, {}, 4);
    negative[4 * 3 + 4 + 4 + 0] = static_cast<char>(0xFF);
    QByteArray hostTooLong = Bytes({ 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0x7F, 0xFF, 0xFF, 0xFE, 0, 0x41 });
    const Case cases[] = {
        { "empty", QByteArray(), 0, 0 },
        { "truncated after language", Bytes({ 0, 0, 0, 1, 0, 0 }), 1, 0 },
        { "huge user count", huge, 1, 0 },
        { "negative user count", negative, 1, 0 },
        { "string longer than file", hostTooLong, 1, 0 },
        { "oversized file", QByteArray(2 << 20, 'x'), 0, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        dir.write("XML/SetUp_View.xml", kTwoStudios);
        dir.write("XML/Settings.dat", c.bytes);
        CConfig config(dir.qpath());
        EXPECT_EQ(config.m_nLanguage, c.language);
        EXPECT_EQ(config.m_nLevel, c.level);
        EXPECT_TRUE(config.m_strUser.isEmpty());
        EXPECT_EQ(config.m_nStudio, 0);
    }
}

TEST(Settings, LoginFieldsOfMoreThan1024BytesAreNeitherReadNorKept) {
    // Each field is read only after its count has been checked, so a damaged
    // count costs neither time nor memory.
    auto scrambled = [](int count) {
        std::vector<qint32> values;
        for (int i = 0; i < count; ++i)
            values.push_back('a' ^ "Kp7Wd2Qx9Vn4Lt6R"[i % 16]);
        return values;
    };
    TempDir dir;
    dir.write("XML/SetUp_View.xml", kTwoStudios);
    dir.write("XML/Settings.dat", SettingsFile(1, 1, 0, QString(), 0, scrambled(1024), {}, 9));
    {
        CConfig longest(dir.qpath());
        EXPECT_EQ(longest.m_strUser, QString(1024, QLatin1Char('a')));
        EXPECT_EQ(longest.m_nLevel, 9);
    }
    dir.write("XML/Settings.dat", SettingsFile(1, 1, 0, QString(), 0, scrambled(1025), {}, 9));
    CConfig tooLong(dir.qpath());
    EXPECT_TRUE(tooLong.m_strUser.isEmpty());
    EXPECT_EQ(tooLong.m_nLevel, 0);
    EXPECT_EQ(tooLong.m_nLanguage, 1);

    // Nor is such a field written.
    testsupport::CapturedWarnings warnings("morvane.foundation");
    tooLong.m_strUser = QString(1025, QLatin1Char('a'));
    tooLong.m_strPassword = QStringLiteral("pw");
    ASSERT_TRUE(tooLong.SaveSettings());
    EXPECT_EQ(warnings.count(), 1);
    CConfig reread(dir.qpath());
    EXPECT_TRUE(reread.m_strUser.isEmpty());
    EXPECT_EQ(reread.m_strPassword, QStringLiteral("pw"));
}

TEST(Settings, AnEmptiedLinkKeyKeepsTheLoginUnscrambled) {
    TempDir dir;
    dir.write("XML/SetUp_View.xml", kTwoStudios);
    CConfig config(dir.qpath());
    config.m_strLinkKey.clear();
    config.m_nLinkKeyLen = 0;
    config.m_nRememberLogin = 1;
    config.m_strUser = QStringLiteral("ab");
    ASSERT_TRUE(config.SaveSettings());
    EXPECT_EQ(dir.read("XML/Settings.dat"), SettingsFile(0, 1, 0, QString(), 0, { 'a', 'b' }, {}, 0));

    // A length that says more than the key holds scrambles with what it holds.
    config.m_strLinkKey = "K";
    config.m_nLinkKeyLen = 16;
    ASSERT_TRUE(config.SaveSettings());
    EXPECT_EQ(
        dir.read("XML/Settings.dat"), SettingsFile(0, 1, 0, QString(), 0, { 'a' ^ 'K', 'b' ^ 'K' }, {}, 0));
}

TEST(Settings, ALanguageChosenWithSaveIsWrittenAtOnce) {
    TempDir dir;
    dir.write("XML/SetUp_View.xml", kTwoStudios);
    CConfig config(dir.qpath());
    config.SetLanguage(1, true);
    EXPECT_EQ(dir.read("XML/Settings.dat"), SettingsFile(1, 0, 0, QString(), 0, {}, {}, 0));
    // Without save the file stays as it is.
    config.SetLanguage(0, false);
    EXPECT_EQ(dir.read("XML/Settings.dat"), SettingsFile(1, 0, 0, QString(), 0, {}, {}, 0));
}

TEST(Settings, UnknownStudioFallsBackToStudioZeroAndSavesIt) {
    TempDir dir;
    dir.write("XML/SetUp_View.xml", kTwoStudios);
    dir.write("XML/Settings.dat", SettingsFile(1, 0, 0, QString(), 7, {}, {}, 0));
    CConfig config(dir.qpath());
    EXPECT_EQ(config.m_nStudio, 0);
    EXPECT_EQ(config.m_nLanguage, 1);
    ASSERT_TRUE(config.SaveSettings());
    EXPECT_EQ(dir.read("XML/Settings.dat"), SettingsFile(1, 0, 0, QString(), 0, {}, {}, 0));

    dir.write("XML/Settings.dat", SettingsFile(0, 0, 0, QString(), 1, {}, {}, 0));
    CConfig second(dir.qpath());
    EXPECT_EQ(second.m_nStudio, 1);
}

TEST(Settings, UnwritableFolderIsReportedNotFatal) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root may write anywhere";
    TempDir dir;
    dir.write("XML/SetUp_View.xml", kTwoStudios);
    CConfig config(dir.qpath());
    chmod((dir.path() / "XML").c_str(), 0500);
    EXPECT_FALSE(config.SaveSettings());
    chmod((dir.path() / "XML").c_str(), 0700);
}

// A disk with no room for the settings keeps those saved before, the level
// and the classroom's address with them, and the next start reads them.
TEST(Settings, ASaveThatDoesNotFitKeepsTheSettingsSavedBefore) {
    TempDir dir;
    dir.write("XML/SetUp_View.xml", kTwoStudios);
    const QByteArray before = SettingsFile(1, 0, 0, QStringLiteral("10.0.0.5"), 1, {}, {}, 3);
    dir.write("XML/Settings.dat", before);
    CConfig config(dir.qpath());
    ASSERT_EQ(config.m_nLevel, 3);
    config.m_nLevel = 4;
    config.m_strClassHost = QStringLiteral("10.0.0.6");
    {
        const testsupport::FileSizeLimit full(10);
        EXPECT_FALSE(config.SaveSettings());
    }
    EXPECT_EQ(config.SettingsError(), EFBIG);
    EXPECT_EQ(dir.read("XML/Settings.dat"), before);
    const CConfig next(dir.qpath());
    EXPECT_EQ(next.m_nLevel, 3);
    EXPECT_EQ(next.m_strClassHost, QStringLiteral("10.0.0.5"));
    ASSERT_TRUE(config.SaveSettings());
    EXPECT_EQ(config.SettingsError(), 0);
    EXPECT_EQ(CConfig(dir.qpath()).m_nLevel, 4);
}

TEST(Settings, SaveReplacesTheFileWhole) {
    TempDir dir;
    dir.write("XML/SetUp_View.xml", kTwoStudios);
    dir.write("XML/Settings.dat", QByteArray(500, '\x01'));
    CConfig config(dir.qpath());
    ASSERT_TRUE(config.SaveSettings());
    EXPECT_EQ(dir.read("XML/Settings.dat").size(), 32);
}

TEST(Encodings, ScoreDigitsFollowTheMixedRadix) {
    TempDir dir;
    CConfig config(dir.qpath());
    std::vector<int> digits;
    config.EncodeScore(digits, 119);
    EXPECT_EQ(digits, (std::vector<int> { 1, 2, 3, 4, 0 }));
    EXPECT_EQ(config.DecodeScore(digits), 119);
    config.EncodeScore(digits, 120);
    EXPECT_EQ(digits, (std::vector<int> { 0, 0, 0, 0, 1 }));
    EXPECT_EQ(config.DecodeScore(digits), 120);
    config.EncodeScore(digits, -7);
    EXPECT_EQ(digits, (std::vector<int> { -1, 0, -1, 0, 0 }));
    EXPECT_EQ(config.DecodeScore(digits), -7);

    EXPECT_EQ(config.DecodeTicks({}), 0);
    EXPECT_EQ(config.DecodeScore({}), 0);
}

TEST(Encodings, EveryIntRoundTrips) {
    TempDir dir;
    CConfig config(dir.qpath());
    std::mt19937 rng(1234);
    std::uniform_int_distribution<int> any(INT_MIN, INT_MAX);
    std::vector<int> values = { 0, 1, -1, INT_MAX, INT_MIN, 3628799, 3628800, -3628800 };
    for (int i = 0; i < 5000; ++i)
        values.push_back(any(rng));
    std::vector<int> digits;
    for (int v : values) {
        config.EncodeScore(digits, v);
        ASSERT_EQ(digits.size(), 5u);
        ASSERT_EQ(config.DecodeScore(digits), v);
        config.EncodeTicks(digits, v);
        ASSERT_EQ(digits.size(), 10u);
        ASSERT_EQ(config.DecodeTicks(digits), v);
    }
}

TEST(Encodings, StaleVectorsAreResizedNotOverrun) {
    TempDir dir;
    CConfig config(dir.qpath());
    std::vector<int> digits = { 9, 9 };
    config.EncodeScore(digits, 119);
    EXPECT_EQ(digits, (std::vector<int> { 1, 2, 3, 4, 0 }));
    // A short or damaged vector decodes to some number without overrunning.
    EXPECT_EQ(config.DecodeScore({ 5 }), 5);
    config.DecodeScore({ INT_MAX, INT_MIN, INT_MAX, INT_MIN, INT_MAX });
}

TEST(SmallOperations, SlashesAndBadFileCharacters) {
    std::string path = "a/b";
    CConfig::ConvertSlashesStd(path, false);
    EXPECT_EQ(path, "a\\b");
    CConfig::ConvertSlashesStd(path, true);
    EXPECT_EQ(path, "a/b");
    std::string untouched = "a/b";
    CConfig::ConvertSlashesStd(untouched, true);
    EXPECT_EQ(untouched, "a/b");

    QString q = QStringLiteral("x/y/z");
    CConfig::ConvertSlashes(q, false);
    EXPECT_EQ(q, QStringLiteral("x\\y\\z"));
    CConfig::ConvertSlashes(q, true);
    EXPECT_EQ(q, QStringLiteral("x/y/z"));

    EXPECT_FALSE(CConfig::HasBadFileChar(QStringLiteral("robot_01")));
    EXPECT_FALSE(CConfig::HasBadFileChar(QStringLiteral("机器人")));
    for (QChar c : QStringLiteral("/\\:*\"<>?|"))
        EXPECT_TRUE(CConfig::HasBadFileChar(QStringLiteral("ab") + c + QStringLiteral("cd")))
            << int(c.unicode());
}

TEST(Constants, EveryDefaultAndEveryEntryOfTheGeometryTables) {
    TempDir dir;
    CConfig config(dir.qpath());
    EXPECT_EQ(config.m_strLinkKey, "Kp7Wd2Qx9Vn4Lt6R");
    EXPECT_EQ(config.m_nLinkKeyLen, 16);
    EXPECT_EQ(config.m_nScoreDigits, 5);
    EXPECT_EQ(config.m_nTickDigits, 10);
    EXPECT_EQ(config.m_nNetState, 3);
    EXPECT_EQ((std::vector<int>(std::begin(config.m_nDriveSpeed), std::end(config.m_nDriveSpeed))),
        (std::vector<int> { 40, 25, 65, 15 }));
    EXPECT_DOUBLE_EQ(config.m_dJoinFactor, 0.5);
    EXPECT_DOUBLE_EQ(config.m_dPortLimit, 0.6);
    EXPECT_EQ(config.m_vPartColor, osg::Vec4(0.0f, 0.41f, 0.65f, 1.0f));
    EXPECT_EQ(config.m_vAxisX, osg::Vec3(1, 0, 0));
    EXPECT_EQ(config.m_vAxisY, osg::Vec3(0, 1, 0));
    EXPECT_EQ(config.m_vAxisZ, osg::Vec3(0, 0, 1));
    EXPECT_EQ(config.m_vTurnAxis, osg::Vec3(0, 0, 1));
    EXPECT_DOUBLE_EQ(config.m_dScaleTolerance, 0.01);
    EXPECT_EQ(config.m_vOrigin, osg::Vec3(0, 0, 0));
    EXPECT_EQ(config.m_qIdentity, osg::Quat(0, 0, 0, 1));
    EXPECT_EQ(config.m_vBlack, osg::Vec4(0, 0, 0, 1));
    EXPECT_EQ(config.m_vGridCell, osg::Vec2(2, 2));
    // Plus and minus 50 cells of 2 units, halved.
    EXPECT_EQ(config.m_vGridArea, osg::Vec4(-50, -50, 50, 50));
    EXPECT_EQ(config.m_vEditRect, osg::Vec4(0, 0, 0, 0));
    EXPECT_DOUBLE_EQ(config.m_dDragFactor, 5.0);
    EXPECT_DOUBLE_EQ(config.m_dBoxLimit, 0.4);
    EXPECT_EQ(config.m_nPointKindCount, 5);

    // The corners in the order the model code walks them, each picking
    // the half-extent (even) or its negation (odd) of the three axes.
    EXPECT_EQ(config.m_nBoxCornerCount, 8);
    const int corners[24] = { 1, 3, 5, 1, 3, 4, 1, 2, 5, 1, 2, 4, 0, 3, 5, 0, 3, 4, 0, 2, 5, 0, 2, 4 };
    EXPECT_EQ(std::vector<int>(std::begin(config.BoxCorner), std::end(config.BoxCorner)),
        std::vector<int>(std::begin(corners), std::end(corners)));
    EXPECT_EQ(config.m_nBoxTriangleCount, 12);
    const int triangles[36] = { 0, 1, 2, 1, 2, 3, 0, 1, 4, 1, 4, 5, 0, 2, 4, 2, 4, 6, 4, 5, 6, 5, 6, 7, 1, 3,
        5, 3, 5, 7, 2, 3, 6, 3, 6, 7 };
    EXPECT_EQ(std::vector<int>(std::begin(config.BoxTriangle), std::end(config.BoxTriangle)),
        std::vector<int>(std::begin(triangles), std::end(triangles)));
}
