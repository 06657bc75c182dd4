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

TEST(ResolutionScaler, StepsDownWhileFramesOverrunAndEachStepPaysNeverBelowHalf) {
    CResolutionScaler scaler;
    EXPECT_EQ(scaler.GetScalePercent(), 100);
    for (int frame = 0; frame + 1 < CResolutionScaler::kWindow; ++frame) {
        scaler.AddFrame(40.0);
    }
    EXPECT_EQ(scaler.GetScalePercent(), 100) << "no decision before a whole window";
    scaler.AddFrame(40.0);
    EXPECT_EQ(scaler.GetScalePercent(), 85);
    EXPECT_EQ(Window(scaler, 32.0), 70) << "the step paid: 32 is under 85 % of 40";
    EXPECT_EQ(Window(scaler, 25.0), 50);
    EXPECT_EQ(Window(scaler, 20.0), 50) << "the last step";
    EXPECT_EQ(Window(scaler, 20.0), 50);
    EXPECT_EQ(Window(scaler, 14.0), 50) << "within the budget, but 19.6 ms at 70 %";
}

TEST(ResolutionScaler, AStepDownThatDoesNotPayIsUndoneAndNotTriedForAWhile) {
    CResolutionScaler scaler;
    ASSERT_EQ(Window(scaler, 20.0), 85);
    EXPECT_EQ(Window(scaler, 18.0), 100) << "18 is not under 85 % of 20";
    int heldFrames = 0;
    while (scaler.GetScalePercent() == 100 && heldFrames < 10 * CResolutionScaler::kHoldFrames) {
        scaler.AddFrame(20.0);
        ++heldFrames;
    }
    EXPECT_GE(heldFrames, CResolutionScaler::kHoldFrames);
    EXPECT_LE(heldFrames, CResolutionScaler::kHoldFrames + 2 * CResolutionScaler::kWindow);
}

TEST(ResolutionScaler, ClimbsOneStepAtATimeOnlyWithRoomToSpare) {
    CResolutionScaler scaler;
    Window(scaler, 40.0);
    Window(scaler, 30.0);
    ASSERT_EQ(Window(scaler, 20.0), 50);
    Window(scaler, 15.0);
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
    ASSERT_EQ(Window(scaler, 40.0), 85);
    scaler.SetAutomatic(false);
    EXPECT_EQ(scaler.GetScalePercent(), 100);
    EXPECT_EQ(Window(scaler, 40.0), 100);
    scaler.SetAutomatic(true);
    EXPECT_EQ(scaler.GetScalePercent(), 100) << "starts again from full";
    EXPECT_EQ(Window(scaler, 40.0), 85);
}

} // namespace
