#include "Examples.h"

#include "ExamplePlayground.h"

#include "elements/CModel.h"
#include "simulation/CSensor.h"
#include "simulation/CTrigger.h"

#include <QPainter>
#include <QPainterPath>

#include <initializer_list>
#include <utility>

namespace examplegen {

namespace {

// The light on the control unit behind the deck, and a second free place
// beside it (the compass's).
const osg::Vec3d kLightPlace { -1.0, -3.0, ExampleRobot::kUnitTop };
const osg::Vec3d kBackPlace { 1.0, -3.0, ExampleRobot::kUnitTop };

// A sensor on the deck or under it: its kind (SensorKind), its model's stem,
// its place and its heading.
struct Sensor {
    int kind;
    const char* stem;
    osg::Vec3d at;
    double heading = 0.0;
};

const Sensor kCompass { SensorKindCompass, "compass", kBackPlace };

// The first port a robot's sensors take: the basic kit wires motors and
// sensors on one row of ports, the sensors after the two motors; the
// electronics kit has a row of its own for them.
constexpr int kBasicKitFirstPort = 3;
constexpr int kElectronicsKitFirstPort = 1;

// An example robot joins content: the base, the deck when there are sensors
// to carry, the sensors on one port after another from firstPort, and the
// light on the port after them. False when a part could not be made.
bool AddRobot(const RobotFactory& newRobot, ExampleContent& content, int firstPort,
    std::initializer_list<Sensor> sensors) {
    auto robot = newRobot();
    if (!robot->AddBase() || (sensors.size() > 0 && !robot->AddDeck()))
        return false;
    int port = firstPort;
    for (const Sensor& sensor : sensors) {
        if (!robot->AddSensor(sensor.kind, sensor.stem, sensor.at, port++, sensor.heading))
            return false;
    }
    if (!robot->AddLight(kLightPlace, port))
        return false;
    content.robots.push_back(std::move(robot));
    return true;
}

// Adds an item with the next id, as the playground builder numbers the
// objects it places; the id.
int AddTo(PlaygroundFile& file, const PlaygroundFile::Item& item) {
    const int id = file.ObjectCount() + 1;
    file.Add(item.info, id);
    return id;
}

void AddWalls(PlaygroundFile& file, std::initializer_list<std::pair<osg::Vec2d, osg::Vec2d>> walls) {
    for (const auto& [from, to] : walls)
        AddTo(file, Wall(from, to));
}

// ---- drive_to_zone: drive straight ahead through a score zone into the end zone ----

bool DriveToZone(const RobotFactory& newRobot, ExampleContent& content) {
    if (!AddRobot(newRobot, content, kBasicKitFirstPort, {}))
        return false;

    PlaygroundFile& file = content.playground;
    file.image = GroundPicture([](QPainter& painter) {
        // A grey lane from the start to the end.
        painter.fillRect(QRectF(-40, -130, 80, 220), QColor(225, 228, 232));
    });
    AddTo(file, StartZone({ 0, -100 }));
    AddTo(file, Zone(TriggerScore, { 0, -10 }, { 60, 20 }, 1, 100));
    AddTo(file, Zone(TriggerEnd, { 0, 60 }, { 80, 30 }, 0, 0));
    return true;
}

// ---- follow_line: two grey sensors keep the robot on a black line --------------------

// The line: north, a right-hand bend, east, a left-hand bend, north. The
// painter's y runs up, so Qt's arc angles run clockwise here.
QPainterPath LinePath() {
    QPainterPath path({ -160, -230 });
    path.lineTo(-160, -100);
    path.arcTo(QRectF(-160, -180, 160, 160), 180, 90);
    path.lineTo(0, -20);
    path.arcTo(QRectF(-80, -20, 160, 160), 90, -90);
    path.lineTo(80, 240);
    return path;
}

// Two grey sensors under the deck's front, either side of the line.
bool LineRobot(const RobotFactory& newRobot, ExampleContent& content) {
    return AddRobot(newRobot, content, kBasicKitFirstPort,
        { { SensorKindGrey, "grey", { -3.0, 13.0, ExampleRobot::kUnderDeck } },
            { SensorKindGrey, "grey", { 3.0, 13.0, ExampleRobot::kUnderDeck } } });
}

bool FollowLine(const RobotFactory& newRobot, ExampleContent& content) {
    if (!LineRobot(newRobot, content))
        return false;

    PlaygroundFile& file = content.playground;
    file.image = GroundPicture([](QPainter& painter) {
        painter.setPen(QPen(Qt::black, 4, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
        painter.drawPath(LinePath());
    });
    AddTo(file, StartZone({ -160, -200 }));
    // Scores when the robot leaves it still on the line.
    AddTo(file, Zone(TriggerPath, { 80, 120 }, { 60, 100 }, 0, 100));
    AddTo(file, Zone(TriggerEnd, { 80, 200 }, { 60, 30 }, 0, 0));
    return true;
}

// ---- avoid_walls: a ranging sensor and a compass take the robot through a corridor ----

bool AvoidWalls(const RobotFactory& newRobot, ExampleContent& content) {
    if (!AddRobot(newRobot, content, kBasicKitFirstPort,
            { { SensorKindRanging, "ranging", { 0.0, 13.0, ExampleRobot::kDeckTop } }, kCompass }))
        return false;

    // A corridor 80 wide: north up the left, east along the top, south
    // down the right, round a block in the middle.
    PlaygroundFile& file = content.playground;
    AddWalls(file,
        { { { -160, -210 }, { -160, 80 } }, { { -160, 80 }, { 120, 80 } }, { { 120, 80 }, { 120, -210 } },
            { { 120, -210 }, { -160, -210 } }, { { -80, -210 }, { -80, 0 } }, { { -80, 0 }, { 40, 0 } },
            { { 40, 0 }, { 40, -210 } } });
    file.image = GroundPicture([](QPainter& painter) {
        // The way round, dashed down the middle of the corridor.
        painter.setPen(QPen(QColor(170, 190, 215), 2, Qt::DashLine));
        painter.drawPolyline(QPolygonF({ { -120, -170 }, { -120, 40 }, { 80, 40 }, { 80, -170 } }));
    });
    AddTo(file, StartZone({ -120, -170 }));
    AddTo(file, Zone(TriggerScore, { 80, -60 }, { 60, 30 }, 1, 100));
    AddTo(file, Zone(TriggerEnd, { 80, -150 }, { 60, 40 }, 0, 0));
    return true;
}

// ---- put_out_candle: the compound flame sensor finds the candle, the compass the way home ----

bool PutOutCandle(const RobotFactory& newRobot, ExampleContent& content) {
    if (!AddRobot(newRobot, content, kBasicKitFirstPort,
            { { SensorKindCompound, "compound", { 0.0, 12.0, ExampleRobot::kDeckTop } }, kCompass }))
        return false;

    PlaygroundFile& file = content.playground;
    file.image = GroundPicture([](QPainter& painter) {
        // Home: a green strip along the near edge.
        painter.fillRect(QRectF(-200, -215, 400, 30), QColor(205, 232, 205));
    });
    AddTo(file, StartZone({ 0, -130 }));
    AddTo(file, Object(ModelTypeCandle, "models/playground/candle.ive", { 60, 40, 3.8 }));
    AddTo(file, Zone(TriggerEnd, { 0, -200 }, { 400, 30 }, 1, 100));
    return true;
}

// ---- rescue_astronaut: the life sensor finds the astronaut, the robot carries it home ----

bool RescueAstronaut(const RobotFactory& newRobot, ExampleContent& content) {
    if (!AddRobot(newRobot, content, kBasicKitFirstPort,
            { { SensorKindLife, "life", { 1.0, 13.0, ExampleRobot::kDeckTop } }, kCompass }))
        return false;

    PlaygroundFile& file = content.playground;
    file.image = GroundPicture([](QPainter& painter) {
        // The rescue zone's strip, and the base behind it.
        painter.fillRect(QRectF(-200, -205, 400, 30), QColor(250, 215, 205));
        painter.fillRect(QRectF(-200, -235, 400, 30), QColor(215, 220, 235));
    });
    AddTo(file, StartZone({ 0, -130 }));
    AddTo(file, Object(ModelTypeTakenObj, "models/playground/astronaut.ive", { -100, 40, 0.8 }, 30.0));
    PlaygroundFile::Item rescue = Zone(TriggerRescue, { 0, -190 }, { 400, 30 }, 1, 100);
    rescue.info.m_state.m_cFlag[0] = 1; // white astronauts
    AddTo(file, rescue);
    AddTo(file, Zone(TriggerEnd, { 0, -220 }, { 400, 30 }, 1, 0));
    return true;
}

// ---- two_robots: two line followers, each on its own line, each with its own zones ----

bool TwoRobots(const RobotFactory& newRobot, ExampleContent& content) {
    if (!LineRobot(newRobot, content) || !LineRobot(newRobot, content))
        return false;

    // Robot 0's line runs straight to the finish; robot 1's goes round and
    // round a loop to the right of it.
    PlaygroundFile& file = content.playground;
    file.image = GroundPicture([](QPainter& painter) {
        painter.setPen(QPen(Qt::black, 4, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
        painter.drawLine(QPointF(-100, -230), QPointF(-100, 230));
        painter.drawRoundedRect(QRectF(100, -210, 120, 360), 40, 40);
    });
    AddTo(file, StartZone({ -100, -200 }));
    AddTo(file, StartZone({ 100, -150 }));
    AddTo(file, Zone(TriggerScore, { -100, 0 }, { 60, 20 }, 1, 100));
    AddTo(file, Zone(TriggerScore, { 100, -90 }, { 60, 20 }, 1, 100));
    AddTo(file, Zone(TriggerEnd, { -100, 170 }, { 60, 20 }, 1, 50));
    return true;
}

// ---- the electronics kit (motors on _M1_ to _M4_, sensors and lights on _P1_ to _P8_) ----

// ---- there_and_back: a touch sensor finds the wall, the compass the way back ----

bool ThereAndBack(const RobotFactory& newRobot, ExampleContent& content) {
    if (!AddRobot(newRobot, content, kElectronicsKitFirstPort,
            { { SensorKindTouch, "touch", { 0.0, 13.0, ExampleRobot::kDeckTop } }, kCompass }))
        return false;

    PlaygroundFile& file = content.playground;
    file.image = GroundPicture([](QPainter& painter) {
        painter.fillRect(QRectF(-40, -195, 80, 235), QColor(225, 228, 232));
        painter.fillRect(QRectF(-100, -225, 200, 30), QColor(215, 220, 235));
    });
    AddTo(file, Wall({ -60, 50 }, { 60, 50 }));
    AddTo(file, StartZone({ 0, -150 }));
    AddTo(file, Zone(TriggerScore, { 0, 30 }, { 80, 20 }, 1, 50));
    AddTo(file, Zone(TriggerEnd, { 0, -210 }, { 200, 30 }, 1, 50));
    return true;
}

// ---- trace_line: the line sensor's eight eyes keep the robot on a winding line ----

// North, a U-turn to the right, south, a U-turn to the left, north.
QPainterPath SnakePath() {
    QPainterPath path({ -180, -230 });
    path.lineTo(-180, 100);
    path.arcTo(QRectF(-180, 40, 120, 120), 180, 180);
    path.lineTo(-60, -100);
    path.arcTo(QRectF(-60, -160, 120, 120), 180, -180);
    path.lineTo(60, 230);
    return path;
}

// The line sensor hangs under the deck's front, its eyes 1 up.
bool TraceRobot(const RobotFactory& newRobot, ExampleContent& content) {
    return AddRobot(newRobot, content, kElectronicsKitFirstPort,
        { { SensorKindTrace, "trace", { 0.0, 12.0, ExampleRobot::kUnitTop - 2.0 } } });
}

bool TraceLine(const RobotFactory& newRobot, ExampleContent& content) {
    if (!TraceRobot(newRobot, content))
        return false;

    PlaygroundFile& file = content.playground;
    file.image = GroundPicture([](QPainter& painter) {
        painter.setPen(QPen(Qt::black, 10, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
        painter.drawPath(SnakePath());
    });
    AddTo(file, StartZone({ -180, -200 }));
    AddTo(file, Zone(TriggerPath, { -60, -30 }, { 60, 100 }, 0, 100));
    AddTo(file, Zone(TriggerEnd, { 60, 190 }, { 60, 30 }, 0, 0));
    return true;
}

// ---- follow_wall: two ranging sensors keep the wall on the robot's right ----

// One ranging sensor looks ahead, the other to the right.
bool WallRobot(const RobotFactory& newRobot, ExampleContent& content) {
    return AddRobot(newRobot, content, kElectronicsKitFirstPort,
        { { SensorKindRanging, "ranging", { 0.0, 13.0, ExampleRobot::kDeckTop } },
            { SensorKindRanging, "ranging", { 3.0, 4.0, ExampleRobot::kDeckTop }, -90.0 } });
}

bool FollowWall(const RobotFactory& newRobot, ExampleContent& content) {
    if (!WallRobot(newRobot, content))
        return false;

    // A block in the middle, with a corridor 70 wide round three of its
    // sides: the robot goes up its left, along its top and down its right.
    PlaygroundFile& file = content.playground;
    AddWalls(file,
        { { { -200, -220 }, { -200, 200 } }, { { -200, 200 }, { 200, 200 } }, { { 200, 200 }, { 200, -220 } },
            { { 200, -220 }, { -200, -220 } }, { { -130, -220 }, { -130, 130 } },
            { { -130, 130 }, { 130, 130 } }, { { 130, 130 }, { 130, -220 } } });
    file.image = GroundPicture(
        [](QPainter& painter) { painter.fillRect(QRectF(-130, -220, 260, 350), QColor(228, 224, 216)); });
    AddTo(file, StartZone({ -165, -180 }));
    AddTo(file, Zone(TriggerScore, { 165, 0 }, { 70, 30 }, 1, 100));
    AddTo(file, Zone(TriggerEnd, { 165, -150 }, { 70, 40 }, 0, 0));
    return true;
}

// ---- switch_off_alarm: the sound sensor finds the alarm ahead, the compass the way home ----

bool SwitchOffAlarm(const RobotFactory& newRobot, ExampleContent& content) {
    if (!AddRobot(newRobot, content, kElectronicsKitFirstPort,
            { { SensorKindVolume, "volume", { 1.0, 13.0, ExampleRobot::kDeckTop } }, kCompass }))
        return false;

    PlaygroundFile& file = content.playground;
    file.image = GroundPicture([](QPainter& painter) {
        painter.fillRect(QRectF(-40, -185, 80, 250), QColor(225, 228, 232));
        painter.fillRect(QRectF(-100, -225, 200, 30), QColor(215, 220, 235));
    });
    AddTo(file, StartZone({ 0, -140 }));
    AddTo(file, Object(ModelTypeAlarm, "models/playground/alarm.ive", { 0, 60, 1.75 }));
    AddTo(file, Zone(TriggerEnd, { 0, -210 }, { 200, 30 }, 1, 100));
    return true;
}

// ---- deliver_box: the ranging sensor finds the box, the robot carries it to its zone ----

bool DeliverBox(const RobotFactory& newRobot, ExampleContent& content) {
    if (!AddRobot(newRobot, content, kElectronicsKitFirstPort,
            { { SensorKindRanging, "ranging", { 0.0, 13.0, ExampleRobot::kDeckTop } }, kCompass }))
        return false;

    PlaygroundFile& file = content.playground;
    file.image = GroundPicture([](QPainter& painter) {
        // The delivery strip along the left edge, and the end beyond it.
        painter.fillRect(QRectF(-205, -200, 30, 400), QColor(250, 230, 190));
        painter.fillRect(QRectF(-235, -200, 30, 400), QColor(215, 220, 235));
    });
    AddTo(file, StartZone({ 0, -150 }));
    PlaygroundFile::Item box = Object(ModelTypeGeo, "models/playground/cube.ive", { 90, -20, 5 });
    box.info.m_state.m_vScale.set(10.0f, 10.0f, 10.0f);
    box.info.m_state.m_cTake = 1;
    box.info.m_state.m_strObjName = QStringLiteral("box");
    const int boxId = AddTo(file, box);
    PlaygroundFile::Item delivery = Zone(TriggerDelivery, { -190, 0 }, { 30, 400 }, 1, 100);
    delivery.info.m_state.m_vecObjList = { boxId };
    AddTo(file, delivery);
    AddTo(file, Zone(TriggerEnd, { -220, 0 }, { 30, 400 }, 1, 0));
    return true;
}

// ---- two_programs: a line follower and a wall follower, each with its own program ----

bool TwoPrograms(const RobotFactory& newRobot, ExampleContent& content) {
    if (!TraceRobot(newRobot, content) || !WallRobot(newRobot, content))
        return false;

    // Robot 0 follows a line on the left; robot 1 goes round and round a
    // walled block on the right.
    PlaygroundFile& file = content.playground;
    file.image = GroundPicture([](QPainter& painter) {
        QPainterPath line({ -150, -230 });
        line.lineTo(-150, -60);
        line.arcTo(QRectF(-150, -110, 100, 100), 180, 90);
        line.arcTo(QRectF(-150, -10, 100, 100), 90, -90);
        line.lineTo(-50, 230);
        painter.setPen(QPen(Qt::black, 10, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
        painter.drawPath(line);
        painter.fillRect(QRectF(90, -150, 60, 250), QColor(228, 224, 216));
    });
    AddWalls(file,
        { { { 20, -220 }, { 20, 170 } }, { { 20, 170 }, { 220, 170 } }, { { 220, 170 }, { 220, -220 } },
            { { 220, -220 }, { 20, -220 } }, { { 90, -150 }, { 90, 100 } }, { { 90, 100 }, { 150, 100 } },
            { { 150, 100 }, { 150, -150 } }, { { 150, -150 }, { 90, -150 } } });
    AddTo(file, StartZone({ -150, -200 }));
    AddTo(file, StartZone({ 55, -120 }));
    AddTo(file, Zone(TriggerScore, { -150, -120 }, { 60, 20 }, 1, 100));
    AddTo(file, Zone(TriggerScore, { 120, 135 }, { 70, 30 }, 1, 100));
    AddTo(file, Zone(TriggerEnd, { -50, 180 }, { 60, 30 }, 1, 50));
    return true;
}

} // namespace

const std::map<std::string, ExampleBuilder>& ExampleCatalogue() {
    static const std::map<std::string, ExampleBuilder> catalogue {
        { "drive_to_zone", DriveToZone },
        { "follow_line", FollowLine },
        { "avoid_walls", AvoidWalls },
        { "put_out_candle", PutOutCandle },
        { "rescue_astronaut", RescueAstronaut },
        { "two_robots", TwoRobots },
        { "there_and_back", ThereAndBack },
        { "trace_line", TraceLine },
        { "follow_wall", FollowWall },
        { "switch_off_alarm", SwitchOffAlarm },
        { "deliver_box", DeliverBox },
        { "two_programs", TwoPrograms },
    };
    return catalogue;
}

} // namespace examplegen
