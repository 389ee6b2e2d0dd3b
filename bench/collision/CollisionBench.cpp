// Building and querying triangle-mesh collision models, ours against FCL's
// (OBBRSS trees, the same triangles, the same poses, the same question: is
// there any contact). Every case checks once, before it is timed, that both
// libraries give the same answers; a case where they differ reports an error
// instead of a time.

#include "BenchScenes.h"

#include <benchmark/benchmark.h>
#include <fcl/geometry/shape/capsule.h>
#include <fcl/geometry/shape/sphere.h>
#include <fcl/narrowphase/collision.h>

#include <cmath>
#include <cstdio>
#include <functional>

using namespace benchscene;

namespace {

using Fcl = std::shared_ptr<fcl::BVHModel<fcl::OBBRSSd>>;

constexpr int kQueriesPerBatch = 256;

// One registered case: the timed body of each library, and the answers both
// gave when the case was set up.
void registerPair(const std::string& name, std::function<void(benchmark::State&)> ours,
    std::function<void(benchmark::State&)> theirs, int mismatches) {
    auto wrap = [mismatches](std::function<void(benchmark::State&)> body) {
        return [mismatches, body](benchmark::State& state) {
            if (mismatches != 0) {
                state.SkipWithError("the two libraries disagree");
                return;
            }
            body(state);
        };
    };
    benchmark::RegisterBenchmark((name + "/Ours").c_str(), wrap(std::move(ours)));
    benchmark::RegisterBenchmark((name + "/FCL").c_str(), wrap(std::move(theirs)));
    if (mismatches != 0)
        std::fprintf(stderr, "%s: %d answers differ\n", name.c_str(), mismatches);
}

// Everything one mesh size needs, kept alive while the benchmarks run.
struct MeshCase {
    Mesh mesh;
    std::unique_ptr<CollisionModel3D> first;
    std::unique_ptr<CollisionModel3D> second;
    Fcl fclFirst;
    Fcl fclSecond;
    Pose firstPose {};
    std::vector<fcl::Vector3d> fclVertices;
    std::vector<fcl::Triangle> fclTriangles;

    struct Segment {
        std::array<float, 3> origin;
        std::array<float, 3> direction; // the segment runs over t in [0, 1]
        std::shared_ptr<fcl::Capsuled> capsule;
        Pose capsulePose;
    };
    std::vector<Segment> segments;

