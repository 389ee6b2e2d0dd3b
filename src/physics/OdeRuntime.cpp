#include "physics/OdeRuntime.h"

#include <ode/ode.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace physics {

namespace {

// ODE reports recoverable trouble (an LCP that could not be solved exactly
// for very light or very thin solids) through messages, possibly once per
// step. Each kind is shown once on stderr; the step goes on regardless.
void reportOdeMessageOnce(int number, const char* text, va_list args) {
    static std::atomic<unsigned> seen { 0 };
    const unsigned bit = 1u << (static_cast<unsigned>(number) % 32u);
    if (seen.fetch_or(bit) & bit)
        return;
    std::fprintf(stderr, "physics: ODE message %d: ", number);
    std::vfprintf(stderr, text, args);
    std::fprintf(stderr, " (further messages of this kind are not shown)\n");
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
