#pragma once

#include "elements/CWounded.h"
#include "elements/PlaygroundRobot.h"
#include "scene/Transform.h"

#include <osg/observer_ptr>

// An object to carry (model type 11), such as an astronaut of some colour: a
// robot that carries no loaded model and stays near it for more than 10
// steps picks it up and carries it (with any others it picked up before) to
// a rescue zone. A robot that touches it loses it, as a wounded figure.
class CTakenObj : public CWounded {
public:
    CTakenObj(PartContextPtr context, const std::string& address);

    // Stores the robots of the run and takes the present pose as the start
    // pose (called once the object stands where the playground puts it).
    void SetGameState(RobotRoster* state);
    // One step of the pick-up rule, while the object waits.
    void Step();
    // Empties the carried lists of the robot that carries it (everything that
    // robot carries goes), if any.
    void Release();
    // Forgets the carrier without touching it (its new owner took the object).
    void ClearCarrier() { m_pCarrier = nullptr; }

    PlaygroundRobot* GetCarrier() const { return m_pCarrier.get(); }
    const scene::Transform& GetStartTransform() const { return m_startTransform; }

protected:
    ~CTakenObj() override = default;

private:
    scene::Transform m_startTransform;
    // The carrier owns what it carries; the object only remembers it.
    osg::observer_ptr<PlaygroundRobot> m_pCarrier;
};
