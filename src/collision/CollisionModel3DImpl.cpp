#include "collision/CollisionModel3DImpl.h"

#include "collision/PairSearch.h"
#include "collision/WorkStack.h"
#include "platform/Warnings.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <typeinfo>

using collision::AffineMap;
using collision::BoxNode;
using collision::BoxTree;
using collision::LeafTriangle;
using collision::Transform;
using collision::Triangle;
using collision::Vec3;

namespace {

// Without a budget a query may run this long, as it always could.
constexpr int kUnlimitedMilliseconds = 16777215;

// A reservation is only a hint; a wild count must not fail the model.
constexpr int kLargestReservation = 1 << 22;

constexpr float kEndlessRay = 3e30f;
constexpr float kNoHit = 9e9f;

// How far rounding may move a point of a box or a triangle at this scale; the
// ray and sphere pruning widen every box by it.
float roundingReach(const BoxTree& tree, const Vec3& point) {
    const Vec3 p = absolute(point);
    return 4e-7f * (tree.reach() + std::max({ p.x, p.y, p.z })) + 1e-6f;
}

// The segment origin + t * direction, 0 <= t <= length, against a box
// widened by `widen`: the separating axes are the box's three and the three
// cross products of the segment with them. A length above 3e30 is an endless
// ray.
bool segmentMeetsBox(
    const BoxNode& box, const Vec3& origin, const Vec3& direction, float length, float widen) {
    const Vec3 e = box.half + Vec3(widen, widen, widen);
    Vec3 d;
    Vec3 h;
    if (length > kEndlessRay) {
        d = origin - box.centre;
        for (int i = 0; i < 3; ++i) {
            if (std::fabs(d[i]) > e[i] && d[i] * direction[i] >= 0.0f)
                return false;
        }
        h = direction;
    } else {
        h = direction * (length * 0.5f);
        d = origin + h - box.centre;
        const Vec3 ah = absolute(h);
        if (std::fabs(d.x) > ah.x + e.x || std::fabs(d.y) > ah.y + e.y || std::fabs(d.z) > ah.z + e.z)
            return false;
    }
    const Vec3 c = cross(h, d);
    const Vec3 ah = absolute(h);
    return !(std::fabs(c.x) > e.y * ah.z + e.z * ah.y || std::fabs(c.y) > e.x * ah.z + e.z * ah.x
        || std::fabs(c.z) > e.x * ah.y + e.y * ah.x);
}

bool sphereMeetsBox(const BoxNode& box, const Vec3& centre, float radius, float widen) {
    float distanceSquared = 0.0f;
    for (int i = 0; i < 3; ++i) {
        const float outside = std::fabs(centre[i] - box.centre[i]) - box.half[i] - widen;
        if (outside > 0.0f)
            distanceSquared += outside * outside;
    }
    return distanceSquared <= radius * radius;
}

void storeTriangle(const Triangle& t, float* out) {
    t.p.store(out);
    t.q.store(out + 3);
    t.r.store(out + 6);
}

} // namespace

CollisionModel3DImpl::CollisionModel3DImpl(bool isStatic)
    : m_static(isStatic) {
    m_tree.build({});
}

void CollisionModel3DImpl::setTriangleNumber(int n) {
    if (m_finalized || n <= 0)
        return;
    m_store.reserve(static_cast<std::size_t>(std::min(n, kLargestReservation)));
}

void CollisionModel3DImpl::addTriangle(const float* p, const float* q, const float* r) {
    if (m_finalized)
        throw Inconsistency();
    m_store.push_back({ Vec3(p), Vec3(q), Vec3(r) });
    ++m_triangleCount;
}

void CollisionModel3DImpl::addTriangle(
    float x1, float y1, float z1, float x2, float y2, float z2, float x3, float y3, float z3) {
    if (m_finalized)
        throw Inconsistency();
    m_store.push_back({ Vec3(x1, y1, z1), Vec3(x2, y2, z2), Vec3(x3, y3, z3) });
    ++m_triangleCount;
}

