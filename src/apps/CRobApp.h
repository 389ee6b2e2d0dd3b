#pragma once

#include "apps/CApp.h"
#include "apps/SEditState.h"
#include "elements/PartContext.h"
#include "simulation/CThread.h"

#include <QObject>
#include <QString>

#include <osg/Vec3f>
#include <osg/Vec4>
#include <osg/observer_ptr>
#include <osg/ref_ptr>

#include <string>
#include <vector>

class CConfig;
class CDrawTri;
class CModel;
class Nets;

// The robot builder: the scene application of the robot page (kind 1). The
// student assembles a robot from parts in its 3-D view: parts come from the
// page's bars, follow the pointer, snap onto each other port to port, turn
// with the pointer or by quarter turns, are selected by click or rectangle,
// copied, pasted, deleted and wired to the control unit's ports; every change
// can be undone and redone. The builder also replays the build order (the
// assembly show) and takes screenshots of its view.
//
// A new builder starts with the studio's control unit; a robot has exactly
// one, which is never deleted, copied or recorded in add and delete steps.
//
// While its file worker loads or saves, every operation that changes the
// robot, the selection or the view is ignored; the queries still answer.
class CRobApp : public QObject, public CApp {
    Q_OBJECT

public:
    // Takes the configuration (studio, texts, colour objects) and the part
    // context that parts are made over; the short form uses the process's
    // configuration and a context read from it.
    CRobApp(const std::string& configName, scene::SceneView* window);
    CRobApp(const std::string& configName, scene::SceneView* window, const CConfig& config,
        PartContextPtr context = nullptr);

    int GetAppKind() const override { return 1; }
    void PreFrame(double deltaTime) override;
    bool MouseButtonPressed(scene::Mouse* mouse, int button) override;
    bool MouseButtonReleased(scene::Mouse* mouse, int button) override;
    bool MouseMoved(scene::Mouse* mouse, float x, float y) override;
    bool MouseDragged(scene::Mouse* mouse, float x, float y) override;

    // ---- robot and files ----------------------------------------------------------
    // Clears the robot and starts a new one with a control unit.
    void NewRobot();
    // Loads (load) or saves the robot file at path (local 8-bit) in the
    // background; the builder refuses every change meanwhile. After a load
    // with toSimulation, or after a successful save, the first action asked
    // for follows: the robot goes to the simulation, another file is opened,
    // or a new robot is started.
    void StartFileThread(
        const std::string& path, bool load, bool toSimulation, bool openAfter, bool newAfter);
    // Reports the part count to the status bar.
    void ShowObjCount();
    const std::vector<osg::ref_ptr<CModel>>& GetPartList() const { return m_edit.m_vecAllParts; }
    // The motors that would drive no wheel in a run (IdleMotorParts), in
    // part order, carried parts where they are carried. While a file is read
    // or written, the answer of the last time before.
    std::vector<const CModel*> IdleMotors();
    const SEditState& GetEditState() const { return m_edit; }
    const PartContextPtr& GetPartContext() const { return m_pPartContext; }

    // ---- selection and commands ---------------------------------------------------
    CModel* GetSingleSel() const { return s_GetSingleSel(m_edit); }
    bool HasSel() const { return s_HasSel(m_edit); }
    bool CanUndo() const { return s_CanUndo(m_edit); }
    bool CanRedo() const { return s_CanRedo(m_edit); }
    // Editor commands: 0 reset the rotation, 1-3 turn with the pointer about
    // x/y/z, 4-9 quarter turns (-/+ about x, y, z), 10 undo, 11 redo, 12/13
    // add-to-selection on/off, 14 release, 17-20 quarter turns about the
    // view's z and x; in the assembly show 10/11 step back and forward and
    // 15-18 turn the camera. Ignored while the application is paused.
    void DoCommand(int code, bool viewRelative);
    // The code of the last command taken.
    int GetLastCommand() const { return m_edit.m_nLastCommand; }

    // ---- part operations ----------------------------------------------------------
    // Adds a part built by the caller: it gets the next build-order id,
    // becomes the selection and follows the pointer until it is put down. A
    // second control unit is refused, as is a part whose model does not load.
    bool AddPart(CModel* part);
    // One part, every part (part null, all true) or nothing; a carried or
    // turned selection is put down first.
    void SetSelected(CModel* part, bool all);
    // Without force only parts never put down are deleted; the control unit
    // always stays. True when something was deleted.
    bool DeleteSel(bool force);
    // True when the selection was copied (the control unit is never copied).
    bool CopySel();
    void PasteSel();
    // The selection starts to follow the pointer.
    void MoveSel(bool force, bool atHover);
    // Index 0-2 a position from value; 3 the angles (about x, y, z) from the
    // angle boxes, 4 from the turn sliders while they move (no undo step).
    void SetSelTransform(int index, double value, const osg::Vec3f& rotation);
    // Wires the single selected part to a control-unit port; a negative port
    // unwires every part.
    void SetPort(int port, int opposite, int rayDistance);
    // Gives the single selected brick a colour; false when no brick alone is
    // selected, or it is one that takes no colour. The robot is unsaved until its next save, whatever undo
    // does.
    bool SetSelColor(const osg::Vec4& colour);

