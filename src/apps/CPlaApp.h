#pragma once

#include "apps/CApp.h"

#include <QObject>
#include <QString>

#include <osg/Vec3f>

#include <string>

class CModel;

// The playground builder: the scene application of the playground page
// (kind 2). Its editing (objects, zones, ground, undo, files) grows on this
// class; the main window already calls it through the operations below.
class CPlaApp : public QObject, public CApp {
    Q_OBJECT

public:
    CPlaApp(const std::string& configName, scene::SceneView* window);

    int GetAppKind() const override { return 2; }

    bool CanUndo() const;
    bool CanRedo() const;
    bool CopySel();
    void PasteSel();
    bool DeleteSel(bool force);
    void MoveSel();
    void SetSelected(CModel* object, bool all);
    CModel* GetSingleSel() const;
    bool HasSel() const;
    bool SetSelTransform(int component, double value, const osg::Vec3f& angles);
    // Editor commands, the robot builder's codes; the last two arguments are
    // not used by the playground.
    void DoCommand(int code, bool useView, int unused1 = 0, int unused2 = -1);
    int GetLastCommand() const { return m_nLastCommand; }
    void ShowObjCount();

signals:
    void signal_Ui_SaveFlag(bool saved);
    void signal_Ui_Set();
    void signal_Ui_NoSel();
    void signal_Ui_StatusBar_ShowObjName(std::string* name);
    void signal_Ui_StatusBar_ShowObjL(QString text);
    void signal_Ui_StepChange();

protected:
    ~CPlaApp() override;

private:
    int m_nLastCommand = -1;
};
