#include "RobotFixture.h"

#include "elements/CAlarm.h"
#include "elements/CCandle.h"
#include "physics/Solid.h"
#include "scene/SolidUserData.h"
#include "simulation/CSensor.h"
#include "simulation/RangingCSensor.h"
#include "simulation/RaySensor.h"
#include "simulation/RobotPartFactory.h"

#include <gtest/gtest.h>

#include <osg/Image>
#include <osg/Material>

#include <cmath>
#include <functional>

using namespace robotstest;

namespace {

// A sensor part standing on the floor at (x, y) turned by heading, held in
// place (a static solid) with its probe made, as a robot holds its sensors.
osg::ref_ptr<CSensor> PlaceSensor(SimulationWorld& sim, int kind, const char* model, double x, double y,
    double heading = 0.0, double z = 0.0) {
    osg::ref_ptr<CSensor> sensor
        = MakeSensor(kind, Parts(), std::string("models/sensor/") + model + ".ive", false);
    EXPECT_TRUE(sensor && sensor->LoadModel()) << model;
    sensor->SetTransform(scene::Transform(x, y, z, heading));
    sensor->CreateSolid(sim.world.get(), 1);
    sensor->PushPoseToSolid();
    sensor->GetSolid()->setStatic(true);
    sensor->CreateProbe();
    return sensor;
}

std::string Read(CSensor& sensor) {
    std::string reading;
    sensor.GetValue(reading);
    return reading;
}

// A static box of the given size whose centre is at (x, y, z), in group.
physics::Solid* Block(SimulationWorld& sim, double x, double y, double z, int group,
    const physics::Vec3& size = { 4.0, 4.0, 4.0 }) {
    physics::Solid* solid = sim.world->createSolid();
    physics::ShapeDesc box = physics::ShapeDesc::box(size);
    box.contactGroup = group;
    solid->addShape(box);
    solid->setPosition({ x, y, z });
    solid->setStatic(true);
    return solid;
}

// A picture for the floor, each pixel's red, green and blue from colour(s, t).
osg::ref_ptr<osg::Image> Picture(
    int width, int height, const std::function<osg::Vec3i(int s, int t)>& colour) {
    osg::ref_ptr<osg::Image> image = new osg::Image;
    image->allocateImage(width, height, 1, GL_RGB, GL_UNSIGNED_BYTE);
    for (int t = 0; t < height; ++t) {
        for (int s = 0; s < width; ++s) {
            unsigned char* p = image->data(unsigned(s), unsigned(t));
            const osg::Vec3i c = colour(s, t);
            p[0] = static_cast<unsigned char>(c.x());
            p[1] = static_cast<unsigned char>(c.y());
            p[2] = static_cast<unsigned char>(c.z());
        }
    }
    return image;
}

void ShowOnFloor(SimulationWorld& sim, const osg::ref_ptr<osg::Image>& picture) {
    sim.floor->GetSolid()->setUserData(scene::kGroundPicture, picture);
}

osg::Vec3i Grey(int c) {
    return { c, c, c };
}

} // namespace

TEST(Sensors, TheRaySensorSeesWhatLiesWithin100AndItsBeamShowsIt) {
    SimulationWorld sim;
    osg::ref_ptr<CSensor> ray = PlaceSensor(sim, SensorKindRay, "ray", 0.0, 0.0);
    RaySensor& beam = static_cast<RaySensor&>(*ray);
    // Before any reading the beam is as long as the ray's range.
    EXPECT_EQ(beam.GetRayLen(), 100.0f);
    ray->SetScene(sim.scene.get(), false);
    ASSERT_NE(beam.GetEffect(), nullptr);
    EXPECT_FALSE(beam.GetEffect()->GetActive());

    // A wall whose near face is 40 ahead of the ray's start.
    physics::Solid* wall = Block(sim, 0.0, 41.0, 5.0, 0, { 20.0, 2.0, 10.0 });
    EXPECT_EQ(Read(*ray), "1*");
    EXPECT_NEAR(beam.GetRayLen(), 40.0f, 1e-4);
    ray->ShowEffect(true);
    ray->UpdateEffect();
    EXPECT_NEAR(beam.GetEffect()->GetScale().y(), 0.4f, 1e-5);
    const osg::Material* material = dynamic_cast<const osg::Material*>(
        beam.GetEffect()->GetOSGNode()->getStateSet()->getAttribute(osg::StateAttribute::MATERIAL));
    ASSERT_NE(material, nullptr);
    EXPECT_EQ(material->getDiffuse(osg::Material::FRONT), osg::Vec4(0.8f, 0.0f, 0.0f, 0.3f));

    wall->setPosition({ 0.0, 100.5, 5.0 });
    EXPECT_EQ(Read(*ray), "1*");
    wall->setPosition({ 0.0, 101.5, 5.0 });
    EXPECT_EQ(Read(*ray), "0*");
    ray->UpdateEffect();
    EXPECT_EQ(material->getDiffuse(osg::Material::FRONT), osg::Vec4(0.0f, 1.0f, 0.0f, 0.3f));
}

