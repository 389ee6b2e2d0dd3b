// The project's documents (README.md, CONTRIBUTING.md and docs/) stay true to
// the tree: every relative link reaches a file, and a heading where it names
// one; every path they name in code exists where its first folder says; every
// test, benchmark and fuzz target they name is one the build declares, and
// every benchmark and fuzz target the build declares is written up.
//
// Paths are read from code spans and code blocks, which is where the
// documents put commands and file names:
//   scripts/..., assets/..., src/... (any folder of the source tree): in the
//     source tree;
//   build/bench/<name>: a benchmark that bench/ declares (a build without
//     benchmarks, for want of Google Benchmark or as the sanitizers', has
//     none);
//   build/...: in this build's tree, once built;
//   anything else with a "/" that the README names: in the program folder,
//     since the README's users see paths such as XML/SetUp_View.xml there.
// Words with placeholders (<studio>, ...) name no single path and are skipped.

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kSource = MORVANE_SOURCE_DIR;
const fs::path kProgramDir = MORVANE_PROGRAM_DIR;
const fs::path kBuild = fs::path(MORVANE_TEST_DIR).parent_path();

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// A document split into its prose (code spans blanked out) and its code (the
// spans' and blocks' contents).
struct Document {
    fs::path path;
    std::string prose;
    std::string code;
    std::set<std::string> anchors;
};

// GitHub's anchor of a heading: lower case, punctuation dropped, spaces as
// hyphens.
std::string Anchor(const std::string& heading) {
    std::string anchor;
    for (const char c : heading) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x80 || std::isalnum(u) || c == '-' || c == '_')
            anchor += static_cast<char>(std::tolower(u));
        else if (c == ' ')
            anchor += '-';
    }
    return anchor;
}

Document Read(const fs::path& path) {
    Document doc { path, {}, {}, {} };
    bool fenced = false;
    bool inBlock = false;
    bool afterBlank = true;
    std::string prose;
    for (const std::string& line : Lines(ReadFile(path))) {
        if (line.rfind("```", 0) == 0) {
            fenced = !fenced;
            continue;
        }
        // An indented code block starts after a blank line and goes on while
        // its lines stay indented; list items' continuations are indented less.
        const bool indented = line.rfind("    ", 0) == 0 || line.rfind("\t", 0) == 0;
        inBlock = indented && (afterBlank || inBlock);
        afterBlank = line.find_first_not_of(" \t") == std::string::npos;
        if (fenced || inBlock) {
            doc.code += line + "\n";
            continue;
        }
        static const std::regex heading(R"(^#{1,6}\s+(.*?)\s*$)");
        std::smatch match;
        if (std::regex_match(line, match, heading))
            doc.anchors.insert(Anchor(match[1]));
        prose += line + "\n";
    }
    // Code spans may run over a line break within their paragraph.
    static const std::regex span("`([^`]+)`");
    for (auto it = std::sregex_iterator(prose.begin(), prose.end(), span); it != std::sregex_iterator(); ++it)
        doc.code += (*it)[1].str() + "\n";
    doc.prose = std::regex_replace(prose, span, " ");
    return doc;
}

std::vector<Document> Documents() {
    std::vector<fs::path> paths { kSource / "README.md", kSource / "CONTRIBUTING.md" };
    std::vector<fs::path> docs;
    for (const auto& entry : fs::directory_iterator(kSource / "docs"))
        if (entry.path().extension() == ".md")
            docs.push_back(entry.path());
    std::sort(docs.begin(), docs.end());
    paths.insert(paths.end(), docs.begin(), docs.end());
    std::vector<Document> documents;
    for (const fs::path& path : paths)
        documents.push_back(Read(path));
    return documents;
}

std::string Name(const fs::path& path) {
    return fs::relative(path, kSource).generic_string();
}

struct Link {
    std::string target;
    fs::path file;
    std::string anchor;
};

