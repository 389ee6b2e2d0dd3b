#pragma once

#include "scene/Camera.h"
#include "scene/Keyboard.h"
#include "scene/Mouse.h"
#include "scene/Picking.h"
#include "scene/Scene.h"

#include <QPointer>

#include <osg/ref_ptr>

#include <vector>

namespace osgGA {
class GUIEventAdapter;
}
namespace osgViewer {
class Viewer;
}

namespace scene {

class FrameLoop;
class SceneView;

// The base of the scene applications: a scene, a camera looking at it, a
// viewer drawing it into a SceneView, the mouse and keyboard over that view,
// and the hooks a frame loop calls.
//
// Each frame step (FrameLoop::Step) first hands the view's queued input to
// the input handlers below, then calls PreFrame, Frame and PostFrame. The base
// Frame advances the viewer, runs its update traversal (particles, update
// callbacks) and draws the view before it returns; an application that skips
// the base Frame is not drawn that step. While another thread holds the scene
// (Scene::HoldForChanges) input stays queued and the base Frame does nothing;
// PreFrame and PostFrame still run (to poll a worker's progress, say) and
// must leave the scene alone.
//
// An application without a view runs headless: nothing is drawn and no input
// arrives, but the scene updates and picking works against the camera's
// viewport (1440 x 850 pixels until set otherwise).
//
// Input handlers return whether they handled the event. Buttons are
// Mouse::LeftButton, MiddleButton, RightButton; x and y are normalised
// window coordinates (-1..1, y up); a scroll is +1 for the wheel turned up
// (away from the user), -1 for down; keys are osgGA key symbols. Motion
// models listening to the mouse (OrbitMotion) hear every event whatever the
// handlers return.
class SceneApp : public osg::Referenced {
public:
    explicit SceneApp(SceneView* view = nullptr);

    virtual void PreFrame(double deltaTime);
    virtual void Frame(double deltaTime);
    virtual void PostFrame(double deltaTime);
    // Stops the frame loop the application runs in.
    virtual void Quit();

    virtual bool KeyPressed(Keyboard* keyboard, int key);
    virtual bool KeyReleased(Keyboard* keyboard, int key);
    virtual bool MouseButtonPressed(Mouse* mouse, int button);
    virtual bool MouseButtonReleased(Mouse* mouse, int button);
    virtual bool MouseButtonDoubleClicked(Mouse* mouse, int button);
    virtual bool MouseMoved(Mouse* mouse, float x, float y);
    virtual bool MouseDragged(Mouse* mouse, float x, float y);
    virtual bool MouseScrolled(Mouse* mouse, int delta);

    // Hands the view's queued input to the handlers; the frame loop calls it
    // at the start of every step.
    void EventTraversal();

    void AddDrawable(SceneObject* object) { m_scene->AddDrawable(object); }
    void RemoveDrawable(SceneObject* object) { m_scene->RemoveDrawable(object); }

    Scene* GetScene() { return m_scene.get(); }
    Camera* GetCamera() { return m_camera.get(); }
    Mouse* GetMouse() { return m_mouse.get(); }
    Keyboard* GetKeyboard() { return m_keyboard.get(); }
    SceneView* GetSceneView() const;
    osgViewer::Viewer* GetOsgViewer() { return m_viewer.get(); }
    FrameLoop* GetFrameLoop() const { return m_loop; }

    // Everything under a point in normalised window coordinates, nearest first.
    std::vector<PickHit> Pick(float x, float y);
    // The scene's top-level object under that point (the first added wins
    // where one hit touches several), with the world point hit.
    PickResult PickObject(float x, float y);

protected:
    ~SceneApp() override;

private:
    friend class FrameLoop;

    void Dispatch(const osgGA::GUIEventAdapter& event);
    osg::Vec2 Normalised(const osgGA::GUIEventAdapter& event) const;

    osg::ref_ptr<osgViewer::Viewer> m_viewer;
    osg::ref_ptr<Scene> m_scene;
    osg::ref_ptr<Camera> m_camera;
    osg::ref_ptr<Mouse> m_mouse;
    osg::ref_ptr<Keyboard> m_keyboard;
    QPointer<SceneView> m_view;
    FrameLoop* m_loop = nullptr; // not owned; set while registered
};

} // namespace scene
