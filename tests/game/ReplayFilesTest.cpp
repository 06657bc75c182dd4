// Saving replays: a run the file cannot hold is not written, with one line, and the file saved
// before it stays; the best run of a world is found again from every length that builds it.

#include "game/ReplayFiles.h"

#include "world/Tunnel.h"

#include "FileBytes.h"
#include "ReplayBytes.h"
#include "ToneFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(ReplaySaving, ARunTheFileCannotHoldIsNotWrittenAndSaysSo) {
    CScratchDirectory scratch;
    CReplayFiles files(scratch.GetPath());
    CReplay run;
    run.world = {3, 500, 502, 17}; // difficulty, length asked, nodes built, seed
    run.gameVersion = "1.1.0";
    run.frames.resize(3);
    run.frames[0].step = 0.5;
    files.SaveLast(run);
    const std::string saved = ReadFileBytes(files.GetLastPath());
    ASSERT_EQ(saved, EncodedBytes(run));

    run.splits.assign(CReplay::kMaximumSplits + 1, 0.0);
    testing::internal::CaptureStdout();
    files.SaveLast(run);
    files.SaveBest(run);
    const std::string best = files.GetBestPath(run.world);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "replays: cant save " + files.GetLastPath() +
                  " (split count 17 out of range 0 to 16), nothing written\n"
                  "replays: cant save " +
                  best + " (split count 17 out of range 0 to 16), nothing written\n");
    EXPECT_EQ(ReadFileBytes(files.GetLastPath()), saved);
    EXPECT_EQ(ReadFileBytes(best), "");
}

TEST(ReplaySaving, TheBestRunIsFoundFromEveryLengthThatBuildsItsWorld) {
    CScratchDirectory scratch;
    CReplayFiles files(scratch.GetPath());
    const int nodes = CTunnel::CountRings(3, 50, 17);
    ASSERT_EQ(CTunnel::CountRings(3, 120, 17), nodes);
    CReplay best;
    best.world = {3, 50, nodes, 17}; // short: lengths up to 120 all build one tunnel
    best.gameVersion = "1.1.0";
    best.finished = true;
    best.frames.resize(2);
    best.frames[0].step = 0.5;
    best.finishClock = 0.5;
    files.SaveBest(best);
    const std::string path = files.GetBestPath(best.world);
    for (const int length : {50, 1, 120}) {
        testing::internal::CaptureStdout();
        const std::unique_ptr<CReplay> found = files.LoadBest({3, length, nodes, 17});
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << length;
        EXPECT_NE(found, nullptr) << length;
    }
    // A file of the older format names no node count: its length and seed give it.
    CReplay older = best;
    older.world.nodes = 0;
    WriteBytes(path, EncodedBytes(older));
    EXPECT_NE(files.LoadBest({3, 120, nodes, 17}), nullptr);
    // The run of a world of another node count, under this world's name, is set aside.
    CReplay longer = older;
    longer.world.length = 500;
    WriteBytes(path, EncodedBytes(longer));
    testing::internal::CaptureStdout();
    EXPECT_EQ(files.LoadBest({3, 50, nodes, 17}), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "replays: " + path + ": the run of another world; moved it to " + path +
                  ".bad, playing without a ghost\n");
    EXPECT_FALSE(std::filesystem::exists(path));
}

} // namespace
