#include "PartFixture.h"

#include "elements/CModelBox.h"
#include "elements/Geometry.h"
#include "scene/Camera.h"

#include <osg/Quat>
#include <tinyxml.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using elementstest::LoadPart;

namespace {

void ExpectNear(const osg::Vec3f& actual, const osg::Vec3f& expected, float eps = 1e-4f) {
    EXPECT_NEAR(actual.x(), expected.x(), eps);
    EXPECT_NEAR(actual.y(), expected.y(), eps);
    EXPECT_NEAR(actual.z(), expected.z(), eps);
}

void ExpectSameRotation(const osg::Quat& actual, const osg::Quat& expected) {
    const osg::Vec3d axes[3] = { { 1, 0, 0 }, { 0, 1, 0 }, { 0, 0, 1 } };
    for (const osg::Vec3d& a : axes)
        ExpectNear(actual * a, expected * a, 1e-4f);
}

// The robot builder's view: a window of the given size, the camera above and
// in front of the origin looking down at it.
struct BuilderView {
    osg::ref_ptr<scene::Camera> camera = new scene::Camera;
    SPartOwner owner;

    explicit BuilderView(int width = 1440, int height = 900, const osg::Vec3& eye = { 0, -40, 45 }) {
        camera->SetViewport(0, 0, width, height);
        camera->SetPerspective(45.0, double(width) / height, 1.0, 10000.0);
        const osg::Vec3 toOrigin = -eye;
        const double pitch
            = osg::RadiansToDegrees(std::atan2(toOrigin.z(), std::hypot(toOrigin.x(), toOrigin.y())));
        const double heading = osg::RadiansToDegrees(std::atan2(-toOrigin.x(), toOrigin.y()));
        camera->SetTransform(scene::Transform(eye, osg::Vec3(heading, pitch, 0)));
        owner.m_nAppKind = 1;
        owner.m_vCameraPos = camera->GetPosition();
        owner.m_mWindow = camera->GetWindowMatrix();
        owner.m_vViewport.set(float(width), float(height));
    }

    osg::ref_ptr<CModel> Add(const std::string& address, int type, int kind = PlaceAdded) {
        osg::ref_ptr<CModel> part = LoadPart(address, type);
        part->Place(&owner, kind);
        return part;
    }

    // What the robot builder does while a part is carried over the others:
    // every other part is searched for the nearest port pair; the pair found
    // is refined and the carried part turned and moved so that the ports meet.
    CModel* DragAndJoin(CModel* dragged, const std::vector<CModel*>& others) {
        SSnapState& s = owner.m_snap;
        s.m_pOtherPart = nullptr;
        s.m_pDraggedPart = nullptr;
        s.ResetSearch();
        for (CModel* other : others)
            dragged->SnapToModel(other, 0, false);
        CModel* other = s.m_pOtherPart.get();
        if (!other)
            return nullptr;
        dragged->ChooseBestPortPair();
        // The turn that takes the own port's direction onto the other's.
        osg::Quat q;
        if (s.m_nMatchedKind == 0)
            q.makeRotate(osg::Vec3d(s.m_vOwnDir),
                CosAngle3D(s.m_vOwnDir, s.m_vOtherDir) < 0 ? -osg::Vec3d(s.m_vOtherDir)
                                                           : osg::Vec3d(s.m_vOtherDir));
        else
            q.makeRotate(osg::Vec3d(s.m_vOwnDir), osg::Vec3d(s.m_vOtherDir));
        const CModelState& state = dragged->GetState();
        dragged->SetPose(state.m_vPos, state.m_qRot * q, false, false);
        osg::Vec3f own, theirs;
        dragged->GetPortPoint(own, s.m_nOwnPort, -1);
        other->GetPortPoint(theirs, s.m_nOtherPort, -1);
        dragged->SetPose(state.m_vPos + (theirs - own), state.m_qRot, false, false);
        return other;
    }
};

const char* const kRcu = "models/rcu/rcu.ive";
const char* const kMotor = "models/motor/motor.ive";
const char* const kWheel = "models/wheel/wheel_std.ive";

} // namespace

