#include "BenchScenes.h"

#include <fcl/narrowphase/collision.h>

#include <cmath>
#include <numbers>

namespace benchscene {

Mesh box(float hx, float hy, float hz) {
    const float c[8][3] = { { -hx, -hy, -hz }, { hx, -hy, -hz }, { hx, hy, -hz }, { -hx, hy, -hz },
        { -hx, -hy, hz }, { hx, -hy, hz }, { hx, hy, hz }, { -hx, hy, hz } };
    const int faces[12][3] = { { 0, 2, 1 }, { 0, 3, 2 }, { 4, 5, 6 }, { 4, 6, 7 }, { 0, 1, 5 }, { 0, 5, 4 },
        { 1, 2, 6 }, { 1, 6, 5 }, { 2, 3, 7 }, { 2, 7, 6 }, { 3, 0, 4 }, { 3, 4, 7 } };
    Mesh mesh;
    mesh.name = "Box12";
    for (const auto& f : faces) {
        std::array<float, 9> t;
        for (int k = 0; k < 3; ++k) {
            for (int i = 0; i < 3; ++i)
                t[static_cast<std::size_t>(3 * k + i)] = c[f[k]][i];
        }
        mesh.triangles.push_back(t);
    }
    mesh.size = 2.0f * std::sqrt(hx * hx + hy * hy + hz * hz);
    return mesh;
}

Mesh torus(int ring, int tube) {
    const double major = 1.0;
    const double minor = 0.35;
    auto at = [&](int i, int j, float* out) {
        const double u = 2.0 * std::numbers::pi * (i % ring) / ring;
        const double v = 2.0 * std::numbers::pi * (j % tube) / tube;
        const double r = major + minor * std::cos(v);
        out[0] = static_cast<float>(r * std::cos(u));
        out[1] = static_cast<float>(r * std::sin(u));
        out[2] = static_cast<float>(minor * std::sin(v));
    };
    Mesh mesh;
    const int count = 2 * ring * tube;
    mesh.name
        = count >= 1000 ? "Torus" + std::to_string(count / 1000) + "k" : "Torus" + std::to_string(count);
    mesh.size = static_cast<float>(2.0 * (major + minor));
    for (int i = 0; i < ring; ++i) {
        for (int j = 0; j < tube; ++j) {
            std::array<float, 9> a;
            std::array<float, 9> b;
            at(i, j, &a[0]);
            at(i + 1, j, &a[3]);
            at(i + 1, j + 1, &a[6]);
            at(i, j, &b[0]);
            at(i + 1, j + 1, &b[3]);
            at(i, j + 1, &b[6]);
            mesh.triangles.push_back(a);
            mesh.triangles.push_back(b);
        }
    }
    return mesh;
}

Pose pose(float ax, float ay, float az, float angle, float tx, float ty, float tz) {
    const double l = std::sqrt(double(ax) * ax + double(ay) * ay + double(az) * az);
    const double x = ax / l, y = ay / l, z = az / l;
    const double c = std::cos(angle), s = std::sin(angle), t = 1.0 - c;
    const double r[3][3] = { { t * x * x + c, t * x * y - s * z, t * x * z + s * y },
        { t * x * y + s * z, t * y * y + c, t * y * z - s * x },
        { t * x * z - s * y, t * y * z + s * x, t * z * z + c } };
    Pose m {};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            m[static_cast<std::size_t>(4 * i + j)] = static_cast<float>(r[j][i]);
    }
    m[12] = tx;
    m[13] = ty;
    m[14] = tz;
    m[15] = 1.0f;
    return m;
}

Pose randomPose(std::mt19937& random, float reach) {
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    float ax, ay, az;
    do {
        ax = unit(random);
        ay = unit(random);
        az = unit(random);
    } while (ax * ax + ay * ay + az * az < 0.01f);
    const float angle = unit(random) * 3.14159f;
    return pose(ax, ay, az, angle, unit(random) * reach, unit(random) * reach, unit(random) * reach);
}

Pose shifted(const Pose& first, float tx, float ty, float tz) {
    Pose p = first;
    p[12] += tx;
    p[13] += ty;
    p[14] += tz;
    return p;
}

std::unique_ptr<CollisionModel3D> buildOurs(const Mesh& mesh, bool isStatic) {
    auto m = newCollisionModel3D(isStatic);
    m->setTriangleNumber(static_cast<int>(mesh.triangles.size()));
    for (const auto& t : mesh.triangles)
        m->addTriangle(t[0], t[1], t[2], t[3], t[4], t[5], t[6], t[7], t[8]);
    m->finalize();
    return m;
}

std::shared_ptr<fcl::BVHModel<fcl::OBBRSSd>> buildFcl(const Mesh& mesh) {
    std::vector<fcl::Vector3d> vertices;
    std::vector<fcl::Triangle> triangles;
    vertices.reserve(3 * mesh.triangles.size());
    triangles.reserve(mesh.triangles.size());
    for (const auto& t : mesh.triangles) {
        const std::size_t n = vertices.size();
        for (int k = 0; k < 3; ++k)
            vertices.emplace_back(t[static_cast<std::size_t>(3 * k)], t[static_cast<std::size_t>(3 * k + 1)],
                t[static_cast<std::size_t>(3 * k + 2)]);
        triangles.emplace_back(n, n + 1, n + 2);
    }
    auto model = std::make_shared<fcl::BVHModel<fcl::OBBRSSd>>();
    model->beginModel(static_cast<int>(triangles.size()), static_cast<int>(vertices.size()));
    model->addSubModel(vertices, triangles);
    model->endModel();
    return model;
}

fcl::Transform3d fclPose(const Pose& p) {
    fcl::Transform3d t = fcl::Transform3d::Identity();
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            t.linear()(r, c) = p[static_cast<std::size_t>(4 * c + r)];
    }
    t.translation() = fcl::Vector3d(p[12], p[13], p[14]);
    return t;
}

bool fclCollide(const fcl::CollisionGeometryd& a, const Pose& poseA, const fcl::CollisionGeometryd& b,
    const Pose& poseB) {
    fcl::CollisionRequestd request;
    fcl::CollisionResultd result;
    return fcl::collide(&a, fclPose(poseA), &b, fclPose(poseB), request, result) > 0;
}

float contactDistance(CollisionModel3D& first, CollisionModel3D& second, const Pose& secondPose, float dx,
    float dy, float dz, float far) {
    float touching = 0.0f;
    float apart = far;
    while (apart - touching > 1e-6f) {
        const float middle = 0.5f * (touching + apart);
        const Pose p = shifted(secondPose, dx * middle, dy * middle, dz * middle);
        if (first.collision(&second, -1, 0, p.data()))
            touching = middle;
        else
            apart = middle;
    }
    return apart;
}

} // namespace benchscene
