#pragma once

#include "collision/CTriRecord.h"

#include <osg/NodeVisitor>
#include <osg/TriangleFunctor>

// Collects every triangle below a node, in world space: apply it with the
// node's accept() and read record(). Only the active children of switches and
// level-of-detail nodes are visited, and, as with any visitor, nodes whose
// mask does not match the traversal mask are skipped.
class CDrawableVisitor : public osg::NodeVisitor {
public:
    CDrawableVisitor();

    void apply(osg::Geode& geode) override;

    const CTriRecord& record() const { return m_functor; }

private:
    osg::TriangleFunctor<CTriRecord> m_functor;
};
