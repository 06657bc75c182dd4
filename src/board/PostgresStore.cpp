#include "board/PostgresStore.h"

#include "board/PostgresPool.h"

#include <cstdio>
#include <pqxx/binarystring>
#include <pqxx/except>
#include <pqxx/result>
#include <pqxx/transaction>
#include <utility>

namespace {

using SRun = CBoardStore::SRun;
using SWorld = CBoardStore::SWorld;

// The schema's numbered migrations: element i brings version i to i + 1. A change to the schema
// is a new element; one already released is never edited.
const char* const kMigrations[] = {
    // 1: players, every run a best refers to, and the bests of each world and each day.
    R"sql(
CREATE TABLE players (
    name_key TEXT PRIMARY KEY,
    name TEXT NOT NULL,
    token_hash TEXT NOT NULL,
    claimed_at BIGINT NOT NULL);
CREATE TABLE runs (
    id TEXT PRIMARY KEY,
    name_key TEXT NOT NULL REFERENCES players ON DELETE CASCADE,
    difficulty INTEGER NOT NULL,
    nodes INTEGER NOT NULL,
    seed BIGINT NOT NULL,
    milliseconds BIGINT NOT NULL,
    splits TEXT NOT NULL,
    submitted_at BIGINT NOT NULL,
    recorded_at BIGINT NOT NULL,
    game_version TEXT NOT NULL,
    replay BYTEA NOT NULL);
CREATE INDEX runs_latest ON runs (submitted_at DESC);
CREATE INDEX runs_player_world ON runs (name_key, difficulty, nodes, seed);
CREATE TABLE world_best (
    name_key TEXT NOT NULL REFERENCES players ON DELETE CASCADE,
    difficulty INTEGER NOT NULL,
    nodes INTEGER NOT NULL,
    seed BIGINT NOT NULL,
    run_id TEXT NOT NULL REFERENCES runs ON DELETE CASCADE,
    milliseconds BIGINT NOT NULL,
    submitted_at BIGINT NOT NULL,
    PRIMARY KEY (name_key, difficulty, nodes, seed));
CREATE INDEX world_best_rank ON world_best (difficulty, nodes, seed, milliseconds, submitted_at);
CREATE INDEX world_best_run ON world_best (run_id);
CREATE TABLE day_best (
    day TEXT NOT NULL,
    name_key TEXT NOT NULL REFERENCES players ON DELETE CASCADE,
    run_id TEXT NOT NULL REFERENCES runs ON DELETE CASCADE,
    milliseconds BIGINT NOT NULL,
    submitted_at BIGINT NOT NULL,
    PRIMARY KEY (day, name_key));
CREATE INDEX day_best_rank ON day_best (day, milliseconds, submitted_at);
CREATE INDEX day_best_run ON day_best (run_id);
)sql",
    // 2: the submissions of each player and address in the current minute.
    R"sql(
CREATE TABLE rate_limits (key TEXT PRIMARY KEY, minute BIGINT NOT NULL, count INTEGER NOT NULL);
CREATE INDEX rate_limits_minute ON rate_limits (minute);
)sql",
    // 3: what each run flew, and every flight ever kept with the name that owns it.
    R"sql(
ALTER TABLE runs ADD COLUMN flight TEXT;
CREATE INDEX runs_without_flight ON runs (submitted_at, id) WHERE flight IS NULL;
CREATE TABLE flights (
    flight TEXT PRIMARY KEY,
    name_key TEXT NOT NULL,
    name TEXT NOT NULL,
    run_id TEXT NOT NULL,
    first_at BIGINT NOT NULL);
)sql",
    // 4: the count of changes to what the boards show, one row.
    R"sql(
CREATE TABLE changes (id INTEGER PRIMARY KEY CHECK (id = 1), counter BIGINT NOT NULL);
INSERT INTO changes (id, counter) VALUES (1, 0);
)sql",
};
constexpr int kSchemaVersion = sizeof kMigrations / sizeof kMigrations[0];

