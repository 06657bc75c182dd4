#pragma once

#include "base/SmallFile.h"
#include "runs/ReplayPlayback.h"
#include "world/Tunnel.h"
#include "world/WorldIdentity.h"

#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The best course time of every world played, kept in records.txt in the game's data
// directory (its lines: CRecordsFile), with the rules each was set under.
//
// Only a record set under this game's rules is a best to beat; one set under other rules (a
// stall's time from before the trusted-run rules, say) stays in the file, and in the table
// Tab shows while the world has no record under these rules, but is never beaten nor a ghost.
//
// Nothing here ever stops the game: a missing file is an empty table; a damaged one is moved
// aside to records.txt.bad (or .bad.1, .bad.2, ...) with one line on standard output; a
// directory that cannot be written gives one line and the game plays on without saving.
//
// The game judges a time at once (Claim, in memory) and saves it off the frame (SaveClaim, on
// its save thread): the table may be read while a save goes on. Load, Submit, SaveClaim and
// Flush are for one thread at a time.
class CRecords {
public:
    struct SWorld {
        int difficulty;
        int nodes;     // the tunnel's path node count, 1 to CTunnel::kMaximumRingCount
        unsigned seed; // 0 to CTunnel::kMaximumSeed

        static SWorld Of(const CWorldIdentity& world) { // keyed without the length asked for
            return SWorld{world.difficulty, world.nodes, world.seed};
        }
        bool operator<(const SWorld& other) const; // by difficulty, then nodes, then seed
        bool operator==(const SWorld& other) const;
    };
    static constexpr std::int64_t kUnknownDate = -1;
    static constexpr const char* kTheseRules = CReplayPlayback::kFirstVersionOfTheseRules;
    static constexpr const char* kRulesBefore = ""; // the rules before records noted theirs
    struct SRecord {
        explicit SRecord(long long milliseconds = 0, std::int64_t setAt = kUnknownDate,
                         std::string rules = kTheseRules)
            : milliseconds(milliseconds), setAt(setAt), rules(std::move(rules)) {}
        long long milliseconds; // the best time
        std::int64_t setAt;     // when it was set: UTC seconds since 1970, or kUnknownDate
        std::string rules;      // "1.3.0" (see kFirstVersionOfTheseRules), or kRulesBefore
        bool IsUnderTheseRules() const { return rules == kTheseRules; }
        bool operator==(const SRecord& other) const {
            return milliseconds == other.milliseconds && setAt == other.setAt &&
                   rules == other.rules;
        }
        bool operator!=(const SRecord& other) const { return !(*this == other); }
    };
    using Table = std::map<SWorld, SRecord>; // one record of each world
    // Records set under other rules, by world and rules: kept, never beaten.
    using OlderRules = std::map<std::pair<SWorld, std::string>, SRecord>;
    using Clock = std::function<std::int64_t()>; // UTC seconds since 1970

    // Every tunnel the game can build, the longest ending its last bend past its length.
    static constexpr long long kTimeLimit = 100LL * 24 * 3600 * 1000; // ms; every time is below
    // How long a save waits for another game's lock before it leaves its records to the next.
    static constexpr int kLockWaitMilliseconds = 2000;
    // Records a quit could not save wait in records.txt.pending, or .pending.1 to this number.
    static constexpr int kMaximumPendingNumber = 999;

    // The file is directory + "/records.txt". An empty directory (no data directory found)
    // keeps records for this run only. Touches no file.
    explicit CRecords(std::string directory, Clock clock = &CRecords::Now);
    static std::int64_t Now();

    // Reads the file, replacing the table. Missing: empty table, silently. Otherwise one line:
    //   records: <path>: line <n> is bad: "<text>"; moved it to <path>.bad, starting a new table
    //   records: <path>: larger than 1048576 bytes; moved it to <path>.bad, starting a new table
    //   records: <path>: <problem>; cant move it aside (<reason>), new records will not be saved
    //   records: <path>: cant read it (<reason>), new records will not be saved
    // (.bad.1, .bad.2, ... when .bad is taken). A file that could not be read or moved aside is
    // left alone: nothing is saved over it this run. A damaged file is looked at again under the
    // lock before it is moved, so that two games starting on it move it once; one that another
    // game has moved aside all the same leaves an empty table. Records that a game quitting
    // while the lock was held left in pending files are then merged and saved as at Flush, and
    // their files removed; without the lock they wait for the next save.
    void Load();

