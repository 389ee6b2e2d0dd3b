#include "TestModels.h"

#include "support/FdCapture.h"

#include "platform/Warnings.h"
#include "scene/Compass.h"
#include "scene/FrameLoop.h"
#include "scene/Label.h"
#include "scene/SceneApp.h"
#include "scene/SceneView.h"

#include <QApplication>
#include <QTabWidget>
#include <QTest>
#include <QWheelEvent>

#include <osg/GLExtensions>
#include <osg/Image>
#include <osg/State>
#include <osg/Texture2D>
#include <osgGA/EventQueue>
#include <osgGA/GUIEventAdapter>
#include <osgGA/TrackballManipulator>
#include <osgViewer/Viewer>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using scene::FrameLoop;
using scene::Mouse;
using scene::SceneApp;
using scene::SceneObject;
using scene::SceneView;
using scene::Transform;

namespace {

// One QApplication for all tests, gone before the process exits (Qt's own
// statics are gone by then).
class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override { m_application = std::make_unique<QApplication>(m_argc, m_argv); }
    void TearDown() override { m_application.reset(); }

private:
    int m_argc = 1;
    char m_name[16] = "scene_view_test";
    char* m_argv[2] = { m_name, nullptr };
    std::unique_ptr<QApplication> m_application;
};

[[maybe_unused]] ::testing::Environment* const g_applicationEnvironment
    = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

bool IsLit(QRgb pixel) {
    return qRed(pixel) + qGreen(pixel) + qBlue(pixel) > 30;
}

bool AnyLit(const QImage& image, const QRect& area) {
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (IsLit(image.pixel(x, y)))
                return true;
        }
    }
    return false;
}

// Records what its input handlers receive.
class RecordingApp : public SceneApp {
public:
    explicit RecordingApp(SceneView* view)
        : SceneApp(view) {
        GetCamera()->SetClearColor(osg::Vec4(0, 0, 0, 1));
    }

    bool KeyPressed(scene::Keyboard*, int key) override { return Log("key+", key); }
    bool KeyReleased(scene::Keyboard*, int key) override { return Log("key-", key); }
    bool MouseButtonPressed(Mouse* mouse, int button) override {
        return Log("press", button, mouse->GetPosition());
    }
    bool MouseButtonReleased(Mouse* mouse, int button) override {
        return Log("release", button, mouse->GetPosition());
    }
    bool MouseButtonDoubleClicked(Mouse*, int button) override { return Log("double", button); }
    bool MouseMoved(Mouse*, float x, float y) override { return Log("move", 0, { x, y }); }
    bool MouseDragged(Mouse*, float x, float y) override { return Log("drag", 0, { x, y }); }
    bool MouseScrolled(Mouse*, int delta) override { return Log("scroll", delta); }

    struct Entry {
        std::string what;
        int value;
        osg::Vec2 position;
    };
    std::vector<Entry> log;

private:
    bool Log(const std::string& what, int value, const osg::Vec2& position = {}) {
        log.push_back({ what, value, position });
        return true;
    }
};

// A lit box in front of the camera, filling the middle of the view.
osg::ref_ptr<SceneObject> AddBoxInFront(SceneApp& app, const osg::Vec4& colour) {
    osg::ref_ptr<SceneObject> box = new SceneObject;
    box->SetModel(scenetest::MakeBox({ -5, -5, -5 }, { 5, 5, 5 }, colour).get());
    app.AddDrawable(box.get());
    app.GetCamera()->SetTransform(Transform(0, -30, 0, 0, 0, 0));
    return box;
}

// A camera drawing into a texture before the main view: without the FBO
// rule the main view would show only its clear colour afterwards.
void AddRenderToTexture(SceneApp& app) {
    osg::ref_ptr<osg::Texture2D> texture = new osg::Texture2D;
    texture->setTextureSize(64, 64);
    texture->setInternalFormat(GL_RGBA);
    osg::ref_ptr<osg::Camera> rtt = new osg::Camera;
    rtt->setRenderOrder(osg::Camera::PRE_RENDER);
    rtt->setRenderTargetImplementation(osg::Camera::FRAME_BUFFER_OBJECT);
    rtt->setReferenceFrame(osg::Transform::ABSOLUTE_RF);
    rtt->setViewport(0, 0, 64, 64);
    rtt->setClearColor(osg::Vec4(1, 0, 1, 1));
    rtt->attach(osg::Camera::COLOR_BUFFER, texture.get());
    rtt->addChild(scenetest::MakeBox({ -1, -1, -1 }, { 1, 1, 1 }).get());
    app.GetScene()->GetSceneNode()->addChild(rtt.get());
}

