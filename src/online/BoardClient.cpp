#include "online/BoardClient.h"

#include "base/PlayerName.h"
#include "base/Version.h"
#include "runs/Records.h"
#include "world/DailyWorld.h"

#include <cctype>
#include <curl/curl.h>
#include <limits>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <utility>

namespace {

using nlohmann::json;

constexpr std::size_t kLongestReason = 200; // of the board's own words, as a line quotes them
constexpr const char* kNotYours = "BOARD: NOT YOUR RUN";
// How the board begins its refusal of a run it keeps under another player's name.
constexpr const char* kOwnedElsewhere = "this run is ";

// The bytes of an answer, up to a limit: past it the transfer stops, rather than growing
// without end on what a broken or hostile server sends.
struct SSink {
    std::string body;
    std::size_t largest = 0;
    bool tooLarge = false;
};

std::size_t Collect(char* data, std::size_t size, std::size_t count, void* sinkPointer) {
    SSink& sink = *static_cast<SSink*>(sinkPointer);
    const std::size_t bytes = size * count;
    if (sink.body.size() + bytes > sink.largest) {
        sink.tooLarge = true;
        return 0; // libcurl ends the transfer with a write error
    }
    sink.body.append(data, bytes);
    return bytes;
}

// What a server said, fit for the terminal and one line: printable ASCII, cut short.
std::string Printable(const std::string& text) {
    std::string printable = text.substr(0, kLongestReason);
    for (char& c : printable) {
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7e) {
            c = '?';
        }
    }
    return printable;
}

// The board's reason in a refusal ({"error": "..."}), or "" when it gave none.
std::string ReasonIn(const std::string& body) {
    const json answer = json::parse(body, nullptr, false);
    if (answer.is_object() && answer.contains("error") && answer["error"].is_string()) {
        return Printable(answer["error"].get<std::string>());
    }
    return "";
}

// No connection and no answer in time are "offline"; a certificate refused or the like is not.
bool IsOffline(CURLcode code) {
    switch (code) {
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
        return true;
    default:
        return false;
    }
}

// A whole number of lowest to highest (highest at least 0); anything else throws, which makes
// the whole answer unreadable. A number of another kind, or out of range, would not convert
// safely to the narrower integers the game keeps (4294967297 as an int is 1).
long long IntegerIn(const json& object, const char* key, long long lowest, long long highest) {
    const json& value = object.at(key);
    if (!value.is_number_integer() ||
        (value.is_number_unsigned() &&
         value.get<unsigned long long>() > static_cast<unsigned long long>(highest)) ||
        value.get<long long>() < lowest || value.get<long long>() > highest) {
        throw json::type_error::create(302,
                                       std::string(key) + " is no whole number of " +
                                           std::to_string(lowest) + " to " +
                                           std::to_string(highest),
                                       &value);
    }
    return value.get<long long>();
}

int CountIn(const json& object, const char* key) {
    return static_cast<int>(IntegerIn(object, key, 0, std::numeric_limits<int>::max()));
}

// A place on a board of that many players: 1 to players.
int RankIn(const json& object, const char* key, int players) {
    return static_cast<int>(IntegerIn(object, key, 1, players));
}

// A time as the board gives it: whole milliseconds, below the records' limit.
long long MillisecondsIn(const json& object, const char* key) {
    return IntegerIn(object, key, 0, CRecords::kTimeLimit - 1);
}

// The page of a board the client asks for is the first; "pages" counts them.
void CheckFirstPage(const json& page) {
    if (page.contains("pages")) {
        CountIn(page, "pages");
    }
    if (page.contains("page")) {
        IntegerIn(page, "page", 1, 1);
    }
}

// "2026-12-09" as written; whether it is a day of the calendar is the daily world's to say.
bool IsDateText(const std::string& text) {
    if (text.size() != 10) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool dash = i == 4 || i == 7;
        if (dash ? text[i] != '-' : std::isdigit(static_cast<unsigned char>(text[i])) == 0) {
            return false;
        }
    }
    return true;
}

bool IsRunId(const std::string& id) {
    return id.size() == 64 && id.find_first_not_of("0123456789abcdef") == std::string::npos;
}

