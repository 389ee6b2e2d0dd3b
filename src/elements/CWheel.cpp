#include "elements/CWheel.h"

#include "physics/PhysicsWorld.h"
#include "physics/ShapeDesc.h"
#include "physics/Solid.h"

namespace {

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
    for (int i = 0; i < 16; ++i) {
        physics::ShapeDesc capsule = physics::ShapeDesc::capsule(w / 2.0, 2.0 * h - w);
        // 180 / 16 in whole degrees: the ring covers 0 to 165 degrees.
        capsule.offset.rotate(11.0 * i, 1.0, 0.0, 0.0);
        capsule.material = physics::Material(1.0, friction, 0.0);
        capsule.contactGroup = contactGroup;
        solid->addShape(capsule);
    }
}
