// RobotHost: runs one student's robot program for the simulator.
//
// The simulator starts one host per loaded program, with the channel socket
// and the shared block on the descriptors of RobotHostProtocol.h, and keeps it
// stopped (SIGSTOP) between exchanges. The host loads the program's private
// copy, runs its "Run" on a thread of its own and performs the exchanges:
// whatever the program does wrong - crash, exit, hang, overflow - stays inside
// this process, which the simulator then kills.

#include "simulation/RobotHostProtocol.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dlfcn.h>
#include <pthread.h>
#include <semaphore.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using RunFunction = void (*)();
using SetDataFunction = void (*)(const char*);
using GetDataFunction = void (*)(char*);
using IsPauseFunction = unsigned char (*)();
using StartFunction = void (*)();

struct Program {
    RunFunction run = nullptr;
    SetDataFunction setData = nullptr;
    GetDataFunction getData = nullptr;
    IsPauseFunction isPause = nullptr;
    StartFunction start = nullptr;
};

// State the fault handler and the program thread need; set once before either
// can run.
robothost::SharedBlock* g_block = nullptr;
const char* g_guardBegin = nullptr;
const char* g_guardEnd = nullptr;
pid_t g_mainThread = 0;
sem_t g_gate;
Program g_program;

void OnFault(int signal, siginfo_t* info, void*) {
    // Only plain stores here. SA_RESETHAND has restored the default action, so
    // returning repeats the fault (or abort() raises again) and the process
    // dies with the program's own signal, which the simulator reports.
    const char* address = static_cast<const char*>(info->si_addr);
    const bool inGuard
        = (signal == SIGSEGV || signal == SIGBUS) && address >= g_guardBegin && address < g_guardEnd;
    g_block->faultInOutputGuard.store(inGuard ? 1 : 0);
    g_block->faultInMainThread.store(gettid() == g_mainThread ? 1 : 0);
    g_block->faultSignal.store(signal);
}

void UseAlternateSignalStack() {
    // A program that overflows its stack still gets its fault reported.
    const std::size_t size = 64 * 1024;
    void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        return;
    stack_t stack {};
    stack.ss_sp = memory;
    stack.ss_size = size;
    sigaltstack(&stack, nullptr);
}

void InstallFaultHandlers() {
    struct sigaction action { };
    action.sa_sigaction = OnFault;
    action.sa_flags = SA_SIGINFO | SA_RESETHAND | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int signal : { SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGTRAP, SIGSYS })
        sigaction(signal, &action, nullptr);
}

void* ProgramThreadProc(void*) {
    UseAlternateSignalStack();
    // Created at load time but held here until the first step has handed the
    // program its first input: the program never runs before it has one.
    while (sem_wait(&g_gate) != 0 && errno == EINTR) { }
    g_program.run();
    return nullptr;
}

bool Send(char message) {
    for (;;) {
        const ssize_t n = send(robothost::kChannelFd, &message, 1, MSG_NOSIGNAL);
        if (n == 1)
            return true;
        if (n < 0 && errno == EINTR)
            continue;
        return false;
    }
}

// 0 when the simulator has gone.
char Receive() {
    for (;;) {
        char message = 0;
        const ssize_t n = read(robothost::kChannelFd, &message, 1);
        if (n == 1)
            return message;
        if (n < 0 && errno == EINTR)
            continue;
        return 0;
    }
}

// A broken channel: the simulator has gone (and this process dies with it) or
// the program closed the channel, which the simulator sees and answers by
// ending this process. Exiting here would pass for the program's own exit.
[[noreturn]] void WaitToBeEnded() {
    for (;;)
        pause();
}

bool Fail(const char* format, const char* detail, robothost::LoadFault fault = robothost::LoadFault::Other) {
    g_block->loadFault = fault;
    std::snprintf(g_block->loadError, sizeof g_block->loadError, format, detail);
    return false;
}

