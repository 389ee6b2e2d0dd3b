#include "elements/Floor.h"

#include "physics/PhysicsWorld.h"
#include "physics/Solid.h"
#include "scene/SolidUserData.h"

Floor::Floor(float halfWidth, float halfLength, const std::string& imageFile, physics::PhysicsWorld* world,
    int contactGroup)
    : Plane(halfWidth, halfLength, 0.0f, imageFile)
    , m_nContactGroup(contactGroup) {
    if (!world)
        return;
    physics::Solid* solid = world->createSolid();
    m_pSolid = solid;
    if (!solid)
        return;
    physics::ShapeDesc box = physics::ShapeDesc::box(physics::Vec3(2.0 * halfWidth, 2.0 * halfLength, 1.0));
    box.contactGroup = contactGroup;
    solid->addShape(box);
    solid->setPosition(physics::Vec3(0.0, 0.0, -0.5));
    solid->setStatic(true);
    ShareImage();
}

void Floor::SetImage(const std::string& imageFile) {
    if (imageFile.empty() || !m_pTexture)
        return;
    Plane::SetImage(imageFile);
    ShareImage();
}

void Floor::ShareImage() {
    if (physics::Solid* solid = m_pSolid.get())
        solid->setUserData(scene::kGroundPicture, osg::ref_ptr<osg::Image>(m_pTexture->getImage()));
}

osg::Image* Floor::GetSolidImage() const {
    const physics::Solid* solid = m_pSolid.get();
    const osg::ref_ptr<osg::Image>* image = solid ? solid->userData(scene::kGroundPicture) : nullptr;
    return image ? image->get() : nullptr;
}
