#include "PartFixture.h"

#include "elements/CModelBox.h"
#include "scene/ModelCache.h"

#include <osg/Geometry>
#include <osg/Material>
#include <osg/Quat>

#include <gtest/gtest.h>

#include <cmath>

using elementstest::LoadPart;
using elementstest::ModelFileBounds;
using elementstest::RobotBuilderOwner;

namespace {

void ExpectNear(const osg::Vec3f& actual, const osg::Vec3f& expected, float eps = 1e-4f) {
    EXPECT_NEAR(actual.x(), expected.x(), eps);
    EXPECT_NEAR(actual.y(), expected.y(), eps);
    EXPECT_NEAR(actual.z(), expected.z(), eps);
}

const osg::Quat kQuarterTurnZ(osg::PI_2, osg::Vec3d(0, 0, 1));

} // namespace

TEST(Placement, ANewPartStartsWithItsDefaults) {
    osg::ref_ptr<CModel> part = new CModel(elementstest::LibraryContext(), "models/brick/brick_2x2.ive");
    EXPECT_EQ(part->GetKind(), ElementKindModel);
    EXPECT_EQ(part->GetScore(), 10);
    EXPECT_EQ(part->GetRayDis(), 255);
    EXPECT_EQ(part->GetPort(), 0);
    EXPECT_EQ(part->GetTriggerMode(), 0);
    EXPECT_EQ(part->GetState().m_vScale, osg::Vec3f(1, 1, 1));
    EXPECT_FALSE(part->IsLocked());
    EXPECT_EQ(part->GetSavedState().m_nRayDis, 255);
    EXPECT_EQ(part->GetSavedState().m_nScore, 10);
    osg::ref_ptr<CModel> scaled
        = new CModel(elementstest::LibraryContext(), "models/playground/slope.ive", osg::Vec3f(4, 2, 1));
    EXPECT_EQ(scaled->GetSavedState().m_vScale, osg::Vec3f(4, 2, 1));
    // A part never placed has no selection box to show.
    part->ShowBox(true, CModelBox::Red);
    EXPECT_EQ(part->GetBox(), nullptr);
}

TEST(Placement, OnlyTheColouredLightLoadsPastTheModelCache) {
    scene::ModelCache::Shared().Clear();
    osg::ref_ptr<CModel> light = LoadPart("models/light/coloredlight.ive", ModelTypeColoredLight);
    EXPECT_EQ(scene::ModelCache::Shared().Size(), 0u);
    osg::ref_ptr<CModel> brick = LoadPart("models/light/coloredlight.ive", ModelTypeBrick);
    EXPECT_EQ(scene::ModelCache::Shared().Size(), 1u);

    osg::ref_ptr<CModel> missing = new CModel(elementstest::LibraryContext(), "models/none.ive");
    EXPECT_FALSE(missing->LoadModel());
}

// A brick 1 x 2 (footprint 2 x 4, stud grid 1 x 2 centred on its origin) is
// added by the robot builder. Its grid anchor is its bottom grid, which
// reaches a cell (1, 2 cells) from the origin, so the reference point is
// (1, 2): x rounds to 2, a correction of +1; y is on the grid. It lands at
// (1, 0), its studs on odd coordinates, its bottom on the ground.
TEST(Placement, ABrickDroppedOntoTheGridLandsOnTheGrid) {
    SPartOwner owner = RobotBuilderOwner();
    osg::ref_ptr<CModel> brick = LoadPart("models/brick/brick_1x2.ive");
    brick->Place(&owner, PlaceAdded);
    ExpectNear(brick->GetState().m_vPos, osg::Vec3f(1, 0, 0));
    const CPoint* anchor = brick->GetPoint(brick->GetState().m_nGridAnchor);
    ASSERT_NE(anchor, nullptr);
    EXPECT_EQ(anchor->m_nMale, 0);
    EXPECT_EQ(anchor->GridCount(), 2);
    EXPECT_NEAR(brick->GetBottomZ(), 0.0, 1e-5);
    ExpectNear(brick->GetPlacedState().m_vPos, osg::Vec3f(1, 0, 0));
    ExpectNear(brick->GetSavedState().m_vPos, osg::Vec3f(1, 0, 0));
    EXPECT_FALSE(brick->IsLocked());
    EXPECT_TRUE(brick->GetActive());

    // Turned a quarter about z before it is added, its grid runs across:
    // the reference point is (2, 1), which puts it at (0, 1).
    osg::ref_ptr<CModel> turned = LoadPart("models/brick/brick_1x2.ive");
    turned->SetTransform(scene::Transform(osg::Vec3(7, 7, 7), osg::Vec3(90, 0, 0)));
    turned->Place(&owner, PlaceAdded);
    ExpectNear(turned->GetState().m_vPos, osg::Vec3f(0, 1, 0));

    // On a ground at 1.5 the same brick rests at 1.5.
    owner.m_dGroundHeight = 1.5;
    osg::ref_ptr<CModel> raised = LoadPart("models/brick/brick_1x2.ive");
    raised->Place(&owner, PlaceAdded);
    ExpectNear(raised->GetState().m_vPos, osg::Vec3f(1, 0, 1.5f));
}

