#include "scene/BoundsVisitor.h"

#include "scene/NodeMasks.h"

#include <osg/Camera>
#include <osg/Drawable>
#include <osg/Geode>
#include <osg/Geometry>
#include <osg/MatrixTransform>
#include <osg/Transform>

#include <cmath>
#include <typeinfo>

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
    if (KindOf(transform) == Kind::Transform)
        Walk(transform);
    else
        traverse(transform);
    m_frames.pop_back();
}

void BoundsVisitor::Walk(osg::Group& group) {
    // As the group's own traversal would, child by child, without its calls
    // through the visitor for every node.
    const unsigned count = group.getNumChildren();
    for (unsigned i = 0; i < count; ++i) {
        osg::Node& child = *group.getChild(i);
        if (!validNodeMask(child))
            continue;
        switch (KindOf(child)) {
        case Kind::Geometry:
            Measure(*child.asDrawable());
            break;
        case Kind::Transform:
            pushOntoNodePath(&child);
            apply(*child.asTransform());
            popFromNodePath();
            break;
        case Kind::Group:
            pushOntoNodePath(&child);
            Walk(*child.asGroup());
            popFromNodePath();
            break;
        case Kind::Other:
            child.accept(*this);
            break;
        }
    }
}

BoundsVisitor::Kind BoundsVisitor::KindOf(const osg::Node& node) {
    // The node kinds that models are made of, whose traversal is nothing but
    // their children in order, are walked directly; each class is looked up
    // once a walk.
    const std::type_info* type = &typeid(node);
    for (const auto& [known, kind] : m_kinds) {
        if (known == type)
            return kind;
    }
    Kind kind = Kind::Other;
    if (*type == typeid(osg::Geometry))
        kind = Kind::Geometry;
    else if (*type == typeid(osg::MatrixTransform))
        kind = Kind::Transform;
    else if (*type == typeid(osg::Group) || *type == typeid(osg::Geode))
        kind = Kind::Group;
    m_kinds.emplace_back(type, kind);
    return kind;
}

void BoundsVisitor::apply(osg::Drawable& drawable) {
    Measure(drawable);
}

void BoundsVisitor::Measure(osg::Drawable& drawable) {
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
    // Without projection a finite corner's divisor is exactly 1, and the
    // products of each coordinate with the matrix are shared by four
    // corners: the sums below are the ones corner(i) * m forms, in the same
    // order, and each axis of the box takes the corners in their order, as
    // expandBy does.
    const double x0 = local.xMin();
    const double x1 = local.xMax();
    const double y0 = local.yMin();
    const double y1 = local.yMax();
    const double z0 = local.zMin();
    const double z1 = local.zMax();
    for (int c = 0; c < 3; ++c) {
        const double a0 = m(0, c) * x0;
        const double a1 = m(0, c) * x1;
        const double b0 = m(1, c) * y0;
        const double b1 = m(1, c) * y1;
        const double c0 = m(2, c) * z0;
        const double c1 = m(2, c) * z1;
        const double t = m(3, c);
        const double s00 = a0 + b0;
        const double s10 = a1 + b0;
        const double s01 = a0 + b1;
        const double s11 = a1 + b1;
        const float corners[8]
            = { float(s00 + c0 + t), float(s10 + c0 + t), float(s01 + c0 + t), float(s11 + c0 + t),
                  float(s00 + c1 + t), float(s10 + c1 + t), float(s01 + c1 + t), float(s11 + c1 + t) };
        float& low = m_box._min[c];
        float& high = m_box._max[c];
        for (float v : corners) {
            if (v < low)
                low = v;
            if (v > high)
                high = v;
        }
    }
}

void BoundsVisitor::WalkFrom(osg::Node& node) {
    const Kind kind = KindOf(node);
    if (kind == Kind::Transform || kind == Kind::Group)
        Walk(*node.asGroup());
    else
        node.traverse(*this);
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
        visitor.WalkFrom(*node);
    visitor.popFromNodePath();
    return visitor.GetBoundingBox();
}

} // namespace scene
