#include "base/ReplayVerifier.h"

#include "base/AtomicFile.h"
#include "base/ChildSandbox.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr std::size_t kLongestOutput = 64 * 1024;

constexpr int kNotConfined = 126; // the child's exit code when its sandbox could not be set

// Everything below runs between fork and exec: system calls only.
[[noreturn]] void ExecVerifier(const char* verifier, const char* directory, const char* file,
                               int output, const CReplayVerifier::SLimits& limits) {
    dup2(output, STDOUT_FILENO);
    dup2(output, STDERR_FILENO);
    const int nothing = open("/dev/null", O_RDONLY);
    if (nothing >= 0) {
        dup2(nothing, STDIN_FILENO);
    }
    // A check that outlives its parent has nobody to answer.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    CChildSandbox::SLimits sandbox;
    sandbox.cpuSeconds = limits.cpuSeconds;
    sandbox.memoryBytes = limits.memoryBytes;
    if (!CChildSandbox::Enter(directory, sandbox)) {
        _exit(kNotConfined);
    }
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

CReplayVerifier::CReplayVerifier(std::string game, std::string scratch, SLimits limits)
    : game(std::move(game)), scratch(std::move(scratch)), limits(limits) {}

bool CReplayVerifier::Run(const std::string& bytes, std::string& line, int& exitCode,
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
            ExecVerifier(game.c_str(), directory.c_str(), file.c_str(), pipeEnds[1], limits);
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
        } else if (WEXITSTATUS(status) == kNotConfined) {
            problem = "the check could not be confined to its scratch directory";
        } else if (WEXITSTATUS(status) == 127) {
            problem = "cannot run the checker " + game;
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
