#pragma once

#include "Process.h"

#include <string>
#include <vector>

// One run of the real zelkora binary for end-to-end tests: a scratch directory with the given
// zelkora.ini and data files, the game started there on the current X display, keys sent with
// xdotool, and its output, exit code and window picture collected. Every wait has a time limit,
// and a game still running when the run is destroyed is killed.
class CGameRun {
public:
    // The short straight course without enemies: 120 rings, the finish at node 30.
    static inline const std::vector<std::string> kShortCourse = {
        "--length", "7", "--difficulty", "0", "--seed", "4"};

    struct SGeometry {
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
    };

    CGameRun();
    ~CGameRun(); // kills the game if needed and removes the scratch directory

    const std::string& GetDirectory() const { return directory; }
    // Writes a file of its own, never through a link to the build's data that stood there.
    void WriteFile(const std::string& relativePath, const std::string& contents);

    // Sets a variable for the game's environment; SDL_AUDIODRIVER starts as "dummy" so that
    // runs are silent and print the same on machines with and without a sound card, and
    // XDG_DATA_HOME as "data" and XDG_CONFIG_HOME as "config" inside the run.
    void SetEnvironment(const std::string& name, const std::string& value);
    // The game's wall clock starts at date (UTC, "2026-12-07 12:00:00") through libfaketime; the
    // frames, timed by the monotonic clock, stay real.
    void SetWallClock(const std::string& date);
    // With the given command-line arguments; false if the binary could not be started.
    bool Start(const std::vector<std::string>& arguments = {});
    // Starts another program instead of the build's binary (an installed launcher, say) in the
    // given working directory; output still goes to this run's directory.
    bool StartProgram(const std::string& program, const std::string& workingDirectory,
                      const std::vector<std::string>& arguments = {});
    // Where the game keeps best times and screenshots: XDG_DATA_HOME points into the run.
    std::string GetDataDirectory() const;
    // Until a "Zelkora" window that no other running game of this process has taken is shown;
    // it is this run's from then on. Games that run at the same time must therefore be started
    // one after another, each one's window waited for before the next one starts.
    bool WaitForWindow(double seconds);
    SGeometry GetWindowGeometry() const; // absolute position and size
    std::string GetWindowName() const;
    static SGeometry GetScreenGeometry(); // the root window

    // keysym as xdotool knows it: "q", "Escape", "space", "Left", "F2"...
    bool KeyDown(const std::string& keysym);
    bool KeyUp(const std::string& keysym);
    bool PressKey(const std::string& keysym);          // down, short hold, up
    bool Screenshot(const std::string& pngPath) const; // the window as the screen shows it
    static std::string GetScreenshotDirectory(); // build/screenshots: pictures kept for people

    // The window's picture in memory: 8-bit RGB rows from the top, empty when it failed.
    struct SImage {
        int width = 0;
        int height = 0;
        std::vector<unsigned char> rgb;
        const unsigned char* At(int x, int y) const { return &rgb[3 * (y * width + x)]; }
        // Share of pixels in the rectangle (top-left origin) whose channels all lie in range.
        double Share(int x0, int y0, int x1, int y1, int low, int high) const;
        // Mean absolute difference per channel from another picture of the same size.
        double DifferenceFrom(const SImage& other, int x0, int y0, int x1, int y1) const;
        // Pixels in the rectangle where some channel differs by more than threshold.
        int CountChanged(const SImage& other, int x0, int y0, int x1, int y1,
                         int threshold = 40) const;
    };
    SImage Capture() const;
    SImage LoadImage(const std::string& imagePath) const; // any file ImageMagick reads
    // Copies the generated texture, mesh and sounds folders of the build into the run.
    bool CopyGameData();
    // The same folders with a link to the build's file in place of each file: cheaper for the
    // many runs that only read them. Remove a link, or WriteFile over it, to change one file.
    bool LinkGameData();
    // Relative paths of the build's files in one data folder ("texture"...), sorted.
    static std::vector<std::string> ListGameData(const std::string& folder);

    int WaitForExit(double seconds);               // exit code; -1 if it had to be killed
    bool IsRunning();                              // started and not yet ended
    pid_t GetPid() const { return game.GetPid(); } // to stop and go on, as a stall would
    // Starts the game and waits, up to seconds each, for its window and its main loop, from
    // which on it reads keys; false, with what it said, when either does not come.
    bool StartPlaying(const std::vector<std::string>& arguments, double seconds,
                      std::string& whatItSaid);
    // Until the game's standard output holds text; false when it ended or time ran out first.
    // The game flushes its start-up lines, so "start MainLoop...\n" means it now reads keys.
    bool WaitForOutput(const std::string& text, double seconds);
    std::string ReadStdout() const;
    std::string ReadStderr() const;

private:
    static SImage ReadPpm(const std::string& path);
    bool Focus();
    bool Claim(const std::string& windowId); // false while another running game holds it

    std::string directory;
    CChildProcess game;
    CChildProcess::Environment environment{{"SDL_AUDIODRIVER", "dummy"}};
    std::string windowId;
};

// True when an X display is available for GL and end-to-end tests.
bool HasDisplay();
