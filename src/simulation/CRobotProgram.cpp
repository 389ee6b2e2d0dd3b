#include "simulation/CRobotProgram.h"

#include "platform/ProgramDir.h"
#include "platform/WholeFile.h"
#include "simulation/RobotHostProcess.h"
#include "simulation/RobotHostProtocol.h"
#include "simulation/UniqueFd.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace {

namespace fs = std::filesystem;

// Loading runs the library's own initialisation, which may take a while on a
// cold disk; far longer than any exchange may.
constexpr std::chrono::milliseconds kLoadTimeLimit { 10000 };

const char* const kHostExecutable = "RobotHost";
const char* const kTempFolder = "Temp";

bool ReadWholeFile(const fs::path& path, std::string& bytes, std::string& reason, int* error = nullptr) {
    UniqueFd file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.IsValid()) {
        if (error)
            *error = errno;
        reason = "cannot read the file (" + std::string(std::strerror(errno)) + ")";
        return false;
    }
    bytes.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(file.Get(), buffer, sizeof buffer);
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (error)
                *error = errno;
            reason = "cannot read the file (" + std::string(std::strerror(errno)) + ")";
            return false;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
}

// Writes under a temporary name and renames it over the copy: the copy is
// always complete, and a copy still mapped by an ending host keeps its old
// contents (a new file, not a rewritten one). A copy is made afresh for
// every load, so it need not outlive a crash.
bool WriteCopy(const fs::path& copy, const std::string& bytes, std::string& reason, int* error = nullptr) {
    if (const int failure = platform::WriteWholeFile(copy, bytes, { .mode = 0600, .sync = false })) {
        if (error)
            *error = failure;
        reason
            = "cannot write its private copy " + copy.string() + " (" + platform::SystemReason(failure) + ")";
        return false;
    }
    return true;
}

CRobotProgram::Drop DropOf(RobotHostProcess::StepFault fault) {
    using Fault = RobotHostProcess::StepFault;
    switch (fault) {
    case Fault::Crashed:
        return CRobotProgram::Drop::Crashed;
    case Fault::EndedItself:
        return CRobotProgram::Drop::EndedItself;
    case Fault::Killed:
        return CRobotProgram::Drop::Killed;
    case Fault::Hung:
        return CRobotProgram::Drop::Hung;
    case Fault::Overflow:
        return CRobotProgram::Drop::Overflow;
    case Fault::None:
    case Fault::Other:
        break;
    }
    return CRobotProgram::Drop::Other;
}

} // namespace

CRobotProgram::CRobotProgram()
    : m_random(std::random_device {}()) { }

CRobotProgram::~CRobotProgram() {
    UnloadProgram();
    // The copies, and the names reserved beside them, go with their control
    // unit: every load of the robots makes new ones, and "Temp" would
    // otherwise keep one more copy per robot and load until the next start.
    for (const std::string& name : m_ownFiles) {
        std::error_code ignored;
        fs::remove(platform::InProgramDir(name), ignored);
    }
}

bool CRobotProgram::LoadProgram(const std::string& path, int robot) {
    UnloadProgram();
    m_drop = Drop::None;
    m_nRobot = robot;
    // The start of a run reloads the robot from its own copy: the student
    // knows the program by the file they chose, never by the copy's name.
    if (m_strLastCopy.empty() || path != m_strLastCopy)
        m_strChosenPath = path;
    if (robot < 0) {
        Report(m_strChosenPath, "not loaded", "the robot number " + std::to_string(robot) + " is not valid");
        return false;
    }
    while (m_tempDllNames.size() <= static_cast<std::size_t>(robot))
        NewTempDllName();
    const std::string previous = m_strLastCopy;
    m_strLastCopy = m_tempDllNames[static_cast<std::size_t>(robot)];
    m_ownFiles.insert(m_strLastCopy);
    const fs::path copy = platform::InProgramDir(m_strLastCopy);

    // The source is read whole before the copy is written, so that a robot can
    // be reloaded from its own copy.
    std::string bytes;
    std::string reason;
    const bool copied
        = ReadWholeFile(platform::InProgramDir(path), bytes, reason) && WriteCopy(copy, bytes, reason);
    // A robot that moved in the list runs from the copy of its new place;
    // the one it left keeps only its name reserved.
    if (!previous.empty() && previous != m_strLastCopy) {
        std::string ignored;
        WriteCopy(platform::InProgramDir(previous), std::string(), ignored);
    }
    if (!copied) {
        // No earlier program may run in its place, neither now nor when the
        // next run reloads the robot from its copy.
        std::string ignored;
        WriteCopy(copy, std::string(), ignored);
        Report(m_strChosenPath, "not loaded", reason);
        return false;
    }

    auto host = std::make_unique<RobotHostProcess>();
    if (!host->Start(platform::InProgramDir(kHostExecutable), copy, kLoadTimeLimit, reason)) {
        Report(m_strChosenPath, "not loaded", reason);
        return false;
    }
    m_host = std::move(host);
    m_strProgramPath = path;
    m_bLoaded = true;
    return true;
}

bool CRobotProgram::UnloadProgram() {
    m_host.reset();
    m_bExchanging = false;
    m_strProgramPath.clear();
    m_bLoaded = false;
    return true;
}

void CRobotProgram::Exchange(const std::string& input, std::string& output) {
    BeginExchange(input);
    FinishExchange(output);
}

