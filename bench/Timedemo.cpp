// The timedemo: the real game in its data directory, a fixed world, a fixed time step of 1/60 s
// and a scripted player, every frame drawn into a real 800 x 600 window and timed. Then bare
// frames (clear and swap only) for comparison. Prints one summary line:
//
// timedemo: <frames> frames <seconds> s <fps> fps frame ms min/p50/p95/p99/max a/b/c/d/e
//           bare p50 <f> ms state <hash> scale 100/85/70/50 <a>/<b>/<c>/<d> %
//
// (on one line), preceded by a line with the start-up time, the peak memory and the resident
// memory at the end of each minute of game time.
//
// The scene's resolution follows the frame times as in the game (the scale field gives the
// share of frames drawn at each step), unless --full-resolution keeps it full. --whole-sprites
// sends every particle and puff square, even those whose sprite cell cannot show.
//
// Usage: zelkora_timedemo [--difficulty D] [--length L] [--frames N] [--seed S] [--no-culling]
//                         [--full-resolution] [--whole-sprites] [--bare-frames M]
//                         [--times FILE] [--record FILE | --replay FILE] [--data DIR]
//                         [--board URL]
// --times writes each frame's milliseconds and the scale it was drawn at (percent), a line each.
// --data DIR keeps replays in DIR/replays as the game does in its data directory, and flies the
// world's best run there as a ghost (to see what it costs). --record FILE keeps the scripted run as
// a replay (the game's own recorder); --replay FILE times a recorded run's frames instead of the
// scripted player (its world, steps and commands), then prints the replay's line ("... matches" or
// "... diverged at frame N") and exits 1 if it diverged. Run it from the game's data directory
// (scripts/timedemo.sh does), with an X display. --board URL flies with that board as a player
// would (the world's standing asked at the start, the run sent at the finish, its outbox in
// --data DIR or a scratch directory), to show that a slow or silent board costs no frame time.

#include "ScriptedPlayer.h"
#include "app/Input.h"
#include "app/KeyHandler.h"
#include "app/RenderSettings.h"
#include "app/Screen.h"
#include "app/Timer.h"
#include "entities/Enemy.h"
#include "entities/Player.h"
#include "game/Game.h"
#include "game/Ghost.h"
#include "online/BoardLink.h"
#include "render/ResolutionScaler.h"
#include "render/SpriteBatch.h"
#include "runs/Replay.h"
#include "runs/ReplayFiles.h"
#include "runs/ReplayPlayback.h"
#include "sound/SoundSystem.h"

#include <GL/freeglut.h>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct SOptions {
    int difficulty = 3;
    int length = 500;
    int frames = 3600;
    int bareFrames = 300;
    unsigned seed = 7;
    bool culling = true;
    bool fullResolution = false;
    bool wholeSprites = false;
    std::string timesPath;
    std::string recordPath;
    std::string replayPath;
    std::string dataPath;
    std::string boardUrl;
};

unsigned worldSeed = 7;
unsigned FixedSeed() {
    return worldSeed;
}

// The game's clock: 1/60 s per frame, whatever the wall clock does.
std::int64_t fixedCounter = 1000000;
std::int64_t ReadFixedCounter() {
    return fixedCounter++;
}

bool ParseOptions(int argc, char** argv, SOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        const bool hasValue = i + 1 < argc;
        if (name == "--no-culling") {
            options.culling = false;
        } else if (name == "--full-resolution") {
            options.fullResolution = true;
        } else if (name == "--whole-sprites") {
            options.wholeSprites = true;
        } else if (name == "--difficulty" && hasValue) {
            options.difficulty = std::atoi(argv[++i]);
        } else if (name == "--length" && hasValue) {
            options.length = std::atoi(argv[++i]);
        } else if (name == "--frames" && hasValue) {
            options.frames = std::max(1, std::atoi(argv[++i]));
        } else if (name == "--bare-frames" && hasValue) {
            options.bareFrames = std::max(1, std::atoi(argv[++i]));
        } else if (name == "--seed" && hasValue) {
            options.seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        } else if (name == "--times" && hasValue) {
            options.timesPath = argv[++i];
        } else if (name == "--record" && hasValue) {
            options.recordPath = argv[++i];
        } else if (name == "--replay" && hasValue) {
            options.replayPath = argv[++i];
        } else if (name == "--data" && hasValue) {
            options.dataPath = argv[++i];
        } else if (name == "--board" && hasValue) {
            options.boardUrl = argv[++i];
        } else {
            std::fprintf(stderr, "timedemo: unknown or incomplete option %s\n", name.c_str());
            return false;
        }
    }
    return true;
}

