#pragma once

#include <cstddef>

// What a child that reads a stranger's file may do, set up in the child between fork and exec
// (system calls only, nothing allocated): no descriptor of its parent's but the three standard
// ones, no new process, no file larger than fileBytes nor more than files open, no core, CPU
// time and address space bounded, and, where the kernel has Landlock, writes nowhere but its
// own directory (and /dev/null). It runs in that directory.
class CChildSandbox {
public:
    struct SLimits {
        int cpuSeconds = 900;
        std::size_t memoryBytes = 2048u << 20; // address space
        std::size_t fileBytes = 16u << 20;     // the largest file it may write
        int files = 64;                        // descriptors open at once
    };

    // False when the child must not go on: a limit that could not be set, or no directory.
    static bool Enter(const char* directory, const SLimits& limits);
    // The Landlock ABI the kernel offers; 0 when it has none or refuses it.
    static int GetLandlockVersion();
};
