#include "board/BoardService.h"

#include "base/PlayerName.h"
#include "board/BoardPages.h"
#include "board/BoardRequest.h"
#include "board/Flight.h"
#include "board/Sha256.h"
#include "board/SplitChart.h"
#include "runs/Records.h"
#include "runs/RecordsFile.h"
#include "world/DailyWorld.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <future>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <utility>

namespace {

using nlohmann::json;
using SWorld = CBoardStore::SWorld;
using SRequest = CHttpServer::SRequest;
using SResponse = CHttpServer::SResponse;

constexpr int kPageSize = 20;
constexpr int kHomeLatest = 20;
constexpr int kHomeDays = 14;
constexpr int kRetryAfterSeconds = 5;
constexpr std::chrono::seconds kDecodingWait{5}; // for room to read a run in
// How often a board reads the database's change counter: another board's change shows within it.
constexpr std::chrono::seconds kCacheCheck{1};
const char* const kHtml = "text/html; charset=utf-8";
// Boards and pages change with every run kept: a proxy may serve one a second old, and an older
// one while it asks again. A replay never changes. Probes must reach the board.
const char* const kBoardCaching = "public, max-age=1, stale-while-revalidate=10";
const char* const kReplayCaching = "public, max-age=31536000, immutable";
const char* const kProbeCaching = "no-store";

json RunJson(const CBoardStore::SRun& run) {
    return json{{"id", run.id},
                {"player", run.player},
                {"world",
                 {{"difficulty", run.world.difficulty},
                  {"nodes", run.world.nodes},
                  {"seed", run.world.seed}}},
                {"milliseconds", run.milliseconds},
                {"time", CRecords::FormatTime(run.milliseconds)},
                {"splits", run.splits},
                {"submitted", CRecordsFile::FormatDate(run.submittedAt)},
                {"recorded", CRecordsFile::FormatDate(run.recordedAt)},
                {"version", run.gameVersion},
                {"replay", CBoardPages::ReplayPath(run.id)}};
}

json RankedJson(const CBoardStore::SRankedRun& ranked) {
    json entry = RunJson(ranked.run);
    entry["rank"] = ranked.rank;
    return entry;
}

json BoardJson(const std::vector<CBoardStore::SRankedRun>& ranked, int page, int total) {
    json runs = json::array();
    for (const CBoardStore::SRankedRun& entry : ranked) {
        runs.push_back(RankedJson(entry));
    }
    return json{{"page", page},
                {"pages", (total + kPageSize - 1) / kPageSize},
                {"players", total},
                {"runs", runs}};
}

// What a client sent, fit for one line of the log: at most 200 bytes, none a control byte.
std::string Printable(const std::string& text) {
    std::string printable = text.substr(0, 200);
    for (char& c : printable) {
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7e) {
            c = '?';
        }
    }
    return printable;
}

int PageOf(const SRequest& request) {
    return CBoardRequest::ReadPage(request.HasParam("page"), request.Param("page"));
}

bool WorldOf(const SRequest& request, SWorld& world) {
    return CBoardRequest::ReadWorld(request.matches[1], request.matches[2], request.matches[3],
                                    world);
}

// A refusal's reason for the log line, ": this run is Ann's"; "" for an answer that is none.
std::string RefusalOf(const CHttpServer::SResponse& response) {
    if (response.status < 400 || response.contentType != "application/json") {
        return "";
    }
    const json answer = json::parse(response.body, nullptr, false);
    return answer.is_object() && answer.contains("error") && answer["error"].is_string()
               ? ": " + Printable(answer["error"].get<std::string>())
               : "";
}

// Saved by the browser under a name that says what it is, which the desktop hands to the game.
std::string Attachment(const CBoardStore::SRun& run) {
    return "attachment; filename=\"" + CBoardPages::ReplayFileName(run) + "\"";
}

std::string ErrorJson(const std::string& reason) {
    return json{{"error", reason}}.dump() + "\n";
}

