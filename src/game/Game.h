#pragma once

#include "fx/Hud.h"
#include "game/BoardNews.h"
#include "game/Course.h"
#include "game/GamePanel.h"
#include "game/GameSounds.h"
#include "game/GameView.h"
#include "game/RunBook.h"
#include "world/WorldIdentity.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class CBoardLink;
class CCamera;
class CEnemy;
class CGhost;
class CHud;
class CInput;
class CLaser;
class CPlayer;
class CRecords;
class CReplayFiles;
class CReplayPlayback;
class CResolutionScaler;
class CRenderSettings;
class CScreenshotWriter;
class CTimer;
class CTunnel;

// The game: builds the world once at start and runs one frame per idle call: first the rules
// (clock and course marks, music, ship, camera, enemies, shots, collisions, P mode, vapour
// trail), which make no OpenGL call, then the drawing, which only reads what the rules left.
// It never ends by itself; the player may pause it and fly the course again in the same world.
// Every run is recorded; a recorded run can be played back. Its rooms: the course being flown
// (CCourse), the run's book of recordings, records and ghosts (CRunBook), the view (CGameView),
// what the HUD's panel shows (CGamePanel: a menu, the records table, a run's results, the title
// card), the board's news (CBoardNews) and the sounds (CGameSounds); the game holds the clock's
// course marks, pause and messages.
class CGame {
public:
    static constexpr int kShotSlots = 15;         // as the course has them
    static constexpr int kEffectSounds = 5;       // as the game's sounds have them
    static constexpr int kMessageSeconds = 3;     // a toggle's or a command's message, game seconds
    using SeedSource = std::function<unsigned()>; // as the tunnel takes it
    // The longest step the rules take, seconds: a longer frame (a stall of the machine, the
    // process stopped, a forged recording) is flown as this, the world waiting through the rest
    // as it does through a pause. Recordings keep the step as measured.
    static constexpr double kLongestRulesStep = 0.05;
    static double RulesStep(double measuredStep); // the step the rules take for that frame
    // The frame the game paces itself to, seconds. The frame that sets out over the start mark
    // is not on the course clock: a frame of this length flies past the mark free, as every run
    // does, and what a longer one flies beyond that is charged to the clock.
    static constexpr double kSteadyStep = 1.0 / 60.0;

    enum class EOutput {
        WindowAndSound, // the game as played
        RulesOnly,      // no window, no OpenGL, no sound: a recorded run checked, a test
    };

    // Starts the sound library and opens the game's own sounds: a missing one ends the process.
    // The random generator is not seeded yet here, so the explosion-sound choices come first.
    // RulesOnly starts no sound library and opens no file; the random draws are the same.
    CGame(CRenderSettings* settings, CInput* input, CTimer* timer,
          EOutput output = EOutput::WindowAndSound); // pointers not owned
    ~CGame();
    CGame(const CGame&) = delete;
    CGame& operator=(const CGame&) = delete;

    void SetDifficulty(int value) { difficulty = value; }
    void SetTunnelLength(int nodes) { tunnelLength = nodes; }
    // Where the tunnel takes its seed; by default the time in seconds modulo 37. Read once, by
    // Setup, at the moment the tunnel is made.
    void SetSeedSource(SeedSource source) { seedSource = std::move(source); }
    void SetSeed(unsigned value) {
        seedSource = [value] { return value; };
    } // one seed, one world
    // The world of the day's date, "2026-12-08": the start shows "DAILY <date>", and the records
    // table names the world so until a new world is made. Before Setup.
    void SetDailyDate(std::string date) { dailyDate = std::move(date); }
    unsigned GetSeed() const { return seed; } // the world's seed, once Setup has run
    CWorldIdentity GetWorld() const;          // nodes 0 until Setup has built the tunnel
    // Best times of the worlds, kept by the caller; without them the finish says only
    // "AUS:MAUS", as it always did.
    void SetRecords(CRecords* table) { book->SetRecords(table); }
    void SetScreenshotWriter(std::unique_ptr<CScreenshotWriter> writer);
    // How much of the picture the scene is drawn at, kept by the caller, which feeds it the
    // frame times; without one every frame is drawn at full resolution.
    void SetResolutionScaler(CResolutionScaler* scaler) { view->SetResolutionScaler(scaler); }
    void ToggleAutomaticResolution(); // F7: automatic, or always full

