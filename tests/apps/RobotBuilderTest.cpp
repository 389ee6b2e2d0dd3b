// The robot builder in a window under Xvfb, driven by real mouse events
// through its 3-D view and by the commands the main window gives it.

#include "BuilderViewFixture.h"

#include "apps/CCam.h"
#include "apps/CRobApp.h"
#include "elements/CBrick.h"
#include "elements/CModelBox.h"
#include "elements/Geometry.h"
#include "scene/FrameLoop.h"
#include "scene/SceneView.h"
#include "simulation/RobotPartFactory.h"
#include "support/CapturedWarnings.h"
#include "support/FileSizeLimit.h"
#include "support/ModalWatcher.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <osg/Quat>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <map>
#include <memory>
#include <vector>

namespace {

using appstest::kViewWidth;

// One part as undo must give it back.
struct PartRecord {
    const CModel* part;
    int id;
    std::string address;
    osg::Vec3f position;
    osg::Quat rotation;
    int port;
    int opposite;
    int rayDistance;
    bool inScene;

    bool operator==(const PartRecord& o) const {
        return part == o.part && id == o.id && address == o.address && position == o.position
            && rotation == o.rotation && port == o.port && opposite == o.opposite
            && rayDistance == o.rayDistance && inScene == o.inScene;
    }
};

std::ostream& operator<<(std::ostream& out, const PartRecord& r) {
    return out << r.id << " " << r.address << " at " << r.position.x() << "," << r.position.y() << ","
               << r.position.z() << " port " << r.port;
}

class RobotBuilder : public appstest::BuilderViewFixture<CRobApp> {
protected:
    CModel* ControlUnit() const { return m_app->GetPartList().front().get(); }

    osg::ref_ptr<CModel> Make(int type, const std::string& address, int sensorKind = 0) {
        return MakeRobotPart(type, sensorKind, appstest::Context(), address, false);
    }
    CModel* Add(int type, const std::string& address, int sensorKind = 0) {
        osg::ref_ptr<CModel> part = Make(type, address, sensorKind);
        EXPECT_TRUE(m_app->AddPart(part.get())) << address;
        return part.get();
    }

    // Loads or saves and waits for the file worker to end.
    void RunFileJob(const std::string& path, bool load) {
        m_app->StartFileThread(path, load, false, false, false);
        for (int i = 0; i < 2000 && Edit().m_nBusy != SEditState::BusyIdle; ++i) {
            QThread::msleep(2);
            Step();
        }
        ASSERT_EQ(Edit().m_nBusy, SEditState::BusyIdle);
    }

    std::vector<PartRecord> Snapshot() const {
        std::vector<PartRecord> out;
        for (const osg::ref_ptr<CModel>& part : m_app->GetPartList()) {
            const CModelState& s = part->GetState();
            out.push_back({ part.get(), part->GetId(), part->GetAddress(), s.m_vPos, s.m_qRot, s.m_nPort,
                s.m_nOpposite, s.m_nRayDis, m_app->GetScene()->HasDrawable(part.get()) });
        }
        std::sort(
            out.begin(), out.end(), [](const PartRecord& a, const PartRecord& b) { return a.id < b.id; });
        return out;
    }
};

void ExpectNear(const osg::Vec3f& actual, const osg::Vec3f& expected, float eps = 1e-3f) {
    EXPECT_NEAR(actual.x(), expected.x(), eps);
    EXPECT_NEAR(actual.y(), expected.y(), eps);
    EXPECT_NEAR(actual.z(), expected.z(), eps);
}

osg::Vec3f Turned(const osg::Quat& q, const osg::Vec3f& v) {
    return osg::Vec3f(q * osg::Vec3d(v));
}

bool OnGrid(float v) {
    return std::fabs(v / 2.0f - std::round(v / 2.0f)) < 1e-3f;
}

} // namespace

