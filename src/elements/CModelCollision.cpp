// Collision meshes and overlap tests of a part.

#include "elements/CModel.h"

#include "collision/CDrawableVisitor.h"
#include "collision/CollisionModel3D.h"
#include "scene/MathBridge.h"
#include "scene/NodeMasks.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <exception>

namespace {

// A box of twelve triangles over eight corners in boxTriangle's order.
void AddBox(CollisionModel3D& model, const PartConstants& k, const osg::Vec3f* corners) {
    for (int t = 0; t < 12; ++t) {
        const osg::Vec3f& a = corners[k.boxTriangle[3 * t]];
        const osg::Vec3f& b = corners[k.boxTriangle[3 * t + 1]];
        const osg::Vec3f& c = corners[k.boxTriangle[3 * t + 2]];
        model.addTriangle(a.x(), a.y(), a.z(), b.x(), b.y(), b.z(), c.x(), c.y(), c.z());
    }
}

osg::Vec3f BoxCentre(const osg::Vec3f* corners) {
    osg::Vec3f sum;
    for (int i = 0; i < 8; ++i)
        sum += corners[i];
    return sum / 8.0f;
}

// Whether p lies inside the box of eight corners in boxCorner's order: the
// box is a parallelepiped spanned from corner 0 by the edges to the corners
// that differ from it on one axis. A flat box encloses nothing.
bool Encloses(const PartConstants& k, const osg::Vec3f* corners, const osg::Vec3f& p) {
    // Corner i differs from corner 0 on axis a where its triple differs.
    int along[3] = { -1, -1, -1 };
    for (int i = 1; i < 8; ++i) {
        int differs = 0, axis = -1;
        for (int a = 0; a < 3; ++a) {
            if (k.boxCorner[3 * i + a] != k.boxCorner[a]) {
                ++differs;
                axis = a;
            }
        }
        if (differs == 1)
            along[axis] = i;
    }
    if (along[0] < 0 || along[1] < 0 || along[2] < 0)
        return false;
    const osg::Vec3d o(corners[0]);
    const osg::Vec3d e0 = osg::Vec3d(corners[along[0]]) - o;
    const osg::Vec3d e1 = osg::Vec3d(corners[along[1]]) - o;
    const osg::Vec3d e2 = osg::Vec3d(corners[along[2]]) - o;
    const double det = e0 * (e1 ^ e2);
    if (!(std::fabs(det) > 1e-9 * e0.length() * e1.length() * e2.length()))
        return false;
    // The point's coordinates along the three edges (Cramer's rule).
    const osg::Vec3d d = osg::Vec3d(p) - o;
    const double u = d * (e1 ^ e2) / det;
    const double v = e0 * (d ^ e2) / det;
    const double w = e0 * (e1 ^ d) / det;
    return u >= 0.0 && u <= 1.0 && v >= 0.0 && v <= 1.0 && w >= 0.0 && w <= 1.0;
}

// A description box's corners in world coordinates.
std::array<osg::Vec3f, 8> WorldBox(const PartConstants& k, const SBoxDesc& box, const osg::Matrixd& toWorld) {
    auto corners = k.BoxCorners(box.m_vCenter, box.m_vecAxes[0], box.m_vecAxes[1], box.m_vecAxes[2]);
    for (osg::Vec3f& c : corners)
        c = c * toWorld;
    return corners;
}

} // namespace

void CModel::BuildCollisionModel() {
    m_pCollision = newCollisionModel3D(false);
    if (AddBoxTriangles(*m_pCollision))
        return;
    CDrawableVisitor visitor;
    // Selection boxes and other helpers below the part are no part of it.
    visitor.setTraversalMask(scene::kMeasuredBit);
    GetOSGNode()->accept(visitor);
    // The collected triangles went through the pose node's own matrix; the
    // model is kept in the part's own frame whatever pose it has now.
    const osg::Matrixd toOwn = osg::Matrixd::inverse(GetOSGNode()->getMatrix());
    const std::vector<osg::Vec3f>& v = visitor.record().m_vVertices;
    m_pCollision->setTriangleNumber(int(v.size() / 3));
    for (std::size_t i = 0; i + 2 < v.size(); i += 3) {
        const osg::Vec3f a = v[i] * toOwn;
        const osg::Vec3f b = v[i + 1] * toOwn;
        const osg::Vec3f c = v[i + 2] * toOwn;
        m_pCollision->addTriangle(a.x(), a.y(), a.z(), b.x(), b.y(), b.z(), c.x(), c.y(), c.z());
    }
    m_pCollision->finalize();
}

bool CModel::AddBoxTriangles(CollisionModel3D& model) {
    if (!ReadBoxes())
        return false;
    const PartConstants& k = Constants();
    for (const SBoxDesc& box : GetDesc().m_vecBoxes) {
        const auto corners
            = k.BoxCorners(box.m_vCenter, box.m_vecAxes[0], box.m_vecAxes[1], box.m_vecAxes[2]);
        AddBox(model, k, corners.data());
    }
    model.finalize();
    return true;
}

