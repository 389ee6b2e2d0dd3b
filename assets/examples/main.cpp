// Makes the studios' examples: for every example the set-up file lists, its
// robot files (through the robot builder's writer) and its playground
// (through the playground's writer, with a ground picture drawn by code),
// in the example's folder under the program folder, under the names its
// entry gives. The examples' programs are built from sdk/examples by CMake.
//
//   morvane_examplegen <program folder>
//
// An entry without an example of its folder name here, an example here that
// no entry lists, or an entry whose robots do not match the example's, fails
// the build: the set-up file and the examples must not drift apart.

#include "Examples.h"

#include "foundation/CConfig.h"
#include "platform/ProgramDir.h"

#include <QCoreApplication>
#include <QDir>

#include <osg/Notify>
#include <tinyxml.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

namespace {

std::string Attribute(const TiXmlElement* element, const char* name) {
    const char* value = element->Attribute(name);
    return value ? value : "";
}

bool StartsWithNumber(const std::string& name, const std::string& prefix) {
    return name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0
        && name.find_first_not_of("0123456789", prefix.size()) == std::string::npos;
}

class Generator {
public:
    Generator(const std::filesystem::path& programDir, const CConfig& config)
        : m_programDir(programDir)
        , m_config(config)
        , m_parts(PartContext::FromConfig(config)) { }

    bool WriteStudio(const TiXmlElement* studio, const TiXmlElement* view) {
        const std::filesystem::path folder
            = m_programDir / "XML" / Attribute(studio, "file") / Attribute(studio, "example");
        const TiXmlElement* examples = view ? view->FirstChildElement("example") : nullptr;
        bool ok = true;
        for (const TiXmlElement* entry = examples ? examples->FirstChildElement() : nullptr; entry;
             entry = entry->NextSiblingElement()) {
            if (StartsWithNumber(entry->Value(), "example"))
                ok = WriteExample(folder, entry) && ok;
        }
        return ok;
    }

    // Examples of the catalogue that no entry listed.
    bool AllUsed() const {
        bool ok = true;
        for (const auto& [name, build] : examplegen::ExampleCatalogue()) {
            if (!m_used.count(name)) {
                std::fprintf(stderr, "examplegen: no set-up entry lists the example %s\n", name.c_str());
                ok = false;
            }
        }
        return ok;
    }

private:
    bool WriteExample(const std::filesystem::path& studioFolder, const TiXmlElement* entry) {
        const std::string name = Attribute(entry, "file");
        const auto found = examplegen::ExampleCatalogue().find(name);
        if (found == examplegen::ExampleCatalogue().end()) {
            std::fprintf(stderr, "examplegen: %s names the example \"%s\", which there is not\n",
                entry->Value(), name.c_str());
            return false;
        }
        m_used.insert(name);
        examplegen::ExampleContent content;
        const examplegen::RobotFactory newRobot
            = [this] { return std::make_unique<ExampleRobot>(m_config, m_parts); };
        if (!found->second(newRobot, content)) {
            std::fprintf(stderr, "examplegen: %s: a part of it could not be made\n", name.c_str());
            return false;
        }
        const std::filesystem::path folder = studioFolder / name;
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        std::size_t robot = 0;
        for (const TiXmlElement* rob = entry->FirstChildElement("rob"); rob;
             rob = rob->NextSiblingElement("rob")) {
            if (robot == content.robots.size()) {
                std::fprintf(stderr, "examplegen: %s lists more robots than it has\n", name.c_str());
                return false;
            }
            const std::string path = (folder / Attribute(rob, "rob")).string();
            if (!content.robots[robot++]->Save(path)) {
                std::fprintf(stderr, "examplegen: cannot write %s\n", path.c_str());
                return false;
            }
        }
        if (robot != content.robots.size()) {
            std::fprintf(stderr, "examplegen: %s lists fewer robots than it has\n", name.c_str());
            return false;
        }
        std::string reason;
        const std::string playground = (folder / Attribute(entry, "pla")).string();
        if (!content.playground.Save(playground, reason)) {
            std::fprintf(stderr, "examplegen: cannot write %s: %s\n", playground.c_str(), reason.c_str());
            return false;
        }
        return true;
    }

    std::filesystem::path m_programDir;
    const CConfig& m_config;
    PartContextPtr m_parts;
    std::set<std::string> m_used;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: %s <program folder>\n", argv[0]);
        return 2;
    }
    QCoreApplication app(argc, argv);
    osg::setNotifyLevel(osg::WARN);
    const std::filesystem::path programDir = std::filesystem::absolute(argv[1]);
    // The models and the set-up file are the program folder's.
    platform::OverrideProgramDir(programDir);
    const CConfig config(QString::fromStdString(programDir.string()));

    const TiXmlElement* data = config.m_docSetUp.FirstChildElement("data");
    const TiXmlElement* program = data ? data->FirstChildElement("program") : nullptr;
    const TiXmlElement* view = data ? data->FirstChildElement("view") : nullptr;
    if (!program || !view) {
        std::fprintf(stderr, "examplegen: the set-up file in %s has no studios\n", argv[1]);
        return 1;
    }
    Generator generator(programDir, config);
    bool ok = true;
    for (const TiXmlElement* studio = program->FirstChildElement(); studio;
         studio = studio->NextSiblingElement()) {
        if (StartsWithNumber(studio->Value(), "studio"))
            ok = generator.WriteStudio(studio, view->FirstChildElement(studio->Value())) && ok;
    }
    return ok && generator.AllUsed() ? 0 : 1;
}
