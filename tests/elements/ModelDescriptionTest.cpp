#include "PartFixture.h"

#include "elements/CModel.h"
#include "elements/ModelDatabase.h"
#include "foundation/CConfig.h"
#include "platform/ProgramDir.h"

#include <osg/Quat>
#include <tinyxml.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

// A model database over one set-up text, with the lines it reported.
struct Database {
    TiXmlDocument doc;
    std::vector<std::string> reports;
    PartContextPtr context;

    explicit Database(const std::string& setUp) {
        doc.Parse(setUp.c_str());
        context = std::make_shared<const PartContext>(PartConstants(),
            ModelDatabase(doc.FirstChildElement("set_up"), 5,
                [this](const std::string& line) { reports.push_back(line); }));
    }

    osg::ref_ptr<CModel> PartWithPorts(const std::string& address) {
        osg::ref_ptr<CModel> part = new CModel(context, address);
        part->ReadPoints();
        return part;
    }
};

CPoint ReadOnePoint(const std::string& element) {
    TiXmlDocument doc;
    doc.Parse(element.c_str());
    CPoint p;
    EXPECT_TRUE(ModelDatabase::ReadPoint(*doc.RootElement(), 5, p));
    return p;
}

void ExpectNear(const osg::Vec3f& actual, const osg::Vec3f& expected) {
    EXPECT_NEAR(actual.x(), expected.x(), 1e-5);
    EXPECT_NEAR(actual.y(), expected.y(), 1e-5);
    EXPECT_NEAR(actual.z(), expected.z(), 1e-5);
}

// The half sizes of a port box along the point's own axes: its eight
// corners' spread in x, y and z, halved.
osg::Vec3f HalfSizes(const CPoint& p) {
    osg::Vec3f lo(1e9, 1e9, 1e9), hi(-1e9, -1e9, -1e9);
    for (int k = 0; k < 8; ++k) {
        const osg::Vec3f c = p.m_vecPoints[k] - p.m_vPos;
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min(lo[a], c[a]);
            hi[a] = std::max(hi[a], c[a]);
        }
    }
    return (hi - lo) / 2.0f;
}

} // namespace

TEST(ModelDescription, APointReadsWithItsDefaultsAndCorrections) {
    const CPoint bare = ReadOnePoint("<point/>");
    EXPECT_EQ(bare.m_nMale, 0);
    EXPECT_EQ(bare.m_nKind, 0);
    EXPECT_EQ(bare.m_vPos, osg::Vec3f(0, 0, 0));
    EXPECT_EQ(bare.m_vDir, osg::Vec3f(0, 0, 1));
    EXPECT_EQ(bare.m_vDir2, osg::Vec3f(0, 1, 0));
    EXPECT_DOUBLE_EQ(bare.m_dRange, 0.6);
    EXPECT_DOUBLE_EQ(bare.m_dLength, 1.0);
    EXPECT_EQ(bare.m_nGridX, 1);
    EXPECT_EQ(bare.m_nGridY, 1);

    EXPECT_EQ(ReadOnePoint(R"(<point type="7"/>)").m_nKind, 0);
    EXPECT_EQ(ReadOnePoint(R"(<point type="-1"/>)").m_nKind, 0);
    EXPECT_EQ(ReadOnePoint(R"(<point type="4"/>)").m_nKind, 4);
    EXPECT_EQ(ReadOnePoint(R"(<point male="2"/>)").m_nMale, 0);
    EXPECT_EQ(ReadOnePoint(R"(<point male="1"/>)").m_nMale, 1);
    EXPECT_DOUBLE_EQ(ReadOnePoint(R"(<point range="-3"/>)").m_dRange, 0.6);
    EXPECT_EQ(ReadOnePoint(R"(<point grid_x="0" grid_y="-4"/>)").m_nGridX, 1);
    // A direction off the z axis gets a second direction along z.
    EXPECT_EQ(ReadOnePoint(R"(<point dir_x="1"/>)").m_vDir2, osg::Vec3f(0, 0, 1));
    // Lengths belong to kind 0, third directions to kind 2.
    const CPoint shaft = ReadOnePoint(R"(<point type="1" length="5" dirgay_x="1"/>)");
    EXPECT_DOUBLE_EQ(shaft.m_dLength, 0.0);
    EXPECT_EQ(shaft.m_vDir3, osg::Vec3f(0, 0, 0));
    EXPECT_EQ(ReadOnePoint(R"(<point type="2"/>)").m_vDir3, osg::Vec3f(0, 1, 0));
    EXPECT_DOUBLE_EQ(ReadOnePoint(R"(<point length="-2"/>)").m_dLength, 1.0);
}

