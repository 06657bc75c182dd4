#pragma once

// The game's one window: an 800 x 600 window titled "Zelkora", or full-screen game mode, and the
// OpenGL state that stays fixed for the whole run. GLUT must be initialised first.
class CScreen {
public:
    struct SRectangle {
        int x = 0; // lower left, in window pixels
        int y = 0;
        int width = 0;
        int height = 0;
    };

    // The largest 4:3 rectangle centred in a window of that size: the picture is drawn there
    // exactly as into an 800 x 600 window; the frame's clear leaves the bars beside it black.
    static SRectangle FitPicture(int windowWidth, int windowHeight);
    // The reshape callback: the viewport becomes the fitted rectangle.
    static void Reshape(int windowWidth, int windowHeight);

    // Display mode 1: a window at (100, 100). Anything else: game mode "800x600:24@60", or, where
    // the screen mode cannot be changed, the window made full screen.
    void Open(int displayMode);
    // GLUT initialised for a double-buffered picture with depth, Open, and the fixed state:
    // how the game and the timedemo both begin.
    void Start(int displayMode);
    void Close(); // leaves game mode or destroys the window
    // Between the window and full screen; back to 800 x 600 at the window's place. Nothing in
    // game mode, where the screen mode itself was changed.
    void ToggleFullScreen();
    bool IsFullScreen() const { return fullScreen || inGameMode; }

    // Back-face culling, depth test, texturing, white front material, smooth shading.
    static void SetFixedGlState();

private:
    static constexpr int kWindowWidth = 800;
    static constexpr int kWindowHeight = 600;

    void OpenWindow();
    static void EnterFullScreen();

    int windowId = 0; // set whenever a window was created, game mode or not
    bool inGameMode = false;
    bool fullScreen = false; // a window filling the screen
    int windowX = 100;       // where the window goes back to from full screen
    int windowY = 100;
};
