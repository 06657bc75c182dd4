#include "app/KeyHandler.h"

#include "app/Input.h"
#include "app/RenderSettings.h"
#include "game/Game.h"

CKeyHandler::CKeyHandler(CGame* game, CInput* input, CRenderSettings* settings,
                         const CKeyBindings& bindings)
    : game(game), input(input), settings(settings), bindings(&bindings) {}

CKeyHandler::EAction CKeyHandler::KeyDown(int key, int, int) {
    const int code = key & 0xFF;
    if (CKeyBindings::Quits(code)) {
        return EAction::Quit;
    }
    return Run(bindings->ForKey(code));
}

CKeyHandler::EAction CKeyHandler::SpecialKeyDown(int key, int, int) {
    return Run(bindings->ForSpecialKey(key));
}

// The held-key table takes the command, not the key's code, so a key bound to fire sets the fire
// flag whatever its code shares with the steering keys.
void CKeyHandler::KeyUp(int key, int, int) {
    input->Release(bindings->ForKey(key & 0xFF));
}

void CKeyHandler::SpecialKeyUp(int key, int, int) {
    input->Release(bindings->ForSpecialKey(key));
}

CKeyHandler::EAction CKeyHandler::Run(ECommand command) {
    if (input->Hold(command)) { // held while paused too: it counts when the game goes on
        return EAction::CarryOn;
    }
    if (command == ECommand::FullScreen) {
        return EAction::ToggleFullScreen;
    }
    if (command == ECommand::Menu) {
        return EAction::OpenMenu;
    }
    FlipDisplayToggle(command);
    if (game != nullptr) {
        SendToGame(command);
    }
    return EAction::CarryOn;
}

void CKeyHandler::SendToGame(ECommand command) {
    // A replay flies its run as it was recorded: the player's commands do not reach it.
    const bool playing = !game->IsPaused() && !game->IsReplaying();
    switch (command) {
    case ECommand::SelfDestruct:
        if (playing) {
            game->SelfDestruct();
        }
        break;
    case ECommand::PMode:
        if (playing) {
            ShowMessage(game->IsPMode() ? "P... OFF" : "P... MODE", 0);
            game->TogglePMode();
        }
        break;
    case ECommand::Restart:
        if (!game->IsReplaying()) {
            game->Restart();
        }
        break;
    case ECommand::NewWorld:
        if (!game->IsReplaying()) {
            game->NewWorld();
        }
        break;
    case ECommand::Records: // shown while paused too: it only reads
        game->ToggleRecordsTable();
        break;
    case ECommand::Ghost:
        game->ToggleGhost();
        break;
    case ECommand::Sound:
        game->ToggleSound();
        ShowMessage(game->IsSoundOn() ? "SOUND ON" : "SOUND OFF", 0);
        break;
    case ECommand::Pause:
        game->TogglePause();
        break;
    case ECommand::Mipmaps: // the textures take the new setting
        game->LoadTextures();
        break;
    case ECommand::Resolution:
        game->ToggleAutomaticResolution();
        break;
    case ECommand::Screenshot:
        game->RequestScreenshot();
        break;
    default:
        break;
    }
}

void CKeyHandler::FlipDisplayToggle(ECommand command) {
    switch (command) {
    case ECommand::Help:
        ShowMessage("SORRY. NO HLP", 1);
        break;
    case ECommand::FrameRate:
        Toggle(&CRenderSettings::GetHideFps, &CRenderSettings::SetHideFps, "FPS OFF", "FPS ON");
        break;
    case ECommand::Wireframe:
        Toggle(&CRenderSettings::GetSolidFill, &CRenderSettings::SetSolidFill, "WIRE OFF",
               "WIRE ON");
        break;
    case ECommand::Mipmaps:
        Toggle(&CRenderSettings::GetNoMipmaps, &CRenderSettings::SetNoMipmaps, "MIPMAP OFF",
               "MIPMAP ON");
        break;
    case ECommand::VertexArrays:
        Toggle(&CRenderSettings::GetNoVertexArrays, &CRenderSettings::SetNoVertexArrays,
               "V ARRAY OFF", "V ARRAY ON");
        break;
    case ECommand::Culling:
        Toggle(&CRenderSettings::GetNoFrustumCulling, &CRenderSettings::SetNoFrustumCulling,
               "VF CULLING OFF", "VF CULLING ON");
        break;
    case ECommand::Translucency:
        Toggle(&CRenderSettings::GetNoAlpha, &CRenderSettings::SetNoAlpha, "ALPHA OFF", "ALPHA ON");
        break;
    case ECommand::PathLine:
        settings->SetHidePathLine(!settings->GetHidePathLine()); // no message
        break;
    default:
        break;
    }
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
