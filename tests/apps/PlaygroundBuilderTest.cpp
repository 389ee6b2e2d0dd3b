// The playground builder in a window under Xvfb, driven by real mouse events
// through its 3-D view and by the commands the main window gives it.

#include "BuilderViewFixture.h"

#include "apps/CEmuApp.h"
#include "apps/CPlaApp.h"
#include "apps/PlaygroundGroups.h"
#include "apps/PlaygroundObjects.h"
#include "elements/CAlarm.h"
#include "elements/CCandle.h"
#include "elements/CGeo.h"
#include "elements/CModelBox.h"
#include "elements/CSlope.h"
#include "elements/CTakenObj.h"
#include "elements/CWounded.h"
#include "elements/Plane.h"
#include "platform/ProgramDir.h"
#include "scene/FrameLoop.h"
#include "scene/SceneView.h"
#include "simulation/CEndTrigger.h"
#include "simulation/CObjTrigger.h"
#include "simulation/CPathTrigger.h"
#include "simulation/CPlayground.h"
#include "simulation/CTakenObjTrigger.h"
#include "simulation/PlaygroundFile.h"
#include "simulation/SGameState.h"
#include "simulation/StartTrigger.h"
#include "simulation/TouchTrigger.h"
#include "support/CapturedWarnings.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <osg/Quat>

#include <tinyxml.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <typeindex>
#include <vector>

namespace {

using appstest::kViewHeight;

// One kind of object as the page builds it, and the class it must be.
struct Kind {
    int type;
    int sub;
    const char* address;
    osg::Vec3f scale;
    std::type_index cls;
};

const std::vector<Kind>& Kinds() {
    static const std::vector<Kind> kinds {
        { ModelTypeSlope, 0, "models/playground/slope.ive", { 30, 20, 8 }, typeid(CSlope) },
        { ModelTypeGeo, 0, "models/playground/cube.ive", { 10, 10, 10 }, typeid(CGeo) },
        { ModelTypeGeo, 0, "models/playground/ball.ive", { 8, 8, 8 }, typeid(CGeo) },
        { ModelTypeCandle, 0, "models/playground/candle.ive", { 1, 1, 1 }, typeid(CCandle) },
        { ModelTypeWounded, 0, "models/playground/astronaut.ive", { 1, 1, 1 }, typeid(CWounded) },
        { ModelTypeTakenObj, 0, "models/playground/astronaut_red.ive", { 1, 1, 1 }, typeid(CTakenObj) },
        { ModelTypeAlarm, 0, "models/playground/alarm.ive", { 1, 1, 1 }, typeid(CAlarm) },
        { ModelTypeTrigger, TriggerEnd, "models/trigger/end.ive", { 30, 30, 1 }, typeid(CEndTrigger) },
        { ModelTypeTrigger, TriggerStart, "models/trigger/start.ive", { 40, 40, 1 }, typeid(StartTrigger) },
        { ModelTypeTrigger, TriggerScore, "models/trigger/score.ive", { 30, 30, 1 }, typeid(ScoreTrigger) },
        { ModelTypeTrigger, TriggerPath, "models/trigger/path.ive", { 30, 30, 1 }, typeid(CPathTrigger) },
        { ModelTypeTrigger, TriggerTouch, "models/trigger/score.ive", { 30, 30, 1 }, typeid(TouchTrigger) },
        { ModelTypeTrigger, TriggerDelivery, "models/trigger/delivery.ive", { 30, 30, 1 },
            typeid(CObjTrigger) },
        { ModelTypeTrigger, TriggerRescue, "models/trigger/rescue.ive", { 30, 30, 1 },
            typeid(CTakenObjTrigger) },
    };
    return kinds;
}

const Kind& KindOf(int type, int sub = 0) {
    for (const Kind& kind : Kinds()) {
        if (kind.type == type && kind.sub == sub)
            return kind;
    }
    throw std::logic_error("no such kind");
}

// What the builder must give back of an object (by undo, redo, files).
struct ObjectRecord {
    int id;
    std::string address;
    int type;
    int sub;
    osg::Vec3f position;
    osg::Quat rotation;
    osg::Vec3f scale;
    int score;
    bool inScene;

    bool operator==(const ObjectRecord& o) const {
        return id == o.id && address == o.address && type == o.type && sub == o.sub
            && (position - o.position).length() < 1e-3f && (rotation - o.rotation).length() < 1e-5
            && scale == o.scale && score == o.score && inScene == o.inScene;
    }
};

std::ostream& operator<<(std::ostream& out, const ObjectRecord& r) {
    return out << r.id << " " << r.address << " at " << r.position.x() << "," << r.position.y() << ","
               << r.position.z() << (r.inScene ? "" : " (not shown)");
}

void ExpectNear(const osg::Vec3f& actual, const osg::Vec3f& expected, float eps = 1e-3f) {
    EXPECT_NEAR(actual.x(), expected.x(), eps);
    EXPECT_NEAR(actual.y(), expected.y(), eps);
    EXPECT_NEAR(actual.z(), expected.z(), eps);
}

void ExpectSameTurn(const osg::Quat& actual, const osg::Quat& expected) {
    // q and -q are the same turn.
    const double d = std::min((actual - expected).length(), (actual + expected).length());
    EXPECT_LT(d, 1e-4) << "turn " << actual.x() << "," << actual.y() << "," << actual.z() << ","
                       << actual.w();
}

osg::Quat Degrees(double degrees, const osg::Vec3d& axis) {
    return osg::Quat(degrees * 3.141592653589793 / 180.0, axis);
}

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class PlaygroundBuilder : public appstest::BuilderViewFixture<CPlaApp> {
protected:
    const std::vector<osg::ref_ptr<CModel>>& Objects() const { return m_app->GetObjectList(); }

    osg::ref_ptr<CModel> Make(const Kind& kind) {
        return MakePlaygroundObject(kind.type, kind.sub, appstest::Context(), kind.address, kind.scale);
    }
    CModel* Add(const Kind& kind) {
        osg::ref_ptr<CModel> object = Make(kind);
        EXPECT_TRUE(m_app->AddObject(object.get())) << kind.address;
        return object.get();
    }
    // Adds an object and puts it down with its bottom on the ground, its
    // centre at (x, y).
    CModel* Place(const Kind& kind, float x, float y) {
        CModel* object = Add(kind);
        const QPoint at = PixelOf({ x, y, HalfHeight(object) });
        MoveTo(at);
        Click(at);
        return object;
    }
    static float HalfHeight(const CModel* object) {
        osg::Vec3f min, max;
        object->GetBoundingBox(min, max, false);
        return (max.z() - min.z()) / 2.0f;
    }

    // Where the view ray through a pixel reaches height z.
    osg::Vec3f WorldAt(const QPoint& pixel, double z) {
        const osg::Matrixd inverse = osg::Matrixd::inverse(m_app->GetCamera()->GetWindowMatrix());
        const double x = pixel.x();
        const double y = kViewHeight - pixel.y();
        const osg::Vec3d nearPoint = osg::Vec3d(x, y, 0.0) * inverse;
        const osg::Vec3d farPoint = osg::Vec3d(x, y, 1.0) * inverse;
        const double t = (z - nearPoint.z()) / (farPoint.z() - nearPoint.z());
        return osg::Vec3f(nearPoint + (farPoint - nearPoint) * t);
    }

    // Clicks an object where its middle is drawn: it becomes the selection.
    void Select(CModel* object) {
        osg::Vec3f min, max;
        object->GetBoundingBox(min, max, false);
        Click(PixelOf((min + max) / 2.0f));
        ASSERT_EQ(App().GetSingleSel(), object);
    }

    std::vector<ObjectRecord> Snapshot() const {
        std::vector<ObjectRecord> out;
        for (const osg::ref_ptr<CModel>& object : Objects()) {
            const CModelState& s = object->GetState();
            out.push_back({ object->GetId(), object->GetAddress(), object->GetType(), object->GetSubType(),
                s.m_vPos, s.m_qRot, s.m_vScale, s.m_nScore, m_app->GetScene()->HasDrawable(object.get()) });
        }
        std::sort(
            out.begin(), out.end(), [](const ObjectRecord& a, const ObjectRecord& b) { return a.id < b.id; });
        return out;
    }
};

} // namespace