    struct Ball {
        std::array<float, 3> centre;
        float radius;
        std::shared_ptr<fcl::Sphered> sphere;
        Pose spherePose;
    };
    std::vector<Ball> balls;
};

void registerBuild(MeshCase& c) {
    for (const auto& t : c.mesh.triangles) {
        const std::size_t n = c.fclVertices.size();
        for (int k = 0; k < 3; ++k)
            c.fclVertices.emplace_back(t[static_cast<std::size_t>(3 * k)],
                t[static_cast<std::size_t>(3 * k + 1)], t[static_cast<std::size_t>(3 * k + 2)]);
        c.fclTriangles.emplace_back(n, n + 1, n + 2);
    }
    registerPair(
        "Build/" + c.mesh.name,
        [&c](benchmark::State& state) {
            for (auto _ : state) {
                auto m = buildOurs(c.mesh);
                benchmark::DoNotOptimize(m.get());
            }
        },
        [&c](benchmark::State& state) {
            for (auto _ : state) {
                fcl::BVHModel<fcl::OBBRSSd> model;
                model.beginModel(
                    static_cast<int>(c.fclTriangles.size()), static_cast<int>(c.fclVertices.size()));
                model.addSubModel(c.fclVertices, c.fclTriangles);
                model.endModel();
                benchmark::DoNotOptimize(&model);
            }
        },
        0);
}

constexpr int kPosesPerCase = 16;

void registerPairs(MeshCase& c, std::mt19937& random) {
    struct PairCase {
        const char* name;
        std::vector<Pose> poses;
        bool expected;
    };
    PairCase cases[] = { { "Apart", {}, false }, { "NearMiss", {}, false }, { "Touching", {}, true },
        { "DeepOverlap", {}, true } };
    for (int n = 0; n < kPosesPerCase; ++n) {
        // The second mesh turned at random around the first one's centre, then
        // pushed along a random direction until it just stops touching.
        const Pose turned = randomPose(random, 0.0f);
        const Pose start = shifted(turned, c.firstPose[12], c.firstPose[13], c.firstPose[14]);
        std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
        float dx, dy, dz, l;
        do {
            dx = unit(random);
            dy = unit(random);
            dz = unit(random);
            l = std::sqrt(dx * dx + dy * dy + dz * dz);
        } while (l < 0.1f || l > 1.0f);
        dx /= l;
        dy /= l;
        dz /= l;
        const float contact = contactDistance(*c.first, *c.second, start, dx, dy, dz, 2.0f * c.mesh.size);
        const float distances[]
            = { contact + 0.25f * c.mesh.size, contact + 1e-3f, contact - 1e-3f, 0.25f * contact };
        for (int k = 0; k < 4; ++k)
            cases[k].poses.push_back(shifted(start, dx * distances[k], dy * distances[k], dz * distances[k]));
    }
    for (const PairCase& p : cases) {
        int mismatches = 0;
        for (const Pose& second : p.poses) {
            const bool ours = c.first->collision(c.second.get(), -1, 0, second.data());
            const bool theirs = fclCollide(*c.fclFirst, c.firstPose, *c.fclSecond, second);
            if (ours != p.expected)
                std::fprintf(stderr, "%s %s: unexpected answer %d\n", c.mesh.name.c_str(), p.name, ours);
            mismatches += ours != theirs ? 1 : 0;
        }
        registerPair(
            std::string("Collide/") + c.mesh.name + "/" + p.name,
            [&c, poses = p.poses](benchmark::State& state) {
                for (auto _ : state) {
                    for (const Pose& second : poses) {
                        c.second->setTransform(second.data());
                        benchmark::DoNotOptimize(c.first->collision(c.second.get(), -1, 0, nullptr));
                    }
                }
            },
            [&c, poses = p.poses](benchmark::State& state) {
                const fcl::Transform3d a = fclPose(c.firstPose);
                std::vector<fcl::Transform3d> seconds;
                for (const Pose& second : poses)
                    seconds.push_back(fclPose(second));
                fcl::CollisionRequestd request;
                for (auto _ : state) {
                    for (const fcl::Transform3d& b : seconds) {
                        fcl::CollisionResultd result;
                        benchmark::DoNotOptimize(
                            fcl::collide(c.fclFirst.get(), a, c.fclSecond.get(), b, request, result));
                    }
                }
            },
            mismatches);
    }
}

// A capsule of radius 0 along z, posed to cover the segment.
Pose capsulePose(const std::array<float, 3>& origin, const std::array<float, 3>& direction) {
    const float length
        = std::sqrt(direction[0] * direction[0] + direction[1] * direction[1] + direction[2] * direction[2]);
    const float zx = direction[0] / length, zy = direction[1] / length, zz = direction[2] / length;
    // Turn z onto the segment's direction about their common normal.
    const float ax = -zy, ay = zx;
    const float sine = std::sqrt(ax * ax + ay * ay);
    Pose p = sine > 1e-6f ? pose(ax, ay, 0.0f, std::atan2(sine, zz), 0, 0, 0)
                          : pose(1, 0, 0, zz > 0 ? 0.0f : 3.14159265f, 0, 0, 0);
    p[12] = origin[0] + 0.5f * direction[0];
    p[13] = origin[1] + 0.5f * direction[1];
    p[14] = origin[2] + 0.5f * direction[2];
    return p;
}

void registerRays(MeshCase& c, std::mt19937& random) {
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    const float reach = c.mesh.size;
    int mismatches = 0;
    int hits = 0;
    for (int n = 0; n < kQueriesPerBatch; ++n) {
        float u[3];
        float l;
        do {
            u[0] = unit(random);
            u[1] = unit(random);
            u[2] = unit(random);
            l = std::sqrt(u[0] * u[0] + u[1] * u[1] + u[2] * u[2]);
        } while (l < 0.1f || l > 1.0f);
        MeshCase::Segment s;
        for (int i = 0; i < 3; ++i) {
            const float centre = c.firstPose[static_cast<std::size_t>(12 + i)];
            s.origin[static_cast<std::size_t>(i)] = centre + u[i] / l * 0.8f * reach;
            const float target = centre + unit(random) * 0.35f * reach;
            s.direction[static_cast<std::size_t>(i)]
                = 2.0f * (target - s.origin[static_cast<std::size_t>(i)]);
        }
        const float length = std::sqrt(s.direction[0] * s.direction[0] + s.direction[1] * s.direction[1]
            + s.direction[2] * s.direction[2]);
        s.capsule = std::make_shared<fcl::Capsuled>(0.0, length);
        s.capsulePose = capsulePose(s.origin, s.direction);
        const bool ours = c.first->rayCollision(s.origin.data(), s.direction.data(), false, 0.0f, 1.0f);
        const bool theirs = fclCollide(*c.fclFirst, c.firstPose, *s.capsule, s.capsulePose);
        mismatches += ours != theirs ? 1 : 0;
        hits += ours ? 1 : 0;
        c.segments.push_back(s);
    }
    std::fprintf(stderr, "Ray/%s: %d of %d segments hit\n", c.mesh.name.c_str(), hits, kQueriesPerBatch);
    registerPair(
        "Ray/" + c.mesh.name,
        [&c](benchmark::State& state) {
            for (auto _ : state) {
                for (const auto& s : c.segments)
                    benchmark::DoNotOptimize(
                        c.first->rayCollision(s.origin.data(), s.direction.data(), false, 0.0f, 1.0f));
            }
        },
        [&c](benchmark::State& state) {
            const fcl::Transform3d a = fclPose(c.firstPose);
            std::vector<fcl::Transform3d> poses;
            for (const auto& s : c.segments)
                poses.push_back(fclPose(s.capsulePose));
            fcl::CollisionRequestd request;
            for (auto _ : state) {
                for (std::size_t i = 0; i < c.segments.size(); ++i) {
                    fcl::CollisionResultd result;
                    benchmark::DoNotOptimize(fcl::collide(
                        c.fclFirst.get(), a, c.segments[i].capsule.get(), poses[i], request, result));
                }
            }
        },
        mismatches);
}

void registerSpheres(MeshCase& c, std::mt19937& random) {
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::uniform_int_distribution<std::size_t> pick(0, c.mesh.triangles.size() - 1);
    int mismatches = 0;
    int hits = 0;
    for (int n = 0; n < kQueriesPerBatch; ++n) {
        // Near the surface: around a random triangle's centre.
        const auto& t = c.mesh.triangles[pick(random)];
        float local[3];
        for (int i = 0; i < 3; ++i)
            local[i] = (t[static_cast<std::size_t>(i)] + t[static_cast<std::size_t>(3 + i)]
                           + t[static_cast<std::size_t>(6 + i)])
                    / 3.0f
                + unit(random) * 0.1f * c.mesh.size;
        MeshCase::Ball b;
        for (int i = 0; i < 3; ++i) {
            const std::size_t k = static_cast<std::size_t>(i);
            b.centre[k] = local[0] * c.firstPose[k] + local[1] * c.firstPose[4 + k]
                + local[2] * c.firstPose[8 + k] + c.firstPose[12 + k];
        }
        b.radius = (0.045f + 0.035f * unit(random)) * c.mesh.size;
        b.sphere = std::make_shared<fcl::Sphered>(b.radius);
        b.spherePose = pose(0, 0, 1, 0.0f, b.centre[0], b.centre[1], b.centre[2]);
        const bool ours = c.first->sphereCollision(b.centre.data(), b.radius);
        const bool theirs = fclCollide(*c.fclFirst, c.firstPose, *b.sphere, b.spherePose);
        mismatches += ours != theirs ? 1 : 0;
        hits += ours ? 1 : 0;
        c.balls.push_back(b);
    }
    std::fprintf(stderr, "Sphere/%s: %d of %d spheres hit\n", c.mesh.name.c_str(), hits, kQueriesPerBatch);
    registerPair(
        "Sphere/" + c.mesh.name,
        [&c](benchmark::State& state) {
            for (auto _ : state) {
                for (const auto& b : c.balls)
                    benchmark::DoNotOptimize(c.first->sphereCollision(b.centre.data(), b.radius));
            }
        },
        [&c](benchmark::State& state) {
            const fcl::Transform3d a = fclPose(c.firstPose);
            std::vector<fcl::Transform3d> poses;
            for (const auto& b : c.balls)
                poses.push_back(fclPose(b.spherePose));
            fcl::CollisionRequestd request;
            for (auto _ : state) {
                for (std::size_t i = 0; i < c.balls.size(); ++i) {
                    fcl::CollisionResultd result;
                    benchmark::DoNotOptimize(fcl::collide(
                        c.fclFirst.get(), a, c.balls[i].sphere.get(), poses[i], request, result));
                }
            }
        },
        mismatches);
}

// The editor's case: a dragged part's 12-triangle box against every placed
// part of a playground, once per pointer move.
struct Playground {
    struct Part {
        Mesh mesh;
        Pose where;
        std::unique_ptr<CollisionModel3D> ours;
        Fcl theirs;
    };
    std::vector<Part> parts;
    Mesh dragged;
    std::unique_ptr<CollisionModel3D> draggedOurs;
    Fcl draggedTheirs;
    std::vector<Pose> moves;
};

void registerEditor(Playground& p, std::mt19937& random) {
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (int row = 0; row < 10; ++row) {
        for (int column = 0; column < 20; ++column) {
            Playground::Part part;
            const float hx = 0.25f + 0.35f * unit(random);
            const float hy = 0.25f + 0.35f * unit(random);
            const float hz = 0.2f + 0.3f * unit(random);
            part.mesh = box(hx, hy, hz);
            part.where = pose(0, 0, 1, 6.2831853f * unit(random), 1.6f * column, 1.6f * row, hz);
            part.ours = buildOurs(part.mesh);
            part.ours->setTransform(part.where.data());
            part.theirs = buildFcl(part.mesh);
            p.parts.push_back(std::move(part));
        }
    }
    p.dragged = box(0.4f, 0.3f, 0.25f);
    p.draggedOurs = buildOurs(p.dragged);
    p.draggedTheirs = buildFcl(p.dragged);
    for (int n = 0; n < 64; ++n)
        p.moves.push_back(pose(0, 0, 1, 0.1f * n, 0.47f * n, 1.6f * 4.0f + 3.0f * unit(random), 0.25f));

    int mismatches = 0;
    int hits = 0;
    for (const Pose& move : p.moves) {
        p.draggedOurs->setTransform(move.data());
        for (const auto& part : p.parts) {
            const bool ours = p.draggedOurs->collision(part.ours.get(), -1, 0, nullptr);
            const bool theirs = fclCollide(*p.draggedTheirs, move, *part.theirs, part.where);
            mismatches += ours != theirs ? 1 : 0;
            hits += ours ? 1 : 0;
        }
    }
    std::fprintf(
        stderr, "Editor: %d contacts over %zu moves of %zu parts\n", hits, p.moves.size(), p.parts.size());
    registerPair(
        "Editor/DraggedBoxAgainst200Parts",
        [&p](benchmark::State& state) {
            std::size_t move = 0;
            for (auto _ : state) {
                p.draggedOurs->setTransform(p.moves[move++ % p.moves.size()].data());
                int contacts = 0;
                for (const auto& part : p.parts)
                    contacts += p.draggedOurs->collision(part.ours.get(), -1, 0, nullptr) ? 1 : 0;
                benchmark::DoNotOptimize(contacts);
            }
        },
        [&p](benchmark::State& state) {
            std::vector<fcl::Transform3d> moves;
            for (const Pose& m : p.moves)
                moves.push_back(fclPose(m));
            std::vector<fcl::Transform3d> placed;
            for (const auto& part : p.parts)
                placed.push_back(fclPose(part.where));
            fcl::CollisionRequestd request;
            std::size_t move = 0;
            for (auto _ : state) {
                const fcl::Transform3d& d = moves[move++ % moves.size()];
                int contacts = 0;
                for (std::size_t i = 0; i < p.parts.size(); ++i) {
                    fcl::CollisionResultd result;
                    contacts += fcl::collide(p.draggedTheirs.get(), d, p.parts[i].theirs.get(), placed[i],
                                    request, result)
                            > 0
                        ? 1
                        : 0;
                }
                benchmark::DoNotOptimize(contacts);
            }
        },
        mismatches);
}

// The editor's exact test in window space builds two throwaway 12-triangle
// models per candidate from the parts' corners (already in world space) and
// asks whether they meet.
void registerExactOverlap(Playground& p) {
    auto corners = [](const Mesh& mesh, const Pose& where) {
        Mesh world;
        world.name = mesh.name;
        for (const auto& t : mesh.triangles) {
            std::array<float, 9> w;
            for (int k = 0; k < 3; ++k) {
                const float* v = &t[static_cast<std::size_t>(3 * k)];
                for (int i = 0; i < 3; ++i) {
                    const std::size_t c = static_cast<std::size_t>(i);
                    w[static_cast<std::size_t>(3 * k + i)]
                        = v[0] * where[c] + v[1] * where[4 + c] + v[2] * where[8 + c] + where[12 + c];
                }
            }
            world.triangles.push_back(w);
        }
        return world;
    };
    std::vector<Mesh> placed;
    for (const auto& part : p.parts)
        placed.push_back(corners(part.mesh, part.where));
    std::vector<Mesh> dragged;
    for (const Pose& move : p.moves)
        dragged.push_back(corners(p.dragged, move));
    const Pose identity = pose(0, 0, 1, 0.0f, 0, 0, 0);
    int mismatches = 0;
    for (std::size_t m = 0; m < dragged.size(); ++m) {
        auto d = buildOurs(dragged[m]);
        auto fd = buildFcl(dragged[m]);
        for (std::size_t i = 0; i < placed.size(); ++i) {
            auto q = buildOurs(placed[i]);
            const bool ours = d->collision(q.get(), -1, 0, nullptr);
            const bool theirs = fclCollide(*fd, identity, *buildFcl(placed[i]), identity);
            mismatches += ours != theirs ? 1 : 0;
        }
    }
    registerPair(
        "Editor/ExactOverlapBuildAndTest200Parts",
        [placed, dragged](benchmark::State& state) {
            std::size_t move = 0;
            for (auto _ : state) {
                const Mesh& d = dragged[move++ % dragged.size()];
                int contacts = 0;
                for (const Mesh& part : placed) {
                    auto first = buildOurs(d);
                    auto second = buildOurs(part);
                    contacts += first->collision(second.get(), -1, 0, nullptr) ? 1 : 0;
                }
                benchmark::DoNotOptimize(contacts);
            }
        },
        [placed, dragged, identity](benchmark::State& state) {
            const fcl::Transform3d none = fclPose(identity);
            fcl::CollisionRequestd request;
            std::size_t move = 0;
            for (auto _ : state) {
                const Mesh& d = dragged[move++ % dragged.size()];
                int contacts = 0;
                for (const Mesh& part : placed) {
                    auto first = buildFcl(d);
                    auto second = buildFcl(part);
                    fcl::CollisionResultd result;
                    contacts
                        += fcl::collide(first.get(), none, second.get(), none, request, result) > 0 ? 1 : 0;
                }
                benchmark::DoNotOptimize(contacts);
            }
        },
        mismatches);
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    std::vector<std::unique_ptr<MeshCase>> cases;
    for (Mesh mesh : { box(0.5f, 0.3f, 0.2f), torus(25, 20), torus(100, 50), torus(250, 200) }) {
        auto c = std::make_unique<MeshCase>();
        c->mesh = std::move(mesh);
        c->firstPose = pose(0.3f, 0.5f, 0.8f, 0.7f, 3.0f, -2.0f, 1.0f);
        c->first = buildOurs(c->mesh);
        c->first->setTransform(c->firstPose.data());
        c->second = buildOurs(c->mesh);
        c->fclFirst = buildFcl(c->mesh);
        c->fclSecond = buildFcl(c->mesh);
        cases.push_back(std::move(c));
    }
    std::mt19937 random(20240611);
    for (auto& c : cases)
        registerBuild(*c);
    for (auto& c : cases)
        registerPairs(*c, random);
    for (auto& c : cases)
        registerRays(*c, random);
    for (auto& c : cases)
        registerSpheres(*c, random);
    Playground playground;
    registerEditor(playground, random);
    registerExactOverlap(playground);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
