#include "app/Input.h"

int* CInput::FlagOf(ECommand command) {
    switch (command) {
    case ECommand::Up:
        return &up;
    case ECommand::Down:
        return &down;
    case ECommand::Left:
        return &left;
    case ECommand::Right:
        return &right;
    case ECommand::Fire:
        return &fire;
    case ECommand::Accelerate:
        return &accelerate;
    default:
        return nullptr;
    }
}

// An ASCII key and the special key that share the low 8 bits are one key here, the ASCII one
// first; among the default keys only d e f g and the arrows share them, and they steer alike.
int* CInput::FlagFor(int key) {
    const int code = key & 0xFF;
    const CKeyBindings& defaults = CKeyBindings::Defaults();
    int* const flag = FlagOf(defaults.ForKey(code));
    return flag != nullptr ? flag : FlagOf(defaults.ForSpecialKey(code));
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

bool CInput::Hold(ECommand command) {
    int* const flag = FlagOf(command);
    if (flag != nullptr) {
        *flag = 1;
    }
    return flag != nullptr;
}

void CInput::Release(ECommand command) {
    if (int* flag = FlagOf(command)) {
        *flag = 0;
    }
}

void CInput::Clear() {
    up = down = left = right = fire = accelerate = 0;
    pad = SPadCommands();
}
