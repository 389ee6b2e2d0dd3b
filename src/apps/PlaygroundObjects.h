#pragma once

#include "elements/CModel.h"
#include "elements/PartContext.h"

#include <osg/Vec3f>
#include <osg/ref_ptr>

#include <string>

// The playground object of a model type and sub-type (for trigger zones the
// trigger kind; an unknown kind is an end zone), made from its model address
// (not yet loaded): slopes and loaded models, and every trigger zone, take
// the scale; the other kinds keep their own size. Null for a type that is no
// playground object.
osg::ref_ptr<CModel> MakePlaygroundObject(
    int type, int subType, PartContextPtr context, const std::string& address, const osg::Vec3f& scale);
