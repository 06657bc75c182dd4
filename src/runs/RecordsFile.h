#pragma once

#include "base/SmallFile.h"
#include "runs/Records.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// records.txt as text. The file is small, one world a line, sorted so that it only changes
// where a record does:
//
//     zelkora records 3
//     3 500 17 83.412 2026-12-08T14:03:05Z 1.3.0   <- difficulty, path node count, seed,
//                                                     seconds (three decimals), when it was set
//                                                     (UTC), the rules it was set under
//
// A record whose date is not known (kept from a version 1 file, which has no dates) has "-"
// there. The rules are the first game version of the rules the run obeyed
// (CReplayPlayback::kFirstVersionOfTheseRules then); "-" is a record from before records noted
// them, set under the rules before 1.3.0, as every record of a version 1 or 2 file was. Those
// files are read as they are and written as version 3 on the next save.
class CRecordsFile {
public:
    using SWorld = CRecords::SWorld;
    using SRecord = CRecords::SRecord;
    using Table = CRecords::Table;
    using OlderRules = CRecords::OlderRules;
    using ERead = CSmallFile::ERead;

    static constexpr std::size_t kMaximumLineLength = 128;    // bytes without line end
    static constexpr std::size_t kMaximumFileBytes = 1 << 20; // a larger file is damaged
    static constexpr std::size_t kQuotedLength = 60; // bytes of a bad line shown in its message

    // A records file's records; too large or with a bad line, none, and damage says why
    // ("line 3 is bad: \"...\"", "larger than 1048576 bytes").
    static ERead Read(const std::string& file, Table& into, OlderRules& older, std::string& error,
                      std::string& damage);
    // The file's text to its records under these rules (table) and under others (older):
    // false with the 1-based number of the first bad line (the version line is line 1; an empty
    // text is bad at line 1), and both then empty. A world twice under the same rules is bad.
    static bool Parse(const std::string& text, Table& table, OlderRules& older, int& badLine);
    // The text Parse reads back to the same records, sorted by world and then rules.
    static std::string Format(const Table& table, const OlderRules& older);
    // "2026-12-08T14:03:05Z", or "-" for CRecords::kUnknownDate; a date Parse takes back the
    // same.
    static std::string FormatDate(std::int64_t setAt);
    // Dates from 2000 to 9999; false for anything else, "2026-02-30T..." too.
    static bool ParseDate(std::string_view field, std::int64_t& setAt);

private:
    static bool ParseLine(std::string_view line, int version, Table& table, OlderRules& older);
    static bool ParseRecord(std::string_view line, int version, SWorld& world, SRecord& record);
    static bool ParseRules(std::string_view field, std::string& rules); // "-" or "1.3.0"
    static bool ParseSeconds(std::string_view field, long long& milliseconds);
    static std::string_view LineAt(const std::string& text, int lineNumber); // 1-based
    static std::string Quote(std::string_view line); // cut, escaped and in double quotes
};
