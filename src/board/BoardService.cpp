#include "board/BoardService.h"

#include "base/PlayerName.h"
#include "board/BoardPages.h"
#include "board/BoardRequest.h"
#include "board/Sha256.h"
#include "game/DailyWorld.h"
#include "game/Records.h"
#include "world/Tunnel.h"

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
constexpr std::int64_t kDayGraceSeconds = 3600; // runs submitted this long after a day count

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
                {"submitted", CRecords::FormatDate(run.submittedAt)},
                {"recorded", CRecords::FormatDate(run.recordedAt)},
                {"version", run.gameVersion},
                {"replay", "/api/runs/" + run.id + "/replay"}};
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

CBoardService::CBoardService(CBoardStore& store, const CRunChecker& checker, SSettings settings,
                             Clock clock)
    : store(store), checker(checker), settings(settings), clock(std::move(clock)),
      server(LimitsOf(settings)), checks(settings.workers, settings.queue) {
    Route();
}

CBoardService::~CBoardService() = default;

std::int64_t CBoardService::Now() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

CBoardStore::SWorld CBoardService::DailyWorld(const std::string& date) {
    std::tm day{};
    if (date.size() != 10 || strptime(date.c_str(), "%Y-%m-%d", &day) == nullptr) {
        return SWorld{};
    }
    day.tm_hour = 12;
    CDailyWorld daily;
    std::string problem;
    if (!CDailyWorld::ForTime(timegm(&day), daily, problem) || daily.GetDate() != date) {
        return SWorld{};
    }
    return SWorld{daily.GetDifficulty(),
                  CTunnel::CountRings(daily.GetDifficulty(), CDailyWorld::kLength, daily.GetSeed()),
                  daily.GetSeed()};
}

