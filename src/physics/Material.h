#pragma once

namespace physics {

// Surface and bulk properties of one shape. The defaults are the material of
// a shape whose owner names none (the floor, for one). How two materials meet
// in a contact is ContactSurface's business.
struct Material {
    // Default density in mass units per cubic scene unit. The motors' torque
    // rule acts once per frame against the hinge rate in degrees per second;
    // it settles only when wheel and robot have enough inertia. At 5 it
    // settles for wheels of radius 2 and more (sphere or capsule ring) on a
    // robot body of about 10 x 8 x 4; at 1 wheels below radius 3 swing.
    static constexpr double kDefaultDensity = 5.0;

    // 0 (soft, yielding contacts) to 1 (hard, stiff contacts).
    double hardness = 1.0;
    // Coulomb friction coefficient, 0 = ice.
    double friction = 1.0;
    // Restitution, 0 (no bounce) to 1 (elastic).
    double bounciness = 0.0;
    double density = kDefaultDensity;

    constexpr Material() = default;
    constexpr Material(double h, double f, double b, double d = kDefaultDensity)
        : hardness(h)
        , friction(f)
        , bounciness(b)
        , density(d) { }

    // The same material with every value inside its range: hardness and
    // bounciness in 0..1, friction in 0..kMaxFriction, density in
    // kMinDensity..kMaxDensity; a value that is not a number takes the default.
    Material sanitized() const;

    static constexpr double kMaxFriction = 1000.0;
    static constexpr double kMinDensity = 1e-6;
    static constexpr double kMaxDensity = 1e6;
};

} // namespace physics
