#include "board/RunChecker.h"

#include "base/AtomicFile.h"
#include "base/Version.h"
#include "game/Game.h"
#include "game/Records.h"
#include "world/Tunnel.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr std::size_t kLongestOutput = 64 * 1024;

// Everything below runs between fork and exec: system calls only.
[[noreturn]] void ExecVerifier(const char* verifier, const char* directory, const char* file,
                               int output, const CRunChecker::SLimits& limits) {
    dup2(output, STDOUT_FILENO);
    dup2(output, STDERR_FILENO);
    const int nothing = open("/dev/null", O_RDONLY);
    if (nothing >= 0) {
        dup2(nothing, STDIN_FILENO);
    }
    for (int descriptor = 3; descriptor < 1024; ++descriptor) {
        close(descriptor);
    }
    if (chdir(directory) != 0) {
        _exit(127);
    }
    const rlimit cpu{static_cast<rlim_t>(limits.cpuSeconds),
                     static_cast<rlim_t>(limits.cpuSeconds)};
    const rlimit memory{limits.memoryBytes, limits.memoryBytes};
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CPU, &cpu);
#if !defined(__SANITIZE_ADDRESS__)
    // A build with the address sanitizer reserves terabytes of address space for its shadow:
    // there the memory limit would stop every check before it starts.
    setrlimit(RLIMIT_AS, &memory);
#else
    (void)memory;
#endif
    setrlimit(RLIMIT_CORE, &noCore);
    char* const arguments[] = {const_cast<char*>("zelkora"), const_cast<char*>("--verify"),
                               const_cast<char*>(file), nullptr};
    char* const environment[] = {nullptr};
    execve(verifier, arguments, environment);
    _exit(127);
}

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

} // namespace

CRunChecker::CRunChecker(std::string verifier, std::string scratch, SLimits limits)
    : verifier(std::move(verifier)), scratch(std::move(scratch)), limits(limits) {}

std::size_t CRunChecker::FindFastFrames(const CReplay& replay, double& seconds) {
    const auto& frames = replay.frames;
    // A step counts as the flight uses it: one long frame covers no more than one frame's
    // flight, so it cannot hide many frames flown too fast around it.
    const auto flown = [&frames](std::size_t i) {
        return std::min(frames[i].step, CGame::kLongestRulesStep);
    };
    double window = 0.0;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        window += flown(i);
        if (i >= static_cast<std::size_t>(kPacingFrames)) {
            window -= flown(i - kPacingFrames);
        }
        if (i + 1 >= static_cast<std::size_t>(kPacingFrames) && window < kShortestPacingSeconds) {
            seconds = window;
            return i + 2 - kPacingFrames;
        }
    }
    return 0;
}

CRunChecker::SResult CRunChecker::Check(const std::string& bytes) const {
    SResult result = Read(bytes);
    if (result.verdict == EVerdict::Counts) {
        Fly(bytes, result);
    }
    return result;
}

CRunChecker::SResult CRunChecker::Read(const std::string& bytes) const {
    SResult result;
    std::string problem;
    if (!CReplay::Decode(bytes, result.replay, problem)) {
        result.verdict = EVerdict::Unreadable;
        result.reason = "not a replay: " + problem;
        return result;
    }
    const CReplay& replay = result.replay;
    result.verdict = EVerdict::NotEligible;
    if (replay.gameVersion != GetGameVersion()) {
        result.verdict = EVerdict::OtherVersion;
        result.reason = "recorded by zelkora " + replay.gameVersion +
                        "; this board checks zelkora " + GetGameVersion();
        return result;
    }
    if (!replay.finished) {
        result.reason = "the run did not reach the finish";
        return result;
    }
    if (replay.pModeUsed) {
        result.reason = "the run used P mode";
        return result;
    }
    // The world is the one its difficulty, length and seed build, whatever the header says.
    const int built =
        CTunnel::CountRings(replay.world.difficulty, replay.world.length, replay.world.seed);
    if (replay.world.nodes != 0 && replay.world.nodes != built) {
        result.reason = "the header says " + std::to_string(replay.world.nodes) +
                        " path nodes; its difficulty, length and seed build " +
                        std::to_string(built);
        return result;
    }
    result.replay.world.nodes = built;
    double seconds = 0.0;
    if (const std::size_t first = FindFastFrames(replay, seconds)) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "frames %zu to %zu were flown in %.3f s: faster than the game's 60 a second",
                      first, first + kPacingFrames - 1, seconds);
        result.reason = text;
        return result;
    }
    result.verdict = EVerdict::Counts;
    return result;
}

