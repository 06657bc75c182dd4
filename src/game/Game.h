#pragma once

#include "game/RunRecorder.h"
#include "game/WorldIdentity.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class CCamera;
class CEnemy;
class CGhost;
class CHud;
class CInput;
class CLaser;
class CLight;
class CPlayer;
class CRecords;
class CReplayFiles;
class CReplayPlayback;
class CResolutionScaler;
class CScaledFrame;
class CRenderSettings;
class CScreenshotWriter;
class CSound;
class CTextureManager;
class CTimer;
class CTunnel;
class CVaporTrail;

// The game: owns everything in play, builds the world once at start and runs one frame per
// idle call: first the rules (clock and course marks, music, ship, camera, enemies, shots,
// collisions, P mode, vapour trail), which make no OpenGL call, then the drawing, which only
// reads what the rules left. It never ends by itself; the player may pause it and fly the
// course again in the same world. Every run is recorded; a recorded run can be played back.
class CGame {
public:
    static constexpr int kShotSlots = 15;
    static constexpr int kEffectSounds = 5;
    static constexpr int kMessageSeconds = 3;     // a toggle's or a command's message, game seconds
    using SeedSource = std::function<unsigned()>; // as the tunnel takes it
    // The longest step the rules take, seconds: a longer frame (a stall of the machine, the
    // process stopped, a forged recording) is flown as this, the world waiting through the rest
    // as it does through a pause. Recordings keep the step as measured.
    static constexpr double kLongestRulesStep = 0.05;
    static double RulesStep(double measuredStep); // the step the rules take for that frame

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
    void SetSeed(unsigned value); // one seed, one world
    // The world of the day's date, "2026-12-08": the start shows "DAILY <date>". Before Setup.
    void SetDailyDate(std::string date) { dailyDate = std::move(date); }
    unsigned GetSeed() const { return seed; } // the world's seed, once Setup has run
    CWorldIdentity GetWorld() const;          // nodes 0 until Setup has built the tunnel
    // Best times of the worlds, kept by the caller; without them the finish says only
    // "AUS:MAUS", as it always did.
    void SetRecords(CRecords* table) { records = table; }
    void SetScreenshotWriter(std::unique_ptr<CScreenshotWriter> writer);
    // How much of the picture the scene is drawn at, kept by the caller, which feeds it the
    // frame times; without one every frame is drawn at full resolution.
    void SetResolutionScaler(CResolutionScaler* scaler) { resolution = scaler; } // before Setup
    void ToggleAutomaticResolution(); // F7: automatic, or always full

    // Where every run is saved and the best run comes from; kept by the caller. Without them
    // runs are still recorded (GetLastRun) but nothing is written and no ghost flies.
    void SetReplayFiles(CReplayFiles* files) { replayFiles = files; } // before Setup
    // Plays a recorded run instead of the player's commands, in the recording's world
    // (difficulty, length and seed are set from it); kept by the caller. The player's steering,
    // fire, k, p and r are ignored; nothing is recorded. Once every frame is played the game
    // stands still.
    void SetPlayback(CReplayPlayback* recorded); // before Setup
    bool IsReplaying() const { return playback != nullptr; }

    void Setup(); // once, after the window exists: textures, world, lights, ship, enemies, HUD
    void Frame(); // one idle call: the rules (unless paused), then the drawing
    // Frame, timed: its milliseconds, which (unless the game was paused, so that a still
    // picture keeps its resolution) also go to the resolution scaler. The frame's own work,
    // without any pacing's sleep, decides the next frame's resolution.
    double TimedFrame();
    void Draw(); // the frame's drawing, which only reads, and the buffer swap; Frame calls it

    // The run flown so far ends here (the player quits): it is saved as the last run.
    void EndRun();
    const CReplay* GetLastRun() const { return lastRun.get(); } // the last run that ended
    void ToggleGhost(); // g: the best run's ghost shown or not, with a message
    void SetGhostShown(bool shown) { ghostShown = shown; }
    bool IsGhostShown() const { return ghostShown; }
    // Tab: the records table over the game, shown or not; it does not pause.
    void ToggleRecordsTable();
    bool IsRecordsTableShown() const { return recordsTableShown; }
    // The table's lines: the world being flown with its best time and the ghost's, then up to
    // ten other worlds, the most recently improved first; "RECORDS OFF" without records.
    std::vector<std::string> GetRecordsTableLines() const;
    static constexpr std::size_t kRecordsTableWorlds = 10;
    const CGhost* GetGhost() const { return ghost.get(); }
    double GetRunTime() const { return runTime; } // seconds of frames since the run began

    // FNV-1a over what the rules decide: the ship's place, speed and energy, the course clock,
    // P mode and whether it was used in this run, how many enemies are alive or exploding, how
    // many shots fly, and where every live explosion particle (the enemies' and the ship's) is.
    std::uint64_t HashState() const;

