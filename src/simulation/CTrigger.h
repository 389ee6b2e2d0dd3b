#pragma once

#include "elements/CModel.h"

#include <osg/BoundingBox>

class PlaygroundRobot;
struct SGameState;

// The trigger kinds (the zone's sub-type, the playground file's "TriggerType").
enum TriggerKind {
    TriggerEnd = 0,
    TriggerStart = 1,
    TriggerScore = 2,
    TriggerPath = 3,
    TriggerTouch = 4,
    TriggerDelivery = 5,
    TriggerRescue = 6,
};

// A trigger zone (model type 8): a see-through, scalable pad that watches the
// robots of a run and awards scores, starts or ends the run. The playground
// loads zones from its file, gives them the game state and checks each once
// per running frame, before the robots move.
//
// Zones meet robots by their world bounding boxes, with a margin of 2, in the
// zone's trigger mode: 0 the robot is inside the zone, 1 the two overlap, any
// other mode the robot is outside.
class CTrigger : public CModel {
public:
    CTrigger(PartContextPtr context, const std::string& address, const osg::Vec3f& scale, int kind);

    void SetGameState(SGameState* state) { m_pGameState = state; }
    SGameState* GetGameState() const { return m_pGameState; }

    // The zone's check of one running frame.
    virtual void Check() = 0;
    // The contact test for the robot at the robot index; false for an index
    // beyond the robots, or a robot without its control unit.
    virtual bool IsInContact();

    bool IsArmed() const { return m_bArmed; }
    int GetRobIndex() const { return m_nRobIndex; }

    static constexpr float kMargin = 2.0f;
    // Whether the boxes of zone and robot (or object) meet in the mode. With
    // outsideMargin clear, "outside" takes no margin on x and y.
    static bool Meets(
        const osg::BoundingBox& zone, const osg::BoundingBox& other, int mode, bool outsideMargin = true);

protected:
    ~CTrigger() override = default;

    // The robots of the run, as the game state gives them.
    int RobotCount() const;
    PlaygroundRobot* Robot(int index) const;
    bool Stopped() const;
    void Stop();
    // Measured once per playground step (the game state's still round): a
    // zone does not move while the playground steps.
    osg::BoundingBox ZoneBounds() const;
    static void AddScore(PlaygroundRobot& robot, int points);

    SGameState* m_pGameState = nullptr; // not owned
    int m_nRobIndex = 0;
    bool m_bArmed = true;

private:
    mutable unsigned m_nZoneRound = 0;
    mutable osg::BoundingBox m_zoneBox;
};
