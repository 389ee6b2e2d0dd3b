#pragma once

// ODE's handle types, declared here so that the layer's headers do not pull
// in <ode/ode.h>; they are the same incomplete structs ODE's own header names.
struct dxWorld;
struct dxSpace;
struct dxBody;
struct dxGeom;
struct dxJoint;
struct dxJointGroup;
struct dxTriMeshData;
struct dMass;
