#include "board/RequestLog.h"

#include <utility>

CRequestLog::CRequestLog(std::FILE* stream) : stream(stream), writer([this] { WriteWaiting(); }) {}

CRequestLog::~CRequestLog() {
    {
        const std::lock_guard<std::mutex> lock(mutex);
        ending = true;
    }
    posted.notify_one();
    writer.join();
}

void CRequestLog::Write(std::string line) {
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (waiting.size() >= kMostWaiting) {
            ++dropped;
            return;
        }
        waiting.push_back(std::move(line));
    }
    posted.notify_one();
}

void CRequestLog::Flush() {
    std::unique_lock<std::mutex> lock(mutex);
    drained.wait(lock, [this] { return waiting.empty() && dropped == 0 && !writing; });
}

void CRequestLog::WriteWaiting() {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        posted.wait(lock, [this] { return ending || !waiting.empty() || dropped > 0; });
        if (waiting.empty() && dropped == 0) {
            return; // ending, all written
        }
        std::deque<std::string> batch;
        batch.swap(waiting);
        if (dropped > 0) {
            batch.push_back("board: " + std::to_string(dropped) + " log lines dropped\n");
            dropped = 0;
        }
        writing = true;
        lock.unlock();
        for (const std::string& line : batch) {
            std::fwrite(line.data(), 1, line.size(), stream);
        }
        std::fflush(stream);
        lock.lock();
        writing = false;
        drained.notify_all();
    }
}
