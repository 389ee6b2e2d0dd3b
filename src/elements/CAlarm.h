#pragma once

#include "elements/CModel.h"

class RobotRoster;

// An alarm (model type 13): a robot that stays near it for more than 300
// steps switches it off and earns 10 points. Alarms also sound for the
// volume sensor, which finds them by their contact group.
class CAlarm : public CModel {
public:
    CAlarm(PartContextPtr context, const std::string& address);

    // The description's boxes, or else one box round the model; hard, with
    // almost no friction.
    void CreateSolid(physics::PhysicsWorld* world, int contactGroup) override;

    // The robots of the run; without them the alarm does nothing.
    void SetGameState(RobotRoster* state) { m_pGameState = state; }
    // One step of the rule, while the alarm is on.
    void Step();

    bool IsArmed() const { return m_bArmed; }
    int GetCount() const { return m_nCount; }

protected:
    ~CAlarm() override = default;

private:
    RobotRoster* m_pGameState = nullptr; // not owned
    int m_nCount = 0;
    bool m_bArmed = true;
};