// Readers need threads while every check waits for its worker: enough for both. A client gets
// readTimeoutSeconds to send a request's head and twice that for its body.
CHttpServer::SLimits LimitsOf(const CBoardService::SSettings& settings) {
    CHttpServer::SLimits limits;
    limits.request.largestBody = settings.largestBody;
    // A compressed body would have to be unpacked before its size were known: none is taken,
    // before a byte of it is read.
    limits.request.refuseEncodedBodies = true;
    limits.headSeconds = settings.readTimeoutSeconds;
    limits.bodySeconds = 2 * settings.readTimeoutSeconds;
    limits.idleSeconds = settings.readTimeoutSeconds;
    limits.threads = settings.workers + static_cast<int>(settings.queue) + 16;
    return limits;
}

} // namespace

CBoardService::CBoardService(CBoardStore& store, const CRunChecker& checker, const CBoardDays& days,
                             SSettings settings, Clock clock)
    : store(store), checker(checker), days(days), settings(settings),
      decoding(settings.decodingBytes), clock(std::move(clock)), server(LimitsOf(settings)),
      checks(settings.workers, settings.queue),
      cache([&store] { return store.GetChanges(); }, kCacheCheck), log(stderr) {
    Route();
}

int CBoardService::FingerprintOldRuns(CBoardStore& store) {
    constexpr int kBatch = 100;
    int read = 0;
    for (std::vector<CBoardStore::SRun> runs;
         !(runs = store.GetRunsWithoutFlight(kBatch)).empty();) {
        for (const CBoardStore::SRun& run : runs) {
            CReplay replay;
            std::string problem;
            // A kept run was read and flown when it came; one whose bytes no longer read gets
            // a mark that no flight can have.
            const std::string flight = CReplay::Decode(run.replay, replay, problem)
                                           ? CFlight::Fingerprint(run.world, replay)
                                           : "unread " + run.id;
            store.RecordFlight(run.id, flight);
            ++read;
        }
    }
    return read;
}

CBoardService::~CBoardService() = default;

std::int64_t CBoardService::Now() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

bool CBoardService::Bind(const std::string& host, int wanted, std::string& problem) {
    if (!server.Bind(host, wanted, problem)) {
        return false;
    }
    port = server.GetPort();
    return true;
}

void CBoardService::Serve() {
    server.Serve();
}

void CBoardService::Stop() {
    server.Stop();
}

void CBoardService::Count(const std::string& reason) {
    const std::lock_guard<std::mutex> lock(countsMutex);
    ++refused[reason];
}

CBoardService::SAnswer CBoardService::Refuse(int status, const std::string& reason,
                                             const std::string& counted) {
    Count(counted);
    return SAnswer{status, ErrorJson(reason)};
}

void CBoardService::FlushLog() {
    log.Flush();
}

