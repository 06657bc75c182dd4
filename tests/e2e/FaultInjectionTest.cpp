// Every data file the game reads, taken away or spoilt in turn, with the real game started on
// each: it must say so the way it always does and then play on, or, for a sound, end with code
// 1 at the moment the sound is opened. Never a crash (death by a signal) and never a hang.

#include "GameRun.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <regex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr double kStartTimeout = 30.0; // seconds until the window is up and set-up is done
// A quit saves the run so far, synced to disk, which four games quitting on a busy disk wait for.
constexpr double kExitTimeout = 30.0;
constexpr double kPlaySeconds = 0.25; // frames the game draws before it is told to quit
constexpr size_t kGamesAtOnce = 4;    // started together; the keyboard goes to one at a time

// What each data folder holds, so that a file added later cannot slip past these tests.
constexpr size_t kTextureCount = 43;
constexpr size_t kMeshCount = 11;
constexpr size_t kSoundCount = 14;

const char* const kMainLoopLine = "start MainLoop...\n";
const char* const kMissingSoundText = "File not found";
const char* const kGarbageSoundText = "Unknown file format"; // our sound layer's undecodable file

enum class EFault { Missing, Garbage };

struct SCase {
    std::string file; // relative to the game's directory: "texture/hud.tga"
    EFault fault;
};

std::string Describe(const SCase& c) {
    return c.file + (c.fault == EFault::Missing ? " missing" : " garbage");
}

std::vector<SCase> CasesFor(const std::vector<std::string>& files) {
    std::vector<SCase> cases;
    for (const std::string& file : files) {
        cases.push_back({file, EFault::Missing});
        cases.push_back({file, EFault::Garbage});
    }
    return cases;
}

std::vector<SCase> CasesFor(const std::vector<std::string>& files, EFault fault) {
    std::vector<SCase> cases;
    for (const std::string& file : files) {
        cases.push_back({file, fault});
    }
    return cases;
}

std::vector<std::string> Only(const std::vector<std::string>& files,
                              const std::vector<std::string>& wanted) {
    std::vector<std::string> kept;
    for (const std::string& file : files) {
        if (std::find(wanted.begin(), wanted.end(), file) != wanted.end()) {
            kept.push_back(file);
        }
    }
    return kept;
}

// Noise from a fixed seed around a few broken OBJ statements: a usable face with a coordinate
// beyond float range among faces that point at nothing, and statements short of values. No
// reader recognises a format in it; the mesh reader gets something to chew on.
std::string Garbage() {
    std::minstd_rand random(1337);
    const auto noise = [&random](size_t count) {
        std::string bytes;
        for (size_t i = 0; i < count; ++i) {
            bytes += static_cast<char>(random() & 0xff);
        }
        return bytes;
    };
    return noise(600) +
           "\nv 0 0 0\nv 1 0 0\nv 0 1e39 0\nvt 0 0\nvn 0 0 1\n"
           "f 1/1/1 2/1/1 3/1/1\nf 1/1/1 2/1/1 4/1/1\nf 0/0/0 -1/-1/-1 70000/1/1\n"
           "f 1//1 2 3/x/\nv 1 2\nvt\nf\n" +
           noise(600);
}

// The game with one file spoilt, started from a directory of its own; null if it failed.
std::unique_ptr<CGameRun> StartWithFault(const SCase& c, const std::string& ini) {
    auto run = std::make_unique<CGameRun>();
    if (!run->LinkGameData()) {
        return nullptr;
    }
    if (c.fault == EFault::Missing) {
        std::filesystem::remove(run->GetDirectory() + "/" + c.file);
    } else {
        run->WriteFile(c.file, Garbage());
    }
    if (!ini.empty()) {
        run->WriteFile("zelkora.ini", ini);
    }
    return run->Start() ? std::move(run) : nullptr;
}

std::string Report(CGameRun& run) {
    return "\nstdout:\n" + run.ReadStdout() + "\nstderr:\n" + run.ReadStderr();
}

enum class EWindow { Opens, Unused };

