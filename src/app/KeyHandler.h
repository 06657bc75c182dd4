#pragma once

class CInput;
class CRenderSettings;

// What the keyboard callbacks do with a key: quit, flip a display toggle, or feed the held-key
// table. It holds no state of its own, so the callbacks make one per event.
class CKeyHandler {
public:
    enum class EAction { CarryOn, Quit };

    CKeyHandler(CInput* input, CRenderSettings* settings);

    EAction KeyDown(int key, int x, int y); // ASCII keys; Quit for ESC and q
    void SpecialKeyDown(int key, int x, int y);
    void KeyUp(int key, int x, int y); // both kinds of key

private:
    CInput* input;
    CRenderSettings* settings;
};
