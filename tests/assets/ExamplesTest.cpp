// The studios' examples as installed in the program folder: every example
// the set-up file lists has its files where its entry says, has a name in
// every language, and, run as it is with its own programs, does what its
// name says and scores what its zones and objects give.

#include "LibraryFixture.h"
#include "apps/BuilderFixture.h"
#include "apps/CPlaApp.h"
#include "apps/CRobApp.h"
#include "apps/HeadlessRunResult.h"
#include "support/TempDir.h"

#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

using namespace assetstest;

namespace {

struct ExampleEntry {
    int studio = 0;
    bool isE = false;
    int number = 0;
    int level = 0;
    std::filesystem::path folder;
    // The studio's program folder ("dll").
    std::filesystem::path programs;
    std::string playground;
    // Robot file and program, per robot, in the order of the entry.
    std::vector<std::pair<std::string, std::string>> robots;
};

// What a run of each example comes to, from its playground's rules: a score
// zone gives its score to the first robot that reaches it, a path zone to a
// lone robot that leaves it still on its line, a rescue zone its score per
// astronaut carried in, a delivery zone its score for the box it is given,
// a candle or an alarm 10 to the robot that stays near it for 300 steps, an
// end zone its score to the robot that reaches it, and it ends the run.
// Frames is a generous limit for the test, not part of the example.
struct Expected {
    int studio;
    int number;
    std::vector<int> scores;
    int frames;
};

const Expected kExpected[] = {
    // A score zone of 100 on the way to an end zone of 0.
    { 0, 0, { 100 }, 400 },
    // A path zone of 100 along the line, an end zone of 0 at its end.
    { 0, 1, { 100 }, 1500 },
    // A score zone of 100 in the last leg of the corridor, an end zone of 0.
    { 0, 2, { 100 }, 1300 },
    // The candle 10, the end zone at home 100.
    { 0, 3, { 110 }, 1500 },
    // The rescue zone 100 for the one white astronaut, an end zone of 0.
    { 0, 4, { 100 }, 1400 },
    // Robot 0: its score zone 100 and the end zone 50; robot 1: its own
    // score zone 100 on its loop.
    { 0, 5, { 150, 100 }, 1000 },
    // A score zone of 50 before the wall, the end zone at home 50.
    { 1, 10, { 100 }, 900 },
    // A path zone of 100 on the middle leg, an end zone of 0.
    { 1, 11, { 100 }, 3000 },
    // A score zone of 100 on the far side of the block, an end zone of 0.
    { 1, 12, { 100 }, 2500 },
    // The alarm 10, the end zone at home 100.
    { 1, 13, { 110 }, 1600 },
    // The delivery zone 100 for its box, an end zone of 0 beyond it.
    { 1, 14, { 100 }, 1300 },
    // As example 5: robot 0 on its line 100 and 50 at its end, robot 1 100
    // round its block.
    { 1, 15, { 150, 100 }, 1100 },
};

const Expected* FindExpected(int studio, int number) {
    for (const Expected& e : kExpected) {
        if (e.studio == studio && e.number == number)
            return &e;
    }
    return nullptr;
}

std::string Text(const TiXmlElement* element, const char* name) {
    const char* value = element ? element->Attribute(name) : nullptr;
    return value ? value : "";
}

// The number after a name's prefix ("studio1" -> 1), -1 when the rest is
// not all digits.
int NumberAfter(const std::string& name, const std::string& prefix) {
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0
        || name.find_first_not_of("0123456789", prefix.size()) != std::string::npos)
        return -1;
    return std::stoi(name.substr(prefix.size()));
}

