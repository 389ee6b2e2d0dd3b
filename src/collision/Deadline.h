#pragma once

#include <chrono>
#include <cstdint>

namespace collision {

// The time budget of a model query on the 64-bit monotonic clock. Reading a
// clock costs as much as a box test, so the clock is read on every 64th step
// only, and the budget starts at the first reading: a search shorter than 64
// steps never reads it, and a longer one runs at most 64 steps past its
// budget.
class Deadline {
public:
    explicit Deadline(std::int64_t milliseconds)
        : m_budget(milliseconds) { }

    // Counts one step of the search; throws TimeoutExpired once the budget is
    // used up.
    void step() {
        if ((++m_steps & 63u) == 0)
            checkClock();
    }

private:
    void checkClock();

    std::chrono::milliseconds m_budget;
    std::chrono::steady_clock::time_point m_end;
    bool m_started = false;
    std::uint32_t m_steps = 0;
};

} // namespace collision
