#pragma once

#include "collision/BoxTree.h"
#include "collision/CollisionModel3D.h"
#include "collision/Transform.h"

#include <vector>

// The library's one model. Its triangles are stored in insertion order until
// finalisation, when they move into the box tree's leaf order (each keeping
// its store index).
class CollisionModel3DImpl final : public CollisionModel3D {
public:
    explicit CollisionModel3DImpl(bool isStatic);

    void setTriangleNumber(int n) override;
    void addTriangle(const float* p, const float* q, const float* r) override;
    void addTriangle(
        float x1, float y1, float z1, float x2, float y2, float z2, float x3, float y3, float z3) override;
    void finalize() override;
    void setTransform(const float* m) override;

    bool collision(CollisionModel3D* other, int accuracyDepth, int maxProcessingTime,
        const float* otherTransform) override;
    bool rayCollision(const float* origin, const float* direction, bool closest, float segmentMin,
        float segmentMax) override;
    bool sphereCollision(const float* centre, float radius) override;

    bool getCollidingTriangles(int& first, int& second) override;
    bool getCollidingTriangles(float* first, float* second, bool modelSpace) override;
    bool getCollisionPoint(float* point, bool modelSpace) override;

    // Inspection.
    enum class QueryKind { Model = 0, Ray = 1, Sphere = 2 };
    bool isFinalized() const { return m_finalized; }
    int triangleCount() const { return m_triangleCount; }
    const collision::BoxTree& tree() const { return m_tree; }
    QueryKind lastQueryKind() const { return m_lastQuery; }

private:
    // The inverse of the transform, null when it has none. A static model
    // inverts when its transform is set; any other model when a query first
    // needs the inverse after that, so a model queried many times between two
    // moves inverts once, and one moved many times between two queries
    // inverts once too.
    const collision::Transform* inverse();

    enum class InverseState { Unknown, Valid, Singular };

    std::vector<collision::Triangle> m_store;
    int m_triangleCount = 0;
    collision::BoxTree m_tree;
    collision::Transform m_transform;
    collision::Transform m_inverse;
    InverseState m_inverseState = InverseState::Valid;
    // Whether the transform can be inverted, judged when it is set, so that a
    // query against this model only reads it.
    bool m_solid = true;

    // The last query's record.
    collision::Triangle m_firstTriangle;
    collision::Triangle m_secondTriangle;
    int m_firstIndex = 0;
    int m_secondIndex = 0;
    collision::Vec3 m_point;
    QueryKind m_lastQuery = QueryKind::Model;

    bool m_finalized = false;
    const bool m_static;
};
