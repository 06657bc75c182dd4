#pragma once

#include "Process.h"

#include <string>

// One run of the real zelkora binary for end-to-end tests: a scratch directory with the given
// zelkora.ini and data files, the game started there on the current X display, keys sent with
// xdotool, and its output, exit code and window picture collected. Every wait has a time limit,
// and a game still running when the run is destroyed is killed.
class CGameRun {
public:
    struct SGeometry {
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
    };

    CGameRun();
    ~CGameRun(); // kills the game if needed and removes the scratch directory

    const std::string& GetDirectory() const { return directory; }
    void WriteFile(const std::string& relativePath, const std::string& contents);

    bool Start();                        // false if the binary could not be started
    bool WaitForWindow(double seconds);  // until the "Zelkora" window of this run exists
    SGeometry GetWindowGeometry() const; // absolute position and size
    std::string GetWindowName() const;
    static SGeometry GetScreenGeometry(); // the root window

    // keysym as xdotool knows it: "q", "Escape", "space", "Left", "F2"...
    bool KeyDown(const std::string& keysym);
    bool KeyUp(const std::string& keysym);
    bool PressKey(const std::string& keysym);          // down, short hold, up
    bool Screenshot(const std::string& pngPath) const; // the window as the screen shows it

    int WaitForExit(double seconds); // exit code; -1 if it had to be killed
    std::string ReadStdout() const;
    std::string ReadStderr() const;

private:
    bool Focus();

    std::string directory;
    CChildProcess game;
    std::string windowId;
};

// True when an X display is available for GL and end-to-end tests.
bool HasDisplay();
