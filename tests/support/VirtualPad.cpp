#include "VirtualPad.h"

CVirtualPad::CVirtualPad(const char* name) {
    SDL_VirtualJoystickDesc description;
    SDL_zero(description);
    description.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    description.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    description.naxes = SDL_CONTROLLER_AXIS_MAX;
    description.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    description.name = name;
    const int deviceIndex = SDL_JoystickAttachVirtualEx(&description);
    if (deviceIndex >= 0) {
        joystick = SDL_JoystickOpen(deviceIndex);
    }
    Set(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 0);
    Set(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0);
}

CVirtualPad::~CVirtualPad() {
    Unplug();
}

void CVirtualPad::Set(SDL_GameControllerAxis axis, int value) {
    // A trigger's joystick axis spans the whole range; the layer maps it onto 0 to 32767.
    const bool trigger =
        axis == SDL_CONTROLLER_AXIS_TRIGGERLEFT || axis == SDL_CONTROLLER_AXIS_TRIGGERRIGHT;
    const int raw = trigger ? value * 2 - 32768 : value;
    SDL_JoystickSetVirtualAxis(joystick, axis, static_cast<Sint16>(raw));
}

void CVirtualPad::Set(SDL_GameControllerButton button, bool down) {
    SDL_JoystickSetVirtualButton(joystick, button, down ? 1 : 0);
}

void CVirtualPad::Unplug() {
    if (joystick == nullptr) {
        return;
    }
    const SDL_JoystickID instance = SDL_JoystickInstanceID(joystick);
    SDL_JoystickClose(joystick);
    joystick = nullptr;
    // The device index moves when other pads go; the instance finds it again.
    for (int index = 0; index < SDL_NumJoysticks(); ++index) {
        if (SDL_JoystickGetDeviceInstanceID(index) == instance) {
            SDL_JoystickDetachVirtual(index);
            return;
        }
    }
}