// Held while the schema is made or migrated: two servers starting on a new database at once
// would both create the tables. Any number of the board's own, "ZELK".
constexpr long long kSchemaLock = 0x5A454C4B;
// Connections of one server at once: the servers sharing a database share its max_connections
// (100 by default).
constexpr std::size_t kConnections = 16;
constexpr int kAttempts = 3; // of a transaction the database rolled back or whose connection broke

// Moved by every write that changes what a board shows; the row lock orders such writes.
const char* const kCountChange = "UPDATE changes SET counter = counter + 1";

const char* const kRunColumns = "r.id, p.name, r.difficulty, r.nodes, r.seed, r.milliseconds, "
                                "r.splits, r.submitted_at, r.recorded_at, r.game_version";
// A listing's ranks, counted for the page's rows alone through the rank indexes (a window
// over the whole board would read every row of it for each page): equal times share one.
const char* const kWorldRank = "1 + (SELECT COUNT(*) FROM world_best o WHERE o.difficulty = "
                               "b.difficulty AND o.nodes = b.nodes AND o.seed = b.seed AND "
                               "o.milliseconds < b.milliseconds)";
const char* const kDayRank = "1 + (SELECT COUNT(*) FROM day_best o WHERE o.day = b.day AND "
                             "o.milliseconds < b.milliseconds)";

// libpq's messages end with a line break of their own.
std::string Why(const std::exception& error) {
    std::string why = error.what();
    while (!why.empty() && why.back() == '\n') {
        why.pop_back();
    }
    return why;
}

void Complain(const std::exception& error) {
    std::fprintf(stderr, "board: PostgreSQL: %s\n", Why(error).c_str());
}

// The columns of kRunColumns.
SRun ReadRun(const pqxx::row& row) {
    SRun run;
    run.id = row[0].as<std::string>();
    run.player = row[1].as<std::string>();
    run.world.difficulty = row[2].as<int>();
    run.world.nodes = row[3].as<int>();
    run.world.seed = static_cast<unsigned>(row[4].as<long long>());
    run.milliseconds = row[5].as<long long>();
    run.splits = CBoardStore::ParseSplits(row[6].as<std::string>());
    run.submittedAt = row[7].as<std::int64_t>();
    run.recordedAt = row[8].as<std::int64_t>();
    run.gameVersion = row[9].as<std::string>();
    return run;
}

// The rows of a listing whose column 10 is the rank.
std::vector<CBoardStore::SRankedRun> Ranked(const pqxx::result& rows) {
    std::vector<CBoardStore::SRankedRun> ranked;
    for (const pqxx::row& row : rows) {
        ranked.push_back({row[10].as<int>(), ReadRun(row)});
    }
    return ranked;
}

long long Seed(const SWorld& world) {
    return static_cast<long long>(world.seed);
}

CBoardStore::EName Owner(pqxx::work& transaction, const std::string& nameKey,
                         const std::string& tokenHash) {
    const pqxx::result owner =
        transaction.exec_params("SELECT token_hash FROM players WHERE name_key = $1", nameKey);
    if (owner.empty()) {
        return CBoardStore::EName::Claimed;
    }
    return owner[0][0].as<std::string>() == tokenHash ? CBoardStore::EName::Owned
                                                      : CBoardStore::EName::Taken;
}

// The flight made the player's. False when it was someone's already: the owner's name is then
// in owner, empty when it is this player's own flight again. A concurrent submission of the same
// flight waits on its key and then finds it taken.
bool ClaimFlight(pqxx::work& transaction, const SRun& run, const std::string& nameKey,
                 std::string& owner) {
    if (transaction
            .exec_params("INSERT INTO flights (flight, name_key, name, run_id, first_at) "
                         "SELECT $1, name_key, name, $2, $3 FROM players WHERE name_key = $4 "
                         "ON CONFLICT (flight) DO NOTHING",
                         run.flight, run.id, run.submittedAt, nameKey)
            .affected_rows() == 1) {
        return true;
    }
    const pqxx::row found = transaction.exec_params1(
        "SELECT name_key, name FROM flights WHERE flight = $1", run.flight);
    if (found[0].as<std::string>() != nameKey) {
        owner = found[1].as<std::string>();
    }
    return false;
}

