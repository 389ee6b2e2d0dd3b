// Every file of ours is read and written with a decimal point, whatever the
// user's locale: Qt sets the C library's locale from it at start, and in many
// countries its decimal point is a comma.

#include "elements/ModelDatabase.h"
#include "simulation/PlaygroundFile.h"
#include "simulation/RobotFile.h"
#include "support/CommaDecimalLocale.h"

#include <tinyxml.h>

#include <gtest/gtest.h>

#include <string>

TEST(FilesInAnyLocale, FractionsKeepTheirDecimalPointUnderADecimalComma) {
    bool commaInTheCLibrary = false;
    {
        testsupport::CommaDecimalLocale comma(std::string(MORVANE_TEST_DIR) + "/locales");
        commaInTheCLibrary = comma.Active();

        // The model entries of the set-up file.
        TiXmlDocument setUp;
        setUp.Parse(R"(<set_up><obj address="models/a.ive">)"
                    R"(<box><center x="1.5" y="-0.25" z="2.75"/><p x="0.5" y="0" z="0"/>)"
                    R"(<p x="0" y="1.25" z="0"/><p x="0" y="0" z="+0.125"/></box>)"
                    R"(<point x=" 0.5" y="-1.5" z="0.25" range="0.75" length="2.5"/></obj></set_up>)");
        const ModelDatabase models(setUp.FirstChildElement("set_up"), 5);
        const ModelEntry* entry = models.Find("models/a.ive");
        ASSERT_NE(entry, nullptr);
        ASSERT_EQ(entry->boxes.size(), 1u);
        EXPECT_EQ(entry->boxes[0].m_vCenter, osg::Vec3f(1.5f, -0.25f, 2.75f));
        ASSERT_EQ(entry->boxes[0].m_vecAxes.size(), 3u);
        EXPECT_EQ(entry->boxes[0].m_vecAxes[0], osg::Vec3f(0.5f, 0, 0));
        EXPECT_EQ(entry->boxes[0].m_vecAxes[1], osg::Vec3f(0, 1.25f, 0));
        EXPECT_EQ(entry->boxes[0].m_vecAxes[2], osg::Vec3f(0, 0, 0.125f));
        ASSERT_EQ(entry->points.size(), 1u);
        EXPECT_EQ(entry->points[0].m_vPos, osg::Vec3f(0.5f, -1.5f, 0.25f));
        EXPECT_EQ(entry->points[0].m_dRange, 0.75);
        EXPECT_EQ(entry->points[0].m_dLength, 2.5);

        // A robot file, read and written.
        RobotFileData robot;
        ASSERT_EQ(simulation::ParseRobotXml(
                      R"(<data><rcu l="1"><obj address="models/rcu/rcu.ive" x="1.5")"
                      R"( y="-0.25" z="2.75" q_x="0" q_y="0" q_z="0.6" q_w="0.8"/></rcu></data>)",
                      robot),
            simulation::RobotFileStatus::Read);
        EXPECT_EQ(robot.m_rcu.m_vPos, osg::Vec3d(1.5, -0.25, 2.75));
        EXPECT_EQ(robot.m_rcu.m_qRot.z(), 0.6);
        EXPECT_EQ(robot.m_rcu.m_qRot.w(), 0.8);
        const std::string robotText = simulation::WriteRobotXml(robot);
        EXPECT_NE(robotText.find(R"(x="1.5" y="-0.25" z="2.75")"), std::string::npos) << robotText;
        EXPECT_NE(robotText.find(R"(q_z="0.6" q_w="0.8")"), std::string::npos) << robotText;

        // A playground file, written and read.
        PlaygroundFile playground;
        CModelInfo candle;
        candle.m_desc.m_nType = PlaygroundFile::ArrayType(PlaygroundFile::ArrayCandle);
        candle.m_desc.m_strAddress = "models/candle.ive";
        candle.m_state.m_vPos.set(1.5f, -2.25f, 0.75f);
        ASSERT_TRUE(playground.Add(candle, 7));
        const std::string playgroundText = playground.ToXml();
        EXPECT_NE(playgroundText.find("<double>1.500000</double>"), std::string::npos);
        EXPECT_NE(playgroundText.find("<double>-2.250000</double>"), std::string::npos);
        PlaygroundFile read;
        std::string error;
        ASSERT_TRUE(read.FromXml(playgroundText, error)) << error;
        ASSERT_EQ(read.arrays[PlaygroundFile::ArrayCandle].size(), 1u);
        EXPECT_EQ(
            read.arrays[PlaygroundFile::ArrayCandle][0].info.m_state.m_vPos, osg::Vec3f(1.5f, -2.25f, 0.75f));
    }
    if (!commaInTheCLibrary) {
        GTEST_SKIP() << "no locale with a decimal comma here; only the C++ global locale was changed";
    }
}
