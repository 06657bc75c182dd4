#include "board/SqliteStore.h"

#include <sqlite3.h>
#include <utility>
#include <vector>

namespace {

// The schema's numbered migrations: element i brings version i to i + 1. A change to the schema
// is a new element; one already released is never edited.
const char* const kMigrations[] = {
    // 1: players, every run a best refers to, and the bests of each world and each day.
    R"sql(
CREATE TABLE IF NOT EXISTS players (
    name_key TEXT PRIMARY KEY,
    name TEXT NOT NULL,
    token_hash TEXT NOT NULL,
    claimed_at INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS runs (
    id TEXT PRIMARY KEY,
    name_key TEXT NOT NULL REFERENCES players ON DELETE CASCADE,
    difficulty INTEGER NOT NULL,
    nodes INTEGER NOT NULL,
    seed INTEGER NOT NULL,
    milliseconds INTEGER NOT NULL,
    splits TEXT NOT NULL,
    submitted_at INTEGER NOT NULL,
    recorded_at INTEGER NOT NULL,
    game_version TEXT NOT NULL,
    replay BLOB NOT NULL);
CREATE INDEX IF NOT EXISTS runs_latest ON runs (submitted_at DESC);
CREATE TABLE IF NOT EXISTS world_best (
    name_key TEXT NOT NULL REFERENCES players ON DELETE CASCADE,
    difficulty INTEGER NOT NULL,
    nodes INTEGER NOT NULL,
    seed INTEGER NOT NULL,
    run_id TEXT NOT NULL REFERENCES runs ON DELETE CASCADE,
    milliseconds INTEGER NOT NULL,
    submitted_at INTEGER NOT NULL,
    PRIMARY KEY (name_key, difficulty, nodes, seed));
CREATE INDEX IF NOT EXISTS world_best_rank
    ON world_best (difficulty, nodes, seed, milliseconds, submitted_at);
CREATE TABLE IF NOT EXISTS day_best (
    day TEXT NOT NULL,
    name_key TEXT NOT NULL REFERENCES players ON DELETE CASCADE,
    run_id TEXT NOT NULL REFERENCES runs ON DELETE CASCADE,
    milliseconds INTEGER NOT NULL,
    submitted_at INTEGER NOT NULL,
    PRIMARY KEY (day, name_key));
CREATE INDEX IF NOT EXISTS day_best_rank ON day_best (day, milliseconds, submitted_at);
CREATE INDEX IF NOT EXISTS world_best_run ON world_best (run_id);
CREATE INDEX IF NOT EXISTS day_best_run ON day_best (run_id);
)sql",
    // 2: the submissions of each player and address in the current minute.
    R"sql(
CREATE TABLE rate_limits (key TEXT PRIMARY KEY, minute INTEGER NOT NULL, count INTEGER NOT NULL);
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
    first_at INTEGER NOT NULL);
)sql",
    // 4: the count of changes to what the boards show, one row.
    R"sql(
CREATE TABLE changes (id INTEGER PRIMARY KEY CHECK (id = 1), counter INTEGER NOT NULL);
INSERT INTO changes (id, counter) VALUES (1, 0);
)sql",
};
constexpr int kSchemaVersion = sizeof kMigrations / sizeof kMigrations[0];
const char* const kCountChange = "UPDATE changes SET counter = counter + 1";
constexpr int kBusyMilliseconds = 10000; // another server's write on the same file

const char* const kRunColumns = "r.id, p.name, r.difficulty, r.nodes, r.seed, r.milliseconds, "
                                "r.splits, r.submitted_at, r.recorded_at, r.game_version";
// A listing's ranks, counted for the page's rows alone through the rank indexes (a window
// over the whole board would read every row of it for each page): equal times share one.
const char* const kWorldRank = "1 + (SELECT COUNT(*) FROM world_best o WHERE o.difficulty = "
                               "b.difficulty AND o.nodes = b.nodes AND o.seed = b.seed AND "
                               "o.milliseconds < b.milliseconds)";
const char* const kDayRank = "1 + (SELECT COUNT(*) FROM day_best o WHERE o.day = b.day AND "
                             "o.milliseconds < b.milliseconds)";

} // namespace

