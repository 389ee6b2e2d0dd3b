#include "scene/SceneView.h"

#include "scene/Scene.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QWheelEvent>

#include <osgGA/EventQueue>
#include <osgGA/GUIEventAdapter>
#include <osgViewer/GraphicsWindow>
#include <osgViewer/Renderer>
#include <osgViewer/ViewerBase>

#include <cmath>
#include <cstdio>

namespace scene {

namespace {

using Key = osgGA::GUIEventAdapter::KeySymbol;

int ToOsgKey(const QKeyEvent& event) {
    switch (event.key()) {
    case Qt::Key_Escape:
        return Key::KEY_Escape;
    case Qt::Key_Tab:
        return Key::KEY_Tab;
    case Qt::Key_Backspace:
        return Key::KEY_BackSpace;
    case Qt::Key_Return:
        return Key::KEY_Return;
    case Qt::Key_Enter:
        return Key::KEY_KP_Enter;
    case Qt::Key_Insert:
        return Key::KEY_Insert;
    case Qt::Key_Delete:
        return Key::KEY_Delete;
    case Qt::Key_Pause:
        return Key::KEY_Pause;
    case Qt::Key_Home:
        return Key::KEY_Home;
    case Qt::Key_End:
        return Key::KEY_End;
    case Qt::Key_Left:
        return Key::KEY_Left;
    case Qt::Key_Up:
        return Key::KEY_Up;
    case Qt::Key_Right:
        return Key::KEY_Right;
    case Qt::Key_Down:
        return Key::KEY_Down;
    case Qt::Key_PageUp:
        return Key::KEY_Page_Up;
    case Qt::Key_PageDown:
        return Key::KEY_Page_Down;
    case Qt::Key_Shift:
        return Key::KEY_Shift_L;
    case Qt::Key_Control:
        return Key::KEY_Control_L;
    case Qt::Key_Alt:
        return Key::KEY_Alt_L;
    case Qt::Key_Meta:
        return Key::KEY_Meta_L;
    case Qt::Key_CapsLock:
        return Key::KEY_Caps_Lock;
    case Qt::Key_Space:
        return Key::KEY_Space;
    default:
        break;
    }
    if (event.key() >= Qt::Key_F1 && event.key() <= Qt::Key_F12)
        return Key::KEY_F1 + (event.key() - Qt::Key_F1);
    // Letters as osgGA has them: lower case, like an unshifted key.
    if (event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z)
        return 'a' + (event.key() - Qt::Key_A);
    if (event.key() > 0 && event.key() < 0x7f)
        return event.key();
    const QString text = event.text();
    if (text.size() == 1 && text.at(0).unicode() >= 0x20)
        return text.at(0).unicode();
    return 0;
}

unsigned SceneButton(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::MiddleButton:
        return 2;
    case Qt::RightButton:
        return 3;
    default:
        return 0;
    }
}

} // namespace

SceneView::SceneView(QWidget* parent, Qt::WindowFlags flags)
    : QOpenGLWidget(parent, flags)
    , m_window(new osgViewer::GraphicsWindowEmbedded(0, 0, qMax(1, width()), qMax(1, height()))) {
    // Qt's y runs down the window; OSG's normalised y runs up.
    m_window->getEventQueue()->getCurrentEventState()->setMouseYOrientation(
        osgGA::GUIEventAdapter::Y_INCREASING_DOWNWARDS);
    m_window->getEventQueue()->windowResize(0, 0, qMax(1, width()), qMax(1, height()));
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    // Frames are drawn into the framebuffer ahead of Qt's paint (RenderNow);
    // Qt must not throw them away before it shows them.
    setUpdateBehavior(QOpenGLWidget::PartialUpdate);
}

SceneView::~SceneView() {
    // The base class destroys the context after this object is gone: let go
    // of OSG's GL objects while the context is still there and ours.
    if (QOpenGLContext* glContext = context())
        disconnect(glContext, &QOpenGLContext::aboutToBeDestroyed, this, &SceneView::ReleaseGraphics);
    ReleaseGraphics();
}

osgViewer::GraphicsWindowEmbedded* SceneView::GetGraphicsWindow() const {
    return m_window.get();
}