// Every object kind and zone the page offers is built as its own class,
// follows the pointer with its bottom on the ground until a click puts it
// down, stays over the ground, stands on the object it is carried over, and
// is turned, copied, pasted, deleted, undone and redone like any other.
TEST_F(PlaygroundBuilder, EveryKindIsPlacedCarriedStackedAndEditedAsItsOwnClass) {
    EXPECT_TRUE(App().IsDefaultGround());
    const std::vector<Kind>& kinds = Kinds();
    std::vector<CModel*> placed;
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        CModel* object = Add(kinds[i]);
        EXPECT_EQ(std::type_index(typeid(*object)), kinds[i].cls) << kinds[i].address;
        EXPECT_EQ(object->GetId(), int(i));
        EXPECT_EQ(App().GetSingleSel(), object);
        EXPECT_TRUE(Edit().m_bCarrying);
        EXPECT_FALSE(object->IsLocked());
        // A grid of places 80 apart, clear of the origin where new objects appear.
        const float x = -200.0f + 100.0f * float(i % 5);
        const float y = -100.0f + 90.0f * float(i / 5);
        const float h = HalfHeight(object);
        const QPoint at = PixelOf({ x, y, h });
        MoveTo(at);
        ExpectNear(object->GetState().m_vPos, WorldAt(at, h), 1e-2f);
        EXPECT_NEAR(object->GetBottomZ(), 0.0, 1e-2) << kinds[i].address;
        Click(at);
        EXPECT_TRUE(object->IsLocked()) << kinds[i].address;
        EXPECT_FALSE(Edit().m_bCarrying);
        EXPECT_FALSE(App().HasSel());
        ExpectNear(object->GetState().m_vPos, WorldAt(at, h), 1e-2f);
        placed.push_back(object);
    }
    EXPECT_FALSE(App().IsDefaultGround());

    // Past the ground's edge a carried object stays at its last place over it.
    CModel* cube = Add(KindOf(ModelTypeGeo));
    const QPoint inside = PixelOf({ 240.0f, 150.0f, 5.0f });
    MoveTo(inside);
    const osg::Vec3f lastInside = cube->GetState().m_vPos;
    ExpectNear(lastInside, WorldAt(inside, 5.0), 1e-2f);
    MoveTo(PixelOf({ 270.0f, 150.0f, 5.0f }));
    ExpectNear(cube->GetState().m_vPos, lastInside);
    MoveTo(PixelOf({ 240.0f, 270.0f, 5.0f }));
    ExpectNear(cube->GetState().m_vPos, lastInside);

    // Carried over the slope, it comes down onto its surface, below the
    // slope's top and clear of it; over the other cube, onto its top, at
    // whole units. The box of what it stands on turns green.
    CModel* slope = placed[0];
    CModel* lower = placed[1];
    // The ramp rises along y from the ground to 8 over its 20 units.
    const osg::Vec3f ramp = slope->GetState().m_vPos + osg::Vec3f(0.0f, 8.0f, 7.2f - 4.0f);
    MoveTo(PixelOf(ramp));
    EXPECT_LT(cube->GetBottomZ(), 8.0 - 0.5);
    EXPECT_GT(cube->GetBottomZ(), 0.5);
    cube->UpdateCollisionTransform();
    EXPECT_FALSE(cube->CollidesWith(slope));
    EXPECT_TRUE(slope->GetBox()->GetActive());
    osg::Vec3f min, max;
    lower->GetBoundingBox(min, max, false);
    const osg::Vec3f top = (min + max) / 2.0f + osg::Vec3f(0, 0, 5.0f);
    const QPoint over = PixelOf(top);
    MoveTo(over);
    const osg::Vec3f aim = WorldAt(over, 10.0 + 5.0);
    EXPECT_NEAR(cube->GetBottomZ(), 10.0, 0.05);
    EXPECT_EQ(cube->GetState().m_vPos.x(), std::trunc(aim.x()));
    EXPECT_EQ(cube->GetState().m_vPos.y(), std::trunc(aim.y()));
    EXPECT_TRUE(lower->GetBox()->GetActive()) << "the support's box shows";
    EXPECT_FALSE(slope->GetBox()->GetActive());
    Click(over);
    EXPECT_NEAR(cube->GetBottomZ(), 10.0, 0.05);
    EXPECT_FALSE(lower->GetBox()->GetActive());
    EXPECT_TRUE(App().DeleteSel(true) == false) << "nothing is selected";
    Select(cube);
    EXPECT_TRUE(App().DeleteSel(true));

    // All kinds at once: turned, copied and pasted, deleted, each step undone
    // and redone, every object its own class throughout.
    auto expectClasses = [&](const char* when) {
        for (const osg::ref_ptr<CModel>& object : Objects()) {
            const Kind& kind = KindOf(object->GetType(), object->GetSubType());
            EXPECT_EQ(std::type_index(typeid(*object)), kind.cls) << object->GetAddress() << " " << when;
        }
    };
    const std::vector<ObjectRecord> laidOut = Snapshot();
    App().SetSelected(nullptr, true);
    EXPECT_EQ(Edit().m_vecSel.size(), kinds.size());
    App().DoCommand(9, false);
    const std::vector<ObjectRecord> turned = Snapshot();
    for (std::size_t i = 0; i < turned.size(); ++i)
        ExpectSameTurn(turned[i].rotation, laidOut[i].rotation * Degrees(90, { 0, 0, 1 }));
    ASSERT_TRUE(App().CopySel());
    App().PasteSel();
    EXPECT_EQ(Objects().size(), 2 * kinds.size());
    const QPoint pasteAt = PixelOf({ 0.0f, 0.0f, 0.0f });
    MoveTo(pasteAt);
    Click(pasteAt);
    expectClasses("pasted");
    const std::vector<ObjectRecord> pasted = Snapshot();
    App().SetSelected(nullptr, true);
    EXPECT_TRUE(App().DeleteSel(true));
    EXPECT_TRUE(Objects().empty());

    App().DoCommand(10, true);
    EXPECT_EQ(Snapshot(), pasted);
    expectClasses("undeleted");
    while (Snapshot().size() > kinds.size())
        App().DoCommand(10, true);
    EXPECT_EQ(Snapshot(), turned);
    App().DoCommand(10, true);
    EXPECT_EQ(Snapshot(), laidOut);
    expectClasses("turned back");
    while (App().CanRedo())
        App().DoCommand(11, true);
    EXPECT_TRUE(Objects().empty());
    App().DoCommand(10, true);
    EXPECT_EQ(Snapshot(), pasted);
    expectClasses("redone");
}

