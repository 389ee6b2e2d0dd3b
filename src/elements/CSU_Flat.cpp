#include "elements/CSU_Flat.h"

#include <osg/Geometry>

CSU_Flat::CSU_Flat(scene::Transformable* target, const osg::Vec4& area)
    : scene::SceneObject("Object")
    , m_pGeode(new osg::Geode)
    , m_pTarget(target)
    , m_pInner(new scene::SceneObject("Object")) {
    // Picked, never measured with the scene.
    SetHelper(true);
    BuildQuad(area * 10.0f);
    m_pInner->GetOSGNode()->addChild(m_pGeode.get());
    AddChild(m_pInner.get());
}

void CSU_Flat::BuildQuad(const osg::Vec4& e) {
    osg::ref_ptr<osg::Vec3Array> v = new osg::Vec3Array;
    v->push_back(osg::Vec3(e.z(), 0.0f, e.w()));
    v->push_back(osg::Vec3(e.z(), 0.0f, e.y()));
    v->push_back(osg::Vec3(e.x(), 0.0f, e.y()));
    v->push_back(osg::Vec3(e.x(), 0.0f, e.w()));
    osg::ref_ptr<osg::Vec4Array> clear = new osg::Vec4Array;
    clear->push_back(osg::Vec4(0.0f, 0.0f, 0.0f, 0.0f));
    osg::ref_ptr<osg::Geometry> quad = new osg::Geometry;
    quad->setVertexArray(v.get());
    quad->setColorArray(clear.get(), osg::Array::BIND_OVERALL);
    quad->addPrimitiveSet(new osg::DrawArrays(GL_QUADS, 0, 4));
    osg::StateSet* state = quad->getOrCreateStateSet();
    state->setMode(GL_BLEND, osg::StateAttribute::ON);
    state->setMode(GL_DEPTH_TEST, osg::StateAttribute::OFF);
    m_pGeode->addDrawable(quad.get());
}

void CSU_Flat::Follow() {
    osg::ref_ptr<scene::Transformable> target;
    if (!m_pTarget.lock(target))
        return;
    scene::Transform t;
    target->GetTransform(t, scene::CoordSys::Absolute);
    // Within 10 of the origin: the camera looks along its own +y.
    const osg::Vec3 eye = t.GetTranslation();
    if ((eye / 10.0f).length2() < 1.0f)
        t.SetTranslation(t.GetQuat() * osg::Vec3(0.0f, 1.0f, 0.0f));
    else
        t.SetTranslation(0.0, 0.0, 0.0);
    m_pInner->SetTransform(t, scene::CoordSys::Relative);
}

osg::Node* CSU_Flat::GetNode() const {
    return const_cast<scene::SceneObject*>(m_pInner.get())->GetOSGNode();
}
