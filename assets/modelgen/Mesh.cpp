#include "Mesh.h"

#include <cmath>
#include <numbers>

namespace {

// The two directions across a cylinder's axis, chosen so that (u, v, axis)
// is right-handed.
void AcrossAxis(int axis, osg::Vec3d& along, osg::Vec3d& u, osg::Vec3d& v) {
    switch (axis) {
    case 0:
        along = { 1, 0, 0 };
        u = { 0, 1, 0 };
        v = { 0, 0, 1 };
        break;
    case 1:
        along = { 0, 1, 0 };
        u = { 0, 0, 1 };
        v = { 1, 0, 0 };
        break;
    default:
        along = { 0, 0, 1 };
        u = { 1, 0, 0 };
        v = { 0, 1, 0 };
        break;
    }
}

osg::Vec3d Normalized(osg::Vec3d v) {
    v.normalize();
    return v;
}

} // namespace

unsigned Mesh::AddVertex(const osg::Vec3d& position, const osg::Vec3d& normal) {
    m_positions.emplace_back(position);
    m_normals.emplace_back(normal);
    return static_cast<unsigned>(m_positions.size() - 1);
}

void Mesh::AddFace(const std::vector<osg::Vec3d>& corners, const osg::Vec3d& shapeCentre) {
    if (corners.size() < 3)
        return;
    osg::Vec3d faceCentre;
    for (const osg::Vec3d& c : corners)
        faceCentre += c;
    faceCentre /= static_cast<double>(corners.size());
    osg::Vec3d normal = (corners[1] - corners[0]) ^ (corners[2] - corners[0]);
    if (normal.length2() == 0.0)
        return;
    normal.normalize();
    const bool flip = normal * (faceCentre - shapeCentre) < 0.0;
    if (flip)
        normal = -normal;
    std::vector<unsigned> ids;
    ids.reserve(corners.size());
    for (const osg::Vec3d& c : corners)
        ids.push_back(AddVertex(c, normal));
    for (size_t i = 1; i + 1 < ids.size(); ++i) {
        m_indices.push_back(ids[0]);
        m_indices.push_back(flip ? ids[i + 1] : ids[i]);
        m_indices.push_back(flip ? ids[i] : ids[i + 1]);
    }
}

void Mesh::AddSmoothTriangle(const osg::Vec3d& a, const osg::Vec3d& b, const osg::Vec3d& c,
    const osg::Vec3d& na, const osg::Vec3d& nb, const osg::Vec3d& nc) {
    const osg::Vec3d cross = (b - a) ^ (c - a);
    if (cross.length2() < 1e-18)
        return; // the collapsed corner of a pole
    const bool flip = cross * (na + nb + nc) < 0.0;
    const unsigned ia = AddVertex(a, na);
    const unsigned ib = AddVertex(b, nb);
    const unsigned ic = AddVertex(c, nc);
    m_indices.push_back(ia);
    m_indices.push_back(flip ? ic : ib);
    m_indices.push_back(flip ? ib : ic);
}

void Mesh::AddBox(const osg::Vec3d& centre, const osg::Vec3d& size) {
    const osg::Vec3d h = size * 0.5;
    const osg::Vec3d lo = centre - h;
    const osg::Vec3d hi = centre + h;
    auto corner = [&](int x, int y, int z) {
        return osg::Vec3d(x ? hi.x() : lo.x(), y ? hi.y() : lo.y(), z ? hi.z() : lo.z());
    };
    AddFace({ corner(0, 0, 0), corner(0, 1, 0), corner(1, 1, 0), corner(1, 0, 0) }, centre);
    AddFace({ corner(0, 0, 1), corner(1, 0, 1), corner(1, 1, 1), corner(0, 1, 1) }, centre);
    AddFace({ corner(0, 0, 0), corner(1, 0, 0), corner(1, 0, 1), corner(0, 0, 1) }, centre);
    AddFace({ corner(0, 1, 0), corner(0, 1, 1), corner(1, 1, 1), corner(1, 1, 0) }, centre);
    AddFace({ corner(0, 0, 0), corner(0, 0, 1), corner(0, 1, 1), corner(0, 1, 0) }, centre);
    AddFace({ corner(1, 0, 0), corner(1, 1, 0), corner(1, 1, 1), corner(1, 0, 1) }, centre);
}

void Mesh::AddCylinder(
    const osg::Vec3d& centre, int axis, double radius0, double radius1, double length, int segments) {
    osg::Vec3d along, u, v;
    AcrossAxis(axis, along, u, v);
    const osg::Vec3d low = centre - along * (length * 0.5);
    const osg::Vec3d high = centre + along * (length * 0.5);
    auto ring = [&](const osg::Vec3d& base, double r, int i) {
        const double a = 2.0 * std::numbers::pi * i / segments;
        return base + (u * std::cos(a) + v * std::sin(a)) * r;
    };
    // The side's normal leans toward the narrow end of a cone.
    for (int i = 0; i < segments; ++i) {
        const double a0 = 2.0 * std::numbers::pi * i / segments;
        const double a1 = 2.0 * std::numbers::pi * (i + 1) / segments;
        const osg::Vec3d r0 = u * std::cos(a0) + v * std::sin(a0);
        const osg::Vec3d r1 = u * std::cos(a1) + v * std::sin(a1);
        const osg::Vec3d n0 = Normalized(r0 * length + along * (radius0 - radius1));
        const osg::Vec3d n1 = Normalized(r1 * length + along * (radius0 - radius1));
        const osg::Vec3d p0 = ring(low, radius0, i), p1 = ring(low, radius0, i + 1);
        const osg::Vec3d q0 = ring(high, radius1, i), q1 = ring(high, radius1, i + 1);
        AddSmoothTriangle(p0, p1, q1, n0, n1, n1);
        AddSmoothTriangle(p0, q1, q0, n0, n1, n0);
    }
    if (radius0 > 0.0) {
        std::vector<osg::Vec3d> cap;
        for (int i = 0; i < segments; ++i)
            cap.push_back(ring(low, radius0, i));
        AddFace(cap, centre);
    }
    if (radius1 > 0.0) {
        std::vector<osg::Vec3d> cap;
        for (int i = 0; i < segments; ++i)
            cap.push_back(ring(high, radius1, i));
        AddFace(cap, centre);
    }
}

