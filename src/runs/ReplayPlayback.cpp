#include "runs/ReplayPlayback.h"

#include "base/SmallFile.h"
#include "base/Version.h"
#include "runs/Records.h"
#include "world/Tunnel.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

// "1.3.0" as three numbers; false for anything else.
bool ParseVersion(const std::string& text, int (&parts)[3]) {
    char rest = 0;
    return std::sscanf(text.c_str(), "%d.%d.%d%c", &parts[0], &parts[1], &parts[2], &rest) == 3 &&
           parts[0] >= 0 && parts[1] >= 0 && parts[2] >= 0;
}

bool VersionBefore(const int (&a)[3], const int (&b)[3]) {
    return a[0] != b[0] ? a[0] < b[0] : a[1] != b[1] ? a[1] < b[1] : a[2] < b[2];
}

// A course clock as m:ss.hh, with every digit when two times would read the same.
std::string ClockText(double seconds, double other) {
    const auto shown = [](double value) {
        return CRecords::FormatTime(CRecords::ToMilliseconds(value));
    };
    if (shown(seconds) != shown(other)) {
        return shown(seconds);
    }
    char text[40];
    std::snprintf(text, sizeof text, "%.17g s", seconds);
    return text;
}

} // namespace

CReplayPlayback::CReplayPlayback(CReplay recorded) : replay(std::move(recorded)) {}

bool CReplayPlayback::HasTheseRules(const std::string& recordedBy, std::string& problem) {
    const std::string ours = GetGameVersion();
    int recorded[3] = {};
    int first[3] = {};
    int current[3] = {};
    if (recordedBy == ours) {
        return true;
    }
    if (ParseVersion(recordedBy, recorded) && ParseVersion(kFirstVersionOfTheseRules, first) &&
        ParseVersion(ours, current) && !VersionBefore(recorded, first) &&
        !VersionBefore(current, recorded)) {
        return true;
    }
    const std::string by = recordedBy.empty() ? "an unnamed version" : "zelkora " + recordedBy;
    problem = "recorded by " + by + ", whose rules are not this game's (zelkora " + ours +
              "); it cannot be checked here";
    return false;
}

bool CReplayPlayback::TakeCommand(char& command) {
    if (nextCommand >= replay.commands.size() || replay.commands[nextCommand].frame != next) {
        return false;
    }
    command = replay.commands[nextCommand++].command;
    return true;
}

std::unique_ptr<CReplayPlayback> CReplayPlayback::Load(const std::string& path,
                                                       std::string& problem) {
    std::string bytes;
    CReplay replay;
    std::string error;
    switch (CSmallFile::Read(path, CReplay::kMaximumFileBytes, bytes, error)) {
    case CSmallFile::ERead::Missing:
        problem = std::strerror(ENOENT);
        return nullptr;
    case CSmallFile::ERead::TooLarge:
        problem = "larger than " + std::to_string(CReplay::kMaximumFileBytes) + " bytes";
        return nullptr;
    case CSmallFile::ERead::Failed:
        problem = error;
        return nullptr;
    case CSmallFile::ERead::Read:
        break;
    }
    if (!CReplay::Decode(bytes, replay, problem) || !HasTheseRules(replay.gameVersion, problem)) {
        return nullptr;
    }
    return std::make_unique<CReplayPlayback>(std::move(replay));
}

void CReplayPlayback::NotePModeOn() {
    if (pModeFrame == 0) {
        pModeFrame = next + 1;
    }
}

void CReplayPlayback::NoteSplit(double courseClock) {
    playedSplits.push_back(courseClock);
}

void CReplayPlayback::NoteFinish(double courseClock, std::uint64_t stateHash) {
    finishFrame = next;
    playedFinishClock = courseClock;
    playedFinishHash = stateHash;
}

void CReplayPlayback::CheckFrame(const CReplay::SFrame& played) {
    const CReplay::SFrame& recorded = replay.frames[next];
    ++next;
    if (divergedAt == 0 && (played.pose != recorded.pose || played.check != recorded.check)) {
        divergedAt = next; // and the playback ends here
    }
}

void CReplayPlayback::CheckEnd(std::uint64_t stateHash) {
    playedHash = stateHash;
    if (divergedAt == 0) {
        falseClaim = FindFalseClaim();
    }
}

