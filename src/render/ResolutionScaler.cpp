#include "render/ResolutionScaler.h"

void CResolutionScaler::AddFrame(double milliseconds) {
    times[next] = milliseconds;
    next = (next + 1) % kWindow;
    if (count < kWindow) {
        ++count;
    }
    if (!automatic || count < kWindow) {
        return;
    }
    const double mean = WindowMean();
    const int last = static_cast<int>(kSteps.size()) - 1;
    if (mean > kDownMs && step < last) {
        Change(step + 1);
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
