#pragma once

#include "scene/Transform.h"

#include <osg/Referenced>

namespace scene {

// Absolute: in world coordinates. Relative: in the frame of the parent object
// (the same as absolute for an object without a parent).
enum class CoordSys { Absolute, Relative };

// Anything with a pose that cameras, motion models and scene objects share.
class Transformable : public osg::Referenced {
public:
    virtual void GetTransform(Transform& transform, CoordSys cs = CoordSys::Absolute) const = 0;
    virtual void SetTransform(const Transform& transform, CoordSys cs = CoordSys::Absolute) = 0;

    Transform GetTransform(CoordSys cs = CoordSys::Absolute) const {
        Transform t;
        GetTransform(t, cs);
        return t;
    }

protected:
    ~Transformable() override = default;
};

} // namespace scene
