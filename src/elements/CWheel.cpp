#include "elements/CWheel.h"

#include "physics/PhysicsWorld.h"
#include "physics/ShapeDesc.h"
#include "physics/Solid.h"

#include <algorithm>
#include <numbers>

namespace {

// How thick the disc a rolling wheel stands on is, whatever the wheel's
// width: thin enough that turning on the spot scrubs next to nothing.
constexpr double kDiscThickness = 0.02;

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

} // namespace

CWheel::CWheel(PartContextPtr context, const std::string& address)
    : CModel(std::move(context), address) {
    SetType(ModelTypeWheel);
}

void CWheel::CreateSolid(physics::PhysicsWorld* world, int contactGroup) {
    physics::Solid* solid = BeginSolid(world, contactGroup);
    if (!solid)
        return;
    // Sizes of the model in its own frame, whatever pose the wheel has now.
    osg::Vec3f min, max;
    if (!GetOwnFrameBounds(min, max))
        return;
    const double h = (double(max.z()) - min.z()) / 2.0;
    const double w = double(max.x()) - min.x();
    const std::string address = GetAddress();
    if (Contains(address, "wheel_uni") || Contains(address, "wheel7")) {
        physics::ShapeDesc ball = physics::ShapeDesc::sphere(h);
        ball.material = physics::Material(1.0, Contains(address, "wheel7") ? 1.0 : 0.0, 0.0);
        ball.contactGroup = contactGroup;
        solid->addShape(ball);
        return;
    }
    const double friction = Contains(address, "KR-3318") ? 0.001 : 1.0;
    // A thin disc of the wheel's radius in its middle plane, turning about
    // x: it stands at its full radius whatever way it is turned, on one
    // point of its rim, so the wheel rolls smoothly, carries its share of
    // the robot at every angle and turns on the spot without scrubbing its
    // width over the ground.
    //
    // (A ring of capsules across the diameter reaches the full radius only
    // at each capsule, up to 0.02 less between two: a robot standing on such
    // wheels sits in a notch between two capsules and must be lifted over
    // the next one at every turn, so it crawls at low motor values, cannot
    // turn on the spot at values below about 20, and its wheels fall into
    // step with each other, turning it by up to a degree. A cylinder as wide
    // as the wheel stands on its two rims and must scrub them round to turn
    // on the spot, which slow motors cannot do.)
    physics::ShapeDesc disc = physics::ShapeDesc::cylinder(h, kDiscThickness);
    disc.offset.rotate(90.0, 0.0, 1.0, 0.0);
    // It weighs what sixteen capsules of radius w / 2 across the diameter
    // weigh together, each counted whole: robots weigh, push, climb and fall
    // as robots built of these wheels always have, and a wheel turns heavily
    // enough for a motor's one push a frame to settle it even in the air.
    const double r = w / 2.0;
    const double capsules = 16.0
        * (std::numbers::pi * r * r * std::max(2.0 * h - w, 0.0) + 4.0 / 3.0 * std::numbers::pi * r * r * r);
    const double volume = std::numbers::pi * h * h * kDiscThickness;
    const double density = volume > 0.0 && capsules > 0.0
        ? physics::Material::kDefaultDensity * capsules / volume
        : physics::Material::kDefaultDensity;
    disc.material = physics::Material(1.0, friction, 0.0, density);
    disc.contactGroup = contactGroup;
    solid->addShape(disc);
}
