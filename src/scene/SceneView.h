#pragma once

#include <QOpenGLWidget>

#include <osg/Vec2>
#include <osg/observer_ptr>
#include <osg/ref_ptr>

namespace osgViewer {
class GraphicsWindow;
class GraphicsWindowEmbedded;
class ViewerBase;
} // namespace osgViewer

namespace scene {

class Scene;

// A Qt widget that an OpenSceneGraph viewer draws into, through an embedded
// graphics window. The widget turns Qt's mouse, wheel and key events into
// events of the graphics window's queue (osgGA), where the application that
// owns the viewer takes them (SceneApp) or the viewer's own event handling
// does (stand-alone views). Coordinates are device pixels.
//
// It keeps OSG's rules for living inside a QOpenGLWidget: every paint first
// tells OSG which framebuffer Qt gave the widget this time, and when Qt drops
// the widget's GL context (moving the widget into another top-level window
// does), every GL object OSG made in it is released while that context is
// still current, and OSG starts afresh in the next one.
//
// Key events are passed on to the parent after they are queued, so a host
// widget around the view sees them too.
class SceneView : public QOpenGLWidget {
    Q_OBJECT

public:
    // RenderOnly: each paint draws what the viewer's owner has already
    // updated (scene applications advance and update in their frame step).
    // FullFrame: each paint runs a whole viewer frame (events, update,
    // draw), for views that drive themselves with a timer.
    enum class PaintMode { RenderOnly, FullFrame };

    // How Qt's mouse buttons become button numbers of the event queue (1 is
    // osgGA's left button, 2 its middle, 3 its right; 0 none):
    // - Scene: left 1, middle 2, right 3; other buttons are not passed on.
    //   The scene applications' handlers and motion models read these.
    // - Adapter: the embedded-window adapter's rule: a press of the right
    //   button is 1 (and writes "right" on standard output), any other press
    //   0; releases are not passed on.
    // - Preview: the model preview's rule: right 1, middle 2, any other 0,
    //   for presses and releases. Its trackball manipulator turns the model
    //   with the right button and moves it with the middle one; a left click
    //   (0) is left to the widget, which reports it.
    // Presses and releases mapped to 0 still reach the queue under Adapter and
    // Preview.
    enum class ButtonMapping { Scene, Adapter, Preview };

    explicit SceneView(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~SceneView() override;

    osgViewer::GraphicsWindowEmbedded* GetGraphicsWindow() const;
    osgViewer::GraphicsWindow* GetOsgViewerGraphicsWindow() const;

    // The viewer to draw; null detaches the current one after releasing what
    // it made in the GL context. The viewer's cameras are expected to use
    // GetGraphicsWindow() as their graphics context; whenever the widget
    // changes size they are given the whole window as their viewport and, if
    // perspective, the window's aspect ratio. With a scene given, nothing is
    // drawn while another thread holds that scene (Scene::HoldForChanges): the
    // widget keeps showing the frame it showed.
    void SetViewer(
        osgViewer::ViewerBase* viewer, PaintMode mode = PaintMode::RenderOnly, Scene* scene = nullptr);
    osgViewer::ViewerBase* GetViewer() const;

    // Draws at once when the widget is on screen (false otherwise), so that a
    // frame step has drawn before it returns; Qt shows the frame at its next
    // paint.
    bool RenderNow();

    // Position and size of the drawing area in device pixels.
    void GetPosition(int& x, int& y, int& width, int& height) const;
    // A point in normalised coordinates (-1..1, y up) in device pixels from
    // the bottom left.
    osg::Vec2 CalcPixelCoords(float x, float y) const;

    void SetButtonMapping(ButtonMapping mapping) { m_buttonMapping = mapping; }
    ButtonMapping GetButtonMapping() const { return m_buttonMapping; }
    // The number the last mouse press or release was given (0 before any).
    unsigned GetButton() const { return m_button; }

    // How many GL contexts OSG has drawn into so far (1 until a reparenting).
    int GetContextCount() const { return m_contextCount; }
    // How many frames the viewer has drawn into this widget.
    int GetDrawCount() const { return m_drawCount; }

protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void ReleaseGraphics();
    bool Draw(osgViewer::ViewerBase& viewer);
    void EnsureGraphicsState();
    int DevicePixels(double logical) const;
    // The queue's number for a button under the current mapping; false when
    // the event is not passed on.
    bool MapButton(Qt::MouseButton button, bool press, unsigned& number) const;
    float DeviceX(const QMouseEvent& event) const;
    float DeviceY(const QMouseEvent& event) const;

    osg::ref_ptr<osgViewer::GraphicsWindowEmbedded> m_window;
    osg::observer_ptr<osgViewer::ViewerBase> m_viewer;
    osg::observer_ptr<Scene> m_scene;
    PaintMode m_mode = PaintMode::RenderOnly;
    ButtonMapping m_buttonMapping = ButtonMapping::Scene;
    unsigned m_button = 0;
    int m_contextCount = 0;
    int m_drawCount = 0;
    bool m_frameWaiting = false; // drawn by RenderNow, not yet shown
};

} // namespace scene
