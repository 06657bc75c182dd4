#pragma once

#include "board/BoardRequest.h"
#include "board/BoardStore.h"
#include "board/CheckQueue.h"
#include "board/HttpServer.h"
#include "board/RunChecker.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>

// The board over HTTP/1.1: runs submitted and checked, the boards of every world and day as
// JSON and as web pages, the replays, /healthz and /metrics. One line per request on stderr.
class CBoardService {
public:
    using Clock = std::function<std::int64_t()>; // UTC seconds

    struct SSettings {
        int workers = 2;        // checks at once
        std::size_t queue = 64; // checks waiting
        int perMinute = 10;     // submissions of one player, and of one address, a minute
        std::size_t largestBody = 1 << 20;
        int readTimeoutSeconds = 5; // for a request's head, twice it for its body; then 408
    };

    CBoardService(CBoardStore& store, const CRunChecker& checker, SSettings settings,
                  Clock clock = &CBoardService::Now);
    ~CBoardService();
    CBoardService(const CBoardService&) = delete;
    CBoardService& operator=(const CBoardService&) = delete;

    // Binds the address ("127.0.0.1", port 0 picks one); false with why.
    bool Bind(const std::string& host, int port, std::string& problem);
    int GetPort() const { return port; }
    void Serve(); // until Stop
    void Stop();

    static std::int64_t Now();
    // The day whose board a run of that world, submitted at that time, counts for: "2026-12-08"
    // when it is that date's world and submitted on it or within the hour after; else empty.
    static std::string DayOf(const CBoardStore::SWorld& world, std::int64_t submittedAt);
    static CBoardStore::SWorld DailyWorld(const std::string& date); // nodes 0 for a bad date

private:
    struct SAnswer {
        SAnswer(int status, std::string body, std::string contentType = "application/json")
            : status(status), body(std::move(body)), contentType(std::move(contentType)) {}
        int status;
        std::string body;
        std::string contentType;
        std::string retryAfter; // seconds, for 429 and 503
    };

    void Route();
    SAnswer Submit(const std::string& name, const std::string& authorization,
                   const std::string& address, const std::string& bytes);
    // A run submitted before: its standing as it is now.
    SAnswer Again(const CBoardStore::SRun& known);
    // The checked run's answer: refused, or kept (its name claimed) and ranked.
    SAnswer Answer(const CRunChecker::SResult& checked, const CBoardRequest::SSubmission& player,
                   const std::string& bytes);
    // One more submission of the player and of the address this minute; false when either has
    // spent its allowance.
    bool WithinAllowance(const std::string& nameKey, const std::string& address);
    SAnswer Refuse(int status, const std::string& reason, const std::string& counted);
    std::string Metrics() const;
    void Count(const std::string& reason);

    CBoardStore& store;
    const CRunChecker& checker;
    SSettings settings;
    Clock clock;
    CHttpServer server;
    CCheckQueue checks;
    int port = 0;

    mutable std::mutex countsMutex;
    std::map<std::string, long long> refused; // by reason
    long long accepted = 0;
    double checkSeconds = 0.0;
    long long checksDone = 0;
};