std::string CBoardService::DayOf(const SWorld& world, std::int64_t submittedAt) {
    for (const std::int64_t at : {submittedAt, submittedAt - kDayGraceSeconds}) {
        CDailyWorld daily;
        std::string problem;
        if (CDailyWorld::ForTime(static_cast<std::time_t>(at), daily, problem) &&
            DailyWorld(daily.GetDate()) == world) {
            return daily.GetDate();
        }
    }
    return "";
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

void CBoardService::Route() {
    server.SetLogger([](const SRequest& request, const SResponse& response, double milliseconds) {
        std::fprintf(stderr, "%s %s %d %.1f ms\n", Printable(request.method).c_str(),
                     Printable(request.path).c_str(), response.status, milliseconds);
    });
    const auto reply = [](SResponse& response, const SAnswer& answer) {
        response.status = answer.status;
        if (!answer.retryAfter.empty()) {
            response.headers.emplace_back("Retry-After", answer.retryAfter);
        }
        response.body = answer.body;
        response.contentType = answer.contentType;
    };

    server.Post("/api/runs", [this, reply](const SRequest& request, SResponse& response) {
        reply(response, Submit(request.Param("name"), request.Header("Authorization"),
                               request.remoteAddress, request.body));
    });
    server.Get(R"(/api/runs/([0-9a-f]{64}))",
               [this, reply](const SRequest& request, SResponse& response) {
                   const auto run = store.FindRun(request.matches[1]);
                   reply(response, run ? SAnswer{200, RunJson(*run).dump() + "\n"}
                                       : SAnswer{404, ErrorJson("no such run")});
               });
    server.Get(R"(/api/runs/([0-9a-f]{64})/replay)", [this, reply](const SRequest& request,
                                                                   SResponse& response) {
        const auto run = store.FindRun(request.matches[1]);
        if (!run) {
            reply(response, SAnswer{404, ErrorJson("no such run")});
            return;
        }
        response.headers.emplace_back("Content-Disposition",
                                      "attachment; filename=\"" + run->id.substr(0, 16) + ".zrp\"");
        reply(response, SAnswer{200, run->replay, "application/octet-stream"});
    });
    const char* const world = R"((-?\d{1,7})-(\d{1,7})-(\d{1,10}))";
    server.Get(std::string("/api/worlds/") + world,
               [this, reply](const SRequest& request, SResponse& response) {
                   SWorld asked;
                   const int page = PageOf(request);
                   if (!WorldOf(request, asked) || page == 0) {
                       reply(response, SAnswer{400, ErrorJson("no such world or page")});
                       return;
                   }
                   json board = BoardJson(store.GetBoard(asked, (page - 1) * kPageSize, kPageSize),
                                          page, store.CountBoard(asked));
                   // ?player=NAME: that player's own standing too, for a client's own line.
                   if (request.HasParam("player")) {
                       std::string problem;
                       const std::string name = request.Param("player");
                       const auto standing = CPlayerName::IsValid(name, problem)
                                                 ? store.GetStanding(asked, CPlayerName::Key(name))
                                                 : std::nullopt;
                       board["player"] = standing ? RankedJson(*standing) : json(nullptr);
                   }
                   reply(response, SAnswer{200, board.dump() + "\n"});
               });
    server.Get(R"(/api/days/(\d{4}-\d{2}-\d{2}))", [this, reply](const SRequest& request,
                                                                 SResponse& response) {
        const std::string date = request.matches[1];
        const SWorld daily = DailyWorld(date);
        const int page = PageOf(request);
        if (daily.nodes == 0 || page == 0) {
            reply(response, SAnswer{400, ErrorJson("no such day or page")});
            return;
        }
        json board = BoardJson(store.GetDayBoard(date, (page - 1) * kPageSize, kPageSize), page,
                               store.CountDayBoard(date));
        board["date"] = date;
        board["world"] = {
            {"difficulty", daily.difficulty}, {"nodes", daily.nodes}, {"seed", daily.seed}};
        reply(response, SAnswer{200, board.dump() + "\n"});
    });
    server.Get("/healthz", [reply](const SRequest&, SResponse& response) {
        reply(response, SAnswer{200, "ok\n", "text/plain"});
    });
    server.Get("/metrics", [this, reply](const SRequest&, SResponse& response) {
        reply(response, SAnswer{200, Metrics(), "text/plain; version=0.0.4"});
    });

    // The web pages.
    server.Get("/", [this, reply](const SRequest&, SResponse& response) {
        CDailyWorld today;
        std::string problem;
        CBoardPages::SDay day;
        if (CDailyWorld::ForTime(static_cast<std::time_t>(clock()), today, problem)) {
            day.date = today.GetDate();
            day.world = DailyWorld(day.date);
            day.top = store.GetDayBoard(day.date, 0, kPageSize);
        }
        reply(response, SAnswer{200,
                                CBoardPages::Home(day, store.GetLatest(kHomeLatest),
                                                  store.GetDays(kHomeDays)),
                                "text/html; charset=utf-8"});
    });
    server.Get(std::string("/worlds/") + world, [this, reply](const SRequest& request,
                                                              SResponse& response) {
        SWorld asked;
        const int page = PageOf(request);
        if (!WorldOf(request, asked) || page == 0) {
            reply(response, SAnswer{404, CBoardPages::NotFound("No such world."),
                                    "text/html; charset=utf-8"});
            return;
        }
        const int total = store.CountBoard(asked);
        reply(response, SAnswer{200,
                                CBoardPages::World(
                                    asked, store.GetBoard(asked, (page - 1) * kPageSize, kPageSize),
                                    page, (total + kPageSize - 1) / kPageSize),
                                "text/html; charset=utf-8"});
    });
    server.Get(R"(/days/(\d{4}-\d{2}-\d{2}))", [this, reply](const SRequest& request,
                                                             SResponse& response) {
        CBoardPages::SDay day;
        day.date = request.matches[1];
        day.world = DailyWorld(day.date);
        const int page = PageOf(request);
        if (day.world.nodes == 0 || page == 0) {
            reply(response,
                  SAnswer{404, CBoardPages::NotFound("No such day."), "text/html; charset=utf-8"});
            return;
        }
        day.top = store.GetDayBoard(day.date, (page - 1) * kPageSize, kPageSize);
        const int total = store.CountDayBoard(day.date);
        reply(response,
              SAnswer{200, CBoardPages::Day(day, page, (total + kPageSize - 1) / kPageSize),
                      "text/html; charset=utf-8"});
    });
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
    const std::string& nameKey = player.nameKey;
    if (!WithinAllowance(nameKey, address)) {
        SAnswer answer = Refuse(429, "too many runs in a minute", "rate_limited");
        answer.retryAfter = "60";
        return answer;
    }
    const std::string& tokenHash = player.tokenHash;
    if (store.LookUpName(nameKey, tokenHash) == CBoardStore::EName::Taken) {
        return Refuse(403, "the name " + name + " is taken", "name_taken");
    }
    // The same bytes again: the same run back, checked once.
    if (const auto known = store.FindRun(CSha256::Hex(bytes))) {
        return Again(*known);
    }
    // What needs no flight is judged here; only a run worth flying waits for a worker.
    auto checked = std::make_shared<CRunChecker::SResult>(checker.Read(bytes));
    if (checked->verdict != CRunChecker::EVerdict::Counts) {
        return Answer(*checked, player, bytes);
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

bool CBoardService::WithinAllowance(const std::string& nameKey, const std::string& address) {
    const std::int64_t minute = clock() / 60;
    return store.CountSubmission("player " + nameKey, minute, settings.perMinute) &&
           store.CountSubmission("address " + address, minute, settings.perMinute * 3);
}

CBoardService::SAnswer CBoardService::Again(const CBoardStore::SRun& known) {
    json answer = RunJson(known);
    answer["known"] = true;
    const std::string nameKey = CPlayerName::Key(known.player);
    const auto standing = store.GetStanding(known.world, nameKey);
    answer["kept"] = standing && standing->run.id == known.id;
    answer["players"] = store.CountBoard(known.world);
    if (standing) {
        answer["rank"] = standing->rank;
        if (standing->run.id != known.id) { // kept for a day's board only
            answer["best"] = RankedJson(*standing);
        }
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
    const CBoardStore::SSubmitted kept =
        store.Submit(run, nameKey, DayOf(run.world, run.submittedAt));
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
           "# HELP zelkora_board_check_seconds Time spent checking runs.\n"
           "# TYPE zelkora_board_check_seconds summary\n"
           "zelkora_board_check_seconds_sum " +
           seconds + "\nzelkora_board_check_seconds_count " + std::to_string(checksDone) + "\n";
}
