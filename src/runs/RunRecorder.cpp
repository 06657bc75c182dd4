#include "runs/RunRecorder.h"

#include <cstdio>
#include <utility>

void CRunRecorder::Begin(const CWorldIdentity& world, const std::string& gameVersion,
                         std::int64_t recordedAt) {
    run = CReplay();
    run.world = world;
    run.gameVersion = gameVersion;
    run.recordedAt = recordedAt;
    runTime = 0.0;
    recording = true;
}

void CRunRecorder::NoteCommand(char command) {
    if (recording && run.commands.size() < CReplay::kMaximumCommands) {
        run.commands.push_back(
            CReplay::SCommand{static_cast<std::uint32_t>(run.frames.size()), command});
    } else if (recording) {
        Stop("more than " + std::to_string(CReplay::kMaximumCommands) + " commands");
    }
}

void CRunRecorder::NoteSplit(double courseClock) {
    if (recording && run.splits.size() < CReplay::kMaximumSplits) {
        run.splits.push_back(courseClock);
    } else if (recording) {
        Stop("more than " + std::to_string(CReplay::kMaximumSplits) + " splits");
    }
}

void CRunRecorder::AddFrame(const CReplay::SFrame& frame) {
    if (!recording) {
        return;
    }
    if (!(frame.step >= 0.0 && frame.step <= CReplay::kMaximumStep)) {
        char why[64];
        std::snprintf(why, sizeof(why), "a frame of %.2f s (outside 0 to %g s)", frame.step,
                      CReplay::kMaximumStep);
        Stop(why);
        return;
    }
    if (run.frames.size() >= CReplay::kMaximumFrames) {
        Stop("more than " + std::to_string(CReplay::kMaximumFrames) + " frames");
        return;
    }
    run.frames.push_back(frame);
    runTime += frame.step;
}

bool CRunRecorder::End(bool finished, double finishClock, std::uint64_t stateHash, CReplay& ended) {
    const bool kept = recording && !run.frames.empty();
    recording = false;
    if (!kept) {
        return false;
    }
    run.finished = finished;
    run.finishClock = finished ? finishClock : 0.0;
    run.finishHash = finished ? stateHash : 0;
    run.endHash = stateHash;
    ended = std::move(run);
    run = CReplay();
    return true;
}

void CRunRecorder::Stop(const std::string& reason) {
    recording = false;
    run = CReplay();
    std::printf("replay: this run had %s, it is not recorded\n", reason.c_str());
    std::fflush(stdout);
}
