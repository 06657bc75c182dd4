#include "base/SaveQueue.h"

#include <atomic>
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

TEST(SaveQueue, JobsRunInOrderOffTheCallersThreadAWaitIsBoundedAndNothingPostedIsLost) {
    std::mutex doneMutex;
    std::vector<int> done;
    const auto finish = [&](int job) {
        const std::lock_guard<std::mutex> lock(doneMutex);
        done.push_back(job);
    };
    std::promise<void> open;
    std::shared_future<void> gate = open.get_future().share();
    std::thread::id ranOn;
    {
        CSaveQueue queue;
        queue.Post([&] {
            ranOn = std::this_thread::get_id();
            gate.wait();
            finish(1);
        });
        queue.Post([&] { finish(2); });
        EXPECT_FALSE(queue.Wait(50ms)) << "the first job is still held";
        open.set_value();
        EXPECT_TRUE(queue.Wait(60s));
        EXPECT_EQ(done, (std::vector<int>{1, 2}));
        EXPECT_NE(ranOn, std::this_thread::get_id());
        queue.Post([&] {
            std::this_thread::sleep_for(20ms);
            finish(3);
        });
    } // the queue goes: what was posted still runs
    EXPECT_EQ(done, (std::vector<int>{1, 2, 3}));
}

// A quit that gave up leaves the job running; the queue itself may go before it ends.
TEST(SaveQueue, AnAbandonedJobOutlivesItsQueue) {
    std::promise<void> open;
    std::shared_future<void> gate = open.get_future().share();
    auto finished = std::make_shared<std::atomic<bool>>(false);
    {
        CSaveQueue queue;
        queue.Post([gate, finished] {
            gate.wait();
            *finished = true;
        });
        EXPECT_FALSE(queue.Wait(20ms));
        queue.Abandon();
    }
    open.set_value();
    for (int i = 0; i < 6000 && !*finished; ++i) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_TRUE(*finished);
}
