// The screens over the game with its real HUD: which of the menu, the records table, a run's
// results and the title card shows, the title card's coming and going, and the results' lines
// against the best run, with the board's answer.

#include "GameGl.h"
#include "ToneFiles.h"
#include "base/Version.h"
#include "game/RunResults.h"
#include "online/BoardLink.h"

#include <chrono>
#include <functional>
#include <thread>
#include <vector>

namespace {

using EColour = CHud::EColour;
constexpr unsigned kSeed = 11;           // with difficulty 0 and length 120: straight, no enemies
constexpr std::int64_t kTicksAFrame = 3; // the longest step the rules take: fewer frames

class GameScreensGl : public GameGl {
protected:
    void SetUp() override {
        GameGl::SetUp();
        if (IsSkipped()) {
            return;
        }
        records = std::make_unique<CRecords>(scratch.GetPath());
        files = std::make_unique<CReplayFiles>(scratch.GetPath());
    }

    void TearDown() override {
        game.reset();
        link.reset();
        GameGl::TearDown();
    }

    void MakeGame(CBoardLink* board = nullptr) {
        Make(
            0, 120,
            [&](CGame& made, unsigned seed) {
                made.SetSeed(seed);
                made.SetReplayFiles(files.get());
                made.SetBoard(board);
            },
            kSeed);
    }

    // Space held, let go every so many frames if asked, until the results show.
    bool FlyToTheResults(int releaseEvery = 0) {
        for (int frame = 0; frame < 2000; ++frame) {
            const bool press = releaseEvery == 0 || frame % releaseEvery != 0;
            press ? input.KeyDown(' ', 0, 0) : input.KeyUp(' ', 0, 0);
            Frames(1, kTicksAFrame);
            if (!Panel().empty() && Panel().back().text == CRunResults::kKeysLine) {
                input.KeyUp(' ', 0, 0);
                return true;
            }
        }
        return false;
    }

    const std::vector<CHud::SPanelLine>& Panel() { return game->GetHud()->GetPanelLines(); }
    std::string PanelHead() { // its first word
        return Panel().empty() ? ""
                               : Panel().front().text.substr(0, Panel().front().text.find(' '));
    }
    bool TitleShown() { return !game->GetHud()->GetTitle().empty(); }

    void Quietly(const std::function<void()>& action) {
        testing::internal::CaptureStdout();
        action();
        testing::internal::GetCapturedStdout();
    }

