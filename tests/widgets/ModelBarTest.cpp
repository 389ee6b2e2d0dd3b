#include "foundation/CConfig.h"
#include "platform/ProgramDir.h"
#include "scene/ModelCache.h"
#include "support/QtPrint.h"
#include "support/TempDir.h"
#include "widgets/BrickCallBack.h"
#include "widgets/CBrickBox.h"
#include "widgets/CImageViewer.h"
#include "widgets/ViewerQT.h"

#include <QDialog>
#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <osg/Material>
#include <osg/MatrixTransform>
#include <osgViewer/Viewer>

#include <tinyxml.h>

#include <gtest/gtest.h>

#include <memory>

Q_DECLARE_METATYPE(std::string)
Q_DECLARE_METATYPE(osg::Vec4)

namespace {

const char* const kModel = "models/playground/cube.ive";
const char* const kBrickImage = "images/brick/brick_2x2.png";

// A simulator over the build's program folder (its models and pictures),
// with a set-up file of the test's own.
class ModelBar : public testing::Test {
protected:
    ModelBar() {
        platform::OverrideProgramDir(MORVANE_PROGRAM_DIR);
        QFile setUp(QStringLiteral(MORVANE_PROGRAM_DIR "/XML/SetUp_View.xml"));
        if (setUp.open(QIODevice::ReadOnly))
            m_dir.write("XML/SetUp_View.xml", setUp.readAll());
        m_config = std::make_unique<CConfig>(m_dir.qpath());
        qRegisterMetaType<std::string>();
        qRegisterMetaType<osg::Vec4>();
    }

    testsupport::TempDir m_dir;
    std::unique_ptr<CConfig> m_config;
};

osg::Matrixd Rx(double degrees) {
    return osg::Matrixd::rotate(osg::DegreesToRadians(degrees), osg::Vec3d(1, 0, 0));
}
osg::Matrixd Rz(double degrees) {
    return osg::Matrixd::rotate(osg::DegreesToRadians(degrees), osg::Vec3d(0, 0, 1));
}

bool SameMatrix(const osg::Matrixd& a, const osg::Matrixd& b) {
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            if (std::abs(a(row, column) - b(row, column)) > 1e-9)
                return false;
        }
    }
    return true;
}

// Pixels of the view's last frame that are not its background.
int ModelPixels(ViewerQT& view) {
    const QImage frame = view.grabFramebuffer();
    const QColor background(211, 228, 238);
    int count = 0;
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) {
            const QColor pixel = frame.pixelColor(x, y);
            if (std::abs(pixel.red() - background.red()) + std::abs(pixel.green() - background.green())
                    + std::abs(pixel.blue() - background.blue())
                > 12)
                ++count;
        }
    }
    return count;
}

// The diffuse colour of a model's own material; black without one.
osg::Vec4 Diffuse(osg::Node& model) {
    const osg::StateSet* stateSet = model.getStateSet();
    const auto* material = stateSet
        ? dynamic_cast<const osg::Material*>(stateSet->getAttribute(osg::StateAttribute::MATERIAL))
        : nullptr;
    return material ? material->getDiffuse(osg::Material::FRONT) : osg::Vec4();
}

bool WaitForFrames(ViewerQT& view, int frames) {
    return QTest::qWaitFor([&] { return view.GetDrawCount() >= frames; }, 10000);
}

} // namespace

