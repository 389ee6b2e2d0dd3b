#include "elements/Floor.h"

#include "physics/PhysicsWorld.h"
#include "physics/Solid.h"

Floor::Floor(float halfWidth, float halfLength, const std::string& imageFile, physics::PhysicsWorld* world,
    int contactGroup)
    : Plane(halfWidth, halfLength, 0.0f, imageFile)
    , m_nContactGroup(contactGroup) {
    if (!world)
        return;
    m_pSolid = world->createSolid();
    if (!m_pSolid)
        return;
    physics::ShapeDesc box = physics::ShapeDesc::box(physics::Vec3(2.0 * halfWidth, 2.0 * halfLength, 1.0));
    box.contactGroup = contactGroup;
    m_pSolid->addShape(box);
    m_pSolid->setPosition(physics::Vec3(0.0, 0.0, -0.5));
    m_pSolid->setStatic(true);
    ShareImage();
}

void Floor::SetImage(const std::string& imageFile) {
    if (imageFile.empty() || !m_pTexture)
        return;
    Plane::SetImage(imageFile);
    ShareImage();
}

void Floor::ShareImage() {
    if (m_pSolid)
        m_pSolid->setUserData(osg::ref_ptr<osg::Image>(m_pTexture->getImage()));
}

osg::Image* Floor::GetSolidImage() const {
    if (!m_pSolid)
        return nullptr;
    const osg::ref_ptr<osg::Image>* image = m_pSolid->userData<osg::ref_ptr<osg::Image>>();
    return image ? image->get() : nullptr;
}