void Settle(QWidget& widget) {
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    QApplication::processEvents();
}

// Reads the middle pixel of the view after every draw, as screenshots do.
class MiddlePixelReader : public osg::Camera::DrawCallback {
public:
    void operator()(osg::RenderInfo& renderInfo) const override {
        const osg::Viewport* vp = renderInfo.getCurrentCamera()->getViewport();
        image->allocateImage(1, 1, 1, GL_RGB, GL_UNSIGNED_BYTE);
        image->readPixels(int(vp->width() / 2), int(vp->height() / 2), 1, 1, GL_RGB, GL_UNSIGNED_BYTE);
        ++draws;
    }
    osg::ref_ptr<osg::Image> image = new osg::Image;
    mutable int draws = 0;
};

} // namespace

using SceneViewTest = ::testing::Test;

// A host around the view, like the pages' key-catching widget.
class KeyHost : public QWidget {
public:
    std::vector<int> keys;

protected:
    void keyPressEvent(QKeyEvent* event) override { keys.push_back(event->key()); }
};

TEST_F(SceneViewTest, InputReachesTheHandlers) {
    KeyHost host;
    host.resize(400, 300);
    auto* viewPointer = new SceneView(&host);
    SceneView& view = *viewPointer;
    view.resize(400, 300);
    osg::ref_ptr<RecordingApp> app = new RecordingApp(&view);
    FrameLoop loop;
    loop.AddApp(app.get());
    loop.Start();
    Settle(host);
    loop.Step();
    app->log.clear();

    QTest::keyPress(&view, Qt::Key_Escape);
    QTest::keyRelease(&view, Qt::Key_Escape);
    QTest::keyPress(&view, Qt::Key_A);
    QTest::keyPress(&view, Qt::Key_Left);
    EXPECT_TRUE(app->log.empty()) << "input waits for the next step";
    // The host sees the key presses too.
    const std::vector<int> hostKeys { Qt::Key_Escape, Qt::Key_A, Qt::Key_Left };
    EXPECT_EQ(host.keys, hostKeys);
    loop.Step();
    ASSERT_EQ(app->log.size(), 4u);
    EXPECT_EQ(app->log[0].what, "key+");
    EXPECT_EQ(app->log[0].value, osgGA::GUIEventAdapter::KEY_Escape);
    EXPECT_EQ(app->log[1].what, "key-");
    EXPECT_EQ(app->log[2].value, 'a');
    EXPECT_EQ(app->log[3].value, osgGA::GUIEventAdapter::KEY_Left);
    EXPECT_TRUE(app->GetKeyboard()->GetKeyState('a'));
    EXPECT_FALSE(app->GetKeyboard()->GetKeyState(osgGA::GUIEventAdapter::KEY_Escape));
    app->log.clear();

    // A quarter of the way in from the left and from the top: (-0.5, 0.5).
    QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(100, 75));
    QTest::mouseMove(&view, QPoint(300, 225));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(300, 225));
    QTest::mouseMove(&view, QPoint(200, 150));
    QTest::mousePress(&view, Qt::RightButton, {}, QPoint(200, 150));
    QTest::mouseRelease(&view, Qt::RightButton, {}, QPoint(200, 150));
    QTest::mousePress(&view, Qt::MiddleButton, {}, QPoint(200, 150));
    QTest::mouseRelease(&view, Qt::MiddleButton, {}, QPoint(200, 150));
    QWheelEvent up(QPointF(200, 150), view.mapToGlobal(QPointF(200, 150)), QPoint(), QPoint(0, 120),
        Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&view, &up);
    QWheelEvent down(QPointF(200, 150), view.mapToGlobal(QPointF(200, 150)), QPoint(), QPoint(0, -120),
        Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&view, &down);
    loop.Step();

    std::vector<std::string> kinds;
    for (const auto& e : app->log)
        kinds.push_back(e.what + ":" + std::to_string(e.value));
    const std::vector<std::string> expected { "press:0", "drag:0", "release:0", "move:0", "press:2",
        "release:2", "press:1", "release:1", "scroll:1", "scroll:-1" };
    EXPECT_EQ(kinds, expected);
    ASSERT_EQ(app->log.size(), expected.size());
    EXPECT_NEAR(app->log[0].position.x(), -0.5f, 1e-3);
    EXPECT_NEAR(app->log[0].position.y(), 0.5f, 1e-3);
    EXPECT_NEAR(app->log[1].position.x(), 0.5f, 1e-3);
    EXPECT_NEAR(app->log[1].position.y(), -0.5f, 1e-3);
    EXPECT_NEAR(app->log[3].position.x(), 0.0f, 1e-3);
    EXPECT_FALSE(app->GetMouse()->AnyButtonPressed());
}

