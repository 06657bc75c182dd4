#include "game/Game.h"

#include "app/Timer.h"

#include <GL/glut.h>

CGame::CGame(CRenderSettings* settings, CInput* input, CTimer* timer)
    : settings(settings), input(input), timer(timer) {}

void CGame::Setup() {}

void CGame::Frame() {
    timer->Tick();
    Draw();
}

void CGame::Draw() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glutSwapBuffers();
}
