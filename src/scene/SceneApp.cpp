#include "scene/SceneApp.h"

#include "scene/FrameLoop.h"
#include "scene/SceneView.h"

#include <osgGA/EventQueue>
#include <osgGA/GUIEventAdapter>
#include <osgViewer/GraphicsWindow>
#include <osgViewer/Viewer>

namespace scene {

namespace {

constexpr int kHeadlessWidth = 1440;
constexpr int kHeadlessHeight = 850;

int ToMouseButton(int osgButton) {
    switch (osgButton) {
    case osgGA::GUIEventAdapter::LEFT_MOUSE_BUTTON:
        return Mouse::LeftButton;
    case osgGA::GUIEventAdapter::MIDDLE_MOUSE_BUTTON:
        return Mouse::MiddleButton;
    case osgGA::GUIEventAdapter::RIGHT_MOUSE_BUTTON:
        return Mouse::RightButton;
    default:
        return -1;
    }
}

} // namespace

SceneApp::SceneApp(SceneView* view)
    : m_viewer(new osgViewer::Viewer)
    , m_scene(new Scene)
    , m_mouse(new Mouse)
    , m_keyboard(new Keyboard)
    , m_view(view) {
    m_viewer->setThreadingModel(osgViewer::ViewerBase::SingleThreaded);
    // Escape is an editor key here, and closing is the window's business.
    m_viewer->setKeyEventSetsDone(0);
    m_viewer->setQuitEventSetsDone(false);
    // The scene brings its own lights.
    m_viewer->setLightingMode(osg::View::NO_LIGHT);
    m_viewer->setSceneData(m_scene->GetSceneNode());
    m_camera = new Camera(m_viewer->getCamera());

    if (view) {
        osgViewer::GraphicsWindowEmbedded* window = view->GetGraphicsWindow();
        int x = 0, y = 0, width = 1, height = 1;
        view->GetPosition(x, y, width, height);
        m_viewer->getCamera()->setGraphicsContext(window);
        m_camera->SetViewport(0, 0, width, height);
        m_camera->SetPerspective(45.0, double(width) / double(height), 1.0, 100000.0);
        view->SetViewer(m_viewer.get(), SceneView::PaintMode::RenderOnly, m_scene.get());
        m_viewer->realize();
    } else {
        m_camera->SetViewport(0, 0, kHeadlessWidth, kHeadlessHeight);
        m_camera->SetPerspective(45.0, double(kHeadlessWidth) / kHeadlessHeight, 1.0, 100000.0);
    }
}

SceneApp::~SceneApp() {
    if (m_loop)
        m_loop->RemoveApp(this);
    if (m_view && m_view->GetViewer() == m_viewer.get())
        m_view->SetViewer(nullptr);
}

SceneView* SceneApp::GetSceneView() const {
    return m_view.data();
}

void SceneApp::PreFrame(double) { }

void SceneApp::Frame(double) {
    {
        // Particles and update callbacks change the graph: not while another
        // thread holds the scene.
        const std::unique_lock<std::mutex> lock = m_scene->LockForDrawing();
        if (!lock)
            return;
        m_viewer->advance();
        m_viewer->updateTraversal();
    }
    if (m_view)
        m_view->RenderNow();
}

void SceneApp::PostFrame(double) { }

void SceneApp::Quit() {
    if (m_loop)
        m_loop->Stop();
}

bool SceneApp::KeyPressed(Keyboard*, int) {
    return false;
}

bool SceneApp::KeyReleased(Keyboard*, int) {
    return false;
}

bool SceneApp::MouseButtonPressed(Mouse*, int) {
    return false;
}

bool SceneApp::MouseButtonReleased(Mouse*, int) {
    return false;
}

bool SceneApp::MouseButtonDoubleClicked(Mouse*, int) {
    return false;
}

bool SceneApp::MouseMoved(Mouse*, float, float) {
    return false;
}

bool SceneApp::MouseDragged(Mouse*, float, float) {
    return false;
}

bool SceneApp::MouseScrolled(Mouse*, int) {
    return false;
}

void SceneApp::EventTraversal() {
    // Handlers pick and move objects: while another thread holds the scene
    // the input stays queued for the frame after.
    if (!m_view || m_scene->IsHeldElsewhere())
        return;
    osgGA::EventQueue::Events events;
    m_view->GetGraphicsWindow()->getEventQueue()->takeEvents(events);
    // Handlers may drop the last outside reference to the application.
    osg::ref_ptr<SceneApp> keep = this;
    for (const auto& event : events) {
        if (const osgGA::GUIEventAdapter* adapter = event->asGUIEventAdapter())
            Dispatch(*adapter);
    }
}

osg::Vec2 SceneApp::Normalised(const osgGA::GUIEventAdapter& event) const {
    // Against the window's size, not osgGA's input range (which ends one
    // pixel short), so the window's edges are exactly -1 and 1.
    int x = 0, y = 0, width = 0, height = 0;
    if (m_view)
        m_view->GetPosition(x, y, width, height);
    if (width <= 0 || height <= 0)
        return m_mouse->GetPosition();
    const float nx = 2.0f * (event.getX() - float(x)) / float(width) - 1.0f;
    float ny = 2.0f * (event.getY() - float(y)) / float(height) - 1.0f;
    if (event.getMouseYOrientation() == osgGA::GUIEventAdapter::Y_INCREASING_DOWNWARDS)
        ny = -ny;
    return osg::Vec2(nx, ny);
}

void SceneApp::Dispatch(const osgGA::GUIEventAdapter& event) {
    using E = osgGA::GUIEventAdapter;
    switch (event.getEventType()) {
    case E::PUSH:
    case E::RELEASE:
    case E::DOUBLECLICK: {
        const int button = ToMouseButton(event.getButton());
        if (button < 0)
            return;
        m_mouse->SetPosition(Normalised(event));
        const bool pressed = event.getEventType() != E::RELEASE;
        m_mouse->SetButtonState(button, pressed);
        if (event.getEventType() == E::PUSH)
            MouseButtonPressed(m_mouse.get(), button);
        else if (event.getEventType() == E::RELEASE)
            MouseButtonReleased(m_mouse.get(), button);
        else
            MouseButtonDoubleClicked(m_mouse.get(), button);
        m_mouse->NotifyButton(button, pressed);
        break;
    }
    case E::MOVE:
    case E::DRAG: {
        const osg::Vec2 before = m_mouse->GetPosition();
        const osg::Vec2 now = Normalised(event);
        m_mouse->SetPosition(now);
        if (m_mouse->AnyButtonPressed())
            MouseDragged(m_mouse.get(), now.x(), now.y());
        else
            MouseMoved(m_mouse.get(), now.x(), now.y());
        m_mouse->NotifyMoved(now.x() - before.x(), now.y() - before.y());
        break;
    }
    case E::SCROLL: {
        int delta = 0;
        if (event.getScrollingMotion() == E::SCROLL_UP)
            delta = 1;
        else if (event.getScrollingMotion() == E::SCROLL_DOWN)
            delta = -1;
        else if (event.getScrollingMotion() == E::SCROLL_2D)
            delta = event.getScrollingDeltaY() > 0 ? 1 : (event.getScrollingDeltaY() < 0 ? -1 : 0);
        if (delta == 0)
            return;
        MouseScrolled(m_mouse.get(), delta);
        m_mouse->NotifyScrolled(delta);
        break;
    }
    case E::KEYDOWN:
        m_keyboard->SetKeyState(event.getKey(), true);
        KeyPressed(m_keyboard.get(), event.getKey());
        break;
    case E::KEYUP:
        m_keyboard->SetKeyState(event.getKey(), false);
        KeyReleased(m_keyboard.get(), event.getKey());
        break;
    default:
        break;
    }
}

std::vector<PickHit> SceneApp::Pick(float x, float y) {
    const osg::Vec2 pixel = m_camera->CalcPixelCoords(x, y);
    return PickAll(*m_camera, m_scene->GetSceneNode(), pixel.x(), pixel.y());
}

PickResult SceneApp::PickObject(float x, float y) {
    std::vector<SceneObject*> candidates;
    for (const auto& object : m_scene->GetDrawables())
        candidates.push_back(object.get());
    return FindPickedObject(Pick(x, y), candidates);
}

} // namespace scene
