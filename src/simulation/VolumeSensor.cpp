#include "simulation/VolumeSensor.h"

#include "physics/PhysicsWorld.h"
#include "physics/Solid.h"

#include <cmath>

VolumeSensor::VolumeSensor(PartContextPtr context, const std::string& address)
    : RaySensor(std::move(context), address, SensorKindVolume, 100.0f, "models/effects/e_ray.ive") {
    m_vRayOrigin = { 0.0, 0.0, 1.0 };
    m_nRayGroup = 7;
}

void VolumeSensor::GetValue(std::string& reading) {
    physics::PhysicsWorld* world = GetSimulator();
    const physics::Solid* own = GetSolid();
    if (!world || !own)
        return;
    const physics::Vec3 p = own->position();
    int v = 0;
    for (std::size_t i = 0; i < world->solidCount(); ++i) {
        const physics::Solid* s = world->solidAt(i);
        if (!s || s->firstShapeContactGroup() != m_nRayGroup)
            continue;
        const double d = (s->position() - p).length();
        v = d < 256.0 ? int(std::trunc(256.0 - d)) : 0;
    }
    AppendReading(reading, v);
}