// Quarter turns turn the selection by 90 degrees (code 5 then 4 is no turn),
// 5-degree steps about the view's z and x, and the pointer turns it by half
// a degree a pixel until the same command stops it; code 0 takes one object
// back to no rotation and does nothing to two. Several objects turn about
// their centre.
TEST_F(PlaygroundBuilder, TurnsByQuartersByFiveDegreesAndWithThePointer) {
    CModel* slope = Place(KindOf(ModelTypeSlope), -60.0f, 20.0f);
    CModel* zone = Place(KindOf(ModelTypeTrigger, TriggerScore), 60.0f, -20.0f);
    Select(slope);
    const osg::Vec3f at = slope->GetState().m_vPos;
    const std::size_t steps = Edit().m_undoStack.count();

    App().DoCommand(5, false);
    ExpectSameTurn(slope->GetState().m_qRot, Degrees(90, { 1, 0, 0 }));
    ExpectNear(slope->GetState().m_vPos, at);
    App().DoCommand(4, false);
    ExpectSameTurn(slope->GetState().m_qRot, osg::Quat());
    App().DoCommand(9, false);
    App().DoCommand(7, false);
    ExpectSameTurn(slope->GetState().m_qRot, Degrees(90, { 0, 0, 1 }) * Degrees(90, { 0, 1, 0 }));
    App().DoCommand(0, false);
    ExpectSameTurn(slope->GetState().m_qRot, osg::Quat());
    ExpectNear(slope->GetState().m_vPos, at);
    EXPECT_EQ(Edit().m_undoStack.count(), steps + 5) << "each turn is an undo step";

    // The home view looks at the ground from the front: its z is the
    // ground's, its x the ground's x.
    App().DoCommand(18, true);
    ExpectSameTurn(slope->GetState().m_qRot, Degrees(5, { 0, 0, 1 }));
    App().DoCommand(17, true);
    App().DoCommand(20, true);
    ExpectSameTurn(slope->GetState().m_qRot, Degrees(5, { 1, 0, 0 }));
    App().DoCommand(19, true);
    ExpectSameTurn(slope->GetState().m_qRot, osg::Quat());

    const QPoint from(700, 60);
    MoveTo(from);
    App().DoCommand(3, false);
    EXPECT_TRUE(Edit().m_bRotating);
    MoveTo(from + QPoint(90, 0));
    ExpectSameTurn(slope->GetState().m_qRot, Degrees(45, { 0, 0, 1 }));
    MoveTo(from + QPoint(30, 17));
    ExpectSameTurn(slope->GetState().m_qRot, Degrees(15, { 0, 0, 1 }));
    ExpectNear(slope->GetState().m_vPos, at);
    App().DoCommand(3, false);
    EXPECT_FALSE(Edit().m_bRotating);
    MoveTo(from + QPoint(200, 0));
    ExpectSameTurn(slope->GetState().m_qRot, Degrees(15, { 0, 0, 1 }));

    // Two objects: code 0 does nothing; a quarter turn turns both about
    // their centre.
    App().SetSelected(nullptr, true);
    const osg::Quat slopeTurn = slope->GetState().m_qRot;
    App().DoCommand(0, false);
    ExpectSameTurn(slope->GetState().m_qRot, slopeTurn);
    ExpectSameTurn(zone->GetState().m_qRot, osg::Quat());
    const osg::Vec3f centre = (slope->GetState().m_vPos + zone->GetState().m_vPos) / 2.0f;
    const osg::Vec3f zoneAt = zone->GetState().m_vPos;
    App().DoCommand(8, false);
    const osg::Quat back = Degrees(-90, { 0, 0, 1 });
    ExpectNear(slope->GetState().m_vPos, centre + osg::Vec3f(back * osg::Vec3d(at - centre)));
    ExpectNear(zone->GetState().m_vPos, centre + osg::Vec3f(back * osg::Vec3d(zoneAt - centre)));
    ExpectSameTurn(slope->GetState().m_qRot, slopeTurn * back);
    ExpectSameTurn(zone->GetState().m_qRot, back);

    // A carried ramp stood on its end by a quarter turn reaches 6 below the
    // ground: it is lifted back onto it at the next move.
    App().SetSelected(nullptr, false);
    CModel* carried = Add(KindOf(ModelTypeSlope));
    const QPoint there = PixelOf({ 0.0f, -120.0f, 4.0f });
    MoveTo(there);
    EXPECT_NEAR(carried->GetBottomZ(), 0.0, 1e-2);
    App().DoCommand(5, false);
    EXPECT_NEAR(carried->GetBottomZ(), -6.0, 1e-2);
    EXPECT_TRUE(Edit().m_bCarrying);
    MoveTo(there + QPoint(1, 0));
    EXPECT_NEAR(carried->GetBottomZ(), 0.0, 1e-2);
}