TEST(ModelDescription, PortBoxesHaveTheBoxLimitAcrossAndAlong) {
    const PartConstants k;
    CPoint female = ReadOnePoint(R"(<point type="1" dir_x="-1" dir2_z="1"/>)");
    female.BuildPoints(k);
    ASSERT_EQ(female.m_vecPoints.size(), 8u);
    // The box limit plus 0.1 across the direction, the box limit along it
    // (here the direction is -x).
    ExpectNear(HalfSizes(female), osg::Vec3f(0.4f, 0.5f, 0.5f));
    CPoint male = ReadOnePoint(R"(<point male="1" type="1"/>)");
    male.BuildPoints(k);
    ExpectNear(HalfSizes(male), osg::Vec3f(0.4f, 0.4f, 0.5f));

    // A kind 0 point of length 3: the box reaches 3 along its axis, 3.1 when
    // male, and its ninth sub-point is the tip of the axis.
    CPoint axle = ReadOnePoint(R"(<point type="0" length="3" x="1" dir_y="1" dir2_z="1"/>)");
    axle.BuildPoints(k);
    ASSERT_EQ(axle.m_vecPoints.size(), 9u);
    ExpectNear(axle.m_vecPoints[8], osg::Vec3f(1, 3, 0));
    ExpectNear(HalfSizes(axle), osg::Vec3f(0.5f, 3.0f, 0.5f));

    // A stud grid 2 x 3: one cell's box plus half a cell per further cell.
    CPoint grid = ReadOnePoint(R"(<point male="1" type="3" grid_x="2" grid_y="3"/>)");
    grid.BuildPoints(k);
    ExpectNear(HalfSizes(grid), osg::Vec3f(1.4f, 2.4f, 0.5f));
}

TEST(ModelDescription, GridPointsAreLaidOutInRowsAndCells) {
    Database db(R"(<set_up><obj address="m">
        <point male="1" type="3" x="10" y="20" z="3" dir_x="1" dir2_y="1" grid_x="3" grid_y="2"/>
      </obj></set_up>)");
    osg::ref_ptr<CModel> part = db.PartWithPorts("m");
    const CModelDesc& desc = part->GetDesc();
    // The point, then per row the row point and its two cells.
    ASSERT_EQ(desc.m_vecPoints.size(), 10u);
    ASSERT_EQ(desc.m_vecPortTable[CModelDesc::Male].size(), 1u);
    const SPortDir& dir = desc.m_vecPortTable[CModelDesc::Male][0].m_vecDirs[3].at(0);
    ASSERT_EQ(dir.m_vecPorts.size(), 1u);
    const SPort& port = dir.m_vecPorts[0];
    EXPECT_EQ(port.m_nPoint, 0);
    ASSERT_EQ(port.m_vecRows.size(), 3u);
    // The point faces +x: its turned x axis is -z (z goes onto +x, then the
    // turned y stays y), so rows run 2 apart along z, cells 2 apart along y.
    const float rowZ[3] = { 5, 3, 1 };
    for (int i = 0; i < 3; ++i) {
        const SPortRow& row = port.m_vecRows[i];
        EXPECT_EQ(row.m_nRow, 1 + 3 * i);
        ExpectNear(desc.m_vecPoints[row.m_nRow].m_vPos, osg::Vec3f(10, 20, rowZ[i]));
        EXPECT_EQ(desc.m_vecPoints[row.m_nRow].m_nGridX, 1);
        EXPECT_EQ(desc.m_vecPoints[row.m_nRow].m_nGridY, 2);
        ASSERT_EQ(row.m_vecCells.size(), 2u);
        ExpectNear(desc.m_vecPoints[row.m_vecCells[0]].m_vPos, osg::Vec3f(10, 19, rowZ[i]));
        ExpectNear(desc.m_vecPoints[row.m_vecCells[1]].m_vPos, osg::Vec3f(10, 21, rowZ[i]));
        EXPECT_EQ(desc.m_vecPoints[row.m_vecCells[1]].GridCount(), 1);
    }
    // Points know their part: they follow its pose.
    part->SetPose(osg::Vec3f(0, 0, 100), osg::Quat(), false, false);
    ExpectNear(desc.m_vecPoints[0].WorldPos(-1), osg::Vec3f(10, 20, 103));
}