std::vector<Link> Links(const Document& doc) {
    std::vector<Link> links;
    // Inline links and images, [text](target "title"), and reference
    // definitions, [label]: target.
    static const std::regex inlineLink(R"re(\]\(\s*([^)\s]*)(?:\s+"[^"]*")?\s*\))re");
    static const std::regex definition(R"(^\s*\[[^\]]+\]:\s*(\S+))");
    std::vector<std::string> targets;
    for (auto it = std::sregex_iterator(doc.prose.begin(), doc.prose.end(), inlineLink);
         it != std::sregex_iterator(); ++it)
        targets.push_back((*it)[1]);
    for (const std::string& line : Lines(doc.prose)) {
        std::smatch match;
        if (std::regex_search(line, match, definition))
            targets.push_back(match[1]);
    }
    for (const std::string& target : targets) {
        if (target.find("://") != std::string::npos || target.rfind("mailto:", 0) == 0)
            continue;
        const size_t hash = target.find('#');
        const std::string file = target.substr(0, hash);
        const std::string anchor = hash == std::string::npos ? std::string() : target.substr(hash + 1);
        links.push_back({ target, file.empty() ? doc.path : doc.path.parent_path() / file, anchor });
    }
    return links;
}

// Words of a document's code that name a path: letters, digits and "_.-/",
// with a "/" in them, not starting at the root or with an option's "-".
// Commands are split at blanks, quotes and "=" (-dict=fuzz/...).
std::set<std::string> Paths(const Document& doc) {
    static const std::regex path(R"([A-Za-z0-9_.][A-Za-z0-9_./-]*/[A-Za-z0-9_./-]*)");
    static const std::regex separators(R"([\s"'=]+)");
    std::set<std::string> paths;
    for (auto it = std::sregex_token_iterator(doc.code.begin(), doc.code.end(), separators, -1);
         it != std::sregex_token_iterator(); ++it) {
        const std::string word = *it;
        if (std::regex_match(word, path))
            paths.insert(word);
    }
    return paths;
}

std::set<std::string> Declared(const fs::path& folder, const std::string& pattern) {
    std::set<std::string> names;
    const std::regex declaration(pattern);
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.path().filename() != "CMakeLists.txt")
            continue;
        const std::string text = ReadFile(entry.path());
        for (auto it = std::sregex_iterator(text.begin(), text.end(), declaration);
             it != std::sregex_iterator(); ++it)
            names.insert((*it)[1]);
    }
    return names;
}

std::set<std::string> DeclaredBenchmarks() {
    return Declared(kSource / "bench", R"(morvane_benchmark\(\s*(\w+))");
}

// Folders of the source tree that a path may start with; build trees, which
// may lie inside it, are not among them.
std::set<std::string> SourceFolders() {
    std::set<std::string> folders;
    for (const auto& entry : fs::directory_iterator(kSource)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_directory() && name != ".git" && name.rfind("build", 0) != 0)
            folders.insert(name);
    }
    return folders;
}

TEST(Documents, RelativeLinksReachFilesAndTheirHeadings) {
    const std::vector<Document> documents = Documents();
    ASSERT_GE(documents.size(), 7u) << "README.md, CONTRIBUTING.md and the five files of docs/";
    std::map<fs::path, std::set<std::string>> anchors;
    for (const Document& doc : documents)
        anchors[fs::weakly_canonical(doc.path)] = doc.anchors;

    int links = 0;
    int withAnchor = 0;
    for (const Document& doc : documents) {
        for (const Link& link : Links(doc)) {
            ++links;
            const fs::path file = fs::weakly_canonical(link.file);
            EXPECT_TRUE(fs::path(link.target).is_relative()) << Name(doc.path) << ": " << link.target;
            ASSERT_TRUE(fs::exists(file))
                << Name(doc.path) << " links to " << link.target << ", which is no file";
            if (link.anchor.empty())
                continue;
            ++withAnchor;
            const auto target = anchors.find(file);
            ASSERT_NE(target, anchors.end()) << Name(doc.path) << " links to " << link.target
                                             << ": a heading of a file that is no document";
            EXPECT_EQ(target->second.count(link.anchor), 1u)
                << Name(doc.path) << " links to " << link.target << ", but " << Name(file)
                << " has no heading #" << link.anchor;
        }
    }
    EXPECT_GE(links, 40) << "the documents link each other";
    EXPECT_GE(withAnchor, 20);
}

