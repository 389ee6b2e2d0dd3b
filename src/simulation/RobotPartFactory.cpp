#include "simulation/RobotPartFactory.h"

#include "elements/CBrick.h"
#include "elements/CColoredLight.h"
#include "elements/CWheel.h"
#include "simulation/BlackCSensor.h"
#include "simulation/CMagnetSensor.h"
#include "simulation/CMotor.h"
#include "simulation/CRcu.h"
#include "simulation/CompassSensor.h"
#include "simulation/CompoundSensor.h"
#include "simulation/FireSensor.h"
#include "simulation/LifeSensor.h"
#include "simulation/RangingCSensor.h"
#include "simulation/RaySensor.h"
#include "simulation/TouchCSensor.h"
#include "simulation/TraceSensor.h"
#include "simulation/VolumeSensor.h"

osg::ref_ptr<CSensor> MakeSensor(int kind, PartContextPtr context, const std::string& address, bool isE) {
    switch (kind) {
    case SensorKindRay:
        return new RaySensor(std::move(context), address);
    case SensorKindTouch:
        return new TouchCSensor(std::move(context), address);
    case SensorKindCompass:
        return new CompassSensor(std::move(context), address);
    case SensorKindRanging:
        return new RangingCSensor(std::move(context), address);
    case SensorKindGrey:
        return new BlackCSensor(std::move(context), address, isE);
    case SensorKindFire:
        return new FireSensor(std::move(context), address, isE);
    case SensorKindVolume:
        return new VolumeSensor(std::move(context), address);
    case SensorKindTrace:
        return new TraceSensor(std::move(context), address);
    case SensorKindCompound:
        return new CompoundSensor(std::move(context), address);
    case SensorKindLife:
        return new LifeSensor(std::move(context), address);
    case SensorKindMagnet:
        return new CMagnetSensor(std::move(context), address);
    default:
        return nullptr;
    }
}

osg::ref_ptr<CModel> MakeRobotPart(
    int type, int sensorKind, PartContextPtr context, const std::string& address, bool isE) {
    switch (type) {
    case ModelTypeRcu:
        return new CRcu(std::move(context), address);
    case ModelTypeBrick:
        return new CBrick(std::move(context), address);
    case ModelTypeWheel:
        return new CWheel(std::move(context), address);
    case ModelTypeMotor:
        return new CMotor(std::move(context), address, isE);
    case ModelTypeSensor:
        return MakeSensor(sensorKind, std::move(context), address, isE);
    case ModelTypeColoredLight:
        return new CColoredLight(std::move(context), address);
    default:
        return nullptr;
    }
}
