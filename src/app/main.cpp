// Zelkora's entry point: the four global objects, the configuration, the window, the GLUT
// callbacks and the one orderly way out.

#include "app/CallerPath.h"
#include "app/CommandLine.h"
#include "app/Config.h"
#include "app/FramePacer.h"
#include "app/Gamepads.h"
#include "app/Input.h"
#include "app/KeyHandler.h"
#include "app/RenderSettings.h"
#include "app/Screen.h"
#include "app/Timer.h"
#include "base/ProgramPath.h"
#include "base/XdgDirectories.h"
#include "game/Game.h"
#include "menu/GameMenu.h"
#include "online/BoardLink.h"
#include "online/BoardSettings.h"
#include "online/BoardSubmission.h"
#include "online/BoardToken.h"
#include "render/AssetTable.h"
#include "render/Mesh.h"
#include "render/MeshCache.h"
#include "render/ResolutionScaler.h"
#include "render/ScreenshotWriter.h"
#include "runs/Records.h"
#include "runs/Replay.h"
#include "runs/ReplayFiles.h"
#include "runs/ReplayPlayback.h"
#include "settings/KeyBindings.h"
#include "settings/PlayerSettings.h"
#include "sound/SoundSystem.h"
#include "world/DailyWorld.h"

#include <GL/glut.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

// Made first thing in main, once the command line has been read, in this order. The game
// object's constructor is where the sounds get opened, so a missing sound ends the program
// before any window exists.
CTimer* timer = nullptr;
CInput* input = nullptr;
CRenderSettings* settings = nullptr;
CGame* game = nullptr;

