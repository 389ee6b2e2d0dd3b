#include "simulation/CRobotProgram.h"

#include "platform/ProgramDir.h"
#include "support/FdCapture.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <set>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string TestProgram(const char* name) {
    return std::string(MORVANE_TEST_PROGRAM_DIR) + "/" + name + ".so";
}

const std::string kScripted = TestProgram("scripted");

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// Temp/ of the tests' program folder collects the copies; each test removes
// its own.
void RemoveCopies(CRobotProgram& program) {
    for (const std::string& name : program.GetTempDllNames())
        fs::remove(platform::InProgramDir(name));
}

// A control unit's program, loaded and cleaned up with the test.
struct LoadedProgram {
    CRobotProgram program;
    ~LoadedProgram() {
        program.UnloadProgram();
        RemoveCopies(program);
    }
};

std::string Exchange(CRobotProgram& program, const std::string& input, std::string output = "") {
    program.Exchange(input, output);
    return output;
}

// Runs each case on a thread of its own, so that cases that wait for a time
// limit wait together.
void RunInParallel(const std::vector<std::function<void()>>& cases) {
    std::vector<std::thread> threads;
    for (const auto& c : cases)
        threads.emplace_back(c);
    for (auto& t : threads)
        t.join();
}

int OpenDescriptorCount() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

} // namespace

TEST(RobotProgram, ExchangesTextsInTheOrderOfTheContract) {
    LoadedProgram p;
    ASSERT_TRUE(p.program.LoadProgram(kScripted, 0));
    EXPECT_TRUE(p.program.IsLoaded());
    EXPECT_EQ(p.program.GetProgramPath(), kScripted);

    // SetData, Start, IsPause until the program has answered, then GetData
    // into a zeroed buffer; Run started only after the first Start, on a
    // thread of its own.
    EXPECT_TRUE(
        std::regex_match(Exchange(p.program, "0 calls"), std::regex("STP+G zeroed=1 gated=1 own-thread=1")));
    EXPECT_EQ(Exchange(p.program, "1 echo 3*4*200* "), "echo:1 echo 3*4*200* ");
    EXPECT_EQ(Exchange(p.program, "2 echo"), "echo:2 echo");
    // The buffer is all zero in every step, whatever the last one left in it.
    EXPECT_EQ(Exchange(p.program, "3 overflow 4000"), std::string(4000, 'x'));
    EXPECT_TRUE(
        std::regex_match(Exchange(p.program, "4 calls"), std::regex("STP+G zeroed=1 gated=1 own-thread=1")));
    EXPECT_TRUE(p.program.IsLoaded());
}

TEST(RobotProgram, ProgramMakesNoProgressBetweenExchanges) {
    // Run turns its loop about once a millisecond whenever it may run. Between
    // two exchanges it must stand still, however long the simulator takes: a
    // program that ran on would be ahead of the physics it steers.
    LoadedProgram p;
    ASSERT_TRUE(p.program.LoadProgram(kScripted, 0));
    unsigned long lastTotal = 0;
    for (int step = 0; step < 4; ++step) {
        SCOPED_TRACE(step);
        unsigned long paused = 0;
        unsigned long total = 0;
        const std::string output = Exchange(p.program, std::to_string(step) + " turns");
        ASSERT_EQ(std::sscanf(output.c_str(), "paused=%lu total=%lu", &paused, &total), 2) << output;
        // Inside the exchange Run does turn; the few turns around the stop
        // and the restart are all it may take outside it.
        EXPECT_GT(total, lastTotal);
        if (step > 0) {
            EXPECT_LT(paused, 20u) << "turns while the simulator spent 200 ms between exchanges";
        }
        lastTotal = total;
        // The time between two steps, not a wait for anything.
        if (step < 3)
            std::this_thread::sleep_for(200ms);
    }
}

