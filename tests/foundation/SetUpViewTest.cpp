#include "foundation/CConfig.h"
#include "support/QtPrint.h"
#include "support/TempDir.h"

#include <QDataStream>

#include <gtest/gtest.h>

using testsupport::TempDir;

namespace {

const char* const kSetUp = R"(<?xml version="1.0" encoding="UTF-8"?>
<data>
  <set_up>
    <obj address="models/brick.ive"><box/></obj>
    <obj address="models/brick.ive" second="1"/>
    <obj address="models/wheel.ive"/>
  </set_up>
  <program net="contest.example" mode="6">
    <studio0 file="basic" fast_car="run.sh" dll="programs" rcu="models/rcu.ive" is_e="0" example="examples"/>
    <studio1 file="ext" is_e="1" example="more"/>
  </program>
  <view>
    <dynamic><obj address="models/ball.ive" image="b.png" type="101"/></dynamic>
    <trigger><obj address="models/zone.ive" image="z.png" type="110"/></trigger>
    <static><obj address="models/wall.ive" image="w.png" type="100"/></static>
    <group><group0><obj address="models/wall.ive"/></group0></group>
    <studio0>
      <example><example1 Lv="0" file="first" pla="first.pla"><rob rob="a.rob" dll="a.so"/></example1></example>
      <brick>
        <obj address="models/brick.ive" color="1"/>
        <obj address="models/plate.ive"/>
        <obj address="models/beam.ive" color="0"/>
      </brick>
      <wheel><obj address="models/wheel.ive"/></wheel>
      <sensor><obj address="models/rcu.ive"/></sensor>
    </studio0>
    <studio1><brick/></studio1>
  </view>
  <language>
    <language name="English">
      <studio><studio0 name="Basic kit"/><studio1 name="Extended kit"/><studio2 name="Ghost"/></studio>
      <class>
        <main><f_SplashScreen s="images/splash.png"/></main>
        <CConfig><f_TipsDlg sTitle="Note" sOK="OK"/></CConfig>
        <CMainDlg><slot_ShowLv s="Two&#10;lines" sEmpty=""/></CMainDlg>
      </class>
      <view>
        <obj><obj address="models/brick.ive" language="Brick"/><obj address="models/wheel.ive"/></obj>
        <example><example1 language="First steps"/><example2/></example>
      </view>
    </language>
    <language name=""/>
    <language name="中文">
      <studio><studio0 name="基础套件"/></studio>
      <class><CConfig><f_TipsDlg sTitle="提示" sOK="确定"/></CConfig></class>
    </language>
  </language>
</data>
)";

struct Fixture {
    TempDir dir;
    explicit Fixture(const char* setUp = kSetUp) { dir.write("XML/SetUp_View.xml", setUp); }
};

} // namespace

TEST(SetUpView, LanguagesAreListedInFileOrderSkippingEmptyNames) {
    Fixture f;
    CConfig config(f.dir.qpath());
    ASSERT_EQ(config.m_vecLanguage.size(), 2u);
    EXPECT_EQ(config.m_vecLanguage[0], "English");
    EXPECT_EQ(config.m_vecLanguage[1], "中文");
    EXPECT_EQ(config.GetText("CConfig", "f_TipsDlg", "sTitle"), QStringLiteral("Note"));
    config.SetLanguage(1, false);
    EXPECT_EQ(config.GetText("CConfig", "f_TipsDlg", "sTitle"), QStringLiteral("提示"));
    EXPECT_EQ(config.GetStudioName(), QStringLiteral("基础套件"));
}

