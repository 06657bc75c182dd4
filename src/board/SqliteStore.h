#pragma once

#include "board/BoardStore.h"

#include <mutex>
#include <string>

struct sqlite3;

// The board in one SQLite file: WAL, nothing to install or start. One connection serves every
// thread, one transaction at a time; another server on the same file waits on SQLite's own lock.
class CSqliteStore : public CBoardStore {
public:
    explicit CSqliteStore(std::string path); // ":memory:" for a store that ends with it
    ~CSqliteStore() override;
    CSqliteStore(const CSqliteStore&) = delete;
    CSqliteStore& operator=(const CSqliteStore&) = delete;

    bool Open(std::string& problem) override;
    EName ClaimName(const std::string& name, const std::string& nameKey,
                    const std::string& tokenHash) override;
    EName LookUpName(const std::string& nameKey, const std::string& tokenHash) override;
    SSubmitted Submit(const SRun& run, const std::string& nameKey,
                      const std::string& dayKey) override;
    std::optional<SRun> FindRun(const std::string& id) override;
    std::optional<SFlight> FindFlight(const std::string& flight) override;
    std::vector<SRun> GetRunsWithoutFlight(int limit) override;
    void RecordFlight(const std::string& runId, const std::string& flight) override;
    std::vector<SRankedRun> GetBoard(const SWorld& world, int offset, int limit) override;
    int CountBoard(const SWorld& world) override;
    std::optional<SRankedRun> GetStanding(const SWorld& world, const std::string& nameKey) override;
    std::vector<SRankedRun> GetDayBoard(const std::string& dayKey, int offset, int limit) override;
    int CountDayBoard(const std::string& dayKey) override;
    std::vector<SRun> GetLatest(int limit) override;
    std::vector<std::string> GetDays(int limit) override;
    bool CountSubmission(const std::string& key, std::int64_t minute, int allowance) override;
    bool RemoveRun(const std::string& id) override;
    bool RemoveName(const std::string& nameKey) override;
    std::int64_t GetChanges() override;

private:
    class CStatement;
    bool Execute(const char* sql); // false, and the error kept, when it failed
    std::vector<SRankedRun> Ranked(CStatement& query);
    int CountBoardUnlocked(const SWorld& world);
    bool Migrate(std::string& problem); // inside Open's transaction
    // sql (one ? for key) in a transaction of its own that counts a change when it removed any.
    bool RemoveCounted(const char* sql, const std::string& key);

    std::string path;
    sqlite3* db = nullptr;
    std::mutex mutex; // one transaction at a time on the one connection
    std::string lastError;
};
