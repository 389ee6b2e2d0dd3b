#pragma once

#include "elements/CElement.h"

#include <osg/Geode>
#include <osg/Geometry>
#include <osg/ref_ptr>

// The ground under a page's objects: a flat quad in the plane z = 0,
// centred on the origin, textured from (0, 0) to (1, 1) and facing up.
class CGround : public CElement {
public:
    CGround(float halfWidth, float halfLength, float cell);

    osg::Geode* GetGeode() const { return m_pGeode.get(); }
    osg::Geometry* GetGeometry() const { return m_pGeometry.get(); }
    float GetHalfWidth() const { return m_fHalfWidth; }
    float GetHalfLength() const { return m_fHalfLength; }
    float GetCell() const { return m_fCell; }

protected:
    ~CGround() override = default;

    osg::ref_ptr<osg::Geode> m_pGeode;
    osg::ref_ptr<osg::Geometry> m_pGeometry;
    float m_fHalfWidth;
    float m_fHalfLength;
    // Nets draw their lines this far apart; the other grounds only keep it.
    float m_fCell;
};