void CollisionModel3DImpl::finalize() {
    if (m_finalized)
        throw Inconsistency();
    m_tree.build(m_store);
    m_finalized = true;
    const std::size_t leftOut = m_store.size() - m_tree.triangles().size();
    if (leftOut > 0)
        platform::Warn("collision",
            std::to_string(leftOut) + " of " + std::to_string(m_store.size())
                + " triangles of a collision model had coordinates that are not finite and were left out");
    // The tree holds its own copy of every triangle, in the order the searches
    // walk them; the store is no longer needed.
    std::vector<Triangle>().swap(m_store);
}

void CollisionModel3DImpl::setTransform(const float* m) {
    m_transform = Transform::fromFloats(m);
    m_inverseState = InverseState::Unknown;
    m_solid = m_transform.invertible();
    if (!m_solid)
        platform::Warn("collision",
            "a collision model was given a transform that cannot be inverted; it touches nothing while it "
            "has it");
    if (m_static)
        inverse();
}

const Transform* CollisionModel3DImpl::inverse() {
    if (m_inverseState == InverseState::Unknown)
        m_inverseState = m_transform.inverted(m_inverse) ? InverseState::Valid : InverseState::Singular;
    return m_inverseState == InverseState::Valid ? &m_inverse : nullptr;
}

bool CollisionModel3DImpl::collision(
    CollisionModel3D* other, int /*accuracyDepth*/, int maxProcessingTime, const float* otherTransform) {
    m_lastQuery = QueryKind::Model;
    // The only kind of model there is; anything else is wrong use.
    if (other == nullptr || typeid(*other) != typeid(CollisionModel3DImpl))
        throw Inconsistency();
    auto* model = static_cast<CollisionModel3DImpl*>(other);
    if (!m_finalized || !model->m_finalized)
        throw Inconsistency();
    if (m_tree.empty() || model->m_tree.empty())
        return false;

    const Transform* thisInverse = inverse();
    if (thisInverse == nullptr)
        return false;
    // A model squashed flat by its transform has no volume to touch with.
    Transform passed;
    if (otherTransform != nullptr) {
        passed = Transform::fromFloats(otherTransform);
        if (!passed.invertible())
            return false;
    } else if (!model->m_solid) {
        return false;
    }
    const Transform& otherWorld = otherTransform != nullptr ? passed : model->m_transform;

    const AffineMap relative = AffineMap::product(otherWorld, *thisInverse);
    collision::PairSearch search(m_tree, model->m_tree, relative);
    collision::Deadline deadline(maxProcessingTime > 0 ? maxProcessingTime : kUnlimitedMilliseconds);
    collision::PairSearch::Hit hit;
    if (!search.run(deadline, hit))
        return false;
    const LeafTriangle& first = m_tree.triangles()[static_cast<std::size_t>(hit.first)];
    m_firstTriangle = first.triangle;
    m_firstIndex = first.index;
    m_secondTriangle = hit.secondMapped;
    m_secondIndex = model->m_tree.triangles()[static_cast<std::size_t>(hit.second)].index;
    return true;
}

