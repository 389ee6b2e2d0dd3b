#include "scene/BoundsVisitor.h"

#include "scene/NodeMasks.h"

#include <osg/Camera>
#include <osg/Drawable>
#include <osg/Transform>

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
    m_frames.push_back(m_frames.back());
    Accumulate(transform, m_frames.back(), this);
    traverse(transform);
    m_frames.pop_back();
}

void BoundsVisitor::apply(osg::Drawable& drawable) {
    const osg::BoundingBox local = drawable.getBoundingBox();
    if (!local.valid())
        return;
    const osg::Matrixd m = m_frames.back() * m_toWorld;
    for (unsigned i = 0; i < 8; ++i)
        m_box.expandBy(local.corner(i) * m);
}

void BoundsVisitor::Enter(osg::Node& node) {
    pushOntoNodePath(&node);
    if (osg::Transform* transform = node.asTransform())
        Accumulate(*transform, m_frames.back(), this);
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
