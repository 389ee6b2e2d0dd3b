#include "elements/CCandle.h"

#include "elements/PlaygroundRules.h"
#include "physics/PhysicsWorld.h"
#include "physics/ShapeDesc.h"
#include "physics/Solid.h"
#include "scene/MathBridge.h"

namespace {

// Hard and very rough: a candle knocked by a robot tips rather than slides.
constexpr physics::Material kCandleMaterial { 1.0, 5.0, 0.0 };
constexpr physics::Material kFlameMaterial { 1.0, 0.0, 0.0 };

} // namespace

CCandle::CCandle(PartContextPtr context, const std::string& address)
    : CModel(std::move(context), address) {
    SetType(ModelTypeCandle);
}

CCandle::~CCandle() {
    PutOutFlame();
    m_pFlame = nullptr;
}

void CCandle::CreateSolid(physics::PhysicsWorld* world, int contactGroup) {
    physics::Solid* solid = BeginSolid(world, contactGroup);
    if (!solid)
        return;
    physics::ShapeDesc box;
    if (!elements::OwnBoundsBox(*this, box, false))
        return;
    box.material = kCandleMaterial;
    box.contactGroup = contactGroup;
    solid->addShape(box);
}

void CCandle::SetGameState(RobotRoster* state) {
    m_pGameState = state;
    m_nCount = 0;
}

void CCandle::LightFlame() {
    physics::PhysicsWorld* world = GetSimulator();
    if (m_pFlameSolid.get() || !world)
        return;
    m_pFlame = new scene::ParticleEffect("ParticleSystem");
    m_pFlame->LoadFile(kFlameFile, true);
    AddChild(m_pFlame.get());
    scene::Transform t = m_pFlame->GetTransform(scene::CoordSys::Absolute);
    t.SetTranslation(t.GetTranslation() + osg::Vec3(0.0f, 0.0f, kFlameHeight));
    m_pFlame->SetTransform(t, scene::CoordSys::Absolute);

    physics::Solid* solid = world->createSolid();
    m_pFlameSolid = solid;
    if (!solid)
        return;
    const osg::BoundingBox bounds = m_pFlame->GetBoundingBox();
    const osg::Vec3d size = bounds.valid() ? osg::Vec3d(bounds._max - bounds._min) : osg::Vec3d();
    physics::ShapeDesc box = physics::ShapeDesc::box(scene::ToPhysics(size));
    box.material = kFlameMaterial;
    box.contactGroup = kFlameGroup;
    solid->addShape(box);
    solid->setPosition(scene::ToPhysics(osg::Vec3d(t.GetTranslation())));
    solid->setStatic(true);
}

void CCandle::PutOutFlame() {
    if (!m_pFlameSolid.get() || !GetSimulator())
        return;
    RemoveChild(m_pFlame.get());
    m_pFlame = nullptr;
    m_pFlameSolid.destroy();
}

void CCandle::UpdateFromSolid() {
    CModel::UpdateFromSolid();
    physics::Solid* flame = m_pFlameSolid.get();
    if (!flame || !m_pFlame)
        return;
    const scene::Transform t = m_pFlame->GetTransform(scene::CoordSys::Absolute);
    flame->setPosition(scene::ToPhysics(osg::Vec3d(t.GetTranslation())));
    flame->setOrientation(scene::ToPhysics(t.GetQuat()));
}

void CCandle::Step() {
    if (!m_pFlameSolid.get() || !m_pGameState)
        return;
    const elements::ProximityEvent event = elements::ProximityStep(*this, *m_pGameState, m_nCount,
        elements::kStayLimit, false, [](const PlaygroundRobot&) { return true; });
    if (event.kind != elements::ProximityEvent::Completed)
        return;
    PutOutFlame();
    event.robot->SetScore(event.robot->GetScore() + elements::kStayScore);
    m_nCount = 0;
}
