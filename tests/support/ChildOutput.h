#pragma once

// Runs code in a child process, for tests that take from the process what it cannot give back
// (root, its spare file descriptors, its address space).

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

// Runs the action in a child process and gives what it wrote to standard output; the child
// must end normally with code 0.
template <typename Action> std::string PrintedByChild(Action action) {
    int out[2];
    if (pipe(out) != 0) {
        return "no pipe";
    }
    std::fflush(stdout); // or the child prints what the parent still buffers
    const pid_t child = fork();
    if (child == 0) {
        close(out[0]);
        dup2(out[1], STDOUT_FILENO);
        close(out[1]);
        action();
        std::fflush(stdout);
        _exit(0);
    }
    close(out[1]);
    std::string printed;
    char buffer[512];
    for (ssize_t count; (count = read(out[0], buffer, sizeof buffer)) > 0;) {
        printed.append(buffer, static_cast<std::size_t>(count));
    }
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << printed;
    return printed;
}
