#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// The checks waiting and the workers that run them: at most `workers` at once, at most
// `capacity` waiting; a check offered to a full queue is refused at once, never queued.
class CCheckQueue {
public:
    CCheckQueue(int workers, std::size_t capacity);
    ~CCheckQueue(); // lets the running checks end; the waiting ones are dropped
    CCheckQueue(const CCheckQueue&) = delete;
    CCheckQueue& operator=(const CCheckQueue&) = delete;

    // False when every worker is busy and capacity checks wait. then runs once the worker is
    // counted free again, so that whoever waits on it can post the next check at once.
    bool TryPost(std::function<void()> check, std::function<void()> then = {});
    std::size_t GetWaiting() const;
    int GetRunning() const;

private:
    void Work();

    std::size_t workers;
    std::size_t capacity;
    mutable std::mutex mutex;
    std::condition_variable posted;
    struct SCheck {
        std::function<void()> check;
        std::function<void()> then;
    };
    std::deque<SCheck> waiting;
    int running = 0;
    bool stopping = false;
    std::vector<std::thread> threads;
};
