// The generator itself: its output is the same byte for byte on every run,
// and the installed set-up file holds exactly the entries it derives from
// the library.

#include "LibraryFixture.h"
#include "foundation/CConfig.h"
#include "support/TempDir.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>

using namespace assetstest;
using testsupport::TempDir;

namespace {

struct GeneratorRun {
    int exitCode = -1;
    QByteArray output;
};

GeneratorRun RunGenerator(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(MORVANE_MODELGEN), arguments);
    GeneratorRun run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.output = process.readAllStandardOutput();
    return run;
}

// Every file below a folder, by its path relative to the folder.
std::map<std::string, std::string> ReadTree(const std::filesystem::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        files[std::filesystem::relative(entry.path(), root).generic_string()]
            = std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return files;
}

bool ReadNumber(const char* text, double& value) {
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0';
}

// Same element name, same attributes (numbers compared as numbers), same
// child elements in the same order; comments are ignored.
::testing::AssertionResult SameElement(
    const TiXmlElement* want, const TiXmlElement* got, const std::string& where) {
    if (!want || !got)
        return ::testing::AssertionFailure()
            << where << ": " << (want ? "missing" : "unexpected") << " element";
    const std::string here = where + "/" + want->Value();
    if (std::string(want->Value()) != got->Value())
        return ::testing::AssertionFailure() << here << ": found " << got->Value();
    int wantCount = 0, gotCount = 0;
    for (const TiXmlAttribute* a = want->FirstAttribute(); a; a = a->Next()) {
        ++wantCount;
        const char* value = got->Attribute(a->Name());
        if (!value)
            return ::testing::AssertionFailure() << here << ": no " << a->Name();
        double x = 0, y = 0;
        const bool numbers = ReadNumber(a->Value(), x) && ReadNumber(value, y);
        if (numbers ? std::abs(x - y) > 1e-6 : std::string(a->Value()) != value)
            return ::testing::AssertionFailure()
                << here << " " << (want->Attribute("address") ? want->Attribute("address") : "") << ": "
                << a->Name() << " is " << value << ", the library says " << a->Value();
    }
    for (const TiXmlAttribute* a = got->FirstAttribute(); a; a = a->Next())
        ++gotCount;
    if (wantCount != gotCount)
        return ::testing::AssertionFailure()
            << here << ": " << gotCount << " attributes, expected " << wantCount;
    const std::vector<const TiXmlElement*> wantChildren = Elements(want), gotChildren = Elements(got);
    for (size_t i = 0; i < std::max(wantChildren.size(), gotChildren.size()); ++i) {
        const auto result = SameElement(i < wantChildren.size() ? wantChildren[i] : nullptr,
            i < gotChildren.size() ? gotChildren[i] : nullptr, here);
        if (!result)
            return result;
    }
    return ::testing::AssertionSuccess();
}

const TiXmlElement* LanguageNames(const char* language) {
    for (const TiXmlElement* entry : Elements(Find(SetUpData(), "language"), "language")) {
        if (std::string(entry->Attribute("name")) == language)
            return Find(entry, "view/obj");
    }
    return nullptr;
}

} // namespace

TEST(ModelGenerator, SetUpFileHoldsTheLibrarysEntries) {
    const GeneratorRun run = RunGenerator({ QStringLiteral("--print-setup") });
    ASSERT_EQ(run.exitCode, 0);
    TiXmlDocument fragment;
    fragment.Parse(run.output.constData(), nullptr, TIXML_ENCODING_UTF8);
    ASSERT_FALSE(fragment.Error()) << fragment.ErrorDesc();
    const TiXmlElement* library = fragment.FirstChildElement("modelgen");
    ASSERT_NE(library, nullptr);

    const TiXmlElement* data = SetUpData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(SameElement(Find(library, "set_up"), Find(data, "set_up"), "data"));
    for (const char* bar : { "dynamic", "trigger", "static" })
        EXPECT_TRUE(SameElement(Find(library, bar), Find(data, std::string("view/") + bar), "data/view"));
    // Every studio's robot bars: the kits differ in their ports, not their parts.
    int studios = 0;
    for (const TiXmlElement* studio : Elements(Find(data, "program"))) {
        const std::string view = std::string("view/") + studio->Value();
        for (const char* bar : { "brick", "wheel", "sensor" })
            EXPECT_TRUE(SameElement(Find(library, bar), Find(data, view + "/" + bar), "data/" + view));
        ++studios;
    }
    EXPECT_GE(studios, 1);
    int languages = 0;
    for (const TiXmlElement* names : Elements(library, "names")) {
        const char* language = names->Attribute("language");
        SCOPED_TRACE(language);
        const TiXmlElement* installed = LanguageNames(language);
        ASSERT_NE(installed, nullptr);
        for (size_t i = 0; i < std::max(Elements(names).size(), Elements(installed).size()); ++i) {
            const auto want = Elements(names), got = Elements(installed);
            EXPECT_TRUE(SameElement(
                i < want.size() ? want[i] : nullptr, i < got.size() ? got[i] : nullptr, "language/view/obj"));
        }
        ++languages;
    }
    EXPECT_EQ(languages, 2);
}

TEST(ModelGenerator, EveryModelHasADisplayNameInEveryLanguage) {
    TempDir dir;
    QFile installed(QString::fromStdString((ProgramDir() / "XML/SetUp_View.xml").string()));
    ASSERT_TRUE(installed.open(QIODevice::ReadOnly));
    dir.write("XML/SetUp_View.xml", installed.readAll());
    CConfig config(dir.qpath());
    ASSERT_EQ(config.m_vecLanguage.size(), 2u);
    const std::vector<std::string> addresses = NamedAddresses();
    for (int language = 0; language < 2; ++language) {
        config.SetLanguage(language, false);
        for (const std::string& address : addresses)
            EXPECT_FALSE(config.GetObjName(address).isEmpty())
                << config.m_vecLanguage[language] << " " << address;
    }
    // The brick bar's bricks take the user's colour.
    config.SetStudio(0, false);
    for (const BarButton& b : BarButtons()) {
        if (b.bar == "brick") {
            EXPECT_TRUE(config.IsColorObj(b.address)) << b.address;
        }
    }
}

TEST(ModelGenerator, SameSourcesGiveTheSameBytes) {
    TempDir first, second;
    ASSERT_EQ(RunGenerator({ first.qpath() }).exitCode, 0);
    ASSERT_EQ(RunGenerator({ second.qpath() }).exitCode, 0);
    const std::map<std::string, std::string> a = ReadTree(first.path()), b = ReadTree(second.path());
    ASSERT_GT(a.size(), 50u);
    ASSERT_EQ(a.size(), b.size());
    for (const auto& [name, bytes] : a) {
        ASSERT_TRUE(b.count(name)) << name;
        EXPECT_TRUE(bytes == b.at(name)) << name << " differs between two runs";
        // ... and from what the build installed.
        std::ifstream in(ProgramDir() / name, std::ios::binary);
        const std::string built((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_TRUE(bytes == built) << name << " differs from the installed file";
    }
}

TEST(ModelGenerator, ReportsAFolderItCannotWrite) {
    TempDir dir;
    dir.write("blocker", "a file where a folder should be");
    EXPECT_EQ(RunGenerator({ QString::fromStdString((dir.path() / "blocker/bin").string()) }).exitCode, 1);
    EXPECT_EQ(RunGenerator({}).exitCode, 2);
}
