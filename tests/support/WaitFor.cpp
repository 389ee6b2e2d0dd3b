#include "support/WaitFor.h"

#include <chrono>
#include <thread>

namespace testsupport {

bool WaitFor(const std::function<bool()>& condition, int ms) {
    for (int waited = 0; waited < ms; waited += 20) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return condition();
}

} // namespace testsupport
