#include "apps/AdapterWidget.h"
#include "apps/CApp.h"
#include "apps/CCam.h"
#include "apps/CEmuApp.h"
#include "apps/CPlaApp.h"
#include "apps/CRobApp.h"
#include "apps/MotionModel.h"
#include "foundation/CConfig.h"
#include "platform/ProgramDir.h"
#include "scene/TestModels.h"
#include "support/TempDir.h"

#include "scene/FrameLoop.h"
#include "scene/PositionalLight.h"

#include <QApplication>
#include <QTest>

#include <osgGA/EventQueue>
#include <osgViewer/GraphicsWindow>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using scene::Transform;

namespace {

class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        platform::OverrideProgramDir(m_programDir.path());
        CConfig::Instance();
        m_application = std::make_unique<QApplication>(m_argc, m_argv);
    }
    void TearDown() override { m_application.reset(); }

private:
    testsupport::TempDir m_programDir;
    int m_argc = 1;
    char m_name[16] = "apps_test";
    char* m_argv[2] = { m_name, nullptr };
    std::unique_ptr<QApplication> m_application;
};

[[maybe_unused]] ::testing::Environment* const g_applicationEnvironment
    = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

// The base application itself, which no page uses.
class BaseApp : public CApp {
public:
    BaseApp()
        : CApp("config.xml", nullptr) { }
};

void ExpectPose(const Transform& actual, const osg::Vec3& xyz, const osg::Vec3& hpr) {
    EXPECT_TRUE(actual.EpsilonEquals(Transform(xyz, hpr), 1e-3))
        << "at " << actual.GetTranslation().x() << "," << actual.GetTranslation().y() << ","
        << actual.GetTranslation().z() << " hpr " << actual.GetHpr().x() << "," << actual.GetHpr().y() << ","
        << actual.GetHpr().z();
}

osg::ref_ptr<scene::SceneObject> Box(const osg::Vec3& min, const osg::Vec3& max) {
    osg::ref_ptr<scene::SceneObject> object = new scene::SceneObject;
    object->SetModel(scenetest::MakeBox(min, max).get());
    return object;
}

} // namespace

TEST(CApp, ViewPresetsLookFromTheApplicationsDistance) {
    osg::ref_ptr<CRobApp> robot = new CRobApp("config.xml", nullptr);
    osg::ref_ptr<CPlaApp> playground = new CPlaApp("config.xml", nullptr);
    osg::ref_ptr<CEmuApp> simulation = new CEmuApp("config.xml", nullptr);
    EXPECT_EQ(robot->GetAppKind(), 1);
    EXPECT_EQ(playground->GetAppKind(), 2);
    EXPECT_EQ(simulation->GetAppKind(), 3);

    robot->SetViewPreset(0);
    ExpectPose(robot->GetCamera()->GetTransform(), { 0, 0, 80 }, { 0, -89, 0 });
    EXPECT_FLOAT_EQ(robot->GetMotionModel()->GetDistance(), 80.0f);
    robot->SetViewPreset(1);
    ExpectPose(robot->GetCamera()->GetTransform(), { -80, 0, 0 }, { -90, 0, 0 });
    robot->SetViewPreset(2);
    ExpectPose(robot->GetCamera()->GetTransform(), { 0, -80, 0 }, { 0, 0, 0 });
    robot->SetViewPreset(3);
    ExpectPose(robot->GetCamera()->GetTransform(), { 0, -80, 50 }, { 0, -30, 0 });
    // No preset of that number: the camera stays.
    robot->SetViewPreset(4);
    ExpectPose(robot->GetCamera()->GetTransform(), { 0, -80, 50 }, { 0, -30, 0 });

    playground->SetViewPreset(0);
    ExpectPose(playground->GetCamera()->GetTransform(), { 0, 0, 800 }, { 0, -89, 0 });
    simulation->SetViewPreset(3);
    ExpectPose(simulation->GetCamera()->GetTransform(), { 0, -800, 500 }, { 0, -30, 0 });
    EXPECT_FLOAT_EQ(simulation->GetMotionModel()->GetDistance(), 800.0f);

    // The base application has no presets.
    osg::ref_ptr<BaseApp> base = new BaseApp;
    const Transform before = base->GetCamera()->GetTransform();
    base->SetViewPreset(0);
    EXPECT_TRUE(base->GetCamera()->GetTransform().EpsilonEquals(before));
}

TEST(CApp, APausedApplicationKeepsItsHeadlightButDrawsNothing) {
    osg::ref_ptr<CRobApp> app = new CRobApp("config.xml", nullptr);
    EXPECT_EQ(app->GetCamera()->GetClearColor(), osg::Vec4(0.8f, 0.8f, 0.8f, 1.0f));
    scene::FrameLoop loop;
    loop.AddApp(app.get());
    loop.Start();
    loop.Step();
    EXPECT_EQ(app->GetDrawnFrames(), 1u);

    app->Pause();
    app->SetViewPreset(1);
    loop.Step();
    EXPECT_EQ(app->GetDrawnFrames(), 1u);
    // Pre-frame still ran: the headlight sits at the camera.
    const scene::PositionalLight* light = app->GetScene()->GetLight(1);
    ASSERT_NE(light, nullptr);
    EXPECT_EQ(light->GetName(), "defaultPositonalLight");
    EXPECT_TRUE(light->GetTransform().EpsilonEquals(app->GetCamera()->GetTransform()));

    app->Resume();
    loop.Step();
    EXPECT_EQ(app->GetDrawnFrames(), 2u);
}