// The motor's bottom stud grid (2 x 2 cells at +-1) meets the control unit's
// top grid (4 x 6 cells on odd coordinates, 3.2 up). Carried over it at
// (0.2, 1.8), its cells lie 0.2 off the unit's in x and 0.7 in y: it settles
// at (0, 2), standing on the unit, unturned.
TEST(PortSnapping, AMotorSnapsOntoTheControlUnit) {
    BuilderView view;
    osg::ref_ptr<CModel> rcu = view.Add(kRcu, ModelTypeRcu, PlaceControlUnit);
    osg::ref_ptr<CModel> motor = view.Add(kMotor, ModelTypeMotor);
    motor->SetPose(osg::Vec3f(0.2f, 1.8f, 4.0f), osg::Quat(), false, false);

    EXPECT_EQ(view.DragAndJoin(motor.get(), { rcu.get() }), rcu.get());
    EXPECT_EQ(view.owner.m_snap.m_nMatchedKind, 3);
    EXPECT_EQ(view.owner.m_snap.m_pDraggedPart.get(), motor.get());
    ExpectNear(motor->GetState().m_vPos, osg::Vec3f(0, 2, 3.2f));
    ExpectSameRotation(motor->GetState().m_qRot, osg::Quat());
    // Refined down to single cells.
    EXPECT_EQ(motor->GetPointGrid(view.owner.m_snap.m_nOwnPort, 2), 1);
    EXPECT_EQ(rcu->GetPointGrid(view.owner.m_snap.m_nOtherPort, 2), 1);

    // The join search finds the pair from the unit's side (its male grid
    // against the motor's female one, whose port box lies inside the
    // unit's), not from the motor's, whose female points are not tried
    // against male ones with the join flag.
    rcu->SetId(0);
    motor->SetId(4);
    EXPECT_FALSE(motor->SnapToModel(rcu.get(), 1, true));
    view.owner.m_snap.m_vJoinOffset.set(0, 0, 0);
    EXPECT_TRUE(rcu->SnapToModel(motor.get(), 1, true));
    EXPECT_EQ(view.owner.m_snap.m_vecJoinList, std::vector<int> { 4 });
    EXPECT_EQ(view.owner.m_snap.m_nMatchedKind, 3);
    EXPECT_TRUE(motor->SnapToModel(rcu.get(), 1, false));

    // Lifted away, the two meet no more.
    motor->SetPose(osg::Vec3f(0, 2, 6), osg::Quat(), false, false);
    EXPECT_FALSE(rcu->SnapToModel(motor.get(), 1, true));
}

// A wheel's hubs face into it (the hub on its +x face points along -x),
// like the motor's shaft (-x): carried, turned a little, next to the shaft,
// the wheel is turned square to it and moved until hub and shaft meet.
TEST(PortSnapping, AWheelSnapsOntoAMotor) {
    BuilderView view;
    osg::ref_ptr<CModel> motor = view.Add(kMotor, ModelTypeMotor);
    ExpectNear(motor->GetState().m_vPos, osg::Vec3f(0, 0, 0));
    osg::ref_ptr<CModel> wheel = view.Add(kWheel, ModelTypeWheel);
    const osg::Quat turned(osg::DegreesToRadians(10.0), osg::Vec3d(0, 0, 1));
    wheel->SetPose(osg::Vec3f(-3.6f, 0.1f, 1.8f) - turned * osg::Vec3f(1, 0, 0) + osg::Vec3f(1, 0, 0), turned,
        false, false);

    EXPECT_EQ(view.DragAndJoin(wheel.get(), { motor.get() }), motor.get());
    EXPECT_EQ(view.owner.m_snap.m_nMatchedKind, 1);
    // The shaft's tip is 2.6 out along -x, 1.6 up; the hub 1 from the axle.
    ExpectNear(wheel->GetState().m_vPos, osg::Vec3f(-3.6f, 0, 1.6f));
    ExpectSameRotation(wheel->GetState().m_qRot, osg::Quat());

    // The robot file writer's search finds the motor's shaft on the wheel:
    // a motor joint (kind 1).
    motor->SetId(1);
    wheel->SetId(2);
    view.owner.m_snap.m_vJoinOffset.set(0, 0, 0);
    EXPECT_TRUE(motor->SnapToModel(wheel.get(), 1, true));
    EXPECT_EQ(view.owner.m_snap.m_vecJoinList, std::vector<int> { 2 });
    EXPECT_EQ(view.owner.m_snap.m_nMatchedKind, 1);
    ExpectNear(view.owner.m_snap.m_vJoinOffset, osg::Vec3f(-2.6f, 0, 1.6f));
    ExpectNear(view.owner.m_snap.m_vJoinDir, osg::Vec3f(-1, 0, 0));
    // Hub and shaft face the same way only on this side: the wheel's other
    // hub (+x) does not meet the shaft however close.
    wheel->SetPose(osg::Vec3f(-1.6f, 0, 1.6f), osg::Quat(), false, false);
    EXPECT_FALSE(motor->SnapToModel(wheel.get(), 1, true));
}

