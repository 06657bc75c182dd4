#include "Biquad.h"

#include "Wave.h"

#include <algorithm>
#include <cmath>

void CBiquad::Tune(double frequency, double q) {
    const double clamped = std::clamp(frequency, 10.0, CWave::kRate * 0.45);
    const double w = 2.0 * M_PI * clamped / CWave::kRate;
    const double alpha = std::sin(w) / (2.0 * q);
    const double cosW = std::cos(w);
    const double a0 = 1.0 + alpha;
    switch (kind) {
    case kLowPass:
        b0 = (1.0 - cosW) * 0.5;
        b1 = 1.0 - cosW;
        b2 = b0;
        break;
    case kHighPass:
        b0 = (1.0 + cosW) * 0.5;
        b1 = -(1.0 + cosW);
        b2 = b0;
        break;
    case kBandPass:
        b0 = alpha;
        b1 = 0.0;
        b2 = -alpha;
        break;
    }
    b0 /= a0;
    b1 /= a0;
    b2 /= a0;
    a1 = -2.0 * cosW / a0;
    a2 = (1.0 - alpha) / a0;
}

double CBiquad::Process(double input) {
    const double output = b0 * input + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1;
    x1 = input;
    y2 = y1;
    y1 = output;
    return output;
}
