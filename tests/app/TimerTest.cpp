#include "app/Timer.h"

#include <cstdint>
#include <gtest/gtest.h>

namespace {

// A counter the test moves by hand: one tick per microsecond.
class TimerTest : public ::testing::Test {
protected:
    static constexpr std::int64_t kFrequency = 1000000;

    void Advance(double seconds) { now += static_cast<std::int64_t>(seconds * kFrequency); }

    std::int64_t now = 1000 * kFrequency; // well past 100 s, as a real counter is
    CTimer timer{[this] { return now; }, kFrequency};
};

TEST_F(TimerTest, FirstTickIsHalfASecond) {
    EXPECT_EQ(timer.Tick(), 0.5);
    Advance(0.04);
    EXPECT_NEAR(timer.Tick(), 0.04, 1e-6);
}

TEST_F(TimerTest, StepsOverOneHundredSecondsBecomeHalfASecond) {
    timer.Tick();
    Advance(150.0);
    EXPECT_EQ(timer.Tick(), 0.5);
    Advance(100.0);
    EXPECT_EQ(timer.Tick(), 100.0) << "exactly 100 s is returned unchanged";
    Advance(99.0);
    EXPECT_EQ(timer.Tick(), 99.0);
}

TEST_F(TimerTest, FrameRateIsRecomputedOnceTheSumExceedsOneSecond) {
    timer.Tick(); // 0.5 s into the sum already
    Advance(0.6);
    timer.Tick();
    EXPECT_EQ(timer.GetFrameRate(), 1) << "2 frames / 1.1 s";

    for (int frame = 1; frame <= 16; ++frame) {
        Advance(0.0625);
        timer.Tick();
        EXPECT_EQ(timer.GetFrameRate(), 1) << "a sum of exactly 1.0 does not yet count";
    }
    Advance(0.0625);
    timer.Tick();
    EXPECT_EQ(timer.GetFrameRate(), 16) << "17 frames / 1.0625 s";
}

TEST_F(TimerTest, FrameRateStartsAtTen) {
    EXPECT_EQ(timer.GetFrameRate(), 10);
}

TEST_F(TimerTest, GameClockRunsOnlyWhileStarted) {
    timer.Tick();
    Advance(0.02);
    timer.Tick();
    EXPECT_EQ(timer.GetGameClock(), 0.0);

    timer.StartClock();
    Advance(0.02);
    const double step = timer.Tick();
    EXPECT_EQ(timer.GetGameClock(), step);
    Advance(0.03);
    timer.Tick();
    EXPECT_NEAR(timer.GetGameClock(), 0.05, 1e-9);

    timer.StopClock();
    Advance(5.0);
    timer.Tick();
    EXPECT_NEAR(timer.GetGameClock(), 0.05, 1e-9);
}

TEST_F(TimerTest, ResumeLeavesThePauseOutAndResetClockStartsTheCourseAgain) {
    timer.Tick();
    timer.StartClock();
    Advance(0.02);
    timer.Tick();
    Advance(30.0); // paused for half a minute
    timer.Resume();
    Advance(0.016);
    EXPECT_NEAR(timer.Tick(), 0.016, 1e-6) << "the paused span is no step";
    EXPECT_NEAR(timer.GetGameClock(), 0.036, 1e-9);

    timer.ResetClock();
    EXPECT_EQ(timer.GetGameClock(), 0.0);
    Advance(0.02);
    timer.Tick();
    EXPECT_EQ(timer.GetGameClock(), 0.0) << "stopped until the start mark starts it";
}

TEST(Timer, NonPositiveFrequencyKeepsOneHundred) {
    std::int64_t now = 1000000;
    CTimer timer([&now] { return now; }, 0);
    timer.Tick();
    now += 5;
    EXPECT_DOUBLE_EQ(timer.Tick(), 0.05);
}

TEST(Timer, TheRealClockGivesHalfASecondFirstThenSmallSteps) {
    CTimer timer;
    EXPECT_EQ(timer.Tick(), 0.5);
    const double step = timer.Tick();
    EXPECT_GE(step, 0.0);
    EXPECT_LT(step, 1.0);
}

} // namespace
