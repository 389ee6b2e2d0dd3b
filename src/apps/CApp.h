#pragma once

#include "scene/SceneApp.h"

#include <osg/Matrixd>
#include <osg/Vec2>
#include <osg/ref_ptr>

#include <string>

namespace scene {
class Compass;
class SceneObject;
class SceneView;
} // namespace scene

class CElement;
class MotionModel;

// The base of the three scene applications: the robot builder (kind 1), the
// playground builder (kind 2) and the simulation (kind 3). Each renders into
// the 3-D view its tab page embeds. The base sets up what they share: an
// orbit camera on the right and middle mouse buttons, a compass, a headlight
// that follows the camera, the grey clear colour, the run flag with which the
// main window pauses the pages it does not show, the mouse mode, the camera
// presets and picking.
//
// No global locale is set: narrow texts are converted from GBK explicitly
// where files hold them, and a process-wide locale would change how numbers
// are written into files and step texts.
class CApp : public scene::SceneApp {
public:
    enum MouseMode { MouseModeMove = 0, MouseModeRotate = 1, MouseModeDelete = 2 };

    // The configuration name is kept for the callers' sake: our 3-D windows
    // need no configuration file. A null view runs headless.
    CApp(const std::string& configName, scene::SceneView* window);

    // The headlight: light 1 takes the camera's pose before every frame.
    void PreFrame(double deltaTime) override;
    // Draws only while the application runs (Resume); a paused application
    // still gets PreFrame and PostFrame.
    void Frame(double deltaTime) override;

    virtual void Reset() { }
    // 0 here; 1 robot builder, 2 playground builder, 3 simulation.
    virtual int GetAppKind() const { return 0; }
    virtual void Resume() { m_bRun = true; }
    virtual void Pause() { m_bRun = false; }
    bool IsRunning() const { return m_bRun; }

    // Camera presets: 0 top, 1 side, 2 front, 3 perspective overview. The
    // robot builder looks from 80 units, the other two from 800. Other
    // numbers, and the base application, change nothing.
    virtual void SetViewPreset(int preset);

    void SetMouseModeMove() { m_nMouseMode = MouseModeMove; }
    void SetMouseModeRotate() { m_nMouseMode = MouseModeRotate; }
    void SetMouseModeDelete() { m_nMouseMode = MouseModeDelete; }
    int GetMouseMode() const { return m_nMouseMode; }

    MotionModel* GetMotionModel() const { return m_pMotionModel.get(); }
    scene::Compass* GetCompass() const { return m_pCompass.get(); }

    // The scene element of the kind (ElementKindModel, ElementKindGround)
    // under a point in normalised window coordinates: the hits are tried
    // nearest first and, for each hit, the scene's objects in the order they
    // were added; null when no element of that kind is hit. Elements of other
    // kinds in front are looked past.
    CElement* PickElement(int elementKind, const osg::Vec2& point);

    // Frames drawn since construction (Frame calls that were not paused).
    unsigned GetDrawnFrames() const { return m_nDrawnFrames; }

protected:
    ~CApp() override;

    // The scene's top-level object under a point in normalised window
    // coordinates whose kind the caller accepts: the hits are tried nearest
    // first and, for each hit, the objects in the order they were added. Null
    // when no accepted object is hit. Picking by element kind is this with
    // the element's kind as the test.
    scene::SceneObject* PickObjectWhere(
        const osg::Vec2& point, const std::function<bool(scene::SceneObject*)>& accepts);

    osg::ref_ptr<MotionModel> m_pMotionModel;
    osg::ref_ptr<scene::Compass> m_pCompass;
    int m_nMouseMode = MouseModeMove;
    bool m_bRun = true;
    osg::Matrixd m_matView;

private:
    unsigned m_nDrawnFrames = 0;
};
