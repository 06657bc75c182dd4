#include "game/Game.h"

#include "app/Input.h"
#include "app/RenderSettings.h"
#include "app/Timer.h"
#include "base/Version.h"
#include "entities/Enemy.h"
#include "entities/Laser.h"
#include "entities/Player.h"
#include "fx/Hud.h"
#include "fx/Particle.h"
#include "fx/ParticleSystem.h"
#include "fx/VaporTrail.h"
#include "game/DailyWorld.h"
#include "game/EntityFactory.h"
#include "game/Ghost.h"
#include "game/Records.h"
#include "game/ReplayFiles.h"
#include "game/ReplayPlayback.h"
#include "render/AssetTable.h"
#include "render/Camera.h"
#include "render/Light.h"
#include "render/ResolutionScaler.h"
#include "render/ScaledFrame.h"
#include "render/ScreenshotWriter.h"
#include "render/TextureManager.h"
#include "sound/Sound.h"
#include "sound/SoundSystem.h"
#include "world/Tunnel.h"

#include <GL/glut.h>
#include <algorithm>
#include <cfloat>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

// Replays are shared between builds only if every build computes the rules alike to the last
// bit (docs/replay-format.md): these two would not.
#if defined(__FAST_MATH__)
#error "the rules must not be built with -ffast-math: replays would not play back"
#endif
#if !defined(FLT_EVAL_METHOD) || FLT_EVAL_METHOD != 0
#error "the rules must evaluate float as float (SSE, not x87): replays would not play back"
#endif

namespace {
constexpr float kShotSpeed = 600.0f;
constexpr int kRamDamage = 5;
constexpr int kLightSpacing = 5; // nodes between the three lights around the ship
// While paused the game clock stands, so any positive time keeps "PAUSE" up until the end.
constexpr int kPauseMessageSeconds = 1;
constexpr const char* kPauseText = "PAUSE";
constexpr int kSplitSeconds = 2;
constexpr int kFinishMessageSeconds = 5; // shown again every frame from the finish on
constexpr int kWorldMessageSeconds = 2;
constexpr int kDailyMessageSeconds = 3;
// The explosion sounds explosion_1... of the asset table, drawn at random for four slots.
constexpr int kExplosionSoundCount =
    CAssetTable::CountNumbered(CAssetTable::EKind::Sound, "explosion_");
static_assert(kExplosionSoundCount == 2, "every world's random draws depend on this count");

// The records key a world by its difficulty, node count and seed.
CRecords::SWorld RecordsWorld(const CWorldIdentity& world) {
    return CRecords::SWorld{world.difficulty, world.nodes, world.seed};
}

} // namespace

double CGame::RulesStep(double measuredStep) {
    return measuredStep > kLongestRulesStep ? kLongestRulesStep : measuredStep;
}

CWorldIdentity CGame::GetWorld() const {
    return CWorldIdentity{difficulty, tunnelLength, tunnel ? tunnel->GetRingCount() : 0, seed};
}

CGame::CGame(CRenderSettings* settings, CInput* input, CTimer* timer, EOutput output)
    : settings(settings), input(input), output(output), timer(timer),
      seedSource(&CTunnel::TimeSeed), newWorldSeedSource(&CGame::MicrosecondSeed) {
    if (HasWindow()) {
        StartSoundSystem(); // without a device the game runs silently
    } else {
        CSound::SetNoSound(true);
    }
    music = std::make_unique<CSound>(CAssetTable::GetSoundPath("title_sound_1"));
    startSound = std::make_unique<CSound>(CAssetTable::GetSoundPath("start_sound"));
    for (int slot = 0; slot < 4; ++slot) {
        char name[32];
        std::snprintf(name, sizeof(name), "explosion_%d", std::rand() % kExplosionSoundCount + 1);
        effectSounds[slot] = std::make_unique<CSound>(CAssetTable::GetSoundPath(name));
    }
    effectSounds[4] = std::make_unique<CSound>(CAssetTable::GetSoundPath("squeaky"));
}