TEST_F(SceneViewTest, ThreeViewsInThreeTabsAllDraw) {
    QTabWidget tabs;
    tabs.resize(480, 360);
    std::vector<SceneView*> views;
    std::vector<osg::ref_ptr<RecordingApp>> apps;
    FrameLoop loop;
    for (int i = 0; i < 3; ++i) {
        auto* view = new SceneView;
        tabs.addTab(view, QString("view %1").arg(i));
        views.push_back(view);
        apps.push_back(new RecordingApp(view));
        loop.AddApp(apps.back().get());
    }
    // A box in the first; a box with a render-to-texture pass in the second
    // (plus the compass); a Chinese label alone in the third.
    AddBoxInFront(*apps[0], osg::Vec4(1, 0.5f, 0, 1));
    AddBoxInFront(*apps[1], osg::Vec4(0, 0.8f, 0.3f, 1));
    AddRenderToTexture(*apps[1]);
    apps[1]->AddDrawable(new scene::Compass(apps[1]->GetCamera()));
    osg::ref_ptr<scene::Label> label = new scene::Label;
    label->SetText("机器人");
    label->SetFontSize(6);
    label->SetTextColor(osg::Vec4(0, 1, 1, 1));
    label->SetTransform(Transform(0, 0, 0, 0, 90, 0));
    label->SetEnableLighting(false);
    apps[2]->AddDrawable(label.get());
    apps[2]->GetCamera()->SetTransform(Transform(0, -25, 0, 0, 0, 0));

    loop.Start();
    Settle(tabs);
    for (int i = 0; i < 3; ++i) {
        tabs.setCurrentIndex(i);
        QApplication::processEvents();
        loop.Step();
        loop.Step();
        const QImage image = views[size_t(i)]->grabFramebuffer();
        ASSERT_FALSE(image.isNull());
        const QPoint middle(image.width() / 2, image.height() / 2);
        if (i < 2) {
            EXPECT_TRUE(IsLit(image.pixel(middle))) << "view " << i;
            EXPECT_FALSE(IsLit(image.pixel(image.width() - 2, 2)))
                << "view " << i << " corner shows the clear colour";
        } else {
            EXPECT_TRUE(AnyLit(image, QRect(middle - QPoint(40, 15), QSize(80, 30)))) << "the label's text";
        }
    }
    // The compass draws in the lower left corner of its view.
    const QImage second = views[1]->grabFramebuffer();
    EXPECT_TRUE(AnyLit(second, QRect(0, second.height() - 80, 80, 80)));
    const QImage first = views[0]->grabFramebuffer();
    EXPECT_FALSE(AnyLit(first, QRect(0, first.height() - 60, 60, 60)));
}

