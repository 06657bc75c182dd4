#include "runs/RecordsFile.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace {
const char* const kVersionLine = "zelkora records 3";
const char* const kVersionTwoLine = "zelkora records 2"; // no rules; read, never written
const char* const kVersionOneLine = "zelkora records 1"; // no dates nor rules

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Splits on runs of blanks; anything else, even a control byte, stays inside a field and makes
// that field's number fail.
std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t at = 0;
    while (at < line.size()) {
        if (IsBlank(line[at])) {
            ++at;
            continue;
        }
        const std::size_t start = at;
        while (at < line.size() && !IsBlank(line[at])) {
            ++at;
        }
        fields.push_back(line.substr(start, at - start));
    }
    return fields;
}

// A whole field as one integer in [minimum, maximum]; from_chars knows no locale and no '+'.
template <typename Integer>
bool ParseInteger(std::string_view field, Integer minimum, Integer maximum, Integer& value) {
    Integer parsed = 0;
    const char* end = field.data() + field.size();
    const auto [stop, error] = std::from_chars(field.data(), end, parsed);
    if (error != std::errc() || stop != end || parsed < minimum || parsed > maximum) {
        return false;
    }
    value = parsed;
    return true;
}
} // namespace

CSmallFile::ERead CRecordsFile::Read(const std::string& file, Table& into, OlderRules& older,
                                     std::string& error, std::string& damage) {
    into.clear();
    older.clear();
    damage.clear();
    std::string text;
    const ERead read = CSmallFile::Read(file, kMaximumFileBytes, text, error);
    if (read == ERead::TooLarge) {
        damage = "larger than " + std::to_string(kMaximumFileBytes) + " bytes";
    } else if (read == ERead::Read) {
        int badLine = 0;
        if (!Parse(text, into, older, badLine)) { // which leaves both empty
            damage = "line " + std::to_string(badLine) + " is bad: " + Quote(LineAt(text, badLine));
        }
    }
    return read;
}

bool CRecordsFile::Parse(const std::string& text, Table& table, OlderRules& older, int& badLine) {
    table.clear();
    older.clear();
    badLine = 0;
    int lineNumber = 0;
    int version = 0; // from the first line
    std::size_t start = 0;
    // A final line without its line end still counts; the empty text after a final line end
    // is no line.
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        ++lineNumber;
        const std::string_view line = std::string_view(text).substr(start, end - start);
        if (lineNumber == 1) {
            version = line == kVersionLine      ? 3
                      : line == kVersionTwoLine ? 2
                      : line == kVersionOneLine ? 1
                                                : 0;
        }
        if (version == 0 || line.size() > kMaximumLineLength ||
            (lineNumber > 1 && !ParseLine(line, version, table, older))) {
            badLine = lineNumber;
            table.clear();
            older.clear();
            return false;
        }
        start = end + 1;
    }
    if (lineNumber == 0) {
        badLine = 1; // no version line
        return false;
    }
    return true;
}

std::string CRecordsFile::Format(const Table& table, const OlderRules& older) {
    std::vector<std::pair<SWorld, const SRecord*>> records;
    for (const auto& [world, record] : table) {
        records.emplace_back(world, &record);
    }
    for (const auto& [key, record] : older) {
        records.emplace_back(key.first, &record);
    }
    std::sort(records.begin(), records.end(), [](const auto& a, const auto& b) {
        return a.first < b.first || (a.first == b.first && a.second->rules < b.second->rules);
    });
    std::string text = std::string(kVersionLine) + "\n";
    for (const auto& [world, record] : records) {
        char line[128];
        std::snprintf(line, sizeof line, "%d %d %u %lld.%03lld %s %s\n", world.difficulty,
                      world.nodes, world.seed, record->milliseconds / 1000,
                      record->milliseconds % 1000, FormatDate(record->setAt).c_str(),
                      record->rules == CRecords::kRulesBefore ? "-" : record->rules.c_str());
        text += line;
    }
    return text;
}

bool CRecordsFile::ParseLine(std::string_view line, int version, Table& table, OlderRules& older) {
    if (SplitFields(line).empty()) {
        return true; // a blank line
    }
    SWorld world{};
    SRecord record;
    if (!ParseRecord(line, version, world, record)) {
        return false;
    }
    // emplace keeps the first entry: a world listed twice is bad, not silently one of the two.
    if (record.IsUnderTheseRules()) {
        return table.emplace(world, record).second;
    }
    return older.emplace(std::make_pair(world, record.rules), record).second;
}

bool CRecordsFile::ParseRecord(std::string_view line, int version, SWorld& world, SRecord& record) {
    const std::vector<std::string_view> fields = SplitFields(line);
    const std::size_t fieldCount = static_cast<std::size_t>(version) + 3;
    long long seed = 0;
    if (fields.size() != fieldCount ||
        !ParseInteger(fields[0], INT_MIN, INT_MAX, world.difficulty) ||
        !ParseInteger(fields[1], 1, CTunnel::kMaximumRingCount, world.nodes) ||
        !ParseInteger<long long>(fields[2], 0, CTunnel::kMaximumSeed, seed) ||
        !ParseSeconds(fields[3], record.milliseconds)) {
        return false;
    }
    record.setAt = CRecords::kUnknownDate;
    record.rules =
        CRecords::kRulesBefore; // files without the field are older than the rules that noted it
    if ((version >= 2 && fields[4] != "-" && !ParseDate(fields[4], record.setAt)) ||
        (version == 3 && !ParseRules(fields[5], record.rules))) {
        return false;
    }
    world.seed = static_cast<unsigned>(seed);
    return true;
}

