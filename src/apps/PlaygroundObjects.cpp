#include "apps/PlaygroundObjects.h"

#include "elements/CAlarm.h"
#include "elements/CCandle.h"
#include "elements/CGeo.h"
#include "elements/CSlope.h"
#include "elements/CTakenObj.h"
#include "elements/CWounded.h"
#include "simulation/CEndTrigger.h"
#include "simulation/CObjTrigger.h"
#include "simulation/CPathTrigger.h"
#include "simulation/CTakenObjTrigger.h"
#include "simulation/ScoreTrigger.h"
#include "simulation/StartTrigger.h"
#include "simulation/TouchTrigger.h"

#include <cmath>

osg::ref_ptr<CModel> MakePlaygroundObject(
    int type, int subType, PartContextPtr context, const std::string& address, const osg::Vec3f& scale) {
    switch (type) {
    case ModelTypeSlope:
        return new CSlope(std::move(context), address, scale);
    case ModelTypeGeo:
        return new CGeo(std::move(context), address, scale);
    case ModelTypeCandle:
        return new CCandle(std::move(context), address);
    case ModelTypeWounded:
        return new CWounded(std::move(context), address);
    case ModelTypeTakenObj:
        return new CTakenObj(std::move(context), address);
    case ModelTypeAlarm:
        return new CAlarm(std::move(context), address);
    case ModelTypeTrigger:
        switch (subType) {
        case TriggerStart:
            return new StartTrigger(std::move(context), address, scale);
        case TriggerScore:
            return new ScoreTrigger(std::move(context), address, scale);
        case TriggerPath:
            return new CPathTrigger(std::move(context), address, scale);
        case TriggerTouch:
            return new TouchTrigger(std::move(context), address, scale);
        case TriggerDelivery:
            return new CObjTrigger(std::move(context), address, scale);
        case TriggerRescue:
            return new CTakenObjTrigger(std::move(context), address, scale);
        case TriggerEnd:
            return new CEndTrigger(std::move(context), address, scale);
        default:
            return nullptr;
        }
    default:
        return nullptr;
    }
}

bool LoadPlaygroundObject(CModel& object) {
    if (!object.LoadModel())
        return false;
    const osg::Vec3f size = object.GetState().m_vScale;
    const auto smallerThanModel = [](float axis) { return !(std::fabs(axis) >= 1.0f); };
    if (!smallerThanModel(size.x()) && !smallerThanModel(size.y()) && !smallerThanModel(size.z()))
        return true;
    // The model's own extent decides how thin the size makes it.
    object.SetScale(osg::Vec3f(1.0f, 1.0f, 1.0f));
    osg::Vec3f min, max;
    const bool measured = object.GetOwnFrameBounds(min, max);
    osg::Vec3f drawn = size;
    for (int axis = 0; axis < 3 && measured; ++axis) {
        const float extent = max[axis] - min[axis];
        if (smallerThanModel(size[axis]) && extent > 0.0f
            && !(std::fabs(size[axis]) * extent >= kLeastDrawnSize))
            drawn[axis] = (size[axis] < 0.0f ? -kLeastDrawnSize : kLeastDrawnSize) / extent;
    }
    object.SetScale(drawn);
    return true;
}