CGame::~CGame() {
    hud.reset();
    player.reset();
    tunnel.reset();
    textures.reset();
    camera.reset();
    for (auto& light : lights) {
        light.reset();
    }
    // The music is stopped first, then every sound closes as it is destroyed, in this order,
    // before the enemies, shots and trail go.
    music->Stop();
    music.reset();
    startSound.reset();
    for (auto& sound : effectSounds) {
        sound.reset();
    }
    enemies.clear();
    for (auto& shot : shots) {
        shot.reset();
    }
    vaporTrail.reset();
    if (!HasWindow()) {
        CSound::SetNoSound(false);
    }
}

void CGame::LoadTextures() {
    if (!HasWindow()) {
        return; // the rules alone draw nothing
    }
    if (!textures) {
        textures = std::make_unique<CTextureManager>();
    }
    textures->LoadAll(settings->GetNoMipmaps() == 0);
}

void CGame::SetPlayback(CReplayPlayback* recorded) {
    playback = recorded;
    if (playback != nullptr) {
        const CWorldIdentity& world = playback->GetReplay().world;
        SetSeed(world.seed);
        SetDifficulty(world.difficulty);
        SetTunnelLength(world.length);
    }
}

void CGame::SetSeed(unsigned value) {
    seedSource = [value] { return value; };
}

void CGame::SetScreenshotWriter(std::unique_ptr<CScreenshotWriter> writer) {
    screenshots = std::move(writer);
}

void CGame::Setup() {
    if (HasWindow()) {
        LoadTextures();
        WarmUpScaledFrame();
    } else {
        textures = std::make_unique<CTextureManager>();
        textures->ListAll(); // the texture numbers, without loading a picture
    }
    seed = seedSource(); // kept, so that a restart builds the same world
    BuildCameraAndTunnel();
    if (HasWindow()) {
        CreateLights();
    }
    CreatePlayerAndEnemies();
    if (HasWindow()) {
        hud = std::make_unique<CHud>(screenWidth, screenHeight, *textures);
    }
    startSound->PlayOnce();
    std::string outside;
    recordable = GetWorld().CheckLimits(outside);
    if (!recordable && playback == nullptr) {
        // Not on standard output: the start-up lines there are the game's own.
        std::fprintf(stderr,
                     "zelkora: replay: %s is outside what a replay holds, runs are not "
                     "recorded\n",
                     outside.c_str());
    }
    LoadGhost();
    BeginRun();
    if (!dailyDate.empty()) {
        ShowMessage(("DAILY " + dailyDate).c_str(), 1, kDailyMessageSeconds);
    }
}

void CGame::LoadGhost() {
    if (replayFiles == nullptr || playback != nullptr || !recordable) {
        return;
    }
    if (const auto best = replayFiles->LoadBest(GetWorld())) {
        ghost = std::make_unique<CGhost>(*best);
        if (HasWindow()) {
            ghost->LoadMesh();
        }
    }
}

void CGame::BeginRun() {
    runTime = 0.0;
    finishedRun = false;
    finishThisFrame = false;
    newBest = false;
    discsPassed = 0;
    if (playback == nullptr && recordable) {
        recorder.Begin(GetWorld(), GetGameVersion(), static_cast<std::int64_t>(std::time(nullptr)));
    }
}

void CGame::EndRun() {
    CReplay ended;
    if (recorder.End(finishedRun, timer->GetGameClock(), HashState(), ended)) {
        KeepRun(std::move(ended));
    }
}

void CGame::FinishRun() {
    CReplay ended;
    const bool kept = recorder.End(true, timer->GetGameClock(), HashState(), ended);
    finishText = FinishMessage(kept ? &ended : nullptr);
    if (kept) {
        KeepRun(std::move(ended));
    }
}

void CGame::KeepRun(CReplay&& ended) {
    if (replayFiles != nullptr) {
        replayFiles->SaveLast(ended);
    }
    if (newBest) {
        nextGhost = std::make_unique<CGhost>(ended);
        if (HasWindow()) {
            nextGhost->LoadMesh();
        }
    }
    lastRun = std::make_unique<CReplay>(std::move(ended));
}

void CGame::Restart() {
    if (playback != nullptr) {
        return; // a replay flies its run as it was
    }
    EndRun();
    if (nextGhost) {
        ghost = std::move(nextGhost);
    }
    Rebuild();
    BeginRun();
    ++recordsTableVersion;
}

