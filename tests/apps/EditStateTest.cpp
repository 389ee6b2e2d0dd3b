// The editing state and undo step that both builders share, driven as the
// playground builder drives them (its objects are re-created by undo).

#include "BuilderFixture.h"

#include "apps/CPlaApp.h"
#include "apps/CStep.h"
#include "apps/PlaygroundObjects.h"
#include "apps/SEditState.h"
#include "elements/CAlarm.h"
#include "elements/CCandle.h"
#include "elements/CSlope.h"
#include "simulation/CEndTrigger.h"
#include "simulation/CPathTrigger.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

// A playground builder's editing state over a headless application.
struct PlaygroundEditor {
    osg::ref_ptr<CPlaApp> app = new CPlaApp("config.xml", nullptr);
    SEditState state;

    PlaygroundEditor() {
        state.m_pPartContext = appstest::Context();
        s_SetUpEditor(state, *app);
    }

    CModel* Add(int type, const std::string& address, int id, const osg::Vec3f& at, int subType = 0,
        const osg::Vec3f& scale = { 1, 1, 1 }) {
        osg::ref_ptr<CModel> object
            = MakePlaygroundObject(type, subType, appstest::Context(), address, scale);
        EXPECT_TRUE(object && object->LoadModel()) << address;
        object->SetId(id);
        scene::Transform pose;
        pose.SetTranslation(at);
        object->SetTransform(pose);
        app->AddDrawable(object.get());
        state.m_vecAllParts.push_back(object);
        object->Place(&state, PlaceFromFile);
        return object.get();
    }

    // A step as the builders record one: the current state is the pose after
    // the edit, the placed state the pose before it.
    void Push(int kind, const std::vector<CModel*>& objects) {
        auto step = std::make_unique<CStep>(&state);
        step->m_nKind = kind;
        for (CModel* object : objects) {
            step->m_vecEntries.push_back(CStep::Entry { object, object->GetData() });
            object->GetPlacedState() = object->GetState();
        }
        state.m_undoStack.push(step.release());
        s_OnStepPushed(state);
    }

    bool InScene(const CModel* object) const { return app->GetScene()->HasDrawable(object); }
};

// Moves an object as an editor does: pose and current state.
void MoveTo(CModel* object, const osg::Vec3f& at, double headingDegrees) {
    object->SetPose(at, osg::Quat(osg::DegreesToRadians(headingDegrees), osg::Vec3d(0, 0, 1)), false, false);
}

} // namespace

// Undo and redo find the saved state again by the undo stack's own index. An
// edit made after an undo cuts the saved state off for good: from then on no
// undo or redo is the saved robot or playground, until the next save.
TEST(EditState, CleanOnlyAtTheSavedStepAndNeverOnceThatStepIsCutOff) {
    PlaygroundEditor editor;
    SEditState& s = editor.state;
    CModel* candle = editor.Add(ModelTypeCandle, "models/playground/candle.ive", 1, { 0, 0, 0 });
    EXPECT_TRUE(s.m_bClean);

    for (int i = 1; i <= 3; ++i) {
        MoveTo(candle, { float(10 * i), 0, 0 }, 0);
        editor.Push(CStep::KindTransform, { candle });
        EXPECT_FALSE(s.m_bClean);
    }
    EXPECT_EQ(s_MarkUndoClean(s), 3);
    EXPECT_TRUE(s.m_bClean);

    s_UndoRedo(s, true);
    EXPECT_FALSE(s.m_bClean);
    s_UndoRedo(s, false);
    EXPECT_TRUE(s.m_bClean) << "back at the saved step";

    // Undo to step 2, then a different edit: step 3 of the saved robot is gone.
    s_UndoRedo(s, true);
    MoveTo(candle, { 0, 50, 0 }, 0);
    editor.Push(CStep::KindTransform, { candle });
    EXPECT_EQ(s.m_undoStack.index(), 3);
    EXPECT_FALSE(s.m_bClean);
    s_UndoRedo(s, true);
    EXPECT_FALSE(s.m_bClean);
    s_UndoRedo(s, false);
    EXPECT_FALSE(s.m_bClean) << "the same index, another playground";
    s_UndoRedo(s, true);
    s_UndoRedo(s, true);
    EXPECT_FALSE(s.m_bClean);

    // A change that no step records keeps the document unsaved through undo
    // and redo until it is saved.
    s_UndoRedo(s, false);
    s_UndoRedo(s, false);
    s_MarkUndoClean(s);
    s.m_bChangedOffStack = true;
    s.m_bClean = false;
    MoveTo(candle, { 0, 60, 0 }, 0);
    editor.Push(CStep::KindTransform, { candle });
    s_UndoRedo(s, true);
    EXPECT_FALSE(s.m_bClean);
    s_MarkUndoClean(s);
    EXPECT_TRUE(s.m_bClean);
}