// A part taken from the library follows the pointer at the level of the
// robot, snaps port to port onto the part under it (whose box turns green),
// and is put down by a click. Over empty floor a single part keeps to the
// floor's grid; past the grid area's edge it stays where it was.
TEST_F(RobotBuilder, PartsFollowThePointerSnapOntoPortsAndKeepToTheGrid) {
    ASSERT_EQ(App().GetPartList().size(), 1u);
    CModel* rcu = ControlUnit();
    EXPECT_EQ(rcu->GetType(), ModelTypeRcu);
    EXPECT_EQ(rcu->GetId(), 0);
    EXPECT_FALSE(App().AddPart(Make(ModelTypeRcu, "models/rcu/rcu.ive").get())) << "one control unit";

    CModel* brick = Add(ModelTypeBrick, "models/brick/brick_2x2.ive");
    EXPECT_EQ(brick->GetId(), 1);
    EXPECT_EQ(App().GetSingleSel(), brick);
    EXPECT_FALSE(brick->IsLocked());
    EXPECT_TRUE(Edit().m_bCarrying);

    // The control unit's top is 3.2 high, its studs a 4 x 6 grid round the
    // origin: the brick's bottom studs meet the nearest of them.
    MoveTo(PixelOf({ 0.0f, 0.0f, 3.2f }));
    ExpectNear(brick->GetState().m_vPos, { 0.0f, 0.0f, 3.2f });
    EXPECT_EQ(Edit().m_snap.m_pOtherPart.get(), rcu);
    EXPECT_TRUE(rcu->GetBox()->GetActive()) << "the partner's box shows";

    Click(PixelOf({ 0.0f, 0.0f, 3.2f }));
    EXPECT_TRUE(brick->IsLocked());
    EXPECT_FALSE(App().HasSel());
    EXPECT_FALSE(Edit().m_bCarrying);
    ExpectNear(brick->GetState().m_vPos, { 0.0f, 0.0f, 3.2f });

    // A beam over empty floor: its cells on the floor's cells, on the floor.
    CModel* beam = Add(ModelTypeBrick, "models/brick/beam_1x8.ive");
    MoveTo(PixelOf({ 21.3f, -12.6f, 0.0f }));
    osg::Vec3f min, max;
    beam->GetBoundingBox(min, max, false);
    EXPECT_TRUE(OnGrid(min.x()) && OnGrid(min.y()) && OnGrid(max.x()) && OnGrid(max.y()))
        << min.x() << "," << min.y() << " " << max.x() << "," << max.y();
    EXPECT_NEAR(min.z(), 0.0f, 1e-3f);
    EXPECT_NEAR(beam->GetState().m_vPos.x(), 21.0f, 1.01f);
    EXPECT_NEAR(beam->GetState().m_vPos.y(), -12.6f, 1.01f);
    const osg::Vec3f inside = beam->GetState().m_vPos;
    // Beyond x = 50 the beam stays, and beyond the area's other edges.
    for (const osg::Vec3f& beyond : { osg::Vec3f(70.0f, -12.6f, 0.0f), osg::Vec3f(-70.0f, -12.6f, 0.0f),
             osg::Vec3f(21.3f, 70.0f, 0.0f), osg::Vec3f(21.3f, -60.0f, 0.0f) }) {
        MoveTo(PixelOf(beyond));
        ExpectNear(beam->GetState().m_vPos, inside);
    }

    // Release (Escape) drops a part that was never put down; a placed one it
    // only puts down.
    App().DoCommand(14, true);
    EXPECT_EQ(App().GetPartList().size(), 2u);
    EXPECT_FALSE(App().GetScene()->HasDrawable(beam));

    // A drag that starts on a selected part carries it from 5 pixels on.
    Click(PixelOf({ 0.0f, 0.0f, 4.0f }));
    ASSERT_EQ(App().GetSingleSel(), brick);
    const QPoint on = PixelOf({ 0.0f, 0.0f, 4.0f });
    MoveTo(on);
    Press(on);
    MoveTo(on + QPoint(4, 0));
    EXPECT_FALSE(Edit().m_bCarrying);
    MoveTo(on + QPoint(5, 0));
    EXPECT_TRUE(Edit().m_bCarrying);
    Release(on + QPoint(5, 0));
    EXPECT_TRUE(Edit().m_bCarrying) << "a carried part is put down by the next click";
    App().DoCommand(14, true);
    EXPECT_FALSE(App().HasSel());
    EXPECT_EQ(App().GetPartList().size(), 2u) << "a placed part is only put down";
}

// Quarter turns turn the selection by 90 degrees about x, y or z (about the
// view's axes for the keys); the pointer turns it by half a degree per pixel
// until the same command stops it; code 0 takes a part back to no rotation.
TEST_F(RobotBuilder, TurnsByQuarterTurnsAndByThePointer) {
    CModel* beam = Add(ModelTypeBrick, "models/brick/beam_1x8.ive");
    Click(PixelOf({ -20.0f, 10.0f, 0.0f }));
    Click(PixelOf(beam->GetState().m_vPos + osg::Vec3f(0.0f, 0.0f, 2.0f)));
    ASSERT_EQ(App().GetSingleSel(), beam);
    const osg::Vec3f at = beam->GetState().m_vPos;

    // +90 degrees about z (code 9) takes the beam's length (its y) to -x.
    App().DoCommand(9, false);
    ExpectNear(Turned(beam->GetState().m_qRot, { 0, 1, 0 }), { -1, 0, 0 });
    // -90 degrees about x (code 4): the beam's top (its z) now points along +y.
    App().DoCommand(4, false);
    ExpectNear(Turned(beam->GetState().m_qRot, { 0, 0, 1 }), { 0, 1, 0 });
    App().DoCommand(0, false);
    ExpectNear(Turned(beam->GetState().m_qRot, { 0, 1, 0 }), { 0, 1, 0 });
    ExpectNear(Turned(beam->GetState().m_qRot, { 0, 0, 1 }), { 0, 0, 1 });
    ExpectNear(beam->GetState().m_vPos, at, 1e-3f);

    // The keys turn about the view's axes (x to the right, z up, y into the
    // view). From the front those are the world's; from above the view's z
    // is the world's y, from the side (looking along +x) the view's x is the
    // world's y.
    App().SetViewPreset(2);
    Step();
    App().DoCommand(18, true);
    ExpectNear(Turned(beam->GetState().m_qRot, { 0, 1, 0 }), { -1, 0, 0 });
    App().DoCommand(0, false);
    App().SetViewPreset(0);
    Step();
    App().DoCommand(18, true);
    // +90 degrees about y.
    ExpectNear(Turned(beam->GetState().m_qRot, { 0, 0, 1 }), { 1, 0, 0 });
    App().DoCommand(0, false);
    App().DoCommand(7, true);
    // +90 degrees about the view's depth, z.
    ExpectNear(Turned(beam->GetState().m_qRot, { 0, 1, 0 }), { -1, 0, 0 });
    App().DoCommand(0, false);
    App().SetViewPreset(1);
    Step();
    App().DoCommand(19, true);
    // -90 degrees about y.
    ExpectNear(Turned(beam->GetState().m_qRot, { 0, 0, 1 }), { -1, 0, 0 });
    App().DoCommand(0, false);
    ExpectNear(beam->GetState().m_vPos, at, 1e-3f);

    // The pointer: 180 pixels to the right are 90 degrees about z.
    App().SetViewPreset(3);
    const QPoint start(400, 300);
    MoveTo(start);
    App().DoCommand(3, false);
    EXPECT_TRUE(Edit().m_bRotating);
    MoveTo(start + QPoint(90, 40));
    MoveTo(start + QPoint(180, 0));
    ExpectNear(Turned(beam->GetState().m_qRot, { 0, 1, 0 }), { -1, 0, 0 });
    App().DoCommand(3, false);
    EXPECT_FALSE(Edit().m_bRotating);
    MoveTo(start + QPoint(300, 0));
    ExpectNear(Turned(beam->GetState().m_qRot, { 0, 1, 0 }), { -1, 0, 0 });

    // Two parts, chosen with add-to-selection, turn as one block about
    // their centroid.
    CModel* brick = Add(ModelTypeBrick, "models/brick/brick_2x2.ive");
    Click(PixelOf({ -20.0f, -20.0f, 0.0f }));
    EXPECT_FALSE(App().HasSel());
    App().DoCommand(12, true);
    Click(PixelOf(beam->GetState().m_vPos + osg::Vec3f(0.0f, 0.0f, 2.0f)));
    Click(PixelOf(brick->GetState().m_vPos + osg::Vec3f(0.0f, 0.0f, 2.0f)));
    App().DoCommand(13, true);
    ASSERT_EQ(Edit().m_vecSel.size(), 2u);
    const osg::Vec3f centre = (beam->GetState().m_vPos + brick->GetState().m_vPos) / 2.0f;
    const osg::Vec3f beamFrom = beam->GetState().m_vPos - centre;
    const osg::Vec3f brickFrom = brick->GetState().m_vPos - centre;
    App().DoCommand(9, false);
    const osg::Quat quarter(osg::PI_2, osg::Vec3d(0, 0, 1));
    ExpectNear(beam->GetState().m_vPos, centre + Turned(quarter, beamFrom));
    ExpectNear(brick->GetState().m_vPos, centre + Turned(quarter, brickFrom));
    ExpectNear(Turned(brick->GetState().m_qRot, { 0, 1, 0 }), { -1, 0, 0 });
}

