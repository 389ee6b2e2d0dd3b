#pragma once

#include <osg/BoundingBox>
#include <osg/Matrixd>
#include <osg/NodeVisitor>

#include <typeinfo>
#include <utility>
#include <vector>

namespace scene {

// The axis-aligned box around every drawable below the node it is applied
// to. The start node's own transform counts, the transforms above it don't:
// applied to a top-level object's node it gives world coordinates, applied to
// a child object's node it gives the box in the parent's frame (pass the
// parent's absolute matrix as toWorld to get world coordinates).
//
// Helper nodes and switched-off objects below the start node are left out
// (see NodeMasks.h); the start node itself always counts, so an object that
// was switched off still measures through its own node.
class BoundsVisitor : public osg::NodeVisitor {
public:
    explicit BoundsVisitor(const osg::Matrixd& toWorld = osg::Matrixd::identity());

    using osg::NodeVisitor::apply;
    void apply(osg::Transform& transform) override;
    void apply(osg::Drawable& drawable) override;
    // Starts the walk at node, whose own transform counts.
    void Enter(osg::Node& node);
    // The node's children, as its own traversal visits them.
    void WalkFrom(osg::Node& node);

    const osg::BoundingBox& GetBoundingBox() const { return m_box; }

private:
    enum class Kind { Geometry, Transform, Group, Other };

    Kind KindOf(const osg::Node& node);
    void Walk(osg::Group& group);
    void Measure(osg::Drawable& drawable);

    // From the start node's parent to a transform on the way down, and from
    // there on to the world, formed once the first drawable below needs it.
    struct Frame {
        osg::Matrixd local;
        osg::Matrixd world;
        bool hasWorld = false;
    };

    osg::Matrixd m_toWorld;
    std::vector<Frame> m_frames;
    std::vector<std::pair<const std::type_info*, Kind>> m_kinds;
    osg::BoundingBox m_box;
};

// The box of BoundsVisitor over node; invalid when there is nothing to measure.
osg::BoundingBox ComputeBounds(osg::Node* node, const osg::Matrixd& toWorld = osg::Matrixd::identity());

} // namespace scene
