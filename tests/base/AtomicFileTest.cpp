#include "base/AtomicFile.h"

#include "FileBytes.h"
#include "ToneFiles.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <sys/resource.h>

namespace {

namespace fs = std::filesystem;

std::set<std::string> NamesIn(const std::string& directory) {
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(directory)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// Writes beyond `bytes` fail with EFBIG while it lives: a failing write that root cannot get
// around, unlike a read-only directory.
class CFileSizeLimit {
public:
    explicit CFileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &previous);
        oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, previous.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~CFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, oldHandler);
    }

private:
    rlimit previous{};
    void (*oldHandler)(int);
};

TEST(AtomicFile, ReplaceWritesOverTheOldFileAndLeavesNothingElse) {
    CScratchDirectory scratch;
    const std::string path = scratch.Join("records.txt");
    std::string error;
    ASSERT_TRUE(CAtomicFile::Replace(path, "first", error)) << error;
    ASSERT_TRUE(CAtomicFile::Replace(path, std::string("sec\0ond", 7), error)) << error;
    EXPECT_EQ(ReadFileBytes(path), std::string("sec\0ond", 7));
    EXPECT_EQ(NamesIn(scratch.GetPath()), std::set<std::string>{"records.txt"});
    EXPECT_EQ(fs::status(path).permissions(), fs::perms(0644));
}

TEST(AtomicFile, AFailedReplaceKeepsTheOldFileAndRemovesItsTemporary) {
    CScratchDirectory scratch;
    const std::string path = scratch.Join("records.txt");
    WriteFileBytes(path, "old");
    WriteFileBytes(scratch.Join("plain"), "");
    fs::create_directory(scratch.Join("folder"));
    struct SCase {
        std::string path;
        rlim_t sizeLimit;
        const char* error;
    };
    const SCase cases[] = {
        {path, 8, "File too large"}, // the write itself fails
        {scratch.Join("plain/records.txt"), RLIM_INFINITY, "Not a directory"},
        {scratch.Join("folder"), RLIM_INFINITY, "Is a directory"}, // the rename fails
    };
    for (const SCase& c : cases) {
        std::string error;
        {
            const CFileSizeLimit limit(c.sizeLimit);
            EXPECT_FALSE(CAtomicFile::Replace(c.path, std::string(4096, 'x'), error)) << c.path;
        }
        EXPECT_EQ(error, c.error) << c.path;
        EXPECT_EQ(ReadFileBytes(path), "old");
        EXPECT_EQ(NamesIn(scratch.GetPath()),
                  (std::set<std::string>{"folder", "plain", "records.txt"}));
        EXPECT_TRUE(fs::is_empty(scratch.Join("folder")));
    }
}

TEST(AtomicFile, CreateNewNeverOverwrites) {
    CScratchDirectory scratch;
    const std::string path = scratch.Join("shot.png");
    std::string error;
    EXPECT_EQ(CAtomicFile::CreateNew(path, "one", error), CAtomicFile::EResult::Written);
    EXPECT_EQ(CAtomicFile::CreateNew(path, "two", error), CAtomicFile::EResult::Exists);
    EXPECT_EQ(CAtomicFile::CreateNew(scratch.Join("none/shot.png"), "three", error),
              CAtomicFile::EResult::Failed);
    EXPECT_EQ(error, "No such file or directory");
    EXPECT_EQ(ReadFileBytes(path), "one");
    EXPECT_EQ(NamesIn(scratch.GetPath()), std::set<std::string>{"shot.png"});
}

