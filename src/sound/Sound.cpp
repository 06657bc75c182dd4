#include "sound/Sound.h"

#include "sound/SoundLibrary.h"
#include "sound/SoundSystem.h"

#include <cstdio>
#include <cstdlib>

CSound::CSound(const char* path) {
    if (noSoundHolders > 0) {
        return; // a null stream: the library refuses every call on it, harmlessly
    }
    stream = FSOUND_Stream_Open(path, FSOUND_LOOP_NORMAL, 0, 0);
    if (stream == nullptr) {
        std::printf("cant open soundfile %s: %s\n", path != nullptr ? path : "",
                    SoundErrorText(FSOUND_GetError()));
        std::fflush(stdout);
        std::exit(1);
    }
}

CSound::~CSound() {
    Close();
}

void CSound::Play() {
    FSOUND_Stream_Play(FSOUND_FREE, stream);
}

void CSound::PlayOnce() {
    FSOUND_Stream_SetLoopCount(stream, 0);
    Play();
}

void CSound::PlayLooped() {
    FSOUND_Stream_SetLoopCount(stream, -1);
    Play();
}

void CSound::Stop() {
    FSOUND_Stream_Stop(stream);
}

void CSound::MarkAsMusic() {
    FSOUND_Stream_SetGroup(stream, FSOUND_GROUP_MUSIC);
}

void CSound::Close() {
    if (stream == nullptr) {
        return; // closed already
    }
    FSOUND_Stream_Close(stream);
    stream = nullptr;
}
