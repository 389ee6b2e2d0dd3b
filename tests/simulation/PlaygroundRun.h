#pragma once

// A simulation run without a window, for the playground's tests and its
// benchmark: a physics world with the simulation's contact groups, a scene,
// the robot loader's block with real robots read from robot files, the game
// state and the playground, wired as the simulation wires them.

#include "elements/PartContext.h"
#include "foundation/CConfig.h"
#include "physics/PhysicsWorld.h"
#include "scene/Scene.h"
#include "simulation/CPlayground.h"
#include "simulation/CRob.h"
#include "simulation/PlaygroundFile.h"
#include "simulation/SGameState.h"
#include "simulation/SRobThreadData.h"

#include <osg/ref_ptr>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace playgroundtest {

// The models and set-up file of the build's program folder.
const PartContextPtr& LibraryContext();

// The contact groups of a simulation: 1 not with itself, flames (2) only with
// flame rays (4), figures (3) only with life rays (5) and the ground, 31 with
// nothing, 20..29 not with themselves.
void SetUpContactGroups(physics::PhysicsWorld& world);

// A playground file item of a kind at a position, turned by heading degrees.
PlaygroundFile::Item Item(
    int type, const std::string& address, const osg::Vec3f& position, int id = -1, float heading = 0.0f);
// A trigger zone item: kind, mode, score, size (x, y; the pad is 1 thick).
PlaygroundFile::Item Zone(
    int kind, const osg::Vec3f& position, const osg::Vec2f& size, int mode, int score, int id = -1);

class SimulationRun {
public:
    SimulationRun();
    ~SimulationRun();

    // A robot of a control unit and `bricks` bricks on top (up to 4), its box
    // centred at (x, y), resting on the ground.
    CRob& AddRobot(float x, float y, int bricks = 0);
    // Moves a robot so that its control unit's box centre is at `centre`.
    void MoveRobot(CRob& robot, const osg::Vec3f& centre);
    // Moves a robot so that its box's lowest x is at `xMin` (y and z stay).
    void MoveRobotMinX(CRob& robot, float xMin);

    // Writes the file (through the writer) and loads it into the playground.
    bool Load(const PlaygroundFile& file);
    std::string WriteFile(const PlaygroundFile& file, const std::string& name = "playground.pla");

    // One running frame as the simulation takes it: 30 physics steps, the
    // playground step, then every robot carries what it carries.
    void Frame();

    CConfig& Config() { return *m_config; }
    physics::PhysicsWorld& World() { return m_world; }
    scene::Scene& Scene() { return *m_scene; }
    SGameState& State() { return m_state; }
    SRobThreadData& Block() { return m_block; }
    CPlayground& Playground() { return *m_playground; }
    std::vector<osg::ref_ptr<CRob>>& Robots() { return m_robots; }
    const std::filesystem::path& Folder() const { return m_folder; }

private:
    std::unique_ptr<CConfig> m_config;
    physics::PhysicsWorld m_world;
    osg::ref_ptr<scene::Scene> m_scene;
    std::vector<osg::ref_ptr<CRob>> m_robots;
    SRobThreadData m_block;
    SGameState m_state;
    osg::ref_ptr<CPlayground> m_playground;
    std::filesystem::path m_folder;
};

} // namespace playgroundtest
