#pragma once

#include "elements/PartContext.h"
#include "elements/RobotRoster.h"

#include <osg/Image>
#include <osg/ref_ptr>

#include <vector>

class CElement;
class CGeo;
class RobotOnPlayground;
struct SRobThreadData;

namespace physics {
class PhysicsWorld;
} // namespace physics

namespace scene {
class Camera;
class Scene;
} // namespace scene

// The run's shared game state: the simulation owns it, the playground, its
// objects and every trigger zone hold a pointer to it. Through it they reach
// the robots of the run, in robot index order (the load block's robot list),
// and the stop flag tells the simulation to end the run.
struct SGameState : public RobotRoster {
    // The run must stop: start and end zones set it; the playground clears it
    // when it is made and at every load.
    bool m_bStop = false;
    // The start zone that set the stop flag because no robot met it in the
    // run's first frame: its number among the playground's start zones
    // (from 1, as the robots are placed in them) and its trigger mode; 0
    // when no start zone stopped the run. Cleared with the stop flag.
    int m_nStopStartZone = 0;
    int m_nStopStartZoneMode = 0;
    // The zones in Leave mode that acted in the run's first frame because
    // no robot started in them (an end zone ended the run, a score zone gave
    // its points, a touch zone was used up): each zone's kind and its number
    // among the playground's zones of that kind (from 1). Cleared with the
    // stop flag.
    struct ZoneAtOnce {
        int kind = 0;
        int number = 0;
        bool operator==(const ZoneAtOnce&) const = default;
    };
    std::vector<ZoneAtOnce> m_vecLeaveAtOnce;
    // The robot loader's block: the robots, the scene they are shown in, the
    // physics world, the playground's scoring rules (not owned).
    SRobThreadData* m_pLoadBlock = nullptr;
    // Every element the playground placed, the ground first (for picking).
    std::vector<osg::ref_ptr<CElement>> m_vElements;
    // The ground's picture, which the path zones look for the line in.
    osg::ref_ptr<osg::Image> m_pGroundImage;
    // The simulation's camera, which the score labels face (not owned).
    scene::Camera* m_pCamera = nullptr;
    // The playground's loaded models, which delivery zones look at.
    std::vector<osg::ref_ptr<CGeo>>* m_pGeoList = nullptr;

    // A new run, or none: the stop flag and what is known of why it was set
    // are cleared.
    void ClearStop();

    SGameState();
    ~SGameState() override;
    SGameState(const SGameState&) = delete;
    SGameState& operator=(const SGameState&) = delete;

    // The robots of the load block's list; none without a load block.
    int GetRobotCount() const override;
    PlaygroundRobot* GetRobot(int index) const override;

    // What the load block gives: null or empty without one.
    scene::Scene* GetScene() const;
    physics::PhysicsWorld* GetSimulator() const;
    std::vector<int>* GetRules() const;
    PartContextPtr GetPartContext() const;

    // While the robots stand still (the playground's step: they move only in
    // the physics and in their own steps), what is measured of them may be
    // kept: the round is then non-zero and new for every step.
    void BeginStillRound();
    void EndStillRound() { m_nStillRound = 0; }
    unsigned GetStillRound() const { return m_nStillRound; }

private:
    // The robots as the playground sees them, made when a robot is first
    // asked for and kept while the list holds it.
    mutable std::vector<osg::ref_ptr<RobotOnPlayground>> m_robots;
    unsigned m_nStillRound = 0;
    unsigned m_nLastRound = 0;
};
