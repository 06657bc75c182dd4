#include "ToneFiles.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <lame/lame.h>
#include <system_error>

namespace {

constexpr double kPi = 3.14159265358979323846;

void PutLittleEndian(std::ofstream& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
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
    std::ofstream out(path, std::ios::binary);
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(pcm.samples.size() * 2);
    const std::uint32_t blockAlign = static_cast<std::uint32_t>(pcm.channels * 2);
    out.write("RIFF", 4);
    PutLittleEndian(out, 36 + dataBytes, 4);
    out.write("WAVEfmt ", 8);
    PutLittleEndian(out, 16, 4); // format chunk size
    PutLittleEndian(out, 1, 2);  // PCM
    PutLittleEndian(out, static_cast<std::uint32_t>(pcm.channels), 2);
    PutLittleEndian(out, static_cast<std::uint32_t>(pcm.rate), 4);
    PutLittleEndian(out, static_cast<std::uint32_t>(pcm.rate) * blockAlign, 4);
    PutLittleEndian(out, blockAlign, 2);
    PutLittleEndian(out, 16, 2); // bits per sample
    out.write("data", 4);
    PutLittleEndian(out, dataBytes, 4);
    for (const std::int16_t sample : pcm.samples) {
        PutLittleEndian(out, static_cast<std::uint16_t>(sample), 2);
    }
    return static_cast<bool>(out);
}

bool WriteMp3(const std::string& path, const SPcm& pcm) {
    if (pcm.channels != 1 && pcm.channels != 2) {
        return false;
    }
    lame_global_flags* encoder = lame_init();
    lame_set_num_channels(encoder, pcm.channels);
    lame_set_in_samplerate(encoder, pcm.rate);
    lame_set_out_samplerate(encoder, pcm.rate);
    lame_set_mode(encoder, pcm.channels == 1 ? MONO : JOINT_STEREO);
    lame_set_brate(encoder, 128);
    lame_set_bWriteVbrTag(encoder, 0);
    if (lame_init_params(encoder) < 0) {
        lame_close(encoder);
        return false;
    }
    const int frames = static_cast<int>(pcm.samples.size()) / pcm.channels;
    std::vector<unsigned char> encoded(frames * 5 / 4 + 7200);
    std::vector<std::int16_t> samples = pcm.samples; // LAME takes them as non-const
    int size = pcm.channels == 1
                   ? lame_encode_buffer(encoder, samples.data(), samples.data(), frames,
                                        encoded.data(), static_cast<int>(encoded.size()))
                   : lame_encode_buffer_interleaved(encoder, samples.data(), frames, encoded.data(),
                                                    static_cast<int>(encoded.size()));
    if (size >= 0) {
        const int tail = lame_encode_flush(encoder, encoded.data() + size,
                                           static_cast<int>(encoded.size()) - size);
        size = tail < 0 ? -1 : size + tail;
    }
    lame_close(encoder);
    if (size < 0) {
        return false;
    }
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(encoded.data()), size);
    return static_cast<bool>(out);
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
