#include "elements/Nets.h"

#include <cmath>

namespace {

osg::ref_ptr<osg::Geometry> Lines(osg::Vec3Array* vertices) {
    osg::ref_ptr<osg::Geometry> lines = new osg::Geometry;
    lines->setVertexArray(vertices);
    osg::ref_ptr<osg::Vec4Array> black = new osg::Vec4Array;
    black->push_back(osg::Vec4(0.0f, 0.0f, 0.0f, 1.0f));
    lines->setColorArray(black.get(), osg::Array::BIND_OVERALL);
    lines->addPrimitiveSet(new osg::DrawArrays(GL_LINES, 0, GLsizei(vertices->size())));
    return lines;
}

} // namespace

Nets::Nets(float halfWidth, float halfLength, float spacing)
    : CGround(halfWidth, halfLength, spacing) {
    osg::ref_ptr<osg::Vec4Array> clear = new osg::Vec4Array;
    clear->push_back(osg::Vec4(0.0f, 0.0f, 0.0f, 0.0f));
    m_pGeometry->setColorArray(clear.get(), osg::Array::BIND_OVERALL);
    osg::StateSet* state = m_pGeometry->getOrCreateStateSet();
    state->setMode(GL_BLEND, osg::StateAttribute::ON);
    state->setMode(GL_DEPTH_TEST, osg::StateAttribute::OFF);

    osg::ref_ptr<osg::Vec3Array> alongY = new osg::Vec3Array;
    osg::ref_ptr<osg::Vec3Array> alongX = new osg::Vec3Array;
    const bool drawable = spacing > 0.0f && std::isfinite(spacing) && std::isfinite(halfWidth)
        && std::isfinite(halfLength) && halfWidth / spacing <= kMaxLines && halfLength / spacing <= kMaxLines;
    if (drawable) {
        const float lastX = spacing * std::trunc(halfWidth / spacing);
        for (float x = -halfWidth; x <= lastX; x += spacing) {
            alongY->push_back(osg::Vec3(x, halfLength, 0.0f));
            alongY->push_back(osg::Vec3(x, -halfLength, 0.0f));
        }
        const float lastY = spacing * std::trunc(halfLength / spacing);
        for (float y = -halfLength; y <= lastY; y += spacing) {
            alongX->push_back(osg::Vec3(-halfWidth, y, 0.0f));
            alongX->push_back(osg::Vec3(halfWidth, y, 0.0f));
        }
    }
    m_pLinesX = Lines(alongY.get());
    m_pLinesY = Lines(alongX.get());
    m_pGeode->addDrawable(m_pLinesX.get());
    m_pGeode->addDrawable(m_pLinesY.get());
}
