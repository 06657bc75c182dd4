#include "sound/SoundSystem.h"

#include "sound/SoundLibrary.h"

#include <cstdio>
#include <iterator>

namespace {

// Indexed by error code. Code 12 keeps its trailing blank: the texts are output as they stand.
const char* const kErrorTexts[] = {
    "No errors",
    "Cannot call this command after FSOUND_Init.  Call FSOUND_Close first.",
    "This command failed because FSOUND_Init was not called",
    "Error initializing output device.",
    "The output device is already in use and cannot be reused.",
    "Playing the sound failed.",
    "Soundcard does not support the features needed for this soundsystem (16bit stereo output)",
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

constexpr int kMixRate = 44100;
constexpr int kChannels = 32;

} // namespace

bool StartSoundSystem() {
    if (FSOUND_Init(kMixRate, kChannels, 0)) {
        return true;
    }
    std::printf("cant start FMOD: %s\n", SoundErrorText(FSOUND_GetError()));
    std::fflush(stdout);
    return false;
}

void StopSoundSystem() {
    FSOUND_Close();
}

// Without a running library there is nothing to hold or silence.
void PauseAllSounds(bool paused) {
    FSOUND_SetPaused(FSOUND_ALL, paused);
}

void MuteAllSounds(bool muted) {
    FSOUND_SetMute(FSOUND_ALL, muted);
}

void SetSoundVolumes(int music, int effects) {
    FSOUND_SetGroupVolume(FSOUND_GROUP_MUSIC, music);
    FSOUND_SetGroupVolume(FSOUND_GROUP_EFFECTS, effects);
}

const char* SoundErrorText(int code) {
    if (code < 0 || code >= static_cast<int>(std::size(kErrorTexts))) {
        return "Unknown error";
    }
    return kErrorTexts[code];
}