osgViewer::GraphicsWindow* SceneView::GetOsgViewerGraphicsWindow() const {
    return m_window.get();
}

void SceneView::SetViewer(osgViewer::ViewerBase* viewer, PaintMode mode, Scene* scene) {
    osg::ref_ptr<osgViewer::ViewerBase> current;
    if (m_viewer.lock(current) && current.get() != viewer)
        ReleaseGraphics();
    m_viewer = viewer;
    m_scene = scene;
    m_mode = mode;
    if (viewer)
        EnsureGraphicsState();
}

osgViewer::ViewerBase* SceneView::GetViewer() const {
    osg::ref_ptr<osgViewer::ViewerBase> viewer;
    return m_viewer.lock(viewer) ? viewer.get() : nullptr;
}

bool SceneView::RenderNow() {
    osg::ref_ptr<osgViewer::ViewerBase> viewer;
    if (!isVisible() || !context() || width() <= 0 || height() <= 0 || !m_viewer.lock(viewer))
        return false;
    // Qt paints a QOpenGLWidget later, from the event loop; drawing into its
    // framebuffer now keeps a frame step's draw (and any pixels read back
    // after it) inside the step. The paint that follows shows this frame.
    makeCurrent();
    const bool drawn = Draw(*viewer);
    doneCurrent();
    if (!drawn)
        return false;
    m_frameWaiting = true;
    update();
    return true;
}

bool SceneView::Draw(osgViewer::ViewerBase& viewer) {
    std::unique_lock<std::mutex> lock;
    osg::ref_ptr<Scene> scene;
    if (m_scene.lock(scene)) {
        lock = scene->LockForDrawing();
        if (!lock)
            return false;
    }
    EnsureGraphicsState();
    // Qt's framebuffer for this widget can change between paints (it does on
    // every resize): never keep the id.
    m_window->setDefaultFboId(defaultFramebufferObject());
    if (m_mode == PaintMode::FullFrame) {
        viewer.frame();
        ++m_drawCount;
    } else if (viewer.isRealized()) {
        viewer.renderingTraversals();
        ++m_drawCount;
    }
    return true;
}

void SceneView::GetPosition(int& x, int& y, int& width, int& height) const {
    const osg::GraphicsContext::Traits* traits = m_window->getTraits();
    x = traits->x;
    y = traits->y;
    width = traits->width;
    height = traits->height;
}

osg::Vec2 SceneView::CalcPixelCoords(float x, float y) const {
    const osg::GraphicsContext::Traits* traits = m_window->getTraits();
    return osg::Vec2((x + 1.0f) * 0.5f * float(traits->width), (y + 1.0f) * 0.5f * float(traits->height));
}

void SceneView::ReleaseGraphics() {
    if (!m_window->getState())
        return;
    if (!context()) {
        // Never shown, so nothing was made in GL. The window must not be
        // made current to look (OSG would set up its GL functions for this
        // context id without a GL context, and keep them for the next
        // window that gets the id): it gives up its id and state as it is.
        m_window->close(false);
        return;
    }
    makeCurrent();
    // Releases the GL objects of everything the window's cameras draw, then
    // gives up the window's OSG context id and state.
    m_window->close(true);
    doneCurrent();
}

void SceneView::EnsureGraphicsState() {
    if (m_window->getState())
        return;
    m_window->init();
    // Renderers keep the state they drew with; give the cameras new ones.
    osg::GraphicsContext::Cameras cameras = m_window->getCameras();
    for (osg::Camera* camera : cameras) {
        if (dynamic_cast<osgViewer::Renderer*>(camera->getRenderer()))
            camera->setRenderer(new osgViewer::Renderer(camera));
    }
}

void SceneView::initializeGL() {
    EnsureGraphicsState();
    ++m_contextCount;
    m_frameWaiting = false;
    // Qt makes a new context when the widget moves to another top-level
    // window; this one tells us before it goes.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &SceneView::ReleaseGraphics,
        Qt::DirectConnection);
}

