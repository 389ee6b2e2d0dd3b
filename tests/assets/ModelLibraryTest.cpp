// The installed model library against its set-up file: every model named
// loads, its collision box fits it, its ports sit on it, and each kind of
// model has what the system's code relies on.

#include "LibraryFixture.h"

#include <osg/Geode>
#include <osg/Group>
#include <osg/Material>
#include <osg/NodeVisitor>
#include <osgDB/ReadFile>
#include <osgParticle/ParticleSystem>

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace assetstest;

namespace {

// Studs may stand this far proud of a part's collision box.
constexpr double kProud = 0.15;
constexpr double kExact = 1e-3;

// Bar kinds of the playground page that build scaled objects, and the model
// types of object groups (slope, trigger, loaded model) that take a scale.
const std::set<int> kScaledBarTypes
    = { 100, 101, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112, 114, 115, 117 };
const std::set<int> kScaledGroupTypes = { 6, 8, 9 };

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

std::string MirroredTwin(const std::string& address) {
    return address.substr(0, address.size() - 4) + "_r.ive";
}

osg::BoundingBox LoadedBounds(const std::string& address) {
    osg::ref_ptr<osg::Node> node = LoadLibraryModel(address);
    return node ? ModelBounds(*node) : osg::BoundingBox();
}

// Every state set below (and including) a node, with its owner's name.
class StateSetCollector : public osg::NodeVisitor {
public:
    StateSetCollector()
        : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN) { }
    void apply(osg::Node& node) override {
        if (node.getStateSet())
            sets.push_back(node.getStateSet());
        traverse(node);
    }
    std::vector<const osg::StateSet*> sets;
};

class ParticleFinder : public osg::NodeVisitor {
public:
    ParticleFinder()
        : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN) { }
    void apply(osg::Drawable& drawable) override {
        if (dynamic_cast<osgParticle::ParticleSystem*>(&drawable))
            ++count;
    }
    int count = 0;
};

class GeodeCollector : public osg::NodeVisitor {
public:
    GeodeCollector()
        : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN) { }
    void apply(osg::Geode& geode) override { geodes.push_back(&geode); }
    std::vector<osg::Geode*> geodes;
};

bool HasMaterial(const osg::StateSet* set) {
    return set && set->getAttribute(osg::StateAttribute::MATERIAL);
}

bool IsVertical(const EntryPoint& p) {
    return p.dir.x() == 0 && p.dir.y() == 0 && p.dir.z() != 0;
}

} // namespace

TEST(ModelLibrary, EveryAddressTheSetUpFileNamesExistsAndLoads) {
    const std::vector<std::string> addresses = NamedAddresses();
    ASSERT_GT(addresses.size(), 40u);
    for (const std::string& address : addresses) {
        SCOPED_TRACE(address);
        ASSERT_TRUE(std::filesystem::is_regular_file(ProgramDir() / address));
        osg::ref_ptr<osg::Node> node = LoadLibraryModel(address);
        ASSERT_TRUE(node.valid());
        const osg::BoundingBox bounds = ModelBounds(*node);
        ASSERT_TRUE(bounds.valid());
        EXPECT_GT(bounds.xMax() - bounds.xMin(), 0.0f);
        EXPECT_GT(bounds.yMax() - bounds.yMin(), 0.0f);
        EXPECT_GT(bounds.zMax() - bounds.zMin(), 0.0f);
        // Everything the system places needs a description entry, even an empty one.
        EXPECT_NE(SetUpEntry(address), nullptr);
    }
}

