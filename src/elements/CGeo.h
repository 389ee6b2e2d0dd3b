#pragma once

#include "elements/CSlope.h"
#include "elements/PlaygroundRobot.h"
#include "scene/Transform.h"

#include <osg/observer_ptr>

class RobotRoster;

// A loaded model (model type 9, "geometry"): a movable, scalable object that
// robots push about. One whose take flag is set is picked up by a robot that
// stays near it for more than 10 steps and then rides on that robot until a
// delivery zone takes it.
class CGeo : public CSlope {
public:
    CGeo(PartContextPtr context, const std::string& address);
    CGeo(PartContextPtr context, const std::string& address, const osg::Vec3f& scale);

    // Models whose address contains "ball" roll on one sphere without
    // friction ("tball" ones are light); the others are one box round the
    // model, with almost no friction.
    void CreateSolid(physics::PhysicsWorld* world, int contactGroup) override;

    // Stores the robots of the run and takes the present pose as the start
    // pose (called once the object stands where the playground puts it).
    void SetGameState(RobotRoster* state);
    // One step of the pick-up rule, while the object can still be taken.
    void Step();
    // Takes the object from the robot that carries it, if any.
    void Release();
    // Forgets the carrier without touching it (its new owner took the object).
    void ClearCarrier() { m_pCarrier = nullptr; }

    bool IsTakeable() const { return m_bTakeable; }
    PlaygroundRobot* GetCarrier() const { return m_pCarrier.get(); }
    const scene::Transform& GetStartTransform() const { return m_startTransform; }
    int GetCount() const { return m_nCount; }

protected:
    ~CGeo() override = default;

private:
    void Init();

    RobotRoster* m_pGameState = nullptr; // not owned
    scene::Transform m_startTransform;
    bool m_bTakeable = true;
    // The carrier owns what it carries; the object only remembers it.
    osg::observer_ptr<PlaygroundRobot> m_pCarrier;
    int m_nCount = 0;
};
