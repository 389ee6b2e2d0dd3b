#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The texts a robot exchanges with its program once per step, over plain
// data, so that the robot only gathers its devices' readings and hands out the
// resulting values.
//
// Input (simulator to program): the step counter and a space, then per
// sensor, in the robot's sensor order, "port*kind*" followed by its reading
// (decimal fields each ended by "*") and a space; for example
// "5 1*0*1* 3*4*200* ".
//
// Output (program to simulator): space-separated tokens "port*value*". The
// motor section runs from the start to the first token that begins with "p"
// or "l"; the light section is everything after the first "l" anywhere in
// the text, with colour indexes as values. For example "1*50* 2*-50* l3*1*".
namespace StepText {

// A sensor as the input text shows it. The reading is what the sensor wrote,
// already in its "%d*" form; at most kMaxReadingLength characters of it count.
struct SensorReading {
    int port = 0;
    int kind = 0;
    std::string_view reading;
};

inline constexpr std::size_t kMaxReadingLength = 99;

std::string BuildInputText(int step, std::span<const SensorReading> sensors);

struct PortValue {
    int port = 0;
    int value = 0;

    bool operator==(const PortValue&) const = default;
};

// The tokens of an output text, section by section, in text order.
struct OutputTokens {
    std::vector<PortValue> motors;
    std::vector<PortValue> lights;
};

OutputTokens ParseOutputText(std::string_view text);

// What one output text does to a robot's motors and lights: per device, in the
// robot's device order, the value it sets, or nothing when no token addresses
// it. A token addresses the first device on its port; a later token for the
// same port overrides an earlier one.
struct DeviceValues {
    std::vector<std::optional<int>> motors;
    std::vector<std::optional<int>> lights;
};

// Empty when the text is empty: then no motor and no light takes part in the
// step at all. Otherwise every motor and every light applies its value, new or
// kept, in this step.
std::optional<DeviceValues> ResolveOutputText(
    std::string_view text, std::span<const int> motorPorts, std::span<const int> lightPorts);

// The output text that replaces the program while the user drives the first
// robot with the keyboard: direction 1 forward, 2 back, 3 left, 4 right, 5 to 8
// forward-left, forward-right, back-left, back-right; speeds are S1 to S4 of
// the drive settings. Any other direction gives "", which moves nothing.
std::string ManualDriveOutputText(int direction, const std::array<int, 4>& speeds);

} // namespace StepText
