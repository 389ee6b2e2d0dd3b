#include "PlaygroundRun.h"

#include "elements/CAlarm.h"
#include "elements/CCandle.h"
#include "elements/CGeo.h"
#include "elements/CSlope.h"
#include "elements/CTakenObj.h"
#include "elements/CWounded.h"
#include "physics/Solid.h"
#include "platform/ProgramDir.h"
#include "platform/Warnings.h"
#include "scene/ModelCache.h"
#include "simulation/CObjTrigger.h"
#include "simulation/CPathTrigger.h"
#include "simulation/CRcu.h"
#include "simulation/CTakenObjTrigger.h"
#include "simulation/ScoreTrigger.h"

#include <osg/Image>
#include <osgDB/WriteFile>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using playgroundtest::Item;
using playgroundtest::Run;
using playgroundtest::Zone;

namespace {

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A 512 x 512 ground picture, white but for a black band along y between the
// given columns (x = column - 256 on the ground).
std::string GroundPicture(const std::filesystem::path& folder, int firstColumn, int lastColumn) {
    osg::ref_ptr<osg::Image> image = new osg::Image;
    image->allocateImage(512, 512, 1, GL_RGB, GL_UNSIGNED_BYTE);
    for (int y = 0; y < 512; ++y) {
        for (int x = 0; x < 512; ++x) {
            const unsigned char v = x >= firstColumn && x <= lastColumn ? 0 : 255;
            unsigned char* p = image->data(x, y);
            p[0] = p[1] = p[2] = v;
        }
    }
    const std::filesystem::path file = folder / "ground.png";
    EXPECT_TRUE(osgDB::writeImageFile(*image, file.string()));
    return ReadBytes(file);
}

template <class T> T* Only(const std::vector<osg::ref_ptr<T>>& list) {
    EXPECT_EQ(list.size(), 1u);
    return list.empty() ? nullptr : list.front().get();
}

osg::BoundingBox Bounds(const scene::SceneObject& object) {
    return object.GetBoundingBox();
}

} // namespace

