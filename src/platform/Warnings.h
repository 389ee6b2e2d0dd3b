#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The one warning path of the layers below the Qt code (physics, collision,
// scene): whatever they repair or work around on their own - a body whose
// motion blew up, a model file that cannot be read, a call from the wrong
// thread - is reported here, never silently. Without a handler a warning is
// written to standard error as "<layer>: <text>", each distinct line once (a
// repair that recurs every step would otherwise flood the terminal); a
// handler sees every single warning, which is how tests count them.
//
// Any thread may warn. A handler runs in the warning thread and must not
// install or remove handlers itself.
struct Warning {
    std::string_view layer;
    std::string_view text;
};

using WarningHandler = std::function<void(const Warning&)>;

void Warn(std::string_view layer, std::string_view text);

// Installs a handler for the whole process (an empty one restores the
// standard error output) and returns the one it replaces.
WarningHandler SetWarningHandler(WarningHandler handler);

// Collects every warning while it lives, then puts back the handler it
// found. For tests: count what a layer reported.
class WarningCapture {
public:
    WarningCapture();
    ~WarningCapture();
    WarningCapture(const WarningCapture&) = delete;
    WarningCapture& operator=(const WarningCapture&) = delete;

    std::size_t Count() const;
    std::size_t Count(std::string_view layer) const;
    // "<layer>: <text>" of every warning, oldest first.
    std::vector<std::string> Lines() const;

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_layers;
    std::vector<std::string> m_lines;
    WarningHandler m_previous;
};

} // namespace platform
