#pragma once

#include "base/SmallFile.h"
#include "world/Tunnel.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
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
class CRecords {
public:
    struct SWorld {
        int difficulty;
        int nodes;     // the tunnel's path node count, 1 to CTunnel::kMaximumRingCount
        unsigned seed; // 0 to CTunnel::kMaximumSeed

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
    // When saving fails, once per CRecords:
    //   records: cant save in <directory> (<reason>), playing on without saving
    // and the table keeps the time all the same. A world or time that the file cannot hold:
    //   records: cant record <ms> ms for world <difficulty> <nodes> <seed> (out of range)
    // and false. whileLocked runs once a new best is saved, before the lock is let go: the
    // best run's replay is written there, so that it always belongs to the time kept. When the
    // record could not be saved it does not run.
    bool Submit(const SWorld& world, long long milliseconds,
                const std::function<void()>& whileLocked = {});

    const std::string& GetPath() const { return path; }
    const Table& GetTable() const { return table; }

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
    // The lock's descriptor (close to release), -1 when there is none; a lock file that is there
    // but cannot be locked gives one line, once.
    int LockFile();
    void MergeFile(); // what the file holds now, into the table
    // Moves the file away, or blocks saving; a file already gone needs neither.
    void SetAside(const std::string& problem);
    void BlockUnreadable(const std::string& reason); // one line, and nothing is saved over it
    bool Save();                                     // false when nothing was written
    void ReportSaveFailure(const std::string& reason);

    std::string directory;
    std::string path;
    Clock clock;
    Table table;
    bool loaded = false;
    bool saveBlocked = false;         // a file we could not read or move stays untouched
    bool saveFailureReported = false; // one line per run is enough
    bool lockFailureReported = false;
};
