#pragma once

// Starting and stopping the sound library, and the texts of its error codes.

// Starts mixing at 44100 Hz on 32 channels. On failure writes "cant start FMOD: " and the
// error text to standard output and returns false; sounds still open and play, unheard.
bool StartSoundSystem();
void StopSoundSystem(); // once, after every stream is closed; harmless if never started
// Every sound holds where it is, or goes on; plays started while paused wait as well.
void PauseAllSounds(bool paused);
// Every sound plays on unheard, or is heard again; later plays as well.
void MuteAllSounds(bool muted);
// The music's volume and every other sound's, each 0 (silent) to FSOUND_FULL_VOLUME (as
// recorded), at once for sounds playing and later ones; mute still silences both.
void SetSoundVolumes(int music, int effects);

const char* SoundErrorText(int code); // "Unknown error" for codes outside 0 to 18
