#include "render/ResolutionScaler.h"

void CResolutionScaler::AddFrame(double milliseconds) {
    if (framesBeforeNextStepDown > 0) {
        --framesBeforeNextStepDown;
    }
    times[next] = milliseconds;
    next = (next + 1) % kWindow;
    if (count < kWindow) {
        ++count;
    }
    if (!automatic || count < kWindow) {
        return;
    }
    const double mean = WindowMean();
    if (meanBeforeStepDown > 0.0) {
        // The first window at a smaller scale: where the time goes elsewhere than into the
        // picture's pixels, a smaller picture costs sharpness and saves nothing; then back up,
        // and no step down for a while.
        const bool paid = mean < meanBeforeStepDown * kWorthwhileShare;
        meanBeforeStepDown = 0.0;
        if (!paid) {
            Change(step - 1);
            framesBeforeNextStepDown = kHoldFrames;
            return;
        }
    }
    const int last = static_cast<int>(kSteps.size()) - 1;
    if (mean > kDownMs && step < last && framesBeforeNextStepDown <= 0) {
        Change(step + 1);
        meanBeforeStepDown = mean;
        return;
    }
    if (step > 0) {
        // Part of a frame does not scale with the picture (the HUD, the game, the swap), so
        // the side's ratio rather than the area's estimates the larger picture's time.
        const double ratio = static_cast<double>(kSteps[step - 1]) / kSteps[step];
        if (mean * ratio < kUpMs) {
            Change(step - 1);
        }
    }
}

int CResolutionScaler::GetScalePercent() const {
    return automatic ? kSteps[step] : 100;
}

void CResolutionScaler::SetAutomatic(bool on) {
    automatic = on;
    Change(0);
    meanBeforeStepDown = 0.0;
    framesBeforeNextStepDown = 0;
}

double CResolutionScaler::WindowMean() const {
    double sum = 0.0;
    for (double time : times) {
        sum += time;
    }
    return sum / kWindow;
}

void CResolutionScaler::Change(int newStep) {
    step = newStep;
    count = 0; // a whole window at the new scale before the next decision
}