    void ShowMessage(const char* text, int style, int seconds); // style 0 or 1; game seconds
    void TogglePMode();
    bool IsPMode() const { return pMode; }
    // Nothing moves, the clocks and every sound hold, the frame is still drawn with "PAUSE";
    // the keys held meanwhile act as held afterwards.
    void TogglePause();
    bool IsPaused() const { return paused; }
    void ToggleSound(); // every sound off or on
    bool IsSoundOn() const { return soundOn; }
    // The course from the beginning in the same world: everything in play made afresh from the
    // same seed, the clock at 0; textures and sounds are kept.
    void Restart();
    // Restart in a new world of the same difficulty and length, its seed from the new-world
    // source; prints "world: difficulty D length L seed S" and shows "WORLD <seed>".
    void NewWorld();
    // Where the seeds of new worlds come from: by default the clock's microseconds, over every
    // seed a player may name.
    void SetNewWorldSeedSource(SeedSource source) { newWorldSeedSource = std::move(source); }
    static unsigned MicrosecondSeed();
    void RequestScreenshot() { screenshotRequested = true; } // taken before the next swap
    void SelfDestruct();
    void LoadTextures(); // all 43, with mipmaps exactly when the toggle says so
    void PlayExplosionSounds(int count);

    // For tests and benchmarks.
    CPlayer* GetPlayer() { return player.get(); }
    const CCamera& GetCamera() const { return *camera; }
    CTunnel* GetTunnel() { return tunnel.get(); }
    CHud* GetHud() { return hud.get(); }
    const std::vector<std::unique_ptr<CEnemy>>& GetEnemies() const { return enemies; }
    const CLaser* GetShot(int slot) const { return shots[slot].get(); }

private:
    void CreatePlayerAndEnemies();
    void CreateLights();
    void FollowCourseMarks();
    void MoveEnemies(float dt);
    void FireShot();
    void MoveShots(float dt);
    void HitEnemiesWithShots();
    void ExplodeApproachedEnemies();
    void RamEnemies();
    void PlaceLights();
    void DrawEnemies();
    void DrawShots() const;
    void RemoveDeadShots();
    void RunRules();
    std::uint8_t ReadCommands() const; // the six flags as CReplay::ECommand bits
    void ApplyRecordedCommands();
    void ApplyCommand(char command); // 'k' or 'p'
    void EndFrame(double measuredStep, double step, std::uint8_t commands);
    void FinishRun();              // at the end of the frame that reached the finish
    void KeepRun(CReplay&& ended); // saved as the last run; a new best flies from the restart
    void NoteJointDiscs();
    void ShowSplit(double split);
    void Rebuild(); // the world in play made afresh from its seed, as a restart does
    void BeginRun();
    void LoadGhost();
    void DrawGhost() const;
    bool HasWindow() const { return output == EOutput::WindowAndSound; }
    void DrawHud();
    void BuildCameraAndTunnel();                   // the tunnel from the kept seed
    std::string FinishMessage(const CReplay* run); // submits the time; run: its recording
    void SaveScreenshot();
    void BeginScene(); // the viewport for this frame's scale, then the camera's clear and view
    void WarmUpScaledFrame(); // once, when the scale may change

    CRenderSettings* settings;
    CInput* input;
    EOutput output;
    std::unique_ptr<CCamera> camera;
    CTimer* timer;
    std::unique_ptr<CHud> hud;
    std::unique_ptr<CPlayer> player;
    std::unique_ptr<CVaporTrail> vaporTrail;
    std::unique_ptr<CLaser> shots[kShotSlots];
    int freeSlot = 0; // where the next shot goes; -1 when every slot is taken
    std::vector<std::unique_ptr<CEnemy>> enemies;
    std::unique_ptr<CTunnel> tunnel;
    std::unique_ptr<CLight> lights[3];
    int screenWidth = 800;
    int screenHeight = 600;
    int difficulty = 1;
    int tunnelLength = 120;
    std::unique_ptr<CTextureManager> textures;
    bool pMode = false;
    bool musicStarted = false;
    std::unique_ptr<CSound> music;
    std::unique_ptr<CSound> startSound;
    std::unique_ptr<CSound> effectSounds[kEffectSounds]; // four explosions and a squeak
    SeedSource seedSource;                               // the time of day, unless set
    SeedSource newWorldSeedSource;
    std::string dailyDate; // empty: not the world of the day
    bool recordsTableShown = false;
    int recordsTableVersion = 0; // moves on whenever what the table shows may have changed
    int drawnRecordsTableVersion = -1;
    unsigned seed = 0;
    bool paused = false;
    bool soundOn = true;
    bool pModeUsed = false; // at any moment of this run: then its time is not recorded
    std::string finishText; // decided once at the finish, then shown every frame
    CRecords* records = nullptr;
    CResolutionScaler* resolution = nullptr;
    std::unique_ptr<CScaledFrame> scaledFrame;
    std::unique_ptr<CScreenshotWriter> screenshots;
    bool screenshotRequested = false;

    // This run: its recording, how far it got, and the best run of the world beside it.
    CRunRecorder recorder;
    CReplayFiles* replayFiles = nullptr;
    CReplayPlayback* playback = nullptr;
    std::unique_ptr<CReplay> lastRun;
    bool recordable = true;   // the world lies within what a replay file holds
    bool finishedRun = false; // the finish was reached in this run
    bool finishThisFrame = false;
    bool newBest = false; // this run set the world's record
    double runTime = 0.0;
    std::vector<int> jointNodes; // the joint discs along the course, in course order
    std::size_t discsPassed = 0;
    std::unique_ptr<CGhost> ghost;
    std::unique_ptr<CGhost> nextGhost; // a new best, flown from the next restart on
    bool ghostShown = true;
};
