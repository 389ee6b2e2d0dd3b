#pragma once

#include "elements/CModel.h"
#include "scene/ParticleEffect.h"

#include <osg/ref_ptr>

class RobotRoster;

// A candle (model type 7). Lit, it carries a flame 6 above its origin with a
// solid of its own in the flame group, which the flame sensors look for; a
// robot that stays near it for more than 300 steps puts it out and earns 10
// points. It is never lit again in the same run.
class CCandle : public CModel {
public:
    CCandle(PartContextPtr context, const std::string& address);

    // One box round the model, centred on the candle's origin; hard, with a
    // lot of friction so that it stands where it is put.
    void CreateSolid(physics::PhysicsWorld* world, int contactGroup) override;
    // The candle follows its solid, and the flame's solid follows the flame.
    void UpdateFromSolid() override;

    // Stores the robots of the run and starts counting afresh.
    void SetGameState(RobotRoster* state);
    // Needs the candle's world (its solid made first) and does nothing once
    // the flame has a solid.
    void LightFlame();
    // Takes the flame and its solid away; nothing without a flame solid.
    void PutOutFlame();
    // One step of the rule, while the candle burns.
    void Step();

    bool IsBurning() const { return m_pFlameSolid.get() != nullptr; }
    scene::ParticleEffect* GetFlame() const { return m_pFlame.get(); }
    physics::Solid* GetFlameSolid() const { return m_pFlameSolid.get(); }
    int GetCount() const { return m_nCount; }

    // How high above the candle's origin the flame burns.
    static constexpr float kFlameHeight = 6.0f;
    // The contact group the flame sensors look for.
    static constexpr int kFlameGroup = 2;
    static constexpr const char* kFlameFile = "models/effects/fire.osg";

protected:
    ~CCandle() override;

private:
    RobotRoster* m_pGameState = nullptr; // not owned
    osg::ref_ptr<scene::ParticleEffect> m_pFlame;
    physics::Handle<physics::Solid> m_pFlameSolid; // owned by the candle's world
    int m_nCount = 0;
};