// The programs of several robots work on one step together: each gets its
// own input and gives its own output; one that has answered is stopped at
// once, however long the others take; failures are told in the robots'
// order, whichever came first, and leave each robot its last output.
TEST(RobotProgram, ProgramsOfSeveralRobotsWorkOnAStepTogether) {
    LoadedProgram slow, quick, hung, crashing, echo;
    CRobotProgram* programs[]
        = { &slow.program, &quick.program, &hung.program, &crashing.program, &echo.program };
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(programs[i]->LoadProgram(kScripted, i));
    hung.program.SetExchangeTimeLimit(300ms);
    ASSERT_EQ(Exchange(quick.program, "0 turns").rfind("paused=", 0), 0u);

    FdCapture error(STDERR_FILENO);
    const std::string inputs[] = { "1 zeros 150", "1 turns", "1 hang-get", "1 crash", "1 echo" };
    std::string outputs[5];
    for (int i = 0; i < 5; ++i) {
        programs[i]->BeginExchange(inputs[i]);
        outputs[i] = "old";
    }
    CRobotProgram::AwaitExchanges(programs);
    for (int i = 0; i < 5; ++i)
        programs[i]->FinishExchange(outputs[i]);
    EXPECT_EQ(outputs[0], "polls=151");
    EXPECT_EQ(outputs[1].rfind("paused=", 0), 0u) << outputs[1];
    EXPECT_EQ(outputs[2], "old");
    EXPECT_EQ(outputs[3], "old");
    EXPECT_EQ(outputs[4], "echo:1 echo");
    EXPECT_TRUE(slow.program.IsLoaded());
    EXPECT_FALSE(hung.program.IsLoaded());
    EXPECT_FALSE(crashing.program.IsLoaded());

    // The quick program answered at once and stood still while the slow one
    // polled 150 times and the hung one ran out of time.
    unsigned long paused = 0;
    unsigned long total = 0;
    const std::string next = Exchange(quick.program, "2 turns");
    ASSERT_EQ(std::sscanf(next.c_str(), "paused=%lu total=%lu", &paused, &total), 2) << next;
    EXPECT_LT(paused, 20u);

    const std::string text = error.Text();
    const std::string hungLine
        = "Robot 3: program \"" + kScripted + "\" dropped: it did not return from GetData within 300 ms\n";
    const std::string crashLine
        = "Robot 4: program \"" + kScripted + "\" dropped: it crashed in Run (Segmentation fault)\n";
    EXPECT_EQ(text, hungLine + crashLine);
}

TEST(RobotProgram, UnloadedProgramLeavesTheOutputAlone) {
    CRobotProgram program;
    EXPECT_FALSE(program.IsLoaded());
    EXPECT_EQ(Exchange(program, "0 echo", "old"), "old");
    EXPECT_TRUE(program.UnloadProgram());
    EXPECT_TRUE(program.GetProgramPath().empty());
}

TEST(RobotProgram, AnInputTooLongForTheHostSkipsTheStep) {
    LoadedProgram p;
    ASSERT_TRUE(p.program.LoadProgram(kScripted, 0));
    FdCapture error(STDERR_FILENO);
    EXPECT_EQ(Exchange(p.program, "0 echo " + std::string(2 << 20, '1'), "kept"), "kept");
    EXPECT_NE(error.Text().find("Robot 1: program \"" + kScripted + "\" skipped a step: its input text of"),
        std::string::npos);
    EXPECT_TRUE(p.program.IsLoaded());
    EXPECT_EQ(Exchange(p.program, "1 echo"), "echo:1 echo");
}

TEST(RobotProgram, PollsIsPauseUpTo200ZeroResults) {
    // Cases by the number of zero results in a step: the output is always
    // taken; more than 200 drop the program; IsPause is asked at most 202
    // times.
    struct Case {
        std::string command;
        std::string output;
        bool keptLoaded;
    };
    const std::vector<Case> cases = {
        { "zeros 0", "polls=1", true }, // no sleep at all
        { "zeros 200", "polls=201", true }, // the most a program may take
        { "zeros 201", "polls=202", false },
        { "never", "polls=202", false },
    };
    std::vector<std::function<void()>> runs;
    for (const Case& c : cases) {
        runs.push_back([c] {
            LoadedProgram p;
            ASSERT_TRUE(p.program.LoadProgram(kScripted, 0));
            EXPECT_EQ(Exchange(p.program, "0 " + c.command), c.output) << c.command;
            EXPECT_EQ(p.program.IsLoaded(), c.keptLoaded) << c.command;
            // After a drop the robot keeps its last output.
            const std::string next = c.keptLoaded ? "echo:1 echo" : c.output;
            EXPECT_EQ(Exchange(p.program, "1 echo", c.output), next) << c.command;
        });
    }
    RunInParallel(runs);
}

