// The replay file: what is written is read back the same, every kind of damage or a world
// outside the game's ranges is refused with its own one-line reason, and what the reader would
// refuse is never written.

#include "runs/Replay.h"
#include "base/Version.h"
#include "runs/ReplayPlayback.h"

#include "ChildOutput.h"
#include "FileBytes.h"
#include "ReplayBytes.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

CReplay SmallRun() {
    CReplay run;
    run.world = {3, 500, 502, 17}; // difficulty, length asked, nodes built, seed
    run.gameVersion = "1.1.0";
    run.recordedAt = 1796731200; // 2026-12-08 12:00 UTC
    run.finished = true;
    run.finishClock = 0.05;
    run.finishHash = run.endHash = 0x0123456789abcdefULL;
    run.splits = {0.0, 0.04};
    run.commands = {{0, 'k'}, {2, 'p'}, {2, 'p'}};
    const double steps[] = {0.5, 1.0 / 60.0, 1.0 / 60.0, 0.016712345, 0.0};
    for (double step : steps) {
        CReplay::SFrame frame;
        frame.step = step;
        frame.commands = static_cast<std::uint8_t>(run.frames.size() * 13 % 64);
        frame.pose.node = static_cast<int>(10 + run.frames.size());
        frame.pose.along = -5 + static_cast<int>(run.frames.size()) * 300;
        frame.pose.roll = -123456789;
        frame.pose.nose = 320;
        frame.pose.visible = run.frames.size() != 3;
        frame.check = static_cast<std::uint8_t>(200 + run.frames.size());
        run.frames.push_back(frame);
    }
    return run;
}

// Rewrites the checksum, as someone changing the file on purpose would.
std::string Resummed(std::string bytes) {
    const std::size_t summed = bytes.size() - 4;
    const uLong sum =
        crc32(0L, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(summed));
    for (int i = 0; i < 4; ++i) {
        bytes[summed + i] = static_cast<char>((sum >> (8 * i)) & 0xFF);
    }
    return bytes;
}

std::string Refusal(const std::string& bytes) {
    CReplay replay = SmallRun();
    std::string problem;
    EXPECT_FALSE(CReplay::Decode(bytes, replay, problem));
    EXPECT_TRUE(replay.frames.empty());
    EXPECT_EQ(problem.find('\n'), std::string::npos);
    return problem;
}

TEST(Replay, WhatIsWrittenIsReadBackTheSame) {
    const CReplay run = SmallRun();
    CReplay read;
    std::string problem;
    ASSERT_TRUE(CReplay::Decode(EncodedBytes(run), read, problem)) << problem;
    EXPECT_EQ(read.world, run.world);
    EXPECT_EQ(read.gameVersion, "1.1.0");
    EXPECT_EQ(read.recordedAt, run.recordedAt);
    EXPECT_TRUE(read.finished);
    EXPECT_FALSE(read.pModeUsed);
    EXPECT_EQ(read.finishClock, 0.05);
    EXPECT_EQ(read.endHash, run.endHash);
    EXPECT_EQ(read.splits, run.splits);
    ASSERT_EQ(read.commands.size(), 3u);
    EXPECT_EQ(read.commands[1].frame, 2u);
    EXPECT_EQ(read.commands[1].command, 'p');
    ASSERT_EQ(read.frames.size(), run.frames.size());
    for (std::size_t i = 0; i < run.frames.size(); ++i) {
        EXPECT_EQ(read.frames[i].step, run.frames[i].step) << i; // every bit of the double
        EXPECT_EQ(read.frames[i].commands, run.frames[i].commands) << i;
        EXPECT_EQ(read.frames[i].pose, run.frames[i].pose) << i;
        EXPECT_EQ(read.frames[i].check, run.frames[i].check) << i;
    }
    EXPECT_EQ(CReplay::FormatHash(run.endHash), "0123456789abcdef");
}