TEST_F(ModelBar, ThePreviewDrawsARealModelTurning) {
    const std::string file = std::string(MORVANE_PROGRAM_DIR "/") + kModel;
    ViewerQT view(nullptr, nullptr, {}, file, 101);
    EXPECT_EQ(view.sizeHint(), QSize(70, 70));
    ASSERT_NE(view.GetModel(), nullptr);
    EXPECT_TRUE(SameMatrix(
        view.GetModelTransform()->getMatrix(), Rx(45) * Rz(30) * osg::Matrixd::scale(1.7, 1.3, 0.5)));
    EXPECT_EQ(view.GetFrameTimer()->interval(), 1);
    // Each kind's pose before the turntable takes over.
    const osg::Matrixd tilted = Rx(45) * Rz(30);
    const std::pair<int, osg::Matrixd> kinds[] = {
        { 100, tilted * osg::Matrixd::scale(0.8, 0.87, 0.81) },
        { 105, tilted * osg::Matrixd::scale(0.8, 0.87, 0.81) },
        { 18, Rx(30) * Rz(180) },
        { 10, Rz(145) },
        { 13, Rz(145) },
        { 2, Rz(30) },
        { 103, tilted * osg::Matrixd::scale(1, 1, 0.1) },
        { 104, tilted * osg::Matrixd::scale(1, 1, 0.1) },
        { 109, tilted * osg::Matrixd::scale(1, 1, 0.1) },
        { 110, tilted * osg::Matrixd::scale(1, 1, 0.1) },
        { 113, tilted * osg::Matrixd::scale(1, 1, 0.1) },
        { 101, tilted * osg::Matrixd::scale(1.7, 1.3, 0.5) },
        { 111, tilted * osg::Matrixd::scale(1, 1, 0.2) },
        { 1, tilted },
        { 106, tilted },
    };
    for (const auto& [kind, matrix] : kinds)
        EXPECT_TRUE(SameMatrix(ViewerQT::KindMatrix(kind), matrix)) << kind;
    view.resize(70, 70);
    view.show();
    ASSERT_TRUE(WaitForFrames(view, 5));
    EXPECT_GT(ModelPixels(view), 200);

    // From the first frame on, the turntable alone places the model: the same
    // angle about X and Z, 0.015 more every frame.
    auto* turntable = dynamic_cast<BrickCallBack*>(view.GetModelTransform()->getUpdateCallback());
    ASSERT_NE(turntable, nullptr);
    const double angle = turntable->GetAngle() - 0.015;
    EXPECT_GT(angle, 0.0);
    EXPECT_TRUE(SameMatrix(view.GetModelTransform()->getMatrix(),
        osg::Matrixd::rotate(angle, osg::Vec3d(1, 0, 0)) * osg::Matrixd::rotate(angle, osg::Vec3d(0, 0, 1))));

    // A model that isn't there: the background alone.
    ViewerQT empty(nullptr, nullptr, {}, std::string(MORVANE_PROGRAM_DIR "/models/none.ive"), 101);
    empty.resize(70, 70);
    empty.show();
    ASSERT_TRUE(WaitForFrames(empty, 3));
    EXPECT_EQ(empty.GetModel(), nullptr);
    EXPECT_EQ(ModelPixels(empty), 0);
}

TEST_F(ModelBar, ThePreviewReportsALeftClickAndTurnsWithTheOthers) {
    ViewerQT view(nullptr, nullptr, {}, kModel, 7);
    EXPECT_TRUE(SameMatrix(view.GetModelTransform()->getMatrix(), Rx(45) * Rz(30)));
    view.resize(70, 70);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QSignalSpy clicks(&view, &ViewerQT::clicked1);
    QTest::mouseClick(&view, Qt::RightButton, {}, QPoint(30, 30));
    EXPECT_EQ(view.GetButton(), 1u);
    QTest::mouseClick(&view, Qt::MiddleButton, {}, QPoint(30, 30));
    EXPECT_EQ(view.GetButton(), 2u);
    EXPECT_EQ(clicks.count(), 0);
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(30, 30));
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks.at(0).at(0).value<std::string>(), kModel);
    EXPECT_EQ(clicks.at(0).at(1).toInt(), 7);

    // Once the pointer has come in, the view redraws every 30 ms.
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), view.mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(&view, &enter);
    EXPECT_EQ(view.GetFrameTimer()->interval(), 30);
}

