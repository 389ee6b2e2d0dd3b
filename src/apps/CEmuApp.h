#pragma once

#include "apps/CApp.h"

#include <QObject>

#include <osg/Matrixd>

#include <string>

class CRob;

// The simulation: the scene application of the simulation page (kind 3).
// The physics world, the playground, the robots and their loader grow on
// this class; the main window already calls it through the operations below.
class CEmuApp : public QObject, public CApp {
    Q_OBJECT

public:
    CEmuApp(const std::string& configName, scene::SceneView* window);

    int GetAppKind() const override { return 3; }
    // Clears the run, then stops the frame loop.
    void Quit() override;
    // Presets 0-3 as every application has them; 4 follows the selected
    // robot, and without one falls back to the others' rule.
    void SetViewPreset(int preset) override;
    // The follow distance: the wheel turned up comes 5 nearer, otherwise 5
    // farther. False, untouched, while paused.
    bool MouseScrolled(scene::Mouse* mouse, int delta) override;

    void StartRun();
    void SetFollowTarget(CRob* robot);
    // Key codes of the page's 3-D host: 15-18 hold, 19-22 release a drive key.
    void DriveByKey(int code);
    void RotateSelectedRobot(const osg::Matrixd& turn);
    int GetFrameCount() const;

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

    // Degrees to radians in single precision, as the turn buttons build
    // their turns.
    static float DegToRadF(float degrees) { return degrees * 3.1415927f / 180.0f; }

    bool m_bRunning = false;
    bool m_bFollow = false;
    int m_nFollowHeight = 200;
    // The frame limit of a run; 0 means none.
    int m_nMaxTime = 0;

signals:
    void signal_Ui_StopEmu();
    void signal_Ui_SetProgress(int percent);
    void signal_Ui_ReloadToEmuApp(int result = 0);

protected:
    ~CEmuApp() override;
};