std::string CReplayPlayback::FindFalseClaim() const {
    // The header's node count names the world the run is ranked in: it must be the one built.
    const CWorldIdentity& world = replay.world;
    const int built = CTunnel::CountRings(world.difficulty, world.length, world.seed);
    if (world.nodes != 0 && world.nodes != built) {
        return "the header says the world has " + std::to_string(world.nodes) +
               " path nodes; its difficulty, length and seed build " + std::to_string(built);
    }
    const std::string finish = FindFalseFinishClaim();
    if (!finish.empty()) {
        return finish;
    }
    if (replay.endHash != playedHash) {
        return "the header says the end state is " + CReplay::FormatHash(replay.endHash) +
               "; the flight's is " + CReplay::FormatHash(playedHash);
    }
    if (!replay.pModeUsed && pModeFrame != 0) {
        return "the header says P mode was never used; the flight used it at frame " +
               std::to_string(pModeFrame);
    }
    if (replay.pModeUsed && pModeFrame == 0) {
        return "the header says P mode was used; the flight never used it";
    }
    return FindFalseSplitClaim();
}

std::string CReplayPlayback::FindFalseFinishClaim() const {
    if (replay.finished && finishFrame == 0) {
        return "the header says the run reached the finish; the flight did not";
    }
    if (!replay.finished && finishFrame != 0) {
        return "the header says the run did not reach the finish; the flight reached it at "
               "frame " +
               std::to_string(finishFrame);
    }
    if (finishFrame != 0 && finishFrame != replay.frames.size()) {
        return "the flight reached the finish at frame " + std::to_string(finishFrame) +
               "; the recording goes on to frame " + std::to_string(replay.frames.size());
    }
    if (replay.finished && replay.finishClock != playedFinishClock) {
        return "the header says the finish time is " +
               ClockText(replay.finishClock, playedFinishClock) + "; the flight's is " +
               ClockText(playedFinishClock, replay.finishClock);
    }
    const std::uint64_t flownFinishHash = finishFrame != 0 ? playedFinishHash : 0;
    if (replay.finishHash != flownFinishHash) {
        return "the header says the finish state is " + CReplay::FormatHash(replay.finishHash) +
               "; the flight's is " + CReplay::FormatHash(flownFinishHash);
    }
    return "";
}

std::string CReplayPlayback::FindFalseSplitClaim() const {
    if (replay.splits.size() != playedSplits.size()) {
        return "the header has " + std::to_string(replay.splits.size()) +
               " splits; the flight reached " + std::to_string(playedSplits.size()) +
               " joint discs";
    }
    for (std::size_t i = 0; i < playedSplits.size(); ++i) {
        if (replay.splits[i] != playedSplits[i]) {
            return "the header says split " + std::to_string(i + 1) + " is " +
                   ClockText(replay.splits[i], playedSplits[i]) + "; the flight's is " +
                   ClockText(playedSplits[i], replay.splits[i]);
        }
    }
    return "";
}

std::string CReplayPlayback::Describe(const std::string& name) const {
    if (divergedAt != 0) {
        return "replay: " + name + ": diverged at frame " + std::to_string(divergedAt);
    }
    if (!falseClaim.empty()) {
        return "replay: " + name + ": " + falseClaim;
    }
    std::string verdict =
        finishFrame != 0
            ? "finish " + CRecords::FormatTime(CRecords::ToMilliseconds(playedFinishClock))
            : "no finish";
    if (pModeFrame != 0) {
        verdict += " with P mode";
    }
    verdict += ", state " + CReplay::FormatHash(playedHash);
    if (replay.gameVersion != GetGameVersion()) {
        verdict += ", recorded by zelkora " + replay.gameVersion;
    }
    return "replay: " + name + ": " + verdict + ", matches";
}

bool CReplayPlayback::FlewAsClaimed(const std::string& line, int exitCode, const CReplay& run,
                                    std::string& verdict) {
    static const std::string kNamed = "run.zrp: ";
    const std::size_t named = line.find(kNamed);
    verdict = named == std::string::npos ? "" : line.substr(named + kNamed.size());
    // "finish 1:02.33, state <16 hex>, matches", with the header's time.
    const std::string claimed =
        "finish " + CRecords::FormatTime(CRecords::ToMilliseconds(run.finishClock)) + ", state ";
    const std::string matches = ", matches";
    return exitCode == 0 && verdict.size() == claimed.size() + 16 + matches.size() &&
           verdict.compare(0, claimed.size(), claimed) == 0 &&
           verdict.compare(verdict.size() - matches.size(), matches.size(), matches) == 0;
}
