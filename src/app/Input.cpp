#include "app/Input.h"

namespace {
constexpr int kKeyLeft = 100;  // GLUT_KEY_LEFT, and the letter d
constexpr int kKeyUp = 101;    // GLUT_KEY_UP, and e
constexpr int kKeyRight = 102; // GLUT_KEY_RIGHT, and f
constexpr int kKeyDown = 103;  // GLUT_KEY_DOWN, and g
} // namespace

int* CInput::FlagFor(int key) {
    switch (key & 0xFF) {
    case kKeyUp:
        return &up;
    case kKeyDown:
        return &down;
    case kKeyLeft:
        return &left;
    case kKeyRight:
        return &right;
    case 'y':
    case 'z':
        return &fire;
    case ' ':
        return &accelerate;
    default:
        return nullptr;
    }
}

void CInput::KeyDown(int key, int, int) {
    if (int* flag = FlagFor(key)) {
        *flag = 1;
    }
}

void CInput::KeyUp(int key, int, int) {
    if (int* flag = FlagFor(key)) {
        *flag = 0;
    }
}

void CInput::Clear() {
    up = down = left = right = fire = accelerate = 0;
    pad = SPadCommands();
}
