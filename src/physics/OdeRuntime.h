#pragma once

#include <string>
#include <utility>
#include <vector>

namespace physics {

// Makes ODE usable from the calling thread: initialises the library once per
// process and gives each thread its own collision data the first time the
// thread comes here. Every entry point that creates geoms, collides or steps
// calls it, so a world works in whichever thread made it (each world then
// stays in that thread) without set-up of its own.
void EnsureOdeForThisThread();

// While one lives, the engine's messages in its thread are held back and
// counted instead of reported; release() reports what was held, as it would
// have been reported. (A step that will be taken again need not warn.)
class OdeMessageHold {
public:
    OdeMessageHold();
    ~OdeMessageHold();
    OdeMessageHold(const OdeMessageHold&) = delete;
    OdeMessageHold& operator=(const OdeMessageHold&) = delete;

    int count() const { return static_cast<int>(m_held.size()); }
    void release();

private:
    friend void HoldOdeMessage(int number, std::string text);
    std::vector<std::pair<int, std::string>> m_held;
    OdeMessageHold* m_outer;
};

} // namespace physics