TEST_F(ModelBar, APictureAddsItsModelInTheColourChosen) {
    CImageViewer brick("models/brick/brick_2x2.ive", kBrickImage, 1, *m_config);
    EXPECT_EQ(brick.maximumSize(), QSize(60, 60));
    ASSERT_FALSE(brick.Label()->pixmap().isNull());
    QSignalSpy clicks(&brick, &CImageViewer::clicked1);
    brick.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&brick));
    const auto colourAt = [&](int i) { return clicks.at(i).at(2).value<osg::Vec4>(); };

    QTest::mouseClick(&brick, Qt::LeftButton, {}, QPoint(30, 30));
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks.at(0).at(0).value<std::string>(), "models/brick/brick_2x2.ive");
    EXPECT_EQ(clicks.at(0).at(1).toInt(), 1);
    EXPECT_EQ(colourAt(0), osg::Vec4(0.0f, 0.41f, 0.65f, 1.0f));

    // The middle button offers three colours; each adds the brick once.
    QTest::mouseClick(&brick, Qt::MiddleButton, {}, QPoint(30, 30));
    QDialog* colours = brick.ColourPopup();
    ASSERT_NE(colours, nullptr);
    // 60 wide where the pointer is (as tall as its three buttons need).
    EXPECT_EQ(colours->width(), 60);
    EXPECT_EQ(colours->pos(), brick.mapToGlobal(QPoint(30, 30)));
    const QList<QPushButton*> buttons = colours->findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 3);
    QTest::mouseClick(buttons[1], Qt::LeftButton);
    ASSERT_EQ(clicks.count(), 2);
    EXPECT_EQ(clicks.at(1).at(0).value<std::string>(), "models/brick/brick_2x2.ive");
    EXPECT_EQ(colourAt(1), osg::Vec4(0.0f, 0.66667f, 0.498039f, 1.0f));
    EXPECT_TRUE(QTest::qWaitFor([&] { return brick.ColourPopup() == nullptr; }));

    QTest::mouseClick(&brick, Qt::MiddleButton, {}, QPoint(30, 30));
    ASSERT_NE(brick.ColourPopup(), nullptr);
    QTest::mouseClick(brick.ColourPopup()->findChildren<QPushButton*>()[2], Qt::LeftButton);
    EXPECT_EQ(colourAt(2), osg::Vec4(0.66667f, 0.333333f, 1.0f, 1.0f));
    EXPECT_TRUE(QTest::qWaitFor([&] { return brick.ColourPopup() == nullptr; }));

    // Not for other kinds, nor in a studio whose bricks keep their colour.
    CImageViewer wheel("models/wheel/wheel_std.ive", "images/wheel/wheel_std.png", 2, *m_config);
    QTest::mouseClick(&wheel, Qt::MiddleButton, {}, QPoint(30, 30));
    EXPECT_EQ(wheel.ColourPopup(), nullptr);
    m_config->m_bIsE = true;
    QTest::mouseClick(&brick, Qt::MiddleButton, {}, QPoint(30, 30));
    EXPECT_EQ(brick.ColourPopup(), nullptr);
    EXPECT_EQ(clicks.count(), 3);
}

TEST_F(ModelBar, ARightClickPreviewsTheModelNamedAfterThePicture) {
    // The address names another model: the preview follows the picture.
    CImageViewer picture("models/playground/cube.ive", kBrickImage, 1, *m_config);
    picture.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&picture));
    QTest::mouseClick(&picture, Qt::RightButton, {}, QPoint(30, 30));
    QDialog* popup = picture.PreviewPopup();
    ASSERT_NE(popup, nullptr);
    ASSERT_NE(picture.Preview(), nullptr);
    EXPECT_EQ(popup->size(), QSize(68, 68));
    EXPECT_EQ(popup->pos(), picture.mapToGlobal(QPoint(0, 0)) - QPoint(5, 5));
    EXPECT_EQ(picture.Preview()->GetFile(), "models/brick/brick_2x2.ive");
    EXPECT_EQ(picture.Preview()->GetKind(), 1);
    ASSERT_NE(picture.Preview()->GetModel(), nullptr);
    // A brick is previewed blue; the model's other copies keep their colours.
    const osg::Vec4 blue(0.0f, 157.0f / 255.0f, 1.0f, 1.0f);
    EXPECT_EQ(Diffuse(*picture.Preview()->GetModel()), blue);
    const auto* material = dynamic_cast<const osg::Material*>(
        picture.Preview()->GetModel()->getStateSet()->getAttribute(osg::StateAttribute::MATERIAL));
    ASSERT_NE(material, nullptr);
    EXPECT_EQ(material->getAmbient(osg::Material::BACK), blue);
    EXPECT_EQ(
        material->getSpecular(osg::Material::FRONT), osg::Vec4(0.0720721f, 0.0720721f, 0.0720721f, 1.0f));
    EXPECT_EQ(material->getEmission(osg::Material::FRONT), osg::Vec4(0.0f, 0.0f, 0.0f, 1.0f));
    EXPECT_FLOAT_EQ(material->getShininess(osg::Material::BACK), 35.84f);
    EXPECT_NE(Diffuse(*scene::ModelCache::Shared().Load("models/brick/brick_2x2.ive")), blue);
    ASSERT_TRUE(WaitForFrames(*picture.Preview(), 3));
    EXPECT_GT(ModelPixels(*picture.Preview()), 100);

    // A left click in the preview closes it.
    QTest::mouseClick(picture.Preview(), Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_TRUE(QTest::qWaitFor([&] { return picture.PreviewPopup() == nullptr; }));

    // Once the pointer has come back onto the picture, the preview is let
    // go: a click in it no longer closes it.
    QTest::mouseClick(&picture, Qt::RightButton, {}, QPoint(30, 30));
    QPointer<QDialog> second = picture.PreviewPopup();
    ASSERT_NE(second, nullptr);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), picture.mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(&picture, &enter);
    EXPECT_EQ(picture.PreviewPopup(), nullptr);
    QTest::mouseClick(picture.Preview(), Qt::LeftButton, {}, QPoint(20, 20));
    QTest::qWait(20);
    ASSERT_FALSE(second.isNull());
    EXPECT_TRUE(second->isVisible());
    second->close();

    // A picture path too short to name a model previews nothing.
    EXPECT_EQ(CImageViewer::ModelFileOf(QStringLiteral("a.png")), std::string());
    EXPECT_EQ(CImageViewer::ModelFileOf(QStringLiteral("images/a.png")), "models/a.ive");
    CImageViewer odd("models/playground/cube.ive", QStringLiteral("a.png"), 105, *m_config);
    odd.show();
    QTest::mouseClick(&odd, Qt::RightButton, {}, QPoint(10, 10));
    ASSERT_NE(odd.Preview(), nullptr);
    EXPECT_EQ(odd.Preview()->GetModel(), nullptr);
}

