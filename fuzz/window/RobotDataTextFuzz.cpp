// The robot data panel's text of a program's output text and an input text:
// any bytes, split where the first byte says. The table has its header, a
// row for every motor token the simulation reads of the output, and ends
// with the two texts, each on a line of its own.

#include "FuzzCheck.h"
#include "simulation/StepText.h"
#include "window/RobotDataText.h"

#include <QStringList>

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t split = std::min<std::size_t>(data[0], bytes.size());
    const std::string_view output = bytes.substr(0, split);
    const std::string_view input = bytes.substr(split);

    window::RobotDataCaptions captions;
    captions.device = QStringLiteral("D");
    captions.port = QStringLiteral("P");
    captions.value = QStringLiteral("V");
    captions.exchanged = QStringLiteral("X");
    captions.motor = QStringLiteral("M");
    captions.light = QStringLiteral("L");
    captions.sensors = { QStringLiteral("S0"), QStringLiteral("S1") };
    const QString text = window::RobotDataText(captions, output, input);

    const QStringList lines = text.split(QStringLiteral("\r\n"));
    fuzzsupport::Check(lines.size() >= 5 && lines.front() == QStringLiteral("D\tP\tV"), "no header row");
    fuzzsupport::Check(
        lines.at(lines.size() - 3) == QStringLiteral("X"), "the texts not after their caption");
    qsizetype motors = 0;
    for (const QString& line : lines)
        motors += line.startsWith(QStringLiteral("M\t")) ? 1 : 0;
    fuzzsupport::Check(motors == qsizetype(StepText::ParseOutputText(output).motors.size()),
        "motor rows other than the motor tokens the simulation reads");
    return 0;
}
