#pragma once

class CInput;
class CRenderSettings;
class CTimer;

// The game object: owns everything in play, builds the world once and runs one frame per idle
// call. So far it keeps the frame going (time step, clear, swap) with an empty world.
class CGame {
public:
    CGame(CRenderSettings* settings, CInput* input, CTimer* timer); // pointers not owned

    void SetDifficulty(int value) { difficulty = value; }
    void SetTunnelLength(int nodes) { tunnelLength = nodes; }
    int GetDifficulty() const { return difficulty; }
    int GetTunnelLength() const { return tunnelLength; }

    void Setup(); // once, after the window exists
    void Frame(); // one idle call: step, move, draw, swap
    void Draw();

private:
    CRenderSettings* settings;
    CInput* input;
    CTimer* timer;
    int difficulty = 1;
    int tunnelLength = 120;
};