// A prepared statement, finalized when it goes.
class CSqliteStore::CStatement {
public:
    CStatement(sqlite3* db, const std::string& sql) {
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
            statement = nullptr;
        }
    }
    ~CStatement() { sqlite3_finalize(statement); }
    CStatement(const CStatement&) = delete;
    CStatement& operator=(const CStatement&) = delete;

    CStatement& Bind(int index, long long value) {
        sqlite3_bind_int64(statement, index, value);
        return *this;
    }
    CStatement& Bind(int index, const std::string& text) {
        sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
        return *this;
    }
    CStatement& BindBlob(int index, const std::string& bytes) {
        sqlite3_bind_blob(statement, index, bytes.data(), static_cast<int>(bytes.size()),
                          SQLITE_TRANSIENT);
        return *this;
    }
    bool Step() { return statement != nullptr && sqlite3_step(statement) == SQLITE_ROW; }
    bool Run() { return statement != nullptr && sqlite3_step(statement) == SQLITE_DONE; }
    long long Integer(int column) { return sqlite3_column_int64(statement, column); }
    std::string Text(int column) {
        const auto* text = sqlite3_column_blob(statement, column);
        const int size = sqlite3_column_bytes(statement, column);
        return text != nullptr ? std::string(static_cast<const char*>(text), size) : "";
    }

    // The columns of kRunColumns from `first` on.
    SRun ReadRun(int first) {
        SRun run;
        run.id = Text(first);
        run.player = Text(first + 1);
        run.world.difficulty = static_cast<int>(Integer(first + 2));
        run.world.nodes = static_cast<int>(Integer(first + 3));
        run.world.seed = static_cast<unsigned>(Integer(first + 4));
        run.milliseconds = Integer(first + 5);
        run.splits = ParseSplits(Text(first + 6));
        run.submittedAt = Integer(first + 7);
        run.recordedAt = Integer(first + 8);
        run.gameVersion = Text(first + 9);
        return run;
    }

private:
    sqlite3_stmt* statement = nullptr;
};

CSqliteStore::CSqliteStore(std::string path) : path(std::move(path)) {}

CSqliteStore::~CSqliteStore() {
    sqlite3_close(db);
}

bool CSqliteStore::Execute(const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) == SQLITE_OK) {
        return true;
    }
    lastError = error != nullptr ? error : sqlite3_errmsg(db);
    sqlite3_free(error);
    return false;
}

bool CSqliteStore::Open(std::string& problem) {
    const std::lock_guard<std::mutex> lock(mutex);
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
    if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        problem = "cannot open " + path + ": " + sqlite3_errmsg(db);
        return false;
    }
    sqlite3_busy_timeout(db, kBusyMilliseconds);
    // In WAL, NORMAL keeps every commit through a crash of the process; only the machine
    // losing power may lose the last ones.
    if (!Execute("PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL; "
                 "PRAGMA foreign_keys = ON;") ||
        !Execute("BEGIN IMMEDIATE") || !Migrate(problem)) {
        problem = problem.empty() ? path + ": " + lastError : problem;
        Execute("ROLLBACK");
        return false;
    }
    return Execute("COMMIT") || (problem = path + ": " + lastError, false);
}

bool CSqliteStore::Migrate(std::string& problem) {
    if (!Execute("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)")) {
        return false;
    }
    CStatement version(db, "SELECT version FROM schema_version");
    const long long found = version.Step() ? version.Integer(0) : 0;
    if (found > kSchemaVersion) {
        problem = path + ": schema version " + std::to_string(found) +
                  " is newer than this board's (" + std::to_string(kSchemaVersion) + ")";
        return false;
    }
    for (long long next = found; next < kSchemaVersion; ++next) {
        if (!Execute(kMigrations[next])) {
            return false;
        }
    }
    CStatement set(db, "INSERT INTO schema_version (version) VALUES (?)");
    return Execute("DELETE FROM schema_version") && set.Bind(1, kSchemaVersion).Run();
}