bool CRecordsFile::ParseRules(std::string_view field, std::string& rules) {
    if (field == "-") {
        rules = CRecords::kRulesBefore;
        return true;
    }
    // Three numbers written as a game writes its version: "1.3.0", not "01.3" nor "1.3.0.0".
    int parts[3] = {};
    std::size_t at = 0;
    for (int part = 0; part < 3; ++part) {
        const std::size_t end = part < 2 ? field.find('.', at) : field.size();
        if (end == std::string_view::npos ||
            !ParseInteger(field.substr(at, end - at), 0, 9999, parts[part])) {
            return false;
        }
        at = end + 1;
    }
    const std::string written =
        std::to_string(parts[0]) + "." + std::to_string(parts[1]) + "." + std::to_string(parts[2]);
    if (written != field) {
        return false;
    }
    rules = written;
    return true;
}

std::string CRecordsFile::FormatDate(std::int64_t setAt) {
    const std::time_t time = static_cast<std::time_t>(setAt);
    std::tm utc{};
    char text[32];
    // Only years that ParseDate takes back: a clock gone wild must not damage the file.
    if (setAt == CRecords::kUnknownDate || gmtime_r(&time, &utc) == nullptr || utc.tm_year < 100 ||
        utc.tm_year > 9999 - 1900 ||
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc) == 0) {
        return "-";
    }
    return text;
}

bool CRecordsFile::ParseDate(std::string_view field, std::int64_t& setAt) {
    // Exactly "YYYY-MM-DDTHH:MM:SSZ": digits where the pattern has 9, the rest as written.
    static constexpr std::string_view kPattern = "9999-99-99T99:99:99Z";
    if (field.size() != kPattern.size()) {
        return false;
    }
    for (std::size_t at = 0; at < field.size(); ++at) {
        if (kPattern[at] == '9' ? !IsDigit(field[at]) : field[at] != kPattern[at]) {
            return false;
        }
    }
    const auto number = [field](std::size_t at, std::size_t length) {
        int value = 0;
        for (std::size_t i = at; i < at + length; ++i) {
            value = value * 10 + (field[i] - '0');
        }
        return value;
    };
    std::tm utc{};
    utc.tm_year = number(0, 4) - 1900;
    utc.tm_mon = number(5, 2) - 1;
    utc.tm_mday = number(8, 2);
    utc.tm_hour = number(11, 2);
    utc.tm_min = number(14, 2);
    utc.tm_sec = number(17, 2);
    if (utc.tm_year < 100) {
        return false; // before 2000: no game wrote it
    }
    const std::time_t time = timegm(&utc);
    // timegm moves 30 February to March: only a date that comes back as written is one.
    if (time == static_cast<std::time_t>(-1) || FormatDate(time) != field) {
        return false;
    }
    setAt = static_cast<std::int64_t>(time);
    return true;
}

bool CRecordsFile::ParseSeconds(std::string_view field, long long& milliseconds) {
    // Digits, then optionally a point and one to three digits: no sign, exponent or comma.
    std::size_t at = 0;
    long long whole = 0;
    while (at < field.size() && IsDigit(field[at])) {
        whole = whole * 10 + (field[at] - '0');
        if (whole >= CRecords::kTimeLimit / 1000) {
            return false; // also keeps a long run of digits from overflowing
        }
        ++at;
    }
    if (at == 0) {
        return false;
    }
    long long fraction = 0;
    if (at < field.size()) {
        const std::size_t decimals = field.size() - at - 1;
        if (field[at] != '.' || decimals < 1 || decimals > 3) {
            return false;
        }
        for (std::size_t place = 0; place < 3; ++place) {
            const char digit = place < decimals ? field[at + 1 + place] : '0';
            if (!IsDigit(digit)) {
                return false;
            }
            fraction = fraction * 10 + (digit - '0');
        }
    }
    milliseconds = whole * 1000 + fraction;
    return true;
}

std::string_view CRecordsFile::LineAt(const std::string& text, int lineNumber) {
    std::size_t start = 0;
    for (int line = 1; line < lineNumber && start <= text.size(); ++line) {
        const std::size_t end = text.find('\n', start);
        start = end == std::string::npos ? text.size() + 1 : end + 1;
    }
    if (start > text.size()) {
        return {};
    }
    const std::size_t end = text.find('\n', start);
    return std::string_view(text).substr(start, end == std::string::npos ? end : end - start);
}

std::string CRecordsFile::Quote(std::string_view line) {
    std::string quoted = "\"";
    for (const char c : line.substr(0, kQuotedLength)) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (byte >= 0x20 && byte < 0x7f) {
            quoted += c;
        } else {
            // Control and non-ASCII bytes as \xHH: the terminal shows exactly what is there.
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            quoted += escaped;
        }
    }
    quoted += '"';
    if (line.size() > kQuotedLength) {
        quoted += "...";
    }
    return quoted;
}
