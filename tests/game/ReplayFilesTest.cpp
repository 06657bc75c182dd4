// Saving replays: a run the file cannot hold is not written, with one line, and the file saved
// before it stays.

#include "game/ReplayFiles.h"

#include "FileBytes.h"
#include "ReplayBytes.h"
#include "ToneFiles.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ReplaySaving, ARunTheFileCannotHoldIsNotWrittenAndSaysSo) {
    CScratchDirectory scratch;
    CReplayFiles files(scratch.GetPath());
    CReplay run;
    run.world = {3, 500, 17};
    run.gameVersion = "1.1.0";
    run.frames.resize(3);
    run.frames[0].step = 0.5;
    files.SaveLast(run);
    const std::string saved = ReadFileBytes(files.GetLastPath());
    ASSERT_EQ(saved, EncodedBytes(run));

    run.splits.assign(CReplay::kMaximumSplits + 1, 0.0);
    testing::internal::CaptureStdout();
    files.SaveLast(run);
    files.SaveBest(run, 512);
    const std::string best = files.GetBestPath(run.world, 512);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "replays: cant save " + files.GetLastPath() +
                  " (split count 17 out of range 0 to 16), nothing written\n"
                  "replays: cant save " +
                  best + " (split count 17 out of range 0 to 16), nothing written\n");
    EXPECT_EQ(ReadFileBytes(files.GetLastPath()), saved);
    EXPECT_EQ(ReadFileBytes(best), "");
}

} // namespace
