#include "app/Screen.h"

#include <GL/glut.h>

void CScreen::Start(int displayMode) {
    int argumentCount = 0;
    glutInit(&argumentCount, nullptr);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    Open(displayMode);
    SetFixedGlState();
}

void CScreen::Open(int displayMode) {
    if (displayMode == 1) {
        OpenWindow();
        return;
    }
    glutGameModeString("800x600:24@60");
    glutEnterGameMode();
    inGameMode = glutGameModeGet(GLUT_GAME_MODE_ACTIVE) != 0;
    if (!inGameMode) {
        // The screen mode could not be changed (common on desktops and virtual displays):
        // a full-screen window keeps the game playable instead of running without one.
        OpenWindow();
        EnterFullScreen();
        fullScreen = true;
    }
}

void CScreen::OpenWindow() {
    glutInitWindowSize(kWindowWidth, kWindowHeight);
    glutInitWindowPosition(windowX, windowY);
    windowId = glutCreateWindow("Zelkora");
}

void CScreen::Close() {
    if (inGameMode) {
        glutLeaveGameMode();
    } else if (windowId != 0) {
        glutDestroyWindow(windowId);
    }
}

void CScreen::SetFixedGlState() {
    glEnable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    const GLfloat white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    glMaterialfv(GL_FRONT, GL_AMBIENT, white);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, white);
    glShadeModel(GL_SMOOTH);
}

CScreen::SRectangle CScreen::FitPicture(int windowWidth, int windowHeight) {
    SRectangle fitted;
    // In 64 bits: a window side times 4 must not overflow, however absurd the size.
    if (static_cast<long long>(windowWidth) * 3 > static_cast<long long>(windowHeight) * 4) {
        fitted.height = windowHeight; // wider than 4:3: bars left and right
        fitted.width = static_cast<int>(static_cast<long long>(windowHeight) * 4 / 3);
    } else {
        fitted.width = windowWidth; // taller: bars above and below
        fitted.height = static_cast<int>(static_cast<long long>(windowWidth) * 3 / 4);
    }
    fitted.x = (windowWidth - fitted.width) / 2;
    fitted.y = (windowHeight - fitted.height) / 2;
    return fitted;
}

void CScreen::Reshape(int windowWidth, int windowHeight) {
    const SRectangle picture = FitPicture(windowWidth, windowHeight);
    glViewport(picture.x, picture.y, picture.width, picture.height);
}

void CScreen::ToggleFullScreen() {
    if (inGameMode) {
        return;
    }
    if (fullScreen) {
        glutPositionWindow(windowX, windowY); // leaves full screen first
        glutReshapeWindow(kWindowWidth, kWindowHeight);
    } else {
        windowX = glutGet(GLUT_WINDOW_X);
        windowY = glutGet(GLUT_WINDOW_Y);
        EnterFullScreen();
    }
    fullScreen = !fullScreen;
}

void CScreen::EnterFullScreen() {
    // Without a window manager freeglut moves the window by minus its position as it fills the
    // screen, leaving a strip off screen; from the corner nothing is lost. A window manager
    // places a full-screen window itself.
    glutPositionWindow(0, 0);
    glutFullScreen();
}
