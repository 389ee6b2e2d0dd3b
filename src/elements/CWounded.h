#pragma once

#include "elements/CModel.h"

class RobotRoster;

// A wounded figure (model type 10): a robot that stays near it for more than
// 300 steps rescues it and earns 10 points. A robot that touches it loses it:
// the figure disappears and nobody scores. Either way it is hidden and its
// solid meets nothing any more.
class CWounded : public CModel {
public:
    CWounded(PartContextPtr context, const std::string& address);

    void SetGameState(RobotRoster* state) { m_pGameState = state; }
    // One step of the rule, while the figure waits.
    void Step();

    bool IsArmed() const { return m_bArmed; }
    int GetCount() const { return m_nCount; }

protected:
    ~CWounded() override = default;

    // Hides the figure for good: out of sight, out of every contact.
    void Hide();

    RobotRoster* m_pGameState = nullptr; // not owned
    int m_nCount = 0;
    bool m_bArmed = true;
};
