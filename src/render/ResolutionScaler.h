#pragma once

#include <array>

// Decides how much of each side of the picture the 3-D scene is drawn at, from the time the
// recent frames took. A frame is taken as a part that does not scale with the picture (the
// game, the driver's work per triangle, the HUD, the swap) plus a fill part that shrinks with
// the picture's area, plus the cost of scaling itself below 100 %. The unscaled part is learnt
// from the calmer frames at full resolution.
//
// When the frames overrun the 60 Hz budget it steps straight down to the largest scale that is
// expected to fit (100, 85, 70, 50 % of each side), and checks that a step from full resolution
// paid; when they fit again with room to spare it climbs back one step at a time. Times come
// from outside: the scaler reads no clock.
class CResolutionScaler {
public:
    static constexpr std::array<int, 4> kSteps = {100, 85, 70, 50}; // percent of each side
    // The median of this many frames decides a step down: one slow frame is not a trend, two
    // are, since a busy stretch builds up within a few frames.
    static constexpr int kReactFrames = 3;
    // The mean of this many frames at a scale decides a climb; no climb before as many, unless
    // the step above is expected to be faster than this one.
    static constexpr int kClimbFrames = 10;
    // Down when the median overruns this: a little under the 16.7 ms of a 60 Hz frame, so that
    // a busy stretch is caught as it starts.
    static constexpr double kDownMs = 16.0;
    // The step down goes to the largest scale expected to take at most this long.
    static constexpr double kTargetMs = 13.5;
    // Up when the step above is expected to take less than this: below kDownMs by enough that
    // the climb is not undone by the next frames.
    static constexpr double kUpMs = 13.0;
    // Copying the scene and drawing it back over the window, as measured with Mesa's llvmpipe
    // on two cores at 800 x 600.
    static constexpr double kScalingCostMs = 2.0;
    // After a step down the median must fall under this share of the slowest frame that brought
    // it about. If it does not, the frames are not bound by their pixels: the scale goes back,
    // and the time that did not shrink counts as unscaled, so that only a heavier overrun is
    // tried again (calm frames bring the estimate down at once).
    static constexpr double kWorthwhileShare = 0.95;

    void AddFrame(double milliseconds);  // the time the last frame took
    int GetScalePercent() const;         // 100 unless automatic
    int GetStep() const { return step; } // index into kSteps

    void SetAutomatic(bool on); // off: always full resolution
    bool IsAutomatic() const { return automatic; }

    // The learnt time that does not scale with the picture; negative before any is known.
    double GetUnscaledMs() const { return unscaledMs; }

private:
    double RecentMedian() const;
    double RecentMean() const;
    double RecentSlowest() const;
    double Area(int atStep) const;
    double FillMs(double frameMs) const; // the part of a frame at this step that scales
    double ExpectedMs(double frameMs, int atStep) const;
    void LearnUnscaled();
    void CheckStepDownPaid();
    void StepDown();
    void Climb();
    void Change(int newStep);

    std::array<double, kClimbFrames> times{};
    int next = 0;         // where the next time goes
    int framesAtStep = 0; // frames since the last change, counted up to kClimbFrames
    int step = 0;
    bool automatic = true;
    double unscaledMs = -1.0;
    double medianBeforeStepDown = 0.0; // until the step down is checked
    double slowestBeforeStepDown = 0.0;
};
