#include "app/KeyHandler.h"

#include "app/Input.h"
#include "app/RenderSettings.h"
#include "game/Game.h"

#include <GL/glut.h>

namespace {
constexpr int kEscape = 27;
} // namespace

CKeyHandler::CKeyHandler(CGame* game, CInput* input, CRenderSettings* settings)
    : game(game), input(input), settings(settings) {}

CKeyHandler::EAction CKeyHandler::KeyDown(int key, int x, int y) {
    const int code = key & 0xFF;
    if (code == kEscape || code == 'q') {
        return EAction::Quit;
    }
    if (game != nullptr) {
        SendCommand(code);
    }
    input->KeyDown(key, x, y);
    return EAction::CarryOn;
}

void CKeyHandler::SendCommand(int code) {
    // A replay flies its run as it was recorded: the player's commands do not reach it.
    const bool playing = !game->IsPaused() && !game->IsReplaying();
    switch (code) {
    case 'k':
        if (playing) {
            game->SelfDestruct();
        }
        break;
    case 'p':
        if (playing) {
            ShowMessage(game->IsPMode() ? "P... OFF" : "P... MODE", 0);
            game->TogglePMode();
        }
        break;
    case 'r':
        if (!game->IsReplaying()) {
            game->Restart();
        }
        break;
    case 'n':
        if (!game->IsReplaying()) {
            game->NewWorld();
        }
        break;
    case '\t': // shown while paused too: it only reads
        game->ToggleRecordsTable();
        break;
    case 'G': // plain g steers down
        game->ToggleGhost();
        break;
    case 'm':
        game->ToggleSound();
        ShowMessage(game->IsSoundOn() ? "SOUND ON" : "SOUND OFF", 0);
        break;
    default:
        break;
    }
}

CKeyHandler::EAction CKeyHandler::SpecialKeyDown(int key, int x, int y) {
    EAction action = EAction::CarryOn;
    switch (key) {
    case GLUT_KEY_F1:
        ShowMessage("SORRY. NO HLP", 1);
        break;
    case GLUT_KEY_F2:
        Toggle(&CRenderSettings::GetHideFps, &CRenderSettings::SetHideFps, "FPS OFF", "FPS ON");
        break;
    case GLUT_KEY_F3:
        Toggle(&CRenderSettings::GetSolidFill, &CRenderSettings::SetSolidFill, "WIRE OFF",
               "WIRE ON");
        break;
    case GLUT_KEY_F4:
        if (game != nullptr) {
            game->TogglePause();
        }
        break;
    case GLUT_KEY_F5:
        Toggle(&CRenderSettings::GetNoMipmaps, &CRenderSettings::SetNoMipmaps, "MIPMAP OFF",
               "MIPMAP ON");
        if (game != nullptr) {
            game->LoadTextures();
        }
        break;
    case GLUT_KEY_F6:
        Toggle(&CRenderSettings::GetNoVertexArrays, &CRenderSettings::SetNoVertexArrays,
               "V ARRAY OFF", "V ARRAY ON");
        break;
    case GLUT_KEY_F7:
        if (game != nullptr) {
            game->ToggleAutomaticResolution();
        }
        break;
    case GLUT_KEY_F8:
        Toggle(&CRenderSettings::GetNoFrustumCulling, &CRenderSettings::SetNoFrustumCulling,
               "VF CULLING OFF", "VF CULLING ON");
        break;
    case GLUT_KEY_F9:
        Toggle(&CRenderSettings::GetNoAlpha, &CRenderSettings::SetNoAlpha, "ALPHA OFF", "ALPHA ON");
        break;
    case GLUT_KEY_F10:
        if (game != nullptr) {
            game->RequestScreenshot();
        }
        break;
    case GLUT_KEY_F11:
        action = EAction::ToggleFullScreen;
        break;
    case GLUT_KEY_F12:
        settings->SetHidePathLine(!settings->GetHidePathLine()); // no message
        break;
    default:
        break;
    }
    // Function keys fall through to the table harmlessly; arrow keys steer from there.
    input->KeyDown(key, x, y);
    return action;
}

void CKeyHandler::KeyUp(int key, int x, int y) {
    input->KeyUp(key, x, y);
}

void CKeyHandler::Toggle(int (CRenderSettings::*get)() const, void (CRenderSettings::*set)(int),
                         const char* messageWhenOne, const char* messageWhenZero) {
    const int value = (settings->*get)() ? 0 : 1;
    (settings->*set)(value);
    ShowMessage(value ? messageWhenOne : messageWhenZero, 0);
}

void CKeyHandler::ShowMessage(const char* text, int style) {
    if (game != nullptr) {
        game->ShowMessage(text, style, CGame::kMessageSeconds);
    }
}
