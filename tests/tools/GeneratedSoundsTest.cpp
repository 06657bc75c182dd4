// The generated sounds, opened through the game's sound layer and decoded by the same mixer it
// plays them with: each opens without an error, sounds, lasts as long as it should, and leaves
// room in the mix.

#include "MixRecording.h"
#include "sound/SoundLibrary.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::string DataPath(const std::string& relative) {
    return std::string(ZELKORA_DATA_DIR) + "/" + relative;
}

struct SExpected {
    const char* path;
    double seconds; // decoded length
};

// Every sound the game opens, with the length it was made to have.
const SExpected kSounds[] = {
    {"sounds/laser.wav", 0.3},          {"sounds/explosion_1.wav", 1.8},
    {"sounds/explosion_2.wav", 1.4},    {"sounds/squeaky.wav", 0.65},
    {"sounds/start_sound.wav", 2.6},    {"sounds/energy_warning.wav", 1.35},
    {"sounds/energy_alert.wav", 1.0},   {"sounds/selfdestruct.wav", 3.0},
    {"sounds/title_sound_1.mp3", 64.0}, {"sounds/R2D2_1.wav", 0.0},
    {"sounds/R2D2_2.wav", 0.0},         {"sounds/R2D2_3.wav", 0.0},
    {"sounds/R2D2_4.wav", 0.0},         {"sounds/R2D2_5.wav", 0.0},
};

// A file decoded to the mixer's 44.1 kHz 16-bit stereo, as full-scale fractions.
struct SDecoded {
    std::vector<double> left;
    std::vector<double> right;
    double Seconds() const { return left.size() / 44100.0; }
    double Peak() const {
        double peak = 0.0;
        for (size_t i = 0; i < left.size(); ++i) {
            peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});
        }
        return peak;
    }
    double Rms() const {
        double sum = 0.0;
        for (size_t i = 0; i < left.size(); ++i) {
            sum += left[i] * left[i] + right[i] * right[i];
        }
        return left.empty() ? 0.0 : std::sqrt(sum / (2.0 * left.size()));
    }
};

class GeneratedSounds : public ::testing::Test {
protected:
    void SetUp() override {
        CMixRecording::UseDriver("dummy");
        ASSERT_TRUE(FSOUND_Init(44100, 32, 0));
        int rate = 0;
        Uint16 format = 0;
        int channels = 0;
        ASSERT_EQ(Mix_QuerySpec(&rate, &format, &channels), 1);
        ASSERT_EQ(rate, 44100);
        ASSERT_EQ(format, AUDIO_S16SYS);
        ASSERT_EQ(channels, 2);
    }
    void TearDown() override {
        FSOUND_Close();
        CMixRecording::UseDriver(nullptr);
    }

    static SDecoded Decode(const std::string& relative) {
        SDecoded decoded;
        Mix_Chunk* chunk = Mix_LoadWAV(DataPath(relative).c_str());
        if (chunk == nullptr) {
            return decoded;
        }
        const auto* samples = reinterpret_cast<const Sint16*>(chunk->abuf);
        const size_t frames = chunk->alen / 4;
        for (size_t i = 0; i < frames; ++i) {
            decoded.left.push_back(samples[2 * i] / 32768.0);
            decoded.right.push_back(samples[2 * i + 1] / 32768.0);
        }
        Mix_FreeChunk(chunk);
        return decoded;
    }
};

TEST_F(GeneratedSounds, EveryGameSoundOpensThroughTheSoundLayer) {
    for (const SExpected& sound : kSounds) {
        FSOUND_STREAM* stream =
            FSOUND_Stream_Open(DataPath(sound.path).c_str(), FSOUND_LOOP_NORMAL, 0, 0);
        EXPECT_NE(stream, nullptr) << sound.path;
        EXPECT_EQ(FSOUND_GetError(), FSOUND_ERROR_NONE) << sound.path;
        FSOUND_Stream_Close(stream);
    }
}

