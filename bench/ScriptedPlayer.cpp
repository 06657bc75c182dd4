#include "ScriptedPlayer.h"

#include "app/KeyHandler.h"

#include <GL/glut.h>

namespace {

constexpr int kRound = 3600; // frames: one minute at 60 frames a second

// When in the round each display key goes down; it goes down again a second later.
struct SDisplayKey {
    int key;
    int frame;
};
constexpr SDisplayKey kDisplayKeys[] = {{GLUT_KEY_F6, 900},   {GLUT_KEY_F9, 1020},
                                        {GLUT_KEY_F3, 1140},  {GLUT_KEY_F2, 1260},
                                        {GLUT_KEY_F12, 1380}, {GLUT_KEY_F5, 1500}};

bool Within(int frame, int period, int from, int to) {
    const int phase = frame % period;
    return phase >= from && phase < to;
}

} // namespace

void CScriptedPlayer::Hold(int key, bool special, bool held) {
    bool& isDown = down[special ? 1 : 0][key & 0xFF];
    if (held == isDown) {
        return;
    }
    isDown = held;
    if (!held) {
        special ? keys.SpecialKeyUp(key, 0, 0) : keys.KeyUp(key, 0, 0);
    } else if (special) {
        keys.SpecialKeyDown(key, 0, 0);
    } else {
        keys.KeyDown(key, 0, 0);
    }
}

void CScriptedPlayer::BeforeFrame(int frame) {
    Hold(' ', false, !Within(frame, 1200, 1000, 1100)); // full speed but for a short coast
    Hold('y', false, Within(frame, 120, 0, 40));        // bursts of fire
    Hold(GLUT_KEY_LEFT, true, Within(frame, 240, 60, 90));
    Hold(GLUT_KEY_RIGHT, true, Within(frame, 240, 180, 210));
    Hold(GLUT_KEY_DOWN, true, Within(frame, 600, 300, 330));
    Hold(GLUT_KEY_UP, true, Within(frame, 600, 400, 430));

    const int phase = frame % kRound;
    if (phase == 2400) {
        Hold('k', false, true); // self-destruct: coast, explode, come back 5 seconds later
    } else {
        Hold('k', false, false);
    }
    // Each display key is pressed twice, so the round ends as it began.
    for (const SDisplayKey& display : kDisplayKeys) {
        Hold(display.key, true, phase == display.frame || phase == display.frame + 60);
    }
}
