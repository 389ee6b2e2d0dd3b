#include "platform/Warnings.h"
#include "platform/OwnerThread.h"

#include <gtest/gtest.h>

#include <thread>

TEST(Warnings, ACaptureCountsEveryWarningThenHandsBack) {
    platform::WarningCapture outer;
    platform::Warn("physics", "first");
    {
        platform::WarningCapture inner;
        platform::Warn("scene", "second");
        platform::Warn("scene", "second");
        std::thread([] { platform::Warn("collision", "third"); }).join();
        EXPECT_EQ(inner.Count(), 3u);
        EXPECT_EQ(inner.Count("scene"), 2u);
        EXPECT_EQ(inner.Count("physics"), 0u);
        EXPECT_EQ(inner.Lines().back(), "collision: third");
    }
    // The inner capture gave the outer one its handler back.
    platform::Warn("physics", "fourth");
    EXPECT_EQ(outer.Count(), 2u);
    EXPECT_EQ(outer.Lines(), (std::vector<std::string> { "physics: first", "physics: fourth" }));
}

TEST(OwnerThread, OnlyTheMakingThreadPassesTheCheck) {
    const platform::OwnerThread owner;
    EXPECT_TRUE(owner.IsCurrent());
    EXPECT_TRUE(owner.Check("physics", "here"));
#ifdef NDEBUG
    platform::WarningCapture warnings;
    bool passed = true;
    std::thread([&] { passed = owner.Check("scene", "Scene::AddDrawable"); }).join();
    EXPECT_FALSE(passed);
    ASSERT_EQ(warnings.Count("scene"), 1u);
    EXPECT_NE(warnings.Lines()[0].find("Scene::AddDrawable"), std::string::npos);
    EXPECT_TRUE(owner.Check("scene", "here"));
    EXPECT_EQ(warnings.Count(), 1u);
#else
    EXPECT_DEATH(std::thread([&] { owner.Check("scene", "Scene::AddDrawable"); }).join(), "");
#endif
}
