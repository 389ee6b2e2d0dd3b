#include "simulation/RaySensor.h"

#include "physics/PhysicsWorld.h"
#include "physics/Solid.h"
#include "scene/Scene.h"
#include "scene/SceneObject.h"
#include "scene/SolidUserData.h"

#include <osg/BlendFunc>
#include <osg/Image>
#include <osg/Material>

#include <cmath>

RaySensor::RaySensor(PartContextPtr context, const std::string& address)
    : RaySensor(std::move(context), address, SensorKindRay, 100.0f, "models/effects/e_ray.ive") { }

RaySensor::RaySensor(
    PartContextPtr context, const std::string& address, int kind, float range, const char* effectModel)
    : CSensor(std::move(context), address, kind)
    , m_fRayLen(range)
    , m_effectModel(effectModel) { }

RaySensor::~RaySensor() {
    m_pProbe.destroy();
    if (m_pEffect) {
        if (scene::Scene* scene = m_pScene.get())
            scene->RemoveDrawable(m_pEffect.get());
    }
}

void RaySensor::CreateProbe() {
    physics::PhysicsWorld* world = GetSimulator();
    physics::Solid* solid = GetSolid();
    if (!world || !solid)
        return;
    m_pProbe.destroy();
    physics::RayProbeDesc desc;
    desc.solid = solid;
    desc.origin = m_vRayOrigin;
    desc.direction = m_vRayDir;
    desc.contactGroup = m_nRayGroup;
    m_pProbe = world->createRayProbe(desc);
}

physics::RaycastHit RaySensor::Fire(double length) const {
    const physics::RayProbe* probe = m_pProbe.get();
    return probe ? probe->fire(length) : physics::RaycastHit();
}

void RaySensor::GetValue(std::string& reading) {
    if (!HasProbe())
        return;
    m_fRayLen = 100.0f;
    const physics::RaycastHit hit = Fire(100.0);
    if (hit.hit())
        m_fRayLen = float(hit.distance);
    AppendReading(reading, hit.hit() ? 1 : 0);
}

void RaySensor::SetScene(scene::Scene* scene, bool showEffect) {
    // The kinds without a beam keep no scene either.
    if (!m_effectModel)
        return;
    CSensor::SetScene(scene, showEffect);
    if (!scene)
        return;
    if (m_pEffect)
        scene->RemoveDrawable(m_pEffect.get());
    m_pEffect = new scene::SceneObject("Object");
    m_pEffect->LoadFile(m_effectModel);
    m_pEffect->GetOSGNode()->getOrCreateStateSet()->setMode(GL_BLEND, osg::StateAttribute::ON);
    scene->AddDrawable(m_pEffect.get());
    m_pEffect->SetTransform(GetTransform(scene::CoordSys::Absolute), scene::CoordSys::Absolute);
    m_pEffect->SetActive(showEffect);
}

void RaySensor::ShowEffect(bool on) {
    if (m_pEffect)
        m_pEffect->SetActive(on);
}

osg::Vec2f RaySensor::EffectColour() const {
    return m_fRayLen < 100.0f ? osg::Vec2f(0.8f, 0.0f) : osg::Vec2f(0.0f, 1.0f);
}

void RaySensor::UpdateEffect() {
    if (!m_pEffect || !m_pEffect->GetActive())
        return;
    m_pEffect->SetTransform(GetTransform(scene::CoordSys::Absolute), scene::CoordSys::Absolute);
    const float scale = m_fRayLen / m_fEffectLength;
    m_pEffect->SetScale(osg::Vec3(scale, scale, scale));
    osg::StateSet* state = m_pEffect->GetOSGNode()->getOrCreateStateSet();
    osg::Material* material
        = dynamic_cast<osg::Material*>(state->getAttribute(osg::StateAttribute::MATERIAL));
    if (!material) {
        material = new osg::Material;
        state->setAttribute(material);
    }
    const osg::Vec2f rg = EffectColour();
    const osg::Vec4 colour(rg.x(), rg.y(), 0.0f, 0.3f);
    material->setAmbient(osg::Material::FRONT_AND_BACK, colour);
    material->setDiffuse(osg::Material::FRONT_AND_BACK, colour);
    material->setSpecular(osg::Material::FRONT_AND_BACK, osg::Vec4(0.072f, 0.072f, 0.072f, 1.0f));
    material->setEmission(osg::Material::FRONT_AND_BACK, osg::Vec4(0.0f, 0.0f, 0.0f, 1.0f));
    material->setShininess(osg::Material::FRONT_AND_BACK, 35.84f);
}

bool GroundPictureColour(const physics::RaycastHit& hit, osg::Vec4& colour) {
    if (!hit.solid)
        return false;
    const osg::ref_ptr<osg::Image>* picture = hit.solid->userData(scene::kGroundPicture);
    if (!picture || !picture->valid())
        return false;
    const double x = hit.point.x;
    const double y = hit.point.y;
    if (!(x > -256.0 && x < 256.0 && y > -256.0 && y < 256.0))
        return false;
    const osg::Image& image = **picture;
    // The pixel is found from the picture's own size, so a picture of another
    // size than the ground's 512 x 512 may leave a point inside the ground
    // off the picture: that reads as no picture, never outside its pixels.
    const int s = int(std::trunc(x)) + image.s() / 2;
    const int t = int(std::trunc(y)) + image.t() / 2;
    if (s < 0 || t < 0 || s >= image.s() || t >= image.t() || !image.data())
        return false;
    colour = image.getColor(unsigned(s), unsigned(t));
    return true;
}
