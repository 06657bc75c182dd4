#include "online/Outbox.h"

#include "runs/Replay.h"

#include "FileBytes.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The replay the tests keep, and a second run made from it by another recording time.
std::string ARun(std::int64_t recordedAt) {
    CReplay replay;
    std::string problem;
    EXPECT_TRUE(
        CReplay::Decode(ReadFileBytes(ZELKORA_SOURCE_DIR "/tests/data/scripted-default-world.zrp"),
                        replay, problem))
        << problem;
    replay.recordedAt = recordedAt;
    std::string bytes;
    EXPECT_TRUE(replay.Encode(bytes, problem)) << problem;
    return bytes;
}

void SetModified(const std::string& path, time_t seconds) {
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    utimensat(AT_FDCWD, path.c_str(), times, 0);
}

struct SScratch {
    SScratch() { std::filesystem::create_directories(path); }
    ~SScratch() { std::filesystem::remove_all(path); }
    const std::string path =
        (std::filesystem::temp_directory_path() / ("outbox-" + std::to_string(getpid()))).string();
};

} // namespace

TEST(Outbox, ARunWaitsOnceOldestFirstUntilRemoved) {
    SScratch scratch;
    const COutbox outbox(scratch.path);
    const std::string older = ARun(1000);
    const std::string newer = ARun(2000);
    std::string problem;
    ASSERT_TRUE(outbox.Put(newer, problem)) << problem;
    ASSERT_TRUE(outbox.Put(older, problem)) << problem;
    ASSERT_TRUE(outbox.Put(newer, problem)) << "the same run again: " << problem;
    const std::string olderPath = outbox.GetDirectory() + "/" + COutbox::NameFor(older);
    const std::string newerPath = outbox.GetDirectory() + "/" + COutbox::NameFor(newer);
    SetModified(newerPath, 2000);
    SetModified(olderPath, 1000);
    WriteFileBytes(outbox.GetDirectory() + "/x.zrp.tmp-AbCdEf", "half a run");

    ASSERT_EQ(outbox.List(), (std::vector<std::string>{olderPath, newerPath}));
    std::string bytes;
    ASSERT_TRUE(outbox.Read(olderPath, bytes, problem)) << problem;
    EXPECT_EQ(bytes, older);
    ASSERT_TRUE(outbox.Remove(olderPath, problem)) << problem;
    EXPECT_EQ(outbox.List(), std::vector<std::string>{newerPath});
    EXPECT_EQ(COutbox::NameFor(newer), COutbox::NameFor(std::string(newer))) << "stable";
}

TEST(Outbox, ADamagedRunIsSetAsideWithOneLineNeverDeleted) {
    SScratch scratch;
    const COutbox outbox(scratch.path);
    std::string problem;
    ASSERT_TRUE(outbox.Put(ARun(1000), problem)) << problem;
    const std::string path = outbox.List().at(0);
    std::string damaged = ReadFileBytes(path);
    damaged[damaged.size() / 2] ^= 0x55;
    WriteFileBytes(path, damaged);

    std::string bytes;
    EXPECT_FALSE(outbox.Read(path, bytes, problem));
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(problem.rfind("outbox: " + path + ": ", 0), 0u) << problem;
    EXPECT_NE(problem.find("moved it to " + path + ".bad"), std::string::npos) << problem;
    EXPECT_EQ(problem.find('\n'), std::string::npos);
    EXPECT_EQ(ReadFileBytes(path + ".bad"), damaged);
    EXPECT_TRUE(outbox.List().empty());
}
