#include "simulation/RobotHostProcess.h"

#include "simulation/RobotHostProtocol.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <functional>
#include <future>
#include <mutex>
#include <poll.h>
#include <pthread.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace {

std::string ErrorText(int error) {
    return std::strerror(error);
}

std::string SignalText(int signal) {
    const char* name = strsignal(signal);
    return name ? std::string(name) : "signal " + std::to_string(signal);
}

std::string SignalNumberAndText(int signal) {
    return "signal " + std::to_string(signal) + " (" + SignalText(signal) + ")";
}

// Moves a descriptor above the ones the host expects, so that setting up the
// child's descriptors 3 and 4 can never overwrite one of the two sources.
UniqueFd MoveAboveHostDescriptors(UniqueFd fd) {
    const int moved = fcntl(fd.Get(), F_DUPFD_CLOEXEC, 10);
    return UniqueFd(moved);
}

void ReapBlocking(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
}

// Linux sends a child its parent-death signal when the *thread* that started
// it ends, not the process: a host started from the robot loader's thread
// would die as soon as that thread finished. So hosts are started by one
// thread that lives as long as the simulator process; any thread may then
// exchange with them and reap them. A process made by fork() has none of its
// parent's threads: there the calling thread starts the host itself.
class HostLauncher {
public:
    static HostLauncher& Instance() {
        static HostLauncher launcher;
        return launcher;
    }

    // Runs the job on the launcher thread and waits for it.
    void Run(const std::function<void()>& job) {
        if (getpid() != m_process) {
            job();
            return;
        }
        std::packaged_task<void()> task(job);
        std::future<void> done = task.get_future();
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_jobs.push_back(std::move(task));
        }
        m_wake.notify_one();
        done.get();
    }

private:
    HostLauncher() {
        // The launcher takes no signals: the process's handlers run elsewhere.
        // Only SIGCHLD stays open. A host that stops or resumes tells the
        // thread that started it, and a signal that thread blocks is queued
        // for another to take and throw away, even while the process ignores
        // it: two of them for every robot's step.
        sigset_t all;
        sigset_t previous;
        sigfillset(&all);
        sigdelset(&all, SIGCHLD);
        pthread_sigmask(SIG_SETMASK, &all, &previous);
        m_thread = std::thread([this] { Serve(); });
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    }

    ~HostLauncher() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_one();
        m_thread.join();
    }

    void Serve() {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
            if (m_jobs.empty())
                return;
            std::packaged_task<void()> task = std::move(m_jobs.front());
            m_jobs.pop_front();
            lock.unlock();
            task();
            lock.lock();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::packaged_task<void()>> m_jobs;
    bool m_stopping = false;
    const pid_t m_process = getpid();
    std::thread m_thread;
};

} // namespace

void RobotHostProcess::SharedBlockUnmapper::operator()(robothost::SharedBlock* block) const {
    munmap(block, robothost::kSharedSize);
}

RobotHostProcess::RobotHostProcess() = default;

RobotHostProcess::~RobotHostProcess() {
    Kill();
}

