// Runs recorded by the game and played back through the rules alone: the same ending for fixed
// and varying steps, with a restart, P mode, a self-destruct and a finish; where a changed
// recording departs; what cannot be recorded; and the size of a long run's file.

#include "GameRules.h"
#include "ReplayBytes.h"
#include "entities/Player.h"
#include "game/Records.h"
#include "world/Tunnel.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

class GameReplay : public GameRules {
protected:
    // The real clock's frames, never twice the same (a fixed seed, so repeatable): 12 to 22 ms,
    // or, at a steady 60 frames a second, 1/60 s give or take a millisecond.
    std::int64_t JitteredStep() {
        jitter ^= jitter << 13;
        jitter ^= jitter >> 7;
        jitter ^= jitter << 17;
        if (steady) {
            return kFixedStep - 1000000 + static_cast<std::int64_t>(jitter % 2000000);
        }
        return 12000000 + static_cast<std::int64_t>(jitter % 10000000);
    }
    std::int64_t NextStep() { return varyingSteps ? JitteredStep() : kFixedStep; }

    // Full speed, a weave left and right, bursts of fire.
    void Fly(int frames) {
        for (int i = 0; i < frames; ++i, ++flown) {
            input.KeyDown(' ', 0, 0);
            (flown / 40) % 3 == 0 ? input.KeyDown('d', 0, 0) : input.KeyUp('d', 0, 0);
            (flown / 50) % 4 == 1 ? input.KeyDown('f', 0, 0) : input.KeyUp('f', 0, 0);
            (flown / 20) % 2 == 0 ? input.KeyDown('y', 0, 0) : input.KeyUp('y', 0, 0);
            Frame(NextStep());
        }
    }

    bool FlyToTheFinish() {
        for (int i = 0; i < 20000 && game->GetLastRun() == lastBefore; ++i) {
            Fly(1);
        }
        return game->GetLastRun() != lastBefore && game->GetLastRun()->finished;
    }

    // Two runs in one game: P mode on and off and a self-destruct, then a restart; then P mode,
    // a self-destruct and the finish. Both must play back to the ending they had.
    void RecordAndPlayBackTwoRuns() {
        Make(3, 200, 11);
        Fly(60);
        game->TogglePMode();
        Fly(40);
        game->TogglePMode();
        Fly(30);
        game->SelfDestruct();
        Fly(100);
        game->Restart();
        ASSERT_NE(game->GetLastRun(), nullptr);
        const CReplay first = *game->GetLastRun();
        lastBefore = game->GetLastRun();
        Fly(20);
        game->SelfDestruct();
        Fly(400); // blown apart, back after five seconds
        game->TogglePMode();
        ASSERT_TRUE(FlyToTheFinish());
        const CReplay second = *game->GetLastRun();

        EXPECT_FALSE(first.finished);
        EXPECT_TRUE(first.pModeUsed);
        EXPECT_EQ(first.commands.size(), 3u);
        EXPECT_EQ(first.frames.size(), 230u);
        EXPECT_TRUE(second.finished);
        EXPECT_TRUE(second.pModeUsed);
        EXPECT_EQ(second.finishHash, second.endHash);
        EXPECT_GT(second.finishClock, 1.0);
        EXPECT_EQ(second.splits.size(), game->GetTunnel()->GetJointNodes().size());

        for (const CReplay* run : {&first, &second}) {
            const auto played = PlayBack(*run);
            EXPECT_TRUE(played->Matches()) << played->Describe("run");
            EXPECT_EQ(played->Describe("run").find("diverged"), std::string::npos);
            EXPECT_NE(played->Describe("run").find(CReplay::FormatHash(run->endHash)),
                      std::string::npos);
        }
        EXPECT_NE(PlayBack(second)->Describe("run").find(
                      "finish " + CRecords::FormatTime(std::llround(second.finishClock * 1000))),
                  std::string::npos);
        // And through the file's bytes.
        CReplay decoded;
        std::string problem;
        ASSERT_TRUE(CReplay::Decode(EncodedBytes(second), decoded, problem)) << problem;
        EXPECT_TRUE(PlayBack(decoded)->Matches());
    }

    bool varyingSteps = false;
    bool steady = false;
    std::uint64_t jitter = 88172645463325252ULL;
    int flown = 0;
    const CReplay* lastBefore = nullptr;
};

TEST_F(GameReplay, RunsAtAFixedStepPlayBackToTheirEnding) {
    RecordAndPlayBackTwoRuns();
}

TEST_F(GameReplay, RunsAtTheRealClocksVaryingStepsPlayBackToTheirEnding) {
    varyingSteps = true;
    RecordAndPlayBackTwoRuns();
}

TEST_F(GameReplay, AChangedStepOrCommandDivergesAtItsFrame) {
    Make(3, 200, 11);
    Fly(300);
    game->EndRun();
    ASSERT_NE(game->GetLastRun(), nullptr);
    const CReplay recorded = *game->GetLastRun();

    CReplay slower = recorded;
    slower.frames[119].step *= 1.5; // frame 120: the ship is at full speed
    auto played = PlayBack(slower);
    EXPECT_EQ(played->GetDivergedFrame(), 120u);
    EXPECT_EQ(played->Describe("x.zrp"), "replay: x.zrp: diverged at frame 120");

    CReplay steered = recorded;
    steered.frames[199].commands ^= CReplay::kLeft;
    EXPECT_EQ(PlayBack(steered)->GetDivergedFrame(), 200u);

    CReplay otherEnd = recorded;
    ++otherEnd.endHash; // every frame agrees, the ending does not
    EXPECT_EQ(PlayBack(otherEnd)->GetDivergedFrame(), 300u);
}

// A slow machine's first frames (shaders being compiled) or a stall take seconds: the run is
// still recorded, and plays back.
TEST_F(GameReplay, ARunWithAStallOfSecondsIsRecordedAndPlaysBack) {
    Make(3, 200, 11);
    Fly(10);
    testing::internal::CaptureStdout();
    Frame(2 * kTicksPerSecond);
    Frame(150 * kTicksPerSecond); // the timer makes this one 0.5 s
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    Fly(10);
    game->EndRun();
    ASSERT_NE(game->GetLastRun(), nullptr);
    const CReplay run = *game->GetLastRun();
    ASSERT_EQ(run.frames.size(), 22u);
    EXPECT_EQ(run.frames[10].step, 2.0);
    EXPECT_EQ(run.frames[11].step, 0.5);
    CReplay decoded;
    std::string problem;
    ASSERT_TRUE(CReplay::Decode(EncodedBytes(run), decoded, problem)) << problem;
    EXPECT_TRUE(PlayBack(decoded)->Matches());
}

TEST_F(GameReplay, TwoMinutesAtSixtyFramesFitIn64Kilobytes) {
    varyingSteps = true;
    steady = true;
    Make(3, 1500, 7); // long enough not to finish
    Fly(7200);
    game->EndRun();
    ASSERT_NE(game->GetLastRun(), nullptr);
    ASSERT_EQ(game->GetLastRun()->frames.size(), 7200u);
    const std::size_t bytes = EncodedBytes(*game->GetLastRun()).size();
    RecordProperty("bytes", static_cast<int>(bytes));
    std::printf("two minutes recorded in %zu bytes\n", bytes);
    EXPECT_LE(bytes, 65536u);
}

} // namespace