// What the simulation builds of a playground file that our writer wrote:
// every kind in its list, with its pose, scale, id (a counter shared by all
// kinds for items without one), solid and settings; the zones with their
// labels (start zones have none) and the path zone hidden; the file's
// picture on the ground and its rules in place of the old ones.
TEST(Playground, LoadsEveryKindFromAWrittenFile) {
    Run run;
    run.Block().m_vecRules = { 99, 99, 99, 99, 99 };
    PlaygroundFile file;
    file.image = GroundPicture(run.Folder(), 0, -1);
    file.rules = { 5, 10, 2 };
    auto add = [&](const PlaygroundFile::Item& item) {
        file.arrays[std::size_t(PlaygroundFile::ArrayOfType(item.info.m_desc.m_nType))].push_back(item);
    };
    PlaygroundFile::Item slope = Item(ModelTypeSlope, "models/playground/slope.ive", { -100, 100, 5 });
    slope.info.m_state.m_vScale.set(40, 30, 10);
    add(slope);
    PlaygroundFile::Item ball = Item(ModelTypeGeo, "models/playground/ball.ive", { 30, -40, 2 }, 12, 90);
    ball.info.m_state.m_vScale.set(4, 4, 4);
    ball.info.m_state.m_cTake = 1;
    add(ball);
    add(Item(ModelTypeCandle, "models/playground/candle.ive", { 60, 60, 3.8f }));
    add(Zone(TriggerStart, { 0, 0, 0.05f }, { 40, 40 }, 0, 0));
    add(Zone(TriggerPath, { -60, 0, 0.05f }, { 20, 60 }, 1, 20, 30));
    PlaygroundFile::Item delivery = Zone(TriggerDelivery, { 100, 0, 0.05f }, { 30, 30 }, 1, 15);
    delivery.info.m_state.m_vecObjList = { 12, 12 };
    delivery.info.m_state.m_cOnly = 1;
    add(delivery);
    PlaygroundFile::Item rescue = Zone(TriggerRescue, { -100, -100, 0.05f }, { 30, 30 }, 0, 7);
    rescue.info.m_state.m_cFlag[1] = 1;
    add(rescue);
    add(Item(ModelTypeWounded, "models/playground/astronaut.ive", { 0, 120, 0.8f }));
    add(Item(ModelTypeTakenObj, "models/playground/astronaut_red.ive", { 0, -120, 0.8f }));
    add(Item(ModelTypeAlarm, "models/playground/alarm.ive", { 120, 120, 1.75f }));
    PlaygroundFile::Item unknown = Zone(TriggerStart, { 0, 0, 0 }, { 1, 1 }, 0, 0);
    unknown.info.m_desc.m_nSubType = 7;
    add(unknown);
    add(Item(ModelTypeAlarm, "models/playground/no-such-model.ive", { 0, 0, 0 }));
    platform::WarningCapture warnings;
    ASSERT_TRUE(run.Load(file));
    EXPECT_EQ(warnings.Count("simulation"), 2u) << "the unknown zone and the missing model";

    CPlayground& p = run.Playground();
    EXPECT_EQ(run.Block().m_vecRules, file.rules);
    // The ground shows the file's picture, through the simulation's copy.
    EXPECT_EQ(p.GetGround()->GetImageFile(), "Temp/tempEmuApp.png");
    EXPECT_EQ(ReadBytes(platform::InProgramDir("Temp/tempEmuApp.png")), *file.image);
    ASSERT_NE(run.State().m_pGroundImage, nullptr);
    EXPECT_EQ(run.State().m_pGroundImage->s(), 512);

    // Read in the simulation's order: slope 0, the ball keeps 12, candle 1,
    // start zone 2, path zone keeps 30, delivery 3, rescue 4, wounded 5, ...
    CSlope* s = Only(p.GetSlopes());
    CGeo* g = Only(p.GetGeos());
    CCandle* c = Only(p.GetCandles());
    CWounded* w = Only(p.GetWounded());
    CTakenObj* t = Only(p.GetTakenObjs());
    ASSERT_EQ(p.GetTriggers().size(), 4u);
    ASSERT_EQ(p.GetAlarms().size(), 1u);
    EXPECT_EQ(s->GetId(), 0);
    EXPECT_EQ(g->GetId(), 12);
    EXPECT_EQ(c->GetId(), 1);
    EXPECT_EQ(p.GetTriggers()[0]->GetId(), 2);
    EXPECT_EQ(p.GetTriggers()[1]->GetId(), 30);
    EXPECT_EQ(p.GetTriggers()[3]->GetId(), 4);
    EXPECT_EQ(w->GetId(), 5);
    EXPECT_EQ(t->GetId(), 6);
    EXPECT_EQ(p.GetAlarms()[0]->GetId(), 7);
    // Ground first, then every object in load order.
    ASSERT_EQ(run.State().m_vElements.size(), 11u);
    EXPECT_EQ(run.State().m_vElements[0].get(), p.GetGround());
    EXPECT_EQ(run.State().m_vElements[2].get(), g);

    // Poses, scales and solids.
    EXPECT_TRUE(g->GetTransform().EpsilonEquals(scene::Transform(30, -40, 2, 90, 0, 0)));
    EXPECT_NEAR(Bounds(*g).xMax() - Bounds(*g).xMin(), 4.0, 1e-4);
    EXPECT_NEAR(Bounds(*s).zMax() - Bounds(*s).zMin(), 10.0, 1e-4);
    EXPECT_EQ(g->GetTake(), 1);
    EXPECT_TRUE(g->GetStartTransform().EpsilonEquals(g->GetTransform()));
    EXPECT_TRUE(s->GetSolid()->isStatic());
    EXPECT_TRUE(w->GetSolid()->isStatic());
    EXPECT_TRUE(t->GetSolid()->isStatic());
    EXPECT_FALSE(g->GetSolid()->isStatic());
    EXPECT_FALSE(p.GetAlarms()[0]->GetSolid()->isStatic());
    EXPECT_EQ(w->GetSolid()->firstShapeContactGroup(), 3);
    EXPECT_EQ(p.GetAlarms()[0]->GetSolid()->firstShapeContactGroup(), 7);
    EXPECT_NEAR(g->GetSolid()->position().x, 30.0, 1e-5);
    EXPECT_TRUE(c->IsBurning());
    EXPECT_EQ(p.GetTriggers()[0]->GetSolid(), nullptr);

    // Zones: kinds, settings, labels.
    const CTrigger* start = p.GetTriggers()[0].get();
    const auto* path = dynamic_cast<const CPathTrigger*>(p.GetTriggers()[1].get());
    const auto* deliver = dynamic_cast<const CObjTrigger*>(p.GetTriggers()[2].get());
    const auto* save = dynamic_cast<const CTakenObjTrigger*>(p.GetTriggers()[3].get());
    ASSERT_TRUE(path && deliver && save);
    EXPECT_EQ(start->GetSubType(), TriggerStart);
    EXPECT_EQ(dynamic_cast<const ScoreTrigger*>(start), nullptr);
    EXPECT_FALSE(path->GetActive());
    EXPECT_EQ(path->GetTriggerMode(), 1);
    EXPECT_EQ(path->GetScore(), 20);
    EXPECT_TRUE(run.Scene().HasDrawable(path->GetLabel()));
    EXPECT_EQ(const_cast<CObjTrigger*>(deliver)->GetObjList(), (std::vector<int> { 12, 12 }));
    EXPECT_EQ(deliver->GetOnly(), 1);
    EXPECT_TRUE(save->Wants("models/playground/astronaut_red.ive"));
    EXPECT_FALSE(save->Wants("models/playground/astronaut.ive"));
    EXPECT_NEAR(Bounds(*deliver).xMax() - Bounds(*deliver).xMin(), 30.0, 1e-4);

    // A playground without a picture shows the default ground; the rules are
    // the new file's alone.
    PlaygroundFile plain;
    plain.rules = { 1 };
    ASSERT_TRUE(run.Load(plain));
    EXPECT_EQ(p.GetGround()->GetImageFile(), "map/default.png");
    EXPECT_EQ(run.Block().m_vecRules, plain.rules);
    EXPECT_TRUE(p.GetTriggers().empty());
    EXPECT_EQ(run.State().m_vElements.size(), 1u);
    // Cleared, the wounded figure and the path zone are out of the scene.
    EXPECT_FALSE(run.Scene().HasDrawable(w));
    EXPECT_FALSE(run.Scene().HasDrawable(path));
    EXPECT_TRUE(path->GetActive());
}

