#include "elements/CDrawTri.h"

#include "scene/NodeMasks.h"

#include <osg/Geometry>

#include <cmath>

CDrawTri::CDrawTri()
    : scene::SceneObject("Arrow")
    , m_nStep(m_nCells / (m_nGroups * 4))
    , m_nCount(m_nCells / 2) {
    m_vCellSize.set((m_vArea.z() - m_vArea.x()) / m_nCells, (m_vArea.w() - m_vArea.y()) / m_nCells);
    // A helper: drawn beside the grid, never measured with the scene.
    SetHelper(true);
    for (int i = 0; i < m_nCount; ++i) {
        m_pGeodes[i] = new osg::Geode;
        const float y = m_vArea.y() + i * 2.0f * m_vCellSize.y();
        BuildCell(osg::Vec2(m_vArea.z() + 0.01f, y), i);
        BuildCell(osg::Vec2(m_vArea.x() - 2.0f * m_vCellSize.x(), y), i);
        const bool lit = !((i >= m_nStep && i < 2 * m_nStep) || i >= 3 * m_nStep);
        SetLit(i, lit);
        GetOSGNode()->addChild(m_pGeodes[i].get());
    }
}

void CDrawTri::BuildCell(const osg::Vec2& corner, int index) {
    if (index < 0 || index >= int(m_pGeodes.size()) || !m_pGeodes[index])
        return;
    const float x = std::trunc(corner.x());
    const float y = std::trunc(corner.y());
    osg::ref_ptr<osg::Vec3Array> v = new osg::Vec3Array;
    v->push_back(osg::Vec3(x + 2, y + 2, 0));
    v->push_back(osg::Vec3(x, y, 0));
    v->push_back(osg::Vec3(x, y + 2, 0));
    v->push_back(osg::Vec3(x + 2, y + 4, 0));
    v->push_back(osg::Vec3(x + 4, y + 2, 0));
    v->push_back(osg::Vec3(x + 4, y, 0));
    osg::ref_ptr<osg::Vec4Array> colour = new osg::Vec4Array;
    colour->push_back(m_vColor);
    osg::ref_ptr<osg::Geometry> arrow = new osg::Geometry;
    arrow->setVertexArray(v.get());
    arrow->setColorArray(colour.get(), osg::Array::BIND_OVERALL);
    arrow->addPrimitiveSet(new osg::DrawArrays(GL_POLYGON, 0, 6));
    m_pGeodes[index]->addDrawable(arrow.get());
}

osg::Geode* CDrawTri::GetGeode(int index) const {
    return index >= 0 && index < m_nCount ? m_pGeodes[index].get() : nullptr;
}

void CDrawTri::SetLit(int index, bool lit) {
    // The arrows' alpha is 0: blended, an arrow is invisible.
    osg::StateSet* state = m_pGeodes[index]->getOrCreateStateSet();
    state->setMode(GL_BLEND, lit ? osg::StateAttribute::OFF : osg::StateAttribute::ON);
    state->setMode(GL_DEPTH_TEST, lit ? osg::StateAttribute::ON : osg::StateAttribute::OFF);
}

bool CDrawTri::IsLit(int index) const {
    const osg::Geode* geode = GetGeode(index);
    const osg::StateSet* state = geode ? geode->getStateSet() : nullptr;
    return state && (state->getMode(GL_BLEND) & osg::StateAttribute::ON) == 0;
}

void CDrawTri::Animate() {
    if (m_nTick != 30) {
        ++m_nTick;
        return;
    }
    int k = m_nFirst;
    for (int run = 0; run < m_nGroups; ++run) {
        SetLit(k, false);
        k = (k + m_nStep) % m_nCount;
        SetLit(k, true);
        k = (k + m_nStep) % m_nCount;
    }
    m_nFirst = (m_nFirst + 1) % m_nCount;
    m_nTick = 0;
}
