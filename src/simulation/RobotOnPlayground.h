#pragma once

#include "elements/PlaygroundRobot.h"

#include <osg/observer_ptr>

class CRob;

// A robot of the run as the playground's objects and zones see it: its
// control unit, its score and what it carries, all kept by the robot itself.
// Once the robot is gone it has no control unit and carries nothing.
class RobotOnPlayground : public PlaygroundRobot {
public:
    explicit RobotOnPlayground(CRob* robot);

    CRob* GetRob() const { return m_pRob.get(); }

    CModel* GetRcu() const override;
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
};