TEST(ModelLibrary, EveryBarButtonHasItsPicture) {
    const std::vector<BarButton> buttons = BarButtons();
    ASSERT_FALSE(buttons.empty());
    for (const BarButton& b : buttons) {
        SCOPED_TRACE(b.bar + " " + b.address);
        ASSERT_FALSE(b.image.empty());
        osg::ref_ptr<osg::Image> picture = osgDB::readRefImageFile((ProgramDir() / b.image).string());
        ASSERT_TRUE(picture.valid());
        EXPECT_EQ(picture->s(), 60);
        EXPECT_EQ(picture->t(), 60);
        // The preview popup finds the model from the picture's path
        // ("images/X.png" shows "models/X.ive").
        const std::string named = b.image.substr(7, b.image.size() - 11);
        EXPECT_EQ("models/" + named + ".ive", b.address);
    }
}

TEST(ModelLibrary, CollisionBoxesFitTheirModels) {
    int checked = 0;
    for (const TiXmlElement* entry : Elements(Find(SetUpData(), "set_up"), "obj")) {
        const std::vector<EntryBox> boxes = EntryBoxes(entry);
        if (boxes.empty())
            continue;
        const std::string address = entry->Attribute("address");
        SCOPED_TRACE(address);
        // One box per model: the physics solid takes only one.
        ASSERT_EQ(boxes.size(), 1u);
        const EntryBox& box = boxes.front();
        const osg::Vec3d half(box.p[0].x(), box.p[1].y(), box.p[2].z());
        // Half-axes along x, y and z, in that order.
        EXPECT_GT(half.x(), 0);
        EXPECT_GT(half.y(), 0);
        EXPECT_GT(half.z(), 0);
        EXPECT_EQ(box.p[0].y(), 0);
        EXPECT_EQ(box.p[0].z(), 0);
        EXPECT_EQ(box.p[1].x(), 0);
        EXPECT_EQ(box.p[1].z(), 0);
        EXPECT_EQ(box.p[2].x(), 0);
        EXPECT_EQ(box.p[2].y(), 0);

        const osg::BoundingBox model = LoadedBounds(address);
        ASSERT_TRUE(model.valid());
        for (int a = 0; a < 3; ++a) {
            const double boxMin = box.centre[a] - half[a], boxMax = box.centre[a] + half[a];
            EXPECT_NEAR(model._min[a], boxMin, kExact) << "axis " << a;
            EXPECT_GE(model._max[a], boxMax - kExact) << "axis " << a;
            EXPECT_LE(model._max[a], boxMax + kProud) << "axis " << a;
        }
        ++checked;
    }
    EXPECT_GT(checked, 20);
}

TEST(ModelLibrary, PortsSitOnTheirModelsBounds) {
    int checked = 0;
    for (const TiXmlElement* entry : Elements(Find(SetUpData(), "set_up"), "obj")) {
        const std::vector<EntryPoint> points = EntryPoints(entry);
        if (points.empty())
            continue;
        const std::string address = entry->Attribute("address");
        SCOPED_TRACE(address);
        const osg::BoundingBox model = LoadedBounds(address);
        ASSERT_TRUE(model.valid());
        for (const EntryPoint& p : points) {
            SCOPED_TRACE(::testing::Message()
                << "port at " << p.position.x() << " " << p.position.y() << " " << p.position.z());
            EXPECT_TRUE(p.male == 0 || p.male == 1);
            EXPECT_TRUE(p.kind >= 0 && p.kind < 5);
            EXPECT_GT(p.range, 0);
            EXPECT_GE(p.gridX, 1);
            EXPECT_LE(p.gridX, 32);
            EXPECT_GE(p.gridY, 1);
            EXPECT_LE(p.gridY, 32);
            ASSERT_GT(p.dir.length2(), 0);
            ASSERT_GT(p.dir2.length2(), 0);
            // The second direction lays out the grid: it must be square to the first.
            EXPECT_NEAR(p.dir * p.dir2, 0.0, 1e-9);

            double nearest = 1e9;
            for (int a = 0; a < 3; ++a) {
                EXPECT_GE(p.position[a], model._min[a] - kProud) << "axis " << a;
                EXPECT_LE(p.position[a], model._max[a] + kProud) << "axis " << a;
                nearest = std::min({ nearest, std::abs(p.position[a] - model._min[a]),
                    std::abs(p.position[a] - model._max[a]) });
            }
            EXPECT_LE(nearest, kProud);

            // The grid's cells (2 units each) stay on the face.
            osg::Vec3d dir = p.dir, dir2 = p.dir2;
            dir.normalize();
            dir2.normalize();
            const osg::Vec3d across = dir2 ^ dir;
            for (int sx : { -1, 1 }) {
                for (int sy : { -1, 1 }) {
                    const osg::Vec3d corner = p.position + across * (sx * p.gridX) + dir2 * (sy * p.gridY);
                    for (int a = 0; a < 3; ++a) {
                        EXPECT_GE(corner[a], model._min[a] - kExact) << "axis " << a;
                        EXPECT_LE(corner[a], model._max[a] + kExact) << "axis " << a;
                    }
                }
            }
        }
        ++checked;
    }
    EXPECT_GT(checked, 20);
}

