#include "PartFixture.h"

#include "elements/CAlarm.h"
#include "elements/CCandle.h"
#include "elements/CGeo.h"
#include "elements/CSlope.h"
#include "elements/CTakenObj.h"
#include "elements/CWounded.h"
#include "elements/Floor.h"
#include "elements/PlaygroundRobot.h"
#include "elements/PlaygroundRules.h"
#include "elements/RobotRoster.h"
#include "physics/PhysicsWorld.h"
#include "physics/Solid.h"
#include "scene/MathBridge.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <variant>
#include <vector>

using elementstest::LibraryContext;

namespace {

const char* const kCube = "models/playground/cube.ive";

// A robot as the playground rules see it: its body is a real part, a cube
// scaled to 10 x 10 x 4, whose box centre the test puts where it likes.
class BoxRobot : public PlaygroundRobot {
public:
    explicit BoxRobot(const osg::Vec3f& centre)
        : m_body(new CModel(LibraryContext(), kCube, osg::Vec3f(10, 10, 4))) {
        EXPECT_TRUE(m_body->LoadModel());
        MoveTo(centre);
    }
    void MoveTo(const osg::Vec3f& centre) { m_body->SetTransform(scene::Transform(centre, osg::Vec3())); }
    // A robot taken apart has no control unit.
    void TakeApart() { m_body = nullptr; }

    CModel* GetRcu() const override { return m_body.get(); }
    int GetScore() const override { return m_score; }
    void SetScore(int score) override { m_score = score; }
    CGeo* GetCarriedGeo() const override { return m_geo.get(); }
    void SetCarriedGeo(CGeo* geo, const scene::Transform& transform) override {
        m_geo = geo;
        m_geoTransform = transform;
    }
    int GetCarriedObjectCount() const override { return int(m_objects.size()); }
    CTakenObj* GetCarriedObject(int index) const override { return m_objects[std::size_t(index)].get(); }
    void AddCarriedObject(CTakenObj* object, const scene::Transform& transform) override {
        m_objects.push_back(object);
        m_objectTransforms.push_back(transform);
    }
    void ClearCarriedObjects() override {
        m_objects.clear();
        m_objectTransforms.clear();
    }

    scene::Transform m_geoTransform;
    std::vector<scene::Transform> m_objectTransforms;

private:
    osg::ref_ptr<CModel> m_body;
    int m_score = 0;
    osg::ref_ptr<CGeo> m_geo;
    std::vector<osg::ref_ptr<CTakenObj>> m_objects;
};

class Robots : public RobotRoster {
public:
    BoxRobot& Add(const osg::Vec3f& centre) {
        m_robots.push_back(new BoxRobot(centre));
        return *m_robots.back();
    }
    int GetRobotCount() const override { return int(m_robots.size()); }
    PlaygroundRobot* GetRobot(int index) const override {
        return index >= 0 && index < GetRobotCount() ? m_robots[std::size_t(index)].get() : nullptr;
    }

private:
    std::vector<osg::ref_ptr<BoxRobot>> m_robots;
};

template <class T> osg::ref_ptr<T> Loaded(T* object) {
    osg::ref_ptr<T> held = object;
    EXPECT_TRUE(held->LoadModel()) << held->GetAddress();
    return held;
}

template <class T> void StepTimes(T& object, int steps) {
    for (int i = 0; i < steps; ++i)
        object.Step();
}

const physics::ShapeDesc& FirstShape(const CModel& part) {
    return *part.GetSolid()->shape(0);
}

// Every object's box centre sits on its origin (the library's rule for
// playground objects), so a robot whose centre is d away along x is d away.
constexpr float kJustNear = 49.9f;

} // namespace

