#pragma once

#include "Random.h"

#include <cmath>

// Small building blocks for the sound painters: a filter, an oscillator that follows a changing
// pitch, noise, and envelope shapes. Times in seconds, frequencies in hertz.

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

// Phase that follows a frequency given per sample, so glides stay continuous.
class CPhase {
public:
    double Advance(double frequency); // returns the phase in cycles before the step
    double Get() const { return phase; }

private:
    double phase = 0.0;
};

inline double Sine(double cycles) {
    return std::sin(2.0 * M_PI * cycles);
}
inline double Saw(double cycles) {
    return 2.0 * (cycles - std::floor(cycles + 0.5));
}
inline double Square(double cycles, double width = 0.5) {
    return cycles - std::floor(cycles) < width ? 1.0 : -1.0;
}
// A square wave with rounded edges: gentler on the ear than Square.
inline double SoftSquare(double cycles, double drive = 4.0) {
    return std::tanh(drive * Sine(cycles)) / std::tanh(drive);
}

// Rises linearly over attack, then falls exponentially with the time constant decay.
inline double Pluck(double t, double attack, double decay) {
    if (t < 0.0) {
        return 0.0;
    }
    return t < attack ? t / attack : std::exp(-(t - attack) / decay);
}

// Attack, hold at 1, release: a gate of `length` seconds with soft ends.
inline double Gate(double t, double length, double attack, double release) {
    if (t < 0.0 || t > length + release) {
        return 0.0;
    }
    if (t < attack) {
        return t / attack;
    }
    return t <= length ? 1.0 : 1.0 - (t - length) / release;
}

// Frequency of a MIDI note number (69 = A 440).
inline double NoteFrequency(double note) {
    return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

// White noise from -1 to 1.
class CWhiteNoise {
public:
    explicit CWhiteNoise(std::uint64_t seed) : random(seed) {}
    double Next() { return random.Uniform() * 2.0 - 1.0; }

private:
    CRandom random;
};
