#pragma once

#include "elements/CModel.h"

// A wheel: a part whose solid is shaped so that it rolls about its x axis.
class CWheel : public CModel {
public:
    CWheel(PartContextPtr context, const std::string& address);

    // Rubber wheels ("wheel7") roll on one sphere with friction, casters
    // ("wheel_uni") slide on one without; other wheels roll on a ring of 16
    // capsules across their diameter, with little friction for the
    // low-friction wheel ("KR-3318").
    void CreateSolid(physics::PhysicsWorld* world, int contactGroup) override;

protected:
    ~CWheel() override = default;
};
