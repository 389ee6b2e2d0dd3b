#include "collision/CDrawableVisitor.h"

#include <osg/Drawable>
#include <osg/Geode>
#include <osg/Transform>

CDrawableVisitor::CDrawableVisitor()
    : osg::NodeVisitor(osg::NodeVisitor::TRAVERSE_ACTIVE_CHILDREN) { }

void CDrawableVisitor::apply(osg::Geode& geode) {
    // The drawables are read here and not traversed: drawables are nodes too,
    // and traversing them would only visit them a second time.
    for (unsigned i = 0; i < geode.getNumDrawables(); ++i) {
        const osg::Drawable* drawable = geode.getDrawable(i);
        if (drawable == nullptr || !drawable->supports(m_functor))
            continue;
        m_functor.m_mWorld = osg::computeLocalToWorld(getNodePath(), true);
        drawable->accept(m_functor);
    }
}
