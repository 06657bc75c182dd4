#pragma once

#include "online/BoardClient.h"

#include <iosfwd>
#include <string>

class CBoardSettings;

// zelkora --submit FILE: one saved run sent to the board, before any window or sound. The
// board's answer is one line on out ("board: ..."); why nothing was sent, one line on err.
class CBoardSubmission {
public:
    // Exit codes: 0 the board counted the run, 1 it refused it, 2 the run could not be read or
    // sent (no board, no name, no usable token, a file the game's reader refuses, no answer).
    static int Run(const std::string& path, const CBoardSettings& board,
                   const std::string& configDirectory, std::ostream& out, std::ostream& err,
                   CBoardClient::STimeouts timeouts = {});
};
