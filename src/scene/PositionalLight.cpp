#include "scene/PositionalLight.h"

#include "scene/NodeMasks.h"
#include "scene/Scene.h"

#include <algorithm>

namespace scene {

PositionalLight::PositionalLight(int lightNumber, const std::string& name)
    : SceneObject(name)
    , m_number(std::clamp(lightNumber, 0, 7))
    , m_light(new osg::Light(m_number))
    , m_source(new osg::LightSource) {
    m_light->setPosition(osg::Vec4(0.0f, 0.0f, 0.0f, 1.0f));
    m_light->setAmbient(osg::Vec4(0.2f, 0.2f, 0.2f, 1.0f));
    m_light->setDiffuse(osg::Vec4(0.8f, 0.8f, 0.8f, 1.0f));
    m_light->setSpecular(osg::Vec4(0.6f, 0.6f, 0.6f, 1.0f));
    m_source->setLight(m_light.get());
    // A light has no size: it must not widen anyone's bounding box.
    MarkAsHelper(*m_source);
    GetOSGNode()->addChild(m_source.get());
    ApplyModes();
}

void PositionalLight::SetAttenuation(float constant, float linear, float quadratic) {
    m_light->setConstantAttenuation(constant);
    m_light->setLinearAttenuation(linear);
    m_light->setQuadraticAttenuation(quadratic);
}

void PositionalLight::SetLightingMode(LightingMode mode) {
    m_mode = mode;
    ApplyModes();
}

void PositionalLight::SetEnabled(bool enabled) {
    m_enabled = enabled;
    ApplyModes();
}

void PositionalLight::OnAddedToScene(Scene& scene) {
    m_sceneRoot = scene.GetSceneNode();
    ApplyModes();
}

void PositionalLight::OnRemovedFromScene(Scene& scene) {
    scene.GetSceneNode()->getOrCreateStateSet()->removeMode(GLenum(GL_LIGHT0 + m_number));
    m_sceneRoot = nullptr;
}

void PositionalLight::ApplyModes() {
    const GLenum lightMode = GLenum(GL_LIGHT0 + m_number);
    const osg::StateAttribute::GLModeValue value
        = m_enabled ? osg::StateAttribute::ON : osg::StateAttribute::OFF;
    osg::StateSet* own = GetOSGNode()->getOrCreateStateSet();
    if (m_mode == LOCAL)
        own->setMode(lightMode, value);
    else
        own->removeMode(lightMode);
    osg::ref_ptr<osg::Group> root;
    if (m_sceneRoot.lock(root)) {
        if (m_mode == GLOBAL)
            root->getOrCreateStateSet()->setMode(lightMode, value);
        else
            root->getOrCreateStateSet()->removeMode(lightMode);
    }
}

} // namespace scene
