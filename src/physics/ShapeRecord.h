#pragma once

#include "physics/ContactSurface.h"
#include "physics/ShapeDesc.h"

#include <ode/ode.h>

#include <vector>

namespace physics {

class Solid;

// One shape of a solid as the engine holds it (internal to the layer). The
// geom's user pointer points here, which is how contacts and rays find the
// shape's solid, group and material.
struct ShapeRecord {
    Solid* solid = nullptr;
    ShapeDesc desc;
    dGeomID geom = nullptr;
    // Mesh shapes only: the engine reads the vertices from desc and these
    // indices for as long as the geom exists.
    std::vector<dTriIndex> indices;
    dTriMeshDataID meshData = nullptr;
    // This shape's mass, expressed in the solid's frame.
    dMass mass {};
    // Its contact with its own material, which its contacts start from.
    ContactSurface surface;

    static ShapeRecord* of(dGeomID geom) { return static_cast<ShapeRecord*>(dGeomGetData(geom)); }
};

} // namespace physics
