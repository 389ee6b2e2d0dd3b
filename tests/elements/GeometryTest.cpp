#include "elements/Geometry.h"
#include "elements/CElement.h"

#include <osg/Quat>

#include <gtest/gtest.h>

#include <cmath>

namespace {

class PlainElement : public CElement {
public:
    PlainElement()
        : CElement(ElementKindGround) { }
};

} // namespace

TEST(GeometryHelpers, PanelValuesAreClampedAndCutToHundredths) {
    EXPECT_EQ(ClampAndTruncate2(1234.5), 1000.0);
    EXPECT_EQ(ClampAndTruncate2(-1234.5), -1000.0);
    EXPECT_DOUBLE_EQ(ClampAndTruncate2(-0.019), -0.01);
    EXPECT_DOUBLE_EQ(ClampAndTruncate2(2.999), 2.99);
    // Values whose binary form lies just below them keep their hundredths...
    EXPECT_DOUBLE_EQ(ClampAndTruncate2(2.3), 2.3);
    EXPECT_DOUBLE_EQ(ClampAndTruncate2(4.35), 4.35);
    EXPECT_DOUBLE_EQ(ClampAndTruncate2(-0.29), -0.29);
    // ... also when they come from a float node position, shown again and again.
    double shown = 1.15f;
    for (int i = 0; i < 5; ++i)
        shown = ClampAndTruncate2(float(shown));
    EXPECT_DOUBLE_EQ(shown, 1.15);
    EXPECT_DOUBLE_EQ(ClampAndTruncate2(float(999.99)), 999.99);
}

TEST(GeometryHelpers, AnglesAreBroughtIntoZeroTo360) {
    EXPECT_DOUBLE_EQ(NormalizeAngle2(-90), 270);
    EXPECT_DOUBLE_EQ(NormalizeAngle2(725.5), 5.5);
    EXPECT_DOUBLE_EQ(NormalizeAngle2(-725.5), 354.5);
    EXPECT_DOUBLE_EQ(NormalizeAngle2(360), 360);
    EXPECT_DOUBLE_EQ(NormalizeAngle2(-360), 0);
    EXPECT_DOUBLE_EQ(NormalizeAngle2(12.3456), 12.34);
    EXPECT_DOUBLE_EQ(NormalizeAngle2(-0.7), 359.3);
}

TEST(GeometryHelpers, CosinesLengthsAndTurns) {
    const osg::Vec3f x(1, 0, 0);
    EXPECT_EQ(CosAngle3D(x, -x), -1.0f);
    EXPECT_EQ(CosAngle3D(x, -x, true), 1.0f);
    EXPECT_NEAR(
        CosAngle3D(osg::Vec3f(1, 1, 0), osg::Vec3f(0, 1, 7)), 1.0 / (std::sqrt(2.0) * std::sqrt(50.0)), 1e-6);
    // The 2-D cosine sees only x and y.
    EXPECT_EQ(CosAngle2D(osg::Vec3f(1, 0, 5), osg::Vec3f(3, 0, -2)), 1.0f);
    // A zero vector has no direction: no "at least" test passes on it.
    EXPECT_EQ(CosAngle3D(osg::Vec3f(), x), 0.0f);
    EXPECT_EQ(CosAngle2D(osg::Vec3f(0, 0, 4), x, true), 0.0f);

    EXPECT_DOUBLE_EQ(Length2D(osg::Vec3f(3, 4, 12)), 5.0);
    EXPECT_DOUBLE_EQ(Length3D(osg::Vec3f(3, 4, 12)), 13.0);
    EXPECT_DOUBLE_EQ(Distance2D(osg::Vec3f(1, 1, 9), osg::Vec3f(4, 5, 0)), 5.0);
    EXPECT_DOUBLE_EQ(Distance3D(osg::Vec3f(1, 1, 1), osg::Vec3f(4, 5, 13)), 13.0);

    const osg::Matrixd turnAndMove
        = osg::Matrixd::rotate(osg::PI_2, 0, 0, 1) * osg::Matrixd::translate(5, 0, 0);
    EXPECT_EQ(RotateVec3(osg::Vec3f(), turnAndMove), osg::Vec3f());
    const osg::Vec3f turned = RotateVec3(x, turnAndMove);
    EXPECT_NEAR(turned.x(), 5.0, 1e-6);
    EXPECT_NEAR(turned.y(), 1.0, 1e-6);

    EXPECT_EQ(kZeroTransform.GetTranslation(), osg::Vec3());
    EXPECT_EQ(kZeroTransform.GetHpr(), osg::Vec3());
}

TEST(GeometryHelpers, ATurnedElementAxisIsCutTowardZero) {
    osg::ref_ptr<PlainElement> element = new PlainElement;
    EXPECT_EQ(element->GetKind(), ElementKindGround);
    EXPECT_EQ(element->GetUnselected(), 1);
    EXPECT_EQ(element->GetAxis(), osg::Vec3f());

    // A quarter turn about z takes x to y; rounding leaves 0.99999999...
    element->SetAxis(osg::Vec3f(1, 0, 0));
    EXPECT_TRUE(element->Rotate(osg::Quat(osg::PI_2, osg::Vec3d(0, 0, 1))));
    EXPECT_EQ(element->GetAxis(), osg::Vec3f(0, 1, 0));
    element->Rotate(osg::Quat(osg::PI, osg::Vec3d(0, 0, 1)));
    EXPECT_EQ(element->GetAxis(), osg::Vec3f(0, -1, 0));
    // A quarter turn that carries rounding (its component lands 5e-7 below
    // 1, beyond a float's own rounding) still gives 1.
    element->Rotate(osg::Quat(osg::PI_2 + 1e-3, osg::Vec3d(0, 0, 1)));
    EXPECT_EQ(element->GetAxis(), osg::Vec3f(1, 0, 0));

    // Components that are not whole are cut toward zero: 0.99999 and
    // -0.99999 become 0, as does any turn that is not a quarter turn.
    element->SetAxis(osg::Vec3f(0.99999f, -0.99999f, 1.0f));
    element->Rotate(osg::Quat());
    EXPECT_EQ(element->GetAxis(), osg::Vec3f(0, 0, 1));
    element->SetAxis(osg::Vec3f(1, 0, 0));
    element->Rotate(osg::Quat(osg::PI_4, osg::Vec3d(0, 0, 1)));
    EXPECT_EQ(element->GetAxis(), osg::Vec3f(0, 0, 0));
}