// A drag over empty space selects the parts whose positions lie inside the
// rectangle; with add-to-selection on, a rectangle and clicks toggle parts
// against the selection as it was.
TEST_F(RobotBuilder, RectangleAndClicksSelectAndToggleParts) {
    CModel* rcu = ControlUnit();
    CModel* left = Add(ModelTypeBrick, "models/brick/brick_2x2.ive");
    Click(PixelOf({ -16.0f, 0.0f, 0.0f }));
    CModel* right = Add(ModelTypeBrick, "models/brick/brick_2x2.ive");
    Click(PixelOf({ 16.0f, 0.0f, 0.0f }));
    auto selected = [&] {
        std::vector<const CModel*> out;
        for (const osg::ref_ptr<CModel>& part : Edit().m_vecSel)
            out.push_back(part.get());
        std::sort(out.begin(), out.end());
        return out;
    };
    auto set = [](std::vector<const CModel*> parts) {
        std::sort(parts.begin(), parts.end());
        return parts;
    };

    CModel* far = Add(ModelTypeBrick, "models/brick/brick_2x2.ive");
    Click(PixelOf({ -10.0f, 30.0f, 0.0f }));

    // From beyond the left brick to the middle, short of the far brick: the
    // left brick and the control unit.
    const QPoint from = PixelOf({ -24.0f, 12.0f, 0.0f });
    const QPoint to = PixelOf({ 4.0f, -12.0f, 0.0f });
    ASSERT_GT(PixelOf(far->GetState().m_vPos).x(), from.x());
    Drag({ from, from + QPoint(10, 10), to });
    EXPECT_EQ(selected(), set({ rcu, left }));

    // Toggled: the part inside that was selected goes, the one outside stays.
    App().DoCommand(12, true);
    const QPoint to2 = PixelOf({ 24.0f, -12.0f, 0.0f });
    Drag({ PixelOf({ -6.0f, 12.0f, 0.0f }), PixelOf({ -6.0f, 12.0f, 0.0f }) + QPoint(10, 10), to2 });
    EXPECT_EQ(selected(), set({ left, right }));
    // A click on a selected part takes it out, on another puts it in.
    Click(PixelOf(left->GetState().m_vPos + osg::Vec3f(0.0f, 0.0f, 2.0f)));
    EXPECT_EQ(selected(), set({ right }));
    Click(PixelOf(rcu->GetState().m_vPos + osg::Vec3f(0.0f, 0.0f, 3.0f)));
    EXPECT_EQ(selected(), set({ right, rcu }));
    App().DoCommand(13, true);
    // A click on empty floor clears the selection.
    Click(PixelOf({ 30.0f, 30.0f, 0.0f }));
    EXPECT_FALSE(App().HasSel());
}

