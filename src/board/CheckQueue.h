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

    bool TryPost(std::function<void()> check); // false when every worker is busy and capacity wait
    std::size_t GetWaiting() const;
    int GetRunning() const;

private:
    void Work();

    std::size_t workers;
    std::size_t capacity;
    mutable std::mutex mutex;
    std::condition_variable posted;
    std::deque<std::function<void()>> waiting;
    int running = 0;
    bool stopping = false;
    std::vector<std::thread> threads;
};
