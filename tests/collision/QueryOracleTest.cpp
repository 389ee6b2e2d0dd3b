// Every query against a brute-force answer: all triangle pairs for a model
// query, all triangles for a ray or a sphere. The brute force uses the same
// exact triangle tests and the same maps into model space as the searches, so
// any disagreement is the tree's pruning or search at fault.

#include "MeshFactory.h"

#include "collision/CollisionModel3DImpl.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

using namespace testmesh;
using collision::AffineMap;
using collision::Transform;

namespace {

bool brutePair(const Mesh& a, const Pose& poseA, const Mesh& b, const Pose& poseB) {
    const AffineMap map = relativeMap(poseA, poseB);
    for (const Triangle& s : b) {
        const Triangle mapped { map.point(s.p), map.point(s.q), map.point(s.r) };
        for (const Triangle& f : a) {
            if (collision::trianglesIntersect(f, mapped))
                return true;
        }
    }
    return false;
}

Pose compose(const Pose& first, const Pose& then) {
    Pose out;
    (Transform::fromFloats(first.data()) * Transform::fromFloats(then.data())).toFloats(out.data());
    return out;
}

// Runs one model query and checks it against the brute force; returns a
// description of the disagreement, if any.
std::optional<std::string> checkPair(
    const Mesh& a, const Pose& poseA, const Mesh& b, const Pose& poseB, bool isStatic, int& hits) {
    auto first = model(a, poseA, isStatic);
    auto second = model(b, poseB, isStatic);
    const bool expected = brutePair(a, poseA, b, poseB);
    const bool found = first->collision(second.get(), -1, 0, nullptr);
    hits += expected ? 1 : 0;
    if (found != expected)
        return std::string("search says ") + (found ? "hit" : "miss") + ", brute force says the opposite";
    if (!found)
        return std::nullopt;
    // The reported pair must itself intersect, and the read-outs must agree
    // with the stored meshes.
    int i = -1;
    int j = -1;
    first->getCollidingTriangles(i, j);
    if (i < 0 || j < 0 || i >= static_cast<int>(a.size()) || j >= static_cast<int>(b.size()))
        return std::string("reported indices out of range");
    const AffineMap map = relativeMap(poseA, poseB);
    const Triangle& s = b[static_cast<std::size_t>(j)];
    const Triangle mapped { map.point(s.p), map.point(s.q), map.point(s.r) };
    if (!collision::trianglesIntersect(a[static_cast<std::size_t>(i)], mapped))
        return std::string("reported pair does not intersect");
    float t1[9];
    float t2[9];
    first->getCollidingTriangles(t1, t2, true);
    const Triangle& f = a[static_cast<std::size_t>(i)];
    if (t1[0] != f.p.x || t1[4] != f.q.y || t1[8] != f.r.z || t2[0] != mapped.p.x || t2[7] != mapped.r.y)
        return std::string("read-out triangles differ from the reported indices");
    return std::nullopt;
}

struct Tally {
    int cases = 0;
    int hits = 0;
    int mismatches = 0;
    std::string firstMismatch;

    void add(const std::optional<std::string>& problem, const std::string& label) {
        ++cases;
        if (problem && mismatches++ == 0)
            firstMismatch = label + ": " + *problem;
    }
};

void expectClean(const Tally& t, int minHits, int minMisses) {
    EXPECT_EQ(t.mismatches, 0) << t.firstMismatch;
    EXPECT_GE(t.hits, minHits) << "too few hits to mean anything out of " << t.cases;
    EXPECT_GE(t.cases - t.hits, minMisses) << "too few misses to mean anything out of " << t.cases;
}

} // namespace

TEST(QueryOracle, RandomSoupsInRandomPoses) {
    std::mt19937 random(1234);
    Tally tally;
    for (int n = 0; n < 1500; ++n) {
        const Mesh a = soup(random, 10 + n % 60, 1.0f, 0.3f);
        const Mesh b = soup(random, 5 + n % 45, 0.8f, 0.4f);
        const Pose poseA = randomPose(random, 1.5f);
        const Pose poseB = randomPose(random, 1.5f);
        tally.add(checkPair(a, poseA, b, poseB, n % 2 == 0, tally.hits), "soup case " + std::to_string(n));
    }
    expectClean(tally, 300, 300);
}

