#include "Process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

std::vector<char*> ToArgv(const std::vector<std::string>& argv) {
    std::vector<char*> result;
    for (const std::string& argument : argv) {
        result.push_back(const_cast<char*>(argument.c_str()));
    }
    result.push_back(nullptr);
    return result;
}

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

int DecodeStatus(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Waits for pid until the deadline; kills it past that. Returns the decoded status or -1.
int WaitOrKill(pid_t pid, Clock::time_point start, double timeoutSeconds, bool* timedOut) {
    int status = 0;
    while (true) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            return DecodeStatus(status);
        }
        if (done < 0 && errno != EINTR) {
            return -1;
        }
        if (SecondsSince(start) > timeoutSeconds) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            if (timedOut) {
                *timedOut = true;
            }
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

} // namespace

SCommandResult RunCommand(const std::vector<std::string>& argv, double timeoutSeconds) {
    SCommandResult result;
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        return result;
    }
    const Clock::time_point start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        std::vector<char*> args = ToArgv(argv);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(pipeEnds[1]);
    if (pid < 0) {
        close(pipeEnds[0]);
        return result;
    }
    // Read until the pipe closes or time runs out; the child is killed afterwards if needed.
    pollfd readable{pipeEnds[0], POLLIN, 0};
    char buffer[4096];
    while (SecondsSince(start) < timeoutSeconds) {
        if (poll(&readable, 1, 50) <= 0) {
            continue;
        }
        const ssize_t count = read(pipeEnds[0], buffer, sizeof(buffer));
        if (count <= 0) {
            break;
        }
        result.output.append(buffer, static_cast<size_t>(count));
    }
    close(pipeEnds[0]);
    result.exitCode = WaitOrKill(pid, start, timeoutSeconds, &result.timedOut);
    return result;
}

CChildProcess::~CChildProcess() {
    if (IsRunning()) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

bool CChildProcess::Start(const std::vector<std::string>& argv, const std::string& workingDirectory,
                          const std::string& stdoutPath, const std::string& stderrPath,
                          const Environment& environment) {
    pid = fork();
    if (pid == 0) {
        const int out = open(stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int nothing = open("/dev/null", O_RDONLY);
        if (out < 0 || err < 0 || nothing < 0 || chdir(workingDirectory.c_str()) != 0) {
            _exit(126);
        }
        for (const auto& [name, value] : environment) {
            setenv(name.c_str(), value.c_str(), 1);
        }
        dup2(nothing, STDIN_FILENO);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        std::vector<char*> args = ToArgv(argv);
        execv(args[0], args.data());
        _exit(127);
    }
    return pid > 0;
}

bool CChildProcess::IsRunning() {
    if (pid <= 0 || finished) {
        return false;
    }
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) {
        finished = true;
        exitCode = DecodeStatus(status);
        return false;
    }
    return true;
}

int CChildProcess::WaitForExit(double timeoutSeconds) {
    if (pid <= 0) {
        return -1;
    }
    if (!finished) {
        exitCode = WaitOrKill(pid, Clock::now(), timeoutSeconds, nullptr);
        finished = true;
    }
    return exitCode;
}
