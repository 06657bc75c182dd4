#include "render/ResolutionScaler.h"

#include <gtest/gtest.h>

namespace {

// Feeds a whole window of frames that each took milliseconds; returns the scale after them.
int Window(CResolutionScaler& scaler, double milliseconds) {
    for (int frame = 0; frame < CResolutionScaler::kWindow; ++frame) {
        scaler.AddFrame(milliseconds);
    }
    return scaler.GetScalePercent();
}

TEST(ResolutionScaler, StepsDownWhileFramesOverrunAndNeverBelowHalf) {
    CResolutionScaler scaler;
    EXPECT_EQ(scaler.GetScalePercent(), 100);
    for (int frame = 0; frame + 1 < CResolutionScaler::kWindow; ++frame) {
        scaler.AddFrame(40.0);
    }
    EXPECT_EQ(scaler.GetScalePercent(), 100) << "no decision before a whole window";
    scaler.AddFrame(40.0);
    EXPECT_EQ(scaler.GetScalePercent(), 85);
    EXPECT_EQ(Window(scaler, 40.0), 70);
    EXPECT_EQ(Window(scaler, 40.0), 50);
    EXPECT_EQ(Window(scaler, 40.0), 50) << "the last step";
    EXPECT_EQ(Window(scaler, 14.0), 50) << "within the budget, but 19.6 ms at 70 %";
}

TEST(ResolutionScaler, ClimbsOneStepAtATimeOnlyWithRoomToSpare) {
    CResolutionScaler scaler;
    Window(scaler, 40.0);
    Window(scaler, 40.0);
    ASSERT_EQ(Window(scaler, 40.0), 50);
    // At 50 % a frame of 9 ms would take 12.6 at 70 %: under 13, so up.
    EXPECT_EQ(Window(scaler, 9.0), 70);
    // 11 ms at 70 % is 13.4 at 85 %: it stays, although under the budget.
    EXPECT_EQ(Window(scaler, 11.0), 70);
    EXPECT_EQ(Window(scaler, 10.0), 85);
    EXPECT_EQ(Window(scaler, 10.0), 100);
    EXPECT_EQ(Window(scaler, 12.0), 100);
    // A frame between the thresholds neither drops nor climbs: no switching to and fro.
    EXPECT_EQ(Window(scaler, 16.0), 85);
    EXPECT_EQ(Window(scaler, 11.5), 85);
}

TEST(ResolutionScaler, FullResolutionIgnoresTheTimesUntilAutomaticAgain) {
    CResolutionScaler scaler;
    Window(scaler, 40.0);
    ASSERT_EQ(scaler.GetScalePercent(), 85);
    scaler.SetAutomatic(false);
    EXPECT_EQ(scaler.GetScalePercent(), 100);
    EXPECT_EQ(Window(scaler, 40.0), 100);
    scaler.SetAutomatic(true);
    EXPECT_EQ(scaler.GetScalePercent(), 100) << "starts again from full";
    EXPECT_EQ(Window(scaler, 40.0), 85);
}

} // namespace
