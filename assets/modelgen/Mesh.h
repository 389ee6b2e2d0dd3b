#pragma once

#include <osg/BoundingBox>
#include <osg/Vec2d>
#include <osg/Vec3d>
#include <osg/Vec3f>

#include <vector>

// A triangle list in a model's own frame, built from primitives. Every shape
// is convex, so each face is turned to point away from its shape's centre:
// the builders need not care about winding, and the normals always face out.
class Mesh {
public:
    // An axis-aligned box.
    void AddBox(const osg::Vec3d& centre, const osg::Vec3d& size);
    // A cylinder, or a cone or frustum when the two radii differ, along the
    // x (0), y (1) or z (2) axis; radius0 lies at the low end of the axis.
    void AddCylinder(
        const osg::Vec3d& centre, int axis, double radius0, double radius1, double length, int segments);
    // An ellipsoid, or only its upper half (a dome standing on z = centre.z).
    void AddEllipsoid(const osg::Vec3d& centre, const osg::Vec3d& radii, bool upperHalf, int segments);
    // A convex (y, z) outline extruded along x from x0 to x1.
    void AddPrism(const std::vector<osg::Vec2d>& outline, double x0, double x1);
    // A box whose top face is a smaller rectangle centred over its bottom.
    void AddFrustum(const osg::Vec3d& centre, const osg::Vec2d& bottom, const osg::Vec2d& top, double height);

    void Append(const Mesh& other);
    // Mirrors the mesh in the y-z plane (x becomes -x), keeping faces outward.
    void MirrorX();

    bool Empty() const { return m_indices.empty(); }
    osg::BoundingBoxd Bounds() const;

    const std::vector<osg::Vec3f>& Positions() const { return m_positions; }
    const std::vector<osg::Vec3f>& Normals() const { return m_normals; }
    const std::vector<unsigned>& Indices() const { return m_indices; }

private:
    unsigned AddVertex(const osg::Vec3d& position, const osg::Vec3d& normal);
    // A flat polygon (a fan over its corners) facing away from shapeCentre.
    void AddFace(const std::vector<osg::Vec3d>& corners, const osg::Vec3d& shapeCentre);
    // A smooth triangle; its winding follows the mean of its vertex normals.
    void AddSmoothTriangle(const osg::Vec3d& a, const osg::Vec3d& b, const osg::Vec3d& c,
        const osg::Vec3d& na, const osg::Vec3d& nb, const osg::Vec3d& nc);

    std::vector<osg::Vec3f> m_positions;
    std::vector<osg::Vec3f> m_normals;
    std::vector<unsigned> m_indices;
};
