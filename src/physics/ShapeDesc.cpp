#include "physics/ShapeDesc.h"

#include "physics/ContactGroupTable.h"

#include <algorithm>
#include <cmath>

namespace physics {

namespace {

double clampSize(double v) {
    if (std::isnan(v))
        return ShapeDesc::kMinSize;
    return std::clamp(v, ShapeDesc::kMinSize, ShapeDesc::kMaxSize);
}

struct Sanitizer {
    bool ok = true;

    void operator()(BoxShape& b) {
        b.dimensions = { clampSize(b.dimensions.x), clampSize(b.dimensions.y), clampSize(b.dimensions.z) };
    }
    void operator()(SphereShape& s) { s.radius = clampSize(s.radius); }
    void operator()(CapsuleShape& c) {
        c.radius = clampSize(c.radius);
        c.length = clampSize(c.length);
    }
    void operator()(CylinderShape& c) {
        c.radius = clampSize(c.radius);
        c.length = clampSize(c.length);
    }
    void operator()(MeshShape& m) {
        const auto count = static_cast<long long>(m.vertices.size());
        auto usable = [&](int i) { return i >= 0 && i < count && m.vertices[i].isFinite(); };
        std::erase_if(m.triangles,
            [&](const std::array<int, 3>& t) { return !usable(t[0]) || !usable(t[1]) || !usable(t[2]); });
        ok = !m.triangles.empty();
    }
};

} // namespace

ShapeDesc ShapeDesc::box(const Vec3& dimensions) {
    ShapeDesc d;
    d.geometry = BoxShape { dimensions };
    return d;
}

ShapeDesc ShapeDesc::sphere(double radius) {
    ShapeDesc d;
    d.geometry = SphereShape { radius };
    return d;
}

ShapeDesc ShapeDesc::capsule(double radius, double length) {
    ShapeDesc d;
    d.geometry = CapsuleShape { radius, length };
    return d;
}

ShapeDesc ShapeDesc::cylinder(double radius, double length) {
    ShapeDesc d;
    d.geometry = CylinderShape { radius, length };
    return d;
}

ShapeDesc ShapeDesc::mesh(std::vector<Vec3> vertices, std::vector<std::array<int, 3>> triangles) {
    ShapeDesc d;
    d.geometry = MeshShape { std::move(vertices), std::move(triangles) };
    return d;
}

std::optional<ShapeDesc> ShapeDesc::sanitized() const {
    if (!ContactGroupTable::isValidGroup(contactGroup))
        return std::nullopt;
    ShapeDesc d = *this;
    Sanitizer s;
    std::visit(s, d.geometry);
    if (!s.ok)
        return std::nullopt;
    d.material = material.sanitized();
    if (!d.offset.isFinite())
        d.offset = Pose {};
    d.offset.orientation = d.offset.orientation.normalized();
    return d;
}

} // namespace physics
