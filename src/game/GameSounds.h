#pragma once

#include <memory>

class CSound;

// The game's own sounds: the music, the start sound and five effects (four explosions and a
// squeak), with pause and mute over every sound playing. Without a window no sound library is
// started and no file is opened, but the random draws are the same, so that a world checked
// without a window is the world that was flown.
class CGameSounds {
public:
    static constexpr int kEffectSounds = 5;
    static constexpr int kLoudest = 10; // volumes run 0 (silent) to 10 (as recorded)

    // Starts the sound library and opens the sounds: a missing one ends the process. The four
    // explosion slots each draw their sound at random here, before the generator is seeded.
    explicit CGameSounds(bool withDevice);
    ~CGameSounds();
    CGameSounds(const CGameSounds&) = delete;
    CGameSounds& operator=(const CGameSounds&) = delete;

    void PlayStart();
    void StartMusicOnce();          // looped, from the start mark; once per run
    void StopMusic();               // a run begins again: the music waits for the start mark
    void PlayExplosions(int count); // each a random draw of one of the five effects
    void Pause(bool paused);        // every sound holds, or goes on
    void ToggleMute();              // every sound off or on
    // The music's volume and every other sound's (the enemies', shots' and ship's too), each
    // clamped to 0 to kLoudest, heard at once; a muted game stays muted and unmutes to them.
    void SetVolumes(int music, int effects);
    bool IsOn() const { return on; }
    // The music stopped, then every sound closed, in order; the game's destructor calls it
    // before the enemies' sounds go.
    void Close();

private:
    bool withDevice;
    bool musicStarted = false;
    bool on = true;
    std::unique_ptr<CSound> music;
    std::unique_ptr<CSound> startSound;
    std::unique_ptr<CSound> effectSounds[kEffectSounds];
};
