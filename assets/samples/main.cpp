// Writes the robot and playground files of a first run into a program
// folder, whose model library they are made from:
//
//     morvane_samplegen <program folder>
//
// robot/rover.rob and playground/first_run.pla (see SampleFiles.h).

#include "foundation/CConfig.h"
#include "platform/ProgramDir.h"
#include "samples/SampleFiles.h"

#include <QCoreApplication>
#include <QString>

#include <cstdio>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: morvane_samplegen <program folder>\n");
        return 2;
    }
    QCoreApplication app(argc, argv);
    const std::filesystem::path folder = std::filesystem::absolute(argv[1]);
    platform::OverrideProgramDir(folder);
    const CConfig config(QString::fromStdString(folder.string()));
    std::string error;
    if (!samples::WriteRover(config, folder / "robot/rover.rob", error)
        || !samples::WriteFirstRun(folder / "playground/first_run.pla", 10, true, 1, error)) {
        std::fprintf(stderr, "morvane_samplegen: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
