#pragma once

#include <osg/Matrixd>
#include <osg/Vec3f>

#include <vector>

struct CModelData;
struct PartConstants;

// One connection point of a part model: a position and up to three
// directions in the part's own frame, a kind, a male or female side, a
// capture range and a grid size, plus derived sub-points: the eight corners
// of its port box, and for a kind 0 point the tip of its axis.
//
// The owner is the record of the part whose current pose gives the point's
// world position. A description that is copied keeps no owner until it is
// placed in a part's record (see CModelData), so a copy can never reach
// through to a part that has gone.
class CPoint {
public:
    osg::Vec3f m_vPos;
    int m_nGridX = 1;
    int m_nGridY = 1;
    std::vector<osg::Vec3f> m_vecPoints;
    const CModelData* m_pOwner = nullptr; // not owned
    int m_nMale = 0;
    double m_dRange = 0.0;
    int m_nKind = 0;
    osg::Vec3f m_vDir;
    osg::Vec3f m_vDir2;
    osg::Vec3f m_vDir3; // kind 2 only
    double m_dLength = 0.0; // kind 0 only

    // The eight corners of the box position +- half, as sub-points.
    void BuildPoints(const osg::Vec3f& half, const PartConstants& constants);
    // The corners of the point's port box (and the axis tip of a kind 0
    // point), turned into the point's frame (z along the direction, y along
    // the second direction).
    void BuildPoints(const PartConstants& constants);

    // The world position of the point (k = -1) or of its sub-point k, by the
    // owner's current pose; the local position as it is without an owner,
    // and the point's own position for a sub-point it does not have.
    osg::Vec3f WorldPos(int k = -1) const;

    // The turn that takes the z axis onto the direction and then the turned
    // y axis onto the second direction, as a matrix.
    osg::Matrixd Frame() const;

    int GridCount() const { return m_nGridX * m_nGridY; }
};
