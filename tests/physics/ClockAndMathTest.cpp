#include "physics/Pose.h"
#include "physics/StepClock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace physics;

namespace {

void ExpectNear(const Vec3& a, const Vec3& b, double eps = 1e-12) {
    EXPECT_NEAR(a.x, b.x, eps);
    EXPECT_NEAR(a.y, b.y, eps);
    EXPECT_NEAR(a.z, b.z, eps);
}

} // namespace

TEST(StepClock, AFrameOfSixTenthsIsThirtyStepsEveryTime) {
    // 0.6 / 0.02 is 29.999999999999996 in binary; a naive loop would take 29
    // steps in the first frame and drift from there.
    StepClock clock;
    ASSERT_TRUE(clock.setStepSize(0.02));
    for (int frame = 0; frame < 100000; ++frame) {
        ASSERT_EQ(clock.advance(0.6), 30) << "frame " << frame;
        ASSERT_EQ(clock.carried(), 0.0) << "frame " << frame;
    }
}

TEST(StepClock, CarriesWhatDoesNotFillAStep) {
    StepClock clock;
    EXPECT_EQ(clock.advance(0.03), 1);
    EXPECT_NEAR(clock.carried(), 0.01, 1e-12);
    EXPECT_EQ(clock.advance(0.01), 1);
    EXPECT_EQ(clock.carried(), 0.0);
    EXPECT_EQ(clock.advance(0.019), 0);
    EXPECT_EQ(clock.advance(0.001), 1);
    // Many small intervals add up to exact whole steps too.
    int steps = 0;
    for (int i = 0; i < 6000; ++i)
        steps += clock.advance(0.001);
    EXPECT_EQ(steps, 300);
}

TEST(StepClock, RefusesBadIntervalsAndStepSizes) {
    StepClock clock;
    EXPECT_EQ(clock.advance(-1.0), 0);
    EXPECT_EQ(clock.advance(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(clock.advance(std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(clock.carried(), 0.0);
    EXPECT_FALSE(clock.setStepSize(0.0));
    EXPECT_FALSE(clock.setStepSize(-0.02));
    EXPECT_FALSE(clock.setStepSize(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_DOUBLE_EQ(clock.stepSize(), 0.02);
    // A wild interval is cut instead of stalling the caller.
    EXPECT_EQ(clock.advance(1e12), StepClock::kMaxStepsPerInterval);
    EXPECT_EQ(clock.carried(), 0.0);
}

TEST(Pose, OffsetsTranslateThenRotateAboutTheirOwnOrigin) {
    // Translate to (0, 0, 1), then turn 90 degrees about z: the shape's own x
    // axis points along world y and its origin stays at (0, 0, 1).
    Pose offset;
    offset.translate(0.0, 0.0, 1.0).rotate(90.0, 0.0, 0.0, 1.0);
    ExpectNear(offset.position, { 0.0, 0.0, 1.0 });
    ExpectNear(offset.transformPoint({ 1.0, 0.0, 0.0 }), { 0.0, 1.0, 1.0 });
    // A further translation moves along the turned axes.
    offset.translate(1.0, 0.0, 0.0);
    ExpectNear(offset.position, { 0.0, 1.0, 1.0 });

    const Pose inverse = offset.inverse();
    ExpectNear((offset * inverse).position, { 0.0, 0.0, 0.0 });
    ExpectNear(inverse.transformPoint(offset.transformPoint({ 3.0, -2.0, 5.0 })), { 3.0, -2.0, 5.0 });
}

TEST(Quat, RotationsFollowHamiltonOrderAndSurviveBadInput) {
    const Quat aboutZ = Quat::fromAxisAngleDegrees({ 0.0, 0.0, 1.0 }, 90.0);
    const Quat aboutX = Quat::fromAxisAngleDegrees({ 1.0, 0.0, 0.0 }, 90.0);
    // (aboutZ * aboutX) turns about x first: y -> z, then z stays z.
    ExpectNear((aboutZ * aboutX).rotate({ 0.0, 1.0, 0.0 }), { 0.0, 0.0, 1.0 });
    ExpectNear((aboutX * aboutZ).rotate({ 0.0, 1.0, 0.0 }), { -1.0, 0.0, 0.0 });

    ExpectNear(Quat::rotationBetween({ 1.0, 0.0, 0.0 }, { -1.0, 0.0, 0.0 }).rotate({ 1.0, 0.0, 0.0 }),
        { -1.0, 0.0, 0.0 });
    EXPECT_EQ(Quat::fromAxisAngle({ 0.0, 0.0, 0.0 }, 1.0), Quat {});
    EXPECT_EQ((Quat { 0.0, 0.0, 0.0, 0.0 }).normalized(), Quat {});
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ((Quat { nan, 0.0, 0.0, 0.0 }).normalized(), Quat {});
}
