#include "sound/SoundLibrary.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <system_error>
#include <unordered_map>
#include <utility>
#include <vector>

struct FSOUND_STREAM {
    Mix_Chunk* sound; // decoded samples, owned by the library and shared by path
    int loops;        // SDL_mixer's repeat count for the next play: -1 without end
    int group;        // ESoundGroup
};

namespace {

constexpr int kMixBufferFrames = 1024; // about 23 ms at 44100 Hz: short enough for effects
constexpr int kMinMixRate = 4000;
constexpr int kMaxMixRate = 192000;
constexpr int kMaxChannels = 256;
constexpr std::uintmax_t kMaxFileBytes = 256u << 20; // hours of MP3; SDL reads sizes as int

// By handle: every chaser holds a stream of its own, a hundred thousand enemies give tens of
// thousands, and each one is found at every call and removed when its chaser goes.
using StreamTable = std::unordered_map<const FSOUND_STREAM*, std::unique_ptr<FSOUND_STREAM>>;

struct SLibrary {
    bool running = false;
    bool silent = false; // running on the dummy driver because no device could be opened
    bool paused = false;
    bool muted = false;
    int groupVolumes[2] = {FSOUND_FULL_VOLUME, FSOUND_FULL_VOLUME}; // by ESoundGroup
    std::unordered_map<std::string, Mix_Chunk*> decodedByPath;
    StreamTable streams;
    std::vector<const FSOUND_STREAM*> channelStarters; // the stream that last started a channel
};

// Built on first use, whoever comes first (the game object, made in main, or a test), and
// never destroyed: a sound file
// that cannot be opened ends the process with exit() while the output still runs, and a
// destructor at that point would drop the only record of the decoded sounds that SDL's audio
// thread may still be mixing.
SLibrary& Library() {
    static SLibrary* const library = new SLibrary;
    return *library;
}

int lastError = FSOUND_ERROR_NONE;

bool Fail(int code) {
    lastError = code;
    return false;
}

bool Succeed() {
    lastError = FSOUND_ERROR_NONE;
    return true;
}

bool OpenOutput(int mixRate) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return false;
    }
    // No format changes allowed: SDL converts to whatever the device wants, and we always mix
    // 16-bit stereo at the rate asked for.
    if (Mix_OpenAudioDevice(mixRate, AUDIO_S16SYS, 2, kMixBufferFrames, nullptr, 0) == 0) {
        return true;
    }
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
}

// The live stream behind a handle, or null with the error set; never follows a stale handle.
FSOUND_STREAM* FindStream(const FSOUND_STREAM* stream) {
    SLibrary& library = Library();
    if (!library.running) {
        Fail(FSOUND_ERROR_UNINITIALIZED);
        return nullptr;
    }
    const auto found = library.streams.find(stream);
    if (stream == nullptr || found == library.streams.end()) {
        Fail(FSOUND_ERROR_INVALID_PARAM);
        return nullptr;
    }
    return found->second.get();
}

bool IsGroup(int group) {
    return group == FSOUND_GROUP_EFFECTS || group == FSOUND_GROUP_MUSIC;
}

// SDL_mixer's volume for a channel that stream started (null: none): a full group plays at
// SDL_mixer's full volume, so the samples pass unchanged.
int MixVolume(const FSOUND_STREAM* stream) {
    const SLibrary& library = Library();
    const int volume = library.groupVolumes[stream != nullptr ? stream->group : 0];
    return library.muted ? 0
                         : (volume * MIX_MAX_VOLUME + FSOUND_FULL_VOLUME / 2) / FSOUND_FULL_VOLUME;
}

void ApplyVolumes() {
    const SLibrary& library = Library();
    for (std::size_t channel = 0; channel < library.channelStarters.size(); ++channel) {
        Mix_Volume(static_cast<int>(channel), MixVolume(library.channelStarters[channel]));
    }
}

// The channel a play goes to: the one asked for, or the first free one as SDL_mixer would pick
// it, so that its volume is set before the first sample mixes. -1 when every channel is busy.
int ChannelFor(int channel) {
    if (channel != FSOUND_FREE) {
        return channel;
    }
    const int channelCount = static_cast<int>(Library().channelStarters.size());
    for (int free = 0; free < channelCount; ++free) {
        if (Mix_Playing(free) == 0) {
            return free;
        }
    }
    return -1;
}

