#pragma once

#include "elements/PartContext.h"
#include "physics/Handle.h"
#include "physics/PhysicsWorld.h"
#include "simulation/RobotLoadFault.h"

#include <osg/Quat>
#include <osg/Vec3f>
#include <osg/observer_ptr>
#include <osg/ref_ptr>

#include <atomic>
#include <string>
#include <vector>

class CConfig;
class CRob;
class SensorModelTable;

namespace scene {
class Scene;
} // namespace scene

// The simulation's load block, which the robot loader thread, the
// simulation and the main window share. While the status is 1 the loader
// owns it: the others read only the status and the progress (atomic, so
// they may poll them from the GUI thread) and leave the robot list and the
// other lists alone.
struct SRobThreadData {
    // 0 idle, 1 loading, 2 a robot file could not be read, 3 all robots
    // loaded, 4 a robot breaks the playground's scoring rules.
    std::atomic<int> m_nStatus { 0 };
    // Percent, 0 to 100.
    std::atomic<int> m_nProgress { 0 };
    // One robot file per robot, in robot order.
    std::vector<std::string> m_vecRobotFiles;
    // After a load that ended with 2 or 4: the index of the robot file that
    // stopped it, and why; -1 and none otherwise.
    int m_nFailedRobot = -1;
    RobotLoadFault m_failure = RobotLoadFault::None;
    // After a load that ended with 4: the limit the robot broke.
    RobotRuleBreak m_ruleBreak;
    // The simulation's robots, which the loader fills.
    std::vector<osg::ref_ptr<CRob>>* m_pRobots = nullptr;
    // The playground's scoring rules: [0] the most parts a robot may have,
    // [1] the weight, [2 + j] the most sensors of sensor model j.
    std::vector<int> m_vecRules;
    // The simulation page's sensor model bar, whose order the rules' limits
    // follow (not owned).
    const SensorModelTable* m_pSensorModelTable = nullptr;
    // The robot programs: one per robot, or the one for every robot when
    // that list is empty.
    std::vector<std::string> m_vecProgramFiles;
    std::string m_strProgramFile;
    // The run's frame counter in the configuration's tick digits.
    std::vector<int> m_vecFrameCount;
    std::string m_strPlaygroundFile;
    // Where the robots are built: the simulation's scene, physics world and
    // configuration, and the parts' model database.
    osg::observer_ptr<scene::Scene> m_pScene;
    physics::Handle<physics::PhysicsWorld> m_pSimulator;
    const CConfig* m_pConfig = nullptr;
    PartContextPtr m_pPartContext;
    // The start poses, by robot index: one per start zone of the
    // playground. Without any, a single robot starts at the origin,
    // unturned; a robot beyond them is refused (RobotLoadFault::NoStartZone),
    // since it would stand where another stands.
    std::vector<osg::Vec3f> m_vecStartPositions;
    std::vector<osg::Quat> m_vecStartRotations;
    // Two counters that the simulation sets to 1 for the main window.
    int m_nCounter1 = 0;
    int m_nCounter2 = 0;
};
