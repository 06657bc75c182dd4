#include "Wave.h"

#include <algorithm>
#include <cmath>

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

namespace {

void Put(std::vector<unsigned char>& bytes, unsigned value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes.push_back(static_cast<unsigned char>((value >> (8 * i)) & 0xFF));
    }
}

void PutTag(std::vector<unsigned char>& bytes, const char* tag) {
    bytes.insert(bytes.end(), tag, tag + 4);
}

} // namespace

std::vector<unsigned char> CWave::EncodeWav() const {
    const std::vector<short> pcm = ToPcm16();
    const unsigned dataSize = static_cast<unsigned>(pcm.size() * 2);
    std::vector<unsigned char> bytes;
    bytes.reserve(44 + dataSize);
    PutTag(bytes, "RIFF");
    Put(bytes, 36 + dataSize, 4);
    PutTag(bytes, "WAVE");
    PutTag(bytes, "fmt ");
    Put(bytes, 16, 4);
    Put(bytes, 1, 2); // PCM
    Put(bytes, static_cast<unsigned>(channels), 2);
    Put(bytes, kRate, 4);
    Put(bytes, static_cast<unsigned>(kRate * channels * 2), 4);
    Put(bytes, static_cast<unsigned>(channels * 2), 2);
    Put(bytes, 16, 2);
    PutTag(bytes, "data");
    Put(bytes, dataSize, 4);
    for (short sample : pcm) {
        Put(bytes, static_cast<unsigned short>(sample), 2);
    }
    return bytes;
}
