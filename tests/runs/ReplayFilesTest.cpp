// Saving replays: a run the file cannot hold is not written, with one line, and the file saved
// before it stays; the best run of a world is found again from every length that builds it, and
// a best file that is no such run gives one line and no ghost.

#include "runs/ReplayFiles.h"

#include "base/Version.h"
#include "game/RunBook.h"
#include "world/Tunnel.h"

#include "FileBytes.h"
#include "ReplayBytes.h"
#include "ToneFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>

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

// A best run of older rules may be one no run can match now (a stall's, say): no ghost of it.
TEST(ReplaySaving, TheGhostFliesOnlyABestRunOfTheseRules) {
    CScratchDirectory scratch;
    CReplayFiles files(scratch.GetPath());
    CReplay best;
    best.world = {3, 50, CTunnel::CountRings(3, 50, 17), 17};
    best.finished = true;
    best.frames.resize(2);
    best.frames[0].step = 0.5;
    best.finishClock = 0.5;
    const std::pair<std::string, bool> versions[] = {{"1.2.0", false}, {GetGameVersion(), true}};
    for (const auto& [version, flown] : versions) {
        best.gameVersion = version;
        files.SaveBest(best);
        CRunBook book(false);
        book.SetReplayFiles(&files);
        testing::internal::CaptureStdout();
        book.LoadGhost(best.world);
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  flown ? ""
                        : "replays: " + files.GetBestPath(best.world) +
                              ": recorded under other rules than this game's, playing "
                              "without a ghost\n");
        EXPECT_EQ(book.GetGhost() != nullptr, flown) << version;
    }
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

// What stands at the best path: a damaged file or a run without a finish is moved aside, so that
// the next record may take the name; what cannot be read as a file is left where it is.
TEST(ReplaySaving, ABestFileThatIsNoFinishedRunGivesOneLineAndNoGhost) {
    CReplay unfinished;
    unfinished.world = {3, 50, CTunnel::CountRings(3, 50, 17), 17};
    unfinished.gameVersion = "1.1.0";
    unfinished.frames.resize(2);
    unfinished.frames[0].step = 0.5;
    const std::string whole = EncodedBytes(unfinished);
    enum class EPut { Bytes, Directory, Fifo };
    struct SCase {
        const char* what;
        EPut put;
        std::string bytes;
        std::string line; // after "replays: <path>: "
        bool movedAside;
    };
    const SCase cases[] = {
        {"no finish", EPut::Bytes, whole, "a run without a finish", true},
        {"damaged", EPut::Bytes, "ZRP? nothing more", "not a replay file", true},
        {"cut short", EPut::Bytes, whole.substr(0, 40),
         "truncated (40 bytes of " + std::to_string(whole.size()) + ")", true},
        {"a directory", EPut::Directory, "", "cant read it (not a regular file)", false},
        {"a FIFO", EPut::Fifo, "", "cant read it (not a regular file)", false},
    };
    for (const SCase& c : cases) {
        CScratchDirectory scratch;
        CReplayFiles files(scratch.GetPath());
        const std::string path = files.GetBestPath(unfinished.world);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        if (c.put == EPut::Bytes) {
            WriteBytes(path, c.bytes);
        } else if (c.put == EPut::Directory) {
            std::filesystem::create_directory(path);
        } else {
            ASSERT_EQ(mkfifo(path.c_str(), 0600), 0) << c.what;
        }
        testing::internal::CaptureStdout();
        EXPECT_EQ(files.LoadBest(unfinished.world), nullptr) << c.what;
        const std::string said = testing::internal::GetCapturedStdout();
        if (c.movedAside) {
            EXPECT_EQ(said, "replays: " + path + ": " + c.line + "; moved it to " + path +
                                ".bad, playing without a ghost\n");
            EXPECT_EQ(ReadFileBytes(path + ".bad"), c.bytes) << c.what;
            EXPECT_FALSE(std::filesystem::exists(path)) << c.what;
        } else {
            EXPECT_EQ(said, "replays: " + path + ": " + c.line + ", playing without a ghost\n");
            EXPECT_TRUE(std::filesystem::exists(path)) << c.what;
            EXPECT_FALSE(std::filesystem::exists(path + ".bad")) << c.what;
        }
    }
}

} // namespace