// The main window's pages that the user never opened have views that never
// got a GL context: closing the window, in either order of views and
// applications, must not make OpenSceneGraph look for one ("Error: OpenGL
// version test failed, requires valid graphics context.").
TEST_F(SceneViewTest, ViewsNeverShownCloseWithoutLookingForAGraphicsContext) {
    for (const bool appsFirst : { true, false }) {
        SCOPED_TRACE(appsFirst);
        auto tabs = std::make_unique<QTabWidget>();
        tabs->resize(320, 240);
        std::vector<osg::ref_ptr<RecordingApp>> apps;
        FrameLoop loop;
        for (int i = 0; i < 3; ++i) {
            auto* view = new SceneView;
            tabs->addTab(view, QString("view %1").arg(i));
            apps.push_back(new RecordingApp(view));
            AddBoxInFront(*apps.back(), osg::Vec4(1, 0.5f, 0, 1));
            loop.AddApp(apps.back().get());
        }
        loop.Start();
        Settle(*tabs);
        loop.Step();
        QApplication::processEvents();
        FdCapture standardError(2);
        loop.Stop();
        for (int i = 0; i < 3; ++i)
            loop.RemoveApp(apps[std::size_t(i)].get());
        if (appsFirst) {
            apps.clear();
            tabs.reset();
        } else {
            tabs.reset();
            apps.clear();
        }
        EXPECT_EQ(standardError.Text(), "");
    }
}

TEST_F(SceneViewTest, FrameDrawsBeforeTheStepReturns) {
    SceneView view;
    view.resize(320, 240);
    osg::ref_ptr<RecordingApp> app = new RecordingApp(&view);
    AddBoxInFront(*app, osg::Vec4(1, 1, 1, 1));
    osg::ref_ptr<MiddlePixelReader> reader = new MiddlePixelReader;
    app->GetCamera()->GetOSGCamera()->setPostDrawCallback(reader.get());
    FrameLoop loop;
    loop.AddApp(app.get());
    loop.Start();
    Settle(view);

    const int before = reader->draws;
    ASSERT_TRUE(loop.Step());
    EXPECT_EQ(reader->draws, before + 1);
    const unsigned char* rgb = reader->image->data();
    ASSERT_NE(rgb, nullptr);
    EXPECT_GT(int(rgb[0]) + rgb[1] + rgb[2], 30);

    // Hidden: nothing is drawn, the step still runs.
    view.hide();
    const int hidden = reader->draws;
    EXPECT_TRUE(loop.Step());
    EXPECT_EQ(reader->draws, hidden);
}

TEST_F(SceneViewTest, DrawsAgainAfterMovingToAnotherWindow) {
    QWidget first;
    first.resize(320, 240);
    auto* view = new SceneView(&first);
    view->resize(320, 240);
    osg::ref_ptr<RecordingApp> app = new RecordingApp(view);
    AddBoxInFront(*app, osg::Vec4(1, 0, 0, 1));
    FrameLoop loop;
    loop.AddApp(app.get());
    loop.Start();
    Settle(first);
    loop.Step();
    QImage image = view->grabFramebuffer();
    EXPECT_TRUE(IsLit(image.pixel(image.width() / 2, image.height() / 2)));

    // Moving the view to another top-level window costs it its GL context.
    QWidget second;
    second.resize(320, 240);
    view->setParent(&second);
    view->show();
    Settle(second);
    loop.Step();
    loop.Step();
    image = view->grabFramebuffer();
    EXPECT_GE(view->GetContextCount(), 2);
    EXPECT_TRUE(IsLit(image.pixel(image.width() / 2, image.height() / 2)));
    EXPECT_FALSE(IsLit(image.pixel(2, 2)));

    // The application outlives its view.
    delete view;
    EXPECT_EQ(app->GetSceneView(), nullptr);
    EXPECT_TRUE(loop.Step());
}

