#include "board/BoardPages.h"

#include "InProcessBoard.h"
#include "KeptRun.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <regex>
#include <set>
#include <string>

namespace {

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

} // namespace

// The home page in a real browser: today's board in rank order with times and replays, the
// latest runs linked to their worlds, and a name written as markup shown as the text it is; the
// world's page draws its runs' splits.
TEST(BoardPageBrowser, TheHomePageShowsTodaysRanksNamesTimesAndLinksThatWork) {
    CInProcessBoard board;
    // The store takes any name; the service would refuse this one, but a page must never trust.
    const std::string markup = "<i>Eve</i>";
    const CBoardStore::SWorld monday = board.days.WorldOf("2026-12-07");
    KeepRun(board.store, "1", "Ann", monday, 83412, "2026-12-07", {83412 / 2});
    KeepRun(board.store, "2", markup, monday, 61005, "2026-12-07", {61005 / 2});
    const std::string base = "http://127.0.0.1:" + std::to_string(board.service->GetPort());
    const std::string profile = board.scratch.Join("profile");

    const std::string page = PageInChromium(base + "/", profile);
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

    const std::regex link("href=\"(/[^\"]*)\"");
    std::set<std::string> links;
    for (std::sregex_iterator it(page.begin(), page.end(), link), end; it != end; ++it) {
        links.insert((*it)[1]);
    }
    EXPECT_GE(links.size(), 6u) << page; // home, the world, two runs, two replays, the day
    for (const std::string& path : links) {
        const auto answer = board.client->Get(path.c_str());
        EXPECT_EQ(Status(answer), 200) << path;
        if (answer && path.find("/replay") != std::string::npos) {
            EXPECT_EQ(answer->get_header_value("Content-Type"), CBoardPages::kReplayType);
        }
    }

    // The world's chart as the browser built it: a line for each run, the names as text.
    const std::string world = PageInChromium(base + CBoardPages::WorldPath(monday), profile);
    const std::size_t chart = world.find("<svg");
    ASSERT_NE(chart, std::string::npos) << world;
    const std::regex line("<polyline");
    EXPECT_EQ(std::distance(std::sregex_iterator(world.begin() + chart, world.end(), line), {}), 2)
        << world;
    EXPECT_NE(world.find("&lt;i&gt;Eve&lt;/i&gt; 1:01.00</text>", chart), std::string::npos)
        << world;
    EXPECT_EQ(world.find("<i>"), std::string::npos) << "no markup of a name's own";
}
