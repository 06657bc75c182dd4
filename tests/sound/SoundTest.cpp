// CSound and the start-up of the sound system: messages, the exit on a missing file, and a
// game that goes on silently without an output device.

#include "sound/Sound.h"
#include "MixRecording.h"
#include "ToneFiles.h"
#include "sound/SoundLibrary.h"
#include "sound/SoundSystem.h"

#include <climits>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

class Sound : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(scratch.GetPath().empty());
        CMixRecording::UseDriver("dummy");
        tonePath = scratch.Join("tone.wav");
        ASSERT_TRUE(WriteWav(tonePath, MakeTone(440.0, 0.3)));
    }

    void TearDown() override {
        StopSoundSystem();
        CMixRecording::UseDriver(nullptr);
    }

    CScratchDirectory scratch;
    std::string tonePath;
};

TEST(SoundErrorText, GivesTheTextOfEveryCodeAndUnknownErrorOtherwise) {
    const char* const expected[] = {
        "No errors",
        "Cannot call this command after FSOUND_Init.  Call FSOUND_Close first.",
        "This command failed because FSOUND_Init was not called",
        "Error initializing output device.",
        "The output device is already in use and cannot be reused.",
        "Playing the sound failed.",
        "Soundcard does not support the features needed for this soundsystem (16bit stereo "
        "output)",
        "Error setting cooperative level for hardware.",
        "Error creating hardware sound buffer.",
        "File not found",
        "Unknown file format",
        "Error loading file",
        "Not enough memory ",
        "The version number of this file format is not supported",
        "An invalid parameter was passed to this function",
        "Tried to use an EAX command on a non EAX enabled channel or output.",
        "Failed to allocate a new channel",
        "Recording not supported on this device",
        "Required Mediaplayer codec is not installed",
    };
    for (int code = 0; code <= 18; ++code) {
        EXPECT_STREQ(SoundErrorText(code), expected[code]) << code;
    }
    for (const int code : {19, -1, INT_MAX, INT_MIN}) {
        EXPECT_STREQ(SoundErrorText(code), "Unknown error") << code;
    }
}

TEST_F(Sound, AFileThatCannotBeOpenedEndsTheProcessWithItsLine) {
    GTEST_FLAG_SET(death_test_style, "threadsafe"); // SDL's audio thread runs
    ASSERT_TRUE(StartSoundSystem());
    ASSERT_EQ(chdir(scratch.GetPath().c_str()), 0);
    const auto openWithOutputOnStderr = [](const char* path) {
        std::fflush(stdout);                // what the test runner wrote so far stays where it was
        dup2(STDERR_FILENO, STDOUT_FILENO); // the death test sees standard error only
        CSound sound(path);
    };
    EXPECT_EXIT(openWithOutputOnStderr("sounds/laser.wav"), ::testing::ExitedWithCode(1),
                "^cant open soundfile sounds/laser\\.wav: File not found\n$");
    std::filesystem::create_directory("sounds");
    std::filesystem::copy_file(tonePath, "sounds/laser.mp3");
    std::filesystem::resize_file("sounds/laser.mp3", 20);
    EXPECT_EXIT(openWithOutputOnStderr("sounds/laser.mp3"), ::testing::ExitedWithCode(1),
                "^cant open soundfile sounds/laser\\.mp3: Unknown file format\n$");
}

// The exit comes while other sounds are open and decoded, as when the game's last sound is
// missing; the sanitizer build checks at that exit that none of them was lost track of.
TEST_F(Sound, TheExitOnABadFileLosesNoSoundOpenedBefore) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ASSERT_TRUE(StartSoundSystem());
    ASSERT_EQ(chdir(scratch.GetPath().c_str()), 0);
    const auto openAfterAnother = [this]() {
        std::fflush(stdout);
        dup2(STDERR_FILENO, STDOUT_FILENO);
        CSound music(tonePath.c_str()); // decoded, not playing: only the library holds it
        CSound missing("sounds/squeaky.wav");
    };
    EXPECT_EXIT(openAfterAnother(), ::testing::ExitedWithCode(1),
                "^cant open soundfile sounds/squeaky\\.wav: File not found\n$");
}

TEST_F(Sound, WithoutAnOutputDeviceTheGamePlaysSilently) {
    const std::string unwritable = scratch.Join("no/such/folder/mix.raw");
    for (const bool badFile : {true, false}) {
        if (badFile) {
            CMixRecording::SendMixTo(unwritable); // the disk driver cannot open its output
        } else {
            CMixRecording::UseDriver("no-such-driver");
        }
        testing::internal::CaptureStdout();
        EXPECT_FALSE(StartSoundSystem());
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "cant start FMOD: Error initializing output device.\n");

        CSound* music = new CSound(tonePath.c_str());
        music->PlayLooped();
        music->PlayOnce();
        music->Stop();
        music->Close();
        delete music;
        StopSoundSystem();
    }
    // The silent fallback is not sticky: with a device, the next start is heard again.
    CMixRecording::SendMixTo(scratch.Join("mix.raw"));
    EXPECT_TRUE(StartSoundSystem());
}

TEST_F(Sound, ThirtyTwoPlaysSoundAtOnceAndStoppingFreesTheirChannels) {
    ASSERT_TRUE(StartSoundSystem());
    CSound shots(tonePath.c_str());
    CSound beep(tonePath.c_str());
    for (int shot = 0; shot < 32; ++shot) {
        shots.PlayLooped();
        EXPECT_EQ(FSOUND_GetError(), FSOUND_ERROR_NONE) << shot;
    }
    EXPECT_EQ(FSOUND_GetChannelsPlaying(), 32);
    beep.PlayOnce();
    EXPECT_EQ(FSOUND_GetError(), FSOUND_ERROR_CHANNEL_ALLOC);
    shots.Stop();
    beep.PlayOnce();
    EXPECT_EQ(FSOUND_GetError(), FSOUND_ERROR_NONE);
    {
        CSound loops(tonePath.c_str());
        for (int play = 0; play < 32; ++play) { // every channel, with or without the beep
            loops.PlayLooped();
        }
    } // destroyed: closed, so its channels are free again
    beep.PlayOnce();
    EXPECT_EQ(FSOUND_GetError(), FSOUND_ERROR_NONE);
}

} // namespace