    // Where every run is saved and the best run comes from; kept by the caller. Without them
    // runs are still recorded (GetLastRun) but nothing is written and no ghost flies.
    void SetReplayFiles(CReplayFiles* files) { book->SetReplayFiles(files); } // before Setup
    // Plays a recorded run instead of the player's commands, in the recording's world
    // (difficulty, length and seed are set from it); kept by the caller. The player's steering,
    // fire, k, p and r are ignored; nothing is recorded. Once every frame is played the game
    // stands still.
    void SetPlayback(CReplayPlayback* recorded); // before Setup
    // The board, kept by the caller; none without one set. Each world built asks for its
    // standing (and its best run, for the ghost), each finished run of the player is sent, and
    // the answers show as they arrive.
    // Set later (the menu's BOARD), the world being flown is asked for at once.
    void SetBoard(CBoardLink* link);
    bool IsReplaying() const { return book->GetPlayback() != nullptr; }

    void Setup(); // once, after the window exists: textures, world, lights, ship, enemies, HUD
    void Frame(); // one idle call: the rules (unless paused), then the drawing
    // Frame, timed: its milliseconds, which (unless the game was paused, so that a still
    // picture keeps its resolution) also go to the resolution scaler. The frame's own work,
    // without any pacing's sleep, decides the next frame's resolution.
    double TimedFrame();
    void Draw(); // the frame's drawing, which only reads, and the buffer swap; Frame calls it

    // The run flown so far ends here (the player quits): it is saved as the last run.
    void EndRun();
    // Waits at most that long for the records and replays handed over to be saved (they are
    // saved off the frame): false, with one line, when it gave up.
    bool WaitForSaves(std::chrono::milliseconds limit) { return book->WaitForSaves(limit); }
    const CReplay* GetLastRun() const { return book->GetLastRun(); } // the last that ended
    void ToggleGhost(); // g: the best run's ghost shown or not, with a message
    void SetGhostShown(bool shown) { book->SetGhostShown(shown); }
    bool IsGhostShown() const { return book->IsGhostShown(); }
    // Tab: the records table over the game, shown or not; it does not pause.
    void ToggleRecordsTable() { panel->ToggleRecordsTable(); }
    bool IsRecordsTableShown() const { return panel->IsRecordsTableShown(); }
    // The table's lines: the world being flown with its best time and the ghost's, then up to
    // ten other worlds, the most recently improved first; "RECORDS OFF" without records.
    std::vector<std::string> GetRecordsTableLines() const {
        return panel->GetRecordsTableLines(PanelWorld());
    }
    static constexpr std::size_t kRecordsTableWorlds = 10;

    // The panel over the game shows, first that applies: the menu's lines, the records table,
    // the results of the player's run just finished (until a restart, a new world or the menu),
    // then the title card in a box of its own (from the start of each of the player's runs
    // until the first flight command; never in a replay). They only draw.
    // Empty: no menu; one ends the title card and the results.
    void SetMenuPanel(std::vector<CHud::SPanelLine> lines) { panel->SetMenu(std::move(lines)); }
    // The title card's key lines, from the bindings in force; by default
    // {"SPACE FLY", "ARROWS STEER", "Y FIRE", "ENTER MENU"}.
    void SetTitleKeys(std::vector<std::string> lines) { panel->SetTitleKeys(std::move(lines)); }
    void HideTitle() { panel->HideTitle(); } // the menu opened
    const CGhost* GetGhost() const { return book->GetGhost(); }
    double GetRunTime() const { return book->GetRunTime(); } // seconds since the run began

    // FNV-1a over what the rules decide: the ship's place, speed and energy, the course clock,
    // P mode and whether it was used in this run, how many enemies are alive or exploding, how
    // many shots fly, and where every live explosion particle (the enemies' and the ship's) is.
    std::uint64_t HashState() const;

