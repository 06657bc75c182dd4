#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Sound being made: 44.1 kHz samples, one or two channels interleaved, full scale at +-1.
class CWave {
public:
    static constexpr int kRate = 44100;

    CWave(int channels, std::size_t frames);
    static CWave Seconds(int channels, double seconds);

    int GetChannels() const { return channels; }
    std::size_t GetFrames() const { return samples.size() / channels; }
    double& At(std::size_t frame, int channel) { return samples[frame * channels + channel]; }
    double At(std::size_t frame, int channel) const { return samples[frame * channels + channel]; }

    // Adds source (mono or of the same channel count) from frame `at` on, times gain; what
    // would lie beyond the end wraps to the start when wrap is set (for loops), else is cut.
    void Mix(const CWave& source, std::size_t at, double gain, bool wrap = false);
    // A mono source into a stereo wave, placed by pan from -1 (left) to 1 (right).
    void MixPanned(const CWave& mono, std::size_t at, double gain, double pan, bool wrap);
    double Peak() const;
    void ScaleToPeak(double peak); // loudness set by the loudest sample

    std::vector<short> ToPcm16() const; // rounded and clamped
    // A RIFF/WAVE file of 16-bit PCM.
    std::vector<unsigned char> EncodeWav() const;
    // Variable bit rate MP3 led by LAME's info tag (Mp3File.h), so that a loop plays without a
    // gap. Empty, with a message, on failure.
    std::vector<unsigned char> EncodeMp3() const;

private:
    int channels;
    std::vector<double> samples;
};