// Every example of every studio, read from the installed set-up file as the
// examples menu reads it.
std::vector<ExampleEntry> ExampleEntries() {
    std::vector<ExampleEntry> out;
    const TiXmlElement* data = SetUpData();
    for (const TiXmlElement* studio : Elements(Find(data, "program"))) {
        const int number = NumberAfter(studio->Value(), "studio");
        if (number < 0)
            continue;
        int isE = 0;
        studio->QueryIntAttribute("is_e", &isE);
        const std::filesystem::path studioFolder
            = ProgramDir() / "XML" / Text(studio, "file") / Text(studio, "example");
        const std::filesystem::path programs
            = ProgramDir() / "XML" / Text(studio, "file") / Text(studio, "dll");
        for (const TiXmlElement* entry :
            Elements(Find(Find(data, "view"), std::string(studio->Value()) + "/example"))) {
            ExampleEntry example;
            example.studio = number;
            example.isE = isE == 1;
            example.number = NumberAfter(entry->Value(), "example");
            entry->QueryIntAttribute("Lv", &example.level);
            example.folder = studioFolder / Text(entry, "file");
            example.programs = programs;
            example.playground = Text(entry, "pla");
            for (const TiXmlElement* rob : Elements(entry, "rob"))
                example.robots.emplace_back(Text(rob, "rob"), Text(rob, "dll"));
            out.push_back(example);
        }
    }
    return out;
}

// The name of a case in the test list: "studio1_example12".
void PrintTo(const ExampleEntry& entry, std::ostream* out) {
    *out << "studio" << entry.studio << "_example" << entry.number;
}

QString Path(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

// The build's program folder with a "Temp" of the run's own, so that runs
// side by side do not write over each other's working files.
std::filesystem::path ProgramFolderOfItsOwn(const testsupport::TempDir& folder) {
    for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator(ProgramDir())) {
        if (entry.path().filename() != "Temp")
            std::filesystem::create_symlink(entry.path(), folder.path() / entry.path().filename());
    }
    return folder.path();
}

} // namespace

// Both port sets have a studio; each studio's examples lead from level 0
// level by level (the examples menu shows a level only once the one before
// it is passed, so a gap would lock out every level after it), and every
// example has its expectation here and its own number (the example names
// of a language are looked up by number alone, whatever the studio).
TEST(Examples, EachPortSetHasAStudioWhoseExamplesLeadLevelByLevel) {
    const std::vector<ExampleEntry> entries = ExampleEntries();
    std::map<int, std::vector<int>> levels;
    std::set<bool> portSets;
    std::set<int> numbers;
    for (const ExampleEntry& e : entries) {
        SCOPED_TRACE("studio" + std::to_string(e.studio) + " example" + std::to_string(e.number));
        EXPECT_GE(e.number, 0);
        EXPECT_TRUE(numbers.insert(e.number).second) << "the number of another example";
        EXPECT_NE(FindExpected(e.studio, e.number), nullptr) << "no expected scores for it here";
        levels[e.studio].push_back(e.level);
        portSets.insert(e.isE);
    }
    EXPECT_EQ(portSets, (std::set<bool> { false, true }));
    for (auto& [studio, studioLevels] : levels) {
        SCOPED_TRACE("studio" + std::to_string(studio));
        EXPECT_GE(studioLevels.size(), 4u);
        EXPECT_LE(studioLevels.size(), 6u);
        std::sort(studioLevels.begin(), studioLevels.end());
        for (std::size_t i = 0; i < studioLevels.size(); ++i)
            EXPECT_LE(studioLevels[i], i == 0 ? 0 : studioLevels[i - 1] + 1) << "a level missing before it";
        EXPECT_LE(studioLevels.back(), 5);
    }
    for (const Expected& e : kExpected) {
        EXPECT_TRUE(std::any_of(entries.begin(), entries.end(),
            [&](const ExampleEntry& x) { return x.studio == e.studio && x.number == e.number; }))
            << "studio" << e.studio << " example" << e.number << " is expected but not listed";
    }
}

class ExampleRun : public ::testing::TestWithParam<ExampleEntry> { };

