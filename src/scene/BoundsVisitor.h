#pragma once

#include <osg/BoundingBox>
#include <osg/Matrixd>
#include <osg/NodeVisitor>

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

    void apply(osg::Drawable& drawable) override;

    const osg::BoundingBox& GetBoundingBox() const { return m_box; }

private:
    osg::Matrixd m_toWorld;
    osg::BoundingBox m_box;
};

// The box of BoundsVisitor over node; invalid when there is nothing to measure.
osg::BoundingBox ComputeBounds(osg::Node* node, const osg::Matrixd& toWorld = osg::Matrixd::identity());

} // namespace scene
