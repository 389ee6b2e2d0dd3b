#include "PartFixture.h"

#include "elements/CWheel.h"
#include "elements/Floor.h"
#include "physics/PhysicsWorld.h"
#include "physics/Solid.h"

#include <osg/Quat>
#include <tinyxml.h>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <variant>

using elementstest::LoadPart;
using elementstest::ModelFileBounds;

namespace {

void ExpectNear(const physics::Vec3& actual, const physics::Vec3& expected, double eps = 1e-6) {
    EXPECT_NEAR(actual.x, expected.x, eps);
    EXPECT_NEAR(actual.y, expected.y, eps);
    EXPECT_NEAR(actual.z, expected.z, eps);
}

// A part of the class the robot loader makes for the model's bar.
osg::ref_ptr<CModel> MakePart(const std::string& address) {
    osg::ref_ptr<CModel> part;
    if (address.find("/wheel/") != std::string::npos)
        part = new CWheel(elementstest::LibraryContext(), address);
    else
        part = new CModel(elementstest::LibraryContext(), address);
    EXPECT_TRUE(part->LoadModel()) << address;
    return part;
}

struct OneBoxModel {
    TiXmlDocument doc;
    PartContextPtr context;

    explicit OneBoxModel(const char* boxes) {
        doc.Parse((std::string("<set_up><obj address=\"m\">") + boxes + "</obj></set_up>").c_str());
        context = std::make_shared<const PartContext>(
            PartConstants(), ModelDatabase(doc.FirstChildElement("set_up"), 5));
    }
};

} // namespace

// Every robot part, dropped from 4 above the floor, falls onto it and comes
// to rest there on its model's bottom, upright, as it stood.
TEST(PartSolid, EveryPartFallsAndRestsOnTheFloorAtItsBottom) {
    physics::PhysicsWorld world;
    osg::ref_ptr<Floor> floor = new Floor(256, 256, "map/default.png", &world, 0);
    std::vector<osg::ref_ptr<CModel>> parts;
    for (const std::string& address : elementstest::RobotPartAddresses()) {
        osg::ref_ptr<CModel> part = MakePart(address);
        const float x = -120.0f + 15.0f * float(parts.size());
        const float lift = 4.0f - ModelFileBounds(address).zMin();
        part->SetTransform(scene::Transform(osg::Vec3(x, 0, lift), osg::Vec3()));
        part->CreateSolid(&world, 1);
        ASSERT_NE(part->GetSolid(), nullptr) << address;
        part->PushPoseToSolid();
        parts.push_back(part);
    }
    ASSERT_GE(parts.size(), 15u);
    world.simulate(4.0);
    for (const osg::ref_ptr<CModel>& part : parts) {
        SCOPED_TRACE(part->GetAddress());
        part->UpdateFromSolid();
        EXPECT_NEAR(part->GetBottomZ(), 0.0, 0.01);
        EXPECT_LT(part->GetSolid()->linearVelocity().length(), 0.01);
        const osg::Quat rot = part->GetTransform().GetQuat();
        EXPECT_NEAR((rot * osg::Vec3d(0, 0, 1)).z(), 1.0, 1e-3);
    }
}