void Mesh::AddEllipsoid(const osg::Vec3d& centre, const osg::Vec3d& radii, bool upperHalf, int segments) {
    const int rings = upperHalf ? segments / 4 : segments / 2;
    const double firstLatitude = upperHalf ? 0.0 : -std::numbers::pi / 2;
    auto point = [&](int ring, int i, osg::Vec3d& normal) {
        const double lat = firstLatitude + (std::numbers::pi / 2 - firstLatitude) * ring / rings;
        const double lon = 2.0 * std::numbers::pi * i / segments;
        const osg::Vec3d unit(std::cos(lat) * std::cos(lon), std::cos(lat) * std::sin(lon), std::sin(lat));
        normal = Normalized(osg::Vec3d(unit.x() / radii.x(), unit.y() / radii.y(), unit.z() / radii.z()));
        return centre + osg::Vec3d(unit.x() * radii.x(), unit.y() * radii.y(), unit.z() * radii.z());
    };
    for (int r = 0; r < rings; ++r) {
        for (int i = 0; i < segments; ++i) {
            osg::Vec3d na, nb, nc, nd;
            const osg::Vec3d a = point(r, i, na), b = point(r, i + 1, nb);
            const osg::Vec3d c = point(r + 1, i + 1, nc), d = point(r + 1, i, nd);
            AddSmoothTriangle(a, b, c, na, nb, nc);
            AddSmoothTriangle(a, c, d, na, nc, nd);
        }
    }
    if (upperHalf) {
        std::vector<osg::Vec3d> floor;
        osg::Vec3d unused;
        for (int i = 0; i < segments; ++i)
            floor.push_back(point(0, i, unused));
        AddFace(floor, centre + osg::Vec3d(0, 0, radii.z() * 0.5));
    }
}

void Mesh::AddPrism(const std::vector<osg::Vec2d>& outline, double x0, double x1) {
    if (outline.size() < 3)
        return;
    osg::Vec2d mid;
    for (const osg::Vec2d& p : outline)
        mid += p;
    mid /= static_cast<double>(outline.size());
    const osg::Vec3d centre((x0 + x1) * 0.5, mid.x(), mid.y());
    std::vector<osg::Vec3d> near, far;
    for (const osg::Vec2d& p : outline) {
        near.emplace_back(x0, p.x(), p.y());
        far.emplace_back(x1, p.x(), p.y());
    }
    AddFace(near, centre);
    AddFace(far, centre);
    for (size_t i = 0; i < outline.size(); ++i) {
        const size_t j = (i + 1) % outline.size();
        AddFace({ near[i], near[j], far[j], far[i] }, centre);
    }
}

void Mesh::AddFrustum(
    const osg::Vec3d& centre, const osg::Vec2d& bottom, const osg::Vec2d& top, double height) {
    const double zb = centre.z() - height * 0.5, zt = centre.z() + height * 0.5;
    auto corner = [&](const osg::Vec2d& size, double z, int sx, int sy) {
        return osg::Vec3d(centre.x() + sx * size.x() * 0.5, centre.y() + sy * size.y() * 0.5, z);
    };
    const osg::Vec3d b[4] = { corner(bottom, zb, -1, -1), corner(bottom, zb, 1, -1), corner(bottom, zb, 1, 1),
        corner(bottom, zb, -1, 1) };
    const osg::Vec3d t[4]
        = { corner(top, zt, -1, -1), corner(top, zt, 1, -1), corner(top, zt, 1, 1), corner(top, zt, -1, 1) };
    AddFace({ b[0], b[1], b[2], b[3] }, centre);
    AddFace({ t[0], t[1], t[2], t[3] }, centre);
    for (int i = 0; i < 4; ++i) {
        const int j = (i + 1) % 4;
        AddFace({ b[i], b[j], t[j], t[i] }, centre);
    }
}

void Mesh::Append(const Mesh& other) {
    const unsigned base = static_cast<unsigned>(m_positions.size());
    m_positions.insert(m_positions.end(), other.m_positions.begin(), other.m_positions.end());
    m_normals.insert(m_normals.end(), other.m_normals.begin(), other.m_normals.end());
    for (unsigned i : other.m_indices)
        m_indices.push_back(base + i);
}

void Mesh::MirrorX() {
    for (osg::Vec3f& p : m_positions)
        p.x() = -p.x();
    for (osg::Vec3f& n : m_normals)
        n.x() = -n.x();
    // A mirror turns every face inside out; swapping two corners turns it back.
    for (size_t i = 0; i + 2 < m_indices.size(); i += 3)
        std::swap(m_indices[i + 1], m_indices[i + 2]);
}

osg::BoundingBoxd Mesh::Bounds() const {
    osg::BoundingBoxd box;
    for (unsigned i : m_indices)
        box.expandBy(osg::Vec3d(m_positions[i]));
    return box;
}
