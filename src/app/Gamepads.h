#pragma once

#include "app/Input.h"

#include <string>
#include <vector>

class CGame;
class CGameMenu;
struct _SDL_GameController;

// Game pads through SDL's game-controller layer, which gives every common pad one layout: a
// second source of the keyboard's commands, never a second path into the game. Pads plugged in
// before the start or at any time are opened, pulled ones closed, and what they hold together
// reaches the held-key table once a frame:
//   left stick, d-pad            steer
//   right trigger (past half), B accelerate
//   A, right shoulder            fire
//   Start                        the menu (without one: pause)
// Back does nothing (no quitting by accident); self-destruct stays on the keyboard. While the
// menu is open the pads steer it instead: d-pad and left stick move, A chooses, B goes back,
// Start closes it.
class CGamepads {
public:
    // Axis values, of SDL's -32768 to 32767 (triggers 0 to 32767). A held direction lets go
    // only well inside the dead zone, so a stick resting near its edge never twitches.
    static constexpr int kStickPress = 8192;   // a quarter of the range
    static constexpr int kStickRelease = 6554; // a fifth
    static constexpr int kTriggerPress = 16384;
    static constexpr int kTriggerRelease = 13107;

    CGamepads() = default;
    ~CGamepads() { Stop(); }
    CGamepads(const CGamepads&) = delete;
    CGamepads& operator=(const CGamepads&) = delete;

    // Starts SDL's game-controller layer, adding the community-format mappings of mappingFile
    // when it exists (a file SDL refuses gives one line). False, silently, where SDL cannot
    // start it: the keyboard works as before.
    bool Start(const std::string& mappingFile);
    void Stop(); // closes every pad; harmless when not started
    void SetMenu(CGameMenu* opened) { menu = opened; } // kept, not owned; null: Start pauses

    // Once a frame, before the game's: opens and closes pads as they come and go (with the
    // messages "PAD: <NAME>" and "PAD GONE"), pauses on Start, and hands what the pads hold to
    // the input. The game may be null: no messages, no pause.
    void Update(CInput& input, CGame* game);
    int GetCount() const { return static_cast<int>(pads.size()); }

private:
    // The analogue controls past their press point, remembered for the hysteresis.
    struct SLatched {
        bool left = false;
        bool right = false;
        bool up = false;
        bool down = false;
        bool trigger = false;
    };
    struct SPad {
        _SDL_GameController* controller;
        int instance; // SDL's joystick instance id
        SLatched latched;
        CInput::SPadCommands held;
    };

    void HandleEvents(CGame* game);
    void PressButton(int button, CGame* game);
    void MoveInMenu(); // the left stick's new pushes, as the d-pad's
    void Open(int deviceIndex, CGame* game);
    void Close(int instance, CGame* game);
    static void ReadHeld(SPad& pad); // from the pad's present state, with hysteresis

    std::vector<SPad> pads;
    bool started = false;
    CGameMenu* menu = nullptr;
};
