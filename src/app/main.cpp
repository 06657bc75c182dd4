// Zelkora's entry point: the four global objects, the configuration, the window, the GLUT
// callbacks and the one orderly way out.

#include "app/CommandLine.h"
#include "app/Config.h"
#include "app/FramePacer.h"
#include "app/Gamepads.h"
#include "app/Input.h"
#include "app/KeyHandler.h"
#include "app/RenderSettings.h"
#include "app/Screen.h"
#include "app/Timer.h"
#include "app/XdgDirectories.h"
#include "game/Game.h"
#include "game/Records.h"
#include "render/ResolutionScaler.h"
#include "render/ScreenshotWriter.h"
#include "sound/SoundSystem.h"

#include <GL/glut.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>

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
CResolutionScaler resolutionScaler;
std::unique_ptr<CRecords> records; // none with --no-records

void CreateGlobalObjects() {
    timer = new CTimer;
    input = new CInput;
    settings = new CRenderSettings;
    game = new CGame(settings, input, timer);
}

void ExitGame() {
    delete timer;
    delete input;
    delete settings;
    delete game;
    game = nullptr;
    gamepads.Stop();
    StopSoundSystem(); // after the game has closed its streams; harmless if never started
    screen.Close();
    std::exit(0);
}

void OnDisplay() {} // every frame is drawn and swapped from the idle callback
void OnMouse(int, int, int, int) {}
void OnMotion(int, int) {}

void OnIdle() {
    framePacer.WaitForFrame();
    gamepads.Update(*input, game); // what the pads hold counts in this very frame
    // The frame's own work, without the pacing's sleep, decides the next frame's resolution.
    // A paused picture keeps its resolution, so that it stands still.
    const bool paused = game->IsPaused();
    const auto start = std::chrono::steady_clock::now();
    game->Frame();
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    if (!paused) {
        resolutionScaler.AddFrame(took.count());
    }
}

void OnKeyDown(unsigned char key, int x, int y) {
    if (CKeyHandler(game, input, settings).KeyDown(key, x, y) == CKeyHandler::EAction::Quit) {
        ExitGame();
    }
}

void OnSpecialKeyDown(int key, int x, int y) {
    if (CKeyHandler(game, input, settings).SpecialKeyDown(key, x, y) ==
        CKeyHandler::EAction::ToggleFullScreen) {
        screen.ToggleFullScreen();
    }
}

void OnKeyUp(unsigned char key, int x, int y) {
    CKeyHandler(game, input, settings).KeyUp(key, x, y);
}
void OnSpecialKeyUp(int key, int x, int y) {
    CKeyHandler(game, input, settings).KeyUp(key, x, y);
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

// Next to the sound; the player's own pad mappings live beside zelkora.ini.
void StartGamepads() {
    const std::string configDirectory = CXdgDirectories::ConfigDirectory();
    gamepads.Start(configDirectory.empty() ? "" : configDirectory + "/gamecontrollerdb.txt");
}

// Best times live in the player's data directory.
void PrepareFiles(const CCommandLine& commandLine) {
    const std::string dataDirectory = CXdgDirectories::DataDirectory();
    if (!commandLine.GetNoRecords()) {
        records = std::make_unique<CRecords>(dataDirectory);
        records->Load();
        game->SetRecords(records.get());
    }
    const std::string screenshotDirectory =
        dataDirectory.empty() ? "" : dataDirectory + "/screenshots";
    game->SetScreenshotWriter(std::make_unique<CScreenshotWriter>(screenshotDirectory));
}

} // namespace

int main(int argc, char* argv[]) {
    CCommandLine commandLine;
    switch (commandLine.Parse(argc, argv, std::cout, std::cerr)) {
    case CCommandLine::EOutcome::Finished:
        return 0;
    case CCommandLine::EOutcome::Refused:
        return 2;
    case CCommandLine::EOutcome::Run:
        break;
    }
    CreateGlobalObjects();
    StartGamepads();
    config.Load("zelkora.ini");
    commandLine.ApplyTo(config);
    if (commandLine.GetSeed()) {
        game->SetSeed(*commandLine.GetSeed());
    }
    PrepareFiles(commandLine);
    resolutionScaler.SetAutomatic(!commandLine.GetFullResolution());
    game->SetResolutionScaler(&resolutionScaler);

    int argumentCount = 0;
    glutInit(&argumentCount, nullptr);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    screen.Open(config.displayMode);
    glutSetCursor(GLUT_CURSOR_NONE);
    RegisterCallbacks();
    CScreen::SetFixedGlState();
    CFramePacer::RequestSwapInterval();

    game->SetDifficulty(config.difficulty);
    game->SetTunnelLength(config.GetTunnelNodeCount());
    game->Setup();

    PrintStartupLines();
    glutMainLoop();
    return 0;
}
