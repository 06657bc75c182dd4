#include "render/ResolutionScaler.h"

#include <algorithm>

namespace {
// How fast the unscaled estimate follows slower frames at full resolution, per frame: a busy
// stretch must not pass for the new calm before the scaler has had a chance to act on it.
constexpr double kUnscaledRise = 0.005;
} // namespace

void CResolutionScaler::AddFrame(double milliseconds) {
    times[static_cast<size_t>(next)] = milliseconds;
    next = (next + 1) % kClimbFrames;
    framesAtStep = std::min(framesAtStep + 1, kClimbFrames);
    if (!automatic || framesAtStep < kReactFrames) {
        return;
    }
    LearnUnscaled();
    if (medianBeforeStepDown > 0.0) {
        CheckStepDownPaid();
        return;
    }
    StepDown();
    Climb();
}

void CResolutionScaler::LearnUnscaled() {
    const double median = RecentMedian();
    if (step > 0) {
        // A smaller picture still leaves the unscaled part and the scaling whole: a bound.
        unscaledMs = std::min(unscaledMs, std::max(0.0, median - kScalingCostMs));
    } else if (unscaledMs < 0.0 || median < unscaledMs) {
        unscaledMs = median;
    } else {
        unscaledMs += (median - unscaledMs) * kUnscaledRise;
    }
}

void CResolutionScaler::CheckStepDownPaid() {
    const double before = medianBeforeStepDown;
    medianBeforeStepDown = 0.0;
    // Against the slowest frame before the step: a busy stretch can grow by half within those
    // few frames, and the smaller picture must not be blamed for that.
    const bool paid = RecentMedian() < slowestBeforeStepDown * kWorthwhileShare;
    if (!paid) {
        // What did not shrink with the picture is learnt, so the next step down is only taken
        // for a heavier overrun; calm frames bring the estimate down again at once.
        unscaledMs = std::max(unscaledMs, before * kWorthwhileShare);
        Change(0);
    }
}

void CResolutionScaler::StepDown() {
    const int last = static_cast<int>(kSteps.size()) - 1;
    const double median = RecentMedian();
    if (median <= kDownMs || step == last) {
        return;
    }
    int chosen = step + 1;
    while (chosen < last && ExpectedMs(median, chosen) > kTargetMs) {
        ++chosen;
    }
    // Even the smallest picture would not fit: still worth it if it saves enough.
    if (ExpectedMs(median, chosen) > kTargetMs &&
        ExpectedMs(median, chosen) >= median * kWorthwhileShare) {
        return;
    }
    // Only a step from full resolution is checked: once a smaller picture has paid, the frames
    // are known to be bound by their pixels, and in a busy stretch that grows quickly even a
    // paying step can leave frames slower than before it.
    if (step == 0) {
        medianBeforeStepDown = median;
        slowestBeforeStepDown = RecentSlowest();
    }
    Change(chosen);
}

void CResolutionScaler::Climb() {
    if (step == 0) {
        return;
    }
    // Where the fill is small the copy costs more than the pixels save: the step above is
    // expected to be faster outright, and it need not wait for a whole window.
    const double median = RecentMedian();
    const double expectedFromMedian = ExpectedMs(median, step - 1);
    const bool faster = expectedFromMedian < kUpMs && expectedFromMedian < median;
    const bool roomToSpare =
        framesAtStep >= kClimbFrames && ExpectedMs(RecentMean(), step - 1) < kUpMs;
    if (faster || roomToSpare) {
        Change(step - 1);
    }
}

double CResolutionScaler::Area(int atStep) const {
    const double side = kSteps[static_cast<size_t>(atStep)] / 100.0;
    return side * side;
}

double CResolutionScaler::FillMs(double frameMs) const {
    const double unscaled = std::max(0.0, unscaledMs) + (step > 0 ? kScalingCostMs : 0.0);
    return std::max(0.0, frameMs - unscaled);
}

double CResolutionScaler::ExpectedMs(double frameMs, int atStep) const {
    return std::max(0.0, unscaledMs) + FillMs(frameMs) * Area(atStep) / Area(step) +
           (atStep > 0 ? kScalingCostMs : 0.0);
}

int CResolutionScaler::GetScalePercent() const {
    return automatic ? kSteps[static_cast<size_t>(step)] : 100;
}

void CResolutionScaler::SetAutomatic(bool on) {
    automatic = on;
    Change(0);
    medianBeforeStepDown = 0.0;
}

double CResolutionScaler::RecentMedian() const {
    std::array<double, kReactFrames> recent{};
    for (int i = 0; i < kReactFrames; ++i) {
        recent[static_cast<size_t>(i)] =
            times[static_cast<size_t>((next - 1 - i + kClimbFrames) % kClimbFrames)];
    }
    std::nth_element(recent.begin(), recent.begin() + kReactFrames / 2, recent.end());
    return recent[kReactFrames / 2];
}

double CResolutionScaler::RecentSlowest() const {
    double slowest = 0.0;
    for (int i = 0; i < kReactFrames; ++i) {
        slowest = std::max(
            slowest, times[static_cast<size_t>((next - 1 - i + kClimbFrames) % kClimbFrames)]);
    }
    return slowest;
}

double CResolutionScaler::RecentMean() const {
    double sum = 0.0;
    for (double time : times) {
        sum += time;
    }
    return sum / kClimbFrames;
}

void CResolutionScaler::Change(int newStep) {
    step = newStep;
    framesAtStep = 0; // the next decisions see only frames drawn at the new scale
}