void CRunChecker::Fly(const std::string& bytes, SResult& result) const {
    const CReplay& replay = result.replay;
    std::string problem;
    std::string line;
    int exitCode = -1;
    if (!RunVerifier(bytes, line, exitCode, problem)) {
        result.verdict = EVerdict::CouldNotCheck;
        result.reason = problem;
        return;
    }
    // The check names the file "run.zrp"; what it says after that is the verdict.
    const std::string verdict = line.substr(std::min(line.size(), line.find("run.zrp: ") + 9));
    // The time the check flew must be the header's: "finish 1:02.33, state <16 hex>, matches".
    const std::string finish =
        "finish " + CRecords::FormatTime(CRecords::ToMilliseconds(replay.finishClock)) + ", state ";
    const std::string matches = ", matches";
    const bool flewTheSame =
        verdict.size() == finish.size() + 16 + matches.size() &&
        verdict.compare(0, finish.size(), finish) == 0 &&
        verdict.compare(verdict.size() - matches.size(), matches.size(), matches) == 0;
    if (exitCode != 0 || !flewTheSame) {
        result.verdict = EVerdict::NotEligible;
        result.reason = "did not verify: " + (verdict.empty() ? "no verdict" : verdict);
    }
}

bool CRunChecker::RunVerifier(const std::string& bytes, std::string& line, int& exitCode,
                              std::string& problem) const {
    std::string directory = scratch + "/check-XXXXXX";
    if (mkdtemp(directory.data()) == nullptr) {
        problem = "cannot make a scratch directory in " + scratch + ": " + std::strerror(errno);
        return false;
    }
    const std::string file = directory + "/run.zrp";
    std::string error;
    int pipeEnds[2] = {-1, -1};
    bool ran = false;
    if (!CAtomicFile::Replace(file, bytes, error)) {
        problem = "cannot write the run to check: " + error;
    } else if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        problem = std::string("cannot start the check: ") + std::strerror(errno);
    } else {
        const pid_t child = fork();
        if (child == 0) {
            ExecVerifier(verifier.c_str(), directory.c_str(), file.c_str(), pipeEnds[1], limits);
        }
        close(pipeEnds[1]);
        std::string output;
        bool killed = false;
        const auto giveUp =
            std::chrono::steady_clock::now() + std::chrono::seconds(limits.wallSeconds);
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                giveUp - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                kill(child, SIGKILL);
                killed = true;
                break;
            }
            pollfd ready{pipeEnds[0], POLLIN, 0};
            if (poll(&ready, 1, static_cast<int>(std::min<long long>(left.count(), 1000))) <= 0) {
                continue;
            }
            char chunk[4096];
            const ssize_t got = read(pipeEnds[0], chunk, sizeof chunk);
            if (got <= 0) {
                break;
            }
            if (output.size() < kLongestOutput) {
                output.append(chunk, static_cast<std::size_t>(got));
            }
        }
        close(pipeEnds[0]);
        int status = 0;
        while (child > 0 && waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        if (child < 0) {
            problem = std::string("cannot start the check: ") + std::strerror(errno);
        } else if (killed) {
            problem = "the check took longer than " + std::to_string(limits.wallSeconds) + " s";
        } else if (WIFSIGNALED(status)) {
            problem = std::string("the check was ended by ") + strsignal(WTERMSIG(status));
        } else if (WEXITSTATUS(status) == 127) {
            problem = "cannot run the checker " + verifier;
        } else {
            exitCode = WEXITSTATUS(status);
            // The check's verdict is its last line that names the run.
            std::size_t at = output.rfind("replay: ");
            line = at == std::string::npos ? FirstLine(output) : FirstLine(output.substr(at));
            ran = true;
        }
    }
    unlink(file.c_str());
    rmdir(directory.c_str());
    return ran;
}
