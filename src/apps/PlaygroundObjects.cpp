#include "apps/PlaygroundObjects.h"

#include "elements/CAlarm.h"
#include "elements/CCandle.h"
#include "elements/CGeo.h"
#include "elements/CSlope.h"
#include "elements/CTakenObj.h"
#include "elements/CWounded.h"

osg::ref_ptr<CModel> MakePlaygroundObject(
    int type, int, PartContextPtr context, const std::string& address, const osg::Vec3f& scale) {
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
    default:
        return nullptr;
    }
}