TEST(SetUpView, TextLookups) {
    Fixture f;
    CConfig config(f.dir.qpath());
    EXPECT_EQ(config.GetText("main", "f_SplashScreen", "s"), QStringLiteral("images/splash.png"));
    EXPECT_EQ(config.GetText("CMainDlg", "slot_ShowLv", "s"), QStringLiteral("Two\nlines"));
    EXPECT_TRUE(config.GetText("CMainDlg", "slot_ShowLv", "sMissing").isEmpty());
    EXPECT_TRUE(config.GetText("CMainDlg", "slot_ShowLv", "sEmpty").isEmpty());
    EXPECT_TRUE(config.GetText("CMainDlg", "", "s").isEmpty());
    EXPECT_TRUE(config.GetText("", "slot_ShowLv", "s").isEmpty());
    EXPECT_EQ(config.FindTextNode("CMainDlg", ""), nullptr);
    EXPECT_NE(config.FindTextNode("CMainDlg", "slot_ShowLv"), nullptr);
    EXPECT_EQ(config.FindTextNode("Nobody", "slot_ShowLv"), nullptr);

    // Through the narrow interface an empty text is a text, a missing key
    // none; a missing group is told apart as well.
    const LanguageTexts& texts = config;
    EXPECT_EQ(texts.FindText("CMainDlg", "slot_ShowLv", "s"), QStringLiteral("Two\nlines"));
    EXPECT_EQ(texts.FindText("CMainDlg", "slot_ShowLv", "sEmpty"), QString());
    EXPECT_EQ(texts.FindText("CMainDlg", "slot_ShowLv", "sMissing"), std::nullopt);
    EXPECT_EQ(texts.FindText("CMainDlg", "slot_ShowLv", ""), std::nullopt);
    EXPECT_EQ(texts.FindText("CMainDlg", "f_Nothing", "s"), std::nullopt);
    EXPECT_TRUE(texts.HasTexts("CMainDlg", "slot_ShowLv"));
    EXPECT_FALSE(texts.HasTexts("CMainDlg", "f_Nothing"));
    EXPECT_FALSE(texts.HasTexts("CMainDlg", ""));
    config.SetLanguage(5, false);
    EXPECT_FALSE(texts.HasTexts("CMainDlg", "slot_ShowLv"));
    EXPECT_EQ(texts.FindText("CMainDlg", "slot_ShowLv", "s"), std::nullopt);
}

TEST(SetUpView, LanguageIndexOutsideTheListSelectsNoLanguage) {
    Fixture f;
    CConfig config(f.dir.qpath());
    config.SetLanguage(2, false);
    EXPECT_TRUE(config.GetText("CConfig", "f_TipsDlg", "sTitle").isEmpty());
    EXPECT_TRUE(config.GetStudioName().isEmpty());
    config.SetLanguage(-1, false);
    EXPECT_TRUE(config.GetText("CConfig", "f_TipsDlg", "sTitle").isEmpty());
    config.SetLanguage(0, false);
    EXPECT_EQ(config.GetText("CConfig", "f_TipsDlg", "sOK"), QStringLiteral("OK"));
}

TEST(SetUpView, ModelAddressesMatchWholeAndFirstWins) {
    Fixture f;
    CConfig config(f.dir.qpath());
    const TiXmlElement* brick = config.FindSetUpObj("models/brick.ive");
    ASSERT_NE(brick, nullptr);
    EXPECT_EQ(brick->Attribute("second"), nullptr);
    EXPECT_EQ(config.FindSetUpObj("models/brick.iv"), nullptr);
    EXPECT_EQ(config.FindSetUpObj("models/brick.ivee"), nullptr);
    EXPECT_EQ(config.FindSetUpObj(""), nullptr);

    EXPECT_EQ(config.GetObjName("models/brick.ive"), QStringLiteral("Brick"));
    EXPECT_TRUE(config.GetObjName("models/wheel.ive").isEmpty());
    EXPECT_TRUE(config.GetObjName("models/none.ive").isEmpty());
}