TEST(PartSolid, APartGetsOneBoxPerDescriptionBox) {
    OneBoxModel model(R"(<box><center z="1"/><p x="1"/><p y="2"/><p z="0.5"/></box>
                         <box><center x="5"/><p y="1"/><p x="-2"/><p z="0.5"/></box>)");
    osg::ref_ptr<CModel> part = new CModel(model.context, "m");
    physics::PhysicsWorld world;
    part->CreateSolid(&world, 3);
    physics::Solid* solid = part->GetSolid();
    ASSERT_NE(solid, nullptr);
    ASSERT_EQ(solid->shapeCount(), 2u);

    // A box 2 x 4 x 1, moved up by 1, not turned; hard and without friction.
    const physics::ShapeDesc* first = solid->shape(0);
    ExpectNear(std::get<physics::BoxShape>(first->geometry).dimensions, physics::Vec3(2, 4, 1));
    ExpectNear(first->offset.position, physics::Vec3(0, 0, 1));
    ExpectNear(first->offset.orientation.rotate(physics::Vec3(1, 0, 0)), physics::Vec3(1, 0, 0));
    EXPECT_EQ(first->material.friction, 0.0);
    EXPECT_EQ(first->material.hardness, 1.0);
    EXPECT_EQ(first->material.bounciness, 0.0);
    EXPECT_EQ(first->contactGroup, 3);
    // The second box's x runs along y: it is turned a quarter about z.
    const physics::ShapeDesc* second = solid->shape(1);
    ExpectNear(std::get<physics::BoxShape>(second->geometry).dimensions, physics::Vec3(2, 4, 1));
    ExpectNear(second->offset.position, physics::Vec3(5, 0, 0));
    ExpectNear(second->offset.orientation.rotate(physics::Vec3(1, 0, 0)), physics::Vec3(0, 1, 0));
    ExpectNear(second->offset.orientation.rotate(physics::Vec3(0, 0, 1)), physics::Vec3(0, 0, 1));

    // Made again, the first solid goes.
    part->CreateSolid(&world, 3);
    EXPECT_EQ(world.solidCount(), 1u);
    EXPECT_NE(part->GetSolid(), nullptr);
    // A box without thickness or direction still gives a thin, sound shape.
    OneBoxModel flat(R"(<box><center z="1"/><p/><p y="2"/><p/></box>)");
    osg::ref_ptr<CModel> sheet = new CModel(flat.context, "m");
    sheet->CreateSolid(&world, 3);
    ASSERT_EQ(sheet->GetSolid()->shapeCount(), 1u);
    const physics::ShapeDesc* thin = sheet->GetSolid()->shape(0);
    ExpectNear(std::get<physics::BoxShape>(thin->geometry).dimensions,
        physics::Vec3(physics::ShapeDesc::kMinSize, 4, physics::ShapeDesc::kMinSize));
    EXPECT_TRUE(thin->offset.isFinite());
    EXPECT_GT(sheet->GetSolid()->mass(), 0.0);

    // No world, no solid.
    osg::ref_ptr<CModel> loose = new CModel(model.context, "m");
    loose->CreateSolid(nullptr, 1);
    EXPECT_EQ(loose->GetSolid(), nullptr);
    loose->PushPoseToSolid();
    loose->UpdateFromSolid();
}

// A model without boxes gets one box of its bounds, in its own frame: made
// while the part stands turned and moved, the box still fits the model.
TEST(PartSolid, AModelWithoutBoxesGetsABoxOfItsBounds) {
    // The ray beam runs from the origin along +y: its bounds are off-centre.
    const char* const candle = "models/effects/e_ray.ive";
    const osg::BoundingBox bounds = ModelFileBounds(candle);
    osg::ref_ptr<CModel> part = LoadPart(candle, ModelTypeCandle);
    part->SetTransform(scene::Transform(osg::Vec3(30, -20, 7), osg::Vec3(40, 10, 0)));
    physics::PhysicsWorld world;
    part->CreateSolid(&world, 0);
    ASSERT_EQ(part->GetSolid()->shapeCount(), 1u);
    const physics::ShapeDesc* box = part->GetSolid()->shape(0);
    ExpectNear(std::get<physics::BoxShape>(box->geometry).dimensions,
        physics::Vec3(
            bounds.xMax() - bounds.xMin(), bounds.yMax() - bounds.yMin(), bounds.zMax() - bounds.zMin()),
        1e-5);
    ExpectNear(box->offset.position,
        physics::Vec3(bounds.center().x(), bounds.center().y(), bounds.center().z()), 1e-5);
}

// Boxes are written for the model at its own size; a scaled part's boxes
// (collision and physics) and ports are scaled with it.
TEST(PartSolid, AScaledPartHasScaledBoxes) {
    osg::ref_ptr<CModel> part
        = new CModel(elementstest::LibraryContext(), "models/brick/brick_2x4.ive", osg::Vec3f(2, 1, 0.5f));
    ASSERT_TRUE(part->LoadModel());
    physics::PhysicsWorld world;
    part->CreateSolid(&world, 1);
    const physics::ShapeDesc* box = part->GetSolid()->shape(0);
    ExpectNear(std::get<physics::BoxShape>(box->geometry).dimensions, physics::Vec3(8, 8, 1.2), 1e-5);
    ExpectNear(box->offset.position, physics::Vec3(0, 0, 0.6), 1e-5);
    SPartOwner owner = elementstest::RobotBuilderOwner();
    part->Place(&owner, PlaceRecreated);
    part->ReadPoints();
    osg::Vec3f top;
    ASSERT_TRUE(part->GetPortPoint(top, 0, -1));
    EXPECT_NEAR(top.z(), 1.2, 1e-5);
    // Its collision box reaches to 4 along x, where the model now does.
    osg::ref_ptr<CModel> post = LoadPart("models/sensor/ray.ive");
    post->Place(&owner, PlaceRecreated);
    post->SetPose(osg::Vec3f(3.5f, 0, 0), osg::Quat(), false, false);
    part->UpdateCollisionTransform();
    EXPECT_TRUE(part->CollidesWith(post.get()));
}

