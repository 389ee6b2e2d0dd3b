#pragma once

#include "collision/CollisionModel3D.h"
#include "collision/Transform.h"
#include "collision/Triangle.h"

#include <array>
#include <memory>
#include <random>
#include <vector>

// Meshes, poses and models for the collision tests; everything random comes
// from a generator the test seeds itself.
namespace testmesh {

using collision::Triangle;
using collision::Vec3;
using Mesh = std::vector<Triangle>;
using Pose = std::array<float, 16>;

// The closed box [low, high] as 12 triangles.
Mesh box(const Vec3& low, const Vec3& high);

// A closed torus around the z axis: 2 * ring * tube triangles.
Mesh torus(float major, float minor, int ring, int tube);

// `count` triangles with vertices within `spread` of random centres in the
// cube [-extent, extent]^3.
Mesh soup(std::mt19937& random, int count, float extent, float spread);

// `count` triangles in the plane z = 0, centres in [-extent, extent]^2.
Mesh flatSoup(std::mt19937& random, int count, float extent, float spread);

// A rotation by `angle` radians about `axis` followed by a translation, in the
// scene graph's layout (row vectors).
Pose pose(const Vec3& axis, float angle, const Vec3& translation);
Pose identity();
// A random rotation and a translation within `reach` of the origin.
Pose randomPose(std::mt19937& random, float reach);

std::unique_ptr<CollisionModel3D> model(const Mesh& mesh, const Pose& where, bool isStatic = false);

Vec3 transformPoint(const Pose& m, const Vec3& p);

// The map from `other`'s model space into `self`'s that the model query
// uses, computed the same way.
collision::AffineMap relativeMap(const Pose& self, const Pose& other);
collision::AffineMap inverseMap(const Pose& m);

float uniform(std::mt19937& random, float low, float high);
Vec3 randomPoint(std::mt19937& random, float extent);
Vec3 randomUnit(std::mt19937& random);

} // namespace testmesh
