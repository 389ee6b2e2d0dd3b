#pragma once

#include "elements/CModel.h"

// A slope (model type 6): a static, scalable shape that robots drive on. Its
// solid is a triangle mesh of the model as it is drawn, so robots climb the
// very surface they see.
class CSlope : public CModel {
public:
    CSlope(PartContextPtr context, const std::string& address);
    CSlope(PartContextPtr context, const std::string& address, const osg::Vec3f& scale);

    // Every triangle of the model (at its scale) in one mesh; hard, rough.
    void CreateSolid(physics::PhysicsWorld* world, int contactGroup) override;

protected:
    ~CSlope() override = default;
};