void CGame::NewWorld() {
    if (playback != nullptr) {
        return;
    }
    EndRun(); // the last run is kept before its world goes
    seed = newWorldSeedSource();
    ghost.reset();
    nextGhost.reset();
    Rebuild();
    std::printf("world: difficulty %d length %d seed %u\n", difficulty, tunnelLength, seed);
    std::fflush(stdout);
    ShowMessage(("WORLD " + std::to_string(seed)).c_str(), 0, kWorldMessageSeconds);
    LoadGhost();
    BeginRun();
    ++recordsTableVersion;
}

unsigned CGame::MicrosecondSeed() {
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    const auto microseconds =
        std::chrono::duration_cast<std::chrono::microseconds>(sinceEpoch).count();
    return static_cast<unsigned>(static_cast<std::uint64_t>(microseconds) %
                                 (static_cast<std::uint64_t>(CTunnel::kMaximumSeed) + 1));
}

// Everything in play made afresh from the seed, the clock at 0; textures and sounds are kept.
void CGame::Rebuild() {
    if (paused) {
        TogglePause();
    }
    music->Stop();
    musicStarted = false;
    timer->ResetClock();
    // Shots, enemies and ship go before the tunnel they fly in.
    for (auto& shot : shots) {
        shot.reset();
    }
    freeSlot = 0;
    enemies.clear();
    player.reset();
    vaporTrail.reset();
    tunnel.reset();
    BuildCameraAndTunnel();
    CreatePlayerAndEnemies();
    std::printf("\n"); // the enemy count ends its line here: no start-up lines follow it
    std::fflush(stdout);
    ShowMessage("", 0, 0);
    pMode = false;
    pModeUsed = false;
    finishText.clear();
    timer->Resume(); // the rebuild is no step of the new run
    startSound->PlayOnce();
}

void CGame::BuildCameraAndTunnel() {
    camera = std::make_unique<CCamera>();
    // The tunnel seeds the generator: every draw after it, up to the last enemy, follows.
    tunnel = std::make_unique<CTunnel>(*textures, [this] { return seed; });
    tunnel->Generate(difficulty, tunnelLength);
    jointNodes = tunnel->GetJointNodes();
}

void CGame::CreateLights() {
    glEnable(GL_LIGHTING);
    for (auto& light : lights) {
        light = std::make_unique<CLight>();
    }
    for (auto& light : lights) {
        light->SetAmbient(1.0f, 1.0f, 1.0f, 1.0f);
    }
    for (auto& light : lights) {
        light->SetDiffuse(1.0f, 1.0f, 1.0f, 1.0f);
    }
    // Init comes after SetAmbient on purpose: it resets the ambient to black, which is what
    // sets the brightness of the tunnel.
    for (int i = 0; i < 3; ++i) {
        lights[i]->Init(GL_LIGHT0 + i);
    }
    for (int i = 0; i < 3; ++i) {
        glEnable(GL_LIGHT0 + i);
    }
}

void CGame::CreatePlayerAndEnemies() {
    const CEntityFactory factory(*textures, *tunnel);
    player = factory.MakePlayer();
    vaporTrail = std::make_unique<CVaporTrail>(*textures);
    vaporTrail->SetPuffsPerUpdate(3);
    // Difficulty 0 would divide by zero: it means no enemies at all.
    const int enemyCount = difficulty == 0 ? 0 : tunnel->GetFinishNode() / difficulty;
    std::printf("%d", enemyCount);
    std::fflush(stdout);
    for (int i = 0; i < enemyCount; ++i) {
        const int kind = std::rand() % CEntityFactory::GetKindCount();
        enemies.push_back(factory.MakeEnemy(kind));
    }
}

void CGame::Frame() {
    if (!paused && !(playback != nullptr && playback->HasEnded())) {
        RunRules();
    }
    if (HasWindow()) {
        BeginScene(); // a paused or ended game draws the same view again
        Draw();
    }
}

double CGame::TimedFrame() {
    const bool wasPaused = paused;
    const auto start = std::chrono::steady_clock::now();
    Frame();
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    if (!wasPaused && resolution != nullptr) {
        resolution->AddFrame(took.count());
    }
    return took.count();
}

