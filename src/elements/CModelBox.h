#pragma once

#include "scene/SceneObject.h"

#include <osg/Geode>
#include <osg/Vec3f>
#include <osg/ref_ptr>

class CModel;

// The wire-frame box around a placed part that the editors show in a colour
// (hovered, selected, free) or hide. It hangs under its part as a child
// object, so it moves and turns with it, and it is a helper: drawn, but left
// out of the part's bounding box.
class CModelBox : public scene::SceneObject {
public:
    enum Color { Red = 0, Green = 1, Cyan = 2 };

    // The box from min - 0.1 to max + 0.1 (corners in the part's own frame),
    // added to the part, switched off.
    CModelBox(CModel* part, const osg::Vec3f& min, const osg::Vec3f& max);
    // The box round the part's bounding box in its own frame, without margin.
    explicit CModelBox(CModel* part);

    // 0 red, 1 green, 2 cyan; any other index an all-zero colour.
    void SetColor(int index);

    osg::Geode* GetGeode() const { return m_pGeode.get(); }

protected:
    ~CModelBox() override = default;

private:
    void Build(CModel* part, const osg::Vec3f& low, const osg::Vec3f& high);

    osg::ref_ptr<osg::Geode> m_pGeode;
};
