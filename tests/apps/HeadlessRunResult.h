#pragma once

// Runs the test tree's headless simulation program (morvane_headless_run)
// and reads what it prints.

#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace emutest {

struct RobotOutcome {
    int score = 0;
    // The highest score the robot had at the end of any frame.
    int peak = 0;
    int steps = 0;
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    std::string output;
};

struct RunOutcome {
    bool finished = false;
    int load = -2;
    int frames = -1;
    std::string stop;
    std::vector<RobotOutcome> robots;
    int drawn = -1;
    std::string errors;
    // The program's exit code; -1 when it did not end by itself.
    int exitCode = -1;
};

// Runs the program in workingFolder (empty: this process's current folder).
inline RunOutcome RunHeadless(const QStringList& arguments, const QString& workingFolder = QString()) {
    RunOutcome outcome;
    QProcess process;
    if (!workingFolder.isEmpty())
        process.setWorkingDirectory(workingFolder);
    process.start(QString::fromUtf8(MORVANE_TEST_DIR "/morvane_headless_run"), arguments);
    const bool ended = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit;
    if (ended)
        outcome.exitCode = process.exitCode();
    if (!ended || process.exitCode() != 0) {
        process.kill();
        outcome.errors = process.readAllStandardError().toStdString();
        return outcome;
    }
    outcome.finished = true;
    outcome.errors = process.readAllStandardError().toStdString();
    std::istringstream lines(process.readAllStandardOutput().toStdString());
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream in(line);
        std::string key;
        in >> key;
        if (key == "load") {
            in >> outcome.load;
        } else if (key == "frames") {
            in >> outcome.frames;
        } else if (key == "stop") {
            in >> outcome.stop;
        } else if (key == "drawn") {
            in >> outcome.drawn;
        } else if (key == "robot") {
            RobotOutcome robot;
            int index = 0;
            std::string word;
            in >> index >> word >> robot.score >> word >> robot.peak >> word >> robot.steps >> word >> robot.x
                >> robot.y >> robot.z >> word;
            std::getline(in, robot.output);
            if (!robot.output.empty() && robot.output.front() == ' ')
                robot.output.erase(0, 1);
            outcome.robots.push_back(robot);
        }
    }
    return outcome;
}

} // namespace emutest
