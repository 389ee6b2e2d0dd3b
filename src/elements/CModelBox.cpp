#include "elements/CModelBox.h"

#include "elements/CModel.h"

#include <osg/Geometry>
#include <osg/LineWidth>
#include <osg/Material>

namespace {

const osg::Vec3f kMargin(0.1f, 0.1f, 0.1f);

} // namespace

CModelBox::CModelBox(CModel* part, const osg::Vec3f& min, const osg::Vec3f& max)
    : scene::SceneObject("Object") {
    Build(part, min - kMargin, max + kMargin);
}

CModelBox::CModelBox(CModel* part)
    : scene::SceneObject("Object") {
    osg::Vec3f min, max;
    if (part)
        part->GetOwnFrameBounds(min, max);
    Build(part, min, max);
}

void CModelBox::Build(CModel* part, const osg::Vec3f& l, const osg::Vec3f& h) {
    auto at = [&](bool x, bool y, bool z) {
        return osg::Vec3f(x ? h.x() : l.x(), y ? h.y() : l.y(), z ? h.z() : l.z());
    };
    osg::ref_ptr<osg::Vec3Array> v = new osg::Vec3Array;
    // The twelve edges, each as a pair of line vertices.
    const bool edges[12][2][3] = {
        { { 0, 0, 0 }, { 1, 0, 0 } },
        { { 0, 0, 0 }, { 0, 1, 0 } },
        { { 0, 0, 0 }, { 0, 0, 1 } },
        { { 1, 1, 1 }, { 0, 1, 1 } },
        { { 1, 1, 1 }, { 1, 0, 1 } },
        { { 1, 1, 1 }, { 1, 1, 0 } },
        { { 0, 0, 1 }, { 0, 1, 1 } },
        { { 0, 1, 1 }, { 0, 1, 0 } },
        { { 0, 1, 0 }, { 1, 1, 0 } },
        { { 0, 0, 1 }, { 1, 0, 1 } },
        { { 1, 0, 1 }, { 1, 0, 0 } },
        { { 1, 0, 0 }, { 1, 1, 0 } },
    };
    for (const auto& e : edges) {
        v->push_back(at(e[0][0], e[0][1], e[0][2]));
        v->push_back(at(e[1][0], e[1][1], e[1][2]));
    }
    osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
    geometry->setVertexArray(v.get());
    geometry->addPrimitiveSet(new osg::DrawArrays(GL_LINES, 0, GLsizei(v->size())));
    m_pGeode = new osg::Geode;
    m_pGeode->addDrawable(geometry.get());
    osg::StateSet* state = m_pGeode->getOrCreateStateSet();
    state->setAttributeAndModes(new osg::LineWidth(2.0f), osg::StateAttribute::ON);
    state->setMode(GL_LIGHTING, osg::StateAttribute::OFF);
    GetOSGNode()->addChild(m_pGeode.get());
    SetHelper(true);
    if (part)
        part->AddChild(this);
    SetActive(false);
}

void CModelBox::SetColor(int index) {
    if (!m_pGeode)
        return;
    osg::Vec4 colour(0, 0, 0, 0);
    if (index == Red)
        colour.set(1, 0, 0, 1);
    else if (index == Green)
        colour.set(0, 1, 0, 1);
    else if (index == Cyan)
        colour.set(0, 1, 1, 1);
    osg::ref_ptr<osg::Material> material = new osg::Material;
    material->setDiffuse(osg::Material::FRONT_AND_BACK, colour);
    material->setSpecular(osg::Material::FRONT_AND_BACK, colour);
    material->setAmbient(osg::Material::FRONT_AND_BACK, colour);
    material->setEmission(osg::Material::FRONT_AND_BACK, colour);
    m_pGeode->getOrCreateStateSet()->setAttribute(material.get());
}