void InsertRun(pqxx::work& transaction, const SRun& run, const std::string& nameKey) {
    transaction.exec_params("INSERT INTO runs (id, name_key, difficulty, nodes, seed, "
                            "milliseconds, splits, submitted_at, recorded_at, game_version, "
                            "replay, flight) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, "
                            "$11, $12) ON CONFLICT (id) DO NOTHING",
                            run.id, nameKey, run.world.difficulty, run.world.nodes, Seed(run.world),
                            run.milliseconds, CBoardStore::JoinSplits(run.splits), run.submittedAt,
                            run.recordedAt, run.gameVersion, pqxx::binarystring(run.replay),
                            run.flight);
}

// The faster wins, in one statement: a concurrent submission of the same player waits on the
// row and is then compared with what that one left.
void KeepIfFaster(pqxx::work& transaction, const SRun& run, const std::string& nameKey,
                  const std::string& dayKey) {
    transaction.exec_params("INSERT INTO world_best (name_key, difficulty, nodes, seed, run_id, "
                            "milliseconds, submitted_at) VALUES ($1, $2, $3, $4, $5, $6, $7) "
                            "ON CONFLICT (name_key, difficulty, nodes, seed) DO UPDATE SET "
                            "run_id = excluded.run_id, milliseconds = excluded.milliseconds, "
                            "submitted_at = excluded.submitted_at "
                            "WHERE excluded.milliseconds < world_best.milliseconds",
                            nameKey, run.world.difficulty, run.world.nodes, Seed(run.world), run.id,
                            run.milliseconds, run.submittedAt);
    if (dayKey.empty()) {
        return;
    }
    transaction.exec_params("INSERT INTO day_best (day, name_key, run_id, milliseconds, "
                            "submitted_at) VALUES ($1, $2, $3, $4, $5) "
                            "ON CONFLICT (day, name_key) DO UPDATE SET "
                            "run_id = excluded.run_id, milliseconds = excluded.milliseconds, "
                            "submitted_at = excluded.submitted_at "
                            "WHERE excluded.milliseconds < day_best.milliseconds",
                            dayKey, nameKey, run.id, run.milliseconds, run.submittedAt);
}

// Every run of the player in that world that no best refers to goes: this one when it was
// slower, the best it replaced, and the one a concurrent submission replaced in between. The
// upserts above held the player's best, so this statement sees what that submission committed.
void DropUnreferencedRuns(pqxx::work& transaction, const std::string& nameKey,
                          const SWorld& world) {
    transaction.exec_params("DELETE FROM runs r WHERE r.name_key = $1 AND r.difficulty = $2 AND "
                            "r.nodes = $3 AND r.seed = $4 "
                            "AND NOT EXISTS (SELECT 1 FROM world_best WHERE run_id = r.id) "
                            "AND NOT EXISTS (SELECT 1 FROM day_best WHERE run_id = r.id)",
                            nameKey, world.difficulty, world.nodes, Seed(world));
}

int CountPlayers(pqxx::work& transaction, const SWorld& world) {
    return transaction
        .exec_params1("SELECT COUNT(*) FROM world_best WHERE difficulty = $1 AND nodes = $2 "
                      "AND seed = $3",
                      world.difficulty, world.nodes, Seed(world))[0]
        .as<int>();
}

// The player's best of the world, the rank of the run among the other players' bests (as it is
// or would be), and how many players the board holds.
void ReadStanding(pqxx::work& transaction, const SRun& run, const std::string& nameKey,
                  CBoardStore::SSubmitted& result) {
    const pqxx::result best = transaction.exec_params(
        std::string("SELECT ") + kRunColumns +
            " FROM world_best b JOIN runs r ON r.id = b.run_id "
            "JOIN players p ON p.name_key = b.name_key WHERE b.name_key = $1 "
            "AND b.difficulty = $2 AND b.nodes = $3 AND b.seed = $4",
        nameKey, run.world.difficulty, run.world.nodes, Seed(run.world));
    if (!best.empty()) {
        result.best = ReadRun(best[0]);
    }
    result.kept = result.best.id == run.id;
    // Equal times share a rank.
    result.rank = 1 + transaction
                          .exec_params1("SELECT COUNT(*) FROM world_best WHERE difficulty = $1 "
                                        "AND nodes = $2 AND seed = $3 AND name_key <> $4 AND "
                                        "milliseconds < $5",
                                        run.world.difficulty, run.world.nodes, Seed(run.world),
                                        nameKey, run.milliseconds)[0]
                          .as<int>();
    result.players = CountPlayers(transaction, run.world);
}

} // namespace

