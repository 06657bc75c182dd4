#include "board/RunChecker.h"

#include "BoardRun.h"
#include "ReplayBytes.h"
#include "ToneFiles.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

const CReplay& ARealRun() {
    static const CReplay run = FlyTheCourse(0, 120, 11);
    return run;
}

// The checks' files in a scratch directory of the test's own.
class RunChecker : public testing::Test {
protected:
    const CScratchDirectory scratch;
};

} // namespace

// Each case: what is done to a real finished run (nothing: its bytes are no replay), the
// verdict, and the start of the reason. A stall while flying is kept as measured and flown as
// the game flies it; a stall written into a run afterwards is no flight the game makes.
TEST_F(RunChecker, OnlyARealFinishedRunOfThisVersionAtTheGamesPaceCounts) {
    using EVerdict = CRunChecker::EVerdict;
    struct SCase {
        const char* name;
        std::function<void(CReplay&)> spoil;
        EVerdict verdict;
        std::string reason;
    };
    const std::vector<SCase> cases = {
        {"as flown", [](CReplay&) {}, EVerdict::Counts, ""},
        {"not a replay", nullptr, EVerdict::Unreadable, "not a replay: "},
        {"another version", [](CReplay& run) { run.gameVersion = "1.1.0"; }, EVerdict::OtherVersion,
         "recorded by zelkora 1.1.0; this board checks zelkora 1.3.0"},
        {"no finish",
         [](CReplay& run) {
             run.finished = false;
             run.finishClock = 0.0;
             run.finishHash = 0;
         },
         EVerdict::NotEligible, "the run did not reach the finish"},
        {"P mode", [](CReplay& run) { run.pModeUsed = true; }, EVerdict::NotEligible,
         "the run used P mode"},
        {"flown at 120 frames a second",
         [](CReplay& run) {
             for (auto& frame : run.frames) {
                 frame.step /= 2;
             }
             run.finishClock /= 2;
             for (double& split : run.splits) {
                 split /= 2;
             }
         },
         EVerdict::NotEligible,
         // The game's first step is half a second, which the rules fly as 0.05 s; then 59 of
         // 1/120 s.
         "frames 1 to 60 were flown in 0.542 s: faster than the game's 60 a second"},
        {"long frames hiding frames flown too fast",
         [](CReplay& run) {
             for (std::size_t i = 1; i < run.frames.size(); ++i) {
                 run.frames[i].step = i % 40 == 0 ? 1.0 : 1.0 / 120;
             }
         },
         EVerdict::NotEligible, "frames 1 to 60 were flown in 0.583 s"},
        {"a faster finish claimed", [](CReplay& run) { run.finishClock -= 1.0; },
         EVerdict::NotEligible, "did not verify: "},
        {"another world claimed", [](CReplay& run) { run.world.seed += 1; }, EVerdict::NotEligible,
         "did not verify: "},
        {"stalled while flying", [](CReplay& run) { run = FlyTheCourse(0, 120, 11, 200); },
         EVerdict::Counts, ""},
        {"a stall added afterwards", [](CReplay& run) { run.frames[200].step = 5.0; },
         EVerdict::NotEligible, "did not verify: "},
    };
    const CRunChecker checker(ZELKORA_GAME_BINARY, scratch.GetPath(), CRunChecker::SLimits{});
    for (const SCase& test : cases) {
        CReplay run = ARealRun();
        if (test.spoil) {
            test.spoil(run);
        }
        const CRunChecker::SResult result = checker.Check(
            test.spoil ? CUncheckedReplayWriter::Encode(run) : std::string("ZRP garbage"));
        EXPECT_EQ(result.verdict, test.verdict) << test.name << ": " << result.reason;
        EXPECT_EQ(result.reason.substr(0, test.reason.size()), test.reason) << test.name;
    }
}

// A checker that cannot run, or runs past its time, is the board's failure, not the run's.
TEST_F(RunChecker, ACheckThatCannotRunOrTakesTooLongIsNoVerdictOnTheRun) {
    const std::string slow = scratch.Join("slow-checker");
    std::ofstream(slow) << "#!/bin/sh\nexec sleep 30\n";
    chmod(slow.c_str(), 0755);
    CRunChecker::SLimits limits;
    limits.wallSeconds = 1;
    const std::string bytes = EncodedBytes(ARealRun());
    const CRunChecker::SResult late = CRunChecker(slow, scratch.GetPath(), limits).Check(bytes);
    EXPECT_EQ(late.verdict, CRunChecker::EVerdict::CouldNotCheck);
    EXPECT_EQ(late.reason, "the check took longer than 1 s");
    const std::string missing = scratch.Join("no-such-game");
    const CRunChecker::SResult unrun = CRunChecker(missing, scratch.GetPath(), limits).Check(bytes);
    EXPECT_EQ(unrun.verdict, CRunChecker::EVerdict::CouldNotCheck);
    EXPECT_EQ(unrun.reason, "cannot run the checker " + missing);
    // Every check's own directory is gone with it: only the slow checker is left.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.GetPath()),
                            std::filesystem::directory_iterator()),
              1);
}
