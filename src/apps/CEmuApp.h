#pragma once

#include "apps/CApp.h"
#include "elements/PartContext.h"
#include "simulation/CRobThread.h"
#include "simulation/SGameState.h"

#include <QObject>

#include <osg/Matrixd>
#include <osg/Vec2>
#include <osg/Vec3f>
#include <osg/ref_ptr>

#include <memory>
#include <string>
#include <vector>

class CConfig;
class CPlayground;
class CRcu;
class CRob;

namespace physics {
class PhysicsWorld;
} // namespace physics

// The simulation: the scene application of the simulation page (kind 3). It
// owns the run's physics world, its playground, its robots with their
// loader thread, and the game state that the playground's zones share. Its
// PreFrame is the simulation step: while a run is in progress, every frame is
// 0.6 s of physics (30 steps of 0.02 s), the playground's step, every robot's
// step (its program's exchange included), the frame counter and the stop
// tests; a run that must stop says so with signal_Ui_StopEmu in every frame
// until the main window clears m_bRunning.
//
// Robots come from the loader thread. While it works (the load block's status
// is 1) the robot list is empty, the frames only report the progress, and
// every operation that touches robots, the playground or the view refuses;
// the thread's robots join the list in the GUI thread when it has finished.
// Everything else runs in the GUI thread.
class CEmuApp : public QObject, public CApp {
    Q_OBJECT

public:
    // The process's configuration and a part context read from it.
    CEmuApp(const std::string& configName, scene::SceneView* window);
    // The configuration (drive and sensor-effect switches, drive speeds,
    // studio) must outlive the application; without a part context one is
    // read from the configuration. A null window runs headless.
    CEmuApp(const std::string& configName, scene::SceneView* window, CConfig& config,
        PartContextPtr parts = nullptr);

    int GetAppKind() const override { return 3; }
    // The simulation step (see above).
    void PreFrame(double deltaTime) override;
    // Clears the run, then stops the frame loop.
    void Quit() override;

    // ---- mouse: before a run, carry (mode 0), turn (1) or delete (2) robots ----------
    // Left button only, neither running nor following, not while loading.
    bool MouseButtonPressed(scene::Mouse* mouse, int button) override;
    // A carried robot follows the pointer over the playground.
    bool MouseMoved(scene::Mouse* mouse, float x, float y) override;
    // As MouseMoved with the left button down; never reports the event handled.
    bool MouseDragged(scene::Mouse* mouse, float x, float y) override;
    // The follow distance: the wheel turned up comes 5 nearer, otherwise 5
    // farther, without bounds. False, untouched, while paused.
    bool MouseScrolled(scene::Mouse* mouse, int delta) override;
    // The playground element under a point in normalised window coordinates
    // (the ground included, robots looked through): the world point hit.
    bool Pick3D(osg::Vec3f& point, const osg::Vec2& windowPoint);
    // Takes the selected robot out of the run, with its robot and program
    // files; the robots after it move down one index. False while loading
    // or without a selection.
    bool RemoveSelectedRobot();

    // ---- run control --------------------------------------------------------------------
    // Loads the load block's playground file and its robots again, the frame
    // counter back at 0. With keepPaused the page stays paused afterwards.
    void ReloadMap(int keepPaused);
    // A playground file in place of the present playground: false while
    // loading. A file the playground refuses, or no file name, leaves it as
    // it was.
    bool LoadMapFile(const std::string& fileName);
    // Lets the playground go: no objects, no zones, no rules, the default
    // ground. False while loading, when it stays.
    bool UnloadMap();
    // Drops the robots and starts the loader on the load block's robot
    // files, each at the start zone of its index (in zone order).
    void ResetAndLoad();
    // The program file for robot index (its control unit makes a private
    // copy and starts it); false while loading, for an index outside the
    // run, or when the program does not load.
    bool LoadRobotProgram(const std::string& dllPath, int robotIndex);
    // Starts a run: every robot's program afresh from the private copy it
    // last loaded (or none, the keyboard driving), the frame counter at 0.
    void StartRun();
    // The robot the follow view and the turn buttons act on.
    void SetFollowTarget(CRob* robot);
    // Key codes of the page's 3-D host: 15-18 hold, 19-22 release forward,
    // back, left, right. The held keys drive the first robot while a run is
    // in progress.
    void DriveByKey(int code);
    void ToggleDriveMode();
    void ToggleSensorEffect();
    // Before a run, and not while the keyboard drives: the selected robot
    // turned by turn after its own rotation.
    void RotateSelectedRobot(const osg::Matrixd& turn);
    // Presets 0-3 as every application has them, the orbit camera back on;
    // 4 follows the selected robot from behind and above, and without one
    // falls back to the others' rule. Nothing while loading.
    void SetViewPreset(int preset) override;