CPostgresStore::CPostgresStore(std::string url)
    : pool(std::make_unique<CPostgresPool>(std::move(url), kConnections)) {}

CPostgresStore::~CPostgresStore() = default;

template <typename Result, typename Body>
Result CPostgresStore::Transact(Result failed, Body body) {
    for (int attempt = 1;; ++attempt) {
        try {
            const CPostgresPool::CLease connection = pool->Take();
            pqxx::work transaction(*connection);
            Result result = body(transaction);
            transaction.commit();
            return result;
        } catch (const pqxx::transaction_rollback& error) {
            if (attempt == kAttempts) {
                Complain(error);
                return failed;
            }
        } catch (const pqxx::broken_connection& error) {
            if (attempt == kAttempts) {
                Complain(error);
                return failed;
            }
        } catch (const std::exception& error) {
            Complain(error);
            return failed;
        }
    }
}

bool CPostgresStore::Open(std::string& problem) {
    try {
        const CPostgresPool::CLease connection = pool->Take();
        pqxx::work transaction(*connection);
        transaction.exec_params("SELECT pg_advisory_xact_lock($1)", kSchemaLock);
        transaction.exec("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)");
        const pqxx::result found = transaction.exec("SELECT version FROM schema_version");
        const int version = found.empty() ? 0 : found[0][0].as<int>();
        if (version > kSchemaVersion) {
            problem = "PostgreSQL: schema version " + std::to_string(version) +
                      " is newer than this board's (" + std::to_string(kSchemaVersion) + ")";
            return false;
        }
        for (int next = version; next < kSchemaVersion; ++next) {
            transaction.exec(kMigrations[next]);
        }
        transaction.exec("DELETE FROM schema_version");
        transaction.exec_params("INSERT INTO schema_version (version) VALUES ($1)", kSchemaVersion);
        transaction.commit();
        return true;
    } catch (const std::exception& error) {
        problem = "PostgreSQL: " + Why(error);
        return false;
    }
}

CBoardStore::EName CPostgresStore::ClaimName(const std::string& name, const std::string& nameKey,
                                             const std::string& tokenHash) {
    return Transact(EName::Taken, [&](pqxx::work& transaction) {
        const pqxx::result claim = transaction.exec_params(
            "INSERT INTO players (name_key, name, token_hash, claimed_at) "
            "VALUES ($1, $2, $3, EXTRACT(EPOCH FROM now())::BIGINT) ON CONFLICT DO NOTHING",
            nameKey, name, tokenHash);
        return claim.affected_rows() == 1 ? EName::Claimed : Owner(transaction, nameKey, tokenHash);
    });
}

CBoardStore::EName CPostgresStore::LookUpName(const std::string& nameKey,
                                              const std::string& tokenHash) {
    return Transact(EName::Taken, [&](pqxx::work& transaction) {
        return Owner(transaction, nameKey, tokenHash);
    });
}

CBoardStore::SSubmitted CPostgresStore::Submit(const SRun& run, const std::string& nameKey,
                                               const std::string& dayKey) {
    return Transact(SSubmitted{}, [&](pqxx::work& transaction) {
        SSubmitted result;
        result.known = !ClaimFlight(transaction, run, nameKey, result.flightOwner);
        if (!result.flightOwner.empty()) {
            return result;
        }
        if (!result.known) {
            InsertRun(transaction, run, nameKey);
            KeepIfFaster(transaction, run, nameKey, dayKey);
            DropUnreferencedRuns(transaction, nameKey, run.world);
            transaction.exec(kCountChange);
        }
        ReadStanding(transaction, run, nameKey, result);
        return result;
    });
}

