#pragma once

// What the simulator and the robot program host (programs/robothost) share.
// Header only and free of the rest of the library: the host includes it
// without linking anything of the simulator.
//
// The host gets two descriptors. The channel is a stream socket that carries
// one byte per message and nothing else; its end of file is how either side
// learns that the other is gone. The shared block is a memory file that holds
// the texts and the host's report, so a message never has to be reassembled
// from partial reads. Every message is answered before the next is sent.

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace robothost {

inline constexpr int kChannelFd = 3;
inline constexpr int kSharedFd = 4;

// The program's output buffer: all zero when GetData is called; at most
// kOutputSize - 1 characters of it are taken.
inline constexpr std::size_t kOutputSize = 4096;

// Polling of "IsPause": after every zero result the host sleeps 1 ms; it stops
// asking after kPollLimit + 1 zero results, and more than kPollLimit zero
// results in one step drop the program.
inline constexpr int kPollLimit = 200;

// Memory file layout: the SharedBlock at offset 0, the input text (with its
// terminating zero) at kInputOffset. The file is sparse, so the input area
// costs only the pages an input text touches.
inline constexpr std::size_t kInputOffset = 16384;
inline constexpr std::size_t kInputCapacity = std::size_t(1) << 20;
inline constexpr std::size_t kSharedSize = kInputOffset + kInputCapacity;

// Message bytes on the channel.
inline constexpr char kReady = 'R'; // host -> simulator: program loaded, thread waiting
inline constexpr char kFailed = 'F'; // host -> simulator: load failed, reason in loadError
inline constexpr char kStep = 'S'; // simulator -> host: input text is in place, run one step
inline constexpr char kOutput = 'O'; // host -> simulator: step done, output and poll count in place

// Which of the program's functions the host's main thread is in; read by the
// simulator to say where a program hung or crashed.
enum class Phase : std::uint32_t { Loading, Idle, SetData, Start, IsPause, GetData };

// The functions every program exports, in the order the host looks them up.
inline constexpr const char* kProgramFunctions[] = { "Run", "SetData", "GetData", "IsPause", "Start" };
inline constexpr std::uint32_t kProgramFunctionCount = sizeof kProgramFunctions / sizeof kProgramFunctions[0];

// Why a load failed, beside loadError's text: what the student is told.
enum class LoadFault : std::uint32_t {
    Other, // the host could not prepare itself
    NotALibrary, // the file is no shared library the host can load
    MissingFunction, // missingFunction names the first function not exported
};

struct SharedBlock {
    std::atomic<Phase> phase;
    // Written by the host's fault handler just before the process dies.
    std::atomic<std::int32_t> faultSignal;
    std::atomic<std::uint32_t> faultInOutputGuard; // the write that overflowed the output buffer
    std::atomic<std::uint32_t> faultInMainThread; // else it was "Run" or a thread of the program's
    // Host -> simulator, valid after kOutput.
    std::int32_t zeroPolls;
    std::uint32_t outputLength;
    // Host -> simulator, valid after kFailed.
    LoadFault loadFault;
    std::uint32_t missingFunction; // an index into kProgramFunctions
    char loadError[512];
    char output[kOutputSize];
};

static_assert(std::atomic<Phase>::is_always_lock_free && std::atomic<std::int32_t>::is_always_lock_free,
    "the shared block's atomics must work across processes");
static_assert(sizeof(SharedBlock) <= kInputOffset);

} // namespace robothost