TEST(Sensors, TheRangingSensorReadsTheDistanceInWholeUnits) {
    SimulationWorld sim;
    osg::ref_ptr<CSensor> ranging = PlaceSensor(sim, SensorKindRanging, "ranging", 0.0, 0.0);
    EXPECT_EQ(static_cast<RaySensor&>(*ranging).GetRayLen(), 500.0f);
    EXPECT_EQ(Read(*ranging), "500*");
    physics::Solid* wall = Block(sim, 0.0, 38.6, 5.0, 0, { 20.0, 2.0, 10.0 });
    EXPECT_EQ(Read(*ranging), "37*");
    wall->setPosition({ 0.0, 1.5, 5.0 });
    EXPECT_EQ(Read(*ranging), "0*");
    // Robots' parts (group 1) are not seen by rays of their own group.
    wall->setPosition({ 0.0, 600.0, 5.0 });
    Block(sim, 0.0, 21.0, 5.0, 1, { 20.0, 2.0, 10.0 });
    EXPECT_EQ(Read(*ranging), "500*");
}

TEST(Sensors, TheGreySensorReadsTheGroundPictureUnderIt) {
    SimulationWorld sim;
    osg::ref_ptr<CSensor> grey = PlaceSensor(sim, SensorKindGrey, "grey", -0.5, -0.5);
    // A world point (x, y) is the pixel (truncate(x) + 256, truncate(y) + 256)
    // of a 512 x 512 picture: (-0.5, -0.5) is pixel (256, 256), not (255, 255).
    ShowOnFloor(sim, Picture(512, 512, [](int s, int t) { return Grey(s == 256 && t == 256 ? 255 : 0); }));
    EXPECT_EQ(Read(*grey), "255*");
    ShowOnFloor(sim, Picture(512, 512, [](int s, int t) { return Grey(s == 256 && t == 256 ? 0 : 255); }));
    EXPECT_EQ(Read(*grey), "0*");
    // Every grey reads its own level; colours by their weighted gamma mean.
    for (int c : { 0, 1, 127, 128, 200, 254, 255 }) {
        ShowOnFloor(sim, Picture(512, 512, [c](int, int) { return Grey(c); }));
        EXPECT_EQ(Read(*grey), std::to_string(c) + "*");
    }
    ShowOnFloor(sim, Picture(512, 512, [](int, int) { return osg::Vec3i(255, 0, 0); }));
    EXPECT_EQ(Read(*grey), "146*");
    ShowOnFloor(sim, Picture(512, 512, [](int, int) { return osg::Vec3i(10, 200, 30); }));
    EXPECT_EQ(Read(*grey), "161*");

    // Off the picture there is no picture: a smaller picture than the
    // ground, or the ground's edge itself.
    ShowOnFloor(sim, Picture(256, 256, [](int, int) { return Grey(255); }));
    osg::ref_ptr<CSensor> farOut = PlaceSensor(sim, SensorKindGrey, "grey", 200.0, 10.0);
    EXPECT_EQ(Read(*farOut), "0*");
    osg::ref_ptr<CSensor> justOut = PlaceSensor(sim, SensorKindGrey, "grey", 128.5, 127.5);
    EXPECT_EQ(Read(*justOut), "0*");
    EXPECT_EQ(Read(*grey), "255*");
    // A larger ground with a larger picture is read within -256 < x, y < 256
    // only.
    physics::Solid* large = Block(sim, 0.0, 0.0, -0.4, 0, { 1200.0, 1200.0, 1.0 });
    large->setUserData(scene::kGroundPicture, Picture(1024, 1024, [](int, int) { return Grey(255); }));
    osg::ref_ptr<CSensor> edge = PlaceSensor(sim, SensorKindGrey, "grey", 256.5, 10.0);
    EXPECT_EQ(Read(*edge), "0*");
    osg::ref_ptr<CSensor> onEdge = PlaceSensor(sim, SensorKindGrey, "grey", 256.0, -256.0);
    EXPECT_EQ(Read(*onEdge), "0*") << "x = 256 and y = -256 exactly are outside";
    osg::ref_ptr<CSensor> onEdgeX = PlaceSensor(sim, SensorKindGrey, "grey", 256.0, 10.0);
    EXPECT_EQ(Read(*onEdgeX), "0*") << "x = 256 exactly is outside";
    osg::ref_ptr<CSensor> inside = PlaceSensor(sim, SensorKindGrey, "grey", 255.5, 10.0);
    EXPECT_EQ(Read(*inside), "255*");
    sim.world->destroySolid(large);
    // Nothing below within 50: 0; the ground 40 below is still seen.
    osg::ref_ptr<CSensor> high = PlaceSensor(sim, SensorKindGrey, "grey", 20.0, 20.0, 0.0, 60.0);
    EXPECT_EQ(Read(*high), "0*");
    osg::ref_ptr<CSensor> raised = PlaceSensor(sim, SensorKindGrey, "grey", 20.0, 20.0, 0.0, 40.0);
    EXPECT_EQ(Read(*raised), "255*");
}

