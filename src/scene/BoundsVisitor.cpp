#include "scene/BoundsVisitor.h"

#include "scene/NodeMasks.h"

#include <osg/Camera>
#include <osg/Drawable>
#include <osg/Transform>

#include <cmath>

namespace scene {

namespace {

// Takes a node's transform into `frame` as osg::computeLocalToWorld does
// along a node path: an absolute camera starts the path afresh.
void Accumulate(osg::Transform& transform, osg::Matrixd& frame, osg::NodeVisitor* visitor) {
    const osg::Camera* camera = transform.asCamera();
    if (camera
        && (camera->getReferenceFrame() != osg::Transform::RELATIVE_RF || camera->getParents().empty())) {
        frame.makeIdentity();
        return;
    }
    transform.computeLocalToWorldMatrix(frame, visitor);
}

} // namespace

BoundsVisitor::BoundsVisitor(const osg::Matrixd& toWorld)
    : osg::NodeVisitor(TRAVERSE_ACTIVE_CHILDREN)
    , m_toWorld(toWorld) {
    setTraversalMask(kMeasuredBit);
    m_frames.emplace_back();
}

void BoundsVisitor::apply(osg::Transform& transform) {
    // The frame of each transform on the way down is kept, so that a drawable
    // costs one product, not one per node above it; the products are the
    // ones osg::computeLocalToWorld forms, in the same order.
    m_frames.push_back({ m_frames.back().local, {}, false });
    Accumulate(transform, m_frames.back().local, this);
    traverse(transform);
    m_frames.pop_back();
}

void BoundsVisitor::apply(osg::Drawable& drawable) {
    const osg::BoundingBox local = drawable.getBoundingBox();
    if (!local.valid())
        return;
    Frame& frame = m_frames.back();
    if (!frame.hasWorld) {
        frame.world = frame.local * m_toWorld;
        frame.hasWorld = true;
    }
    const osg::Matrixd& m = frame.world;
    const bool finite = std::isfinite(local.xMin()) && std::isfinite(local.xMax())
        && std::isfinite(local.yMin()) && std::isfinite(local.yMax()) && std::isfinite(local.zMin())
        && std::isfinite(local.zMax());
    if (!finite || m(0, 3) != 0.0 || m(1, 3) != 0.0 || m(2, 3) != 0.0 || m(3, 3) != 1.0) {
        for (unsigned i = 0; i < 8; ++i)
            m_box.expandBy(local.corner(i) * m);
        return;
    }
    // Without projection a finite corner's divisor is exactly 1, and the products
    // of each coordinate with the matrix are shared by four corners: the
    // sums below are the ones corner(i) * m forms, in the same order.
    const double xs[2] = { local.xMin(), local.xMax() };
    const double ys[2] = { local.yMin(), local.yMax() };
    const double zs[2] = { local.zMin(), local.zMax() };
    double px[2][3], py[2][3], pz[2][3];
    for (int i = 0; i < 2; ++i) {
        for (int c = 0; c < 3; ++c) {
            px[i][c] = m(0, c) * xs[i];
            py[i][c] = m(1, c) * ys[i];
            pz[i][c] = m(2, c) * zs[i];
        }
    }
    for (unsigned corner = 0; corner < 8; ++corner) {
        const unsigned i = corner & 1u;
        const unsigned j = (corner >> 1) & 1u;
        const unsigned k = (corner >> 2) & 1u;
        osg::Vec3f v;
        for (int c = 0; c < 3; ++c)
            v[c] = float(px[i][c] + py[j][c] + pz[k][c] + m(3, c));
        m_box.expandBy(v);
    }
}

void BoundsVisitor::Enter(osg::Node& node) {
    pushOntoNodePath(&node);
    if (osg::Transform* transform = node.asTransform())
        Accumulate(*transform, m_frames.back().local, this);
}

osg::BoundingBox ComputeBounds(osg::Node* node, const osg::Matrixd& toWorld) {
    if (!node)
        return {};
    BoundsVisitor visitor(toWorld);
    // The start node is entered directly, so its own mask does not matter.
    visitor.Enter(*node);
    if (osg::Drawable* drawable = node->asDrawable())
        visitor.apply(*drawable);
    else
        node->traverse(visitor);
    visitor.popFromNodePath();
    return visitor.GetBoundingBox();
}

} // namespace scene