// Every change is one or more undo steps; undoing them one by one gives back
// each earlier robot exactly (the same part objects, ids, poses and wiring,
// in the scene or out of it), and redoing them gives back each later one.
TEST_F(RobotBuilder, UndoAndRedoGiveBackEveryEarlierAndLaterRobotExactly) {
    std::map<int, std::vector<PartRecord>> robots;
    auto record = [&] { robots.try_emplace(Edit().m_undoStack.index(), Snapshot()); };
    record();

    CModel* brick = Add(ModelTypeBrick, "models/brick/brick_2x4.ive");
    record();
    MoveTo(PixelOf({ 0.0f, 0.0f, 3.2f }));
    Click(PixelOf({ 0.0f, 0.0f, 3.2f }));
    record();

    CModel* motor = Add(ModelTypeMotor, "models/motor/motor.ive");
    record();
    Click(PixelOf({ -16.0f, 6.0f, 0.0f }));
    record();
    // The motor's shaft (its end 2.6 out along -x, 1.6 up) takes a wheel's
    // hub. The wheel hangs with its axle 3.2 up (its radius above the floor):
    // aim so that its hub, 1 along its axle, is drawn over the shaft's end.
    const std::vector<CPoint>& points = motor->GetDesc().m_vecPoints;
    const auto shaftPoint
        = std::find_if(points.begin(), points.end(), [](const CPoint& p) { return p.m_nKind == 1; });
    ASSERT_NE(shaftPoint, points.end());
    const osg::Vec3f shaft = shaftPoint->WorldPos(-1);
    ExpectNear(shaft, motor->GetState().m_vPos + osg::Vec3f(-2.6f, 0.0f, 1.6f));
    CModel* wheel = Add(ModelTypeWheel, "models/wheel/wheel_std.ive");
    record();
    // Turned 30 degrees off the shaft's line first (60 pixels with the
    // pointer): joining turns it onto the shaft.
    const QPoint turnFrom(100, 100);
    MoveTo(turnFrom);
    App().DoCommand(3, false);
    MoveTo(turnFrom + QPoint(60, 0));
    App().DoCommand(3, false);
    record();
    const osg::Vec3f axle = Turned(wheel->GetState().m_qRot, { 1, 0, 0 });
    ExpectNear(axle, { float(std::cos(osg::PI / 6)), float(std::sin(osg::PI / 6)), 0.0f });
    const osg::Vec3f eye = App().GetCamera()->GetPosition();
    const osg::Vec3f hubOnRay = eye + (shaft - eye) * ((3.2f - eye.z()) / (shaft.z() - eye.z()));
    const QPoint aim = PixelOf(hubOnRay - axle);
    MoveTo(aim);
    EXPECT_EQ(Edit().m_snap.m_pOtherPart.get(), motor);
    const int hub = Edit().m_snap.m_nOwnPort;
    osg::Vec3f hubAt;
    wheel->GetPortPoint(hubAt, hub, -1);
    ExpectNear(hubAt, shaft);
    // The axle lies along the shaft.
    EXPECT_NEAR(std::fabs(Turned(wheel->GetState().m_qRot, { 1, 0, 0 }).x()), 1.0f, 1e-3f);
    Click(aim);
    record();

    Click(PixelOf(motor->GetState().m_vPos + osg::Vec3f(0.0f, 0.0f, 3.0f)));
    ASSERT_EQ(App().GetSingleSel(), motor);
    App().DoCommand(8, false);
    record();
    App().SetPort(1, 1, 255);
    record();

    Click(PixelOf({ 0.0f, 0.0f, 5.6f }));
    ASSERT_EQ(App().GetSingleSel(), brick);
    App().SetPort(2, 0, 255);
    ASSERT_TRUE(App().CopySel());
    App().PasteSel();
    record();
    ASSERT_EQ(App().GetPartList().size(), 5u);
    CModel* pasted = App().GetSingleSel();
    ASSERT_NE(pasted, nullptr);
    EXPECT_EQ(pasted->GetId(), 4) << "the next id in build order";
    EXPECT_EQ(pasted->GetPort(), 0) << "copies are not wired";
    Click(PixelOf({ 18.0f, -10.0f, 0.0f }));
    record();

    Click(PixelOf({ 0.0f, 0.0f, 5.6f }));
    ASSERT_EQ(App().GetSingleSel(), brick);
    EXPECT_TRUE(App().DeleteSel(true));
    EXPECT_FALSE(App().GetScene()->HasDrawable(brick));
    record();
    App().SetPort(-1, 0, 0);
    for (const osg::ref_ptr<CModel>& part : App().GetPartList())
        EXPECT_EQ(part->GetPort(), 0);
    record();

    const int last = Edit().m_undoStack.index();
    ASSERT_EQ(int(robots.size()), 14);
    for (int index = last; index > 0; --index) {
        ASSERT_TRUE(App().CanUndo());
        App().DoCommand(10, true);
        ASSERT_EQ(Edit().m_undoStack.index(), index - 1);
        if (robots.count(index - 1)) {
            EXPECT_EQ(Snapshot(), robots[index - 1]) << "after undo to " << index - 1;
        }
    }
    EXPECT_FALSE(App().CanUndo());
    for (int index = 1; index <= last; ++index) {
        ASSERT_TRUE(App().CanRedo());
        App().DoCommand(11, true);
        if (robots.count(index)) {
            EXPECT_EQ(Snapshot(), robots[index]) << "after redo to " << index;
        }
    }
    EXPECT_FALSE(App().CanRedo());
}

