#pragma once

#include <string>

// Why a robot file did not become a robot in the simulation, for the
// student: the loader keeps it with the robot that stopped it.
enum class RobotLoadFault {
    None,
    Unreadable, // the file cannot be read, or is far too large for a robot file
    NotARobotFile, // no robot file's XML, or one cut short
    NoControlUnit, // no control unit, or no part count
    ModelOutside, // a part's model lies outside the program folder
    ControlUnitModel, // the control unit's model does not load
    BreaksRules, // more parts or sensors than the playground allows
    NoStartZone, // the playground has no start zone left for it
};

// Which of the playground's limits a robot broke (RobotLoadFault::BreaksRules).
struct RobotRuleBreak {
    enum class Limit {
        None,
        Parts, // more parts than the playground's number allows
        Sensors, // more sensors of one model than its count allows
        SensorModel, // a sensor model the playground's rules do not list
    };
    Limit limit = Limit::None;
    // The robot's number of parts or of sensors of the model, and what the
    // playground allows of them.
    int count = 0;
    int allowed = 0;
    // The sensor model: its place in the sensor bar (-1 when the bar has
    // none of it) and its address.
    int sensorModel = -1;
    std::string address;
};