// Slopes, loaded models and zones take a new size by being built again at
// it, in the same place of the list with the same id; the other kinds keep
// their model's size. A size is no undo step, so the playground stays unsaved.
TEST_F(PlaygroundBuilder, NewSizesWhereTheKindHasOne) {
    CModel* slope = Place(KindOf(ModelTypeSlope), -100.0f, 0.0f);
    CModel* zone = Place(KindOf(ModelTypeTrigger, TriggerDelivery), 0.0f, 60.0f);
    CModel* alarm = Place(KindOf(ModelTypeAlarm), 100.0f, 0.0f);
    CModel* candle = Place(KindOf(ModelTypeCandle), 100.0f, 80.0f);
    ASSERT_TRUE(App().LoadOrSaveFile((appstest::ProgramDir() + "/sizes.pla").toStdString(), false));
    const int steps = Edit().m_undoStack.index();

    Select(slope);
    const osg::Vec3f at = slope->GetState().m_vPos;
    App().SetSelScale(40.0f, 30.0f, 12.0f);
    CModel* resized = Objects()[0].get();
    ASSERT_NE(resized, slope);
    EXPECT_EQ(std::type_index(typeid(*resized)), std::type_index(typeid(CSlope)));
    EXPECT_EQ(resized->GetId(), 0);
    EXPECT_EQ(App().GetSingleSel(), resized);
    EXPECT_TRUE(resized->IsLocked());
    EXPECT_FALSE(App().GetScene()->HasDrawable(slope));
    EXPECT_TRUE(App().GetScene()->HasDrawable(resized));
    // Its bottom stays on the ground: its middle is half of 12 up, not half of 8.
    ExpectNear(resized->GetState().m_vPos, at + osg::Vec3f(0.0f, 0.0f, 6.0f - 4.0f));
    EXPECT_NEAR(resized->GetBottomZ(), 0.0, 1e-3);
    osg::Vec3f min, max;
    resized->GetBoundingBox(min, max, false);
    ExpectNear(max - min, { 40.0f, 30.0f, 12.0f }, 1e-2f);
    EXPECT_EQ(Edit().m_undoStack.index(), steps);
    EXPECT_FALSE(Edit().m_bClean);
    // Less than 0.01 in all is no change.
    App().SetSelScale(40.005f, 30.005f, 12.0f);
    EXPECT_EQ(Objects()[0].get(), resized);

    Select(zone);
    App().SetSelScale(50.0f, 20.0f, 1.0f);
    CModel* zoneResized = Objects()[1].get();
    ASSERT_NE(zoneResized, zone);
    EXPECT_EQ(std::type_index(typeid(*zoneResized)), std::type_index(typeid(CObjTrigger)));
    EXPECT_EQ(zoneResized->GetSubType(), TriggerDelivery);
    zoneResized->GetBoundingBox(min, max, false);
    EXPECT_NEAR(max.x() - min.x(), 50.0f, 1e-2f);

    for (CModel* fixedSize : { alarm, candle }) {
        Select(fixedSize);
        App().SetSelScale(3.0f, 3.0f, 3.0f);
        EXPECT_EQ(App().GetSingleSel(), fixedSize);
        EXPECT_EQ(fixedSize->GetState().m_vScale, osg::Vec3f(1, 1, 1));
    }
    // Undo and redo back to the saved file's step leave the sizes: still
    // unsaved.
    App().DoCommand(10, true);
    App().DoCommand(11, true);
    EXPECT_EQ(Edit().m_undoStack.index(), steps);
    EXPECT_FALSE(Edit().m_bClean);
}

// Copied and pasted with the whole playground (and turned while carried),
// every object keeps its own height above the ground: a cube shrunk (its
// bottom stays on the ground) and then sunk 2.5 into it by a typed height
// stays as deep and lifts none of the others.
TEST_F(PlaygroundBuilder, PastedObjectsKeepTheirHeightsBesideASunkOne) {
    CModel* cube = Place(KindOf(ModelTypeGeo), -80.0f, 0.0f);
    Place(KindOf(ModelTypeTrigger, TriggerScore), 80.0f, 0.0f);
    Place(KindOf(ModelTypeCandle), 0.0f, 60.0f);
    Select(cube);
    App().SetSelScale(10.0f, 10.0f, 4.0f);
    ASSERT_TRUE(App().SetSelTransform(2, App().GetSingleSel()->GetState().m_vPos.z() - 2.5, {}));
    ASSERT_NEAR(Objects()[0]->GetBottomZ(), -2.5, 1e-3);
    std::vector<double> bottoms;
    for (const osg::ref_ptr<CModel>& object : Objects())
        bottoms.push_back(object->GetBottomZ());
    App().SetSelected(nullptr, true);
    ASSERT_TRUE(App().CopySel());
    App().PasteSel();
    MoveTo(PixelOf({ 0.0f, -120.0f, 0.0f }));
    App().DoCommand(18, true);
    Click(PixelOf({ 10.0f, -120.0f, 0.0f }));
    ASSERT_EQ(Objects().size(), 2 * bottoms.size());
    for (std::size_t i = 0; i < bottoms.size(); ++i)
        EXPECT_NEAR(Objects()[bottoms.size() + i]->GetBottomZ(), bottoms[i], 1e-2) << i;
}

// A delivery zone pasted with its objects counts their copies, and pasted
// without them counts nothing of theirs: no copy scores the originals, which
// stay the zone's they were. A named model's copy is named anew, the first
// free number after the name's stem.
TEST_F(PlaygroundBuilder, APastedDeliveryZoneCountsTheCopiesAndCopiesAreNamedAnew) {
    CModel* zone = Place(KindOf(ModelTypeTrigger, TriggerDelivery), -120.0f, 0.0f);
    CModel* crate = Place(KindOf(ModelTypeGeo), -60.0f, 0.0f);
    CModel* ball = Place(KindOf(ModelTypeGeo), -40.0f, 80.0f);
    crate->SetObjName(QStringLiteral("crate"));
    ball->SetObjName(QStringLiteral("ball 7"));
    zone->SetObjList({ crate->GetId(), ball->GetId() });
    const std::vector<int> original = zone->GetObjList();

    struct Case {
        const char* what;
        std::vector<CModel*> copied;
        // The zone copy's objects, by the names of the copies; the names the
        // copies of the crate and the ball get.
        std::vector<std::string> counted;
        std::vector<std::string> names;
    };
    const std::vector<Case> cases = {
        { "the zone with the crate", { zone, crate }, { "crate 2" }, { "crate 2" } },
        { "the zone alone", { zone }, {}, {} },
        { "the crate and the ball", { crate, ball }, {}, { "crate 3", "ball 2" } },
        { "the zone with both", { zone, crate, ball }, { "crate 4", "ball 3" }, { "crate 4", "ball 3" } },
    };
    float y = -100.0f;
    for (const Case& c : cases) {
        App().SetSelected(nullptr, false);
        App().DoCommand(12, true);
        for (CModel* object : c.copied) {
            osg::Vec3f min, max;
            object->GetBoundingBox(min, max, false);
            Click(PixelOf((min + max) / 2.0f));
        }
        App().DoCommand(13, true);
        ASSERT_EQ(Edit().m_vecSel.size(), c.copied.size()) << c.what;
        ASSERT_TRUE(App().CopySel());
        const std::size_t before = Objects().size();
        App().PasteSel();
        Click(PixelOf({ 0.0f, y, 0.0f }));
        y += 50.0f;
        ASSERT_EQ(Objects().size(), before + c.copied.size()) << c.what;
        std::map<int, std::string> names;
        std::vector<std::string> copiedNames;
        const CModel* zoneCopy = nullptr;
        for (std::size_t i = before; i < Objects().size(); ++i) {
            const CModel* copy = Objects()[i].get();
            if (copy->GetType() == ModelTypeTrigger) {
                zoneCopy = copy;
                continue;
            }
            names[copy->GetId()] = copy->GetObjName().toStdString();
            copiedNames.push_back(copy->GetObjName().toStdString());
        }
        EXPECT_EQ(copiedNames, c.names) << c.what;
        if (zoneCopy) {
            std::vector<std::string> counted;
            for (int id : const_cast<CModel*>(zoneCopy)->GetObjList())
                counted.push_back(names.count(id) ? names[id] : "the object " + std::to_string(id));
            EXPECT_EQ(counted, c.counted) << c.what;
        }
        EXPECT_EQ(zone->GetObjList(), original) << c.what << ": the zone copied keeps its own";
        EXPECT_EQ(crate->GetObjName(), QStringLiteral("crate"));
    }
}