TEST(Sensors, TheLineSensorFlagsDarkPixelsUnderItsEightRays) {
    SimulationWorld sim;
    // Rays at x -7, -4, -2, 0, 2, 4, 7 one unit ahead, and at x 0 one behind:
    // from (0.5, 0.5) the pixels (250, 257), (253, 257), (255, 257), (256,
    // 257), (258, 257), (260, 257), (263, 257) and (256, 256), truncated
    // towards 0.
    osg::ref_ptr<CSensor> trace = PlaceSensor(sim, SensorKindTrace, "trace", 0.5, 0.5);
    const osg::Vec2i pixels[8] = { { 250, 257 }, { 253, 257 }, { 255, 257 }, { 256, 257 }, { 258, 257 },
        { 260, 257 }, { 263, 257 }, { 256, 256 } };
    for (int ray = 0; ray < 8; ++ray) {
        const osg::Vec2i dark = pixels[ray];
        ShowOnFloor(sim,
            Picture(512, 512, [dark](int s, int t) { return Grey(osg::Vec2i(s, t) == dark ? 0 : 255); }));
        std::string expected;
        for (int field = 0; field < 8; ++field)
            expected += field == ray ? "1*" : "0*";
        EXPECT_EQ(Read(*trace), expected) << "dark under ray " << ray + 1;
    }
    // Dark is red + green + blue below one full channel.
    ShowOnFloor(sim, Picture(512, 512, [](int s, int t) { return Grey(s == 256 && t == 256 ? 84 : 85); }));
    EXPECT_EQ(Read(*trace), "0*0*0*0*0*0*0*1*");
    // No picture, or nothing under the rays: no line.
    sim.floor->GetSolid()->clearUserData(scene::kGroundPicture);
    EXPECT_EQ(Read(*trace), "0*0*0*0*0*0*0*0*");
}

TEST(Sensors, TheCompassReadsTheHeadingClockwise) {
    SimulationWorld sim;
    const std::pair<double, const char*> headings[] = { { 0.0, "0*" }, { 90.0, "270*" }, { -90.0, "90*" },
        { 180.0, "180*" }, { 30.5, "330*" }, { -30.5, "30*" } };
    for (const auto& [heading, reading] : headings) {
        osg::ref_ptr<CSensor> compass = PlaceSensor(sim, SensorKindCompass, "compass", 0.0, 0.0, heading);
        EXPECT_EQ(Read(*compass), reading) << heading;
    }
}

