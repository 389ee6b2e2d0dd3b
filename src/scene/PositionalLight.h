#pragma once

#include "scene/SceneObject.h"

#include <osg/Light>
#include <osg/LightSource>
#include <osg/observer_ptr>

#include <string>

namespace scene {

// A point light at the object's origin. In global mode it lights the whole
// scene it is added to; in local mode only what hangs under the light
// object itself. Moving the object moves the light: a light given the
// camera's transform every frame is a headlight.
class PositionalLight : public SceneObject {
public:
    enum LightingMode { GLOBAL, LOCAL };

    // lightNumber 0-7 selects the OpenGL light; numbers outside are clamped.
    PositionalLight(int lightNumber, const std::string& name);

    int GetNumber() const { return m_number; }

    void SetLightingMode(LightingMode mode);
    LightingMode GetLightingMode() const { return m_mode; }

    void SetEnabled(bool enabled);
    bool GetEnabled() const { return m_enabled; }

    void SetAmbient(const osg::Vec4& colour) { m_light->setAmbient(colour); }
    void SetDiffuse(const osg::Vec4& colour) { m_light->setDiffuse(colour); }
    void SetSpecular(const osg::Vec4& colour) { m_light->setSpecular(colour); }
    // Constant, linear and quadratic attenuation.
    void SetAttenuation(float constant, float linear, float quadratic);

    osg::Light* GetOSGLight() { return m_light.get(); }
    osg::LightSource* GetLightSource() { return m_source.get(); }

protected:
    void OnAddedToScene(Scene& scene) override;
    void OnRemovedFromScene(Scene& scene) override;

private:
    void ApplyModes();

    int m_number;
    LightingMode m_mode = GLOBAL;
    bool m_enabled = true;
    osg::ref_ptr<osg::Light> m_light;
    osg::ref_ptr<osg::LightSource> m_source;
    osg::observer_ptr<osg::Group> m_sceneRoot;
};

} // namespace scene