TEST(ModelLibrary, RobotPartsHavePortsToJoinBy) {
    std::vector<BarButton> parts;
    for (const BarButton& b : BarButtons()) {
        if (b.bar == "brick" || b.bar == "wheel" || b.bar == "sensor")
            parts.push_back(b);
    }
    for (const TiXmlElement* studio : Elements(Find(SetUpData(), "program")))
        parts.push_back({ "rcu", studio->Attribute("rcu") ? studio->Attribute("rcu") : "", "", 0 });
    ASSERT_GT(parts.size(), 20u);

    std::vector<double> hubRanges, shaftRanges;
    for (const BarButton& part : parts) {
        SCOPED_TRACE(part.address);
        const std::vector<EntryPoint> points = EntryPoints(SetUpEntry(part.address));
        const osg::BoundingBox model = LoadedBounds(part.address);
        ASSERT_TRUE(model.valid());
        bool vertical = false;
        int hubs = 0, shafts = 0;
        std::set<std::pair<long, long>> gridParities;
        for (const EntryPoint& p : points) {
            vertical = vertical || (IsVertical(p) && p.kind == 3);
            if (IsVertical(p)) {
                // The grid snaps a corner of the largest vertical grid to an
                // even coordinate; the part's other grids land on the same
                // lattice only when their corners have the same parity.
                const double cornerX = p.position.x() + p.gridX, cornerY = p.position.y() + p.gridY;
                EXPECT_EQ(cornerX, std::round(cornerX));
                EXPECT_EQ(cornerY, std::round(cornerY));
                gridParities.insert({ std::lround(cornerX) & 1, std::lround(cornerY) & 1 });
            }
            const bool alongX = p.dir.y() == 0 && p.dir.z() == 0 && p.dir.x() != 0;
            if (p.kind == 1 && alongX && !p.male) {
                // A hub on a face, pointing into the wheel.
                EXPECT_NEAR(p.position.x(), p.dir.x() < 0 ? model.xMax() : model.xMin(), kExact);
                ++hubs;
                hubRanges.push_back(p.range);
            }
            if (p.kind == 1 && alongX && p.male) {
                // The shaft's tip, pointing along the motor's axis, -x.
                EXPECT_LT(p.dir.x(), 0);
                EXPECT_NEAR(p.position.x(), model.xMin(), kExact);
                ++shafts;
                shaftRanges.push_back(p.range);
            }
        }
        if (part.type == 2 && !Contains(part.address, "wheel_uni")) {
            EXPECT_EQ(hubs, 2); // one on each face
        } else {
            // Grid placement needs a port pointing up or down.
            EXPECT_TRUE(vertical);
        }
        if (part.type == 3) {
            EXPECT_EQ(shafts, 1);
        }
        EXPECT_LE(gridParities.size(), 1u);
    }
    ASSERT_FALSE(hubRanges.empty());
    ASSERT_FALSE(shaftRanges.empty());
    // A shaft (male) fits a hub (female) only when its range is not larger.
    EXPECT_LE(*std::max_element(shaftRanges.begin(), shaftRanges.end()),
        *std::min_element(hubRanges.begin(), hubRanges.end()));
}

