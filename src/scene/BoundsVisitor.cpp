#include "scene/BoundsVisitor.h"

#include "scene/NodeMasks.h"

#include <osg/Drawable>
#include <osg/Transform>

namespace scene {

BoundsVisitor::BoundsVisitor(const osg::Matrixd& toWorld)
    : osg::NodeVisitor(TRAVERSE_ACTIVE_CHILDREN)
    , m_toWorld(toWorld) {
    setTraversalMask(kMeasuredBit);
}

void BoundsVisitor::apply(osg::Drawable& drawable) {
    const osg::BoundingBox local = drawable.getBoundingBox();
    if (!local.valid())
        return;
    const osg::Matrixd m = osg::computeLocalToWorld(getNodePath()) * m_toWorld;
    for (unsigned i = 0; i < 8; ++i)
        m_box.expandBy(local.corner(i) * m);
}

osg::BoundingBox ComputeBounds(osg::Node* node, const osg::Matrixd& toWorld) {
    if (!node)
        return {};
    BoundsVisitor visitor(toWorld);
    // The start node is entered directly, so its own mask does not matter.
    visitor.pushOntoNodePath(node);
    if (osg::Drawable* drawable = node->asDrawable())
        visitor.apply(*drawable);
    else
        node->traverse(visitor);
    visitor.popFromNodePath();
    return visitor.GetBoundingBox();
}

} // namespace scene