TEST(Sensors, TheTouchSensorReadsAGroundTouchOnce) {
    SimulationWorld sim;
    osg::ref_ptr<CSensor> touch = PlaceSensor(sim, SensorKindTouch, "touch", 0.0, 0.0, 0.0, 0.5);
    touch->GetSolid()->setStatic(false);
    EXPECT_EQ(Read(*touch), "0*");
    sim.Frames(1);
    EXPECT_EQ(Read(*touch), "1*");
    EXPECT_EQ(Read(*touch), "0*");

    // Lying on an alarm (group 7) is no touch: only the ground's group
    // counts.
    Block(sim, 50.0, 0.0, 2.0, 7);
    osg::ref_ptr<CSensor> onAlarm = PlaceSensor(sim, SensorKindTouch, "touch", 50.0, 0.0, 0.0, 4.2);
    onAlarm->GetSolid()->setStatic(false);
    sim.Frames(2);
    EXPECT_NEAR(onAlarm->GetSolid()->position().z, 4.0, 0.1);
    EXPECT_EQ(Read(*onAlarm), "0*");
}

TEST(Sensors, TheFlameSensorsSeeFlamesWithinTheirCones) {
    SimulationWorld sim;
    osg::ref_ptr<CSensor> fire = PlaceSensor(sim, SensorKindFire, "fire", 0.0, 0.0);
    osg::ref_ptr<CSensor> compound = PlaceSensor(sim, SensorKindCompound, "compound", 0.0, 0.0);
    osg::ref_ptr<CSensor> life = PlaceSensor(sim, SensorKindLife, "life", 0.0, 0.0);
    EXPECT_EQ(Read(*fire), "0*");
    // A candle flame (group 2) 100 ahead: 255 - 100.
    physics::Solid* flame = Block(sim, 0.0, 100.0, 0.0, 2, { 2.0, 2.0, 4.0 });
    EXPECT_EQ(Read(*fire), "155*");
    EXPECT_EQ(Read(*compound), "0*0*0*155*0*0*0*");
    EXPECT_EQ(Read(*life), "0*");
    // 29 degrees off the axis is inside the cone, 30 is not.
    auto at = [](double degrees, double distance) {
        const double a = osg::DegreesToRadians(degrees);
        return physics::Vec3(distance * std::sin(a), distance * std::cos(a), 0.0);
    };
    flame->setPosition(at(29.0, 100.0));
    EXPECT_EQ(Read(*fire), "155*");
    flame->setPosition(at(30.0, 100.0));
    EXPECT_EQ(Read(*fire), "0*");
    // 90 degrees left is the compound sensor's first field.
    flame->setPosition(at(-90.0, 100.0));
    EXPECT_EQ(Read(*compound), "155*0*0*0*0*0*0*");
    // At 255 or farther, nothing.
    flame->setPosition(at(0.0, 255.0));
    EXPECT_EQ(Read(*fire), "0*");
    // The floor (the world's first solid) never hides a flame, even one
    // sunk so low that the ray meets the floor first.
    flame->setPosition({ 0.0, 100.0, -3.0 });
    EXPECT_EQ(Read(*fire), std::to_string(int(255.0 - std::hypot(100.0, 3.0))) + "*");

    // A wall of the ground's group hides it.
    flame->setPosition(at(0.0, 100.0));
    physics::Solid* wall = Block(sim, 0.0, 50.0, 5.0, 0, { 20.0, 2.0, 10.0 });
    EXPECT_EQ(Read(*fire), "0*");
    wall->setPosition({ 0.0, -50.0, 5.0 });
    // Of two flames in view the one made later decides, near or far.
    Block(sim, 50.0, 150.0, 0.0, 2, { 2.0, 2.0, 4.0 });
    EXPECT_EQ(Read(*fire), "96*");

    // The life sensor looks for wounded figures and objects to carry.
    Block(sim, 0.0, -100.0, 0.0, 3, { 2.0, 2.0, 4.0 });
    osg::ref_ptr<CSensor> back = PlaceSensor(sim, SensorKindLife, "life", 0.0, 0.0, 180.0);
    EXPECT_EQ(Read(*back), "155*");

    // The world's first solid is never a target, not even a flame; a solid
    // of group 6 is a target for every cone.
    SimulationWorld bare("map/default.png", false);
    Block(bare, 0.0, 100.0, 0.0, 2, { 2.0, 2.0, 4.0 });
    osg::ref_ptr<CSensor> lone = PlaceSensor(bare, SensorKindFire, "fire", 0.0, 0.0);
    osg::ref_ptr<CSensor> seeker = PlaceSensor(bare, SensorKindLife, "life", 0.0, 0.0);
    EXPECT_EQ(Read(*lone), "0*");
    Block(bare, 0.0, 150.0, 0.0, 6, { 2.0, 2.0, 4.0 });
    EXPECT_EQ(Read(*lone), "105*");
    EXPECT_EQ(Read(*seeker), "105*");
    // A flame exactly 255 away is out of reach: it does not take the
    // decision from the target before it.
    Block(bare, 0.0, 255.0, lone->GetSolid()->position().z, 2, { 2.0, 2.0, 4.0 });
    EXPECT_EQ(Read(*lone), "105*");
}

