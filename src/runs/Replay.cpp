#include "runs/Replay.h"

#include "world/Tunnel.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <utility>

namespace {

constexpr char kMagic[4] = {'Z', 'R', 'P', '\x1a'};
constexpr std::size_t kHeaderBytes = 88;
constexpr std::size_t kChecksumBytes = 4;
constexpr std::uint16_t kFlagFinished = 1;
constexpr std::uint16_t kFlagPModeUsed = 2;
constexpr std::uint16_t kKnownFlags = kFlagFinished | kFlagPModeUsed;
// How a frame's step is written: bits 6 and 7 of its first byte.
constexpr std::uint8_t kStepSame = 0;        // as the frame before
constexpr std::uint8_t kStepNanoseconds = 1; // whole nanoseconds, against the frame before
constexpr std::uint8_t kStepRaw = 2;         // the double's eight bytes
constexpr double kNanosecondsPerSecond = 1e9;
// The most a frame takes: its first byte, a raw step, six varints of ten bytes, the check; and
// the least: its first byte, six one-byte varints and the check.
constexpr std::size_t kMaximumFrameBytes = 1 + 8 + 6 * 10 + 1;
constexpr std::size_t kMinimumFrameBytes = 1 + 6 + 1;
// What packed frames can honestly unpack to: a flight's frames pack about three to one, a
// long wait at the start far better, while zlib can pack zeros a thousand to one. A file that
// claims more is refused before anything is made for it.
constexpr std::size_t kMostUnpackedPerPackedByte = 64;
constexpr std::size_t kUnpackedAllowance = 64 * 1024;
// Where the header keeps the counts that size what Decode makes.
constexpr std::size_t kFrameCountAt = 48;
constexpr std::size_t kPayloadSizeAt = 84;
constexpr std::int64_t kPoseLimit = std::int64_t{1} << 40; // far past any tunnel
constexpr std::int64_t kMaximumNode = CTunnel::kMaximumRingCount;

class CWriter {
public:
    void Bytes(const void* data, std::size_t size) {
        text.append(static_cast<const char*>(data), size);
    }
    void Unsigned(std::uint64_t value, int size) {
        for (int i = 0; i < size; ++i) {
            text.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
        }
    }
    void Double(double value) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof(bits));
        Unsigned(bits, 8);
    }
    void Varint(std::uint64_t value) {
        while (value >= 0x80) {
            text.push_back(static_cast<char>((value & 0x7F) | 0x80));
            value >>= 7;
        }
        text.push_back(static_cast<char>(value));
    }
    void Signed(std::int64_t value) { // zigzag: small magnitudes take one byte
        Varint((static_cast<std::uint64_t>(value) << 1) ^ static_cast<std::uint64_t>(value >> 63));
    }
    std::string text;
};

// Reads within its bytes only; any read past the end sets `failed` and gives 0.
class CReader {
public:
    explicit CReader(const std::string& bytes, std::size_t start = 0) : bytes(bytes), at(start) {}
    std::uint64_t Unsigned(int size) {
        if (bytes.size() - at < static_cast<std::size_t>(size)) {
            failed = true;
            return 0;
        }
        std::uint64_t value = 0;
        for (int i = 0; i < size; ++i) {
            value |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[at + i]))
                     << (8 * i);
        }
        at += static_cast<std::size_t>(size);
        return value;
    }
    double Double() {
        const std::uint64_t bits = Unsigned(8);
        double value = 0.0;
        std::memcpy(&value, &bits, sizeof(value));
        return value;
    }
    std::uint64_t Varint() {
        std::uint64_t value = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            const std::uint64_t byte = Unsigned(1);
            value |= (byte & 0x7F) << shift;
            if ((byte & 0x80) == 0 || failed) {
                return value;
            }
        }
        failed = true; // more than ten bytes
        return 0;
    }
    std::int64_t Signed() {
        const std::uint64_t value = Varint();
        return static_cast<std::int64_t>(value >> 1) ^ -static_cast<std::int64_t>(value & 1);
    }
    std::string Text(std::size_t size) {
        if (bytes.size() - at < size) {
            failed = true;
            return {};
        }
        at += size;
        return bytes.substr(at - size, size);
    }
    bool AtEnd() const { return at == bytes.size(); }
    bool failed = false;

