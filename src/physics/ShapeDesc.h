#pragma once

#include "physics/Material.h"
#include "physics/Pose.h"
#include "physics/Vec3.h"

#include <array>
#include <optional>
#include <variant>
#include <vector>

namespace physics {

// Full edge lengths along the shape's x, y and z axes.
struct BoxShape {
    Vec3 dimensions { 1.0, 1.0, 1.0 };
};

struct SphereShape {
    double radius = 0.5;
};

// A cylinder along the shape's z axis with a hemisphere on each end; `length`
// is the cylinder part alone, so the capsule spans length + 2 radius.
struct CapsuleShape {
    double radius = 0.5;
    double length = 1.0;
};

// A cylinder along the shape's z axis with flat ends; `length` is end to end.
// Lying on its side it stands on a line at its full radius whatever way it is
// turned, so it rolls smoothly: a wheel.
struct CylinderShape {
    double radius = 0.5;
    double length = 1.0;
};

// Triangles over a vertex list, in the shape's own frame. The solid keeps its
// own copy, so the caller's arrays may go away after addShape. Collisions
// treat the mesh as triangles; its mass is that of its bounding box.
struct MeshShape {
    std::vector<Vec3> vertices;
    std::vector<std::array<int, 3>> triangles;
};

// Everything a solid needs to add one shape: geometry, offset from the
// solid's origin, material and contact group (0..31).
struct ShapeDesc {
    std::variant<BoxShape, SphereShape, CapsuleShape, CylinderShape, MeshShape> geometry;
    Pose offset;
    Material material;
    int contactGroup = 0;

    static ShapeDesc box(const Vec3& dimensions);
    static ShapeDesc sphere(double radius);
    static ShapeDesc capsule(double radius, double length);
    static ShapeDesc cylinder(double radius, double length);
    static ShapeDesc mesh(std::vector<Vec3> vertices, std::vector<std::array<int, 3>> triangles);

    // Smallest and largest edge, radius or length that reaches the engine:
    // a model without thickness still gets a thin but real shape.
    static constexpr double kMinSize = 1e-3;
    static constexpr double kMaxSize = 1e5;

    // The description as a solid stores it: sizes clamped to
    // kMinSize..kMaxSize (a size that is not a number becomes kMinSize), the
    // material sanitised, the offset's rotation normalised (a non-finite
    // offset becomes the identity), mesh triangles that point outside the
    // vertex list or at non-finite vertices dropped. Empty when the contact
    // group is outside 0..31 or a mesh has no usable triangle left.
    std::optional<ShapeDesc> sanitized() const;
};

} // namespace physics
