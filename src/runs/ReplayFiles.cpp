#include "runs/ReplayFiles.h"

#include "base/AtomicFile.h"
#include "base/SmallFile.h"
#include "world/Tunnel.h"

#include <cstdio>

CReplayFiles::CReplayFiles(const std::string& dataDirectory)
    : directory(dataDirectory.empty() ? "" : dataDirectory + "/replays") {}

std::string CReplayFiles::GetBestPath(const CWorldIdentity& world) const {
    return directory + "/best-" + std::to_string(world.difficulty) + "-" +
           std::to_string(world.nodes) + "-" + std::to_string(world.seed) + ".zrp";
}

std::string CReplayFiles::GetLastPath() const {
    return directory + "/last.zrp";
}

void CReplayFiles::SaveLast(const CReplay& run) {
    Save(GetLastPath(), run);
}

void CReplayFiles::SaveBest(const CReplay& run) {
    Save(GetBestPath(run.world), run);
}

void CReplayFiles::Save(const std::string& path, const CReplay& run) {
    if (directory.empty()) {
        return;
    }
    std::string bytes;
    std::string error;
    if (!run.Encode(bytes, error)) {
        // Only a run the game got wrong: said each time, since the next run may well save.
        std::printf("replays: cant save %s (%s), nothing written\n", path.c_str(), error.c_str());
        std::fflush(stdout);
        return;
    }
    if (CAtomicFile::MakeDirectories(directory, error) &&
        CAtomicFile::Replace(path, bytes, error)) {
        return;
    }
    if (!saveFailureReported) {
        saveFailureReported = true;
        std::printf("replays: cant save in %s (%s), playing on without saving\n", directory.c_str(),
                    error.c_str());
        std::fflush(stdout);
    }
}

std::unique_ptr<CReplay> CReplayFiles::LoadBest(const CWorldIdentity& world) {
    if (directory.empty()) {
        return nullptr;
    }
    const std::string path = GetBestPath(world);
    std::string bytes;
    std::string problem;
    switch (CSmallFile::Read(path, CReplay::kMaximumFileBytes, bytes, problem)) {
    case CSmallFile::ERead::Missing:
        return nullptr; // no best run of this world yet
    case CSmallFile::ERead::TooLarge:
        problem = "larger than " + std::to_string(CReplay::kMaximumFileBytes) + " bytes";
        break;
    case CSmallFile::ERead::Failed:
        std::printf("replays: %s: cant read it (%s), playing without a ghost\n", path.c_str(),
                    problem.c_str());
        std::fflush(stdout);
        return nullptr;
    case CSmallFile::ERead::Read:
        if (auto replay = Decode(bytes, world, problem)) {
            return replay;
        }
        break;
    }
    SetAside(path, problem);
    return nullptr;
}

std::unique_ptr<CReplay> CReplayFiles::Decode(const std::string& bytes, const CWorldIdentity& world,
                                              std::string& problem) {
    auto replay = std::make_unique<CReplay>();
    if (!CReplay::Decode(bytes, *replay, problem)) {
        return nullptr;
    }
    // A replay of the older format names no node count: its length and seed give it.
    CWorldIdentity flown = replay->world;
    if (flown.nodes == 0) {
        flown.nodes = CTunnel::CountRings(flown.difficulty, flown.length, flown.seed);
    }
    if (flown.IsSameWorld(world) && replay->finished) {
        return replay;
    }
    problem = replay->finished ? "the run of another world" : "a run without a finish";
    return nullptr;
}

void CReplayFiles::SetAside(const std::string& path, const std::string& problem) {
    std::string movedTo;
    std::string error;
    if (CAtomicFile::SetAside(path, movedTo, error)) {
        std::printf("replays: %s: %s; moved it to %s, playing without a ghost\n", path.c_str(),
                    problem.c_str(), movedTo.c_str());
    } else {
        std::printf("replays: %s: %s; cant move it aside (%s), playing without a ghost\n",
                    path.c_str(), problem.c_str(), error.c_str());
    }
    std::fflush(stdout);
}