void CRobotProgram::BeginExchange(const std::string& input) {
    m_bExchanging = false;
    m_strSkipped.clear();
    m_strDropped.clear();
    if (!m_bLoaded)
        return;
    if (input.size() >= robothost::kInputCapacity) {
        m_strSkipped = "its input text of " + std::to_string(input.size()) + " bytes is longer than "
            + std::to_string(robothost::kInputCapacity - 1);
        return;
    }
    std::string failure;
    if (!m_host->BeginStep(input, m_exchangeTimeLimit, failure)) {
        m_strDropped = failure;
        m_droppedCause = DropOf(m_host->LastStepFault());
        return;
    }
    m_bExchanging = true;
}

void CRobotProgram::FinishExchange(std::string& output) {
    // Every failure is told here, so that the lines of several robots come
    // in the robots' order.
    if (!m_strSkipped.empty()) {
        Report(m_strChosenPath, "skipped a step", m_strSkipped);
        m_strSkipped.clear();
        return;
    }
    if (!m_strDropped.empty()) {
        const std::string reason = std::move(m_strDropped);
        m_strDropped.clear();
        DropProgram(m_droppedCause, reason);
        return;
    }
    if (!m_bExchanging)
        return;
    m_bExchanging = false;
    std::string text;
    int zeroPolls = 0;
    std::string failure;
    if (!m_host->FinishStep(text, zeroPolls, failure)) {
        DropProgram(DropOf(m_host->LastStepFault()), failure);
        return;
    }
    output = std::move(text);
    // A program that took too long still has this step's output applied; it
    // is dropped afterwards. Students need to know why their robot stopped
    // listening, so this gets its line like every other drop.
    if (zeroPolls > robothost::kPollLimit) {
        DropProgram(Drop::Hung,
            "it did not pause within " + std::to_string(robothost::kPollLimit) + " polls of one step");
    }
}

void CRobotProgram::DropProgram(Drop drop, const std::string& reason) {
    Report(m_strChosenPath, "dropped", reason);
    UnloadProgram();
    m_drop = drop;
}

CRobotProgram::Drop CRobotProgram::TakeDrop() {
    return std::exchange(m_drop, Drop::None);
}

void CRobotProgram::AwaitExchanges(std::span<CRobotProgram* const> programs) {
    std::vector<RobotHostProcess*> hosts;
    hosts.reserve(programs.size());
    for (CRobotProgram* program : programs) {
        if (program && program->m_bExchanging)
            hosts.push_back(program->m_host.get());
    }
    RobotHostProcess::AwaitSteps(hosts);
}

void CRobotProgram::NewTempDllName() {
    std::error_code error;
    fs::create_directories(platform::InProgramDir(kTempFolder), error);

    std::uniform_int_distribution<int> length(1, 26);
    std::uniform_int_distribution<int> letter(0, 25);
    std::string name;
    // Creating the file exclusively reserves the name against every other
    // control unit, whatever its list holds. Should "Temp" be unusable, the
    // name is taken all the same and writing the copy reports the problem.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        name = std::string(kTempFolder) + "/";
        const int n = length(m_random);
        for (int i = 0; i < n; ++i)
            name += static_cast<char>('A' + letter(m_random));
        name += ".dll";
        if (std::find(m_tempDllNames.begin(), m_tempDllNames.end(), name) != m_tempDllNames.end())
            continue;
        UniqueFd file(
            open(platform::InProgramDir(name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (file.IsValid()) {
            m_ownFiles.insert(name);
            break;
        }
        if (errno != EEXIST)
            break;
    }
    m_tempDllNames.push_back(name);
}

void CRobotProgram::Report(
    const std::string& path, const std::string& what, const std::string& reason) const {
    const std::string line = "Robot " + std::to_string(m_nRobot + 1) + ": program \"" + path + "\" " + what
        + ": " + reason + "\n";
    std::fputs(line.c_str(), stderr);
}

CRobotProgram::CheckResult CRobotProgram::CheckProgram(const std::string& path) {
    CheckResult result;
    std::string bytes;
    if (!ReadWholeFile(platform::InProgramDir(path), bytes, result.reason, &result.systemError)) {
        result.fault = Fault::Unreadable;
        return result;
    }
    std::error_code ignored;
    fs::create_directories(platform::InProgramDir(kTempFolder), ignored);
    // A name of its own, reserved before it is written, and gone afterwards.
    std::string copy = (platform::InProgramDir(kTempFolder) / "checkXXXXXX.dll").string();
    UniqueFd reserved(mkostemps(copy.data(), 4, O_CLOEXEC));
    if (!reserved.IsValid()) {
        // A full disk is no fault of the program: it is told as what it is.
        result.fault = Fault::NoCopy;
        result.systemError = errno;
        result.reason = "cannot write its private copy in " + std::string(kTempFolder) + " ("
            + std::strerror(errno) + ")";
        return result;
    }
    reserved.Reset();
    if (!WriteCopy(copy, bytes, result.reason, &result.systemError)) {
        unlink(copy.c_str());
        result.fault = Fault::NoCopy;
        return result;
    }
    RobotHostProcess host;
    if (!host.Start(platform::InProgramDir(kHostExecutable), copy, kLoadTimeLimit, result.reason)) {
        switch (host.StartFault()) {
        case RobotHostProcess::Fault::NotALibrary:
            result.fault = Fault::NotALibrary;
            break;
        case RobotHostProcess::Fault::MissingFunction:
            result.fault = Fault::MissingFunction;
            result.function = host.MissingFunction();
            break;
        default:
            result.fault = Fault::Other;
            break;
        }
    }
    host.Kill();
    unlink(copy.c_str());
    return result;
}