// A rectangle selects the objects whose positions lie inside it, drawn
// either way; with add-to-selection on it toggles them. The right button
// selects the object under the pointer and asks for its panel; a press moved
// less than 5 pixels is a click, not a drag.
TEST_F(PlaygroundBuilder, RectanglesClicksAndTheRightButtonSelect) {
    CModel* a = Place(KindOf(ModelTypeGeo), -120.0f, 0.0f);
    CModel* b = Place(KindOf(ModelTypeAlarm), -40.0f, 0.0f);
    CModel* c = Place(KindOf(ModelTypeCandle), 80.0f, 0.0f);
    // Beside the first rectangle, behind it.
    Place(KindOf(ModelTypeGeo), -80.0f, 120.0f);
    auto selection = [&] {
        std::vector<CModel*> out;
        for (const osg::ref_ptr<CModel>& object : Edit().m_vecSel)
            out.push_back(object.get());
        std::sort(out.begin(), out.end());
        return out;
    };
    auto sorted = [](std::vector<CModel*> v) {
        std::sort(v.begin(), v.end());
        return v;
    };
    const QPoint left = PixelOf({ -160.0f, 40.0f, 0.0f });
    const QPoint right = PixelOf({ 0.0f, -40.0f, 0.0f });
    Drag({ left, (left + right) / 2, right });
    EXPECT_EQ(selection(), sorted({ a, b }));
    App().SetSelected(nullptr, false);
    Drag({ right, (left + right) / 2, left });
    EXPECT_EQ(selection(), sorted({ a, b }));

    App().DoCommand(12, true);
    const QPoint farRight = PixelOf({ 120.0f, -40.0f, 0.0f });
    Drag({ left, (left + farRight) / 2, farRight });
    EXPECT_EQ(selection(), sorted({ c }));
    App().DoCommand(13, true);

    QSignalSpy set(&App(), &CPlaApp::signal_Ui_Set);
    App().SetSelected(nullptr, false);
    MoveTo(PixelOf(b->GetState().m_vPos));
    Click(PixelOf(b->GetState().m_vPos), Qt::RightButton);
    EXPECT_EQ(set.count(), 1);
    EXPECT_EQ(App().GetSingleSel(), b);
    App().SetSelected(nullptr, true);
    Click(PixelOf(b->GetState().m_vPos), Qt::RightButton);
    EXPECT_EQ(set.count(), 2);
    EXPECT_EQ(Edit().m_vecSel.size(), 4u) << "a selected object keeps the selection";

    App().SetSelected(nullptr, false);
    const osg::Vec3f before = a->GetState().m_vPos;
    const QPoint onA = PixelOf(before + osg::Vec3f(0, 0, 5));
    Drag({ onA, onA + QPoint(2, 2), onA + QPoint(3, 3) });
    EXPECT_FALSE(Edit().m_bCarrying);
    ExpectNear(a->GetState().m_vPos, before);
    EXPECT_EQ(App().GetSingleSel(), a);
}

// The set-up file's object groups: walls round the ground and a row of
// dominoes are pasted as they are laid out, follow the pointer from their
// centre and are put down, undone and redone together; the clipboard then
// holds the group. A group's object without a type takes the one before it,
// four zero "q_" values are no rotation, and an object with a number that
// cannot be read soundly is left out.
TEST_F(PlaygroundBuilder, ObjectGroupsFromTheSetUpFile) {
    EXPECT_FALSE(App().InsertGroup(7));
    EXPECT_TRUE(Objects().empty());

    ASSERT_TRUE(App().InsertGroup(0));
    ASSERT_EQ(Objects().size(), 4u);
    EXPECT_EQ(Edit().m_vecSel.size(), 4u);
    EXPECT_TRUE(Edit().m_bCarrying);
    for (const osg::ref_ptr<CModel>& wall : Objects()) {
        EXPECT_EQ(std::type_index(typeid(*wall)), std::type_index(typeid(CSlope)));
        EXPECT_EQ(wall->GetAddress(), "models/playground/wall.ive");
        osg::Vec3f min, max;
        wall->GetBoundingBox(min, max, false);
        EXPECT_NEAR(min.z(), 0.0f, 1e-2f);
        EXPECT_NEAR(max.z(), 12.0f, 1e-2f);
    }
    // The walls' centre is the origin, 6 up: with the pointer there they
    // stand round the ground as the group lays them out.
    const QPoint centre = PixelOf({ 0.0f, 0.0f, 6.0f });
    MoveTo(centre);
    const osg::Vec3f shift = WorldAt(centre, 6.0) - osg::Vec3f(0, 0, 6);
    const osg::Vec3f expected[4] = { { 0, 258, 6 }, { 0, -258, 6 }, { 258, 0, 6 }, { -258, 0, 6 } };
    for (int i = 0; i < 4; ++i)
        ExpectNear(Objects()[std::size_t(i)]->GetState().m_vPos, expected[i] + shift, 1e-2f);
    Click(centre);
    const std::vector<ObjectRecord> walls = Snapshot();
    const int wallsStep = Edit().m_undoStack.index();

    // On the near wall's top a cube would stand beyond the ground's edge:
    // it keeps to the ground behind the wall instead.
    Add(KindOf(ModelTypeGeo));
    CModel* cube = Edit().m_vecSel.front().get();
    const QPoint nearWall = PixelOf(expected[1] + shift + osg::Vec3f(0, 0, 6));
    MoveTo(nearWall);
    EXPECT_NEAR(cube->GetBottomZ(), 0.0, 1e-2);
    ExpectNear(cube->GetState().m_vPos, WorldAt(nearWall, 5.0), 1e-2f);
    App().DoCommand(14, true);
    EXPECT_EQ(Snapshot(), walls);

    ASSERT_TRUE(App().InsertGroup(1));
    ASSERT_EQ(Objects().size(), 15u);
    for (std::size_t i = 4; i < 15; ++i) {
        EXPECT_EQ(std::type_index(typeid(*Objects()[i])), std::type_index(typeid(CGeo)));
        EXPECT_EQ(Objects()[i]->GetId(), int(i) + 1) << "the dropped cube had id 4";
    }
    App().DoCommand(14, true);
    EXPECT_EQ(Snapshot(), walls) << "a cancel drops the group still carried";
    App().PasteSel();
    EXPECT_EQ(Objects().size(), 15u) << "the clipboard holds the group";
    Click(PixelOf({ 100.0f, 0.0f, 5.0f }));
    const std::vector<ObjectRecord> both = Snapshot();
    while (App().CanUndo())
        App().DoCommand(10, true);
    EXPECT_TRUE(Objects().empty());
    while (App().CanRedo()) {
        App().DoCommand(11, true);
        if (Edit().m_undoStack.index() == wallsStep) {
            EXPECT_EQ(Snapshot(), walls);
        }
    }
    EXPECT_EQ(Snapshot(), both);

    TiXmlDocument library;
    library.Parse(R"(<group>
        <group2>
          <obj address="models/playground/cube.ive" type="9" s_x="4" x="10" y="-5.5" z="2"/>
          <obj address="models/playground/ball.ive" q_x="0" q_y="0" q_z="0" q_w="0"/>
          <obj type="13"/>
          <obj address="models/playground/alarm.ive" x="nan"/>
          <obj address="models/playground/alarm.ive" y="1e999"/>
          <obj address="models/playground/alarm.ive" z="2,5"/>
          <item address="models/trigger/score.ive" type="8" trigger="2" triggermode="1" score="25"
              s_x="30" s_y="30" q_z="0.7071068" q_w="0.7071068"/>
        </group2>
      </group>)");
    ASSERT_FALSE(library.Error());
    std::vector<CModelInfo> records;
    EXPECT_FALSE(ReadObjectGroup(library.RootElement(), 3, records));
    testsupport::CapturedWarnings warnings("morvane.apps");
    ASSERT_TRUE(ReadObjectGroup(library.RootElement(), 2, records));
    EXPECT_EQ(warnings.count(), 3);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].m_desc.m_nType, ModelTypeGeo);
    EXPECT_EQ(records[0].m_state.m_vScale, osg::Vec3f(4, 1, 1));
    EXPECT_EQ(records[0].m_state.m_vPos, osg::Vec3f(10, -5.5f, 2));
    EXPECT_EQ(records[0].m_state.m_nScore, 0);
    EXPECT_EQ(records[1].m_desc.m_strAddress, "models/playground/ball.ive");
    EXPECT_EQ(records[1].m_desc.m_nType, ModelTypeGeo) << "the type of the object before";
    ExpectSameTurn(records[1].m_state.m_qRot, osg::Quat());
    EXPECT_EQ(records[2].m_desc.m_nType, ModelTypeTrigger);
    EXPECT_EQ(records[2].m_desc.m_nSubType, TriggerScore);
    EXPECT_EQ(records[2].m_state.m_nTriggerMode, 1);
    EXPECT_EQ(records[2].m_state.m_nScore, 25);
    ExpectSameTurn(records[2].m_state.m_qRot, Degrees(90, { 0, 0, 1 }));
}