TEST(Sensors, TheSoundSensorHearsTheLastAlarm) {
    SimulationWorld sim;
    osg::ref_ptr<CSensor> volume = PlaceSensor(sim, SensorKindVolume, "volume", 0.0, 0.0);
    EXPECT_EQ(Read(*volume), "0*");
    physics::Solid* alarm = Block(sim, 0.0, -56.0, 0.0, 7);
    EXPECT_EQ(Read(*volume), "200*");
    alarm->setPosition({ 256.0, 0.0, 0.0 });
    EXPECT_EQ(Read(*volume), "0*");
    alarm->setPosition({ 0.0, -56.0, 0.0 });
    Block(sim, 300.0, 0.0, 0.0, 7);
    EXPECT_EQ(Read(*volume), "0*");
}

TEST(Sensors, TheMagnetSensorReadsZeroAndEveryKindReportsItsCode) {
    SimulationWorld sim;
    osg::ref_ptr<CSensor> magnet = PlaceSensor(sim, SensorKindMagnet, "magnet", 0.0, 0.0);
    EXPECT_EQ(Read(*magnet), "0*");
    for (int kind = 0; kind <= 10; ++kind) {
        // Whatever model it is made from.
        osg::ref_ptr<CSensor> sensor = MakeSensor(kind, Parts(), "models/sensor/ray.ive", false);
        ASSERT_NE(sensor, nullptr);
        EXPECT_EQ(sensor->GetSubType(), kind);
        EXPECT_EQ(sensor->GetType(), ModelTypeSensor);
    }
    EXPECT_EQ(MakeSensor(11, Parts(), "models/sensor/ray.ive", false), nullptr);
    // Without a world a sensor that measures through it reads nothing.
    osg::ref_ptr<CSensor> alone = MakeSensor(SensorKindRanging, Parts(), "models/sensor/ranging.ive", false);
    EXPECT_EQ(Read(*alone), "");
}

TEST(Sensors, APlaygroundsLitCandleIsSeenAndItsAlarmHeard) {
    SimulationWorld sim;
    osg::ref_ptr<CSensor> fire = PlaceSensor(sim, SensorKindFire, "fire", 0.0, 0.0);
    osg::ref_ptr<CSensor> volume = PlaceSensor(sim, SensorKindVolume, "volume", 0.0, 0.0);
    // A candle standing 100 away at 20 degrees to the right, lit as the
    // playground lights it: its flame burns 6 above its origin.
    osg::ref_ptr<CCandle> candle = new CCandle(Parts(), "models/playground/candle.ive");
    ASSERT_TRUE(candle->LoadModel());
    const double a = osg::DegreesToRadians(20.0);
    candle->SetTransform(scene::Transform(100.0 * std::sin(a), 100.0 * std::cos(a), 0.0));
    candle->PutBottomAt(candle->GetTransform().GetTranslation());
    candle->CreateSolid(sim.world.get(), 0);
    candle->PushPoseToSolid();
    candle->LightFlame();
    ASSERT_NE(candle->GetFlameSolid(), nullptr);
    const physics::Vec3 flame = candle->GetFlameSolid()->position();
    EXPECT_EQ(Read(*fire), std::to_string(int(255.0f - float(flame.length()))) + "*");
    candle->PutOutFlame();
    EXPECT_EQ(Read(*fire), "0*");

    osg::ref_ptr<CAlarm> alarm = new CAlarm(Parts(), "models/playground/alarm.ive");
    ASSERT_TRUE(alarm->LoadModel());
    alarm->SetTransform(scene::Transform(-30.0, -40.0, 0.0));
    alarm->PutBottomAt(alarm->GetTransform().GetTranslation());
    alarm->CreateSolid(sim.world.get(), 7);
    alarm->PushPoseToSolid();
    const double d = alarm->GetSolid()->position().length();
    EXPECT_EQ(Read(*volume), std::to_string(int(256.0 - d)) + "*");
}