bool RobotHostProcess::Start(const std::filesystem::path& hostExecutable,
    const std::filesystem::path& library, std::chrono::milliseconds timeLimit, std::string& reason) {
    Kill();
    // Anything that fails before the host has answered is no fault of the library.
    m_startFault = Fault::Other;
    m_missingFunction.clear();

    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
        reason = "cannot open a channel to the program host (" + ErrorText(errno) + ")";
        return false;
    }
    UniqueFd channel(pair[0]);
    UniqueFd childChannel = MoveAboveHostDescriptors(UniqueFd(pair[1]));
    UniqueFd memory(memfd_create("morvane-robot", MFD_CLOEXEC));
    if (memory.IsValid())
        memory = MoveAboveHostDescriptors(std::move(memory));
    if (!childChannel.IsValid() || !memory.IsValid()
        || ftruncate(memory.Get(), robothost::kSharedSize) != 0) {
        reason = "cannot set up memory shared with the program host (" + ErrorText(errno) + ")";
        return false;
    }
    void* mapping
        = mmap(nullptr, robothost::kSharedSize, PROT_READ | PROT_WRITE, MAP_SHARED, memory.Get(), 0);
    if (mapping == MAP_FAILED) {
        reason = "cannot set up memory shared with the program host (" + ErrorText(errno) + ")";
        return false;
    }
    std::unique_ptr<robothost::SharedBlock, SharedBlockUnmapper> block(
        static_cast<robothost::SharedBlock*>(mapping));

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, childChannel.Get(), robothost::kChannelFd);
    posix_spawn_file_actions_adddup2(&actions, memory.Get(), robothost::kSharedFd);
    // Whatever else the simulator has open stays out of the students' code.
    posix_spawn_file_actions_addclosefrom_np(&actions, robothost::kSharedFd + 1);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t noSignals;
    sigemptyset(&noSignals);
    sigset_t allSignals;
    sigfillset(&allSignals);
    sigdelset(&allSignals, SIGKILL);
    sigdelset(&allSignals, SIGSTOP);
    posix_spawnattr_setsigmask(&attributes, &noSignals);
    posix_spawnattr_setsigdefault(&attributes, &allSignals);
    // A process group of its own: stopped between steps, the host would make
    // the simulator's group one with a stopped process, and the kernel sends
    // such a group SIGHUP once it is orphaned (the shell or launcher that
    // started the simulator ends), which would end every host.
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(
        &attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);

    const std::string hostPath = hostExecutable.string();
    const std::string libraryPath = library.string();
    const std::string parent = std::to_string(getpid());
    char* const arguments[] = { const_cast<char*>("RobotHost"), const_cast<char*>(libraryPath.c_str()),
        const_cast<char*>(parent.c_str()), nullptr };
    pid_t pid = -1;
    int error = 0;
    HostLauncher::Instance().Run(
        [&] { error = posix_spawn(&pid, hostPath.c_str(), &actions, &attributes, arguments, environ); });
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) {
        reason = "cannot start the program host " + hostPath + " (" + ErrorText(error) + ")";
        return false;
    }

    m_pid = pid;
    m_channel = std::move(channel);
    m_block = std::move(block);
    // Only the host holds the other end now, so its death closes the channel.
    childChannel.Reset();
    memory.Reset();

    char message = 0;
    switch (WaitForMessage(std::chrono::steady_clock::now() + timeLimit, message)) {
    case WaitResult::Message:
        if (message == robothost::kReady) {
            kill(m_pid, SIGSTOP);
            m_startFault = Fault::None;
            return true;
        }
        if (message == robothost::kFailed) {
            m_block->loadError[sizeof m_block->loadError - 1] = '\0';
            reason = m_block->loadError;
            // The block lies in the program's reach as well: only known values count.
            const robothost::LoadFault fault = m_block->loadFault;
            const std::uint32_t function = m_block->missingFunction;
            if (fault == robothost::LoadFault::NotALibrary) {
                m_startFault = Fault::NotALibrary;
            } else if (fault == robothost::LoadFault::MissingFunction
                && function < robothost::kProgramFunctionCount) {
                m_startFault = Fault::MissingFunction;
                m_missingFunction = robothost::kProgramFunctions[function];
            }
        } else {
            reason = "the program host gave an invalid answer";
        }
        Kill();
        return false;
    case WaitResult::Closed:
        reason = FailureAfterClose();
        return false;
    case WaitResult::TimedOut:
        reason = FailureAfterTimeOut(timeLimit);
        return false;
    }
    return false;
}

bool RobotHostProcess::Step(std::string_view input, std::chrono::milliseconds timeLimit, std::string& output,
    int& zeroPolls, std::string& failure) {
    return BeginStep(input, timeLimit, failure) && FinishStep(output, zeroPolls, failure);
}