// A 2 x 2 brick carried at (0.3, 1.3) over a 2 x 4 brick: its cells lie 0.3
// off in x and 0.7 in y from the lower brick's studs, so it is stacked at
// (0, 2), on top at 2.4.
TEST(PortSnapping, ABrickSnapsOntoABrick) {
    BuilderView view;
    osg::ref_ptr<CModel> lower = view.Add("models/brick/brick_2x4.ive", ModelTypeBrick);
    ExpectNear(lower->GetState().m_vPos, osg::Vec3f(0, 0, 0));
    osg::ref_ptr<CModel> upper = view.Add("models/brick/brick_2x2.ive", ModelTypeBrick);
    upper->SetPose(osg::Vec3f(0.3f, 1.3f, 3.0f), osg::Quat(), false, false);
    // A part far off the lower brick: not the one snapped to.
    osg::ref_ptr<CModel> far = view.Add("models/brick/brick_2x4.ive", ModelTypeBrick);
    far->SetPose(osg::Vec3f(30, 20, 0), osg::Quat(), false, false);

    EXPECT_EQ(view.DragAndJoin(upper.get(), { far.get(), lower.get() }), lower.get());
    ExpectNear(upper->GetState().m_vPos, osg::Vec3f(0, 2, 2.4f));
    ExpectSameRotation(upper->GetState().m_qRot, osg::Quat());

    // The search keeps the part nearer the camera: a brick behind the lower
    // one, also under the carried brick in the window, loses to it.
    osg::ref_ptr<CModel> behind = view.Add("models/brick/brick_2x4.ive", ModelTypeBrick);
    behind->SetPose(osg::Vec3f(0, 14, -8), osg::Quat(), false, false);
    upper->SetPose(osg::Vec3f(0.3f, 1.3f, 3.0f), osg::Quat(), false, false);
    EXPECT_EQ(view.DragAndJoin(upper.get(), { behind.get(), lower.get() }), lower.get());
    ExpectNear(upper->GetState().m_vPos, osg::Vec3f(0, 2, 2.4f));
    upper->SetPose(osg::Vec3f(0.3f, 1.3f, 3.0f), osg::Quat(), false, false);
    EXPECT_EQ(view.DragAndJoin(upper.get(), { lower.get(), behind.get() }), lower.get());
}

// On a window wider than 1440 pixels, parts right of pixel 1440 snap as well.
TEST(PortSnapping, PartsSnapAcrossAWideWindow) {
    BuilderView view(1920, 1080);
    osg::ref_ptr<CModel> lower = view.Add("models/brick/brick_2x4.ive", ModelTypeBrick);
    lower->SetPose(osg::Vec3f(32, 0, 0), osg::Quat(), false, true);
    ASSERT_GT((osg::Vec3f(30, -4, 0) * view.owner.m_mWindow).x(), 1500.0f);
    osg::ref_ptr<CModel> upper = view.Add("models/brick/brick_2x2.ive", ModelTypeBrick);
    upper->SetPose(osg::Vec3f(32.3f, 1.3f, 3.0f), osg::Quat(), false, false);
    EXPECT_EQ(view.DragAndJoin(upper.get(), { lower.get() }), lower.get());
    ExpectNear(upper->GetState().m_vPos, osg::Vec3f(32, 2, 2.4f));

    // Past the window's right edge nothing meets.
    lower->SetPose(osg::Vec3f(90, 0, 0), osg::Quat(), false, true);
    upper->SetPose(osg::Vec3f(90.3f, 1.3f, 3.0f), osg::Quat(), false, false);
    ASSERT_GT((osg::Vec3f(80, 0, 0) * view.owner.m_mWindow).x(), 1920.0f);
    EXPECT_EQ(view.DragAndJoin(upper.get(), { lower.get() }), nullptr);
}

