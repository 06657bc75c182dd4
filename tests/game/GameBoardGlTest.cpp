// The game with a real board on loopback: a run at the finish is sent and its rank shows, the
// Tab table holds the board's lines, and another player's game flies that run as its ghost.

#include "BoardServer.h"
#include "FileBytes.h"
#include "GameGl.h"
#include "ToneFiles.h"
#include "online/BoardLink.h"

#include <chrono>
#include <thread>
#include <vector>

namespace {

constexpr double kAnswerSeconds = 30.0;

class GameBoardGl : public GameGl {
protected:
    CBoardLink::SSettings Player(const std::string& name, bool ghostFromBoard) const {
        CBoardLink::SSettings player;
        player.url = board->Url();
        player.name = name;
        player.token = name + "-Wq7Zr2Kd9xP4vLw0mN8bT_3sYh6Jc1GfUeA5oRi";
        player.dataDirectory = scratch.Join(name);
        player.ghostFromBoard = ghostFromBoard;
        player.gameProgram = ZELKORA_GAME_BINARY; // the game in this process is no program
        player.scratchDirectory = scratch.GetPath();
        return player;
    }

    void StartBoard() {
        board = std::make_unique<CBoardServer>("sqlite:" + scratch.Join("board.sqlite3"),
                                               scratch.GetPath(), scratch.Join("board.log"));
        ASSERT_TRUE(board->Ready()) << ReadFileBytes(scratch.Join("board.log"));
    }

    // Frames at the game's pace until the condition holds; false after kAnswerSeconds.
    template <typename Condition> bool FramesUntil(Condition condition) {
        const auto end =
            std::chrono::steady_clock::now() + std::chrono::duration<double>(kAnswerSeconds);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > end) {
                return false;
            }
            Frames(1);
            std::this_thread::sleep_for(std::chrono::milliseconds(15));
        }
        return true;
    }

    void TearDown() override {
        game.reset();
        links.clear();
        GameGl::TearDown();
    }

    CBoardLink* Link(const CBoardLink::SSettings& settings) {
        links.push_back(std::make_unique<CBoardLink>(settings));
        return links.back().get();
    }

    CScratchDirectory scratch;
    std::unique_ptr<CBoardServer> board;
    std::vector<std::unique_ptr<CBoardLink>> links;
};

} // namespace

TEST_F(GameBoardGl, ARunAtTheFinishIsRankedTheTableShowsTheBoardAndOthersRaceItAsTheGhost) {
    StartBoard();
    CBoardLink* ann = Link(Player("Ann", false));
    records = std::make_unique<CRecords>(scratch.Join("Ann"));
    Make(
        0, 120, [ann](CGame& made, unsigned seed) { FixedSeed(made, seed), made.SetBoard(ann); },
        11);
    ASSERT_TRUE(FlyToTheFinish());
    ASSERT_TRUE(FramesUntil([&] { return Message() == "BOARD #1 OF 1"; })) << Message();
    ASSERT_TRUE(FramesUntil([&] { return Message().rfind("AUS:MAUS\n", 0) == 0; }))
        << "a few seconds, then the finish's message again";
    const std::string finish = Message();

    // Fetched again once the board took the run.
    ASSERT_TRUE(FramesUntil([&] {
        return ann->GetStanding().state == CBoardLink::SStanding::EState::Fetched &&
               ann->GetStanding().board.players == 1;
    }));
    const std::string time = finish.substr(9, finish.find(' ', 9) - 9);
    const std::vector<std::string> lines = game->GetRecordsTableLines();
    ASSERT_GE(lines.size(), 3u);
    const std::vector<std::string> boardLines(lines.end() - 3, lines.end());
    EXPECT_EQ(boardLines,
              (std::vector<std::string>{"BOARD  1 PLAYER", "1   ANN" + std::string(25, ' ') + time,
                                        "YOU  #1"}));

    // Bo flies the same world with the board's best beside him, named at the start.
    game.reset();
    records.reset();
    CBoardLink* bo = Link(Player("Bo", true));
    Make(
        0, 120, [bo](CGame& made, unsigned seed) { FixedSeed(made, seed), made.SetBoard(bo); }, 11);
    ASSERT_TRUE(FramesUntil([&] { return Message().rfind("GHOST", 0) == 0; })) << Message();
    EXPECT_EQ(Message(), "GHOST ANN " + time);
    EXPECT_EQ(game->GetRecordsTableLines().back(), "YOU  NOT ON THE BOARD");
    board->Stop();
}