TEST(AtomicFile, SetAsideTakesTheFirstFreeNumberAndOverwritesNothing) {
    CScratchDirectory scratch;
    const std::string path = scratch.Join("records.txt");
    WriteFileBytes(scratch.Join("records.txt.bad"), "bad 0");
    WriteFileBytes(scratch.Join("records.txt.bad.1"), "bad 1");
    WriteFileBytes(scratch.Join("records.txt.bad.3"), "bad 3");
    const char* const expected[] = {"records.txt.bad.2", "records.txt.bad.4"};
    for (const char* name : expected) {
        WriteFileBytes(path, name);
        std::string newPath;
        std::string error;
        ASSERT_TRUE(CAtomicFile::SetAside(path, newPath, error)) << error;
        EXPECT_EQ(newPath, scratch.Join(name));
        EXPECT_EQ(ReadFileBytes(newPath), name);
        EXPECT_FALSE(fs::exists(path));
    }
    EXPECT_EQ(ReadFileBytes(scratch.Join("records.txt.bad")), "bad 0");
    EXPECT_EQ(ReadFileBytes(scratch.Join("records.txt.bad.1")), "bad 1");
    EXPECT_EQ(ReadFileBytes(scratch.Join("records.txt.bad.3")), "bad 3");
}

// A directory takes no second name: only a single rename moves it, the move that leaves no
// moment in which another game's fresh file could be unlinked by mistake.
TEST(AtomicFile, SetAsideMovesTheFileInOneRename) {
    CScratchDirectory scratch;
    const std::string path = scratch.Join("records.txt");
    fs::create_directory(path);
    WriteFileBytes(scratch.Join("records.txt/inside"), "kept");
    std::string newPath;
    std::string error;
    ASSERT_TRUE(CAtomicFile::SetAside(path, newPath, error)) << error;
    EXPECT_EQ(newPath, scratch.Join("records.txt.bad"));
    EXPECT_EQ(ReadFileBytes(scratch.Join("records.txt.bad/inside")), "kept");
    EXPECT_EQ(NamesIn(scratch.GetPath()), std::set<std::string>{"records.txt.bad"});
}

// Dotfiles kept in a repository are links into it: writes and set-asides go to the file the
// links end in, and every link stays a link. A loop has no file to write, and stays.
TEST(AtomicFile, ReplaceAndSetAsideGoThroughSymbolicLinksAndKeepThem) {
    CScratchDirectory scratch;
    fs::create_directories(scratch.Join("dotfiles/zelkora"));
    fs::create_directory(scratch.Join("config"));
    const std::string target = scratch.Join("dotfiles/zelkora/keys.txt");
    const std::pair<const char*, std::string> links[] = {
        {"absolute", target},
        {"relative", "../dotfiles/zelkora/keys.txt"},
        {"chain", scratch.Join("config/absolute")}};
    for (const auto& [name, pointsAt] : links) {
        const std::string link = scratch.Join(std::string("config/") + name);
        fs::create_symlink(pointsAt, link);
        std::string error, newPath;
        ASSERT_TRUE(CAtomicFile::Replace(link, name, error)) << name << ": " << error;
        EXPECT_EQ(ReadFileBytes(target), name);
        ASSERT_TRUE(CAtomicFile::SetAside(link, newPath, error)) << name << ": " << error;
        EXPECT_TRUE(fs::equivalent(newPath, target + ".bad")) << newPath;
        EXPECT_TRUE(fs::is_symlink(link)) << name;
        fs::remove(newPath);
    }
    const std::string loop = scratch.Join("config/loop");
    fs::create_symlink("loop", loop);
    std::string error;
    EXPECT_FALSE(CAtomicFile::Replace(loop, "lost", error)) << "written over the loop";
    EXPECT_TRUE(fs::is_symlink(loop));
}

TEST(AtomicFile, MakeDirectoriesMakesEveryLevelOrSaysWhy) {
    CScratchDirectory scratch;
    WriteFileBytes(scratch.Join("plain"), "");
    struct SCase {
        std::string path;
        bool made;
        const char* error;
    };
    const SCase cases[] = {
        {scratch.Join("a/b//c/"), true, ""},
        {scratch.Join("a/b"), true, ""}, // already there
        {scratch.Join("plain"), false, "Not a directory"},
        {scratch.Join("plain/d/e"), false, "Not a directory"},
        {"", false, "No such file or directory"},
    };
    for (const SCase& c : cases) {
        std::string error;
        EXPECT_EQ(CAtomicFile::MakeDirectories(c.path, error), c.made) << c.path;
        EXPECT_EQ(error, c.error) << c.path;
    }
    EXPECT_TRUE(fs::is_directory(scratch.Join("a/b/c")));
}

} // namespace