TEST(QueryOracle, ScaledAndShearedPoses) {
    // Uniform scales keep the fitted boxes usable; stretched or sheared
    // transforms make the search fall back to the models' own boxes.
    std::mt19937 random(31);
    Tally tally;
    for (int n = 0; n < 800; ++n) {
        const Mesh a = soup(random, 10 + n % 40, 1.0f, 0.3f);
        const Mesh b = n % 4 == 0 ? torus(0.8f, 0.25f, 10, 6) : soup(random, 5 + n % 30, 0.8f, 0.4f);
        Pose stretch = identity();
        if (n % 2 == 0) {
            const float s = uniform(random, 0.3f, 3.0f);
            stretch[0] = stretch[5] = stretch[10] = s;
        } else {
            stretch[0] = uniform(random, 0.3f, 3.0f);
            stretch[5] = uniform(random, 0.3f, 3.0f);
            stretch[10] = uniform(random, 0.3f, 3.0f);
            stretch[4] = uniform(random, -0.5f, 0.5f);
            stretch[9] = uniform(random, -0.5f, 0.5f);
        }
        const Pose poseA = n % 3 == 0 ? compose(stretch, randomPose(random, 1.5f)) : randomPose(random, 1.5f);
        const Pose poseB = compose(stretch, randomPose(random, 1.5f));
        tally.add(checkPair(a, poseA, b, poseB, n % 2 == 0, tally.hits), "scaled case " + std::to_string(n));
    }
    expectClean(tally, 150, 150);
}

TEST(QueryOracle, RotatedClosedMeshes) {
    std::mt19937 random(99);
    const Mesh ring = torus(1.0f, 0.3f, 16, 8);
    const Mesh block = box({ -0.4f, -0.3f, -0.2f }, { 0.4f, 0.3f, 0.2f });
    Tally tally;
    for (int n = 0; n < 400; ++n) {
        const Pose poseA = randomPose(random, 0.5f);
        const Pose poseB = randomPose(random, 2.0f);
        const Mesh& b = n % 2 == 0 ? ring : block;
        tally.add(
            checkPair(ring, poseA, b, poseB, n % 3 == 0, tally.hits), "closed case " + std::to_string(n));
    }
    expectClean(tally, 50, 50);
}

TEST(QueryOracle, TouchingBoxesFaceEdgeAndCorner) {
    // Unit boxes that share a face, an edge or a corner, or that sit a
    // hair's breadth inside or outside of that, all under one common random
    // pose: the boxes of the tree touch exactly, and rounding decides.
    std::mt19937 random(7);
    const Mesh unit = box({ 0, 0, 0 }, { 1, 1, 1 });
    const Vec3 offsets[] = { { 1, 0, 0 }, { 0, -1, 0 }, { 0, 0, 1 }, { 1, 1, 0 }, { -1, 0, 1 }, { 1, 1, 1 },
        { 1, 0.5f, 0.25f }, { 0.5f, 1, -0.5f } };
    const float nudges[] = { 0.0f, 1e-7f, -1e-7f, 1e-5f, -1e-5f };
    Tally tally;
    int n = 0;
    for (int round = 0; round < 20; ++round) {
        // Out to playground distances, where a float step is 3e-5.
        const Pose common = round == 0 ? identity() : randomPose(random, round % 2 == 0 ? 250.0f : 5.0f);
        for (const Vec3& offset : offsets) {
            for (float nudge : nudges) {
                const Vec3 shift = offset * (1.0f + nudge);
                const Pose poseB = compose(pose({ 0, 0, 1 }, 0.0f, shift), common);
                tally.add(checkPair(unit, common, unit, poseB, n % 2 == 0, tally.hits),
                    "touching case " + std::to_string(n));
                ++n;
            }
        }
    }
    expectClean(tally, 100, 1);
    // Exactly touching faces count as a contact.
    auto a = model(unit, identity());
    auto b = model(unit, pose({ 0, 0, 1 }, 0.0f, { 1, 0, 0 }));
    EXPECT_TRUE(a->collision(b.get(), -1, 0, nullptr));
}