TEST(PortSnapping, SidesRangesAndKindsDecideWhichPortsMeet) {
    TiXmlDocument doc;
    doc.Parse(R"(<set_up>
      <obj address="male"><point male="1" type="1" range="0.6"/></obj>
      <obj address="wide_male"><point male="1" type="1" range="0.8"/></obj>
      <obj address="female"><point type="1" range="0.6"/></obj>
      <obj address="wide_female"><point type="1" range="0.8"/></obj>
      <obj address="face"><point type="2" dir_x="1"/></obj>
      <obj address="axle"><point male="1" type="0" length="2"/></obj>
      <obj address="hole"><point type="0" length="2" dir_z="-1"/></obj>
    </set_up>)");
    const PartContextPtr context = std::make_shared<const PartContext>(
        PartConstants(), ModelDatabase(doc.FirstChildElement("set_up"), 5));
    SPartOwner owner = elementstest::RobotBuilderOwner();
    auto part = [&](const char* address, const osg::Vec3f& at, const osg::Quat& rot = osg::Quat()) {
        osg::ref_ptr<CModel> p = new CModel(context, address);
        p->Place(&owner, PlaceFromFile);
        p->SetPose(at, rot, false, false);
        return p;
    };
    const osg::Vec3f here(5, 5, 0);
    // Two male parts never meet.
    EXPECT_FALSE(part("male", here)->SnapToModel(part("male", here), 1, false));
    // A male range may not exceed the female one; the reverse pairs.
    EXPECT_FALSE(part("wide_male", here)->SnapToModel(part("female", here), 1, false));
    EXPECT_TRUE(part("male", here)->SnapToModel(part("wide_female", here), 1, false));
    EXPECT_TRUE(part("wide_female", here)->SnapToModel(part("male", here), 1, false));
    // Single ports of kind 1 meet up to 0.8 apart.
    EXPECT_TRUE(part("male", osg::Vec3f())->SnapToModel(part("female", osg::Vec3f(0.8f, 0, 0)), 1, false));
    EXPECT_FALSE(part("male", osg::Vec3f())->SnapToModel(part("female", osg::Vec3f(0.81f, 0, 0)), 1, false));
    // Kind 2 pairs female faces that face each other (their second
    // directions across each other).
    const osg::Quat facing
        = osg::Quat(osg::PI, osg::Vec3d(0, 0, 1)) * osg::Quat(osg::PI_2, osg::Vec3d(1, 0, 0));
    const osg::Vec3f ahead = here + osg::Vec3f(0.3f, 0, 0);
    EXPECT_TRUE(part("face", here)->SnapToModel(part("face", ahead, facing), 1, false));
    EXPECT_FALSE(part("face", here)->SnapToModel(part("face", ahead), 1, false));
    EXPECT_FALSE(part("face", here)
                     ->SnapToModel(part("face", ahead, osg::Quat(osg::PI, osg::Vec3d(0, 0, 1))), 1, false));
    // Axles meet by their port boxes, along their length, either way round.
    EXPECT_TRUE(part("axle", here)->SnapToModel(part("hole", here + osg::Vec3f(0, 0, 2.5f)), 1, false));
    EXPECT_FALSE(part("axle", here)->SnapToModel(part("hole", here + osg::Vec3f(0, 0, 5.2f)), 1, false));
    // A part that was never placed has no ports.
    osg::ref_ptr<CModel> loose = new CModel(context, "female");
    EXPECT_FALSE(part("male", here)->SnapToModel(loose.get(), 1, false));
}

TEST(PortSnapping, RefiningOrSlidingWithoutAPairChangesNothing) {
    BuilderView view;
    osg::ref_ptr<CModel> brick = view.Add("models/brick/brick_2x2.ive", ModelTypeBrick);
    const osg::Vec3f at = brick->GetState().m_vPos;
    view.owner.m_snap = SSnapState();
    brick->ChooseBestPortPair();
    brick->SlideAlongPort();
    ExpectNear(brick->GetState().m_vPos, at);
    osg::Vec3f p;
    EXPECT_FALSE(brick->GetPortPoint(p, 0, 8));
    EXPECT_FALSE(brick->GetPortPoint(p, 999, -1));
    EXPECT_TRUE(brick->GetPortPoint(p, 0, 7));
}

// An axle slides along the axis it joins: as far as the pointer's offset
// along the other axle's window image reaches, in steps of 1 / trunc(4 lp)
// of the other axle's length.
TEST(PortSnapping, AnAxleSlidesAlongTheAxleItJoins) {
    TiXmlDocument doc;
    doc.Parse(R"(<set_up>
      <obj address="axle"><point male="1" type="0" length="2" dir_x="1"/></obj>
      <obj address="hole"><point type="0" length="4" dir_x="1"/></obj>
    </set_up>)");
    const PartContextPtr context = std::make_shared<const PartContext>(
        PartConstants(), ModelDatabase(doc.FirstChildElement("set_up"), 5));
    SPartOwner owner = elementstest::RobotBuilderOwner();
    // Ten pixels a unit, the origin at pixel (500, 500).
    owner.m_mWindow = osg::Matrixd::scale(10, 10, 10) * osg::Matrixd::translate(500, 500, 0);
    osg::ref_ptr<CModel> axle = new CModel(context, "axle");
    osg::ref_ptr<CModel> hole = new CModel(context, "hole");
    axle->Place(&owner, PlaceFromFile);
    hole->Place(&owner, PlaceFromFile);
    axle->SetPose(osg::Vec3f(1.3f, 0.2f, 0), osg::Quat(), false, false);
    hole->SetPose(osg::Vec3f(), osg::Quat(), false, false);
    owner.m_snap.m_pOtherPart = hole.get();
    owner.m_snap.m_nOwnPort = 0;
    owner.m_snap.m_nOtherPort = 0;
    // The offset (13, 2) pixels against the hole's axis (40, 0) pixels:
    // r = 13 / 40, within 6 / 4; in steps of 1/52: 16/52 of the hole's 4.
    axle->SlideAlongPort();
    ExpectNear(axle->GetState().m_vPos, osg::Vec3f(4.0f * 16.0f / 52.0f, 0, 0), 1e-5f);
}
