// The grounds, the overlays and the coloured light drawn in a real window
// (under Xvfb in the test runs).

#include "PartFixture.h"

#include "elements/CColoredLight.h"
#include "elements/CDrawTri.h"
#include "elements/CSU_Flat.h"
#include "elements/Nets.h"
#include "elements/Plane.h"
#include "scene/FrameLoop.h"
#include "scene/SceneApp.h"
#include "scene/SceneView.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QImage>
#include <QTest>

#include <osg/Geometry>

#include <gtest/gtest.h>

#include <memory>

namespace {

class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override { m_application = std::make_unique<QApplication>(m_argc, m_argv); }
    void TearDown() override { m_application.reset(); }

private:
    int m_argc = 1;
    char m_name[16] = "elements_draw";
    char* m_argv[2] = { m_name, nullptr };
    std::unique_ptr<QApplication> m_application;
};

[[maybe_unused]] ::testing::Environment* const g_applicationEnvironment
    = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

const osg::Vec4 kGrey(0.5f, 0.5f, 0.5f, 1.0f);

// A view of 500 x 500 pixels looking straight down from `height` above the
// origin, over a grey background.
struct TopView {
    scene::SceneView view;
    osg::ref_ptr<scene::SceneApp> app;
    scene::FrameLoop loop;

    explicit TopView(double height) {
        elementstest::LibraryContext();
        view.resize(500, 500);
        app = new scene::SceneApp(&view);
        app->GetCamera()->SetClearColor(kGrey);
        app->GetCamera()->SetTransform(scene::Transform(0, 0, height, 0, -90, 0));
        loop.AddApp(app.get());
        loop.Start();
        view.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
        QApplication::processEvents();
    }

    QImage Draw() {
        loop.Step();
        loop.Step();
        return view.grabFramebuffer().convertToFormat(QImage::Format_RGB32);
    }

    // The pixel where a world point on the ground shows.
    QPoint PixelOf(const osg::Vec3& world) const {
        const osg::Vec3 w = world * app->GetCamera()->GetWindowMatrix();
        return QPoint(int(w.x()), int(view.height() * view.devicePixelRatio()) - 1 - int(w.y()));
    }
};

bool IsGrey(QRgb p) {
    return std::abs(qRed(p) - 128) < 6 && std::abs(qGreen(p) - 128) < 6 && std::abs(qBlue(p) - 128) < 6;
}

bool IsDark(QRgb p) {
    return qRed(p) < 40 && qGreen(p) < 40 && qBlue(p) < 40;
}

bool IsGreen(QRgb p) {
    return qGreen(p) > 150 && qRed(p) < 60 && qBlue(p) < 60;
}

} // namespace

TEST(Grounds, TheNetDrawsItsLinesAndLetsTheBackgroundThrough) {
    osg::ref_ptr<Nets> nets = new Nets(50, 50, 2);
    // 51 lines each way, from -50 to 50.
    const auto* alongY = static_cast<const osg::Vec3Array*>(nets->GetLinesAlongY()->getVertexArray());
    const auto* alongX = static_cast<const osg::Vec3Array*>(nets->GetLinesAlongX()->getVertexArray());
    ASSERT_EQ(alongY->size(), 102u);
    ASSERT_EQ(alongX->size(), 102u);
    EXPECT_EQ((*alongY)[0], osg::Vec3(-50, 50, 0));
    EXPECT_EQ((*alongY)[101], osg::Vec3(50, -50, 0));
    EXPECT_EQ((*alongX)[100], osg::Vec3(-50, 50, 0));
    EXPECT_EQ(nets->GetKind(), ElementKindGround);

    // Half sizes that are no multiple of the spacing stop short of the edge.
    osg::ref_ptr<Nets> odd = new Nets(5, 5, 2);
    const auto* oddLines = static_cast<const osg::Vec3Array*>(odd->GetLinesAlongY()->getVertexArray());
    ASSERT_EQ(oddLines->size(), 10u);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ((*oddLines)[2 * i].x(), -5.0f + 2.0f * i);
    // A spacing that is no positive number draws no lines (and does not hang).
    EXPECT_EQ(static_cast<const osg::Vec3Array*>(
                  osg::ref_ptr<Nets>(new Nets(5, 5, 0))->GetLinesAlongX()->getVertexArray())
                  ->size(),
        0u);
    EXPECT_EQ(static_cast<const osg::Vec3Array*>(
                  osg::ref_ptr<Nets>(new Nets(5, 5, -1))->GetLinesAlongY()->getVertexArray())
                  ->size(),
        0u);

    TopView top(125.0);
    top.app->AddDrawable(nets.get());
    const QImage image = top.Draw();
    // Across the middle: black lines on the background, which shows
    // through the see-through floor between them.
    const int y = top.PixelOf(osg::Vec3(0, 1, 0)).y();
    int lines = 0;
    bool inLine = false;
    for (int x = top.PixelOf(osg::Vec3(-50.5f, 0, 0)).x(); x <= top.PixelOf(osg::Vec3(50.5f, 0, 0)).x();
         ++x) {
        const QRgb p = image.pixel(x, y);
        EXPECT_TRUE(IsDark(p) || IsGrey(p)) << x;
        if (IsDark(p) && !inLine)
            ++lines;
        inLine = IsDark(p);
    }
    EXPECT_EQ(lines, 51);
}