TEST_F(ModelBar, TheBarPacksItsPicturesThreeToARow) {
    TiXmlDocument document;
    document.Parse(R"(<brick>
        <obj address="models/brick/brick_1x2.ive" image="images/brick/brick_1x2.png" type="1"/>
        <obj address="models/brick/brick_2x2.ive" image="images/brick/brick_2x2.png" type="1" special="1"/>
        <obj address="models/brick/brick_2x4.ive" type="1"/>
        <obj address="models/brick/brick_2x4.ive" image="" type="1"/>
        <obj address="" image="images/brick/brick_2x4.png" type="1"/>
        <obj address="models/brick/brick_2x4.ive" image="images/brick/brick_2x4.png"/>
        <obj address="models/brick/beam_1x8.ive" image="images/brick/beam_1x8.png" type="1"/>
        <obj address="models/brick/plate_2x4.ive" image="images/brick/plate_2x4.png" type="1"/>
        <obj address="models/brick/plate_4x8.ive" image="images/brick/plate_4x8.png" type="1"/>
        <obj address="models/unnamed.ive" image="images/brick/plate_4x8.png" type="1"/>
    </brick>)");
    CBrickBox bar(document.RootElement(), *m_config);
    const std::vector<CImageViewer*>& pictures = bar.GetPictures();
    ASSERT_EQ(pictures.size(), 7u);
    EXPECT_EQ(pictures[2]->GetAddress(), "models/brick/brick_2x4.ive");
    EXPECT_EQ(pictures[2]->GetKind(), 0);
    EXPECT_EQ(bar.SensorModelAddresses(),
        (std::vector<std::string> { "models/brick/brick_1x2.ive", "models/brick/brick_2x2.ive",
            "models/brick/brick_2x4.ive", "models/brick/beam_1x8.ive", "models/brick/plate_2x4.ive",
            "models/brick/plate_4x8.ive", "models/unnamed.ive" }));
    const auto cell = [&](QWidget* picture) {
        int row = -1, column = -1, rowSpan = 0, columnSpan = 0;
        bar.GetGrid()->getItemPosition(bar.GetGrid()->indexOf(picture), &row, &column, &rowSpan, &columnSpan);
        return std::make_pair(row, column);
    };
    EXPECT_EQ(cell(pictures[2]), std::make_pair(0, 2));
    EXPECT_EQ(cell(pictures[3]), std::make_pair(1, 0));
    EXPECT_EQ(cell(pictures[6]), std::make_pair(2, 0));

    // Names come with the language.
    EXPECT_TRUE(pictures[0]->toolTip().isEmpty());
    bar.f_Language();
    EXPECT_EQ(pictures[0]->toolTip(), m_config->GetObjName("models/brick/brick_1x2.ive"));
    EXPECT_FALSE(pictures[0]->toolTip().isEmpty());
    EXPECT_EQ(pictures[0]->statusTip(), pictures[0]->toolTip());
    EXPECT_TRUE(pictures[6]->toolTip().isEmpty());
    const QString chinese = pictures[0]->toolTip();
    m_config->SetLanguage(1, false);
    bar.f_Language();
    EXPECT_NE(pictures[0]->toolTip(), chinese);
    EXPECT_EQ(pictures[0]->statusTip(), m_config->GetObjName("models/brick/brick_1x2.ive"));

    CBrickBox none(nullptr, *m_config);
    EXPECT_TRUE(none.GetPictures().empty());
}
