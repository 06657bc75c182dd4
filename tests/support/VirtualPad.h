#pragma once

#include <SDL.h>

// A game pad of SDL's virtual joystick kind, which its game-controller layer opens with the
// standard layout (axes and buttons in SDL_GameControllerAxis and SDL_GameControllerButton
// order). SDL's joystick subsystem must be running. Values set before a controller has opened
// the pad produce no events, so tests set them after the first update.
class CVirtualPad {
public:
    explicit CVirtualPad(const char* name);
    ~CVirtualPad(); // unplugs it if still plugged in
    CVirtualPad(const CVirtualPad&) = delete;
    CVirtualPad& operator=(const CVirtualPad&) = delete;

    bool IsPluggedIn() const { return joystick != nullptr; }
    // As the controller layer reads it: sticks -32768 to 32767, triggers 0 to 32767 (released
    // when plugged in).
    void Set(SDL_GameControllerAxis axis, int value);
    void Set(SDL_GameControllerButton button, bool down);
    void Unplug();

private:
    SDL_Joystick* joystick = nullptr; // our own handle, for setting values
};
