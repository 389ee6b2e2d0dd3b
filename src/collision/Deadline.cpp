#include "collision/Deadline.h"

#include "collision/TimeoutExpired.h"

namespace collision {

void Deadline::checkClock() {
    const auto now = std::chrono::steady_clock::now();
    if (!m_started) {
        m_started = true;
        m_end = now + m_budget;
    }
    if (now >= m_end)
        throw TimeoutExpired();
}

} // namespace collision
