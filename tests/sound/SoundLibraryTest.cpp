// The stream library's contract: error codes, handle checks, sharing of decoded files, channels.

#include "sound/SoundLibrary.h"
#include "MixRecording.h"
#include "ToneFiles.h"

#include <SDL.h>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>

namespace {

class SoundLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(scratch.GetPath().empty());
        CMixRecording::UseDriver("dummy"); // mixes into nothing, at real-time pace
        beepPath = scratch.Join("beep.wav");
        ASSERT_TRUE(WriteWav(beepPath, MakeTone(880.0, 0.3)));
    }

    void TearDown() override {
        FSOUND_Close();
        CMixRecording::UseDriver(nullptr);
    }

    std::string WriteText(const std::string& name, const std::string& text) {
        const std::string path = scratch.Join(name);
        std::ofstream(path) << text;
        return path;
    }

    FSOUND_STREAM* OpenBeep() {
        return FSOUND_Stream_Open(beepPath.c_str(), FSOUND_LOOP_NORMAL, 0, 0);
    }

    CScratchDirectory scratch;
    std::string beepPath;
};

TEST_F(SoundLibrary, OpeningReportsWhyAFileCannotBeOpened) {
    ASSERT_TRUE(FSOUND_Init(44100, 32, 0));
    const struct {
        std::string path;
        int error;
    } cases[] = {
        {scratch.Join("missing.wav"), FSOUND_ERROR_FILE_NOT_FOUND},
        {scratch.Join("missing/beep.wav"), FSOUND_ERROR_FILE_NOT_FOUND},
        {beepPath + "/beep.wav", FSOUND_ERROR_FILE_NOT_FOUND}, // a file where a folder should be
        {scratch.GetPath(), FSOUND_ERROR_FILE_BAD},            // a folder
        {WriteText("notes.wav", "not a sound at all, just words"), FSOUND_ERROR_FILE_FORMAT},
        {WriteText("empty.wav", ""), FSOUND_ERROR_FILE_FORMAT},
        {WriteText("cut.wav", "RIFF\x24\x10\x00\x00WAVEfmt "), FSOUND_ERROR_FILE_FORMAT},
    };
    for (const auto& bad : cases) {
        EXPECT_EQ(FSOUND_Stream_Open(bad.path.c_str(), FSOUND_LOOP_NORMAL, 0, 0), nullptr)
            << bad.path;
        EXPECT_EQ(FSOUND_GetError(), bad.error) << bad.path;
    }
    EXPECT_EQ(FSOUND_Stream_Open(nullptr, FSOUND_LOOP_NORMAL, 0, 0), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FSOUND_ERROR_INVALID_PARAM);
    EXPECT_EQ(FSOUND_Stream_Open(beepPath.c_str(), FSOUND_LOOP_NORMAL, 100, 0), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FSOUND_ERROR_INVALID_PARAM);

    EXPECT_NE(OpenBeep(), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FSOUND_ERROR_NONE);
}

TEST_F(SoundLibrary, EverythingWaitsForInitAndCloseIsAlwaysSafe) {
    FSOUND_Close(); // never started: nothing to do, nothing to break
    EXPECT_EQ(OpenBeep(), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FSOUND_ERROR_UNINITIALIZED);
    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, nullptr), -1);
    EXPECT_EQ(FSOUND_GetError(), FSOUND_ERROR_UNINITIALIZED);
    EXPECT_FALSE(FSOUND_SetGroupVolume(FSOUND_GROUP_MUSIC, 0));
    EXPECT_EQ(FSOUND_GetError(), FSOUND_ERROR_UNINITIALIZED);

    ASSERT_TRUE(FSOUND_Init(44100, 32, 0));
    EXPECT_FALSE(FSOUND_Init(44100, 32, 0));
    EXPECT_EQ(FSOUND_GetError(), FSOUND_ERROR_BUSY);
    FSOUND_STREAM* stream = OpenBeep();
    ASSERT_NE(stream, nullptr);
    ASSERT_GE(FSOUND_Stream_Play(FSOUND_FREE, stream), 0);

    // Closing the library releases every stream; a handle kept from before is refused, also
    // once the library runs again.
    FSOUND_Close();
    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, stream), -1);
    EXPECT_EQ(FSOUND_GetError(), FSOUND_ERROR_UNINITIALIZED);
    EXPECT_FALSE(FSOUND_Stream_Close(stream));
    ASSERT_TRUE(FSOUND_Init(44100, 32, 0));
    EXPECT_FALSE(FSOUND_Stream_Stop(stream));
    EXPECT_EQ(FSOUND_GetError(), FSOUND_ERROR_INVALID_PARAM);
}

