#include "game/Game.h"

#include "app/Input.h"
#include "app/Timer.h"
#include "entities/Player.h"
#include "game/Ghost.h"
#include "game/RecordsTable.h"
#include "render/ResolutionScaler.h"
#include "render/ScreenshotWriter.h"
#include "runs/ReplayPlayback.h"
#include "world/Tunnel.h"

#include <chrono>
#include <cstdio>

namespace {
constexpr int kSplitSeconds = 2;
constexpr int kFinishMessageSeconds = 5; // shown again every frame from the finish on
constexpr int kWorldMessageSeconds = 2;
constexpr int kDailyMessageSeconds = 3;
} // namespace

static_assert(CGame::kShotSlots == CCourse::kShotSlots);
static_assert(CGame::kEffectSounds == CGameSounds::kEffectSounds);
static_assert(CGame::kRecordsTableWorlds == CRecordsTable::kOtherWorlds);

double CGame::RulesStep(double measuredStep) {
    return measuredStep > kLongestRulesStep ? kLongestRulesStep : measuredStep;
}

CGame::CGame(CRenderSettings* settings, CInput* input, CTimer* timer, EOutput output)
    : input(input), timer(timer), output(output),
      sounds(std::make_unique<CGameSounds>(HasWindow())),
      view(std::make_unique<CGameView>(*settings, HasWindow())),
      book(std::make_unique<CRunBook>(HasWindow())), panel(std::make_unique<CGamePanel>(*book)),
      news(std::make_unique<CBoardNews>(*book,
                                        [this](const std::string& text, int style, int seconds) {
                                            ShowMessage(text.c_str(), style, seconds);
                                        })),
      seedSource(&CTunnel::TimeSeed), newWorldSeedSource(&CGame::MicrosecondSeed) {}

// The HUD, the ship, the tunnel, the textures, the camera and the lights go first; then the
// game's sounds are closed, before the enemies, the shots and the trail go with theirs.
CGame::~CGame() {
    view->ReleaseHud();
    if (course) {
        course->ReleaseShipAndTunnel();
    }
    view->ReleaseTexturesAndLights();
    sounds->Close();
    course.reset();
}

CWorldIdentity CGame::GetWorld() const {
    const int nodes = course && course->IsBuilt() ? course->GetTunnel().GetRingCount() : 0;
    return CWorldIdentity{difficulty, tunnelLength, nodes, seed};
}

void CGame::SetPlayback(CReplayPlayback* recorded) {
    book->SetPlayback(recorded);
    if (recorded != nullptr) {
        const CWorldIdentity& world = recorded->GetReplay().world;
        SetSeed(world.seed);
        SetDifficulty(world.difficulty);
        SetTunnelLength(world.length);
    }
}

void CGame::SetScreenshotWriter(std::unique_ptr<CScreenshotWriter> writer) {
    view->SetScreenshotWriter(std::move(writer));
}

void CGame::Setup() {
    view->Open();
    course = std::make_unique<CCourse>(view->GetTextures(),
                                       [this](int count) { sounds->PlayExplosions(count); });
    seed = seedSource(); // kept, so that a restart builds the same world
    BuildWorld();
    sounds->PlayStart();
    book->CheckRecordable(GetWorld());
    book->LoadGhost(GetWorld());
    news->AskWorld(GetWorld());
    BeginRun();
    if (!dailyDate.empty()) {
        ShowMessage(("DAILY " + dailyDate).c_str(), 1, kDailyMessageSeconds);
    }
}

// The lights come between the tunnel and the craft, the HUD after them, as at the first start.
void CGame::BuildWorld() {
    course->BuildTunnel(difficulty, tunnelLength, seed);
    view->CreateLights();
    course->CreateCraft(difficulty);
    view->CreateHud();
}

void CGame::EndRun() {
    if (course) {
        book->End(timer->GetGameClock(), HashState());
    }
}

void CGame::Restart() {
    if (IsReplaying()) {
        return; // a replay flies its run as it was
    }
    EndRun();
    book->PromoteNextGhost();
    Rebuild();
    BeginRun();
}

void CGame::BeginRun() {
    book->Begin(GetWorld());
    if (!IsReplaying()) {
        panel->BeginRun();
    }
}

void CGame::NewWorld() {
    if (!IsReplaying()) {
        FlyWorld(difficulty, tunnelLength, newWorldSeedSource());
    }
}

