#include "elements/CPoint.h"

#include "elements/CModelRecord.h"
#include "elements/Geometry.h"
#include "elements/PartConstants.h"

#include <osg/Matrixd>
#include <osg/Quat>

void CPoint::BuildPoints(const osg::Vec3f& half, const PartConstants& constants) {
    m_vecPoints.clear();
    const auto corners = constants.BoxCorners(
        m_vPos, osg::Vec3f(-half.x(), 0, 0), osg::Vec3f(0, -half.y(), 0), osg::Vec3f(0, 0, -half.z()));
    m_vecPoints.assign(corners.begin(), corners.end());
}

osg::Matrixd CPoint::Frame() const {
    osg::Quat toDir;
    toDir.makeRotate(osg::Vec3d(0, 0, 1), osg::Vec3d(m_vDir));
    const osg::Matrixd first(toDir);
    const osg::Vec3d turnedY = osg::Vec3d(0, 1, 0) * first;
    osg::Quat toDir2;
    toDir2.makeRotate(turnedY, osg::Vec3d(m_vDir2));
    return first * osg::Matrixd(toDir2);
}

void CPoint::BuildPoints(const PartConstants& constants) {
    m_vecPoints.clear();
    const osg::Matrixd r = Frame();
    double a = constants.boxLimit;
    double s = m_nKind == 0 ? m_dLength : a;
    if (m_nMale == 1)
        s += 0.1;
    else
        a += 0.1;
    const double hx = constants.gridCell.x() * (m_nGridX / 2.0 - 0.5) + a;
    const double hy = constants.gridCell.y() * (m_nGridY / 2.0 - 0.5) + a;
    // Values in the order -hx, hx, -hy, hy, -s, s: BoxCorners takes each
    // axis's first value as given and the second as its negation.
    const auto corners = constants.BoxCorners(osg::Vec3f(), osg::Vec3f(float(-hx), 0, 0),
        osg::Vec3f(0, float(-hy), 0), osg::Vec3f(0, 0, float(-s)));
    for (const osg::Vec3f& c : corners)
        m_vecPoints.push_back(m_vPos + RotateVec3(c, r));
    if (m_nKind == 0)
        m_vecPoints.push_back(m_vPos + RotateVec3(osg::Vec3f(0, 0, float(m_dLength)), r));
}

osg::Vec3f CPoint::WorldPos(int k) const {
    const osg::Vec3f local = (k >= 0 && k < int(m_vecPoints.size())) ? m_vecPoints[k] : m_vPos;
    if (!m_pOwner)
        return local;
    const CModelState& state = m_pOwner->m_info.m_state;
    return RotateVec3(local, state.m_mRot) + state.m_vPos;
}
