#include "physics/ContactSurface.h"

#include <algorithm>
#include <cmath>

namespace physics {

namespace {

double clampOr(double v, double lo, double hi, double fallback) {
    if (std::isnan(v))
        return fallback;
    return std::clamp(v, lo, hi);
}

} // namespace

Material Material::sanitized() const {
    const Material defaults;
    Material m;
    m.hardness = clampOr(hardness, 0.0, 1.0, defaults.hardness);
    m.friction = clampOr(friction, 0.0, kMaxFriction, defaults.friction);
    m.bounciness = clampOr(bounciness, 0.0, 1.0, defaults.bounciness);
    m.density = clampOr(density, kMinDensity, kMaxDensity, defaults.density);
    return m;
}

double ContactSurface::errorReductionFor(double hardness) {
    return 0.1 + 0.7 * clampOr(hardness, 0.0, 1.0, 1.0);
}

double ContactSurface::constraintMixingFor(double hardness) {
    return 1e-9 * std::pow(10.0, 7.0 * (1.0 - clampOr(hardness, 0.0, 1.0, 1.0)));
}

ContactSurface ContactSurface::fromMaterials(const Material& a, const Material& b) {
    const Material ma = a.sanitized();
    const Material mb = b.sanitized();
    ContactSurface s;
    s.friction = std::sqrt(ma.friction * mb.friction);
    s.bounce = std::max(ma.bounciness, mb.bounciness);
    const double hardness = std::min(ma.hardness, mb.hardness);
    s.erp = errorReductionFor(hardness);
    s.cfm = constraintMixingFor(hardness);
    return s;
}

ContactSurface ContactSurface::between(const ContactSurface& a, const ContactSurface& b) {
    // Error reduction grows and mixing shrinks with hardness: the softer of
    // the two has the smaller reduction and the larger mixing.
    ContactSurface s;
    s.friction = std::sqrt(a.friction * b.friction);
    s.bounce = std::max(a.bounce, b.bounce);
    s.erp = std::min(a.erp, b.erp);
    s.cfm = std::max(a.cfm, b.cfm);
    return s;
}

} // namespace physics
