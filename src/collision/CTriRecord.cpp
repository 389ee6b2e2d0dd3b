#include "collision/CTriRecord.h"

void CTriRecord::operator()(const osg::Vec3& v1, const osg::Vec3& v2, const osg::Vec3& v3) {
    const int n = static_cast<int>(m_vVertices.size());
    m_vTriangles.emplace_back(n, n + 1, n + 2);
    m_vVertices.push_back(v1 * m_mWorld);
    m_vVertices.push_back(v2 * m_mWorld);
    m_vVertices.push_back(v3 * m_mWorld);
}
