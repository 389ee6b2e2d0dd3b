#include "physics/StepClock.h"

#include <cmath>

namespace physics {

namespace {

// Relative slack for "a whole number of steps" (see the class comment).
constexpr double kSlack = 1e-9;

} // namespace

bool StepClock::setStepSize(double seconds) {
    if (!(seconds > 0.0) || !std::isfinite(seconds))
        return false;
    m_stepSize = seconds;
    m_carried = 0.0;
    return true;
}

int StepClock::advance(double seconds) {
    if (!(seconds > 0.0) || !std::isfinite(seconds))
        return 0;
    const double total = m_carried + seconds;
    const double whole = std::floor(total / m_stepSize + kSlack);
    if (whole > kMaxStepsPerInterval) {
        m_carried = 0.0;
        return kMaxStepsPerInterval;
    }
    double rest = total - whole * m_stepSize;
    if (rest < m_stepSize * kSlack)
        rest = 0.0;
    m_carried = rest;
    return static_cast<int>(whole);
}

} // namespace physics