// The rules of one frame, in their order. Nothing here touches OpenGL.
void CGame::RunRules() {
    double measuredStep;
    if (playback != nullptr) {
        ApplyRecordedCommands();
        measuredStep = playback->GetNextFrame().step;
        timer->CountFrame(measuredStep);
    } else {
        measuredStep = timer->Measure();
    }
    const double step = RulesStep(measuredStep);
    const float dt = static_cast<float>(step);
    FollowCourseMarks();
    // The course clock runs by the step the world moves, in exactly the frames flown on the
    // course: from the one that sets out from the start mark to the one that reaches the
    // finish, so that a long frame at either mark gains nothing. At a steady frame rate this
    // counts as many frames as starting and stopping one frame later would.
    timer->RunClock(step);
    if (playback != nullptr) {
        // The flags as the ship read them; the keys and pads held now do not count.
        const std::uint8_t recorded = playback->GetNextFrame().commands;
        input->Clear();
        CInput::SPadCommands held;
        held.up = (recorded & CReplay::kUp) != 0;
        held.down = (recorded & CReplay::kDown) != 0;
        held.left = (recorded & CReplay::kLeft) != 0;
        held.right = (recorded & CReplay::kRight) != 0;
        held.fire = (recorded & CReplay::kFire) != 0;
        held.accelerate = (recorded & CReplay::kAccelerate) != 0;
        input->SetPadCommands(held);
    }
    const std::uint8_t commands = ReadCommands();
    player->Steer(*input, dt);
    player->Update(dt, *tunnel);
    camera->Update(player->GetBody(), dt, *input, *tunnel);
    MoveEnemies(dt);
    FireShot();
    MoveShots(dt);
    HitEnemiesWithShots();
    if (pMode) {
        ExplodeApproachedEnemies();
    }
    RamEnemies();
    vaporTrail->SetPosition(player->GetPosition());
    // In double, as speed * 0.002 * 70 is in C.
    vaporTrail->SetPuffsPerUpdate(static_cast<int>(player->GetSpeed() * 0.002 * 70));
    vaporTrail->Update(dt);
    RemoveDeadShots(); // at the end of the frame, where drawing them used to remove them
    EndFrame(measuredStep, step, commands);
}

std::uint8_t CGame::ReadCommands() const {
    return static_cast<std::uint8_t>(
        (input->GetUp() ? CReplay::kUp : 0) | (input->GetDown() ? CReplay::kDown : 0) |
        (input->GetLeft() ? CReplay::kLeft : 0) | (input->GetRight() ? CReplay::kRight : 0) |
        (input->GetFire() ? CReplay::kFire : 0) |
        (input->GetAccelerate() ? CReplay::kAccelerate : 0));
}

void CGame::ApplyRecordedCommands() {
    char command = 0;
    while (playback->TakeCommand(command)) {
        ApplyCommand(command);
    }
}

void CGame::ApplyCommand(char command) {
    if (command == 'k') {
        player->SelfDestruct();
    } else if (command == 'p') {
        pMode = !pMode;
        pModeUsed = pModeUsed || pMode;
        if (pMode && playback != nullptr) {
            playback->NotePModeOn();
        }
    }
}

// What the frame left, recorded, or checked against the recording; the finish ends the run.
void CGame::EndFrame(double measuredStep, double step, std::uint8_t commands) {
    runTime += step;
    CReplay::SFrame frame;
    frame.step = measuredStep;
    frame.commands = commands;
    const CPlayer::SPathPose pose = player->GetPathPose();
    frame.pose.node = player->GetNodeIndex();
    frame.pose.along = CReplay::ToPoseUnits(pose.along);
    frame.pose.offset = CReplay::ToPoseUnits(pose.offset);
    frame.pose.roll = CReplay::ToPoseUnits(pose.roll);
    frame.pose.turnRate = CReplay::ToPoseUnits(pose.turnRate);
    frame.pose.nose = CReplay::ToPoseUnits(pose.nose);
    frame.pose.visible = player->IsShown();
    frame.check = static_cast<std::uint8_t>(HashState() & 0xFF);
    NoteJointDiscs();
    const bool finishNow = finishThisFrame;
    finishThisFrame = false;
    if (playback != nullptr) {
        playback->CheckFrame(frame);
        if (finishNow) {
            playback->NoteFinish(timer->GetGameClock(), HashState());
            finishText = FinishMessage(nullptr);
        }
        if (playback->HasEnded()) { // a replay ends with its recording, not at the finish
            playback->CheckEnd(HashState());
        }
    } else {
        recorder.AddFrame(frame);
        if (finishNow) {
            FinishRun(); // the run ends at the finish: what follows is the ship coasting to a stop
        }
    }
    if (finishNow) {
        ShowMessage(finishText.c_str(), 1, kFinishMessageSeconds);
    }
}