// Each kind reports its own type code and builds the solid its kind has:
// sizes come from the model at its scale, materials are the kinds' own.
TEST(PlaygroundObjects, KindsBuildTheirOwnSolids) {
    physics::PhysicsWorld world;
    osg::ref_ptr<CAlarm> alarm = Loaded(new CAlarm(LibraryContext(), "models/playground/alarm.ive"));
    alarm->CreateSolid(&world, 7);
    EXPECT_EQ(alarm->GetType(), 13);
    // The description's one box (half-axes 2, 2.05, 1.75).
    const auto* alarmBox = std::get_if<physics::BoxShape>(&FirstShape(*alarm).geometry);
    ASSERT_NE(alarmBox, nullptr);
    EXPECT_NEAR(alarmBox->dimensions.y, 4.1, 1e-6);
    EXPECT_DOUBLE_EQ(FirstShape(*alarm).material.friction, 0.002);
    EXPECT_EQ(alarm->GetSolid()->firstShapeContactGroup(), 7);

    osg::ref_ptr<CCandle> candle = Loaded(new CCandle(LibraryContext(), "models/playground/candle.ive"));
    candle->CreateSolid(&world, 0);
    EXPECT_EQ(candle->GetType(), 7);
    EXPECT_DOUBLE_EQ(FirstShape(*candle).material.friction, 5.0);

    // A ball of diameter 1 at scale 4 rolls on a sphere of radius 2 without
    // friction; the light ball is a tenth as dense.
    osg::ref_ptr<CGeo> ball
        = Loaded(new CGeo(LibraryContext(), "models/playground/ball.ive", osg::Vec3f(4, 4, 4)));
    osg::ref_ptr<CGeo> light
        = Loaded(new CGeo(LibraryContext(), "models/playground/tball.ive", osg::Vec3f(4, 4, 4)));
    ball->CreateSolid(&world, 0);
    light->CreateSolid(&world, 0);
    EXPECT_EQ(ball->GetType(), 9);
    EXPECT_EQ(ball->GetTake(), 0);
    for (const CGeo* geo : { ball.get(), light.get() }) {
        const auto* sphere = std::get_if<physics::SphereShape>(&FirstShape(*geo).geometry);
        ASSERT_NE(sphere, nullptr);
        EXPECT_NEAR(sphere->radius, 2.0, 1e-5);
        EXPECT_DOUBLE_EQ(FirstShape(*geo).material.friction, 0.0);
    }
    EXPECT_NEAR(light->GetSolid()->mass(), ball->GetSolid()->mass() / 50.0, 1e-9);

    // Other loaded models: one box of the model at its scale.
    osg::ref_ptr<CGeo> cube = Loaded(new CGeo(LibraryContext(), kCube, osg::Vec3f(3, 5, 7)));
    cube->CreateSolid(&world, 0);
    const auto* cubeBox = std::get_if<physics::BoxShape>(&FirstShape(*cube).geometry);
    ASSERT_NE(cubeBox, nullptr);
    EXPECT_NEAR(cubeBox->dimensions.x, 3.0, 1e-5);
    EXPECT_NEAR(cubeBox->dimensions.y, 5.0, 1e-5);
    EXPECT_NEAR(cubeBox->dimensions.z, 7.0, 1e-5);
    EXPECT_DOUBLE_EQ(FirstShape(*cube).material.friction, 0.002);

    // A slope is the mesh of what is drawn: a wedge of 8 triangles.
    osg::ref_ptr<CSlope> slope
        = Loaded(new CSlope(LibraryContext(), "models/playground/slope.ive", osg::Vec3f(40, 40, 10)));
    slope->CreateSolid(&world, 0);
    EXPECT_EQ(slope->GetType(), 6);
    const auto* mesh = std::get_if<physics::MeshShape>(&FirstShape(*slope).geometry);
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->triangles.size(), 8u);
    double top = -1e9;
    for (const physics::Vec3& v : mesh->vertices)
        top = std::max(top, v.z);
    EXPECT_NEAR(top, 5.0, 1e-5);

    osg::ref_ptr<CWounded> wounded
        = Loaded(new CWounded(LibraryContext(), "models/playground/astronaut.ive"));
    osg::ref_ptr<CTakenObj> taken
        = Loaded(new CTakenObj(LibraryContext(), "models/playground/astronaut_red.ive"));
    EXPECT_EQ(wounded->GetType(), 10);
    EXPECT_EQ(taken->GetType(), 11);

    // A second build replaces the first solid.
    const std::size_t solids = world.solidCount();
    cube->CreateSolid(&world, 0);
    EXPECT_EQ(world.solidCount(), solids);
}