void CBoardService::Route() {
    server.SetLogger(
        [this](const SRequest& request, const SResponse& response, double milliseconds) {
            char took[32];
            std::snprintf(took, sizeof took, " %d %.1f ms", response.status, milliseconds);
            latencies.Count(response.route, milliseconds);
            log.Write(Printable(request.method) + " " + Printable(request.path) + took +
                      RefusalOf(response) + "\n");
        });
    // A read names its Cache-Control and gets an ETag; submissions and refusals are never kept.
    const auto reply = [](SResponse& response, const SAnswer& answer,
                          const char* caching = nullptr) {
        response.status = answer.status;
        if (!answer.retryAfter.empty()) {
            response.headers.emplace_back("Retry-After", answer.retryAfter);
        }
        const bool read = caching != nullptr && answer.status < 400;
        if (read) {
            response.headers.emplace_back("ETag", "\"" + CSha256::Hex(answer.body) + "\"");
        }
        response.headers.emplace_back("Cache-Control", read ? caching : "no-store");
        response.body = answer.body;
        response.contentType = answer.contentType;
    };
    // A board or page from memory; render gives it when the database changed since. What is
    // kept is answered on the server's own thread, without a handler's.
    server.SetQuick([this](const SRequest& request, SResponse& response) {
        return !request.HasParam("player") && cache.Peek(CacheKey(request), response);
    });
    const auto cached = [this, reply](SResponse& response, const SRequest& request,
                                      const std::function<SAnswer()>& render) {
        const int route = response.route; // kept with the copy, for when it answers at once
        response = cache.Get(CacheKey(request), [&] {
            SResponse rendered;
            rendered.route = route;
            reply(rendered, render(), kBoardCaching);
            return rendered;
        });
    };

    server.Post("/api/runs", [this, reply](const SRequest& request, SResponse& response) {
        const std::string address = CBoardRequest::ClientAddress(
            request.remoteAddress, request.Header("X-Forwarded-For"), settings.trustedProxies);
        reply(response, Submit(request.Param("name"), request.Header("Authorization"), address,
                               request.body));
    });
    server.Get("/api/runs/ID", R"(/api/runs/([0-9a-f]{64}))",
               [this, reply](const SRequest& request, SResponse& response) {
                   const auto run = store.FindRun(request.matches[1]);
                   reply(response,
                         run ? SAnswer{200, RunJson(*run).dump() + "\n"}
                             : SAnswer{404, ErrorJson("no such run")},
                         kBoardCaching);
               });
    server.Get(
        "/api/runs/ID/replay", R"(/api/runs/([0-9a-f]{64})/replay)",
        [this, reply](const SRequest& request, SResponse& response) {
            const auto run = store.FindRun(request.matches[1]);
            if (!run) {
                reply(response, SAnswer{404, ErrorJson("no such run")});
                return;
            }
            response.headers.emplace_back("Content-Disposition", Attachment(*run));
            reply(response, SAnswer{200, run->replay, CBoardPages::kReplayType}, kReplayCaching);
        });
    const char* const world = R"((-?\d{1,7})-(\d{1,7})-(\d{1,10}))";
    server.Get("/api/worlds/D-N-S", std::string("/api/worlds/") + world,
               [this, reply, cached](const SRequest& request, SResponse& response) {
                   SWorld asked;
                   const int page = PageOf(request);
                   if (!WorldOf(request, asked) || page == 0) {
                       reply(response, SAnswer{400, ErrorJson("no such world or page")});
                       return;
                   }
                   // ?player=NAME: that player's own standing too, for a client's own line.
                   // One answer for each player would fill the memory: these go to the store.
                   if (!request.HasParam("player")) {
                       cached(response, request, [&] { return WorldBoard(asked, page); });
                       return;
                   }
                   json board = json::parse(WorldBoard(asked, page).body);
                   std::string problem;
                   const std::string name = request.Param("player");
                   const auto standing = CPlayerName::IsValid(name, problem)
                                             ? store.GetStanding(asked, CPlayerName::Key(name))
                                             : std::nullopt;
                   board["player"] = standing ? RankedJson(*standing) : json(nullptr);
                   reply(response, SAnswer{200, board.dump() + "\n"}, kBoardCaching);
               });
    server.Get("/api/days/DATE", R"(/api/days/(\d{4}-\d{2}-\d{2}|today))",
               [this, cached](const SRequest& request, SResponse& response) {
                   const std::string asked = request.matches[1];
                   const std::string date = asked == "today" ? CBoardDays::DateAt(clock()) : asked;
                   const int page = PageOf(request);
                   cached(response, request, [&] { return Day(date, page); });
               });
    server.Get("/healthz", [reply](const SRequest&, SResponse& response) {
        reply(response, SAnswer{200, "ok\n", "text/plain"}, kProbeCaching);
    });
    server.Get("/metrics", [this, reply](const SRequest&, SResponse& response) {
        reply(response, SAnswer{200, Metrics(), "text/plain; version=0.0.4"}, kProbeCaching);
    });

    // The web pages.
    server.Get("/", [this, cached](const SRequest& request, SResponse& response) {
        cached(response, request, [this] { return Home(); });
    });
    server.Get("/worlds/D-N-S", std::string("/worlds/") + world,
               [this, cached](const SRequest& request, SResponse& response) {
                   SWorld asked;
                   const int page = WorldOf(request, asked) ? PageOf(request) : 0;
                   cached(response, request, [&] { return WorldPage(asked, page); });
               });
    server.Get("/days/DATE", R"(/days/(\d{4}-\d{2}-\d{2}))",
               [this, cached](const SRequest& request, SResponse& response) {
                   const std::string date = request.matches[1];
                   const int page = PageOf(request);
                   cached(response, request, [&] { return DayPage(date, page); });
               });
    server.Get("/runs/ID", R"(/runs/([0-9a-f]{64}))",
               [this, cached](const SRequest& request, SResponse& response) {
                   const std::string id = request.matches[1];
                   cached(response, request, [&] { return RunPage(id); });
               });
    latencies.SetRoutes(server.GetRouteNames());
}

