// Replays on the real binary: a finished run leaves last.zrp and the world's best; --verify
// checks it with no display at all and --replay plays it in the window, both to the same line;
// bad files give their line and exit code; a damaged best replay is set aside at start.

#include "GameRun.h"
#include "ReplayBytes.h"
#include "base/Version.h"
#include "runs/Replay.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <sys/stat.h>
#include <thread>

namespace fs = std::filesystem;

namespace {

constexpr double kStartTimeout = 30.0;
constexpr double kExitTimeout = 60.0;
constexpr double kFlightTimeout = 60.0;

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

// zelkora --verify with DISPLAY unset, started from `directory`, by that copy of the game.
SChecked Verify(const std::string& binary, const std::string& file, const std::string& directory) {
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
        ASSERT_TRUE(run.StartPlaying(CGameRun::kShortCourse, kStartTimeout, said)) << said;
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
    const SChecked checked = Verify(run.GetDirectory() + "/zelkora", "last.zrp", Replays());
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

// The game stopped (Ctrl-Z, a debugger, a machine that stalls) just after accelerate was
// pressed, before the start line: the world waits through the stop, so the course takes as long
// as it does without one, and the recording of it checks to that time.
TEST_F(ReplayFiles, AStallBeforeTheStartGainsNoTime) {
    const auto courseMilliseconds = [](CGameRun& game, double stallSeconds) -> long long {
        std::string said;
        EXPECT_TRUE(game.StartPlaying(CGameRun::kShortCourse, kStartTimeout, said)) << said;
        EXPECT_TRUE(game.KeyDown("space"));
        if (stallSeconds > 0.0) {
            kill(game.GetPid(), SIGSTOP);
            std::this_thread::sleep_for(std::chrono::duration<double>(stallSeconds));
            kill(game.GetPid(), SIGCONT);
        }
        const std::string last = game.GetDataDirectory() + "/replays/last.zrp";
        EXPECT_TRUE(WaitForFile(last, kFlightTimeout)) << game.ReadStdout();
        game.KeyUp("space");
        EXPECT_TRUE(game.PressKey("q"));
        EXPECT_EQ(game.WaitForExit(kExitTimeout), 0);
        const SChecked checked = Verify(game.GetDirectory() + "/zelkora", last, ".");
        EXPECT_EQ(checked.exitCode, 0) << checked.output;
        // "0 120 4 3.217 2026-...": the record is this run's time.
        std::smatch time;
        const std::string records = ReadFile(game.GetDataDirectory() + "/records.txt");
        if (!std::regex_search(records, time, std::regex("\n0 120 4 ([0-9]+)\\.([0-9]{3}) "))) {
            ADD_FAILURE() << records;
            return -1;
        }
        return std::stoll(time[1]) * 1000 + std::stoll(time[2]);
    };
    const long long steady = courseMilliseconds(run, 0.0);
    CGameRun stalled;
    ASSERT_TRUE(stalled.LinkGameData());
    const long long afterStall = courseMilliseconds(stalled, 3.0);
    ASSERT_GT(steady, 1000);
    // Real frames vary: a frame or two either way.
    EXPECT_GE(afterStall, steady - 50) << "steady " << steady << " ms";
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
    CReplay older = changed;
    older.gameVersion = "1.1.0";
    WriteBytes(directory + "/older.zrp", EncodedBytes(older));
    ASSERT_EQ(mkfifo((directory + "/fifo.zrp").c_str(), 0600), 0); // no writer: must not hang
    // A copy of the program beside a data directory that lacks the enemies' meshes.
    const std::string partial = directory + "/partial";
    fs::create_directories(partial + "/mesh");
    fs::copy_file(run.GetDirectory() + "/zelkora", partial + "/zelkora");
    fs::copy_file(run.GetDirectory() + "/mesh/player.obj", partial + "/mesh/player.obj");
    WriteBytes(partial + "/last.zrp", good);

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
         "replay: future.zrp: format version 9 is not known (this game reads 1 to 2)\n"},
        {"world.zrp", 2, "replay: world.zrp: length 200000 out of range 1 to 100000\n"},
        {"missing.zrp", 2, "replay: missing.zrp: No such file or directory\n"},
        {"fifo.zrp", 2, "replay: fifo.zrp: not a regular file\n"},
        {"older.zrp", 2,
         "replay: older.zrp: recorded by zelkora 1.1.0, whose rules are not this game's (zelkora " +
             std::string(GetGameVersion()) + "); it cannot be checked here\n"},
        {"partial/last.zrp", 2, "replay: last.zrp: cannot check: cant open mesh/laser2.obj\n"},
        {"changed.zrp", 1, "replay: changed.zrp: diverged at frame 41\n"},
    };
    for (const auto& bad : cases) {
        const bool inPartial = std::string(bad.file).rfind("partial/", 0) == 0;
        const SChecked checked = inPartial
                                     ? Verify(partial + "/zelkora", "last.zrp", partial)
                                     : Verify(run.GetDirectory() + "/zelkora", bad.file, directory);
        EXPECT_EQ(checked.exitCode, bad.exitCode) << bad.file;
        EXPECT_EQ(checked.output, bad.line) << bad.file;
    }
}

// A best replay that is damaged is set aside; one that cannot be read (a FIFO) is left alone;
// the game plays on without a ghost either way, and never waits on the file.
TEST_F(ReplayFiles, ABadBestReplayGivesOneLineAndTheGamePlaysOnWithoutAGhost) {
    const std::string best = "data/zelkora/replays/best-0-120-4.zrp";
    for (const bool fifo : {false, true}) {
        CGameRun game;
        ASSERT_TRUE(game.LinkGameData());
        const std::string path = game.GetDirectory() + "/" + best;
        game.WriteFile(best, "zelkora replay? no");
        if (fifo) {
            fs::remove(path);
            ASSERT_EQ(mkfifo(path.c_str(), 0600), 0) << "no writer: the game must not wait on it";
        }
        const std::string line = fifo
                                     ? "replays: " + path +
                                           ": cant read it (not a regular file), playing without a "
                                           "ghost\n"
                                     : "replays: " + path + ": not a replay file; moved it to " +
                                           path + ".bad, playing without a ghost\n";
        std::string said;
        ASSERT_TRUE(game.StartPlaying(CGameRun::kShortCourse, kStartTimeout, said)) << said;
        EXPECT_NE(said.find(line), std::string::npos) << said;
        EXPECT_EQ(fs::exists(path + ".bad"), !fifo);
        EXPECT_TRUE(game.IsRunning());
        ASSERT_TRUE(game.PressKey("q"));
        EXPECT_EQ(game.WaitForExit(kExitTimeout), 0);
    }
}

} // namespace