CBoardStore::EName CSqliteStore::ClaimName(const std::string& name, const std::string& nameKey,
                                           const std::string& tokenHash) {
    const std::lock_guard<std::mutex> lock(mutex);
    CStatement claim(db, "INSERT INTO players (name_key, name, token_hash, claimed_at) "
                         "VALUES (?, ?, ?, strftime('%s', 'now')) ON CONFLICT DO NOTHING");
    const bool claimed =
        claim.Bind(1, nameKey).Bind(2, name).Bind(3, tokenHash).Run() && sqlite3_changes(db) == 1;
    if (claimed) {
        return EName::Claimed;
    }
    CStatement owner(db, "SELECT token_hash FROM players WHERE name_key = ?");
    return owner.Bind(1, nameKey).Step() && owner.Text(0) == tokenHash ? EName::Owned
                                                                       : EName::Taken;
}

CBoardStore::EName CSqliteStore::LookUpName(const std::string& nameKey,
                                            const std::string& tokenHash) {
    const std::lock_guard<std::mutex> lock(mutex);
    CStatement owner(db, "SELECT token_hash FROM players WHERE name_key = ?");
    if (!owner.Bind(1, nameKey).Step()) {
        return EName::Claimed;
    }
    return owner.Text(0) == tokenHash ? EName::Owned : EName::Taken;
}