void CGame::NoteJointDiscs() {
    const int node = player->GetNodeIndex();
    while (discsPassed < jointNodes.size() && node >= jointNodes[discsPassed]) {
        const double clock = timer->GetGameClock();
        if (playback != nullptr) {
            playback->NoteSplit(clock);
        } else {
            recorder.NoteSplit(clock);
        }
        const bool atFinish = jointNodes[discsPassed] >= tunnel->GetFinishNode();
        if (ghost && ghostShown && ghost->GetSplit(discsPassed) >= 0.0 && !atFinish) {
            ShowSplit(clock - ghost->GetSplit(discsPassed));
        }
        ++discsPassed;
    }
}

void CGame::ShowSplit(double split) {
    ShowMessage(CGhost::FormatSplit(split).c_str(), 0, kSplitSeconds);
}

void CGame::FollowCourseMarks() {
    const int node = player->GetNodeIndex();
    if (node >= tunnel->GetStartNode()) {
        timer->StartClock();
        if (!musicStarted) {
            music->PlayLooped();
            musicStarted = true;
        }
    }
    // Every frame from the finish on: the clock stays frozen at the course time.
    if (node >= tunnel->GetFinishNode()) {
        timer->StopClock();
        if (!finishedRun) {
            finishedRun = true;
            finishThisFrame = true; // the time is judged once the frame is recorded
        } else {
            ShowMessage(finishText.c_str(), 1, kFinishMessageSeconds);
        }
    }
    if (node > tunnel->GetFinishNode()) {
        input->Clear(); // past the finish the controls are dead and the ship coasts to a stop
    }
}

std::string CGame::FinishMessage(const CReplay* run) {
    if (records == nullptr || playback != nullptr) {
        return "AUS:MAUS";
    }
    const long long milliseconds = CRecords::ToMilliseconds(timer->GetGameClock());
    const std::string time = "AUS:MAUS\n" + CRecords::FormatTime(milliseconds);
    if (pModeUsed) {
        return time + " NOT RECORDED";
    }
    const CRecords::SWorld world = RecordsWorld(GetWorld());
    ++recordsTableVersion;
    // The best replay is written while the records are locked, so that two games finishing
    // the same world at once leave the replay of the time the records keep.
    const auto saveBestReplay = [this, run] {
        if (replayFiles != nullptr && run != nullptr) {
            replayFiles->SaveBest(*run);
        }
    };
    if (records->Submit(world, milliseconds, saveBestReplay)) {
        newBest = true;
        return time + " NEW BEST";
    }
    // The best as it stands now, another game's perhaps. None although this is no new best: a
    // world the table cannot hold, already said in a line.
    const long long best = records->GetBest(world);
    return best < 0 ? time : time + " BEST " + CRecords::FormatTime(best);
}

void CGame::MoveEnemies(float dt) {
    for (const auto& enemy : enemies) {
        if (!enemy->IsDead()) {
            enemy->Track(player->GetBody());
            enemy->Update(dt, *tunnel);
        }
    }
}

void CGame::FireShot() {
    if (!input->GetFire() || freeSlot == -1) {
        return;
    }
    auto shot = std::make_unique<CLaser>(*textures);
    shot->SetPosition(player->GetPosition());
    shot->SetDirection(player->GetDirection());
    shot->SetUp(player->GetUp());
    shot->SetSpeed(kShotSpeed);
    shots[freeSlot] = std::move(shot);
}

