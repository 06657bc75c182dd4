#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Where the board keeps its players and runs: SQLite on one machine, PostgreSQL when several
// servers share one database. Every call is one transaction, safe from any thread and from any
// server at once: the database's own guarantees (unique keys, upserts), never a lock in the
// server, decide which run is a player's best.
class CBoardStore {
public:
    struct SWorld {
        int difficulty = 0;
        int nodes = 0;
        unsigned seed = 0;
        bool operator==(const SWorld& other) const {
            return difficulty == other.difficulty && nodes == other.nodes && seed == other.seed;
        }
    };

    // A checked run, as the board keeps it.
    struct SRun {
        std::string id;     // 64 hex digits: SHA-256 of the replay's bytes
        std::string player; // the name as its owner first wrote it
        SWorld world;
        long long milliseconds = 0;    // the finish time the check flew
        std::vector<long long> splits; // milliseconds at each joint disc
        std::int64_t submittedAt = 0;  // UTC seconds
        std::int64_t recordedAt = 0;   // UTC seconds, the recording game's word
        std::string gameVersion;       // "1.3.0"
        std::string replay;            // the .zrp bytes
        std::string flight;            // 64 hex digits: what it flew (CFlight), not its bytes
    };

    // A flight the board has kept: it belongs to the first name that sent it, for good.
    struct SFlight {
        std::string nameKey;
        std::string name;
        std::string runId; // the run that brought it; it may since have been replaced
    };

    struct SRankedRun {
        int rank = 0; // 1 for the fastest; equal times share a rank
        SRun run;     // without its replay bytes
    };

    enum class EName {
        Claimed, // the name was free: it is this token's now
        Owned,   // it was this token's already
        Taken,   // another token owns it (names are compared regardless of case)
    };

    struct SSubmitted {
        bool kept = false;       // the player's best of that world now
        bool known = false;      // this very run was kept before
        int rank = 0;            // its rank, or the rank it would have had
        int players = 0;         // how many players the world's board holds now
        SRun best;               // the player's best of the world after the submission
        std::string flightOwner; // the name whose flight this is, when another's: nothing kept
    };

    // Splits as the stores keep them: "83412,90111" (milliseconds); a damaged text gives none.
    static std::string JoinSplits(const std::vector<long long>& splits) {
        std::string text;
        for (const long long split : splits) {
            text += (text.empty() ? "" : ",") + std::to_string(split);
        }
        return text;
    }
    static std::vector<long long> ParseSplits(const std::string& text) {
        std::vector<long long> splits;
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find(',', start);
            end = end == std::string::npos ? text.size() : end;
            try {
                splits.push_back(std::stoll(text.substr(start, end - start)));
            } catch (const std::exception&) {
                return {};
            }
            start = end + 1;
        }
        return splits;
    }

    // The store a --database URL names, opened: sqlite:PATH, or a libpq URL (postgresql://...
    // or postgres://...). Null with why for anything else or a store that does not open.
    static std::unique_ptr<CBoardStore> OpenUrl(const std::string& url, std::string& problem);

    virtual ~CBoardStore() = default;

    // The schema created or brought up to date; false with why.
    virtual bool Open(std::string& problem) = 0;

    // nameKey: the name folded to lower case. tokenHash: hex SHA-256 of the token.
    virtual EName ClaimName(const std::string& name, const std::string& nameKey,
                            const std::string& tokenHash) = 0;
    // What ClaimName would answer, claiming nothing: Claimed for a name still free.
    virtual EName LookUpName(const std::string& nameKey, const std::string& tokenHash) = 0;
    // Keeps the run when it is the player's first of its world or beats their best there (the
    // slower then goes), and when it was submitted within a day's window, as the player's best
    // of that day too. dayKey: "2026-12-08" when the run counts for that day's board, else empty.
    // The run's flight becomes the player's unless another name has it: then nothing is kept
    // and flightOwner names that player.
    virtual SSubmitted Submit(const SRun& run, const std::string& nameKey,
                              const std::string& dayKey) = 0;
    virtual std::optional<SRun> FindRun(const std::string& id) = 0; // with its replay bytes
    virtual std::optional<SFlight> FindFlight(const std::string& flight) = 0;
    // Runs kept before flights were recorded, oldest first, with their replay bytes; each is
    // given its flight by RecordFlight (or a mark of its own when its bytes do not read).
    virtual std::vector<SRun> GetRunsWithoutFlight(int limit) = 0;
    // The flight of a run kept before, its owner's; nothing when the flight has an owner.
    virtual void RecordFlight(const std::string& runId, const std::string& flight) = 0;

    virtual std::vector<SRankedRun> GetBoard(const SWorld& world, int offset, int limit) = 0;
    virtual int CountBoard(const SWorld& world) = 0;
    // The player's best of the world with its rank on the board; empty when they have none.
    virtual std::optional<SRankedRun> GetStanding(const SWorld& world,
                                                  const std::string& nameKey) = 0;
    virtual std::vector<SRankedRun> GetDayBoard(const std::string& dayKey, int offset,
                                                int limit) = 0;
    virtual int CountDayBoard(const std::string& dayKey) = 0;
    virtual std::vector<SRun> GetLatest(int limit) = 0;      // newest first, without replay bytes
    virtual std::vector<std::string> GetDays(int limit) = 0; // days with runs, newest first

    // Counts one submission under key ("player ann", "address 10.0.0.7") in that minute (UTC
    // seconds / 60); false when the minute's allowance is spent. The count lives in the
    // database, so servers sharing one share the allowance; counts older than an hour are
    // forgotten, so that a key may count by the hour too (minute: the hour's first minute).
    virtual bool CountSubmission(const std::string& key, std::int64_t minute, int allowance) = 0;

    // The operator's: false when there was nothing of that id or name.
    virtual bool RemoveRun(const std::string& id) = 0;
    virtual bool RemoveName(const std::string& nameKey) = 0; // with every run under it

    // A counter that every write changing what a board shows (a run kept, a run or a name
    // removed) moves in its own transaction: a server that reads it learns of every other
    // server's change. -1 when the database cannot be read.
    virtual std::int64_t GetChanges() = 0;
};
