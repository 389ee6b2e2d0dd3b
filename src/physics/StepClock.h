#pragma once

namespace physics {

// Turns intervals of time into a number of fixed steps. Time that does not
// fill a whole step is carried into the next interval. The count is exact
// for intervals that are whole multiples of the step: 0.6 s at 0.02 s is 30
// steps every time, although 0.6 / 0.02 is 29.999999999999996 in binary
// floating point; a residue within a billionth of a step counts as a whole
// step and never accumulates.
class StepClock {
public:
    static constexpr double kDefaultStepSize = 0.02;
    // A single interval is never turned into more steps than this; anything
    // beyond is dropped, so a wild interval cannot stall the caller.
    static constexpr int kMaxStepsPerInterval = 10000;

    // False (and no change) for a step that is not a positive finite number.
    bool setStepSize(double seconds);
    double stepSize() const { return m_stepSize; }

    // Adds the interval and returns how many whole steps are now due; an
    // interval that is negative or not a number adds nothing.
    int advance(double seconds);
    // Time carried over, always below one step.
    double carried() const { return m_carried; }
    void reset() { m_carried = 0.0; }

private:
    double m_stepSize = kDefaultStepSize;
    double m_carried = 0.0;
};

} // namespace physics
