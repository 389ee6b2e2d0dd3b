#include "platform/CpuProbe.h"
#include "platform/ProgramDir.h"

#include <gtest/gtest.h>

TEST(CpuProbe, ThresholdIsInclusiveAtTwo) {
    // One processor whose counter advanced by 200 million in 100 ms: 2.0.
    EXPECT_DOUBLE_EQ(platform::CpuPowerFromSample(1, 200'000'000), 2.0);
    EXPECT_TRUE(platform::IsFastMachine(platform::CpuPowerFromSample(1, 200'000'000)));
    // The remainder of the million division is dropped: 199.999999 M -> 1.99.
    EXPECT_DOUBLE_EQ(platform::CpuPowerFromSample(1, 199'999'999), 1.99);
    EXPECT_FALSE(platform::IsFastMachine(1.99));
    // Two processors at 1 GHz.
    EXPECT_DOUBLE_EQ(platform::CpuPowerFromSample(2, 100'000'000), 2.0);
}

TEST(CpuProbe, MeasuresSomethingPlausible) {
    EXPECT_GE(platform::ProcessorCount(), 1u);
    const double power = GetCpuPower();
    EXPECT_GT(power, 0.0);
}

TEST(ProgramDir, IsTheExecutablesFolder) {
    EXPECT_EQ(platform::ProgramDir(), std::filesystem::path(MORVANE_TEST_DIR));
    EXPECT_EQ(platform::InProgramDir("XML/a.xml"), std::filesystem::path(MORVANE_TEST_DIR) / "XML/a.xml");
    EXPECT_EQ(platform::InProgramDir("/etc/x"), std::filesystem::path("/etc/x"));
}

TEST(ProgramDir, OneRuleForEveryPathTheSystemIsGiven) {
    const std::filesystem::path folder = "/opt/Morvane";
    EXPECT_EQ(platform::ResolveInFolder(folder, "XML/Settings.dat"), "/opt/Morvane/XML/Settings.dat");
    EXPECT_EQ(platform::ResolveInFolder(folder, "/home/pupil/robot.so"), "/home/pupil/robot.so");
    // Normal form, without a trailing separator.
    EXPECT_EQ(platform::ResolveInFolder(folder, "StuFile/"), "/opt/Morvane/StuFile");
    EXPECT_EQ(platform::ResolveInFolder(folder, "./a/../Temp"), "/opt/Morvane/Temp");
    EXPECT_EQ(platform::ResolveInFolder(folder, "/srv//results/"), "/srv/results");
    EXPECT_EQ(platform::ResolveInFolder(folder, "/"), "/");
}
