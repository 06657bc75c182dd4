#include "../fuzz/HttpRequestCheck.h"
#include "FileBytes.h"

#include <filesystem>
#include <gtest/gtest.h>

// The fuzz target's seeds, read here by every build: whole and in pieces alike.
TEST(HttpRequestReader, FuzzInputsAreReadSoundly) {
    const std::filesystem::path corpus =
        std::filesystem::path(ZELKORA_FUZZ_DIR) / "corpus/http_request";
    int read = 0;
    for (const auto& input : std::filesystem::directory_iterator(corpus)) {
        EXPECT_TRUE(HttpRequestsAreReadSoundly(ReadFileBytes(input.path().string())))
            << input.path();
        ++read;
    }
    EXPECT_GT(read, 0);
}
