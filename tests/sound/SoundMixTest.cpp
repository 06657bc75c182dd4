// The real sound library mixing into SDL's disk driver, read back and measured.

#include "MixRecording.h"
#include "ToneFiles.h"
#include "sound/Sound.h"
#include "sound/SoundSystem.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

// The disk driver writes a buffer after each sleep of its own, so under load the recording
// falls behind the wall clock: lengths of sounds are exact in it, the waits between calls are
// only checked with room to spare.

namespace {

constexpr double kPulseMean = 4000.0; // the mean level of one play of MakePulses' default

class SoundMix : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(scratch.GetPath().empty());
        CMixRecording::SendMixTo(scratch.Join("mix.raw"));
        ASSERT_TRUE(StartSoundSystem());
    }

    void TearDown() override {
        StopSoundSystem();
        CMixRecording::UseDriver(nullptr);
    }

    std::string Wav(const std::string& name, const SPcm& pcm) {
        const std::string path = scratch.Join(name);
        EXPECT_TRUE(WriteWav(path, pcm));
        return path;
    }

    std::string Mp3(const std::string& name, const SPcm& pcm) {
        const std::string path = scratch.Join(name);
        EXPECT_TRUE(WriteMp3(path, pcm));
        return path;
    }

    CMixRecording StopAndRead() {
        StopSoundSystem(); // closes the output file
        CMixRecording recording;
        EXPECT_TRUE(recording.Load(scratch.Join("mix.raw")));
        return recording;
    }

    static void Wait(double seconds) {
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    }

    CScratchDirectory scratch;
};

TEST_F(SoundMix, PlayOnceSoundsOnceAtItsPitchThenFallsSilent) {
    CSound tone(Wav("tone.wav", MakeTone(440.0, 0.3)).c_str());
    tone.PlayOnce();
    Wait(0.7);
    tone.Close();

    const CMixRecording recording = StopAndRead();
    const auto sounding = recording.FindSounding();
    ASSERT_EQ(sounding.size(), 1u);
    EXPECT_NEAR(sounding[0].GetLength(), 0.3, 0.015);
    EXPECT_NEAR(recording.Frequency(sounding[0].start + 0.02, sounding[0].end - 0.02), 440.0, 9.0);
    EXPECT_GT(recording.GetSeconds() - sounding[0].end, 0.15);
}

TEST_F(SoundMix, Mp3AndOtherRatesSoundAtTheirOwnPitchAndLength) {
    CSound music(Mp3("music.mp3", MakeTone(550.0, 0.5)).c_str());
    CSound lowRate(Wav("low.wav", MakeTone(660.0, 0.3, 22050, 2)).c_str());
    music.PlayOnce();
    Wait(0.8);
    lowRate.PlayOnce();
    Wait(0.5);
    music.Close();
    lowRate.Close();

    const CMixRecording recording = StopAndRead();
    const auto sounding = recording.FindSounding();
    ASSERT_EQ(sounding.size(), 2u);
    EXPECT_NEAR(sounding[0].GetLength(), 0.5, 0.04); // the encoder pads a little
    EXPECT_NEAR(recording.Frequency(sounding[0].start + 0.05, sounding[0].end - 0.05), 550.0, 11.0);
    EXPECT_NEAR(sounding[1].GetLength(), 0.3, 0.015);
    EXPECT_NEAR(recording.Frequency(sounding[1].start + 0.02, sounding[1].end - 0.02), 660.0, 13.0);
}