    void ShowMessage(const char* text, int style, int seconds); // style 0 or 1; game seconds
    void TogglePMode();
    bool IsPMode() const { return course && course->IsPMode(); }
    // Nothing moves, the clocks and every sound hold, the frame is still drawn with "PAUSE";
    // the keys held meanwhile act as held afterwards.
    void TogglePause();
    bool IsPaused() const { return paused; }
    void ToggleSound() { sounds->ToggleMute(); } // every sound off or on
    bool IsSoundOn() const { return sounds->IsOn(); }
    void SetVolumes(int music, int effects) { sounds->SetVolumes(music, effects); } // 0 to 10
    // The course from the beginning in the same world: everything in play made afresh from the
    // same seed, the clock at 0; textures and sounds are kept.
    void Restart();
    // Restart in a new world of the same difficulty and length, its seed from the new-world
    // source; prints "world: difficulty D length L seed S" and shows "WORLD <seed>".
    void NewWorld();
    // A world of the player's choosing (the menu's), flown from its start as a new world is:
    // "world: ..." printed and "WORLD <seed>" shown, or "DAILY <date>" for the world of the day.
    void FlyWorld(int difficulty, int length, unsigned seed, std::string dailyDate = "");
    // A recorded run played in the window as --replay plays it, in its own world, until it ends
    // (its verdict shown) or StopWatching, which flies the player's world again from its start.
    // The run being flown ends first, kept as the last run. Not while a replay plays already.
    void Watch(std::unique_ptr<CReplayPlayback> run);
    void StopWatching();
    bool IsWatching() const { return watched != nullptr; }
    // Where the seeds of new worlds come from: by default the clock's microseconds, over every
    // seed a player may name.
    void SetNewWorldSeedSource(SeedSource source) { newWorldSeedSource = std::move(source); }
    static unsigned MicrosecondSeed();
    void RequestScreenshot() { view->RequestScreenshot(); } // taken before the next swap
    void SelfDestruct();
    void LoadTextures() { view->LoadTextures(); } // all 43, mipmaps as the toggle says
    void PlayExplosionSounds(int count) { sounds->PlayExplosions(count); }

    // For tests and benchmarks, once Setup has run.
    CPlayer* GetPlayer() { return &course->GetPlayer(); }
    const CCamera& GetCamera() const { return std::as_const(*course).GetCamera(); }
    CTunnel* GetTunnel() { return &course->GetTunnel(); }
    CHud* GetHud() { return view->GetHud(); }
    const std::vector<std::unique_ptr<CEnemy>>& GetEnemies() const { return course->GetEnemies(); }
    const CLaser* GetShot(int slot) const { return std::as_const(*course).GetShot(slot); }

private:
    void BuildWorld(); // the first world: the course, with the lights and the HUD made in turn
    void FollowCourseMarks();
    // After the rules' step: a frame longer than kSteadyStep that crossed the start mark.
    void ChargeLongStart(int nodeBefore, double step);
    void RunRules();
    void ApplyRecordedCommands();
    void ApplyCommand(char command); // 'k' or 'p'
    void EndFrame(double measuredStep, double step, std::uint8_t commands);
    void Rebuild();  // the world in play made afresh from its seed, as a restart does
    void BeginRun(); // the run recorded, and the title card over its start
    CGamePanel::SWorld PanelWorld() const { return {GetWorld(), dailyDate}; }
    bool HasWindow() const { return output == EOutput::WindowAndSound; }
    void ShowWatchedVerdict();

    CInput* input;
    CTimer* timer;
    EOutput output;
    std::unique_ptr<CGameSounds> sounds; // first: its random draws come before the world's
    std::unique_ptr<CGameView> view;
    std::unique_ptr<CRunBook> book;
    std::unique_ptr<CCourse> course; // made by Setup, on the view's textures
    std::unique_ptr<CGamePanel> panel;
    std::unique_ptr<CBoardNews> news;
    int difficulty = 1;
    int tunnelLength = 120;
    SeedSource seedSource; // the time of day, unless set
    SeedSource newWorldSeedSource;
    std::string dailyDate;                    // empty: the world flown is not the world of the day
    std::unique_ptr<CReplayPlayback> watched; // the menu's WATCH, while it plays
    CWorldIdentity watchedFrom;               // the player's world, flown again after it
    std::string watchedFromDate;
    bool watchedVerdictShown = false;
    unsigned seed = 0;
    bool paused = false;
};
