#include "app/KeyHandler.h"

#include "app/Input.h"
#include "app/RenderSettings.h"

#include <GL/glut.h>

namespace {
constexpr int kEscape = 27;
} // namespace

CKeyHandler::CKeyHandler(CInput* input, CRenderSettings* settings)
    : input(input), settings(settings) {}

CKeyHandler::EAction CKeyHandler::KeyDown(int key, int x, int y) {
    const int code = key & 0xFF;
    if (code == kEscape || code == 'q') {
        return EAction::Quit;
    }
    input->KeyDown(key, x, y);
    return EAction::CarryOn;
}

void CKeyHandler::SpecialKeyDown(int key, int x, int y) {
    switch (key) {
    case GLUT_KEY_F2:
        settings->SetHideFps(!settings->GetHideFps());
        break;
    case GLUT_KEY_F3:
        settings->SetSolidFill(!settings->GetSolidFill());
        break;
    case GLUT_KEY_F5:
        settings->SetNoMipmaps(!settings->GetNoMipmaps());
        break;
    case GLUT_KEY_F6:
        settings->SetNoVertexArrays(!settings->GetNoVertexArrays());
        break;
    case GLUT_KEY_F8:
        settings->SetNoFrustumCulling(!settings->GetNoFrustumCulling());
        break;
    case GLUT_KEY_F9:
        settings->SetNoAlpha(!settings->GetNoAlpha());
        break;
    case GLUT_KEY_F12:
        settings->SetHidePathLine(!settings->GetHidePathLine());
        break;
    default:
        break;
    }
    // Function keys fall through to the table harmlessly; arrow keys steer from there.
    input->KeyDown(key, x, y);
}

void CKeyHandler::KeyUp(int key, int x, int y) {
    input->KeyUp(key, x, y);
}
