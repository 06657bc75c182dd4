#pragma once

#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

// Running helper programs from tests, always with a time limit so that nothing can hang a run.

struct SCommandResult {
    int exitCode = -1; // -1 when it timed out or could not run
    bool timedOut = false;
    std::string output; // standard output
};

// Runs argv[0] from PATH, waits at most timeoutSeconds, kills it after that.
SCommandResult RunCommand(const std::vector<std::string>& argv, double timeoutSeconds);

// A child process running in the background with its output going to files.
class CChildProcess {
public:
    CChildProcess() = default;
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;
    ~CChildProcess(); // kills it if still running

    using Environment = std::vector<std::pair<std::string, std::string>>;

    // The child gets this process's environment with the given variables set on top.
    bool Start(const std::vector<std::string>& argv, const std::string& workingDirectory,
               const std::string& stdoutPath, const std::string& stderrPath,
               const Environment& environment = {});
    // The exit code, or -1 if it did not end in time (it is killed then) or died by a signal.
    int WaitForExit(double timeoutSeconds);
    bool IsRunning();
    pid_t GetPid() const { return pid; }

private:
    pid_t pid = -1;
    bool finished = false;
    int exitCode = -1;
};
