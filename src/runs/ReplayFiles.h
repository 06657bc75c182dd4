#pragma once

#include "runs/Replay.h"

#include <memory>
#include <string>

// The replays kept in the game's data directory, in replays/:
//   last.zrp                           the last run, written when it ends
//   best-<difficulty>-<nodes>-<seed>.zrp  the run that set the world's record
// Written like the records: a temporary file, synced, renamed into place. Nothing here stops
// the game: a directory that cannot be written gives one line (once), a damaged best replay is
// moved aside (.bad, .bad.1, ...) with one line, and the game plays on.
class CReplayFiles {
public:
    // directory: the game's data directory; empty keeps nothing.
    explicit CReplayFiles(const std::string& dataDirectory);

    void SaveLast(const CReplay& run);
    void SaveBest(const CReplay& run); // under the name of its world
    // The world's best replay, or null: missing silently; unreadable (a FIFO, a directory, too
    // large) with one line; damaged or of another world, moved aside with one line.
    std::unique_ptr<CReplay> LoadBest(const CWorldIdentity& world); // a world whose tunnel is built

    std::string GetBestPath(const CWorldIdentity& world) const;
    std::string GetLastPath() const;

private:
    void Save(const std::string& path, const CReplay& run);
    // The file's replay when it is a finished run of that world; else null with why.
    static std::unique_ptr<CReplay> Decode(const std::string& bytes, const CWorldIdentity& world,
                                           std::string& problem);
    static void SetAside(const std::string& path, const std::string& problem);

    std::string directory; // .../zelkora/replays, or empty
    bool saveFailureReported = false;
};
