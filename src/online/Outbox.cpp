#include "online/Outbox.h"

#include "base/AtomicFile.h"
#include "base/SmallFile.h"
#include "online/BoardClient.h"
#include "runs/Replay.h"

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

COutbox::COutbox(const std::string& dataDirectory)
    : directory(dataDirectory.empty() ? "" : dataDirectory + "/outbox") {}

// FNV-1a, 64 bits: the same on every machine and every build, unlike std::hash, so a run keeps
// its name across restarts of the game.
std::string COutbox::NameFor(const std::string& replayBytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : replayBytes) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    char name[32];
    std::snprintf(name, sizeof name, "%016" PRIx64 ".zrp", hash);
    return name;
}

bool COutbox::Put(const std::string& replayBytes, std::string& problem) const {
    if (directory.empty()) {
        problem = "no data directory for the outbox";
        return false;
    }
    if (replayBytes.size() > CBoardClient::kLargestReplay) {
        problem = "larger than " + std::to_string(CBoardClient::kLargestReplay) +
                  " bytes, more than the board takes";
        return false;
    }
    if (!CAtomicFile::MakeDirectories(directory, problem)) {
        problem = "cant make " + directory + " (" + problem + ")";
        return false;
    }
    const std::string path = directory + "/" + NameFor(replayBytes);
    std::string error;
    if (CAtomicFile::CreateNew(path, replayBytes, error) == CAtomicFile::EResult::Failed) {
        problem = "cant write " + path + " (" + error + ")";
        return false;
    }
    return true; // Written, or Exists: the same run waits already
}

std::vector<std::string> COutbox::List() const {
    std::vector<std::pair<timespec, std::string>> found;
    DIR* const listing = directory.empty() ? nullptr : opendir(directory.c_str());
    if (listing == nullptr) {
        return {};
    }
    while (const dirent* entry = readdir(listing)) {
        const std::string path = directory + "/" + entry->d_name;
        struct stat status {};
        if (EndsWith(entry->d_name, ".zrp") && lstat(path.c_str(), &status) == 0 &&
            S_ISREG(status.st_mode)) {
            found.emplace_back(status.st_mtim, path);
        }
    }
    closedir(listing);
    // Oldest first, and the name breaks a tie, so the order is the same every time.
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        if (a.first.tv_sec != b.first.tv_sec) {
            return a.first.tv_sec < b.first.tv_sec;
        }
        if (a.first.tv_nsec != b.first.tv_nsec) {
            return a.first.tv_nsec < b.first.tv_nsec;
        }
        return a.second < b.second;
    });
    std::vector<std::string> paths;
    for (const auto& waiting : found) {
        paths.push_back(waiting.second);
    }
    return paths;
}

bool COutbox::Read(const std::string& path, std::string& replayBytes, std::string& problem) const {
    replayBytes.clear();
    std::string why;
    switch (CSmallFile::Read(path, CBoardClient::kLargestReplay, replayBytes, why)) {
    case CSmallFile::ERead::Read: {
        CReplay replay;
        if (CReplay::Decode(replayBytes, replay, why)) {
            return true;
        }
        break;
    }
    case CSmallFile::ERead::Missing:
        problem = "outbox: " + path + ": gone";
        return false; // sent and removed by another game meanwhile: nothing to set aside
    case CSmallFile::ERead::TooLarge:
        why = "larger than " + std::to_string(CBoardClient::kLargestReplay) + " bytes";
        break;
    case CSmallFile::ERead::Failed:
        why = "cant read it (" + why + ")";
        break;
    }
    replayBytes.clear();
    std::string movedTo;
    std::string error;
    problem = "outbox: " + path + ": " + why +
              (CAtomicFile::SetAside(path, movedTo, error)
                   ? "; moved it to " + movedTo + ", not sent"
                   : "; cant move it aside (" + error + "), not sent");
    return false;
}

bool COutbox::Remove(const std::string& path, std::string& problem) const {
    if (unlink(path.c_str()) != 0 && errno != ENOENT) {
        problem = "cant remove " + path + " (" + std::strerror(errno) + ")";
        return false;
    }
    return true;
}