TEST(Grounds, APlaneShowsItsPicture) {
    testsupport::TempDir dir;
    QImage red(64, 64, QImage::Format_RGB32);
    red.fill(qRgb(230, 20, 20));
    const std::string redFile = (dir.path() / "red.png").string();
    ASSERT_TRUE(red.save(QString::fromStdString(redFile)));

    TopView top(300.0);
    top.app->GetScene()->UseSceneLight(false);
    osg::ref_ptr<Plane> plane = new Plane(256, 256, 8, "map/default.png");
    plane->GetOSGNode()->getOrCreateStateSet()->setMode(GL_LIGHTING, osg::StateAttribute::OFF);
    top.app->AddDrawable(plane.get());
    EXPECT_EQ(plane->GetImageFile(), "map/default.png");
    // The default ground: a light mat over the whole view.
    QImage image = top.Draw();
    const QPoint middle = top.PixelOf(osg::Vec3(20, 20, 0));
    EXPECT_GT(qRed(image.pixel(middle)), 170);
    EXPECT_GT(qBlue(image.pixel(middle)), 170);

    plane->SetImage(redFile);
    EXPECT_EQ(plane->GetImageFile(), redFile);
    image = top.Draw();
    EXPECT_GT(qRed(image.pixel(middle)), 150);
    EXPECT_LT(qBlue(image.pixel(middle)), 60);
    // A picture that cannot be read changes nothing.
    plane->SetImage((dir.path() / "none.png").string());
    EXPECT_EQ(plane->GetImageFile(), redFile);
    image = top.Draw();
    EXPECT_LT(qBlue(image.pixel(middle)), 60);
}

TEST(Overlays, TheArrowsRunForwardBesideTheGrid) {
    osg::ref_ptr<CDrawTri> arrows = new CDrawTri;
    EXPECT_EQ(arrows->GetName(), "Arrow");
    ASSERT_EQ(arrows->GetCount(), 25);
    auto litAfterStart = [&](int shift) {
        for (int i = 0; i < 25; ++i) {
            const int k = ((i - shift) % 25 + 25) % 25;
            if (arrows->IsLit(i) != (k < 6 || (k >= 12 && k < 18)))
                return false;
        }
        return true;
    };
    EXPECT_TRUE(litAfterStart(0));
    for (int i = 0; i < 30; ++i)
        arrows->Animate();
    EXPECT_TRUE(litAfterStart(0));
    arrows->Animate();
    EXPECT_TRUE(litAfterStart(1));
    for (int i = 0; i < 31 * 24; ++i)
        arrows->Animate();
    EXPECT_TRUE(litAfterStart(0));

    // Chevrons 4 wide: the right column from x 50 (50.01 cut) to 54.
    const auto* chevron = static_cast<const osg::Vec3Array*>(
        arrows->GetGeode(0)->getDrawable(0)->asGeometry()->getVertexArray());
    EXPECT_EQ((*chevron)[1], osg::Vec3(50, -50, 0));
    EXPECT_EQ((*chevron)[3], osg::Vec3(52, -46, 0));

    TopView top(160.0);
    top.app->GetScene()->UseSceneLight(false);
    arrows->GetOSGNode()->getOrCreateStateSet()->setMode(GL_LIGHTING, osg::StateAttribute::OFF);
    top.app->AddDrawable(arrows.get());
    const QImage image = top.Draw();
    // Lit arrows (0 to 5) show green in both columns; see-through ones (6 to
    // 11) leave the background. Each chevron is filled between its notch,
    // 2 up its middle, and its tip, 4 up.
    for (float x : { 52.0f, -52.0f }) {
        EXPECT_TRUE(IsGreen(image.pixel(top.PixelOf(osg::Vec3(x, -47.0f + 4 * 2, 0)))));
        EXPECT_TRUE(IsGrey(image.pixel(top.PixelOf(osg::Vec3(x, -47.0f + 4 * 8, 0)))));
    }
    EXPECT_TRUE(IsGrey(image.pixel(top.PixelOf(osg::Vec3(0, 0, 0)))));
}