TEST_F(SceneViewTest, StandAloneViewerDrawsItsOwnFrames) {
    // A view that runs a whole viewer frame in each paint, with the viewer's
    // own camera manipulator reading the window's events.
    SceneView view;
    view.resize(200, 200);
    osg::ref_ptr<osgViewer::Viewer> viewer = new osgViewer::Viewer;
    viewer->setThreadingModel(osgViewer::ViewerBase::SingleThreaded);
    viewer->getCamera()->setGraphicsContext(view.GetGraphicsWindow());
    viewer->getCamera()->setViewport(0, 0, 200, 200);
    viewer->getCamera()->setProjectionMatrixAsPerspective(30.0, 1.0, 1.0, 10000.0);
    viewer->getCamera()->setClearColor(osg::Vec4(211 / 255.0f, 228 / 255.0f, 238 / 255.0f, 1.0f));
    viewer->setSceneData(scenetest::MakeBox({ -1, -1, -1 }, { 1, 1, 1 }, osg::Vec4(0, 0.6f, 1, 1)).get());
    viewer->setCameraManipulator(new osgGA::TrackballManipulator);
    view.SetViewer(viewer.get(), SceneView::PaintMode::FullFrame);
    Settle(view);
    const unsigned frameBefore = viewer->getFrameStamp()->getFrameNumber();
    QImage image = view.grabFramebuffer();
    EXPECT_GT(viewer->getFrameStamp()->getFrameNumber(), frameBefore);
    const QRgb middle = image.pixel(image.width() / 2, image.height() / 2);
    const QRgb corner = image.pixel(2, 2);
    EXPECT_NE(middle, corner) << "the model is drawn over the clear colour";
    EXPECT_EQ(qRed(corner), 211);
}

// A view that was never shown is never made current: OSG would set up its
// GL functions for the view's context id without a GL context and keep them
// for the next view that gets the id (a page shown only later, the next
// preview popup), which then calls functions it does not have.
TEST_F(SceneViewTest, AViewNeverShownIsNeverMadeCurrent) {
    osg::ref_ptr<osg::State> state;
    {
        auto view = std::make_unique<SceneView>();
        osg::ref_ptr<osgViewer::Viewer> viewer = new osgViewer::Viewer;
        viewer->setThreadingModel(osgViewer::ViewerBase::SingleThreaded);
        viewer->getCamera()->setGraphicsContext(view->GetGraphicsWindow());
        view->SetViewer(viewer.get(), SceneView::PaintMode::FullFrame);
        viewer->realize();
        state = view->GetGraphicsWindow()->getState();
        ASSERT_NE(state, nullptr);
        // As the builders' pages and the preview go: the viewer let go of
        // first, the viewer itself next, the widget last.
        view->SetViewer(nullptr);
        viewer = nullptr;
    }
    EXPECT_EQ(state->get<osg::GLExtensions>(), nullptr);
}

TEST_F(SceneViewTest, NothingIsDrawnWhileAnotherThreadHoldsTheScene) {
    SceneView view;
    view.resize(320, 240);
    osg::ref_ptr<RecordingApp> app = new RecordingApp(&view);
    osg::ref_ptr<SceneObject> box = AddBoxInFront(*app, osg::Vec4(1, 0, 0, 1));
    // Update callbacks (particles, animations) change the graph too.
    struct UpdateCounter : osg::NodeCallback {
        std::atomic<int> updates { 0 };
        void operator()(osg::Node* node, osg::NodeVisitor* nv) override {
            ++updates;
            traverse(node, nv);
        }
    };
    osg::ref_ptr<UpdateCounter> counter = new UpdateCounter;
    box->GetOSGNode()->addUpdateCallback(counter.get());
    FrameLoop loop;
    loop.AddApp(app.get());
    loop.Start();
    Settle(view);
    ASSERT_TRUE(loop.Step());
    ASSERT_GT(counter->updates.load(), 0);
    // Qt repaints a view on its own (exposed, grabbed) as well.
    QImage image = view.grabFramebuffer();
    ASSERT_TRUE(IsLit(image.pixel(image.width() / 2, image.height() / 2)));
    const int drawn = view.GetDrawCount();
    ASSERT_GT(drawn, 0);
    app->log.clear();

    // A worker takes the scene and keeps rebuilding what it shows while this
    // thread steps the application, repaints the paused view and clicks.
    platform::WarningCapture warnings;
    std::atomic<int> stage { 0 };
    std::thread worker([&] {
        scene::Scene::Hold hold = app->GetScene()->HoldForChanges();
        stage = 1;
        while (stage == 1) {
            osg::ref_ptr<SceneObject> part = new SceneObject;
            part->SetModel(scenetest::MakeBox({ -1, -1, -1 }, { 1, 1, 1 }).get());
            box->AddChild(part.get());
            part->SetTransform(Transform(2, 0, 0));
            box->RemoveChild(part.get());
            app->AddDrawable(part.get());
            app->RemoveDrawable(part.get());
        }
    });
    while (stage == 0)
        std::this_thread::yield();
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(160, 120));
    const int updated = counter->updates;
    for (int i = 0; i < 20; ++i)
        EXPECT_TRUE(loop.Step());
    EXPECT_EQ(counter->updates.load(), updated);
    loop.Stop();
    for (int i = 0; i < 20; ++i) {
        view.update();
        QApplication::processEvents();
        image = view.grabFramebuffer();
    }
    EXPECT_EQ(view.GetDrawCount(), drawn);
    // It goes on showing the frame it showed.
    EXPECT_TRUE(IsLit(image.pixel(image.width() / 2, image.height() / 2)));
    EXPECT_TRUE(app->log.empty()) << "input waits while the scene is held";
    stage = 2;
    worker.join();
    EXPECT_EQ(warnings.Count(), 0u);

    // Let go: a repaint of the paused view draws, and the next step draws and
    // hands over the click.
    view.grabFramebuffer();
    EXPECT_GT(view.GetDrawCount(), drawn);
    loop.Start();
    const int repainted = view.GetDrawCount();
    ASSERT_TRUE(loop.Step());
    EXPECT_GT(view.GetDrawCount(), repainted);
    EXPECT_GT(counter->updates.load(), updated);
    ASSERT_EQ(app->log.size(), 2u);
    EXPECT_EQ(app->log[0].what, "press");
}

