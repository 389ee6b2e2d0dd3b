#include "ModelSpec.h"

#include <cmath>

namespace {

double Round4(double v) {
    const double r = std::round(v * 1e4) / 1e4;
    return r == 0.0 ? 0.0 : r; // no "-0" in the set-up file
}

} // namespace

void Piece::AddTo(Mesh& mesh) const {
    switch (shape) {
    case Shape::Box:
        mesh.AddBox(centre, size);
        break;
    case Shape::Cylinder:
        mesh.AddCylinder(centre, axis, radius0, radius1, size.x(), segments);
        break;
    case Shape::Ellipsoid:
        mesh.AddEllipsoid(centre, size, false, segments);
        break;
    case Shape::Dome:
        mesh.AddEllipsoid(centre, size, true, segments);
        break;
    case Shape::Prism:
        mesh.AddPrism(outline, x0, x1);
        break;
    case Shape::Frustum:
        mesh.AddFrustum(centre, osg::Vec2d(size.x(), size.y()), top, size.z());
        break;
    }
}

Mesh ModelSpec::PieceMesh(const Piece& piece) const {
    Mesh mesh;
    piece.AddTo(mesh);
    if (mirrored)
        mesh.MirrorX();
    return mesh;
}

osg::BoundingBoxd ModelSpec::CollisionBounds() const {
    osg::BoundingBoxd box;
    for (const Piece& piece : pieces) {
        if (!(piece.flags & Piece::Proud))
            box.expandBy(PieceMesh(piece).Bounds());
    }
    if (!box.valid())
        return box;
    return osg::BoundingBoxd(Round4(box.xMin()), Round4(box.yMin()), Round4(box.zMin()), Round4(box.xMax()),
        Round4(box.yMax()), Round4(box.zMax()));
}

std::vector<Port> ModelSpec::OutputPorts() const {
    std::vector<Port> out = ports;
    if (mirrored) {
        for (Port& p : out) {
            p.position.x() = -p.position.x();
            p.dir.x() = -p.dir.x();
            p.dir2.x() = -p.dir2.x();
        }
    }
    return out;
}

std::string ModelSpec::BarImage() const {
    std::string rel = address;
    const std::string models = "models/";
    if (rel.compare(0, models.size(), models) == 0)
        rel.erase(0, models.size());
    const size_t dot = rel.rfind('.');
    if (dot != std::string::npos)
        rel.erase(dot);
    return "images/" + rel + ".png";
}

std::string ModelSpec::Stem() const {
    std::string stem = address;
    const size_t slash = stem.rfind('/');
    if (slash != std::string::npos)
        stem.erase(0, slash + 1);
    const size_t dot = stem.rfind('.');
    if (dot != std::string::npos)
        stem.erase(dot);
    return stem;
}