std::optional<CBoardStore::SRun> CPostgresStore::FindRun(const std::string& id) {
    return Transact(std::optional<SRun>{}, [&](pqxx::work& transaction) -> std::optional<SRun> {
        const pqxx::result found = transaction.exec_params(
            std::string("SELECT ") + kRunColumns +
                ", r.replay FROM runs r JOIN players p ON p.name_key = r.name_key "
                "WHERE r.id = $1",
            id);
        if (found.empty()) {
            return std::nullopt;
        }
        SRun run = ReadRun(found[0]);
        run.replay = pqxx::binarystring(found[0][10]).str();
        return run;
    });
}

std::optional<CBoardStore::SFlight> CPostgresStore::FindFlight(const std::string& flight) {
    using SFound = std::optional<SFlight>;
    return Transact(SFound{}, [&](pqxx::work& transaction) -> SFound {
        const pqxx::result found = transaction.exec_params(
            "SELECT name_key, name, run_id FROM flights WHERE flight = $1", flight);
        if (found.empty()) {
            return std::nullopt;
        }
        return SFlight{found[0][0].as<std::string>(), found[0][1].as<std::string>(),
                       found[0][2].as<std::string>()};
    });
}

std::vector<CBoardStore::SRun> CPostgresStore::GetRunsWithoutFlight(int limit) {
    return Transact(std::vector<SRun>{}, [&](pqxx::work& transaction) {
        std::vector<SRun> runs;
        for (const pqxx::row& row : transaction.exec_params(
                 std::string("SELECT ") + kRunColumns +
                     ", r.replay FROM runs r JOIN players p ON p.name_key = r.name_key "
                     "WHERE r.flight IS NULL ORDER BY r.submitted_at, r.id LIMIT $1",
                 limit)) {
            runs.push_back(ReadRun(row));
            runs.back().replay = pqxx::binarystring(row[10]).str();
        }
        return runs;
    });
}

void CPostgresStore::RecordFlight(const std::string& runId, const std::string& flight) {
    Transact(true, [&](pqxx::work& transaction) {
        transaction.exec_params("INSERT INTO flights (flight, name_key, name, run_id, first_at) "
                                "SELECT $1, r.name_key, p.name, r.id, r.submitted_at FROM runs r "
                                "JOIN players p ON p.name_key = r.name_key WHERE r.id = $2 "
                                "ON CONFLICT (flight) DO NOTHING",
                                flight, runId);
        transaction.exec_params("UPDATE runs SET flight = $1 WHERE id = $2", flight, runId);
        return true;
    });
}

std::vector<CBoardStore::SRankedRun> CPostgresStore::GetBoard(const SWorld& world, int offset,
                                                              int limit) {
    return Transact(std::vector<SRankedRun>{}, [&](pqxx::work& transaction) {
        return Ranked(
            transaction.exec_params(std::string("SELECT ") + kRunColumns + ", " + kWorldRank +
                                        " FROM world_best b JOIN runs r ON r.id = b.run_id "
                                        "JOIN players p ON p.name_key = b.name_key "
                                        "WHERE b.difficulty = $1 AND b.nodes = $2 AND b.seed = $3 "
                                        "ORDER BY b.milliseconds, b.submitted_at, b.name_key "
                                        "LIMIT $4 OFFSET $5",
                                    world.difficulty, world.nodes, Seed(world), limit, offset));
    });
}

int CPostgresStore::CountBoard(const SWorld& world) {
    return Transact(0, [&](pqxx::work& transaction) { return CountPlayers(transaction, world); });
}

std::optional<CBoardStore::SRankedRun> CPostgresStore::GetStanding(const SWorld& world,
                                                                   const std::string& nameKey) {
    using SStanding = std::optional<SRankedRun>;
    return Transact(SStanding{}, [&](pqxx::work& transaction) -> SStanding {
        const pqxx::result best = transaction.exec_params(
            std::string("SELECT ") + kRunColumns +
                ", (SELECT COUNT(*) FROM world_best o WHERE o.difficulty = b.difficulty "
                "AND o.nodes = b.nodes AND o.seed = b.seed AND o.milliseconds < b.milliseconds) "
                "FROM world_best b JOIN runs r ON r.id = b.run_id "
                "JOIN players p ON p.name_key = b.name_key WHERE b.name_key = $1 "
                "AND b.difficulty = $2 AND b.nodes = $3 AND b.seed = $4",
            nameKey, world.difficulty, world.nodes, Seed(world));
        if (best.empty()) {
            return std::nullopt;
        }
        return SRankedRun{best[0][10].as<int>() + 1, ReadRun(best[0])};
    });
}