namespace {

CConfig config;
CFramePacer framePacer;
CScreen screen;
CGamepads gamepads;
CKeyBindings keyBindings;       // the default keys unless keys.txt changes them
CPlayerSettings playerSettings; // volumes and display choices of settings.txt
CCommandLine commandLine;
std::unique_ptr<CGameMenu> gameMenu;
CResolutionScaler resolutionScaler;
std::unique_ptr<CRecords> records;         // none with --no-records
std::unique_ptr<CReplayFiles> replayFiles; // none with --no-records or --replay
std::unique_ptr<CReplayPlayback> playback; // --replay only
std::unique_ptr<CBoardLink> boardLink;     // with a board set, unless a replay is played
std::string playbackName;                  // the file as the player named it
std::string boardUrl;                      // the board runs go to; "" with none
bool playbackReported = false;
int exitCode = 0; // a replay that diverged ends with 1
// A quit waits this long at most for the records and replays still being saved: longer than a
// save that waits for another game's lock.
constexpr std::chrono::milliseconds kLongestQuitWait{5000};

void CreateGlobalObjects() {
    timer = new CTimer;
    input = new CInput;
    settings = new CRenderSettings;
    game = new CGame(settings, input, timer);
}

void ExitGame() {
    game->EndRun(); // the run so far is the last run
    if (!game->WaitForSaves(kLongestQuitWait)) {
        // Still saving on its own thread: what it writes to must outlive the process's end.
        records.release();
        replayFiles.release();
    }
    delete timer;
    delete input;
    delete settings;
    delete game;
    game = nullptr;
    gameMenu.reset();
    boardLink.reset(); // a run still on its way is in the outbox for the next start
    gamepads.Stop();
    StopSoundSystem(); // after the game has closed its streams; harmless if never started
    screen.Close();
    std::exit(exitCode);
}

void OnDisplay() {} // every frame is drawn and swapped from the idle callback
void OnMouse(int, int, int, int) {}
void OnMotion(int, int) {}

// Once the whole recording has been played: its line, and the exit code for the quit to come.
void ReportReplayEnd() {
    if (!playback || playbackReported || !playback->HasEnded()) {
        return;
    }
    playbackReported = true;
    exitCode = playback->Matches() ? 0 : 1;
    std::printf("%s\n", playback->Describe(playbackName).c_str());
    std::fflush(stdout);
}

void OnIdle() {
    framePacer.WaitForFrame();
    gamepads.Update(*input, game); // what the pads hold counts in this very frame
    gameMenu->Update();
    game->TimedFrame();
    ReportReplayEnd();
}

void RunKeyAction(CKeyHandler::EAction action) {
    switch (action) {
    case CKeyHandler::EAction::Quit:
        ExitGame();
        break;
    case CKeyHandler::EAction::ToggleFullScreen:
        screen.ToggleFullScreen();
        break;
    case CKeyHandler::EAction::OpenMenu:
        gameMenu->Open();
        break;
    case CKeyHandler::EAction::CarryOn:
        break;
    }
}

// While the menu is open every key is the menu's; watching a run from it, ESC ends the watching.
void OnKeyDown(unsigned char key, int x, int y) {
    if (gameMenu->IsOpen()) {
        if (gameMenu->KeyDown(false, key) == CMenu::EResult::Quit) {
            ExitGame();
        }
        return;
    }
    if (key == 27 && game->IsWatching()) {
        game->StopWatching();
        return;
    }
    RunKeyAction(CKeyHandler(game, input, settings, keyBindings).KeyDown(key, x, y));
}

void OnSpecialKeyDown(int key, int x, int y) {
    if (gameMenu->IsOpen()) {
        gameMenu->KeyDown(true, key);
        return;
    }
    RunKeyAction(CKeyHandler(game, input, settings, keyBindings).SpecialKeyDown(key, x, y));
}

void OnKeyUp(unsigned char key, int x, int y) {
    CKeyHandler(game, input, settings, keyBindings).KeyUp(key, x, y);
}
void OnSpecialKeyUp(int key, int x, int y) {
    CKeyHandler(game, input, settings, keyBindings).SpecialKeyUp(key, x, y);
}

void RegisterCallbacks() {
    glutIgnoreKeyRepeat(1);
    glutDisplayFunc(OnDisplay);
    glutKeyboardFunc(OnKeyDown);
    glutSpecialFunc(OnSpecialKeyDown);
    glutKeyboardUpFunc(OnKeyUp);
    glutSpecialUpFunc(OnSpecialKeyUp);
    glutMouseFunc(OnMouse);
    glutMotionFunc(OnMotion);
    glutPassiveMotionFunc(OnMotion);
    glutIdleFunc(OnIdle);
    glutReshapeFunc(CScreen::Reshape); // any window shape keeps the 4:3 picture
}

void PrintStartupLines() {
    std::printf("init done. GL-Infos:\n");
    std::printf("VERSION:\t%s\nVENDOR: \t%s\n",
                reinterpret_cast<const char*>(glGetString(GL_VERSION)),
                reinterpret_cast<const char*>(glGetString(GL_VENDOR)));
    std::printf("F2: fps | F3: wireframe | F6: vertex/array | F9: alpha \n");
    std::printf("\nstart MainLoop...\n");
    std::fflush(stdout);
}

// A file of the player's beside zelkora.ini; "" when there is no config directory.
std::string ConfigFile(const char* name) {
    const std::string configDirectory = CXdgDirectories::ConfigDirectory();
    return configDirectory.empty() ? "" : configDirectory + "/" + name;
}

// Next to the sound; the player's own pad mappings live beside zelkora.ini.
void StartGamepads() {
    gamepads.Start(ConfigFile("gamecontrollerdb.txt"));
}

// The player's own keys and settings, beside zelkora.ini; a bad line is named and the game
// starts anyway.
void LoadPlayersFiles() {
    std::vector<std::string> problems;
    keyBindings = CKeyBindings::Load(ConfigFile("keys.txt"), problems);
    playerSettings = CPlayerSettings::Load(ConfigFile("settings.txt"), problems);
    for (const std::string& problem : problems) {
        std::fprintf(stderr, "zelkora: %s\n", problem.c_str());
    }
}

// zelkora.ini first, settings.txt over it, the command line over both for this run.
void ApplyPlayerSettings() {
    if (playerSettings.GetFullScreen()) {
        config.displayMode = *playerSettings.GetFullScreen() ? 2 : 1;
    }
    commandLine.ApplyTo(config);
    resolutionScaler.SetAutomatic(!commandLine.GetFullResolution() &&
                                  playerSettings.GetAutomaticResolution().value_or(true));
    if (playerSettings.GetFrameRateShown()) {
        settings->SetHideFps(*playerSettings.GetFrameRateShown() ? 0 : 1);
    }
    game->SetVolumes(playerSettings.GetMusicVolume(), playerSettings.GetEffectsVolume());
}

// Best times and replays live in the player's data directory; a replay played back leaves
// both alone.
void PrepareFiles(const CCommandLine& commandLine) {
    const std::string dataDirectory = CXdgDirectories::DataDirectory();
    if (!commandLine.GetNoRecords() && !playback) {
        records = std::make_unique<CRecords>(dataDirectory);
        records->Load();
        game->SetRecords(records.get());
        replayFiles = std::make_unique<CReplayFiles>(dataDirectory);
        game->SetReplayFiles(replayFiles.get());
    }
    const std::string screenshotDirectory =
        dataDirectory.empty() ? "" : dataDirectory + "/screenshots";
    game->SetScreenshotWriter(std::make_unique<CScreenshotWriter>(screenshotDirectory));
}

// The board of board.txt, or of --board: each finished run is sent, and the Tab table and the
// ghost may come from it. Every problem is one line, and the game plays on without what it
// lacks. Read before anything starts a thread, so that libcurl starts on the only one there is.
std::optional<CBoardLink::SSettings> ReadBoardSettings(const CCommandLine& commandLine) {
    std::vector<std::string> problems;
    CBoardSettings board = CBoardSettings::Load(ConfigFile("board.txt"), problems);
    const bool setByTheFile = board.IsSet();
    commandLine.ApplyTo(board);
    std::string problem;
    if (!setByTheFile && board.IsSet() && !board.CanSend(problem)) {
        problems.push_back(problem);
    }
    const bool ghostFromBoard = commandLine.GetGhost() == CCommandLine::EGhost::Board;
    if (ghostFromBoard && !board.IsSet()) {
        problems.push_back("--ghost board: no board is set (board.txt or --board); your own "
                           "best flies");
    }
    CBoardLink::SSettings settings;
    if (board.IsSet() && board.CanSend(problem)) {
        settings.name = board.GetName();
        if (!CBoardToken::Obtain(CXdgDirectories::ConfigDirectory(), board.GetUrl(),
                                 board.GetFileUrl(), settings.token, problem)) {
            problems.push_back(problem);
        }
    }
    for (const std::string& line : problems) {
        std::fprintf(stderr, "zelkora: %s\n", line.c_str());
    }
    if (!board.IsSet() || playback) {
        return std::nullopt;
    }
    CBoardClient::Initialise();
    settings.url = board.GetUrl();
    settings.dataDirectory = CXdgDirectories::DataDirectory();
    settings.ghostFromBoard = ghostFromBoard;
    // The board's best run is flown by this very program, as the board checks runs.
    settings.gameProgram = "/proc/self/exe";
    settings.scratchDirectory = CXdgDirectories::ScratchDirectory();
    return settings;
}

// --daily with a board: the board's world of the day, asked for before the window opens and
// waited for this long at most.
constexpr CBoardClient::STimeouts kDailyTimeouts{2000, 4000};

// The board's world of the day in place of the game's own; when it cannot be had, one line
// says so and the game's own flies, a world the board's day does not rank.
void TakeBoardsDailyWorld(const std::string& boardUrl, CDailyWorld& daily) {
    const CBoardClient::SToday today = CBoardClient(boardUrl, "", "", kDailyTimeouts).FetchToday();
    std::string problem = today.problem;
    CDailyWorld announced;
    if (today.fetched &&
        CDailyWorld::FromBoard(today.date, today.world, std::time(nullptr), announced, problem)) {
        daily = announced;
        return;
    }
    std::printf("daily: the board's world of the day could not be had (%s); the game's own "
                "flies instead, whose runs the board's day does not rank\n",
                problem.c_str());
    std::fflush(stdout);
}

// The recorded run in the file, or one line and null.
std::unique_ptr<CReplayPlayback> LoadPlayback(const std::string& name) {
    std::string problem;
    std::unique_ptr<CReplayPlayback> loaded =
        CReplayPlayback::Load(CCallerPath::Resolve(name), problem);
    if (!loaded) {
        std::printf("replay: %s: %s\n", name.c_str(), problem.c_str());
        std::fflush(stdout);
    }
    return loaded;
}

// The game's data for a check started from anywhere: the directory it was started in, else the
// program's own (the build's data lies beside it), else the installed data. The meshes are what
// the rules read: their sizes are the ships' collision sizes.
bool EnterDataDirectory(std::string& problem) {
    const char* probe = CAssetTable::GetMeshPath("player");
    if (access(probe, R_OK) == 0) {
        return true;
    }
    const std::string programDirectory = CProgramPath::Directory();
    if (!programDirectory.empty()) {
        std::vector<std::string> directories = {programDirectory};
#ifdef ZELKORA_PROGRAM_TO_DATA // set by the builds that install
        directories.push_back(programDirectory + "/" + ZELKORA_PROGRAM_TO_DATA);
#endif
        for (const std::string& directory : directories) {
            if (access((directory + "/" + probe).c_str(), R_OK) == 0 &&
                chdir(directory.c_str()) == 0) {
                return true;
            }
        }
    }
    problem = std::string("the game's data (") + probe + ") is neither here nor beside the program";
    return false;
}

// Every mesh the rules load, read now: a file that cannot be read leaves nothing to check
// against. Returns the first such file, or "".
std::string LoadRulesData() {
    for (const CAssetTable::SRow& row : CAssetTable::GetRows(CAssetTable::EKind::Mesh)) {
        CMesh mesh;
        if (!CMeshCache::Load(row.path, mesh)) {
            return row.path;
        }
    }
    return "";
}

// Runs the recording through the rules alone: no window, no OpenGL, no sound. The world's own
// start-up lines are not printed, only the verdict. Exit code 0: the run is what the file says;
// 1: it is not (diverged, or a claim the flight does not bear out); 2: it cannot be checked.
int Verify(const std::string& name) {
    std::unique_ptr<CReplayPlayback> checked = LoadPlayback(name);
    if (!checked) {
        return 2;
    }
    std::string problem;
    if (!EnterDataDirectory(problem)) {
        std::printf("replay: %s: cannot check: %s\n", name.c_str(), problem.c_str());
        return 2;
    }
    CTimer clock;
    CInput commands;
    CRenderSettings toggles;
    std::fflush(stdout);
    const int kept = dup(STDOUT_FILENO);
    if (std::freopen("/dev/null", "w", stdout) == nullptr) {
        return 2;
    }
    const auto restoreOutput = [kept] {
        std::fflush(stdout);
        dup2(kept, STDOUT_FILENO);
        close(kept);
    };
    const std::string unreadable = LoadRulesData();
    if (!unreadable.empty()) {
        restoreOutput();
        std::printf("replay: %s: cannot check: cant open %s\n", name.c_str(), unreadable.c_str());
        return 2;
    }
    {
        CGame rules(&toggles, &commands, &clock, CGame::EOutput::RulesOnly);
        rules.SetPlayback(checked.get()); // and with it the recording's world
        rules.Setup();
        restoreOutput();
        while (!checked->HasEnded()) { // which it does at the first frame that diverges
            rules.Frame();
        }
    }
    std::printf("%s\n", checked->Describe(name).c_str());
    std::fflush(stdout);
    return checked->Matches() ? 0 : 1;
}

// --submit: board.txt, then --board and --no-board over it, and the run sent before anything
// else starts. libcurl is started here, on the only thread there is.
int SubmitRun(const CCommandLine& commandLine) {
    CBoardClient::Initialise();
    std::vector<std::string> problems;
    CBoardSettings board = CBoardSettings::Load(ConfigFile("board.txt"), problems);
    for (const std::string& problem : problems) {
        std::fprintf(stderr, "zelkora: %s\n", problem.c_str());
    }
    commandLine.ApplyTo(board);
    return CBoardSubmission::Run(CCallerPath::Resolve(commandLine.GetSubmitPath()), board,
                                 CXdgDirectories::ConfigDirectory(), std::cout, std::cerr);
}

// WORLD OF THE DAY: as --daily does at the start, the board's day when a board is set.
void FlyDailyWorld() {
    if (game->IsReplaying()) {
        return; // --replay flies only its run
    }
    CDailyWorld daily;
    std::string problem;
    if (!CDailyWorld::ForTime(std::time(nullptr), daily, problem)) {
        game->ShowMessage("NO WORLD OF THE DAY", 1, CGame::kMessageSeconds);
        return;
    }
    if (boardLink) {
        TakeBoardsDailyWorld(boardUrl, daily);
    }
    game->FlyWorld(daily.GetDifficulty(), CDailyWorld::kLength, daily.GetSeed(), daily.GetDate());
    std::printf("%s\n", daily.Describe().c_str());
    std::fflush(stdout);
}

// The board's best run of the world flown, fetched now: null with why in problem.
std::unique_ptr<CReplayPlayback> FetchBoardBest(std::string& problem) {
    const CWorldIdentity world = game->GetWorld();
    const CBoardClient client(boardUrl, "", "", kDailyTimeouts);
    const CBoardClient::SWorldBoard board = client.FetchWorld(world, "");
    if (!board.fetched || board.top.empty()) {
        problem = board.fetched ? "NO RUN ON THE BOARD YET" : "BOARD OFFLINE";
        return nullptr;
    }
    const CBoardClient::SFetchedReplay fetched = client.FetchReplay(board.top.front().runId);
    std::unique_ptr<CReplay> run =
        fetched.fetched ? CBoardLink::ReadGhost(fetched.bytes, world, problem) : nullptr;
    if (!run) {
        problem = fetched.fetched ? problem : "BOARD OFFLINE";
        return nullptr;
    }
    return std::make_unique<CReplayPlayback>(std::move(*run));
}

// A run played in the window as --replay plays it, until it ends or ESC; "" when it plays.
std::string WatchRun(CGameMenu::EWatch which) {
    std::string problem = "NO SUCH RUN YET";
    std::unique_ptr<CReplayPlayback> run;
    if (which == CGameMenu::EWatch::BoardBest) {
        run = boardLink ? FetchBoardBest(problem) : nullptr;
    } else if (replayFiles) {
        const std::string path = which == CGameMenu::EWatch::LastRun
                                     ? replayFiles->GetLastPath()
                                     : replayFiles->GetBestPath(game->GetWorld());
        run = access(path.c_str(), R_OK) == 0 ? CReplayPlayback::Load(path, problem) : nullptr;
    }
    if (!run) {
        return problem;
    }
    game->StopWatching(); // one run watched at a time
    game->Watch(std::move(run));
    return "";
}

// board.txt changed in the menu: its board from now on, as the next start would read it.
void RestartBoard() {
    game->SetBoard(nullptr);
    boardLink.reset();
    const std::optional<CBoardLink::SSettings> boardSettings = ReadBoardSettings(commandLine);
    boardUrl = boardSettings ? boardSettings->url : "";
    if (boardSettings) {
        boardLink = std::make_unique<CBoardLink>(*boardSettings);
        game->SetBoard(boardLink.get());
    }
    gameMenu->SetBoard(boardLink.get());
}

void MakeGameMenu() {
    CGameMenu::SHooks hooks;
    hooks.flyDaily = FlyDailyWorld;
    hooks.watch = WatchRun;
    hooks.quit = ExitGame;
    hooks.isFullScreen = [] { return screen.IsFullScreen(); };
    hooks.setFullScreen = [](bool full) {
        if (screen.IsFullScreen() != full) {
            screen.ToggleFullScreen();
        }
    };
    hooks.boardSaved = RestartBoard;
    const CGameMenu::SFiles files{ConfigFile("keys.txt"), ConfigFile("settings.txt"),
                                  ConfigFile("board.txt"), CXdgDirectories::DataDirectory()};
    const CGameMenu::SWorldRanges ranges{CWorldIdentity::kMaximumDifficulty,
                                         CWorldIdentity::kMaximumLength,
                                         CWorldIdentity::kMaximumSeed};
    gameMenu = std::make_unique<CGameMenu>(*game, keyBindings, playerSettings, *settings,
                                           resolutionScaler, files, ranges, hooks);
    gameMenu->SetBoard(boardLink.get());
    gamepads.SetMenu(gameMenu.get());
    game->SetTitleKeys(CGameMenu::TitleKeys(keyBindings));
}

} // namespace