std::string CBoardService::CacheKey(const SRequest& request) const {
    const std::string page = "?page=" + std::to_string(PageOf(request));
    if (request.path == "/") {
        return "/ " + CBoardDays::DateAt(clock()) + page;
    }
    if (request.path == "/api/days/today") {
        return "/api/days/" + CBoardDays::DateAt(clock()) + page;
    }
    return request.path + page;
}

CBoardService::SAnswer CBoardService::WorldBoard(const SWorld& world, int page) {
    const json board = BoardJson(store.GetBoard(world, (page - 1) * kPageSize, kPageSize), page,
                                 store.CountBoard(world));
    return SAnswer{200, board.dump() + "\n"};
}

CBoardService::SAnswer CBoardService::Home() {
    CBoardPages::SDay day;
    day.date = CBoardDays::DateAt(clock());
    if (!day.date.empty()) {
        day.world = days.WorldOf(day.date);
        day.top = store.GetDayBoard(day.date, 0, kPageSize);
    }
    return SAnswer{
        200, CBoardPages::Home(day, store.GetLatest(kHomeLatest), store.GetDays(kHomeDays)), kHtml};
}

CBoardService::SAnswer CBoardService::WorldPage(const SWorld& world, int page) {
    if (page == 0) { // no such world or page
        return SAnswer{404, CBoardPages::NotFound("No such world."), kHtml};
    }
    const int total = store.CountBoard(world);
    return SAnswer{200,
                   CBoardPages::World(world,
                                      store.GetBoard(world, (page - 1) * kPageSize, kPageSize),
                                      page, (total + kPageSize - 1) / kPageSize,
                                      store.GetBoard(world, 0, CSplitChart::kRuns)),
                   kHtml};
}

CBoardService::SAnswer CBoardService::RunPage(const std::string& id) {
    const auto run = store.FindRun(id);
    if (!run) {
        return SAnswer{404, CBoardPages::NotFound("No such run."), kHtml};
    }
    const auto standing = store.GetStanding(run->world, CPlayerName::Key(run->player));
    const int rank = standing && standing->run.id == run->id ? standing->rank : 0;
    return SAnswer{200, CBoardPages::Run(*run, rank, store.CountBoard(run->world)), kHtml};
}

CBoardService::SAnswer CBoardService::DayPage(const std::string& date, int page) {
    CBoardPages::SDay day;
    day.date = date;
    day.world = days.WorldOf(day.date);
    // A day to come has no world yet: nobody may fly it before its day.
    if (day.world.nodes == 0 || page == 0 || !CBoardDays::IsAnnounced(day.date, clock())) {
        return SAnswer{404, CBoardPages::NotFound("No such day."), kHtml};
    }
    day.top = store.GetDayBoard(day.date, (page - 1) * kPageSize, kPageSize);
    const int total = store.CountDayBoard(day.date);
    return SAnswer{200, CBoardPages::Day(day, page, (total + kPageSize - 1) / kPageSize), kHtml};
}