// A robot parked 49.9 from an alarm switches it off in the 301st step of its
// stay and earns 10; at 50 it is not near. One step away starts the count
// again.
TEST(PlaygroundObjects, AlarmAwardsTenAfterMoreThanThreeHundredStepsNear) {
    Robots robots;
    BoxRobot& robot = robots.Add(osg::Vec3f(50, 0, 0));
    osg::ref_ptr<CAlarm> alarm = Loaded(new CAlarm(LibraryContext(), "models/playground/alarm.ive"));
    alarm->SetGameState(&robots);
    StepTimes(*alarm, 400);
    EXPECT_EQ(alarm->GetCount(), 0);

    robot.MoveTo(osg::Vec3f(kJustNear, 0, 0));
    StepTimes(*alarm, 200);
    robot.MoveTo(osg::Vec3f(60, 0, 0));
    alarm->Step();
    robot.MoveTo(osg::Vec3f(0, kJustNear, 0));
    StepTimes(*alarm, 300);
    EXPECT_EQ(robot.GetScore(), 0);
    EXPECT_TRUE(alarm->IsArmed());
    alarm->Step();
    EXPECT_EQ(robot.GetScore(), 10);
    EXPECT_FALSE(alarm->IsArmed());
    StepTimes(*alarm, 400);
    EXPECT_EQ(robot.GetScore(), 10);
}

// Any robot near keeps a stay going, whatever the robots before it in list
// order do: a second robot at the candle puts it out in the 301st step while
// the first is far. The count starts again only in a step with no robot near;
// without robots, or with only robots that have no control unit, it stays as
// it is.
TEST(PlaygroundObjects, CandleGoesOutForAnyRobotThatStaysNear) {
    physics::PhysicsWorld world;
    osg::ref_ptr<CCandle> candle = Loaded(new CCandle(LibraryContext(), "models/playground/candle.ive"));
    candle->CreateSolid(&world, 0);
    candle->SetTransform(scene::Transform(osg::Vec3(10, 20, 3.8f), osg::Vec3()));
    candle->PushPoseToSolid();
    candle->LightFlame();
    ASSERT_TRUE(candle->IsBurning());
    // The flame's static solid stands 6 above the candle, in the flame group.
    physics::Solid* flame = candle->GetFlameSolid();
    EXPECT_TRUE(flame->isStatic());
    EXPECT_EQ(flame->firstShapeContactGroup(), 2);
    EXPECT_NEAR(flame->position().x, 10.0, 1e-6);
    EXPECT_NEAR(flame->position().z, 9.8, 1e-5);

    Robots none;
    candle->SetGameState(&none);
    StepTimes(*candle, 400);
    EXPECT_TRUE(candle->IsBurning());

    Robots robots;
    BoxRobot& far = robots.Add(osg::Vec3f(200, 0, 0));
    BoxRobot& near = robots.Add(osg::Vec3f(10, 20 + kJustNear, 3.8f));
    candle->SetGameState(&robots);
    StepTimes(*candle, 200);
    EXPECT_EQ(candle->GetCount(), 200);
    // One step with both far: the stay starts again.
    near.MoveTo(osg::Vec3f(10, 20 + 50, 3.8f));
    candle->Step();
    EXPECT_EQ(candle->GetCount(), 0);
    near.MoveTo(osg::Vec3f(10 - kJustNear, 20, 3.8f));
    StepTimes(*candle, 300);
    EXPECT_TRUE(candle->IsBurning());
    EXPECT_EQ(near.GetScore(), 0);

    const std::size_t solids = world.solidCount();
    candle->Step();
    EXPECT_FALSE(candle->IsBurning());
    EXPECT_EQ(candle->GetFlame(), nullptr);
    EXPECT_EQ(world.solidCount(), solids - 1) << "the flame's solid is gone";
    EXPECT_EQ(far.GetScore(), 0);
    EXPECT_EQ(near.GetScore(), 10);
}

// With several robots near, the first of them in list order completes the
// rule, whichever of them stayed longest; a robot that comes near in the
// last step still takes the points. Robots without a control unit take no
// part: with only such robots, as without robots, the count stays as it is.
TEST(PlaygroundObjects, FirstNearRobotInListOrderCompletesASharedStay) {
    Robots robots;
    robots.Add(osg::Vec3f(0, 0, 0)).TakeApart();
    BoxRobot& first = robots.Add(osg::Vec3f(200, 0, 0));
    BoxRobot& second = robots.Add(osg::Vec3f(kJustNear, 0, 0));
    Robots apart;
    apart.Add(osg::Vec3f(0, 0, 0)).TakeApart();
    osg::ref_ptr<CAlarm> alarm = Loaded(new CAlarm(LibraryContext(), "models/playground/alarm.ive"));
    alarm->SetGameState(&robots);
    StepTimes(*alarm, 150);
    alarm->SetGameState(&apart);
    StepTimes(*alarm, 400);
    EXPECT_EQ(alarm->GetCount(), 150);
    alarm->SetGameState(&robots);
    StepTimes(*alarm, 150);
    EXPECT_TRUE(alarm->IsArmed());
    first.MoveTo(osg::Vec3f(0, kJustNear, 0));
    alarm->Step();
    EXPECT_FALSE(alarm->IsArmed());
    EXPECT_EQ(first.GetScore(), 10);
    EXPECT_EQ(second.GetScore(), 0);
}