TEST(Documents, ReadmeLinksEveryDocument) {
    const std::vector<Document> documents = Documents();
    std::set<fs::path> linked;
    for (const Link& link : Links(documents.front()))
        linked.insert(fs::weakly_canonical(link.file));
    for (const Document& doc : documents) {
        if (doc.path.filename() != "README.md") {
            EXPECT_EQ(linked.count(fs::weakly_canonical(doc.path)), 1u)
                << "README.md does not link " << Name(doc.path);
        }
    }
}

TEST(Documents, PathsTheyNameExist) {
    const std::set<std::string> folders = SourceFolders();
    const std::set<std::string> benchmarks = DeclaredBenchmarks();
    int checked = 0;
    int inReadme = 0;
    for (const Document& doc : Documents()) {
        const bool readme = doc.path.filename() == "README.md";
        for (const std::string& word : Paths(doc)) {
            const fs::path path(word);
            const std::string first = path.begin()->string();
            const fs::path rest = path.lexically_relative(first);
            if (first == "build") {
                const fs::path inBuild = rest.lexically_normal();
                const std::string second = inBuild.empty() ? std::string() : inBuild.begin()->string();
                const std::string name = inBuild.lexically_relative(second).begin()->string();
                if (second == "bench") {
                    // The benchmarks' folder itself, or one benchmark.
                    EXPECT_EQ(name == "." ? !benchmarks.empty() : benchmarks.count(name), 1u)
                        << Name(doc.path) << " names " << word << ", but bench/ declares no benchmark "
                        << name;
                } else {
                    EXPECT_TRUE(fs::exists(kBuild / inBuild))
                        << Name(doc.path) << " names " << word << ", which the build does not make";
                }
            } else if (folders.count(first)) {
                EXPECT_TRUE(fs::exists(kSource / path))
                    << Name(doc.path) << " names " << word << ", which is no file";
            } else if (readme) {
                EXPECT_TRUE(fs::exists(kProgramDir / path))
                    << "README.md names " << word << ", which is not in the program folder";
            } else {
                continue;
            }
            ++checked;
            inReadme += readme;
        }
    }
    EXPECT_GE(inReadme, 8) << "the scripts, the first run's files and the set-up file";
    EXPECT_GE(checked, 100);
}

TEST(Documents, TestsBenchmarksAndFuzzTargetsMatchTheBuild) {
    std::set<std::string> tests = Declared(kSource / "tests", R"(morvane_test\(\s*(\w+))");
    for (const std::string& test : Declared(kSource / "tests", R"(add_test\(\s*NAME\s+(\w+))"))
        tests.insert(test);
    const std::set<std::string> benchmarks = DeclaredBenchmarks();
    const std::set<std::string> fuzzTargets = Declared(kSource / "fuzz", R"(morvane_fuzz_target\(\s*(\w+))");
    ASSERT_GE(tests.size(), 40u);
    ASSERT_GE(benchmarks.size(), 10u);
    ASSERT_GE(fuzzTargets.size(), 10u);

    const std::vector<Document> documents = Documents();
    // A call such as morvane_test(...) is the declaring function, not a name.
    static const std::regex named(R"(\b(\w+_(test|bench))\b(?!\())");
    for (const Document& doc : documents) {
        for (auto it = std::sregex_iterator(doc.code.begin(), doc.code.end(), named);
             it != std::sregex_iterator(); ++it) {
            const std::string name = (*it)[1];
            const bool isTest = (*it)[2] == "test";
            EXPECT_EQ((isTest ? tests : benchmarks).count(name), 1u)
                << Name(doc.path) << " names " << name << ", which is no " << (isTest ? "test" : "benchmark")
                << " of the build";
        }
    }

    // Every benchmark has a section of its own in the performance document.
    const auto performance = std::find_if(documents.begin(), documents.end(),
        [](const Document& doc) { return doc.path.filename() == "performance.md"; });
    ASSERT_NE(performance, documents.end());
    for (const std::string& benchmark : benchmarks)
        EXPECT_TRUE(std::any_of(performance->anchors.begin(), performance->anchors.end(),
            [&](const std::string& anchor) { return anchor.find(benchmark) != std::string::npos; }))
            << "docs/performance.md has no section on " << benchmark;

    // Every fuzz target has its row in the contributors' table.
    const std::string contributing = ReadFile(kSource / "CONTRIBUTING.md");
    for (const std::string& target : fuzzTargets)
        EXPECT_NE(contributing.find("| `" + target + "` |"), std::string::npos)
            << "CONTRIBUTING.md lists no fuzz target " << target;
}