// The assembly show replays the build order: the parts appear one by one by
// id (whatever their place in the list), back and forward stop at the ends,
// and the camera turns about the origin by 5 degrees a step.
TEST_F(RobotBuilder, AssemblyShowStepsThroughTheBuildOrderAndStopsAtBothEnds) {
    App().ToggleSetUpShow();
    EXPECT_TRUE(App().IsSetUpShow());
    EXPECT_FALSE(App().CanUndo());
    EXPECT_FALSE(App().CanRedo()) << "a robot of one part has nothing to show";
    App().DoCommand(11, true);
    App().DoCommand(10, true);
    EXPECT_EQ(Edit().m_nShowStep, 0);
    App().ToggleSetUpShow();

    CModel* rcu = ControlUnit();
    CModel* brick = Add(ModelTypeBrick, "models/brick/brick_2x2.ive");
    Click(PixelOf({ -16.0f, 0.0f, 0.0f }));
    CModel* beam = Add(ModelTypeBrick, "models/brick/beam_1x8.ive");
    Click(PixelOf({ 16.0f, 0.0f, 0.0f }));
    CModel* wheel = Add(ModelTypeWheel, "models/wheel/wheel_std.ive");
    Click(PixelOf({ 0.0f, -20.0f, 0.0f }));
    // Deleting the brick and undoing that puts it at the end of the list.
    App().SetSelected(brick, false);
    App().DeleteSel(true);
    App().DoCommand(10, true);
    ASSERT_EQ(App().GetPartList().back().get(), brick);

    const std::vector<CModel*> byId { rcu, brick, beam, wheel };
    auto shown = [&] {
        std::vector<CModel*> out;
        for (CModel* part : byId) {
            if (part->GetActive())
                out.push_back(part);
        }
        return out;
    };
    App().ToggleSetUpShow();
    EXPECT_EQ(App().GetSingleSel(), rcu);
    EXPECT_EQ(shown(), std::vector<CModel*>({ rcu }));
    EXPECT_FALSE(App().CanUndo());
    EXPECT_TRUE(App().CanRedo());
    QSignalSpy steps(&App(), &CRobApp::signal_Ui_StepChange);
    for (std::size_t k = 1; k < byId.size(); ++k) {
        App().DoCommand(11, true);
        EXPECT_EQ(App().GetSingleSel(), byId[k]);
        EXPECT_EQ(shown(), std::vector<CModel*>(byId.begin(), byId.begin() + k + 1));
    }
    EXPECT_EQ(steps.count(), 3);
    EXPECT_FALSE(App().CanRedo());
    App().DoCommand(11, true);
    EXPECT_EQ(Edit().m_nShowStep, 3) << "the show stops at the last part";
    EXPECT_EQ(App().GetSingleSel(), wheel);
    for (int k = 0; k < 3; ++k)
        App().DoCommand(10, true);
    EXPECT_EQ(shown(), std::vector<CModel*>({ rcu }));
    App().DoCommand(10, true);
    EXPECT_EQ(Edit().m_nShowStep, 0) << "and at the first";
    EXPECT_EQ(App().GetSingleSel(), rcu);

    // Four turns of +5 degrees about x (code 16) through the origin.
    const osg::Vec3d eye = App().GetCamera()->GetTransform().GetTranslation();
    const osg::Vec3d forward = App().GetCamera()->GetForward();
    for (int k = 0; k < 4; ++k)
        App().DoCommand(16, true);
    const osg::Quat turn(osg::DegreesToRadians(20.0), osg::Vec3d(1, 0, 0));
    ExpectNear(App().GetCamera()->GetTransform().GetTranslation(), osg::Vec3f(turn * eye));
    ExpectNear(App().GetCamera()->GetForward(), osg::Vec3f(turn * forward));

    // The pointer has no say in the show.
    Click(PixelOf({ 30.0f, 30.0f, 0.0f }));
    EXPECT_EQ(App().GetSingleSel(), rcu);

    App().ToggleSetUpShow();
    EXPECT_FALSE(App().IsSetUpShow());
    EXPECT_EQ(shown(), byId);
    EXPECT_FALSE(App().HasSel());
}

// A screenshot is a PNG of the view as drawn, written once the next frame
// has been drawn, into a folder made when missing. The show's fast capture
// names its pictures after the moment, in the program folder's "bmp".
TEST_F(RobotBuilder, ScreenshotsArePicturesOfTheView) {
    testsupport::TempDir folder;
    const std::string path = (folder.path() / "shots" / "robot.png").string();
    App().CaptureImage(path, 0, 0);
    Step();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path))) << "written after the frame is drawn";
    Step();
    QImage shot(QString::fromStdString(path));
    ASSERT_FALSE(shot.isNull());
    const QImage view = m_view->grabFramebuffer().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shot.size(), view.size());
    shot = shot.convertToFormat(QImage::Format_RGB32);
    int differing = 0;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            const QRgb a = shot.pixel(x, y);
            const QRgb b = view.pixel(x, y);
            if (std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b))
                > 6)
                ++differing;
        }
    }
    // The arrows move on between the two frames; all else is the same.
    EXPECT_LT(differing, shot.width() * shot.height() / 100);
    EXPECT_EQ(shot.pixel(kViewWidth / 2, 5), qRgb(204, 204, 204)) << "the grey background";

    // White without grid: the floor's lines are gone.
    App().ToggleGridBackground();
    App().CaptureImage(path, 200, 100);
    Step();
    Step();
    shot = QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shot.size(), QSize(200, 100));
    for (int x = 0; x < shot.width(); x += 7)
        EXPECT_EQ(shot.pixel(x, 50), qRgb(255, 255, 255)) << x;
    App().ToggleGridBackground();

    // A picture that cannot be written is said so, once the frame is over,
    // with the file and the system's reason; a picture it would have
    // replaced stays whole.
    {
        testsupport::CapturedWarnings warnings("morvane.apps");
        testsupport::ModalWatcher watcher;
        const QByteArray before = folder.read("shots/robot.png");
        const auto told = [&](const std::string& picture, const QString& reason) {
            ASSERT_TRUE(watcher.WaitForMessages(int(warnings.count())));
            ASSERT_FALSE(watcher.Messages().empty()) << "nothing told";
            const QString text = appstest::Config().GetText("CRobApp", "TakeScreenshotStep", "s")
                + QLatin1Char('\n') + QString::fromStdString(picture) + QLatin1Char('\n')
                + appstest::Config().GetText("CRobApp", "slot_ThreadEnd", "sSystem").arg(reason);
            EXPECT_EQ(watcher.Messages().back(), text);
        };
        folder.write("file", "not a folder");
        const std::string blocked = (folder.path() / "file" / "x.png").string();
        App().CaptureImage(blocked, 0, 0);
        Step();
        Step();
        EXPECT_EQ(warnings.count(), 1);
        told(blocked, QStringLiteral("Not a directory"));
        {
            // A disk with room for 100 bytes more.
            const testsupport::FileSizeLimit full(100);
            App().CaptureImage(path, 0, 0);
            Step();
            Step();
        }
        EXPECT_EQ(warnings.count(), 2);
        told(path, QStringLiteral("File too large"));
        EXPECT_EQ(folder.read("shots/robot.png"), before);
    }

    const QRegularExpression name("^" + QRegularExpression::escape(appstest::ProgramDir())
        + R"(/bmp/(0|[1-9]\d*)(-(0|[1-9]\d*)){6}\.png$)");
    EXPECT_TRUE(name.match(QString::fromStdString(App().ScreenshotPath())).hasMatch())
        << App().ScreenshotPath();
    QDir bmp(appstest::ProgramDir() + "/bmp");
    bmp.removeRecursively();
    CModel* brick = Add(ModelTypeBrick, "models/brick/brick_2x2.ive");
    Click(PixelOf({ 10.0f, 0.0f, 0.0f }));
    (void)brick;
    App().ToggleFastCapture(320, 200);
    App().ToggleSetUpShow();
    App().DoCommand(11, true);
    Step();
    Step();
    const QStringList pictures = bmp.entryList({ "*.png" }, QDir::Files);
    ASSERT_EQ(pictures.size(), 1);
    EXPECT_TRUE(name.match(bmp.filePath(pictures.front())).hasMatch());
    EXPECT_EQ(QImage(bmp.filePath(pictures.front())).size(), QSize(320, 200));
}