TEST(SetUpView, StudioPathsAndGroups) {
    Fixture f;
    CConfig config(f.dir.qpath());
    EXPECT_EQ(config.m_strNetHost, QStringLiteral("contest.example"));
    EXPECT_EQ(config.m_nRunMode, RunModeClassroom);
    EXPECT_EQ(config.m_strFastCar, QStringLiteral("XML/basic/run.sh"));
    EXPECT_EQ(config.m_strDllDir, QStringLiteral("/XML/basic/programs/"));
    EXPECT_EQ(config.m_strExampleDir, QStringLiteral("/XML/basic/examples/"));
    EXPECT_EQ(config.m_strExampleDirNative, QStringLiteral("\\XML\\basic\\examples\\"));
    EXPECT_EQ(config.m_strRcu, "models/rcu.ive");
    EXPECT_FALSE(config.m_bIsE);
    // The part groups in their fixed order: the studio's robot bars, then
    // the playground's.
    const char* const groups[6] = { "brick", "wheel", "sensor", "dynamic", "trigger", "static" };
    for (int i = 0; i < 6; ++i) {
        ASSERT_NE(config.m_pViewGroup[i], nullptr) << i;
        EXPECT_STREQ(config.m_pViewGroup[i]->Value(), groups[i]) << i;
        EXPECT_STREQ(config.m_pViewGroup[i]->Parent()->Value(), i < 3 ? "studio0" : "view") << i;
    }
    ASSERT_NE(config.m_pGroupNode, nullptr);
    EXPECT_STREQ(config.m_pGroupNode->Value(), "group");
    EXPECT_EQ(config.GetStudioName(), QStringLiteral("Basic kit"));
    EXPECT_EQ(config.GetStudioName(1), QStringLiteral("Extended kit"));
    // A name without a studio of that number in the program section is not given.
    EXPECT_TRUE(config.GetStudioName(2).isEmpty());

    config.SetStudio(1, false);
    EXPECT_EQ(config.m_nStudio, 1);
    EXPECT_TRUE(config.m_bIsE);
    EXPECT_EQ(config.m_strExampleDir, QStringLiteral("/XML/ext/more/"));
    // Attributes the studio lacks keep what the previous one set.
    EXPECT_EQ(config.m_strDllDir, QStringLiteral("/XML/basic/programs/"));
    EXPECT_EQ(config.m_pExampleNode, nullptr);
    EXPECT_NE(config.m_pViewGroup[0], nullptr);
    EXPECT_EQ(config.m_pViewGroup[1], nullptr);
}

TEST(SetUpView, ExamplesAndTheirNames) {
    Fixture f;
    CConfig config(f.dir.qpath());
    const TiXmlElement* example = config.FindExample(QStringLiteral("1"));
    ASSERT_NE(example, nullptr);
    EXPECT_STREQ(example->Attribute("pla"), "first.pla");
    EXPECT_EQ(config.FindExample(QString()), nullptr);
    EXPECT_EQ(config.FindExample(QStringLiteral("9")), nullptr);

    EXPECT_EQ(config.GetExampleName(QStringLiteral("1")), QStringLiteral("First steps"));
    // No entry or no attribute: an empty text; no node or no number: a null text.
    const QString unnamed = config.GetExampleName(QStringLiteral("2"));
    EXPECT_TRUE(unnamed.isEmpty());
    EXPECT_FALSE(unnamed.isNull());
    EXPECT_FALSE(config.GetExampleName(QStringLiteral("5")).isNull());
    EXPECT_TRUE(config.GetExampleName(QString()).isNull());
    config.SetLanguage(1, false);
    EXPECT_TRUE(config.GetExampleName(QStringLiteral("1")).isNull());
}

TEST(SetUpView, ColourFlagOfBricks) {
    Fixture f;
    CConfig config(f.dir.qpath());
    EXPECT_TRUE(config.IsColorObj("models/brick.ive"));
    EXPECT_FALSE(config.IsColorObj("models/plate.ive")); // listed without the flag
    EXPECT_FALSE(config.IsColorObj("models/beam.ive"));
    EXPECT_TRUE(config.IsColorObj("models/not-a-brick.ive"));

    TempDir bare;
    bare.write("XML/SetUp_View.xml", "<data/>");
    CConfig noGroups(bare.qpath());
    EXPECT_TRUE(noGroups.IsColorObj("models/plate.ive"));
}