void CGame::MoveShots(float dt) {
    // The search for the next free slot rides along: it ends on the highest empty slot, so
    // after the very first shot in slot 0 the table fills from slot 14 downward.
    freeSlot = -1;
    for (int slot = 0; slot < kShotSlots; ++slot) {
        if (!shots[slot]) {
            freeSlot = slot;
        } else {
            shots[slot]->Update(dt, *tunnel);
        }
    }
}

void CGame::HitEnemiesWithShots() {
    for (const auto& shot : shots) {
        if (!shot) {
            continue;
        }
        for (const auto& enemy : enemies) {
            if (enemy->IsExploding() || shot->IsExploding()) {
                continue;
            }
            // The shot flies on: it can take out more enemies, now and in later frames.
            if (enemy->Collide(*shot)) {
                enemy->Explode();
                PlayExplosionSounds(2);
            }
        }
    }
}

void CGame::ExplodeApproachedEnemies() {
    const int node = player->GetNodeIndex();
    for (const auto& enemy : enemies) {
        if (!enemy->IsExploding() && enemy->GetNodeIndex() > node &&
            enemy->GetActivationNode() < node) {
            enemy->Explode();
            PlayExplosionSounds(1);
        }
    }
}

void CGame::RamEnemies() {
    for (const auto& enemy : enemies) {
        if (enemy->IsExploding() || !player->Collide(*enemy)) {
            continue;
        }
        if (!pMode) {
            player->Damage(kRamDamage);
        }
        enemy->Explode();
        PlayExplosionSounds(1);
        return; // one ramming per frame
    }
}

void CGame::Draw() {
    PlaceLights();
    tunnel->DrawSegments(camera->GetBody(), *settings);
    DrawEnemies();
    player->Draw(*camera, *settings);
    DrawGhost();
    DrawShots();
    vaporTrail->Draw(*camera, *settings);
    tunnel->DrawJoints(camera->GetBody(), *settings);
    tunnel->DrawPathLine(camera->GetBody(), *settings);
    if (scaledFrame) {
        scaledFrame->End(); // the scene over the whole picture; the HUD at full resolution
    }
    DrawHud();
    if (screenshotRequested) {
        SaveScreenshot(); // the finished frame, before the swap leaves the back buffer undefined
    }
    glutSwapBuffers();
}

void CGame::SaveScreenshot() {
    screenshotRequested = false;
    if (!screenshots) {
        return;
    }
    const int width = glutGet(GLUT_WINDOW_WIDTH);
    const int height = glutGet(GLUT_WINDOW_HEIGHT);
    const std::vector<unsigned char> rgb = CScreenshotWriter::ReadFrame(0, 0, width, height);
    const std::string saved = screenshots->Save(rgb, width, height, std::time(nullptr));
    ShowMessage(saved.empty() ? "SCREENSHOT FAILED" : "SCREENSHOT SAVED", 0, kMessageSeconds);
}

void CGame::BeginScene() {
    const int percent = resolution != nullptr ? resolution->GetScalePercent() : 100;
    if (percent < 100 && !scaledFrame) {
        scaledFrame = std::make_unique<CScaledFrame>();
    }
    if (scaledFrame) {
        scaledFrame->Begin(percent);
    }
    camera->Apply();
}

// The first scaled frame would also pay for the texture and the driver's first copy and quad,
// just when the frames are already too slow: one frame at the largest scaled size pays now.
// Its picture goes with the first frame's clear.
void CGame::WarmUpScaledFrame() {
    if (resolution == nullptr || !resolution->IsAutomatic()) {
        return;
    }
    scaledFrame = std::make_unique<CScaledFrame>();
    scaledFrame->Begin(CResolutionScaler::kSteps[1]);
    scaledFrame->End();
}

void CGame::ToggleAutomaticResolution() {
    if (resolution == nullptr) {
        return;
    }
    resolution->SetAutomatic(!resolution->IsAutomatic());
    ShowMessage(resolution->IsAutomatic() ? "RES AUTO" : "RES FULL", 0, kMessageSeconds);
}

