#pragma once

#include "elements/CModel.h"

#include <osg/Vec4f>

// A brick: a part that shows the colour chosen when it was placed.
class CBrick : public CModel {
public:
    CBrick(PartContextPtr context, const std::string& address, const osg::Vec4f& colour);
    CBrick(PartContextPtr context, const std::string& address);

    // Puts the description's colour on the loaded model. The colour goes on
    // this brick's own model: bricks of one model never share it.
    void ApplyColor();

protected:
    ~CBrick() override = default;
};
