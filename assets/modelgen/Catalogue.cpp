// The model library as data: sizes, colours, ports, bar buttons and names.
//
// Units and frames, which the set-up entries and the system's code rely on:
// - One grid cell is 2 units. A part's footprint is a whole number of cells,
//   and its stud grid is centred on its origin, so studs sit on odd
//   coordinates once the part is on the build grid.
// - Robot parts stand with their origin at the centre of their bottom face
//   (sensor rays start 1.1 above it); wheels have it at the centre of their
//   axle, which runs along x.
// - Playground objects have their origin at the centre of their bounds: the
//   simulation centres spheres and boxes of their bounds on the origin.
//   Objects that playgrounds scale are 1 unit across, so a scale is a size.
// - Ports: kind 3 is a stud grid, male on a top face, female on a bottom
//   face, both pointing up; kind 1 is a motor shaft (male) meeting a wheel hub
//   (female), both pointing the way the shaft points.

#include "Catalogue.h"

#include <cmath>
#include <numbers>

namespace {

using Bar = BarEntry::Bar;

// ---- colours -------------------------------------------------------------------
const osg::Vec4d kPartBlue(0.0, 0.41, 0.65, 1.0); // the default part colour
const osg::Vec4d kGraphite(0.18, 0.2, 0.23, 1.0);
const osg::Vec4d kDarkGrey(0.3, 0.31, 0.33, 1.0);
const osg::Vec4d kLightGrey(0.82, 0.83, 0.85, 1.0);
const osg::Vec4d kMetal(0.72, 0.72, 0.75, 1.0);
const osg::Vec4d kBlack(0.1, 0.1, 0.11, 1.0);
const osg::Vec4d kWhite(0.93, 0.93, 0.92, 1.0);
const osg::Vec4d kOrange(0.95, 0.55, 0.1, 1.0);
const osg::Vec4d kRed(0.85, 0.12, 0.1, 1.0);
const osg::Vec4d kYellow(0.95, 0.78, 0.12, 1.0);
const osg::Vec4d kBlue(0.15, 0.35, 0.85, 1.0);
const osg::Vec4d kGreen(0.2, 0.75, 0.3, 1.0);
const osg::Vec4d kScreen(0.1, 0.45, 0.5, 1.0);
const osg::Vec4d kRubber(0.2, 0.18, 0.17, 1.0);

// ---- sizes -------------------------------------------------------------------------
constexpr double kCell = 2.0;
constexpr double kBrickHeight = 2.4;
constexpr double kPlateHeight = 0.8;
constexpr double kStudRadius = 0.6;
constexpr double kStudHeight = 0.1;
constexpr double kSensorHeight = 2.2;
constexpr double kWheelRadius = 3.2;

// ---- pieces ------------------------------------------------------------------------
Piece Box(osg::Vec3d centre, osg::Vec3d size, const osg::Vec4d& colour, unsigned flags = Piece::None) {
    Piece p;
    p.shape = Piece::Shape::Box;
    p.centre = centre;
    p.size = size;
    p.colour = colour;
    p.flags = flags;
    return p;
}

Piece Cone(osg::Vec3d centre, int axis, double radius0, double radius1, double length,
    const osg::Vec4d& colour, int segments = 24, unsigned flags = Piece::None) {
    Piece p;
    p.shape = Piece::Shape::Cylinder;
    p.centre = centre;
    p.axis = axis;
    p.radius0 = radius0;
    p.radius1 = radius1;
    p.size = { length, 0, 0 };
    p.colour = colour;
    p.segments = segments;
    p.flags = flags;
    return p;
}

Piece Cylinder(osg::Vec3d centre, int axis, double radius, double length, const osg::Vec4d& colour,
    int segments = 24, unsigned flags = Piece::None) {
    return Cone(centre, axis, radius, radius, length, colour, segments, flags);
}

Piece Ellipsoid(osg::Vec3d centre, osg::Vec3d radii, const osg::Vec4d& colour, int segments = 24) {
    Piece p;
    p.shape = Piece::Shape::Ellipsoid;
    p.centre = centre;
    p.size = radii;
    p.colour = colour;
    p.segments = segments;
    return p;
}

Piece Ball(osg::Vec3d centre, double radius, const osg::Vec4d& colour, int segments = 24) {
    return Ellipsoid(centre, { radius, radius, radius }, colour, segments);
}

Piece Dome(osg::Vec3d centre, double radius, const osg::Vec4d& colour, unsigned flags = Piece::None) {
    Piece p = Ellipsoid(centre, { radius, radius, radius }, colour);
    p.shape = Piece::Shape::Dome;
    p.flags = flags;
    return p;
}

Piece Prism(std::vector<osg::Vec2d> outline, double x0, double x1, const osg::Vec4d& colour) {
    Piece p;
    p.shape = Piece::Shape::Prism;
    p.outline = std::move(outline);
    p.x0 = x0;
    p.x1 = x1;
    p.colour = colour;
    return p;
}

Piece Frustum(osg::Vec3d centre, osg::Vec2d bottom, osg::Vec2d top, double height, const osg::Vec4d& colour) {
    Piece p;
    p.shape = Piece::Shape::Frustum;
    p.centre = centre;
    p.size = { bottom.x(), bottom.y(), height };
    p.top = top;
    p.colour = colour;
    return p;
}

// ---- ports ---------------------------------------------------------------------------
Port Grid(bool male, osg::Vec3d position, int gridX, int gridY) {
    Port p;
    p.male = male;
    p.kind = 3;
    p.position = position;
    p.dir = { 0, 0, 1 };
    p.dir2 = { 0, 1, 0 };
    p.gridX = gridX;
    p.gridY = gridY;
    return p;
}

Port Shaft(bool male, osg::Vec3d position, osg::Vec3d dir) {
    Port p;
    p.male = male;
    p.kind = 1;
    p.position = position;
    p.dir = dir;
    p.dir2 = { 0, 0, 1 };
    return p;
}

// One stud on every cell of every male stud grid, in the given colour.
void AddStuds(ModelSpec& spec, const osg::Vec4d& colour) {
    for (const Port& port : spec.ports) {
        if (!port.male || port.kind != 3)
            continue;
        for (int i = 0; i < port.gridX; ++i) {
            for (int j = 0; j < port.gridY; ++j) {
                const osg::Vec3d cell(port.position.x() + kCell * (i - (port.gridX - 1) / 2.0),
                    port.position.y() + kCell * (j - (port.gridY - 1) / 2.0),
                    port.position.z() + kStudHeight / 2);
                spec.pieces.push_back(Cylinder(cell, 2, kStudRadius, kStudHeight, colour, 16, Piece::Proud));
            }
        }
    }
}

ModelSpec Model(std::string address, std::string zh, std::string en) {
    ModelSpec spec;
    spec.address = std::move(address);
    spec.nameZh = std::move(zh);
    spec.nameEn = std::move(en);
    return spec;
}

// ---- robot parts -----------------------------------------------------------------------

ModelSpec ControlUnit() {
    ModelSpec s = Model("models/rcu/rcu.ive", "控制器", "Control unit");
    s.pieces = {
        Box({ 0, 0, 1.6 }, { 8, 12, 3.2 }, kGraphite),
        Box({ 0, 6.025, 2.0 }, { 4.8, 0.05, 1.6 }, kScreen),
        Box({ -1.2, 6.025, 0.55 }, { 0.8, 0.05, 0.4 }, kOrange),
        Box({ 1.2, 6.025, 0.55 }, { 0.8, 0.05, 0.4 }, kGreen),
        Box({ -4.025, 0, 2.75 }, { 0.05, 10, 0.3 }, kOrange),
        Box({ 4.025, 0, 2.75 }, { 0.05, 10, 0.3 }, kOrange),
    };
    s.ports = { Grid(true, { 0, 0, 3.2 }, 4, 6), Grid(false, { 0, 0, 0 }, 4, 6) };
    AddStuds(s, kGraphite);
    return s;
}

struct BrickRow {
    const char* stem;
    int gridX, gridY;
    double height;
    const char* zh;
    const char* en;
};

const BrickRow kBricks[] = {
    { "brick_1x2", 1, 2, kBrickHeight, "积木 1x2", "Brick 1x2" },
    { "brick_2x2", 2, 2, kBrickHeight, "积木 2x2", "Brick 2x2" },
    { "brick_2x4", 2, 4, kBrickHeight, "积木 2x4", "Brick 2x4" },
    { "beam_1x8", 1, 8, kBrickHeight, "长梁 1x8", "Beam 1x8" },
    { "plate_2x4", 2, 4, kPlateHeight, "薄板 2x4", "Plate 2x4" },
    { "plate_4x8", 4, 8, kPlateHeight, "底板 4x8", "Base plate 4x8" },
};

ModelSpec Brick(const BrickRow& row) {
    ModelSpec s = Model(std::string("models/brick/") + row.stem + ".ive", row.zh, row.en);
    s.layout = Layout::Brick;
    s.pieces
        = { Box({ 0, 0, row.height / 2 }, { kCell * row.gridX, kCell * row.gridY, row.height }, kPartBlue) };
    s.ports = { Grid(true, { 0, 0, row.height }, row.gridX, row.gridY),
        Grid(false, { 0, 0, 0 }, row.gridX, row.gridY) };
    AddStuds(s, kPartBlue);
    s.bars = { { Bar::Brick, 1, true } };
    return s;
}

// Hub ports on both faces, so a wheel meets a motor on either side.
std::vector<Port> HubPorts(double halfWidth) {
    return { Shaft(false, { halfWidth, 0, 0 }, { -1, 0, 0 }),
        Shaft(false, { -halfWidth, 0, 0 }, { 1, 0, 0 }) };
}

ModelSpec StandardWheel() {
    ModelSpec s = Model("models/wheel/wheel_std.ive", "标准轮", "Standard wheel");
    s.pieces = {
        Cylinder({ 0, 0, 0 }, 0, kWheelRadius, 1.96, kBlack, 32),
        Cylinder({ 0, 0, 0 }, 0, 1.7, 2.0, kYellow, 32),
    };
    s.ports = HubPorts(1.0);
    s.bars = { { Bar::Wheel, 2, false } };
    return s;
}

// A fat rubber wheel that rolls on one sphere. Its hub sits on one face
// only, so the wheel for the other side is its mirror image ("_r").
ModelSpec RubberWheel(bool mirrored) {
    ModelSpec s = mirrored ? Model("models/wheel/wheel7_r.ive", "橡胶轮（镜像）", "Rubber wheel (mirrored)")
                           : Model("models/wheel/wheel7.ive", "橡胶轮", "Rubber wheel");
    s.pieces = {
        Cylinder({ 0, 0, 0 }, 0, kWheelRadius, 2.8, kRubber, 32),
        Cylinder({ 1.45, 0, 0 }, 0, 1.8, 0.1, kOrange, 32),
        Cylinder({ -1.45, 0, 0 }, 0, 0.8, 0.1, kMetal, 32),
    };
    s.ports = HubPorts(1.5);
    s.mirrored = mirrored;
    if (!mirrored)
        s.bars = { { Bar::Wheel, 2, false } };
    return s;
}

// The low-friction wheel: a hub ringed by two rows of small rollers.
ModelSpec OmniWheel() {
    ModelSpec s = Model("models/wheel/KR-3318.ive", "低摩擦轮 KR-3318", "Low-friction wheel KR-3318");
    s.pieces = {
        Cylinder({ 0, 0, 0 }, 0, 2.4, 1.8, kWhite, 32),
        Cylinder({ 0, 0, 0 }, 0, 0.8, 2.4, kMetal, 16),
    };
    constexpr double rollerRadius = 0.6;
    constexpr double ring = kWheelRadius - rollerRadius;
    for (int row = 0; row < 2; ++row) {
        for (int i = 0; i < 12; ++i) {
            const double a = (30.0 * i + 15.0 * row) * std::numbers::pi / 180.0;
            const osg::Vec3d at(row == 0 ? -0.6 : 0.6, ring * std::cos(a), ring * std::sin(a));
            s.pieces.push_back(Ball(at, rollerRadius, kDarkGrey, 12));
        }
    }
    s.ports = HubPorts(1.2);
    s.bars = { { Bar::Wheel, 2, false } };
    return s;
}

// The caster: a ball under a cup, mounted by the cup's top. Its bounds are
// centred on the ball, whose radius is half the model's height (the sliding
// sphere is made from that), so it has no stud standing proud.
//
// Under a brick, beside a motor hung from the same part, the ball stops 0.1
// short of the ground the wheel stands on (a brick and a caster reach 4.7
// down, a motor to its shaft and a wheel 4.8): the wheels carry the robot and
// a caster only keeps it from tipping. Balls reaching as low as the wheels
// would stand the robot on four points, and the physics could let the
// frictionless balls carry all of it: such a robot neither stops nor holds
// on a slope. A robot saved with the cup's top 1.2 above the ball's centre,
// as it once was, keeps its casters where they were saved, 0.05 higher than
// the wheels.
constexpr double kCasterRadius = 1.15;

ModelSpec Caster() {
    ModelSpec s = Model("models/wheel/wheel_uni.ive", "万向球", "Caster ball");
    s.pieces = {
        Ball({ 0, 0, 0 }, kCasterRadius, kMetal),
        Cylinder({ 0, 0, kCasterRadius / 2 }, 2, 1.4, kCasterRadius, kDarkGrey),
    };
    s.ports = { Grid(true, { 0, 0, kCasterRadius }, 1, 1) };
    s.bars = { { Bar::Wheel, 2, false } };
    return s;
}

// The motor's shaft points along -x, the motor's axis.
ModelSpec Motor() {
    ModelSpec s = Model("models/motor/motor.ive", "电机", "Motor");
    s.pieces = {
        Box({ 0.2, 0, 1.6 }, { 3.6, 4, 3.2 }, kLightGrey),
        Box({ -1.8, 0, 1.6 }, { 0.4, 4, 3.2 }, kDarkGrey),
        Cylinder({ -2.3, 0, 1.6 }, 0, 0.4, 0.6, kMetal, 16),
        Cylinder({ 2.05, 0, 1.6 }, 0, 1.2, 0.1, kDarkGrey, 24),
    };
    s.ports = { Grid(true, { 0, 0, 3.2 }, 2, 2), Grid(false, { 0, 0, 0 }, 2, 2),
        Shaft(true, { -2.6, 0, 1.6 }, { -1, 0, 0 }) };
    AddStuds(s, kLightGrey);
    s.bars = { { Bar::Wheel, 3, false } };
    return s;
}

// ---- sensors ---------------------------------------------------------------------------------

// A sensor part: bar kind 10 + its sensor-kind code (21 for the magnet sensor).
ModelSpec Sensor(const char* stem, int barType, const char* zh, const char* en, std::vector<Piece> pieces,
    std::vector<Port> ports) {
    ModelSpec s = Model(std::string("models/sensor/") + stem + ".ive", zh, en);
    s.pieces = std::move(pieces);
    s.ports = std::move(ports);
    s.bars = { { Bar::Sensor, barType, false } };
    return s;
}

// The common housing: 2 x 2 x 2.2, the ray's start (1.1 up) in its middle.
Piece Housing(const osg::Vec4d& colour) {
    return Box({ 0, 0, kSensorHeight / 2 }, { 2, 2, kSensorHeight }, colour);
}

std::vector<ModelSpec> Sensors() {
    std::vector<ModelSpec> out;
    const Port bottom = Grid(false, { 0, 0, 0 }, 1, 1);

    out.push_back(Sensor("ray", 10, "光电传感器", "Ray sensor",
        { Housing({ 0.22, 0.27, 0.36, 1 }), Cylinder({ 0, 1.05, 1.1 }, 1, 0.45, 0.1, kRed) }, { bottom }));
    out.push_back(Sensor("touch", 11, "触碰传感器", "Touch sensor",
        { Housing(kDarkGrey), Box({ 0, 1.2, 1.1 }, { 3.2, 0.4, 1.4 }, kOrange) }, { bottom }));
    out.push_back(Sensor("compass", 12, "指南针传感器", "Compass sensor",
        { Box({ 0, 0, 0.7 }, { 2, 2, 1.4 }, { 0.15, 0.2, 0.45, 1 }),
            Cylinder({ 0, 0, 1.5 }, 2, 0.9, 0.2, kWhite), Box({ 0, 0.2, 1.65 }, { 0.2, 1.2, 0.1 }, kRed) },
        { bottom }));
    out.push_back(Sensor("ranging", 13, "测距传感器", "Ranging sensor",
        { Box({ 0, 0, 1.1 }, { 4, 2, kSensorHeight }, { 0.1, 0.35, 0.7, 1 }),
            Cylinder({ -1, 1.05, 1.1 }, 1, 0.7, 0.1, kMetal), Cylinder({ 1, 1.05, 1.1 }, 1, 0.7, 0.1, kMetal),
            Cylinder({ -1, 1.06, 1.1 }, 1, 0.4, 0.12, kBlack),
            Cylinder({ 1, 1.06, 1.1 }, 1, 0.4, 0.12, kBlack) },
        { Grid(false, { 0, 0, 0 }, 2, 1) }));
    {
        // Looks at the ground: a lens between four feet on its underside, and
        // a stud on top so it can hang under a plate.
        ModelSpec grey = Sensor("grey", 14, "灰度传感器", "Grey sensor",
            { Box({ 0, 0, 1.175 }, { 2, 2, 2.05 }, { 0.25, 0.25, 0.27, 1 }),
                Box({ -0.8, -0.8, 0.075 }, { 0.4, 0.4, 0.15 }, kBlack),
                Box({ 0.8, -0.8, 0.075 }, { 0.4, 0.4, 0.15 }, kBlack),
                Box({ -0.8, 0.8, 0.075 }, { 0.4, 0.4, 0.15 }, kBlack),
                Box({ 0.8, 0.8, 0.075 }, { 0.4, 0.4, 0.15 }, kBlack),
                Cylinder({ 0, 0, 0.1 }, 2, 0.5, 0.1, kWhite),
                Box({ 0, 1.025, 1.6 }, { 0.4, 0.05, 0.3 }, kGreen) },
            { bottom, Grid(true, { 0, 0, kSensorHeight }, 1, 1) });
        AddStuds(grey, { 0.25, 0.25, 0.27, 1 });
        out.push_back(grey);
    }
    out.push_back(Sensor("fire", 15, "火焰传感器", "Flame sensor",
        { Housing({ 0.55, 0.12, 0.08, 1 }), Cone({ 0, 1.15, 1.1 }, 1, 0.55, 0.35, 0.3, kBlack) },
        { bottom }));
    out.push_back(Sensor("volume", 16, "声音传感器", "Sound sensor",
        { Housing({ 0.15, 0.5, 0.28, 1 }), Cylinder({ 0, 1.05, 1.0 }, 1, 0.6, 0.1, kDarkGrey),
            Cylinder({ 0, 1.08, 1.0 }, 1, 0.25, 0.16, kMetal) },
        { bottom }));
    {
        // Eight downward rays, at x = -7, -4, -2, 0, 2, 4, 7 one unit ahead
        // and at x = 0 one unit behind; a light over each.
        std::vector<Piece> pieces = { Box({ 0, 0, 1.075 }, { 16, 4, 1.85 }, kYellow),
            Box({ 0, 0, 0.075 }, { 15.6, 3.6, 0.15 }, kBlack) };
        for (double x : { -7.0, -4.0, -2.0, 0.0, 2.0, 4.0, 7.0 })
            pieces.push_back(Box({ x, 2.025, 1.4 }, { 0.5, 0.05, 0.3 }, kRed));
        pieces.push_back(Box({ 0, -2.025, 1.4 }, { 0.5, 0.05, 0.3 }, kRed));
        ModelSpec trace = Sensor("trace", 17, "巡线传感器", "Line sensor", std::move(pieces),
            { Grid(false, { 0, 0, 0 }, 8, 2), Grid(true, { 0, 0, 2.0 }, 8, 2) });
        AddStuds(trace, kYellow);
        out.push_back(trace);
    }
    {
        // Seven eyes from 90 degrees left to 90 degrees right of ahead (+y).
        std::vector<Piece> pieces
            = { Cylinder({ 0, 0, 1.1 }, 2, 2.0, kSensorHeight, { 0.5, 0.1, 0.1, 1 }, 32) };
        for (int k = 0; k < 7; ++k) {
            const double a = (90.0 - 30.0 * k) * std::numbers::pi / 180.0;
            pieces.push_back(Ball({ -1.9 * std::sin(a), 1.9 * std::cos(a), 1.1 }, 0.35, kBlack, 12));
        }
        out.push_back(Sensor("compound", 18, "复合火焰传感器", "Compound flame sensor", std::move(pieces),
            { Grid(false, { 0, 0, 0 }, 2, 2) }));
    }
    out.push_back(Sensor("life", 19, "生命探测传感器", "Life sensor",
        { Box({ 0, 0, 1.0 }, { 2, 2, 2 }, { 0.85, 0.85, 0.8, 1 }),
            Cylinder({ 0, 0, 2.3 }, 2, 0.3, 0.6, kMetal, 16),
            Box({ 0, 0, 3.1 }, { 2, 1.6, 1.0 }, { 0.35, 0.65, 0.9, 1 }),
            Cylinder({ 0, 0.85, 3.1 }, 1, 0.35, 0.1, kBlack) },
        { bottom }));
    out.push_back(Sensor("magnet", 21, "磁敏传感器", "Magnet sensor",
        { Box({ 0, 0, 0.8 }, { 2, 2, 1.6 }, { 0.55, 0.56, 0.58, 1 }),
            Box({ -0.5, 1.2, 0.8 }, { 0.6, 0.4, 1.0 }, kRed),
            Box({ 0.5, 1.2, 0.8 }, { 0.6, 0.4, 1.0 }, kBlue) },
        { bottom }));
    return out;
}

ModelSpec ColouredLight() {
    ModelSpec s = Model("models/light/coloredlight.ive", "彩色灯", "Coloured light");
    s.layout = Layout::ColouredLight;
    s.pieces = {
        Box({ 0, 0, 0.6 }, { 2, 2, 1.2 }, kBlack),
        Dome({ 0, 0, 1.2 }, 0.9, { 0.92, 0.92, 0.86, 1 }, Piece::Lamp),
    };
    s.ports = { Grid(false, { 0, 0, 0 }, 1, 1) };
    s.bars = { { Bar::Sensor, 20, false } };
    return s;
}

// ---- playground objects -------------------------------------------------------------------

ModelSpec Scalable(std::string address, std::string zh, std::string en, std::vector<Piece> pieces,
    std::vector<BarEntry> bars) {
    ModelSpec s = Model(std::move(address), std::move(zh), std::move(en));
    s.pieces = std::move(pieces);
    s.collisionBox = false;
    s.bars = std::move(bars);
    return s;
}

std::vector<ModelSpec> StaticObjects() {
    const osg::Vec4d wood(0.78, 0.6, 0.38, 1), grass(0.45, 0.65, 0.3, 1), concrete(0.7, 0.7, 0.68, 1);
    std::vector<ModelSpec> out;
    out.push_back(Scalable("models/playground/slope.ive", "斜坡", "Ramp",
        { Prism({ { -0.5, -0.5 }, { 0.5, -0.5 }, { 0.5, 0.5 } }, -0.5, 0.5, wood) },
        { { Bar::Static, 100, false } }));
    out.push_back(Scalable("models/playground/hill.ive", "土丘", "Hill",
        { Frustum({ 0, 0, 0 }, { 1, 1 }, { 0.5, 0.5 }, 1.0, grass) }, { { Bar::Static, 101, false } }));
    out.push_back(Scalable("models/playground/ridge.ive", "坡台", "Ridge",
        { Prism({ { -0.5, -0.1 }, { 0.5, -0.1 }, { 0.1, 0.1 }, { -0.1, 0.1 } }, -0.5, 0.5, wood) },
        { { Bar::Static, 106, false } }));
    out.push_back(Scalable("models/playground/steps.ive", "台阶", "Steps",
        { Box({ 0, 0, -0.2 }, { 1, 1, 0.2 }, concrete), Box({ 0, 1.0 / 6, 0 }, { 1, 2.0 / 3, 0.2 }, concrete),
            Box({ 0, 1.0 / 3, 0.2 }, { 1, 1.0 / 3, 0.2 }, concrete) },
        { { Bar::Static, 107, false } }));
    {
        std::vector<osg::Vec2d> hump;
        for (int i = 0; i <= 12; ++i) {
            const double a = std::numbers::pi * i / 12;
            hump.emplace_back(0.5 * std::cos(a), -0.5 + std::sin(a));
        }
        out.push_back(Scalable("models/playground/bump.ive", "减速带", "Bump",
            { Prism(hump, -0.5, 0.5, kYellow) }, { { Bar::Static, 111, false } }));
    }
    return out;
}

std::vector<ModelSpec> DynamicObjects() {
    std::vector<ModelSpec> out;
    {
        // The flame burns 6 above the candle's origin, over the wick.
        ModelSpec candle = Model("models/playground/candle.ive", "蜡烛", "Candle");
        candle.pieces = {
            Cylinder({ 0, 0, -3.55 }, 2, 1.6, 0.5, { 0.8, 0.65, 0.3, 1 }),
            Cylinder({ 0, 0, 0.05 }, 2, 1.0, 6.7, { 0.95, 0.93, 0.85, 1 }),
            Cylinder({ 0, 0, 3.6 }, 2, 0.1, 0.4, kBlack, 8),
        };
        candle.bars = { { Bar::Dynamic, 102, false } };
        out.push_back(candle);
    }
    out.push_back(Scalable("models/playground/cube.ive", "方块", "Cube",
        { Box({ 0, 0, 0 }, { 1, 1, 1 }, { 0.85, 0.35, 0.2, 1 }) }, { { Bar::Dynamic, 105, false } }));
    out.push_back(Scalable("models/playground/ball.ive", "球", "Ball", { Ball({ 0, 0, 0 }, 0.5, kOrange) },
        { { Bar::Dynamic, 108, false } }));
    out.push_back(Scalable("models/playground/tball.ive", "轻球", "Light ball",
        { Ball({ 0, 0, 0 }, 0.5, kWhite) }, { { Bar::Dynamic, 112, false } }));
    out.push_back(Scalable("models/playground/can.ive", "罐子", "Can",
        { Cylinder({ 0, 0, 0 }, 2, 1.5, 3.9, { 0.8, 0.15, 0.15, 1 }),
            Cylinder({ 0, 0, 1.975 }, 2, 1.3, 0.05, kMetal),
            Cylinder({ 0, 0, -1.975 }, 2, 1.3, 0.05, kMetal) },
        { { Bar::Dynamic, 115, false } }));
    {
        ModelSpec alarm = Model("models/playground/alarm.ive", "警报器", "Alarm");
        alarm.pieces = {
            Box({ 0, 0, -0.75 }, { 4, 4, 2 }, kDarkGrey),
            Box({ 0, 2.025, -0.75 }, { 2.4, 0.05, 1.2 }, kBlack),
            Box({ 0, -2.025, -0.75 }, { 2.4, 0.05, 1.2 }, kBlack),
            Dome({ 0, 0, 0.25 }, 1.5, kRed),
        };
        alarm.bars = { { Bar::Dynamic, 118, false } };
        out.push_back(alarm);
    }
    return out;
}

// A figure lying on its back, head towards +y, in a suit of the given colour.
ModelSpec Astronaut(
    const char* stem, const osg::Vec4d& suit, const char* zh, const char* en, std::vector<BarEntry> bars) {
    ModelSpec s = Model(std::string("models/playground/") + stem + ".ive", zh, en);
    const osg::Vec4d visor(0.85, 0.65, 0.2, 1);
    s.pieces = {
        Box({ 0, 0.1, -0.1 }, { 2.2, 2.2, 1.4 }, suit),
        Ball({ 0, 2.2, 0 }, 0.8, kWhite),
        Ellipsoid({ 0, 2.35, 0.45 }, { 0.5, 0.45, 0.35 }, visor),
        Box({ -0.55, -2.0, -0.25 }, { 0.9, 2.0, 1.1 }, suit),
        Box({ 0.55, -2.0, -0.25 }, { 0.9, 2.0, 1.1 }, suit),
        Box({ -1.3, 0.25, -0.3 }, { 0.4, 1.7, 1.0 }, suit),
        Box({ 1.3, 0.25, -0.3 }, { 0.4, 1.7, 1.0 }, suit),
        Box({ 0, -0.2, 0.62 }, { 1.0, 0.8, 0.06 }, kBlue),
    };
    s.bars = std::move(bars);
    return s;
}

std::vector<ModelSpec> Figures() {
    std::vector<ModelSpec> out;
    out.push_back(Astronaut("astronaut", kWhite, "宇航员", "Astronaut",
        { { Bar::Static, 113, false }, { Bar::Dynamic, 116, false } }));
    out.push_back(
        Astronaut("astronaut_red", kRed, "红色宇航员", "Red astronaut", { { Bar::Dynamic, 116, false } }));
    out.push_back(Astronaut(
        "astronaut_yellow", kYellow, "黄色宇航员", "Yellow astronaut", { { Bar::Dynamic, 116, false } }));
    out.push_back(
        Astronaut("astronaut_blue", kBlue, "蓝色宇航员", "Blue astronaut", { { Bar::Dynamic, 116, false } }));
    return out;
}

// The blocks of the playground builder's object groups (walls, dominoes).
std::vector<ModelSpec> GroupBlocks() {
    return { Scalable("models/playground/wall.ive", "墙", "Wall",
                 { Box({ 0, 0, 0 }, { 1, 1, 1 }, { 0.62, 0.64, 0.66, 1 }) }, {}),
        Scalable("models/playground/domino.ive", "多米诺骨牌", "Domino",
            { Box({ 0, 0, 0 }, { 1, 1, 1 }, { 0.92, 0.9, 0.82, 1 }) }, {}) };
}

struct ZoneRow {
    const char* stem;
    int barType;
    osg::Vec4d colour;
    const char* zh;
    const char* en;
};

// A see-through pad with a solid rim, 1 x 1; zones are scaled to size.
ModelSpec Zone(const ZoneRow& row) {
    osg::Vec4d pad = row.colour;
    pad.a() = 0.45;
    const osg::Vec4d rim(row.colour.r() * 0.7, row.colour.g() * 0.7, row.colour.b() * 0.7, 1.0);
    return Scalable(std::string("models/trigger/") + row.stem + ".ive", row.zh, row.en,
        { Box({ 0, 0, 0 }, { 1, 1, 0.1 }, pad, Piece::Translucent),
            Box({ 0, 0.48, 0 }, { 1, 0.04, 0.12 }, rim), Box({ 0, -0.48, 0 }, { 1, 0.04, 0.12 }, rim),
            Box({ 0.48, 0, 0 }, { 0.04, 0.92, 0.12 }, rim), Box({ -0.48, 0, 0 }, { 0.04, 0.92, 0.12 }, rim) },
        { { Bar::Trigger, row.barType, false } });
}

const ZoneRow kZones[] = {
    { "start", 103, { 0.2, 0.8, 0.3, 1 }, "起点区", "Start zone" },
    { "end", 104, { 0.9, 0.2, 0.2, 1 }, "终点区", "Finish zone" },
    { "score", 109, { 0.95, 0.8, 0.15, 1 }, "得分区", "Score zone" },
    { "path", 110, { 0.2, 0.5, 0.95, 1 }, "路径区", "Path zone" },
    { "delivery", 114, { 0.95, 0.55, 0.1, 1 }, "投放区", "Delivery zone" },
    { "rescue", 117, { 0.65, 0.3, 0.85, 1 }, "救援区", "Rescue zone" },
};

// ---- effects --------------------------------------------------------------------------------

std::vector<ModelSpec> Effects() {
    std::vector<ModelSpec> out;
    {
        // A small glowing core inside the particles' bounds (2 x 2 x 4,
        // centred on the origin): the flame's solid is a box of those bounds.
        ModelSpec fire = Model("models/effects/fire.osg", "火焰效果", "Flame effect");
        fire.layout = Layout::Flame;
        fire.collisionBox = false;
        fire.pieces = {
            Cone({ 0, 0, -0.3 }, 2, 0.5, 0.0, 3.0, { 1.0, 0.55, 0.1, 0.85 }, 16, Piece::Translucent),
            Cone({ 0, 0, -0.9 }, 2, 0.25, 0.0, 1.8, { 1.0, 0.9, 0.3, 1.0 }, 12),
        };
        out.push_back(fire);
    }
    // Beams along +y from the origin, as long as the rays they show; the
    // sensor scales them by its ray's length and colours them.
    {
        ModelSpec ray = Model("models/effects/e_ray.ive", "光线效果", "Ray beam");
        ray.layout = Layout::Beam;
        ray.collisionBox = false;
        ray.pieces = { Cylinder({ 0, 50, 0 }, 1, 0.15, 100, kWhite, 12) };
        out.push_back(ray);
    }
    {
        ModelSpec ranging = Model("models/effects/e_ranging.ive", "测距光束", "Ranging beam");
        ranging.layout = Layout::Beam;
        ranging.collisionBox = false;
        ranging.pieces = { Cone({ 0, 250, 0 }, 1, 0.1, 2.0, 500, kWhite, 16) };
        out.push_back(ranging);
    }
    return out;
}

void Append(std::vector<ModelSpec>& to, std::vector<ModelSpec> more) {
    for (ModelSpec& m : more)
        to.push_back(std::move(m));
}

} // namespace

std::vector<ModelSpec> BuildCatalogue() {
    std::vector<ModelSpec> all;
    all.push_back(ControlUnit());
    for (const BrickRow& row : kBricks)
        all.push_back(Brick(row));
    all.push_back(StandardWheel());
    all.push_back(RubberWheel(false));
    all.push_back(RubberWheel(true));
    all.push_back(OmniWheel());
    all.push_back(Caster());
    all.push_back(Motor());
    Append(all, Sensors());
    all.push_back(ColouredLight());
    Append(all, StaticObjects());
    Append(all, DynamicObjects());
    Append(all, Figures());
    Append(all, GroupBlocks());
    for (const ZoneRow& row : kZones)
        all.push_back(Zone(row));
    Append(all, Effects());
    return all;
}