// A tilted candle that has slid takes its flame solid along, turned as the
// flame is.
TEST(PlaygroundObjects, FlameSolidFollowsTheCandle) {
    physics::PhysicsWorld world;
    osg::ref_ptr<CCandle> candle = Loaded(new CCandle(LibraryContext(), "models/playground/candle.ive"));
    candle->CreateSolid(&world, 0);
    candle->LightFlame();
    const osg::Quat tilt(osg::DegreesToRadians(30.0), osg::Vec3d(1, 0, 0));
    candle->GetSolid()->setPose(physics::Pose(physics::Vec3(5, 6, 7), scene::ToPhysics(tilt)));
    candle->UpdateFromSolid();
    const physics::Solid* flame = candle->GetFlameSolid();
    // 6 above the origin in the candle's frame, tilted 30 degrees about x.
    EXPECT_NEAR(flame->position().y, 6 - 6 * std::sin(osg::DegreesToRadians(30.0)), 1e-4);
    EXPECT_NEAR(flame->position().z, 7 + 6 * std::cos(osg::DegreesToRadians(30.0)), 1e-4);
    const physics::Vec3 up = flame->orientation().rotate(physics::Vec3(0, 0, 1));
    EXPECT_NEAR(up.y, -0.5, 1e-6);
    EXPECT_NEAR(up.z, std::cos(osg::DegreesToRadians(30.0)), 1e-6);
}

// A robot that touches a wounded figure in the step in which it would
// rescue it loses it: hidden, out of every contact, no score. Rescued after
// its stay, a figure scores 10 and is hidden too.
TEST(PlaygroundObjects, WoundedFigureIsRescuedOrLostByTouch) {
    physics::PhysicsWorld world;
    Robots robots;
    BoxRobot& robot = robots.Add(osg::Vec3f(0, kJustNear, 0));
    osg::ref_ptr<CWounded> lost = Loaded(new CWounded(LibraryContext(), "models/playground/astronaut.ive"));
    lost->CreateSolid(&world, 3);
    lost->SetGameState(&robots);
    StepTimes(*lost, 300);
    robot.MoveTo(osg::Vec3f(0, 5, 0));
    lost->Step();
    EXPECT_FALSE(lost->IsArmed());
    EXPECT_FALSE(lost->GetActive());
    EXPECT_EQ(lost->GetSolid()->firstShapeContactGroup(), 31);
    EXPECT_EQ(robot.GetScore(), 0);

    osg::ref_ptr<CWounded> saved = Loaded(new CWounded(LibraryContext(), "models/playground/astronaut.ive"));
    saved->CreateSolid(&world, 3);
    saved->SetGameState(&robots);
    robot.MoveTo(osg::Vec3f(kJustNear, 0, 0));
    StepTimes(*saved, 301);
    EXPECT_EQ(robot.GetScore(), 10);
    EXPECT_FALSE(saved->GetActive());
    EXPECT_EQ(saved->GetSolid()->firstShapeContactGroup(), 31);

    // Robots are looked at in list order, touch first: a near robot ends the
    // step before a later one's touch is looked at; a far one does not.
    Robots two;
    BoxRobot& ahead = two.Add(osg::Vec3f(0, -kJustNear, 0));
    BoxRobot& toucher = two.Add(osg::Vec3f(0, 5, 0));
    osg::ref_ptr<CWounded> third = Loaded(new CWounded(LibraryContext(), "models/playground/astronaut.ive"));
    third->CreateSolid(&world, 3);
    third->SetGameState(&two);
    StepTimes(*third, 5);
    EXPECT_TRUE(third->IsArmed());
    EXPECT_EQ(third->GetCount(), 5);
    ahead.MoveTo(osg::Vec3f(0, -200, 0));
    third->Step();
    EXPECT_FALSE(third->IsArmed());
    EXPECT_FALSE(third->GetActive());
    EXPECT_EQ(ahead.GetScore() + toucher.GetScore(), 0);
}