void CGame::PlaceLights() {
    const int node = player->GetNodeIndex();
    const int n = node - node % kLightSpacing;
    const int lightNodes[3] = {n, n - kLightSpacing, n + kLightSpacing};
    for (int i = 0; i < 3; ++i) {
        const CVector3 p = tunnel->GetNodePosition(lightNodes[i]);
        lights[i]->SetPosition(p.x, p.y, p.z, 0.0f); // w = 0: light from that direction
        lights[i]->Apply();
    }
}

void CGame::DrawEnemies() {
    const int first = camera->GetNodeIndex();
    const int last = first + tunnel->GetVisibleNodes();
    const bool all = settings->GetNoFrustumCulling() != 0;
    for (const auto& enemy : enemies) {
        const int node = enemy->GetNodeIndex();
        if (all || (first <= node && node <= last)) {
            enemy->Draw(*camera, *settings);
        }
    }
}

void CGame::RemoveDeadShots() {
    // The only place where shots are removed during play.
    for (auto& shot : shots) {
        if (shot && shot->IsDead()) {
            shot.reset();
        }
    }
}

void CGame::DrawShots() const {
    for (const auto& shot : shots) {
        if (shot) {
            shot->Draw(*camera, *settings);
        }
    }
}

void CGame::DrawGhost() const {
    if (ghost && ghostShown) {
        ghost->Draw(runTime, tunnel->GetPath(), textures->Find("player1"), *settings);
    }
}

void CGame::ToggleRecordsTable() {
    recordsTableShown = !recordsTableShown;
    ++recordsTableVersion;
}

namespace {

// "D 3  N 512  SEED 17", or "D 2  N 1004  DAILY 2026.12.07" for the world of a day (the font
// has no hyphen).
std::string WorldName(const CRecords::SWorld& world) {
    char text[64];
    std::string date;
    if (CDailyWorld::IsDaily(world.seed, world.difficulty, world.nodes, date)) {
        std::replace(date.begin(), date.end(), '-', '.');
        std::snprintf(text, sizeof text, "D %d  N %d  DAILY %s", world.difficulty, world.nodes,
                      date.c_str());
    } else {
        std::snprintf(text, sizeof text, "D %d  N %d  SEED %u", world.difficulty, world.nodes,
                      world.seed);
    }
    return text;
}

std::string Padded(std::string text, std::size_t width) {
    text.resize(std::max(text.size(), width), ' ');
    return text;
}

} // namespace

std::vector<std::string> CGame::GetRecordsTableLines() const {
    if (records == nullptr) {
        return {"RECORDS OFF"};
    }
    const CRecords::SWorld flown = RecordsWorld(GetWorld());
    const long long best = records->GetBest(flown);
    std::string bestLine = "BEST " + (best < 0 ? std::string("NONE") : CRecords::FormatTime(best));
    if (ghost) {
        bestLine +=
            "  GHOST " + CRecords::FormatTime(CRecords::ToMilliseconds(ghost->GetFinishClock()));
    }
    std::vector<std::string> lines = {"RECORDS", "THIS WORLD  " + WorldName(flown), bestLine};
    std::vector<std::pair<CRecords::SWorld, CRecords::SRecord>> others;
    for (const auto& entry : records->GetTable()) {
        if (!(entry.first == flown)) {
            others.push_back(entry);
        }
    }
    // The most recently improved first; records without a date (older files) last.
    std::stable_sort(others.begin(), others.end(),
                     [](const auto& a, const auto& b) { return a.second.setAt > b.second.setAt; });
    if (!others.empty()) {
        lines.push_back("");
    }
    for (std::size_t i = 0; i < others.size() && i < kRecordsTableWorlds; ++i) {
        lines.push_back(Padded(WorldName(others[i].first), 32) +
                        CRecords::FormatTime(others[i].second.milliseconds));
    }
    return lines;
}

void CGame::ToggleGhost() {
    ghostShown = !ghostShown;
    ShowMessage(ghostShown ? "GHOST ON" : "GHOST OFF", 0, kMessageSeconds);
}

