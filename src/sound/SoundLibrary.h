#pragma once

// The sound library under CSound: a stream interface of the FSOUND kind, built on SDL2's audio
// and SDL2_mixer. One thread calls it (the game's); the mixing runs on SDL's audio thread.
//
// A stream is one opened sound file. Its decoded samples are shared by every stream of the same
// path and kept until FSOUND_Close, so opening a file again costs no disk read and no decoding.
// Every call sets the code that FSOUND_GetError returns: 0 on success, one of the codes below
// on failure. Handles that are null, already closed or left over from before FSOUND_Close are
// refused with an error, never followed.

struct FSOUND_STREAM; // opaque

// The codes of FSOUND_GetError; SoundErrorText turns them into text.
enum EFsoundError {
    FSOUND_ERROR_NONE = 0,
    FSOUND_ERROR_BUSY = 1,          // FSOUND_Init while the library runs
    FSOUND_ERROR_UNINITIALIZED = 2, // a call that needs FSOUND_Init first
    FSOUND_ERROR_INIT = 3,          // no output device could be opened
    FSOUND_ERROR_FILE_NOT_FOUND = 9,
    FSOUND_ERROR_FILE_FORMAT = 10, // not a sound file we can decode
    FSOUND_ERROR_FILE_BAD = 11,    // exists, but is no readable regular file
    FSOUND_ERROR_MEMORY = 12,      // too large to hold decoded
    FSOUND_ERROR_INVALID_PARAM = 14,
    FSOUND_ERROR_CHANNEL_ALLOC = 16, // every channel is busy
};

constexpr unsigned int FSOUND_LOOP_NORMAL = 2; // open mode: streams repeat until a loop count says
constexpr int FSOUND_FREE = -1;                // play channel: let the library pick a free one
constexpr int FSOUND_ALL = -3;                 // pause and mute: every channel

// Each stream belongs to a group whose volume its plays take: the music, or every other sound.
enum ESoundGroup { FSOUND_GROUP_EFFECTS = 0, FSOUND_GROUP_MUSIC = 1 };
constexpr int FSOUND_FULL_VOLUME = 255; // a group's volume: the samples as decoded

// Opens the output at mixRate Hz (4000 to 192000), 16-bit stereo, with maxSoftwareChannels
// channels (1 to 256) to mix at once; flags are ignored. When no output device can be opened,
// it returns false with FSOUND_ERROR_INIT but still starts silently, so that streams open and
// play unheard. Never touches SDL's video or the process's signal handlers.
bool FSOUND_Init(int mixRate, int maxSoftwareChannels, unsigned int flags);
// Stops every channel, releases every stream and decoded sound, closes the output. Harmless
// when the library is not running.
void FSOUND_Close();
int FSOUND_GetError(); // the code of the last call, see EFsoundError

// Opens a WAV or MP3 file (or another format SDL_mixer decodes) as a stream. Mode
// FSOUND_LOOP_NORMAL makes it repeat until stopped, otherwise it plays once; offset and length
// must both be 0 (the whole file). Null on failure.
FSOUND_STREAM* FSOUND_Stream_Open(const char* path, unsigned int mode, int offset, int length);
// Starts the stream from its beginning on a channel (0 to channels - 1, or FSOUND_FREE), with
// the loop count last set; a stream may sound on several channels at once. Returns the
// channel, or -1 on failure.
int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream);
// The plays started from now on: 0 once, n repeated n more times, -1 without end.
bool FSOUND_Stream_SetLoopCount(FSOUND_STREAM* stream, int count);
bool FSOUND_Stream_Stop(FSOUND_STREAM* stream); // silences every channel this stream plays on
// The group of the stream's plays, those sounding included; a stream opens as an effect.
bool FSOUND_Stream_SetGroup(FSOUND_STREAM* stream, int group);
// A group's volume, 0 (silent) to FSOUND_FULL_VOLUME, at once for its plays sounding and later
// ones; mute silences every group over it. FSOUND_Init sets both groups to full.
bool FSOUND_SetGroupVolume(int group, int volume);
// Holds every channel where it is (FSOUND_ALL only) until resumed; plays started meanwhile
// wait too. Resuming goes on from the held place.
bool FSOUND_SetPaused(int channel, bool paused);
// Every channel (FSOUND_ALL only) plays on unheard while muted, later plays as well.
bool FSOUND_SetMute(int channel, bool mute);
bool FSOUND_Stream_Close(FSOUND_STREAM* stream); // stops it and releases the handle
// How many channels sound now, those held by a pause included; 0 when the library is not
// running.
int FSOUND_GetChannelsPlaying();
