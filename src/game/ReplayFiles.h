#pragma once

#include "game/Replay.h"

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
    void SaveBest(const CReplay& run, int nodes); // nodes: the world's path node count
    // The world's best replay, or null: missing silently; damaged or of another world, moved
    // aside with one line. A run flown with another length that builds the same tunnel (the same
    // node count) is of this world.
    std::unique_ptr<CReplay> LoadBest(const CReplay::SWorld& world, int nodes);

    std::string GetBestPath(const CReplay::SWorld& world, int nodes) const;
    std::string GetLastPath() const;

    // The whole file: false with the reason (strerror text, or "larger than ... bytes").
    static bool ReadFile(const std::string& path, std::string& bytes, std::string& error);

private:
    void Save(const std::string& path, const CReplay& run);

    std::string directory; // .../zelkora/replays, or empty
    bool saveFailureReported = false;
};
