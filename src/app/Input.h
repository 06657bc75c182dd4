#pragma once

// The held-key table: six flags, 1 while their key is held. Keys are looked up by the low 8 bits
// of their code, so GLUT's arrow keys (100 to 103) and the letters d, e, f, g share flags.
class CInput {
public:
    void KeyDown(int key, int x, int y); // x, y: pointer position, unused
    void KeyUp(int key, int x, int y);
    void Clear(); // all flags 0: the controls go dead past the end of the course

    int GetUp() const { return up; }
    int GetDown() const { return down; }
    int GetLeft() const { return left; }
    int GetRight() const { return right; }
    int GetFire() const { return fire; }
    int GetAccelerate() const { return accelerate; }

private:
    int* FlagFor(int key); // null for keys outside the table

    int up = 0;
    int down = 0;
    int left = 0;
    int right = 0;
    int fire = 0;
    int accelerate = 0;
};
