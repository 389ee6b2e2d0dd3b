#pragma once

#include "scene/SceneObject.h"
#include "scene/Transformable.h"

#include <osg/Geode>
#include <osg/Vec4>
#include <osg/observer_ptr>
#include <osg/ref_ptr>

// An invisible quad that the builders keep facing the view: their picking
// meets it where the pointer hits no object, which gives a point under the
// pointer. The quad lies in the x-z plane of an inner object, which takes the
// camera's rotation every frame.
class CSU_Flat : public scene::SceneObject {
public:
    // target: the camera the quad follows (not owned); area: min x, min y,
    // max x, max y of the editors' grid area; the quad is ten times as large.
    CSU_Flat(scene::Transformable* target, const osg::Vec4& area);

    void BuildQuad(const osg::Vec4& extent);
    // Gives the inner object the camera's rotation, and as translation its
    // forward vector while the camera is nearer than 10 to the origin
    // (the quad then stays in front of it), else none.
    void Follow();
    // The inner object's node, which picking looks for on hit paths.
    osg::Node* GetNode() const;
    scene::SceneObject* GetInner() const { return m_pInner.get(); }

protected:
    ~CSU_Flat() override = default;

private:
    osg::ref_ptr<osg::Geode> m_pGeode;
    osg::observer_ptr<scene::Transformable> m_pTarget;
    osg::ref_ptr<scene::SceneObject> m_pInner;
};
