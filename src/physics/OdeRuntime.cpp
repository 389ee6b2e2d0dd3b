#include "physics/OdeRuntime.h"

#include "platform/Warnings.h"

#include <ode/ode.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

namespace physics {

void HoldOdeMessage(int number, std::string text);

namespace {

thread_local OdeMessageHold* t_hold = nullptr;

// ODE reports recoverable trouble (an LCP that could not be solved exactly
// for very light or very thin solids) through messages, possibly once per
// step and each with its own numbers. Each kind is passed on once as a
// "physics" warning; the step goes on regardless.
void reportOnce(int number, const std::string& message) {
    static std::atomic<unsigned> seen { 0 };
    const unsigned bit = 1u << (static_cast<unsigned>(number) % 32u);
    if (seen.fetch_or(bit) & bit)
        return;
    platform::Warn("physics",
        "ODE message " + std::to_string(number) + ": " + message
            + " (further messages of this kind are not shown)");
}

void onOdeMessage(int number, const char* text, va_list args) {
    char message[512];
    std::vsnprintf(message, sizeof message, text, args);
    if (t_hold)
        HoldOdeMessage(number, message);
    else
        reportOnce(number, message);
}

} // namespace

void HoldOdeMessage(int number, std::string text) {
    t_hold->m_held.emplace_back(number, std::move(text));
}

OdeMessageHold::OdeMessageHold()
    : m_outer(t_hold) {
    t_hold = this;
}

OdeMessageHold::~OdeMessageHold() {
    t_hold = m_outer;
}

void OdeMessageHold::release() {
    std::vector<std::pair<int, std::string>> held;
    held.swap(m_held);
    for (const auto& [number, text] : held) {
        if (m_outer)
            m_outer->m_held.emplace_back(number, text);
        else
            reportOnce(number, text);
    }
}

void EnsureOdeForThisThread() {
    static std::once_flag initialised;
    std::call_once(initialised, [] {
        dInitODE2(0);
        dSetMessageHandler(&onOdeMessage);
    });
    // Without dInitFlagManualThreadCleanup ODE frees a thread's data itself
    // when the thread ends; the library stays open for the process's life.
    thread_local const bool allocated = dAllocateODEDataForThread(dAllocateMaskAll) != 0;
    (void)allocated;
}

} // namespace physics
