#include "simulation/TouchCSensor.h"

#include "physics/CollisionEvent.h"
#include "physics/Solid.h"
#include "scene/SolidUserData.h"

namespace {

// Sets the flag that the touching solid carries when what it touches is of
// the ground's group; other contacts (other robots, objects) do not count.
void CSensorCollisionEventHandler(const physics::CollisionEvent& event) {
    if (!event.self || !event.other || event.other->firstShapeContactGroup() != 0)
        return;
    if (int* const* flag = event.self->userData(scene::kTouchFlag))
        **flag = 1;
}

} // namespace

TouchCSensor::TouchCSensor(PartContextPtr context, const std::string& address)
    : CSensor(std::move(context), address, SensorKindTouch) { }

TouchCSensor::~TouchCSensor() {
    // The flag lives here; a solid that outlived its sensor must not set it.
    if (physics::Solid* solid = GetSolid()) {
        solid->setCollisionHandler({});
        solid->clearUserData(scene::kTouchFlag);
    }
}

void TouchCSensor::CreateProbe() {
    physics::Solid* solid = GetSolid();
    if (!GetSimulator() || !solid)
        return;
    solid->setUserData(scene::kTouchFlag, &m_nTouched);
    solid->setCollisionHandler(&CSensorCollisionEventHandler);
}

void TouchCSensor::GetValue(std::string& reading) {
    AppendReading(reading, m_nTouched);
    m_nTouched = 0;
}
