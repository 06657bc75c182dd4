#pragma once

#include "settings/KeyBindings.h"

class CGame;
class CInput;
class CRenderSettings;

// What the keyboard callbacks do with a key: quit, send a command to the game, flip a display
// toggle with its message, and feed the held-key table. Which command a key sends is the
// bindings' say (the default keys unless keys.txt changes them); ESC and q always quit. It holds
// no state of its own, so the callbacks make one per event. The menu command only asks for the
// menu: the entry point owns it. The game may be null (no commands,
// no messages). While the game is paused, self-destruct and P mode are ignored; while it plays
// a replay, restart and a new world are too. The display toggles always work.
class CKeyHandler {
public:
    using ECommand = CKeyBindings::ECommand;
    enum class EAction { CarryOn, Quit, ToggleFullScreen, OpenMenu };

    CKeyHandler(CGame* game, CInput* input, CRenderSettings* settings,
                const CKeyBindings& bindings = CKeyBindings::Defaults());

    // x, y: the pointer's position, unused.
    EAction KeyDown(int key, int x, int y);        // ASCII keys; Quit for ESC and q
    EAction SpecialKeyDown(int key, int x, int y); // function and cursor keys
    void KeyUp(int key, int x, int y);             // ASCII keys
    void SpecialKeyUp(int key, int x, int y);

private:
    EAction Run(ECommand command);
    void SendToGame(ECommand command);
    void FlipDisplayToggle(ECommand command);
    void Toggle(int (CRenderSettings::*get)() const, void (CRenderSettings::*set)(int),
                const char* messageWhenOne, const char* messageWhenZero);
    void ShowMessage(const char* text, int style);

    CGame* game;
    CInput* input;
    CRenderSettings* settings;
    const CKeyBindings* bindings;
};