TEST(RobotProgram, ProgramsThatMisbehaveAreDroppedWithOneLine) {
    using Drop = CRobotProgram::Drop;
    struct Case {
        std::string command;
        std::string line;
        Drop drop;
    };
    const std::vector<Case> cases = {
        { "crash", "dropped: it crashed in Run (Segmentation fault)", Drop::Crashed },
        { "exit 7", "dropped: it ended its process (exit code 7)", Drop::EndedItself },
        { "hang-set", "dropped: it did not return from SetData within 300 ms", Drop::Hung },
        { "hang-get", "dropped: it did not return from GetData within 300 ms", Drop::Hung },
        { "overflow 8000", "dropped: it wrote past the end of its 4096-byte output buffer in GetData",
            Drop::Overflow },
        { "close", "dropped: it closed its connection to the simulator", Drop::Other },
    };
    FdCapture error(STDERR_FILENO);
    std::vector<std::function<void()>> runs;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        runs.push_back([&cases, i] {
            LoadedProgram p;
            ASSERT_TRUE(p.program.LoadProgram(kScripted, static_cast<int>(i)));
            EXPECT_EQ(Exchange(p.program, "0 echo"), "echo:0 echo");
            // Only a hang waits for the limit; a program that ends or crashes
            // is told by its process, which under the sanitizers may take
            // longer than the hang cases' short limit to finish dying.
            p.program.SetExchangeTimeLimit(cases[i].drop == Drop::Hung ? 300ms : 10s);
            // The failed step changes nothing: the robot keeps its last output.
            EXPECT_EQ(Exchange(p.program, "1 " + cases[i].command, "echo:0 echo"), "echo:0 echo");
            EXPECT_FALSE(p.program.IsLoaded()) << cases[i].command;
            // The window is told why, once.
            EXPECT_EQ(p.program.TakeDrop(), cases[i].drop) << cases[i].command;
            EXPECT_EQ(p.program.TakeDrop(), Drop::None) << cases[i].command;
            EXPECT_EQ(Exchange(p.program, "2 echo", "echo:0 echo"), "echo:0 echo");
        });
    }
    RunInParallel(runs);

    const std::string text = error.Text();
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const std::string line
            = "Robot " + std::to_string(i + 1) + ": program \"" + kScripted + "\" " + cases[i].line + "\n";
        EXPECT_NE(text.find(line), std::string::npos) << "missing: " << line << "in:\n" << text;
    }
    // One line per program, nothing else.
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), static_cast<long>(cases.size())) << text;
}

// A program whose host is killed between two steps fails to start its next
// step: it is dropped then, once, under the file the student chose (the
// run reloaded it from its private copy), not told again in every frame.
TEST(RobotProgram, AProgramKilledBetweenStepsIsDroppedOnceUnderTheFileChosen) {
    LoadedProgram p;
    ASSERT_TRUE(p.program.LoadProgram(kScripted, 0));
    ASSERT_TRUE(p.program.LoadProgram(p.program.GetLastCopy(), 0));
    EXPECT_EQ(p.program.GetChosenPath(), kScripted);
    const std::string answer = Exchange(p.program, "0 pid");
    ASSERT_EQ(answer.rfind("pid=", 0), 0u) << answer;
    const pid_t host = std::stoi(answer.substr(4));
    ASSERT_EQ(kill(host, SIGKILL), 0);
    // Dead (a zombie until the runner reaps it): its channel is closed.
    const auto dead = [host] {
        std::string stat = ReadFile("/proc/" + std::to_string(host) + "/stat");
        return stat.substr(stat.rfind(')') + 2, 1) == "Z";
    };
    for (int i = 0; i < 5000 && !dead(); ++i)
        std::this_thread::sleep_for(1ms);
    ASSERT_TRUE(dead());

    FdCapture error(STDERR_FILENO);
    for (int step = 1; step <= 3; ++step)
        EXPECT_EQ(Exchange(p.program, std::to_string(step) + " echo", "kept"), "kept");
    EXPECT_FALSE(p.program.IsLoaded());
    EXPECT_EQ(p.program.TakeDrop(), CRobotProgram::Drop::Killed);
    EXPECT_EQ(
        error.Text(), "Robot 1: program \"" + kScripted + "\" dropped: it was ended by signal 9 (Killed)\n");
}

