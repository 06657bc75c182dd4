#pragma once

#include <cstdint>
#include <functional>

// Frame timer: the time step between frames, a frame rate refreshed about once a second, and the
// game clock that runs only while the game says so. All times are seconds.
class CTimer {
public:
    using CounterReader = std::function<std::int64_t()>;

    CTimer(); // the monotonic clock, in nanoseconds
    // A counter of our own choosing, for deterministic runs; a frequency of 0 or less keeps 100.
    CTimer(CounterReader readCounter, std::int64_t frequency);

    // A step longer than this (the first frame's, or a stall too long to replay) counts as 0.5 s.
    static constexpr double kLongestStep = 100.0; // seconds
    double Tick(); // once per frame: the step since the last call; the first one is normally 0.5
    // Tick without the game clock: the step is measured and counted in the frame rate, and the
    // caller moves the clock on by the step its rules really took (RunClock).
    double Measure();
    // A frame of a known step instead of a measured one (a recorded run played back), counted
    // in the frame rate as Measure counts one.
    void CountFrame(double step);
    void RunClock(double step); // the game clock moves on by step while it runs
    void StartClock() { clockRunning = true; }
    void StopClock() { clockRunning = false; }
    void ResetClock(); // stopped at 0, for a course flown again
    // After a pause: a fresh reading, so the paused span never reaches Tick as one long step.
    void Resume() { lastCount = readCounter(); }
    double GetGameClock() const { return gameClock; }
    int GetFrameRate() const { return frameRate; } // frames per second

    static std::int64_t ReadMonotonicCounter();

private:
    CounterReader readCounter;
    std::int64_t lastCount = 0;
    std::int64_t frequency = 100;
    double rateTime = 0.0;
    int rateFrames = 0;
    int frameRate = 10;
    bool clockRunning = false;
    double gameClock = 0.0;
};
