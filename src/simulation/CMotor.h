#pragma once

#include "elements/CModel.h"
#include "physics/Handle.h"
#include "physics/HingeJoint.h"

#include <string>

// A motor: in a simulation it joins a wheel to the robot with a hinge and,
// in every step in which the robot applies its program's output, turns the
// value the program set for its port into a torque on that hinge. In the
// robot builder it is a plain part.
class CMotor : public CModel {
public:
    // isE is the studio's "is_e" setting, under which motors pull harder.
    CMotor(PartContextPtr context, const std::string& address, bool isE = false);

    // The motor value, clamped to -100..100.
    void SetValue(int value);
    int GetValue() const { return m_nValue; }

    // Adds this step's torque to the hinge (nothing without one): a value
    // pulls the wheel towards a rate of 0.6 x value degrees per second about
    // the motor's shaft, reversed by the opposite flag; a value of 0 brakes,
    // holding the wheel still until the next Apply or LetGo; a motor on no
    // port lets its wheel turn freely.
    void Apply();
    // Lets go of a braked wheel: in a step with an empty output text no
    // motor takes part and every wheel turns freely.
    void LetGo();

    // Joins the wheel by a hinge about the motor's shaft, where the two stand
    // now. No hinge without a world or solids, or when the wheel is turned
    // away from the world's x axis (its axis' cosine with +x at most the port
    // limit); the motor then drives nothing.
    void AttachWheel(CModel* wheel);
    // Destroys the hinge (the motor owns it); the wheel is let go.
    void DetachWheel();

    // Null without a hinge, and once its world is gone.
    physics::HingeJoint* GetJoint() const { return m_pJoint.get(); }
    CModel* GetWheel() const { return m_pWheel.get(); }

    // The wheel's id that the robot file's motor joins name ("id2"), kept
    // while the robot is loaded; -1 none.
    int GetJoinedWheelId() const { return m_nWheelId; }
    void SetJoinedWheelId(int id) { m_nWheelId = id; }

protected:
    ~CMotor() override;

private:
    int m_nValue = 0;
    bool m_bIsE;
    physics::Handle<physics::HingeJoint> m_pJoint;
    osg::ref_ptr<CModel> m_pWheel;
    int m_nWheelId = -1;
};
