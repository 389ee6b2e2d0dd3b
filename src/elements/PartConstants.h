#pragma once

#include <osg/Vec2f>
#include <osg/Vec3f>
#include <osg/Vec4f>

#include <array>

class CConfig;

// The shared geometry and editing constants that parts read, copied once from
// the configuration object so that the part code depends on values, not on
// the whole configuration.
struct PartConstants {
    double portLimit = 0.6;
    double boxLimit = 0.4;
    int pointKindCount = 5;
    osg::Vec2f gridCell { 2.0f, 2.0f };
    // min x, min y, max x, max y
    osg::Vec4f gridArea { -50.0f, -50.0f, 50.0f, 50.0f };
    osg::Vec4f partColor { 0.0f, 0.41f, 0.65f, 1.0f };
    // For each of the 8 corners of a box, the three of its six half-axis
    // values (+x, -x, +y, -y, +z, -z) that add up to the corner.
    std::array<int, 24> boxCorner { 1, 3, 5, 1, 3, 4, 1, 2, 5, 1, 2, 4, 0, 3, 5, 0, 3, 4, 0, 2, 5, 0, 2, 4 };
    // The 12 triangles of a box over those corners.
    std::array<int, 36> boxTriangle { 0, 1, 2, 1, 2, 3, 0, 1, 4, 1, 4, 5, 0, 2, 4, 2, 4, 6, 4, 5, 6, 5, 6, 7,
        1, 3, 5, 3, 5, 7, 2, 3, 6, 3, 6, 7 };

    static PartConstants FromConfig(const CConfig& config);

    // The eight corners of the box centre +- each of the three half-axis
    // vectors, in boxCorner's order.
    std::array<osg::Vec3f, 8> BoxCorners(
        const osg::Vec3f& centre, const osg::Vec3f& a0, const osg::Vec3f& a1, const osg::Vec3f& a2) const;
};