TEST(PartSolid, TheNodeFollowsTheSolidUnlessALostObjectFell) {
    physics::PhysicsWorld world;
    for (int type : { ModelTypeGeo, ModelTypeAlarm, ModelTypeBrick }) {
        SCOPED_TRACE(type);
        osg::ref_ptr<CModel> part = LoadPart("models/playground/cube.ive", type);
        part->SetTransform(scene::Transform(osg::Vec3(1, 2, 3), osg::Vec3()));
        part->CreateSolid(&world, 0);
        part->PushPoseToSolid();
        ExpectNear(part->GetSolid()->position(), physics::Vec3(1, 2, 3));

        const physics::Quat turn = physics::Quat::fromAxisAngleDegrees(physics::Vec3(0, 0, 1), 90);
        part->GetSolid()->setPose(physics::Pose(physics::Vec3(4, 5, -999), turn));
        part->UpdateFromSolid();
        const scene::Transform t = part->GetTransform();
        EXPECT_NEAR(t.GetTranslation().z(), -999.0, 1e-3);
        EXPECT_NEAR((t.GetQuat() * osg::Vec3d(1, 0, 0)).y(), 1.0, 1e-6);
        // The state is the editors' business: it stays.
        EXPECT_EQ(part->GetState().m_vPos, osg::Vec3f());

        // Deeper than 1000, a loaded model is put back where its node is.
        part->GetSolid()->setPosition(physics::Vec3(4, 5, -1000.5));
        part->UpdateFromSolid();
        if (type == ModelTypeGeo) {
            EXPECT_NEAR(part->GetTransform().GetTranslation().z(), -999.0, 1e-3);
            EXPECT_NEAR(part->GetSolid()->position().z, -999.0, 1e-3);
        } else {
            EXPECT_NEAR(part->GetTransform().GetTranslation().z(), -1000.5, 1e-3);
        }

        // Nothing down there would ever stop a playground object: it stays
        // where it was lost. A robot's part falls on; its robot stops it.
        const physics::Vec3 lost = part->GetSolid()->position();
        world.simulate(60.0);
        part->UpdateFromSolid();
        if (type == ModelTypeBrick) {
            EXPECT_LT(part->GetSolid()->position().z, lost.z - 1000.0);
        } else {
            EXPECT_EQ(part->GetSolid()->position(), lost);
            EXPECT_EQ(part->GetSolid()->linearVelocity(), physics::Vec3());
            EXPECT_NEAR(part->GetTransform().GetTranslation().z(), lost.z, 1e-3);
        }
    }
}

// Rubber wheels roll on a sphere of their radius, casters slide on one; the
// other wheels roll on a thin disc of their radius (h, half the model's
// height) in their middle plane, across x, and weigh what 16 capsules of
// radius w / 2 (w the model's width) and length 2h - w weigh at density 5.
TEST(PartSolid, WheelsRollOnTheirOwnShapes) {
    physics::PhysicsWorld world;
    struct Case {
        const char* address;
        bool sphere;
        double friction;
    };
    for (const Case& c :
        { Case { "models/wheel/wheel7.ive", true, 1.0 }, Case { "models/wheel/wheel7_r.ive", true, 1.0 },
            Case { "models/wheel/wheel_uni.ive", true, 0.0 },
            Case { "models/wheel/KR-3318.ive", false, 0.001 },
            Case { "models/wheel/wheel_std.ive", false, 1.0 } }) {
        SCOPED_TRACE(c.address);
        const osg::BoundingBox bounds = ModelFileBounds(c.address);
        const double h = (bounds.zMax() - bounds.zMin()) / 2.0;
        const double w = bounds.xMax() - bounds.xMin();
        osg::ref_ptr<CWheel> wheel = new CWheel(elementstest::LibraryContext(), c.address);
        ASSERT_TRUE(wheel->LoadModel());
        EXPECT_EQ(wheel->GetType(), ModelTypeWheel);
        wheel->CreateSolid(&world, 1);
        physics::Solid* solid = wheel->GetSolid();
        ASSERT_NE(solid, nullptr);
        ASSERT_EQ(solid->shapeCount(), 1u);
        const physics::ShapeDesc* shape = solid->shape(0);
        EXPECT_EQ(shape->material.friction, c.friction);
        EXPECT_EQ(shape->material.hardness, 1.0);
        EXPECT_EQ(shape->contactGroup, 1);
        if (c.sphere) {
            EXPECT_NEAR(std::get<physics::SphereShape>(shape->geometry).radius, h, 1e-5);
            continue;
        }
        const auto& disc = std::get<physics::CylinderShape>(shape->geometry);
        EXPECT_NEAR(disc.radius, h, 1e-5);
        EXPECT_LE(disc.length, 0.1);
        ExpectNear(shape->offset.orientation.rotate(physics::Vec3(0, 0, 1)), physics::Vec3(1, 0, 0), 1e-6);
        ExpectNear(shape->offset.position, physics::Vec3(0, 0, 0));
        const double r = w / 2.0;
        const double capsule = M_PI * r * r * (2.0 * h - w) + 4.0 / 3.0 * M_PI * r * r * r;
        EXPECT_NEAR(solid->mass(), 16.0 * 5.0 * capsule, 1e-6 * solid->mass());
    }
}