CBoardStore::SSubmitted CSqliteStore::Submit(const SRun& run, const std::string& nameKey,
                                             const std::string& dayKey) {
    const std::lock_guard<std::mutex> lock(mutex);
    SSubmitted result;
    if (!Execute("BEGIN IMMEDIATE")) {
        return result;
    }
    CStatement owner(db, "SELECT name_key, name FROM flights WHERE flight = ?");
    if (owner.Bind(1, run.flight).Step()) {
        if (owner.Text(0) != nameKey) {
            result.flightOwner = owner.Text(1);
            Execute("COMMIT");
            return result;
        }
        result.known = true;
    }
    if (!result.known) {
        CStatement flight(db, "INSERT INTO flights (flight, name_key, name, run_id, first_at) "
                              "SELECT ?, name_key, name, ?, ? FROM players WHERE name_key = ?");
        flight.Bind(1, run.flight).Bind(2, run.id).Bind(3, run.submittedAt).Bind(4, nameKey).Run();
        CStatement insert(db, "INSERT INTO runs (id, name_key, difficulty, nodes, seed, "
                              "milliseconds, splits, submitted_at, recorded_at, game_version, "
                              "replay, flight) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
                              "ON CONFLICT (id) DO NOTHING");
        insert.Bind(1, run.id).Bind(2, nameKey).Bind(3, run.world.difficulty);
        insert.Bind(4, run.world.nodes).Bind(5, run.world.seed).Bind(6, run.milliseconds);
        insert.Bind(7, JoinSplits(run.splits)).Bind(8, run.submittedAt).Bind(9, run.recordedAt);
        insert.Bind(10, run.gameVersion).BindBlob(11, run.replay).Bind(12, run.flight).Run();
        // The bests this run may replace: their runs go below if nothing refers to them.
        std::vector<std::string> candidates = {run.id};
        CStatement oldWorld(db, "SELECT run_id FROM world_best WHERE name_key = ? AND "
                                "difficulty = ? AND nodes = ? AND seed = ?");
        oldWorld.Bind(1, nameKey).Bind(2, run.world.difficulty).Bind(3, run.world.nodes);
        if (oldWorld.Bind(4, run.world.seed).Step()) {
            candidates.push_back(oldWorld.Text(0));
        }
        CStatement oldDay(db, "SELECT run_id FROM day_best WHERE day = ? AND name_key = ?");
        if (!dayKey.empty() && oldDay.Bind(1, dayKey).Bind(2, nameKey).Step()) {
            candidates.push_back(oldDay.Text(0));
        }
        // The faster wins, in the database: two servers taking runs of one player at once
        // leave the better of the two.
        CStatement world(db, "INSERT INTO world_best (name_key, difficulty, nodes, seed, run_id, "
                             "milliseconds, submitted_at) VALUES (?, ?, ?, ?, ?, ?, ?) "
                             "ON CONFLICT (name_key, difficulty, nodes, seed) DO UPDATE SET "
                             "run_id = excluded.run_id, milliseconds = excluded.milliseconds, "
                             "submitted_at = excluded.submitted_at "
                             "WHERE excluded.milliseconds < world_best.milliseconds");
        world.Bind(1, nameKey).Bind(2, run.world.difficulty).Bind(3, run.world.nodes);
        world.Bind(4, run.world.seed).Bind(5, run.id).Bind(6, run.milliseconds);
        world.Bind(7, run.submittedAt).Run();
        if (!dayKey.empty()) {
            CStatement day(db, "INSERT INTO day_best (day, name_key, run_id, milliseconds, "
                               "submitted_at) VALUES (?, ?, ?, ?, ?) "
                               "ON CONFLICT (day, name_key) DO UPDATE SET "
                               "run_id = excluded.run_id, milliseconds = excluded.milliseconds, "
                               "submitted_at = excluded.submitted_at "
                               "WHERE excluded.milliseconds < day_best.milliseconds");
            day.Bind(1, dayKey).Bind(2, nameKey).Bind(3, run.id).Bind(4, run.milliseconds);
            day.Bind(5, run.submittedAt).Run();
        }
        // Runs no best refers to any more go: the slower one replaced, or this one.
        for (const std::string& id : candidates) {
            CStatement orphan(db, "DELETE FROM runs WHERE id = ? AND NOT EXISTS (SELECT 1 FROM "
                                  "world_best WHERE run_id = ?) AND NOT EXISTS (SELECT 1 FROM "
                                  "day_best WHERE run_id = ?)");
            orphan.Bind(1, id).Bind(2, id).Bind(3, id).Run();
        }
        Execute(kCountChange);
    }
    CStatement best(db, std::string("SELECT ") + kRunColumns +
                            " FROM world_best b JOIN runs r ON r.id = b.run_id "
                            "JOIN players p ON p.name_key = b.name_key WHERE b.name_key = ? "
                            "AND b.difficulty = ? AND b.nodes = ? AND b.seed = ?");
    best.Bind(1, nameKey).Bind(2, run.world.difficulty).Bind(3, run.world.nodes);
    if (best.Bind(4, run.world.seed).Step()) {
        result.best = best.ReadRun(0);
    }
    result.kept = result.best.id == run.id;
    // The rank among the other players' bests, as it is or would be: equal times share it.
    CStatement rank(db, "SELECT COUNT(*) FROM world_best WHERE difficulty = ? AND nodes = ? "
                        "AND seed = ? AND name_key <> ? AND milliseconds < ?");
    rank.Bind(1, run.world.difficulty).Bind(2, run.world.nodes).Bind(3, run.world.seed);
    rank.Bind(4, nameKey).Bind(5, run.milliseconds);
    result.rank = rank.Step() ? static_cast<int>(rank.Integer(0)) + 1 : 0;
    Execute("COMMIT");
    result.players = CountBoardUnlocked(run.world);
    return result;
}

std::optional<CBoardStore::SRun> CSqliteStore::FindRun(const std::string& id) {
    const std::lock_guard<std::mutex> lock(mutex);
    CStatement find(db, std::string("SELECT ") + kRunColumns +
                            ", r.replay FROM runs r JOIN players p ON p.name_key = r.name_key "
                            "WHERE r.id = ?");
    if (!find.Bind(1, id).Step()) {
        return std::nullopt;
    }
    SRun run = find.ReadRun(0);
    run.replay = find.Text(10);
    return run;
}

std::optional<CBoardStore::SFlight> CSqliteStore::FindFlight(const std::string& flight) {
    const std::lock_guard<std::mutex> lock(mutex);
    CStatement find(db, "SELECT name_key, name, run_id FROM flights WHERE flight = ?");
    if (!find.Bind(1, flight).Step()) {
        return std::nullopt;
    }
    return SFlight{find.Text(0), find.Text(1), find.Text(2)};
}

