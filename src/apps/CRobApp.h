#pragma once

#include "apps/CApp.h"

#include <QObject>
#include <QString>

#include <osg/Vec3f>

#include <string>

class CModel;

// The robot builder: the scene application of the robot page (kind 1). Its
// editing (parts, selection, undo, ports, files) grows on this class; the
// main window already calls it through the operations below.
class CRobApp : public QObject, public CApp {
    Q_OBJECT

public:
    CRobApp(const std::string& configName, scene::SceneView* window);

    int GetAppKind() const override { return 1; }

    bool CanUndo() const;
    bool CanRedo() const;
    // True when something was copied into the editor's clipboard.
    bool CopySel();
    void PasteSel();
    bool DeleteSel(bool force);
    void MoveSel(bool force, bool atHover);
    // One part, every part (part null, all true) or nothing.
    void SetSelected(CModel* part, bool all);
    CModel* GetSingleSel() const;
    bool HasSel() const;
    // Index 0-2 a position from value; 3 the rotation from the angle boxes,
    // 4 from the turn sliders while they move.
    void SetSelTransform(int index, double value, const osg::Vec3f& rotation);
    // Editor commands: 0 reset the rotation, 1-3 turn about the port, 4/6/8
    // quarter turns about X/Y/Z, 10 undo, 11 redo; the rest are the key codes
    // of the page's 3-D host. Ignored while the application is paused.
    void DoCommand(int code, bool viewRelative);
    // The code of the last command taken.
    int GetLastCommand() const { return m_nLastCommand; }
    // Reports the part count to the status bar.
    void ShowObjCount();

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
    void signal_Ui_StatusBar_ShowObjName(std::string* name);
    void signal_Ui_StatusBar_ShowObjL(QString text);

protected:
    ~CRobApp() override;

private:
    int m_nLastCommand = -1;
};
