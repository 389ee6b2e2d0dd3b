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

    explicit SceneView(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~SceneView() override;

    osgViewer::GraphicsWindowEmbedded* GetGraphicsWindow() const;
    osgViewer::GraphicsWindow* GetOsgViewerGraphicsWindow() const;

    // The viewer to draw; null detaches the current one after releasing what
    // it made in the GL context. The viewer's cameras are expected to use
    // GetGraphicsWindow() as their graphics context; whenever the widget
    // changes size they are given the whole window as their viewport and, if
    // perspective, the window's aspect ratio.
    void SetViewer(osgViewer::ViewerBase* viewer, PaintMode mode = PaintMode::RenderOnly);
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

    // How many GL contexts OSG has drawn into so far (1 until a reparenting).
    int GetContextCount() const { return m_contextCount; }

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
    void Draw(osgViewer::ViewerBase& viewer);
    void EnsureGraphicsState();
    int DevicePixels(double logical) const;
    float DeviceX(const QMouseEvent& event) const;
    float DeviceY(const QMouseEvent& event) const;

    osg::ref_ptr<osgViewer::GraphicsWindowEmbedded> m_window;
    osg::observer_ptr<osgViewer::ViewerBase> m_viewer;
    PaintMode m_mode = PaintMode::RenderOnly;
    int m_contextCount = 0;
    bool m_frameWaiting = false; // drawn by RenderNow, not yet shown
};

} // namespace scene
