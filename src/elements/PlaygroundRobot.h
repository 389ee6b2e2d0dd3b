#pragma once

#include <osg/BoundingBox>
#include <osg/Referenced>

class CGeo;
class CModel;
class CTakenObj;

namespace scene {
class Transform;
} // namespace scene

// What the playground's objects and trigger zones see of a robot of the run:
// its body, its score and what it carries. The simulation's robot implements
// it; the playground rules reach robots only through it, in the order of the
// run's robot list (RobotRoster).
//
// A robot carries at most one loaded model ("geometry") or a row of objects to
// carry, each with the transform whose rotation it keeps relative to the
// robot; the robot places what it carries on top of itself every step.
class PlaygroundRobot : public osg::Referenced {
public:
    // The control unit, whose scene node stands for the whole robot (every
    // other part hangs below it); null once the robot has been taken apart.
    virtual CModel* GetRcu() const = 0;
    // The world box of the control unit with every part below it; false
    // without a control unit. A robot may keep the box while it cannot move,
    // as during one playground step.
    virtual bool GetBodyBounds(osg::BoundingBox& box) const;

    virtual int GetScore() const = 0;
    virtual void SetScore(int score) = 0;

    // The carried loaded model; null when it carries none.
    virtual CGeo* GetCarriedGeo() const = 0;
    // Null carries none (the transform is then of no meaning).
    virtual void SetCarriedGeo(CGeo* geo, const scene::Transform& transform) = 0;

    // The carried objects, in the order they were picked up.
    virtual int GetCarriedObjectCount() const = 0;
    virtual CTakenObj* GetCarriedObject(int index) const = 0;
    virtual void AddCarriedObject(CTakenObj* object, const scene::Transform& transform) = 0;
    // Empties the object list and its transform list.
    virtual void ClearCarriedObjects() = 0;

protected:
    ~PlaygroundRobot() override = default;
};