TEST(MotionModel, NearerAndFartherMoveTheWayTheirNamesSay) {
    osg::ref_ptr<CRobApp> app = new CRobApp("config.xml", nullptr);
    app->SetViewPreset(2); // at (0, -80, 0), looking along +y at the origin
    MotionModel* motion = app->GetMotionModel();
    motion->SetLinearRate(1.0f);

    // The window's nearer command: distance + 1, a tenth of it along the view.
    motion->Zoom(motion->GetDistance() + 1.0f);
    const float nearer = 80.0f - 0.1f * 81.0f;
    EXPECT_NEAR(motion->GetDistance(), nearer, 1e-4);
    ExpectPose(app->GetCamera()->GetTransform(), { 0, -nearer, 0 }, { 0, 0, 0 });

    // The farther command: 1 - distance.
    motion->Zoom(1.0f - motion->GetDistance());
    const float farther = nearer + 0.1f * (nearer - 1.0f);
    EXPECT_NEAR(motion->GetDistance(), farther, 1e-4);
    ExpectPose(app->GetCamera()->GetTransform(), { 0, -farther, 0 }, { 0, 0, 0 });

    motion->Zoom(0.0f);
    EXPECT_NEAR(motion->GetDistance(), farther, 1e-4);
    ExpectPose(app->GetCamera()->GetTransform(), { 0, -farther, 0 }, { 0, 0, 0 });
}

TEST(CApp, PickingTakesTheNearestObjectOfTheAskedKind) {
    osg::ref_ptr<CPlaApp> app = new CPlaApp("config.xml", nullptr);
    app->SetViewPreset(0); // from above
    osg::ref_ptr<scene::SceneObject> ground = Box({ -50, -50, -2 }, { 50, 50, 0 });
    osg::ref_ptr<scene::SceneObject> part = Box({ -20, -20, 0 }, { 20, 20, 10 });
    app->AddDrawable(ground.get());
    app->AddDrawable(part.get());
    struct Probe : CPlaApp {
        using CPlaApp::PickObjectWhere;
    };
    auto pick = [&](const osg::Vec2& point, scene::SceneObject* only) {
        return static_cast<Probe*>(app.get())->PickObjectWhere(
            point, [only](scene::SceneObject* object) { return only == nullptr || object == only; });
    };
    EXPECT_EQ(pick({ 0, 0 }, nullptr), part.get());
    // Asking for the ground looks past the part in front of it.
    EXPECT_EQ(pick({ 0, 0 }, ground.get()), ground.get());
    EXPECT_EQ(pick({ 0.9f, 0.9f }, part.get()), nullptr);
}

TEST(CCam, DrawsTheSelectionRectangleInWindowPixels) {
    osg::ref_ptr<CRobApp> app = new CRobApp("config.xml", nullptr);
    osg::ref_ptr<CCam> cam = new CCam(*app);
    EXPECT_EQ(cam->GetName(), "Object");
    app->SetViewPreset(0);
    EXPECT_TRUE(
        (cam->GetForward()
            - osg::Vec3(0, std::cos(osg::DegreesToRadians(-89.0)), std::sin(osg::DegreesToRadians(-89.0))))
            .length()
        < 1e-4);
    cam->SyncToCamera();
    EXPECT_TRUE(cam->SceneObject::GetTransform().EpsilonEquals(app->GetCamera()->GetTransform()));

    auto vertices = [&] {
        const auto* array = static_cast<const osg::Vec3Array*>(cam->GetRectangle()->getVertexArray());
        return std::vector<osg::Vec3>(array->begin(), array->end());
    };
    EXPECT_TRUE(cam->Update(true, { 10, 20 }, { 30, 40 }));
    const std::vector<osg::Vec3> loop { { 10, 20, 0 }, { 10, 40, 0 }, { 30, 40, 0 }, { 30, 20, 0 } };
    EXPECT_EQ(vertices(), loop);
    // Hiding leaves the loop as it was.
    EXPECT_FALSE(cam->Update(false, { 1, 2 }, { 3, 4 }));
    EXPECT_EQ(vertices(), loop);
    // Equal corners: a loop of one point.
    EXPECT_TRUE(cam->Update(true, { 5, 5 }, { 5, 5 }));
    EXPECT_EQ(vertices(), std::vector<osg::Vec3>(4, osg::Vec3(5, 5, 0)));
}

TEST(AdapterWidget, PassesARightPressAsButtonOneAndAnyOtherAsZero) {
    AdapterWidget widget;
    widget.resize(200, 100);
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    osgGA::EventQueue::Events events;
    widget.getGraphicsWindow()->getEventQueue()->takeEvents(events);
    EXPECT_EQ(widget.focusPolicy(), Qt::ClickFocus);

    QTest::mousePress(&widget, Qt::RightButton, {}, QPoint(20, 30));
    QTest::mousePress(&widget, Qt::LeftButton, {}, QPoint(40, 50));
    QTest::mousePress(&widget, Qt::MiddleButton, {}, QPoint(60, 70));
    events.clear();
    widget.getGraphicsWindow()->getEventQueue()->takeEvents(events);
    std::vector<std::pair<int, float>> presses;
    for (const auto& event : events) {
        const osgGA::GUIEventAdapter* adapter = event->asGUIEventAdapter();
        if (adapter && adapter->getEventType() == osgGA::GUIEventAdapter::PUSH)
            presses.emplace_back(int(adapter->getButton()), adapter->getX());
    }
    const std::vector<std::pair<int, float>> expected { { 1, 20.0f }, { 0, 40.0f }, { 0, 60.0f } };
    EXPECT_EQ(presses, expected);
}
