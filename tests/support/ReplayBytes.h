#pragma once

#include "runs/Replay.h"

#include <gtest/gtest.h>

#include <string>

// A replay's bytes as the game writes them; a refusal fails the test and gives "".
inline std::string EncodedBytes(const CReplay& replay) {
    std::string bytes;
    std::string problem;
    EXPECT_TRUE(replay.Encode(bytes, problem)) << problem;
    return bytes;
}

// The bytes of any replay, limits unchecked: files the game never writes, for tests of what the
// reader does with them.
class CUncheckedReplayWriter {
public:
    static std::string Encode(const CReplay& replay) {
        std::string bytes;
        std::string problem;
        EXPECT_TRUE(replay.Pack(bytes, problem)) << problem;
        return bytes;
    }
};
