#pragma once

#include "board/HttpServer.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>

// The boards and pages as last rendered, served from memory until the database changes. A
// board's own writes call Forget and show at once; another server's are seen through the
// store's change counter, read at most once a checkEvery. Any change drops everything: a run
// kept moves ranks on many pages, and rendering them again is cheap beside the reads saved.
// Safe from any thread.
class CBoardCache {
public:
    using Changes = std::function<std::int64_t()>; // CBoardStore::GetChanges, -1 when unknown
    using Render = std::function<CHttpServer::SResponse()>;
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    static constexpr std::size_t kMostAnswers = 4096; // past it all are dropped: a bound, not LRU

    CBoardCache(Changes changes, std::chrono::milliseconds checkEvery,
                Clock clock = &std::chrono::steady_clock::now);

    // The answer kept under key, or render()'s, which is kept when it is a 200 (an error is
    // always rendered again). key must name all the answer depends on: path, page, date.
    CHttpServer::SResponse Get(const std::string& key, const Render& render);
    // The answer kept under key, without ever waiting on the database: false when there is
    // none, or when the change counter is due to be read (Get reads it).
    bool Peek(const std::string& key, CHttpServer::SResponse& answer);
    void Forget(); // after a change this server made

    std::uint64_t GetHits() const { return hits; }     // answers given from memory
    std::uint64_t GetMisses() const { return misses; } // answers rendered

private:
    void DropIfChanged(); // the counter read when checkEvery has passed

    Changes changes;
    std::chrono::milliseconds checkEvery;
    Clock clock;

    std::mutex mutex;
    std::unordered_map<std::string, CHttpServer::SResponse> answers;
    // Moved by every drop: an answer rendered across one is not kept, since it may predate it.
    std::uint64_t generation = 0;
    std::int64_t lastChanges = -1;
    std::chrono::steady_clock::time_point nextCheck{};
    bool checking = false; // one thread reads the counter; the others serve meanwhile
    std::atomic<std::uint64_t> hits{0};
    std::atomic<std::uint64_t> misses{0};
};
