#include "physics/OdeRuntime.h"

#include "platform/Warnings.h"

#include <ode/ode.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

namespace physics {

namespace {

// ODE reports recoverable trouble (an LCP that could not be solved exactly
// for very light or very thin solids) through messages, possibly once per
// step and each with its own numbers. Each kind is passed on once as a
// "physics" warning; the step goes on regardless.
void reportOdeMessageOnce(int number, const char* text, va_list args) {
    static std::atomic<unsigned> seen { 0 };
    const unsigned bit = 1u << (static_cast<unsigned>(number) % 32u);
    if (seen.fetch_or(bit) & bit)
        return;
    char message[512];
    std::vsnprintf(message, sizeof message, text, args);
    platform::Warn("physics",
        "ODE message " + std::to_string(number) + ": " + message
            + " (further messages of this kind are not shown)");
}

} // namespace

void EnsureOdeForThisThread() {
    static std::once_flag initialised;
    std::call_once(initialised, [] {
        dInitODE2(0);
        dSetMessageHandler(&reportOdeMessageOnce);
    });
    // Without dInitFlagManualThreadCleanup ODE frees a thread's data itself
    // when the thread ends; the library stays open for the process's life.
    thread_local const bool allocated = dAllocateODEDataForThread(dAllocateMaskAll) != 0;
    (void)allocated;
}

} // namespace physics
