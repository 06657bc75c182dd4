#pragma once

// The held-key table: six flags, 1 while their key is held. Keys are looked up by the low 8 bits
// of their code, so GLUT's arrow keys (100 to 103) and the letters d, e, f, g share flags. Game
// pads are a second source of the same six: a flag reads 1 while the keyboard or a pad holds it.
class CInput {
public:
    struct SPadCommands {
        bool up = false;
        bool down = false;
        bool left = false;
        bool right = false;
        bool fire = false;
        bool accelerate = false;
    };

    void KeyDown(int key, int x, int y); // x, y: pointer position, unused
    void KeyUp(int key, int x, int y);
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
    int* FlagFor(int key); // null for keys outside the table

    int up = 0;
    int down = 0;
    int left = 0;
    int right = 0;
    int fire = 0;
    int accelerate = 0;
    SPadCommands pad;
};