// The playground builder's undo re-creates objects from their records: a
// new object of the same kind takes the old one's place in the list, with its
// id and the pose before the edit; redo does the same with the pose after.
TEST(UndoStep, PlaygroundUndoRecreatesObjectsInTheirPlacesWithTheirIds) {
    PlaygroundEditor editor;
    SEditState& s = editor.state;
    editor.Add(ModelTypeSlope, "models/playground/slope.ive", 4, { -20, 0, 0 });
    CModel* candle = editor.Add(ModelTypeCandle, "models/playground/candle.ive", 7, { 0, 0, 0 });
    editor.Add(ModelTypeAlarm, "models/playground/alarm.ive", 9, { 20, 0, 0 });
    const osg::Vec3f before = candle->GetState().m_vPos;

    MoveTo(candle, { 5, 6, 0 }, 90);
    const osg::Vec3f after = candle->GetState().m_vPos;
    editor.Push(CStep::KindTransform, { candle });
    EXPECT_EQ(s.m_vecAllParts[1].get(), candle) << "the push's own redo changes nothing";
    EXPECT_TRUE(editor.InScene(candle));

    s_UndoRedo(s, true);
    CModel* undone = s.m_vecAllParts[1].get();
    ASSERT_NE(undone, candle);
    EXPECT_NE(dynamic_cast<CCandle*>(undone), nullptr);
    EXPECT_EQ(undone->GetId(), 7);
    EXPECT_EQ(undone->GetAddress(), "models/playground/candle.ive");
    EXPECT_NEAR((undone->GetState().m_vPos - before).length(), 0.0f, 1e-4f);
    EXPECT_NEAR((undone->GetTransform().GetTranslation() - before).length(), 0.0f, 1e-4f);
    EXPECT_TRUE(undone->IsLocked());
    EXPECT_TRUE(editor.InScene(undone));
    EXPECT_FALSE(editor.InScene(candle));
    EXPECT_EQ(s.m_vecAllParts[0]->GetId(), 4);
    EXPECT_EQ(s.m_vecAllParts[2]->GetId(), 9);

    s_UndoRedo(s, false);
    CModel* redone = s.m_vecAllParts[1].get();
    EXPECT_NE(redone, undone);
    EXPECT_EQ(redone->GetId(), 7);
    EXPECT_NEAR((redone->GetState().m_vPos - after).length(), 0.0f, 1e-4f);
    const osg::Vec3d facing = redone->GetState().m_qRot * osg::Vec3d(1, 0, 0);
    EXPECT_NEAR(facing.y(), 1.0, 1e-4) << "turned by 90 degrees";
    EXPECT_FALSE(editor.InScene(undone));
    EXPECT_EQ(s.m_vecAllParts.size(), 3u);

    // Deleting and adding: removal finds objects by id, re-creation appends.
    CModel* alarm = s.m_vecAllParts[2].get();
    editor.Push(CStep::KindDelete, { alarm });
    s.m_vecAllParts.pop_back();
    editor.app->RemoveDrawable(alarm);
    s_UndoRedo(s, true);
    ASSERT_EQ(s.m_vecAllParts.size(), 3u);
    EXPECT_NE(dynamic_cast<CAlarm*>(s.m_vecAllParts[2].get()), nullptr);
    EXPECT_EQ(s.m_vecAllParts[2]->GetId(), 9);
    s_UndoRedo(s, false);
    EXPECT_EQ(s.m_vecAllParts.size(), 2u);

    // Zones come back as the zone of their kind, at their size.
    CModel* path
        = editor.Add(ModelTypeTrigger, "models/trigger/path.ive", 11, { 0, 30, 0 }, TriggerPath, { 6, 4, 1 });
    CModel* end
        = editor.Add(ModelTypeTrigger, "models/trigger/end.ive", 12, { 0, -30, 0 }, TriggerEnd, { 2, 2, 1 });
    MoveTo(path, { 0, 40, 0 }, 0);
    MoveTo(end, { 0, -40, 0 }, 0);
    editor.Push(CStep::KindTransform, { path, end });
    s_UndoRedo(s, true);
    ASSERT_EQ(s.m_vecAllParts.size(), 4u);
    EXPECT_NE(dynamic_cast<CPathTrigger*>(s.m_vecAllParts[2].get()), nullptr);
    EXPECT_EQ(s.m_vecAllParts[2]->GetScale(), osg::Vec3(6, 4, 1));
    EXPECT_NE(dynamic_cast<CEndTrigger*>(s.m_vecAllParts[3].get()), nullptr);
    EXPECT_EQ(s.m_vecAllParts[3]->GetId(), 12);
}