void CGame::FlyWorld(int newDifficulty, int length, unsigned newSeed, std::string date) {
    if (IsReplaying()) {
        return;
    }
    EndRun(); // the last run is kept before its world goes
    difficulty = newDifficulty;
    tunnelLength = length;
    seed = newSeed;
    dailyDate = std::move(date);
    book->ForgetGhosts();
    Rebuild();
    book->CheckRecordable(GetWorld());
    if (dailyDate.empty()) {
        std::printf("world: difficulty %d length %d seed %u\n", difficulty, tunnelLength, seed);
        std::fflush(stdout);
        ShowMessage(("WORLD " + std::to_string(seed)).c_str(), 0, kWorldMessageSeconds);
    } else {
        ShowMessage(("DAILY " + dailyDate).c_str(), 1, kDailyMessageSeconds);
    }
    book->LoadGhost(GetWorld());
    news->AskWorld(GetWorld());
    BeginRun();
}

void CGame::Watch(std::unique_ptr<CReplayPlayback> run) {
    if (IsReplaying() || run == nullptr) {
        return;
    }
    EndRun();
    watchedFrom = CWorldIdentity{difficulty, tunnelLength, 0, seed};
    watchedFromDate = dailyDate;
    watched = std::move(run);
    watchedVerdictShown = false;
    SetPlayback(watched.get());
    book->ForgetGhosts();
    Rebuild();
    BeginRun();
}

void CGame::StopWatching() {
    if (!IsWatching()) {
        return;
    }
    book->SetPlayback(nullptr);
    watched.reset();
    FlyWorld(watchedFrom.difficulty, watchedFrom.length, watchedFrom.seed, watchedFromDate);
}

// Once the watched run has been played: whether it flew as its file says, as --replay prints.
void CGame::ShowWatchedVerdict() {
    if (watched && !watchedVerdictShown && watched->HasEnded()) {
        watchedVerdictShown = true;
        ShowMessage(watched->Matches() ? "RUN MATCHES" : "RUN DIVERGES", 1, kFinishMessageSeconds);
    }
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
    sounds->StopMusic();
    timer->ResetClock();
    course->BuildTunnel(difficulty, tunnelLength, seed);
    course->CreateCraft(difficulty);
    std::printf("\n"); // the enemy count ends its line here: no start-up lines follow it
    std::fflush(stdout);
    ShowMessage("", 0, 0);
    book->ClearFinishText();
    news->ForgetAnswer();
    timer->Resume(); // the rebuild is no step of the new run
    sounds->PlayStart();
}

void CGame::Frame() {
    std::string answer;
    if (news->Take(GetWorld(), answer)) {
        panel->TakeBoardAnswer(answer);
    }
    ShowWatchedVerdict();
    const CReplayPlayback* playback = book->GetPlayback();
    if (!paused && !(playback != nullptr && playback->HasEnded())) {
        RunRules();
    }
    if (HasWindow()) {
        view->BeginScene(*course); // a paused or ended game draws the same view again
        Draw();
    }
}

double CGame::TimedFrame() {
    const bool wasPaused = paused;
    const auto start = std::chrono::steady_clock::now();
    Frame();
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    if (!wasPaused && view->GetResolutionScaler() != nullptr) {
        view->GetResolutionScaler()->AddFrame(took.count());
    }
    return took.count();
}

// The rules of one frame, in their order. Nothing here touches OpenGL.
void CGame::RunRules() {
    CReplayPlayback* playback = book->GetPlayback();
    double measuredStep;
    if (playback != nullptr) {
        ApplyRecordedCommands();
        measuredStep = playback->GetNextFrame().step;
        timer->CountFrame(measuredStep);
    } else {
        measuredStep = timer->Measure();
    }
    const double step = RulesStep(measuredStep);
    FollowCourseMarks();
    // The course clock runs by the step the world moves, in exactly the frames flown on the
    // course: from the one that sets out from the start mark to the one that reaches the
    // finish, so that a long frame at either mark gains nothing. At a steady frame rate this
    // counts as many frames as starting and stopping one frame later would.
    timer->RunClock(step);
    if (playback != nullptr) {
        CRunBook::HoldRecordedFlags(playback->GetNextFrame().commands, *input);
    }
    const std::uint8_t commands = CRunBook::ReadCommands(*input);
    if (commands != 0) {
        panel->HideTitle(); // the ship is flown
    }
    const int nodeBefore = course->GetPlayer().GetNodeIndex();
    course->Step(static_cast<float>(step), *input);
    ChargeLongStart(nodeBefore, step);
    EndFrame(measuredStep, step, commands);
}