TEST(Replay, DamageOfEveryKindIsRefusedWithItsReason) {
    const std::string good = EncodedBytes(SmallRun());
    std::string flipped = good;
    flipped[100] ^= 0x10;
    EXPECT_EQ(Refusal(flipped), "checksum does not match");
    EXPECT_EQ(Refusal(good.substr(0, good.size() - 7)),
              "truncated (" + std::to_string(good.size() - 7) + " bytes of " +
                  std::to_string(good.size()) + ")");
    EXPECT_EQ(Refusal(good.substr(0, 10)), "truncated (10 bytes)");
    EXPECT_EQ(Refusal(good + "x"), "length field says " + std::to_string(good.size()) +
                                       " bytes, file has " + std::to_string(good.size() + 1));
    EXPECT_EQ(Refusal("ZRQ\x1a" + good.substr(4)), "not a replay file");
    EXPECT_EQ(Refusal(""), "not a replay file");

    std::string future = good;
    future[4] = 3;
    EXPECT_EQ(Refusal(future), "format version 3 is not known (this game reads 1 to 2)");

    // An hour of frames claimed from a few packed bytes: refused before anything is made.
    std::string swollen = good;
    const std::uint32_t payload = 50u << 20;
    for (int i = 0; i < 4; ++i) {
        swollen[48 + i] = static_cast<char>((864000u >> (8 * i)) & 0xFF);
        swollen[84 + i] = static_cast<char>((payload >> (8 * i)) & 0xFF);
    }
    EXPECT_EQ(Refusal(Resummed(swollen)), "payload of 52428800 bytes from " +
                                              std::to_string(good.size() - 92) +
                                              " packed is more than frames pack to");
}

TEST(Replay, AWorldOrStepOutsideTheGamesRangesIsRefused) {
    CReplay run = SmallRun();
    run.world.difficulty = 1001;
    EXPECT_EQ(Refusal(CUncheckedReplayWriter::Encode(run)),
              "difficulty 1001 out of range 0 to 1000");
    run = SmallRun();
    run.world.length = 0;
    EXPECT_EQ(Refusal(CUncheckedReplayWriter::Encode(run)), "length 0 out of range 1 to 100000");
    run = SmallRun();
    run.world.seed = 2147483648u;
    EXPECT_EQ(Refusal(CUncheckedReplayWriter::Encode(run)),
              "seed 2147483648 out of range 0 to 2147483647");
    run = SmallRun();
    run.frames[2].step = 100.01;
    EXPECT_EQ(Refusal(CUncheckedReplayWriter::Encode(run)),
              "step 100.01 s at frame 3 is outside 0 to 100 s");
    run = SmallRun();
    run.frames[4].step = -0.001;
    EXPECT_EQ(Refusal(CUncheckedReplayWriter::Encode(run)),
              "step -0.001 s at frame 5 is outside 0 to 100 s");
    run = SmallRun();
    run.frames.clear();
    EXPECT_EQ(Refusal(CUncheckedReplayWriter::Encode(run)),
              "frame count 0 out of range 1 to 864000");
    run = SmallRun();
    run.frames[1].step = 100.000001; // in whole nanoseconds, just past the longest
    EXPECT_EQ(Refusal(CUncheckedReplayWriter::Encode(run)),
              "step 100.000001 s at frame 2 is outside 0 to 100 s");
    run = SmallRun();
    run.commands.push_back({6, 'k'}); // after the frame after the last
    EXPECT_EQ(Refusal(CUncheckedReplayWriter::Encode(run)), "a bad command in the recording");
    run = SmallRun();
    run.commands[1].command = 'r';
    EXPECT_EQ(Refusal(CUncheckedReplayWriter::Encode(run)), "a bad command in the recording");
    run = SmallRun();
    run.finishClock = 99.0;
    EXPECT_EQ(Refusal(CUncheckedReplayWriter::Encode(run)),
              "finish time 99 s does not fit the run");

    // A count beyond the limit in a header that is otherwise sound.
    std::string bytes = EncodedBytes(SmallRun());
    const std::uint32_t frames = CReplay::kMaximumFrames + 1;
    std::memcpy(&bytes[48], &frames, 4);
    EXPECT_EQ(Refusal(Resummed(bytes)), "frame count 864001 out of range 1 to 864000");
}

// A file of the older format names no node count; everything else reads as before.
TEST(Replay, AFileOfFormatOneIsReadWithoutItsNodeCount) {
    std::string bytes = EncodedBytes(SmallRun());
    bytes[4] = 1;
    bytes[81] = bytes[82] = bytes[83] = 0;
    CReplay read;
    std::string problem;
    ASSERT_TRUE(CReplay::Decode(Resummed(bytes), read, problem)) << problem;
    EXPECT_EQ(read.world.nodes, 0);
    EXPECT_EQ(read.world.length, 500);
    EXPECT_EQ(read.frames.size(), SmallRun().frames.size());
}

// Only a run recorded under this game's rules can be checked: both versions are named.
TEST(Replay, OnlyVersionsWithTheseRulesCanBeChecked) {
    const std::string ours = GetGameVersion();
    const struct {
        std::string version;
        bool checkable;
    } cases[] = {
        {ours, true},      {CReplayPlayback::kFirstVersionOfTheseRules, true},
        {"1.1.0", false},  {"0.9.9", false},
        {"99.0.0", false}, {"", false},
        {"1.2", false},    {"1.2.0x", false},
    };
    for (const auto& c : cases) {
        std::string problem;
        EXPECT_EQ(CReplayPlayback::HasTheseRules(c.version, problem), c.checkable) << c.version;
        if (!c.checkable && !c.version.empty()) {
            EXPECT_EQ(problem, "recorded by zelkora " + c.version + ", whose rules are not this " +
                                   "game's (zelkora " + ours + "); it cannot be checked here");
        }
    }
}