// Every change is one or more undo steps; undoing them one by one gives back
// each earlier playground exactly (ids, kinds, poses, sizes, scores, shown or
// not), undoing a move puts a new object of the same kind in the moved one's
// place in the list, and redoing gives back each later playground.
TEST_F(PlaygroundBuilder, UndoAndRedoGiveBackEveryEarlierAndLaterPlaygroundExactly) {
    std::map<int, std::vector<ObjectRecord>> playgrounds;
    auto record = [&] { playgrounds.try_emplace(Edit().m_undoStack.index(), Snapshot()); };
    record();
    QSignalSpy saved(&App(), &CPlaApp::signal_Ui_SaveFlag);

    CModel* cube = Place(KindOf(ModelTypeGeo), -80.0f, 40.0f);
    record();
    EXPECT_FALSE(saved.last().at(0).toBool());
    CModel* zone = Place(KindOf(ModelTypeTrigger, TriggerScore), 80.0f, 40.0f);
    record();

    // Dragged by its top: the point taken keeps under the pointer, at the
    // height it was taken at; a click puts the cube down.
    const osg::Vec3f cubeAt = cube->GetState().m_vPos;
    const QPoint grip = PixelOf(cubeAt + osg::Vec3f(0, 0, 5));
    const osg::Vec3f held = WorldAt(grip, 10.0);
    const QPoint to = PixelOf({ -20.0f, -60.0f, 10.0f });
    Drag({ grip, grip + QPoint(10, 0), grip + QPoint(40, 20), to });
    EXPECT_TRUE(Edit().m_bCarrying);
    ExpectNear(cube->GetState().m_vPos, WorldAt(to, 10.0) + (cubeAt - held), 1e-2f);
    Click(to);
    EXPECT_FALSE(Edit().m_bCarrying);
    record();
    const osg::Vec3f movedTo = cube->GetState().m_vPos;
    App().DoCommand(10, true);
    const CModel* again = Objects()[0].get();
    EXPECT_NE(again, cube) << "undo builds the object anew";
    EXPECT_EQ(again->GetId(), 0);
    ExpectNear(again->GetState().m_vPos, cubeAt);
    App().DoCommand(11, true);
    ExpectNear(Objects()[0]->GetState().m_vPos, movedTo);

    Select(zone);
    App().DoCommand(9, false);
    record();
    zone = Objects()[1].get();
    EXPECT_TRUE(App().SetSelTransform(1, 12.5, osg::Vec3f()));
    EXPECT_FALSE(App().SetSelTransform(1, 12.505, osg::Vec3f())) << "less than 0.01 is no change";
    EXPECT_FLOAT_EQ(zone->GetState().m_vPos.y(), 12.5f);
    record();

    App().SetSelected(nullptr, true);
    ASSERT_TRUE(App().CopySel());
    App().PasteSel();
    record();
    ASSERT_EQ(Objects().size(), 4u);
    EXPECT_EQ(Objects()[2]->GetId(), 2);
    EXPECT_EQ(Objects()[3]->GetId(), 3);
    const QPoint pasteAt = PixelOf({ 0.0f, 100.0f, 5.0f });
    MoveTo(pasteAt);
    Click(pasteAt);
    record();
    // The copies keep their places about the pointer.
    const osg::Vec3f centre = (Objects()[0]->GetState().m_vPos + Objects()[1]->GetState().m_vPos) / 2.0f;
    const osg::Vec3f copiedCentre
        = (Objects()[2]->GetState().m_vPos + Objects()[3]->GetState().m_vPos) / 2.0f;
    ExpectNear(Objects()[2]->GetState().m_vPos - copiedCentre, Objects()[0]->GetState().m_vPos - centre);

    Select(Objects()[1].get());
    EXPECT_TRUE(App().DeleteSel(true));
    record();
    ASSERT_EQ(int(playgrounds.size()), 9);

    const int last = Edit().m_undoStack.index();
    for (int index = last; index > 0; --index) {
        ASSERT_TRUE(App().CanUndo());
        App().DoCommand(10, true);
        ASSERT_EQ(Edit().m_undoStack.index(), index - 1);
        if (playgrounds.count(index - 1)) {
            EXPECT_EQ(Snapshot(), playgrounds[index - 1]) << "after undo to " << index - 1;
        }
    }
    EXPECT_FALSE(App().CanUndo());
    EXPECT_TRUE(Edit().m_bClean) << "back to the new playground";
    for (int index = 1; index <= last; ++index) {
        ASSERT_TRUE(App().CanRedo());
        App().DoCommand(11, true);
        if (playgrounds.count(index)) {
            EXPECT_EQ(Snapshot(), playgrounds[index]) << "after redo to " << index;
        }
    }
    EXPECT_FALSE(App().CanRedo());
}