CBoardService::SAnswer CBoardService::Day(const std::string& date, int page) {
    const SWorld world = days.WorldOf(date);
    if (world.nodes == 0 || page == 0) {
        return SAnswer{400, ErrorJson("no such day or page")};
    }
    if (!CBoardDays::IsAnnounced(date, clock())) {
        return SAnswer{404, ErrorJson("the world of " + date + " is announced on its day")};
    }
    json board = BoardJson(store.GetDayBoard(date, (page - 1) * kPageSize, kPageSize), page,
                           store.CountDayBoard(date));
    board["date"] = date;
    board["world"] = {{"difficulty", world.difficulty},
                      {"length", CDailyWorld::kLength},
                      {"nodes", world.nodes},
                      {"seed", world.seed}};
    return SAnswer{200, board.dump() + "\n"};
}

CBoardService::SAnswer CBoardService::TooMany(const std::string& reason,
                                              const std::string& retryAfter) {
    SAnswer answer = Refuse(429, reason, "rate_limited");
    answer.retryAfter = retryAfter;
    return answer;
}

std::optional<CBoardService::SAnswer> CBoardService::Admit(const CBoardRequest::SSubmission& player,
                                                           const std::string& address) {
    const std::int64_t now = clock();
    const std::int64_t minute = now / 60;
    if (!store.CountSubmission("address " + address, minute, settings.perMinute * 3)) {
        return TooMany("too many runs from one address in a minute", "60");
    }
    // Only the name's owner spends its allowance: a stranger's tries cannot lock it.
    const CBoardStore::EName owner = store.LookUpName(player.nameKey, player.tokenHash);
    if (owner == CBoardStore::EName::Taken) {
        return Refuse(403, "the name " + player.name + " is taken", "name_taken");
    }
    // A free name is claimed by its first submission, so that each new name is counted once
    // against the address however its runs fare.
    if (owner == CBoardStore::EName::Claimed) {
        if (!store.CountSubmission("names " + address, now / 3600 * 60, settings.namesPerHour)) {
            return TooMany("too many new names from one address in an hour", "3600");
        }
        if (store.ClaimName(player.name, player.nameKey, player.tokenHash) ==
            CBoardStore::EName::Taken) {
            return Refuse(403, "the name " + player.name + " is taken", "name_taken");
        }
    }
    if (!store.CountSubmission("player " + player.nameKey, minute, settings.perMinute)) {
        return TooMany("too many runs in a minute", "60");
    }
    return std::nullopt;
}

std::shared_ptr<CRunChecker::SResult> CBoardService::Read(const std::string& bytes) {
    const CMemoryBudget::CShare share =
        decoding.Take(CReplay::GetDecodingBytes(bytes), kDecodingWait);
    if (!share) {
        return nullptr;
    }
    auto checked = std::make_shared<CRunChecker::SResult>(checker.Read(bytes));
    // Only the header is needed from here on; the frames go back to the budget.
    checked->replay.frames = {};
    checked->replay.commands = {};
    return checked;
}