private:
    const std::string& bytes;
    std::size_t at;
};

std::string Range(long long low, long long high) {
    return CWorldIdentity::Range(low, high); // one wording for every limit
}

std::uint32_t Checksum(const char* data, std::size_t size) {
    return static_cast<std::uint32_t>(
        crc32(0L, reinterpret_cast<const Bytef*>(data), static_cast<uInt>(size)));
}

std::string NumberText(double value) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.9g", value); // 0.500000001 must not read as 0.5
    return text;
}

bool IsPrintable(const std::string& text) {
    for (char c : text) {
        if (c < 0x20 || c > 0x7E) {
            return false;
        }
    }
    return true;
}

// The step in whole nanoseconds when that gives back exactly the same double, else -1.
std::int64_t WholeNanoseconds(double step) {
    if (!(step >= 0.0 && step <= CReplay::kMaximumStep)) {
        return -1;
    }
    const std::int64_t nanoseconds = std::llround(step * kNanosecondsPerSecond);
    return static_cast<double>(nanoseconds) / kNanosecondsPerSecond == step ? nanoseconds : -1;
}

void WritePose(CWriter& out, const CReplay::SPose& pose, const CReplay::SPose& before) {
    const std::int64_t nodeStep = static_cast<std::int64_t>(pose.node) - before.node;
    // Zigzag on the unsigned value: shifting a negative step left is undefined.
    const std::uint64_t zigzag =
        (static_cast<std::uint64_t>(nodeStep) << 1) ^ static_cast<std::uint64_t>(nodeStep >> 63);
    out.Varint((zigzag << 1) | (pose.visible ? 1 : 0));
    out.Signed(pose.along - before.along);
    out.Signed(pose.offset - before.offset);
    out.Signed(pose.roll - before.roll);
    out.Signed(pose.turnRate - before.turnRate);
    out.Signed(pose.nose - before.nose);
}

bool ReadPoseValue(CReader& in, std::int64_t before, std::int64_t& value) {
    const std::int64_t change = in.Signed();
    if (change < -2 * kPoseLimit || change > 2 * kPoseLimit) {
        return false;
    }
    value = before + change;
    return value >= -kPoseLimit && value <= kPoseLimit;
}

bool ReadPose(CReader& in, const CReplay::SPose& before, CReplay::SPose& pose) {
    const std::uint64_t nodeField = in.Varint();
    pose.visible = (nodeField & 1) != 0;
    const std::uint64_t zigzag = nodeField >> 1;
    const std::int64_t nodeStep =
        static_cast<std::int64_t>(zigzag >> 1) ^ -static_cast<std::int64_t>(zigzag & 1);
    const std::int64_t node = before.node + nodeStep;
    if (node < 0 || node > kMaximumNode) {
        return false;
    }
    pose.node = static_cast<std::int32_t>(node);
    return ReadPoseValue(in, before.along, pose.along) &&
           ReadPoseValue(in, before.offset, pose.offset) &&
           ReadPoseValue(in, before.roll, pose.roll) &&
           ReadPoseValue(in, before.turnRate, pose.turnRate) &&
           ReadPoseValue(in, before.nose, pose.nose);
}

} // namespace

bool CReplay::SPose::operator==(const SPose& other) const {
    return node == other.node && along == other.along && offset == other.offset &&
           roll == other.roll && turnRate == other.turnRate && nose == other.nose &&
           visible == other.visible;
}

std::int64_t CReplay::ToPoseUnits(float value) {
    if (!std::isfinite(value)) {
        return 0;
    }
    const double units = std::round(static_cast<double>(value) * kPoseUnitsPerUnit);
    const double limit = static_cast<double>(kPoseLimit);
    return static_cast<std::int64_t>(units < -limit ? -limit : (units > limit ? limit : units));
}