// A saved robot loads back the same (parts, ids, poses, wiring), and the
// saved flag says exactly whether the file on disk is the robot in the
// editor: an edit makes it false, undoing back to the saved step true, and
// a save of that robot gives the same file again.
TEST_F(RobotBuilder, SavesAndLoadsBackTheSameRobotAndTheSavedFlagFollowsTheFile) {
    QSignalSpy saved(&App(), &CRobApp::signal_Ui_SaveFlag);
    // A brick as the robot page adds it, in the colour chosen.
    osg::ref_ptr<CModel> brick
        = new CBrick(appstest::Context(), "models/brick/brick_2x4.ive", { 0.9f, 0.2f, 0.1f, 1.0f });
    ASSERT_TRUE(App().AddPart(brick.get()));
    MoveTo(PixelOf({ 0.0f, 0.0f, 3.2f }));
    Click(PixelOf({ 0.0f, 0.0f, 3.2f }));
    CModel* motor = Add(ModelTypeMotor, "models/motor/motor.ive");
    Click(PixelOf({ -14.0f, 8.0f, 0.0f }));
    App().SetSelected(motor, false);
    App().DoCommand(9, false);
    App().SetPort(1, 1, 255);
    CModel* sensor = Add(ModelTypeSensor, "models/sensor/grey.ive", 4);
    Click(PixelOf({ 12.0f, -8.0f, 0.0f }));
    App().SetSelected(sensor, false);
    App().SetPort(3, 0, 120);
    App().SetSelected(nullptr, false);
    EXPECT_FALSE(Edit().m_bClean);
    ASSERT_FALSE(saved.isEmpty());
    EXPECT_FALSE(saved.last().at(0).toBool());

    testsupport::TempDir folder;
    const std::string file = (folder.path() / "robot.rob").string();
    RunFileJob(file, false);
    EXPECT_TRUE(Edit().m_bClean);
    EXPECT_TRUE(saved.last().at(0).toBool());
    const QByteArray bytes = folder.read("robot.rob");
    ASSERT_FALSE(bytes.isEmpty());
    const std::vector<PartRecord> atSave = Snapshot();

    // An edit, then undo back to the saved robot and redo away from it.
    App().SetSelected(brick.get(), false);
    App().DoCommand(9, false);
    App().SetSelected(nullptr, false);
    EXPECT_FALSE(saved.last().at(0).toBool());
    App().DoCommand(10, true);
    EXPECT_TRUE(saved.last().at(0).toBool());
    RunFileJob((folder.path() / "again.rob").string(), false);
    EXPECT_EQ(folder.read("again.rob"), bytes) << "the saved flag was right: the same file";
    App().DoCommand(11, true);
    EXPECT_FALSE(saved.last().at(0).toBool());
    RunFileJob((folder.path() / "turned.rob").string(), false);
    EXPECT_NE(folder.read("turned.rob"), bytes);
    EXPECT_TRUE(saved.last().at(0).toBool());
    // Undoing past the save of the turned robot: no step of the history is
    // that file any more once a new edit cuts it off.
    App().DoCommand(10, true);
    EXPECT_FALSE(saved.last().at(0).toBool());
    App().SetSelected(motor, false);
    App().DoCommand(5, false);
    App().DoCommand(10, true);
    App().DoCommand(11, true);
    EXPECT_FALSE(Edit().m_bClean);

    // Loading the first file gives back the robot as it was saved.
    RunFileJob(file, true);
    EXPECT_TRUE(Edit().m_bClean);
    EXPECT_FALSE(App().CanUndo());
    const std::vector<PartRecord> loaded = Snapshot();
    ASSERT_EQ(loaded.size(), atSave.size());
    for (std::size_t i = 0; i < loaded.size(); ++i) {
        const PartRecord& a = loaded[i];
        const PartRecord& b = atSave[i];
        EXPECT_EQ(a.id, b.id);
        EXPECT_EQ(a.address, b.address);
        ExpectNear(a.position, b.position, 1e-5f);
        EXPECT_NEAR((a.rotation.asVec4() - b.rotation.asVec4()).length(), 0.0, 1e-6);
        EXPECT_EQ(a.port, b.port);
        EXPECT_EQ(a.opposite, b.opposite);
        // Robot files keep the ray distance of wired parts only; the others
        // come back with the default.
        if (a.part->GetType() != ModelTypeRcu && a.part->GetType() != ModelTypeBrick) {
            EXPECT_EQ(a.rayDistance, b.rayDistance);
        } else {
            EXPECT_EQ(a.rayDistance, 255) << a.address;
        }
        EXPECT_TRUE(a.inScene);
    }
    RunFileJob((folder.path() / "loaded.rob").string(), false);
    EXPECT_EQ(folder.read("loaded.rob"), bytes);

    // Added parts continue the build order after the loaded ids.
    CModel* next = Add(ModelTypeBrick, "models/brick/brick_1x2.ive");
    EXPECT_EQ(next->GetId(), 4);
}

