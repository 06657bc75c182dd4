#include "game/GameView.h"

#include "app/RenderSettings.h"
#include "app/Timer.h"
#include "entities/Enemy.h"
#include "entities/Laser.h"
#include "entities/Player.h"
#include "fx/Hud.h"
#include "fx/VaporTrail.h"
#include "game/Course.h"
#include "game/Ghost.h"
#include "render/Camera.h"
#include "render/Light.h"
#include "render/ResolutionScaler.h"
#include "render/ScaledFrame.h"
#include "render/ScreenshotWriter.h"
#include "render/TextureManager.h"
#include "world/Tunnel.h"

#include <GL/glut.h>
#include <ctime>

namespace {
// While paused the game clock stands, so any positive time keeps "PAUSE" up until the end.
constexpr int kPauseMessageSeconds = 1;
constexpr const char* kPauseText = "PAUSE";
} // namespace

CGameView::CGameView(CRenderSettings& settings, bool window) : settings(settings), window(window) {}

CGameView::~CGameView() = default;

void CGameView::LoadTextures() {
    if (!window) {
        return; // the rules alone draw nothing
    }
    if (!textures) {
        textures = std::make_unique<CTextureManager>();
    }
    textures->LoadAll(settings.GetNoMipmaps() == 0);
}

void CGameView::SetScreenshotWriter(std::unique_ptr<CScreenshotWriter> writer) {
    screenshots = std::move(writer);
}

void CGameView::Open() {
    if (window) {
        LoadTextures();
        WarmUpScaledFrame();
    } else {
        textures = std::make_unique<CTextureManager>();
        textures->ListAll(); // the texture numbers, without loading a picture
    }
}

void CGameView::CreateLights() {
    if (!window) {
        return;
    }
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

void CGameView::CreateHud() {
    if (window) {
        hud = std::make_unique<CHud>(screenWidth, screenHeight, *textures);
    }
}

void CGameView::ReleaseHud() {
    hud.reset();
}

void CGameView::ReleaseTexturesAndLights() {
    textures.reset();
    for (auto& light : lights) {
        light.reset();
    }
}

void CGameView::BeginScene(const CCourse& course) {
    const int percent = resolution != nullptr ? resolution->GetScalePercent() : 100;
    if (percent < 100 && !scaledFrame) {
        scaledFrame = std::make_unique<CScaledFrame>();
    }
    if (scaledFrame) {
        scaledFrame->Begin(percent);
    }
    course.GetCamera().Apply();
}

// The first scaled frame would also pay for the texture and the driver's first copy and quad,
// just when the frames are already too slow: one frame at the largest scaled size pays now.
// Its picture goes with the first frame's clear.
void CGameView::WarmUpScaledFrame() {
    if (resolution == nullptr || !resolution->IsAutomatic()) {
        return;
    }
    scaledFrame = std::make_unique<CScaledFrame>();
    scaledFrame->Begin(CResolutionScaler::kSteps[1]);
    scaledFrame->End();
}

void CGameView::DrawScene(CCourse& course, const CGhost* ghost, double runTime) {
    const CCamera& camera = course.GetCamera();
    const CTunnel& tunnel = course.GetTunnel();
    PlaceLights(course);
    tunnel.DrawSegments(camera.GetBody(), settings);
    DrawEnemies(course);
    course.GetPlayer().Draw(camera, settings);
    if (ghost != nullptr) {
        ghost->Draw(runTime, tunnel.GetPath(), textures->Find("player1"), settings);
    }
    DrawShots(course);
    course.GetVaporTrail().Draw(camera, settings);
    tunnel.DrawJoints(camera.GetBody(), settings);
    tunnel.DrawPathLine(camera.GetBody(), settings);
    if (scaledFrame) {
        scaledFrame->End(); // the scene over the whole picture; the HUD at full resolution
    }
}

void CGameView::PlaceLights(const CCourse& course) {
    const int node = course.GetPlayer().GetNodeIndex();
    const int n = node - node % kLightSpacing;
    const int lightNodes[3] = {n, n - kLightSpacing, n + kLightSpacing};
    for (int i = 0; i < 3; ++i) {
        const CVector3 p = course.GetTunnel().GetNodePosition(lightNodes[i]);
        lights[i]->SetPosition(p.x, p.y, p.z, 0.0f); // w = 0: light from that direction
        lights[i]->Apply();
    }
}

void CGameView::DrawEnemies(const CCourse& course) {
    const int first = course.GetCamera().GetNodeIndex();
    const int last = first + course.GetTunnel().GetVisibleNodes();
    const auto& enemies = course.GetEnemies();
    if (settings.GetNoFrustumCulling() != 0) {
        for (const auto& enemy : enemies) {
            enemy->Draw(course.GetCamera(), settings);
        }
        return;
    }
    for (const std::uint32_t i : course.GetAwakeEnemies()) { // a sleeping one is out of sight
        const int node = enemies[i]->GetNodeIndex();
        if (first <= node && node <= last) {
            enemies[i]->Draw(course.GetCamera(), settings);
        }
    }
}

void CGameView::DrawShots(CCourse& course) const {
    for (int slot = 0; slot < CCourse::kShotSlots; ++slot) {
        if (CLaser* shot = course.GetShot(slot)) {
            shot->Draw(course.GetCamera(), settings);
        }
    }
}

void CGameView::DrawHud(const CCourse& course, const CTimer& timer) {
    const CPlayer& player = course.GetPlayer();
    hud->SetFps(timer.GetFrameRate());
    hud->SetEnergy(static_cast<float>(player.GetEnergy()) * 0.01f);
    hud->SetSpeed(player.GetSpeed() / player.GetMaxSpeed());
    hud->SetTurn(player.GetTurnLevel());
    hud->SetTime(timer.GetGameClock());
    hud->Draw(settings);
}

void CGameView::ShowMessage(const char* text, int style, int seconds, bool paused) {
    if (!hud) {
        return;
    }
    if (paused && text != nullptr && text[0] != '\0') {
        const std::string belowPause = std::string(kPauseText) + "\n" + text;
        hud->ShowMessage(belowPause.c_str(), 1, kPauseMessageSeconds);
        return;
    }
    hud->ShowMessage(text, style, seconds);
}

void CGameView::ShowPause(bool paused) {
    if (hud) {
        paused ? hud->ShowMessage(kPauseText, 1, kPauseMessageSeconds) : hud->ShowMessage("", 0, 0);
    }
}

const char* CGameView::ToggleAutomaticResolution() {
    if (resolution == nullptr) {
        return nullptr;
    }
    resolution->SetAutomatic(!resolution->IsAutomatic());
    return resolution->IsAutomatic() ? "RES AUTO" : "RES FULL";
}

bool CGameView::TakeRequestedScreenshot(std::string& message) {
    if (!screenshotRequested) {
        return false;
    }
    screenshotRequested = false;
    if (!screenshots) {
        return false;
    }
    const int width = glutGet(GLUT_WINDOW_WIDTH);
    const int height = glutGet(GLUT_WINDOW_HEIGHT);
    const std::vector<unsigned char> rgb = CScreenshotWriter::ReadFrame(0, 0, width, height);
    const std::string saved = screenshots->Save(rgb, width, height, std::time(nullptr));
    message = saved.empty() ? "SCREENSHOT FAILED" : "SCREENSHOT SAVED";
    return true;
}

void CGameView::Swap() {
    glutSwapBuffers();
}
