#include "board/BoardPages.h"
#include "board/BoardService.h"
#include "board/SqliteStore.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <httplib.h>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <thread>

namespace {

// Monday 7 December 2026, 12:00 UTC: the home page shows that day's board.
constexpr std::int64_t kMonday = 1796644800;

// The page as Debian's chromium built it (headless; as root it needs --no-sandbox).
std::string PageInChromium(const std::string& url, const std::string& profile) {
    const std::string command = "timeout 120 chromium --headless=new --no-sandbox --disable-gpu "
                                "--no-first-run --user-data-dir=" +
                                profile + " --dump-dom '" + url + "' 2>/dev/null";
    std::string page;
    if (FILE* browser = popen(command.c_str(), "r")) {
        char chunk[4096];
        std::size_t got = 0;
        while ((got = std::fread(chunk, 1, sizeof chunk, browser)) > 0) {
            page.append(chunk, got);
        }
        pclose(browser);
    }
    return page;
}

const std::string kSecret(64, '5');

CBoardStore::SRun DailyRun(const std::string& id, const std::string& player, long long ms) {
    CBoardStore::SRun run;
    run.id = std::string(63, '0') + id;
    run.player = player;
    run.world = CBoardDays(kSecret).WorldOf("2026-12-07");
    run.milliseconds = ms;
    run.splits = {ms / 2};
    run.submittedAt = kMonday - 600;
    run.recordedAt = kMonday - 700;
    run.gameVersion = "1.2.0";
    run.replay = "ZRP " + id;
    run.flight = "flight " + id;
    return run;
}

} // namespace

// The home page in a real browser: today's board in rank order with times and replays, the
// latest runs linked to their worlds, and a name written as markup shown as the text it is; the
// world's page draws its runs' splits.
TEST(BoardPageBrowser, TheHomePageShowsTodaysRanksNamesTimesAndLinksThatWork) {
    const std::filesystem::path directory =
        std::filesystem::temp_directory_path() / ("board-browser-" + std::to_string(getpid()));
    std::filesystem::create_directories(directory);
    CSqliteStore store((directory / "board.sqlite3").string());
    std::string problem;
    ASSERT_TRUE(store.Open(problem)) << problem;
    // The store takes any name; the service would refuse this one, but a page must never trust.
    const std::string markup = "<i>Eve</i>";
    store.ClaimName("Ann", "ann", "a");
    store.ClaimName(markup, "<i>eve</i>", "e");
    store.Submit(DailyRun("1", "Ann", 83412), "ann", "2026-12-07");
    store.Submit(DailyRun("2", markup, 61005), "<i>eve</i>", "2026-12-07");
    const CRunChecker checker("/nonexistent", directory.string(), CRunChecker::SLimits{});
    const CBoardDays days(kSecret);
    CBoardService service(store, checker, days, CBoardService::SSettings{}, [] { return kMonday; });
    ASSERT_TRUE(service.Bind("127.0.0.1", 0, problem)) << problem;
    std::thread serving([&service] { service.Serve(); });
    const std::string base = "http://127.0.0.1:" + std::to_string(service.GetPort());

    const std::string page = PageInChromium(base + "/", (directory / "profile").string());
    ASSERT_NE(page.find("</html>"), std::string::npos) << page;
    const std::size_t today = page.find("Today, 2026-12-07");
    const auto timeOf = [](const std::string& id) {
        return "</td><td class=\"time\"><a href=\"/runs/" + std::string(63, '0') + id + "\">";
    };
    const std::size_t first = page.find("&lt;i&gt;Eve&lt;/i&gt;" + timeOf("2") + "1:01.00");
    const std::size_t second = page.find("Ann" + timeOf("1") + "1:23.41");
    EXPECT_NE(today, std::string::npos) << page;
    EXPECT_LT(today, first) << page;
    EXPECT_LT(first, second) << "the faster first";
    EXPECT_EQ(page.find("<i>"), std::string::npos) << "no markup of a name's own";

    httplib::Client client("127.0.0.1", service.GetPort());
    const std::regex link("href=\"(/[^\"]*)\"");
    std::set<std::string> links;
    for (std::sregex_iterator it(page.begin(), page.end(), link), end; it != end; ++it) {
        links.insert((*it)[1]);
    }
    EXPECT_GE(links.size(), 6u) << page; // home, the world, two runs, two replays, the day
    for (const std::string& path : links) {
        const auto answer = client.Get(path.c_str());
        EXPECT_TRUE(answer && answer->status == 200) << path;
        if (answer && path.find("/replay") != std::string::npos) {
            EXPECT_EQ(answer->get_header_value("Content-Type"), CBoardPages::kReplayType);
        }
    }

    // The world's chart as the browser built it: a line for each run, the names as text.
    const std::string world =
        PageInChromium(base + CBoardPages::WorldPath(DailyRun("1", "", 0).world),
                       (directory / "profile").string());
    const std::size_t chart = world.find("<svg");
    ASSERT_NE(chart, std::string::npos) << world;
    const std::regex line("<polyline");
    EXPECT_EQ(std::distance(std::sregex_iterator(world.begin() + chart, world.end(), line), {}), 2)
        << world;
    EXPECT_NE(world.find("&lt;i&gt;Eve&lt;/i&gt; 1:01.00</text>", chart), std::string::npos)
        << world;
    EXPECT_EQ(world.find("<i>"), std::string::npos) << "no markup of a name's own";
    service.Stop();
    serving.join();
    std::filesystem::remove_all(directory);
}