struct SCurlDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct SHeadersDeleter {
    void operator()(curl_slist* headers) const { curl_slist_free_all(headers); }
};

} // namespace

void CBoardClient::Initialise() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

CBoardClient::CBoardClient(std::string url, std::string name, std::string token, STimeouts timeouts)
    : url(std::move(url)), name(std::move(name)), token(std::move(token)), timeouts(timeouts) {
    Initialise();
}

CBoardClient::CBoardClient(std::string url, std::string name, std::string token)
    : CBoardClient(std::move(url), std::move(name), std::move(token), STimeouts{}) {}

CBoardClient::SAnswer CBoardClient::Request(const std::string& path, const std::string* postedBytes,
                                            std::size_t largest) const {
    SAnswer answer;
    const std::unique_ptr<CURL, SCurlDeleter> curl(curl_easy_init());
    if (!curl) {
        answer.error = "libcurl could not start";
        return answer;
    }
    CURL* const handle = curl.get();
    char errorText[CURL_ERROR_SIZE] = {};
    SSink sink;
    sink.largest = largest;
    const std::string userAgent = std::string("zelkora/") + GetGameVersion();
    curl_easy_setopt(handle, CURLOPT_URL, (url + path).c_str());
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L); // no SIGALRM on a thread that is not main's
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 0L); // the token stays with the board named
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, timeouts.connectMilliseconds);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, timeouts.totalMilliseconds);
    curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(largest));
    curl_easy_setopt(handle, CURLOPT_USERAGENT, userAgent.c_str());
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, Collect);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &sink);
    std::unique_ptr<curl_slist, SHeadersDeleter> headers;
    if (postedBytes != nullptr) {
        const std::string authorization = "Authorization: Bearer " + token;
        curl_slist* list = curl_slist_append(nullptr, authorization.c_str());
        list = curl_slist_append(list, "Content-Type: application/octet-stream");
        list = curl_slist_append(list, "Expect:"); // no wait for a "100 Continue"
        headers.reset(list);
        curl_easy_setopt(handle, CURLOPT_HTTPHEADER, list);
        curl_easy_setopt(handle, CURLOPT_POSTFIELDS, postedBytes->data());
        curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(postedBytes->size()));
    }
    const CURLcode code = curl_easy_perform(handle);
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    answer.status = static_cast<int>(status);
    if (sink.tooLarge || code == CURLE_FILESIZE_EXCEEDED) {
        answer.error = "an answer larger than " + std::to_string(largest) + " bytes";
        return answer;
    }
    if (code != CURLE_OK) {
        answer.offline = IsOffline(code);
        answer.error = errorText[0] != '\0' ? errorText : curl_easy_strerror(code);
        return answer;
    }
    if (status >= 300 && status < 400) {
        answer.error = "redirected (" + std::to_string(status) + ")";
        return answer;
    }
    curl_header* retryAfter = nullptr;
    if (curl_easy_header(handle, "Retry-After", 0, CURLH_HEADER, -1, &retryAfter) == CURLHE_OK) {
        const long seconds = std::strtol(retryAfter->value, nullptr, 10);
        answer.retryAfterSeconds = seconds > 0 && seconds <= 3600 ? static_cast<int>(seconds) : 0;
    }
    answer.answered = true;
    answer.body = std::move(sink.body);
    return answer;
}

CBoardClient::SSubmitted CBoardClient::Submit(const std::string& replayBytes) const {
    char* const escaped = curl_easy_escape(nullptr, name.c_str(), static_cast<int>(name.size()));
    const std::string path = "/api/runs?name=" + std::string(escaped != nullptr ? escaped : "");
    curl_free(escaped);
    const SAnswer answer = Request(path, &replayBytes, kLargestAnswer);
    if (answer.answered && (answer.status == 200 || answer.status == 201)) {
        return ReadCounted(answer.status, answer.body, name);
    }
    return NotCounted(answer);
}

