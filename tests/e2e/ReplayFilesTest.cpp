// Replays on the real binary: a finished run leaves last.zrp and the world's best; --verify
// checks it with no display at all and --replay plays it in the window, both to the same line;
// bad files give their line and exit code; a damaged best replay is set aside at start.

#include "GameRun.h"
#include "ReplayBytes.h"
#include "game/Replay.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

constexpr double kStartTimeout = 30.0;
constexpr double kExitTimeout = 60.0;
constexpr double kFlightTimeout = 60.0;

// The short straight course without enemies: 120 rings, the finish at node 30.
const std::vector<std::string> kShortCourse = {"--length", "7", "--difficulty", "0", "--seed", "4"};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

bool WaitForFile(const std::string& path, double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!fs::exists(path) && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return fs::exists(path);
}

struct SChecked {
    int exitCode = -1;
    std::string output;
};

// zelkora --verify with DISPLAY unset, started from `directory`, by the copy of the game that
// the run started.
SChecked Verify(CGameRun& run, const std::string& file, const std::string& directory) {
    const std::string binary = run.GetDirectory() + "/zelkora";
    CGameRun checker;
    checker.StartProgram("/usr/bin/env", directory, {"-u", "DISPLAY", binary, "--verify", file});
    SChecked checked;
    checked.exitCode = checker.WaitForExit(kExitTimeout);
    checked.output = checker.ReadStdout() + checker.ReadStderr();
    return checked;
}

class ReplayFiles : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HasDisplay()) {
            GTEST_SKIP() << "no X display: run through ./test.sh, which starts Xvfb";
        }
        ASSERT_TRUE(run.LinkGameData());
    }

    // Flies the short course to its finish and quits: the run is in last.zrp.
    void FlyTheShortCourse() {
        std::string said;
        ASSERT_TRUE(run.StartPlaying(kShortCourse, kStartTimeout, said)) << said;
        ASSERT_TRUE(run.KeyDown("space"));
        const bool saved =
            WaitForFile(run.GetDataDirectory() + "/replays/last.zrp", kFlightTimeout);
        run.KeyUp("space");
        ASSERT_TRUE(saved) << run.ReadStdout();
        ASSERT_TRUE(run.PressKey("q"));
        ASSERT_EQ(run.WaitForExit(kExitTimeout), 0) << run.ReadStderr();
    }

    std::string Replays() const { return run.GetDataDirectory() + "/replays"; }

    CGameRun run;
};

TEST_F(ReplayFiles, AFinishedRunIsCheckedWithoutADisplayAndPlayedInTheWindowToOneLine) {
    FlyTheShortCourse();
    EXPECT_TRUE(fs::exists(Replays() + "/best-0-120-4.zrp")) << "it set the world's record";
    const std::string saved = Replays() + "/last.zrp";

    // Relative to the directory it is started from.
    const SChecked checked = Verify(run, "last.zrp", Replays());
    EXPECT_EQ(checked.exitCode, 0) << checked.output;
    std::smatch found;
    const std::regex verdict("replay: last\\.zrp: finish (0:[0-9][0-9]\\.[0-9][0-9]), state "
                             "([0-9a-f]{16}), matches\n");
    ASSERT_TRUE(std::regex_match(checked.output, found, verdict)) << checked.output;

    // The window plays it to the same line, then waits for q; the file is named relative to
    // where the player was, as the launcher and play.sh pass it on.
    CGameRun watch;
    ASSERT_TRUE(watch.LinkGameData());
    watch.SetEnvironment("ZELKORA_CALLER_DIRECTORY", Replays());
    std::string said;
    ASSERT_TRUE(watch.StartPlaying({"--replay", "last.zrp"}, kStartTimeout, said)) << said;
    ASSERT_TRUE(watch.WaitForOutput(found[0].str(), kFlightTimeout)) << watch.ReadStdout();
    EXPECT_TRUE(watch.IsRunning()) << "it waits for q";
    ASSERT_TRUE(watch.PressKey("q"));
    EXPECT_EQ(watch.WaitForExit(kExitTimeout), 0);
    EXPECT_FALSE(fs::exists(watch.GetDataDirectory() + "/replays")) << "a replay records nothing";
}

TEST_F(ReplayFiles, BadFilesGiveTheirLineAndExitCode) {
    FlyTheShortCourse();
    const std::string good = ReadFile(Replays() + "/last.zrp");
    const std::string directory = run.GetDirectory();

    WriteBytes(directory + "/flipped.zrp", [&] {
        std::string bytes = good;
        bytes[bytes.size() / 2] ^= 0x04;
        return bytes;
    }());
    WriteBytes(directory + "/short.zrp", good.substr(0, good.size() - 9));
    WriteBytes(directory + "/future.zrp", [&] {
        std::string bytes = good;
        bytes[4] = 9;
        return bytes;
    }());
    CReplay changed;
    std::string problem;
    ASSERT_TRUE(CReplay::Decode(good, changed, problem)) << problem;
    changed.frames[40].step += 0.004; // the ship is under way by then
    WriteBytes(directory + "/changed.zrp", EncodedBytes(changed));
    CReplay otherWorld = changed;
    otherWorld.world.length = 200000;
    WriteBytes(directory + "/world.zrp", CUncheckedReplayWriter::Encode(otherWorld));

    const struct {
        const char* file;
        int exitCode;
        std::string line;
    } cases[] = {
        {"flipped.zrp", 2, "replay: flipped.zrp: checksum does not match\n"},
        {"short.zrp", 2,
         "replay: short.zrp: truncated (" + std::to_string(good.size() - 9) + " bytes of " +
             std::to_string(good.size()) + ")\n"},
        {"future.zrp", 2,
         "replay: future.zrp: format version 9 is not known (this game reads 1)\n"},
        {"world.zrp", 2, "replay: world.zrp: length 200000 out of range 1 to 100000\n"},
        {"missing.zrp", 2, "replay: missing.zrp: No such file or directory\n"},
        {"changed.zrp", 1, "replay: changed.zrp: diverged at frame 41\n"},
    };
    for (const auto& bad : cases) {
        const SChecked checked = Verify(run, bad.file, directory);
        EXPECT_EQ(checked.exitCode, bad.exitCode) << bad.file;
        EXPECT_EQ(checked.output, bad.line) << bad.file;
    }
}

TEST_F(ReplayFiles, ADamagedBestReplayIsSetAsideAndTheGamePlaysOnWithoutAGhost) {
    const std::string best = "data/zelkora/replays/best-0-120-4.zrp";
    run.WriteFile(best, "zelkora replay? no");
    std::string said;
    ASSERT_TRUE(run.StartPlaying(kShortCourse, kStartTimeout, said)) << said;
    const std::string path = run.GetDirectory() + "/" + best;
    EXPECT_NE(said.find("replays: " + path + ": not a replay file; moved it to " + path +
                        ".bad, playing without a ghost\n"),
              std::string::npos)
        << said;
    EXPECT_TRUE(fs::exists(path + ".bad"));
    EXPECT_TRUE(run.IsRunning());
    ASSERT_TRUE(run.PressKey("q"));
    EXPECT_EQ(run.WaitForExit(kExitTimeout), 0);
}

} // namespace
