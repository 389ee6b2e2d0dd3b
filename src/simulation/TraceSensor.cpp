#include "simulation/TraceSensor.h"

#include "physics/PhysicsWorld.h"
#include "simulation/RaySensor.h"

#include <cmath>

TraceSensor::TraceSensor(PartContextPtr context, const std::string& address)
    : CSensor(std::move(context), address, SensorKindTrace) {
    m_vRayDir = { 0.0, 0.0, -1.0 };
}

TraceSensor::~TraceSensor() {
    for (auto& probe : m_vProbes)
        probe.destroy();
}

const std::array<physics::Vec3, 8>& TraceSensor::RayOrigins() {
    static const std::array<physics::Vec3, 8> origins { { { -7.0, 1.0, 1.0 }, { -4.0, 1.0, 1.0 },
        { -2.0, 1.0, 1.0 }, { 0.0, 1.0, 1.0 }, { 2.0, 1.0, 1.0 }, { 4.0, 1.0, 1.0 }, { 7.0, 1.0, 1.0 },
        { 0.0, -1.0, 1.0 } } };
    return origins;
}

void TraceSensor::CreateProbe() {
    physics::PhysicsWorld* world = GetSimulator();
    physics::Solid* solid = GetSolid();
    if (!world || !solid)
        return;
    for (auto& probe : m_vProbes)
        probe.destroy();
    m_vProbes.clear();
    for (const physics::Vec3& origin : RayOrigins()) {
        physics::RayProbeDesc desc;
        desc.solid = solid;
        desc.origin = origin;
        desc.direction = m_vRayDir;
        desc.contactGroup = m_nRayGroup;
        m_vProbes.emplace_back(world->createRayProbe(desc));
    }
}

void TraceSensor::GetValue(std::string& reading) {
    if (!GetSimulator())
        return;
    for (const auto& handle : m_vProbes) {
        const physics::RayProbe* probe = handle.get();
        int v = 1;
        osg::Vec4 colour;
        if (probe && GroundPictureColour(probe->fire(100.0), colour))
            v = int(std::trunc(double(colour.r()) + colour.g() + colour.b()));
        AppendReading(reading, v == 0 ? 1 : 0);
    }
}
