#pragma once

#include "collision/CollisionModel3D.h"

#include <fcl/geometry/bvh/BVH_model.h>
#include <fcl/math/bv/OBBRSS.h>

#include <array>
#include <memory>
#include <random>
#include <string>
#include <vector>

// The meshes, poses and query sets that the collision benchmark runs through
// both libraries: our own and FCL, built from the same triangles.
namespace benchscene {

using Pose = std::array<float, 16>;

struct Mesh {
    std::string name;
    std::vector<std::array<float, 9>> triangles;
    float size = 1.0f; // the mesh's diameter, for scaling gaps
};

// The closed box with the given half extents (12 triangles).
Mesh box(float hx, float hy, float hz);
// A closed torus of 2 * ring * tube triangles, outer diameter 2.7.
Mesh torus(int ring, int tube);

Pose pose(float ax, float ay, float az, float angle, float tx, float ty, float tz);
Pose randomPose(std::mt19937& random, float reach);
// `first` followed by a translation.
Pose shifted(const Pose& first, float tx, float ty, float tz);

std::unique_ptr<CollisionModel3D> buildOurs(const Mesh& mesh, bool isStatic = false);
std::shared_ptr<fcl::BVHModel<fcl::OBBRSSd>> buildFcl(const Mesh& mesh);
fcl::Transform3d fclPose(const Pose& p);

bool fclCollide(
    const fcl::CollisionGeometryd& a, const Pose& poseA, const fcl::CollisionGeometryd& b, const Pose& poseB);

// The distance along (dx, dy, dz) from `start` at which the second model,
// posed by `second` and then moved, stops touching the first: found by
// bisection to 1e-6, starting from a pose that touches.
float contactDistance(CollisionModel3D& first, CollisionModel3D& second, const Pose& secondPose, float dx,
    float dy, float dz, float far);

} // namespace benchscene
