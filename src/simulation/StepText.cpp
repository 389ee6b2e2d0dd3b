#include "simulation/StepText.h"

#include <algorithm>
#include <climits>

namespace StepText {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reads a number the way the C library's string-to-int conversion does
// (leading blanks, a sign, digits, anything else ends it, no digits give 0),
// but saturates instead of overflowing.
int ReadNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        return static_cast<int>(-value);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

// Port and value of a token that holds a "*": the number before the first "*",
// and the one up to the second "*" or the token's end.
PortValue ReadToken(std::string_view token, std::size_t star) {
    std::string_view rest = token.substr(star + 1);
    rest = rest.substr(0, rest.find('*'));
    return { ReadNumber(token.substr(0, star)), ReadNumber(rest) };
}

// Calls f for every token of text, cut at each single space; a trailing space
// ends the last token without starting an empty one. f returns false to stop.
template <typename F> void ForEachToken(std::string_view text, F f) {
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t end = std::min(text.find(' ', begin), text.size());
        if (!f(text.substr(begin, end - begin)))
            return;
        begin = end + 1;
    }
}

void Assign(const std::vector<PortValue>& tokens, std::span<const int> ports,
    std::vector<std::optional<int>>& values) {
    values.assign(ports.size(), std::nullopt);
    for (const PortValue& token : tokens) {
        for (std::size_t i = 0; i < ports.size(); ++i) {
            if (ports[i] == token.port) {
                values[i] = token.value;
                break;
            }
        }
    }
}

} // namespace

std::string BuildInputText(int step, std::span<const SensorReading> sensors) {
    std::string text = std::to_string(step) + " ";
    for (const SensorReading& sensor : sensors) {
        text += std::to_string(sensor.port);
        text += '*';
        text += std::to_string(sensor.kind);
        text += '*';
        // A sensor's reading ends at its first zero byte and fits in 99
        // characters, however it was produced.
        std::string_view reading = sensor.reading.substr(0, kMaxReadingLength);
        text += reading.substr(0, reading.find('\0'));
        text += ' ';
    }
    return text;
}

OutputTokens ParseOutputText(std::string_view text) {
    OutputTokens tokens;
    ForEachToken(text, [&](std::string_view token) {
        if (!token.empty() && (token[0] == 'p' || token[0] == 'l'))
            return false;
        // A token without "*" (two spaces in a row, a stray word) names no
        // port; it is passed over and the section goes on.
        const std::size_t star = token.find('*');
        if (star != std::string_view::npos)
            tokens.motors.push_back(ReadToken(token, star));
        return true;
    });

    const std::size_t l = text.find('l');
    if (l != std::string_view::npos) {
        ForEachToken(text.substr(l + 1), [&](std::string_view token) {
            const std::size_t star = token.find('*');
            if (star != std::string_view::npos)
                tokens.lights.push_back(ReadToken(token, star));
            else if (token.empty() || token[0] == 'p')
                // As in the manual-drive text's " l p ": port 0, where no
                // light ever changes its look.
                tokens.lights.push_back({ 0, 0 });
            return true;
        });
    }
    return tokens;
}

std::optional<DeviceValues> ResolveOutputText(
    std::string_view text, std::span<const int> motorPorts, std::span<const int> lightPorts) {
    if (text.empty())
        return std::nullopt;
    const OutputTokens tokens = ParseOutputText(text);
    DeviceValues values;
    Assign(tokens.motors, motorPorts, values.motors);
    Assign(tokens.lights, lightPorts, values.lights);
    return values;
}

std::string ManualDriveOutputText(int direction, const std::array<int, 4>& speeds) {
    const int s1 = speeds[0];
    const int s2 = speeds[1];
    const int s3 = speeds[2];
    const int s4 = speeds[3];
    int left = 0;
    int right = 0;
    switch (direction) {
    case 1:
        left = s1, right = s1;
        break;
    case 2:
        left = -s1, right = -s1;
        break;
    case 3:
        left = -s2, right = s2;
        break;
    case 4:
        left = s2, right = -s2;
        break;
    case 5:
        left = s4, right = s3;
        break;
    case 6:
        left = s3, right = s4;
        break;
    case 7:
        left = -s4, right = -s3;
        break;
    case 8:
        left = -s3, right = -s4;
        break;
    default:
        return std::string();
    }
    return "1*" + std::to_string(left) + "* 2*" + std::to_string(right) + " l p ";
}

} // namespace StepText