// A damaged or unreadable file is refused with a warning that says why, and
// the playground loaded before stays as it was, rules and all.
TEST(Playground, ARefusedFileLeavesTheLoadedPlaygroundAlone) {
    Run run;
    PlaygroundFile good;
    good.rules = { 4 };
    good.arrays[PlaygroundFile::ArrayAlarm].push_back(
        Item(ModelTypeAlarm, "models/playground/alarm.ive", { 10, 10, 1.75f }));
    ASSERT_TRUE(run.Load(good));
    const CAlarm* alarm = run.Playground().GetAlarms().front().get();

    const std::string damaged = run.WriteFile(good, "damaged.pla");
    {
        std::string text = ReadBytes(damaged);
        text.replace(text.find("<double>10.000000</double>"), 26, "<i4>10</i4>");
        std::ofstream(damaged, std::ios::binary) << text;
    }
    PlaygroundFile escaping = good;
    escaping.arrays[PlaygroundFile::ArrayAlarm][0].info.m_desc.m_strAddress = "../../etc/passwd";
    PlaygroundFile badPicture = good;
    badPicture.image = "no picture at all";
    for (const std::string& path : { damaged, run.WriteFile(escaping, "escaping.pla"),
             run.WriteFile(badPicture, "picture.pla"), (run.Folder() / "missing.pla").string() }) {
        SCOPED_TRACE(path);
        platform::WarningCapture warnings;
        EXPECT_FALSE(run.Playground().LoadFromFile(path));
        EXPECT_EQ(warnings.Count("simulation"), 1u);
        EXPECT_FALSE(run.Playground().GetLoadError().empty());
        EXPECT_EQ(run.Playground().GetAlarms().front().get(), alarm);
        EXPECT_TRUE(run.Scene().HasDrawable(alarm));
        EXPECT_EQ(run.Block().m_vecRules, good.rules);
        EXPECT_EQ(run.State().m_vElements.size(), 2u);
    }
    EXPECT_NE(run.Playground().GetLoadError().find("cannot read"), std::string::npos);
}