TEST(Overlays, TheSeeThroughQuadFacesTheCamera) {
    osg::ref_ptr<scene::Camera> camera = new scene::Camera;
    osg::ref_ptr<CSU_Flat> flat = new CSU_Flat(camera.get(), osg::Vec4(-50, -50, 50, 50));
    const auto* quad = static_cast<const osg::Vec3Array*>(
        static_cast<osg::Geode*>(flat->GetInner()->GetOSGNode()->getChild(1))
            ->getDrawable(0)
            ->asGeometry()
            ->getVertexArray());
    EXPECT_EQ((*quad)[0], osg::Vec3(500, 0, 500));
    EXPECT_EQ((*quad)[2], osg::Vec3(-500, 0, -500));
    EXPECT_EQ(flat->GetNode(), flat->GetInner()->GetOSGNode());

    // Nine from the origin, heading 90 (looking along -x): the quad turns
    // with the camera and stands one unit in front of the origin.
    camera->SetTransform(scene::Transform(osg::Vec3(9, 0, 0), osg::Vec3(90, 0, 0)));
    flat->Follow();
    scene::Transform t = flat->GetInner()->GetTransform(scene::CoordSys::Relative);
    EXPECT_NEAR(t.GetTranslation().x(), -1.0, 1e-6);
    EXPECT_NEAR(t.GetTranslation().y(), 0.0, 1e-6);
    EXPECT_NEAR((t.GetQuat() * osg::Vec3d(0, 1, 0)).x(), -1.0, 1e-6);
    // From 10 on it passes through the origin.
    camera->SetTransform(scene::Transform(osg::Vec3(0, -10, 0), osg::Vec3(0, 0, 0)));
    flat->Follow();
    EXPECT_EQ(flat->GetInner()->GetTransform(scene::CoordSys::Relative).GetTranslation(), osg::Vec3());
    // A camera that went away leaves the quad where it was.
    camera = nullptr;
    flat->Follow();
}

// A light seen from above, switched through its colours by a program: its
// lamp shows each, and colour 0 brings back how it looked at first.
TEST(ColouredLightDrawn, ShowsEachColourAndItsOwnLookAgain) {
    TopView top(8.0);
    osg::ref_ptr<CColoredLight> light
        = new CColoredLight(elementstest::LibraryContext(), "models/light/coloredlight.ive");
    ASSERT_TRUE(light->LoadModel());
    light->SetPort(2);
    top.app->AddDrawable(light.get());
    // Beside the top of the dome, away from the highlight.
    const QPoint lamp = top.PixelOf(osg::Vec3(0.45f, 0.2f, 1.9f));
    const QRgb own = top.Draw().pixel(lamp);
    light->ApplyColor();
    EXPECT_EQ(top.Draw().pixel(lamp), own);
    for (int index = 1; index <= 7; ++index) {
        SCOPED_TRACE(index);
        light->SetColorIndex(index);
        light->ApplyColor();
        const QRgb p = top.Draw().pixel(lamp);
        const osg::Vec4 c = CColoredLight::ColorOf(index);
        const int channels[3] = { qRed(p), qGreen(p), qBlue(p) };
        for (int k = 0; k < 3; ++k) {
            if (c[k] > 0)
                EXPECT_GT(channels[k], 200) << k;
            else
                EXPECT_LT(channels[k], 60) << k;
        }
    }
    light->SetColorIndex(0);
    light->ApplyColor();
    EXPECT_EQ(top.Draw().pixel(lamp), own);
}
