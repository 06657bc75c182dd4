#pragma once

#include <memory>
#include <string>
#include <vector>

class CCourse;
class CGhost;
class CHud;
class CLight;
class CRenderSettings;
class CResolutionScaler;
class CScaledFrame;
class CScreenshotWriter;
class CTextureManager;
class CTimer;

// The view: the texture registry, the three lights, the scaled frame and the resolution it
// is drawn at, the screenshots and the HUD. It draws what the course and the run's book hold
// and changes nothing of them. Without a window it only lists the textures, whose numbers the
// world is built with, and makes no OpenGL call.
class CGameView {
public:
    static constexpr int kLightSpacing = 5; // nodes between the three lights around the ship

    CGameView(CRenderSettings& settings, bool window); // settings not owned
    ~CGameView();
    CGameView(const CGameView&) = delete;
    CGameView& operator=(const CGameView&) = delete;

    CTextureManager& GetTextures() { return *textures; }
    void LoadTextures(); // all 43, with mipmaps exactly when the toggle says so
    // How much of the picture the scene is drawn at, kept by the caller; without one every
    // frame is drawn at full resolution.
    void SetResolutionScaler(CResolutionScaler* scaler) { resolution = scaler; }
    CResolutionScaler* GetResolutionScaler() const { return resolution; }
    void SetScreenshotWriter(std::unique_ptr<CScreenshotWriter> writer);
    void RequestScreenshot() { screenshotRequested = true; } // taken before the next swap

    void Open();         // before the world: the textures, and the scaled frame warmed up
    void CreateLights(); // once the tunnel is built
    void CreateHud();    // once the ship and the enemies are
    CHud* GetHud() { return hud.get(); }

    void BeginScene(const CCourse& course); // the viewport for the frame's scale, the view
    // The scene, then the HUD at full resolution over it. ghost: the one shown, or null.
    void DrawScene(CCourse& course, const CGhost* ghost, double runTime);
    void DrawHud(const CCourse& course, const CTimer& timer);
    // A message in the HUD's box (style 0 or 1, game seconds). While paused the game clock
    // stands, so it goes below "PAUSE", which stays in view.
    void ShowMessage(const char* text, int style, int seconds, bool paused);
    void ShowPause(bool paused); // "PAUSE" held in the box, or the box cleared
    // F7: automatic resolution, or always full; the message to show, or null without a scaler.
    const char* ToggleAutomaticResolution();
    // The requested screenshot of the finished frame, before the swap leaves the back buffer
    // undefined: false when none was requested, else true with the message to show.
    bool TakeRequestedScreenshot(std::string& message);
    void Swap();

    // The game's destructor lets the HUD go first and the textures and lights after the ship
    // and the tunnel.
    void ReleaseHud();
    void ReleaseTexturesAndLights();

private:
    void PlaceLights(const CCourse& course);
    void DrawEnemies(const CCourse& course);
    void DrawShots(CCourse& course) const;
    void WarmUpScaledFrame(); // once, when the scale may change

    CRenderSettings& settings;
    bool window;
    std::unique_ptr<CTextureManager> textures;
    std::unique_ptr<CLight> lights[3];
    std::unique_ptr<CHud> hud;
    CResolutionScaler* resolution = nullptr;
    std::unique_ptr<CScaledFrame> scaledFrame;
    std::unique_ptr<CScreenshotWriter> screenshots;
    bool screenshotRequested = false;
    int screenWidth = 800;
    int screenHeight = 600;
};
