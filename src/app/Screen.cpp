#include "app/Screen.h"

#include <GL/glut.h>

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
        glutFullScreen();
    }
}

void CScreen::OpenWindow() {
    glutInitWindowSize(800, 600);
    glutInitWindowPosition(100, 100);
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