TEST(RobotProgram, OutputIsCutToTheBufferWithoutItsTerminator) {
    LoadedProgram p;
    ASSERT_TRUE(p.program.LoadProgram(kScripted, 0));
    // A program that fills the whole buffer leaves no room for the final
    // zero: 4095 characters are taken and the program stays.
    EXPECT_EQ(Exchange(p.program, "0 overflow 4096"), std::string(4095, 'x'));
    EXPECT_TRUE(p.program.IsLoaded());
}

TEST(RobotProgram, LoadFailsForIncompletePrograms) {
    FdCapture error(STDERR_FILENO);
    {
        LoadedProgram p;
        EXPECT_FALSE(p.program.LoadProgram(TestProgram("no_start"), 0));
        EXPECT_FALSE(p.program.IsLoaded());
        EXPECT_EQ(Exchange(p.program, "0 ", "old"), "old");
    }
    {
        // The names are looked up in the order Run, SetData, GetData, IsPause,
        // Start; the first missing one is reported.
        LoadedProgram p;
        EXPECT_FALSE(p.program.LoadProgram(TestProgram("three_exports"), 1));
    }
    const std::string text = error.Text();
    EXPECT_NE(text.find("Robot 1: program \"" + TestProgram("no_start")
                  + "\" not loaded: it does not export \"Start\"\n"),
        std::string::npos)
        << text;
    EXPECT_NE(text.find("Robot 2: program \"" + TestProgram("three_exports")
                  + "\" not loaded: it does not export \"IsPause\"\n"),
        std::string::npos)
        << text;
}

TEST(RobotProgram, LoadFailsForFilesThatAreNoProgram) {
    const fs::path text
        = fs::path(MORVANE_TEST_PROGRAM_DIR) / ("not_a_program_" + std::to_string(getpid()) + ".so");
    std::ofstream(text) << "int main() { return 0; }\n";
    const std::string missing = std::string(MORVANE_TEST_PROGRAM_DIR) + "/missing.so";

    FdCapture error(STDERR_FILENO);
    {
        LoadedProgram p;
        EXPECT_FALSE(p.program.LoadProgram(text.string(), 0));
        EXPECT_FALSE(p.program.LoadProgram(missing, 0));
        EXPECT_FALSE(p.program.LoadProgram(MORVANE_TEST_PROGRAM_DIR, 0));
        EXPECT_FALSE(p.program.LoadProgram(kScripted, -1));
    }
    const std::string lines = error.Text();
    EXPECT_NE(
        lines.find("Robot 1: program \"" + text.string() + "\" not loaded: not a loadable program library ("),
        std::string::npos)
        << lines;
    EXPECT_NE(lines.find("Robot 1: program \"" + missing
                  + "\" not loaded: cannot read the file (No such file or directory)\n"),
        std::string::npos)
        << lines;
    EXPECT_NE(lines.find("not loaded: cannot read the file (Is a directory)\n"), std::string::npos) << lines;
    EXPECT_NE(
        lines.find("Robot 0: program \"" + kScripted + "\" not loaded: the robot number -1 is not valid\n"),
        std::string::npos)
        << lines;
    fs::remove(text);
}

