#include "window/RobotDataText.h"

#include <charconv>

namespace window {

namespace {

const QString kLineEnd = QStringLiteral("\r\n");
const QChar kColumn = QLatin1Char('\t');

QString Row(const QString& device, int port, const QString& value) {
    return device + kColumn + QString::number(port) + kColumn + value + kLineEnd;
}

// A program may put anything into its text; the panel shows it on one line.
QString OneLine(std::string_view text) {
    QString line = QString::fromLocal8Bit(text.data(), qsizetype(text.size()));
    for (QChar& c : line) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    }
    return line;
}

bool ReadInt(std::string_view field, int& value) {
    const char* end = field.data() + field.size();
    const auto [last, error] = std::from_chars(field.data(), end, value);
    return error == std::errc() && last == end;
}

// One sensor of an input text, "port*kind*" and its reading fields.
struct InputSensor {
    int port = 0;
    int kind = 0;
    std::string_view reading;
};

bool ReadSensor(std::string_view token, InputSensor& sensor) {
    const std::size_t first = token.find('*');
    if (first == std::string_view::npos)
        return false;
    const std::size_t second = token.find('*', first + 1);
    if (second == std::string_view::npos)
        return false;
    if (!ReadInt(token.substr(0, first), sensor.port)
        || !ReadInt(token.substr(first + 1, second - first - 1), sensor.kind))
        return false;
    sensor.reading = token.substr(second + 1);
    // The reading's fields are each ended by "*": the last one needs no mark.
    if (!sensor.reading.empty() && sensor.reading.back() == '*')
        sensor.reading.remove_suffix(1);
    return true;
}

} // namespace

QString RobotDataText(const RobotDataCaptions& captions, const RobotDevices& devices, std::string_view output,
    std::string_view input) {
    QString text = captions.device + kColumn + captions.port + kColumn + captions.value + kLineEnd;

    for (const StepText::PortValue& motor : devices.motors)
        text += Row(captions.motor, motor.port, QString::number(motor.value) + QStringLiteral("_M"));
    for (const StepText::PortValue& light : devices.lights)
        text += Row(captions.light, light.port, QString::number(light.value));

    // The step counter comes first; then one token per sensor.
    bool counter = true;
    std::size_t at = 0;
    while (at <= input.size()) {
        std::size_t end = input.find(' ', at);
        if (end == std::string_view::npos)
            end = input.size();
        const std::string_view token = input.substr(at, end - at);
        at = end + 1;
        if (token.empty())
            continue;
        if (counter) {
            counter = false;
            continue;
        }
        InputSensor sensor;
        if (!ReadSensor(token, sensor))
            continue;
        const bool named = sensor.kind >= 0 && std::size_t(sensor.kind) < captions.sensors.size()
            && !captions.sensors[std::size_t(sensor.kind)].isEmpty();
        const QString device
            = named ? captions.sensors[std::size_t(sensor.kind)] : QString::number(sensor.kind);
        text += Row(device, sensor.port, OneLine(sensor.reading) + QStringLiteral("_P"));
    }

    text += kLineEnd + captions.exchanged + kLineEnd + OneLine(output) + kLineEnd + OneLine(input);
    return text;
}

} // namespace window
