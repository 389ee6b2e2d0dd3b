#pragma once

// What the robot tests share: the build's program folder with the model
// library and RobotHost, its configuration, a simulation world set up as the
// simulation sets up its own, and robots built part by part through the
// robot builder's part factory and saved by its writer.

#include "elements/Floor.h"
#include "elements/PartContext.h"
#include "elements/SPartOwner.h"
#include "physics/PhysicsWorld.h"
#include "scene/Scene.h"
#include "simulation/SRobotFileState.h"

#include <osg/ref_ptr>

#include <filesystem>
#include <memory>
#include <string>

class CConfig;
class CModel;

namespace robotstest {

const CConfig& Config();
const PartContextPtr& Parts();

// A test robot program, built as students build theirs.
std::string TestProgram(const char* name);

// The physics world with the simulation's contact groups, its scene, and
// the floor (world solid 0, contact group 0) showing picture.
struct SimulationWorld {
    explicit SimulationWorld(const std::string& picture = "map/default.png", bool withFloor = true);
    ~SimulationWorld();

    // Frames of 0.6 s, as the simulation advances.
    void Frames(int n);

    std::unique_ptr<physics::PhysicsWorld> world;
    osg::ref_ptr<scene::Scene> scene;
    osg::ref_ptr<Floor> floor;
};

// A robot as the robot builder holds it, ready for its writer.
struct BuilderRobot {
    BuilderRobot();

    // A part at the given place and heading (degrees, about z), with the next
    // id. Fails the test when the factory makes nothing.
    CModel* Add(int kind, const std::string& address, double x, double y, double z, double heading = 0.0,
        int port = 0, int sensorKind = 0, int opposite = 0);
    // The two-wheeled base that the driving tests use: a control unit with
    // a motor and a wheel on each side (ports 1 and 2; the right motor
    // turned round and reversed) and two caster balls.
    void AddBase();
    // Saves through the writer; the path, empty when the save failed.
    std::string Save(const std::filesystem::path& path);

    SPartOwner owner;
    SRobotFileState state;
};

// Sensor model addresses in the order of the set-up file's sensor bar.
std::vector<std::string> SensorBar();

} // namespace robotstest