CBoardClient::SSubmitted CBoardClient::ReadCounted(int status, const std::string& body,
                                                   const std::string& sender) {
    SSubmitted result;
    result.status = status;
    try {
        const json answer = json::parse(body);
        const int players = CountIn(answer, "players");
        const std::string ofPlayers = " of " + std::to_string(players) + " players";
        // The run stands behind its player's own best when not kept: the best's rank is theirs.
        const bool kept = answer.at("kept").get<bool>();
        const json& ranked = kept ? answer : answer.at("best");
        const int rank = RankIn(ranked.contains("rank") ? ranked : answer, "rank", players);
        const std::string time = CRecords::FormatTime(MillisecondsIn(ranked, "milliseconds"));
        const std::string player =
            answer.contains("player") ? answer["player"].get<std::string>() : sender;
        if (CPlayerName::Key(player) != CPlayerName::Key(sender)) {
            // A run the board keeps under another name: its place is that player's, not ours.
            result.outcome = EOutcome::Refused;
            result.onScreen = kNotYours;
            result.line = "board: this run is " + Printable(player) + "'s, #" +
                          std::to_string(rank) + ofPlayers;
            return result;
        }
        result.onScreen = kept ? "BOARD #" + std::to_string(rank) + " OF " + std::to_string(players)
                               : "BOARD BEST #" + std::to_string(rank);
        result.line = kept ? "board: #" + std::to_string(rank) + ofPlayers + ", " + time
                           : "board: slower than your best, which is #" + std::to_string(rank) +
                                 ofPlayers + ", " + time;
    } catch (const json::exception&) {
        // Counted or not, the board will know the run again: sending it later costs nothing.
        result.onScreen = "BOARD: ERROR";
        result.line =
            "board: not sent (the board's answer (" + std::to_string(status) + ") cannot be read)";
        return result;
    }
    result.outcome = EOutcome::Counted;
    return result;
}

CBoardClient::SSubmitted CBoardClient::NotCounted(const SAnswer& answer) {
    SSubmitted result;
    result.status = answer.status;
    if (!answer.answered) {
        result.onScreen = answer.offline ? "BOARD: OFFLINE" : "BOARD: ERROR";
        result.line = "board: not sent (" + std::string(answer.offline ? "offline: " : "") +
                      Printable(answer.error) + ")";
        return result;
    }
    struct SRefusal {
        int status;
        const char* onScreen;
    };
    // The refusals the board gives: it read the run, and the same run gets the same answer.
    static const SRefusal kRefusals[] = {
        {400, "BOARD: UNREADABLE"},    {401, "BOARD: NO TOKEN"},   {403, "BOARD: NAME TAKEN"},
        {409, "BOARD: OTHER VERSION"}, {413, "BOARD: UNREADABLE"}, {415, "BOARD: UNREADABLE"},
        {422, "BOARD: NOT CHECKED"},
    };
    const std::string reason = ReasonIn(answer.body);
    const std::string said = "(" + std::to_string(answer.status) + ")" +
                             (reason.empty() ? std::string() : ": " + reason);
    for (const SRefusal& refusal : kRefusals) {
        if (refusal.status == answer.status) {
            result.outcome = EOutcome::Refused;
            // 409 is also the board's word for a run it already keeps under another name.
            result.onScreen = reason.rfind(kOwnedElsewhere, 0) == 0 ? kNotYours : refusal.onScreen;
            result.line = "board: refused " + said;
            return result;
        }
    }
    if (answer.status == 429 || answer.status == 503) {
        result.retryAfterSeconds = answer.retryAfterSeconds;
        result.onScreen = "BOARD: BUSY";
        result.line = "board: not sent (busy " + said +
                      (answer.retryAfterSeconds > 0
                           ? "; again in " + std::to_string(answer.retryAfterSeconds) + " s"
                           : std::string()) +
                      ")";
        return result;
    }
    // A server error, or a status the board never gives (404 from a proxy, say): the run is
    // kept for later rather than dropped on a word that may not be the board's.
    result.onScreen = "BOARD: ERROR";
    result.line = "board: not sent (the board's error " + said + ")";
    return result;
}

