#pragma once

// The game's one window: an 800 x 600 window titled "Zelkora", or full-screen game mode, and the
// OpenGL state that stays fixed for the whole run. GLUT must be initialised first.
class CScreen {
public:
    // Display mode 1: a window at (100, 100). Anything else: game mode "800x600:24@60", or, where
    // the screen mode cannot be changed, the window made full screen.
    void Open(int displayMode);
    void Close(); // leaves game mode or destroys the window

    // Back-face culling, depth test, texturing, white front material, smooth shading.
    static void SetFixedGlState();

private:
    void OpenWindow();

    int windowId = 0; // set whenever a window was created, game mode or not
    bool inGameMode = false;
};