TEST(ModelLibrary, DrivenWheelsReachBelowTheirMotor) {
    // A wheel on a motor's shaft must touch the ground before the motor does.
    std::vector<std::string> motors, wheels;
    for (const BarButton& b : BarButtons()) {
        if (b.type == 3)
            motors.push_back(b.address);
        if (b.type == 2 && !Contains(b.address, "wheel_uni"))
            wheels.push_back(b.address);
    }
    ASSERT_FALSE(motors.empty());
    ASSERT_FALSE(wheels.empty());
    for (const std::string& motor : motors) {
        const osg::BoundingBox body = LoadedBounds(motor);
        for (const EntryPoint& p : EntryPoints(SetUpEntry(motor))) {
            if (p.kind != 1 || !p.male)
                continue;
            for (const std::string& wheel : wheels) {
                const osg::BoundingBox w = LoadedBounds(wheel);
                EXPECT_GT(w.zMax(), p.position.z() - body.zMin() + 0.5) << motor << " with " << wheel;
            }
        }
    }
}

TEST(ModelLibrary, ScaledModelsHaveNoBoxesOrPorts) {
    // Boxes and ports are not scaled with the object, so scaled objects use
    // their triangles and bounds instead.
    std::vector<std::string> scaled;
    for (const BarButton& b : BarButtons()) {
        if (kScaledBarTypes.count(b.type))
            scaled.push_back(b.address);
    }
    for (const auto& [address, type] : GroupObjects()) {
        if (kScaledGroupTypes.count(type))
            scaled.push_back(address);
    }
    ASSERT_GT(scaled.size(), 10u);
    for (const std::string& address : scaled) {
        SCOPED_TRACE(address);
        const TiXmlElement* entry = SetUpEntry(address);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->FirstChildElement(), nullptr);
    }
}

TEST(ModelLibrary, WheelsTurnAboutTheirXAxis) {
    std::vector<std::string> wheels;
    for (const BarButton& b : BarButtons()) {
        if (b.type == 2) {
            wheels.push_back(b.address);
            if (Contains(b.address, "wheel7"))
                wheels.push_back(MirroredTwin(b.address));
        }
    }
    ASSERT_GE(wheels.size(), 5u);
    for (const std::string& address : wheels) {
        SCOPED_TRACE(address);
        const osg::BoundingBox b = LoadedBounds(address);
        ASSERT_TRUE(b.valid());
        // The rolling shapes are made about the origin from these bounds:
        // radius half the height, width the x extent. The caster rolls on a
        // ball of half its height whatever its width.
        EXPECT_NEAR(b.center().length(), 0.0, kExact);
        if (!Contains(address, "wheel_uni")) {
            EXPECT_NEAR(b.yMax() - b.yMin(), b.zMax() - b.zMin(), kExact);
            EXPECT_LT(b.xMax() - b.xMin(), b.zMax() - b.zMin());
        }
    }
}

TEST(ModelLibrary, MirroredWheelIsTheMirrorImage) {
    int pairs = 0;
    for (const BarButton& b : BarButtons()) {
        if (b.type != 2 || !Contains(b.address, "wheel7"))
            continue;
        SCOPED_TRACE(b.address);
        osg::ref_ptr<osg::Node> wheel = LoadLibraryModel(b.address);
        osg::ref_ptr<osg::Node> twin = LoadLibraryModel(MirroredTwin(b.address));
        ASSERT_TRUE(wheel.valid());
        ASSERT_TRUE(twin.valid());
        GeodeCollector a, m;
        wheel->accept(a);
        twin->accept(m);
        ASSERT_EQ(a.geodes.size(), m.geodes.size());
        bool anyOffCentre = false;
        for (size_t i = 0; i < a.geodes.size(); ++i) {
            const osg::BoundingBox ba = ModelBounds(*a.geodes[i]), bm = ModelBounds(*m.geodes[i]);
            EXPECT_NEAR(bm.xMin(), -ba.xMax(), kExact);
            EXPECT_NEAR(bm.xMax(), -ba.xMin(), kExact);
            EXPECT_NEAR(bm.yMin(), ba.yMin(), kExact);
            EXPECT_NEAR(bm.zMax(), ba.zMax(), kExact);
            anyOffCentre = anyOffCentre || std::abs(ba.center().x()) > 0.1;
        }
        // A symmetric wheel would need no twin.
        EXPECT_TRUE(anyOffCentre);
        ++pairs;
    }
    EXPECT_GE(pairs, 1);
}

