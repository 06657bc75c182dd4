#pragma once

#include "board/BoardStore.h"

#include <memory>
#include <string>

class CPostgresPool;

// The board in PostgreSQL, for several servers sharing one database. Every call is one
// transaction on a connection of its own; the database's unique keys and upserts decide which
// run is a player's best, so the server keeps nothing another server would need.
class CPostgresStore : public CBoardStore {
public:
    explicit CPostgresStore(std::string url); // any libpq connection URL
    ~CPostgresStore() override;
    CPostgresStore(const CPostgresStore&) = delete;
    CPostgresStore& operator=(const CPostgresStore&) = delete;

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
    // Runs body(pqxx::work&) in one transaction and commits it, again when the database rolled
    // it back (a deadlock) or the connection broke; on any other failure, says why on stderr
    // and gives `failed`.
    template <typename Result, typename Body> Result Transact(Result failed, Body body);

    std::unique_ptr<CPostgresPool> pool;
};