    // Degrees to radians in single precision, as the turn buttons build
    // their turns.
    static float DegToRadF(float degrees) { return degrees * 3.1415927f / 180.0f; }

    // ---- state ----------------------------------------------------------------------------
    SRobThreadData* GetLoadBlock() { return &m_RobThread.GetData(); }
    bool IsLoading() const;
    // The run's frame counter, kept in the load block as tick digits.
    int GetFrameCount() const;
    void SetFrameCount(int frames);

    // The robots of the run as the window sees them. While the loader builds
    // them the run has none, so nothing reads the list as it grows.
    int GetRobotCount() const;
    // The last texts exchanged with robot index's program; false for an index
    // outside the run.
    bool GetRobotTexts(int index, std::string& output, std::string& input) const;
    // Robot index's file name; empty outside the run.
    std::string GetRobotFileName(int index) const;
    // Robot index; null outside the run.
    CRob* GetRobot(int index) const;
    CRob* GetSelectedRobot() const { return m_pSelRob.get(); }
    CRcu* GetCarried() const { return m_pCarried.get(); }

    CPlayground* GetPlayground() const { return m_pPlayground.get(); }
    SGameState& GetGameState() { return m_GameState; }
    physics::PhysicsWorld* GetSimulator() const { return m_pSimulator.get(); }
    const std::string& GetMapFile() const { return m_sMapFile; }

    // One running frame is this much physics.
    static constexpr double kFrameSeconds = 0.6;
    // A robot whose control unit is below this height has fallen off.
    static constexpr float kFallenBelow = -1000.0f;

    // Written by the main window directly: a run in progress (it clears it
    // to stop a run), the follow view, its height, the frame limit (0 none).
    bool m_bRunning = false;
    bool m_bFollow = false;
    int m_nFollowHeight = 200;
    int m_nMaxTime = 0;

signals:
    void signal_Ui_StopEmu();
    void signal_Ui_SetProgress(int percent);
    void signal_Ui_ReloadToEmuApp(int result = 0);
    // Robot robot's program was dropped in this frame's step (why: a
    // CRobotProgram::Drop); program is the file the student chose. In the
    // robots' order.
    void signal_Ui_ProgramDropped(int robot, int why, QString program);

public slots:
    void slot_ThreadEnd();

protected:
    // Waits for a load under way, then takes robots and playground out of the
    // scene and the world before the world goes.
    ~CEmuApp() override;

private:
    void CreateWorld();
    void DestroyWorld();

    // The stages of a running frame; false when the run stopped in it.
    bool StepRun(std::size_t robots);
    // Readings (idle frames only), sensor effects and name labels.
    void RefreshRobots(bool idle);
    void FollowSelectedRobot();

    // Takes every robot out of the scene and the world.
    void ClearRobots();
    // The robot whose control unit is element; null for anything else.
    CRob* RobotOfUnit(const CElement* element) const;
    CRob* PickRobot(const osg::Vec2& point, bool& hitSomething);
    // The robot's control unit turned by turn after its own rotation, then
    // every robot's solids where the scene shows them.
    void TurnRobot(CRob& robot, const osg::Matrixd& turn);
    void SyncAllRobotsToScene();
    bool CarryTo(const osg::Vec2& point);

    CConfig& m_config;
    PartContextPtr m_pParts;

    bool m_bKeepPaused = false;
    osg::ref_ptr<CRob> m_pSelRob;
    osg::ref_ptr<CRcu> m_pCarried;
    CRobThread m_RobThread;
    std::unique_ptr<physics::PhysicsWorld> m_pSimulator;
    osg::ref_ptr<CPlayground> m_pPlayground;
    std::vector<osg::ref_ptr<CRob>> m_vRobots;
    SGameState m_GameState;
    bool m_bKeyFwd = false;
    bool m_bKeyBack = false;
    bool m_bKeyLeft = false;
    bool m_bKeyRight = false;
    std::string m_sMapFile;
};
