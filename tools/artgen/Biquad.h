#pragma once

// A second-order filter (the usual audio-cookbook biquad), one channel.
class CBiquad {
public:
    enum EKind { kLowPass, kHighPass, kBandPass };
    CBiquad(EKind kind, double frequency, double q) : kind(kind) { Tune(frequency, q); }
    void Tune(double frequency, double q); // may be called per sample for sweeps
    double Process(double input);

private:
    EKind kind;
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
};
