#pragma once

#include "physics/Handle.h"
#include "physics/RayProbe.h"
#include "physics/RaycastHit.h"
#include "simulation/CSensor.h"

#include <osg/ref_ptr>

namespace scene {
class SceneObject;
} // namespace scene

// The ray sensor (kind 0) and the base of every kind that looks along one
// ray: reads 1 when something lies within 100 ahead of it, else 0.
class RaySensor : public CSensor {
public:
    RaySensor(PartContextPtr context, const std::string& address);

    void CreateProbe() override;
    void GetValue(std::string& reading) override;
    // Adds the beam that shows the ray ("models/effects/e_ray.ive").
    void SetScene(scene::Scene* scene, bool showEffect) override;
    void ShowEffect(bool on) override;
    // The beam at the part, as long as the last ray and red when it hit
    // within 100, green otherwise.
    void UpdateEffect() override;

    const physics::Vec3& GetRayOrigin() const { return m_vRayOrigin; }
    // The length of the last ray the beam shows: the hit distance, or the
    // probe's range before any reading and after a miss.
    float GetRayLen() const { return m_fRayLen; }
    physics::RayProbe* GetProbe() const { return m_pProbe.get(); }
    scene::SceneObject* GetEffect() const { return m_pEffect.get(); }

protected:
    // A ray kind: its code, the range its beam starts at, and its beam model
    // (empty for the kinds that show none).
    RaySensor(
        PartContextPtr context, const std::string& address, int kind, float range, const char* effectModel);
    ~RaySensor() override;

    // The probe's ray up to length; no hit without a probe.
    physics::RaycastHit Fire(double length) const;
    bool HasProbe() const { return GetSimulator() && m_pProbe.get(); }
    // The beam's colour (red, green) after the last reading.
    virtual osg::Vec2f EffectColour() const;
    // The length of the beam model as made (its scale 1).
    float m_fEffectLength = 100.0f;

    physics::Vec3 m_vRayOrigin { 0.0, 0.0, 1.1 };
    physics::Handle<physics::RayProbe> m_pProbe;
    float m_fRayLen;

private:
    const char* m_effectModel;
    osg::ref_ptr<scene::SceneObject> m_pEffect;
};

// The colour of a picture that a ray hit: the pixel under the hit point of a
// solid carrying a ground picture, the picture centred on the world origin at
// one pixel per unit. False (no colour) when the solid carries no picture, or
// the point lies outside -256 < x, y < 256 or off the picture.
bool GroundPictureColour(const physics::RaycastHit& hit, osg::Vec4& colour);
