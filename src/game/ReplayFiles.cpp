#include "game/ReplayFiles.h"

#include "app/AtomicFile.h"
#include "world/Tunnel.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sys/stat.h>

CReplayFiles::CReplayFiles(const std::string& dataDirectory)
    : directory(dataDirectory.empty() ? "" : dataDirectory + "/replays") {}

std::string CReplayFiles::GetBestPath(const CReplay::SWorld& world, int nodes) const {
    return directory + "/best-" + std::to_string(world.difficulty) + "-" + std::to_string(nodes) +
           "-" + std::to_string(world.seed) + ".zrp";
}

std::string CReplayFiles::GetLastPath() const {
    return directory + "/last.zrp";
}

void CReplayFiles::SaveLast(const CReplay& run) {
    Save(GetLastPath(), run);
}

void CReplayFiles::SaveBest(const CReplay& run, int nodes) {
    Save(GetBestPath(run.world, nodes), run);
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

bool CReplayFiles::ReadFile(const std::string& path, std::string& bytes, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = std::strerror(errno);
        return false;
    }
    bytes.clear();
    char buffer[65536];
    while (in.read(buffer, sizeof(buffer)) || in.gcount() > 0) {
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > CReplay::kMaximumFileBytes) {
            error = "larger than " + std::to_string(CReplay::kMaximumFileBytes) + " bytes";
            return false;
        }
    }
    if (in.bad()) {
        error = "read error";
        return false;
    }
    return true;
}

std::unique_ptr<CReplay> CReplayFiles::LoadBest(const CReplay::SWorld& world, int nodes) {
    if (directory.empty()) {
        return nullptr;
    }
    const std::string path = GetBestPath(world, nodes);
    std::string bytes;
    std::string problem;
    struct stat status {};
    if (stat(path.c_str(), &status) != 0 && errno == ENOENT) {
        return nullptr; // no best run of this world yet
    }
    if (!ReadFile(path, bytes, problem)) {
        std::printf("replays: %s: cant read it (%s), playing without a ghost\n", path.c_str(),
                    problem.c_str());
        std::fflush(stdout);
        return nullptr;
    }
    auto replay = std::make_unique<CReplay>();
    if (CReplay::Decode(bytes, *replay, problem)) {
        // Lengths that end in the same bend build the same tunnel, and so the same world.
        const CReplay::SWorld& flown = replay->world;
        const bool sameWorld =
            flown.difficulty == world.difficulty && flown.seed == world.seed &&
            CTunnel::CountRings(flown.difficulty, flown.length, flown.seed) == nodes;
        if (sameWorld && replay->finished) {
            return replay;
        }
        problem = replay->finished ? "the run of another world" : "a run without a finish";
    }
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
    return nullptr;
}
