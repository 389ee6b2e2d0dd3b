#include "simulation/CSensor.h"

#include "scene/Scene.h"

CSensor::CSensor(PartContextPtr context, const std::string& address, int kind)
    : CModel(std::move(context), address) {
    SetType(ModelTypeSensor);
    SetSubType(kind);
    SetAxis(osg::Vec3f(0.0f, 1.0f, 0.0f));
}

void CSensor::SetScene(scene::Scene* scene, bool /*showEffect*/) {
    m_pScene = scene;
}

void AppendReading(std::string& reading, int value) {
    reading += std::to_string(value);
    reading += '*';
}
