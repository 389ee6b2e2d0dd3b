#pragma once

#include "scene/SceneObject.h"

#include <osg/Group>
#include <osg/LightSource>
#include <osg/ref_ptr>

#include <vector>

namespace scene {

class PositionalLight;

// The root of what an application shows: an ordered list of top-level
// objects (picking walks them in the order they were added) under one root
// group, and the scene's lights. Light 0 is the scene's own light, a
// directional light from above that is on until UseSceneLight turns it off.
class Scene : public osg::Referenced {
public:
    Scene();

    osg::Group* GetSceneNode() { return m_root.get(); }

    // Adding an object twice, or null, changes nothing.
    void AddDrawable(SceneObject* object);
    void RemoveDrawable(SceneObject* object);
    void RemoveAllDrawables();
    bool HasDrawable(const SceneObject* object) const;
    unsigned GetNumberOfAddedDrawable() const { return unsigned(m_objects.size()); }
    SceneObject* GetDrawable(unsigned index) const;
    // Top-level objects in the order they were added.
    const std::vector<osg::ref_ptr<SceneObject>>& GetDrawables() const { return m_objects; }

    // Switches light number lightNumber (0-7) on or off for the whole scene.
    void UseSceneLight(bool on, int lightNumber = 0);
    // The positional light of that number among the scene's objects, if any.
    PositionalLight* GetLight(int lightNumber) const;

protected:
    ~Scene() override;

private:
    osg::ref_ptr<osg::Group> m_root;
    osg::ref_ptr<osg::LightSource> m_sceneLight;
    std::vector<osg::ref_ptr<SceneObject>> m_objects;
};

} // namespace scene