TEST(ModelDescription, PointsAreFiledBySideRangeKindAndDirection) {
    Database db(R"(<set_up><obj address="m">
        <point male="1" type="0" dir_z="1"/>
        <point male="1" type="0" dir_z="-1"/>
        <point male="1" type="1" dir_z="1"/>
        <point male="1" type="1" dir_z="-1"/>
        <point male="1" type="1" dir_z="1" range="0.60001"/>
        <point male="0" type="3" range="0.6"/>
      </obj></set_up>)");
    osg::ref_ptr<CModel> part = db.PartWithPorts("m");
    const CModelDesc& desc = part->GetDesc();
    ASSERT_EQ(desc.m_vecPortTable[CModelDesc::Female].size(), 1u);
    const auto& male = desc.m_vecPortTable[CModelDesc::Male];
    // Ranges are compared exactly.
    ASSERT_EQ(male.size(), 2u);
    EXPECT_DOUBLE_EQ(male[0].m_dRange, 0.6);
    // Axes are parallel either way round; other kinds need the same direction.
    ASSERT_EQ(male[0].m_vecDirs[0].size(), 1u);
    EXPECT_EQ(male[0].m_vecDirs[0][0].m_vecPorts.size(), 2u);
    EXPECT_EQ(male[0].m_vecDirs[1].size(), 2u);
    EXPECT_EQ(male[1].m_vecDirs[1].size(), 1u);

    // Reading again files each point once.
    part->ReadPoints();
    EXPECT_EQ(part->GetDesc().m_vecPoints.size(), 6u);
    EXPECT_EQ(part->GetDesc().m_vecPortTable[CModelDesc::Male][0].m_vecDirs[0][0].m_vecPorts.size(), 2u);
    EXPECT_EQ(part->GetPointGrid(5, 2), 1);
    EXPECT_EQ(part->GetPointGrid(6, 2), 0);
    EXPECT_EQ(part->GetPoint(-1), nullptr);
}

