#pragma once

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

// The robot data panel's text for one robot: a table, lines ended by "\r\n"
// and columns separated by "\t", of the motor and light values its program
// gave last (motor values marked "_M") and of the sensor readings it was given
// (marked "_P"), then the two texts as they were exchanged, the output first.
// The output is the program's own text: whatever it holds, the table shows
// only what the simulation reads of it.
QString RobotDataText(const RobotDataCaptions& captions, std::string_view output, std::string_view input);

} // namespace window