// The page's pose boxes set one value of the single selected part; a change
// under 0.01 is none. Slider moves record no step but leave the robot unsaved.
// Copying only the control unit copies nothing, and pasting nothing adds none.
TEST_F(RobotBuilder, PoseValuesFromThePanelAndCopiesOfNothing) {
    CModel* brick = Add(ModelTypeBrick, "models/brick/brick_2x2.ive");
    Click(PixelOf({ 10.0f, 10.0f, 0.0f }));
    App().SetSelected(brick, false);
    const osg::Vec3f at = brick->GetState().m_vPos;
    const int steps = Edit().m_undoStack.index();

    App().SetSelTransform(0, at.x() + 0.005, {});
    EXPECT_EQ(Edit().m_undoStack.index(), steps);
    EXPECT_EQ(brick->GetState().m_vPos, at);
    App().SetSelTransform(1, at.y() + 3.5, {});
    EXPECT_EQ(Edit().m_undoStack.index(), steps + 1);
    ExpectNear(brick->GetState().m_vPos, at + osg::Vec3f(0.0f, 3.5f, 0.0f));
    ExpectNear(brick->GetTransform().GetTranslation(), at + osg::Vec3f(0.0f, 3.5f, 0.0f));

    // Angles about x, y and z: 0.004 each is 0.012 in all, a change.
    App().SetSelTransform(3, 0.0, { 0.004f, 0.004f, 0.004f });
    EXPECT_EQ(Edit().m_undoStack.index(), steps + 2);
    App().SetSelTransform(3, 0.0, { 0.0f, 0.0f, 90.0f });
    // Heading 90, then pitch 90.
    ExpectNear(Turned(brick->GetState().m_qRot, { 0, 1, 0 }), { -1, 0, 0 });
    App().SetSelTransform(3, 0.0, { 90.0f, 0.0f, 0.0f });
    ExpectNear(Turned(brick->GetState().m_qRot, { 0, 1, 0 }), { 0, 0, 1 });

    QSignalSpy saved(&App(), &CRobApp::signal_Ui_SaveFlag);
    const int before = Edit().m_undoStack.index();
    App().SetSelTransform(4, 0.0, { 0.0f, 30.0f, 0.0f });
    EXPECT_EQ(Edit().m_undoStack.index(), before);
    ASSERT_EQ(saved.count(), 1);
    EXPECT_FALSE(saved.last().at(0).toBool());

    App().SetSelected(ControlUnit(), false);
    EXPECT_TRUE(App().CopySel());
    EXPECT_TRUE(Edit().m_vecClipboard.empty());
    App().PasteSel();
    EXPECT_EQ(App().GetPartList().size(), 2u);
    // The control unit is never deleted; forced, it stays selected.
    EXPECT_TRUE(App().DeleteSel(true));
    EXPECT_EQ(App().GetPartList().size(), 2u);
    EXPECT_EQ(App().GetSingleSel(), ControlUnit());
}