TEST_F(SoundMix, ALoopedStreamSoundsUntilStoppedOrClosed) {
    const std::string path = Wav("alert.wav", MakePulses(1000.0, 0.2));
    CSound first(path.c_str());
    CSound second(path.c_str());
    first.PlayLooped();
    Wait(0.8);
    first.Stop();
    Wait(0.3);
    second.PlayLooped();
    Wait(0.5);
    second.Close();
    Wait(0.3);
    first.Close();

    const CMixRecording recording = StopAndRead();
    const auto sounding = recording.FindSounding();
    ASSERT_EQ(sounding.size(), 2u) << "a gap inside a loop, or a stream that went on";
    EXPECT_GT(sounding[0].GetLength(), 0.5); // well past its own 0.2 s
    EXPECT_GT(sounding[1].GetLength(), 0.3);
    EXPECT_GT(recording.GetSeconds() - sounding[1].end, 0.15);
}

TEST_F(SoundMix, TwoPlayOnceOfOneStreamOverlap) {
    CSound shot(Wav("shot.wav", MakePulses(1000.0, 0.6)).c_str());
    shot.PlayOnce();
    Wait(0.15);
    shot.PlayOnce();
    Wait(1.0);
    shot.Close();

    const CMixRecording recording = StopAndRead();
    const auto sounding = recording.FindSounding();
    const auto together = recording.FindMeanAtLeast(1.5 * kPulseMean);
    ASSERT_EQ(sounding.size(), 1u);
    ASSERT_EQ(together.size(), 1u) << "the second play must not cut the first short";
    EXPECT_GT(together[0].GetLength(), 0.1);
    // Both plays ran their full 0.6 s: the whole stretch and the overlap add up to twice that.
    EXPECT_NEAR(sounding[0].GetLength() + together[0].GetLength(), 1.2, 0.025);
    EXPECT_NEAR(recording.MeanLevel(together[0].start + 0.01, together[0].end - 0.01),
                2.0 * kPulseMean, 0.05 * kPulseMean);
}

TEST_F(SoundMix, StoppingOneStreamLeavesAnotherOfTheSameFileSounding) {
    const std::string path = Wav("beep.wav", MakePulses(1000.0, 0.2));
    CSound near(path.c_str());
    CSound far(path.c_str());
    near.PlayLooped();
    Wait(0.1);
    far.PlayLooped();
    Wait(0.4);
    near.Stop();
    Wait(0.4);
    far.Stop();
    Wait(0.2);
    near.Close();
    far.Close();

    const CMixRecording recording = StopAndRead();
    const auto sounding = recording.FindSounding();
    const auto together = recording.FindMeanAtLeast(1.5 * kPulseMean);
    ASSERT_EQ(sounding.size(), 1u);
    ASSERT_EQ(together.size(), 1u);
    EXPECT_GT(together[0].GetLength(), 0.2);
    EXPECT_GT(sounding[0].end - together[0].end, 0.2) << "the second stream fell silent too";
}

TEST_F(SoundMix, PauseHoldsEverySoundWhereItIsAndMuteSilencesLaterPlaysToo) {
    CSound tone(Wav("tone.wav", MakeTone(440.0, 0.6)).c_str());
    CSound other(Wav("other.wav", MakeTone(660.0, 0.3)).c_str());
    tone.PlayOnce();
    Wait(0.2);
    PauseAllSounds(true);
    other.PlayOnce(); // waits for the resume as well
    Wait(0.6);
    PauseAllSounds(false);
    Wait(0.8);
    MuteAllSounds(true);
    tone.PlayOnce();
    Wait(0.8);
    MuteAllSounds(false);
    Wait(0.2);
    tone.Close();
    other.Close();

    const CMixRecording recording = StopAndRead();
    const auto sounding = recording.FindSounding();
    ASSERT_EQ(sounding.size(), 2u) << "before the pause, after it, and nothing while muted";
    EXPECT_GT(sounding[1].start - sounding[0].end, 0.3) << "silence while paused";
    // The tone resumed from where it was held: its two parts make its whole length once.
    EXPECT_NEAR(sounding[0].GetLength() + sounding[1].GetLength(), 0.6, 0.03);
    EXPECT_NEAR(recording.Frequency(sounding[0].start + 0.02, sounding[0].end - 0.02), 440.0, 9.0);
}

} // namespace
