#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

// Lines written to a stream by a thread of their own, so that a request's answer never waits
// for the log: Write only queues the line. A stream too slow for the lines (a full pipe) costs
// lines, counted in one line of their own, never memory without end.
class CRequestLog {
public:
    static constexpr std::size_t kMostWaiting = 10000; // lines; more are dropped and counted

    explicit CRequestLog(std::FILE* stream); // stderr for the board; kept open by its owner
    ~CRequestLog();                          // writes what waits, then ends the thread
    CRequestLog(const CRequestLog&) = delete;
    CRequestLog& operator=(const CRequestLog&) = delete;

    void Write(std::string line); // one line, its '\n' included; from any thread
    void Flush();                 // returns when every line written before it is out

private:
    void WriteWaiting(); // the thread's loop

    std::FILE* stream;
    std::mutex mutex;
    std::condition_variable posted;  // a line waits, or the log ends
    std::condition_variable drained; // the lines taken were written
    std::deque<std::string> waiting;
    std::size_t dropped = 0;
    bool writing = false; // lines taken from waiting and not yet out
    bool ending = false;
    std::thread writer;
};
