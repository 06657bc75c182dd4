#include "ToneFiles.h"

#include "Mp3File.h"
#include "WavFile.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

constexpr double kPi = 3.14159265358979323846;

bool WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

} // namespace

SPcm MakeTone(double frequency, double seconds, int rate, int channels, double amplitude) {
    SPcm pcm;
    pcm.rate = rate;
    pcm.channels = channels;
    const int frames = static_cast<int>(std::lround(seconds * rate));
    for (int frame = 0; frame < frames; ++frame) {
        const double value = amplitude * std::sin(2.0 * kPi * frequency * frame / rate);
        pcm.samples.insert(pcm.samples.end(), channels,
                           static_cast<std::int16_t>(std::lround(value)));
    }
    return pcm;
}

SPcm MakePulses(double frequency, double seconds, double amplitude) {
    SPcm pcm;
    const int frames = static_cast<int>(std::lround(seconds * pcm.rate));
    for (int frame = 0; frame < frames; ++frame) {
        const double phase = std::fmod(frequency * frame / pcm.rate, 1.0);
        pcm.samples.push_back(static_cast<std::int16_t>(phase < 0.5 ? std::lround(amplitude) : 0));
    }
    return pcm;
}

bool WriteWav(const std::string& path, const SPcm& pcm) {
    return WriteBytes(path, EncodeWav(pcm.rate, pcm.channels, pcm.samples));
}

bool WriteMp3(const std::string& path, const SPcm& pcm) {
    std::string error;
    const std::vector<unsigned char> mp3 =
        EncodeMp3(pcm.rate, pcm.channels, pcm.samples, SMp3Options(), error);
    return !mp3.empty() && WriteBytes(path, mp3);
}

CScratchDirectory::CScratchDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zelkora-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) {
        path = pattern;
    }
}

CScratchDirectory::~CScratchDirectory() {
    if (!path.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
}
