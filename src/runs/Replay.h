#pragma once

#include "app/Timer.h"
#include "world/WorldIdentity.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One recorded run: the world it was flown in, every simulation frame (its time step exactly as
// the rules used it, the six command flags as the ship read them, and what the frame left of the
// ship, to find where a replay departs from it and to fly a ghost), the commands given between
// frames, and how it ended. Encode and Decode turn it into the .zrp file described in
// docs/replay-format.md and back; Decode refuses anything outside the limits below.
class CReplay {
public:
    static constexpr std::uint16_t kVersion = 2;                // the format written; 1 is read too
    static constexpr std::uint16_t kOldestVersion = 1;          // without the node count
    static constexpr std::uint32_t kMaximumFrames = 3600 * 240; // an hour at 240 frames a second
    static constexpr std::uint32_t kMaximumCommands = 100000;
    // Seconds; steps lie in [0, kMaximumStep]: every step the game's timer gives, a stall of
    // the machine included.
    static constexpr double kMaximumStep = CTimer::kLongestStep;
    static constexpr std::size_t kMaximumSplits = 16;
    static constexpr std::size_t kMaximumFileBytes = 64u << 20;
    static constexpr std::size_t kVersionTextBytes = 16;
    static constexpr int kPoseUnitsPerUnit = 64; // pose values are kept in 1/64 steps

    // The command flags of one frame, as bits.
    enum ECommand : std::uint8_t {
        kUp = 1,
        kDown = 2,
        kLeft = 4,
        kRight = 8,
        kFire = 16,
        kAccelerate = 32,
        kAllCommands = 63,
    };

    // The ship after a frame, in 1/64 units (degrees for the angles): see CPlayer::SPathPose.
    struct SPose {
        std::int32_t node = 0;
        std::int64_t along = 0;
        std::int64_t offset = 0;
        std::int64_t roll = 0;
        std::int64_t turnRate = 0;
        std::int64_t nose = 0;
        bool visible = true; // drawn, not yet blown apart

        bool operator==(const SPose& other) const;
        bool operator!=(const SPose& other) const { return !(*this == other); }
    };
    static std::int64_t ToPoseUnits(float value); // rounded; 0 for what is not finite
    static float FromPoseUnits(std::int64_t units);

    struct SFrame {
        double step = 0.0;         // seconds, as the rules used it
        std::uint8_t commands = 0; // ECommand bits
        SPose pose;                // after the frame
        std::uint8_t check = 0;    // the low byte of the state hash after the frame
    };
    // A command between frames: 'k' (self-destruct) or 'p' (P mode), given before frame `frame`
    // (0-based; the frame count for one given after the last frame).
    struct SCommand {
        std::uint32_t frame = 0;
        char command = 'k';
    };
    CWorldIdentity world;         // nodes 0 in a file of format version 1
    std::string gameVersion;      // at most kVersionTextBytes printable characters
    std::int64_t recordedAt = 0;  // UTC seconds since 1970
    bool pModeUsed = false;       // at any moment of the run
    bool finished = false;        // the run reached the finish; the recording ends there
    double finishClock = 0.0;     // the course clock at the finish, seconds
    std::uint64_t finishHash = 0; // the state hash at the finish (finished runs)
    std::uint64_t endHash = 0;    // the state hash after the last frame
    std::vector<double> splits;   // the course clock at each joint disc reached, in course order
    std::vector<SCommand> commands;
    std::vector<SFrame> frames;

    double GetDuration() const; // the sum of the steps, seconds

    // The file's bytes; false, with what is wrong in `problem` (one short phrase, as Decode
    // names it) and `bytes` empty, for a replay Decode would refuse or read back as another, and
    // when zlib cannot pack it.
    [[nodiscard]] bool Encode(std::string& bytes, std::string& problem) const;
    // The file's bytes to a replay: false with what is wrong in `problem` (one short phrase,
    // such as "checksum does not match") and the replay then empty.
    static bool Decode(const std::string& bytes, CReplay& replay, std::string& problem);
    // The most Decode makes in memory for these bytes, read from their header alone: what a
    // server takes from its budget before it decodes a stranger's file.
    static std::size_t GetDecodingBytes(const std::string& bytes);

    static std::string FormatHash(std::uint64_t hash); // 16 lower-case hex digits

private:
    friend class CUncheckedReplayWriter; // tests make files the game never writes

    bool CheckWritable(std::string& problem) const;
    bool Pack(std::string& bytes, std::string& problem) const; // whatever the replay holds
    std::string EncodePayload() const;
    bool DecodePayload(const std::string& payload, std::string& problem);
    bool CheckLimits(std::string& problem) const;
};
