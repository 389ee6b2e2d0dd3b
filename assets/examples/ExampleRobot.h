#pragma once

#include "elements/PartContext.h"
#include "elements/SPartOwner.h"
#include "simulation/SRobotFileState.h"

#include <osg/Vec3d>

#include <string>

class CConfig;

// An example robot, put together part by part as a student puts it
// together in the robot builder, and saved by the builder's own writer, so
// the file is exactly what the builder would save of that robot.
//
// Every robot starts from the same two-wheeled base: the control unit
// (8 x 12, its top 5.2 above the ground), the left motor on port 1 and the
// right one on port 2 (turned round and marked opposite, so that positive
// values drive both wheels forward), their wheels, and two casters. A deck
// (a 4 x 8 plate on top of the control unit, reaching 8 ahead of it) carries
// the sensors that look ahead; sensors that look at the ground hang under
// its front edge.
class ExampleRobot {
public:
    // Heights of what is mounted on the deck and under it.
    static constexpr double kDeckTop = 6.0;
    static constexpr double kUnderDeck = 3.0;
    static constexpr double kUnitTop = 5.2;

    ExampleRobot(const CConfig& config, PartContextPtr parts);

    // A part at a place, turned by heading degrees about z, wired to port
    // (0: none); false when the factory makes nothing of it.
    bool Add(int kind, const std::string& address, const osg::Vec3d& at, double heading = 0.0, int port = 0,
        int sensorKind = 0, int opposite = 0);
    bool AddSensor(
        int sensorKind, const std::string& stem, const osg::Vec3d& at, int port, double heading = 0.0);
    bool AddLight(const osg::Vec3d& at, int port);

    bool AddBase();
    bool AddDeck();

    // Saves through the robot builder's writer; false when it could not.
    bool Save(const std::string& path);

private:
    SPartOwner m_owner;
    SRobotFileState m_state;
};
