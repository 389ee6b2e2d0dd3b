#pragma once

#include "scene/SceneObject.h"

#include <osg/Quat>
#include <osg/Vec3f>

// The kinds of element that the applications' picking tells apart.
enum ElementKind {
    ElementKindModel = 1, // CModel and its subclasses
    ElementKindGround = 2, // the ground family
};

// Every object that the scene applications place in a 3-D scene: a scene
// object with an element kind, an unselected flag for the playground editor
// and a direction (axis) that turns with the element.
class CElement : public scene::SceneObject {
public:
    explicit CElement(int kind);

    int GetKind() const { return m_nKind; }

    int GetUnselected() const { return m_nUnselected; }
    void SetUnselected(int unselected) { m_nUnselected = unselected; }

    const osg::Vec3f& GetAxis() const { return m_vAxis; }
    void SetAxis(const osg::Vec3f& axis) { m_vAxis = axis; }

    // Turns the axis by q and cuts each component toward zero to a whole
    // number (the axis is one of the unit axes or zero), forgiving the last
    // bits of rounding so that a turned 1 stays 1. Returns true.
    virtual bool Rotate(const osg::Quat& q);

protected:
    ~CElement() override = default;

    int m_nUnselected = 1;
    osg::Vec3f m_vAxis;
    int m_nKind;
};
