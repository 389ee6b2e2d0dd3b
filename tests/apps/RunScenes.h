#pragma once

// The whole runs of the tests: each writes its robot file (the robot
// builder's writer) and playground (the playground's writer) into a folder
// and gives the headless program's arguments for the run.

#include "EmuFixture.h"
#include "simulation/CTrigger.h"

#include <QStringList>

#include <filesystem>
#include <string>

namespace emutest {

inline QString Arg(const std::string& text) {
    return QString::fromStdString(text);
}

// Head on, with a time limit of 200 frames: robot 0 starts at y -40 facing
// +y, robot 1 at y 40 facing -y; each has a score zone behind the other's
// start (10 for robot 0 at y 100, 20 for robot 1 at y -100). Robot 0's
// program crashes when it is given step 20.
inline QStringList HeadOnRun(const std::filesystem::path& folder) {
    const std::string robot = WriteBaseRobot(folder, "base.rob");
    PlaygroundFile file;
    file.Add(StartZone(osg::Vec3f(0.0f, -40.0f, 0.0f)).info, 0);
    file.Add(StartZone(osg::Vec3f(0.0f, 40.0f, 0.0f), 180.0f).info, 1);
    file.Add(Zone(TriggerScore, osg::Vec3f(0.0f, 100.0f, 0.0f), osg::Vec2f(60.0f, 10.0f), 1, 10).info, 2);
    file.Add(Zone(TriggerScore, osg::Vec3f(0.0f, -100.0f, 0.0f), osg::Vec2f(60.0f, 10.0f), 1, 20).info, 3);
    const std::string playground = WritePlayground(file, folder / "head_on.pla");
    return { "--time-limit", "200", "--frames", "400", "--playground", Arg(playground),
        Arg(robot + "=" + Program("drive_crash_at_20")), Arg(robot + "=" + Program("drive")) };
}

// One robot starting at the origin facing +y, a score zone (10) 50 ahead of
// it and an end zone (5) 110 ahead, both 60 wide: a robot driving straight
// ahead scores 15 and stops the run.
inline QStringList ScoreAndEndRun(const std::filesystem::path& folder) {
    const std::string robot = WriteBaseRobot(folder, "base.rob");
    PlaygroundFile file;
    file.Add(StartZone(osg::Vec3f(0.0f, 0.0f, 0.0f)).info, 0);
    file.Add(Zone(TriggerScore, osg::Vec3f(0.0f, 50.0f, 0.0f), osg::Vec2f(60.0f, 10.0f), 1, 10).info, 1);
    file.Add(Zone(TriggerEnd, osg::Vec3f(0.0f, 110.0f, 0.0f), osg::Vec2f(60.0f, 10.0f), 1, 5).info, 2);
    const std::string playground = WritePlayground(file, folder / "score_and_end.pla");
    return { "--frames", "400", "--playground", Arg(playground), Arg(robot + "=" + Program("drive")) };
}

// One robot in a start zone beyond the edge of the ground (its half width
// is 256).
inline QStringList OffTheFloorRun(const std::filesystem::path& folder) {
    const std::string robot = WriteBaseRobot(folder, "base.rob");
    PlaygroundFile file;
    file.Add(StartZone(osg::Vec3f(400.0f, 0.0f, 0.0f)).info, 0);
    const std::string playground = WritePlayground(file, folder / "off_the_floor.pla");
    return { "--frames", "100", "--playground", Arg(playground), Arg(robot + "=" + Program("drive")) };
}

// Two robots and a time limit of 200 frames: robot 0 starts 86 short of the
// ground's far edge (its half length is 256) facing it, with a score zone
// (10) on its way, and drives off; robot 1 starts far from every edge and
// stays on the ground.
inline QStringList ScoreThenFallRun(const std::filesystem::path& folder) {
    const std::string robot = WriteBaseRobot(folder, "base.rob");
    PlaygroundFile file;
    file.Add(StartZone(osg::Vec3f(0.0f, 170.0f, 0.0f)).info, 0);
    file.Add(StartZone(osg::Vec3f(-150.0f, -220.0f, 0.0f)).info, 1);
    file.Add(Zone(TriggerScore, osg::Vec3f(0.0f, 215.0f, 0.0f), osg::Vec2f(60.0f, 10.0f), 1, 10).info, 2);
    const std::string playground = WritePlayground(file, folder / "score_then_fall.pla");
    return { "--time-limit", "200", "--frames", "400", "--playground", Arg(playground),
        Arg(robot + "=" + Program("drive")), Arg(robot + "=" + Program("drive")) };
}

} // namespace emutest