TEST_F(GeneratedSounds, EachSoundsAndLastsItsLength) {
    for (const SExpected& sound : kSounds) {
        const SDecoded decoded = Decode(sound.path);
        ASSERT_FALSE(decoded.left.empty()) << sound.path << ": " << Mix_GetError();
        if (sound.seconds > 0.0) {
            // Sample-exact for the music too: the MP3's info tag lets the decoder drop the
            // encoder's delay and padding, so the loop neither gaps nor stutters.
            EXPECT_NEAR(decoded.Seconds(), sound.seconds, 1.0 / 44100.0) << sound.path;
        } else { // the droid chirps vary: a short phrase
            EXPECT_GT(decoded.Seconds(), 0.3) << sound.path;
            EXPECT_LT(decoded.Seconds(), 2.0) << sound.path;
        }
        EXPECT_GT(decoded.Rms(), 0.02) << sound.path << " is (nearly) silent";
        // Headroom: several effects and the music must be able to sound at once.
        EXPECT_LT(decoded.Peak(), 0.5) << sound.path;
    }
}

TEST_F(GeneratedSounds, DroidChirpsDifferFromEachOther) {
    std::vector<SDecoded> chirps;
    for (int number = 1; number <= 5; ++number) {
        chirps.push_back(Decode("sounds/R2D2_" + std::to_string(number) + ".wav"));
    }
    for (size_t a = 0; a < chirps.size(); ++a) {
        for (size_t b = a + 1; b < chirps.size(); ++b) {
            EXPECT_NE(chirps[a].left.size(), chirps[b].left.size()) << a + 1 << " and " << b + 1;
        }
    }
}

// Looping sounds repeat without a click: the step from the last sample back to the first is
// no bigger than the steps inside the sound.
TEST_F(GeneratedSounds, LoopedSoundsJoinWithoutAClick) {
    for (const char* path : {"sounds/energy_alert.wav", "sounds/title_sound_1.mp3"}) {
        const SDecoded decoded = Decode(path);
        ASSERT_GT(decoded.left.size(), 1000u) << path;
        double largestStep = 0.0;
        for (size_t i = 1; i < decoded.left.size(); ++i) {
            largestStep = std::max(largestStep, std::fabs(decoded.left[i] - decoded.left[i - 1]));
        }
        const double seam = std::fabs(decoded.left.front() - decoded.left.back());
        EXPECT_LE(seam, largestStep * 0.5) << path;
    }
}

// The music carries on through its whole length: no second of it falls silent.
TEST_F(GeneratedSounds, MusicNeverFallsSilent) {
    const SDecoded music = Decode("sounds/title_sound_1.mp3");
    ASSERT_GT(music.Seconds(), 60.0);
    for (size_t second = 0; second + 1 < static_cast<size_t>(music.Seconds()); ++second) {
        double sum = 0.0;
        for (size_t i = second * 44100; i < (second + 1) * 44100; ++i) {
            sum += music.left[i] * music.left[i] + music.right[i] * music.right[i];
        }
        EXPECT_GT(std::sqrt(sum / (2 * 44100)), 0.02) << "second " << second;
    }
}

// The loudest pile-up the game makes: the music, two explosions for a hit and a laser shot for
// every frame, all starting together, stays below full scale.
TEST_F(GeneratedSounds, AHitDuringFireAndMusicDoesNotClip) {
    const SDecoded music = Decode("sounds/title_sound_1.mp3");
    const SDecoded boom = Decode("sounds/explosion_1.wav");
    const SDecoded crunch = Decode("sounds/explosion_2.wav");
    const SDecoded laser = Decode("sounds/laser.wav");
    ASSERT_FALSE(music.left.empty());
    double peak = 0.0;
    const size_t frameStep = 44100 / 60;
    for (size_t offset = 0; offset < 20 * 44100; offset += 44100) { // twenty starting points
        for (size_t i = 0; i < boom.left.size(); ++i) {
            double left = music.left[offset + i] + boom.left[i];
            if (i < crunch.left.size()) {
                left += crunch.left[i];
            }
            for (size_t shot = 0; shot * frameStep <= i && shot < 15; ++shot) {
                const size_t at = i - shot * frameStep;
                left += at < laser.left.size() ? laser.left[at] : 0.0;
            }
            peak = std::max(peak, std::fabs(left));
        }
    }
    EXPECT_LT(peak, 1.0);
}

} // namespace
