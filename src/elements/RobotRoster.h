#pragma once

class PlaygroundRobot;

// The robots of a run in robot index order, as the playground's objects and
// trigger zones reach them through the run's game state.
class RobotRoster {
public:
    virtual ~RobotRoster() = default;

    virtual int GetRobotCount() const = 0;
    // Null for an index out of range or a place without a robot.
    virtual PlaygroundRobot* GetRobot(int index) const = 0;
};
