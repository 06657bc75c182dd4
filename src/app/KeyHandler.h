#pragma once

class CGame;
class CInput;
class CRenderSettings;

// What the keyboard callbacks do with a key: quit, send a command to the game, flip a display
// toggle with its message, and feed the held-key table. It holds no state of its own, so the
// callbacks make one per event. The game may be null (no commands, no messages). While the game
// is paused, self-destruct and P mode are ignored; while it plays a replay, restart is too.
// The display toggles always work.
class CKeyHandler {
public:
    enum class EAction { CarryOn, Quit, ToggleFullScreen };

    CKeyHandler(CGame* game, CInput* input, CRenderSettings* settings);

    EAction KeyDown(int key, int x, int y);        // ASCII keys; Quit for ESC and q
    EAction SpecialKeyDown(int key, int x, int y); // ToggleFullScreen for F11
    void KeyUp(int key, int x, int y);             // both kinds of key

private:
    void Toggle(int (CRenderSettings::*get)() const, void (CRenderSettings::*set)(int),
                const char* messageWhenOne, const char* messageWhenZero);
    void ShowMessage(const char* text, int style);
    void SendCommand(int code); // k, p, r, m and G

    CGame* game;
    CInput* input;
    CRenderSettings* settings;
};
