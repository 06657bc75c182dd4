#include "runs/Records.h"

#include "base/AtomicFile.h"
#include "base/SmallFile.h"
#include "base/XdgDirectories.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <tuple>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {
const char* const kVersionLine = "zelkora records 3";
const char* const kVersionTwoLine = "zelkora records 2"; // no rules; read, never written
const char* const kVersionOneLine = "zelkora records 1"; // no dates nor rules
const char* const kFileName = "records.txt";
const char* const kPendingSuffix = ".pending";

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

bool CRecords::SWorld::operator<(const SWorld& other) const {
    return std::tie(difficulty, nodes, seed) < std::tie(other.difficulty, other.nodes, other.seed);
}

bool CRecords::SWorld::operator==(const SWorld& other) const {
    return difficulty == other.difficulty && nodes == other.nodes && seed == other.seed;
}

CRecords::CRecords(std::string directory, Clock clock)
    : directory(std::move(directory)), path(this->directory + "/" + kFileName),
      clock(std::move(clock)) {}

std::int64_t CRecords::Now() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

void CRecords::Load() {
    loaded = true;
    Table read;
    OlderRules readOlder;
    ReadForLoad(read, readOlder);
    {
        const std::lock_guard<std::mutex> guard(tableMutex);
        table = std::move(read);
        olderRules = std::move(readOlder);
    }
    ++changes;
    if (!directory.empty() && !FindPendingFiles().empty()) {
        bool ignored = false;
        SaveClaims(nullptr, ignored, 0); // the start waits for no lock: the next save merges
    }
}

void CRecords::ReadForLoad(Table& into, OlderRules& older) {
    if (directory.empty()) {
        return;
    }
    std::string error;
    std::string damage;
    ERead read = ReadTable(into, older, error, damage);
    if (!damage.empty()) {
        // Another game starting on the same file may be moving it aside, or saving a new table in
        // its place, this very moment: under the lock, only what is still damaged moves.
        const int lock = LockFile();
        read = ReadTable(into, older, error, damage);
        if (!damage.empty()) {
            SetAside(damage);
        }
        if (lock >= 0) {
            close(lock);
        }
    }
    if (read == ERead::Failed) {
        BlockUnreadable(error);
    }
}

void CRecords::BlockUnreadable(const std::string& reason) {
    std::printf("records: %s: cant read it (%s), new records will not be saved\n", path.c_str(),
                reason.c_str());
    std::fflush(stdout);
    saveBlocked = true;
}

