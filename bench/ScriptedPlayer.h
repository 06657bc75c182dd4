#pragma once

class CKeyHandler;

// A player that never tires: it presses and releases keys by frame number, through the same
// key handler the GLUT callbacks use, so the same frame always gets the same keys. Over its
// 60-second round it accelerates, coasts, steers both ways, climbs and dives, fires in bursts,
// rams whatever is in the way, self-destructs once, and flips the display keys (vertex arrays,
// alpha, wireframe, frame rate, path line, and mipmaps, which reloads every texture) and back.
class CScriptedPlayer {
public:
    explicit CScriptedPlayer(CKeyHandler& keys) : keys(keys) {}

    void BeforeFrame(int frame);

private:
    void Hold(int key, bool special, bool held);

    CKeyHandler& keys;
    bool down[2][256] = {};
};