    CScratchDirectory scratch;
    std::unique_ptr<CReplayFiles> files;
    std::unique_ptr<CBoardLink> link;
};

TEST_F(GameScreensGl, TheMenuTheTableTheResultsAndTheTitleCardShowFirstComeFirst) {
    MakeGame();
    game->SetNewWorldSeedSource([] { return 5u; });
    const std::vector<CHud::SPanelLine> menu = {{"RESUME", EColour::Yellow}, {"QUIT"}};
    struct SStep {
        const char* what;
        std::function<void()> act;
        std::string panelHead; // "" for no panel
        bool title;
    };
    const auto key = [this](int code) {
        return [this, code] {
            input.KeyDown(code, 0, 0);
            Frames(1);
            input.KeyUp(code, 0, 0);
        };
    };
    const auto restart = [this] { Quietly([this] { game->Restart(); }); };
    const SStep steps[] = {
        {"start", [] {}, "", true},
        {"table over the title", [this] { game->ToggleRecordsTable(); }, "RECORDS", false},
        {"table closed", [this] { game->ToggleRecordsTable(); }, "", true},
        {"flight key", key(' '), "", false},
        {"restart", restart, "", true},
        {"fire", key('y'), "", false},
        {"new world", [this] { Quietly([this] { game->NewWorld(); }); }, "", true},
        {"menu opened", [&] { game->SetMenuPanel(menu); }, "RESUME", false},
        {"menu closed", [this] { game->SetMenuPanel({}); }, "", false},
        {"restart again", restart, "", true},
        {"results", [this] { EXPECT_TRUE(FlyToTheResults()); }, "TIME", false},
        {"table over the results", [this] { game->ToggleRecordsTable(); }, "RECORDS", false},
        {"results again", [this] { game->ToggleRecordsTable(); }, "TIME", false},
        {"menu over the results", [&] { game->SetMenuPanel(menu); }, "RESUME", false},
        {"the menu ended them", [this] { game->SetMenuPanel({}); }, "", false},
        {"menu as the game says", [&] { game->HideTitle(), restart(), game->HideTitle(); }, "",
         false},
    };
    for (const SStep& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        Frames(1);
        EXPECT_EQ(PanelHead(), step.panelHead);
        EXPECT_EQ(TitleShown(), step.title);
    }
}

TEST_F(GameScreensGl, TheTitleCardNamesTheGameTheWorldTheBestAndTheKeysInForce) {
    MakeGame();
    game->SetTitleKeys({"W FLY", "A D STEER", "Q FIRE", "A VERY LONG KEY NAME FOR THE MENU"});
    Quietly([this] { game->Restart(); });
    Frames(1);
    std::vector<std::string> texts;
    for (const CHud::SPanelLine& line : game->GetHud()->GetTitle()) {
        texts.push_back(line.text);
    }
    EXPECT_EQ(texts,
              (std::vector<std::string>{std::string("ZELKORA ") + GetGameVersion(), "WORLD 11",
                                        "BEST NONE", "W FLY" + std::string(17, ' ') + "A D STEER",
                                        "Q FIRE", "A VERY LONG KEY NAME FOR THE MENU"}));
    ASSERT_TRUE(FlyToTheResults());
    Quietly([this] { game->Restart(); });
    Frames(1);
    EXPECT_EQ(game->GetHud()->GetTitle().at(2).text.rfind("BEST 0:", 0), 0u)
        << "the run just flown";
}

// Each case flies the world again; the best run is the fastest flown before.
TEST_F(GameScreensGl, TheResultsMeasureTheRunAndItsSplitsAgainstTheBestRun) {
    CBoardLink::SSettings settings;
    settings.url = "http://127.0.0.1:9"; // nobody listens: the board's answer is quick
    settings.name = "Ann";
    settings.token = "Ann-Wq7Zr2Kd9xP4vLw0mN8bT_3sYh6Jc1GfUeA5oRi";
    settings.dataDirectory = scratch.Join("outbox");
    link = std::make_unique<CBoardLink>(settings);
    MakeGame(link.get());
    struct SCase {
        const char* what;
        int releaseEvery;
        EColour time;  // TIME's colour: yellow for a new best
        bool bestNone; // no best before: no gaps
        EColour split; // of every disc past the start's
        // The board's answer; an offline board answers only the oldest run waiting to be sent.
        const char* board;
    };
    const SCase cases[] = {
        {"first run: no best", 4, EColour::Yellow, true, EColour::White, "BOARD: OFFLINE"},
        {"faster", 0, EColour::Yellow, false, EColour::Green, CRunResults::kBoardWaiting},
        {"slower", 4, EColour::White, false, EColour::Red, CRunResults::kBoardWaiting},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        Quietly([this] { game->Restart(); });
        ASSERT_TRUE(FlyToTheResults(c.releaseEvery));
        const std::vector<CHud::SPanelLine> lines = Panel();
        ASSERT_GE(lines.size(), 7u);
        EXPECT_EQ(lines[0].colour, c.time);
        EXPECT_EQ(lines[1].text == "BEST      NONE", c.bestNone) << lines[1].text;
        const EColour best = c.bestNone ? EColour::White : c.split;
        EXPECT_EQ(lines[1].colour, best);
        int discs = 0;
        for (std::size_t i = 4; lines[i].text.rfind("DISC", 0) == 0; ++i, ++discs) {
            EXPECT_EQ(lines[i].colour, c.split) << lines[i].text;
            EXPECT_EQ(lines[i].bar < 0.0f, c.split == EColour::Green) << lines[i].text;
            EXPECT_EQ(lines[i].bar > 0.0f, c.split == EColour::Red) << lines[i].text;
        }
        EXPECT_GT(discs, 3);
        const std::size_t boardLine = lines.size() - 2;
        EXPECT_EQ(lines[boardLine].text, CRunResults::kBoardWaiting);
        const auto end = std::chrono::steady_clock::now() +
                         std::chrono::seconds(c.board == CRunResults::kBoardWaiting ? 0 : 30);
        while (Panel()[boardLine].text != c.board && std::chrono::steady_clock::now() < end) {
            Frames(1);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_EQ(Panel()[boardLine].text, c.board);
        EXPECT_EQ(Panel().back().text, "ENTER MENU  R AGAIN  N NEW WORLD");
    }
}

} // namespace
