#include "board/MemoryBudget.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using std::chrono::milliseconds;

// Shares come out while there is room, more than the whole is never given, and a share that goes
// makes room for one that waits.
TEST(MemoryBudget, SharesAreGivenWhileThereIsRoomAndComeBackWhenTheyGo) {
    CMemoryBudget budget(100);
    EXPECT_FALSE(budget.Take(101, milliseconds(0))) << "more than the whole";
    CMemoryBudget::CShare first = budget.Take(60, milliseconds(0));
    ASSERT_TRUE(first);
    EXPECT_FALSE(budget.Take(41, milliseconds(10))) << "no room in time";
    EXPECT_EQ(budget.GetTaken(), 60u);
    std::thread giving([&first] {
        std::this_thread::sleep_for(milliseconds(50));
        first = CMemoryBudget::CShare();
    });
    const CMemoryBudget::CShare waited = budget.Take(100, milliseconds(10000));
    giving.join();
    EXPECT_TRUE(waited) << "room made by the share that went";
    EXPECT_EQ(budget.GetTaken(), 100u);
}