void SceneView::resizeGL(int width, int height) {
    // A new size means a new framebuffer: a frame drawn into the old one is gone.
    m_frameWaiting = false;
    const int w = DevicePixels(width);
    const int h = DevicePixels(height);
    m_window->getEventQueue()->windowResize(0, 0, w, h);
    m_window->resized(0, 0, w, h);
    // OSG scales viewports and projections by the change of size, which goes
    // wrong when a camera was set up for a size the window did not have yet
    // (a widget resized before it was first shown). Every camera drawing into
    // this window covers all of it, with a perspective of the window's shape.
    osg::GraphicsContext::Cameras cameras = m_window->getCameras();
    for (osg::Camera* camera : cameras) {
        camera->setViewport(0, 0, w, h);
        double fovy = 0.0, aspect = 0.0, zNear = 0.0, zFar = 0.0;
        if (h > 0 && camera->getProjectionMatrixAsPerspective(fovy, aspect, zNear, zFar))
            camera->setProjectionMatrixAsPerspective(fovy, double(w) / double(h), zNear, zFar);
    }
}

void SceneView::paintGL() {
    EnsureGraphicsState();
    if (m_frameWaiting) {
        m_frameWaiting = false;
        return;
    }
    osg::ref_ptr<osgViewer::ViewerBase> viewer;
    if (m_viewer.lock(viewer))
        Draw(*viewer);
}

int SceneView::DevicePixels(double logical) const {
    return int(std::lround(logical * devicePixelRatioF()));
}

float SceneView::DeviceX(const QMouseEvent& event) const {
    return float(event.position().x() * devicePixelRatioF());
}

float SceneView::DeviceY(const QMouseEvent& event) const {
    return float(event.position().y() * devicePixelRatioF());
}

bool SceneView::MapButton(Qt::MouseButton button, bool press, unsigned& number) const {
    switch (m_buttonMapping) {
    case ButtonMapping::Scene:
        number = SceneButton(button);
        return number != 0;
    case ButtonMapping::Adapter:
        number = button == Qt::RightButton ? 1 : 0;
        return press;
    case ButtonMapping::Preview:
        number = button == Qt::RightButton ? 1 : (button == Qt::MiddleButton ? 2 : 0);
        return true;
    }
    return false;
}

void SceneView::mousePressEvent(QMouseEvent* event) {
    unsigned button = 0;
    if (!MapButton(event->button(), true, button))
        return;
    m_button = button;
    if (m_buttonMapping == ButtonMapping::Adapter && event->button() == Qt::RightButton) {
        std::fputs("right\n", stdout);
        std::fflush(stdout);
    }
    m_window->getEventQueue()->mouseButtonPress(DeviceX(*event), DeviceY(*event), button);
}

void SceneView::mouseReleaseEvent(QMouseEvent* event) {
    unsigned button = 0;
    if (!MapButton(event->button(), false, button))
        return;
    m_button = button;
    m_window->getEventQueue()->mouseButtonRelease(DeviceX(*event), DeviceY(*event), button);
}

void SceneView::mouseDoubleClickEvent(QMouseEvent* event) {
    // The adapter and the preview take a double click as one more press, as
    // a plain Qt widget does.
    if (m_buttonMapping != ButtonMapping::Scene) {
        mousePressEvent(event);
        return;
    }
    unsigned button = 0;
    if (MapButton(event->button(), true, button)) {
        m_button = button;
        m_window->getEventQueue()->mouseDoubleButtonPress(DeviceX(*event), DeviceY(*event), button);
    }
}

void SceneView::mouseMoveEvent(QMouseEvent* event) {
    m_window->getEventQueue()->mouseMotion(DeviceX(*event), DeviceY(*event));
}

void SceneView::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y() != 0 ? event->angleDelta().y() : event->angleDelta().x();
    m_window->getEventQueue()->mouseScroll(
        delta > 0 ? osgGA::GUIEventAdapter::SCROLL_UP : osgGA::GUIEventAdapter::SCROLL_DOWN);
    event->accept();
}

void SceneView::keyPressEvent(QKeyEvent* event) {
    if (const int key = ToOsgKey(*event))
        m_window->getEventQueue()->keyPress(key);
    event->ignore();
}

void SceneView::keyReleaseEvent(QKeyEvent* event) {
    if (!event->isAutoRepeat()) {
        if (const int key = ToOsgKey(*event))
            m_window->getEventQueue()->keyRelease(key);
    }
    event->ignore();
}

} // namespace scene
