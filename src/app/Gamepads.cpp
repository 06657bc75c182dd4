#include "app/Gamepads.h"

#include "game/Game.h"
#include "menu/GameMenu.h"

#include <SDL.h>
#include <cctype>
#include <cstdio>
#include <sys/stat.h>

namespace {

// Press past press; once held, let go only at or below release.
bool Held(int value, bool wasHeld, int press, int release) {
    return wasHeld ? value > release : value > press;
}

bool Button(SDL_GameController* controller, SDL_GameControllerButton button) {
    return SDL_GameControllerGetButton(controller, button) != 0;
}

int Axis(SDL_GameController* controller, SDL_GameControllerAxis axis) {
    return SDL_GameControllerGetAxis(controller, axis);
}

void Show(CGame* game, const std::string& text) {
    if (game != nullptr) {
        game->ShowMessage(text.c_str(), 0, CGame::kMessageSeconds);
    }
}

} // namespace

bool CGamepads::Start(const std::string& mappingFile) {
    if (started) {
        return true;
    }
    // GLUT owns the window, the keyboard and the signals; without an SDL window there is no
    // focus, so pads must be heard regardless of it.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        return false;
    }
    started = true;
    struct stat status {};
    if (stat(mappingFile.c_str(), &status) == 0 &&
        SDL_GameControllerAddMappingsFromFile(mappingFile.c_str()) < 0) {
        std::printf("pads: %s: %s\n", mappingFile.c_str(), SDL_GetError());
        std::fflush(stdout);
    }
    return true;
}

void CGamepads::Stop() {
    if (!started) {
        return;
    }
    for (const SPad& pad : pads) {
        SDL_GameControllerClose(pad.controller);
    }
    pads.clear();
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    started = false;
}

void CGamepads::Update(CInput& input, CGame* game) {
    if (!started) {
        return;
    }
    HandleEvents(game);
    if (menu != nullptr && menu->IsOpen()) {
        MoveInMenu();
        input.SetPadCommands(CInput::SPadCommands());
        return;
    }
    CInput::SPadCommands together;
    for (SPad& pad : pads) {
        ReadHeld(pad);
        together.up = together.up || pad.held.up;
        together.down = together.down || pad.held.down;
        together.left = together.left || pad.held.left;
        together.right = together.right || pad.held.right;
        together.fire = together.fire || pad.held.fire;
        together.accelerate = together.accelerate || pad.held.accelerate;
    }
    input.SetPadCommands(together);
}

void CGamepads::HandleEvents(CGame* game) {
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        switch (event.type) {
        case SDL_CONTROLLERDEVICEADDED:
            Open(event.cdevice.which, game);
            break;
        case SDL_CONTROLLERDEVICEREMOVED:
            Close(event.cdevice.which, game);
            break;
        case SDL_CONTROLLERBUTTONDOWN:
            PressButton(event.cbutton.button, game);
            break;
        default:
            break;
        }
    }
}

void CGamepads::PressButton(int button, CGame* game) {
    using EKey = CMenu::EKey;
    if (button == SDL_CONTROLLER_BUTTON_START) {
        if (menu == nullptr) {
            if (game != nullptr) {
                game->TogglePause();
            }
        } else if (menu->IsOpen()) {
            menu->Press(EKey::Close);
        } else {
            menu->Open();
        }
        return;
    }
    if (menu == nullptr || !menu->IsOpen()) {
        return;
    }
    static const std::pair<int, EKey> kMenuButtons[] = {
        {SDL_CONTROLLER_BUTTON_A, EKey::Choose},
        {SDL_CONTROLLER_BUTTON_B, EKey::Back},
        {SDL_CONTROLLER_BUTTON_DPAD_UP, EKey::Up},
        {SDL_CONTROLLER_BUTTON_DPAD_DOWN, EKey::Down},
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, EKey::Left},
        {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, EKey::Right}};
    for (const auto& [menuButton, key] : kMenuButtons) {
        if (button == menuButton) {
            menu->Press(key);
        }
    }
}

void CGamepads::MoveInMenu() {
    for (SPad& pad : pads) {
        const SLatched before = pad.latched;
        ReadHeld(pad);
        const SLatched& now = pad.latched;
        const std::pair<bool, CMenu::EKey> pushes[] = {
            {!before.up && now.up, CMenu::EKey::Up},
            {!before.down && now.down, CMenu::EKey::Down},
            {!before.left && now.left, CMenu::EKey::Left},
            {!before.right && now.right, CMenu::EKey::Right}};
        for (const auto& [pushed, key] : pushes) {
            if (pushed && menu->IsOpen()) {
                menu->Press(key);
            }
        }
    }
}

void CGamepads::Open(int deviceIndex, CGame* game) {
    const int instance = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    for (const SPad& pad : pads) {
        if (pad.instance == instance) {
            return; // SDL announces the pads present at its start once more
        }
    }
    SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
    if (controller == nullptr) {
        return;
    }
    pads.push_back({controller, instance, SLatched(), CInput::SPadCommands()});
    const char* name = SDL_GameControllerName(controller);
    std::string text = "PAD: ";
    for (const char* at = name != nullptr ? name : ""; *at != '\0'; ++at) {
        text += static_cast<char>(std::toupper(static_cast<unsigned char>(*at))); // the font's
    }
    Show(game, text);
}

void CGamepads::Close(int instance, CGame* game) {
    for (auto pad = pads.begin(); pad != pads.end(); ++pad) {
        if (pad->instance == instance) {
            SDL_GameControllerClose(pad->controller);
            pads.erase(pad); // what it held goes with it in this frame's update
            Show(game, "PAD GONE");
            return;
        }
    }
}

void CGamepads::ReadHeld(SPad& pad) {
    SDL_GameController* c = pad.controller;
    SLatched& latched = pad.latched;
    const int x = Axis(c, SDL_CONTROLLER_AXIS_LEFTX);
    const int y = Axis(c, SDL_CONTROLLER_AXIS_LEFTY); // negative is up
    latched.left = Held(-x, latched.left, kStickPress, kStickRelease);
    latched.right = Held(x, latched.right, kStickPress, kStickRelease);
    latched.up = Held(-y, latched.up, kStickPress, kStickRelease);
    latched.down = Held(y, latched.down, kStickPress, kStickRelease);
    latched.trigger = Held(Axis(c, SDL_CONTROLLER_AXIS_TRIGGERRIGHT), latched.trigger,
                           kTriggerPress, kTriggerRelease);

    CInput::SPadCommands& held = pad.held;
    held.left = latched.left || Button(c, SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    held.right = latched.right || Button(c, SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    held.up = latched.up || Button(c, SDL_CONTROLLER_BUTTON_DPAD_UP);
    held.down = latched.down || Button(c, SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    held.accelerate = latched.trigger || Button(c, SDL_CONTROLLER_BUTTON_B);
    held.fire =
        Button(c, SDL_CONTROLLER_BUTTON_A) || Button(c, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER);
}