CBoardService::SAnswer CBoardService::Submit(const std::string& name,
                                             const std::string& authorization,
                                             const std::string& address, const std::string& bytes) {
    CBoardRequest::SSubmission player;
    int status = 0;
    std::string problem;
    if (!CBoardRequest::ReadSubmission(name, authorization, player, status, problem)) {
        return Refuse(status, problem, status == 401 ? "no_token" : "bad_name");
    }
    if (const std::optional<SAnswer> refused = Admit(player, address)) {
        return *refused;
    }
    // What needs no flight is judged here; only a run worth flying waits for a worker.
    if (CReplay::GetDecodingBytes(bytes) > decoding.GetSize()) {
        return Refuse(413, "the run unpacks to more than this board reads", "too_large");
    }
    const std::shared_ptr<CRunChecker::SResult> checked = Read(bytes);
    if (!checked) {
        SAnswer busy =
            Refuse(503, "the board is reading too many runs; try again soon", "reading_full");
        busy.retryAfter = std::to_string(kRetryAfterSeconds);
        return busy;
    }
    if (checked->verdict != CRunChecker::EVerdict::Counts) {
        return Answer(*checked, player, bytes);
    }
    // A flight the board holds already is never flown again: its owner's standing, or refused.
    const CReplay& replay = checked->replay;
    const SWorld built{replay.world.difficulty, replay.world.nodes, replay.world.seed};
    if (const auto known = store.FindFlight(CFlight::Fingerprint(built, replay))) {
        return Again(*known, player, built);
    }
    auto answer = std::make_shared<std::optional<SAnswer>>();
    std::promise<void> done;
    std::future<void> answered = done.get_future();
    const bool posted = checks.TryPost(
        [this, checked, answer, player, bytes] {
            const auto start = std::chrono::steady_clock::now();
            checker.Fly(bytes, *checked);
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            {
                const std::lock_guard<std::mutex> lock(countsMutex);
                checkSeconds += took.count();
                ++checksDone;
            }
            *answer = Answer(*checked, player, bytes);
        },
        [&done] { done.set_value(); });
    if (!posted) {
        SAnswer full =
            Refuse(503, "the board is checking too many runs; try again soon", "queue_full");
        full.retryAfter = std::to_string(kRetryAfterSeconds);
        return full;
    }
    answered.wait();
    return **answer;
}

CBoardService::SAnswer CBoardService::Again(const CBoardStore::SFlight& known,
                                            const CBoardRequest::SSubmission& player,
                                            const SWorld& world) {
    if (known.nameKey != player.nameKey) {
        return Refuse(409, "this run is " + known.name + "'s", "not_theirs");
    }
    const auto standing = store.GetStanding(world, player.nameKey);
    if (!standing) { // the operator took the player's runs of this world off the board
        return Refuse(409, "this run was taken off the board", "removed");
    }
    json answer = {{"known", true}, {"players", store.CountBoard(world)}};
    if (const auto run = store.FindRun(known.runId)) {
        answer.update(RunJson(*run));
    }
    answer["kept"] = standing->run.id == known.runId;
    answer["rank"] = standing->rank;
    if (standing->run.id != known.runId) { // replaced by a faster one
        answer["best"] = RankedJson(*standing);
    }
    return SAnswer{200, answer.dump() + "\n"};
}