TEST(PartSolid, TheFloorCarriesItsPictureUnderAFlatTop) {
    physics::PhysicsWorld world;
    osg::ref_ptr<Floor> floor = new Floor(256, 256, "map/default.png", &world, 0);
    physics::Solid* solid = floor->GetSolid();
    ASSERT_NE(solid, nullptr);
    EXPECT_TRUE(solid->isStatic());
    ExpectNear(solid->position(), physics::Vec3(0, 0, -0.5));
    ExpectNear(std::get<physics::BoxShape>(solid->shape(0)->geometry).dimensions, physics::Vec3(512, 512, 1));
    EXPECT_EQ(solid->firstShapeContactGroup(), 0);
    // A ray from above meets the top at 0.
    const physics::RaycastHit hit = world.castRay(physics::Vec3(10, 10, 5), physics::Vec3(0, 0, -1), 10, 0);
    ASSERT_EQ(hit.solid, solid);
    EXPECT_NEAR(hit.point.z, 0.0, 1e-9);

    osg::ref_ptr<osg::Image> first = floor->GetTexture()->getImage();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(floor->GetSolidImage(), first.get());
    // A picture that cannot be read keeps the old one, also for the solid.
    floor->SetImage("map/none.png");
    EXPECT_EQ(floor->GetImageFile(), "map/default.png");
    EXPECT_EQ(floor->GetSolidImage(), first.get());
    // A new picture reaches the solid; the old one lives on for whoever holds it.
    floor->SetImage("images/brick/brick_2x4.png");
    EXPECT_EQ(floor->GetImageFile(), "images/brick/brick_2x4.png");
    EXPECT_NE(floor->GetSolidImage(), first.get());
    EXPECT_EQ(floor->GetSolidImage(), floor->GetTexture()->getImage());
    EXPECT_GT(first->s(), 0);
    floor->SetImage("");
    EXPECT_EQ(floor->GetImageFile(), "images/brick/brick_2x4.png");

    // Without a world: a picture, no solid.
    osg::ref_ptr<Floor> bare = new Floor(10, 10, "map/default.png", nullptr, 0);
    EXPECT_EQ(bare->GetSolid(), nullptr);
    bare->SetImage("images/brick/brick_2x4.png");
    EXPECT_EQ(bare->GetImageFile(), "images/brick/brick_2x4.png");
}

// A run's teardown releases the world and the parts in no fixed order: a
// part, and the floor, that outlive the world find no solid.
TEST(PartSolid, APartOutlivesItsWorld) {
    osg::ref_ptr<CModel> part = LoadPart("models/brick/brick_2x2.ive");
    auto world = std::make_unique<physics::PhysicsWorld>();
    part->CreateSolid(world.get(), 1);
    osg::ref_ptr<Floor> floor = new Floor(10, 10, "map/default.png", world.get(), 0);
    ASSERT_NE(part->GetSolid(), nullptr);
    world.reset();
    EXPECT_EQ(part->GetSolid(), nullptr);
    EXPECT_EQ(part->GetSimulator(), nullptr);
    EXPECT_EQ(floor->GetSolid(), nullptr);
    part->PushPoseToSolid();
    part->UpdateFromSolid();
    floor->SetImage("images/brick/brick_2x4.png");
    part = nullptr;
    floor = nullptr;
}
