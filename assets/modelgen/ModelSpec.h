#pragma once

#include "Mesh.h"

#include <osg/BoundingBox>
#include <osg/Vec2d>
#include <osg/Vec3d>
#include <osg/Vec4d>

#include <string>
#include <vector>

// One primitive of a model: a shape, its size and placement in the model's
// own frame, and its colour.
struct Piece {
    enum class Shape { Box, Cylinder, Ellipsoid, Dome, Prism, Frustum };
    enum Flag : unsigned {
        None = 0,
        // Stands proud of the part's collision box (the studs on a top face).
        Proud = 1,
        // The lamp of a coloured light: the drawable whose colour the light switches.
        Lamp = 2,
        // See-through (trigger zones).
        Translucent = 4,
    };

    Shape shape = Shape::Box;
    osg::Vec3d centre;
    osg::Vec3d size; // box size; ellipsoid and dome radii; frustum bottom (x, y) and height (z)
    int axis = 2; // cylinder axis: 0 x, 1 y, 2 z
    double radius0 = 0.0; // cylinder radius at the low end of its axis
    double radius1 = 0.0; // ... and at the high end
    osg::Vec2d top; // frustum top (x, y)
    std::vector<osg::Vec2d> outline; // prism outline in (y, z)
    double x0 = 0.0, x1 = 0.0; // prism extent along x
    osg::Vec4d colour { 1, 1, 1, 1 };
    unsigned flags = None;
    int segments = 24;

    void AddTo(Mesh& mesh) const;
};

// One connection port of a part, written to the set-up file as a "point".
struct Port {
    bool male = false;
    int kind = 3;
    double range = 0.6;
    osg::Vec3d position;
    osg::Vec3d dir { 0, 0, 1 };
    osg::Vec3d dir2 { 0, 1, 0 };
    int gridX = 1;
    int gridY = 1;
};

// A button of one of the builders' part bars.
struct BarEntry {
    enum class Bar { Brick, Wheel, Sensor, Dynamic, Trigger, Static };
    Bar bar = Bar::Brick;
    int type = 0; // the kind number the page builds the part by
    bool colour = false; // bricks that take the user's colour
};

// How the model file is laid out beyond its pieces.
enum class Layout {
    Plain, // one geode per colour, each with its own material
    Brick, // one material on the root node, none below, so a colour set there shows everywhere
    ColouredLight, // root, group, "CColoredLight" node, geode whose first drawable is the lamp
    Beam, // no material at all: the sensor effect colours it from above
    Flame, // a particle flame around a small glowing core
};

// Everything the generator knows about one model: its file, its geometry,
// its set-up entry (collision box and ports), its bar buttons and its names.
struct ModelSpec {
    std::string address; // "models/....ive" or ".osg", relative to the program folder
    Layout layout = Layout::Plain;
    std::vector<Piece> pieces;
    std::vector<Port> ports;
    // One collision box around every piece but the proud ones. Models that
    // playgrounds scale get none: the set-up file's boxes are not scaled.
    bool collisionBox = true;
    // The mirrored twin of another model (a wheel for the other side).
    bool mirrored = false;
    std::vector<BarEntry> bars;
    std::string nameZh;
    std::string nameEn;

    // One piece's mesh, mirrored when the model is.
    Mesh PieceMesh(const Piece& piece) const;
    // The box round every piece that is not proud, rounded to 1e-4.
    osg::BoundingBoxd CollisionBounds() const;
    // The ports as they are written (mirrored when the model is).
    std::vector<Port> OutputPorts() const;
    // "images/<address below models/, with .png for its extension>".
    std::string BarImage() const;
    // The file name without folder and extension.
    std::string Stem() const;
};
