#pragma once

#include "simulation/UniqueFd.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace robothost {
struct SharedBlock;
}

// One running RobotHost process with one robot program loaded in it.
//
// The host is stopped (SIGSTOP) whenever no exchange is under way, resumed
// (SIGCONT) for each exchange and ended with SIGKILL; it is always reaped, and
// it dies by itself when the simulator dies. Everything the program does wrong
// ends up as a failure text here, never as harm to the simulator.
//
// Any thread may start a host (the robot loader's does), and the host lives
// on after that thread ends; one object is used by one thread at a time.
class RobotHostProcess {
public:
    RobotHostProcess();
    ~RobotHostProcess();
    RobotHostProcess(const RobotHostProcess&) = delete;
    RobotHostProcess& operator=(const RobotHostProcess&) = delete;

    // Starts the host on a program library and waits until the program is
    // loaded and its thread is ready; the host is then stopped. On failure no
    // host is left, reason says why and StartFault what kind of failure it was.
    bool Start(const std::filesystem::path& hostExecutable, const std::filesystem::path& library,
        std::chrono::milliseconds timeLimit, std::string& reason);

    enum class Fault {
        None,
        NotALibrary, // the file is no shared library
        MissingFunction, // MissingFunction() names the first function it lacks
        Other, // the host did not start, or the program crashed, ended or hung while loading
    };
    // Of the last Start.
    Fault StartFault() const { return m_startFault; }

    // What kind of failure the last failed step (or Start) was.
    enum class StepFault {
        None,
        Crashed, // the program crashed
        EndedItself, // it ended its own process
        Killed, // its host was ended from outside
        Hung, // it did not answer within the time limit
        Overflow, // it wrote past its output buffer
        Other, // it closed its channel, gave an invalid answer, or no host ran
    };
    StepFault LastStepFault() const { return m_stepFault; }
    const std::string& MissingFunction() const { return m_missingFunction; }

    // One exchange. The input must be shorter than the host's input area
    // (robothost::kInputCapacity). On success output holds the program's text
    // and zeroPolls the number of zero results of "IsPause". On failure (the
    // program crashed, ended its process, did not answer within the time
    // limit, ...) no host is left and failure says why.
    bool Step(std::string_view input, std::chrono::milliseconds timeLimit, std::string& output,
        int& zeroPolls, std::string& failure);

    // Step in two halves, so that the hosts of several robots work on their
    // steps at the same time: BeginStep hands the input over and resumes the
    // host, FinishStep waits for the answer (within the time limit, counted
    // from BeginStep) and gives it as Step does. A failure of either half
    // leaves no host; after a failed BeginStep there is nothing to finish.
    bool BeginStep(std::string_view input, std::chrono::milliseconds timeLimit, std::string& failure);
    bool FinishStep(std::string& output, int& zeroPolls, std::string& failure);
    // Waits until every host of the list with a step under way has answered,
    // closed its channel or run out of time. Each is stopped again as soon as
    // it has answered, as Step stops it, and FinishStep then finds its answer
    // waiting; the failures are left for FinishStep to tell. Null entries are
    // passed over.
    static void AwaitSteps(std::span<RobotHostProcess* const> hosts);

    // Ends and reaps the host; nothing happens when none runs.
    void Kill();

    bool IsRunning() const { return m_pid > 0; }

private:
    enum class WaitResult { Message, Closed, TimedOut };
    struct SharedBlockUnmapper {
        void operator()(robothost::SharedBlock* block) const;
    };

    WaitResult WaitForMessage(std::chrono::steady_clock::time_point deadline, char& message) const;
    bool SendMessage(char message) const;
    std::string FailureAfterClose();
    std::string FailureAfterTimeOut(std::chrono::milliseconds timeLimit);
    std::string DescribeEnd(int status, StepFault& fault) const;
    std::string PhaseName() const;

    // Takes what the host sent on its readable channel: its answer, or the
    // channel's end. False when there was nothing to take after all.
    bool ReceiveAnswer();

    pid_t m_pid = -1;
    bool m_stepping = false;
    bool m_answered = false;
    bool m_closed = false;
    char m_answer = 0;
    std::chrono::steady_clock::time_point m_stepDeadline;
    std::chrono::milliseconds m_stepTimeLimit { 0 };
    Fault m_startFault = Fault::None;
    StepFault m_stepFault = StepFault::None;
    std::string m_missingFunction;
    UniqueFd m_channel;
    std::unique_ptr<robothost::SharedBlock, SharedBlockUnmapper> m_block;
};
