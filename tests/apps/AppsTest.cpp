#include "apps/CApp.h"
#include "apps/CCam.h"
#include "apps/CEmuApp.h"
#include "apps/CPlaApp.h"
#include "apps/CRobApp.h"
#include "apps/MotionModel.h"
#include "elements/CElement.h"
#include "foundation/CConfig.h"
#include "platform/ProgramDir.h"
#include "scene/TestModels.h"
#include "support/TempDir.h"

#include "scene/FrameLoop.h"
#include "scene/PositionalLight.h"

#include <QApplication>

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

struct TestElement : CElement {
    explicit TestElement(int kind)
        : CElement(kind) { }
};

osg::ref_ptr<CElement> Element(int kind, const osg::Vec3& min, const osg::Vec3& max) {
    osg::ref_ptr<CElement> element = new TestElement(kind);
    element->SetModel(scenetest::MakeBox(min, max).get());
    return element;
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

TEST(CApp, PickingTakesTheNearestElementOfTheAskedKind) {
    osg::ref_ptr<CPlaApp> app = new CPlaApp("config.xml", nullptr);
    app->SetViewPreset(0); // from above
    osg::ref_ptr<CElement> ground = Element(ElementKindGround, { -50, -50, -2 }, { 50, 50, 0 });
    osg::ref_ptr<CElement> part = Element(ElementKindModel, { -20, -20, 0 }, { 20, 20, 10 });
    osg::ref_ptr<scene::SceneObject> plain = Box({ -30, -30, 20 }, { 30, 30, 25 });
    app->AddDrawable(ground.get());
    app->AddDrawable(part.get());
    app->AddDrawable(plain.get());
    // An object that is no element is looked past like any other kind.
    EXPECT_EQ(app->PickElement(ElementKindModel, { 0, 0 }), part.get());
    // Asking for the ground looks past the part in front of it.
    EXPECT_EQ(app->PickElement(ElementKindGround, { 0, 0 }), ground.get());
    EXPECT_EQ(app->PickElement(ElementKindModel, { 0.9f, 0.9f }), nullptr);
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
