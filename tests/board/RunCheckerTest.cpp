#include "board/RunChecker.h"

#include "BoardRun.h"
#include "ReplayBytes.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

std::string ScratchDirectory() {
    std::string path = std::filesystem::temp_directory_path().string() + "/board-check-XXXXXX";
    EXPECT_NE(mkdtemp(path.data()), nullptr);
    return path;
}

const CReplay& ARealRun() {
    static const CReplay run = FlyTheCourse(0, 120, 11);
    return run;
}

} // namespace

// Each case: what is done to a real finished run, the verdict, and the start of the reason.
TEST(RunChecker, OnlyARealFinishedRunOfThisVersionAtTheGamesPaceCounts) {
    using EVerdict = CRunChecker::EVerdict;
    struct SCase {
        const char* name;
        std::function<std::string(CReplay&)> spoil; // the bytes submitted
        EVerdict verdict;
        std::string reason;
    };
    const auto written = [](CReplay& run) { return CUncheckedReplayWriter::Encode(run); };
    const std::vector<SCase> cases = {
        {"as flown", written, EVerdict::Counts, ""},
        {"not a replay", [](CReplay&) { return std::string("ZRP garbage"); }, EVerdict::Unreadable,
         "not a replay: "},
        {"another version",
         [&](CReplay& run) {
             run.gameVersion = "1.1.0";
             return written(run);
         },
         EVerdict::OtherVersion, "recorded by zelkora 1.1.0; this board checks zelkora 1.3.0"},
        {"no finish",
         [&](CReplay& run) {
             run.finished = false;
             run.finishClock = 0.0;
             run.finishHash = 0;
             return written(run);
         },
         EVerdict::NotEligible, "the run did not reach the finish"},
        {"P mode",
         [&](CReplay& run) {
             run.pModeUsed = true;
             return written(run);
         },
         EVerdict::NotEligible, "the run used P mode"},
        {"flown at 120 frames a second",
         [&](CReplay& run) {
             for (auto& frame : run.frames) {
                 frame.step /= 2;
             }
             run.finishClock /= 2;
             for (double& split : run.splits) {
                 split /= 2;
             }
             return written(run);
         },
         EVerdict::NotEligible,
         // The game's first step is half a second, which the rules fly as 0.05 s; then 59 of
         // 1/120 s.
         "frames 1 to 60 were flown in 0.542 s: faster than the game's 60 a second"},
        {"long frames hiding frames flown too fast",
         [&](CReplay& run) {
             for (std::size_t i = 1; i < run.frames.size(); ++i) {
                 run.frames[i].step = i % 40 == 0 ? 1.0 : 1.0 / 120;
             }
             return written(run);
         },
         EVerdict::NotEligible, "frames 1 to 60 were flown in 0.583 s"},
        {"a faster finish claimed",
         [&](CReplay& run) {
             run.finishClock -= 1.0;
             return written(run);
         },
         EVerdict::NotEligible, "did not verify: "},
        {"another world claimed",
         [&](CReplay& run) {
             run.world.seed += 1;
             return written(run);
         },
         EVerdict::NotEligible, "did not verify: "},
    };
    const std::string scratch = ScratchDirectory();
    const CRunChecker checker(ZELKORA_GAME_BINARY, scratch, CRunChecker::SLimits{});
    for (const SCase& test : cases) {
        CReplay run = ARealRun();
        const CRunChecker::SResult result = checker.Check(test.spoil(run));
        EXPECT_EQ(result.verdict, test.verdict) << test.name << ": " << result.reason;
        EXPECT_EQ(result.reason.substr(0, test.reason.size()), test.reason) << test.name;
    }
    std::filesystem::remove_all(scratch);
}

// A stall while flying is kept as measured and flown as the game flies it: the run counts. A
// stall written into a run afterwards is no flight the game makes.
TEST(RunChecker, AStalledFrameCountsAndCannotBeAddedAfterwards) {
    const std::string scratch = ScratchDirectory();
    const CRunChecker checker(ZELKORA_GAME_BINARY, scratch, CRunChecker::SLimits{});
    const CReplay stalled = FlyTheCourse(0, 120, 11, 200);
    const CRunChecker::SResult flown = checker.Check(EncodedBytes(stalled));
    EXPECT_EQ(flown.verdict, CRunChecker::EVerdict::Counts) << flown.reason;
    CReplay added = ARealRun();
    added.frames[200].step = 5.0;
    const CRunChecker::SResult forged = checker.Check(CUncheckedReplayWriter::Encode(added));
    EXPECT_EQ(forged.verdict, CRunChecker::EVerdict::NotEligible);
    EXPECT_EQ(forged.reason.substr(0, 16), "did not verify: ");
    std::filesystem::remove_all(scratch);
}

// A checker that cannot run, or runs past its time, is the board's failure, not the run's.
TEST(RunChecker, ACheckThatCannotRunOrTakesTooLongIsNoVerdictOnTheRun) {
    const std::string scratch = ScratchDirectory();
    const std::string slow = scratch + "/slow-checker";
    std::ofstream(slow) << "#!/bin/sh\nexec sleep 30\n";
    chmod(slow.c_str(), 0755);
    CRunChecker::SLimits limits;
    limits.wallSeconds = 1;
    const std::string bytes = EncodedBytes(ARealRun());
    const CRunChecker::SResult late = CRunChecker(slow, scratch, limits).Check(bytes);
    EXPECT_EQ(late.verdict, CRunChecker::EVerdict::CouldNotCheck);
    EXPECT_EQ(late.reason, "the check took longer than 1 s");
    const CRunChecker::SResult missing =
        CRunChecker(scratch + "/no-such-game", scratch, limits).Check(bytes);
    EXPECT_EQ(missing.verdict, CRunChecker::EVerdict::CouldNotCheck);
    EXPECT_EQ(missing.reason, "cannot run the checker " + scratch + "/no-such-game");
    // Every check's own directory is gone with it: only the slow checker is left.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch),
                            std::filesystem::directory_iterator()),
              1);
    std::filesystem::remove_all(scratch);
}