// A wheel has no port that points up, so the corner of its bounding box is
// put on the grid and then adjusted: for each of x and y, v := snapped corner
// + box minimum, adj := (2 trunc(v / 2) - v) / 2, then half a cell more away
// from the grid line when the adjustment is large. Dropped, it stands on its
// tyre, its axle a radius above the ground.
TEST(Placement, APartWithoutAnUprightPortIsAdjustedToTheGrid) {
    const osg::BoundingBox bounds = ModelFileBounds("models/wheel/wheel_std.ive");
    auto snapped = [](double max) {
        const double n = std::trunc(std::fabs(max) / 2.0 + 0.5) * (max < 0 ? -1 : 1);
        return 2.0 * n - max;
    };
    auto adjusted = [](double g, double min, double max) {
        const double v = g + min;
        double adj = (2.0 * std::trunc(v / 2.0) - v) / 2.0;
        const double ext = max - min;
        if (ext < 2.0) {
            if (v < 0)
                adj -= 1.0;
        } else if (v > 0) {
            if (adj >= 0.6)
                adj += 1.0;
        } else if (adj > 0.4) {
            adj -= 1.0;
        }
        return g + adj;
    };
    const double gx = snapped(bounds.xMax());
    const double gy = snapped(bounds.yMax());
    const osg::Vec3f expected(float(adjusted(gx, bounds.xMin(), bounds.xMax())),
        float(adjusted(gy, bounds.yMin(), bounds.yMax())), -bounds.zMin());

    SPartOwner owner = RobotBuilderOwner();
    osg::ref_ptr<CModel> wheel = LoadPart("models/wheel/wheel_std.ive", ModelTypeWheel);
    wheel->Place(&owner, PlaceAdded);
    EXPECT_EQ(wheel->GetState().m_nGridAnchor, -1);
    ExpectNear(wheel->GetState().m_vPos, expected);
    EXPECT_NEAR(wheel->GetBottomZ(), 0.0, 1e-5);
}

TEST(Placement, KindsDecideDropLockAndPorts) {
    SPartOwner owner = RobotBuilderOwner();
    // The control unit, added with kind 4, is dropped like an added part.
    // A caster's lowest point lies below its origin: it is lifted.
    osg::ref_ptr<CModel> caster = LoadPart("models/wheel/wheel_uni.ive", ModelTypeWheel);
    caster->Place(&owner, PlaceControlUnit);
    EXPECT_NEAR(caster->GetState().m_vPos.z(), -ModelFileBounds("models/wheel/wheel_uni.ive").zMin(), 1e-4);
    EXPECT_NEAR(caster->GetBottomZ(), 0.0, 1e-5);
    EXPECT_TRUE(caster->IsLocked());

    // Re-created parts keep where their node was, whatever the ground, and
    // keep the ports of their copied description.
    owner.m_dGroundHeight = 7.0;
    osg::ref_ptr<CModel> motor = LoadPart("models/motor/motor.ive", ModelTypeMotor);
    motor->SetTransform(scene::Transform(osg::Vec3(3, -5, 9), osg::Vec3(90, 0, 0)));
    motor->Place(&owner, PlaceRecreated);
    ExpectNear(motor->GetState().m_vPos, osg::Vec3f(3, -5, 9));
    EXPECT_TRUE(motor->GetState().m_qRot.zeroRotation() == false);
    EXPECT_TRUE(motor->IsLocked());
    EXPECT_TRUE(motor->GetDesc().m_vecPoints.empty());
    EXPECT_FALSE(motor->GetBox()->GetActive());

    // A pasted part is free, and keeps the ports of the description it was
    // pasted with, answering for its own pose.
    osg::ref_ptr<CModel> source = LoadPart("models/brick/brick_2x2.ive");
    source->Place(&owner, PlaceAdded);
    osg::ref_ptr<CModel> pasted = LoadPart("models/brick/brick_2x2.ive");
    pasted->GetInfo().m_desc = source->GetDesc();
    pasted->GetDesc().m_vecPoints.resize(1);
    pasted->SetTransform(scene::Transform(osg::Vec3(20, 0, 0), osg::Vec3()));
    pasted->Place(&owner, PlacePasted);
    EXPECT_FALSE(pasted->IsLocked());
    EXPECT_TRUE(pasted->GetBox()->GetActive());
    ASSERT_EQ(pasted->GetDesc().m_vecPoints.size(), 1u);
    EXPECT_NEAR(pasted->GetDesc().m_vecPoints[0].WorldPos(-1).x(), 20.0, 1e-5);

    // Outside the robot builder no ports are read and no grid applies.
    SPartOwner playground;
    playground.m_nAppKind = 2;
    osg::ref_ptr<CModel> candle = LoadPart("models/playground/candle.ive", ModelTypeCandle);
    candle->Place(&playground, PlaceAdded);
    EXPECT_TRUE(candle->GetDesc().m_vecPoints.empty());
    ExpectNear(
        candle->GetState().m_vPos, osg::Vec3f(0, 0, -ModelFileBounds("models/playground/candle.ive").zMin()));
}