std::vector<CBoardStore::SRun> CSqliteStore::GetRunsWithoutFlight(int limit) {
    const std::lock_guard<std::mutex> lock(mutex);
    CStatement query(db, std::string("SELECT ") + kRunColumns +
                             ", r.replay FROM runs r JOIN players p ON p.name_key = r.name_key "
                             "WHERE r.flight IS NULL ORDER BY r.submitted_at, r.id LIMIT ?");
    query.Bind(1, limit);
    std::vector<SRun> runs;
    while (query.Step()) {
        runs.push_back(query.ReadRun(0));
        runs.back().replay = query.Text(10);
    }
    return runs;
}

void CSqliteStore::RecordFlight(const std::string& runId, const std::string& flight) {
    const std::lock_guard<std::mutex> lock(mutex);
    if (!Execute("BEGIN IMMEDIATE")) {
        return;
    }
    CStatement owner(db, "INSERT INTO flights (flight, name_key, name, run_id, first_at) "
                         "SELECT ?, r.name_key, p.name, r.id, r.submitted_at FROM runs r JOIN "
                         "players p ON p.name_key = r.name_key WHERE r.id = ? "
                         "ON CONFLICT (flight) DO NOTHING");
    owner.Bind(1, flight).Bind(2, runId).Run();
    CStatement mark(db, "UPDATE runs SET flight = ? WHERE id = ?");
    mark.Bind(1, flight).Bind(2, runId).Run();
    Execute("COMMIT");
}

// The rows of a listing whose column 10 is the rank.
std::vector<CBoardStore::SRankedRun> CSqliteStore::Ranked(CStatement& query) {
    std::vector<SRankedRun> ranked;
    while (query.Step()) {
        ranked.push_back(SRankedRun{static_cast<int>(query.Integer(10)), query.ReadRun(0)});
    }
    return ranked;
}

std::vector<CBoardStore::SRankedRun> CSqliteStore::GetBoard(const SWorld& world, int offset,
                                                            int limit) {
    const std::lock_guard<std::mutex> lock(mutex);
    CStatement query(db, std::string("SELECT ") + kRunColumns + ", " + kWorldRank +
                             " FROM world_best b JOIN runs r ON r.id = b.run_id "
                             "JOIN players p ON p.name_key = b.name_key "
                             "WHERE b.difficulty = ? AND b.nodes = ? AND b.seed = ? "
                             "ORDER BY b.milliseconds, b.submitted_at, b.name_key "
                             "LIMIT ? OFFSET ?");
    query.Bind(1, world.difficulty).Bind(2, world.nodes).Bind(3, world.seed);
    query.Bind(4, limit).Bind(5, offset);
    return Ranked(query);
}

int CSqliteStore::CountBoardUnlocked(const SWorld& world) {
    CStatement count(db, "SELECT COUNT(*) FROM world_best WHERE difficulty = ? AND nodes = ? "
                         "AND seed = ?");
    count.Bind(1, world.difficulty).Bind(2, world.nodes).Bind(3, world.seed);
    return count.Step() ? static_cast<int>(count.Integer(0)) : 0;
}

int CSqliteStore::CountBoard(const SWorld& world) {
    const std::lock_guard<std::mutex> lock(mutex);
    return CountBoardUnlocked(world);
}

std::optional<CBoardStore::SRankedRun> CSqliteStore::GetStanding(const SWorld& world,
                                                                 const std::string& nameKey) {
    const std::lock_guard<std::mutex> lock(mutex);
    CStatement best(db,
                    std::string("SELECT ") + kRunColumns +
                        ", (SELECT COUNT(*) FROM world_best o WHERE o.difficulty = b.difficulty "
                        "AND o.nodes = b.nodes AND o.seed = b.seed AND o.milliseconds < "
                        "b.milliseconds) "
                        "FROM world_best b JOIN runs r ON r.id = b.run_id "
                        "JOIN players p ON p.name_key = b.name_key WHERE b.name_key = ? "
                        "AND b.difficulty = ? AND b.nodes = ? AND b.seed = ?");
    best.Bind(1, nameKey).Bind(2, world.difficulty).Bind(3, world.nodes).Bind(4, world.seed);
    if (!best.Step()) {
        return std::nullopt;
    }
    return SRankedRun{static_cast<int>(best.Integer(10)) + 1, best.ReadRun(0)};
}