bool Load(const char* path) {
    void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* error = dlerror();
        return Fail("not a loadable program library (%s)", error ? error : "unknown reason",
            robothost::LoadFault::NotALibrary);
    }
    // Looked up in this order; the first missing name is the one reported.
    void* symbols[robothost::kProgramFunctionCount] = {};
    for (std::uint32_t i = 0; i < robothost::kProgramFunctionCount; ++i) {
        dlerror();
        symbols[i] = dlsym(library, robothost::kProgramFunctions[i]);
        if (!symbols[i]) {
            g_block->missingFunction = i;
            return Fail("it does not export \"%s\"", robothost::kProgramFunctions[i],
                robothost::LoadFault::MissingFunction);
        }
    }
    g_program.run = reinterpret_cast<RunFunction>(symbols[0]);
    g_program.setData = reinterpret_cast<SetDataFunction>(symbols[1]);
    g_program.getData = reinterpret_cast<GetDataFunction>(symbols[2]);
    g_program.isPause = reinterpret_cast<IsPauseFunction>(symbols[3]);
    g_program.start = reinterpret_cast<StartFunction>(symbols[4]);

    if (sem_init(&g_gate, 0, 0) != 0)
        return Fail("cannot create the program thread (%s)", std::strerror(errno));
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    // Nobody waits for a "Run" that returns: its thread simply ends.
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    pthread_t thread;
    const int error = pthread_create(&thread, &attributes, ProgramThreadProc, nullptr);
    pthread_attr_destroy(&attributes);
    if (error != 0)
        return Fail("cannot create the program thread (%s)", std::strerror(error));
    return true;
}

void SleepOneMillisecond() {
    timespec rest { 0, 1000000 };
    while (nanosleep(&rest, &rest) != 0 && errno == EINTR) { }
}

// The page before a PROT_NONE page, with the output buffer at its end, so a
// program that writes past the buffer faults at once instead of corrupting
// anything.
char* MakeGuardedOutputBuffer() {
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t first = (robothost::kOutputSize + page - 1) / page * page;
    void* memory = mmap(nullptr, first + page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        return nullptr;
    char* base = static_cast<char*>(memory);
    if (mprotect(base + first, page, PROT_NONE) != 0)
        return nullptr;
    g_guardBegin = base + first;
    g_guardEnd = base + first + page;
    return base + first - robothost::kOutputSize;
}

void Step(const char* input, char* output, bool& gateOpen) {
    robothost::SharedBlock& block = *g_block;
    std::atomic_thread_fence(std::memory_order_acquire);

    block.phase.store(robothost::Phase::SetData);
    g_program.setData(input);
    block.phase.store(robothost::Phase::Start);
    g_program.start();
    if (!gateOpen) {
        sem_post(&g_gate);
        gateOpen = true;
    }

    block.phase.store(robothost::Phase::IsPause);
    int zeroPolls = 0;
    for (;;) {
        if (g_program.isPause() != 0)
            break;
        SleepOneMillisecond();
        ++zeroPolls;
        if (zeroPolls > robothost::kPollLimit + 1)
            break;
    }

    block.phase.store(robothost::Phase::GetData);
    std::memset(output, 0, robothost::kOutputSize);
    g_program.getData(output);
    block.phase.store(robothost::Phase::Idle);

    // Whatever the program printed in this step reaches the simulator's
    // output before the host is stopped.
    std::fflush(stdout);

    const std::size_t length = strnlen(output, robothost::kOutputSize - 1);
    std::memcpy(block.output, output, length);
    block.outputLength = static_cast<std::uint32_t>(length);
    block.zeroPolls = zeroPolls;
    std::atomic_thread_fence(std::memory_order_release);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(
            stderr, "RobotHost is started by Morvane for each robot program; it is not run by hand.\n");
        return 2;
    }
    // Die with the simulator, also while stopped between exchanges.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != static_cast<pid_t>(std::strtol(argv[2], nullptr, 10)))
        return 3;

    void* shared
        = mmap(nullptr, robothost::kSharedSize, PROT_READ | PROT_WRITE, MAP_SHARED, robothost::kSharedFd, 0);
    if (shared == MAP_FAILED)
        return 4;
    close(robothost::kSharedFd);
    g_block = static_cast<robothost::SharedBlock*>(shared);
    g_block->phase.store(robothost::Phase::Loading);
    const char* input = static_cast<const char*>(shared) + robothost::kInputOffset;
    g_mainThread = gettid();

    // Students' printf output shows up line by line, as on a terminal.
    setvbuf(stdout, nullptr, _IOLBF, 0);
    UseAlternateSignalStack();
    InstallFaultHandlers();

    char* output = MakeGuardedOutputBuffer();
    if (!output) {
        Fail("cannot prepare the output buffer (%s)", std::strerror(errno));
        Send(robothost::kFailed);
        return 5;
    }
    // From here on the program's code is in the process: leave without
    // running its destructors or exit handlers, which could block or print.
    if (!Load(argv[1])) {
        Send(robothost::kFailed);
        _exit(0);
    }
    g_block->phase.store(robothost::Phase::Idle);
    if (!Send(robothost::kReady))
        WaitToBeEnded();

    bool gateOpen = false;
    for (;;) {
        const char message = Receive();
        if (message != robothost::kStep)
            WaitToBeEnded();
        Step(input, output, gateOpen);
        if (!Send(robothost::kOutput))
            WaitToBeEnded();
    }
}
