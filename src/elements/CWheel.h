#pragma once

#include "elements/CModel.h"

// A wheel: a part whose solid is shaped so that it rolls about its x axis.
class CWheel : public CModel {
public:
    CWheel(PartContextPtr context, const std::string& address);

    // Rubber wheels ("wheel7") roll on one sphere with friction, casters
    // ("wheel_uni") slide on one without; other wheels roll on a thin disc of
    // their radius in their middle plane, with little friction for the
    // low-friction wheel ("KR-3318").
    void CreateSolid(physics::PhysicsWorld* world, int contactGroup) override;

    // The friction of a wheel's bearing, for the hinge it turns on: a wheel
    // no motor turns stays where it stopped until a torque of more than
    // this (a four-thousandth of a motor's largest) turns it, and rolls out
    // against it, so a robot left alone on flat ground comes to rest instead
    // of rolling on for ever.
    static constexpr double kBearingFriction = 50.0;

protected:
    ~CWheel() override = default;
};