CBoardClient::SWorldBoard CBoardClient::FetchWorld(const CWorldIdentity& world,
                                                   const std::string& player) const {
    SWorldBoard board;
    std::string path = "/api/worlds/" + std::to_string(world.difficulty) + "-" +
                       std::to_string(world.nodes) + "-" + std::to_string(world.seed) + "?page=1";
    if (!player.empty()) {
        char* const escaped =
            curl_easy_escape(nullptr, player.c_str(), static_cast<int>(player.size()));
        path += "&player=" + std::string(escaped != nullptr ? escaped : "");
        curl_free(escaped);
    }
    const SAnswer answer = Request(path, nullptr, kLargestAnswer);
    if (!answer.answered || answer.status != 200) {
        board.problem = answer.answered ? "the board answered " + std::to_string(answer.status)
                                        : Printable(answer.error);
        return board;
    }
    return ReadWorld(answer.body);
}

CBoardClient::SWorldBoard CBoardClient::ReadWorld(const std::string& body) {
    SWorldBoard board;
    try {
        const json page = json::parse(body);
        CheckFirstPage(page);
        board.players = CountIn(page, "players");
        for (const json& run : page.at("runs")) {
            if (board.top.size() == kTopShown) {
                break;
            }
            SRankedRun ranked;
            ranked.rank = RankIn(run, "rank", board.players);
            ranked.player = Printable(run.at("player").get<std::string>());
            ranked.milliseconds = MillisecondsIn(run, "milliseconds");
            ranked.runId = run.at("id").get<std::string>();
            if (!IsRunId(ranked.runId)) {
                throw json::other_error::create(501, "a run id is no 64 hex digits", &run);
            }
            board.top.push_back(ranked);
        }
        if (page.contains("player") && page["player"].is_object()) {
            board.ownRank = RankIn(page["player"], "rank", board.players);
        }
    } catch (const json::exception&) {
        board.top.clear();
        board.problem = "the board's answer cannot be read";
        return board;
    }
    board.fetched = true;
    return board;
}

CBoardClient::SToday CBoardClient::FetchToday() const {
    const SAnswer answer = Request("/api/days/today", nullptr, kLargestAnswer);
    if (!answer.answered || answer.status != 200) {
        SToday today;
        today.problem = answer.answered ? "the board answered " + std::to_string(answer.status)
                                        : Printable(answer.error);
        return today;
    }
    return ReadToday(answer.body);
}

CBoardClient::SToday CBoardClient::ReadToday(const std::string& body) {
    SToday today;
    try {
        const json answer = json::parse(body);
        today.date = answer.at("date").get<std::string>();
        if (!IsDateText(today.date)) {
            throw json::other_error::create(501, "a date is YYYY-MM-DD", &answer);
        }
        const json& world = answer.at("world");
        IntegerIn(world, "length", CDailyWorld::kLength, CDailyWorld::kLength);
        today.world.length = CDailyWorld::kLength;
        today.world.difficulty =
            static_cast<int>(IntegerIn(world, "difficulty", 0, CWorldIdentity::kMaximumDifficulty));
        today.world.nodes =
            static_cast<int>(IntegerIn(world, "nodes", 1, CWorldIdentity::kMaximumNodes));
        today.world.seed =
            static_cast<unsigned>(IntegerIn(world, "seed", 0, CWorldIdentity::kMaximumSeed));
    } catch (const json::exception&) {
        SToday unread;
        unread.problem = "the board's answer cannot be read";
        return unread;
    }
    today.fetched = true;
    return today;
}

CBoardClient::SFetchedReplay CBoardClient::FetchReplay(const std::string& runId) const {
    SFetchedReplay replay;
    if (!IsRunId(runId)) {
        replay.problem = "a run id is 64 hex digits";
        return replay;
    }
    SAnswer answer = Request("/api/runs/" + runId + "/replay", nullptr, kLargestReplay);
    if (!answer.answered || answer.status != 200) {
        replay.problem = answer.answered ? "the board answered " + std::to_string(answer.status)
                                         : Printable(answer.error);
        return replay;
    }
    replay.fetched = true;
    replay.bytes = std::move(answer.body);
    return replay;
}