bool RobotHostProcess::BeginStep(
    std::string_view input, std::chrono::milliseconds timeLimit, std::string& failure) {
    m_stepping = false;
    m_stepFault = StepFault::Other;
    if (!IsRunning()) {
        failure = "no program host runs";
        return false;
    }
    if (input.size() >= robothost::kInputCapacity) {
        Kill();
        failure = "its input text is too long";
        return false;
    }
    char* inputArea = reinterpret_cast<char*>(m_block.get()) + robothost::kInputOffset;
    std::memcpy(inputArea, input.data(), input.size());
    inputArea[input.size()] = '\0';
    std::atomic_thread_fence(std::memory_order_release);

    m_stepTimeLimit = timeLimit;
    m_stepDeadline = std::chrono::steady_clock::now() + timeLimit;
    // The request goes out while the host is still stopped: when it resumes it
    // finds the request waiting and starts at once, without a second wake-up.
    if (!SendMessage(robothost::kStep)) {
        failure = FailureAfterClose();
        return false;
    }
    kill(m_pid, SIGCONT);
    m_stepping = true;
    m_answered = false;
    m_closed = false;
    m_stepFault = StepFault::None;
    return true;
}

bool RobotHostProcess::ReceiveAnswer() {
    // An answer of output stops the host at once, so that the program's own
    // threads get no more time than its step took. It is looked at before it
    // is taken: the host is stopped first, and taking the byte then does not
    // wake the host's thread that waits for the next request.
    char message = 0;
    if (recv(m_channel.Get(), &message, 1, MSG_DONTWAIT | MSG_PEEK) == 1 && message == robothost::kOutput)
        kill(m_pid, SIGSTOP);
    const ssize_t n = recv(m_channel.Get(), &message, 1, MSG_DONTWAIT);
    if (n == 1) {
        m_answer = message;
        m_answered = true;
        return true;
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return false;
    m_closed = true;
    return true;
}

bool RobotHostProcess::FinishStep(std::string& output, int& zeroPolls, std::string& failure) {
    m_stepFault = StepFault::Other;
    if (!m_stepping || !IsRunning()) {
        m_stepping = false;
        failure = "no program host runs";
        return false;
    }
    if (!m_answered && !m_closed) {
        RobotHostProcess* self = this;
        AwaitSteps({ &self, 1 });
    }
    m_stepping = false;
    if (!m_answered) {
        // Out of time, or the channel closed (or could not be waited on).
        failure = !m_closed && std::chrono::steady_clock::now() >= m_stepDeadline
            ? FailureAfterTimeOut(m_stepTimeLimit)
            : FailureAfterClose();
        return false;
    }
    if (m_answer != robothost::kOutput) {
        Kill();
        failure = "the program host gave an invalid answer";
        return false;
    }
    std::atomic_thread_fence(std::memory_order_acquire);

    // The block lives in the program's address space too, so nothing in it is
    // trusted beyond its bounds.
    const std::size_t length = std::min<std::size_t>(m_block->outputLength, robothost::kOutputSize - 1);
    output.assign(m_block->output, strnlen(m_block->output, length));
    zeroPolls = m_block->zeroPolls;
    m_stepFault = StepFault::None;
    return true;
}

void RobotHostProcess::AwaitSteps(std::span<RobotHostProcess* const> hosts) {
    std::vector<RobotHostProcess*> waiting;
    for (RobotHostProcess* host : hosts) {
        if (host && host->m_stepping && !host->m_answered && !host->m_closed && host->IsRunning())
            waiting.push_back(host);
    }
    std::vector<pollfd> entries;
    while (!waiting.empty()) {
        // A host out of time is left to FinishStep, which tells why.
        const auto now = std::chrono::steady_clock::now();
        std::erase_if(waiting, [now](const RobotHostProcess* host) { return host->m_stepDeadline <= now; });
        if (waiting.empty())
            return;
        auto deadline = waiting.front()->m_stepDeadline;
        entries.clear();
        for (const RobotHostProcess* host : waiting) {
            deadline = std::min(deadline, host->m_stepDeadline);
            entries.push_back({ host->m_channel.Get(), POLLIN, 0 });
        }
        const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - now).count();
        const timespec timeout { static_cast<time_t>(nanoseconds / 1000000000),
            static_cast<long>(nanoseconds % 1000000000) };
        const int ready = ppoll(entries.data(), entries.size(), &timeout, nullptr);
        if (ready < 0 && errno != EINTR)
            return;
        if (ready <= 0)
            continue;
        std::vector<RobotHostProcess*> still;
        for (std::size_t i = 0; i < waiting.size(); ++i) {
            if (entries[i].revents == 0 || !waiting[i]->ReceiveAnswer())
                still.push_back(waiting[i]);
        }
        waiting.swap(still);
    }
}