// A stall just before the start mark would otherwise carry the ship up to three frames' flight
// past it before the clock starts: two frames gained on everyone flying at a steady rate.
void CGame::ChargeLongStart(int nodeBefore, double step) {
    const int start = course->GetTunnel().GetStartNode();
    if (step > kSteadyStep && nodeBefore < start && course->GetPlayer().GetNodeIndex() >= start) {
        timer->StartClock();
        timer->RunClock(step - kSteadyStep);
    }
}

void CGame::ApplyRecordedCommands() {
    char command = 0;
    while (book->GetPlayback()->TakeCommand(command)) {
        ApplyCommand(command);
    }
}

void CGame::ApplyCommand(char command) {
    course->ApplyCommand(command);
    if (command == 'p' && course->IsPMode() && IsReplaying()) {
        book->GetPlayback()->NotePModeOn();
    }
}

// What the frame left, recorded, or checked against the recording; the finish ends the run.
void CGame::EndFrame(double measuredStep, double step, std::uint8_t commands) {
    book->AddStep(step);
    const double clock = timer->GetGameClock();
    const std::uint64_t state = HashState();
    const CReplay::SFrame frame = course->RecordFrame(measuredStep, commands, state);
    const CTunnel& tunnel = course->GetTunnel();
    double split = 0.0;
    if (book->PassDiscs(course->GetPlayer().GetNodeIndex(), course->GetJointNodes(),
                        tunnel.GetFinishNode(), clock, split)) {
        ShowMessage(CGhost::FormatSplit(split).c_str(), 0, kSplitSeconds);
    }
    if (book->EndFrame(frame, clock, state, GetWorld(), course->WasPModeUsed())) {
        panel->Changed();
        ShowMessage(book->GetFinishText().c_str(), 1, kFinishMessageSeconds);
        const bool sent = news->SendRun(course->WasPModeUsed());
        if (!IsReplaying()) {
            panel->ShowResults(clock, sent);
        }
    }
}

void CGame::FollowCourseMarks() {
    const int node = course->GetPlayer().GetNodeIndex();
    const CTunnel& tunnel = course->GetTunnel();
    if (node >= tunnel.GetStartNode()) {
        timer->StartClock();
        sounds->StartMusicOnce();
    }
    // Every frame from the finish on: the clock stays frozen at the course time.
    if (node >= tunnel.GetFinishNode()) {
        timer->StopClock();
        if (!book->ReachFinish()) {
            ShowMessage(news->FinishMessage().c_str(), 1, kFinishMessageSeconds);
        }
    }
    if (node > tunnel.GetFinishNode()) {
        input->Clear(); // past the finish the controls are dead and the ship coasts to a stop
    }
}

void CGame::Draw() {
    view->DrawScene(*course, book->GetShownGhost(), book->GetRunTime());
    panel->Update(*view->GetHud(), PanelWorld());
    view->DrawHud(*course, *timer);
    std::string screenshotMessage;
    if (view->TakeRequestedScreenshot(screenshotMessage)) {
        ShowMessage(screenshotMessage.c_str(), 0, kMessageSeconds);
    }
    view->Swap();
}

void CGame::ToggleAutomaticResolution() {
    if (const char* message = view->ToggleAutomaticResolution()) {
        ShowMessage(message, 0, kMessageSeconds);
    }
}

void CGame::SetBoard(CBoardLink* link) {
    news->SetBoard(link);
    panel->SetBoard(link);
    if (course && course->IsBuilt() && !IsReplaying()) {
        news->AskWorld(GetWorld());
    }
}

void CGame::ToggleGhost() {
    book->SetGhostShown(!book->IsGhostShown());
    ShowMessage(book->IsGhostShown() ? "GHOST ON" : "GHOST OFF", 0, kMessageSeconds);
}

std::uint64_t CGame::HashState() const {
    return course->HashState(timer->GetGameClock());
}

void CGame::ShowMessage(const char* text, int style, int seconds) {
    view->ShowMessage(text, style, seconds, paused);
}

void CGame::TogglePMode() {
    if (IsReplaying()) {
        return;
    }
    book->NoteCommand('p');
    ApplyCommand('p');
    if (course->IsPMode()) {
        book->NotePModeUsed();
    }
}

void CGame::TogglePause() {
    paused = !paused;
    sounds->Pause(paused);
    view->ShowPause(paused);
    if (!paused) {
        timer->Resume();
    }
}

void CGame::SelfDestruct() {
    if (course && course->IsBuilt() && !IsReplaying()) {
        book->NoteCommand('k');
        ApplyCommand('k');
    }
}
