#include "MeshFactory.h"

#include <cmath>
#include <numbers>

namespace testmesh {

Mesh box(const Vec3& low, const Vec3& high) {
    const Vec3 c[8] = { { low.x, low.y, low.z }, { high.x, low.y, low.z }, { high.x, high.y, low.z },
        { low.x, high.y, low.z }, { low.x, low.y, high.z }, { high.x, low.y, high.z },
        { high.x, high.y, high.z }, { low.x, high.y, high.z } };
    const int faces[12][3] = { { 0, 2, 1 }, { 0, 3, 2 }, { 4, 5, 6 }, { 4, 6, 7 }, { 0, 1, 5 }, { 0, 5, 4 },
        { 1, 2, 6 }, { 1, 6, 5 }, { 2, 3, 7 }, { 2, 7, 6 }, { 3, 0, 4 }, { 3, 4, 7 } };
    Mesh mesh;
    for (const auto& f : faces)
        mesh.push_back({ c[f[0]], c[f[1]], c[f[2]] });
    return mesh;
}

Mesh torus(float major, float minor, int ring, int tube) {
    auto at = [&](int i, int j) {
        const double u = 2.0 * std::numbers::pi * (i % ring) / ring;
        const double v = 2.0 * std::numbers::pi * (j % tube) / tube;
        const double r = major + minor * std::cos(v);
        return Vec3(static_cast<float>(r * std::cos(u)), static_cast<float>(r * std::sin(u)),
            static_cast<float>(minor * std::sin(v)));
    };
    Mesh mesh;
    mesh.reserve(static_cast<std::size_t>(2 * ring * tube));
    for (int i = 0; i < ring; ++i) {
        for (int j = 0; j < tube; ++j) {
            mesh.push_back({ at(i, j), at(i + 1, j), at(i + 1, j + 1) });
            mesh.push_back({ at(i, j), at(i + 1, j + 1), at(i, j + 1) });
        }
    }
    return mesh;
}

float uniform(std::mt19937& random, float low, float high) {
    return std::uniform_real_distribution<float>(low, high)(random);
}

Vec3 randomPoint(std::mt19937& random, float extent) {
    return { uniform(random, -extent, extent), uniform(random, -extent, extent),
        uniform(random, -extent, extent) };
}

Vec3 randomUnit(std::mt19937& random) {
    for (;;) {
        const Vec3 v = randomPoint(random, 1.0f);
        const float l = std::sqrt(dot(v, v));
        if (l > 0.1f && l <= 1.0f)
            return v * (1.0f / l);
    }
}

Mesh soup(std::mt19937& random, int count, float extent, float spread) {
    Mesh mesh;
    for (int i = 0; i < count; ++i) {
        const Vec3 c = randomPoint(random, extent);
        mesh.push_back({ c + randomPoint(random, spread), c + randomPoint(random, spread),
            c + randomPoint(random, spread) });
    }
    return mesh;
}

Mesh flatSoup(std::mt19937& random, int count, float extent, float spread) {
    Mesh mesh;
    for (int i = 0; i < count; ++i) {
        const Vec3 c(uniform(random, -extent, extent), uniform(random, -extent, extent), 0.0f);
        auto corner
            = [&] { return c + Vec3(uniform(random, -spread, spread), uniform(random, -spread, spread), 0); };
        mesh.push_back({ corner(), corner(), corner() });
    }
    return mesh;
}

Pose pose(const Vec3& axis, float angle, const Vec3& translation) {
    const double l = std::sqrt(double(axis.x) * axis.x + double(axis.y) * axis.y + double(axis.z) * axis.z);
    const double x = axis.x / l, y = axis.y / l, z = axis.z / l;
    const double c = std::cos(angle), s = std::sin(angle), t = 1.0 - c;
    // Column-vector rotation matrix; the row-vector layout stores its transpose.
    const double r[3][3] = { { t * x * x + c, t * x * y - s * z, t * x * z + s * y },
        { t * x * y + s * z, t * y * y + c, t * y * z - s * x },
        { t * x * z - s * y, t * y * z + s * x, t * z * z + c } };
    Pose m {};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            m[static_cast<std::size_t>(4 * i + j)] = static_cast<float>(r[j][i]);
    }
    m[12] = translation.x;
    m[13] = translation.y;
    m[14] = translation.z;
    m[15] = 1.0f;
    return m;
}

Pose identity() {
    return pose({ 0, 0, 1 }, 0.0f, {});
}

Pose randomPose(std::mt19937& random, float reach) {
    const Vec3 axis = randomUnit(random);
    const float angle = uniform(random, -3.14159f, 3.14159f);
    return pose(axis, angle, randomPoint(random, reach));
}

std::unique_ptr<CollisionModel3D> model(const Mesh& mesh, const Pose& where, bool isStatic) {
    auto m = newCollisionModel3D(isStatic);
    m->setTriangleNumber(static_cast<int>(mesh.size()));
    for (const Triangle& t : mesh)
        m->addTriangle(t.p.x, t.p.y, t.p.z, t.q.x, t.q.y, t.q.z, t.r.x, t.r.y, t.r.z);
    m->finalize();
    m->setTransform(where.data());
    return m;
}

Vec3 transformPoint(const Pose& m, const Vec3& p) {
    return collision::AffineMap::from(collision::Transform::fromFloats(m.data())).point(p);
}

collision::AffineMap relativeMap(const Pose& self, const Pose& other) {
    collision::Transform inverse;
    collision::Transform::fromFloats(self.data()).inverted(inverse);
    return collision::AffineMap::from(collision::Transform::fromFloats(other.data()) * inverse);
}

collision::AffineMap inverseMap(const Pose& m) {
    collision::Transform inverse;
    collision::Transform::fromFloats(m.data()).inverted(inverse);
    return collision::AffineMap::from(inverse);
}

} // namespace testmesh
