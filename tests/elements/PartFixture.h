#pragma once

// The real model library for the part tests: the program folder of the build
// (its set-up file and model files), a part context over it, and parts made
// and loaded from it.

#include "elements/CModel.h"
#include "elements/PartContext.h"

#include <osg/ref_ptr>

#include <string>
#include <vector>

namespace elementstest {

// Points the program folder at the build's and returns the context of its
// set-up file (made once).
const PartContextPtr& LibraryContext();

// The addresses of every robot part the builders offer (the control unit of
// the first studio and the robot page's bars), in the set-up file's order.
std::vector<std::string> RobotPartAddresses();

// A plain part of the model, loaded (fails the test when it does not load).
osg::ref_ptr<CModel> LoadPart(const std::string& address, int type = ModelTypeBrick);

// The bounds of the model file's own drawables, read through the scene layer.
osg::BoundingBox ModelFileBounds(const std::string& address);

// An owner as the robot builder is: application kind 1, ground at 0.
SPartOwner RobotBuilderOwner();

} // namespace elementstest
