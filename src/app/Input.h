#pragma once

#include "settings/KeyBindings.h"

// The held-key table: six flags, 1 while their command is held. The key handler holds them by
// command, whatever keys.txt binds. Held by key code, the default keys count by the low 8 bits of
// their code, so GLUT's arrow keys (100 to 103) and the letters d, e, f, g share flags. Game pads
// are a second source of the same six: a flag reads 1 while the keyboard or a pad holds it.
class CInput {
public:
    using ECommand = CKeyBindings::ECommand;

    struct SPadCommands {
        bool up = false;
        bool down = false;
        bool left = false;
        bool right = false;
        bool fire = false;
        bool accelerate = false;
    };

    void KeyDown(int key, int x, int y); // a default key's code; x, y: pointer position, unused
    void KeyUp(int key, int x, int y);
    bool Hold(ECommand command); // false, and nothing held, for a command that is not held
    void Release(ECommand command);
    void Clear(); // all flags 0, the pads' too: the controls go dead past the end of the course
    // What all pads hold together, replaced once a frame before the game's frame.
    void SetPadCommands(const SPadCommands& held) { pad = held; }

    int GetUp() const { return up | pad.up; }
    int GetDown() const { return down | pad.down; }
    int GetLeft() const { return left | pad.left; }
    int GetRight() const { return right | pad.right; }
    int GetFire() const { return fire | pad.fire; }
    int GetAccelerate() const { return accelerate | pad.accelerate; }

private:
    int* FlagOf(ECommand command); // null for commands that are not held
    int* FlagFor(int key);         // null for keys that hold nothing by default

    int up = 0;
    int down = 0;
    int left = 0;
    int right = 0;
    int fire = 0;
    int accelerate = 0;
    SPadCommands pad;
};