// Starts the cases kGamesAtOnce at a time, then hands each run in turn to check. Games whose
// window the check uses start one after another, each once the window of the one before is up
// (so that each run knows its own window); the slow part, the set-up, still overlaps.
void RunInBatches(const std::vector<SCase>& cases, const std::string& ini, EWindow window,
                  const std::function<void(const SCase&, CGameRun&)>& check) {
    for (size_t first = 0; first < cases.size(); first += kGamesAtOnce) {
        const size_t end = std::min(cases.size(), first + kGamesAtOnce);
        std::vector<std::unique_ptr<CGameRun>> runs;
        for (size_t i = first; i < end; ++i) {
            runs.push_back(StartWithFault(cases[i], ini));
            if (!runs.back()) {
                ADD_FAILURE() << Describe(cases[i]) << ": could not start the game";
            } else if (window == EWindow::Opens && !runs.back()->WaitForWindow(kStartTimeout)) {
                ADD_FAILURE() << Describe(cases[i]) << ": no window" << Report(*runs.back());
                runs.back().reset();
            }
        }
        for (size_t i = first; i < end; ++i) {
            SCOPED_TRACE(Describe(cases[i]));
            CGameRun* run = runs[i - first].get();
            if (run != nullptr) {
                check(cases[i], *run);
            }
        }
    }
}

int CountOf(const std::string& text, const std::string& part) {
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// The game has set up, draws its frames and quits with 0 on q; fire holds y for a while first.
void ExpectPlaysOnAndQuits(CGameRun& run, bool fire = false) {
    ASSERT_TRUE(run.WaitForWindow(kStartTimeout)) << Report(run);
    ASSERT_TRUE(run.WaitForOutput(kMainLoopLine, kStartTimeout)) << Report(run);
    std::this_thread::sleep_for(std::chrono::duration<double>(kPlaySeconds));
    ASSERT_TRUE(run.IsRunning()) << Report(run);
    if (fire) {
        ASSERT_TRUE(run.KeyDown("y"));
        std::this_thread::sleep_for(std::chrono::duration<double>(kPlaySeconds * 2));
        ASSERT_TRUE(run.KeyUp("y"));
        ASSERT_TRUE(run.IsRunning()) << Report(run);
    }
    ASSERT_TRUE(run.PressKey("q"));
    EXPECT_EQ(run.WaitForExit(kExitTimeout), 0) << Report(run);
}

std::string SoundLine(const SCase& c) {
    return "cant open soundfile " + c.file + ": " +
           (c.fault == EFault::Missing ? kMissingSoundText : kGarbageSoundText) + "\n";
}

class FaultInjection : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HasDisplay()) {
            GTEST_SKIP() << "no X display: run through ./test.sh, which starts Xvfb";
        }
    }
};

void ExpectTextureReportedOnce(const SCase& c, CGameRun& run) {
    ExpectPlaysOnAndQuits(run);
    const std::string output = run.ReadStdout();
    // The textures load first of all, so the line comes before the path's.
    EXPECT_EQ(output.rfind("ERROR! CTexture cant open file " + c.file + "\npath: ", 0), 0u)
        << Report(run);
    EXPECT_EQ(CountOf(output, "ERROR!"), 1) << Report(run);
}

TEST_F(FaultInjection, AMissingTextureIsReportedAndTheGamePlaysOn) {
    const std::vector<std::string> textures = CGameRun::ListGameData("texture");
    ASSERT_EQ(textures.size(), kTextureCount);
    RunInBatches(CasesFor(textures, EFault::Missing), "", EWindow::Opens,
                 ExpectTextureReportedOnce);
}

TEST_F(FaultInjection, AGarbageTextureIsReportedAndTheGamePlaysOn) {
    const std::vector<std::string> textures = CGameRun::ListGameData("texture");
    ASSERT_EQ(textures.size(), kTextureCount);
    RunInBatches(CasesFor(textures, EFault::Garbage), "", EWindow::Opens,
                 ExpectTextureReportedOnce);
}

// The ship's and the enemies' meshes load at set-up; the shot's when the first one is fired.
TEST_F(FaultInjection, AMissingMeshIsReportedAGarbageOneLoadsQuietlyAndTheGamePlaysOn) {
    const std::vector<std::string> meshes = CGameRun::ListGameData("mesh");
    ASSERT_EQ(meshes.size(), kMeshCount);
    RunInBatches(CasesFor(meshes), "", EWindow::Opens, [](const SCase& c, CGameRun& run) {
        ExpectPlaysOnAndQuits(run, c.file == "mesh/laser2.obj");
        const std::string output = run.ReadStdout();
        const int reported = CountOf(output, "cant open obj-file: ");
        if (c.fault == EFault::Missing) {
            EXPECT_GE(reported, 1) << Report(run);
            EXPECT_EQ(CountOf(output, "cant open obj-file: " + c.file + "\n"), reported)
                << "only the missing file is reported" << Report(run);
        } else {
            EXPECT_EQ(reported, 0) << Report(run);
        }
        EXPECT_EQ(CountOf(output, "ERROR!"), 0) << Report(run);
    });
}

