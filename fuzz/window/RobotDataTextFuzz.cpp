// The robot data panel's text of a robot's devices, a program's output text
// and an input text: any bytes, the first saying where the texts split, the
// second how many motors and lights the robot has. The table has its header,
// a row for every motor of the robot and none more, whatever the output
// says, and ends with the two texts, each on a line of its own.

#include "FuzzCheck.h"
#include "window/RobotDataText.h"

#include <QStringList>

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 2, size - 2);
    const std::size_t split = std::min<std::size_t>(data[0], bytes.size());
    const std::string_view output = bytes.substr(0, split);
    const std::string_view input = bytes.substr(split);

    window::RobotDevices devices;
    for (int i = 0; i < (data[1] & 0x0f) % 7; ++i)
        devices.motors.push_back({ i + 1, (i * 37) % 201 - 100 });
    for (int i = 0; i < (data[1] >> 4) % 4; ++i)
        devices.lights.push_back({ i + 7, i });

    window::RobotDataCaptions captions;
    captions.device = QStringLiteral("D");
    captions.port = QStringLiteral("P");
    captions.value = QStringLiteral("V");
    captions.exchanged = QStringLiteral("X");
    captions.motor = QStringLiteral("M");
    captions.light = QStringLiteral("L");
    captions.sensors = { QStringLiteral("S0"), QStringLiteral("S1") };
    const QString text = window::RobotDataText(captions, devices, output, input);

    const QStringList lines = text.split(QStringLiteral("\r\n"));
    fuzzsupport::Check(lines.size() >= 5 && lines.front() == QStringLiteral("D\tP\tV"), "no header row");
    fuzzsupport::Check(
        lines.at(lines.size() - 3) == QStringLiteral("X"), "the texts not after their caption");
    qsizetype motors = 0;
    qsizetype lights = 0;
    for (const QString& line : lines) {
        motors += line.startsWith(QStringLiteral("M\t")) ? 1 : 0;
        lights += line.startsWith(QStringLiteral("L\t")) ? 1 : 0;
    }
    fuzzsupport::Check(
        motors == qsizetype(devices.motors.size()), "motor rows other than the robot's motors");
    fuzzsupport::Check(
        lights == qsizetype(devices.lights.size()), "light rows other than the robot's lights");
    for (std::size_t i = 0; i < devices.motors.size(); ++i)
        fuzzsupport::Check(lines.at(qsizetype(i) + 1)
                == QStringLiteral("M\t%1\t%2_M").arg(devices.motors[i].port).arg(devices.motors[i].value),
            "a motor's row not its port and value");
    return 0;
}