TEST(Placement, TheSelectionBoxFramesThePartAndStaysOutOfItsBounds) {
    SPartOwner owner = RobotBuilderOwner();
    osg::ref_ptr<CModel> brick = LoadPart("models/brick/brick_2x4.ive");
    brick->Place(&owner, PlaceAdded);
    CModelBox* box = brick->GetBox();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->GetActive());
    EXPECT_EQ(box->GetParent(), brick.get());
    // Shown in cyan, at 0.1 outside the model's own bounds.
    const osg::Material* cyan = dynamic_cast<const osg::Material*>(
        box->GetGeode()->getStateSet()->getAttribute(osg::StateAttribute::MATERIAL));
    ASSERT_NE(cyan, nullptr);
    EXPECT_EQ(cyan->getDiffuse(osg::Material::FRONT), osg::Vec4(0, 1, 1, 1));
    const osg::BoundingBox model = ModelFileBounds("models/brick/brick_2x4.ive");
    const osg::Vec3Array* v
        = static_cast<const osg::Vec3Array*>(box->GetGeode()->getDrawable(0)->asGeometry()->getVertexArray());
    ASSERT_EQ(v->size(), 24u);
    ExpectNear((*v)[0], model._min - osg::Vec3f(0.1f, 0.1f, 0.1f));
    ExpectNear((*v)[6], model._max + osg::Vec3f(0.1f, 0.1f, 0.1f));
    // The box is drawn but never measured with the part.
    EXPECT_NEAR(brick->GetBottomZ(), 0.0, 1e-5);
    brick->ShowBox(true, 3);
    const osg::Material* none = dynamic_cast<const osg::Material*>(
        box->GetGeode()->getStateSet()->getAttribute(osg::StateAttribute::MATERIAL));
    EXPECT_EQ(none->getEmission(osg::Material::BACK), osg::Vec4(0, 0, 0, 0));
    brick->ShowBox(false, CModelBox::Red);
    EXPECT_FALSE(box->GetActive());
    // Placing again replaces the box.
    brick->Place(&owner, PlaceRecreated);
    EXPECT_NE(brick->GetBox(), box);
    EXPECT_EQ(brick->GetNumChildren(), 1u);
}