CRecords::ERead CRecords::ReadRecords(const std::string& file, Table& into, OlderRules& older,
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

long long CRecords::GetBest(const SWorld& world) const {
    const std::lock_guard<std::mutex> guard(tableMutex);
    const Table::const_iterator found = table.find(world);
    return found == table.end() ? -1 : found->second.milliseconds;
}

CRecords::Table CRecords::GetTable() const {
    const std::lock_guard<std::mutex> guard(tableMutex);
    Table shown = table;
    for (const auto& [key, record] : olderRules) { // by world, so each world's in a row
        const auto [kept, added] = shown.emplace(key.first, record);
        if (!added && !kept->second.IsUnderTheseRules() &&
            record.milliseconds < kept->second.milliseconds) {
            kept->second = record;
        }
    }
    return shown;
}

bool CRecords::Submit(const SWorld& world, long long milliseconds,
                      const std::function<void()>& whileLocked) {
    return Claim(world, milliseconds) && SaveClaim(world, milliseconds, whileLocked);
}

bool CRecords::Claim(const SWorld& world, long long milliseconds) {
    if (!IsRecordable(world, milliseconds)) {
        std::printf("records: cant record %lld ms for world %d %d %u (out of range)\n",
                    milliseconds, world.difficulty, world.nodes, world.seed);
        std::fflush(stdout);
        return false;
    }
    if (!loaded) {
        Load(); // saving an unread table would drop every record in the file
    }
    const std::lock_guard<std::mutex> guard(tableMutex);
    const Table::const_iterator found = table.find(world);
    if (found != table.end() && milliseconds >= found->second.milliseconds) {
        return false;
    }
    table[world] = SRecord(milliseconds, clock());
    ++changes;
    return true;
}

bool CRecords::SaveClaim(const SWorld& world, long long milliseconds,
                         const std::function<void()>& whileLocked) {
    claims[world] = SClaim{milliseconds, whileLocked};
    bool stood = true;
    SaveClaims(&world, stood);
    return stood;
}

void CRecords::Flush() {
    const std::size_t waiting = claims.size();
    bool stood = true;
    if (waiting == 0 || SaveClaims(nullptr, stood, 0)) {
        return; // a quit waits for no other game
    }
    std::string error;
    const std::string pending = KeepPending(error);
    if (pending.empty()) {
        std::printf("records: %s.lock is still held, %zu new records not saved (%s)\n",
                    path.c_str(), waiting, error.c_str());
    } else {
        claims.clear();
        std::printf("records: %s.lock is still held, %zu new records kept in %s for the next "
                    "game\n",
                    path.c_str(), waiting, pending.c_str());
    }
    std::fflush(stdout);
}

std::string CRecords::KeepPending(std::string& error) {
    Table kept;
    {
        const std::lock_guard<std::mutex> guard(tableMutex);
        for (const auto& [world, claim] : claims) {
            const Table::const_iterator claimed = table.find(world);
            if (claimed != table.end()) {
                kept.emplace(world, claimed->second);
            }
        }
    }
    const std::string text = Format(kept, {});
    if (directory.empty() || !CAtomicFile::MakeDirectories(directory, error)) {
        error = directory.empty() ? CXdgDirectories::kNoDataDirectory : error;
        return "";
    }
    // A new name each time: two games quitting at once keep both their records.
    for (int number = 0; number <= kMaximumPendingNumber; ++number) {
        const std::string pending =
            path + kPendingSuffix + (number == 0 ? std::string() : "." + std::to_string(number));
        const CAtomicFile::EResult result = CAtomicFile::CreateNew(pending, text, error);
        if (result == CAtomicFile::EResult::Written) {
            return pending;
        }
        if (result == CAtomicFile::EResult::Failed) {
            return "";
        }
    }
    error = std::strerror(EEXIST);
    return "";
}

// Another game may have saved since we read the file: under the lock, what it saved is taken
// in, and nothing of it is written over.
bool CRecords::SaveClaims(const SWorld* asked, bool& askedStood, int waitMilliseconds) {
    ELock state = ELock::None;
    const int lock = LockFile(state, waitMilliseconds);
    if (state == ELock::Busy) {
        askedStood = true; // in the table, for the next save to merge
        return false;
    }
    MergeFile();
    const std::vector<std::string> merged = MergePendingFiles();
    askedStood = asked != nullptr && claims.count(*asked) != 0;
    // A record that is not saved (a file we could not read stays untouched) writes no replay
    // either: the faster run behind that file's record may be the one on disk.
    if ((!claims.empty() || !merged.empty()) && Save()) {
        for (const auto& [world, claim] : claims) {
            if (claim.whileLocked) {
                claim.whileLocked();
            }
        }
        for (const std::string& pending : merged) {
            unlink(pending.c_str()); // its records are in the file now
        }
    }
    claims.clear();
    if (lock >= 0) {
        close(lock); // and with it the lock
    }
    return true;
}

int CRecords::LockFile(ELock& result, int waitMilliseconds) {
    result = ELock::None;
    std::string error;
    if (directory.empty() || saveBlocked || !CAtomicFile::MakeDirectories(directory, error)) {
        return -1;
    }
    const std::string lockPath = path + ".lock";
    const int descriptor = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (descriptor < 0) {
        return -1; // saving still replaces the file whole; only a merge could be missed
    }
    // Never unbounded: a game stopped while it holds the lock must not stop this one.
    const auto giveUp =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMilliseconds);
    int locked = 0;
    while ((locked = flock(descriptor, LOCK_EX | LOCK_NB)) != 0 &&
           (errno == EINTR || errno == EWOULDBLOCK)) {
        if (errno == EWOULDBLOCK && std::chrono::steady_clock::now() >= giveUp) {
            close(descriptor);
            ReportBusyLock(lockPath);
            result = ELock::Busy;
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (locked == 0) {
        result = ELock::Held;
        return descriptor;
    }
    const int reason = errno;
    close(descriptor);
    if (!lockFailureReported) { // a file system without locks says so on every save
        lockFailureReported = true;
        std::printf("records: cant lock %s (%s), saving without it\n", lockPath.c_str(),
                    std::strerror(reason));
        std::fflush(stdout);
    }
    return -1;
}

void CRecords::MergeFile() {
    if (directory.empty() || saveBlocked) {
        return;
    }
    Table saved;
    OlderRules savedOlder;
    std::string error;
    std::string damage;
    const ERead read = ReadTable(saved, savedOlder, error, damage);
    if (!damage.empty()) {
        SetAside(damage); // under the caller's lock
    }
    if (read == ERead::Failed) {
        BlockUnreadable(error); // the save would replace records we could not see
        return;
    }
    MergeRecords(saved, savedOlder);
}

void CRecords::MergeRecords(const Table& saved, const OlderRules& savedOlder) {
    const std::lock_guard<std::mutex> guard(tableMutex);
    for (const auto& [world, record] : saved) {
        const auto claim = claims.find(world);
        if (claim != claims.end() && record.milliseconds <= claim->second.milliseconds) {
            claims.erase(claim); // another game's time, as fast or faster, stands
            table[world] = record;
            ++changes;
            continue;
        }
        const auto [kept, added] = table.emplace(world, record);
        if (added) {
            ++changes;
        } else if (record.milliseconds < kept->second.milliseconds) {
            kept->second = record; // the faster time of each world, with its date
            ++changes;
        }
    }
    for (const auto& [key, record] : savedOlder) {
        const auto [kept, added] = olderRules.emplace(key, record);
        if (added || record.milliseconds < kept->second.milliseconds) {
            kept->second = record;
            ++changes;
        }
    }
}

std::vector<std::string> CRecords::FindPendingFiles() const {
    // records.txt.pending and records.txt.pending.<number>: not the .bad names beside them.
    const std::string prefix = kFileName + std::string(kPendingSuffix);
    std::vector<std::string> found;
    DIR* const folder = opendir(directory.c_str());
    if (folder == nullptr) {
        return found;
    }
    while (const dirent* entry = readdir(folder)) {
        const std::string_view name = entry->d_name;
        const std::string_view number = name.substr(std::min(name.size(), prefix.size() + 1));
        const bool numbered = name.size() > prefix.size() + 1 && name[prefix.size()] == '.' &&
                              std::all_of(number.begin(), number.end(), IsDigit);
        if (name.substr(0, prefix.size()) == prefix && (name.size() == prefix.size() || numbered)) {
            found.push_back(directory + "/" + std::string(name));
        }
    }
    closedir(folder);
    std::sort(found.begin(), found.end());
    return found;
}

std::vector<std::string> CRecords::MergePendingFiles() {
    std::vector<std::string> merged;
    if (directory.empty() || saveBlocked) {
        return merged;
    }
    for (const std::string& pending : FindPendingFiles()) {
        if (std::find(pendingLeft.begin(), pendingLeft.end(), pending) != pendingLeft.end()) {
            continue;
        }
        Table saved;
        OlderRules savedOlder;
        std::string error;
        std::string damage;
        const ERead read = ReadRecords(pending, saved, savedOlder, error, damage);
        if (!damage.empty()) {
            SetPendingAside(pending, damage);
        } else if (read == ERead::Failed) {
            ReportPendingLeft(pending, "cant read it (" + error + ")");
        } else if (read == ERead::Read) {
            MergeRecords(saved, savedOlder);
            merged.push_back(pending);
        }
    }
    return merged;
}

void CRecords::SetPendingAside(const std::string& file, const std::string& problem) {
    std::string movedTo;
    std::string error;
    if (!CAtomicFile::SetAside(file, movedTo, error)) {
        ReportPendingLeft(file, problem + "; cant move it aside (" + error + ")");
        return;
    }
    std::printf("records: %s: %s; moved it to %s, its records are not merged\n", file.c_str(),
                problem.c_str(), movedTo.c_str());
    std::fflush(stdout);
}

void CRecords::ReportPendingLeft(const std::string& file, const std::string& why) {
    pendingLeft.push_back(file);
    std::printf("records: %s: %s, leaving it as it is\n", file.c_str(), why.c_str());
    std::fflush(stdout);
}

void CRecords::ReportBusyLock(const std::string& lockPath) {
    if (lockBusyReported) {
        return;
    }
    lockBusyReported = true;
    std::printf("records: %s is held by another game, keeping new records for the next save\n",
                lockPath.c_str());
    std::fflush(stdout);
}

bool CRecords::Parse(const std::string& text, Table& table, OlderRules& older, int& badLine) {
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

std::string CRecords::Format(const Table& table, const OlderRules& older) {
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
                      record->rules == kRulesBefore ? "-" : record->rules.c_str());
        text += line;
    }
    return text;
}

std::string CRecords::FormatTime(long long milliseconds) {
    const long long shown = milliseconds < 0 ? 0 : milliseconds;
    char text[48];
    std::snprintf(text, sizeof text, "%lld:%02lld.%02lld", shown / 60000, shown / 1000 % 60,
                  shown / 10 % 100);
    return text;
}

bool CRecords::ParseLine(std::string_view line, int version, Table& table, OlderRules& older) {
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

bool CRecords::ParseRecord(std::string_view line, int version, SWorld& world, SRecord& record) {
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
    record.setAt = kUnknownDate;
    record.rules = kRulesBefore; // files without the field are older than the rules that noted it
    if ((version >= 2 && fields[4] != "-" && !ParseDate(fields[4], record.setAt)) ||
        (version == 3 && !ParseRules(fields[5], record.rules))) {
        return false;
    }
    world.seed = static_cast<unsigned>(seed);
    return true;
}

bool CRecords::ParseRules(std::string_view field, std::string& rules) {
    if (field == "-") {
        rules = kRulesBefore;
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

std::string CRecords::FormatDate(std::int64_t setAt) {
    const std::time_t time = static_cast<std::time_t>(setAt);
    std::tm utc{};
    char text[32];
    // Only years that ParseDate takes back: a clock gone wild must not damage the file.
    if (setAt == kUnknownDate || gmtime_r(&time, &utc) == nullptr || utc.tm_year < 100 ||
        utc.tm_year > 9999 - 1900 ||
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc) == 0) {
        return "-";
    }
    return text;
}

bool CRecords::ParseDate(std::string_view field, std::int64_t& setAt) {
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

bool CRecords::ParseSeconds(std::string_view field, long long& milliseconds) {
    // Digits, then optionally a point and one to three digits: no sign, exponent or comma.
    std::size_t at = 0;
    long long whole = 0;
    while (at < field.size() && IsDigit(field[at])) {
        whole = whole * 10 + (field[at] - '0');
        if (whole >= kTimeLimit / 1000) {
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

bool CRecords::IsRecordable(const SWorld& world, long long milliseconds) {
    return world.nodes >= 1 && world.nodes <= CTunnel::kMaximumRingCount &&
           world.seed <= CTunnel::kMaximumSeed && milliseconds >= 0 && milliseconds < kTimeLimit;
}

std::string_view CRecords::LineAt(const std::string& text, int lineNumber) {
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

std::string CRecords::Quote(std::string_view line) {
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

void CRecords::SetAside(const std::string& problem) {
    std::string newPath;
    std::string error;
    struct stat status {};
    if (CAtomicFile::SetAside(path, newPath, error)) {
        std::printf("records: %s: %s; moved it to %s, starting a new table\n", path.c_str(),
                    problem.c_str(), newPath.c_str());
    } else if (lstat(path.c_str(), &status) != 0 && errno == ENOENT) {
        // Another game moved it aside first (without a lock between us): nothing is left to
        // protect, and what that game saves next is merged like any other game's records.
    } else {
        std::printf("records: %s: %s; cant move it aside (%s), new records will not be saved\n",
                    path.c_str(), problem.c_str(), error.c_str());
        saveBlocked = true;
    }
    std::fflush(stdout);
}

bool CRecords::Save() {
    if (saveBlocked) {
        return false;
    }
    std::string error;
    std::string text;
    {
        const std::lock_guard<std::mutex> guard(tableMutex);
        text = Format(table, olderRules);
    }
    if (directory.empty()) {
        ReportSaveFailure(CXdgDirectories::kNoDataDirectory);
    } else if (!CAtomicFile::MakeDirectories(directory, error) ||
               !CAtomicFile::Replace(path, text, error)) {
        ReportSaveFailure(error);
    } else {
        return true;
    }
    return false;
}

void CRecords::ReportSaveFailure(const std::string& reason) {
    if (saveFailureReported) {
        return;
    }
    saveFailureReported = true;
    std::printf("records: cant save in %s (%s), playing on without saving\n",
                directory.empty() ? "the data directory" : directory.c_str(), reason.c_str());
    std::fflush(stdout);
}