// A zone of a kind with no class of its own is made as none: shown as an end
// zone it would be saved as one. The builder's objects are drawn at their
// size, but a side the size makes thinner than kLeastDrawnSize is drawn that
// wide, on the side the size gives: a mirrored side stays mirrored.
TEST(PlaygroundObjects, UnknownZoneKindsAreNotMadeAndThinSidesAreDrawnWideKeepingTheirSide) {
    for (int kind : { -1, 7, 9 })
        EXPECT_EQ(MakePlaygroundObject(
                      ModelTypeTrigger, kind, appstest::Context(), "models/trigger/end.ive", { 2, 2, 1 }),
            nullptr)
            << "zone kind " << kind << " was made";

    struct Case {
        osg::Vec3f size;
        osg::Vec3f drawnSign;
    };
    const Case cases[] = {
        { { 0.01f, 20.0f, 8.0f }, { 1, 1, 1 } },
        { { -0.01f, 20.0f, 8.0f }, { -1, 1, 1 } },
        { { 30.0f, -0.5f, 8.0f }, { 1, -1, 1 } },
        { { 30.0f, 20.0f, -0.2f }, { 1, 1, -1 } },
    };
    for (const Case& c : cases) {
        osg::ref_ptr<CModel> slope = MakePlaygroundObject(
            ModelTypeSlope, 0, appstest::Context(), "models/playground/slope.ive", c.size);
        ASSERT_TRUE(slope && LoadPlaygroundObject(*slope));
        EXPECT_EQ(slope->GetState().m_vScale, c.size) << "the size kept is the one given";
        osg::Vec3f min, max;
        slope->GetBoundingBox(min, max, false);
        for (int axis = 0; axis < 3; ++axis) {
            const float wide = std::fabs(c.size[axis]) < 1.0f ? kLeastDrawnSize : 0.0f;
            if (wide > 0.0f)
                EXPECT_NEAR(max[axis] - min[axis], wide, 1e-3f) << "axis " << axis;
            EXPECT_GT(slope->GetScale()[axis] * c.drawnSign[axis], 0.0f)
                << "axis " << axis << " of size " << c.size[axis] << " is drawn on the wrong side";
        }
    }
}

// A record whose id no object has any more (a hand-edited file with doubled
// or missing ids) re-creates nothing: no object may stand in the scene that no
// list knows. Kinds the playground has no class for are skipped.
TEST(UndoStep, PlaygroundUndoLeavesNoObjectOutsideTheList) {
    PlaygroundEditor editor;
    SEditState& s = editor.state;
    CModel* slope = editor.Add(ModelTypeSlope, "models/playground/slope.ive", 3, { 0, 0, 0 });
    osg::ref_ptr<CModel> brick = new CModel(appstest::Context(), "models/brick/brick_2x2.ive");
    brick->SetType(ModelTypeBrick);
    ASSERT_TRUE(brick->LoadModel());
    MoveTo(slope, { 8, 0, 0 }, 0);
    editor.Push(CStep::KindTransform, { slope, brick.get() });
    // The slope leaves the list by other means; its step still names it.
    slope->SetId(30);
    const unsigned drawables = editor.app->GetScene()->GetNumberOfAddedDrawable();

    s_UndoRedo(s, true);
    EXPECT_EQ(s.m_vecAllParts.size(), 1u);
    EXPECT_EQ(s.m_vecAllParts[0].get(), slope);
    EXPECT_EQ(editor.app->GetScene()->GetNumberOfAddedDrawable(), drawables);
}
