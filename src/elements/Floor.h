#pragma once

#include "elements/Plane.h"

#include "physics/Handle.h"
#include "physics/PhysicsWorld.h"
#include "physics/Solid.h"

#include <osg/Image>

// The simulation's ground: a plane with a static box under it, so that
// robots and objects rest on it (its top face at z = 0), carrying its picture
// into the physics world for the sensors that read the ground's colour.
class Floor : public Plane {
public:
    // Without a world the floor has no solid.
    Floor(float halfWidth, float halfLength, const std::string& imageFile, physics::PhysicsWorld* world,
        int contactGroup);

    // Shows the picture and hands the picture now shown (the new one, or the
    // old one when the file could not be read) to the solid. An empty name
    // does nothing.
    void SetImage(const std::string& imageFile) override;

    // Null without a world, and once the world is gone.
    physics::Solid* GetSolid() const { return m_pSolid.get(); }
    int GetContactGroup() const { return m_nContactGroup; }
    // The picture the solid carries; null without a solid or a picture.
    osg::Image* GetSolidImage() const;

protected:
    ~Floor() override = default;

private:
    void ShareImage();

    physics::Handle<physics::Solid> m_pSolid; // owned by its world
    int m_nContactGroup;
};
