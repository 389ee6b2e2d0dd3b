#include "elements/CGround.h"

CGround::CGround(float halfWidth, float halfLength, float cell)
    : CElement(ElementKindGround)
    , m_pGeode(new osg::Geode)
    , m_pGeometry(new osg::Geometry)
    , m_fHalfWidth(halfWidth)
    , m_fHalfLength(halfLength)
    , m_fCell(cell) {
    const float w = halfWidth;
    const float l = halfLength;
    osg::ref_ptr<osg::Vec3Array> vertices = new osg::Vec3Array;
    vertices->push_back(osg::Vec3(-w, -l, 0.0f));
    vertices->push_back(osg::Vec3(w, -l, 0.0f));
    vertices->push_back(osg::Vec3(w, l, 0.0f));
    vertices->push_back(osg::Vec3(-w, l, 0.0f));
    osg::ref_ptr<osg::Vec2Array> texture = new osg::Vec2Array;
    texture->push_back(osg::Vec2(0.0f, 0.0f));
    texture->push_back(osg::Vec2(1.0f, 0.0f));
    texture->push_back(osg::Vec2(1.0f, 1.0f));
    texture->push_back(osg::Vec2(0.0f, 1.0f));
    osg::ref_ptr<osg::Vec3Array> normals = new osg::Vec3Array;
    normals->push_back(osg::Vec3(0.0f, 0.0f, 1.0f));
    m_pGeometry->setVertexArray(vertices.get());
    m_pGeometry->setTexCoordArray(0, texture.get());
    m_pGeometry->setNormalArray(normals.get(), osg::Array::BIND_OVERALL);
    m_pGeometry->addPrimitiveSet(new osg::DrawArrays(GL_QUADS, 0, 4));
    m_pGeode->addDrawable(m_pGeometry.get());
    GetOSGNode()->addChild(m_pGeode.get());
}