std::vector<CBoardStore::SRankedRun> CSqliteStore::GetDayBoard(const std::string& dayKey,
                                                               int offset, int limit) {
    const std::lock_guard<std::mutex> lock(mutex);
    CStatement query(db, std::string("SELECT ") + kRunColumns + ", " + kDayRank +
                             " FROM day_best b JOIN runs r ON r.id = b.run_id "
                             "JOIN players p ON p.name_key = b.name_key WHERE b.day = ? "
                             "ORDER BY b.milliseconds, b.submitted_at, b.name_key "
                             "LIMIT ? OFFSET ?");
    query.Bind(1, dayKey).Bind(2, limit).Bind(3, offset);
    return Ranked(query);
}

int CSqliteStore::CountDayBoard(const std::string& dayKey) {
    const std::lock_guard<std::mutex> lock(mutex);
    CStatement count(db, "SELECT COUNT(*) FROM day_best WHERE day = ?");
    return count.Bind(1, dayKey).Step() ? static_cast<int>(count.Integer(0)) : 0;
}

std::vector<CBoardStore::SRun> CSqliteStore::GetLatest(int limit) {
    const std::lock_guard<std::mutex> lock(mutex);
    CStatement query(db, std::string("SELECT ") + kRunColumns +
                             " FROM runs r JOIN players p ON p.name_key = r.name_key "
                             "ORDER BY r.submitted_at DESC, r.id LIMIT ?");
    query.Bind(1, limit);
    std::vector<SRun> runs;
    while (query.Step()) {
        runs.push_back(query.ReadRun(0));
    }
    return runs;
}

std::vector<std::string> CSqliteStore::GetDays(int limit) {
    const std::lock_guard<std::mutex> lock(mutex);
    CStatement query(db, "SELECT DISTINCT day FROM day_best ORDER BY day DESC LIMIT ?");
    query.Bind(1, limit);
    std::vector<std::string> days;
    while (query.Step()) {
        days.push_back(query.Text(0));
    }
    return days;
}

bool CSqliteStore::CountSubmission(const std::string& key, std::int64_t minute, int allowance) {
    const std::lock_guard<std::mutex> lock(mutex);
    CStatement forget(db, "DELETE FROM rate_limits WHERE minute < ?");
    forget.Bind(1, minute - 60).Run();
    CStatement count(db, "INSERT INTO rate_limits (key, minute, count) VALUES (?, ?, 1) "
                         "ON CONFLICT (key) DO UPDATE SET count = CASE WHEN "
                         "rate_limits.minute = excluded.minute THEN rate_limits.count + 1 "
                         "ELSE 1 END, minute = excluded.minute RETURNING count");
    // A database that cannot count lets the run through: the check still guards the board.
    return !count.Bind(1, key).Bind(2, minute).Step() || count.Integer(0) <= allowance;
}

bool CSqliteStore::RemoveRun(const std::string& id) {
    const std::lock_guard<std::mutex> lock(mutex);
    return RemoveCounted("DELETE FROM runs WHERE id = ?", id);
}

bool CSqliteStore::RemoveName(const std::string& nameKey) {
    const std::lock_guard<std::mutex> lock(mutex);
    return RemoveCounted("DELETE FROM players WHERE name_key = ?", nameKey);
}

bool CSqliteStore::RemoveCounted(const char* sql, const std::string& key) {
    if (!Execute("BEGIN IMMEDIATE")) {
        return false;
    }
    bool removed = false;
    {
        CStatement remove(db, sql);
        removed = remove.Bind(1, key).Run() && sqlite3_changes(db) > 0;
    } // finalized before the commit
    if (removed) {
        Execute(kCountChange);
    }
    return Execute("COMMIT") && removed;
}

std::int64_t CSqliteStore::GetChanges() {
    const std::lock_guard<std::mutex> lock(mutex);
    CStatement counter(db, "SELECT counter FROM changes");
    return counter.Step() ? counter.Integer(0) : -1;
}