    // ---- assembly show and screenshots --------------------------------------------
    void ToggleSetUpShow();
    bool IsSetUpShow() const { return m_edit.m_bShowMode; }
    // Takes a picture of the next frame drawn and writes it to path (a PNG);
    // ignored while one is pending. Width and height are cut to the view.
    void CaptureImage(const std::string& path, int width, int height);
    // When turned on, every show step and camera turn takes a picture of this
    // size.
    void ToggleFastCapture(int width, int height);
    bool IsFastCapture() const;
    // White background without grid and arrows, or the grey one with them.
    void ToggleGridBackground();
    // "<program folder>/bmp/<year>-<month>-<day>-<hour>-<minute>-<second>-<ms>.png"
    // for now, numbers without leading zeros.
    std::string ScreenshotPath() const;

signals:
    void signal_Ui_RobAppToEmuApp();
    void signal_Ui_RobAppOpenFile();
    void signal_Ui_RobAppNew();
    void signal_Ui_SetProgress(int percent);
    void signal_Ui_UpdatePort();
    void signal_Ui_Set();
    void signal_Ui_NoSel();
    void signal_Ui_StepChange();
    void signal_Ui_SaveFlag(bool saved);
    // The robot was written to its file.
    void signal_Ui_RobotSaved();
    void signal_Ui_StatusBar_ShowObjName(std::string* name);
    void signal_Ui_StatusBar_ShowObjL(QString text);
    // A load ended: the file's robot is in the editor (loaded), or the robot
    // before it is still there, with its file name, saved state and history.
    void signal_Ui_RobotLoaded(bool loaded);

protected:
    ~CRobApp() override;

private slots:
    void slot_ThreadEnd();

private:
    class SImgCallback;

    // ---- builder ------------------------------------------------------------------
    bool IsBusy() const;
    double LowestBottom(bool includeSelected);
    void PlaceGrid(bool includeSelected);
    void ResetCamera();
    void ClearRobot();
    void ShowRobot(bool newControlUnit);
    // The end of a load: the file's robot takes the place of the one kept
    // aside, or (not loaded) the kept one comes back.
    void TakeLoadedRobot(bool loaded);
    // Why the file worker's last load or save failed, naming the file, in
    // the user's language.
    QString FileFaultText(bool load) const;
    void RubberBandSelect(bool dragging);
    void ShowCommand(int code);
    void TakeScreenshotStep();
    // ---- part operations ----------------------------------------------------------
    // A robot part of a model type (and sensor kind), not yet loaded.
    osg::ref_ptr<CModel> MakePart(int type, int sensorKind, const std::string& address) const;
    CModel* CreatePartFromRecord(const CModelInfo& record);
    void CommitSelPose(bool regrid, bool noUndo);
    void PushUndoStep(int kind);
    void ApplyBrickColor(CModel* part);
    // ---- carrying, joining and turning --------------------------------------------
    // Where the pointer ray reaches the carrying height over the other parts'
    // lowest bottom; false when the ray runs level.
    bool CarryPoint(double lowestBottom, osg::Vec3f& point) const;
    bool InsideGridArea(const osg::Vec3f& point) const;
    void CarryToPointer();
    bool SnapCarried();
    void JoinParts();
    bool SelCollides();
    void MouseRotateSel(int code);
    void TurnSel(int code, bool viewRelative);
    void RotateSelStep(int k);
    // The reference point (centroid) and offsets of a selection about to turn.
    void TakeCentroid();
    // Turns every selected part by turn about the pivot.
    void TurnAbout(const osg::Vec3f& pivot, const osg::Quat& turn);
    void QuarterTurn(int axis, double degrees, bool viewRelative);

    const CConfig& m_config;
    PartContextPtr m_pPartContext;
    osg::ref_ptr<CDrawTri> m_pArrow;
    osg::ref_ptr<Nets> m_pGrid;
    SEditState m_edit;
    // Declared after the editing state it works on: it goes first, waiting
    // for a job under way.
    CThread m_worker;
    osg::ref_ptr<SImgCallback> m_pImgCallback;
    // The model address that the status bar shows for a single selection.
    std::string m_strSelName;
    // The robot in the editor while a file is loaded in its place.
    struct KeptRobot {
        std::vector<osg::ref_ptr<CModel>> parts;
        int buildCounter = 0;
        std::string file;
    };
    KeptRobot m_keptRobot;
    // The motors IdleMotors found the last time it could look.
    std::vector<osg::observer_ptr<CModel>> m_lastIdleMotors;
};