// The entry's files are where it says (its programs also in the studio's
// program folder, where the program choosers start), it has a name in every
// language, and its run ends in a zone with the scores its playground gives;
// an example above level 0 passes its level (its first robot scores 100 or
// more).
TEST_P(ExampleRun, HasItsFilesAndNamesAndScoresWhatItsPlaygroundGives) {
    const ExampleEntry& e = GetParam();
    const Expected* expected = FindExpected(e.studio, e.number);
    ASSERT_NE(expected, nullptr);

    EXPECT_TRUE(std::filesystem::is_regular_file(e.folder / e.playground)) << e.playground;
    ASSERT_EQ(e.robots.size(), expected->scores.size());
    for (const auto& [robot, program] : e.robots) {
        EXPECT_TRUE(std::filesystem::is_regular_file(e.folder / robot)) << robot;
        EXPECT_TRUE(std::filesystem::is_regular_file(e.folder / program)) << program;
        EXPECT_TRUE(std::filesystem::is_regular_file(e.programs / program))
            << program << " in the studio's programs";
    }
    const std::string element = "example" + std::to_string(e.number);
    int languages = 0;
    for (const TiXmlElement* language : Elements(Find(SetUpData(), "language"), "language")) {
        EXPECT_FALSE(Text(Find(language, "view/example/" + element), "language").empty())
            << element << " has no name in " << Text(language, "name");
        EXPECT_FALSE(Text(Find(language, "studio/studio" + std::to_string(e.studio)), "name").empty());
        ++languages;
    }
    EXPECT_EQ(languages, 2);

    const testsupport::TempDir programFolder;
    QStringList arguments { "--studio", QString::number(e.studio), "--frames",
        QString::number(expected->frames), "--program-folder", Path(ProgramFolderOfItsOwn(programFolder)),
        "--playground", Path(e.folder / e.playground) };
    for (const auto& [robot, program] : e.robots)
        arguments << Path(e.folder / robot) + "=" + Path(e.folder / program);
    const emutest::RunOutcome run = emutest::RunHeadless(arguments);
    ASSERT_TRUE(run.finished) << run.errors;
    EXPECT_EQ(run.errors, "") << "nothing refused, no program stopped";
    EXPECT_EQ(run.load, 1);
    EXPECT_EQ(run.stop, "zone") << "after " << run.frames << " frames";
    std::vector<int> scores;
    for (const emutest::RobotOutcome& robot : run.robots)
        scores.push_back(robot.score);
    EXPECT_EQ(scores, expected->scores);
    if (e.level > 0 && !scores.empty()) {
        EXPECT_GE(scores.front(), 100) << "the level cannot be passed";
    }
}

QByteArray ReadBytes(const std::filesystem::path& path) {
    QFile file(Path(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// An example opens in the builders as it was made: each robot loads into
// the robot builder and the playground into the playground builder, and
// saved again from there they are the same bytes (nothing of them was lost
// or changed on the way, and the builders have nothing to add).
TEST_P(ExampleRun, OpensInTheBuildersAsItWasMade) {
    const ExampleEntry& e = GetParam();
    CConfig& config = appstest::Config();
    config.SetStudio(e.studio, false);
    const testsupport::TempDir folder;

    osg::ref_ptr<CRobApp> robots = new CRobApp("config.xml", nullptr, config, appstest::Context());
    auto runFileJob = [&](const std::filesystem::path& path, bool load) {
        robots->StartFileThread(path.string(), load, false, false, false);
        return QTest::qWaitFor([&] { return robots->GetEditState().m_nBusy == SEditState::BusyIdle; }, 30000);
    };
    for (const auto& [robot, program] : e.robots) {
        SCOPED_TRACE(robot);
        ASSERT_TRUE(runFileJob(e.folder / robot, true));
        EXPECT_TRUE(robots->GetEditState().m_bClean) << "loaded as it is";
        EXPECT_GT(robots->GetPartList().size(), 7u) << "the base and what the example puts on it";
        ASSERT_TRUE(runFileJob(folder.path() / robot, false));
        EXPECT_EQ(ReadBytes(folder.path() / robot), ReadBytes(e.folder / robot));
    }

    osg::ref_ptr<CPlaApp> playground = new CPlaApp("config.xml", nullptr, config, appstest::Context());
    ASSERT_TRUE(playground->LoadOrSaveFile((e.folder / e.playground).string(), true))
        << playground->GetFileError();
    EXPECT_FALSE(playground->GetObjectList().empty());
    ASSERT_TRUE(playground->LoadOrSaveFile((folder.path() / e.playground).string(), false))
        << playground->GetFileError();
    EXPECT_EQ(ReadBytes(folder.path() / e.playground), ReadBytes(e.folder / e.playground));
}

INSTANTIATE_TEST_SUITE_P(SetUpFile, ExampleRun, ::testing::ValuesIn(ExampleEntries()));
