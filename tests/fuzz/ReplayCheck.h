#pragma once

#include "runs/Replay.h"

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <string>

// The bytes a replay fuzz input stands for, shared with the unit tests so that a saved input
// means there what it meant to the fuzzer. The first byte picks the form. Even: the rest is the
// file. Odd: the rest is the 88-byte header and the payload unpacked; it is packed, its sizes and
// the file's length are written into the header and the checksum is added, so that mutations
// reach the frames instead of dying at the checksum or in zlib.
inline std::string ReplayFileFromFuzzInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kHeaderBytes = 88;
    constexpr std::size_t kLengthAt = 8;
    constexpr std::size_t kPayloadBytesAt = 84;
    if (size == 0) {
        return {};
    }
    std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    if ((data[0] & 1) == 0 || rest.size() < kHeaderBytes) {
        return rest;
    }
    const auto put = [](std::string& text, std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            text[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
        }
    };
    const std::string payload = rest.substr(kHeaderBytes);
    uLongf packedSize = compressBound(static_cast<uLong>(payload.size()));
    std::string packed(packedSize, '\0');
    compress2(reinterpret_cast<Bytef*>(&packed[0]), &packedSize,
              reinterpret_cast<const Bytef*>(payload.data()), static_cast<uLong>(payload.size()),
              Z_BEST_SPEED);
    packed.resize(packedSize);
    std::string file = rest.substr(0, kHeaderBytes) + packed;
    put(file, kLengthAt, static_cast<std::uint32_t>(file.size() + 4));
    put(file, kPayloadBytesAt, static_cast<std::uint32_t>(payload.size()));
    file.append(4, '\0');
    put(file, file.size() - 4,
        static_cast<std::uint32_t>(crc32(0L, reinterpret_cast<const Bytef*>(file.data()),
                                         static_cast<uInt>(file.size() - 4))));
    return file;
}

// What Decode promises of a replay it accepts, in the numbers docs/replay-format.md gives
// (worked out there, not read from the reader), so that a limit the reader widens shows.
inline bool ReplayIsWithinLimits(const CReplay& replay) {
    const CWorldIdentity& world = replay.world;
    if (replay.frames.empty() || replay.frames.size() > 864000 || // an hour at 240 a second
        replay.commands.size() > 100000 || replay.splits.size() > 16 || world.difficulty < 0 ||
        world.difficulty > 1000 || world.length < 1 || world.length > 100000 ||
        world.seed > 2147483647u || world.nodes < 0 ||
        world.nodes > 103998 || // 100,000 asked, less one, and 4 x 1000 - 1 of the last bend
        replay.gameVersion.size() > 16) {
        return false;
    }
    for (const char c : replay.gameVersion) {
        if (c < ' ' || c > '~') {
            return false;
        }
    }
    double duration = 0.0;
    for (const CReplay::SFrame& frame : replay.frames) {
        if (!(frame.step >= 0.0 && frame.step <= 100.0)) {
            return false;
        }
        duration += frame.step;
    }
    // The clocks fall within the run; only a finished run has a finish time.
    if (!(replay.finishClock >= 0.0 && replay.finishClock <= duration) ||
        (!replay.finished && replay.finishClock != 0.0)) {
        return false;
    }
    for (const double split : replay.splits) {
        if (!(split >= 0.0 && split <= duration)) {
            return false;
        }
    }
    // Commands come in the order they were given, none after the last frame.
    std::uint32_t lastFrame = 0;
    for (const CReplay::SCommand& command : replay.commands) {
        if (command.frame < lastFrame || command.frame > replay.frames.size()) {
            return false;
        }
        lastFrame = command.frame;
    }
    return true;
}

// Field by field, so that a field Encode drops or Decode misreads shows.
inline bool SameReplay(const CReplay& a, const CReplay& b) {
    if (a.world != b.world || a.gameVersion != b.gameVersion || a.recordedAt != b.recordedAt ||
        a.pModeUsed != b.pModeUsed || a.finished != b.finished || a.finishClock != b.finishClock ||
        a.finishHash != b.finishHash || a.endHash != b.endHash || a.splits != b.splits ||
        a.commands.size() != b.commands.size() || a.frames.size() != b.frames.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.commands.size(); ++i) {
        if (a.commands[i].frame != b.commands[i].frame ||
            a.commands[i].command != b.commands[i].command) {
            return false;
        }
    }
    for (std::size_t i = 0; i < a.frames.size(); ++i) {
        const CReplay::SFrame& x = a.frames[i];
        const CReplay::SFrame& y = b.frames[i];
        if (x.step != y.step || x.commands != y.commands || x.pose != y.pose ||
            x.check != y.check) {
            return false;
        }
    }
    return true;
}
