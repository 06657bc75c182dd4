#include "base/SaveQueue.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <utility>

struct CSaveQueue::SState {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Job> jobs;
    bool running = false; // a job is being run
    bool stopping = false;
};

CSaveQueue::CSaveQueue() : state(std::make_shared<SState>()) {}

CSaveQueue::~CSaveQueue() {
    {
        const std::lock_guard<std::mutex> lock(state->mutex);
        state->stopping = true;
    }
    state->changed.notify_all();
    if (thread.joinable()) {
        thread.join();
    }
}

void CSaveQueue::Post(Job job) {
    {
        const std::lock_guard<std::mutex> lock(state->mutex);
        state->jobs.push_back(std::move(job));
    }
    state->changed.notify_all();
    if (!thread.joinable()) {
        thread = std::thread(&CSaveQueue::Run, state);
    }
}

bool CSaveQueue::Wait(std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> lock(state->mutex);
    return state->changed.wait_for(lock, limit,
                                   [this] { return state->jobs.empty() && !state->running; });
}

void CSaveQueue::Abandon() {
    if (thread.joinable()) {
        thread.detach();
    }
}

// Everything posted runs, even when stopping: a quit that waits loses nothing.
void CSaveQueue::Run(const std::shared_ptr<SState>& state) {
    std::unique_lock<std::mutex> lock(state->mutex);
    for (;;) {
        state->changed.wait(lock, [&state] { return state->stopping || !state->jobs.empty(); });
        if (state->jobs.empty()) {
            return;
        }
        Job job = std::move(state->jobs.front());
        state->jobs.pop_front();
        state->running = true;
        lock.unlock();
        job();
        job = nullptr; // what it held goes before the next wait
        lock.lock();
        state->running = false;
        state->changed.notify_all();
    }
}
