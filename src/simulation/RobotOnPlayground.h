#pragma once

#include "elements/PlaygroundRobot.h"

#include <osg/observer_ptr>

class CRob;
struct SGameState;

// A robot of the run as the playground's objects and zones see it: its
// control unit, its score and what it carries, all kept by the robot itself.
// Once the robot is gone it has no control unit and carries nothing.
class RobotOnPlayground : public PlaygroundRobot {
public:
    // While the game state says the robots stand still (a playground step),
    // the robot's box is measured once.
    RobotOnPlayground(CRob* robot, const SGameState& state);

    CRob* GetRob() const { return m_pRob.get(); }

    CModel* GetRcu() const override;
    bool GetBodyBounds(osg::BoundingBox& box) const override;
    int GetScore() const override;
    void SetScore(int score) override;
    CGeo* GetCarriedGeo() const override;
    void SetCarriedGeo(CGeo* geo, const scene::Transform& transform) override;
    int GetCarriedObjectCount() const override;
    CTakenObj* GetCarriedObject(int index) const override;
    void AddCarriedObject(CTakenObj* object, const scene::Transform& transform) override;
    void ClearCarriedObjects() override;

protected:
    ~RobotOnPlayground() override = default;

private:
    osg::observer_ptr<CRob> m_pRob;
    const SGameState& m_state;
    mutable unsigned m_nBoundsRound = 0;
    mutable bool m_bHasBounds = false;
    mutable osg::BoundingBox m_bounds;
};
