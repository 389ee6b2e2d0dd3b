#pragma once

#include "elements/CModel.h"
#include "elements/PartContext.h"

#include <osg/Vec3f>
#include <osg/ref_ptr>

#include <string>

// The playground object of a model type and sub-type (for trigger zones the
// trigger kind), made from its model address (not yet loaded): slopes and
// loaded models, and every trigger zone, take the scale; the other kinds keep
// their own size. Null for a type that is no playground object and for a zone
// of a kind that has no class here: made as another kind it would be shown,
// run and saved as one.
osg::ref_ptr<CModel> MakePlaygroundObject(
    int type, int subType, PartContextPtr context, const std::string& address, const osg::Vec3f& scale);

// Loads a playground object's model (CModel::LoadModel) for the builder and
// draws it at its size, but no thinner than kLeastDrawnSize on a side its
// size has made smaller than its model: a size of 0 from a file would leave
// nothing to see or pick, and nothing to mend (a zone of no height lies in
// the ground, and the panel gives zones no height to mend it by). The size
// the object keeps (its state's scale, what a save writes) stays as it was
// given. False when the model cannot be loaded.
bool LoadPlaygroundObject(CModel& object);

// The least extent the builder draws such an object with along an axis:
// about 5 pixels in the home view of a window filling a 1280 x 800 screen,
// enough to see and pick. Sizes the panel gives (1 and more) never need it.
constexpr float kLeastDrawnSize = 8.0f;
