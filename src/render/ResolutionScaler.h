#pragma once

#include <array>

// Decides how much of each side of the picture the 3-D scene is drawn at, from the time the
// recent frames took: when they overrun the 60 Hz budget it steps down (100, 85, 70, 50 %) as
// long as each step pays, and when they fit again with room to spare it climbs back a step at
// a time. After every change it waits for a whole window of frames drawn at the new scale, so
// it never switches every few frames. Times come from outside: the scaler reads no clock.
class CResolutionScaler {
public:
    static constexpr std::array<int, 4> kSteps = {100, 85, 70, 50}; // percent of each side
    static constexpr int kWindow = 15;                              // frames averaged
    static constexpr double kBudgetMs = 1000.0 / 60.0;
    // Down when the window's mean overruns this; it stays a little under the budget so that
    // a busy stretch is caught before a whole window of frames has missed it.
    static constexpr double kDownMs = 15.0;
    // Up when the mean, grown with the larger picture's side, would still stay under this:
    // far enough below kDownMs that the step up is not undone by the next window.
    static constexpr double kUpMs = 13.0;
    // A step down must bring the window's mean under this share of what it was; if it does
    // not, the scale goes back up and stays for kHoldFrames frames.
    static constexpr double kWorthwhileShare = 0.85;
    static constexpr int kHoldFrames = 240;

    void AddFrame(double milliseconds);  // the time the last frame took
    int GetScalePercent() const;         // 100 unless automatic
    int GetStep() const { return step; } // index into kSteps

    void SetAutomatic(bool on); // off: always full resolution
    bool IsAutomatic() const { return automatic; }

private:
    double WindowMean() const;
    void Change(int newStep);

    std::array<double, kWindow> times{};
    int count = 0; // frames in the window since the last change, up to kWindow
    int next = 0;  // where the next time goes
    int step = 0;
    bool automatic = true;
    double meanBeforeStepDown = 0.0; // while the first window after a step down fills
    int framesBeforeNextStepDown = 0;
};