TEST(SetUpView, MissingOrBrokenFilesLeaveEveryLookupEmpty) {
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    const std::pair<const char*, std::string> cases[] = {
        { "missing", "" },
        { "not xml", "this is not xml <<<" },
        { "unclosed", "<?xml version=\"1.0\"?><data><program><studio0 file=\"x\">" },
        { "no data root", "<?xml version=\"1.0\"?><other><program/></other>" },
        { "deep nesting", "<data>" + deep },
        { "binary", std::string("\0\xff\xfe<data>\0", 10) },
        { "cut inside a character", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><data><program net=\"\xe4" },
    };
    for (const auto& [name, text] : cases) {
        SCOPED_TRACE(name);
        TempDir dir;
        if (std::string(name) != "missing")
            dir.write("XML/SetUp_View.xml", QByteArray(text.data(), static_cast<qsizetype>(text.size())));
        CConfig config(dir.qpath());
        EXPECT_TRUE(config.m_vecLanguage.empty());
        EXPECT_TRUE(config.GetText("main", "f_SplashScreen", "s").isEmpty());
        EXPECT_EQ(config.FindSetUpObj("models/brick.ive"), nullptr);
        EXPECT_EQ(config.FindExample(QStringLiteral("1")), nullptr);
        EXPECT_TRUE(config.GetStudioName().isEmpty());
        EXPECT_TRUE(config.IsColorObj("models/brick.ive"));
        EXPECT_EQ(config.m_nRunMode, RunModeEducation);
        EXPECT_EQ(config.m_nStudio, 0);
        // Settings are still written and read.
        EXPECT_TRUE(dir.exists("XML/Settings.dat"));
    }
}

TEST(SetUpView, RunModeOutsideTheKnownModesIsEducation) {
    for (const char* mode : { "0", "1", "7", "x", "" }) {
        SCOPED_TRACE(mode);
        TempDir dir;
        dir.write("XML/SetUp_View.xml",
            QByteArray("<data><program mode=\"") + mode + "\"><studio0/></program></data>");
        CConfig config(dir.qpath());
        EXPECT_EQ(config.m_nRunMode, RunModeEducation);
    }
}

TEST(SetUpView, InstalledFileHasTheTextsStartUpNeeds) {
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "XML");
    std::filesystem::copy_file(std::filesystem::path(MORVANE_SOURCE_DIR) / "assets/XML/SetUp_View.xml",
        dir.path() / "XML/SetUp_View.xml");
    CConfig config(dir.qpath());
    ASSERT_GE(config.m_vecLanguage.size(), 2u);
    EXPECT_EQ(config.m_nRunMode, RunModeEducation);
    for (int lang = 0; lang < static_cast<int>(config.m_vecLanguage.size()); ++lang) {
        SCOPED_TRACE(config.m_vecLanguage[static_cast<size_t>(lang)]);
        config.SetLanguage(lang, false);
        EXPECT_FALSE(config.GetText("main", "f_SplashScreen", "s").isEmpty());
        for (const char* key : { "sTitle", "sOK" })
            EXPECT_FALSE(config.GetText("CConfig", "f_TipsDlg", key).isEmpty()) << key;
        for (const char* key : { "sOK", "sServer", "sSql", "sConnect", "sNo" })
            EXPECT_FALSE(config.GetText("CConfig", "f_ConnectTips", key).isEmpty()) << key;
        EXPECT_FALSE(config.GetStudioName().isEmpty());
    }
    // The splash picture named by the set-up file ships with the program.
    config.SetLanguage(0, false);
    const QString splash = config.GetText("main", "f_SplashScreen", "s");
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(MORVANE_PROGRAM_DIR) / splash.toStdString()))
        << splash.toStdString();
}