// A wheel carried to a motor snaps onto its shaft wherever the port rule
// puts the two in reach: where the wheel's hub, carried under the pointer at
// the wheel's height above the floor, lies within twice the window length of
// a 0.4 step of the shaft's tip, or where the wheel stands against the shaft
// as drawn (the hub within 0.8 of the tip along the shaft, the tip within the
// wheel's radius across it). The pointer sweeps a grid round the tip in the
// builder's default view, the motor standing on the control unit, where the
// tip stands off the motor's box.
TEST_F(RobotBuilder, AWheelSnapsOntoAMotorWhereverThePortRuleReaches) {
    CModel* motor = Add(ModelTypeMotor, "models/motor/motor.ive");
    Click(PixelOf({ -3.0f, 0.0f, 3.2f }));
    ASSERT_TRUE(motor->IsLocked());
    ASSERT_NEAR(motor->GetState().m_vPos.z(), 3.2f, 1e-3f) << "on the control unit";
    const auto singlePortOfKind1 = [](const CModel* part, const osg::Vec3f& dir) {
        for (int i = 0; const CPoint* point = part->GetPoint(i); ++i) {
            if (point->m_nKind == 1 && point->GridCount() == 1
                && CosAngle3D(RotateVec3(point->m_vDir, part->GetState().m_mRot), dir) > 0.99f)
                return i;
        }
        return -1;
    };
    // The shaft and the hub that faces it, both along -x.
    const int shaft = singlePortOfKind1(motor, { -1, 0, 0 });
    ASSERT_GE(shaft, 0);
    osg::Vec3f tip;
    motor->GetPortPoint(tip, shaft, -1);
    CModel* wheel = Add(ModelTypeWheel, "models/wheel/wheel_std.ive");
    const int hubPort = singlePortOfKind1(wheel, { -1, 0, 0 });
    ASSERT_GE(hubPort, 0);
    osg::Vec3f hubAt;
    wheel->GetPortPoint(hubAt, hubPort, -1);
    const osg::Vec3d hubOffset = hubAt - wheel->GetState().m_vPos;
    const double height = wheel->GetState().m_vPos.z() - wheel->GetBottomZ();

    const osg::Matrixd window = App().GetCamera()->GetWindowMatrix();
    const osg::Matrixd fromWindow = osg::Matrixd::inverse(window);
    const osg::Vec3d tipInWindow = osg::Vec3d(tip) * window;
    const auto inReach = [&](const QPoint& pointer) {
        const osg::Vec3d near
            = osg::Vec3d(pointer.x(), appstest::kViewHeight - pointer.y(), 0.0) * fromWindow;
        const osg::Vec3d far = osg::Vec3d(pointer.x(), appstest::kViewHeight - pointer.y(), 1.0) * fromWindow;
        const osg::Vec3d hub = near + (far - near) * ((height - near.z()) / (far.z() - near.z())) + hubOffset;
        // Against the shaft, which points along -x.
        const osg::Vec3d d = hub - osg::Vec3d(tip);
        if (std::fabs(d.x()) <= 0.8 && std::hypot(d.y(), d.z()) < height)
            return true;
        const osg::Vec3d hubInWindow = hub * window;
        double r = 0.0;
        for (const osg::Vec3d& step :
            { osg::Vec3d(0.4, 0, 0), osg::Vec3d(0, 0.4, 0), osg::Vec3d(0, 0, 0.4) }) {
            const osg::Vec3d d = (hub + step) * window - hubInWindow;
            r = std::max(r, std::hypot(d.x(), d.y()));
        }
        return std::hypot(hubInWindow.x() - tipInWindow.x(), hubInWindow.y() - tipInWindow.y()) <= 2.0 * r;
    };

    const QPoint centre = PixelOf(tip);
    int reached = 0;
    std::string differ;
    for (int dy = -8; dy <= 8; dy += 2) {
        for (int dx = -14; dx <= 6; dx += 2) {
            const QPoint pointer = centre + QPoint(dx, dy);
            MoveTo(pointer);
            const bool snapped = Edit().m_snap.m_pOtherPart.get() == motor;
            const bool rule = inReach(pointer);
            reached += rule ? 1 : 0;
            if (snapped != rule)
                differ
                    += " (" + std::to_string(dx) + "," + std::to_string(dy) + (rule ? ") missed" : ") extra");
        }
    }
    EXPECT_GE(reached, 12);
    EXPECT_EQ(differ, "");
}

// A wheel carried against a motor's shaft, as the builder draws it standing
// on the floor beside the motor, is on the shaft: the motor's box turns
// green, the wheel joins it hub to tip, and once put down the motor drives
// it. So wherever the motor stands, on the control unit or beside it on the
// floor, and wherever the wheel's face meets the tip within its reach. A
// wheel put down away from the shaft leaves the motor driving nothing.
TEST_F(RobotBuilder, AWheelCarriedAgainstAShaftJoinsItWhereverTheMotorStands) {
    struct Case {
        const char* what;
        osg::Vec3f motorAt;
        // Where the wheel's centre is carried, less where it stands on the
        // floor with its hub at the tip's x and y.
        osg::Vec3f off;
        bool joins;
    };
    const std::vector<Case> cases = {
        { "on the control unit", { -3.0f, 0.0f, 3.2f }, {}, true },
        { "beside it on the floor", { -8.0f, 0.0f, 0.0f }, {}, true },
        { "beside it, the wheel off to one side", { -8.0f, 0.0f, 0.0f }, { 0.0f, 1.5f, 0.0f }, true },
        { "beside it, the wheel 5 away", { -8.0f, 0.0f, 0.0f }, { 0.0f, 5.0f, 0.0f }, false },
    };
    for (const Case& c : cases) {
        App().NewRobot();
        CModel* motor = Add(ModelTypeMotor, "models/motor/motor.ive");
        Click(PixelOf(c.motorAt));
        ASSERT_TRUE(motor->IsLocked()) << c.what;
        ASSERT_NEAR(motor->GetState().m_vPos.z(), c.motorAt.z(), 1e-3) << c.what;
        int shaft = 0;
        while (motor->GetPoint(shaft) && motor->GetPoint(shaft)->m_nKind != 1)
            ++shaft;
        osg::Vec3f tip;
        ASSERT_TRUE(motor->GetPortPoint(tip, shaft, -1)) << c.what;
        CModel* wheel = Add(ModelTypeWheel, "models/wheel/wheel_std.ive");
        const double radius = wheel->GetState().m_vPos.z() - wheel->GetBottomZ();
        // The wheel's hub is 1 to its +x, facing -x as the shaft does.
        const QPoint pointer = PixelOf(osg::Vec3f(tip.x() - 1.0f, tip.y(), float(radius)) + c.off);
        MoveTo(pointer);
        const bool green = Edit().m_snap.m_pOtherPart.get() == motor && motor->GetBox()->GetActive();
        EXPECT_EQ(green, c.joins) << c.what << ": the motor's box";
        if (c.joins) {
            osg::Vec3f hub;
            int port = 0;
            while (wheel->GetPoint(port)
                && !(wheel->GetPoint(port)->m_nKind == 1
                    && CosAngle3D(
                           RotateVec3(wheel->GetPoint(port)->m_vDir, wheel->GetState().m_mRot), { -1, 0, 0 })
                        > 0.99f))
                ++port;
            wheel->GetPortPoint(hub, port, -1);
            ExpectNear(hub, tip);
        }
        Click(pointer);
        ASSERT_FALSE(Edit().m_bCarrying) << c.what;
        const std::vector<const CModel*> idle = App().IdleMotors();
        EXPECT_EQ(idle.empty(), c.joins) << c.what;
    }
}
