#include "runs/Records.h"
#include "runs/RecordsFile.h"

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
const char* const kFileName = "records.txt";
const char* const kPendingSuffix = ".pending";
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

CRecords::ERead CRecords::ReadTable(Table& into, OlderRules& older, std::string& error,
                                    std::string& damage) {
    return CRecordsFile::Read(path, into, older, error, damage);
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
    const std::string text = CRecordsFile::Format(kept, {});
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
        const bool numbered =
            name.size() > prefix.size() + 1 && name[prefix.size()] == '.' &&
            std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
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
        const ERead read = CRecordsFile::Read(pending, saved, savedOlder, error, damage);
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

std::string CRecords::FormatTime(long long milliseconds) {
    const long long shown = milliseconds < 0 ? 0 : milliseconds;
    char text[48];
    std::snprintf(text, sizeof text, "%lld:%02lld.%02lld", shown / 60000, shown / 1000 % 60,
                  shown / 10 % 100);
    return text;
}

bool CRecords::IsRecordable(const SWorld& world, long long milliseconds) {
    return world.nodes >= 1 && world.nodes <= CTunnel::kMaximumRingCount &&
           world.seed <= CTunnel::kMaximumSeed && milliseconds >= 0 && milliseconds < kTimeLimit;
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
        text = CRecordsFile::Format(table, olderRules);
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