// Reads and decodes a file, or returns null with the error set.
Mix_Chunk* Decode(const char* path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        Fail(FSOUND_ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    if (error || status.type() != std::filesystem::file_type::regular) {
        Fail(FSOUND_ERROR_FILE_BAD);
        return nullptr;
    }
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error) {
        Fail(FSOUND_ERROR_FILE_BAD);
        return nullptr;
    }
    if (size > kMaxFileBytes) {
        Fail(FSOUND_ERROR_MEMORY);
        return nullptr;
    }
    std::vector<char> bytes(size);
    std::ifstream file(path, std::ios::binary);
    if (!file.read(bytes.data(), static_cast<std::streamsize>(size))) {
        Fail(FSOUND_ERROR_FILE_BAD);
        return nullptr;
    }
    // Decodes the whole file into the output's format; the bytes are not needed afterwards.
    Mix_Chunk* sound =
        Mix_LoadWAV_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1);
    if (sound == nullptr) {
        Fail(FSOUND_ERROR_FILE_FORMAT);
    }
    return sound;
}

} // namespace

bool FSOUND_Init(int mixRate, int maxSoftwareChannels, unsigned int /*flags*/) {
    SLibrary& library = Library();
    if (library.running) {
        return Fail(FSOUND_ERROR_BUSY);
    }
    if (mixRate < kMinMixRate || mixRate > kMaxMixRate || maxSoftwareChannels < 1 ||
        maxSoftwareChannels > kMaxChannels) {
        return Fail(FSOUND_ERROR_INVALID_PARAM);
    }
    // GLUT owns the window and the keyboard; SDL must not take SIGINT and SIGTERM away from
    // the process for an event queue that nobody reads.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Zelkora");

    const bool heard = OpenOutput(mixRate);
    if (!heard) {
        // SDL does not fall back by itself. The dummy driver mixes into nothing, so sound files
        // still open and play and the game runs silently instead of not at all.
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
        if (!OpenOutput(mixRate)) {
            SDL_ResetHint(SDL_HINT_AUDIODRIVER);
            return Fail(FSOUND_ERROR_INIT);
        }
        library.silent = true;
    }
    Mix_AllocateChannels(maxSoftwareChannels);
    library.channelStarters.assign(maxSoftwareChannels, nullptr);
    library.running = true;
    library.paused = false;
    library.muted = false;
    library.groupVolumes[FSOUND_GROUP_EFFECTS] = FSOUND_FULL_VOLUME;
    library.groupVolumes[FSOUND_GROUP_MUSIC] = FSOUND_FULL_VOLUME;
    return heard ? Succeed() : Fail(FSOUND_ERROR_INIT);
}

void FSOUND_Close() {
    SLibrary& library = Library();
    Succeed();
    if (!library.running) {
        return;
    }
    Mix_HaltChannel(-1);
    library.streams.clear();
    library.channelStarters.clear();
    for (const auto& [path, sound] : library.decodedByPath) {
        Mix_FreeChunk(sound);
    }
    library.decodedByPath.clear();
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    if (library.silent) {
        SDL_ResetHint(SDL_HINT_AUDIODRIVER); // the next start tries the real device again
        library.silent = false;
    }
    library.running = false;
}

int FSOUND_GetError() {
    return lastError;
}

FSOUND_STREAM* FSOUND_Stream_Open(const char* path, unsigned int mode, int offset, int length) {
    SLibrary& library = Library();
    if (!library.running) {
        Fail(FSOUND_ERROR_UNINITIALIZED);
        return nullptr;
    }
    if (path == nullptr || offset != 0 || length != 0) {
        Fail(FSOUND_ERROR_INVALID_PARAM);
        return nullptr;
    }
    Mix_Chunk*& sound = library.decodedByPath[path];
    if (sound == nullptr) {
        sound = Decode(path);
        if (sound == nullptr) {
            library.decodedByPath.erase(path); // a file that appears later gets its chance
            return nullptr;
        }
    }
    const int loops = (mode & FSOUND_LOOP_NORMAL) != 0 ? -1 : 0;
    auto opened =
        std::make_unique<FSOUND_STREAM>(FSOUND_STREAM{sound, loops, FSOUND_GROUP_EFFECTS});
    FSOUND_STREAM* handle = opened.get();
    library.streams.emplace(handle, std::move(opened));
    Succeed();
    return handle;
}