CollisionModel3D* CModel::UpdateCollisionTransform() {
    if (!m_pCollision)
        return nullptr;
    m_pCollision->setTransform(scene::ToCollisionMatrix(GetAbsoluteMatrix()).data());
    return m_pCollision.get();
}

bool CModel::CollidesWith(CModel* other) {
    if (!other || !m_pCollision)
        return false;
    CollisionModel3D* theirs = other->UpdateCollisionTransform();
    if (!theirs)
        return false;
    try {
        if (m_pCollision->collision(theirs, -1, 0, nullptr))
            return true;
    } catch (const std::exception&) {
        // Both models are finalised when built; a failed query is no contact.
        return false;
    }
    // Meshes meet only where their surfaces cross: a part whose box lies
    // wholly inside another's collides all the same.
    const PartConstants& k = Constants();
    const osg::Matrixd mine = GetAbsoluteMatrix();
    const osg::Matrixd others = other->GetAbsoluteMatrix();
    for (const SBoxDesc& a : GetDesc().m_vecBoxes) {
        const auto ca = WorldBox(k, a, mine);
        for (const SBoxDesc& b : other->GetDesc().m_vecBoxes) {
            const auto cb = WorldBox(k, b, others);
            if (Encloses(k, ca.data(), BoxCentre(cb.data())) || Encloses(k, cb.data(), BoxCentre(ca.data())))
                return true;
        }
    }
    return false;
}

osg::Vec3f CModel::ToWindow(const osg::Vec3f& world) const {
    if (!m_pOwner)
        return osg::Vec3f(world.x(), world.y(), 0.0f);
    const osg::Vec3f w = world * m_pOwner->m_mWindow;
    return osg::Vec3f(std::clamp(w.x(), 0.0f, m_pOwner->m_vViewport.x()),
        std::clamp(w.y(), 0.0f, m_pOwner->m_vViewport.y()), 0.0f);
}

void CModel::CornersOf(osg::Vec3Array& out, bool threeD) const {
    for (int k = 0; k < 8; ++k) {
        osg::Vec3f corner;
        GetBoxPoint(corner, k);
        out.push_back(threeD ? corner : ToWindow(corner));
    }
}

bool CModel::Overlaps(const CModel* other, bool threeD, bool exact) const {
    if (!other)
        return false;
    osg::ref_ptr<osg::Vec3Array> corners = new osg::Vec3Array;
    corners->reserve(16);
    CornersOf(*corners, threeD);
    other->CornersOf(*corners, threeD);
    if (!ExtentsOverlap(*corners, threeD))
        return false;
    // In window space the boxes' outlines are compared exactly in any case:
    // their extents overlap far more often than their shapes do.
    return (exact || !threeD) ? ExactOverlap(*corners) : true;
}

bool CModel::ExtentsOverlap(const osg::Vec3Array& corners, bool threeD) const {
    const std::size_t n = corners.size() / 2;
    if (n == 0)
        return false;
    const osg::Vec2f viewport = m_pOwner ? m_pOwner->m_vViewport : SPartOwner().m_vViewport;
    // z, then y, then x; only y and x in window space.
    for (int axis = threeD ? 2 : 1; axis >= 0; --axis) {
        float aMin = corners[0][axis], aMax = aMin;
        float bMin = corners[n][axis], bMax = bMin;
        for (std::size_t i = 0; i < n; ++i) {
            aMin = std::min(aMin, corners[i][axis]);
            aMax = std::max(aMax, corners[i][axis]);
            bMin = std::min(bMin, corners[n + i][axis]);
            bMax = std::max(bMax, corners[n + i][axis]);
        }
        if (aMax < bMin || bMax < aMin)
            return false;
        if (!threeD) {
            // A set pressed against the window's edge is off the window.
            const float edge = viewport[axis];
            if (aMin == edge || bMin == edge || aMax == 0.0f || bMax == 0.0f)
                return false;
        }
    }
    return true;
}

bool CModel::ExactOverlap(const osg::Vec3Array& corners) const {
    if (corners.size() < 16)
        return false;
    const PartConstants& k = Constants();
    std::unique_ptr<CollisionModel3D> first = newCollisionModel3D(false);
    std::unique_ptr<CollisionModel3D> second = newCollisionModel3D(false);
    AddBox(*first, k, &corners[0]);
    AddBox(*second, k, &corners[8]);
    first->finalize();
    second->finalize();
    try {
        if (first->collision(second.get(), -1, 0, nullptr))
            return true;
    } catch (const std::exception&) {
        return false;
    }
    // Surfaces that do not cross may still enclose one another: a small
    // brick's port box lies inside a large brick's when they are joined.
    return Encloses(k, &corners[0], BoxCentre(&corners[8]))
        || Encloses(k, &corners[8], BoxCentre(&corners[0]));
}
