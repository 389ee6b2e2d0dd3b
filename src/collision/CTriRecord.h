#pragma once

#include <osg/Matrixd>
#include <osg/Vec3>
#include <osg/Vec3i>

#include <vector>

// The body of the triangle functor that collects a model's triangles: every
// triangle the functor delivers is appended, its vertices carried into world
// space by the matrix of the drawable being read. Vertices are never shared,
// so triangle t is always made of vertices 3t, 3t + 1 and 3t + 2.
struct CTriRecord {
    // Three consecutive world-space vertices per triangle.
    std::vector<osg::Vec3f> m_vVertices;
    // Per triangle the indices of its vertices in m_vVertices.
    std::vector<osg::Vec3i> m_vTriangles;
    // Local-to-world matrix of the drawable being read.
    osg::Matrixd m_mWorld;

    void operator()(const osg::Vec3& v1, const osg::Vec3& v2, const osg::Vec3& v3);
};