CBoardService::SAnswer CBoardService::Answer(const CRunChecker::SResult& checked,
                                             const CBoardRequest::SSubmission& player,
                                             const std::string& bytes) {
    switch (checked.verdict) {
    case CRunChecker::EVerdict::Unreadable:
        return Refuse(400, checked.reason, "unreadable");
    case CRunChecker::EVerdict::OtherVersion:
        return Refuse(409, checked.reason, "other_version");
    case CRunChecker::EVerdict::NotEligible:
        return Refuse(422, checked.reason, "not_verified");
    case CRunChecker::EVerdict::CouldNotCheck:
        std::fprintf(stderr, "board: a check failed: %s\n", checked.reason.c_str());
        return Refuse(500, "the run could not be checked", "check_failed");
    case CRunChecker::EVerdict::Counts:
        break;
    }
    const std::string& nameKey = player.nameKey;
    if (store.ClaimName(player.name, nameKey, player.tokenHash) == CBoardStore::EName::Taken) {
        return Refuse(403, "the name " + player.name + " is taken", "name_taken");
    }
    const CReplay& replay = checked.replay;
    CBoardStore::SRun run;
    run.id = CSha256::Hex(bytes);
    run.player = player.name;
    run.world = SWorld{replay.world.difficulty, replay.world.nodes, replay.world.seed};
    run.milliseconds = CRecords::ToMilliseconds(replay.finishClock);
    for (const double split : replay.splits) {
        run.splits.push_back(CRecords::ToMilliseconds(split));
    }
    run.submittedAt = clock();
    run.recordedAt = replay.recordedAt;
    run.gameVersion = replay.gameVersion;
    run.replay = bytes;
    run.flight = CFlight::Fingerprint(run.world, replay);
    const CBoardStore::SSubmitted kept =
        store.Submit(run, nameKey, days.DayOf(run.world, run.submittedAt));
    if (!kept.known && kept.flightOwner.empty()) {
        // Kept as a world's or a day's best: this board's readers see it on their next read.
        cache.Forget();
    }
    if (!kept.flightOwner.empty()) { // sent by its owner at the same moment
        return Refuse(409, "this run is " + kept.flightOwner + "'s", "not_theirs");
    }
    {
        const std::lock_guard<std::mutex> lock(countsMutex);
        ++accepted;
    }
    json answer = RunJson(run);
    answer["rank"] = kept.rank;
    answer["players"] = kept.players;
    answer["kept"] = kept.kept;
    answer["known"] = kept.known;
    if (!kept.kept) {
        if (const auto standing = store.GetStanding(run.world, nameKey)) {
            answer["best"] = RankedJson(*standing);
        }
    }
    return SAnswer{kept.kept && !kept.known ? 201 : 200, answer.dump() + "\n"};
}

std::string CBoardService::Metrics() const {
    const std::lock_guard<std::mutex> lock(countsMutex);
    std::string text =
        "# HELP zelkora_board_runs_accepted_total Runs that were checked and count.\n"
        "# TYPE zelkora_board_runs_accepted_total counter\n"
        "zelkora_board_runs_accepted_total " +
        std::to_string(accepted) + "\n" +
        "# HELP zelkora_board_runs_refused_total Runs refused, by reason.\n"
        "# TYPE zelkora_board_runs_refused_total counter\n";
    for (const auto& [reason, count] : refused) {
        text += "zelkora_board_runs_refused_total{reason=\"" + reason + "\"} " +
                std::to_string(count) + "\n";
    }
    char seconds[64];
    std::snprintf(seconds, sizeof seconds, "%.6f", checkSeconds);
    return text +
           "# HELP zelkora_board_checks_in_flight Checks running now.\n"
           "# TYPE zelkora_board_checks_in_flight gauge\n"
           "zelkora_board_checks_in_flight " +
           std::to_string(checks.GetRunning()) + "\n" +
           "# HELP zelkora_board_checks_queued Checks waiting for a worker.\n"
           "# TYPE zelkora_board_checks_queued gauge\n"
           "zelkora_board_checks_queued " +
           std::to_string(checks.GetWaiting()) + "\n" +
           "# HELP zelkora_board_connections_open Clients connected now.\n"
           "# TYPE zelkora_board_connections_open gauge\n"
           "zelkora_board_connections_open " +
           std::to_string(server.GetOpenConnections()) + "\n" +
           "# HELP zelkora_board_check_seconds Time spent checking runs.\n"
           "# TYPE zelkora_board_check_seconds summary\n"
           "zelkora_board_check_seconds_sum " +
           seconds + "\nzelkora_board_check_seconds_count " + std::to_string(checksDone) + "\n" +
           "# HELP zelkora_board_cache_hits_total Boards and pages answered from memory.\n"
           "# TYPE zelkora_board_cache_hits_total counter\n"
           "zelkora_board_cache_hits_total " +
           std::to_string(cache.GetHits()) + "\n" +
           "# HELP zelkora_board_cache_misses_total Boards and pages rendered anew.\n"
           "# TYPE zelkora_board_cache_misses_total counter\n"
           "zelkora_board_cache_misses_total " +
           std::to_string(cache.GetMisses()) + "\n" + latencies.Text();
}
