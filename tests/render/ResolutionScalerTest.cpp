#include "render/ResolutionScaler.h"

#include <gtest/gtest.h>

namespace {

constexpr int kReact = CResolutionScaler::kReactFrames;
constexpr int kClimb = CResolutionScaler::kClimbFrames;

// Feeds count frames that each took milliseconds; returns the scale after them.
int Feed(CResolutionScaler& scaler, double milliseconds, int count) {
    for (int frame = 0; frame < count; ++frame) {
        scaler.AddFrame(milliseconds);
    }
    return scaler.GetScalePercent();
}

// Calm frames of 5 ms teach the scaler that 5 ms do not scale with the picture.
CResolutionScaler CalmAt(double milliseconds) {
    CResolutionScaler scaler;
    Feed(scaler, milliseconds, 2 * kClimb);
    return scaler;
}

TEST(ResolutionScaler, StepsStraightToTheScaleExpectedToFitAndNeverBelowHalf) {
    CResolutionScaler scaler = CalmAt(5.0);
    EXPECT_EQ(scaler.GetUnscaledMs(), 5.0);
    EXPECT_EQ(Feed(scaler, 17.0, kReact / 2), 100) << "one slow frame is no trend";
    // 12 ms of fill: at 85 % 5 + 8.7 + 2 for the copy overruns 13.5; at 70 %, 12.9 does not.
    EXPECT_EQ(Feed(scaler, 17.0, 1), 70);
    EXPECT_EQ(Feed(scaler, 11.0, kReact), 70) << "it paid: 11 is under 95 % of 17";
    EXPECT_EQ(Feed(scaler, 25.0, kReact / 2), 70);
    EXPECT_EQ(Feed(scaler, 25.0, 1), 50);
    EXPECT_EQ(Feed(scaler, 25.0, kReact), 50)
        << "not undone: the frames were already known to be bound by their pixels";
    EXPECT_EQ(Feed(scaler, 40.0, 3 * kClimb), 50) << "the last step";
}

// Slow frames that a smaller picture does not help: the step down is undone, and what did not
// shrink is taken as the part that does not scale.
CResolutionScaler AfterAStepThatDidNotPay() {
    CResolutionScaler scaler = CalmAt(9.0);
    EXPECT_EQ(Feed(scaler, 20.0, kReact), 50);
    EXPECT_EQ(Feed(scaler, 19.5, kReact), 100) << "19.5 is not under 95 % of 20";
    EXPECT_NEAR(scaler.GetUnscaledMs(), 19.0, 0.1);
    return scaler;
}

TEST(ResolutionScaler, AStepDownThatDoesNotPayIsUndoneAndLearntFrom) {
    CResolutionScaler same = AfterAStepThatDidNotPay();
    EXPECT_EQ(Feed(same, 20.0, 10 * kClimb), 100) << "the same overrun is not tried again";
    EXPECT_EQ(Feed(same, 9.0, kReact), 100);
    EXPECT_EQ(same.GetUnscaledMs(), 9.0) << "calm frames bring the estimate down at once";
    EXPECT_EQ(Feed(same, 20.0, kReact), 50) << "and the next overrun is tried";

    // 30 ms leaves 11 ms over what did not shrink: 19 + 2.75 + 2 at 50 % is worth it.
    CResolutionScaler heavier = AfterAStepThatDidNotPay();
    EXPECT_EQ(Feed(heavier, 30.0, kReact), 50);
}

TEST(ResolutionScaler, ClimbsOneStepAtATimeOnlyWithRoomToSpare) {
    CResolutionScaler scaler = CalmAt(5.0);
    ASSERT_EQ(Feed(scaler, 30.0, 3), 50);
    // 12 ms at 50 % leaves about 4.5 ms of fill, twice that at 70 %: too slow to climb.
    EXPECT_EQ(Feed(scaler, 12.0, 3 * kClimb), 50);
    EXPECT_EQ(Feed(scaler, 8.0, kReact), 50) << "the window still holds the slower frames";
    int frames = 0;
    while (scaler.GetScalePercent() == 50 && frames < kClimb) {
        scaler.AddFrame(8.0);
        ++frames;
    }
    EXPECT_EQ(scaler.GetScalePercent(), 70) << "once the window's mean has room to spare";
    // 8.5 ms would be about 9 at 85 %: room to spare, but slower than now, so a whole window.
    EXPECT_EQ(Feed(scaler, 8.5, kClimb - 1), 70);
    EXPECT_EQ(Feed(scaler, 8.5, 1), 85);
    // 9 ms at 85 % would be about 7.6 at full, without the copy: faster, so up without waiting.
    EXPECT_EQ(Feed(scaler, 9.0, kReact - 1), 85);
    EXPECT_EQ(Feed(scaler, 9.0, 1), 100);
    // Frames between the thresholds neither drop nor climb: no switching to and fro.
    EXPECT_EQ(Feed(scaler, 14.5, 3 * kClimb), 100);
}

TEST(ResolutionScaler, LearnsWhatDoesNotScaleFromTheCalmerFrames) {
    CResolutionScaler scaler;
    EXPECT_LT(scaler.GetUnscaledMs(), 0.0) << "nothing known before the first frames";
    Feed(scaler, 8.0, kReact);
    EXPECT_EQ(scaler.GetUnscaledMs(), 8.0);
    Feed(scaler, 6.0, kReact);
    EXPECT_EQ(scaler.GetUnscaledMs(), 6.0) << "a calmer stretch counts at once";
    Feed(scaler, 14.0, kReact);
    EXPECT_GT(scaler.GetUnscaledMs(), 6.0);
    EXPECT_LT(scaler.GetUnscaledMs(), 7.0) << "a busy one only slowly";
    ASSERT_EQ(Feed(scaler, 30.0, 3), 50);
    Feed(scaler, 5.0, kReact);
    EXPECT_EQ(scaler.GetUnscaledMs(), 3.0) << "a scaled frame bounds it: 5 less the copy";
}

TEST(ResolutionScaler, FullResolutionIgnoresTheTimesUntilAutomaticAgain) {
    CResolutionScaler scaler = CalmAt(5.0);
    ASSERT_EQ(Feed(scaler, 40.0, 3), 50);
    scaler.SetAutomatic(false);
    EXPECT_EQ(scaler.GetScalePercent(), 100);
    EXPECT_EQ(Feed(scaler, 40.0, kClimb), 100);
    scaler.SetAutomatic(true);
    EXPECT_EQ(scaler.GetScalePercent(), 100) << "starts again from full";
    EXPECT_EQ(Feed(scaler, 40.0, kReact), 50);
}

} // namespace
