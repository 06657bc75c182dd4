#pragma once

#include "base/SmallFile.h"
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

// The best course time of every world played, kept in records.txt in the game's data
// directory. The file is small text, one world a line, sorted so that it only changes where a
// record does:
//
//     zelkora records 2
//     3 500 17 83.412 2026-12-08T14:03:05Z   <- difficulty, path node count, seed, seconds
//                                               (three decimals), when it was set (UTC)
//
// A record whose date is not known (kept from a version 1 file, which has no dates) has "-"
// there. Version 1 files are read as they are and written as version 2 on the next save.
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
    struct SRecord {
        explicit SRecord(long long milliseconds = 0, std::int64_t setAt = kUnknownDate)
            : milliseconds(milliseconds), setAt(setAt) {}
        long long milliseconds; // the best time
        std::int64_t setAt;     // when it was set: UTC seconds since 1970, or kUnknownDate
        bool operator==(const SRecord& other) const {
            return milliseconds == other.milliseconds && setAt == other.setAt;
        }
        bool operator!=(const SRecord& other) const { return !(*this == other); }
    };
    using Table = std::map<SWorld, SRecord>;     // the best time of each world
    using Clock = std::function<std::int64_t()>; // UTC seconds since 1970

    // Every tunnel the game can build, the longest ending its last bend past its length.
    static constexpr long long kTimeLimit = 100LL * 24 * 3600 * 1000; // ms; every time is below
    static constexpr std::size_t kMaximumLineLength = 128;            // bytes without line end
    static constexpr std::size_t kMaximumFileBytes = 1 << 20;         // a larger file is damaged
    static constexpr std::size_t kQuotedLength = 60; // bytes of a bad line shown in its message
    // How long a save waits for another game's lock before it leaves its records to the next.
    static constexpr int kLockWaitMilliseconds = 2000;

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
    // game has moved aside all the same leaves an empty table.
    void Load();

    long long GetBest(const SWorld& world) const; // milliseconds; -1 when the world has none
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
    // Saves the claims still waiting for a lock, if any: at a quit. One line when the lock
    // still cannot be had:
    //   records: <path>.lock is still held, <n> new records not saved
    void Flush();

    const std::string& GetPath() const { return path; }
    Table GetTable() const; // a copy: a save on another thread may change the table
    // Moves on whenever the table changes (a claim, a load, another game's records merged).
    int GetChangeCount() const { return changes.load(); }

    // The file's text to the table: false with the 1-based number of the first bad line (the
    // version line is line 1; an empty text is bad at line 1), and the table then empty.
    static bool Parse(const std::string& text, Table& table, int& badLine);
    static std::string Format(const Table& table); // the text Parse reads back to the same table
    // "m:ss.hh", hundredths cut, not rounded: 83412 -> "1:23.41"; negative counts as 0.
    static std::string FormatTime(long long milliseconds);
    // A course clock in seconds to the milliseconds a record keeps: rounded to the nearest.
    static long long ToMilliseconds(double seconds) { return std::llround(seconds * 1000.0); }
    // "2026-12-08T14:03:05Z", or "-" for kUnknownDate; a date Parse takes back the same.
    static std::string FormatDate(std::int64_t setAt);
    // Dates from 2000 to 9999; false for anything else, "2026-02-30T..." too.
    static bool ParseDate(std::string_view field, std::int64_t& setAt);

private:
    using ERead = CSmallFile::ERead;

    static bool ParseLine(std::string_view line, int version, Table& table);
    static bool ParseRecord(std::string_view line, int version, SWorld& world, SRecord& record);
    static bool ParseSeconds(std::string_view field, long long& milliseconds);
    static bool IsRecordable(const SWorld& world, long long milliseconds);
    static std::string_view LineAt(const std::string& text, int lineNumber); // 1-based
    static std::string Quote(std::string_view line); // cut, escaped and in double quotes

    // The file's table; too large or with a bad line, the table is empty and damage says why.
    ERead ReadTable(Table& into, std::string& error, std::string& damage);
    enum class ELock { Held, None, Busy }; // Busy: another game kept it past the wait
    // The lock's descriptor (close to release), -1 when there is none; a lock file that is there
    // but cannot be locked gives one line, once. Busy when another game holds it too long.
    int LockFile(ELock& result);
    int LockFile() {
        ELock ignored;
        return LockFile(ignored);
    }
    // What the file holds now, into the table; for a claim still to be saved, a time of the
    // file's as fast or faster wins, and the claim is dropped.
    void MergeFile();
    // Under the lock: the file merged in, the table saved and the claims that stood given their
    // whileLocked; askedStood tells of that world's claim. False when the lock was busy.
    bool SaveClaims(const SWorld* asked, bool& askedStood);
    void ReportBusyLock(const std::string& lockPath); // once
    void ReadForLoad(Table& into);
    // Moves the file away, or blocks saving; a file already gone needs neither.
    void SetAside(const std::string& problem);
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
    Table table;
    std::atomic<int> changes{0};
    std::map<SWorld, SClaim> claims; // claimed, not saved yet
    bool loaded = false;
    bool lockBusyReported = false;
    bool saveBlocked = false;         // a file we could not read or move stays untouched
    bool saveFailureReported = false; // one line per run is enough
    bool lockFailureReported = false;
};
