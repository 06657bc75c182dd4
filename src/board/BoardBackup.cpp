#include "board/BoardBackup.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sqlite3.h>
#include <unistd.h>

namespace {

constexpr int kBusyMilliseconds = 10000; // a board's checkpoint or recovery of the file
constexpr int kBusyTries = 100;          // of 100 ms each, for a step that found the file busy

const std::string kSqlite = "sqlite:";

std::string WhyNot(const std::string& file) {
    return "cannot write " + file + ": " + std::strerror(errno);
}

// The connection's error, then the connection closed.
std::string Closed(sqlite3* db) {
    std::string error = sqlite3_errmsg(db);
    sqlite3_close(db);
    return error;
}

} // namespace

bool CBoardBackup::Write(const std::string& databaseUrl, const std::string& file,
                         std::string& problem) {
    if (databaseUrl.compare(0, kSqlite.size(), kSqlite) != 0) {
        problem = "only an SQLite board is backed up here; for PostgreSQL use pg_dump: "
                  "pg_dump --format=custom --file=FILE 'postgresql://...'";
        return false;
    }
    const std::string source = databaseUrl.substr(kSqlite.size());
    std::error_code unknown;
    if (std::filesystem::equivalent(source, file, unknown)) {
        problem = "the copy " + file + " would replace the database itself";
        return false;
    }
    std::string temporary = file + ".XXXXXX";
    const int descriptor = mkstemp(temporary.data());
    if (descriptor < 0) {
        problem = WhyNot(file);
        return false;
    }
    close(descriptor);
    if (!CopySqlite(source, temporary, problem)) {
        unlink(temporary.c_str());
        return false;
    }
    if (std::rename(temporary.c_str(), file.c_str()) != 0) {
        problem = WhyNot(file);
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

bool CBoardBackup::CopySqlite(const std::string& source, const std::string& target,
                              std::string& problem) {
    sqlite3* from = nullptr;
    // Read-only: a missing file is an error, not a new empty board.
    if (sqlite3_open_v2(source.c_str(), &from, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        problem = "cannot read " + source + ": " + Closed(from);
        return false;
    }
    sqlite3_busy_timeout(from, kBusyMilliseconds);
    sqlite3* to = nullptr;
    if (sqlite3_open_v2(target.c_str(), &to, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        problem = "cannot write " + target + ": " + Closed(to);
        sqlite3_close(from);
        return false;
    }
    sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
    // Every page in one step: one read transaction, so one snapshot of the board.
    int step = backup != nullptr ? sqlite3_backup_step(backup, -1) : SQLITE_ERROR;
    for (int tries = 1; tries < kBusyTries && (step == SQLITE_BUSY || step == SQLITE_LOCKED);
         ++tries) {
        sqlite3_sleep(100);
        step = sqlite3_backup_step(backup, -1);
    }
    const bool copied = step == SQLITE_DONE;
    if (!copied) {
        problem = "cannot copy " + source + ": " +
                  (backup != nullptr ? sqlite3_errstr(step) : sqlite3_errmsg(to));
    }
    sqlite3_backup_finish(backup);
    sqlite3_close(from);
    return sqlite3_close(to) == SQLITE_OK && copied;
}