namespace {

// An object as the simulation or the builder shows it: the pose is the
// scene's, the settings the state's.
struct Shown {
    int id;
    std::string address;
    int type;
    int sub;
    osg::Vec3f position;
    osg::Quat rotation;
    osg::Vec3f scale;
    int score;
    int mode;
    std::vector<int> assigned;
    int only;
    int flags;

    bool operator==(const Shown& o) const {
        return id == o.id && address == o.address && type == o.type && sub == o.sub
            && (position - o.position).length() < 1e-3f
            && std::min((rotation - o.rotation).length(), (rotation + o.rotation).length()) < 1e-5
            && (scale - o.scale).length() < 1e-4f && score == o.score && mode == o.mode
            && assigned == o.assigned && only == o.only && flags == o.flags;
    }
};

std::ostream& operator<<(std::ostream& out, const Shown& s) {
    return out << s.id << " " << s.address << " (" << s.type << "/" << s.sub << ") at " << s.position.x()
               << "," << s.position.y() << "," << s.position.z() << " score " << s.score;
}

Shown ShownOf(CModel& object, bool zone) {
    scene::Transform pose;
    object.GetTransform(pose, scene::CoordSys::Absolute);
    const CModelState& s = object.GetState();
    Shown out { object.GetId(), object.GetAddress(), object.GetType(), object.GetSubType(),
        pose.GetTranslation(), pose.GetQuat(), object.GetScale(), 0, 0, {}, 0, 0 };
    if (zone) {
        out.score = s.m_nScore;
        out.mode = s.m_nTriggerMode;
        out.assigned = s.m_vecObjList;
        out.only = s.m_cOnly;
        out.flags = s.m_cFlag[0] | s.m_cFlag[1] << 1 | s.m_cFlag[2] << 2 | s.m_cFlag[3] << 3;
    }
    return out;
}

template <typename List> void AddShown(std::vector<Shown>& out, const List& list, bool zone = false) {
    for (const auto& object : list)
        out.push_back(ShownOf(*object, zone));
}

std::vector<Shown> Sorted(std::vector<Shown> v) {
    std::sort(v.begin(), v.end(), [](const Shown& a, const Shown& b) { return a.id < b.id; });
    return v;
}

} // namespace

