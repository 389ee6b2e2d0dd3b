#pragma once

// What the simulation's tests share: robot files written by the robot
// builder's writer, playground files written by the playground's writer,
// the robot programs of the test tree, and a headless simulation over the
// build's program folder.

#include "apps/CEmuApp.h"
#include "foundation/CConfig.h"
#include "scene/FrameLoop.h"
#include "simulation/PlaygroundFile.h"
#include "support/TempDir.h"

#include "SetUpSensorBar.h"

#include <osg/Vec2f>
#include <osg/Vec3f>
#include <osg/ref_ptr>

#include <string>
#include <vector>

namespace emutest {

// A robot program of the test tree (tests/apps/programs), by its name.
std::string Program(const char* name);

// The two-wheeled robot of the driving tests (control unit, two motors with
// wheels on ports 1 and 2, two caster balls), written by the builder's
// writer into folder; the file's path.
std::string WriteBaseRobot(const std::filesystem::path& folder, const std::string& name);

// Playground items: a zone of a kind (TriggerKind) at a position, turned by
// heading degrees, of size x by y (the pad is 1 thick), with its mode and
// score.
PlaygroundFile::Item Zone(int kind, const osg::Vec3f& position, const osg::Vec2f& size, int mode = 0,
    int score = 10, float heading = 0.0f);
// A start zone large enough for the base robot to start inside.
PlaygroundFile::Item StartZone(const osg::Vec3f& position, float heading = 0.0f);
// Writes through the playground's writer; the file's path.
std::string WritePlayground(const PlaygroundFile& file, const std::filesystem::path& path);

// A simulation without a window over the build's program folder, with a
// configuration of its own.
class HeadlessEmu {
public:
    HeadlessEmu();
    ~HeadlessEmu();

    // Loads the playground and the robots as the simulation page does and
    // waits for the loader; the reload's result (-1 when none came).
    int Load(const std::string& playground, const std::vector<std::string>& robots,
        const std::vector<std::string>& programs = {});
    // Hands robot i program i, as the main window does after a reload.
    void LoadPrograms();
    // Frame steps of the application (input, PreFrame, Frame, PostFrame).
    void Frames(int n);

    CEmuApp& Emu() { return *m_emu; }
    CConfig& Config() { return m_config; }
    const std::filesystem::path& Folder() const { return m_folder.path(); }

    // Every signal_Ui_StopEmu clears the run, as the main window's slot.
    int m_nStops = 0;
    std::vector<int> m_vecProgress;
    std::vector<int> m_vecReloads;

private:
    testsupport::TempDir m_folder;
    CConfig m_config;
    SetUpSensorBar m_sensorBar;
    osg::ref_ptr<CEmuApp> m_emu;
    scene::FrameLoop m_loop;
};

} // namespace emutest