// Resident memory now, in MB, from /proc.
double ResidentMegabytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) /
           (1024.0 * 1024.0);
}

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double Share(int part, int whole) {
    return 100.0 * part / whole;
}

double Percentile(std::vector<double> sorted, double p) {
    std::sort(sorted.begin(), sorted.end());
    const size_t index = static_cast<size_t>(p * static_cast<double>(sorted.size() - 1) + 0.5);
    return sorted[std::min(index, sorted.size() - 1)];
}

void OnDisplay() {}

// A directory of this run's own under the system's temporary one, for a board's outbox.
std::string ScratchDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zelkora-timedemo-XXXXXX");
    return mkdtemp(pattern.data()) != nullptr ? pattern : "";
}

// The recorded run, or one line and null.
std::unique_ptr<CReplayPlayback> LoadPlayback(const std::string& path) {
    std::string problem;
    std::unique_ptr<CReplayPlayback> loaded = CReplayPlayback::Load(path, problem);
    if (!loaded) {
        std::fprintf(stderr, "timedemo: %s: %s\n", path.c_str(), problem.c_str());
    }
    return loaded;
}

bool WriteRecording(const CGame& game, const std::string& path) {
    const CReplay* run = game.GetLastRun();
    std::string bytes;
    std::string problem;
    if (run != nullptr && !run->Encode(bytes, problem)) {
        std::fprintf(stderr, "timedemo: cant write the run to %s (%s)\n", path.c_str(),
                     problem.c_str());
        return false;
    }
    std::ofstream out(path, std::ios::binary);
    if (run == nullptr || !(out << bytes)) {
        std::fprintf(stderr, "timedemo: cant write the run to %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const Clock::time_point programStart = Clock::now();
    SOptions options;
    if (!ParseOptions(argc, argv, options)) {
        return 2;
    }
    std::unique_ptr<CReplayPlayback> playback;
    if (!options.replayPath.empty()) {
        playback = LoadPlayback(options.replayPath);
        if (!playback) {
            return 2;
        }
        options.frames = static_cast<int>(playback->GetReplay().frames.size());
    }
    worldSeed = options.seed;
    CSpriteBatch::SetTrimming(!options.wholeSprites);
    setenv("SDL_AUDIODRIVER", "dummy", 0); // measured silently unless asked otherwise

    CScreen screen;
    screen.Start(1);
    glutDisplayFunc(OnDisplay);

    CTimer timer(&ReadFixedCounter, 60);
    CInput input;
    CRenderSettings settings;
    auto game = std::make_unique<CGame>(&settings, &input, &timer);
    game->SetSeedSource(&FixedSeed);
    CResolutionScaler resolution;
    resolution.SetAutomatic(!options.fullResolution);
    game->SetResolutionScaler(&resolution);
    game->SetDifficulty(options.difficulty);
    game->SetTunnelLength(options.length);
    game->SetPlayback(playback.get()); // a recording brings its own world
    std::unique_ptr<CReplayFiles> replayFiles;
    if (!options.dataPath.empty()) {
        replayFiles = std::make_unique<CReplayFiles>(options.dataPath);
        game->SetReplayFiles(replayFiles.get());
    }
    std::unique_ptr<CBoardLink> board;
    if (!options.boardUrl.empty()) {
        CBoardClient::Initialise();
        CBoardLink::SSettings player;
        player.url = options.boardUrl;
        player.name = "timedemo";
        player.token = "timedemo-Zk3v9QpL2mXw8RtY4uHb7NcE1sDf6GaJ0";
        player.dataDirectory = options.dataPath.empty() ? ScratchDirectory() : options.dataPath;
        board = std::make_unique<CBoardLink>(player);
        game->SetBoard(board.get());
    }
    game->Setup();
    if (game->GetGhost() != nullptr) {
        std::printf("\ntimedemo: a ghost flies the best run, finished in %.2f s",
                    game->GetGhost()->GetFinishClock());
    }
    std::printf("\n");

    CKeyHandler keys(game.get(), &input, &settings);
    if (!options.culling) {
        keys.SpecialKeyDown(GLUT_KEY_F8, 0, 0);
        keys.SpecialKeyUp(GLUT_KEY_F8, 0, 0);
    }
    CScriptedPlayer player(keys);

    std::vector<double> residentByMinute; // to see that a long run does not grow
    std::vector<double> frameTimes;
    std::vector<int> framePercents; // the scale each frame was drawn at
    int framesAtStep[CResolutionScaler::kSteps.size()] = {};
    frameTimes.reserve(static_cast<size_t>(options.frames));
    framePercents.reserve(static_cast<size_t>(options.frames));
    double startupSeconds = 0.0;
    const Clock::time_point runStart = Clock::now();
    for (int frame = 0; frame < options.frames; ++frame) {
        glutMainLoopEvent();
        if (!playback) {
            player.BeforeFrame(frame);
        }
        ++framesAtStep[resolution.GetScalePercent() == 100 ? 0 : resolution.GetStep()];
        framePercents.push_back(resolution.GetScalePercent());
        frameTimes.push_back(game->TimedFrame());
        if (frame == 0) {
            startupSeconds = std::chrono::duration<double>(Clock::now() - programStart).count();
        }
        if ((frame + 1) % 3600 == 0) {
            residentByMinute.push_back(ResidentMegabytes());
        }
    }
    const double runSeconds = std::chrono::duration<double>(Clock::now() - runStart).count();
    const std::uint64_t state = game->HashState();

    std::vector<double> bareTimes;
    for (int frame = 0; frame < options.bareFrames; ++frame) {
        const Clock::time_point before = Clock::now();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glutSwapBuffers();
        bareTimes.push_back(Milliseconds(Clock::now() - before));
    }

    if (!options.timesPath.empty()) {
        std::ofstream times(options.timesPath);
        for (size_t i = 0; i < frameTimes.size(); ++i) {
            times << frameTimes[i] << ' ' << framePercents[i] << '\n';
        }
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("timedemo: start-up %.3f s peak memory %.1f MB resident MB by minute:",
                startupSeconds, static_cast<double>(usage.ru_maxrss) / 1024.0);
    for (double megabytes : residentByMinute) {
        std::printf(" %.1f", megabytes);
    }
    std::printf("\n");
    std::printf("timedemo: %d frames %.2f s %.1f fps frame ms min/p50/p95/p99/max "
                "%.2f/%.2f/%.2f/%.2f/%.2f bare p50 %.2f ms state %016llx scale 100/85/70/50 "
                "%.0f/%.0f/%.0f/%.0f %%\n",
                options.frames, runSeconds, options.frames / runSeconds,
                Percentile(frameTimes, 0.0), Percentile(frameTimes, 0.5),
                Percentile(frameTimes, 0.95), Percentile(frameTimes, 0.99),
                Percentile(frameTimes, 1.0), Percentile(bareTimes, 0.5),
                static_cast<unsigned long long>(state), Share(framesAtStep[0], options.frames),
                Share(framesAtStep[1], options.frames), Share(framesAtStep[2], options.frames),
                Share(framesAtStep[3], options.frames));
    int exitCode = 0;
    if (playback) {
        std::printf("%s\n", playback->Describe(options.replayPath).c_str());
        exitCode = playback->Matches() ? 0 : 1;
    }
    if (!options.recordPath.empty()) {
        game->EndRun();
        exitCode = WriteRecording(*game, options.recordPath) ? exitCode : 1;
    }
    std::fflush(stdout);

    game.reset();
    board.reset(); // a request still under way is left to end with the process
    StopSoundSystem();
    screen.Close();
    return exitCode;
}