int main(int argc, char* argv[]) {
    switch (commandLine.Parse(argc, argv, std::cout, std::cerr)) {
    case CCommandLine::EOutcome::Finished:
        return 0;
    case CCommandLine::EOutcome::Refused:
        return 2;
    case CCommandLine::EOutcome::Run:
        break;
    }
    if (!commandLine.GetVerifyPath().empty()) {
        return Verify(commandLine.GetVerifyPath());
    }
    if (!commandLine.GetSubmitPath().empty()) {
        return SubmitRun(commandLine);
    }
    if (!commandLine.GetReplayPath().empty()) {
        playbackName = commandLine.GetReplayPath();
        playback = LoadPlayback(playbackName);
        if (!playback) {
            return 2;
        }
    }
    CDailyWorld daily;
    const bool flyDaily = commandLine.GetDaily() && !playback;
    if (flyDaily) {
        std::string problem;
        if (!CDailyWorld::ForTime(std::time(nullptr), daily, problem)) {
            std::fprintf(stderr, "zelkora: --daily: %s\n", problem.c_str());
            return 2;
        }
    }
    const std::optional<CBoardLink::SSettings> boardSettings = ReadBoardSettings(commandLine);
    if (flyDaily && boardSettings) {
        TakeBoardsDailyWorld(boardSettings->url, daily);
    }
    CreateGlobalObjects();
    StartGamepads();
    LoadPlayersFiles();
    config.Load("zelkora.ini");
    ApplyPlayerSettings();
    if (commandLine.GetSeed()) {
        game->SetSeed(*commandLine.GetSeed());
    }
    if (flyDaily) {
        config.difficulty = daily.GetDifficulty();
        config.tunnelLength = CDailyWorld::kLength;
        game->SetSeed(daily.GetSeed());
        game->SetDailyDate(daily.GetDate());
    }
    game->SetGhostShown(!commandLine.GetNoGhost());
    PrepareFiles(commandLine);
    if (boardSettings) {
        boardUrl = boardSettings->url;
        boardLink = std::make_unique<CBoardLink>(*boardSettings);
        game->SetBoard(boardLink.get());
    }
    game->SetResolutionScaler(&resolutionScaler);
    MakeGameMenu();

    screen.Start(config.displayMode);
    glutSetCursor(GLUT_CURSOR_NONE);
    RegisterCallbacks();
    CFramePacer::RequestSwapInterval();

    game->SetDifficulty(config.difficulty);
    game->SetTunnelLength(config.GetTunnelNodeCount());
    if (playback) {
        game->SetPlayback(playback.get()); // its world, whatever zelkora.ini and the options say
    }
    game->Setup();

    PrintStartupLines();
    if (flyDaily) {
        std::printf("%s\n", daily.Describe().c_str());
        std::fflush(stdout);
    }
    glutMainLoop();
    return 0;
}