TEST_F(SceneViewTest, ThePreviewAndAdapterMappingsNumberButtonsTheirOwnWay) {
    SceneView view;
    view.resize(100, 100);
    Settle(view);
    // Presses and releases as the event queue got them: (push?, osgGA button).
    auto queued = [&view] {
        osgGA::EventQueue::Events events;
        view.GetGraphicsWindow()->getEventQueue()->takeEvents(events);
        std::vector<std::string> out;
        for (const auto& event : events) {
            const osgGA::GUIEventAdapter* e = event->asGUIEventAdapter();
            if (!e)
                continue;
            if (e->getEventType() == osgGA::GUIEventAdapter::PUSH)
                out.push_back("push " + std::to_string(e->getButton()));
            else if (e->getEventType() == osgGA::GUIEventAdapter::RELEASE)
                out.push_back("release " + std::to_string(e->getButton()));
        }
        return out;
    };
    auto click = [&view](Qt::MouseButton button) {
        QTest::mousePress(&view, button, {}, QPoint(50, 50));
        const unsigned pressed = view.GetButton();
        QTest::mouseRelease(&view, button, {}, QPoint(50, 50));
        return pressed;
    };
    using E = osgGA::GUIEventAdapter;
    const std::string left = std::to_string(E::LEFT_MOUSE_BUTTON);
    const std::string middle = std::to_string(E::MIDDLE_MOUSE_BUTTON);
    const std::string right = std::to_string(E::RIGHT_MOUSE_BUTTON);
    queued();

    // The scene applications' own numbering.
    EXPECT_EQ(click(Qt::LeftButton), 1u);
    EXPECT_EQ(click(Qt::RightButton), 3u);
    EXPECT_EQ(queued(),
        (std::vector<std::string> {
            "push " + left, "release " + left, "push " + right, "release " + right }));

    // The preview's: the right button drives as osgGA's left (the
    // trackball's turn), the middle as its middle, a left click as none.
    view.SetButtonMapping(SceneView::ButtonMapping::Preview);
    EXPECT_EQ(click(Qt::RightButton), 1u);
    EXPECT_EQ(click(Qt::MiddleButton), 2u);
    EXPECT_EQ(click(Qt::LeftButton), 0u);
    EXPECT_EQ(view.GetButton(), 0u);
    EXPECT_EQ(queued(),
        (std::vector<std::string> { "push " + left, "release " + left, "push " + middle, "release " + middle,
            "push 0", "release 0" }));

    // The adapter's: presses only, the right one 1 and every other 0.
    view.SetButtonMapping(SceneView::ButtonMapping::Adapter);
    EXPECT_EQ(click(Qt::RightButton), 1u);
    EXPECT_EQ(click(Qt::MiddleButton), 0u);
    EXPECT_EQ(queued(), (std::vector<std::string> { "push " + left, "push 0" }));
}