TEST(ModelDescription, UnsoundEntriesAreReportedAndLeftOut) {
    Database db(R"(<set_up>
      <obj address="m">
        <box><center z="1"/><p x="1"/><p y="2"/><p z="0.5"/></box>
        <box><p x="1"/><p y="2"/><p z="0.5"/></box>
        <box><center/><p x="1"/><p y="2"/></box>
        <box><center x="nan"/><p x="1"/><p y="2"/><p z="0.5"/></box>
        <point type="3" grid_x="100000" grid_y="3"/>
        <point type="3" x="inf"/>
      </obj>
      <obj address="m"><box><center/><p x="9"/><p y="9"/><p z="9"/></box></obj>
    </set_up>)");
    // Three boxes and one point left out, one grid cut: a line each.
    EXPECT_EQ(db.reports.size(), 5u);
    for (const std::string& line : db.reports)
        EXPECT_NE(line.find("\"m\""), std::string::npos) << line;
    osg::ref_ptr<CModel> part = new CModel(db.context, "m");
    ASSERT_TRUE(part->ReadBoxes());
    ASSERT_EQ(part->GetDesc().m_vecBoxes.size(), 1u);
    EXPECT_EQ(part->GetDesc().m_vecBoxes[0].m_vCenter, osg::Vec3f(0, 0, 1));
    // Reading again keeps each box once.
    part->ReadBoxes();
    EXPECT_EQ(part->GetDesc().m_vecBoxes.size(), 1u);
    // The grid is cut to 64 x 3: the point, 64 rows and 192 cells.
    part->ReadPoints();
    EXPECT_EQ(part->GetDesc().m_vecPoints.size(), 1u + 64u * 4u);
    EXPECT_EQ(part->GetPointGrid(0, 0), ModelDatabase::kMaxGrid);
    // A model without an entry has neither boxes nor ports.
    osg::ref_ptr<CModel> unknown = new CModel(db.context, "models/none.ive");
    EXPECT_FALSE(unknown->ReadBoxes());
    unknown->ReadPoints();
    EXPECT_TRUE(unknown->GetDesc().m_vecPoints.empty());
}

TEST(ModelDescription, CopiesOfRecordsFollowTheRecordTheyAreIn) {
    const PartContextPtr& library = elementstest::LibraryContext();
    osg::ref_ptr<CModel> brick = elementstest::LoadPart("models/brick/brick_2x2.ive");
    SPartOwner owner = elementstest::RobotBuilderOwner();
    brick->Place(&owner, PlaceAdded);
    brick->SetPose(osg::Vec3f(4, 0, 0), osg::Quat(), false, false);
    ASSERT_FALSE(brick->GetDesc().m_vecPoints.empty());
    const osg::Vec3f top = brick->GetDesc().m_vecPoints[0].WorldPos(-1);

    // An undo step's copy: its points no longer answer for the part.
    auto copy = std::make_unique<CModelData>(brick->GetData());
    EXPECT_EQ(copy->m_info.m_desc.m_vecPoints[0].m_pOwner, copy.get());
    CModelInfo clip = brick->GetInfo();
    EXPECT_EQ(clip.m_desc.m_vecPoints[0].m_pOwner, nullptr);

    // Pasted into a new part, the points follow the new part.
    osg::ref_ptr<CModel> pasted = new CModel(library, brick->GetAddress());
    pasted->GetData() = *copy;
    copy.reset();
    pasted->SetPose(osg::Vec3f(4, 10, 0), osg::Quat(), false, false);
    EXPECT_EQ(pasted->GetDesc().m_vecPoints[0].WorldPos(-1), top + osg::Vec3f(0, 10, 0));
    EXPECT_EQ(brick->GetDesc().m_vecPoints[0].WorldPos(-1), top);
    // The collision model stays with its part: a copy never takes it.
    EXPECT_NE(brick->GetCollisionModel(), nullptr);
    EXPECT_EQ(pasted->GetCollisionModel(), nullptr);
}

TEST(ModelDescription, EveryEntryOfTheLibraryIsReadOnceAndSoundly) {
    std::vector<std::string> reports;
    platform::OverrideProgramDir(MORVANE_PROGRAM_DIR);
    const PartContextPtr& context = elementstest::LibraryContext();
    EXPECT_GT(context->Database().Size(), 40u);
    // The library's own entries need no repair.
    CConfig config(MORVANE_PROGRAM_DIR);
    ModelDatabase again
        = ModelDatabase::FromConfig(config, [&](const std::string& l) { reports.push_back(l); });
    EXPECT_TRUE(reports.empty());
    const ModelEntry* brick = again.Find("models/brick/brick_2x4.ive");
    ASSERT_NE(brick, nullptr);
    EXPECT_EQ(brick->boxes.size(), 1u);
    EXPECT_EQ(brick->points.size(), 2u);
}