    // Milliseconds; -1 when the world has no record under these rules.
    long long GetBest(const SWorld& world) const;
    // True when the time beats the world's best, or is its first: the table takes it and the
    // whole table is saved (other worlds' records are kept). An equal time is no new best.
    // Loads first if Load was not called. Games running at once share the file: under an
    // advisory lock (records.txt.lock beside it) the file is read again and its records merged
    // in, the faster time of each world winning, before the time is judged and saved. A file
    // that cannot be read then is left alone as at Load, with the same line. A lock file that
    // cannot be locked (a file system without locks), once per CRecords:
    //   records: cant lock <path>.lock (<reason>), saving without it
    // A lock another game holds for longer than kLockWaitMilliseconds, once per CRecords:
    //   records: <path>.lock is held by another game, keeping new records for the next save
    // and the time stays in the table, to be merged and saved by the next save (or Flush).
    // When saving fails, once per CRecords:
    //   records: cant save in <directory> (<reason>), playing on without saving
    // and the table keeps the time all the same. A world or time that the file cannot hold:
    //   records: cant record <ms> ms for world <difficulty> <nodes> <seed> (out of range)
    // and false. whileLocked runs once a new best is saved, before the lock is let go: the
    // best run's replay is written there, so that it always belongs to the time kept. When the
    // record could not be saved it does not run.
    bool Submit(const SWorld& world, long long milliseconds,
                const std::function<void()>& whileLocked = {});
    // Submit in two halves. Claim judges the time against the table as it stands and takes a
    // better one into it, touching no file (loading first if Load was not called). SaveClaim
    // then does the rest as Submit does: true when the claim still stands once the file's
    // records are merged (a time of another game's that is as fast or faster takes its place),
    // or when it waits for the next save because the lock could not be had.
    bool Claim(const SWorld& world, long long milliseconds);
    bool SaveClaim(const SWorld& world, long long milliseconds,
                   const std::function<void()>& whileLocked = {});
    // Saves the claims still waiting for a lock, if any: at a quit, so it tries the lock once
    // and never waits. When another game holds it, the claims go to a pending file of their
    // own beside the file (<path>.pending, or .pending.1, ... when taken; never written over),
    // which the next game to take the lock merges:
    //   records: <path>.lock is still held, <n> new records kept in <pending> for the next game
    //   records: <path>.lock is still held, <n> new records not saved (<reason>)
    // Every save merges the pending files the same way. One that is damaged is moved aside
    // (.bad, .bad.1, ...) with one line, as the file is; one that cannot be read or moved is
    // left alone with one line, once.
    void Flush();

    const std::string& GetPath() const { return path; }
    // A copy (a save on another thread may change the table): each world's best under these
    // rules, or, for a world with none, its fastest under other rules.
    Table GetTable() const;
    // Moves on whenever the table changes (a claim, a load, another game's records merged).
    int GetChangeCount() const { return changes.load(); }

    // "m:ss.hh", hundredths cut, not rounded: 83412 -> "1:23.41"; negative counts as 0.
    static std::string FormatTime(long long milliseconds);
    // A course clock in seconds to the milliseconds a record keeps: rounded to the nearest.
    static long long ToMilliseconds(double seconds) { return std::llround(seconds * 1000.0); }

private:
    using ERead = CSmallFile::ERead;

    static bool IsRecordable(const SWorld& world, long long milliseconds);
    ERead ReadTable(Table& into, OlderRules& older, std::string& error, std::string& damage);
    enum class ELock { Held, None, Busy }; // Busy: another game kept it past the wait
    // The lock's descriptor (close to release), -1 when there is none; a lock file that is there
    // but cannot be locked gives one line, once. Busy when another game holds it too long.
    // waitMilliseconds: how long another game's lock is waited for.
    int LockFile(ELock& result, int waitMilliseconds = kLockWaitMilliseconds);
    int LockFile() {
        ELock ignored;
        return LockFile(ignored);
    }
    // What the file holds now, into the table; for a claim still to be saved, a time of the
    // file's as fast or faster wins, and the claim is dropped.
    void MergeFile();
    // Another game's records into ours, under the same rule as MergeFile.
    void MergeRecords(const Table& saved, const OlderRules& savedOlder);
    // Under the lock: the file and the pending files merged in, the table saved, the merged
    // pending files removed, and the claims that stood given their whileLocked; askedStood
    // tells of that world's claim. False when the lock was busy.
    bool SaveClaims(const SWorld* asked, bool& askedStood,
                    int waitMilliseconds = kLockWaitMilliseconds);
    void ReportBusyLock(const std::string& lockPath); // once
    void ReadForLoad(Table& into, OlderRules& older);
    // Moves the file away, or blocks saving; a file already gone needs neither.
    void SetAside(const std::string& problem);

    // The pending files there are now, by name.
    std::vector<std::string> FindPendingFiles() const;
    // Under the lock: every pending file's records merged in; gives the files merged.
    std::vector<std::string> MergePendingFiles();
    // A pending file that is damaged goes aside; one we cannot read or move is left, said once.
    void SetPendingAside(const std::string& file, const std::string& problem);
    void ReportPendingLeft(const std::string& file, const std::string& why);
    // The claims into a new pending file: its name, or "" with why.
    std::string KeepPending(std::string& error);
    void BlockUnreadable(const std::string& reason); // one line, and nothing is saved over it
    bool Save();                                     // false when nothing was written
    void ReportSaveFailure(const std::string& reason);

    struct SClaim {
        long long milliseconds;
        std::function<void()> whileLocked;
    };

    std::string directory;
    std::string path;
    Clock clock;
    mutable std::mutex tableMutex; // the table only: never held while waiting for a file
    Table table;                   // each world's best under these rules
    OlderRules olderRules;         // with the table's mutex
    std::atomic<int> changes{0};
    std::map<SWorld, SClaim> claims; // claimed, not saved yet
    bool loaded = false;
    bool lockBusyReported = false;
    bool saveBlocked = false;         // a file we could not read or move stays untouched
    bool saveFailureReported = false; // one line per run is enough
    bool lockFailureReported = false;
    std::vector<std::string> pendingLeft; // pending files we could not read or move, said once
};
