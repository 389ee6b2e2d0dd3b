#pragma once

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
};
