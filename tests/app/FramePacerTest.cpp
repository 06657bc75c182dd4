#include "app/FramePacer.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using Clock = CFramePacer::Clock;
using std::chrono::milliseconds;

// A clock the test moves: sleeping jumps to the wake-up time, a frame's work adds its length.
class FramePacerTest : public ::testing::Test {
protected:
    CFramePacer pacer{[this] { return now; },
                      [this](Clock::time_point until) {
                          sleeps.push_back(until - now);
                          now = until;
                      }};
    Clock::time_point now{milliseconds(1000)};
    std::vector<Clock::duration> sleeps;
};

TEST_F(FramePacerTest, FastFramesWaitForASixtiethOfASecond) {
    pacer.WaitForFrame(); // the first frame runs at once
    EXPECT_TRUE(sleeps.empty());
    const Clock::time_point start = now;
    for (int frame = 0; frame < 60; ++frame) {
        now += milliseconds(2); // the frame's work
        pacer.WaitForFrame();
    }
    EXPECT_EQ(sleeps.size(), 60u);
    // 60 frames after the first take one second, give or take the early wake-up.
    const auto elapsed = now - start;
    EXPECT_GE(elapsed, std::chrono::seconds(1) - CFramePacer::kSlack);
    EXPECT_LE(elapsed, std::chrono::seconds(1));
}

TEST_F(FramePacerTest, SlowFramesRunAtOnceAndDoNotMakeTheNextOnesRush) {
    pacer.WaitForFrame();
    now += milliseconds(50); // a slow frame
    pacer.WaitForFrame();
    EXPECT_TRUE(sleeps.empty());
    now += milliseconds(1); // then a fast one waits a whole period from the late start
    pacer.WaitForFrame();
    ASSERT_EQ(sleeps.size(), 1u);
    EXPECT_EQ(sleeps[0], CFramePacer::kFramePeriod - milliseconds(1) - CFramePacer::kSlack);
}

} // namespace