int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream) {
    SLibrary& library = Library();
    FSOUND_STREAM* found = FindStream(stream);
    if (found == nullptr) {
        return -1;
    }
    const int channelCount = static_cast<int>(library.channelStarters.size());
    if (channel != FSOUND_FREE && (channel < 0 || channel >= channelCount)) {
        Fail(FSOUND_ERROR_INVALID_PARAM);
        return -1;
    }
    const int chosen = ChannelFor(channel);
    if (chosen >= 0) {
        Mix_Volume(chosen, MixVolume(found));
    }
    const int played = chosen >= 0 ? Mix_PlayChannel(chosen, found->sound, found->loops) : -1;
    if (played < 0 || played >= channelCount) {
        Fail(FSOUND_ERROR_CHANNEL_ALLOC);
        return -1;
    }
    library.channelStarters[played] = found;
    if (library.paused) {
        Mix_Pause(played);
    }
    Succeed();
    return played;
}

bool FSOUND_Stream_SetLoopCount(FSOUND_STREAM* stream, int count) {
    FSOUND_STREAM* found = FindStream(stream);
    if (found == nullptr) {
        return false;
    }
    if (count < -1) {
        return Fail(FSOUND_ERROR_INVALID_PARAM);
    }
    found->loops = count;
    return Succeed();
}

bool FSOUND_Stream_Stop(FSOUND_STREAM* stream) {
    SLibrary& library = Library();
    const FSOUND_STREAM* found = FindStream(stream);
    if (found == nullptr) {
        return false;
    }
    // Only the channels this stream started: another stream of the same file plays on.
    // A channel that has since finished is halted harmlessly.
    for (std::size_t channel = 0; channel < library.channelStarters.size(); ++channel) {
        if (library.channelStarters[channel] == found) {
            Mix_HaltChannel(static_cast<int>(channel));
            library.channelStarters[channel] = nullptr;
        }
    }
    return Succeed();
}

bool FSOUND_Stream_SetGroup(FSOUND_STREAM* stream, int group) {
    FSOUND_STREAM* found = FindStream(stream);
    if (found == nullptr) {
        return false;
    }
    if (!IsGroup(group)) {
        return Fail(FSOUND_ERROR_INVALID_PARAM);
    }
    found->group = group;
    ApplyVolumes();
    return Succeed();
}

bool FSOUND_Stream_Close(FSOUND_STREAM* stream) {
    if (!FSOUND_Stream_Stop(stream)) {
        return false;
    }
    Library().streams.erase(stream); // found: Stop has checked the handle
    return Succeed();
}

namespace {
// Both switches act on all channels at once; single channels are not offered.
bool CheckAllChannels(int channel) {
    if (!Library().running) {
        return Fail(FSOUND_ERROR_UNINITIALIZED);
    }
    return channel == FSOUND_ALL ? Succeed() : Fail(FSOUND_ERROR_INVALID_PARAM);
}
} // namespace

bool FSOUND_SetPaused(int channel, bool paused) {
    if (!CheckAllChannels(channel)) {
        return false;
    }
    if (paused) {
        Mix_Pause(-1);
    } else {
        Mix_Resume(-1);
    }
    Library().paused = paused;
    return Succeed();
}

bool FSOUND_SetMute(int channel, bool mute) {
    if (!CheckAllChannels(channel)) {
        return false;
    }
    Library().muted = mute; // later plays take it when they start
    ApplyVolumes();
    return Succeed();
}

bool FSOUND_SetGroupVolume(int group, int volume) {
    if (!Library().running) {
        return Fail(FSOUND_ERROR_UNINITIALIZED);
    }
    if (!IsGroup(group) || volume < 0 || volume > FSOUND_FULL_VOLUME) {
        return Fail(FSOUND_ERROR_INVALID_PARAM);
    }
    Library().groupVolumes[group] = volume;
    ApplyVolumes();
    return Succeed();
}

int FSOUND_GetChannelsPlaying() {
    if (!Library().running) {
        Fail(FSOUND_ERROR_UNINITIALIZED);
        return 0;
    }
    Succeed();
    return Mix_Playing(-1);
}
