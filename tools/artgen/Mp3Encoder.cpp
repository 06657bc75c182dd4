#include "Mp3Encoder.h"

#include <cstdio>
#include <lame/lame.h>
#include <memory>

namespace {

struct SLameDeleter {
    void operator()(lame_global_flags* flags) const { lame_close(flags); }
};
using CLame = std::unique_ptr<lame_global_flags, SLameDeleter>;

CLame OpenEncoder(int channels) {
    CLame lame(lame_init());
    if (!lame) {
        return lame;
    }
    lame_set_in_samplerate(lame.get(), CWave::kRate);
    lame_set_out_samplerate(lame.get(), CWave::kRate);
    lame_set_num_channels(lame.get(), channels);
    lame_set_mode(lame.get(), channels == 2 ? JOINT_STEREO : MONO);
    lame_set_VBR(lame.get(), vbr_default);
    lame_set_VBR_quality(lame.get(), 4.0f);
    lame_set_quality(lame.get(), 5);
    lame_set_bWriteVbrTag(lame.get(), 1);
    lame_set_write_id3tag_automatic(lame.get(), 0); // no tags: the bytes depend on nothing else
    if (lame_init_params(lame.get()) < 0) {
        lame.reset();
    }
    return lame;
}

} // namespace

std::vector<unsigned char> EncodeMp3(const CWave& wave) {
    CLame lame = OpenEncoder(wave.GetChannels());
    if (!lame || wave.GetChannels() != 2) {
        std::printf("artgen: cannot start the MP3 encoder\n");
        return {};
    }
    std::vector<short> pcm = wave.ToPcm16();
    const int frames = static_cast<int>(wave.GetFrames());
    std::vector<unsigned char> mp3(static_cast<std::size_t>(1.25 * frames + 7200 + 16384));
    const int written = lame_encode_buffer_interleaved(lame.get(), pcm.data(), frames, mp3.data(),
                                                       static_cast<int>(mp3.size()));
    if (written < 0) {
        std::printf("artgen: MP3 encoding failed (%d)\n", written);
        return {};
    }
    const int flushed =
        lame_encode_flush(lame.get(), mp3.data() + written, static_cast<int>(mp3.size()) - written);
    if (flushed < 0) {
        std::printf("artgen: MP3 encoding failed (%d)\n", flushed);
        return {};
    }
    mp3.resize(static_cast<std::size_t>(written + flushed));
    // The encoder left room for its info tag in the first frame; fill it in now that the
    // totals are known.
    unsigned char tag[2880];
    const std::size_t tagSize = lame_get_lametag_frame(lame.get(), tag, sizeof tag);
    if (tagSize == 0 || tagSize > mp3.size()) {
        std::printf("artgen: MP3 info tag missing\n");
        return {};
    }
    std::copy(tag, tag + tagSize, mp3.begin());
    return mp3;
}