TEST(ModelLibrary, PlaygroundObjectsAreCentredOnTheirOrigin) {
    std::vector<std::string> objects;
    for (const BarButton& b : BarButtons()) {
        if (b.bar == "dynamic" || b.bar == "trigger" || b.bar == "static")
            objects.push_back(b.address);
    }
    for (const auto& [address, type] : GroupObjects())
        objects.push_back(address);
    ASSERT_GT(objects.size(), 15u);
    int balls = 0;
    for (const std::string& address : objects) {
        SCOPED_TRACE(address);
        const osg::BoundingBox b = LoadedBounds(address);
        ASSERT_TRUE(b.valid());
        // Spheres and boxes of the bounds are made about the origin.
        EXPECT_NEAR(b.center().length(), 0.0, kExact);
        if (Contains(address, "ball")) {
            // Becomes a sphere of half its height.
            EXPECT_NEAR(b.xMax() - b.xMin(), b.zMax() - b.zMin(), kExact);
            EXPECT_NEAR(b.yMax() - b.yMin(), b.zMax() - b.zMin(), kExact);
            ++balls;
        }
    }
    EXPECT_GE(balls, 2); // "ball" and the light "tball"
}

TEST(ModelLibrary, RescueFiguresCarryTheNamesTheRescueZoneMatches) {
    std::set<std::string> found;
    for (const BarButton& b : BarButtons()) {
        for (const char* name : { "astronaut.", "astronaut_red", "astronaut_yellow", "astronaut_blue" }) {
            if (Contains(b.address, name) && (b.type == 113 || b.type == 116))
                found.insert(name);
        }
    }
    EXPECT_EQ(found.size(), 4u);
}

TEST(ModelLibrary, CandleFlameBurnsAboveTheCandle) {
    osg::ref_ptr<osg::Node> fire = LoadLibraryModel("models/effects/fire.osg");
    ASSERT_TRUE(fire.valid());
    ParticleFinder particles;
    fire->accept(particles);
    EXPECT_EQ(particles.count, 1);
    const osg::BoundingBox flame = ModelBounds(*fire);
    ASSERT_TRUE(flame.valid());
    // The flame's solid is a box of these bounds: compact, about its origin.
    EXPECT_NEAR(flame.center().length(), 0.0, kExact);
    EXPECT_LE(flame.xMax() - flame.xMin(), 2.0 + kExact);
    EXPECT_LE(flame.yMax() - flame.yMin(), 2.0 + kExact);
    EXPECT_LE(flame.zMax() - flame.zMin(), 4.0 + kExact);

    int candles = 0;
    for (const BarButton& b : BarButtons()) {
        if (b.type != 102)
            continue;
        SCOPED_TRACE(b.address);
        const osg::BoundingBox candle = LoadedBounds(b.address);
        ASSERT_TRUE(candle.valid());
        // The flame stands 6 above the candle's origin; the candle must not
        // reach into it or it would hide the flame from every sensor.
        EXPECT_LT(candle.zMax(), 6.0 + flame.zMin());
        ++candles;
    }
    EXPECT_GE(candles, 1);
}