TEST(Replay, WhatTheFileCannotHoldOrReadBackIsNeverWritten) {
    struct SCase {
        const char* problem;
        void (*change)(CReplay& run);
    };
    const SCase cases[] = {
        {"split count 17 out of range 0 to 16", [](CReplay& run) { run.splits.assign(17, 0.0); }},
        // Its one byte would say 1.
        {"split count 257 out of range 0 to 16", [](CReplay& run) { run.splits.assign(257, 0.0); }},
        {"frame count 0 out of range 1 to 864000", [](CReplay& run) { run.frames.clear(); }},
        {"frame count 864001 out of range 1 to 864000",
         [](CReplay& run) { run.frames.resize(CReplay::kMaximumFrames + 1, run.frames.back()); }},
        {"command count 100001 out of range 0 to 100000",
         [](CReplay& run) {
             run.commands.assign(CReplay::kMaximumCommands + 1, {5, 'p'});
         }},
        // Its sixteen bytes would cut it.
        {"the game version is longer than 16 bytes",
         [](CReplay& run) { run.gameVersion = "1.1.0-0123456789a"; }},
        {"the game version is not text",
         [](CReplay& run) { run.gameVersion = std::string("1.1\0.0", 6); }},
        {"length 100001 out of range 1 to 100000", [](CReplay& run) { run.world.length = 100001; }},
        {"step 100.01 s at frame 3 is outside 0 to 100 s",
         [](CReplay& run) { run.frames[2].step = 100.01; }},
        {"a bad command in the recording", [](CReplay& run) { run.commands[2].frame = 1; }},
        {"a bad command in the recording",
         [](CReplay& run) {
             run.commands.push_back({6, 'k'});
         }},
        {"a bad ship pose at frame 4", [](CReplay& run) { run.frames[3].pose.node = -1; }},
        {"a bad ship pose at frame 2",
         [](CReplay& run) { run.frames[1].pose.along = CReplay::ToPoseUnits(1e30f) + 1; }},
        {"finish time 99 s does not fit the run", [](CReplay& run) { run.finishClock = 99.0; }},
        {"split 99 s does not fit the run", [](CReplay& run) { run.splits[1] = 99.0; }},
    };
    for (const SCase& c : cases) {
        CReplay run = SmallRun();
        c.change(run);
        std::string bytes = "old";
        std::string problem;
        EXPECT_FALSE(run.Encode(bytes, problem)) << c.problem;
        EXPECT_EQ(problem, c.problem);
        EXPECT_TRUE(bytes.empty()) << c.problem;
    }
}

TEST(Replay, ARunThatZlibCannotPackIsNeverWritten) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer cannot live without more address space";
#endif
    const CReplay run = SmallRun();
    const std::string said = PrintedByChild([&run] {
        std::string bytes;
        std::string problem;
        std::string said;
        problem.reserve(256);
        said.reserve(512);
        // No more address space, and every free piece of the heap as large as zlib's tables
        // taken: only small blocks can still be had.
        const rlimit none{0, RLIM_INFINITY};
        setrlimit(RLIMIT_AS, &none);
        void* volatile taken = nullptr; // kept, so that the compiler keeps the loop
        do {
            taken = std::malloc(16 * 1024);
        } while (taken != nullptr);
        const bool written = run.Encode(bytes, problem);
        said += written ? "written " : "refused ";
        said += std::to_string(bytes.size()) + " bytes: " + problem;
        (void)!write(STDOUT_FILENO, said.data(), said.size()); // stdio may want memory
        _exit(0);
    });
    EXPECT_EQ(said, "refused 0 bytes: the recorded frames do not pack (insufficient memory)");
}

TEST(Replay, AStoredRecordingIsWrittenAgainByteForByte) {
    const std::string stored =
        ReadFileBytes(ZELKORA_SOURCE_DIR "/tests/data/scripted-default-world.zrp");
    CReplay replay;
    std::string problem;
    ASSERT_TRUE(CReplay::Decode(stored, replay, problem)) << problem;
    std::string bytes;
    ASSERT_TRUE(replay.Encode(bytes, problem)) << problem;
    EXPECT_TRUE(bytes == stored);
}

} // namespace
