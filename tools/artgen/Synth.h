#pragma once

#include "Biquad.h"
#include "Phase.h"
#include "WhiteNoise.h"

#include <cmath>

// Small building blocks for the sound painters: wave shapes, envelope shapes and pitches, with
// the filter, phase and noise classes beside them. Times in seconds, frequencies in hertz.

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
