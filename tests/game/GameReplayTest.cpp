// Runs recorded by the game and played back through the rules alone: the same ending for fixed
// and varying steps, with a restart, P mode, a self-destruct and a finish; where a changed
// recording departs; what cannot be recorded; and the size of a long run's file.

#include "GameRules.h"
#include "ReplayBytes.h"
#include "entities/Player.h"
#include "world/Tunnel.h"

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
        // The finish time as m:ss.hh, the course clock cut (not rounded) to hundredths.
        const std::string said = PlayBack(second)->Describe("run");
        int minutes = -1;
        int seconds = -1;
        int hundredths = -1;
        ASSERT_EQ(std::sscanf(said.c_str(), "replay: run: finish %d:%2d.%2d with P mode,", &minutes,
                              &seconds, &hundredths),
                  3)
            << said;
        EXPECT_LT(seconds, 60) << said;
        const double shown = minutes * 60.0 + seconds + hundredths / 100.0;
        EXPECT_LE(shown, second.finishClock + 0.0005) << said; // a millisecond's rounding
        EXPECT_GT(shown + 0.01, second.finishClock) << said;
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

    // The playback stops at the first frame that differs, however long the file.
    CReplayPlayback stopped(recorded);
    CReplay::SFrame other = recorded.frames[0];
    ++other.check;
    stopped.CheckFrame(other);
    EXPECT_TRUE(stopped.HasEnded());
    EXPECT_EQ(stopped.GetDivergedFrame(), 1u);
}

// Each claim of a header that the flight does not bear out refuses the run, naming the claim.
TEST_F(GameReplay, EveryFalseClaimOfTheHeaderIsNamed) {
    Make(0, 200, 11);
    game->TogglePMode(); // before the first frame
    Fly(1);
    game->TogglePMode();
    ASSERT_TRUE(FlyToTheFinish());
    const CReplay pModeRun = *game->GetLastRun();
    lastBefore = game->GetLastRun();
    game->Restart();
    ASSERT_TRUE(FlyToTheFinish());
    const CReplay run = *game->GetLastRun();
    ASSERT_FALSE(run.pModeUsed);
    ASSERT_GE(run.splits.size(), 3u);
    const std::string frames = std::to_string(run.frames.size());

    const auto pModeVerdict = PlayBack(pModeRun)->Describe("p.zrp");
    EXPECT_NE(pModeVerdict.find(" with P mode, state "), std::string::npos) << pModeVerdict;
    EXPECT_NE(pModeVerdict.find(", matches"), std::string::npos) << pModeVerdict;

    using Forge = void (*)(CReplay&);
    const struct {
        bool fromPModeRun;
        Forge forge;
        std::string says;
    } cases[] = {
        {true, [](CReplay& r) { r.pModeUsed = false; },
         "the header says P mode was never used; the flight used it at frame 1"},
        {false, [](CReplay& r) { r.pModeUsed = true; },
         "the header says P mode was used; the flight never used it"},
        {false, [](CReplay& r) { r.finished = false, r.finishClock = 0.0, r.finishHash = 0; },
         "the header says the run did not reach the finish; the flight reached it at frame " +
             frames},
        {false, [](CReplay& r) { r.frames.pop_back(); },
         "the header says the run reached the finish; the flight did not"},
        {false, [](CReplay& r) { r.finishClock -= 1.0; }, "the header says the finish time is "},
        {false, [](CReplay& r) { ++r.finishHash; }, "the header says the finish state is "},
        {false, [](CReplay& r) { ++r.endHash; }, "the header says the end state is "},
        {false, [](CReplay& r) { r.splits[2] -= 0.25; }, "the header says split 3 is "},
        {false, [](CReplay& r) { r.splits.pop_back(); }, "the header has "},
        {false, [](CReplay& r) { r.world.nodes += 380; }, "the header says the world has "},
    };
    for (const auto& c : cases) {
        CReplay forged = c.fromPModeRun ? pModeRun : run;
        c.forge(forged);
        const auto played = PlayBack(forged);
        EXPECT_FALSE(played->Matches()) << c.says;
        EXPECT_EQ(played->GetDivergedFrame(), 0u) << c.says;
        EXPECT_EQ(played->Describe("x.zrp").rfind("replay: x.zrp: " + c.says, 0), 0u)
            << played->Describe("x.zrp");
    }
}

// One frame of a minute (a stall, the process stopped) anywhere on the course is flown as the
// longest step the rules take: the course flown at a steady 60 frames a second with it is never
// faster than without it. Difficulty 0 has no enemies to make one course differ from another.
TEST_F(GameReplay, ALongFrameAnywhereOnTheCourseGainsNoTime) {
    Make(0, 300, 4);
    const int start = game->GetTunnel()->GetStartNode();
    const int finish = game->GetTunnel()->GetFinishNode();
    // The course clock at the finish with one long frame once the ship is at that node, or in
    // that frame (none for -1), and the recorded run.
    int crossingFrame = -1; // the steady run's frame that sets out over the start mark
    const auto finishWithLongFrameAt = [&](int node, int frame = -1) {
        game->Restart();
        lastBefore = game->GetLastRun();
        bool stalled = false;
        for (int i = 0; i < 20000 && game->GetLastRun() == lastBefore; ++i) {
            input.KeyDown(' ', 0, 0);
            const bool stallNow =
                !stalled &&
                ((node >= 0 && game->GetPlayer()->GetNodeIndex() >= node) || i == frame);
            stalled = stalled || stallNow;
            Frame(stallNow ? 60 * kTicksPerSecond : kFixedStep);
            if (crossingFrame < 0 && game->GetPlayer()->GetNodeIndex() >= start) {
                crossingFrame = i;
            }
        }
        EXPECT_TRUE(stalled || (node < 0 && frame < 0)) << node << " " << frame;
        return game->GetLastRun() != lastBefore ? *game->GetLastRun() : CReplay();
    };
    const CReplay steady = finishWithLongFrameAt(-1);
    // A long frame that crosses the start mark, wherever in it the mark falls.
    for (int before = 0; before < 3; ++before) {
        const CReplay stalled = finishWithLongFrameAt(-1, crossingFrame - before);
        EXPECT_GE(stalled.finishClock + 1e-9, steady.finishClock) << "crossing, " << before;
        EXPECT_TRUE(PlayBack(stalled)->Matches()) << before;
    }
    ASSERT_TRUE(steady.finished);
    ASSERT_GT(steady.finishClock, 1.0);
    const int placements[] = {0, start - 1, start, (start + finish) / 2, finish - 1, finish};
    for (const int node : placements) {
        const CReplay stalled = finishWithLongFrameAt(node);
        ASSERT_TRUE(stalled.finished) << node;
        EXPECT_GE(stalled.finishClock, steady.finishClock) << "a long frame at node " << node;
        EXPECT_TRUE(PlayBack(stalled)->Matches()) << node; // the playback bounds it alike
    }

    // Two frames of 100 s, the longest the timer gives, fly a tenth of a second.
    game->Restart();
    input.KeyDown(' ', 0, 0);
    Frame(100 * kTicksPerSecond);
    Frame(100 * kTicksPerSecond);
    game->EndRun();
    ASSERT_NE(game->GetLastRun(), nullptr);
    EXPECT_EQ(game->GetLastRun()->frames[1].step, 100.0) << "kept as measured";
    EXPECT_FALSE(game->GetLastRun()->finished);
    EXPECT_LT(game->GetPlayer()->GetNodeIndex(), start);
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
