#include "platform/Warnings.h"

#include <cstdio>
#include <set>

namespace platform {

namespace {

struct WarningState {
    std::mutex mutex;
    WarningHandler handler;
    std::set<std::string, std::less<>> written;
};

WarningState& State() {
    static WarningState state;
    return state;
}

// Past this many distinct lines every further line is written, rather than
// remembering without end.
constexpr std::size_t kRememberedLines = 1000;

void WriteOnce(WarningState& state, const Warning& warning) {
    std::string line;
    line.reserve(warning.layer.size() + warning.text.size() + 2);
    line.append(warning.layer).append(": ").append(warning.text);
    {
        std::lock_guard<std::mutex> lock(state.mutex);
        if (state.written.contains(line))
            return;
        if (state.written.size() < kRememberedLines)
            state.written.insert(line);
    }
    std::fprintf(stderr, "%s\n", line.c_str());
}

} // namespace

void Warn(std::string_view layer, std::string_view text) {
    WarningState& state = State();
    WarningHandler handler;
    {
        std::lock_guard<std::mutex> lock(state.mutex);
        handler = state.handler;
    }
    const Warning warning { layer, text };
    if (handler)
        handler(warning);
    else
        WriteOnce(state, warning);
}

WarningHandler SetWarningHandler(WarningHandler handler) {
    WarningState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    WarningHandler previous = std::move(state.handler);
    state.handler = std::move(handler);
    return previous;
}

WarningCapture::WarningCapture() {
    m_previous = SetWarningHandler([this](const Warning& warning) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_layers.emplace_back(warning.layer);
        m_lines.push_back(std::string(warning.layer) + ": " + std::string(warning.text));
    });
}

WarningCapture::~WarningCapture() {
    SetWarningHandler(std::move(m_previous));
}

std::size_t WarningCapture::Count() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lines.size();
}

std::size_t WarningCapture::Count(std::string_view layer) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::size_t n = 0;
    for (const std::string& l : m_layers)
        n += l == layer ? 1 : 0;
    return n;
}

std::vector<std::string> WarningCapture::Lines() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lines;
}

} // namespace platform
