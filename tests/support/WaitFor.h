#pragma once

#include <functional>

namespace testsupport {

// Polls a condition every 20 ms (sleeping, not running an event loop) until
// it holds or ms have passed; its last answer.
bool WaitFor(const std::function<bool()>& condition, int ms);

} // namespace testsupport