TEST(Placement, PoseFlagsRefreshAndSave) {
    SPartOwner owner = RobotBuilderOwner();
    osg::ref_ptr<CModel> brick = LoadPart("models/brick/brick_2x4.ive");
    brick->Place(&owner, PlaceAdded);
    const CModelState before = brick->GetState();

    // Without flags only the pose changes.
    brick->SetPose(osg::Vec3f(10, 0, 0), kQuarterTurnZ, false, false);
    EXPECT_EQ(brick->GetState().m_vBoxMax, before.m_vBoxMax);
    EXPECT_EQ(brick->GetState().m_vGridRefOffset, before.m_vGridRefOffset);
    ExpectNear(brick->GetSavedState().m_vPos, before.m_vPos);
    scene::Transform t;
    brick->GetTransform(t);
    ExpectNear(t.GetTranslation(), osg::Vec3f(10, 0, 0));
    // The state's matrix follows the rotation: points turn with the part
    // (the first is the stud grid on top, 2.4 up; its first row is a cell
    // off the middle, along the brick's x axis, now along y).
    const CModelDesc& desc = brick->GetDesc();
    ExpectNear(desc.m_vecPoints[0].WorldPos(-1), osg::Vec3f(10, 0, 2.4f));
    ExpectNear(desc.m_vecPoints[desc.m_vecPortTable[1][0].m_vecDirs[3][0].m_vecPorts[0].m_vecRows[0].m_nRow]
                   .WorldPos(-1),
        osg::Vec3f(10, -1, 2.4f));

    // With refresh the box and grid anchor follow the turn (4 x 8 becomes 8 x 4).
    brick->SetPose(osg::Vec3f(10, 0, 0), kQuarterTurnZ, false, true);
    ExpectNear(brick->GetState().m_vBoxMax, osg::Vec3f(4, 2, 2.5f), 0.2f);
    ExpectNear(brick->GetState().m_vGridRefOffset, osg::Vec3f(4, 2, 0));
    // With save the saved state becomes the current one.
    brick->SetPose(osg::Vec3f(10, 2, 0), kQuarterTurnZ, true, false);
    ExpectNear(brick->GetSavedState().m_vPos, osg::Vec3f(10, 2, 0));

    // The offset from a reference point, and the bottom put on a target
    // without a change of the state.
    EXPECT_EQ(brick->SetOffsetFrom(osg::Vec3f(1, 1, 1)), osg::Vec3f(9, 1, -1));
    brick->PutBottomAt(osg::Vec3f(-20, 5, 3));
    osg::Vec3f min, max;
    brick->GetBoundingBox(min, max, false);
    EXPECT_NEAR(min.z(), 3.0, 1e-4);
    EXPECT_NEAR((min.x() + max.x()) / 2, -20.0, 1e-4);
    EXPECT_NEAR((min.y() + max.y()) / 2, 5.0, 1e-4);
    ExpectNear(brick->GetState().m_vPos, osg::Vec3f(10, 2, 0));

    // Box points: the position, the box centre and its eight corners.
    osg::Vec3f p;
    brick->SetPose(osg::Vec3f(0, 0, 0), osg::Quat(), false, false);
    EXPECT_TRUE(brick->GetBoxPoint(p, -1));
    EXPECT_TRUE(brick->GetBoxPoint(p, -2));
    ExpectNear(p, osg::Vec3f(0, 0, 1.25f), 0.1f);
    for (int k = 0; k < 8; ++k) {
        ASSERT_TRUE(brick->GetBoxPoint(p, k));
        EXPECT_NEAR(std::fabs(p.x()), 2.0, 1e-4);
        EXPECT_NEAR(std::fabs(p.y()), 4.0, 1e-4);
    }
    EXPECT_FALSE(brick->GetBoxPoint(p, 8));
    EXPECT_FALSE(brick->GetBoxPoint(p, -3));
    osg::ref_ptr<CModel> unplaced = LoadPart("models/brick/brick_2x4.ive");
    EXPECT_FALSE(unplaced->GetBoxPoint(p, 0));
    EXPECT_FALSE(unplaced->CollidesWith(brick.get()));
    EXPECT_FALSE(brick->CollidesWith(unplaced.get()));

    // A part whose model did not load measures as an empty box at the
    // origin: it is placed, never lost below the ground.
    SPartOwner ground = RobotBuilderOwner();
    ground.m_dGroundHeight = 2.0;
    osg::ref_ptr<CModel> empty = new CModel(elementstest::LibraryContext(), "models/none.ive");
    EXPECT_FALSE(empty->LoadModel());
    empty->Place(&ground, PlaceAdded);
    EXPECT_TRUE(empty->GetState().m_vPos.valid());
    EXPECT_NEAR(empty->GetState().m_vPos.z(), 2.0, 1e-6);

    // Without corners, the selection box frames the model in its own frame,
    // whatever the part's pose.
    brick->SetPose(osg::Vec3f(5, 5, 5), kQuarterTurnZ, false, false);
    osg::ref_ptr<CModelBox> frame = new CModelBox(brick.get());
    const auto* v = static_cast<const osg::Vec3Array*>(
        frame->GetGeode()->getDrawable(0)->asGeometry()->getVertexArray());
    const osg::BoundingBox model = ModelFileBounds("models/brick/brick_2x4.ive");
    ExpectNear((*v)[0], model._min);
    ExpectNear((*v)[6], model._max);
}

TEST(Placement, SnappingToTheGridRoundsHalfCellsAwayFromZero) {
    // A part never placed has no grid anchor and an empty box: its position
    // itself is snapped.
    osg::ref_ptr<CModel> part = new CModel(elementstest::LibraryContext(), "models/none.ive");
    ExpectNear(part->SnapToGrid(osg::Vec3f(-3, 3, 7.3f)), osg::Vec3f(-4, 4, 7.3f));
    ExpectNear(part->SnapToGrid(osg::Vec3f(-2.5f, 2.5f, 0)), osg::Vec3f(-2, 2, 0));
    ExpectNear(part->SnapToGrid(osg::Vec3f(-1, 1, 0)), osg::Vec3f(-2, 2, 0));
    // Just off the origin, either side goes to the origin.
    ExpectNear(part->SnapToGrid(osg::Vec3f(-0.5f, 0.5f, 0)), osg::Vec3f(0, 0, 0));
    ExpectNear(part->SnapToGrid(osg::Vec3f(-0.9f, 0.9f, 0)), osg::Vec3f(0, 0, 0));
    // Never below the grid area's edge at -50.
    ExpectNear(part->SnapToGrid(osg::Vec3f(-51, -50.4f, 0)), osg::Vec3f(-50, -50, 0));
}