// The game's own sounds open while the program starts, before main.
TEST_F(FaultInjection, AGameSoundEndsItWithItsLineAndCodeOneBeforeAnything) {
    const std::vector<std::string> sounds = CGameRun::ListGameData("sounds");
    ASSERT_EQ(sounds.size(), kSoundCount);
    const std::vector<std::string> gameSounds =
        Only(sounds, {"sounds/title_sound_1.mp3", "sounds/start_sound.wav",
                      "sounds/explosion_1.wav", "sounds/explosion_2.wav", "sounds/squeaky.wav"});
    ASSERT_EQ(gameSounds.size(), 5u);
    RunInBatches(CasesFor(gameSounds), "", EWindow::Unused, [](const SCase& c, CGameRun& run) {
        EXPECT_EQ(run.WaitForExit(kExitTimeout), 1) << Report(run);
        EXPECT_EQ(run.ReadStdout(), SoundLine(c)) << Report(run);
    });
}

// The ship's sounds open when it is built at set-up, right after the path is laid; each
// chaser's beep when the chaser is built, after the enemy count. Difficulty 1 makes 410 enemies
// or more, a third of them chasers, so every one of the five beeps is picked, whatever the seed.
TEST_F(FaultInjection, AShipOrChaserSoundEndsItWithItsLineAndCodeOneDuringSetUp) {
    const std::vector<std::string> sounds = CGameRun::ListGameData("sounds");
    const std::vector<std::string> shipSounds =
        Only(sounds,
             {"sounds/energy_warning.wav", "sounds/energy_alert.wav", "sounds/selfdestruct.wav"});
    ASSERT_EQ(shipSounds.size(), 3u);
    std::vector<std::string> setUpSounds = shipSounds;
    for (int beep = 1; beep <= 5; ++beep) {
        setUpSounds.push_back("sounds/R2D2_" + std::to_string(beep) + ".wav");
    }
    ASSERT_EQ(Only(sounds, setUpSounds).size(), setUpSounds.size());
    RunInBatches(
        CasesFor(setUpSounds), "1 500 1", EWindow::Unused,
        [&shipSounds](const SCase& c, CGameRun& run) {
            EXPECT_EQ(run.WaitForExit(kStartTimeout), 1) << Report(run);
            const std::string output = run.ReadStdout();
            std::smatch path;
            ASSERT_TRUE(std::regex_search(output, path, std::regex("^path: (\\d+) nodes \n")))
                << Report(run);
            const bool ship =
                std::find(shipSounds.begin(), shipSounds.end(), c.file) != shipSounds.end();
            const std::string enemyCount = std::to_string(std::stoi(path[1]) - 90);
            EXPECT_EQ(output, path.str() + (ship ? "" : enemyCount) + SoundLine(c)) << Report(run);
        });
}

// A shot opens its sound when it is fired: the game runs until then.
TEST_F(FaultInjection, TheLaserSoundEndsItWithItsLineAndCodeOneAtTheFirstShot) {
    const std::vector<std::string> laser =
        Only(CGameRun::ListGameData("sounds"), {"sounds/laser.wav"});
    ASSERT_EQ(laser.size(), 1u);
    RunInBatches(CasesFor(laser), "0 500 1", EWindow::Opens, [](const SCase& c, CGameRun& run) {
        ASSERT_TRUE(run.WaitForWindow(kStartTimeout)) << Report(run);
        ASSERT_TRUE(run.WaitForOutput(kMainLoopLine, kStartTimeout)) << Report(run);
        std::this_thread::sleep_for(std::chrono::duration<double>(kPlaySeconds));
        ASSERT_TRUE(run.IsRunning()) << "no shot yet, so no sound opened" << Report(run);
        ASSERT_TRUE(run.KeyDown("y"));
        const int exitCode = run.WaitForExit(kExitTimeout);
        run.KeyUp("y");
        EXPECT_EQ(exitCode, 1) << Report(run);
        const std::string output = run.ReadStdout();
        EXPECT_EQ(output.substr(output.find(kMainLoopLine)),
                  std::string(kMainLoopLine) + SoundLine(c))
            << Report(run);
    });
}

} // namespace