TEST(QueryOracle, CoplanarPairs) {
    // Both meshes lie in one plane of the world: the relative map turns and
    // shifts within the plane, so every close pair takes the coplanar branch.
    std::mt19937 random(42);
    Tally tally;
    for (int n = 0; n < 600; ++n) {
        const Mesh a = flatSoup(random, 3 + n % 20, 1.0f, 0.3f);
        const Mesh b = flatSoup(random, 3 + n % 15, 1.0f, 0.3f);
        const Pose common = randomPose(random, 3.0f);
        const Pose inPlane = pose({ 0, 0, 1 }, uniform(random, -3.0f, 3.0f),
            { uniform(random, -2.0f, 2.0f), uniform(random, -2.0f, 2.0f), 0.0f });
        tally.add(checkPair(a, common, b, compose(inPlane, common), n % 2 == 1, tally.hits),
            "coplanar case " + std::to_string(n));
    }
    expectClean(tally, 100, 100);
}

TEST(QueryOracle, NearMissesStayMisses) {
    // A turned box pushed until its lowest corner is 1e-3 beyond the face
    // x = 1 of the unit box: never a contact, though every box of both trees
    // comes within a millimetre.
    std::mt19937 random(5);
    const Mesh unit = box({ 0, 0, 0 }, { 1, 1, 1 });
    const Mesh small = box({ -0.3f, -0.2f, -0.25f }, { 0.3f, 0.2f, 0.25f });
    Tally tally;
    for (int n = 0; n < 500; ++n) {
        const Pose turn = randomPose(random, 0.0f);
        float lowest = 1e9f;
        for (const Triangle& t : small) {
            for (const Vec3& v : { t.p, t.q, t.r })
                lowest = std::min(lowest, transformPoint(turn, v).x);
        }
        const float gap = n % 2 == 0 ? 1e-3f : 1e-4f;
        const Vec3 place(1.0f + gap - lowest, uniform(random, 0.2f, 0.8f), uniform(random, 0.2f, 0.8f));
        const Pose poseB = compose(turn, pose({ 0, 0, 1 }, 0.0f, place));
        tally.add(checkPair(unit, identity(), small, poseB, n % 2 == 0, tally.hits),
            "near miss " + std::to_string(n));
    }
    EXPECT_EQ(tally.mismatches, 0) << tally.firstMismatch;
    EXPECT_EQ(tally.hits, 0);
}

namespace {

struct RayCase {
    Vec3 origin;
    Vec3 direction;
    bool closest;
    float segmentMin;
    float segmentMax;
};

// The segment in model space, shifted and turned as the query does it.
void raySegment(const Pose& where, const RayCase& c, Vec3& o, Vec3& d, float& segmentMax) {
    const AffineMap map = inverseMap(where);
    o = map.point(c.origin);
    d = map.direction(c.direction);
    segmentMax = c.segmentMax;
    if (c.segmentMin != 0.0f) {
        o = o + d * c.segmentMin;
        segmentMax -= c.segmentMin;
    }
    if (segmentMax < 0.0f) {
        d = -d;
        segmentMax = -segmentMax;
    }
}

std::optional<std::string> checkRay(
    CollisionModel3D& m, const Mesh& mesh, const Pose& where, const RayCase& c, int& hits) {
    Vec3 o;
    Vec3 d;
    float segmentMax;
    raySegment(where, c, o, d, segmentMax);
    float nearest = 9e9f;
    bool any = false;
    for (const Triangle& t : mesh) {
        float s;
        Vec3 x;
        if (collision::rayHitsTriangle(t, o, d, segmentMax, s, x)) {
            any = true;
            nearest = std::min(nearest, s);
        }
    }
    float origin[3];
    float direction[3];
    c.origin.store(origin);
    c.direction.store(direction);
    const bool found = m.rayCollision(origin, direction, c.closest, c.segmentMin, c.segmentMax);
    hits += any ? 1 : 0;
    if (found != any)
        return std::string("ray search says ") + (found ? "hit" : "miss");
    if (!found)
        return std::nullopt;
    int i = -1;
    int j = -1;
    m.getCollidingTriangles(i, j);
    float s;
    Vec3 x;
    if (!collision::rayHitsTriangle(mesh[static_cast<std::size_t>(i)], o, d, segmentMax, s, x))
        return std::string("reported triangle is not hit");
    if (c.closest && s != nearest)
        return std::string("closest hit is not the nearest");
    float point[3];
    m.getCollisionPoint(point, true);
    if (point[0] != x.x || point[1] != x.y || point[2] != x.z)
        return std::string("hit point differs");
    return std::nullopt;
}

} // namespace

