#include "board/CheckQueue.h"

#include <utility>

CCheckQueue::CCheckQueue(int workers, std::size_t capacity)
    : workers(static_cast<std::size_t>(workers)), capacity(capacity) {
    for (int i = 0; i < workers; ++i) {
        threads.emplace_back(&CCheckQueue::Work, this);
    }
}

CCheckQueue::~CCheckQueue() {
    {
        const std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
        waiting.clear();
    }
    posted.notify_all();
    for (std::thread& thread : threads) {
        thread.join();
    }
}

bool CCheckQueue::TryPost(std::function<void()> check, std::function<void()> then) {
    {
        const std::lock_guard<std::mutex> lock(mutex);
        // A free worker takes a check at once; beyond the busy ones, capacity may wait.
        if (static_cast<std::size_t>(running) + waiting.size() >= workers + capacity) {
            return false;
        }
        waiting.push_back(SCheck{std::move(check), std::move(then)});
    }
    posted.notify_one();
    return true;
}

std::size_t CCheckQueue::GetWaiting() const {
    const std::lock_guard<std::mutex> lock(mutex);
    return waiting.size();
}

int CCheckQueue::GetRunning() const {
    const std::lock_guard<std::mutex> lock(mutex);
    return running;
}

void CCheckQueue::Work() {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        posted.wait(lock, [this] { return stopping || !waiting.empty(); });
        if (stopping) {
            return;
        }
        SCheck next = std::move(waiting.front());
        waiting.pop_front();
        ++running;
        lock.unlock();
        next.check();
        lock.lock();
        --running;
        lock.unlock();
        if (next.then) {
            next.then();
        }
        next = SCheck{};
        lock.lock();
    }
}
