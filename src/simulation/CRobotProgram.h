#pragma once

#include <chrono>
#include <memory>
#include <random>
#include <set>
#include <span>
#include <string>
#include <vector>

class RobotHostProcess;

// The program half of a robot's control unit: loads a student's robot
// program and runs it in lock step with the simulation, one exchange of texts
// per step. `CRcu` owns one.
//
// A program is a shared library exporting "Run", "SetData", "GetData",
// "IsPause" and "Start" with C linkage (sdk/morvane_robot.h). Each load runs a
// private copy of it, "Temp/" + 1 to 26 capital letters + ".dll" under the
// program folder, in a RobotHost process of its own, so each robot and each
// run has its own static data and nothing a program does can harm the
// simulator; the copies go when their control unit goes. A program that
// crashes, ends its process, hangs, overflows its output buffer or is no
// valid program is dropped with one line on standard error, which names the
// file the student chose (never the private copy); the robot then keeps its
// last output text, and the drop waits to be taken (TakeDrop) by whoever
// tells the student.
//
// Use from one thread at a time; the program stays loaded whichever thread
// loaded it, until it is unloaded or the simulator ends.
class CRobotProgram {
public:
    static constexpr std::chrono::milliseconds kDefaultExchangeTimeLimit { 1000 };

    CRobotProgram();
    ~CRobotProgram();
    CRobotProgram(const CRobotProgram&) = delete;
    CRobotProgram& operator=(const CRobotProgram&) = delete;

    // Loads the program file for robot number robot (0 or more) into the
    // private copy at that position of the temporary-name list. True when the
    // program's thread stands ready. A relative path is taken from the program
    // folder, so the start of a run can reload a robot from its own copy.
    bool LoadProgram(const std::string& path, int robot);

    // Ends the program and forgets it; always true.
    bool UnloadProgram();

    // What a load of a program file finds wrong.
    enum class Fault {
        None,
        Unreadable, // the file cannot be read (systemError says why)
        NotALibrary, // it is no shared library
        MissingFunction, // it lacks `function`
        NoCopy, // its private copy cannot be written in "Temp" (systemError says why)
        Other, // it crashed, ended or hung while loading, or no host could run it
    };
    struct CheckResult {
        Fault fault = Fault::None;
        std::string function;
        // The errno value of Unreadable and NoCopy.
        int systemError = 0;
        // In the words of the log.
        std::string reason;
    };
    // Loads the program file as a robot's load does, from a private copy in
    // a host of its own, and ends it again; no robot's program changes.
    static CheckResult CheckProgram(const std::string& path);

    // One lock-step exchange: the program gets the input text and its output
    // text replaces output. Does nothing when no program is loaded; a program
    // that fails in this exchange is dropped and output keeps its old text.
    void Exchange(const std::string& input, std::string& output);

    // Exchange in two halves, so that several robots' programs work on their
    // steps at the same time: BeginExchange hands the input over, and
    // FinishExchange, always called after it, gives the output (or keeps the
    // old one) and tells of a failure of either half, as Exchange does.
    void BeginExchange(const std::string& input);
    void FinishExchange(std::string& output);
    // Waits until every program of the list that is working on a step has
    // answered, failed or run out of time, stopping each as soon as it has
    // answered; null entries are passed over.
    static void AwaitExchanges(std::span<CRobotProgram* const> programs);

    // The names of the private copies, indexed by robot number.
    std::vector<std::string>& GetTempDllNames() { return m_tempDllNames; }
    // Draws one more name, unique among every copy in the "Temp" folder.
    void NewTempDllName();

    // Why a program was dropped in an exchange.
    enum class Drop {
        None,
        Crashed,
        EndedItself, // it ended its own process
        Killed, // its host was ended from outside
        Hung, // it did not answer, or did not pause, in time
        Overflow, // it wrote past its output buffer
        Other,
    };
    // The drop of an exchange not taken yet, once: taking it clears it.
    Drop TakeDrop();

    bool IsLoaded() const { return m_bLoaded; }
    // The program file the student chose: the path of the last load that
    // was no reload of this unit's own copy. Empty before the first load.
    const std::string& GetChosenPath() const { return m_strChosenPath; }
    // The program file last loaded successfully; empty when none.
    const std::string& GetProgramPath() const { return m_strProgramPath; }
    // The private copy that the last load wrote (an empty file when that
    // load failed): the start of every run reloads the program from it.
    // Empty before the first load.
    const std::string& GetLastCopy() const { return m_strLastCopy; }

    // Longest time one exchange may take before the program counts as hung.
    // Well above the longest legal exchange (about 200 polls of 1 ms).
    void SetExchangeTimeLimit(std::chrono::milliseconds limit) { m_exchangeTimeLimit = limit; }

private:
    void Report(const std::string& path, const std::string& what, const std::string& reason) const;
    // Tells of the drop, ends the program and keeps the drop to be taken.
    void DropProgram(Drop drop, const std::string& reason);

    std::vector<std::string> m_tempDllNames;
    // The files in "Temp" that this unit made (its copies and the names it
    // reserved), removed with it.
    std::set<std::string> m_ownFiles;
    std::string m_strProgramPath;
    std::string m_strChosenPath;
    std::string m_strLastCopy;
    bool m_bLoaded = false;
    int m_nRobot = 0;
    std::unique_ptr<RobotHostProcess> m_host;
    // Between BeginExchange and FinishExchange: whether the host works on the
    // step, or why the step is not taken (and the program then dropped).
    bool m_bExchanging = false;
    std::string m_strSkipped;
    std::string m_strDropped;
    Drop m_droppedCause = Drop::None;
    Drop m_drop = Drop::None;
    std::chrono::milliseconds m_exchangeTimeLimit = kDefaultExchangeTimeLimit;
    std::mt19937 m_random;
};
