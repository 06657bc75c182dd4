#include "MixRecording.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {
constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr double kBlockSeconds = 0.005;
} // namespace

void CMixRecording::SendMixTo(const std::string& path) {
    UseDriver("disk");
    setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
}

void CMixRecording::UseDriver(const char* driver) {
    if (driver == nullptr) {
        unsetenv("SDL_AUDIODRIVER");
        unsetenv("SDL_DISKAUDIOFILE");
        return;
    }
    setenv("SDL_AUDIODRIVER", driver, 1);
}

bool CMixRecording::Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    samples.resize(bytes.size() / sizeof(std::int16_t));
    std::copy_n(bytes.data(), samples.size() * sizeof(std::int16_t),
                reinterpret_cast<char*>(samples.data()));
    return !samples.empty();
}

double CMixRecording::GetSeconds() const {
    return static_cast<double>(samples.size() / kChannels) / kRate;
}

std::size_t CMixRecording::ToFrame(double seconds) const {
    const double frame = std::clamp(seconds, 0.0, GetSeconds()) * kRate;
    return static_cast<std::size_t>(std::lround(frame));
}

double CMixRecording::MeanLevel(double from, double to) const {
    const std::size_t first = ToFrame(from) * kChannels;
    const std::size_t last = ToFrame(to) * kChannels;
    if (last <= first) {
        return 0.0;
    }
    double sum = 0.0;
    for (std::size_t i = first; i < last; ++i) {
        sum += samples[i];
    }
    return sum / static_cast<double>(last - first);
}

double CMixRecording::Rms(double from, double to) const {
    const std::size_t first = ToFrame(from) * kChannels;
    const std::size_t last = ToFrame(to) * kChannels;
    if (last <= first) {
        return 0.0;
    }
    double sum = 0.0;
    for (std::size_t i = first; i < last; ++i) {
        sum += static_cast<double>(samples[i]) * samples[i];
    }
    return std::sqrt(sum / static_cast<double>(last - first));
}

double CMixRecording::Frequency(double from, double to) const {
    int upwardCrossings = 0;
    for (std::size_t frame = ToFrame(from) + 1; frame < ToFrame(to); ++frame) {
        if (samples[(frame - 1) * kChannels] < 0 && samples[frame * kChannels] >= 0) {
            ++upwardCrossings;
        }
    }
    return to > from ? upwardCrossings / (to - from) : 0.0;
}

std::vector<CMixRecording::SStretch> CMixRecording::FindSounding(double threshold) const {
    return FindStretches([this](double from, double to) { return Rms(from, to); }, threshold);
}

std::vector<CMixRecording::SStretch> CMixRecording::FindMeanAtLeast(double level) const {
    return FindStretches([this](double from, double to) { return MeanLevel(from, to); }, level);
}

std::vector<CMixRecording::SStretch> CMixRecording::FindStretches(const BlockMeasure& measure,
                                                                  double threshold) const {
    std::vector<SStretch> stretches;
    bool inside = false;
    for (double block = 0.0; block + kBlockSeconds <= GetSeconds(); block += kBlockSeconds) {
        const bool above = measure(block, block + kBlockSeconds) >= threshold;
        if (above && !inside) {
            stretches.push_back({block, block + kBlockSeconds});
        } else if (above) {
            stretches.back().end = block + kBlockSeconds;
        }
        inside = above;
    }
    return stretches;
}