// A program tried before it is taken: the kind of fault it has, with the
// first function it lacks; no robot's program changes, and the copy it was
// tried from goes.
TEST(RobotProgram, ACheckTellsWhatIsWrongWithAProgramAndLeavesNoCopy) {
    const fs::path text
        = fs::path(MORVANE_TEST_PROGRAM_DIR) / ("checked_text_" + std::to_string(getpid()) + ".so");
    std::ofstream(text) << "int main() { return 0; }\n";
    const auto checkCopies = [] {
        int count = 0;
        for (const auto& entry : fs::directory_iterator(platform::InProgramDir("Temp")))
            count += entry.path().filename().string().rfind("check", 0) == 0 ? 1 : 0;
        return count;
    };
    LoadedProgram p;
    ASSERT_TRUE(p.program.LoadProgram(kScripted, 0));
    EXPECT_EQ(Exchange(p.program, "0 count"), "count=1");

    using Fault = CRobotProgram::Fault;
    const CRobotProgram::CheckResult sound = CRobotProgram::CheckProgram(kScripted);
    EXPECT_EQ(sound.fault, Fault::None) << sound.reason;
    const CRobotProgram::CheckResult noStart = CRobotProgram::CheckProgram(TestProgram("no_start"));
    EXPECT_EQ(noStart.fault, Fault::MissingFunction);
    EXPECT_EQ(noStart.function, "Start");
    EXPECT_EQ(noStart.reason, "it does not export \"Start\"");
    const CRobotProgram::CheckResult three = CRobotProgram::CheckProgram(TestProgram("three_exports"));
    EXPECT_EQ(three.fault, Fault::MissingFunction);
    EXPECT_EQ(three.function, "IsPause");
    const CRobotProgram::CheckResult notALibrary = CRobotProgram::CheckProgram(text.string());
    EXPECT_EQ(notALibrary.fault, Fault::NotALibrary);
    EXPECT_EQ(notALibrary.reason.rfind("not a loadable program library (", 0), 0u) << notALibrary.reason;
    EXPECT_EQ(notALibrary.function, "");
    const CRobotProgram::CheckResult missing
        = CRobotProgram::CheckProgram(std::string(MORVANE_TEST_PROGRAM_DIR) + "/missing.so");
    EXPECT_EQ(missing.fault, Fault::Unreadable);
    EXPECT_EQ(missing.reason, "cannot read the file (No such file or directory)");
    EXPECT_EQ(missing.systemError, ENOENT);
    const CRobotProgram::CheckResult folder = CRobotProgram::CheckProgram(MORVANE_TEST_PROGRAM_DIR);
    EXPECT_EQ(folder.fault, Fault::Unreadable);
    EXPECT_EQ(folder.systemError, EISDIR);
    EXPECT_EQ(checkCopies(), 0);

    // The robot's own program ran on through every check.
    EXPECT_TRUE(p.program.IsLoaded());
    EXPECT_EQ(Exchange(p.program, "1 count"), "count=2");
    fs::remove(text);
}

TEST(RobotProgram, AnUnreadableProgramLeavesNoEarlierOneToRun) {
    LoadedProgram p;
    ASSERT_TRUE(p.program.LoadProgram(kScripted, 0));
    const std::string copy = p.program.GetTempDllNames()[0];

    FdCapture error(STDERR_FILENO);
    EXPECT_FALSE(p.program.LoadProgram(std::string(MORVANE_TEST_PROGRAM_DIR) + "/missing.so", 0));
    EXPECT_FALSE(p.program.IsLoaded());
    // Nor does the start of the next run, which reloads the robot from its
    // copy, bring the earlier program back.
    EXPECT_FALSE(p.program.LoadProgram(copy, 0));
    EXPECT_FALSE(p.program.IsLoaded());
    EXPECT_NE(error.Text().find("not a loadable program library"), std::string::npos);
}