// A saved playground loads back into the builder and into the simulation
// with the same objects, ids, poses, sizes, zone settings, rules and picture.
// Delivery zones keep only the loaded models they name. A save that cannot be
// written says so and leaves the playground unsaved; the picture is saved even
// when its file is gone; a file that cannot be loaded leaves the playground
// as it was; a file's ids are kept, each once.
TEST_F(PlaygroundBuilder, SavedPlaygroundsLoadBackAndRunInTheSimulation) {
    testsupport::TempDir folder;
    // A picture of our own, 512 x 512 with a dark line.
    QImage picture(512, 512, QImage::Format_RGB32);
    picture.fill(qRgb(240, 240, 230));
    for (int y = 0; y < 512; ++y)
        for (int x = 250; x < 262; ++x)
            picture.setPixel(x, y, qRgb(10, 10, 10));
    const std::filesystem::path pictureFile = folder.path() / "line.png";
    ASSERT_TRUE(picture.save(QString::fromStdString(pictureFile.string())));
    const std::string pictureBytes = ReadBytes(pictureFile);
    App().ChangeGroundImage(pictureFile.string());
    EXPECT_FALSE(Edit().m_bClean) << "a new picture is a change";
    EXPECT_FALSE(App().IsDefaultGround());

    std::vector<CModel*> objects;
    const std::vector<Kind>& kinds = Kinds();
    for (std::size_t i = 0; i < kinds.size(); ++i)
        objects.push_back(Place(kinds[i], -200.0f + 100.0f * float(i % 5), -100.0f + 90.0f * float(i / 5)));
    CModel* delivery = objects[12];
    ASSERT_EQ(delivery->GetSubType(), TriggerDelivery);
    Select(delivery);
    delivery->SetObjList({ objects[1]->GetId(), objects[3]->GetId(), 99, objects[2]->GetId() });
    delivery->SetOnly(1);
    delivery->GetState().m_nScore = 30;
    delivery->SetTriggerMode(1);
    App().KeepSelOnGround(false);
    CModel* rescue = objects[13];
    Select(rescue);
    rescue->GetState().m_cFlag[2] = 1;
    App().KeepSelOnGround(false);
    Select(objects[1]);
    objects[1]->SetObjName(QString::fromUtf8("蓝色方块"));
    objects[1]->SetTake(1);
    App().KeepSelOnGround(false);
    Select(objects[0]);
    App().DoCommand(8, false);
    App().SetSelected(nullptr, false);
    App().SetRuleList({ 12, 3, 1, 0, 8 });

    // The picture's file is gone by the time of the save: its bytes are kept.
    std::filesystem::remove(pictureFile);
    const std::string path = (folder.path() / "field.pla").string();
    QSignalSpy saved(&App(), &CPlaApp::signal_Ui_SaveFlag);
    ASSERT_TRUE(App().LoadOrSaveFile(path, false)) << App().GetFileError();
    EXPECT_TRUE(Edit().m_bClean);
    EXPECT_TRUE(saved.last().at(0).toBool());
    EXPECT_EQ(delivery->GetObjList(), std::vector<int>({ objects[1]->GetId(), objects[2]->GetId() }))
        << "only loaded models of the playground stay assigned";
    PlaygroundFile file;
    std::string error;
    ASSERT_TRUE(file.Load(path, error)) << error;
    ASSERT_TRUE(file.image.has_value());
    EXPECT_EQ(*file.image, pictureBytes);
    EXPECT_EQ(file.rules, std::vector<int>({ 12, 3, 1, 0, 8 }));

    std::vector<Shown> built;
    for (const osg::ref_ptr<CModel>& object : Objects())
        built.push_back(ShownOf(*object, object->GetType() == ModelTypeTrigger));
    built = Sorted(built);

    // A save into a folder that is not there fails, and says so: the
    // playground stays unsaved and the file that was saved stays.
    Select(objects[2]);
    App().DoCommand(9, false);
    App().SetSelected(nullptr, false);
    EXPECT_FALSE(Edit().m_bClean);
    EXPECT_FALSE(App().LoadOrSaveFile((folder.path() / "missing" / "x.pla").string(), false));
    EXPECT_FALSE(App().GetFileError().empty());
    EXPECT_FALSE(Edit().m_bClean);
    EXPECT_FALSE(saved.last().at(0).toBool());

    // A damaged file is not loaded and takes nothing from the editor.
    const std::vector<ObjectRecord> editing = Snapshot();
    std::ofstream(folder.path() / "damaged.pla") << "<value><struct><member><name>Slope</name><value><int>3";
    EXPECT_FALSE(App().LoadOrSaveFile((folder.path() / "damaged.pla").string(), true));
    EXPECT_EQ(Snapshot(), editing);
    // Nor is one whose picture is no picture.
    PlaygroundFile noPicture;
    noPicture.image = std::string("GIF? no");
    ASSERT_TRUE(noPicture.Save((folder.path() / "nopicture.pla").string(), error)) << error;
    EXPECT_FALSE(App().LoadOrSaveFile((folder.path() / "nopicture.pla").string(), true));
    EXPECT_EQ(Snapshot(), editing);
    EXPECT_FALSE(Edit().m_bClean);

    // The saved file loads back as it was saved, picture and all.
    ASSERT_TRUE(App().LoadOrSaveFile(path, true)) << App().GetFileError();
    EXPECT_TRUE(Edit().m_bClean);
    EXPECT_FALSE(App().CanUndo());
    std::vector<Shown> loaded;
    for (const osg::ref_ptr<CModel>& object : Objects()) {
        loaded.push_back(ShownOf(*object, object->GetType() == ModelTypeTrigger));
        EXPECT_TRUE(object->IsLocked());
        EXPECT_TRUE(App().GetScene()->HasDrawable(object.get()));
    }
    EXPECT_EQ(Sorted(loaded), built);
    EXPECT_EQ(App().GetRuleList(), std::vector<int>({ 12, 3, 1, 0, 8 }));
    EXPECT_EQ(ReadBytes(platform::InProgramDir(App().GetGroundImageName())), pictureBytes);
    const auto named = std::find_if(Objects().begin(), Objects().end(),
        [](const osg::ref_ptr<CModel>& object) { return object->GetId() == 1; });
    ASSERT_NE(named, Objects().end());
    EXPECT_EQ((*named)->GetState().m_strObjName, QString::fromUtf8("蓝色方块"));
    EXPECT_EQ((*named)->GetTake(), 1);
    // Saved again, the same bytes.
    const std::string again = (folder.path() / "again.pla").string();
    ASSERT_TRUE(App().LoadOrSaveFile(again, false));
    EXPECT_EQ(ReadBytes(again), ReadBytes(path));

    // The simulation shows the same playground.
    osg::ref_ptr<CEmuApp> emu = new CEmuApp("config.xml", nullptr, appstest::Config(), appstest::Context());
    ASSERT_TRUE(emu->LoadMapFile(path));
    const CPlayground& playground = *emu->GetPlayground();
    EXPECT_EQ(playground.GetLoadError(), "");
    std::vector<Shown> simulated;
    AddShown(simulated, playground.GetSlopes());
    AddShown(simulated, playground.GetGeos());
    AddShown(simulated, playground.GetCandles());
    AddShown(simulated, playground.GetTriggers(), true);
    AddShown(simulated, playground.GetWounded());
    AddShown(simulated, playground.GetTakenObjs());
    AddShown(simulated, playground.GetAlarms());
    EXPECT_EQ(Sorted(simulated), built);
    ASSERT_NE(emu->GetGameState().GetRules(), nullptr);
    EXPECT_EQ(*emu->GetGameState().GetRules(), std::vector<int>({ 12, 3, 1, 0, 8 }));
    EXPECT_EQ(ReadBytes(platform::InProgramDir(playground.GroundPictureCopy())), pictureBytes);
    EXPECT_EQ(playground.GetGeos().front()->GetTake(), 1);

    // A file's ids are kept, each once; objects without one, or with one an
    // earlier object has, are numbered above them all.
    PlaygroundFile handMade;
    CModelInfo cube;
    cube.m_desc.m_strAddress = "models/playground/cube.ive";
    cube.m_desc.m_nType = ModelTypeGeo;
    cube.m_state.m_vScale.set(6, 6, 6);
    handMade.Add(cube, 3);
    handMade.Add(cube, 3);
    handMade.Add(cube, 7);
    PlaygroundFile::Item noId;
    noId.info = cube;
    handMade.arrays[PlaygroundFile::ArrayGeometry].push_back(noId);
    const std::string handMadePath = (folder.path() / "ids.pla").string();
    ASSERT_TRUE(handMade.Save(handMadePath, error)) << error;
    ASSERT_TRUE(App().LoadOrSaveFile(handMadePath, true)) << App().GetFileError();
    std::vector<int> ids;
    for (const osg::ref_ptr<CModel>& object : Objects())
        ids.push_back(object->GetId());
    EXPECT_EQ(ids, std::vector<int>({ 3, 8, 7, 9 }));
    EXPECT_EQ(App().GetGround()->GetImageFile(), "map/default.png");
    CModel* added = Add(KindOf(ModelTypeCandle));
    EXPECT_EQ(added->GetId(), 10);
}

// A playground whose objects stand a hair below zero somewhere (a position,
// a rotation's part) is saved, opened and saved again to the same bytes:
// the scene may give such a hair back as a zero of either sign, and a file
// holds a zero without one.
TEST_F(PlaygroundBuilder, APlaygroundWithValuesAHairBelowZeroOpensAndSavesToTheSameBytes) {
    testsupport::TempDir folder;
    struct Case {
        int type;
        int sub;
        osg::Vec3f position;
        osg::Quat rotation;
    };
    const Case cases[] = {
        { ModelTypeGeo, 0, { -1e-7f, 20.0f, 7.5f }, { -1e-9, 0.0, 0.0, 1.0 } },
        { ModelTypeSlope, 0, { 40.0f, -2e-7f, 7.5f },
            { 0.0, -1e-10, 0.70710678118654757, 0.70710678118654757 } },
        { ModelTypeTrigger, TriggerScore, { -0.0f, 60.0f, 0.5f },
            { -2e-8, -3e-8, -0.70710678118654757, 0.70710678118654757 } },
    };
    for (const Case& c : cases) {
        CModel* object = Place(KindOf(c.type, c.sub), 0.0f, 0.0f);
        Select(object);
        object->SetPose(c.position, c.rotation, false, false);
        App().KeepSelOnGround(false);
    }
    App().SetSelected(nullptr, false);
    const std::string first = (folder.path() / "first.pla").string();
    ASSERT_TRUE(App().LoadOrSaveFile(first, false)) << App().GetFileError();
    ASSERT_TRUE(App().LoadOrSaveFile(first, true)) << App().GetFileError();
    const std::string again = (folder.path() / "again.pla").string();
    ASSERT_TRUE(App().LoadOrSaveFile(again, false)) << App().GetFileError();
    const std::string saved = ReadBytes(first);
    const std::string resaved = ReadBytes(again);
    EXPECT_TRUE(saved == resaved) << "saved, opened and saved again, the playground's bytes differ";
    EXPECT_EQ(saved.find("-0.000000"), std::string::npos) << "a zero written with a sign";
}