TEST_F(SoundLibrary, BadArgumentsAreRefusedWithoutHarm) {
    EXPECT_FALSE(FSOUND_Init(0, 32, 0));
    EXPECT_EQ(FSOUND_GetError(), FSOUND_ERROR_INVALID_PARAM);
    EXPECT_FALSE(FSOUND_Init(44100, -1, 0));
    EXPECT_FALSE(FSOUND_Init(44100, 100000, 0));
    ASSERT_TRUE(FSOUND_Init(44100, 32, 0));

    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, nullptr), -1);
    EXPECT_EQ(FSOUND_GetError(), FSOUND_ERROR_INVALID_PARAM);
    EXPECT_FALSE(FSOUND_Stream_SetLoopCount(nullptr, 0));
    EXPECT_FALSE(FSOUND_Stream_Stop(nullptr));
    EXPECT_FALSE(FSOUND_Stream_Close(nullptr));

    FSOUND_STREAM* stream = OpenBeep();
    ASSERT_NE(stream, nullptr);
    EXPECT_FALSE(FSOUND_Stream_SetLoopCount(stream, -2));
    EXPECT_EQ(FSOUND_Stream_Play(32, stream), -1);
    EXPECT_EQ(FSOUND_Stream_Play(-2, stream), -1);
    EXPECT_EQ(FSOUND_GetError(), FSOUND_ERROR_INVALID_PARAM);
    EXPECT_EQ(FSOUND_Stream_Play(31, stream), 31);
    EXPECT_FALSE(FSOUND_Stream_SetGroup(stream, 2));
    EXPECT_FALSE(FSOUND_SetGroupVolume(FSOUND_GROUP_MUSIC, FSOUND_FULL_VOLUME + 1));
    EXPECT_FALSE(FSOUND_SetGroupVolume(FSOUND_GROUP_EFFECTS, -1));
    EXPECT_FALSE(FSOUND_SetGroupVolume(-1, 0));
    EXPECT_EQ(FSOUND_GetError(), FSOUND_ERROR_INVALID_PARAM);

    EXPECT_TRUE(FSOUND_Stream_Close(stream));
    EXPECT_FALSE(FSOUND_Stream_Close(stream)); // closing twice is refused, not a double free
    EXPECT_EQ(FSOUND_GetError(), FSOUND_ERROR_INVALID_PARAM);
}

TEST_F(SoundLibrary, AFileIsReadAndDecodedOnceUntilTheLibraryCloses) {
    ASSERT_TRUE(FSOUND_Init(44100, 32, 0));
    FSOUND_STREAM* first = OpenBeep();
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(FSOUND_Stream_Close(first));
    ASSERT_TRUE(std::remove(beepPath.c_str()) == 0);

    // The file is gone, yet every laser shot still opens and plays it.
    FSOUND_STREAM* again = OpenBeep();
    ASSERT_NE(again, nullptr);
    FSOUND_STREAM* andAgain = OpenBeep();
    ASSERT_NE(andAgain, nullptr);
    EXPECT_NE(again, andAgain);
    EXPECT_GE(FSOUND_Stream_Play(FSOUND_FREE, andAgain), 0);

    FSOUND_Close();
    ASSERT_TRUE(FSOUND_Init(44100, 32, 0));
    EXPECT_EQ(OpenBeep(), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FSOUND_ERROR_FILE_NOT_FOUND);
}

TEST_F(SoundLibrary, StartingLeavesSignalsAndVideoAlone) {
    struct sigaction before[2];
    sigaction(SIGINT, nullptr, &before[0]);
    sigaction(SIGTERM, nullptr, &before[1]);
    ASSERT_TRUE(FSOUND_Init(44100, 32, 0));
    struct sigaction after[2];
    sigaction(SIGINT, nullptr, &after[0]);
    sigaction(SIGTERM, nullptr, &after[1]);
    // SDL's own handlers would turn Ctrl+C and a kill into an event nobody reads.
    EXPECT_EQ(after[0].sa_handler, before[0].sa_handler);
    EXPECT_EQ(after[1].sa_handler, before[1].sa_handler);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
    EXPECT_NE(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    FSOUND_Close();
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
}

} // namespace
