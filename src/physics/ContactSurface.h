#pragma once

#include "physics/Material.h"

namespace physics {

// The parameters of one contact between two shapes, worked out from their
// materials:
// - friction: the geometric mean sqrt(fa * fb), so a frictionless shape
//   slides on anything (a caster ball with friction 0 slides even on a floor
//   with friction 1) and two equal materials keep their own value;
// - bounce: the larger of the two bouncinesses (a ball bounces on a dead
//   floor);
// - hardness: the smaller of the two, the softer surface yields; it sets the
//   contact's error reduction (0.1 + 0.7 h, so 0.8 for hard contacts) and
//   its constraint force mixing (1e-9 for h = 1, growing tenfold per 1/7 of
//   softness up to 1e-2 for h = 0).
// Friction is Coulomb friction (ODE's friction pyramid with the normal force
// of the step), applied in both tangent directions.
struct ContactSurface {
    double friction = 0.0;
    double bounce = 0.0;
    double erp = 0.8;
    double cfm = 1e-9;

    static ContactSurface fromMaterials(const Material& a, const Material& b);
    // The contact between two shapes from each one's contact with its own
    // material (fromMaterials(m, m)): what fromMaterials gives for the pair,
    // without working out the materials again for every contact.
    static ContactSurface between(const ContactSurface& a, const ContactSurface& b);
    // Error reduction and mixing for a joint stop or contact of this hardness.
    static double errorReductionFor(double hardness);
    static double constraintMixingFor(double hardness);
};

} // namespace physics
