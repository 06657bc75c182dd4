#include "Mp3File.h"

#include <algorithm>
#include <lame/lame.h>
#include <memory>

namespace {

struct SLameDeleter {
    void operator()(lame_global_flags* flags) const { lame_close(flags); }
};
using CLame = std::unique_ptr<lame_global_flags, SLameDeleter>;

CLame OpenEncoder(int rate, int channels, const SMp3Options& options) {
    CLame lame(lame_init());
    if (!lame) {
        return lame;
    }
    lame_set_in_samplerate(lame.get(), rate);
    lame_set_out_samplerate(lame.get(), rate);
    lame_set_num_channels(lame.get(), channels);
    lame_set_mode(lame.get(), channels == 2 ? JOINT_STEREO : MONO);
    if (options.variableBitRate) {
        lame_set_VBR(lame.get(), vbr_default);
        lame_set_VBR_quality(lame.get(), options.variableQuality);
    } else {
        lame_set_brate(lame.get(), options.kbps);
    }
    if (options.quality >= 0) {
        lame_set_quality(lame.get(), options.quality);
    }
    lame_set_bWriteVbrTag(lame.get(), options.infoTag ? 1 : 0);
    lame_set_write_id3tag_automatic(lame.get(), 0);
    if (lame_init_params(lame.get()) < 0) {
        lame.reset();
    }
    return lame;
}

} // namespace

std::vector<unsigned char> EncodeMp3(int rate, int channels,
                                     const std::vector<std::int16_t>& samples,
                                     const SMp3Options& options, std::string& error) {
    CLame lame;
    if (channels == 1 || channels == 2) {
        lame = OpenEncoder(rate, channels, options);
    }
    if (!lame) {
        error = "cannot start the MP3 encoder";
        return {};
    }
    std::vector<std::int16_t> pcm = samples; // LAME takes them as non-const
    const int frames = static_cast<int>(pcm.size()) / channels;
    std::vector<unsigned char> mp3(static_cast<std::size_t>(1.25 * frames + 7200 + 16384));
    const int size = static_cast<int>(mp3.size());
    const int written =
        channels == 1
            ? lame_encode_buffer(lame.get(), pcm.data(), pcm.data(), frames, mp3.data(), size)
            : lame_encode_buffer_interleaved(lame.get(), pcm.data(), frames, mp3.data(), size);
    const int flushed =
        written < 0 ? 0 : lame_encode_flush(lame.get(), mp3.data() + written, size - written);
    if (written < 0 || flushed < 0) {
        error = "MP3 encoding failed (" + std::to_string(std::min(written, flushed)) + ")";
        return {};
    }
    mp3.resize(static_cast<std::size_t>(written + flushed));
    if (options.infoTag) {
        // The encoder left room for the tag in the first frame; fill it in now that the totals
        // are known.
        unsigned char tag[2880];
        const std::size_t tagSize = lame_get_lametag_frame(lame.get(), tag, sizeof tag);
        if (tagSize == 0 || tagSize > mp3.size()) {
            error = "MP3 info tag missing";
            return {};
        }
        std::copy(tag, tag + tagSize, mp3.begin());
    }
    return mp3;
}