// The commands that the robot programs' guide and the manual (both parts)
// give to build a program, run as they are written, one after the other, by
// a student in a home folder of their own outside the tree: only the path
// that the student sets MORVANE to is this build's program folder. After
// each compiler's command the folder holds a robot program.
std::vector<std::string> GuideCommands(const Document& guide) {
    // The code of the section on building, up to the next section.
    const std::string text = ReadFile(guide.path);
    const size_t from = text.find("## Building a robot program");
    const size_t to = text.find("\n## ", from + 1);
    std::vector<std::string> commands;
    bool afterBlank = true;
    bool inBlock = false;
    for (const std::string& line : Lines(text.substr(from, to - from))) {
        const bool indented = line.rfind("    ", 0) == 0;
        inBlock = indented && (afterBlank || inBlock);
        afterBlank = line.find_first_not_of(" \t") == std::string::npos;
        if (inBlock)
            commands.push_back(line.substr(4));
    }
    return commands;
}

std::vector<std::string> ManualCommands(const std::string& language) {
    const std::string manual = ReadFile(kSource / "assets/XML/Manual.html");
    const size_t from = manual.find("id=\"" + language + "-program\"");
    const size_t to = manual.find("<h2", from + 1);
    const std::string section = manual.substr(from, to - from);
    static const std::regex block(R"(<pre>([\s\S]*?)</pre>)");
    std::vector<std::string> commands;
    for (auto it = std::sregex_iterator(section.begin(), section.end(), block); it != std::sregex_iterator();
         ++it) {
        std::string code = (*it)[1];
        for (const auto& [entity, character] :
            { std::pair { "&amp;", "&" }, { "&lt;", "<" }, { "&gt;", ">" }, { "&quot;", "\"" } }) {
            for (size_t at = code.find(entity); at != std::string::npos; at = code.find(entity, at + 1))
                code.replace(at, std::strlen(entity), character);
        }
        for (const std::string& line : Lines(code))
            commands.push_back(line);
    }
    return commands;
}

TEST(Documents, TheBuildCommandsOfTheGuideAndTheManualWorkInAStudentsOwnFolder) {
    const std::pair<std::string, std::vector<std::string>> sources[] = {
        { "docs/robot-programs.md", GuideCommands(Read(kSource / "docs/robot-programs.md")) },
        { "the manual's Chinese part", ManualCommands("zh") },
        { "the manual's English part", ManualCommands("en") },
    };
    for (const auto& [source, commands] : sources) {
        SCOPED_TRACE(source);
        const auto setting = std::find_if(commands.begin(), commands.end(),
            [](const std::string& line) { return line.rfind("export MORVANE=", 0) == 0; });
        ASSERT_NE(setting, commands.end()) << source << " sets no MORVANE";
        int built = 0;
        std::string script = "set -e\nexport MORVANE=" + kProgramDir.string() + "\n";
        for (auto line = std::next(setting); line != commands.end(); ++line) {
            const bool compiles = line->rfind("gcc ", 0) == 0 || line->rfind("g++ ", 0) == 0;
            // Warnings fail the build here: the example must build cleanly.
            script += *line + (compiles ? " -Wextra -Werror" : "") + "\n";
            if (!compiles)
                continue;
            ++built;
            // A home of its own for each run, far from the source tree and
            // the build.
            char home[] = "/tmp/morvane-student-XXXXXX";
            ASSERT_NE(mkdtemp(home), nullptr);
            const std::string run
                = "cd " + std::string(home) + " && HOME=" + home + " bash -c '" + script + "' 2>&1";
            EXPECT_EQ(std::system(run.c_str()), 0) << run;
            const fs::path library = fs::path(home) / "my_robot/my_robot.so";
            void* program = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
            EXPECT_NE(program, nullptr) << *line << ": " << dlerror();
            if (program) {
                for (const char* function : { "Run", "SetData", "GetData", "IsPause", "Start" })
                    EXPECT_NE(dlsym(program, function), nullptr) << function;
                dlclose(program);
            }
            fs::remove_all(home);
        }
        EXPECT_EQ(built, 2) << source << " builds as C and as C++";
    }
}

} // namespace
