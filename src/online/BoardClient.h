#pragma once

#include "world/WorldIdentity.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The game's side of the board (README, "The board"): sends a run, asks for a world's best runs
// and fetches one of them, over HTTP(S) with libcurl. Every call blocks for at most the total
// timeout, so it belongs on a thread of its own, never in a frame. Each call makes its own
// connection and the object holds nothing that changes, so calls from several threads do not
// meet, provided Initialise ran first.
// Redirects are refused (the token goes to the board named and nowhere else), answers are cut
// off at kLargestAnswer, proxies come from the environment as libcurl reads them.
class CBoardClient {
public:
    static constexpr std::size_t kLargestAnswer = 2u << 20; // bytes; a longer answer is refused
    static constexpr std::size_t kLargestReplay = 1u << 20; // bytes of a run sent or fetched
    static constexpr std::size_t kTopShown = 5;             // a world's runs FetchWorld gives

    struct STimeouts {
        long connectMilliseconds = 5000;
        long totalMilliseconds = 20000; // the most any one call takes
    };

    // What became of a run sent.
    enum class EOutcome {
        Counted, // the board took it (201 new best, 200 known or slower than the player's best)
        Refused, // the board read it and said no (or holds it as another player's): sending it
                 // again gives the same answer
        Unsent,  // no answer worth the name (offline, busy, the board's own error): send later
    };
    struct SSubmitted {
        EOutcome outcome = EOutcome::Unsent;
        int status = 0;            // the HTTP status; 0 when there was no answer
        int retryAfterSeconds = 0; // what a busy board asked for; 0 when it did not
        std::string onScreen;      // upper case, for the HUD: "BOARD #3 OF 41", "BOARD: BUSY"
        // "board: #3 of 41 players, 1:02.33". An unsent run's line ends with its reason, so that
        // the caller can add what becomes of the run ("; it waits in the outbox").
        std::string line;
    };

    struct SRankedRun {
        int rank = 0;
        std::string player;
        std::int64_t milliseconds = 0;
        std::string runId; // for FetchReplay
    };
    struct SWorldBoard {
        bool fetched = false;
        std::string problem;         // why not, when not fetched
        int players = 0;             // with a run of the world
        std::vector<SRankedRun> top; // at most kTopShown, best first
        int ownRank = 0;             // the named player's rank; 0: no run there
    };
    // The board's world of the day, as its answer gives it: every number in range, a length of
    // CDailyWorld::kLength, the date written YYYY-MM-DD (whether it is today is the caller's).
    struct SToday {
        bool fetched = false;
        std::string problem; // why not, when not fetched
        std::string date;    // "2026-12-09"
        CWorldIdentity world;
    };
    struct SFetchedReplay {
        bool fetched = false;
        std::string problem;
        std::string bytes; // at most kLargestReplay; not checked as a replay here
    };

    // libcurl's process-wide start: once, in main, before any thread exists. The constructor
    // calls it too, harmlessly, for the programs that make one client on their main thread.
    static void Initialise();

    // url: a URL CBoardSettings::CheckUrl took, without a trailing '/'. name and token: those
    // the board's name rules take (a submission is refused by the board otherwise).
    CBoardClient(std::string url, std::string name, std::string token, STimeouts timeouts);
    CBoardClient(std::string url, std::string name, std::string token); // the default timeouts

    SSubmitted Submit(const std::string& replayBytes) const;
    SWorldBoard FetchWorld(const CWorldIdentity& world, const std::string& player) const;
    SFetchedReplay FetchReplay(const std::string& runId) const; // runId: 64 hex digits
    SToday FetchToday() const;                                  // sends no token

    // What the board's bytes say, whatever they are: a run's answer of 200 or 201 to sender, a
    // world's page and the world of the day. Anything unreadable, or any number out of its
    // range (a rank 1 to players, players 0 to 2^31 - 1, a time below CRecords::kTimeLimit, a
    // world within CWorldIdentity's limits), is an unsent run or a page not fetched, never a
    // throw. A counted run the board names another player's is refused: its rank is not the
    // sender's.
    static SSubmitted ReadCounted(int status, const std::string& body, const std::string& sender);
    static SWorldBoard ReadWorld(const std::string& body);
    static SToday ReadToday(const std::string& body);

private:
    struct SAnswer {
        bool answered = false; // false: error says why (curl's words, "redirected", ...)
        bool offline = false;  // no connection or a timeout, rather than a bad answer
        int status = 0;
        int retryAfterSeconds = 0;
        std::string body;
        std::string error;
    };
    SAnswer Request(const std::string& path, const std::string* postedBytes,
                    std::size_t largest) const;
    static SSubmitted NotCounted(const SAnswer& answer);

    std::string url;
    std::string name;
    std::string token;
    STimeouts timeouts;
};