std::vector<CBoardStore::SRankedRun> CPostgresStore::GetDayBoard(const std::string& dayKey,
                                                                 int offset, int limit) {
    return Transact(std::vector<SRankedRun>{}, [&](pqxx::work& transaction) {
        return Ranked(transaction.exec_params(
            std::string("SELECT ") + kRunColumns + ", " + kDayRank +
                " FROM day_best b JOIN runs r ON r.id = b.run_id "
                "JOIN players p ON p.name_key = b.name_key WHERE b.day = $1 "
                "ORDER BY b.milliseconds, b.submitted_at, b.name_key "
                "LIMIT $2 OFFSET $3",
            dayKey, limit, offset));
    });
}

int CPostgresStore::CountDayBoard(const std::string& dayKey) {
    return Transact(0, [&](pqxx::work& transaction) {
        return transaction.exec_params1("SELECT COUNT(*) FROM day_best WHERE day = $1", dayKey)[0]
            .as<int>();
    });
}

std::vector<CBoardStore::SRun> CPostgresStore::GetLatest(int limit) {
    return Transact(std::vector<SRun>{}, [&](pqxx::work& transaction) {
        std::vector<SRun> runs;
        for (const pqxx::row& row :
             transaction.exec_params(std::string("SELECT ") + kRunColumns +
                                         " FROM runs r JOIN players p ON p.name_key = r.name_key "
                                         "ORDER BY r.submitted_at DESC, r.id LIMIT $1",
                                     limit)) {
            runs.push_back(ReadRun(row));
        }
        return runs;
    });
}

std::vector<std::string> CPostgresStore::GetDays(int limit) {
    return Transact(std::vector<std::string>{}, [&](pqxx::work& transaction) {
        std::vector<std::string> days;
        for (const pqxx::row& row : transaction.exec_params(
                 "SELECT DISTINCT day FROM day_best ORDER BY day DESC LIMIT $1", limit)) {
            days.push_back(row[0].as<std::string>());
        }
        return days;
    });
}

bool CPostgresStore::CountSubmission(const std::string& key, std::int64_t minute, int allowance) {
    // A database that cannot count lets the run through: the check still guards the board.
    return Transact(true, [&](pqxx::work& transaction) {
        transaction.exec_params("DELETE FROM rate_limits WHERE minute < $1", minute - 60);
        return transaction
                   .exec_params1("INSERT INTO rate_limits (key, minute, count) VALUES ($1, $2, 1) "
                                 "ON CONFLICT (key) DO UPDATE SET count = CASE WHEN "
                                 "rate_limits.minute = excluded.minute THEN rate_limits.count + 1 "
                                 "ELSE 1 END, minute = excluded.minute RETURNING count",
                                 key, minute)[0]
                   .as<int>() <= allowance;
    });
}

bool CPostgresStore::RemoveRun(const std::string& id) {
    return Transact(false, [&](pqxx::work& transaction) {
        const bool removed =
            transaction.exec_params("DELETE FROM runs WHERE id = $1", id).affected_rows() > 0;
        if (removed) {
            transaction.exec(kCountChange);
        }
        return removed;
    });
}

bool CPostgresStore::RemoveName(const std::string& nameKey) {
    return Transact(false, [&](pqxx::work& transaction) {
        const bool removed =
            transaction.exec_params("DELETE FROM players WHERE name_key = $1", nameKey)
                .affected_rows() > 0;
        if (removed) {
            transaction.exec(kCountChange);
        }
        return removed;
    });
}

std::int64_t CPostgresStore::GetChanges() {
    return Transact(std::int64_t{-1}, [](pqxx::work& transaction) {
        return transaction.exec1("SELECT counter FROM changes")[0].as<std::int64_t>();
    });
}