TEST(QueryOracle, RaysAndSegments) {
    std::mt19937 random(2024);
    Tally tally;
    for (int round = 0; round < 60; ++round) {
        const Mesh mesh = round % 3 == 0 ? torus(1.0f, 0.35f, 12, 6) : soup(random, 20 + round, 1.0f, 0.35f);
        const Pose where = randomPose(random, 1.0f);
        auto m = model(mesh, where, round % 2 == 0);
        for (int n = 0; n < 50; ++n) {
            RayCase c;
            c.origin = transformPoint(where, randomPoint(random, 2.0f));
            c.direction = randomUnit(random) * uniform(random, 0.3f, 3.0f);
            c.closest = n % 2 == 0;
            switch (n % 5) {
            case 0:
                c.segmentMin = 0.0f;
                c.segmentMax = 1e31f;
                break;
            case 1:
                c.segmentMin = 0.0f;
                c.segmentMax = uniform(random, 0.2f, 3.0f);
                break;
            case 2:
                c.segmentMin = uniform(random, 0.2f, 1.0f);
                c.segmentMax = c.segmentMin + uniform(random, 0.2f, 2.0f);
                break;
            case 3:
                c.segmentMin = 0.0f;
                c.segmentMax = -uniform(random, 0.5f, 3.0f);
                break;
            default: {
                // Aimed through a vertex or an edge's middle of some triangle.
                const Triangle& t = mesh[static_cast<std::size_t>(n) % mesh.size()];
                const Vec3 target = n % 2 == 0 ? t.q : (t.p + t.r) * 0.5f;
                c.direction = transformPoint(where, target) - c.origin;
                c.segmentMin = 0.0f;
                c.segmentMax = 2.0f;
                break;
            }
            }
            tally.add(checkRay(*m, mesh, where, c, tally.hits),
                "ray " + std::to_string(round) + "/" + std::to_string(n));
        }
    }
    expectClean(tally, 500, 500);
}

TEST(QueryOracle, Spheres) {
    std::mt19937 random(77);
    Tally tally;
    for (int round = 0; round < 60; ++round) {
        const Mesh mesh
            = round % 3 == 0 ? box({ -1, -1, -1 }, { 1, 1, 1 }) : soup(random, 20 + round, 1.0f, 0.35f);
        const Pose where = randomPose(random, 1.0f);
        auto m = model(mesh, where, round % 2 == 1);
        for (int n = 0; n < 50; ++n) {
            const Vec3 local = n % 4 == 0
                ? mesh[static_cast<std::size_t>(n) % mesh.size()].q + randomUnit(random) * 0.2f
                : randomPoint(random, 1.6f);
            const float radius = n % 4 == 0 ? 0.2f : uniform(random, 0.02f, 0.8f);
            const Vec3 centre = transformPoint(where, local);
            float c[3];
            centre.store(c);
            const Vec3 modelCentre = inverseMap(where).point(centre);
            bool any = false;
            for (const Triangle& t : mesh) {
                Vec3 p;
                any = any || collision::sphereHitsTriangle(t, modelCentre, radius, p);
            }
            const bool found = m->sphereCollision(c, radius);
            tally.hits += any ? 1 : 0;
            std::optional<std::string> problem;
            if (found != any) {
                problem = std::string("sphere search says ") + (found ? "hit" : "miss");
            } else if (found) {
                int i = -1;
                int j = -1;
                m->getCollidingTriangles(i, j);
                Vec3 p;
                if (!collision::sphereHitsTriangle(mesh[static_cast<std::size_t>(i)], modelCentre, radius, p))
                    problem = std::string("reported triangle is not hit");
            }
            tally.add(problem, "sphere " + std::to_string(round) + "/" + std::to_string(n));
        }
    }
    expectClean(tally, 500, 500);
}
