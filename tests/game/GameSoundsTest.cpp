// The game's volumes as heard: its sounds mixed into SDL's disk driver, read back and measured.

#include "game/GameSounds.h"
#include "GameDataDirectory.h"
#include "MixRecording.h"
#include "ToneFiles.h"
#include "sound/SoundSystem.h"

#include <chrono>
#include <cmath>
#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace std::chrono_literals;

constexpr double kToneRms = 8000.0 / std::sqrt(2.0); // MakeTone's default amplitude

// The volumes heard at once, the music's apart from the effects', full volume the sound as
// recorded, and a muted game staying muted until unmuted to the volumes set. Waits are checked
// with room to spare: the disk driver falls behind the clock under load.
TEST(GameSounds, VolumesAreHeardAtOnceMusicApartFromEffects) {
    const CGameDataDirectory data; // the game's sound files, and the working directory
    const CScratchDirectory scratch;
    StopSoundSystem(); // started on the dummy driver; these sounds go to the disk
    CMixRecording::SendMixTo(scratch.Join("mix.raw"));
    for (const char* effect : {"start_sound", "explosion_1", "explosion_2", "squeaky"}) {
        ASSERT_TRUE(WriteWav(std::string("sounds/") + effect + ".wav", MakeTone(990.0, 0.3)));
    }
    // WAV bytes: a seamless loop, which the MP3 encoder's padding would break.
    ASSERT_TRUE(WriteWav("sounds/title_sound_1.mp3", MakeTone(220.0, 0.5)));
    {
        CGameSounds sounds(true);
        sounds.SetVolumes(10, 4);
        sounds.PlayStart();
        std::this_thread::sleep_for(500ms);
        sounds.SetVolumes(10, 0);
        sounds.StartMusicOnce();
        sounds.PlayExplosions(3); // unheard: they would change the music's level and pitch
        std::this_thread::sleep_for(500ms);
        sounds.SetVolumes(5, 0);
        std::this_thread::sleep_for(500ms);
        sounds.ToggleMute();
        sounds.SetVolumes(5, 10);
        sounds.PlayExplosions(1); // muted all the same
        std::this_thread::sleep_for(500ms);
        sounds.ToggleMute();
        std::this_thread::sleep_for(500ms);
    }
    StopSoundSystem(); // closes the output file
    CMixRecording recording;
    ASSERT_TRUE(recording.Load(scratch.Join("mix.raw")));

    const auto sounding = recording.FindSounding();
    ASSERT_EQ(sounding.size(), 3u) << "the start sound, the music, the music unmuted";
    const double tolerance = 0.01 * kToneRms;
    const CMixRecording::SStretch &start = sounding[0], &music = sounding[1],
                                  &unmuted = sounding[2];
    EXPECT_NEAR(recording.Rms(start.start + 0.02, start.end - 0.02), 0.4 * kToneRms, tolerance);
    // As recorded, the explosions at volume 0 adding nothing; then at once at half.
    EXPECT_NEAR(recording.Rms(music.start + 0.02, music.start + 0.2), kToneRms, tolerance);
    EXPECT_NEAR(recording.Rms(music.end - 0.2, music.end - 0.02), 0.5 * kToneRms, tolerance);
    EXPECT_NEAR(recording.Rms(unmuted.start + 0.02, unmuted.end - 0.02), 0.5 * kToneRms, tolerance);
}

} // namespace