// A robot's parts (group 1) are seen by no sensor: no ray meets them, no cone
// or ear takes them for what it looks for, nothing under a grey or line
// sensor covers the ground. So wherever one robot's step puts its own solids,
// no other robot reads anything different in that frame.
TEST(Sensors, NoSensorSeesARobotsParts) {
    SimulationWorld sim;
    ShowOnFloor(sim, Picture(512, 512, [](int s, int) { return Grey(s < 280 ? 200 : 0); }));
    // Each sensor reads something: a wall 40 ahead, light ground under the
    // grey sensor and a dark line under the line sensor, a flame, a figure
    // and an alarm 100 ahead.
    osg::ref_ptr<CSensor> sensors[] = {
        PlaceSensor(sim, SensorKindRay, "ray", -100.0, 0.0),
        PlaceSensor(sim, SensorKindRanging, "ranging", -60.0, 0.0),
        PlaceSensor(sim, SensorKindGrey, "grey", 0.5, 0.5),
        PlaceSensor(sim, SensorKindTrace, "trace", 40.5, 0.5),
        PlaceSensor(sim, SensorKindFire, "fire", 100.0, 0.0),
        PlaceSensor(sim, SensorKindCompound, "compound", 140.0, 0.0),
        PlaceSensor(sim, SensorKindLife, "life", 180.0, 0.0),
        PlaceSensor(sim, SensorKindVolume, "volume", 220.0, 0.0),
    };
    Block(sim, -100.0, 40.0, 5.0, 0, { 100.0, 2.0, 10.0 });
    Block(sim, 120.0, 100.0, 0.0, 2, { 2.0, 2.0, 4.0 });
    Block(sim, 180.0, 100.0, 0.0, 3, { 2.0, 2.0, 4.0 });
    Block(sim, 220.0, 100.0, 0.0, 7);
    std::vector<std::string> readings;
    for (const osg::ref_ptr<CSensor>& sensor : sensors)
        readings.push_back(Read(*sensor));
    EXPECT_EQ(readings[0], "1*");
    EXPECT_NE(readings[1], "500*");
    EXPECT_EQ(readings[2], "200*");
    EXPECT_EQ(readings[3], "1*1*1*1*1*1*1*1*");
    EXPECT_NE(readings[4], "0*");
    EXPECT_NE(readings[5], "0*0*0*0*0*0*0*");
    EXPECT_NE(readings[6], "0*");
    EXPECT_NE(readings[7], "0*");

    // Robots' parts: a wall right in front of every sensor, between each
    // and what it sees; a plate just over the ground under all of them; a
    // part beside every cone and ear.
    physics::Solid* wall = Block(sim, 60.0, 15.0, 5.0, 1, { 400.0, 2.0, 20.0 });
    Block(sim, 60.0, 0.0, 0.05, 1, { 400.0, 40.0, 0.1 });
    for (double x : { 100.0, 140.0, 180.0, 220.0 })
        Block(sim, x + 10.0, 30.0, 0.0, 1);
    for (std::size_t i = 0; i < std::size(sensors); ++i)
        EXPECT_EQ(Read(*sensors[i]), readings[i]) << "sensor " << i;
    // Moved, as a robot's step moves its parts, they are still not seen.
    wall->setPosition({ 60.0, 25.0, 5.0 });
    for (std::size_t i = 0; i < std::size(sensors); ++i)
        EXPECT_EQ(Read(*sensors[i]), readings[i]) << "sensor " << i;
}