void RobotHostProcess::Kill() {
    m_stepping = false;
    m_answered = false;
    m_closed = false;
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        ReapBlocking(m_pid);
        m_pid = -1;
    }
    m_channel.Reset();
    m_block.reset();
}

RobotHostProcess::WaitResult RobotHostProcess::WaitForMessage(
    std::chrono::steady_clock::time_point deadline, char& message) const {
    for (;;) {
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero())
            return WaitResult::TimedOut;
        const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        const timespec timeout { static_cast<time_t>(nanoseconds / 1000000000),
            static_cast<long>(nanoseconds % 1000000000) };
        pollfd entry { m_channel.Get(), POLLIN, 0 };
        const int ready = ppoll(&entry, 1, &timeout, nullptr);
        if (ready < 0 && errno != EINTR)
            return WaitResult::Closed;
        if (ready <= 0)
            continue;
        const ssize_t n = recv(m_channel.Get(), &message, 1, MSG_DONTWAIT);
        if (n == 1)
            return WaitResult::Message;
        if (n == 0)
            return WaitResult::Closed;
        if (errno != EAGAIN && errno != EINTR)
            return WaitResult::Closed;
    }
}

bool RobotHostProcess::SendMessage(char message) const {
    for (;;) {
        const ssize_t n = send(m_channel.Get(), &message, 1, MSG_NOSIGNAL);
        if (n == 1)
            return true;
        if (n < 0 && errno == EINTR)
            continue;
        return false;
    }
}

std::string RobotHostProcess::FailureAfterClose() {
    // The channel closes as the host dies; give it a moment to finish dying so
    // that its exit status tells why. A host that closed the channel and lives
    // on is ended here.
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    for (;;) {
        const pid_t reaped = waitpid(m_pid, &status, WNOHANG);
        if (reaped == m_pid) {
            std::string failure = DescribeEnd(status, m_stepFault);
            m_pid = -1;
            Kill();
            return failure;
        }
        if (reaped < 0 && errno != EINTR) {
            m_pid = -1;
            Kill();
            m_stepFault = StepFault::Other;
            return "the program host ended";
        }
        if (std::chrono::steady_clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    Kill();
    m_stepFault = StepFault::Other;
    return "it closed its connection to the simulator";
}

std::string RobotHostProcess::FailureAfterTimeOut(std::chrono::milliseconds timeLimit) {
    const std::string where = PhaseName();
    Kill();
    m_stepFault = StepFault::Hung;
    const std::string limit = std::to_string(timeLimit.count()) + " ms";
    if (where == "loading")
        return "it did not finish loading within " + limit;
    return "it did not return from " + where + " within " + limit;
}

std::string RobotHostProcess::DescribeEnd(int status, StepFault& fault) const {
    fault = StepFault::EndedItself;
    if (WIFEXITED(status))
        return "it ended its process (exit code " + std::to_string(WEXITSTATUS(status)) + ")";
    fault = StepFault::Other;
    if (!WIFSIGNALED(status))
        return "the program host ended";
    const int signal = WTERMSIG(status);
    fault = StepFault::Killed;
    if (m_block->faultSignal.load() != signal)
        return "it was ended by " + SignalNumberAndText(signal);
    fault = StepFault::Overflow;
    if (m_block->faultInOutputGuard.load() != 0)
        return "it wrote past the end of its " + std::to_string(robothost::kOutputSize)
            + "-byte output buffer in GetData";
    fault = StepFault::Crashed;
    const std::string where = m_block->faultInMainThread.load() != 0 ? PhaseName() : "Run";
    if (where == "loading")
        return "it crashed while loading (" + SignalText(signal) + ")";
    return "it crashed in " + where + " (" + SignalText(signal) + ")";
}

std::string RobotHostProcess::PhaseName() const {
    switch (m_block->phase.load()) {
    case robothost::Phase::Loading:
        return "loading";
    case robothost::Phase::SetData:
        return "SetData";
    case robothost::Phase::Start:
        return "Start";
    case robothost::Phase::IsPause:
        return "IsPause";
    case robothost::Phase::GetData:
        return "GetData";
    case robothost::Phase::Idle:
        break;
    }
    return "Run";
}
