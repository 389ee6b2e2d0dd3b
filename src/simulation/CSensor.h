#pragma once

#include "elements/CModel.h"
#include "physics/Vec3.h"

#include <osg/observer_ptr>

#include <string>

namespace scene {
class Scene;
} // namespace scene

// The sensor-kind codes: what robot files store in "sensor", what the part
// factories build by, and what the step text shows for every sensor.
enum SensorKind {
    SensorKindRay = 0,
    SensorKindTouch = 1,
    SensorKindCompass = 2,
    SensorKindRanging = 3,
    SensorKindGrey = 4,
    SensorKindFire = 5,
    SensorKindVolume = 6,
    SensorKindTrace = 7,
    SensorKindCompound = 8,
    SensorKindLife = 9,
    SensorKindMagnet = 10,
};

// A sensor: a robot part that a robot program reads once per step. Each kind
// is a class of its own, whose code is the part's sub-type whatever model it
// is built from. The robot creates the sensor's probe once the sensor has its
// solid, hands it the scene for its effect model, and asks it for its
// reading in every step; a sensor answers GetValue before either, writing
// nothing where it would need them.
class CSensor : public CModel {
public:
    // Attaches the probe (rays, a collision handler) to the sensor's solid;
    // nothing without a world and a solid.
    virtual void CreateProbe() = 0;
    // Appends the reading: one or more decimal fields, each ended by "*".
    virtual void GetValue(std::string& reading) = 0;
    // Keeps the scene; the kinds with an effect model (the beam that shows a
    // ray) add it there, shown while showEffect is set.
    virtual void SetScene(scene::Scene* scene, bool showEffect);
    virtual void ShowEffect(bool /*on*/) { }
    // Moves, scales and colours the effect model after the last reading.
    virtual void UpdateEffect() { }

    int GetKind() const { return GetSubType(); }
    // The ray's direction in the part's frame and the contact group its rays
    // belong to (a ray meets only groups that make contacts with it).
    const physics::Vec3& GetRayDir() const { return m_vRayDir; }
    int GetRayGroup() const { return m_nRayGroup; }
    scene::Scene* GetScene() const { return m_pScene.get(); }

protected:
    CSensor(PartContextPtr context, const std::string& address, int kind);
    ~CSensor() override = default;

    physics::Vec3 m_vRayDir { 0.0, 1.0, 0.0 };
    int m_nRayGroup = 1;
    // The scene holds the robot and so the sensor: a plain observer here.
    osg::observer_ptr<scene::Scene> m_pScene;
};

// Appends one reading field, the value and "*".
void AppendReading(std::string& reading, int value);
