#pragma once

#include <string>
#include <vector>

// Runs waiting to go to the board, in outbox/ of the game's data directory, one .zrp file each,
// named by a hash of its bytes: the same run put twice is one file, sent once. Written like the
// replays (a temporary file, synced, linked into place), so a crash leaves no half run. A file
// leaves the outbox when the board has answered it; a damaged one is moved aside (.bad, ...)
// with one line, never deleted.
class COutbox {
public:
    // dataDirectory: the game's data directory; empty keeps nothing.
    explicit COutbox(const std::string& dataDirectory);

    // Queues the bytes of a run. True when it waits in the outbox (now or already); false with
    // why in a few words.
    bool Put(const std::string& replayBytes, std::string& problem) const;
    // The paths of the runs waiting, oldest first. Regular *.zrp files only: a half-written
    // temporary file or a run set aside is none.
    std::vector<std::string> List() const;
    // A waiting run's bytes, checked as a replay. False with one line in problem when it cannot
    // be read or is damaged: it is then moved aside, so the next List no longer names it.
    bool Read(const std::string& path, std::string& replayBytes, std::string& problem) const;
    // Takes an answered run out. False with why when it cannot.
    bool Remove(const std::string& path, std::string& problem) const;

    const std::string& GetDirectory() const { return directory; } // .../zelkora/outbox, or ""
    static std::string NameFor(const std::string& replayBytes);   // "<16 hex digits>.zrp"

private:
    std::string directory;
};
