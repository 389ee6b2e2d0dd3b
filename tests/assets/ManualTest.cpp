// The manual, in each of its languages, describes the robot program's whole
// interface as the students' header declares it, and its example programs
// build against that header.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

const fs::path kSource = MORVANE_SOURCE_DIR;

// The section of one language, as the Help menu opens it (#zh, #en).
std::string Section(const std::string& manual, const std::string& id) {
    const size_t begin = manual.find("<section id=\"" + id + "\"");
    if (begin == std::string::npos)
        return std::string();
    const size_t end = manual.find("</section>", begin);
    return manual.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

std::string Unescape(std::string s) {
    for (const auto& [entity, c] :
        { std::pair { "&lt;", "<" }, { "&gt;", ">" }, { "&quot;", "\"" }, { "&amp;", "&" } }) {
        for (size_t at = s.find(entity); at != std::string::npos; at = s.find(entity, at + 1))
            s.replace(at, std::string(entity).size(), c);
    }
    return s;
}

TEST(Manual, NamesEverySensorLightAndFunctionOfTheHeaderInBothLanguages) {
    const std::string header = ReadFile(kSource / "sdk/morvane_robot.h");
    std::set<std::string> names;
    const std::regex define(R"(#define (MORVANE_\w+))");
    for (auto it = std::sregex_iterator(header.begin(), header.end(), define); it != std::sregex_iterator();
         ++it)
        names.insert((*it)[1]);
    names.erase("MORVANE_ROBOT_H");
    names.erase("MORVANE_ROBOT_EXPORT");
    const std::regex exported(R"(\nMORVANE_ROBOT_EXPORT [\w\s\*]*?\b(\w+)\s*\()");
    std::set<std::string> functions;
    for (auto it = std::sregex_iterator(header.begin(), header.end(), exported); it != std::sregex_iterator();
         ++it)
        functions.insert((*it)[1]);
    EXPECT_EQ(functions, (std::set<std::string> { "Run", "SetData", "GetData", "IsPause", "Start" }));
    names.insert(functions.begin(), functions.end());
    ASSERT_GE(names.size(), 25u) << "the header's sensors, lights and limits";

    const std::string manual = ReadFile(kSource / "assets/XML/Manual.html");
    for (const char* language : { "zh", "en" }) {
        const std::string section = Section(manual, language);
        ASSERT_FALSE(section.empty()) << "no section " << language;
        for (const std::string& name : names)
            EXPECT_TRUE(std::regex_search(section, std::regex("\\b" + name + "\\b")))
                << "the " << language << " manual does not name " << name;
    }
}

// The robot-building chapter of each language, from its heading to the next.
std::string RobotChapter(const std::string& manual, const std::string& language) {
    const size_t begin = manual.find("<h2 id=\"" + language + "-robot\"");
    if (begin == std::string::npos)
        return std::string();
    return manual.substr(begin, manual.find("<h2", begin + 1) - begin);
}

// How to see that a wheel is on its motor: one item or paragraph of the
// robot-building chapter says that the motor's box shows green while the
// wheel is carried onto it, and that a wheel put down without it is not
// joined and is not turned.
TEST(Manual, TheRobotChapterTellsHowToSeeThatAWheelIsMountedOnAMotor) {
    const std::string manual = ReadFile(kSource / "assets/XML/Manual.html");
    const std::pair<const char*, std::vector<std::string>> languages[] = {
        { "zh", { "轮子", "电机", "绿", "放下", "没有和电机连在一起", "转不动" } },
        { "en", { "wheel", "motor", "green", "put down", "not joined", "will not turn" } },
    };
    for (const auto& [language, words] : languages) {
        const std::string chapter = RobotChapter(manual, language);
        ASSERT_FALSE(chapter.empty()) << language;
        bool told = false;
        const std::regex block(R"(<(li|p)>([\s\S]*?)</\1>)");
        for (auto it = std::sregex_iterator(chapter.begin(), chapter.end(), block);
             it != std::sregex_iterator(); ++it) {
            const std::string text = (*it)[2];
            told = told || std::all_of(words.begin(), words.end(), [&](const std::string& word) {
                return text.find(word) != std::string::npos;
            });
        }
        EXPECT_TRUE(told) << "the " << language << " manual does not tell how to see a wheel on its motor";
    }
}

TEST(Manual, LinksOnlyWithinItselfAndLoadsNothingFromOutside) {
    const std::string manual = ReadFile(kSource / "assets/XML/Manual.html");
    std::set<std::string> ids;
    const std::regex id(R"re(\bid="([^"]+)")re");
    for (auto it = std::sregex_iterator(manual.begin(), manual.end(), id); it != std::sregex_iterator(); ++it)
        ids.insert((*it)[1]);
    const std::regex link(R"re(\bhref="([^"]*)")re");
    int links = 0;
    for (auto it = std::sregex_iterator(manual.begin(), manual.end(), link); it != std::sregex_iterator();
         ++it) {
        const std::string target = (*it)[1];
        ++links;
        EXPECT_TRUE(target.size() > 1 && target[0] == '#' && ids.count(target.substr(1)))
            << "link to " << target;
    }
    EXPECT_GE(links, 14) << "both tables of contents";
    for (const char* outside : { "src=", "<link", "@import", "url(", "http:", "https:" })
        EXPECT_EQ(manual.find(outside), std::string::npos) << outside;
}

TEST(Manual, ExampleProgramsBuildAgainstTheHeader) {
    const std::string manual = ReadFile(kSource / "assets/XML/Manual.html");
    const fs::path folder = fs::path(MORVANE_TEST_DIR) / "manual_examples";
    fs::create_directories(folder);
    int count = 0;
    for (const char* language : { "zh", "en" }) {
        const std::string section = Section(manual, language);
        const std::regex program(R"re(<pre class="c">([\s\S]*?)</pre>)re");
        int inSection = 0;
        for (auto it = std::sregex_iterator(section.begin(), section.end(), program);
             it != std::sregex_iterator(); ++it) {
            const fs::path source = folder / (std::string(language) + std::to_string(++inSection) + ".c");
            std::ofstream(source, std::ios::binary) << Unescape((*it)[1]);
            const fs::path library = fs::path(source).replace_extension(".so");
            const std::string command = std::string(MORVANE_C_COMPILER)
                + " -std=c11 -O2 -Wall -Wextra -Werror -shared -fPIC -pthread -I "
                + (kSource / "sdk").string() + " -o " + library.string() + " " + source.string() + " 2>&1";
            EXPECT_EQ(std::system(command.c_str()), 0) << command;
            ++count;
        }
        EXPECT_GE(inSection, 1) << "no example program in the " << language << " manual";
    }
    EXPECT_GE(count, 2);
}

} // namespace
