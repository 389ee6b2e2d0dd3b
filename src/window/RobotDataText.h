#pragma once

#include "simulation/StepText.h"

#include <QString>

#include <string_view>
#include <vector>

namespace window {

// What the robot data panel calls things, in the current language.
struct RobotDataCaptions {
    // The column headers: device, port, value; and the caption of the two
    // texts as they were exchanged.
    QString device;
    QString port;
    QString value;
    QString exchanged;
    QString motor;
    QString light;
    // By sensor kind; a kind without a name is shown by its number.
    std::vector<QString> sensors;
};

// The robot's motors and lights, in its device order: each one's port and
// the value it holds (a motor's, within -100..100; a light's colour index).
struct RobotDevices {
    std::vector<StepText::PortValue> motors;
    std::vector<StepText::PortValue> lights;
};

// The robot data panel's text for one robot: a table, lines ended by "\r\n"
// and columns separated by "\t", of the robot's motors and lights with the
// values they hold (motor values marked "_M") and of the sensor readings it
// was given (marked "_P"), then the two texts as they were exchanged, the
// output first. The table lists the robot's own devices: whatever the
// program's text holds, it adds no row and takes none away.
QString RobotDataText(const RobotDataCaptions& captions, const RobotDevices& devices, std::string_view output,
    std::string_view input);

} // namespace window
