#include "fx/Hud.h"

#include <climits>
#include <gtest/gtest.h>
#include <string>

namespace {

std::string Fps(int framesPerSecond) {
    char text[CHud::kTextSize];
    CHud::FormatFps(framesPerSecond, text);
    return text;
}

std::string Time(double seconds) {
    char text[CHud::kTextSize];
    CHud::FormatTime(seconds, text);
    return text;
}

} // namespace

TEST(HudRules, ANewSecondIsFlaggedOnlyInItsFirstFrameAndNotAcrossTheMinuteWrap) {
    EXPECT_EQ(CHud::IsNewSecond(0.0, 0.5), 0);
    EXPECT_EQ(CHud::IsNewSecond(10.98, 11.01), 1);
    EXPECT_EQ(CHud::IsNewSecond(11.01, 11.5), 0);
    EXPECT_EQ(CHud::IsNewSecond(10.5, 13.5), 1); // a long frame that skips seconds
    EXPECT_EQ(CHud::IsNewSecond(58.5, 59.0), 1);
    EXPECT_EQ(CHud::IsNewSecond(59.9, 60.1), 0);
    EXPECT_EQ(CHud::IsNewSecond(119.9, 120.0), 0);
    EXPECT_EQ(CHud::IsNewSecond(60.1, 61.0), 1);
}

TEST(HudRules, TheClockReadsMinutesAndTwoDigitSeconds) {
    EXPECT_EQ(Time(0.0), "0:00");
    EXPECT_EQ(Time(59.9), "0:59");
    EXPECT_EQ(Time(60.1), "1:00");
    EXPECT_EQ(Time(3725.4), "62:05");
}

TEST(HudRules, TheFrameRateHasAtLeastTwoDigits) {
    EXPECT_EQ(Fps(7), "07 FPS");
    EXPECT_EQ(Fps(0), "00 FPS");
    EXPECT_EQ(Fps(1234), "1234 FPS");
    EXPECT_EQ(Fps(INT_MIN), "-2147483648 FPS"); // the widest int still fits the buffer
}
