#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

// Saves off the frame: jobs handed over run one after another, in the order given, on a thread
// of their own, so that the frame never waits for a lock or a disk. The thread starts with the
// first job. Jobs print their own lines; they must not throw.
class CSaveQueue {
public:
    using Job = std::function<void()>;

    CSaveQueue();
    ~CSaveQueue(); // runs what is left and ends the thread, unless abandoned
    CSaveQueue(const CSaveQueue&) = delete;
    CSaveQueue& operator=(const CSaveQueue&) = delete;

    void Post(Job job);
    // Waits until every job posted so far has run, at most that long: false when it gave up.
    bool Wait(std::chrono::milliseconds limit);
    // After a Wait that gave up, at the quit: the thread is left to finish or to end with the
    // process. What its jobs use must then outlive it, or never be freed.
    void Abandon();

private:
    struct SState; // shared with the thread, which may outlive the queue once abandoned
    static void Run(const std::shared_ptr<SState>& state);

    std::shared_ptr<SState> state;
    std::thread thread;
};
