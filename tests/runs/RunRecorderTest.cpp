// The recorder stops, with one line, at the first thing a run has beyond what the replay file
// holds, so that every run it hands over can be written.

#include "runs/RunRecorder.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

namespace {

TEST(RunRecorder, ARunBeyondTheFilesLimitsIsNotRecorded) {
    struct SCase {
        const char* line;
        void (*overfill)(CRunRecorder& recorder); // once past the limit
    };
    const SCase cases[] = {
        {"more than 16 splits",
         [](CRunRecorder& recorder) {
             for (std::size_t split = 0; split <= CReplay::kMaximumSplits; ++split) {
                 recorder.NoteSplit(0.01);
             }
         }},
        {"more than 100000 commands",
         [](CRunRecorder& recorder) {
             for (std::size_t command = 0; command <= CReplay::kMaximumCommands; ++command) {
                 recorder.NoteCommand('p');
             }
         }},
    };
    for (const SCase& c : cases) {
        CRunRecorder recorder;
        recorder.Begin({3, 500, 17}, "1.1.0", 1796731200);
        CReplay::SFrame first;
        first.step = 0.01;
        recorder.AddFrame(first);
        testing::internal::CaptureStdout();
        c.overfill(recorder);
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "replay: this run had " + std::string(c.line) + ", it is not recorded\n");
        EXPECT_FALSE(recorder.IsRecording()) << c.line;
        CReplay ended;
        EXPECT_FALSE(recorder.End(true, 0.01, 0, ended)) << c.line;
        EXPECT_TRUE(ended.frames.empty()) << c.line;
    }
}

} // namespace
