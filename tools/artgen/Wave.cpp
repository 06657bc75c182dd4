#include "Wave.h"

#include "Mp3File.h"
#include "WavFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

CWave::CWave(int channels, std::size_t frames) : channels(channels), samples(frames * channels) {}

CWave CWave::Seconds(int channels, double seconds) {
    return CWave(channels, static_cast<std::size_t>(std::lround(seconds * kRate)));
}

void CWave::Mix(const CWave& source, std::size_t at, double gain, bool wrap) {
    const std::size_t frames = GetFrames();
    for (std::size_t frame = 0; frame < source.GetFrames(); ++frame) {
        std::size_t target = at + frame;
        if (target >= frames) {
            if (!wrap) {
                return;
            }
            target %= frames;
        }
        for (int channel = 0; channel < channels; ++channel) {
            const int from = source.channels == 1 ? 0 : channel;
            At(target, channel) += source.At(frame, from) * gain;
        }
    }
}

void CWave::MixPanned(const CWave& mono, std::size_t at, double gain, double pan, bool wrap) {
    const double angle = (pan + 1.0) * M_PI * 0.25; // equal power
    const double left = std::cos(angle) * gain * std::sqrt(2.0);
    const double right = std::sin(angle) * gain * std::sqrt(2.0);
    const std::size_t frames = GetFrames();
    for (std::size_t frame = 0; frame < mono.GetFrames(); ++frame) {
        std::size_t target = at + frame;
        if (target >= frames) {
            if (!wrap) {
                return;
            }
            target %= frames;
        }
        At(target, 0) += mono.At(frame, 0) * left;
        At(target, 1) += mono.At(frame, 0) * right;
    }
}

double CWave::Peak() const {
    double peak = 0.0;
    for (double sample : samples) {
        peak = std::max(peak, std::fabs(sample));
    }
    return peak;
}

void CWave::ScaleToPeak(double peak) {
    const double current = Peak();
    if (current <= 0.0) {
        return;
    }
    for (double& sample : samples) {
        sample *= peak / current;
    }
}

std::vector<short> CWave::ToPcm16() const {
    std::vector<short> pcm(samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double scaled = std::clamp(samples[i], -1.0, 1.0) * 32767.0;
        pcm[i] = static_cast<short>(std::lround(scaled));
    }
    return pcm;
}

std::vector<unsigned char> CWave::EncodeWav() const {
    return ::EncodeWav(kRate, channels, ToPcm16());
}

std::vector<unsigned char> CWave::EncodeMp3() const {
    SMp3Options options;
    options.variableBitRate = true;
    options.variableQuality = 4.0f;
    options.quality = 5;
    options.infoTag = true; // the music loops
    std::string error;
    std::vector<unsigned char> mp3 = ::EncodeMp3(kRate, channels, ToPcm16(), options, error);
    if (mp3.empty()) {
        std::printf("artgen: %s\n", error.c_str());
    }
    return mp3;
}
