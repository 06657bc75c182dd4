#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What the sound library really mixed: SDL's disk audio driver writes the output, at real-time
// pace, as raw signed 16-bit stereo at 44100 Hz; this reads it back and measures it. Times are
// seconds from the start of the recording, which begins when the library opens its output.
class CMixRecording {
public:
    struct SStretch {
        double start = 0.0;
        double end = 0.0;
        double GetLength() const { return end - start; }
    };

    static void SendMixTo(const std::string& path); // for the next FSOUND_Init in this process
    static void UseDriver(const char* driver);      // SDL_AUDIODRIVER; null unsets it and the file

    bool Load(const std::string& path);
    double GetSeconds() const;

    double MeanLevel(double from, double to) const; // both channels
    double Rms(double from, double to) const;       // both channels
    double Frequency(double from, double to) const; // Hz, from the left channel's zero crossings
    // Where the 5 ms RMS stays above threshold, in order; how the stretches of sound lie.
    std::vector<SStretch> FindSounding(double threshold = 1000.0) const;
    // Where the 5 ms mean level stays at or above level: with pulse sounds, where at least
    // level / (one pulse sound's mean) plays of it sound together.
    std::vector<SStretch> FindMeanAtLeast(double level) const;

private:
    using BlockMeasure = std::function<double(double from, double to)>;
    std::vector<SStretch> FindStretches(const BlockMeasure& measure, double threshold) const;
    std::size_t ToFrame(double seconds) const;

    std::vector<std::int16_t> samples; // interleaved left, right
};
