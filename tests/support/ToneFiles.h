#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Sounds made on the spot for the sound tests and benchmarks, written as WAV or encoded as MP3.

struct SPcm {
    int rate = 44100; // frames per second
    int channels = 1;
    std::vector<std::int16_t> samples; // interleaved, channels per frame
};

// A sine of the given frequency (Hz) and peak amplitude, the same on every channel.
SPcm MakeTone(double frequency, double seconds, int rate = 44100, int channels = 1,
              double amplitude = 8000.0);
// Mono square pulses that swing between 0 and +amplitude (half the time each): plays of it
// add up in a mix and never cancel, so the mean level counts how many are sounding.
SPcm MakePulses(double frequency, double seconds, double amplitude = 8000.0);

bool WriteWav(const std::string& path, const SPcm& pcm); // 16-bit PCM
bool WriteMp3(const std::string& path, const SPcm& pcm); // LAME, constant 128 kbit/s, no tags

// A directory of its own under the system's temporary directory, removed on destruction.
class CScratchDirectory {
public:
    CScratchDirectory();
    ~CScratchDirectory();
    CScratchDirectory(const CScratchDirectory&) = delete;
    CScratchDirectory& operator=(const CScratchDirectory&) = delete;

    const std::string& GetPath() const { return path; }
    std::string Join(const std::string& relativePath) const { return path + "/" + relativePath; }

private:
    std::string path;
};