// The contact test with its margin of 2, mode by mode, and the delivery
// zone's "outside" without a margin on x and y.
TEST(TriggerZones, ContactTestKeepsItsMargins) {
    const osg::BoundingBox zone(0, 0, 0, 10, 10, 1);
    auto at = [](float x0, float x1, float z0 = 0) { return osg::BoundingBox(x0, 2, z0, x1, 8, z0 + 4); };
    EXPECT_FALSE(CTrigger::Meets(zone, at(5, 12), 0)) << "xMax(R) = xMax(T) + 2 is not inside";
    EXPECT_TRUE(CTrigger::Meets(zone, at(5, 11.9f), 0));
    EXPECT_FALSE(CTrigger::Meets(zone, at(-2, 5), 0));
    EXPECT_TRUE(CTrigger::Meets(zone, at(-1.9f, 5), 0));
    EXPECT_TRUE(CTrigger::Meets(zone, at(12, 20), 1)) << "2 apart still overlap";
    EXPECT_FALSE(CTrigger::Meets(zone, at(12.01f, 20), 1));
    EXPECT_TRUE(CTrigger::Meets(zone, at(12.01f, 20), 2));
    // 3 above the zone's top: neither inside nor overlapping, so outside.
    EXPECT_FALSE(CTrigger::Meets(zone, at(2, 8, 4), 0));
    EXPECT_FALSE(CTrigger::Meets(zone, at(2, 8, 4), 1));
    EXPECT_TRUE(CTrigger::Meets(zone, at(2, 8, 4), 2));
    EXPECT_TRUE(CTrigger::Meets(zone, at(2, 8, 2.9f), 1));
    EXPECT_FALSE(CTrigger::Meets(zone, at(11, 20), 2));
    EXPECT_TRUE(CTrigger::Meets(zone, at(11, 20), 2, false)) << "outside without a margin";
    EXPECT_FALSE(CTrigger::Meets(zone, at(10, 20), 2, false));
}

// Score, touch, start and end zones with real robots: the first robot in
// list order scores, once; a start zone that no robot meets stops the run;
// of two end zones met in one frame the first scores and stops the run, and
// the playground checks no further zone.
TEST(TriggerZones, ScoreTouchStartAndEndZonesActOnTheFirstRobotInOrder) {
    Run run;
    CRob& first = run.AddRobot(0, 0);
    CRob& second = run.AddRobot(0, 30);
    PlaygroundFile file;
    std::vector<PlaygroundFile::Item>& zones = file.arrays[PlaygroundFile::ArrayTrigger];
    zones.push_back(Zone(TriggerStart, { 0, 0, 0.05f }, { 40, 40 }, 0, 0));
    zones.push_back(Zone(TriggerScore, { 0, 15, 0.05f }, { 60, 60 }, 1, 8));
    zones.push_back(Zone(TriggerTouch, { 0, 30, 0.05f }, { 20, 20 }, 1, 0));
    zones.push_back(Zone(TriggerEnd, { 200, 0, 0.05f }, { 20, 20 }, 1, -5));
    zones.push_back(Zone(TriggerEnd, { 200, 0, 0.05f }, { 20, 20 }, 1, 100));
    ASSERT_TRUE(run.Load(file));
    const auto& t = run.Playground().GetTriggers();
    run.Playground().UpdateScoreLabels();
    const scene::Label* endLabel = static_cast<const ScoreTrigger*>(t[3].get())->GetLabel();
    EXPECT_EQ(endLabel->GetText(), "-5");
    EXPECT_EQ(endLabel->GetTextColor(), osg::Vec4(1, 0, 0, 0.8f));
    EXPECT_EQ(static_cast<const ScoreTrigger*>(t[2].get())->GetLabel()->GetText(), "");

    run.Frame();
    EXPECT_FALSE(run.State().m_bStop);
    EXPECT_FALSE(t[0]->IsArmed()) << "the first robot stands in the start zone";
    EXPECT_EQ(first.GetScore(), 8);
    EXPECT_EQ(second.GetScore(), 0);
    EXPECT_FALSE(t[1]->IsArmed());
    EXPECT_FALSE(t[2]->IsArmed());
    run.Playground().UpdateScoreLabels();
    EXPECT_FALSE(static_cast<const ScoreTrigger*>(t[1].get())->GetLabel()->GetActive());
    run.Frame();
    EXPECT_EQ(first.GetScore(), 8);

    run.MoveRobot(second, { 200, 0, second.GetCurrentBox().center().z() });
    run.MoveRobot(first, { 205, 0, first.GetCurrentBox().center().z() });
    run.Frame();
    EXPECT_TRUE(run.State().m_bStop);
    EXPECT_EQ(first.GetScore(), 3);
    EXPECT_EQ(second.GetScore(), 0);
    run.Frame();
    EXPECT_EQ(first.GetScore(), 3) << "a stopped run is not stepped";

    // A start zone that no robot meets in the first running frame ends it.
    PlaygroundFile empty;
    empty.arrays[PlaygroundFile::ArrayTrigger].push_back(Zone(TriggerStart, { -200, 0, 0.05f }, { 40, 40 }, 0, 0));
    ASSERT_TRUE(run.Load(empty));
    EXPECT_FALSE(run.State().m_bStop);
    run.Frame();
    EXPECT_TRUE(run.State().m_bStop);
}