// Touching includes the boundary: a robot whose box only meets the
// figure's, face on face, touches it, on either side of every axis; a hair
// away it does not. Both are cubes here, so that the faces meet exactly.
TEST(PlaygroundObjects, BoxesWhoseFacesMeetTouch) {
    for (int face = 0; face < 6; ++face) {
        const int axis = face % 3;
        const float side = face < 3 ? 1.0f : -1.0f;
        SCOPED_TRACE(face);
        osg::ref_ptr<CWounded> figure = Loaded(new CWounded(LibraryContext(), kCube));
        const osg::BoundingBox own = elements::ObjectBounds(*figure);
        ASSERT_EQ(own.xMax(), 0.5f);
        Robots robots;
        osg::Vec3f centre;
        // The robot's half size along the axis: 5, 5, 2.
        const float half = axis == 2 ? 2.0f : 5.0f;
        centre[axis] = side * (0.5f + half + 0.001f);
        BoxRobot& robot = robots.Add(centre);
        figure->SetGameState(&robots);
        figure->Step();
        EXPECT_TRUE(figure->IsArmed()) << "a hair away is near, not touching";

        centre[axis] = side * (0.5f + half);
        robot.MoveTo(centre);
        osg::BoundingBox body;
        ASSERT_TRUE(elements::RobotBounds(robot, body));
        ASSERT_EQ(side > 0 ? body._min[axis] : body._max[axis], side > 0 ? own._max[axis] : own._min[axis]);
        figure->Step();
        EXPECT_FALSE(figure->IsArmed());
        EXPECT_FALSE(figure->GetActive());
        EXPECT_EQ(robot.GetScore(), 0);
    }
}

// Objects to carry are picked up after more than 10 steps near, by robots
// that carry no loaded model, and ride along visibly; loaded models only by
// robots that carry nothing, and only when their take flag is set. What is
// picked up meets nothing any more.
TEST(PlaygroundObjects, RobotsPickUpWhatTheyMayCarry) {
    physics::PhysicsWorld world;
    Robots robots;
    BoxRobot& robot = robots.Add(osg::Vec3f(kJustNear, 0, 0));

    osg::ref_ptr<CGeo> box = Loaded(new CGeo(LibraryContext(), kCube, osg::Vec3f(2, 2, 2)));
    box->CreateSolid(&world, 0);
    box->SetGameState(&robots);
    StepTimes(*box, 50);
    EXPECT_TRUE(box->IsTakeable()) << "its take flag is clear";

    std::vector<osg::ref_ptr<CTakenObj>> figures;
    for (int i = 0; i < 2; ++i) {
        figures.push_back(Loaded(new CTakenObj(LibraryContext(), "models/playground/astronaut_blue.ive")));
        figures.back()->SetTransform(scene::Transform(osg::Vec3(0, 0, float(i)), osg::Vec3(90, 0, 0)));
        figures.back()->CreateSolid(&world, 3);
        figures.back()->SetGameState(&robots);
    }
    StepTimes(*figures[0], 10);
    EXPECT_EQ(robot.GetCarriedObjectCount(), 0);
    figures[0]->Step();
    StepTimes(*figures[1], 11);
    ASSERT_EQ(robot.GetCarriedObjectCount(), 2);
    EXPECT_EQ(robot.GetCarriedObject(1), figures[1].get());
    EXPECT_TRUE(robot.m_objectTransforms[1].EpsilonEquals(figures[1]->GetStartTransform()));
    EXPECT_EQ(figures[0]->GetCarrier(), &robot);
    EXPECT_TRUE(figures[0]->GetActive());
    EXPECT_EQ(figures[0]->GetSolid()->firstShapeContactGroup(), 31);

    box->SetTake(1);
    StepTimes(*box, 50);
    EXPECT_TRUE(box->IsTakeable()) << "a robot with objects takes no loaded model";
    figures[1]->Release();
    EXPECT_EQ(robot.GetCarriedObjectCount(), 0);
    EXPECT_EQ(figures[1]->GetCarrier(), nullptr);
    StepTimes(*box, 11);
    EXPECT_FALSE(box->IsTakeable());
    EXPECT_EQ(robot.GetCarriedGeo(), box.get());
    EXPECT_EQ(box->GetSolid()->firstShapeContactGroup(), 31);
    EXPECT_TRUE(box->GetSolid()->isStatic()) << "carried, it does not fall for ever";

    osg::ref_ptr<CTakenObj> third
        = Loaded(new CTakenObj(LibraryContext(), "models/playground/astronaut.ive"));
    third->SetGameState(&robots);
    StepTimes(*third, 50);
    EXPECT_TRUE(third->IsArmed()) << "a robot with a loaded model takes no object";
    box->Release();
    EXPECT_EQ(robot.GetCarriedGeo(), nullptr);
}