float CReplay::FromPoseUnits(std::int64_t units) {
    return static_cast<float>(static_cast<double>(units) / kPoseUnitsPerUnit);
}

double CReplay::GetDuration() const {
    double duration = 0.0;
    for (const SFrame& frame : frames) {
        duration += frame.step;
    }
    return duration;
}

std::string CReplay::FormatHash(std::uint64_t hash) {
    char text[20];
    std::snprintf(text, sizeof(text), "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

std::string CReplay::EncodePayload() const {
    CWriter out;
    for (double split : splits) {
        out.Double(split);
    }
    std::uint32_t lastCommandFrame = 0;
    for (const SCommand& command : commands) {
        out.Varint(command.frame - lastCommandFrame);
        out.Unsigned(static_cast<std::uint8_t>(command.command), 1);
        lastCommandFrame = command.frame;
    }
    SPose before;
    before.visible = true;
    double lastStep = -1.0;
    std::int64_t lastNanoseconds = 0;
    for (const SFrame& frame : frames) {
        const std::int64_t nanoseconds = WholeNanoseconds(frame.step);
        std::uint8_t kind = kStepRaw;
        if (frame.step == lastStep) {
            kind = kStepSame;
        } else if (nanoseconds >= 0) {
            kind = kStepNanoseconds;
        }
        out.Unsigned(static_cast<std::uint8_t>((frame.commands & kAllCommands) | (kind << 6)), 1);
        if (kind == kStepNanoseconds) {
            out.Signed(nanoseconds - lastNanoseconds);
        } else if (kind == kStepRaw) {
            out.Double(frame.step);
        }
        lastStep = frame.step;
        lastNanoseconds = std::llround(frame.step * kNanosecondsPerSecond);
        WritePose(out, frame.pose, before);
        before = frame.pose;
        out.Unsigned(frame.check, 1);
    }
    return out.text;
}

bool CReplay::Encode(std::string& bytes, std::string& problem) const {
    bytes.clear();
    problem.clear();
    return CheckWritable(problem) && Pack(bytes, problem);
}

namespace {

// What ReadPose takes back: a node of the longest tunnel and values within the limit.
bool IsPoseWritable(const CReplay::SPose& pose) {
    if (pose.node < 0 || pose.node > kMaximumNode) {
        return false;
    }
    for (const std::int64_t value :
         {pose.along, pose.offset, pose.roll, pose.turnRate, pose.nose}) {
        if (value < -kPoseLimit || value > kPoseLimit) {
            return false;
        }
    }
    return true;
}

} // namespace

bool CReplay::CheckWritable(std::string& problem) const {
    // What Decode would refuse, and what the header's fields would cut, in Decode's words.
    if (frames.empty() || frames.size() > kMaximumFrames) {
        problem = "frame count " + std::to_string(frames.size()) + Range(1, kMaximumFrames);
    } else if (commands.size() > kMaximumCommands) {
        problem = "command count " + std::to_string(commands.size()) + Range(0, kMaximumCommands);
    } else if (splits.size() > kMaximumSplits) {
        problem = "split count " + std::to_string(splits.size()) + Range(0, kMaximumSplits);
    } else if (gameVersion.size() > kVersionTextBytes) {
        problem = "the game version is longer than " + std::to_string(kVersionTextBytes) + " bytes";
    }
    std::uint32_t lastCommandFrame = 0;
    for (std::size_t i = 0; i < commands.size() && problem.empty(); ++i) {
        const SCommand& command = commands[i];
        if (command.frame < lastCommandFrame || command.frame > frames.size() ||
            (command.command != 'k' && command.command != 'p')) {
            problem = "a bad command in the recording";
        }
        lastCommandFrame = command.frame;
    }
    for (std::size_t i = 0; i < frames.size() && problem.empty(); ++i) {
        const double step = frames[i].step;
        if (!(step >= 0.0 && step <= kMaximumStep)) {
            problem = "step " + NumberText(step) + " s at frame " + std::to_string(i + 1) +
                      " is outside 0 to " + NumberText(kMaximumStep) + " s";
        } else if (!IsPoseWritable(frames[i].pose)) {
            problem = "a bad ship pose at frame " + std::to_string(i + 1);
        }
    }
    return problem.empty() && CheckLimits(problem);
}

bool CReplay::Pack(std::string& bytes, std::string& problem) const {
    const std::string payload = EncodePayload();
    uLongf packedSize = compressBound(static_cast<uLong>(payload.size()));
    std::string packed(packedSize, '\0');
    const int packing = compress2(reinterpret_cast<Bytef*>(&packed[0]), &packedSize,
                                  reinterpret_cast<const Bytef*>(payload.data()),
                                  static_cast<uLong>(payload.size()), Z_BEST_COMPRESSION);
    if (packing != Z_OK) {
        problem = std::string("the recorded frames do not pack (") + zError(packing) + ")";
        return false;
    }
    packed.resize(packedSize);

    CWriter out;
    out.Bytes(kMagic, sizeof(kMagic));
    out.Unsigned(kVersion, 2);
    out.Unsigned((finished ? kFlagFinished : 0) | (pModeUsed ? kFlagPModeUsed : 0), 2);
    out.Unsigned(kHeaderBytes + packed.size() + kChecksumBytes, 4);
    out.Unsigned(static_cast<std::uint32_t>(world.difficulty), 4);
    out.Unsigned(static_cast<std::uint32_t>(world.length), 4);
    out.Unsigned(world.seed, 4);
    out.Unsigned(static_cast<std::uint64_t>(recordedAt), 8);
    std::string version = gameVersion.substr(0, kVersionTextBytes);
    version.resize(kVersionTextBytes, '\0');
    out.Bytes(version.data(), version.size());
    out.Unsigned(frames.size(), 4);
    out.Unsigned(commands.size(), 4);
    out.Double(finishClock);
    out.Unsigned(finishHash, 8);
    out.Unsigned(endHash, 8);
    out.Unsigned(splits.size(), 1);
    out.Unsigned(static_cast<std::uint32_t>(world.nodes), 3);
    out.Unsigned(payload.size(), 4);
    out.Bytes(packed.data(), packed.size());
    out.Unsigned(Checksum(out.text.data(), out.text.size()), 4);
    bytes = std::move(out.text);
    return true;
}

bool CReplay::Decode(const std::string& bytes, CReplay& replay, std::string& problem) {
    replay = CReplay();
    const std::size_t smallest = kHeaderBytes + kChecksumBytes;
    if (bytes.size() < sizeof(kMagic) || std::memcmp(bytes.data(), kMagic, sizeof(kMagic)) != 0) {
        problem = "not a replay file";
        return false;
    }
    CReader in(bytes, sizeof(kMagic));
    const std::uint64_t version = in.Unsigned(2);
    if (!in.failed && (version < kOldestVersion || version > kVersion)) {
        problem = "format version " + std::to_string(version) + " is not known (this game reads " +
                  std::to_string(kOldestVersion) + " to " + std::to_string(kVersion) + ")";
        return false;
    }
    const std::uint64_t flags = in.Unsigned(2);
    const std::uint64_t length = in.Unsigned(4);
    if (bytes.size() < smallest || in.failed || length > bytes.size()) {
        problem = "truncated (" + std::to_string(bytes.size()) + " bytes" +
                  (in.failed || length < smallest ? ")" : " of " + std::to_string(length) + ")");
        return false;
    }
    if (length != bytes.size()) {
        problem = "length field says " + std::to_string(length) + " bytes, file has " +
                  std::to_string(bytes.size());
        return false;
    }
    if (bytes.size() > kMaximumFileBytes) {
        problem = "larger than " + std::to_string(kMaximumFileBytes) + " bytes";
        return false;
    }
    const std::size_t summed = bytes.size() - kChecksumBytes;
    if (CReader(bytes, summed).Unsigned(4) != Checksum(bytes.data(), summed)) {
        problem = "checksum does not match";
        return false;
    }
    if ((flags & ~std::uint64_t{kKnownFlags}) != 0) {
        problem = "unknown flags " + std::to_string(flags);
        return false;
    }
    replay.finished = (flags & kFlagFinished) != 0;
    replay.pModeUsed = (flags & kFlagPModeUsed) != 0;
    replay.world.difficulty = static_cast<std::int32_t>(in.Unsigned(4));
    replay.world.length = static_cast<std::int32_t>(in.Unsigned(4));
    replay.world.seed = static_cast<unsigned>(in.Unsigned(4));
    replay.recordedAt = static_cast<std::int64_t>(in.Unsigned(8));
    replay.gameVersion = in.Text(kVersionTextBytes);
    replay.gameVersion.resize(std::strlen(replay.gameVersion.c_str()));
    const std::uint64_t frameCount = in.Unsigned(4);
    const std::uint64_t commandCount = in.Unsigned(4);
    replay.finishClock = in.Double();
    replay.finishHash = in.Unsigned(8);
    replay.endHash = in.Unsigned(8);
    const std::uint64_t splitCount = in.Unsigned(1);
    const std::uint64_t nodes = in.Unsigned(3); // zero in format version 1
    replay.world.nodes = version == 1 ? 0 : static_cast<int>(nodes);
    const std::uint64_t payloadSize = in.Unsigned(4);
    if (frameCount == 0 || frameCount > kMaximumFrames) {
        problem = "frame count " + std::to_string(frameCount) + Range(1, kMaximumFrames);
    } else if (commandCount > kMaximumCommands) {
        problem = "command count " + std::to_string(commandCount) + Range(0, kMaximumCommands);
    } else if (splitCount > kMaximumSplits) {
        problem = "split count " + std::to_string(splitCount) + Range(0, kMaximumSplits);
    } else if (payloadSize > frameCount * kMaximumFrameBytes + commandCount * 11 + splitCount * 8) {
        problem = "payload of " + std::to_string(payloadSize) + " bytes is too large";
    } else if (payloadSize >
               (summed - kHeaderBytes) * kMostUnpackedPerPackedByte + kUnpackedAllowance) {
        problem = "payload of " + std::to_string(payloadSize) + " bytes from " +
                  std::to_string(summed - kHeaderBytes) + " packed is more than frames pack to";
    } else if (payloadSize < frameCount * kMinimumFrameBytes + commandCount * 2 + splitCount * 8) {
        // Refused before anything is made for the frames it claims.
        problem = "payload of " + std::to_string(payloadSize) + " bytes is too small for " +
                  std::to_string(frameCount) + " frames";
    }
    if (!problem.empty()) {
        replay = CReplay();
        return false;
    }
    std::string payload(payloadSize, '\0');
    uLongf unpackedSize = static_cast<uLongf>(payloadSize);
    const std::size_t packedSize = summed - kHeaderBytes;
    const int unpacked =
        uncompress(reinterpret_cast<Bytef*>(payload.empty() ? nullptr : &payload[0]), &unpackedSize,
                   reinterpret_cast<const Bytef*>(bytes.data() + kHeaderBytes),
                   static_cast<uLong>(packedSize));
    if (unpacked != Z_OK || unpackedSize != payloadSize) {
        problem = "the recorded frames do not unpack";
        replay = CReplay();
        return false;
    }
    replay.splits.resize(splitCount);
    replay.commands.resize(commandCount);
    replay.frames.resize(frameCount);
    if (!replay.DecodePayload(payload, problem) || !replay.CheckLimits(problem)) {
        replay = CReplay();
        return false;
    }
    return true;
}

std::size_t CReplay::GetDecodingBytes(const std::string& bytes) {
    if (bytes.size() < kHeaderBytes + kChecksumBytes) {
        return 0;
    }
    CReader counts(bytes, kFrameCountAt);
    const std::uint64_t frameCount = std::min<std::uint64_t>(counts.Unsigned(4), kMaximumFrames);
    const std::uint64_t commandCount =
        std::min<std::uint64_t>(counts.Unsigned(4), kMaximumCommands);
    const std::uint64_t payloadSize = CReader(bytes, kPayloadSizeAt).Unsigned(4);
    const std::uint64_t packedSize = bytes.size() - kHeaderBytes - kChecksumBytes;
    const std::uint64_t unpacked = std::min<std::uint64_t>(
        payloadSize, packedSize * kMostUnpackedPerPackedByte + kUnpackedAllowance);
    return static_cast<std::size_t>(unpacked + frameCount * sizeof(SFrame) +
                                    commandCount * sizeof(SCommand));
}

bool CReplay::DecodePayload(const std::string& payload, std::string& problem) {
    CReader in(payload);
    for (double& split : splits) {
        split = in.Double();
    }
    std::uint64_t commandFrame = 0;
    for (SCommand& command : commands) {
        const std::uint64_t gap = in.Varint(); // checked before adding: it must not wrap around
        command.command = static_cast<char>(in.Unsigned(1));
        if (gap > frames.size() - commandFrame ||
            (command.command != 'k' && command.command != 'p')) {
            problem = "a bad command in the recording";
            return false;
        }
        commandFrame += gap;
        command.frame = static_cast<std::uint32_t>(commandFrame);
    }
    SPose before;
    double lastStep = -1.0;
    std::int64_t lastNanoseconds = 0;
    for (std::size_t i = 0; i < frames.size() && !in.failed; ++i) {
        SFrame& frame = frames[i];
        const std::uint8_t first = static_cast<std::uint8_t>(in.Unsigned(1));
        frame.commands = first & kAllCommands;
        const std::uint8_t kind = first >> 6;
        if (kind == kStepSame && i > 0) {
            frame.step = lastStep;
        } else if (kind == kStepNanoseconds) {
            const std::int64_t change = in.Signed();
            const double limit = kMaximumStep * kNanosecondsPerSecond;
            if (change < -limit || change > limit) {
                frame.step = -1.0;
            } else {
                frame.step = static_cast<double>(lastNanoseconds + change) / kNanosecondsPerSecond;
            }
        } else if (kind == kStepRaw) {
            frame.step = in.Double();
        } else {
            problem = "a bad step at frame " + std::to_string(i + 1);
            return false;
        }
        if (!(frame.step >= 0.0 && frame.step <= kMaximumStep)) {
            problem = "step " + NumberText(frame.step) + " s at frame " + std::to_string(i + 1) +
                      " is outside 0 to " + NumberText(kMaximumStep) + " s";
            return false;
        }
        lastStep = frame.step;
        lastNanoseconds = std::llround(frame.step * kNanosecondsPerSecond);
        if (!ReadPose(in, before, frame.pose)) {
            problem = "a bad ship pose at frame " + std::to_string(i + 1);
            return false;
        }
        before = frame.pose;
        frame.check = static_cast<std::uint8_t>(in.Unsigned(1));
    }
    if (in.failed || !in.AtEnd()) {
        problem = "the recorded frames are damaged";
        return false;
    }
    return true;
}

bool CReplay::CheckLimits(std::string& problem) const {
    if (!world.CheckLimits(problem)) {
        return false;
    }
    if (!IsPrintable(gameVersion)) {
        problem = "the game version is not text";
    } else if (!(finishClock >= 0.0 && finishClock <= GetDuration()) ||
               (!finished && finishClock != 0.0)) {
        problem = "finish time " + NumberText(finishClock) + " s does not fit the run";
    } else {
        for (double split : splits) {
            if (!(split >= 0.0 && split <= GetDuration())) {
                problem = "split " + NumberText(split) + " s does not fit the run";
                break;
            }
        }
    }
    return problem.empty();
}
