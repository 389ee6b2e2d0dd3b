// The students' examples, built from sdk/ into the program folder, run as any
// student's program runs.
#include "simulation/CRobotProgram.h"

#include "platform/ProgramDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

std::string Example(const char* name) {
    return std::string(MORVANE_PROGRAM_DIR) + "/sdk/examples/" + name + ".so";
}

class ExampleProgram : public ::testing::Test {
protected:
    ~ExampleProgram() override {
        m_program.UnloadProgram();
        for (const std::string& name : m_program.GetTempDllNames())
            std::filesystem::remove(platform::InProgramDir(name));
    }

    std::string Step(const std::string& input) {
        std::string output;
        m_program.Exchange(input, output);
        return output;
    }

    CRobotProgram m_program;
};

} // namespace

TEST_F(ExampleProgram, DriveAndBlink) {
    ASSERT_TRUE(m_program.LoadProgram(Example("drive_and_blink"), 0));
    EXPECT_EQ(Step("0 "), "1*50* 2*50* l3*1*");
    EXPECT_EQ(Step("10 "), "1*50* 2*50* l3*0*");
    EXPECT_EQ(Step("99 "), "1*50* 2*50* l3*0*");
    EXPECT_EQ(Step("100 "), "1*40* 2*-40* l3*2*");
    EXPECT_EQ(Step("119 "), "1*40* 2*-40* l3*2*");
    EXPECT_EQ(Step("120 "), "1*50* 2*50* l3*1*");
    EXPECT_TRUE(m_program.IsLoaded());
}

TEST_F(ExampleProgram, LineFollower) {
    ASSERT_TRUE(m_program.LoadProgram(Example("line_follower"), 0));
    EXPECT_EQ(Step("0 3*4*50* 4*4*200* "), "1*10* 2*40* l5*4*");
    EXPECT_EQ(Step("1 3*4*200* 4*4*20* "), "1*40* 2*10* l5*6*");
    EXPECT_EQ(Step("2 3*4*200* 4*4*200* "), "1*35* 2*35* l5*2*");
    EXPECT_EQ(Step("3 3*4*0* 4*4*0* "), "1*35* 2*35* l5*2*");
    // Sensors on other ports, or without a reading, count as bright ground.
    EXPECT_EQ(Step("4 1*0*1* 3*4*10* 4*4* "), "1*10* 2*40* l5*4*");
    EXPECT_EQ(Step("5 "), "1*35* 2*35* l5*2*");
    EXPECT_EQ(Step("6 3*4* 4*4*200* "), "1*35* 2*35* l5*2*");
    EXPECT_TRUE(m_program.IsLoaded());
}

TEST_F(ExampleProgram, ProgramsMayBeWrittenInCpp) {
    ASSERT_TRUE(m_program.LoadProgram(std::string(MORVANE_TEST_PROGRAM_DIR) + "/cpp.so", 0));
    EXPECT_EQ(Step("7 1*0*1* "), "c++ got 7 1*0*1* ");
}
