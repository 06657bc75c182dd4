#pragma once

#include "board/BoardCache.h"
#include "board/BoardDays.h"
#include "board/BoardRequest.h"
#include "board/BoardStore.h"
#include "board/CheckQueue.h"
#include "board/HttpServer.h"
#include "board/MemoryBudget.h"
#include "board/RequestLog.h"
#include "board/RouteLatencies.h"
#include "board/RunChecker.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The board over HTTP/1.1: runs submitted and checked, the boards of every world and day as
// JSON and as web pages, the replays, /healthz and /metrics. Boards and pages are served from
// memory until the database changes (CBoardCache); every read carries an ETag and the
// Cache-Control a proxy needs. One line per request on stderr, written off the request's thread.
class CBoardService {
public:
    using Clock = std::function<std::int64_t()>; // UTC seconds

    struct SSettings {
        int workers = 2;        // checks at once
        std::size_t queue = 64; // checks waiting
        int perMinute = 10;     // submissions of one player a minute; three times it an address
        int namesPerHour = 5;   // new names one address may claim in an hour
        std::size_t largestBody = 1 << 20;
        int readTimeoutSeconds = 5; // for a request's head, twice it for its body; then 408
        // Replays read at once take their decoded size from this: a flood of files that unpack
        // large waits or is refused rather than growing the board.
        std::size_t decodingBytes = 96u << 20;
        // Proxies whose X-Forwarded-For names the player's address; from any other address the
        // connection's own address counts.
        std::vector<std::string> trustedProxies;
    };

    CBoardService(CBoardStore& store, const CRunChecker& checker, const CBoardDays& days,
                  SSettings settings, Clock clock = &CBoardService::Now);

    // Gives each run kept before flights were recorded its flight, the oldest first, so that
    // what counted before stays its owner's. Returns how many runs it read.
    static int FingerprintOldRuns(CBoardStore& store);
    ~CBoardService();
    CBoardService(const CBoardService&) = delete;
    CBoardService& operator=(const CBoardService&) = delete;

    // Binds the address ("127.0.0.1", port 0 picks one); false with why.
    bool Bind(const std::string& host, int port, std::string& problem);
    int GetPort() const { return port; }
    void Serve(); // until Stop
    void Stop();
    void FlushLog(); // returns when the log lines of the requests answered so far are out

    static std::int64_t Now();

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
    // What a read kept in memory is kept under: its path (today's date for "today" and for the
    // home page, so that a new day is a new page at once) and its page.
    std::string CacheKey(const CHttpServer::SRequest& request) const;
    SAnswer Submit(const std::string& name, const std::string& authorization,
                   const std::string& address, const std::string& bytes);
    // Whether the player may send now: the name's owner (or a free name) within its allowances.
    // Empty when so; else the refusal.
    std::optional<SAnswer> Admit(const CBoardRequest::SSubmission& player,
                                 const std::string& address);
    // The run read within the decoding budget, its frames dropped once judged; null when the
    // budget had no room for it in time.
    std::shared_ptr<CRunChecker::SResult> Read(const std::string& bytes);
    // A flight kept before: the player's own gets its standing as it is now; another's is
    // refused.
    SAnswer Again(const CBoardStore::SFlight& known, const CBoardRequest::SSubmission& player,
                  const CBoardStore::SWorld& world);
    // The checked run's answer: refused, or kept (its name claimed) and ranked.
    SAnswer Answer(const CRunChecker::SResult& checked, const CBoardRequest::SSubmission& player,
                   const std::string& bytes);
    SAnswer Refuse(int status, const std::string& reason, const std::string& counted);
    SAnswer TooMany(const std::string& reason, const std::string& retryAfter);
    using SWorld = CBoardStore::SWorld;
    SAnswer Day(const std::string& date, int page); // a day's board as JSON
    SAnswer Home();
    SAnswer WorldBoard(const SWorld& world, int page); // as JSON
    SAnswer WorldPage(const SWorld& world, int page);
    SAnswer RunPage(const std::string& id); // a run's own page, or 404
    SAnswer DayPage(const std::string& date, int page);
    std::string Metrics() const;
    void Count(const std::string& reason);

    CBoardStore& store;
    const CRunChecker& checker;
    const CBoardDays& days;
    SSettings settings;
    CMemoryBudget decoding;
    Clock clock;
    CHttpServer server;
    CCheckQueue checks;
    CBoardCache cache;
    CRouteLatencies latencies;
    CRequestLog log;
    int port = 0;

    mutable std::mutex countsMutex;
    std::map<std::string, long long> refused; // by reason
    long long accepted = 0;
    double checkSeconds = 0.0;
    long long checksDone = 0;
};
