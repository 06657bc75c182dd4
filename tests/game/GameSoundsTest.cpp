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

constexpr double kToneRms = 8000.0 / std::sqrt(2.0); // MakeTone's default amplitude
constexpr double kMusicHz = 220.0;

void Wait(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// The volumes heard at once, the music's apart from the effects', full volume the sound as
// recorded, and a muted game staying muted until unmuted to the volumes set. Waits are checked
// with room to spare: the disk driver falls behind the clock under load.
TEST(GameSounds, VolumesAreHeardAtOnceMusicApartFromEffects) {
    const CGameDataDirectory data; // the game's sound files, and the working directory
    const CScratchDirectory scratch;
    StopSoundSystem(); // started on the dummy driver; these sounds go to the disk
    CMixRecording::SendMixTo(scratch.Join("mix.raw"));
    ASSERT_TRUE(WriteWav("sounds/start_sound.wav", MakeTone(660.0, 0.3)));
    for (const char* effect : {"explosion_1", "explosion_2", "squeaky"}) {
        ASSERT_TRUE(WriteWav(std::string("sounds/") + effect + ".wav", MakeTone(990.0, 0.3)));
    }
    // WAV bytes: a seamless loop, which the MP3 encoder's padding would break.
    ASSERT_TRUE(WriteWav("sounds/title_sound_1.mp3", MakeTone(kMusicHz, 0.5)));
    {
        CGameSounds sounds(true);
        sounds.PlayStart();
        Wait(0.5);
        sounds.SetVolumes(10, 4);
        sounds.PlayStart();
        Wait(0.5);
        sounds.SetVolumes(10, 0);
        sounds.PlayStart();
        Wait(0.5);
        sounds.StartMusicOnce();
        sounds.PlayExplosions(3); // unheard: they would change the music's level and pitch
        Wait(0.5);
        sounds.SetVolumes(5, 0);
        Wait(0.5);
        sounds.ToggleMute();
        sounds.SetVolumes(5, 10);
        sounds.PlayExplosions(1); // muted all the same
        Wait(0.5);
        sounds.ToggleMute();
        Wait(0.5);
        sounds.StopMusic();
        Wait(0.2);
    }
    StopSoundSystem(); // closes the output file
    CMixRecording recording;
    ASSERT_TRUE(recording.Load(scratch.Join("mix.raw")));

    const auto sounding = recording.FindSounding();
    ASSERT_EQ(sounding.size(), 4u) << "the start sound twice, the music, the music unmuted";
    const auto rms = [&recording](double from, double to) { return recording.Rms(from, to); };
    EXPECT_NEAR(rms(sounding[0].start + 0.02, sounding[0].end - 0.02), kToneRms, 0.01 * kToneRms);
    EXPECT_NEAR(rms(sounding[1].start + 0.02, sounding[1].end - 0.02), 0.4 * kToneRms,
                0.01 * kToneRms);
    const double musicStart = sounding[2].start;
    EXPECT_NEAR(rms(musicStart + 0.02, musicStart + 0.2), kToneRms, 0.01 * kToneRms);
    EXPECT_NEAR(recording.Frequency(musicStart + 0.02, musicStart + 0.2), kMusicHz, 5.0);
    EXPECT_NEAR(rms(sounding[2].end - 0.2, sounding[2].end - 0.02), 0.5 * kToneRms,
                0.01 * kToneRms);
    EXPECT_NEAR(rms(sounding[3].start + 0.02, sounding[3].end - 0.02), 0.5 * kToneRms,
                0.01 * kToneRms);
    EXPECT_NEAR(recording.Frequency(sounding[3].start + 0.02, sounding[3].end - 0.02), kMusicHz,
                5.0);
}

} // namespace
