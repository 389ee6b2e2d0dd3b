#include "elements/PartConstants.h"

#include "foundation/CConfig.h"

#include <algorithm>

PartConstants PartConstants::FromConfig(const CConfig& config) {
    PartConstants c;
    c.portLimit = config.m_dPortLimit;
    c.boxLimit = config.m_dBoxLimit;
    c.pointKindCount = config.m_nPointKindCount;
    c.gridCell = config.m_vGridCell;
    c.gridArea = config.m_vGridArea;
    c.partColor = config.m_vPartColor;
    if (config.m_nBoxCornerCount == 8)
        std::copy(std::begin(config.BoxCorner), std::end(config.BoxCorner), c.boxCorner.begin());
    if (config.m_nBoxTriangleCount == 12)
        std::copy(std::begin(config.BoxTriangle), std::end(config.BoxTriangle), c.boxTriangle.begin());
    return c;
}

std::array<osg::Vec3f, 8> PartConstants::BoxCorners(
    const osg::Vec3f& centre, const osg::Vec3f& a0, const osg::Vec3f& a1, const osg::Vec3f& a2) const {
    const osg::Vec3f values[6] = { a0, -a0, a1, -a1, a2, -a2 };
    std::array<osg::Vec3f, 8> corners;
    for (int k = 0; k < 8; ++k)
        corners[k]
            = centre + values[boxCorner[3 * k]] + values[boxCorner[3 * k + 1]] + values[boxCorner[3 * k + 2]];
    return corners;
}