bool CollisionModel3DImpl::rayCollision(
    const float* origin, const float* direction, bool closest, float segmentMin, float segmentMax) {
    m_lastQuery = QueryKind::Ray;
    const Transform* toModel = inverse();
    if (toModel == nullptr)
        return false;
    const AffineMap map = AffineMap::from(*toModel);
    Vec3 o = map.point(Vec3(origin));
    Vec3 d = map.direction(Vec3(direction));
    if (segmentMin != 0.0f) {
        o = o + d * segmentMin;
        segmentMax -= segmentMin;
    }
    if (segmentMax < 0.0f) {
        d = -d;
        segmentMax = -segmentMax;
    }
    if (m_tree.empty() || !isFinite(o) || !isFinite(d))
        return false;

    const float widen = roundingReach(m_tree, o);
    const std::vector<BoxNode>& nodes = m_tree.nodes();
    const std::vector<LeafTriangle>& triangles = m_tree.triangles();
    float best = kNoHit;
    // Once a hit is known, only a nearer one can replace it: the boxes are
    // then tested against the segment up to that hit.
    float reach = segmentMax;
    collision::WorkStack<std::int32_t, 64> stack;
    stack.push(BoxTree::kRoot);
    while (!stack.empty()) {
        const BoxNode& node = nodes[static_cast<std::size_t>(stack.pop())];
        if (!segmentMeetsBox(node, o, d, reach, widen))
            continue;
        if (node.hasChildren()) {
            stack.push(node.first + 1);
            stack.push(node.first);
            continue;
        }
        for (int k = node.first + node.count - 1; k >= node.first; --k) {
            const LeafTriangle& candidate = triangles[static_cast<std::size_t>(k)];
            float t;
            Vec3 x;
            if (!rayHitsTriangle(candidate.triangle, o, d, segmentMax, t, x))
                continue;
            if (!closest) {
                m_firstTriangle = candidate.triangle;
                m_firstIndex = candidate.index;
                m_point = x;
                return true;
            }
            if (t < best) {
                best = t;
                reach = t;
                m_firstTriangle = candidate.triangle;
                m_firstIndex = candidate.index;
                m_point = x;
            }
        }
    }
    return closest && best < kNoHit;
}

bool CollisionModel3DImpl::sphereCollision(const float* centre, float radius) {
    m_lastQuery = QueryKind::Sphere;
    const Transform* toModel = inverse();
    if (toModel == nullptr)
        return false;
    const Vec3 c = AffineMap::from(*toModel).point(Vec3(centre));
    if (m_tree.empty() || !isFinite(c) || !(radius >= 0.0f))
        return false;

    const float widen = roundingReach(m_tree, c);
    const std::vector<BoxNode>& nodes = m_tree.nodes();
    const std::vector<LeafTriangle>& triangles = m_tree.triangles();
    collision::WorkStack<std::int32_t, 64> stack;
    stack.push(BoxTree::kRoot);
    while (!stack.empty()) {
        const BoxNode& node = nodes[static_cast<std::size_t>(stack.pop())];
        if (!sphereMeetsBox(node, c, radius, widen))
            continue;
        if (node.hasChildren()) {
            stack.push(node.first + 1);
            stack.push(node.first);
            continue;
        }
        for (int k = node.first + node.count - 1; k >= node.first; --k) {
            const LeafTriangle& candidate = triangles[static_cast<std::size_t>(k)];
            Vec3 point;
            if (sphereHitsTriangle(candidate.triangle, c, radius, point)) {
                m_firstTriangle = candidate.triangle;
                m_firstIndex = candidate.index;
                m_point = point;
                return true;
            }
        }
    }
    return false;
}

bool CollisionModel3DImpl::getCollidingTriangles(int& first, int& second) {
    first = m_firstIndex;
    second = m_secondIndex;
    return true;
}

bool CollisionModel3DImpl::getCollidingTriangles(float* first, float* second, bool modelSpace) {
    const AffineMap world = AffineMap::from(m_transform);
    auto place = [&](const Triangle& t) {
        if (modelSpace)
            return t;
        return Triangle { world.point(t.p), world.point(t.q), world.point(t.r) };
    };
    if (first != nullptr)
        storeTriangle(place(m_firstTriangle), first);
    if (second != nullptr)
        storeTriangle(place(m_secondTriangle), second);
    return true;
}

bool CollisionModel3DImpl::getCollisionPoint(float* point, bool modelSpace) {
    Vec3 p;
    switch (m_lastQuery) {
    case QueryKind::Model:
        p = collision::contactPoint(m_firstTriangle, m_secondTriangle);
        break;
    case QueryKind::Ray:
    case QueryKind::Sphere:
        p = m_point;
        break;
    }
    if (!modelSpace)
        p = AffineMap::from(m_transform).point(p);
    p.store(point);
    return true;
}

std::unique_ptr<CollisionModel3D> newCollisionModel3D(bool isStatic) {
    return std::make_unique<CollisionModel3DImpl>(isStatic);
}
