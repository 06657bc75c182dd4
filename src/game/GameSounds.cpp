#include "game/GameSounds.h"

#include "render/AssetTable.h"
#include "sound/Sound.h"
#include "sound/SoundLibrary.h"
#include "sound/SoundSystem.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {
// The explosion sounds explosion_1... of the asset table, drawn at random for four slots.
constexpr int kExplosionSoundCount =
    CAssetTable::CountNumbered(CAssetTable::EKind::Sound, "explosion_");
static_assert(kExplosionSoundCount == 2, "every world's random draws depend on this count");
} // namespace

CGameSounds::CGameSounds(bool withDevice) : withDevice(withDevice) {
    if (withDevice) {
        StartSoundSystem(); // without a device the game runs silently
    } else {
        CSound::SetNoSound(true);
    }
    music = std::make_unique<CSound>(CAssetTable::GetSoundPath("title_sound_1"));
    music->MarkAsMusic();
    startSound = std::make_unique<CSound>(CAssetTable::GetSoundPath("start_sound"));
    for (int slot = 0; slot < 4; ++slot) {
        char name[32];
        std::snprintf(name, sizeof(name), "explosion_%d", std::rand() % kExplosionSoundCount + 1);
        effectSounds[slot] = std::make_unique<CSound>(CAssetTable::GetSoundPath(name));
    }
    effectSounds[4] = std::make_unique<CSound>(CAssetTable::GetSoundPath("squeaky"));
}

CGameSounds::~CGameSounds() {
    Close();
    if (!withDevice) {
        CSound::SetNoSound(false);
    }
}

void CGameSounds::Close() {
    if (music) {
        music->Stop();
    }
    music.reset();
    startSound.reset();
    for (auto& sound : effectSounds) {
        sound.reset();
    }
}

void CGameSounds::PlayStart() {
    startSound->PlayOnce();
}

void CGameSounds::StartMusicOnce() {
    if (!musicStarted) {
        music->PlayLooped();
        musicStarted = true;
    }
}

void CGameSounds::StopMusic() {
    music->Stop();
    musicStarted = false;
}

void CGameSounds::PlayExplosions(int count) {
    for (int i = 0; i < count; ++i) {
        effectSounds[std::rand() % kEffectSounds]->PlayOnce();
    }
}

void CGameSounds::Pause(bool paused) {
    PauseAllSounds(paused);
}

void CGameSounds::SetVolumes(int music, int effects) {
    const auto libraryVolume = [](int volume) {
        return std::clamp(volume, 0, kLoudest) * FSOUND_FULL_VOLUME / kLoudest;
    };
    SetSoundVolumes(libraryVolume(music), libraryVolume(effects));
}

void CGameSounds::ToggleMute() {
    on = !on;
    MuteAllSounds(!on);
}
