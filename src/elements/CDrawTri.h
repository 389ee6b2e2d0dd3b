#pragma once

#include "scene/SceneObject.h"

#include <osg/Geode>
#include <osg/Vec2>
#include <osg/Vec4>
#include <osg/ref_ptr>

#include <array>

// The robot builder's animated arrows: two columns of green chevrons beside
// the 100 x 100 floor grid, pointing along +y, in which two runs of lit
// chevrons travel forward by one place every 31 frames.
class CDrawTri : public scene::SceneObject {
public:
    CDrawTri();

    // Once per frame: every 31st call moves the runs one place on.
    void Animate();

    // Adds one chevron, 4 wide and 4 high with its corner at corner (cut to
    // whole numbers), to geode index.
    void BuildCell(const osg::Vec2& corner, int index);

    int GetCount() const { return m_nCount; }
    osg::Geode* GetGeode(int index) const;
    // Whether geode index is drawn (lit) rather than see-through.
    bool IsLit(int index) const;

protected:
    ~CDrawTri() override = default;

private:
    void SetLit(int index, bool lit);

    int m_nCells = 50;
    int m_nGroups = 2;
    int m_nStep;
    int m_nCount;
    int m_nFirst = 0;
    osg::Vec4 m_vArea { -50.0f, -50.0f, 50.0f, 50.0f };
    osg::Vec2 m_vCellSize;
    osg::Vec4 m_vColor { 0.0f, 1.0f, 0.0f, 0.0f };
    std::array<osg::ref_ptr<osg::Geode>, 50> m_pGeodes;
    int m_nTick = 0;
};