std::uint64_t CGame::HashState() const {
    std::uint64_t hash = 1469598103934665603ULL;
    const auto mix = [&hash](const void* data, size_t size) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < size; ++i) {
            hash = (hash ^ bytes[i]) * 1099511628211ULL;
        }
    };
    const CBody& body = player->GetBody();
    const int node = player->GetNodeIndex();
    const float shipState[] = {body.along, body.offset, body.roll, body.GetSpeed()};
    const int energy = player->GetEnergy();
    // The particles are where the random draws of a frame show: a draw out of order moves them.
    const auto mixParticles = [&mix](const CParticleSystem* explosion) {
        for (int slot = 0; explosion != nullptr && slot < CParticleSystem::kFireSlots; ++slot) {
            if (const CParticle* particle = explosion->GetFireParticle(slot)) {
                mix(&particle->GetPosition(), sizeof(CVector3));
            }
        }
        for (int slot = 0; explosion != nullptr && slot < CParticleSystem::kSmokeSlots; ++slot) {
            if (const CParticle* particle = explosion->GetSmokeParticle(slot)) {
                mix(&particle->GetPosition(), sizeof(CVector3));
            }
        }
    };
    int liveEnemies = 0;
    int explodingEnemies = 0;
    for (const auto& enemy : enemies) {
        liveEnemies += enemy->IsDead() ? 0 : 1;
        explodingEnemies += enemy->IsExploding() ? 1 : 0;
        if (enemy->IsExploding() && !enemy->IsDead()) {
            mixParticles(enemy->GetExplosion());
        }
    }
    if (player->IsExploding()) {
        mixParticles(player->GetExplosion());
    }
    int shotCount = 0;
    for (const auto& shot : shots) {
        shotCount += shot ? 1 : 0;
    }
    const double clock = timer->GetGameClock();
    const int modes = (pMode ? 1 : 0) | (pModeUsed ? 2 : 0);
    mix(&node, sizeof(node));
    mix(shipState, sizeof(shipState));
    mix(&energy, sizeof(energy));
    mix(&liveEnemies, sizeof(liveEnemies));
    mix(&explodingEnemies, sizeof(explodingEnemies));
    mix(&shotCount, sizeof(shotCount));
    mix(&clock, sizeof(clock));
    mix(&modes, sizeof(modes));
    return hash;
}

void CGame::DrawHud() {
    hud->SetFps(timer->GetFrameRate());
    hud->SetEnergy(static_cast<float>(player->GetEnergy()) * 0.01f);
    hud->SetSpeed(player->GetSpeed() / player->GetMaxSpeed());
    hud->SetTurn(player->GetTurnLevel());
    hud->SetTime(timer->GetGameClock());
    if (drawnRecordsTableVersion != recordsTableVersion) {
        drawnRecordsTableVersion = recordsTableVersion;
        hud->SetPanel(recordsTableShown ? GetRecordsTableLines() : std::vector<std::string>());
    }
    hud->Draw(*settings);
}

void CGame::ShowMessage(const char* text, int style, int seconds) {
    if (!hud) {
        return;
    }
    // While paused the game clock stands, so a message would stay until the end of the pause:
    // it goes below "PAUSE", which stays in view.
    if (paused && text != nullptr && text[0] != '\0') {
        const std::string belowPause = std::string(kPauseText) + "\n" + text;
        hud->ShowMessage(belowPause.c_str(), 1, kPauseMessageSeconds);
        return;
    }
    hud->ShowMessage(text, style, seconds);
}

void CGame::TogglePMode() {
    if (playback != nullptr) {
        return;
    }
    recorder.NoteCommand('p');
    ApplyCommand('p');
    if (pMode) {
        recorder.NotePModeUsed();
    }
}

void CGame::TogglePause() {
    paused = !paused;
    PauseAllSounds(paused);
    if (paused) {
        if (hud) {
            hud->ShowMessage(kPauseText, 1, kPauseMessageSeconds);
        }
    } else {
        ShowMessage("", 0, 0);
        timer->Resume();
    }
}

void CGame::ToggleSound() {
    soundOn = !soundOn;
    MuteAllSounds(!soundOn);
}

void CGame::SelfDestruct() {
    if (player && playback == nullptr) {
        recorder.NoteCommand('k');
        ApplyCommand('k');
    }
}

void CGame::PlayExplosionSounds(int count) {
    for (int i = 0; i < count; ++i) {
        effectSounds[std::rand() % kEffectSounds]->PlayOnce();
    }
}