TEST(RobotProgram, EachRobotAndEachLoadHasItsOwnStaticData) {
    LoadedProgram first;
    LoadedProgram second;
    ASSERT_TRUE(first.program.LoadProgram(kScripted, 0));
    ASSERT_TRUE(second.program.LoadProgram(kScripted, 1));
    EXPECT_EQ(Exchange(first.program, "0 count"), "count=1");
    EXPECT_EQ(Exchange(first.program, "1 count"), "count=2");
    EXPECT_EQ(Exchange(second.program, "0 count"), "count=1");
    EXPECT_EQ(Exchange(first.program, "2 count"), "count=3");
    EXPECT_NE(Exchange(first.program, "3 pid"), Exchange(second.program, "1 pid"));
    EXPECT_NE(first.program.GetTempDllNames().back(), second.program.GetTempDllNames().back());

    // The start of a run reloads each robot from its own copy: a fresh start.
    const std::string copy = first.program.GetTempDllNames()[0];
    ASSERT_TRUE(first.program.LoadProgram(copy, 0));
    EXPECT_EQ(first.program.GetProgramPath(), copy);
    EXPECT_EQ(Exchange(first.program, "0 count"), "count=1");
    EXPECT_EQ(Exchange(second.program, "1 count"), "count=2");
}

TEST(RobotProgram, PrivateCopiesHaveProcessWideUniqueNames) {
    LoadedProgram p;
    // A fresh control unit loading robot 3 draws four names and uses the
    // fourth.
    ASSERT_TRUE(p.program.LoadProgram(kScripted, 3));
    const auto& names = p.program.GetTempDllNames();
    ASSERT_EQ(names.size(), 4u);
    for (const std::string& name : names)
        EXPECT_TRUE(std::regex_match(name, std::regex("Temp/[A-Z]{1,26}\\.dll"))) << name;
    EXPECT_EQ(ReadFile(platform::InProgramDir(names[3])), ReadFile(kScripted));
    EXPECT_EQ(fs::file_size(platform::InProgramDir(names[0])), 0u);

    // Names never repeat across control units, though one-letter names come
    // up often.
    std::vector<std::unique_ptr<LoadedProgram>> units;
    std::set<std::string> seen(names.begin(), names.end());
    std::size_t drawn = names.size();
    for (int u = 0; u < 8; ++u) {
        units.push_back(std::make_unique<LoadedProgram>());
        for (int i = 0; i < 100; ++i)
            units.back()->program.NewTempDllName();
        const auto& more = units.back()->program.GetTempDllNames();
        seen.insert(more.begin(), more.end());
        drawn += more.size();
    }
    EXPECT_EQ(seen.size(), drawn);
}

TEST(RobotProgram, WhatAProgramPrintsReachesStandardOutput) {
    FdCapture output(STDOUT_FILENO);
    {
        LoadedProgram p;
        ASSERT_TRUE(p.program.LoadProgram(kScripted, 0));
        Exchange(p.program, "0 print hello-from-robot");
        Exchange(p.program, "1 print second-step");
    }
    EXPECT_EQ(output.Text(), "hello-from-robot\nsecond-step\n");
}