TEST(ModelLibrary, ColouredLightHasItsLampWhereTheLightLooks) {
    int lights = 0;
    for (const BarButton& b : BarButtons()) {
        if (b.type != 20)
            continue;
        SCOPED_TRACE(b.address);
        osg::ref_ptr<osg::Node> root = LoadLibraryModel(b.address);
        ASSERT_TRUE(root.valid());
        // File root, its first child, the child named "CColoredLight...",
        // that node's first child (a geode), its first drawable.
        ASSERT_TRUE(root->asGroup() && root->asGroup()->getNumChildren() > 0);
        osg::Group* body = root->asGroup()->getChild(0)->asGroup();
        ASSERT_NE(body, nullptr);
        osg::Group* lampNode = nullptr;
        for (unsigned i = 0; i < body->getNumChildren() && !lampNode; ++i) {
            if (body->getChild(i)->getName().find("CColoredLight") != std::string::npos)
                lampNode = body->getChild(i)->asGroup();
        }
        ASSERT_NE(lampNode, nullptr);
        ASSERT_GT(lampNode->getNumChildren(), 0u);
        osg::Geode* geode = lampNode->getChild(0)->asGeode();
        ASSERT_NE(geode, nullptr);
        ASSERT_GT(geode->getNumDrawables(), 0u);
        // The lamp's own look, which colour 0 restores.
        EXPECT_TRUE(HasMaterial(geode->getDrawable(0)->getStateSet()));
        ++lights;
    }
    EXPECT_GE(lights, 1);
}

TEST(ModelLibrary, BricksTakeTheirColourFromTheRootNode) {
    int bricks = 0;
    for (const BarButton& b : BarButtons()) {
        if (b.bar != "brick")
            continue;
        SCOPED_TRACE(b.address);
        osg::ref_ptr<osg::Node> root = LoadLibraryModel(b.address);
        ASSERT_TRUE(root.valid());
        EXPECT_TRUE(HasMaterial(root->getStateSet()));
        // Nothing below may hide the colour put on the root.
        StateSetCollector below;
        root->asGroup()->getChild(0)->accept(below);
        for (const osg::StateSet* set : below.sets)
            EXPECT_FALSE(HasMaterial(set));
        ++bricks;
    }
    EXPECT_GE(bricks, 3);
}

TEST(ModelLibrary, SensorEffectBeamsRunAlongY) {
    for (const auto& [address, length] :
        { std::pair<std::string, double> { "models/effects/e_ray.ive", 100.0 },
            std::pair<std::string, double> { "models/effects/e_ranging.ive", 500.0 } }) {
        SCOPED_TRACE(address);
        osg::ref_ptr<osg::Node> beam = LoadLibraryModel(address);
        ASSERT_TRUE(beam.valid());
        const osg::BoundingBox b = ModelBounds(*beam);
        EXPECT_NEAR(b.yMin(), 0.0, kExact);
        EXPECT_NEAR(b.yMax(), length, kExact);
        EXPECT_LT(b.xMax() - b.xMin(), length / 100);
        EXPECT_LT(b.zMax() - b.zMin(), length / 100);
        // The sensor colours the beam from its parent: no material of its own.
        StateSetCollector sets;
        beam->accept(sets);
        for (const osg::StateSet* set : sets.sets)
            EXPECT_FALSE(HasMaterial(set));
    }
}

TEST(ModelLibrary, DefaultGroundIsALightMatWithoutLines) {
    osg::ref_ptr<osg::Image> ground = osgDB::readRefImageFile((ProgramDir() / "map/default.png").string());
    ASSERT_TRUE(ground.valid());
    ASSERT_EQ(ground->s(), 512);
    ASSERT_EQ(ground->t(), 512);
    // Path zones take r + g + b < 2.5 for the line, line sensors < 1.
    float darkest = 3.0f;
    for (int y = 0; y < ground->t(); ++y) {
        for (int x = 0; x < ground->s(); ++x) {
            const osg::Vec4 c = ground->getColor(x, y);
            darkest = std::min(darkest, c.r() + c.g() + c.b());
        }
    }
    EXPECT_GT(darkest, 2.5f);
}
