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
#include <memory>

#include <unistd.h>

using playgroundtest::Item;
using playgroundtest::SimulationRun;
using playgroundtest::Zone;

namespace {

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A 512 x 512 ground picture, white but for a band of the given shade (black
// unless told) along y between the given columns (x = column - 256 on the
// ground).
std::string GroundPictureBytes(
    const std::filesystem::path& folder, int firstColumn, int lastColumn, unsigned char shade = 0) {
    osg::ref_ptr<osg::Image> image = new osg::Image;
    image->allocateImage(512, 512, 1, GL_RGB, GL_UNSIGNED_BYTE);
    for (int y = 0; y < 512; ++y) {
        for (int x = 0; x < 512; ++x) {
            const unsigned char v = x >= firstColumn && x <= lastColumn ? shade : 255;
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

// An alarm, a candle and a wounded figure, each 30 from the origin: a robot
// there is near all three.
PlaygroundFile StayObjectsAroundTheOrigin() {
    PlaygroundFile file;
    file.arrays[PlaygroundFile::ArrayAlarm].push_back(
        Item(ModelTypeAlarm, "models/playground/alarm.ive", { 30, 0, 1.75f }));
    file.arrays[PlaygroundFile::ArrayCandle].push_back(
        Item(ModelTypeCandle, "models/playground/candle.ive", { -30, 0, 3.8f }));
    file.arrays[PlaygroundFile::ArrayWounded].push_back(
        Item(ModelTypeWounded, "models/playground/astronaut.ive", { 0, 30, 0.8f }));
    return file;
}

} // namespace

// Two scenes, or two Morvanes, on one program folder: each ground picture
// goes through a file of its own under "Temp", named after its process, and
// goes with its playground.
TEST(Playground, ScenesOnOneProgramFolderKeepTheirGroundPicturesApart) {
    auto first = std::make_unique<SimulationRun>();
    auto second = std::make_unique<SimulationRun>();
    PlaygroundFile a;
    a.image = GroundPictureBytes(first->Folder(), 0, 99);
    PlaygroundFile b;
    b.image = GroundPictureBytes(second->Folder(), 400, 499);
    ASSERT_TRUE(first->Load(a));
    ASSERT_TRUE(second->Load(b));
    const std::string pathA = first->Playground().GetGround()->GetImageFile();
    const std::string pathB = second->Playground().GetGround()->GetImageFile();
    EXPECT_NE(pathA, pathB);
    for (const std::string& path : { pathA, pathB }) {
        EXPECT_EQ(path.rfind("Temp/tempEmuApp-" + std::to_string(getpid()) + "-", 0), 0u) << path;
        EXPECT_EQ(std::filesystem::path(path).extension(), ".png");
    }
    EXPECT_EQ(ReadBytes(platform::InProgramDir(pathA)), *a.image);
    EXPECT_EQ(ReadBytes(platform::InProgramDir(pathB)), *b.image);
    // What each scene's sensors read: its own band at x = -206.
    EXPECT_EQ(*first->State().m_pGroundImage->data(50, 256), 0);
    EXPECT_EQ(*second->State().m_pGroundImage->data(50, 256), 255);

    second.reset();
    EXPECT_FALSE(std::filesystem::exists(platform::InProgramDir(pathB)));
    EXPECT_EQ(ReadBytes(platform::InProgramDir(pathA)), *a.image);
}

// What the simulation builds of a playground file that our writer wrote:
// every kind in its list, with its pose, scale, id (a counter shared by all
// kinds for items without one), solid and settings; the zones with their
// labels (start zones have none) and the path zone hidden; the file's
// picture on the ground and its rules in place of the old ones.
TEST(Playground, LoadsEveryKindFromAWrittenFile) {
    SimulationRun run;
    run.Block().m_vecRules = { 99, 99, 99, 99, 99 };
    PlaygroundFile file;
    file.image = GroundPictureBytes(run.Folder(), 0, -1);
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
    add(Item(ModelTypeAlarm, "models/playground/alarm.ive", { 120, 120, 1.75f }, 6));
    add(Item(ModelTypeAlarm, "models/playground/no-such-model.ive", { 0, 0, 0 }));
    platform::WarningCapture warnings;
    ASSERT_TRUE(run.Load(file));
    EXPECT_EQ(warnings.Count("simulation"), 1u) << "the missing model";

    CPlayground& p = run.Playground();
    EXPECT_EQ(run.Block().m_vecRules, file.rules);
    // The ground shows the file's picture, through the simulation's copy.
    EXPECT_EQ(p.GetGround()->GetImageFile(), p.GroundPictureCopy());
    EXPECT_EQ(ReadBytes(platform::InProgramDir(p.GroundPictureCopy())), *file.image);
    ASSERT_NE(run.State().m_pGroundImage, nullptr);
    EXPECT_EQ(run.State().m_pGroundImage->s(), 512);

    // Read in the simulation's order: slope 0, the ball keeps 12, candle 1,
    // start zone 2, path zone keeps 30, delivery 3, rescue 4, wounded 5; the
    // object to carry passes 6, which the alarm brings.
    CSlope* s = Only(p.GetSlopes());
    CGeo* g = Only(p.GetGeos());
    CCandle* c = Only(p.GetCandles());
    // Held, so that they can still be asked after the playground let go of them.
    const osg::ref_ptr<CWounded> w = Only(p.GetWounded());
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
    EXPECT_EQ(t->GetId(), 7);
    EXPECT_EQ(p.GetAlarms()[0]->GetId(), 6);
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
    const osg::ref_ptr<const CPathTrigger> path = dynamic_cast<const CPathTrigger*>(p.GetTriggers()[1].get());
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
    const osg::ref_ptr<const CWounded> wounded = w;
    const osg::ref_ptr<const CPathTrigger> hidden = path;
    PlaygroundFile plain;
    plain.rules = { 1 };
    ASSERT_TRUE(run.Load(plain));
    EXPECT_EQ(p.GetGround()->GetImageFile(), "map/default.png");
    EXPECT_EQ(run.Block().m_vecRules, plain.rules);
    EXPECT_TRUE(p.GetTriggers().empty());
    EXPECT_EQ(run.State().m_vElements.size(), 1u);
    // Cleared, the wounded figure and the path zone are out of the scene.
    EXPECT_FALSE(run.Scene().HasDrawable(wounded.get()));
    EXPECT_FALSE(run.Scene().HasDrawable(hidden.get()));
    EXPECT_TRUE(hidden->GetActive());
}

// A damaged or unreadable file, or one with a zone of unknown kind, is
// refused with a warning that says why, and the playground loaded before
// stays as it was, rules and all.
TEST(Playground, ARefusedFileLeavesTheLoadedPlaygroundAlone) {
    SimulationRun run;
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
    // A zone of a kind this program does not know would run as nothing.
    PlaygroundFile unknownZone = good;
    PlaygroundFile::Item unknown = Zone(TriggerStart, { 0, 0, 0.05f }, { 10, 10 }, 0, 0);
    unknown.info.m_desc.m_nSubType = 7;
    unknownZone.arrays[PlaygroundFile::ArrayTrigger].push_back(unknown);
    for (const std::string& path : std::vector<std::string> { damaged,
             run.WriteFile(escaping, "escaping.pla"), run.WriteFile(badPicture, "picture.pla"),
             run.WriteFile(unknownZone, "unknown.pla"), (run.Folder() / "missing.pla").string() }) {
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
    // 3 below its bottom (zMax(R) = zMin(T) - 3) likewise; 1.9 below overlaps.
    EXPECT_FALSE(CTrigger::Meets(zone, at(2, 8, -7), 0));
    EXPECT_FALSE(CTrigger::Meets(zone, at(2, 8, -7), 1));
    EXPECT_TRUE(CTrigger::Meets(zone, at(2, 8, -7), 2));
    EXPECT_TRUE(CTrigger::Meets(zone, at(2, 8, -5.9f), 1));
    EXPECT_FALSE(CTrigger::Meets(zone, at(11, 20), 2));
    EXPECT_TRUE(CTrigger::Meets(zone, at(11, 20), 2, false)) << "outside without a margin";
    EXPECT_FALSE(CTrigger::Meets(zone, at(10, 20), 2, false));
}

// Score, touch, start and end zones with real robots: the first robot in
// list order scores, once; a start zone that no robot meets stops the run;
// of two end zones met in one frame the first scores and stops the run, and
// the playground checks no further zone.
TEST(TriggerZones, ScoreTouchStartAndEndZonesActOnTheFirstRobotInOrder) {
    SimulationRun run;
    CRob& first = run.AddRobot(0, 0);
    CRob& second = run.AddRobot(0, 30);
    PlaygroundFile file;
    std::vector<PlaygroundFile::Item>& zones = file.arrays[PlaygroundFile::ArrayTrigger];
    zones.push_back(Zone(TriggerStart, { 0, 0, 0.05f }, { 40, 40 }, 0, 0));
    zones.push_back(Zone(TriggerScore, { 0, 15, 0.05f }, { 60, 60 }, 1, 8));
    // A touch zone awards nothing, whatever score it holds.
    zones.push_back(Zone(TriggerTouch, { 0, 30, 0.05f }, { 20, 20 }, 1, 4));
    zones.push_back(Zone(TriggerEnd, { 200, 0, 0.05f }, { 20, 20 }, 1, -5));
    zones.push_back(Zone(TriggerEnd, { 200, 0, 0.05f }, { 20, 20 }, 1, 100));
    zones.push_back(Zone(TriggerScore, { -200, -200, 0.05f }, { 20, 20 }, 1, 0));
    ASSERT_TRUE(run.Load(file));
    const auto& t = run.Playground().GetTriggers();
    run.Playground().UpdateScoreLabels();
    const scene::Label* endLabel = static_cast<const ScoreTrigger*>(t[3].get())->GetLabel();
    EXPECT_EQ(endLabel->GetText(), "-5");
    EXPECT_EQ(endLabel->GetTextColor(), osg::Vec4(1, 0, 0, 0.8f));
    EXPECT_TRUE(endLabel->GetTransform().GetTranslation() == osg::Vec3(200, 0, 10.05f)) << "10 over its zone";
    const scene::Label* zeroLabel = static_cast<const ScoreTrigger*>(t[5].get())->GetLabel();
    EXPECT_EQ(zeroLabel->GetText(), "") << "a score of 0 shows no text";
    EXPECT_EQ(zeroLabel->GetTextColor(), osg::Vec4(0, 1, 0, 0.8f)) << "only a score below 0 is red";

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
    // A zone moved between frames is met where it lies now.
    EXPECT_TRUE(t[5]->IsArmed());
    t[5]->SetTransform(scene::Transform(0.0, 30.0, 0.05), scene::CoordSys::Absolute);
    run.Frame();
    EXPECT_FALSE(t[5]->IsArmed()) << "the second robot stands in it";

    run.MoveRobot(second, { 200, 0, second.GetCurrentBox().center().z() });
    run.MoveRobot(first, { 205, 0, first.GetCurrentBox().center().z() });
    run.Frame();
    EXPECT_TRUE(run.State().m_bStop);
    EXPECT_EQ(first.GetScore(), 3);
    EXPECT_EQ(second.GetScore(), 0);
    run.Frame();
    EXPECT_EQ(first.GetScore(), 3) << "a stopped run is not stepped";

    EXPECT_EQ(run.State().m_nStopStartZone, 0) << "an end zone stopped the run, no start zone";

    // A start zone that no robot meets in the first running frame ends it,
    // and is named by its number among the start zones (from 1) and its mode.
    PlaygroundFile twoStarts;
    std::vector<PlaygroundFile::Item>& starts = twoStarts.arrays[PlaygroundFile::ArrayTrigger];
    starts.push_back(Zone(TriggerScore, { -200, 200, 0.05f }, { 20, 20 }, 1, 5));
    starts.push_back(Zone(TriggerStart, { 205, 0, 0.05f }, { 40, 40 }, 1, 0));
    starts.push_back(Zone(TriggerStart, { -200, 0, 0.05f }, { 40, 40 }, 1, 0));
    ASSERT_TRUE(run.Load(twoStarts));
    EXPECT_FALSE(run.State().m_bStop);
    run.Frame();
    EXPECT_TRUE(run.State().m_bStop);
    EXPECT_EQ(run.State().m_nStopStartZone, 2);
    EXPECT_EQ(run.State().m_nStopStartZoneMode, 1);
    // A load begins afresh.
    ASSERT_TRUE(run.Load(twoStarts));
    EXPECT_FALSE(run.State().m_bStop);
    EXPECT_EQ(run.State().m_nStopStartZone, 0);
}

// A zone in Leave mode (any mode but 0 and 1) that no robot starts in acts
// in the run's first frame: the run learns which zones did so, by kind and
// number among the zones of that kind. Zones that act later, or that a robot
// starts in, are not among them.
TEST(TriggerZones, LeaveZonesThatActInTheFirstFrameAreNamed) {
    using AtOnce = SGameState::ZoneAtOnce;
    struct Case {
        const char* what;
        std::vector<PlaygroundFile::Item> zones;
        std::vector<AtOnce> atOnce;
        bool stopped;
    };
    const osg::Vec2f size(20, 20);
    const std::vector<Case> cases = {
        { "a Leave end zone far away", { Zone(TriggerEnd, { 200, 0, 0.05f }, size, 2, 5) },
            { { TriggerEnd, 1 } }, true },
        { "the second end zone",
            { Zone(TriggerEnd, { 200, 0, 0.05f }, size, 1, 5),
                Zone(TriggerEnd, { -200, 0, 0.05f }, size, 3, 5) },
            { { TriggerEnd, 2 } }, true },
        { "score and touch zones",
            { Zone(TriggerScore, { 0, 0, 0.05f }, size, 2, 5),
                Zone(TriggerScore, { 200, 0, 0.05f }, size, 2, 5),
                Zone(TriggerTouch, { 0, 200, 0.05f }, size, 2, 5) },
            { { TriggerScore, 2 }, { TriggerTouch, 1 } }, false },
        { "an In end zone far away", { Zone(TriggerEnd, { 200, 0, 0.05f }, size, 1, 5) }, {}, false },
        { "a Leave end zone the robot starts in", { Zone(TriggerEnd, { 0, 0, 0.05f }, size, 2, 5) }, {},
            false },
    };
    for (const Case& c : cases) {
        SimulationRun run;
        CRob& robot = run.AddRobot(0, 0);
        PlaygroundFile file;
        file.arrays[PlaygroundFile::ArrayTrigger] = c.zones;
        ASSERT_TRUE(run.Load(file)) << c.what;
        run.Frame();
        EXPECT_EQ(run.State().m_vecLeaveAtOnce, c.atOnce) << c.what;
        EXPECT_EQ(run.State().m_bStop, c.stopped) << c.what;
        // Later frames add nothing, though a zone may act in them now.
        run.MoveRobot(robot, { 100, 100, robot.GetCurrentBox().center().z() });
        run.Frame();
        EXPECT_EQ(run.State().m_vecLeaveAtOnce, c.atOnce) << c.what << ", a frame later";
        // A load begins afresh.
        ASSERT_TRUE(run.Load(PlaygroundFile()));
        EXPECT_TRUE(run.State().m_vecLeaveAtOnce.empty()) << c.what;
    }
}

// A playground let go (as a match's grant lets the one loaded before it go)
// leaves the default ground alone: no file, no objects in the scene or the
// lists, no rules, no stop and no refusal kept from before.
TEST(Playground, UnloadingLeavesOnlyTheDefaultGround) {
    SimulationRun run;
    PlaygroundFile file;
    file.rules = { 4 };
    file.arrays[PlaygroundFile::ArrayAlarm].push_back(
        Item(ModelTypeAlarm, "models/playground/alarm.ive", { 10, 10, 1.75f }));
    file.arrays[PlaygroundFile::ArrayTrigger].push_back(Zone(TriggerEnd, { 0, 0, 0.05f }, { 40, 40 }, 1, 0));
    run.AddRobot(0, 0);
    ASSERT_TRUE(run.Load(file));
    const osg::ref_ptr<CAlarm> alarm = run.Playground().GetAlarms().front();
    run.Frame();
    ASSERT_TRUE(run.State().m_bStop);
    {
        platform::WarningCapture warnings;
        EXPECT_FALSE(run.Playground().LoadFromFile((run.Folder() / "missing.pla").string()));
        ASSERT_FALSE(run.Playground().GetLoadError().empty());
    }

    run.Playground().Unload();
    EXPECT_EQ(run.Playground().GetFileName(), "");
    EXPECT_EQ(run.Playground().GetLoadError(), "");
    EXPECT_TRUE(run.Playground().GetTriggers().empty());
    EXPECT_TRUE(run.Playground().GetAlarms().empty());
    EXPECT_FALSE(run.Scene().HasDrawable(alarm.get()));
    EXPECT_TRUE(run.Block().m_vecRules.empty());
    EXPECT_FALSE(run.State().m_bStop);
    ASSERT_EQ(run.State().m_vElements.size(), 1u) << "the ground alone";
    run.Frame();
    EXPECT_FALSE(run.State().m_bStop) << "no zone of the old playground acts";
}

// Loaded models assigned to a delivery zone score when a robot carries them
// in (picked up after more than 10 frames near): the carrier scores, the
// model is set down in the zone, the next one beside it, its left side at
// the first one's right side and its bottom at the first one's centre.
TEST(TriggerZones, DeliveryZoneScoresCarriedModelsAndStacksThem) {
    SimulationRun run;
    CRob& robot = run.AddRobot(60, 30);
    PlaygroundFile file;
    for (int id : { 12, 13 }) {
        PlaygroundFile::Item cube
            = Item(ModelTypeGeo, "models/playground/cube.ive", { 60, id == 12 ? 0.0f : 60.0f, 2 }, id);
        cube.info.m_state.m_vScale.set(4, 4, 4);
        cube.info.m_state.m_cTake = 1;
        file.arrays[PlaygroundFile::ArrayGeometry].push_back(cube);
    }
    PlaygroundFile::Item zone = Zone(TriggerDelivery, { 150, 0, 0.05f }, { 30, 30 }, 1, 15);
    zone.info.m_state.m_vecObjList = { 12, 13, 99 };
    file.arrays[PlaygroundFile::ArrayTrigger].push_back(zone);
    ASSERT_TRUE(run.Load(file));
    CGeo* first = run.Playground().GetGeos()[0].get();
    CGeo* second = run.Playground().GetGeos()[1].get();
    auto* delivery = static_cast<CObjTrigger*>(run.Playground().GetTriggers()[0].get());
    run.Playground().UpdateScoreLabels();
    EXPECT_EQ(delivery->GetLabel()->GetText(), "45") << "15 for each of three assignments";

    for (int i = 0; i < 10; ++i)
        run.Frame();
    EXPECT_TRUE(first->IsTakeable());
    run.Frame();
    ASSERT_EQ(robot.GetCarriedGeo().get(), first);
    // It rides on top of the robot; the playground's step leaves it there
    // rather than taking its pose from its solid.
    EXPECT_NEAR(Bounds(*first).zMin(), robot.GetCurrentBox().zMax(), 1e-3);
    const scene::Transform carried = first->GetTransform();
    run.Playground().Step();
    EXPECT_TRUE(first->GetTransform().EpsilonEquals(carried));

    run.MoveRobot(robot, { 150, 0, robot.GetCurrentBox().center().z() });
    run.Frame();
    EXPECT_EQ(robot.GetScore(), 15);
    EXPECT_EQ(robot.GetCarriedGeo(), nullptr);
    EXPECT_EQ(first->GetCarrier(), nullptr);
    EXPECT_EQ(delivery->GetObjList(), (std::vector<int> { 13, 99 }));
    EXPECT_TRUE(first->GetTransform().EpsilonEquals(scene::Transform(150, 0, 0.05, 0, 0, 0)));

    run.MoveRobot(robot, { 60, 90, robot.GetCurrentBox().center().z() });
    for (int i = 0; i < 11; ++i)
        run.Frame();
    ASSERT_EQ(robot.GetCarriedGeo().get(), second);
    run.MoveRobot(robot, { 150, 0, robot.GetCurrentBox().center().z() });
    run.Frame();
    EXPECT_EQ(robot.GetScore(), 30);
    const osg::BoundingBox l = Bounds(*first);
    const osg::BoundingBox g = Bounds(*second);
    EXPECT_NEAR(g.xMin(), l.xMax(), 1e-4);
    EXPECT_NEAR(g.zMin(), l.center().z(), 1e-4);
    EXPECT_NEAR(g.center().y(), l.center().y(), 1e-4);
    EXPECT_EQ(delivery->GetLastPlaced(), second);
    EXPECT_TRUE(delivery->IsArmed()) << "one assignment is left";
}

// A model pushed into the zone pays the robot farthest from it. An
// assignment counts once: with "Only" clear every entry of that id goes, with
// it set the whole list, and the zone disarms in the next frame.
TEST(TriggerZones, DeliveryZoneScoresPushedModelsForTheFarthestRobot) {
    for (const bool only : { false, true }) {
        SCOPED_TRACE(only ? "only" : "each");
        SimulationRun run;
        CRob& near = run.AddRobot(100, 14);
        CRob& far = run.AddRobot(100, -40);
        PlaygroundFile file;
        PlaygroundFile::Item cube = Item(ModelTypeGeo, "models/playground/cube.ive", { 100, 0, 2 }, 3);
        cube.info.m_state.m_vScale.set(4, 4, 4);
        file.arrays[PlaygroundFile::ArrayGeometry].push_back(cube);
        PlaygroundFile::Item zone = Zone(TriggerDelivery, { 100, 0, 0.05f }, { 30, 30 }, 1, 6);
        zone.info.m_state.m_vecObjList = { 3, 3, 5 };
        zone.info.m_state.m_cOnly = only ? 1 : 0;
        file.arrays[PlaygroundFile::ArrayTrigger].push_back(zone);
        ASSERT_TRUE(run.Load(file));
        auto* delivery = static_cast<CObjTrigger*>(run.Playground().GetTriggers()[0].get());
        run.Playground().UpdateScoreLabels();
        EXPECT_EQ(delivery->GetLabel()->GetText(), only ? "6" : "18");
        run.Frame();
        EXPECT_EQ(far.GetScore(), 6);
        EXPECT_EQ(near.GetScore(), 0);
        EXPECT_EQ(delivery->GetObjList(), only ? std::vector<int>() : std::vector<int> { 5 });
        run.Frame();
        EXPECT_EQ(far.GetScore(), 6);
        EXPECT_EQ(delivery->IsArmed(), !only);
    }

    // Two robots as far from the model as each other: the later one scores.
    // A zone whose mode is outside takes a model 1 beyond its edge: outside
    // has no margin on x and y.
    for (const int mode : { 1, 2 }) {
        SCOPED_TRACE("mode " + std::to_string(mode));
        SimulationRun run;
        CRob& first = run.AddRobot(100, 40);
        CRob& second = run.AddRobot(100, 40);
        PlaygroundFile file;
        const float x = mode == 1 ? 100.0f : 118.0f; // the zone ends at x = 115
        PlaygroundFile::Item cube = Item(ModelTypeGeo, "models/playground/cube.ive", { x, 0, 2 }, 3);
        cube.info.m_state.m_vScale.set(4, 4, 4);
        file.arrays[PlaygroundFile::ArrayGeometry].push_back(cube);
        PlaygroundFile::Item zone = Zone(TriggerDelivery, { 100, 0, 0.05f }, { 30, 30 }, mode, 6);
        zone.info.m_state.m_vecObjList = { 3 };
        file.arrays[PlaygroundFile::ArrayTrigger].push_back(zone);
        ASSERT_TRUE(run.Load(file));
        run.Playground().Step();
        EXPECT_EQ(first.GetScore(), 0);
        EXPECT_EQ(second.GetScore(), 6);
    }
}

// A path zone pays a positive score to the one robot that enters it on the
// line and leaves it on the line, not before it has left; a robot that is
// off the line inside gets a negative score, never a positive one; with two
// robots the zone gives up. The robot is on the line while a pixel of the
// 20 x 20 around it has r + g + b below 2.5.
TEST(TriggerZones, PathZoneScoresARobotThatFollowsTheLine) {
    struct Case {
        int score;
        float drift; // x of the robot inside the zone after entering
        int expected;
        unsigned char shade = 0; // of the line
    };
    // The line is under x = -6 .. 6. Drifted 15 to the right, the robot's
    // pixels reach from x = 5 to 24: the line's last two are among them.
    // Grey 212 adds up to 2.49 (still dark), 213 to 2.51 (light).
    for (const Case& c : { Case { 20, 0, 20 }, Case { 20, 20, 0 }, Case { -20, 20, -20 }, Case { -20, 0, 0 },
             Case { 20, 15, 20 }, Case { 20, 0, 20, 212 }, Case { 20, 0, 0, 213 } }) {
        SCOPED_TRACE(std::to_string(c.score) + " drifting to " + std::to_string(c.drift) + " over shade "
            + std::to_string(c.shade));
        SimulationRun run;
        CRob& robot = run.AddRobot(0, 0);
        PlaygroundFile file;
        // A band 13 pixels wide along y, under x = -6 .. 6.
        file.image = GroundPictureBytes(run.Folder(), 250, 262, c.shade);
        file.arrays[PlaygroundFile::ArrayTrigger].push_back(
            Zone(TriggerPath, { 0, 50, 0.05f }, { 60, 40 }, 0, c.score));
        ASSERT_TRUE(run.Load(file));
        auto* path = static_cast<CPathTrigger*>(run.Playground().GetTriggers()[0].get());
        const float z = robot.GetCurrentBox().center().z();
        run.Playground().Step();
        EXPECT_FALSE(path->IsEntered());
        run.MoveRobot(robot, { 0, 50, z });
        run.Playground().Step();
        if (c.shade == 213) {
            // Entered off the line: a positive score is not paid.
            EXPECT_FALSE(path->IsArmed());
            EXPECT_EQ(robot.GetScore(), 0);
            continue;
        }
        EXPECT_TRUE(path->IsEntered());
        EXPECT_FALSE(path->GetActive());
        run.MoveRobot(robot, { c.drift, 50, z });
        run.Playground().Step();
        if (c.expected > 0) {
            EXPECT_TRUE(path->IsArmed()) << "still in the zone on the line";
            EXPECT_EQ(robot.GetScore(), 0);
        }
        run.MoveRobot(robot, { c.drift, 100, z });
        run.Playground().Step();
        EXPECT_EQ(robot.GetScore(), c.expected);
        EXPECT_FALSE(path->IsArmed());
        EXPECT_TRUE(path->GetActive());
    }
    // Neither robot is near the zone: the second robot alone makes it give up.
    SimulationRun two;
    two.AddRobot(-100, -100);
    two.AddRobot(100, 100);
    PlaygroundFile file;
    file.arrays[PlaygroundFile::ArrayTrigger].push_back(
        Zone(TriggerPath, { 0, 50, 0.05f }, { 60, 40 }, 0, 20));
    ASSERT_TRUE(two.Load(file));
    two.Playground().Step();
    EXPECT_FALSE(two.Playground().GetTriggers()[0]->IsArmed());
    EXPECT_EQ(two.Robots()[0]->GetScore(), 0);
}

// A robot picks up figures, carries them on its back and hands them to a
// rescue zone that asks for red ones: the red earns the zone's score, the
// blue costs as much, and both are set down in the zone side by side.
TEST(TriggerZones, RescueZoneScoresCarriedFiguresByColour) {
    SimulationRun run;
    CRob& robot = run.AddRobot(-40, 35);
    PlaygroundFile file;
    file.arrays[PlaygroundFile::ArrayTakenObj].push_back(
        Item(ModelTypeTakenObj, "models/playground/astronaut_red.ive", { -40, 0, 0.8f }));
    file.arrays[PlaygroundFile::ArrayTakenObj].push_back(
        Item(ModelTypeTakenObj, "models/playground/astronaut_blue.ive", { -55, 0, 0.8f }));
    PlaygroundFile::Item zone = Zone(TriggerRescue, { -100, -100, 0.05f }, { 30, 30 }, 1, 7);
    zone.info.m_state.m_cFlag[1] = 1;
    file.arrays[PlaygroundFile::ArrayTrigger].push_back(zone);
    ASSERT_TRUE(run.Load(file));
    CTakenObj* red = run.Playground().GetTakenObjs()[0].get();
    CTakenObj* blue = run.Playground().GetTakenObjs()[1].get();
    auto* rescue = static_cast<CTakenObjTrigger*>(run.Playground().GetTriggers()[0].get());
    for (int i = 0; i < 11; ++i)
        run.Frame();
    ASSERT_EQ(robot.GetCarriedObjects().size(), 2u);
    // The first rides on the robot's top, the next beside it: its left side
    // at the first one's right side, at the same y and z.
    const CModel* onTop = robot.GetCarriedObjects()[0].get();
    const CModel* beside = robot.GetCarriedObjects()[1].get();
    EXPECT_NEAR(Bounds(*onTop).zMin(), robot.GetCurrentBox().zMax(), 1e-3);
    EXPECT_NEAR(Bounds(*beside).xMin(), Bounds(*onTop).xMax(), 1e-3);
    EXPECT_NEAR(
        beside->GetTransform().GetTranslation().y(), onTop->GetTransform().GetTranslation().y(), 1e-4);
    EXPECT_NEAR(
        beside->GetTransform().GetTranslation().z(), onTop->GetTransform().GetTranslation().z(), 1e-4);

    run.MoveRobot(robot, { -100, -100, robot.GetCurrentBox().center().z() });
    run.Frame();
    EXPECT_EQ(robot.GetScore(), 0) << "+7 for the red figure, -7 for the blue";
    EXPECT_TRUE(robot.GetCarriedObjects().empty());
    EXPECT_TRUE(robot.GetCarriedTransforms().empty());
    EXPECT_EQ(red->GetCarrier(), nullptr);
    const osg::BoundingBox r = Bounds(*red);
    const osg::BoundingBox b = Bounds(*blue);
    EXPECT_NEAR(r.center().x(), -100, 1e-3);
    EXPECT_NEAR(r.zMin(), 0.05, 1e-3);
    EXPECT_NEAR(b.xMin(), r.xMax(), 1e-3);
    EXPECT_EQ(rescue->GetLastPlaced(), blue);
    EXPECT_TRUE(rescue->IsArmed());

    // Two robots in the zone with a figure each: the first in list order
    // hands its figure over and ends the zone's check; standing there
    // empty-handed afterwards it is passed over, so the other one's figure
    // goes in the next frame.
    SimulationRun two;
    CRob& first = two.AddRobot(-100, -100);
    CRob& second = two.AddRobot(-100, -100);
    PlaygroundFile pair;
    for (const float x : { 0.0f, 50.0f, 100.0f }) {
        pair.arrays[PlaygroundFile::ArrayTakenObj].push_back(
            Item(ModelTypeTakenObj, "models/playground/astronaut_red.ive", { x, 150, 0.8f }));
    }
    pair.arrays[PlaygroundFile::ArrayTrigger].push_back(zone);
    ASSERT_TRUE(two.Load(pair));
    const auto give = [&](CRob& carrier, int figure) {
        CTakenObj* taken = two.Playground().GetTakenObjs()[std::size_t(figure)].get();
        carrier.GetCarriedObjects().push_back(taken);
        carrier.GetCarriedTransforms().push_back(taken->GetStartTransform());
    };
    give(first, 0);
    give(second, 1);
    two.Frame();
    EXPECT_EQ(first.GetScore(), 7);
    EXPECT_EQ(second.GetScore(), 0);
    EXPECT_EQ(second.GetCarriedObjects().size(), 1u);
    two.Frame();
    EXPECT_EQ(first.GetScore(), 7);
    EXPECT_EQ(second.GetScore(), 7);
    EXPECT_TRUE(second.GetCarriedObjects().empty());
    // And a figure that reaches the first robot later goes in as well.
    give(first, 2);
    two.Frame();
    EXPECT_EQ(first.GetScore(), 14);
    EXPECT_TRUE(first.GetCarriedObjects().empty());
}

// The objects' rules with a real robot: an alarm and a candle near it award
// 10 each in the 301st step of its stay, a wounded figure is rescued for 10.
// Clearing the playground takes carried objects off their robots.
TEST(Playground, ObjectsActOnARealRobot) {
    SimulationRun run;
    CRob& robot = run.AddRobot(0, 0);
    PlaygroundFile file = StayObjectsAroundTheOrigin();
    file.arrays[PlaygroundFile::ArrayTakenObj].push_back(
        Item(ModelTypeTakenObj, "models/playground/astronaut_yellow.ive", { 0, -30, 0.8f }));
    // A loaded model whose "Take" is not 1 stays where it is.
    PlaygroundFile::Item cube = Item(ModelTypeGeo, "models/playground/cube.ive", { 20, 20, 2 });
    cube.info.m_state.m_vScale.set(4, 4, 4);
    cube.info.m_state.m_cTake = 2;
    file.arrays[PlaygroundFile::ArrayGeometry].push_back(cube);
    ASSERT_TRUE(run.Load(file));
    for (int i = 0; i < 300; ++i)
        run.Playground().Step();
    EXPECT_EQ(robot.GetScore(), 0);
    EXPECT_EQ(robot.GetCarriedObjects().size(), 1u) << "the object to carry was picked up long ago";
    EXPECT_EQ(run.Playground().GetGeos()[0]->GetTake(), 0);
    EXPECT_EQ(robot.GetCarriedGeo(), nullptr);
    run.Playground().Step();
    EXPECT_EQ(robot.GetScore(), 30);
    EXPECT_FALSE(run.Playground().GetCandles()[0]->IsBurning());
    EXPECT_FALSE(run.Playground().GetAlarms()[0]->IsArmed());
    const osg::ref_ptr<CWounded> rescued = run.Playground().GetWounded()[0];
    EXPECT_FALSE(rescued->GetActive());

    // Cleared, the rescued figure shows again, but in no scene.
    run.Playground().Clear();
    EXPECT_TRUE(robot.GetCarriedObjects().empty());
    EXPECT_TRUE(run.State().m_vElements.empty());
    EXPECT_TRUE(rescued->GetActive());
    EXPECT_FALSE(run.Scene().HasDrawable(rescued.get()));
}

// Two real robots, the first in list order far from everything: the second
// one's stay at an alarm, a candle and a wounded figure counts as if it were
// alone, 10 each in the 301st step.
TEST(Playground, ObjectsActForARobotLaterInTheListWhileTheFirstIsFar) {
    SimulationRun run;
    CRob& far = run.AddRobot(300, 300);
    CRob& near = run.AddRobot(0, 0);
    ASSERT_TRUE(run.Load(StayObjectsAroundTheOrigin()));
    for (int i = 0; i < 300; ++i)
        run.Playground().Step();
    EXPECT_EQ(near.GetScore(), 0);
    EXPECT_TRUE(run.Playground().GetCandles()[0]->IsBurning());
    run.Playground().Step();
    EXPECT_EQ(near.GetScore(), 30);
    EXPECT_EQ(far.GetScore(), 0);
    EXPECT_FALSE(run.Playground().GetCandles()[0]->IsBurning());
    EXPECT_FALSE(run.Playground().GetAlarms()[0]->IsArmed());
    EXPECT_FALSE(run.Playground().GetWounded()[0]->GetActive());
}

// The order of a playground step: nothing at all once the run is stopped,
// not even a zone that does not look at the stop itself (a touch zone);
// a zone that stops the run ends the step before later zones, the objects'
// rules and their poses.
TEST(Playground, StepStopsWhereTheRunStops) {
    SimulationRun run;
    CRob& robot = run.AddRobot(0, 0);
    PlaygroundFile file;
    file.arrays[PlaygroundFile::ArrayTrigger].push_back(
        Zone(TriggerTouch, { 0, 0, 0.05f }, { 30, 30 }, 1, 0));
    file.arrays[PlaygroundFile::ArrayTrigger].push_back(Zone(TriggerEnd, { 0, 0, 0.05f }, { 30, 30 }, 1, 1));
    file.arrays[PlaygroundFile::ArrayTrigger].push_back(
        Zone(TriggerScore, { 0, 0, 0.05f }, { 30, 30 }, 1, 5));
    file.arrays[PlaygroundFile::ArrayAlarm].push_back(
        Item(ModelTypeAlarm, "models/playground/alarm.ive", { 30, 0, 1.75f }));
    PlaygroundFile::Item cube = Item(ModelTypeGeo, "models/playground/cube.ive", { 60, 60, 10 });
    cube.info.m_state.m_vScale.set(4, 4, 4);
    file.arrays[PlaygroundFile::ArrayGeometry].push_back(cube);
    ASSERT_TRUE(run.Load(file));
    CGeo* geo = run.Playground().GetGeos()[0].get();
    run.State().m_bStop = true;
    run.World().simulate(0.6);
    run.Playground().Step();
    EXPECT_EQ(robot.GetScore(), 0);
    EXPECT_TRUE(run.Playground().GetTriggers()[0]->IsArmed()) << "no zone was checked";
    EXPECT_EQ(run.Playground().GetAlarms()[0]->GetCount(), 0);
    EXPECT_NEAR(geo->GetTransform().GetTranslation().z(), 10, 1e-5) << "no pose was refreshed";

    run.State().m_bStop = false;
    run.Playground().Step();
    EXPECT_TRUE(run.State().m_bStop);
    EXPECT_FALSE(run.Playground().GetTriggers()[0]->IsArmed());
    EXPECT_EQ(robot.GetScore(), 1);
    EXPECT_TRUE(run.Playground().GetTriggers()[2]->IsArmed());
    // A score zone checked while the run is stopped does nothing either.
    run.Playground().GetTriggers()[2]->Check();
    EXPECT_EQ(robot.GetScore(), 1);
    EXPECT_TRUE(run.Playground().GetTriggers()[2]->IsArmed());
    EXPECT_EQ(run.Playground().GetAlarms()[0]->GetCount(), 0);
    EXPECT_NEAR(geo->GetTransform().GetTranslation().z(), 10, 1e-5);

    // Without the end zone the step goes on to the rules and the poses.
    file.arrays[PlaygroundFile::ArrayTrigger].erase(file.arrays[PlaygroundFile::ArrayTrigger].begin() + 1);
    ASSERT_TRUE(run.Load(file));
    geo = run.Playground().GetGeos()[0].get();
    run.World().simulate(0.6);
    run.Playground().Step();
    EXPECT_EQ(robot.GetScore(), 6);
    EXPECT_EQ(run.Playground().GetAlarms()[0]->GetCount(), 1);
    EXPECT_LT(geo->GetTransform().GetTranslation().z(), 10);
}

// The largest positions and scales a file may hold, zero and mirrored
// scales and a zero rotation load, and the playground runs with them.
TEST(Playground, RunsWithTheLargestAndOddestNumbersAFileMayHold) {
    SimulationRun run;
    run.AddRobot(0, 0);
    PlaygroundFile file;
    const float far = float(PlaygroundFile::kMaxCoordinate);
    for (float scale : { 0.0f, -1.0f, float(PlaygroundFile::kMaxScale), 1e-30f }) {
        PlaygroundFile::Item slope = Item(ModelTypeSlope, "models/playground/slope.ive", { far, -far, 5 });
        slope.info.m_state.m_vScale.set(scale, scale, scale);
        file.arrays[PlaygroundFile::ArraySlope].push_back(slope);
        PlaygroundFile::Item ball = Item(ModelTypeGeo, "models/playground/ball.ive", { 0, 0, far });
        ball.info.m_state.m_vScale.set(scale, 1, scale);
        ball.info.m_state.m_cTake = 1;
        file.arrays[PlaygroundFile::ArrayGeometry].push_back(ball);
        PlaygroundFile::Item zone = Zone(TriggerDelivery, { 0, 0, 0 }, { scale, scale }, 1, 5);
        zone.info.m_state.m_qRot.set(0, 0, 0, 0);
        zone.info.m_state.m_vecObjList = { 1 };
        file.arrays[PlaygroundFile::ArrayTrigger].push_back(zone);
        file.arrays[PlaygroundFile::ArrayCandle].push_back(
            Item(ModelTypeCandle, "models/playground/candle.ive", { -far, 0, 0 }));
    }
    ASSERT_TRUE(run.Load(file));
    for (int i = 0; i < 20; ++i)
        run.Frame();
    run.Playground().UpdateScoreLabels();
    EXPECT_TRUE(run.Playground().GetTriggers()[0]->GetTransform().EpsilonEquals(scene::Transform()));
}