TEST(RobotProgram, LeavesNoChildrenAndNoDescriptorsBehind) {
    const int before = OpenDescriptorCount();
    {
        FdCapture error(STDERR_FILENO);
        for (int i = 0; i < 10; ++i) {
            LoadedProgram p;
            ASSERT_TRUE(p.program.LoadProgram(kScripted, 0));
            Exchange(p.program, "0 echo");
            if (i % 2 == 1)
                Exchange(p.program, "1 crash");
            EXPECT_FALSE(p.program.LoadProgram(TestProgram("no_start"), 0));
        }
    }
    EXPECT_EQ(OpenDescriptorCount(), before);
    int status = 0;
    EXPECT_EQ(waitpid(-1, &status, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST(RobotProgram, AProgramLoadedByAThreadThatEndsRunsOn) {
    // The robot loader loads programs in its own thread, which ends when the
    // robots are built; the simulation then runs them from the GUI thread.
    LoadedProgram p;
    bool loaded = false;
    std::string first;
    std::thread loader([&] {
        loaded = p.program.LoadProgram(kScripted, 0);
        first = Exchange(p.program, "0 echo");
    });
    loader.join();
    ASSERT_TRUE(loaded);
    EXPECT_EQ(first, "echo:0 echo");
    // Linux would deliver the host's death signal as the loader thread ended;
    // give a dying host the time to be seen.
    std::this_thread::sleep_for(50ms);
    FdCapture error(STDERR_FILENO);
    EXPECT_EQ(Exchange(p.program, "1 echo", "unchanged"), "echo:1 echo");
    EXPECT_EQ(Exchange(p.program, "2 echo", "unchanged"), "echo:2 echo");
    EXPECT_TRUE(p.program.IsLoaded());
    EXPECT_EQ(error.Text(), "");
}

TEST(RobotProgram, HostDiesWithTheSimulator) {
    // A stand-in simulator loads a program, lets it run one step (the host is
    // stopped afterwards) and vanishes without unloading. Its orphans come to
    // this process, which can then see how the host ended.
    ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const pid_t simulator = fork();
    ASSERT_GE(simulator, 0);
    if (simulator == 0) {
        close(pipeFds[0]);
        auto program = std::make_unique<CRobotProgram>();
        std::string output;
        if (program->LoadProgram(kScripted, 0))
            program->Exchange("0 pid", output);
        const int pid = output.rfind("pid=", 0) == 0 ? std::stoi(output.substr(4)) : -1;
        if (write(pipeFds[1], &pid, sizeof pid) != sizeof pid)
            _exit(2);
        RemoveCopies(*program);
        (void)program.release(); // gone without unloading, like a crashed simulator
        _exit(0);
    }
    close(pipeFds[1]);
    int host = -1;
    ASSERT_EQ(read(pipeFds[0], &host, sizeof host), static_cast<ssize_t>(sizeof host));
    close(pipeFds[0]);
    int status = 0;
    ASSERT_EQ(waitpid(simulator, &status, 0), simulator);
    ASSERT_GT(host, 0);
    ASSERT_EQ(waitpid(host, &status, 0), host);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGKILL);
    prctl(PR_SET_CHILD_SUBREAPER, 0);
}

// Stopped between steps, a host is a stopped process to the kernel: in the
// simulator's own process group it would make that group, once orphaned (the
// shell or launcher that started the simulator ends), get SIGHUP from the
// kernel, which ends every host. The stand-in simulator here runs in a group
// of its own whose only link to the session is a process that then ends.
TEST(RobotProgram, AProgramRunsOnWhenTheSimulatorsProcessGroupIsOrphaned) {
    int ready[2], go[2], result[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(go), 0);
    ASSERT_EQ(pipe(result), 0);
    const pid_t launcher = fork();
    ASSERT_GE(launcher, 0);
    if (launcher == 0) {
        setpgid(0, 0);
        const pid_t simulator = fork();
        if (simulator < 0)
            _exit(1);
        if (simulator == 0) {
            CRobotProgram program;
            std::string output;
            if (program.LoadProgram(kScripted, 0))
                program.Exchange("0 pid", output);
            char byte = 1;
            if (write(ready[1], &byte, 1) != 1 || read(go[0], &byte, 1) != 1)
                _exit(2);
            output.clear();
            program.Exchange("1 echo", output);
            output = (program.IsLoaded() ? "loaded " : "dropped ") + output;
            if (write(result[1], output.data(), output.size()) != static_cast<ssize_t>(output.size()))
                _exit(3);
            program.UnloadProgram();
            RemoveCopies(program);
            _exit(0);
        }
        char byte = 0;
        _exit(read(ready[0], &byte, 1) == 1 ? 0 : 4);
    }
    close(ready[0]);
    close(ready[1]);
    close(go[0]);
    close(result[1]);
    int status = 0;
    ASSERT_EQ(waitpid(launcher, &status, 0), launcher);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const char byte = 1;
    ASSERT_EQ(write(go[1], &byte, 1), 1);
    close(go[1]);
    std::string answer;
    char buffer[256];
    for (ssize_t n; (n = read(result[0], buffer, sizeof buffer)) > 0;)
        answer.append(buffer, std::size_t(n));
    close(result[0]);
    EXPECT_EQ(answer, "loaded echo:1 echo");
}
